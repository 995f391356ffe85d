#include "input/InputMappers.h"

#include "framework/Settings.h"
#include "input/KeyboardInput.h"
#include "input/MouseInput.h"

#include <cstdio>
#include <cstring>

namespace {

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

float Flag(bool on)
{
    return on ? 1.0f : 0.0f;
}

// The shipped game leaves them out: each would win or cut short what the player is playing.
bool IsTestCheat(const std::string& name)
{
    return name == "cheat win" || name == "cheat skip";
}

}  // namespace

bool InputMapperDefault::Capture(const char* device)
{
    if (!device || std::strcmp(device, "mouse") != 0)
        return false;
    MouseInput::Instance()->HideCursor(true);
    return true;
}

bool InputMapperDefault::Release(const char* device)
{
    if (!device || std::strcmp(device, "mouse") != 0)
        return false;
    MouseInput::Instance()->HideCursor(false);
    return true;
}

float InputMapperDefault::GetValue(const std::string& name)
{
    MouseInput* mouse = MouseInput::Instance();
    int x = 0, y = 0, dx = 0, dy = 0;
    mouse->GetPosition(x, y);
    mouse->GetDelta(dx, dy);
    const uint32_t buttons = mouse->GetButtons();
    const uint32_t pressed = mouse->GetButtonsPressed();

    if (name == "mouse pos x")
        return static_cast<float>(x);
    if (name == "mouse pos y")
        return static_cast<float>(y);
    if (name == "mouse delta x")
        return static_cast<float>(dx);
    if (name == "mouse delta y")
        return static_cast<float>(dy);
    // The button's own bit is the value, so a pressed right button reads 2.
    if (name == "mouse button l")
        return static_cast<float>(buttons & MouseInput::kLeft);
    if (name == "mouse button m")
        return static_cast<float>(buttons & MouseInput::kMiddle);
    if (name == "mouse button r")
        return static_cast<float>(buttons & MouseInput::kRight);
    if (name == "mouse buttons")
        return static_cast<float>(buttons);
    if (name == "mouse event l")
        return static_cast<float>(pressed & MouseInput::kLeft);
    if (name == "mouse event m")
        return static_cast<float>(pressed & MouseInput::kMiddle);
    if (name == "mouse event r")
        return static_cast<float>(pressed & MouseInput::kRight);
    if (name == "mouse events")
        return static_cast<float>(pressed);

    int key = 0;
    if (StartsWith(name, "key event"))
        return std::sscanf(name.c_str(), "key event %d", &key) == 1 ? Flag(KeyboardInput::Instance()->WasKeyPressed(key)) : 0.0f;
    if (StartsWith(name, "key pressed"))
        return std::sscanf(name.c_str(), "key pressed %d", &key) == 1 ? Flag(KeyboardInput::Instance()->IsKeyDown(key)) : 0.0f;
    return kUnknown;
}

float InputMapperGameTB::GetValue(const std::string& name)
{
    KeyboardInput* keyboard = KeyboardInput::Instance();
    auto edge = [keyboard](int key) { return Flag(keyboard->WasKeyPressed(key)); };

    if (name == "pause mode" || name == "menu back" || name == "ingame_menu")
        return edge(vk::Escape);
    if (name == "open browser" || name == "open messages" || name == "open watches" ||
        name == "reset soundengine" || name == "change camera" || name == "pause game")
        return 0.0f;
    if (name == "any key press")
        return Flag(keyboard->GetLastReleasedKey() != 0);
    if (name == "next camera")
        return edge(vk::F(6));
    if (name == "zoom in camera")
        return Flag(keyboard->IsKeyDown(vk::F(7)));
    if (name == "zoom out camera")
        return Flag(keyboard->IsKeyDown(vk::F(8)));
    if (name == "screenshot")
        return edge(vk::F(12));
    if (name == "menu up")
        return edge(vk::Up);
    if (name == "menu down")
        return edge(vk::Down);
    if (name == "menu left")
        return edge(vk::Left);
    if (name == "menu right")
        return edge(vk::Right);
    if (name == "menu select")
        return Flag(keyboard->WasKeyPressed(vk::Space) || keyboard->WasKeyPressed(vk::Return));
    if (StartsWith(name, "cheat")) {
        if (!keyboard->TypedSequenceMatches(name.c_str()))
            return 0.0f;
        if (IsTestCheat(name) && !SettingsManager::Instance()->GetBool(kTestCheatsKey))
            return 0.0f;
        keyboard->ClearTypedKeys();
        return 1.0f;
    }
    return kUnknown;
}
