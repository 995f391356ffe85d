#include "platform/DisplayModes.h"

#include "Headless.h"


namespace {

using platform::DisplayMode;

using DisplayModesTest = PlatformFixture;

TEST_F(DisplayModesTest, HeadlessDriversListTheFixedModes)
{
    if (!platform::IsHeadless())
        GTEST_SKIP() << "running on a real display";
    ScopedEnv noSwitch("TB_FIXED_VIDEO_MODES", nullptr);
    const std::vector<DisplayMode> expected = {
        {800, 600, 32, 60}, {1024, 768, 32, 60}, {1280, 960, 32, 60}};
    EXPECT_TRUE(platform::UsesFixedDisplayModes());
    EXPECT_EQ(platform::GetDisplayModes(), expected);
    EXPECT_EQ(platform::GetDisplayModes(3), expected);  // no such display: same list
}

TEST_F(DisplayModesTest, ARealDisplayListsItsDesktopModeInOrder)
{
    if (platform::UsesFixedDisplayModes())
        GTEST_SKIP() << "fixed list in use";
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0) << SDL_GetError();
    const std::vector<DisplayMode> modes = platform::GetDisplayModes();
    ASSERT_FALSE(modes.empty());
    bool found = false;
    for (size_t i = 0; i < modes.size(); ++i) {
        found = found || (modes[i].width == desktop.w && modes[i].height == desktop.h);
        if (i > 0) {
            EXPECT_TRUE(modes[i - 1].width < modes[i].width ||
                        (modes[i - 1].width == modes[i].width && modes[i - 1].height <= modes[i].height));
        }
    }
    EXPECT_TRUE(found) << desktop.w << " x " << desktop.h;
}

TEST(DisplayModesSwitch, EnvironmentForcesTheFixedListOnARealDriver)
{
    // Before Init the driver variable stands for the driver that would run.
    ScopedEnv driver("SDL_VIDEODRIVER", "x11");
    {
        ScopedEnv unset("TB_FIXED_VIDEO_MODES", nullptr);
        EXPECT_FALSE(platform::UsesFixedDisplayModes());
    }
    {
        ScopedEnv on("TB_FIXED_VIDEO_MODES", "1");
        EXPECT_TRUE(platform::UsesFixedDisplayModes());
        EXPECT_EQ(platform::GetDisplayModes(), platform::FixedDisplayModes());
    }
    {
        ScopedEnv off("TB_FIXED_VIDEO_MODES", "0");
        EXPECT_FALSE(platform::UsesFixedDisplayModes());
    }
    {
        ScopedEnv empty("TB_FIXED_VIDEO_MODES", "");
        EXPECT_FALSE(platform::UsesFixedDisplayModes());
    }
}

TEST(DisplayModesSwitch, ARealDriverWithoutModesFallsBackToTheFixedList)
{
    // Video is not up, so SDL lists nothing for the display.
    ScopedEnv driver("SDL_VIDEODRIVER", "x11");
    ScopedEnv unset("TB_FIXED_VIDEO_MODES", nullptr);
    ASSERT_FALSE(platform::IsInitialised());
    EXPECT_EQ(platform::GetDisplayModes(), platform::FixedDisplayModes());
}

TEST(DisplayModesFromSDL, SortsDropsDuplicatesAndCountsStoredBits)
{
    const SDL_DisplayMode modes[] = {
        {SDL_PIXELFORMAT_RGB888, 1920, 1080, 60, nullptr},
        {SDL_PIXELFORMAT_ARGB8888, 1920, 1080, 60, nullptr},  // same mode, other layout
        {SDL_PIXELFORMAT_RGB565, 800, 600, 60, nullptr},
        {SDL_PIXELFORMAT_RGB888, 0, 0, 60, nullptr},
        {SDL_PIXELFORMAT_RGB888, 1024, 768, 75, nullptr},
        {SDL_PIXELFORMAT_RGB888, 1024, 768, 60, nullptr},
        {SDL_PIXELFORMAT_RGB24, 1024, 768, 60, nullptr},
        {SDL_PIXELFORMAT_RGB888, 640, 480, -1, nullptr},
    };
    const std::vector<DisplayMode> expected = {
        {640, 480, 32, 0},    {800, 600, 16, 60},   {1024, 768, 24, 60},
        {1024, 768, 32, 60},  {1024, 768, 32, 75},  {1920, 1080, 32, 60}};
    EXPECT_EQ(platform::DisplayModesFromSDL(modes, static_cast<int>(std::size(modes))), expected);
    EXPECT_TRUE(platform::DisplayModesFromSDL(nullptr, 5).empty());
    EXPECT_TRUE(platform::DisplayModesFromSDL(modes, -1).empty());
}

}  // namespace
