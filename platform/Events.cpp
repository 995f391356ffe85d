#include "platform/Events.h"

#include "framework/Debug.h"
#include "platform/Platform.h"

#include <algorithm>
#include <vector>

namespace platform {

namespace {

bool s_quitRequested = false;
uint32_t s_buttons = 0;  // mouse buttons as of the last event handed out
// Removal events no longer tell whether the device was a gamepad.
std::vector<SDL_JoystickID> s_gamepads;

KeyEvent ToKeyEvent(const SDL_KeyboardEvent& key)
{
    return {static_cast<Scancode>(key.keysym.scancode), key.keysym.sym, key.keysym.mod, key.repeat != 0};
}

void HandleWindowEvent(const SDL_WindowEvent& event, EventHandler& handler)
{
    switch (event.event) {
    // SIZE_CHANGED covers every change, RESIZED only those from outside; both come
    // for a user's resize, so only the first is passed on.
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        handler.OnResized(event.data1, event.data2);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        handler.OnFocus(true);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        handler.OnFocus(false);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        handler.OnExposed();
        break;
    default:
        break;
    }
}

void HandleQuit(EventHandler& handler)
{
    // Closing the last window brings a window close and then a quit: one report.
    if (s_quitRequested)
        return;
    s_quitRequested = true;
    handler.OnQuit();
}

void HandleEvent(const SDL_Event& event, EventHandler& handler)
{
    switch (event.type) {
    case SDL_QUIT:
        HandleQuit(handler);
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE)
            HandleQuit(handler);
        else
            HandleWindowEvent(event.window, handler);
        break;
    case SDL_KEYDOWN:
        handler.OnKeyDown(ToKeyEvent(event.key));
        break;
    case SDL_KEYUP:
        handler.OnKeyUp(ToKeyEvent(event.key));
        break;
    case SDL_TEXTINPUT:
        handler.OnTextInput(event.text.text);
        break;
    case SDL_MOUSEMOTION:
        s_buttons = event.motion.state;
        handler.OnMouseMotion({event.motion.x, event.motion.y, event.motion.xrel,
                               event.motion.yrel, s_buttons});
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        const int button = event.button.button;
        if (button >= 1 && button <= 32) {
            const uint32_t bit = 1u << (button - 1);
            s_buttons = down ? (s_buttons | bit) : (s_buttons & ~bit);
        }
        handler.OnMouseButton({button, down, event.button.x, event.button.y, s_buttons});
        break;
    }
    case SDL_MOUSEWHEEL: {
        const int sign = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
        handler.OnMouseWheel(sign * event.wheel.x, sign * event.wheel.y);
        break;
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        handler.OnJoystickButton({event.jbutton.which, event.jbutton.button, event.type == SDL_JOYBUTTONDOWN});
        break;
    case SDL_JOYDEVICEADDED: {
        const int index = event.jdevice.which;
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        const bool gamepad = SDL_IsGameController(index) == SDL_TRUE;
        if (gamepad && id >= 0)
            s_gamepads.push_back(id);
        handler.OnDeviceAdded({index, id, gamepad});
        break;
    }
    case SDL_JOYDEVICEREMOVED: {
        const SDL_JoystickID id = event.jdevice.which;
        const auto found = std::find(s_gamepads.begin(), s_gamepads.end(), id);
        const bool gamepad = found != s_gamepads.end();
        if (gamepad)
            s_gamepads.erase(found);
        handler.OnDeviceRemoved({-1, id, gamepad});
        break;
    }
    default:
        // The gamepad's own events repeat the joystick ones above.
        break;
    }
}

}  // namespace

int PumpEvents(EventHandler& handler, EventFilter* filter)
{
    if (!SDL_WasInit(SDL_INIT_EVENTS))
        return 0;
    DisplayWork display;
    int count = 0;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        ++count;
        if (filter && filter->Filter(event))
            continue;
        HandleEvent(event, handler);
    }
    return count;
}

bool QuitRequested()
{
    return s_quitRequested;
}

void RequestQuit()
{
    SDL_Event event{};
    event.type = SDL_QUIT;
    event.quit.timestamp = SDL_GetTicks();
    if (SDL_PushEvent(&event) != 1) {
        // Without a queue nobody pumps: set the flag so the loop still ends.
        LogWarning("platform::RequestQuit: %s\n", SDL_GetError());
        s_quitRequested = true;
    }
}

void ClearQuitRequest()
{
    s_quitRequested = false;
}

}  // namespace platform
