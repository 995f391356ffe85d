// The newspaper's prompt drawn over the pitch on the GL device.
#include "frontend/cutscenes/CutScenes.h"

#include "game/harness/GameHarness.h"
#include "scene/Camera.h"
#include "scene/EngineUtil.h"
#include "scene/RwGraphics.h"
#include "tests/support/OffscreenEngine.h"
#include "text/TextDisplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// The mean of the brightest channel along a row of the frame, from x to x + width.
float RowBrightness(const RwImage& frame, int y, int x, int width)
{
    float sum = 0.0f;
    for (int i = x; i < x + width; ++i) {
        const uint8_t* p = frame.pixels + y * frame.stride + i * 4;
        sum += std::max({p[0], p[1], p[2]});
    }
    return sum / static_cast<float>(width);
}

// Just above the letters the band darkens the pitch to under half of what shows above it:
// the pitch's white lines cannot take the letters.
TEST(NewspaperPromptGL, StandsOnABandThatDarkensThePitchBehindIt)
{
    if (!OffscreenWindow())
        GTEST_SKIP() << "no GL 3.3 on this machine";
    GameHarness harness(OffscreenWindow(), TB_DATA_ARCHIVE, rwDeviceGL);
    ASSERT_TRUE(harness.Start("XL", true));
    auto* scene = new CutScenes(Scene::kNewspaperFolder, "script_happy.txt", 7);
    harness.MakeCurrent(scene);
    harness.Step();
    harness.Script().Press(harness.GetFrame(), "any key press");
    harness.Step();
    ASSERT_TRUE(scene->IsWaitingForButton());
    harness.Step();
    TextRect prompt;
    TextDisplay::Instance()->MeasureText(prompt, CutScenes::PromptMarkup());
    std::unique_ptr<RwImage, decltype(&RwImageDestroy)> frame(
        EngineUtil::GrabCameraRaster(RwGraphics::Instance()->GetPrimaryCamera()->GetRwCamera()), RwImageDestroy);
    ASSERT_NE(frame, nullptr);
    const int x = static_cast<int>(prompt.x), width = static_cast<int>(prompt.width);
    ASSERT_GT(width, 0);
    const float behind = RowBrightness(*frame, static_cast<int>(prompt.y) - 2, x, width);
    const float above = RowBrightness(*frame, static_cast<int>(prompt.y) - 16, x, width);
    EXPECT_LT(behind, 0.5f * above) << behind << " under the band, " << above << " above it";
}

}  // namespace
