#pragma once

#include "platform/Handles.h"

#include <cstdint>

// Every call the shell makes into the input layer, in one place.
namespace shell_input {

// Creates the buffered controller, opens the joysticks and registers the default mapper.
void Init();
// Joysticks, default mapper, controller, in that order.
void Exit();

void KeyDown(platform::Scancode scancode);
void KeyUp(platform::Scancode scancode);
// Window coordinates, or both unchanged while the cursor is hidden.
void MouseState(int x, int y, uint32_t sdlButtons, bool positionKnown);
void MouseWheel(int notches);
// A joystick button's press event, kept for the joystick's next poll.
void JoystickButtonDown(int instanceId, int button);
// The tick's cursor position while the cursor is hidden; buttons stay as they are.
void MousePosition(int x, int y);
bool IsCursorHidden();
void HideCursor(bool hide);
void ResetMousePosition(int x, int y);

// The device updates of one tick, then the buffered controller.
void Update(float dt);
// The press edge of the action "pause game".
bool PauseGamePressed();

}  // namespace shell_input
