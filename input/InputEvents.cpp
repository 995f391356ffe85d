#include "input/InputEvents.h"

#include "input/KeyboardInput.h"
#include "input/MouseInput.h"
#include "input/VirtualKeys.h"

void InputEventHandler::OnKeyDown(const platform::KeyEvent& event)
{
    // Keys without a code are dropped here: a held key of 0 could be bound to an action.
    if (const int key = vk::FromScancode(event.scancode))
        KeyboardInput::Instance()->OnKeyDown(key);
}

void InputEventHandler::OnKeyUp(const platform::KeyEvent& event)
{
    if (const int key = vk::FromScancode(event.scancode))
        KeyboardInput::Instance()->OnKeyUp(key);
}

void InputEventHandler::SetMouse(int x, int y, uint32_t sdlButtons)
{
    if (!m_hasFocus)
        return;
    MouseInput* mouse = MouseInput::Instance();
    const uint32_t buttons = MouseInput::ButtonsFromSDL(sdlButtons);
    if (mouse->IsCursorHidden())
        mouse->SetState(MouseInput::kUnchanged, MouseInput::kUnchanged, buttons);
    else
        mouse->SetState(x, y, buttons);
}

void InputEventHandler::OnMouseMotion(const platform::MouseMotionEvent& event)
{
    SetMouse(event.x, event.y, event.buttons);
}

void InputEventHandler::OnMouseButton(const platform::MouseButtonEvent& event)
{
    SetMouse(event.x, event.y, event.buttons);
}

void InputEventHandler::OnMouseWheel(int, int y)
{
    MouseInput::Instance()->SetWheel(y);
}
