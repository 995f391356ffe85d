// A cut scene's fade over the screen on the GL device: drawn while it shades the picture,
// left out once it no longer does.
#include "frontend/cutscenes/CutScenes.h"

#include "engine/core/RwDevice.h"
#include "engine/gl/GLDevice.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "scene/Camera.h"
#include "scene/EngineUtil.h"
#include "scene/RwGraphics.h"
#include "tests/support/OffscreenEngine.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

struct Frame {
    uint32_t draws = 0;
    std::vector<uint8_t> pixels;
};

// The current state drawn again, without an update: its draws and its picture.
Frame Redraw(GameHarness& harness)
{
    auto* device = dynamic_cast<GLDevice*>(RwDeviceGetCurrent());
    const auto draws = [device] { return device ? device->Counters().draws + device->Counters().meshDraws : 0u; };
    const uint32_t before = draws();
    harness.GetGame()->Render();
    Frame frame;
    frame.draws = draws() - before;
    std::unique_ptr<RwImage, decltype(&RwImageDestroy)> image(
        EngineUtil::GrabCameraRaster(RwGraphics::Instance()->GetPrimaryCamera()->GetRwCamera()), RwImageDestroy);
    if (image)
        frame.pixels.assign(image->pixels, image->pixels + image->stride * image->height);
    return frame;
}

// The frame drawn as it stands, then drawn again with the shot's fades taken out (and put back).
std::pair<Frame, Frame> WithAndWithoutFades(GameHarness& harness, SceneShot& shot)
{
    Frame with = Redraw(harness);
    std::vector<std::unique_ptr<SceneFade>> fades;
    fades.swap(shot.Fades());
    Frame without = Redraw(harness);
    fades.swap(shot.Fades());
    return {std::move(with), std::move(without)};
}

// The newspaper's first shot fades in from black over its first second.
TEST(CutSceneFadeGL, DrawnOnlyWhileItShadesThePicture)
{
    if (!OffscreenWindow())
        GTEST_SKIP() << "no GL 3.3 on this machine";
    GameHarness harness(OffscreenWindow(), TB_DATA_ARCHIVE, rwDeviceGL);
    ASSERT_TRUE(harness.Start("XL", true));
    auto* scene = new CutScenes(Scene::kNewspaperFolder, "script_happy.txt", 7);
    harness.MakeCurrent(scene);
    harness.RunFrames(30);
    ASSERT_EQ(scene->GetShotIndex(), 0);
    SceneShot& shot = *scene->GetScene().Shots()[0];
    ASSERT_EQ(shot.Fades().size(), 1u);
    const SceneFade& fade = *shot.Fades()[0];
    ASSERT_EQ(fade.fadeType, 1);

    ASSERT_GT(fade.factor, 0.0f);
    const auto [ramp, rampWithout] = WithAndWithoutFades(harness, shot);
    EXPECT_EQ(ramp.draws, rampWithout.draws + 1) << "half-way through its ramp the fade is drawn";
    EXPECT_NE(ramp.pixels, rampWithout.pixels);

    harness.RunFrames(40);
    ASSERT_EQ(scene->GetShotIndex(), 0);
    ASSERT_EQ(fade.factor, 0.0f);
    const auto [after, afterWithout] = WithAndWithoutFades(harness, shot);
    EXPECT_EQ(after.draws, afterWithout.draws) << "a clear fade draws nothing";
    ASSERT_FALSE(after.pixels.empty());
    EXPECT_EQ(after.pixels, afterWithout.pixels);
}

}  // namespace
