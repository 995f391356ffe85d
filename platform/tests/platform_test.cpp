#include "Headless.h"

#include "framework/Debug.h"


namespace {

TEST(PerformanceCounter, IsMonotonicAndMeasuresSleeps)
{
    const uint64_t frequency = platform::PerformanceFrequency();
    ASSERT_GT(frequency, 0u);
    EXPECT_EQ(platform::PerformanceFrequency(), frequency);

    uint64_t last = platform::PerformanceCounter();
    for (int i = 0; i < 100000; ++i) {
        const uint64_t now = platform::PerformanceCounter();
        ASSERT_GE(now, last);
        last = now;
    }

    const uint64_t start = platform::PerformanceCounter();
    platform::Sleep(20);
    const double seconds = platform::SecondsBetween(start, platform::PerformanceCounter());
    EXPECT_GE(seconds, 0.019);
    EXPECT_LT(seconds, 1.0);
}

TEST(PerformanceCounter, SecondsBetweenCounterValues)
{
    const uint64_t frequency = platform::PerformanceFrequency();
    const uint64_t base = 1ull << 40;
    EXPECT_DOUBLE_EQ(platform::SecondsBetween(base, base + frequency), 1.0);
    EXPECT_DOUBLE_EQ(platform::SecondsBetween(base, base + frequency / 200), 0.005);
    EXPECT_DOUBLE_EQ(platform::SecondsBetween(base, base), 0.0);
    EXPECT_DOUBLE_EQ(platform::SecondsBetween(base + frequency, base), 0.0);
}

TEST(PlatformInit, ReportsTheDriverAndComesUpTwice)
{
    UseOffscreenDriverUnlessSet();
    EXPECT_STREQ(platform::VideoDriver(), "");
    ASSERT_TRUE(platform::Init());
    EXPECT_TRUE(platform::Init());
    EXPECT_STRNE(platform::VideoDriver(), "");
    EXPECT_TRUE(platform::IsInitialised());
    platform::Shutdown();
    EXPECT_FALSE(platform::IsInitialised());
    EXPECT_STREQ(platform::VideoDriver(), "");
    platform::Shutdown();  // a second shutdown is harmless
}

TEST(PlatformInit, AnUnknownDriverFailsWithoutCrashing)
{
    ScopedEnv driver("SDL_VIDEODRIVER", "no-such-driver");
    EXPECT_FALSE(platform::Init());
    EXPECT_FALSE(platform::IsInitialised());
}

TEST(MessageBox, NeverShownWithoutADisplayOrWhenSwitchedOff)
{
    ScopedEnv noSwitch("TB_NO_MESSAGE_BOX", nullptr);
    {
        ScopedEnv driver("SDL_VIDEODRIVER", "offscreen");
        EXPECT_FALSE(platform::HasRealDisplay());
        EXPECT_FALSE(platform::MessageBoxAllowed());
        // Reaches our handler (the switch is off), which must return at once: a box
        // here would wait for a click nobody can give.
        platform::InstallMessageBoxHandler();
        LogMessageBox("a box in a test\n");
    }
    ScopedEnv driver("SDL_VIDEODRIVER", "x11");
    {
        ScopedEnv display("DISPLAY", ":0");
        EXPECT_TRUE(platform::HasRealDisplay());
        EXPECT_TRUE(platform::MessageBoxAllowed());
        ScopedEnv off("TB_NO_MESSAGE_BOX", "1");
        EXPECT_FALSE(platform::MessageBoxAllowed());
    }
    ScopedEnv noDisplay("DISPLAY", nullptr);
    ScopedEnv noWayland("WAYLAND_DISPLAY", nullptr);
    EXPECT_FALSE(platform::HasRealDisplay());
    EXPECT_FALSE(platform::MessageBoxAllowed());
}

}  // namespace
