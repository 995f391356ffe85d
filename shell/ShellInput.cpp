#include "shell/ShellInput.h"

#include "input/InputController.h"
#include "input/InputMappers.h"
#include "input/JoystickInput.h"
#include "input/KeyboardInput.h"
#include "input/MouseInput.h"
#include "input/VirtualKeys.h"

namespace shell_input {

namespace {
InputMapperDefault* g_defaultMapper = nullptr;
}

void Init()
{
    BufferedInputController::Instance();
    DXInput::Instance()->Init();
    g_defaultMapper = new InputMapperDefault();
    BufferedInputController::Instance()->RegisterInputMapper(g_defaultMapper);
}

void Exit()
{
    DXInput::Instance()->Exit();
    if (g_defaultMapper) {
        BufferedInputController::Instance()->UnregisterInputMapper(g_defaultMapper);
        delete g_defaultMapper;
        g_defaultMapper = nullptr;
    }
    BufferedInputController::Instance()->Exit();
}

void KeyDown(platform::Scancode scancode)
{
    KeyboardInput::Instance()->OnKeyDown(vk::FromScancode(scancode));
}

void KeyUp(platform::Scancode scancode)
{
    KeyboardInput::Instance()->OnKeyUp(vk::FromScancode(scancode));
}

void MouseState(int x, int y, uint32_t sdlButtons, bool positionKnown)
{
    const uint32_t buttons = MouseInput::ButtonsFromSDL(sdlButtons);
    if (positionKnown)
        MouseInput::Instance()->SetState(x, y, buttons);
    else
        MouseInput::Instance()->SetState(MouseInput::kUnchanged, MouseInput::kUnchanged, buttons);
}

void MousePosition(int x, int y)
{
    MouseInput::Instance()->SetState(x, y, MouseInput::kUnchanged);
}

void MouseWheel(int notches)
{
    MouseInput::Instance()->SetWheel(notches);
}

void JoystickButtonDown(int instanceId, int button)
{
    DXInput::Instance()->NoteButtonDown(instanceId, button);
}

bool IsCursorHidden()
{
    return MouseInput::Instance()->IsCursorHidden();
}

void HideCursor(bool hide)
{
    MouseInput::Instance()->HideCursor(hide);
}

void ResetMousePosition(int x, int y)
{
    MouseInput::Instance()->ResetPosition(x, y);
}

void Update(float dt)
{
    KeyboardInput::Instance()->Update(dt);
    MouseInput::Instance()->Update(dt);
    DXInput::Instance()->Update(dt);
    BufferedInputController::Instance()->Update(dt);
}

bool PauseGamePressed()
{
    // The press edge: a held key toggles once, not on every pass.
    const int mode = InputController::kPressEdge;
    return BufferedInputController::Instance()->GetAction("pause game", mode) != 0.0f;
}

}  // namespace shell_input
