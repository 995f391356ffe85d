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

    void Draw();
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
