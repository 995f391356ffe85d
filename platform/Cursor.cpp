#include "platform/Cursor.h"

#include "framework/Debug.h"
#include "platform/Window.h"

#include <SDL.h>

namespace platform {

void ShowCursor(bool show)
{
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool IsCursorShown()
{
    return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
}

void GetCursorPosition(int& x, int& y)
{
    SDL_GetMouseState(&x, &y);
}

void WarpCursor(Window& window, int x, int y)
{
    SDL_WarpMouseInWindow(window.GetSDLWindow(), x, y);
}

bool SetRelativeMouseMode(bool on)
{
    if (SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE) != 0) {
        LogWarning("platform::SetRelativeMouseMode: not available under the %s driver: %s\n",
                   SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "(none)",
                   SDL_GetError());
        return false;
    }
    return true;
}

bool IsRelativeMouseMode()
{
    return SDL_GetRelativeMouseMode() == SDL_TRUE;
}

}  // namespace platform
