// Frames on a fake clock: the tick, the idle pass and the frame limiter, with pushed SDL
// events and a virtual joystick reaching the game through the render window.
#include <gtest/gtest.h>

#include "framework/GameState.h"
#include "framework/MainProgram.h"
#include "input/ConfigurableInputMapper.h"
#include "input/KeyboardInput.h"
#include "input/MouseInput.h"
#include "input/PlatformInputDevices.h"
#include "platform/Platform.h"
#include "shell/MainApp.h"
#include "shell/ShellInput.h"
#include "tests/support/ScopedEnv.h"

#include <SDL.h>

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

struct Recorder : GameState, ControlPanel, InputMapper {
    void Update(float dt) override { updates.push_back(dt); }
    int HandleEvent(const char* event, intptr_t, intptr_t) override { return events.push_back(event), 1; }
    float GetSpeed() override { return speed; }
    bool IsPaused() override { return paused; }
    void SetPaused(bool p) override { paused = p, ++pauseSets; }
    bool Capture(const char*) override { return false; }
    bool Release(const char*) override { return false; }
    float GetValue(const std::string& name) override { return name == "pause game" ? pauseKey : kUnknown; }
    std::vector<float> updates;
    std::vector<std::string> events;
    float speed = 1.0f, pauseKey = 0.0f;
    bool paused = false;
    int pauseSets = 0;
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
    static void SetUpTestSuite()
    {
        UseOffscreenDriverUnlessSet();
        ASSERT_TRUE(platform::Init());
    }
    static void TearDownTestSuite() { platform::Shutdown(); }
    void SetUp() override
    {
        MainProgram::Instance()->PushState(recorder);
        MainProgram::Instance()->Update(0.0f);
        window.SetTickHost(&g_clock);
        theApp.GetRenderWindow().SetTickHost(&g_clock);
        shell_input::Init();
        BufferedInputController::Instance()->RegisterInputMapper(recorder);
        Pass(0);  // sets the reference
        recorder->updates.clear();
    }
    void TearDown() override
    {
        theApp.SetControlPanel(nullptr);
        BufferedInputController::Instance()->UnregisterInputMapper(recorder);
        shell_input::Exit();
        MainProgram::Instance()->Exit();
    }

    // The events pumped, then a tick ms after the last pass.
    bool Pass(double ms, std::initializer_list<SDL_Event> events = {})
    {
        for (SDL_Event e : events)
            EXPECT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
        platform::PumpEvents(window);
        g_clock.now += static_cast<uint64_t>(ms * 1000);
        return window.Tick();
    }
    void Idle(double ms, int passes = 1)
    {
        for (int i = 0; i < passes; ++i, g_clock.now += static_cast<uint64_t>(ms * 1000))
            theApp.OnIdle(0);
    }
    static float Action(const std::string& name, int mode = InputController::kValue)
    {
        return BufferedInputController::Instance()->GetAction(name, mode);
    }

    RenderWindow window;
    Recorder* recorder = new Recorder();  // the program deletes it
};

TEST_F(Frame, ShortTicksAccumulateAndAStallIsClamped)
{
    for (double ms : {3.0, 3.0, 2000.0, 10.0})
        EXPECT_TRUE(Pass(ms));
    // Measured from 0, not from 3; of the two-second stall 0.3 s is kept.
    ASSERT_EQ(recorder->updates.size(), 3u);
    EXPECT_NEAR(recorder->updates[0], 0.006f, 1e-6f);
    EXPECT_FLOAT_EQ(recorder->updates[1], 0.3f);
    EXPECT_NEAR(window.GetDeltaTime(), 0.010f, 1e-6f);
}

TEST_F(Frame, WithoutFocusOrVisibilityTheGameIsFrozenAndTheMouseIgnored)
{
    Pass(10, {Event(SDL_MOUSEMOTION, 0, 10, 20)});
    shell_input::HideCursor(true);
    EXPECT_FALSE(Pass(10, {Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST), Event(SDL_MOUSEMOTION, 0, 50, 60)}));
    EXPECT_FALSE(shell_input::IsCursorHidden());
    g_clock.minimised = true;
    EXPECT_FALSE(Pass(10, {Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED)}));
    g_clock.minimised = false, g_clock.visible = false;
    EXPECT_FALSE(Pass(10));
    g_clock.visible = true;
    // Back: the hidden cursor returns, events bring buttons only, frozen time is clamped.
    EXPECT_TRUE(Pass(1000, {Event(SDL_MOUSEMOTION, 0, 90, 95, SDL_BUTTON_LMASK)}));
    EXPECT_TRUE(shell_input::IsCursorHidden());
    shell_input::HideCursor(false);
    EXPECT_EQ(Action("mouse pos x"), 10.0f);
    EXPECT_EQ(Action("mouse buttons"), static_cast<float>(MouseInput::kLeft));
    EXPECT_EQ(recorder->updates, (std::vector<float>{0.010f, 0.3f}));
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"lost focus", "got focus"}));
}

TEST_F(Frame, KeysMouseAndWheelReachTheActionsButTheMiddleButtonDoesNot)
{
    Pass(10, {Event(SDL_KEYDOWN, SDL_SCANCODE_W), Event(SDL_KEYDOWN, SDL_SCANCODE_KP_2),
              Event(SDL_MOUSEMOTION, 0, 10, 20, SDL_BUTTON_RMASK), Event(SDL_MOUSEBUTTONDOWN, 2, 70, 80)});
    EXPECT_EQ(Action("key event 87"), 1.0f);
    EXPECT_EQ(Action("mouse pos y"), 20.0f);
    EXPECT_EQ(Action("mouse buttons"), static_cast<float>(MouseInput::kRight));
    Pass(10, {Event(SDL_KEYUP, SDL_SCANCODE_KP_2), Event(SDL_MOUSEWHEEL, -2)});
    EXPECT_EQ(Action("key event 87"), 0.0f);
    EXPECT_EQ(Action("key pressed 87"), 1.0f);
    EXPECT_EQ(KeyboardInput::Instance()->GetLastReleasedKey(), vk::Numpad(2));
    EXPECT_EQ(MouseInput::Instance()->GetWheel(), -2);
}

TEST_F(Frame, AJoystickPresentAtStartDrivesTheMenuActions)
{
    shell_input::Exit();
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 0);
    shell_input::Init();
    SDL_Joystick* stick = SDL_JoystickOpen(index);
    ASSERT_NE(stick, nullptr) << SDL_GetError();
    ConfigurableInputMapper* pad = PlatformInputDevices::Instance()->GetInputMapper(1);
    BufferedInputController::Instance()->RegisterInputMapper(pad);
    Action("(menu):button a", InputController::kPressEdge);
    SDL_JoystickSetVirtualButton(stick, 0, SDL_PRESSED);
    SDL_JoystickSetVirtualAxis(stick, 0, -16384);
    Pass(10);
    EXPECT_EQ(Action("(menu):button a", InputController::kPressEdge), 1.0f);
    EXPECT_NEAR(Action("(menu):left"), 0.5f, 0.001f);
    BufferedInputController::Instance()->UnregisterInputMapper(pad);
    SDL_JoystickClose(stick);
    SDL_JoystickDetachVirtual(index);
}

TEST_F(Frame, PanelSetsPauseAndSpeedAndPauseGameTogglesOnItsPressEdge)
{
    Idle(10);
    recorder->updates.clear();
    Idle(10);
    theApp.SetControlPanel(recorder);
    recorder->paused = true;
    Idle(20);
    recorder->paused = false, recorder->speed = 2.0f;
    Idle(10);
    // Paused, the state still updates every tick, with no time.
    EXPECT_EQ(recorder->updates, (std::vector<float>{0.010f, 0.0f, 0.040f}));
    recorder->pauseKey = 1.0f;
    Idle(10, 4);
    EXPECT_TRUE(recorder->paused);
    recorder->pauseKey = 0.0f;
    Idle(10);
    recorder->pauseKey = 1.0f;
    Idle(10, 2);
    EXPECT_EQ(recorder->pauseSets, 2);
    theApp.SetControlPanel(nullptr);
    EXPECT_FALSE(theApp.IsPaused());
    EXPECT_EQ(theApp.GetTimeScale(), 1.0f);
}

TEST_F(Frame, TheLimiterPacesPassesToTheShortestTickAndWaitsAfterARefusedOne)
{
    // Each pass works 0.1 ms; a paced one then waits out the rest of 5 ms (rounded up to
    // whole milliseconds), a refused one 10 ms.
    for (const auto& [ticked, period] : {std::pair{true, 5.1}, std::pair{false, 10.1}}) {
        FrameLimiter limiter;
        const uint64_t end = g_clock.now + 1'000'000;
        int passes = 0;
        for (; g_clock.now < end; ++passes) {
            g_clock.now += 100;
            limiter.Pace(g_clock, ticked);
        }
        EXPECT_NEAR(passes, 1000.0 / period, 2.0) << ticked;
    }
}

}  // namespace
