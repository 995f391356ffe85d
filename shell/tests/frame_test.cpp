#include <gtest/gtest.h>

#include "editor/DebugWindows.h"
#include "editor/ui/ControlPanel.h"
#include "editor/ui/MainFrame.h"
#include "framework/GameState.h"
#include "framework/MainProgram.h"
#include "framework/TimeInfo.h"
#include "input/ConfigurableInputMapper.h"
#include "input/KeyboardInput.h"
#include "input/MouseInput.h"
#include "input/PlatformInputDevices.h"
#include "platform/Platform.h"
#include "shell/MainApp.h"
#include "shell/ShellInput.h"
#include "tests/support/ScopedEnv.h"

#include <SDL.h>
#include <imgui.h>
#include <imgui_internal.h>

namespace {

// One clock for all tests: the application's window keeps its last reading between them.
struct FakeHost : TickHost {
    uint64_t Counter() override { return now; }
    uint64_t Frequency() override { return 1'000'000; }
    bool IsMinimised(const platform::Window*) override { return minimised; }
    bool IsVisible(const platform::Window*) override { return visible; }
    void Sleep(uint32_t ms) override { now += ms * 1000; }
    uint64_t now = 0;
    bool minimised = false, visible = true;
} g_clock;

struct Recorder : GameState, InputMapper {
    void Update(float dt) override { updates.push_back(dt); }
    int HandleEvent(const char* event, intptr_t, intptr_t) override { return events.push_back(event), 1; }
    bool Capture(const char*) override { return false; }
    bool Release(const char*) override { return false; }
    float GetValue(const std::string& name) override { return name == "pause game" ? pauseKey : kUnknown; }
    std::vector<float> updates;
    std::vector<std::string> events;
    float pauseKey = 0.0f;
};

SDL_Event Event(Uint32 type, int a = 0, int x = 0, int y = 0, Uint32 mask = 0)
{
    SDL_Event e{};
    e.type = type;
    if (type == SDL_KEYDOWN || type == SDL_KEYUP)
        e.key.keysym.scancode = static_cast<SDL_Scancode>(a);
    else if (type == SDL_WINDOWEVENT)
        e.window.event = static_cast<Uint8>(a);
    else if (type == SDL_MOUSEMOTION)
        e.motion = {type, 0, 0, 0, mask, x, y, 0, 0};
    else if (type == SDL_MOUSEWHEEL)
        e.wheel.y = a;
    else
        e.button = {type, 0, 0, 0, static_cast<Uint8>(a), SDL_PRESSED, 1, 0, x, y};
    return e;
}

class Frame : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseOffscreenDriverUnlessSet();
        ASSERT_TRUE(platform::Init());
        MainProgram::Instance()->PushState(recorder);
        theApp.GetRenderWindow().SetTickHost(&g_clock);
        shell_input::Init();
        BufferedInputController::Instance()->RegisterInputMapper(recorder);
        Pass(0);  // the time since the last test is not this test's
        recorder->updates.clear();
    }
    void TearDown() override
    {
        shell_input::HideCursor(false);
        theApp.SetControlPanel(nullptr);
        shell_input::Exit();
        MainProgram::Instance()->Exit();  // deletes the recorder, which leaves the controller
    }

    // The events pumped into the render window, then an idle pass ms after the last.
    static void Pass(double ms, std::initializer_list<SDL_Event> events = {})
    {
        for (SDL_Event e : events)
            EXPECT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
        platform::PumpEvents(theApp.GetRenderWindow());
        g_clock.now += static_cast<uint64_t>(ms * 1000);
        theApp.OnIdle(0);
    }
    // A virtual pad plugged in before the input starts, so that it is device 1, with its
    // mapper registered; the handle moves it. UnplugPad takes it out again.
    SDL_Joystick* PlugInPad()
    {
        shell_input::Exit();
        m_padIndex = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 0);
        shell_input::Init();
        BufferedInputController::Instance()->RegisterInputMapper(PlatformInputDevices::Instance()->GetInputMapper(1));
        return SDL_JoystickOpen(m_padIndex);
    }
    void UnplugPad(SDL_Joystick* stick) const
    {
        SDL_JoystickClose(stick);
        SDL_JoystickDetachVirtual(m_padIndex);
    }
    static float Action(const std::string& name, int mode = InputController::kValue)
    {
        return BufferedInputController::Instance()->GetAction(name, mode);
    }

    Recorder* recorder = new Recorder();  // the program deletes it
    int m_padIndex = -1;
};

TEST_F(Frame, ShortTicksAddUpAndWithoutFocusOrVisibilityTheGameIsFrozenAndTheMouseIgnored)
{
    const uint32_t frames = TimeInfo::Instance()->GetFrameCount();
    Pass(3);
    Pass(3, {Event(SDL_MOUSEMOTION, 0, 10, 20)});  // measured from 0, not from 3
    shell_input::HideCursor(true);
    Pass(10, {Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST), Event(SDL_MOUSEMOTION, 0, 50, 60)});
    EXPECT_FALSE(shell_input::IsCursorHidden());
    g_clock.minimised = true;
    Pass(10, {Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED)});
    g_clock.minimised = false, g_clock.visible = false;
    Pass(10);
    g_clock.visible = true;
    // Back: the hidden cursor returns, events bring buttons only, frozen time is cut to 0.3 s.
    Pass(1000, {Event(SDL_MOUSEMOTION, 0, 90, 95, SDL_BUTTON_LMASK)});
    EXPECT_EQ(Action("mouse pos x"), 10.0f);
    EXPECT_EQ(Action("mouse buttons"), static_cast<float>(MouseInput::kLeft));
    EXPECT_EQ(recorder->updates, (std::vector<float>{0.006f, 0.3f}));
    EXPECT_EQ(TimeInfo::Instance()->GetFrameCount(), frames + 2);
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"lost focus", "got focus"}));
}

TEST_F(Frame, KeysMouseWheelAndAJoystickPresentAtStartReachTheActionsButTheMiddleButtonDoesNot)
{
    SDL_Joystick* stick = PlugInPad();
    Action("(menu):button a", InputController::kPressEdge);
    SDL_JoystickSetVirtualButton(stick, 0, SDL_PRESSED);
    Pass(10, {Event(SDL_KEYDOWN, SDL_SCANCODE_W), Event(SDL_KEYDOWN, SDL_SCANCODE_KP_2),
              Event(SDL_MOUSEMOTION, 0, 10, 20, SDL_BUTTON_LMASK | SDL_BUTTON_RMASK), Event(SDL_MOUSEBUTTONDOWN, 1, 30, 40),
              Event(SDL_MOUSEBUTTONDOWN, 2, 70, 80)});
    EXPECT_EQ(std::vector<float>({Action("key event 87"), Action("mouse pos y"), Action("mouse buttons"),
                                  Action("(menu):button a", InputController::kPressEdge)}),
              std::vector<float>({1, 40, MouseInput::kLeft | MouseInput::kRight, 1}));
    Pass(10, {Event(SDL_KEYUP, SDL_SCANCODE_KP_2), Event(SDL_MOUSEWHEEL, -2)});
    EXPECT_EQ(std::vector<float>({Action("key event 87"), Action("key pressed 87")}), std::vector<float>({0, 1}));
    EXPECT_EQ(std::vector<int>({KeyboardInput::Instance()->GetLastReleasedKey(), MouseInput::Instance()->GetWheel()}),
              std::vector<int>({vk::Numpad(2), -2}));
    UnplugPad(stick);
}

TEST_F(Frame, AKeyAClickAndAPadButtonLetGoBeforeTheTickEachMakeOnePress)
{
    SDL_Joystick* stick = PlugInPad();
    const std::string down = "key pressed " + std::to_string(vk::Down);
    const std::vector<std::string> actions = {down, "mouse button l", "(menu):button a"};
    const auto edges = [&](int mode) {
        std::vector<float> read;
        for (const std::string& action : actions)
            read.push_back(Action(action, mode));
        return read;
    };
    edges(InputController::kPressEdge);
    Pass(10, {Event(SDL_MOUSEMOTION, 0, 30, 40, 0)});  // no button held from before
    // The pad's press and release come with two pumps, the key's and the click's with one.
    SDL_JoystickSetVirtualButton(stick, 0, SDL_PRESSED);
    platform::PumpEvents(theApp.GetRenderWindow());
    SDL_JoystickSetVirtualButton(stick, 0, SDL_RELEASED);
    Pass(10, {Event(SDL_KEYDOWN, SDL_SCANCODE_DOWN), Event(SDL_KEYUP, SDL_SCANCODE_DOWN),
              Event(SDL_MOUSEBUTTONDOWN, 1, 30, 40), Event(SDL_MOUSEBUTTONUP, 1, 30, 40)});
    EXPECT_EQ(edges(InputController::kPressEdge), std::vector<float>({1, 1, 1}));
    Pass(10);
    EXPECT_EQ(edges(InputController::kReleaseEdge), std::vector<float>({1, 1, 1}));
    UnplugPad(stick);
}

TEST_F(Frame, PausedByThePanelTheStateUpdatesWithNoTimeAndPauseGameTogglesOnItsPressEdge)
{
    CControlPanel panel;
    theApp.SetControlPanel(&panel);
    panel.OnPlayPause();
    Pass(10);
    panel.OnPlayPause(), panel.SetSpeedText("2.0");
    Pass(10);
    EXPECT_EQ(recorder->updates, (std::vector<float>{0.0f, 0.020f}));
    // A held key toggles once, on the frame after its press reached the controller.
    std::string paused;
    for (const float key : {1, 1, 1, 1, 0, 1, 1})
        recorder->pauseKey = key, Pass(10), paused += theApp.IsPaused() ? 'P' : '-';
    EXPECT_EQ(paused, "-PPPPP-");
    theApp.SetControlPanel(nullptr);
    EXPECT_TRUE(!theApp.IsPaused() && theApp.GetTimeScale() == 1.0f);
}

TEST_F(Frame, TwoStepsGiveOneUpdateWithTimeAndAStepOutlastsAPassTooShortToTick)
{
    CControlPanel panel;
    theApp.SetControlPanel(&panel);
    panel.OnPlayPause();
    Pass(10);
    panel.OnStep(), panel.OnStep();
    Pass(10), Pass(10);
    panel.OnStep();
    Pass(3), Pass(3), Pass(10);
    EXPECT_EQ(recorder->updates, (std::vector<float>{0.0f, 0.010f, 0.0f, 0.006f, 0.0f}));
}

TEST_F(Frame, PauseGameHeldFor50PassesTogglesOnceAndLeavesTheButtonsLabel)
{
    CControlPanel panel;
    theApp.SetControlPanel(&panel);
    int toggles = 0;
    bool was = theApp.IsPaused();
    recorder->pauseKey = 1.0f;
    for (int pass = 0; pass < 50; ++pass, was = theApp.IsPaused())
        Pass(10), toggles += theApp.IsPaused() != was;
    EXPECT_EQ(toggles, 1);
    EXPECT_TRUE(theApp.IsPaused());
    EXPECT_EQ(std::string(panel.GetPlayPauseText()), "Pause");
}

// The editor's ImGui without a window: the test is the mouse.
struct NoWindow : FrameHost {
    bool CreateRenderWindow(platform::Window&) override { return true; }
    void CloseMainWindow() override {}
};

TEST_F(Frame, AClickOnPauseInTheControlPanelPausesTheGame)
{
    NoWindow host;
    DebugWindows debugWindows;
    CMainFrame frame(host, FrameSetup{debugWindows, "1.0g", "", "", nullptr});
    ASSERT_TRUE(frame.CreateHeadless(640, 480));
    theApp.SetControlPanel(frame.GetControlPanel());
    frame.OnCommand(CMainFrame::kControlPanel);
    frame.Frame(), frame.Frame();  // the first one sizes the window, the second places it
    ImGuiWindow* window = ImGui::FindWindowByName(CControlPanel::kTitle);
    ASSERT_NE(window, nullptr);
    const ImVec2 pause(window->DC.CursorStartPos.x + 10, window->DC.CursorStartPos.y + 5);
    for (const bool down : {false, true, false}) {
        ImGui::GetIO().MousePos = pause;
        ImGui::GetIO().MouseDown[0] = down;
        frame.Frame();
    }
    Pass(10), Pass(10);
    EXPECT_EQ(recorder->updates, (std::vector<float>{0.0f, 0.0f}));
    EXPECT_EQ(std::string(frame.GetControlPanel()->GetPlayPauseText()), "Play");
    theApp.SetControlPanel(nullptr);
}

// Passes of the given length for one second of the fake clock, paced as the loop paces a
// window without vsync; how many there were.
int PassesInASecond(FrameLimiter& limiter, bool headless, int refreshRate, uint64_t passMicros, bool ticked = true)
{
    int passes = 0;
    for (const uint64_t end = g_clock.now + 1'000'000; g_clock.now < end; ++passes)
        g_clock.now += passMicros, limiter.Pace(g_clock, ticked, FrameLimiter::PeriodFor(headless, refreshRate));
    return passes;
}

TEST_F(Frame, TheLimiterDrawsNoMoreFramesThanTheDisplayShowsAndTheShortestTickUnderHeadlessDrivers)
{
    struct Case {
        bool headless;
        int refreshRate;
        uint64_t passMicros;
        bool ticked;
        int passes;
    };
    // The wait is in whole milliseconds; the schedule keeps the rate exact all the same.
    const Case cases[] = {
        {true, 0, 100, true, 200},     // headless: the shortest tick, 5 ms
        {true, 144, 100, true, 200},   // headless shows nothing, whatever the display
        {false, 0, 100, true, 60},     // a refused swap interval, the refresh unknown
        {false, 75, 100, true, 75},    // ... and known
        {false, 144, 3000, true, 144},
        {false, 60, 20'000, true, 50}, // passes slower than the display never wait
        {false, 60, 100, false, 99},   // refused ticks wait 10 ms each
    };
    for (const Case& c : cases) {
        FrameLimiter limiter;
        EXPECT_NEAR(PassesInASecond(limiter, c.headless, c.refreshRate, c.passMicros, c.ticked), c.passes, 1)
            << c.headless << " " << c.refreshRate << " " << c.passMicros << " " << c.ticked;
    }
}

TEST_F(Frame, AfterSlowPassesOrAClockThatWentBackTheLimiterStartsAfreshWithoutABurstOrALongSleep)
{
    FrameLimiter limiter;
    PassesInASecond(limiter, false, 60, 50'000);
    EXPECT_NEAR(PassesInASecond(limiter, false, 60, 100), 60, 1);
    g_clock.now -= 500'000;
    const uint64_t before = g_clock.now;
    limiter.Pace(g_clock, true, FrameLimiter::PeriodFor(false, 60));
    EXPECT_LE(g_clock.now - before, 17'000u);
    g_clock.now += 500'000;
}

}  // namespace
