// The engine's device counters come from what really reached GL.
#include "support/GLEngineFixture.h"

namespace {

class GLMetrics : public GLEngineTest {
protected:
    // Draws count quads, alternating between the textures given, and returns the
    // metrics of that frame.
    RwMetrics Frame(const std::vector<RwRaster*>& textures, int count)
    {
        Clear(cam.camera, {0, 0, 0, 255});
        EXPECT_NE(RwCameraBeginUpdate(cam.camera), nullptr);
        for (int i = 0; i < count; ++i) {
            RwRenderStateSet(rwRenderStateTextureRaster,
                             reinterpret_cast<intptr_t>(textures[i % textures.size()]));
            Rect2D(float(i), 0, 10, 10, Argb(255, 255, 255, 255));
        }
        RwCameraEndUpdate(cam.camera);
        EXPECT_NE(RwCameraShowRaster(cam.camera, nullptr, 0), nullptr);
        RwMetrics* metrics = RwEngineGetMetrics();
        EXPECT_NE(metrics, nullptr);
        return metrics ? *metrics : RwMetrics{};
    }

    void SetUp() override
    {
        GLEngineTest::SetUp();
        if (IsSkipped())
            return;
        cam = MakeCamera(64, 64);
        a = MakeTexture(1, 1, {Argb(255, 255, 0, 0)});
        b = MakeTexture(1, 1, {Argb(255, 0, 255, 0)});
        Frame({a}, 1);  // settles the states both frames below start from
    }

    TestCamera cam;
    RwRaster* a = nullptr;
    RwRaster* b = nullptr;
};

TEST_F(GLMetrics, AlternatingTexturesBindEveryDraw)
{
    const RwMetrics same = Frame({a}, 20);
    const RwMetrics alternating = Frame({a, b}, 20);
    EXPECT_LE(same.device.numTextureStageStateChanges, 2u);
    EXPECT_GE(alternating.device.numTextureStageStateChanges, 19u);  // the first was bound
    // The pixels show the last texture really was bound.
    EXPECT_TRUE(PixelNear(Read(cam.raster).at(19, 5), {0, 255, 0, 255}, 0));
}

TEST_F(GLMetrics, RepeatedIdenticalStatesAreSuppressed)
{
    const RwMetrics one = Frame({a}, 1);
    const uint32_t suppressedBefore = Device()->Counters().suppressed;
    const RwMetrics many = Frame({a}, 50);
    // Fifty draws with the same states change no more GL state than one.
    EXPECT_EQ(many.device.numRenderStateChanges, one.device.numRenderStateChanges);
    EXPECT_GT(Device()->Counters().suppressed, suppressedBefore + 49 * 5);

    // A state that really changes between draws shows up.
    Clear(cam.camera, {0, 0, 0, 255});
    ASSERT_NE(RwCameraBeginUpdate(cam.camera), nullptr);
    for (int i = 0; i < 10; ++i) {
        RwRenderStateSet(rwRenderStateZWriteEnable, i % 2);
        Rect2D(0, 0, 10, 10, Argb(255, 255, 255, 255));
    }
    RwCameraEndUpdate(cam.camera);
    RwCameraShowRaster(cam.camera, nullptr, 0);
    EXPECT_GE(RwEngineGetMetrics()->device.numRenderStateChanges,
              one.device.numRenderStateChanges + 9);
}

TEST_F(GLMetrics, CountersStartAfreshEachFrame)
{
    Frame({a, b}, 30);
    const RwMetrics next = Frame({a}, 1);
    EXPECT_LT(next.device.numTextureStageStateChanges, 5u);
    EXPECT_GT(next.numTriangles, 0u);
}

}  // namespace
