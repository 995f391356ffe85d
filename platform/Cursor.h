#pragma once

namespace platform {

class Window;

void ShowCursor(bool show);
bool IsCursorShown();
// Window-relative position as of the last pumped events.
void GetCursorPosition(int& x, int& y);
// Moves the cursor to a window-relative position; a motion event follows.
void WarpCursor(Window& window, int x, int y);
// Hides the cursor, keeps it inside the window and reports motion as deltas only.
// False (logged) where the driver cannot do it, as under the headless drivers.
bool SetRelativeMouseMode(bool on);
bool IsRelativeMouseMode();

}  // namespace platform
