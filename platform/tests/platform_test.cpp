#include "support/PlatformTest.h"

#include "framework/Debug.h"

namespace {

TEST(PerformanceCounter, IsMonotonicMeasuresSleepsAndGivesSeconds)
{
    const uint64_t frequency = platform::PerformanceFrequency();
    ASSERT_GT(frequency, 0u);
    uint64_t last = platform::PerformanceCounter();
    for (int i = 0; i < 100000; ++i) {
        const uint64_t now = platform::PerformanceCounter();
        ASSERT_GE(now, last);
        last = now;
    }
    platform::Sleep(20);
    const double slept = platform::SecondsBetween(last, platform::PerformanceCounter());
    EXPECT_GE(slept, 0.019);
    EXPECT_LT(slept, 1.0);

    const uint64_t base = 1ull << 40;
    const struct {
        uint64_t start, end;
        double seconds;
    } spans[] = {{base, base + frequency, 1.0}, {base, base + frequency / 200, 0.005}, {base, base, 0.0},
                 {base + frequency, base, 0.0}};
    for (const auto& span : spans)
        EXPECT_DOUBLE_EQ(platform::SecondsBetween(span.start, span.end), span.seconds);
}

TEST(PlatformInit, ComesUpOnceReportsTheDriverAndFailsSoftlyOnAnUnknownOne)
{
    UseOffscreenDriverUnlessSet();
    EXPECT_STREQ(platform::VideoDriver(), "");
    ASSERT_TRUE(platform::Init());
    EXPECT_TRUE(platform::Init());
    EXPECT_STRNE(platform::VideoDriver(), "");
    EXPECT_TRUE(platform::IsInitialised());
    platform::Shutdown();
    platform::Shutdown();  // a second shutdown is harmless
    EXPECT_FALSE(platform::IsInitialised());
    EXPECT_STREQ(platform::VideoDriver(), "");

    ScopedEnv driver("SDL_VIDEODRIVER", "no-such-driver");
    EXPECT_FALSE(platform::Init());
    EXPECT_FALSE(platform::IsInitialised());
}

TEST(MessageBox, OnlyOnARealDisplayAndNotWhenSwitchedOff)
{
    // Before Init the environment stands for the driver and display that would run.
    const struct {
        const char *driver, *display, *wayland, *off;
        bool real, allowed;
    } cases[] = {{"offscreen", ":0", nullptr, nullptr, false, false}, {"dummy", ":0", nullptr, nullptr, false, false},
                 {"x11", ":0", nullptr, nullptr, true, true},           {"x11", nullptr, "w-0", nullptr, true, true},
                 {"x11", ":0", nullptr, "1", true, false},              {"x11", nullptr, nullptr, nullptr, false, false}};
    for (const auto& c : cases) {
        ScopedEnv driver("SDL_VIDEODRIVER", c.driver), display("DISPLAY", c.display),
            wayland("WAYLAND_DISPLAY", c.wayland), off("TB_NO_MESSAGE_BOX", c.off);
        EXPECT_EQ(platform::HasRealDisplay(), c.real) << c.driver << " " << (c.display ? c.display : "-");
        EXPECT_EQ(platform::MessageBoxAllowed(), c.allowed) << c.driver << " " << (c.off ? "off" : "");
        EXPECT_EQ(platform::IsHeadless(), c.driver[0] != 'x');
    }
    // Our handler must return at once where no box is allowed: nobody could click it.
    ScopedEnv driver("SDL_VIDEODRIVER", "offscreen"), on("TB_NO_MESSAGE_BOX", nullptr);
    platform::InstallMessageBoxHandler();
    LogMessageBox("a box in a test\n");
}

}  // namespace
