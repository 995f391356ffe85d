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

}  // namespace
