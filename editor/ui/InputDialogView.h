#pragma once

class CInputDialog;
class ParameterInput;
struct DialogControl;

namespace editor {

// Draws one property window each frame, inside the current ImGui frame. The dialog must
// outlive the view.
class InputDialogView {
public:
    explicit InputDialogView(CInputDialog& dialog) : m_dialog(dialog) {}

    // Sized as its dialog lays itself out, but no taller than maxHeight, which is the room
    // below the window's place: what does not fit scrolls.
    void Draw(float maxHeight = kUnlimited);

    static constexpr float kUnlimited = 1e9f;
    CInputDialog& Dialog() const { return m_dialog; }

private:
    void DrawControls(float top);
    // True when the control is a button that was pressed this frame.
    bool DrawControl(ParameterInput& widget, DialogControl& control, float top);
    // The identifier of the bottom button pressed this frame, or 0.
    int DrawBottomControls(float top);

    CInputDialog& m_dialog;
    int m_sizedLayout = -1;
    bool m_wasFocused = false;
    bool m_autoUpdate = false;
    float m_lastWidth = 0, m_lastHeight = 0;
};

}  // namespace editor
