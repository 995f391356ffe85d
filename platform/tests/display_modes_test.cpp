#include "platform/DisplayModes.h"

#include "support/PlatformTest.h"

namespace {

using platform::DisplayMode;

TEST(DisplayModes, SDLModesAreSortedWithoutDuplicatesCountingStoredBits)
{
    const SDL_DisplayMode modes[] = {
        {SDL_PIXELFORMAT_RGB888, 1920, 1080, 60, nullptr}, {SDL_PIXELFORMAT_ARGB8888, 1920, 1080, 60, nullptr},
        {SDL_PIXELFORMAT_RGB565, 800, 600, 60, nullptr},   {SDL_PIXELFORMAT_RGB888, 0, 0, 60, nullptr},
        {SDL_PIXELFORMAT_RGB888, 1024, 768, 75, nullptr},  {SDL_PIXELFORMAT_RGB888, 1024, 768, 60, nullptr},
        {SDL_PIXELFORMAT_RGB24, 1024, 768, 60, nullptr},   {SDL_PIXELFORMAT_RGB888, 640, 0, 60, nullptr},
        {SDL_PIXELFORMAT_RGB888, 640, 480, -1, nullptr}};
    const std::vector<DisplayMode> expected = {{640, 480, 32, 0},   {800, 600, 16, 60},  {1024, 768, 24, 60},
                                               {1024, 768, 32, 60}, {1024, 768, 32, 75}, {1920, 1080, 32, 60}};
    EXPECT_EQ(platform::DisplayModesFromSDL(modes, static_cast<int>(std::size(modes))), expected);
    EXPECT_TRUE(platform::DisplayModesFromSDL(nullptr, 5).empty());
    EXPECT_TRUE(platform::DisplayModesFromSDL(modes, -1).empty());
}

TEST(DisplayModes, HeadlessOrSwitchedOnTheListIsFixedAndAnEmptyListFallsBackToIt)
{
    const std::vector<DisplayMode> fixed = {{800, 600, 32, 60}, {1024, 768, 32, 60}, {1280, 960, 32, 60}};
    EXPECT_EQ(platform::FixedDisplayModes(), fixed);
    // Before Init the driver variable stands for the driver that would run.
    const struct {
        const char *driver, *fixedSwitch;
        bool usesFixed;
    } cases[] = {{"offscreen", nullptr, true}, {"dummy", "0", true}, {"x11", nullptr, false},
                 {"x11", "1", true},           {"x11", "0", false},  {"x11", "", false}};
    for (const auto& c : cases) {
        ScopedEnv driver("SDL_VIDEODRIVER", c.driver), fixedSwitch("TB_FIXED_VIDEO_MODES", c.fixedSwitch);
        EXPECT_EQ(platform::UsesFixedDisplayModes(), c.usesFixed) << c.driver << " " << (c.fixedSwitch ? c.fixedSwitch : "-");
        // Video is not up, so a real driver lists nothing for the display either.
        EXPECT_EQ(platform::GetDisplayModes(3), fixed);
    }
}

}  // namespace
