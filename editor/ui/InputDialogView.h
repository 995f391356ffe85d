#pragma once

class CInputDialog;

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

    CInputDialog& m_dialog;
    int m_sizedLayout = -1;
    bool m_wasFocused = false;
    bool m_autoUpdate = false;
    float m_lastWidth = 0, m_lastHeight = 0;
};

}  // namespace editor
