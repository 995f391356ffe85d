#pragma once

class CHelpDialog;

namespace editor {

// The modal "Help" window: the help text, read only and scrollable, and "OK".
void DrawHelpDialog(CHelpDialog& dialog);

}  // namespace editor
