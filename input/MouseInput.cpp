#include "input/MouseInput.h"

#include "platform/Cursor.h"

#include <SDL_mouse.h>

void MouseInput::SetState(int x, int y, uint32_t buttons)
{
    if (x != kUnchanged)
        m_pendingX = x;
    if (y != kUnchanged)
        m_pendingY = y;
    if (buttons == static_cast<uint32_t>(kUnchanged))
        return;
    for (size_t bit = 0; bit < 32; ++bit) {
        if ((buttons >> bit) & 1u)
            m_buttonFrames.Down(bit);
        else
            m_buttonFrames.Up(bit);
    }
}

bool MouseInput::Update(float)
{
    // No delta on the very first update: there is no earlier position to measure from.
    const bool first = m_previousX == -1;
    m_previousX = m_x;
    m_previousY = m_y;
    m_previousButtons = m_buttons;
    m_x = m_pendingX;
    m_y = m_pendingY;
    m_buttonFrames.Update();
    m_buttons = static_cast<uint32_t>(m_buttonFrames.Frame().to_ulong());
    m_wheel = m_pendingWheel;
    m_pendingWheel = 0;
    m_dx = first ? 0 : m_x - m_previousX;
    m_dy = first ? 0 : m_y - m_previousY;
    return true;
}

void MouseInput::ResetPosition(int x, int y)
{
    m_pendingX = m_x = m_previousX = x;
    m_pendingY = m_y = m_previousY = y;
}

void MouseInput::HideCursor(bool hide)
{
    m_cursorHidden = hide;
    platform::ShowCursor(!hide);
}

uint32_t MouseInput::ButtonsFromSDL(uint32_t sdlMask)
{
    uint32_t bits = 0;
    if (sdlMask & SDL_BUTTON_LMASK)
        bits |= kLeft;
    if (sdlMask & SDL_BUTTON_RMASK)
        bits |= kRight;
    if (sdlMask & SDL_BUTTON_MMASK)
        bits |= kMiddle;
    return bits;
}
