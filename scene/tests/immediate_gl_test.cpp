// Immediate drawing on the GL device, checked on the pixels read back.
#include <gtest/gtest.h>

#include "engine/core/RwCore.h"
#include "framework/Color.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "scene/ScreenDraw.h"
#include "scene/Wireframe.h"
#include "support/SceneTest.h"

#include <memory>
#include <vector>

namespace {

using Pixel = std::vector<uint8_t>;
const Pixel kBlack{0, 0, 0, 255}, kWhite{255, 255, 255, 255}, kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255};

class ImmediateGL : public SceneGLTest {
protected:
    // Lines are a pixel wide and may fall either side of the exact position.
    bool LineNear(int x, int y) const
    {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (At(x + dx, y + dy) == kWhite)
                    return true;
        return false;
    }
};

TEST_F(ImmediateGL, AWireBoxAndATexturedRectangleLandOnTheirPixels)
{
    // Two texels: red on the left, blue on the right.
    RwRaster* texture = TwoTexelTexture({255, 0, 0, 255, 0, 0, 255, 255});
    ASSERT_TRUE(texture);

    // A 2 x 2 square face-on 5 in front of the camera spans 0.4 of the view, 160 pixels.
    WireFrameCube box;
    box.size = {2, 2, 0};
    box.SetPosition({-1, -1, 5});
    const float black[4] = {0, 0, 0, 1};
    ASSERT_TRUE(camera->Clear(black, 3) && camera->BeginUpdate());
    box.Render();
    // Texels are filtered: probes stay within a quarter of the rectangle's ends.
    DrawTexturedRect(texture, {20, 20, 40, 20}, {0, 0, 1, 1}, Color::White);
    // Stood on end about its centre: 20 wide and 40 high.
    DrawRotatedTexturedRect(texture, {100, 100, 40, 20}, {0, 0, 1, 1}, {120, 110}, 1.5707963f, Color::White);
    camera->EndUpdate();
    RwRasterDestroy(texture);

    EXPECT_TRUE(LineNear(400, 220) && LineNear(400, 380) && LineNear(320, 300) && LineNear(480, 300));
    EXPECT_EQ(std::tuple(At(400, 300), At(24, 30), At(24, 36), At(56, 30), At(70, 30)),
              std::tuple(kBlack, kRed, kRed, kBlue, kBlack));
    EXPECT_EQ(std::tuple(At(104, 110) == kBlack, At(120, 93) == kBlack, At(120, 127) == kBlack),
              std::tuple(true, false, false));
}

// The whole frame the primary camera holds, RGBA rows.
std::vector<uint8_t> Frame(PrimaryCamera* camera)
{
    RwRaster* raster = camera->GetRaster();
    Image image(RwImageAllocatePixels(RwImageCreate(raster->width, raster->height, 32)), RwImageDestroy);
    RwImageSetFromRaster(image.get(), raster);
    std::vector<uint8_t> pixels;
    for (int y = 0; y < image->height; ++y)
        pixels.insert(pixels.end(), image->pixels + y * image->stride, image->pixels + y * image->stride + 4 * image->width);
    return pixels;
}

TEST_F(ImmediateGL, QuadsHandedOverTogetherDrawThePixelsTheyDrawOneByOne)
{
    // Translucent texels, so that each quad blends over those before it and order shows.
    RwRaster* texture = TwoTexelTexture({255, 40, 0, 200, 0, 90, 255, 120});
    ASSERT_TRUE(texture);
    // Forty overlapping quads in a fan of tilts and depths, more than one hand-over's worth,
    // each with its own corner of the texture.
    constexpr size_t kQuads = 40;
    std::vector<Vector3> corners;
    std::vector<ScreenRect> uvs;
    for (size_t q = 0; q < kQuads; ++q) {
        // Laid as text is, its left on the plane's +x side.
        const float x = 1.5f - 0.07f * q, y = -1.0f + 0.04f * q, z = 4.0f + 0.05f * q, tilt = 0.02f * q;
        const Vector3 quad[4] = {{x, y, z}, {x - 1.2f, y + tilt, z + tilt}, {x + tilt, y + 0.9f, z}, {x - 1.2f, y + 0.9f, z + 0.3f}};
        corners.insert(corners.end(), quad, quad + 4);
        uvs.push_back({0.1f * (q % 5), 0.0f, 0.5f + 0.01f * q, 1.0f});
    }
    const Color colour(0.9f, 0.8f, 1.0f, 0.7f);
    const float black[4] = {0, 0, 0, 1};
    std::vector<uint8_t> frames[2];
    for (int together = 0; together < 2; ++together) {
        ASSERT_TRUE(camera->Clear(black, 3) && camera->BeginUpdate());
        // Culling on: a quad wound the other way round would not show.
        RwRenderStateSet(rwRenderStateCullMode, rwCullBack);
        if (together) {
            DrawTexturedQuads3D(corners.data(), uvs.data(), kQuads, texture, colour);
        } else {
            for (size_t q = 0; q < kQuads; ++q)
                DrawTexturedQuad3D(&corners[4 * q], texture, uvs[q], colour);
        }
        RwRenderStateSet(rwRenderStateCullMode, rwCullNone);
        camera->EndUpdate();
        frames[together] = Frame(camera);
    }
    RwRasterDestroy(texture);
    size_t lit = 0;
    for (size_t i = 0; i < frames[0].size(); i += 4)
        lit += frames[0][i] != 0 || frames[0][i + 2] != 0;
    EXPECT_GT(lit, 10000u);
    EXPECT_TRUE(frames[0] == frames[1]);
}

}  // namespace
