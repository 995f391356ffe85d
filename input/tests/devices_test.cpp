#include "support/InputTest.h"

#include "framework/Settings.h"
#include "input/InputMappers.h"
#include "input/VirtualKeys.h"

#include <SDL.h>

#include <cctype>
#include <fstream>
#include <functional>
#include <vector>

namespace {

void Tap(int key)
{
    KeyboardInput::Instance()->OnKeyDown(key);
    KeyboardInput::Instance()->Update(0.02f);
    KeyboardInput::Instance()->OnKeyUp(key);
    KeyboardInput::Instance()->Update(0.02f);
}

TEST_F(InputTest, KeysAreTypedOnePerFrameHeldAndEdgedOnlyBetweenUpdates)
{
    keyboard()->OnKeyDown('A');
    keyboard()->OnKeyDown('B');
    keyboard()->Update(0.02f);
    keyboard()->OnKeyUp('A');
    keyboard()->OnKeyUp('B');
    keyboard()->Update(0.02f);
    // Of two keys released in one frame only the higher code is typed.
    EXPECT_TRUE(keyboard()->GetLastReleasedKey() == 'B' && keyboard()->WasKeyReleased('A'));
    for (char c : {'C', 'A', 'T'})
        Tap(c);
    const std::pair<const char*, bool> matches[] = {{"bcat", true}, {"CaT", true}, {"at", true}, {"", true},
                                                    {"tac", false}, {"abcat", false}, {"xcat", false}};
    for (const auto& [text, match] : matches)
        EXPECT_EQ(keyboard()->TypedSequenceMatches(text), match) << text;
    keyboard()->ClearTypedKeys();
    EXPECT_FALSE(keyboard()->TypedSequenceMatches("t"));
    for (int i = 0; i < 150; ++i)
        Tap('Z');
    EXPECT_TRUE(keyboard()->TypedSequenceMatches(std::string(99, 'z').c_str()));
    EXPECT_FALSE(keyboard()->TypedSequenceMatches(std::string(100, 'z').c_str()));

    // Keys sit where a US keyboard has them; codes outside the table carry no key.
    std::vector<int> codes;
    for (const SDL_Scancode key :
         {SDL_SCANCODE_0, SDL_SCANCODE_9, SDL_SCANCODE_RSHIFT, SDL_SCANCODE_KP_ENTER, SDL_SCANCODE_AUDIOPLAY})
        codes.push_back(vk::FromScancode(static_cast<platform::Scancode>(key)));
    EXPECT_EQ(codes, std::vector<int>({'0', '9', vk::Shift, vk::Return, 0}));
    for (int key : {-1, 0, 256, 100000})
        keyboard()->OnKeyDown(key);
    EXPECT_EQ(keyboard()->GetHeldKey(), -1);
    keyboard()->OnKeyDown('A');
    keyboard()->OnKeyDown('B');
    keyboard()->OnKeyUp('A');
    EXPECT_EQ(keyboard()->GetHeldKey(), 'B');
    keyboard()->ClearHeldKey();
    EXPECT_EQ(keyboard()->GetHeldKey(), -1);
    keyboard()->Update(0.02f);
    EXPECT_TRUE(keyboard()->IsKeyDown('B')) << "clearing the held key leaves the key down";
    EXPECT_EQ(std::vector<bool>({keyboard()->WasKeyPressed('B'), keyboard()->IsKeyDown(256)}),
              std::vector<bool>({true, false}));
    EXPECT_EQ(keyboard()->GetLastPressedKey(), 'B');
}

// A key, a mouse button and a joystick button pressed and let go again before a frame: the
// next frame reads each down with its press edge, the one after released.
TEST_F(InputTest, APressLetGoBetweenTwoFramesIsReadOnTheNextFrame)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 0);
    ASSERT_TRUE(DXInput::Instance()->Init());
    JoystickInput* joystick = DXInput::Instance()->GetJoystick(0);
    ASSERT_NE(joystick, nullptr);
    InputMapperDefault raw;
    for (InputMapper* mapper : std::initializer_list<InputMapper*>{
             PlatformInputDevices::Instance()->GetInputMapper(0), PlatformInputDevices::Instance()->GetInputMapper(1), &raw})
        controller()->RegisterInputMapper(mapper);
    MouseInput* mouse = MouseInput::Instance();
    const struct {
        const char* action;
        std::function<void()> tap;
    } taps[] = {
        {"(menu):down", [] { keyboard()->OnKeyDown(vk::Down), keyboard()->OnKeyUp(vk::Down); }},
        {"mouse button l", [mouse] { mouse->SetState(5, 5, MouseInput::kLeft), mouse->SetState(5, 5, 0u); }},
        {"(menu):button a", [joystick] { joystick->NoteButtonDown(0); }},
    };
    for (const auto& [action, tap] : taps) {
        Press(action);
        Frame();
        tap();
        Frame();
        const std::vector<float> next = {Press(action), Value(action)};
        Frame();
        EXPECT_EQ(next, std::vector<float>({1, 1})) << action;
        EXPECT_EQ(std::vector<float>({Release(action), Value(action)}), std::vector<float>({1, 0})) << action;
    }
    // A letter tapped so is held for the frame that types it, then typed.
    keyboard()->OnKeyDown('Q');
    keyboard()->OnKeyUp('Q');
    Frame();
    const int held = keyboard()->GetHeldKey();
    Frame();
    EXPECT_EQ(std::vector<int>({held, keyboard()->GetHeldKey()}), std::vector<int>({'Q', -1}));
    EXPECT_TRUE(keyboard()->TypedSequenceMatches("q"));
    DXInput::Instance()->Exit();
    SDL_JoystickDetachVirtual(index);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

TEST_F(InputTest, TheDefaultMapperNamesMouseAndRawKeyValuesAndTheGameMapperItsKeysAndCheats)
{
    InputMapperDefault raw;
    InputMapperGameTB game;
    MouseInput* mouse = MouseInput::Instance();
    mouse->SetState(100, 50, MouseInput::kRight | MouseInput::kMiddle);
    Frame();
    mouse->SetState(MouseInput::kUnchanged, MouseInput::kUnchanged, MouseInput::kLeft);
    mouse->SetState(110, 45, MouseInput::kUnchanged);
    keyboard()->OnKeyDown(vk::Return);
    keyboard()->OnKeyDown(vk::F(7));
    Frame();
    // A button reads as its own bit; events are the buttons newly down. Names the default
    // mapper does not know are the game mapper's.
    const std::pair<const char*, float> values[] = {{"mouse pos x", 110}, {"mouse pos y", 45}, {"mouse delta x", 10},
        {"mouse delta y", -5}, {"mouse button l", 1}, {"mouse button m", 0}, {"mouse button r", 0},
        {"mouse buttons", 1}, {"mouse event l", 1}, {"mouse event r", 0}, {"mouse events", 1}, {"key event 13", 1},
        {"key pressed 13", 1}, {"key pressed 9999", 0}, {"key event nonsense", 0}, {"menu select", 1}, {"menu back", 0},
        {"zoom in camera", 1}, {"pause game", 0}, {"any key press", 0}, {"(0):up", InputMapper::kUnknown}};
    for (const auto& [name, value] : values)
        EXPECT_EQ(raw.GetValue(name) != InputMapper::kUnknown ? raw.GetValue(name) : game.GetValue(name), value)
            << name;
    mouse->ResetPosition(400, 300);
    keyboard()->OnKeyUp(vk::F(7));
    Frame();
    // Edges last one frame, levels as long as the key; a reset position makes no delta.
    EXPECT_EQ(std::vector<float>({raw.GetValue("key event 13"), game.GetValue("menu select"),
                                  game.GetValue("zoom in camera"), game.GetValue("any key press"),
                                  raw.GetValue("mouse delta x"), raw.GetValue("mouse events")}),
              std::vector<float>({0, 0, 0, 1, 0, 0}));
    EXPECT_TRUE(raw.Capture("mouse") && mouse->IsCursorHidden());
    EXPECT_TRUE(!raw.Release("keyboard") && raw.Release("mouse") && !mouse->IsCursorHidden());
}

TEST_F(InputTest, TheCheatsThatEndPlayAnswerOnlyInATestConfigurationAndEachCheatOnce)
{
    InputMapperGameTB game;
    SettingsManager* settings = SettingsManager::Instance();
    const struct Case {
        const char* config;  // null: no settings file loaded
        bool testCheats;
    } cases[] = {{nullptr, false}, {"TestCheats 0\n", false}, {"sound 1\n", false}, {"TestCheats 1\n", true}};
    for (const Case& c : cases) {
        settings->UnloadAll();
        if (c.config) {
            std::ofstream("input_cheats.txt") << c.config;
            ASSERT_TRUE(settings->LoadSettings("input_cheats.txt"));
        }
        std::vector<float> answers;
        for (const char* cheat : {"cheat skip", "cheat win", "cheat goal"}) {
            for (const char* c = cheat; *c; ++c)
                Tap(std::toupper(static_cast<unsigned char>(*c)));
            answers.push_back(game.GetValue("cheat loose"));
            answers.push_back(game.GetValue(cheat));
            answers.push_back(game.GetValue(cheat));
        }
        // Only the cheat typed answers, and once: the typed keys are cleared.
        const float test = c.testCheats ? 1.0f : 0.0f;
        EXPECT_EQ(answers, std::vector<float>({0, test, 0, 0, test, 0, 0, 1, 0})) << (c.config ? c.config : "none");
    }
    settings->UnloadAll();
}

// A virtual joystick with eight axes (X, Y, Z, Rx, Ry, Rz, two sliders) and 16 buttons,
// opened by DXInput as device 1 and moved through a second handle.
TEST_F(InputTest, AJoystickIsDevice1AndAnswersPastTheDeadZoneOnceClaimedUntilUnplugged)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 8, 16, 0);
    ASSERT_TRUE(DXInput::Instance()->Init() && DXInput::Instance()->Init()) << "a second start lists it once";
    SDL_Joystick* stick = SDL_JoystickOpen(index);
    PlatformInputDevices* devices = PlatformInputDevices::Instance();
    ConfigurableInputMapper* pad = devices->GetInputMapper(1);
    ASSERT_TRUE(stick && pad) << SDL_GetError();
    controller()->RegisterInputMapper(pad);
    EXPECT_EQ(devices->GetNumDevices(), 2);
    EXPECT_NE(dynamic_cast<ConfigurableKeyboardInputMapper*>(devices->GetInputMapper(0)), nullptr);
    EXPECT_EQ(dynamic_cast<ConfigurableJoystickInputMapper*>(pad)->GetJoystickIndex(), 0);
    EXPECT_TRUE(devices->GetInputMapper(1) == pad && !devices->GetInputMapper(2) && !devices->GetInputMapper(-1) &&
                !DXInput::Instance()->GetJoystick(1));

    const auto set = [&](int axis, float at) {
        SDL_JoystickSetVirtualAxis(stick, axis, static_cast<Sint16>(at * 32767));
    };
    pad->SetBinding("(menu):up", kStick2Up);  // the second stick is the first slider
    // Axis X and the slider, then what "(menu):left", "(menu):right" and "(menu):up" read.
    const float cases[][5] = {{-0.1f, 0, 0, 0, 0}, {-0.19f, -0.75f, 0, 0, 0.75f}, {0.2f, 0, 0, 0.2f, 0},
                              {-0.5f, 0, 0.5f, 0, 0}, {1, 0, 0, 1, 0}};
    for (const auto& c : cases) {
        set(0, c[0]), set(6, c[1]);
        Frame();
        const float read[] = {Value("(menu):left"), Value("(menu):right"), Value("(menu):up")};
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(read[i], c[2 + i], 0.001f) << c[0] << " " << c[1] << " column " << i;
    }
    const JoystickInput* joystick = DXInput::Instance()->GetJoystick(0);
    set(1, -1.0f);
    Frame();
    EXPECT_EQ(std::vector<int32_t>({joystick->GetState().x, joystick->GetState().y}), std::vector({1000, -1000}));

    Press("(menu):button a");
    for (const int button : {0, 7}) {  // "BUTTON_A", "BUTTON_H"
        SDL_JoystickSetVirtualButton(stick, button, SDL_PRESSED);
        Frame();
        EXPECT_EQ(Press("(menu):button a"), button == 0 ? 1.0f : 0.0f);
        EXPECT_EQ(joystick->GetPressedMask(), 1u << button);
    }
    EXPECT_EQ(std::vector<float>({Value("(menu):button a"), Value("(menu):button h")}), std::vector<float>({1, 1}));
    EXPECT_EQ(joystick->GetButtonMask(), 0x81u);

    // Unplugged, it reads zero and the numbers do not shift.
    SDL_JoystickClose(stick);
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
    Frame();
    EXPECT_FALSE(DXInput::Instance()->GetJoystick(0)->Poll());
    EXPECT_EQ(std::vector<float>({Release("(menu):button a"), Value("(menu):button h")}), std::vector<float>({1, 0}));
    EXPECT_EQ(devices->GetNumDevices(), 2);
    DXInput::Instance()->Exit();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    // Joystick support that DXInput started itself ends with it.
    ASSERT_TRUE(DXInput::Instance()->Init() && SDL_WasInit(SDL_INIT_JOYSTICK));
    DXInput::Instance()->Exit();
    EXPECT_FALSE(SDL_WasInit(SDL_INIT_JOYSTICK));
}

// A pad of SDL's virtual kind with two axes and four buttons, of the make the vendor number
// gives, driven through a handle of the test's own.
struct VirtualPad {
    explicit VirtualPad(Uint16 vendor) : vendor(vendor) {}
    ~VirtualPad() { Unplug(); }

    void Plug()
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = 2;
        desc.nbuttons = 4;
        desc.vendor_id = vendor;
        desc.product_id = 1;
        index = SDL_JoystickAttachVirtualEx(&desc);
        handle = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    }
    void Unplug()
    {
        if (!handle)
            return;
        const SDL_JoystickID id = SDL_JoystickInstanceID(handle);
        SDL_JoystickClose(handle);
        handle = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id)
                SDL_JoystickDetachVirtual(i);
    }
    void Button(bool down) const { SDL_JoystickSetVirtualButton(handle, 0, down ? SDL_PRESSED : SDL_RELEASED); }

    Uint16 vendor;
    int index = -1;
    SDL_Joystick* handle = nullptr;
};

// Two pads of two makes, player 1 on the first: each unplugged reads zero under its number,
// and plugged back in any order answers again under its own, for the player and the menus.
TEST_F(InputTest, UnpluggedPadsPluggedBackAnswerAgainUnderTheirOwnNumbers)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    {
        VirtualPad first(0x1001), second(0x2002);
        first.Plug();
        second.Plug();
        ASSERT_TRUE(first.handle && second.handle) << SDL_GetError();
        ASSERT_TRUE(DXInput::Instance()->Init());
        PlatformInputDevices* devices = PlatformInputDevices::Instance();
        ASSERT_EQ(devices->GetNumDevices(), 3);
        ConfigurableInputMapper* pad1 = devices->GetInputMapper(1);
        ASSERT_TRUE(pad1->SetClaim(0, true));
        controller()->RegisterInputMapper(pad1);
        const auto answers = [&](VirtualPad& pad) {
            pad.Button(true);
            Frame();
            const float player = Value("(0):button a"), menu = Value("(menu):button a");
            const bool down[] = {DXInput::Instance()->GetJoystick(0)->IsButtonDown(0),
                                 DXInput::Instance()->GetJoystick(1)->IsButtonDown(0)};
            pad.Button(false);
            Frame();
            return std::vector<float>{player, menu, down[0] ? 1.0f : 0.0f, down[1] ? 1.0f : 0.0f};
        };
        EXPECT_EQ(answers(first), std::vector<float>({1, 1, 1, 0}));
        first.Unplug();
        second.Unplug();
        Frame();
        EXPECT_TRUE(DXInput::Instance()->GetJoystick(0)->IsLost() && DXInput::Instance()->GetJoystick(1)->IsLost());
        EXPECT_EQ(Value("(0):button a"), 0.0f);
        // The second make comes back first: to its own place, not the first free one.
        second.Plug();
        Frame();
        EXPECT_EQ(answers(second), std::vector<float>({0, 0, 0, 1}));
        first.Plug();
        Frame();
        EXPECT_EQ(answers(first), std::vector<float>({1, 1, 1, 0}));
        EXPECT_EQ(devices->GetNumDevices(), 3);
        EXPECT_EQ(devices->GetInputMapper(1), pad1);
        DXInput::Instance()->Exit();
    }
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

}  // namespace
