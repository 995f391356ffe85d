#include "InputTestSupport.h"

#include "input/InputEvents.h"
#include "input/InputMappers.h"
#include "input/VirtualKeys.h"
#include "platform/Events.h"

#include <SDL.h>

using inputtest::InputTest;

namespace {

void Tap(KeyboardInput* keyboard, int key)
{
    keyboard->OnKeyDown(key);
    keyboard->Update(0.02f);
    keyboard->OnKeyUp(key);
    keyboard->Update(0.02f);
}

TEST_F(InputTest, TwoKeysReleasedInOneFrameTypeOnlyTheHigherCode)
{
    keyboard()->OnKeyDown('A');
    keyboard()->OnKeyDown('B');
    keyboard()->Update(0.02f);
    EXPECT_EQ(0, keyboard()->GetLastReleasedKey());
    keyboard()->OnKeyUp('A');
    keyboard()->OnKeyUp('B');
    keyboard()->Update(0.02f);
    EXPECT_EQ('B', keyboard()->GetLastReleasedKey());
    EXPECT_TRUE(keyboard()->WasKeyReleased('A'));
    EXPECT_TRUE(keyboard()->TypedSequenceMatches("b"));
    EXPECT_FALSE(keyboard()->TypedSequenceMatches("ab"));
    EXPECT_FALSE(keyboard()->TypedSequenceMatches("ba"));
}

TEST_F(InputTest, TypedSequenceMatchesInAnyCaseUntilAnotherKey)
{
    for (char c : {'C', 'A', 'T'})
        Tap(keyboard(), c);
    EXPECT_TRUE(keyboard()->TypedSequenceMatches("cat"));
    EXPECT_TRUE(keyboard()->TypedSequenceMatches("CaT"));
    EXPECT_TRUE(keyboard()->TypedSequenceMatches("at"));
    EXPECT_TRUE(keyboard()->TypedSequenceMatches(""));
    EXPECT_FALSE(keyboard()->TypedSequenceMatches("tac"));
    EXPECT_FALSE(keyboard()->TypedSequenceMatches("xcat"));
    Tap(keyboard(), 'S');
    EXPECT_FALSE(keyboard()->TypedSequenceMatches("cat"));
    EXPECT_TRUE(keyboard()->TypedSequenceMatches("cats"));
    keyboard()->ClearTypedKeys();
    EXPECT_FALSE(keyboard()->TypedSequenceMatches("s"));
}

TEST_F(InputTest, TypedBufferKeepsTheLast99Keys)
{
    for (int i = 0; i < 150; ++i)
        Tap(keyboard(), 'Z');
    EXPECT_TRUE(keyboard()->TypedSequenceMatches(std::string(99, 'z').c_str()));
    EXPECT_FALSE(keyboard()->TypedSequenceMatches(std::string(100, 'z').c_str()));
}

TEST_F(InputTest, KeyDownAndUpBetweenUpdatesMakesNoEdge)
{
    keyboard()->OnKeyDown(vk::Space);
    keyboard()->OnKeyUp(vk::Space);
    keyboard()->Update(0.02f);
    EXPECT_FALSE(keyboard()->WasKeyPressed(vk::Space));
    EXPECT_FALSE(keyboard()->WasKeyReleased(vk::Space));
    EXPECT_EQ(0, keyboard()->GetLastReleasedKey());
    EXPECT_EQ(vk::Space, keyboard()->GetLastPressedKey());
}

TEST_F(InputTest, HeldKeyFollowsTheNewestKeyStillDown)
{
    EXPECT_EQ(-1, keyboard()->GetHeldKey());
    keyboard()->OnKeyDown('A');
    keyboard()->OnKeyDown('B');
    EXPECT_EQ('B', keyboard()->GetHeldKey());
    keyboard()->OnKeyUp('A');
    EXPECT_EQ('B', keyboard()->GetHeldKey());
    keyboard()->ClearHeldKey();
    EXPECT_EQ(-1, keyboard()->GetHeldKey());
    EXPECT_TRUE(keyboard()->IsKeyDown('B')) << "clearing the held key leaves the key down";
    keyboard()->OnKeyDown('C');
    keyboard()->OnKeyUp('C');
    EXPECT_EQ(-1, keyboard()->GetHeldKey());
}

TEST_F(InputTest, KeyCodesOutsideTheTableAreIgnored)
{
    for (int key : {-1, 0, 256, 100000}) {
        keyboard()->OnKeyDown(key);
        EXPECT_FALSE(keyboard()->IsKeyDown(key));
        keyboard()->OnKeyUp(key);
    }
    keyboard()->Update(0.02f);
    EXPECT_EQ(-1, keyboard()->GetHeldKey());
    EXPECT_EQ(0, keyboard()->GetLastPressedKey());
}

TEST(VirtualKeys, ScancodesTranslateToGameCodes)
{
    EXPECT_EQ(0x41, vk::FromScancode(SDL_SCANCODE_A));
    EXPECT_EQ(0x5A, vk::FromScancode(SDL_SCANCODE_Z));
    EXPECT_EQ(0x30, vk::FromScancode(SDL_SCANCODE_0));
    EXPECT_EQ(0x31, vk::FromScancode(SDL_SCANCODE_1));
    EXPECT_EQ(0x39, vk::FromScancode(SDL_SCANCODE_9));
    EXPECT_EQ(0x60, vk::FromScancode(SDL_SCANCODE_KP_0));
    EXPECT_EQ(0x61, vk::FromScancode(SDL_SCANCODE_KP_1));
    EXPECT_EQ(0x69, vk::FromScancode(SDL_SCANCODE_KP_9));
    EXPECT_EQ(0x70, vk::FromScancode(SDL_SCANCODE_F1));
    EXPECT_EQ(0x7B, vk::FromScancode(SDL_SCANCODE_F12));
    EXPECT_EQ(0x7C, vk::FromScancode(SDL_SCANCODE_F13));
    EXPECT_EQ(0x26, vk::FromScancode(SDL_SCANCODE_UP));
    EXPECT_EQ(0x0D, vk::FromScancode(SDL_SCANCODE_KP_ENTER));
    EXPECT_EQ(0x10, vk::FromScancode(SDL_SCANCODE_LSHIFT));
    EXPECT_EQ(0x10, vk::FromScancode(SDL_SCANCODE_RSHIFT));
    EXPECT_EQ(0x11, vk::FromScancode(SDL_SCANCODE_RCTRL));
    EXPECT_EQ(0xBA, vk::FromScancode(SDL_SCANCODE_SEMICOLON));
    EXPECT_EQ(0xDE, vk::FromScancode(SDL_SCANCODE_APOSTROPHE));
    EXPECT_EQ(0, vk::FromScancode(SDL_SCANCODE_UNKNOWN));
    EXPECT_EQ(0, vk::FromScancode(SDL_SCANCODE_AUDIOPLAY));
}

class EventFeedTest : public InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_EVENTS)) << SDL_GetError();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override
    {
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
        InputTest::TearDown();
    }

    static void PushKey(SDL_Scancode scancode, bool down)
    {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = scancode;
        ASSERT_EQ(1, SDL_PushEvent(&event)) << SDL_GetError();
    }
    static void PushMotion(int x, int y, uint32_t state)
    {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.x = x;
        event.motion.y = y;
        event.motion.state = state;
        ASSERT_EQ(1, SDL_PushEvent(&event)) << SDL_GetError();
    }
    static void PushWheel(int y)
    {
        SDL_Event event{};
        event.type = SDL_MOUSEWHEEL;
        event.wheel.y = y;
        event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
        ASSERT_EQ(1, SDL_PushEvent(&event)) << SDL_GetError();
    }

    InputEventHandler m_handler;
};

TEST_F(EventFeedTest, PushedKeysReachTheKeyboardByGameCode)
{
    PushKey(SDL_SCANCODE_W, true);
    PushKey(SDL_SCANCODE_KP_2, true);
    PushKey(SDL_SCANCODE_AUDIOPLAY, true);  // no game code: dropped
    platform::PumpEvents(m_handler);
    keyboard()->Update(0.02f);
    EXPECT_TRUE(keyboard()->WasKeyPressed('W'));
    EXPECT_TRUE(keyboard()->IsKeyDown(vk::Numpad(2)));
    EXPECT_EQ(vk::Numpad(2), keyboard()->GetHeldKey());

    PushKey(SDL_SCANCODE_KP_2, false);
    PushKey(SDL_SCANCODE_AUDIOPLAY, false);
    platform::PumpEvents(m_handler);
    keyboard()->Update(0.02f);
    EXPECT_EQ(vk::Numpad(2), keyboard()->GetLastReleasedKey());
    EXPECT_EQ(-1, keyboard()->GetHeldKey());
    EXPECT_TRUE(keyboard()->IsKeyDown('W'));
}

TEST_F(EventFeedTest, MouseEventsCountOnlyWithFocus)
{
    MouseInput* mouse = MouseInput::Instance();
    PushMotion(10, 20, SDL_BUTTON_RMASK);
    PushWheel(-2);
    platform::PumpEvents(m_handler);
    mouse->Update(0.02f);
    int x = 0, y = 0;
    mouse->GetPosition(x, y);
    EXPECT_EQ(10, x);
    EXPECT_EQ(20, y);
    EXPECT_EQ(MouseInput::kRight, mouse->GetButtons());
    EXPECT_EQ(-2, mouse->GetWheel());

    m_handler.OnFocus(false);
    PushMotion(50, 60, SDL_BUTTON_LMASK);
    platform::PumpEvents(m_handler);
    mouse->Update(0.02f);
    mouse->GetPosition(x, y);
    EXPECT_EQ(10, x);
    EXPECT_EQ(MouseInput::kRight, mouse->GetButtons());
    EXPECT_EQ(0, mouse->GetWheel()) << "a wheel notch counts for one update";

    // With the cursor hidden the tick owns the position; events bring buttons only.
    m_handler.OnFocus(true);
    mouse->HideCursor(true);
    PushMotion(70, 80, SDL_BUTTON_LMASK | SDL_BUTTON_MMASK);
    platform::PumpEvents(m_handler);
    mouse->Update(0.02f);
    mouse->GetPosition(x, y);
    EXPECT_EQ(10, x);
    EXPECT_EQ(MouseInput::kLeft | MouseInput::kMiddle, mouse->GetButtons());
    mouse->HideCursor(false);
}

TEST_F(InputTest, MouseStateAndDelta)
{
    MouseInput* mouse = MouseInput::Instance();
    mouse->SetState(100, 50, 0);
    mouse->Update(0.02f);
    int dx = 1, dy = 1;
    mouse->GetDelta(dx, dy);
    EXPECT_EQ(0, dx) << "no delta on the first update";
    EXPECT_EQ(0, dy);

    mouse->SetState(-1, -1, 1);  // buttons only
    mouse->Update(0.02f);
    int x = 0, y = 0;
    mouse->GetPosition(x, y);
    EXPECT_EQ(100, x);
    EXPECT_EQ(50, y);
    EXPECT_EQ(1u, mouse->GetButtons());
    EXPECT_EQ(1u, mouse->GetButtonsPressed());

    mouse->SetState(110, 45, MouseInput::kUnchanged);
    mouse->Update(0.02f);
    mouse->GetDelta(dx, dy);
    EXPECT_EQ(10, dx);
    EXPECT_EQ(-5, dy);
    EXPECT_EQ(1u, mouse->GetButtons());
    EXPECT_EQ(0u, mouse->GetButtonsPressed());

    mouse->ResetPosition(400, 300);
    mouse->Update(0.02f);
    mouse->GetDelta(dx, dy);
    EXPECT_EQ(0, dx);
    EXPECT_EQ(0, dy);
}

TEST_F(InputTest, DefaultMapperReportsMouseBitsAndRawKeys)
{
    InputMapperDefault mapper;
    MouseInput* mouse = MouseInput::Instance();
    mouse->SetState(7, 9, MouseInput::kRight | MouseInput::kMiddle);
    mouse->Update(0.02f);
    EXPECT_EQ(2.0f, mapper.GetValue("mouse button r"));
    EXPECT_EQ(16.0f, mapper.GetValue("mouse button m"));
    EXPECT_EQ(0.0f, mapper.GetValue("mouse button l"));
    EXPECT_EQ(18.0f, mapper.GetValue("mouse buttons"));
    EXPECT_EQ(2.0f, mapper.GetValue("mouse event r"));
    EXPECT_EQ(7.0f, mapper.GetValue("mouse pos x"));
    EXPECT_EQ(9.0f, mapper.GetValue("mouse pos y"));
    mouse->Update(0.02f);
    EXPECT_EQ(0.0f, mapper.GetValue("mouse event r")) << "held, not newly pressed";
    EXPECT_EQ(2.0f, mapper.GetValue("mouse button r"));

    keyboard()->OnKeyDown(65);
    keyboard()->Update(0.02f);
    EXPECT_EQ(1.0f, mapper.GetValue("key event 65"));
    EXPECT_EQ(1.0f, mapper.GetValue("key pressed 65"));
    EXPECT_EQ(0.0f, mapper.GetValue("key pressed 66"));
    EXPECT_EQ(0.0f, mapper.GetValue("key pressed 9999"));
    EXPECT_EQ(0.0f, mapper.GetValue("key event nonsense"));
    keyboard()->Update(0.02f);
    EXPECT_EQ(0.0f, mapper.GetValue("key event 65"));
    EXPECT_EQ(InputMapper::kUnknown, mapper.GetValue("menu up"));
    EXPECT_FALSE(mapper.Capture("keyboard"));
}

TEST_F(InputTest, GameMapperKeysAndCheats)
{
    InputMapperGameTB mapper;
    EXPECT_EQ(InputMapper::kUnknown, mapper.GetValue("(0):up"));
    EXPECT_EQ(0.0f, mapper.GetValue("pause game"));

    keyboard()->OnKeyDown(vk::Return);
    keyboard()->OnKeyDown(vk::F(7));
    keyboard()->Update(0.02f);
    EXPECT_EQ(1.0f, mapper.GetValue("menu select"));
    EXPECT_EQ(1.0f, mapper.GetValue("zoom in camera"));
    EXPECT_EQ(0.0f, mapper.GetValue("menu back"));
    keyboard()->Update(0.02f);
    EXPECT_EQ(0.0f, mapper.GetValue("menu select")) << "an edge, not a level";
    EXPECT_EQ(1.0f, mapper.GetValue("zoom in camera")) << "a level";
    EXPECT_EQ(0.0f, mapper.GetValue("any key press"));
    keyboard()->OnKeyUp(vk::F(7));
    keyboard()->Update(0.02f);
    EXPECT_EQ(1.0f, mapper.GetValue("any key press"));

    for (char c : std::string("CHEAT SKIP"))
        Tap(keyboard(), c);
    EXPECT_EQ(0.0f, mapper.GetValue("cheat win"));
    EXPECT_EQ(1.0f, mapper.GetValue("cheat skip"));
    EXPECT_EQ(0.0f, mapper.GetValue("cheat skip")) << "the typed keys were cleared";
}

}  // namespace
