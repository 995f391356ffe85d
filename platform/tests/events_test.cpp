#include "platform/Events.h"

#include "support/PlatformTest.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Writes every call as a line, so that order and content are checked at once.
class Recorder : public platform::EventHandler {
public:
    void OnQuit() override { Add("quit"); }
    void OnResized(int w, int h) override { Add("resized", w, h); }
    void OnFocus(bool gained) override { Add(gained ? "focus gained" : "focus lost"); }
    void OnExposed() override { Add("exposed"); }
    void OnKeyDown(const platform::KeyEvent& e) override { Add(e.repeat ? "repeat" : "down", e.scancode, e.key); }
    void OnKeyUp(const platform::KeyEvent& e) override { Add("up", e.scancode, e.modifiers); }
    void OnTextInput(const char* text) override { Add(std::string("text ") + text); }
    void OnMouseMotion(const platform::MouseMotionEvent& e) override { Add("move", e.x, e.y, e.dx, e.dy, e.buttons); }
    void OnMouseButton(const platform::MouseButtonEvent& e) override
    {
        Add(e.down ? "press" : "release", e.button, e.x, e.y, e.buttons);
    }
    void OnMouseWheel(int x, int y) override { Add("wheel", x, y); }
    void OnDeviceAdded(const platform::DeviceEvent& e) override { Add("added", e.deviceIndex, e.instanceId, e.gamepad); }
    void OnDeviceRemoved(const platform::DeviceEvent& e) override { Add("removed", e.deviceIndex, e.instanceId, e.gamepad); }

    template <typename... Numbers>
    void Add(std::string line, Numbers... numbers)
    {
        ((line += " " + std::to_string(numbers)), ...);
        lines.push_back(line);
    }
    std::vector<std::string> lines;
};

SDL_Event Event(Uint32 type, int a = 0, int b = 0, int c = 0)
{
    SDL_Event e{};
    e.type = type;
    if (type == SDL_WINDOWEVENT)
        e.window = {type, 0, 0, static_cast<Uint8>(a), 0, 0, 0, b, c};
    else if (type == SDL_KEYDOWN || type == SDL_KEYUP)
        e.key = {type, 0, 0, 0, static_cast<Uint8>(b), 0, 0, {static_cast<SDL_Scancode>(a), 'a' + a - 4, 0x40, 0}};
    else if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP)
        e.button = {type, 0, 0, 0, static_cast<Uint8>(a), 0, 1, 0, b, c};
    else if (type == SDL_MOUSEWHEEL)
        e.wheel.x = b, e.wheel.y = c, e.wheel.direction = static_cast<Uint32>(a);
    return e;
}

class EventsTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        Pump({});
        recorder.lines.clear();
    }
    void TearDown() override
    {
        platform::ClearQuitRequest();
        PlatformTest::TearDown();
    }
    int Pump(std::initializer_list<SDL_Event> events)
    {
        for (SDL_Event e : events)
            EXPECT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
        return platform::PumpEvents(recorder);
    }
    Recorder recorder;
};

TEST_F(EventsTest, KeysTextWindowAndMouseEventsArriveInOrderAndUnhandledOnesAreDropped)
{
    SDL_Event text = Event(SDL_TEXTINPUT), motion = Event(SDL_MOUSEMOTION);
    std::snprintf(text.text.text, sizeof text.text.text, "%s", "q");
    motion.motion = {SDL_MOUSEMOTION, 0, 0, 0, SDL_BUTTON_MMASK, 20, 30, -3, 4};
    EXPECT_EQ(Pump({Event(SDL_KEYDOWN, SDL_SCANCODE_A), Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST),
                    Event(SDL_KEYDOWN, SDL_SCANCODE_A, 1), Event(SDL_KEYUP, SDL_SCANCODE_A), text,
                    Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED),
                    Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_SIZE_CHANGED, 640, 360),
                    Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_RESIZED, 640, 360), Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_EXPOSED),
                    Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_MOVED, 10, 10), Event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6),
                    Event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 5, 6), Event(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 7, 8),
                    Event(SDL_MOUSEBUTTONDOWN, 0, 7, 8), Event(SDL_MOUSEBUTTONDOWN, 200, 7, 8),
                    Event(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 7, 8), motion,
                    Event(SDL_MOUSEWHEEL, SDL_MOUSEWHEEL_NORMAL, 0, 2), Event(SDL_MOUSEWHEEL, SDL_MOUSEWHEEL_FLIPPED, -1, 1)}),
              19);
    // Button masks hold the state after the event; numbers no mask has leave it alone.
    const std::vector<std::string> expected = {
        "down 4 97", "focus lost", "repeat 4 97", "up 4 64", "text q", "focus gained", "resized 640 360", "exposed",
        "press 1 5 6 1", "press 3 5 6 5", "release 1 7 8 4", "press 0 7 8 4", "press 200 7 8 4", "release 3 7 8 0",
        "move 20 30 -3 4 2", "wheel 0 2", "wheel 1 -1"};
    EXPECT_EQ(recorder.lines, expected);
}

TEST_F(EventsTest, WindowCloseAndQuitAreOneRequestUntilClearedAndRequestsGoThroughThePump)
{
    EXPECT_EQ(Pump({Event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_CLOSE), Event(SDL_QUIT)}), 2);
    EXPECT_TRUE(platform::QuitRequested());
    platform::ClearQuitRequest();
    EXPECT_FALSE(platform::QuitRequested());
    platform::RequestQuit();
    EXPECT_FALSE(platform::QuitRequested()) << "posted, not acted on, until the pump hands it out";
    EXPECT_EQ(Pump({}), 1);
    EXPECT_TRUE(platform::QuitRequested());
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"quit", "quit"}));
    platform::Shutdown();
    EXPECT_EQ(platform::PumpEvents(recorder), 0) << "nothing to pump";
}

TEST_F(EventsTest, JoystickArrivalAndRemovalAreReportedOnce)
{
    if (!SDL_WasInit(SDL_INIT_JOYSTICK))
        GTEST_SKIP() << "no joystick support on this machine";
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
    Pump({});
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0) << SDL_GetError();
    Pump({});
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"added " + std::to_string(index) + " " + std::to_string(id) + " 1",
                                                        "removed -1 " + std::to_string(id) + " 1"}));
}

}  // namespace
