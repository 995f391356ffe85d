#include "support/InputTest.h"

#include "input/InputMappers.h"
#include "input/VirtualKeys.h"

#include <SDL.h>

namespace {

TEST_F(InputTest, ReleasedKeysAreTypedOnePerFrameAndMatchInAnyCase)
{
    keyboard()->OnKeyDown('A');
    keyboard()->OnKeyDown('B');
    keyboard()->Update(0.02f);
    keyboard()->OnKeyUp('A');
    keyboard()->OnKeyUp('B');
    keyboard()->Update(0.02f);
    // Of two keys released in one frame only the higher code is typed.
    EXPECT_EQ(keyboard()->GetLastReleasedKey(), 'B');
    EXPECT_TRUE(keyboard()->WasKeyReleased('A'));
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
}

TEST_F(InputTest, HeldKeysEdgesAndCodesOutsideTheTable)
{
    for (int key : {-1, 0, 256, 100000})
        keyboard()->OnKeyDown(key);
    EXPECT_EQ(keyboard()->GetHeldKey(), -1);
    keyboard()->OnKeyDown('A');
    keyboard()->OnKeyDown('B');
    keyboard()->OnKeyUp('A');
    EXPECT_EQ(keyboard()->GetHeldKey(), 'B');
    keyboard()->ClearHeldKey();
    EXPECT_EQ(keyboard()->GetHeldKey(), -1);
    EXPECT_TRUE(keyboard()->IsKeyDown('B')) << "clearing the held key leaves the key down";
    // Down and up between two updates make no edge.
    keyboard()->OnKeyDown(vk::Space);
    keyboard()->OnKeyUp(vk::Space);
    keyboard()->Update(0.02f);
    EXPECT_EQ(std::vector<bool>({keyboard()->WasKeyPressed('B'), keyboard()->WasKeyPressed(vk::Space),
                                 keyboard()->WasKeyReleased(vk::Space), keyboard()->IsKeyDown(256)}),
              std::vector<bool>({true, false, false, false}));
    EXPECT_EQ(keyboard()->GetLastPressedKey(), vk::Space);
}

TEST(VirtualKeys, ScancodesBecomeTheCodesOfAUSKeyboard)
{
    const std::pair<SDL_Scancode, int> codes[] = {
        {SDL_SCANCODE_A, 0x41}, {SDL_SCANCODE_Z, 0x5A},   {SDL_SCANCODE_0, 0x30},        {SDL_SCANCODE_1, 0x31},
        {SDL_SCANCODE_9, 0x39}, {SDL_SCANCODE_KP_0, 0x60}, {SDL_SCANCODE_KP_9, 0x69},    {SDL_SCANCODE_F1, 0x70},
        {SDL_SCANCODE_F12, 0x7B}, {SDL_SCANCODE_F13, 0x7C}, {SDL_SCANCODE_UP, 0x26},     {SDL_SCANCODE_KP_ENTER, 0x0D},
        {SDL_SCANCODE_RSHIFT, 0x10}, {SDL_SCANCODE_RCTRL, 0x11}, {SDL_SCANCODE_SEMICOLON, 0xBA},
        {SDL_SCANCODE_UNKNOWN, 0}, {SDL_SCANCODE_AUDIOPLAY, 0}};
    for (const auto& [scancode, code] : codes)
        EXPECT_EQ(vk::FromScancode(scancode), code) << SDL_GetScancodeName(scancode);
}

TEST_F(InputTest, MouseStateAndItsNamedValues)
{
    InputMapperDefault mapper;
    MouseInput* mouse = MouseInput::Instance();
    mouse->SetState(100, 50, MouseInput::kRight | MouseInput::kMiddle);
    mouse->Update(0.02f);
    mouse->SetState(MouseInput::kUnchanged, MouseInput::kUnchanged, MouseInput::kLeft);
    mouse->SetState(110, 45, MouseInput::kUnchanged);
    mouse->Update(0.02f);
    // The button's own bit is the value; events are the buttons newly down.
    const std::pair<const char*, float> values[] = {
        {"mouse pos x", 110}, {"mouse pos y", 45}, {"mouse delta x", 10}, {"mouse delta y", -5},
        {"mouse button l", 1}, {"mouse button m", 0}, {"mouse button r", 0}, {"mouse buttons", 1},
        {"mouse event l", 1}, {"mouse event r", 0}, {"mouse events", 1}, {"menu up", InputMapper::kUnknown}};
    for (const auto& [name, value] : values)
        EXPECT_EQ(mapper.GetValue(name), value) << name;
    mouse->ResetPosition(400, 300);
    mouse->Update(0.02f);
    EXPECT_EQ(mapper.GetValue("mouse delta x") + mapper.GetValue("mouse events"), 0.0f);
    EXPECT_EQ(MouseInput::ButtonsFromSDL(SDL_BUTTON_LMASK | SDL_BUTTON_MMASK | SDL_BUTTON_RMASK), 19u);
    EXPECT_TRUE(mapper.Capture("mouse"));
    EXPECT_TRUE(mouse->IsCursorHidden());
    EXPECT_FALSE(mapper.Release("keyboard"));
    EXPECT_TRUE(mapper.Release("mouse"));
    EXPECT_FALSE(mouse->IsCursorHidden());
}

TEST_F(InputTest, TheDefaultMapperReadsRawKeysAndTheGameMapperItsFixedKeysAndCheats)
{
    InputMapperDefault raw;
    InputMapperGameTB game;
    keyboard()->OnKeyDown(vk::Return);
    keyboard()->OnKeyDown(vk::F(7));
    keyboard()->Update(0.02f);
    const std::pair<const char*, float> first[] = {
        {"key event 13", 1}, {"key pressed 13", 1}, {"key pressed 66", 0}, {"key pressed 9999", 0},
        {"key event nonsense", 0}, {"menu select", 1}, {"zoom in camera", 1}, {"menu back", 0},
        {"pause game", 0}, {"any key press", 0}, {"(0):up", InputMapper::kUnknown}};
    for (const auto& [name, value] : first)
        EXPECT_EQ(raw.GetValue(name) == InputMapper::kUnknown ? game.GetValue(name) : raw.GetValue(name), value) << name;
    keyboard()->OnKeyUp(vk::F(7));
    keyboard()->Update(0.02f);
    // Edges last one frame, levels as long as the key.
    EXPECT_EQ(std::vector<float>({raw.GetValue("key event 13"), game.GetValue("menu select"),
                                  game.GetValue("zoom in camera"), game.GetValue("any key press")}),
              std::vector<float>({0, 0, 0, 1}));
    for (char c : std::string("CHEAT SKIP"))
        Tap(c);
    EXPECT_EQ(game.GetValue("cheat win"), 0.0f);
    EXPECT_EQ(game.GetValue("cheat skip"), 1.0f);
    EXPECT_EQ(game.GetValue("cheat skip"), 0.0f) << "the typed keys were cleared";
}

}  // namespace
