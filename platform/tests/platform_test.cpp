#include "platform/DisplayModes.h"
#include "platform/Platform.h"
#include "platform/Window.h"

#include "framework/Debug.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>

namespace {

TEST(PerformanceCounter, MeasuresSleepsAndGivesSeconds)
{
    const uint64_t frequency = platform::PerformanceFrequency();
    ASSERT_GT(frequency, 0u);
    const uint64_t last = platform::PerformanceCounter();
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

TEST(MessageBox, OnlyOnARealDisplayAndNotWhenSwitchedOff)
{
    // Before Init the environment stands for the driver and display that would run.
    const struct {
        const char *driver, *display, *wayland, *off;
        bool real, allowed;
    } cases[] = {{"offscreen", ":0", nullptr, nullptr, false, false}, {"dummy", ":0", nullptr, nullptr, false, false},
                 {"x11", ":0", nullptr, nullptr, true, true}, {"x11", nullptr, "w-0", nullptr, true, true},
                 {"x11", ":0", nullptr, "1", true, false}, {"x11", nullptr, nullptr, nullptr, false, false}};
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

// Leaves a line in the log when the static destructors run, once a death-test child arms it.
struct TeardownMark {
    ~TeardownMark()
    {
        if (armed)
            LogMessage("static teardown\n");
    }
    bool armed = false;
} g_teardown;

struct ExitCase {
    bool window, displayWork;
    int code;
    bool lostLine, teardown;
};

[[noreturn]] void ExitFrom(const ExitCase& c)
{
    g_teardown.armed = true;
    // Left open and unflushed: an exit still writes it out.
    std::fputs("written", std::fopen("open.txt", "w"));
    UseOffscreenDriverUnlessSet();
    platform::Init();
    std::unique_ptr<platform::Window> window = c.window ? platform::Window::Create({}) : nullptr;
    std::optional<platform::DisplayWork> work;
    if (c.displayWork)
        work.emplace();
    std::exit(c.code);
}

TEST(DisplayWork, AFailingExitInsideItIsALostDisplayAndNoExitWithAWindowTearsDown)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const ExitCase cases[] = {
        {false, true, 1, true, false},    // the display's library giving up on a broken connection
        {true, false, 3, false, false},   // a fatal error with the window open: no teardown that could hang
        {true, true, 0, false, true},     // a normal end tears down as ever
        {false, false, 2, false, true}};  // no window and no display work: an ordinary failing exit
    const auto read = [](const char* path) {
        std::stringstream text;
        text << std::ifstream(path).rdbuf();
        return text.str();
    };
    for (const ExitCase& c : cases) {
        std::remove("data/log.txt");
        std::remove("open.txt");
        EXPECT_EXIT(ExitFrom(c), ::testing::ExitedWithCode(c.code), "");
        const std::string log = read("data/log.txt");
        const bool lost = log.find("platform::DisplayWork: lost the connection to the display") != std::string::npos;
        const bool teardown = log.find("static teardown") != std::string::npos;
        EXPECT_EQ(std::vector<bool>({lost, teardown}), std::vector<bool>({c.lostLine, c.teardown}))
            << "exit " << c.code << " window " << c.window << " display work " << c.displayWork << "\n" << log;
        EXPECT_EQ(read("open.txt"), "written");
    }
}

// A display server that goes away leaves a broken socket behind; the write to it must fail
// and be reported, not end the game by the signal.
TEST(Platform, AWriteToABrokenConnectionFailsInsteadOfKillingTheGame)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto writeToClosedPipe = [] {
        UseOffscreenDriverUnlessSet();
        platform::Init();
        int ends[2];
        if (pipe(ends) != 0)
            std::_Exit(3);
        close(ends[0]);
        const bool refused = write(ends[1], "x", 1) < 0 && errno == EPIPE;
        std::_Exit(refused ? 0 : 2);
    };
    EXPECT_EXIT(writeToClosedPipe(), ::testing::ExitedWithCode(0), "");
}

using platform::DisplayMode;

TEST(DisplayModes, SDLModesAreSortedWithoutDuplicatesCountingStoredBits)
{
    const SDL_DisplayMode modes[] = {
        {SDL_PIXELFORMAT_RGB888, 1920, 1080, 60, nullptr}, {SDL_PIXELFORMAT_ARGB8888, 1920, 1080, 60, nullptr},
        {SDL_PIXELFORMAT_RGB565, 800, 600, 60, nullptr},   {SDL_PIXELFORMAT_RGB888, 0, 0, 60, nullptr},
        {SDL_PIXELFORMAT_RGB888, 1024, 768, 75, nullptr},  {SDL_PIXELFORMAT_RGB888, 1024, 768, 60, nullptr},
        {SDL_PIXELFORMAT_RGB24, 1024, 768, 60, nullptr},   {SDL_PIXELFORMAT_RGB888, 640, 0, 60, nullptr},
        {SDL_PIXELFORMAT_RGB888, 640, 480, -1, nullptr},   {SDL_PIXELFORMAT_RGB888, 1, 1, 60, nullptr}};
    const std::vector<DisplayMode> expected = {{1, 1, 32, 60},      {640, 480, 32, 0},   {800, 600, 16, 60},
                                               {1024, 768, 24, 60}, {1024, 768, 32, 60}, {1024, 768, 32, 75},
                                               {1920, 1080, 32, 60}};
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
        EXPECT_EQ(platform::UsesFixedDisplayModes(), c.usesFixed) << c.driver << (c.fixedSwitch ? c.fixedSwitch : "");
        // Video is not up, so a real driver lists nothing for the display either.
        EXPECT_EQ(platform::GetDisplayModes(3), fixed);
    }
}

}  // namespace
