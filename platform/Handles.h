#pragma once

#include <cstdint>

// The window system's objects under the names the layers above use, so that only
// platform's headers name the window system; the .cpp files that read them include it.
struct SDL_Window;
struct _SDL_Joystick;
union SDL_Event;

namespace platform {

// A key's position on the keyboard, whatever the layout: the USB usage number.
enum Scancode : int32_t {};

// One event from the window system, as a filter receives it.
using Event = SDL_Event;
// An open joystick; closed by whoever opened it.
using Joystick = _SDL_Joystick;
// The game window; it outlives the devices drawing into it.
using NativeWindow = SDL_Window;
// An OpenGL context made for a NativeWindow.
using GLContext = void*;

}  // namespace platform
