// Billboards: the quad facing the camera, what reaches the device, and sprite sheets.
#include "support/SceneTest.h"

#include "engine/core/NullDevice.h"
#include "framework/AsciiSerializer.h"
#include "framework/FileSystem.h"
#include "framework/Registration.h"
#include "scene/Billboard.h"
#include "scene/Camera.h"
#include "scene/ParticleSystem.h"
#include "scene/RwGraphics.h"
#include "scene/Texture.h"
#include "tests/support/LogCapture.h"

#include <cmath>
#include <numbers>

namespace {

constexpr float kHalfRoot2 = 0.70710678f;

struct Quad {
    RwIm3DVertex corners[4];
    Vector3 Corner(int i) const { return V(corners[i].objVertex); }
    // The frame of a 4 x 4 sheet whose cell the UV rectangle lies in.
    int Frame() const
    {
        return static_cast<int>(corners[0].v * 4.0f) * 4 + static_cast<int>(corners[0].u * 4.0f);
    }
};

Quad Build(const Billboard& billboard, const Matrix3& view = Matrix3())
{
    Quad quad;
    billboard.BuildQuad(view, quad.corners);
    return quad;
}

// A 64 x 64 sheet loaded as a texture, and the primary camera at the origin looking along +z.
class BillboardTest : public SceneTest {
protected:
    void SetUp() override
    {
        Image image(RwImageAllocatePixels(RwImageCreate(64, 64, 32)), RwImageDestroy);
        ASSERT_TRUE(RwImageWrite(image.get(), "sheet.bmp"));
        ASSERT_TRUE(sheet.Load("sheet.bmp", nullptr));
        camera = RwGraphics::Instance()->GetPrimaryCamera();
        RwGraphics::Instance()->SetCamera(camera);
    }
    void TearDown() override { RwGraphics::Instance()->SetCamera(nullptr); }

    // The draws one Render leaves on the null device.
    std::vector<RwNullDrawRecord> Draw(RenderObject& billboard)
    {
        RwNullDevice* device = RwNullDeviceGet();
        EXPECT_TRUE(camera->BeginUpdate());
        device->ClearLog();
        billboard.Render();
        std::vector<RwNullDrawRecord> draws = device->draws;
        camera->EndUpdate();
        return draws;
    }

    Texture sheet;
    Camera* camera = nullptr;
};

TEST(Billboard, CornersTurnWithTheRotationInTheViewPlane)
{
    Billboard billboard;
    billboard.SetPosition({1, 2, 3});
    billboard.SetSize(2);
    const float r = 2 * kHalfRoot2;
    const std::pair<float, std::vector<Vector3>> cases[] = {
        {0.0f, {{3, 2, 3}, {1, 4, 3}, {-1, 2, 3}, {1, 0, 3}}},  // a diamond on the axes
        {std::numbers::pi_v<float> / 4, {{1 + r, 2 + r, 3}, {1 - r, 2 + r, 3}, {1 - r, 2 - r, 3}, {1 + r, 2 - r, 3}}},
    };
    for (const auto& [angle, want] : cases) {
        billboard.SetAngle(angle);
        const Quad quad = Build(billboard);
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(Near(quad.Corner(i), want[i])) << angle << " corner " << i;
    }
    // A camera turned half round about y mirrors x; the quad stays in its view plane.
    billboard.SetAngle(0);
    Matrix3 turned;
    turned.FromAxisAngle({0, 1, 0}, std::numbers::pi_v<float>);
    EXPECT_TRUE(Near(Build(billboard, turned).Corner(0), {-1, 2, 3}));
}

TEST(Billboard, UVsAndTheTruncatedColourGoToTheCornersInOrder)
{
    Billboard billboard;
    billboard.SetUVRect(0.1f, 0.2f, 0.3f, 0.4f);
    billboard.SetColor(Color(1.0f, 0.5f, 0.0f, 0.25f));
    const Quad quad = Build(billboard);
    const float want[4][2] = {{0.1f, 0.2f}, {0.3f, 0.2f}, {0.3f, 0.4f}, {0.1f, 0.4f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(std::pair(quad.corners[i].u, quad.corners[i].v), std::pair(want[i][0], want[i][1])) << i;
        EXPECT_EQ(quad.corners[i].color, RwPackColor(255, 127, 0, 63)) << i;
    }
}

TEST(Billboard, UprightKeepsOnlyTheFirstEulerAngleOfTheCamera)
{
    Billboard billboard;
    billboard.SetUpright(true);
    Matrix3 view, first;
    view.FromEulerXYZ(0.4f, 0.7f, -0.3f);
    first.FromEulerXYZ(0.4f, 0.0f, 0.0f);
    const Quad upright = Build(billboard, view);
    const Quad free = Build(billboard, first);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Near(upright.Corner(i), free.Corner(i))) << i;
    billboard.SetUpright(false);
    EXPECT_FALSE(Near(Build(billboard, view).Corner(0), free.Corner(0)));
}

TEST_F(BillboardTest, FromTheFactoryItStartsAsInitLeavesItAndDrawsNothingWithoutATexture)
{
    std::unique_ptr<Object> made(FactoryRegistry::RenderObjects().Create("Billboard"));
    auto* billboard = dynamic_cast<Billboard*>(made.get());
    ASSERT_NE(billboard, nullptr);
    EXPECT_EQ(std::tuple(billboard->GetTexture(), billboard->GetSize(), billboard->GetAngle(), billboard->GetColor()),
              std::tuple(nullptr, 1.0f, 0.0f, Color::White));
    billboard->SetPosition({0, 0, 10});
    EXPECT_TRUE(Draw(*billboard).empty());
    billboard->Init(&sheet, rwBlendSrcAlpha, rwBlendOne);
    billboard->SetPosition({0, 0, 10});
    EXPECT_EQ(Draw(*billboard).size(), 1u);
}

TEST_F(BillboardTest, OneIndexedQuadReachesTheDeviceWithItsStatesOnlyWhenTheCameraSeesIt)
{
    Billboard billboard;
    billboard.Init(&sheet, rwBlendSrcAlpha, rwBlendOne);
    billboard.SetZWrite(true);
    billboard.SetZTest(false);
    billboard.SetPosition({0, 0, 10});
    intptr_t before = 0;
    RwRenderStateGet(rwRenderStateSrcBlend, &before);
    const std::vector<RwNullDrawRecord> draws = Draw(billboard);
    ASSERT_EQ(draws.size(), 1u);
    const RwNullDrawRecord& d = draws[0];
    EXPECT_EQ(std::tuple(d.is2D, d.type, d.numVertices, d.numIndices, d.texture),
              std::tuple(false, rwPrimTypeTriList, 4, 6, sheet.GetRaster()));
    using States = std::tuple<intptr_t, intptr_t, intptr_t, intptr_t, intptr_t>;
    EXPECT_EQ(States(d.srcBlend, d.destBlend, d.zWrite, d.zTest, d.vertexAlpha),
              States(rwBlendSrcAlpha, rwBlendOne, 1, 0, 1));
    intptr_t after = 0;
    RwRenderStateGet(rwRenderStateSrcBlend, &after);
    EXPECT_EQ(after, before);

    for (const Vector3& outside : {Vector3(0, 0, -10), Vector3(500, 0, 10)}) {
        billboard.SetPosition(outside);
        EXPECT_TRUE(Draw(billboard).empty()) << outside.x << " " << outside.z;
    }
    billboard.SetPosition({0, 0, 10});
    RwGraphics::Instance()->SetCamera(nullptr);
    EXPECT_TRUE(Draw(billboard).empty());
}

// A particle system draws its billboards in view as one batch of quads in its particles' order,
// each quad as the billboard builds it, under the states it would set alone; a billboard that
// draws otherwise starts a new batch.
TEST_F(BillboardTest, AParticleSystemDrawsItsBillboardsAsOneBatchPerLook)
{
    BillboardParticleFactory factory;
    ParticleSystem system;
    system.SetParticleFactory(&factory);
    system.SetAutomaticGenerate(false);
    system.SetMaxParticles(10);
    const auto emit = [&](int count, const Vector3& at) {
        system.Position().Set(MakePointEmitter(at));
        for (int i = 0; i < count; ++i)
            ASSERT_NE(system.Emit(), nullptr);
    };
    factory.Setup(&sheet, rwBlendSrcAlpha, rwBlendInvSrcAlpha, 1, 1, 1);
    emit(2, {0, 0, 10});
    emit(1, {0, 0, -10});  // behind the camera
    emit(1, {1, 0, 12});
    factory.Setup(&sheet, rwBlendSrcAlpha, rwBlendOne, 1, 1, 1);
    emit(2, {-1, 0, 8});
    system.Update(0.0f);
    std::vector<Quad> quads;
    for (Particle* particle : system.GetParticles()) {
        const Billboard& billboard = static_cast<BillboardParticle*>(particle)->GetBillboard();
        if (billboard.InView())
            quads.push_back(Build(billboard, RwGraphics::Instance()->GetCameraMatrix()));
    }
    ASSERT_EQ(quads.size(), 5u);

    const std::vector<RwNullDrawRecord> draws = Draw(system);
    ASSERT_EQ(draws.size(), 2u);
    using Batch = std::tuple<RwInt32, RwInt32, intptr_t, intptr_t, RwRaster*>;
    EXPECT_EQ(Batch(draws[0].numVertices, draws[0].numIndices, draws[0].srcBlend, draws[0].destBlend, draws[0].texture),
              Batch(12, 18, rwBlendSrcAlpha, rwBlendInvSrcAlpha, sheet.GetRaster()));
    EXPECT_EQ(Batch(draws[1].numVertices, draws[1].numIndices, draws[1].srcBlend, draws[1].destBlend, draws[1].texture),
              Batch(8, 12, rwBlendSrcAlpha, rwBlendOne, sheet.GetRaster()));
    // The first corners of each batch: its first particle's quad.
    for (const auto& [draw, quad] : {std::pair{0, 0}, std::pair{1, 3}})
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(V(draws[draw].vertices3D.at(i).objVertex), quads[quad].Corner(i)) << draw << " " << i;
}

TEST_F(BillboardTest, AFrameIsInsetOneTexelAndFramesBeyondTheCountShowTheLast)
{
    AnimatedBillboard billboard;
    billboard.Init(&sheet, rwBlendSrcAlpha, rwBlendInvSrcAlpha);
    billboard.SetLayout(4, 4);
    billboard.SetFrameCount(16);
    const float texel = 1.0f / 64;
    for (const auto& [frame, column, row] : {std::tuple{5, 1, 1}, std::tuple{15, 3, 3}, std::tuple{99, 3, 3},
                                             std::tuple{2, 2, 0}}) {
        billboard.SetFrame(frame);
        const Quad quad = Build(billboard);
        EXPECT_FLOAT_EQ(quad.corners[0].u, column / 4.0f + texel) << frame;
        EXPECT_FLOAT_EQ(quad.corners[0].v, row / 4.0f + texel) << frame;
        EXPECT_FLOAT_EQ(quad.corners[2].u, (column + 1) / 4.0f - texel) << frame;
        EXPECT_FLOAT_EQ(quad.corners[2].v, (row + 1) / 4.0f - texel) << frame;
    }
}

TEST_F(BillboardTest, ASheetAtSixteenFramesASecondHoldsItsLastFrameOrStartsAgainWithLoop)
{
    for (const bool loop : {false, true}) {
        AnimatedBillboard billboard;
        billboard.Init(&sheet, rwBlendSrcAlpha, rwBlendInvSrcAlpha);
        billboard.SetLayout(4, 4);
        billboard.SetFrameCount(16);
        billboard.SetSpeed(16);
        billboard.SetLoop(loop);
        std::vector<std::pair<int, bool>> shown;
        for (int i = 0; i < 18; ++i) {
            billboard.Update(1.0f / 16);
            shown.emplace_back(Build(billboard).Frame(), billboard.IsFinished());
        }
        std::vector<std::pair<int, bool>> want;
        for (int frame = 1; frame <= 15; ++frame)
            want.emplace_back(frame, false);
        if (loop)
            want.insert(want.end(), {{0, true}, {1, false}, {2, false}});
        else
            want.insert(want.end(), {{15, true}, {15, true}, {15, true}});
        EXPECT_EQ(shown, want) << loop;
    }
}

TEST_F(BillboardTest, CountsBelowOneAreReadAsOneWithAWarning)
{
    AnimatedBillboard billboard;
    billboard.Init(&sheet, rwBlendSrcAlpha, rwBlendInvSrcAlpha);
    LogCapture log;
    billboard.SetLayout(0, -2);
    billboard.SetFrameCount(0);
    EXPECT_EQ(std::tuple(billboard.GetRows(), billboard.GetColumns(), billboard.GetFrameCount()), std::tuple(1, 1, 1));
    EXPECT_EQ(log.Count("***WARNING: AnimatedBillboard::"), 3);
    billboard.SetFrame(3);
    const Quad quad = Build(billboard);
    EXPECT_FLOAT_EQ(quad.corners[0].u, 1.0f / 64);
    EXPECT_FLOAT_EQ(quad.corners[2].v, 1.0f - 1.0f / 64);
}

// The table stores a blend one below its number; any stored value outside 0-10, the
// extremes of the integer included, leaves the blend as it was.
TEST(Billboard, AStoredBlendOutsideItsRangeIsIgnoredWithAWarning)
{
    const struct {
        int32_t stored;
        int32_t blend;
    } cases[] = {{0, 1}, {10, 11}, {-1, 5}, {11, 5}, {INT32_MAX, 5}, {INT32_MIN, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        File* file = FileSystem::Instance()->OpenWrite("blend.txt");
        ASSERT_NE(file, nullptr);
        {
            AsciiSerializer writer(file, true);
            int32_t stored = c.stored;
            writer.SerializeInt("Blend Src", &stored);
        }
        FileSystem::Instance()->Close(file);
        file = FileSystem::Instance()->OpenRead("blend.txt");
        ASSERT_NE(file, nullptr);
        int32_t blend = 5;
        LogCapture log;
        {
            AsciiSerializer reader(file, false);
            SerializeBlend(reader, "Blend Src", blend, "Test");
        }
        FileSystem::Instance()->Close(file);
        EXPECT_EQ(blend, c.blend);
        EXPECT_EQ(log.Contains("Test: Blend Src"), c.blend == 5);
    }
}

}  // namespace
