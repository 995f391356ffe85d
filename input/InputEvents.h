#pragma once

#include "platform/Events.h"

// Hands the platform's key and mouse events to KeyboardInput and MouseInput, as the
// render window's messages do. The application's handler derives from it (and calls
// OnFocus here when it overrides it). Mouse events count only while the window has focus;
// with the cursor hidden they carry buttons only, as the tick supplies the position.
class InputEventHandler : public platform::EventHandler {
public:
    void OnFocus(bool gained) override { m_hasFocus = gained; }
    void OnKeyDown(const platform::KeyEvent& event) override;
    void OnKeyUp(const platform::KeyEvent& event) override;
    void OnMouseMotion(const platform::MouseMotionEvent& event) override;
    void OnMouseButton(const platform::MouseButtonEvent& event) override;
    void OnMouseWheel(int x, int y) override;

    bool HasFocus() const { return m_hasFocus; }

private:
    void SetMouse(int x, int y, uint32_t sdlButtons);

    bool m_hasFocus = true;
};
