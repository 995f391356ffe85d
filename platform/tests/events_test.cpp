#include "platform/Events.h"

#include "Headless.h"

#include <string>
#include <vector>

namespace {

// Writes every call as a line so that order and content are checked at once.
class Recorder : public platform::EventHandler {
public:
    void OnQuit() override { Add("quit"); }
    void OnResized(int w, int h) override { Add("resized " + std::to_string(w) + "x" + std::to_string(h)); }
    void OnFocus(bool gained) override { Add(gained ? "focus gained" : "focus lost"); }
    void OnExposed() override { Add("exposed"); }
    void OnKeyDown(const platform::KeyEvent& e) override { Add("down " + Key(e)); }
    void OnKeyUp(const platform::KeyEvent& e) override { Add("up " + Key(e)); }
    void OnMouseMotion(const platform::MouseMotionEvent& e) override
    {
        Add("move " + std::to_string(e.x) + "," + std::to_string(e.y) + " by " +
            std::to_string(e.dx) + "," + std::to_string(e.dy) + " buttons " + std::to_string(e.buttons));
    }
    void OnMouseButton(const platform::MouseButtonEvent& e) override
    {
        Add("button " + std::to_string(e.button) + (e.down ? " down" : " up") + " at " +
            std::to_string(e.x) + "," + std::to_string(e.y) + " buttons " + std::to_string(e.buttons));
    }
    void OnMouseWheel(int x, int y) override { Add("wheel " + std::to_string(x) + "," + std::to_string(y)); }
    void OnDeviceAdded(const platform::DeviceEvent& e) override { Add("added " + Device(e)); }
    void OnDeviceRemoved(const platform::DeviceEvent& e) override { Add("removed " + Device(e)); }

    std::vector<std::string> lines;

private:
    void Add(std::string line) { lines.push_back(std::move(line)); }
    static std::string Key(const platform::KeyEvent& e)
    {
        return std::to_string(e.scancode) + (e.repeat ? " repeat" : "");
    }
    static std::string Device(const platform::DeviceEvent& e)
    {
        return std::to_string(e.deviceIndex) + " id " + std::to_string(e.instanceId) +
               (e.gamepad ? " gamepad" : "");
    }
};

void Push(SDL_Event event)
{
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void PushKey(Uint32 type, SDL_Scancode code, bool repeat = false)
{
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = code;
    e.key.keysym.sym = SDL_GetKeyFromScancode(code);
    Push(e);
}

void PushWindow(Uint8 what, int data1 = 0, int data2 = 0)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    e.window.data1 = data1;
    e.window.data2 = data2;
    Push(e);
}

void PushQuit()
{
    SDL_Event e{};
    e.type = SDL_QUIT;
    Push(e);
}

void PushButton(Uint32 type, Uint8 button, int x, int y)
{
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    Push(e);
}

class EventsTest : public PlatformFixture {
protected:
    void SetUp() override
    {
        PlatformFixture::SetUp();
        platform::ClearQuitRequest();
        Recorder drain;
        platform::PumpEvents(drain);
    }
    void TearDown() override
    {
        platform::ClearQuitRequest();
        PlatformFixture::TearDown();
    }
    Recorder recorder;
};

TEST_F(EventsTest, KeyFocusAndQuitArriveInOrder)
{
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A);
    PushWindow(SDL_WINDOWEVENT_FOCUS_LOST);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, true);
    PushKey(SDL_KEYUP, SDL_SCANCODE_A);
    PushWindow(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushQuit();
    EXPECT_FALSE(platform::QuitRequested());

    EXPECT_EQ(platform::PumpEvents(recorder), 6);
    const std::vector<std::string> expected = {"down 4", "focus lost", "down 4 repeat", "up 4",
                                               "focus gained", "quit"};
    EXPECT_EQ(recorder.lines, expected);
    EXPECT_TRUE(platform::QuitRequested());
    EXPECT_EQ(platform::PumpEvents(recorder), 0);
}

TEST_F(EventsTest, WindowCloseAndQuitAreOneRequestUntilCleared)
{
    PushWindow(SDL_WINDOWEVENT_CLOSE);
    PushQuit();
    platform::PumpEvents(recorder);
    EXPECT_EQ(recorder.lines, std::vector<std::string>{"quit"});
    EXPECT_TRUE(platform::QuitRequested());

    platform::ClearQuitRequest();
    EXPECT_FALSE(platform::QuitRequested());
    platform::RequestQuit();
    // Posted, not acted on, until the pump hands it out.
    EXPECT_FALSE(platform::QuitRequested());
    platform::PumpEvents(recorder);
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"quit", "quit"}));
    EXPECT_TRUE(platform::QuitRequested());
}

TEST_F(EventsTest, WindowEventsOtherThanTheHandledOnesAreDropped)
{
    PushWindow(SDL_WINDOWEVENT_SIZE_CHANGED, 640, 360);
    PushWindow(SDL_WINDOWEVENT_RESIZED, 640, 360);
    PushWindow(SDL_WINDOWEVENT_EXPOSED);
    PushWindow(SDL_WINDOWEVENT_MOVED, 10, 10);
    platform::PumpEvents(recorder);
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"resized 640x360", "exposed"}));
}

TEST_F(EventsTest, MouseButtonsAccumulateIntoTheMask)
{
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 5, 6);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 7, 8);
    PushButton(SDL_MOUSEBUTTONDOWN, 0, 7, 8);    // no such button: passed on, mask untouched
    PushButton(SDL_MOUSEBUTTONDOWN, 200, 7, 8);  // beyond any mask bit
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 7, 8);
    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.x = 20;
    move.motion.y = 30;
    move.motion.xrel = -3;
    move.motion.yrel = 4;
    move.motion.state = SDL_BUTTON_MMASK;
    Push(move);
    platform::PumpEvents(recorder);
    const std::vector<std::string> expected = {
        "button 1 down at 5,6 buttons 1", "button 3 down at 5,6 buttons 5",
        "button 1 up at 7,8 buttons 4",   "button 0 down at 7,8 buttons 4",
        "button 200 down at 7,8 buttons 4", "button 3 up at 7,8 buttons 0",
        "move 20,30 by -3,4 buttons 2"};
    EXPECT_EQ(recorder.lines, expected);
}

TEST_F(EventsTest, WheelCountsNotchesAwayFromTheUser)
{
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 2;
    wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    Push(wheel);
    // A flipped (natural scrolling) wheel reports the opposite sign for the same turn.
    wheel.wheel.y = 1;
    wheel.wheel.x = -1;
    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    Push(wheel);
    platform::PumpEvents(recorder);
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"wheel 0,2", "wheel 1,-1"}));
}

TEST_F(EventsTest, JoystickArrivalAndRemovalAreReportedOnce)
{
    if (!SDL_WasInit(SDL_INIT_JOYSTICK))
        GTEST_SKIP() << "no joystick support on this machine";
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
    platform::PumpEvents(recorder);
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0) << SDL_GetError();
    platform::PumpEvents(recorder);

    const std::string device = std::to_string(index) + " id " + std::to_string(id) + " gamepad";
    const std::string removed = "-1 id " + std::to_string(id) + " gamepad";
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"added " + device, "removed " + removed}));
}

}  // namespace
