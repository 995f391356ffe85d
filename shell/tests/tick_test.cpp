// The frame tick and the idle pass, driven by a fake counter without a window.
#include <gtest/gtest.h>

#include "framework/Debug.h"
#include "framework/GameState.h"
#include "framework/MainProgram.h"
#include "framework/TimeInfo.h"
#include "input/InputController.h"
#include "input/MouseInput.h"
#include "shell/MainApp.h"
#include "shell/RenderWindow.h"

#include <string>
#include <vector>

namespace {

constexpr uint64_t kFrequency = 1'000'000;  // counts per second

class FakeHost : public TickHost {
public:
    uint64_t Counter() override { return now; }
    uint64_t Frequency() override { return kFrequency; }
    bool IsMinimised(const platform::Window*) override { return minimised; }
    bool IsVisible(const platform::Window*) override { return visible; }

    // Every test starts later than the last: the application's window outlives tests.
    void AtMs(double ms) { now = s_base + uint64_t(ms * 1000.0); }
    static inline uint64_t s_base = 0;

    uint64_t now = 0;
    bool minimised = false;
    bool visible = true;
};

class RecordingState : public GameState {
public:
    void Update(float dt) override { updates.push_back(dt); }
    int HandleEvent(const char* event, intptr_t, intptr_t) override
    {
        events.push_back(event);
        return 1;
    }
    std::vector<float> updates;
    std::vector<std::string> events;
};

class FakePanel : public ControlPanel {
public:
    float GetSpeed() override { return speed; }
    bool IsPaused() override { return paused; }
    void SetPaused(bool p) override
    {
        paused = p;
        ++setCalls;
    }
    float speed = 1.0f;
    bool paused = false;
    int setCalls = 0;
};

// Answers "pause game" with whatever the test holds.
class PauseKeyMapper : public InputMapper {
public:
    bool Capture(const char*) override { return false; }
    bool Release(const char*) override { return false; }
    float GetValue(const std::string& name) override { return name == "pause game" ? value : kUnknown; }
    float value = 0.0f;
};

class Tick : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeHost::s_base += 1000 * kFrequency;
        state = new RecordingState();
        MainProgram::Instance()->PushState(state);
        MainProgram::Instance()->Update(0.0f);
        state->updates.clear();
        window.SetTickHost(&host);
    }
    void TearDown() override
    {
        MainProgram::Instance()->Exit();
        theApp.SetControlPanel(nullptr);
        theApp.GetRenderWindow().SetTickHost(nullptr);
    }

    // The application's window: its first tick here may carry time from an earlier test.
    void PrimeApp()
    {
        theApp.GetRenderWindow().SetTickHost(&host);
        host.AtMs(0);
        theApp.OnIdle(0);
        state->updates.clear();
    }

    FakeHost host;
    RenderWindow window;
    RecordingState* state = nullptr;
};

TEST_F(Tick, ShortTicksAccumulateUntilTheMinimumIsReached)
{
    host.AtMs(0);
    EXPECT_TRUE(window.Tick());  // sets the reference only
    host.AtMs(3);
    EXPECT_TRUE(window.Tick());
    EXPECT_TRUE(state->updates.empty());
    const uint32_t frames = TimeInfo::Instance()->GetFrameCount();

    // Measured from 0, not from 3: the short pass did not move the reference.
    host.AtMs(6);
    EXPECT_TRUE(window.Tick());
    ASSERT_EQ(state->updates.size(), 1u);
    EXPECT_NEAR(state->updates[0], 0.006f, 1e-6f);
    EXPECT_NEAR(window.GetDeltaTime(), 0.006f, 1e-6f);
    EXPECT_EQ(TimeInfo::Instance()->GetFrameCount(), frames + 1);
}

TEST_F(Tick, AStallIsClampedAndTheRestIsLost)
{
    host.AtMs(0);
    window.Tick();
    host.AtMs(2000);
    window.Tick();
    host.AtMs(2010);
    window.Tick();
    ASSERT_EQ(state->updates.size(), 2u);
    EXPECT_FLOAT_EQ(state->updates[0], 0.3f);
    EXPECT_NEAR(state->updates[1], 0.010f, 1e-6f);
}

TEST_F(Tick, UnfocusedOrMinimisedOrHiddenWindowsDoNotTick)
{
    host.AtMs(0);
    window.Tick();

    window.OnFocus(false);
    host.AtMs(100);
    EXPECT_FALSE(window.Tick());
    window.OnFocus(true);
    EXPECT_EQ(state->events, (std::vector<std::string>{"lost focus", "got focus"}));

    host.minimised = true;
    host.AtMs(200);
    EXPECT_FALSE(window.Tick());
    host.minimised = false;
    host.visible = false;
    EXPECT_FALSE(window.Tick());
    EXPECT_TRUE(state->updates.empty());

    // Back again: the frozen time arrives as one clamped tick.
    host.visible = true;
    host.AtMs(1500);
    EXPECT_TRUE(window.Tick());
    ASSERT_EQ(state->updates.size(), 1u);
    EXPECT_FLOAT_EQ(state->updates[0], 0.3f);
}

TEST_F(Tick, PauseAndSpeedComeFromTheControlPanel)
{
    FakePanel panel;
    RenderWindow& appWindow = theApp.GetRenderWindow();
    PrimeApp();
    theApp.SetControlPanel(&panel);

    panel.paused = true;
    host.AtMs(10);
    theApp.OnIdle(0);
    panel.paused = false;
    panel.speed = 2.0f;
    host.AtMs(30);
    theApp.OnIdle(0);

    // Paused, the state still updates every tick, with no time.
    ASSERT_EQ(state->updates.size(), 2u);
    EXPECT_EQ(state->updates[0], 0.0f);
    EXPECT_NEAR(state->updates[1], 2.0f * 0.020f, 1e-6f);
    EXPECT_TRUE(appWindow.NeedsPaint());
}

TEST_F(Tick, WithoutAControlPanelTheGameRunsUnpausedAtSpeedOne)
{
    PrimeApp();
    host.AtMs(10);
    theApp.OnIdle(0);
    EXPECT_FALSE(theApp.IsPaused());
    EXPECT_EQ(theApp.GetTimeScale(), 1.0f);
    EXPECT_TRUE(theApp.GetPhysics());
    ASSERT_EQ(state->updates.size(), 1u);
    EXPECT_NEAR(state->updates[0], 0.010f, 1e-6f);
}

TEST_F(Tick, HoldingPauseGameTogglesOnceOnThePressEdge)
{
    FakePanel panel;
    PauseKeyMapper key;
    BufferedInputController::Instance()->RegisterInputMapper(&key);
    PrimeApp();
    theApp.SetControlPanel(&panel);

    double ms = 0;
    auto pass = [&] {
        host.AtMs(ms += 10);
        theApp.OnIdle(0);
    };
    key.value = 1.0f;
    for (int i = 0; i < 6; ++i)
        pass();
    EXPECT_TRUE(panel.paused);
    EXPECT_EQ(panel.setCalls, 1);

    key.value = 0.0f;
    pass();
    pass();
    key.value = 1.0f;
    pass();
    pass();
    EXPECT_FALSE(panel.paused);
    EXPECT_EQ(panel.setCalls, 2);

    BufferedInputController::Instance()->UnregisterInputMapper(&key);
    BufferedInputController::Instance()->Exit();
}

TEST_F(Tick, MouseMessagesNeedFocusAndWheelNotchesPassThrough)
{
    host.AtMs(0);
    window.Tick();
    window.OnMouseMotion({100, 50, 0, 0, 0});
    host.AtMs(10);
    window.Tick();
    int x = 0, y = 0;
    MouseInput::Instance()->GetPosition(x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);

    window.OnFocus(false);
    window.OnMouseMotion({300, 200, 0, 0, 0});
    window.OnFocus(true);
    window.OnMouseWheel(0, -2);
    host.AtMs(20);
    window.Tick();
    MouseInput::Instance()->GetPosition(x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(MouseInput::Instance()->GetWheel(), -2);
}

TEST(Resolution, TableEntriesAndOutOfRangeIndicesClampWithAWarning)
{
    EXPECT_EQ(SelectResolution(2).width, 1280);
    EXPECT_EQ(SelectResolution(2).height, 960);
    EXPECT_EQ(SelectResolution(1).width, 1024);
    const int warnings = Debug::Instance()->GetWarningCount();
    EXPECT_EQ(SelectResolution(7).height, 960);
    EXPECT_EQ(SelectResolution(-3).width, 800);
    EXPECT_EQ(Debug::Instance()->GetWarningCount(), warnings + 2);
}

TEST(FrameLimiterTest, WaitsOutTheShortestTickAndIdlesWhenRefused)
{
    FrameLimiter limiter;
    EXPECT_EQ(limiter.WaitFor(0, kFrequency, true), 0u);
    EXPECT_EQ(limiter.WaitFor(2000, kFrequency, true), 3u);   // 2 ms in: 3 ms to go
    EXPECT_EQ(limiter.WaitFor(9000, kFrequency, true), 0u);   // 7 ms in: none
    EXPECT_EQ(limiter.WaitFor(9500, kFrequency, true), 5u);   // 0.5 ms in: rounded up
    EXPECT_EQ(limiter.WaitFor(9600, kFrequency, false), FrameLimiter::kIdleWaitMs);
}

}  // namespace
