#pragma once

#include "framework/Quaternion.h"
#include "framework/Vector.h"

#include <functional>

// Draws the menu's screen on its plane in front of the renderer's camera, as a screen owner
// does each frame: scaled to the camera's size, placed at offset and turned by turn in the
// camera's frame, in the font "menu", with the cursor while the menu is in mouse mode.
// Nothing is drawn without a camera. The overlay, when given, draws over the screen in the
// menu's text attributes; the cursor is drawn only when asked for.
void RenderMenuInView(const Vector3& offset, const Quaternion& turn, const std::function<void()>& overlay = {},
                      bool cursor = true);
