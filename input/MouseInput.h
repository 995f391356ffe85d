#pragma once

#include "framework/Singleton.h"
#include "input/PressFrames.h"

#include <cstdint>

// Mouse state fed by mouse messages (or, with the cursor hidden, by the tick) and made
// current once per frame by Update. Every click reaches a frame as held (PressFrames), also
// one let go again before the frame.
class MouseInput : public Singleton<MouseInput> {
public:
    // Button bits.
    static constexpr uint32_t kLeft = 1;
    static constexpr uint32_t kRight = 2;
    static constexpr uint32_t kMiddle = 16;
    // Passed for a value that stays as it is.
    static constexpr int kUnchanged = -1;

    // Window pixels; the values take effect at the next Update.
    void SetState(int x, int y, uint32_t buttons);
    void SetState(int x, int y, int buttons) { SetState(x, y, static_cast<uint32_t>(buttons)); }
    void SetWheel(int notches) { m_pendingWheel = notches; }

    // Makes the pending state current; the delta is 0 on the first update. Always true.
    bool Update(float dt);
    // Moves to the point at once, with no delta at the next update.
    void ResetPosition(int x, int y);

    void HideCursor(bool hide);
    bool IsCursorHidden() const { return m_cursorHidden; }

    void GetPosition(int& x, int& y) const { x = m_x; y = m_y; }
    void GetDelta(int& dx, int& dy) const { dx = m_dx; dy = m_dy; }
    uint32_t GetButtons() const { return m_buttons; }
    uint32_t GetButtonsPressed() const { return m_buttons & ~m_previousButtons; }
    // The notches of the last wheel message before the update; 0 when there was none.
    int GetWheel() const { return m_wheel; }

    // The button bits of an SDL button mask.
    static uint32_t ButtonsFromSDL(uint32_t sdlMask);

private:
    PressFrames<32> m_buttonFrames;  // by bit, pending presses and releases included
    int m_pendingX = 0;
    int m_pendingY = 0;
    int m_pendingWheel = 0;
    int m_previousX = -1;
    int m_previousY = -1;
    int m_x = 0;
    int m_y = 0;
    int m_dx = 0;
    int m_dy = 0;
    uint32_t m_previousButtons = 0;
    uint32_t m_buttons = 0;
    int m_wheel = 0;
    bool m_cursorHidden = false;
};
