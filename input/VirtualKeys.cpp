#include "input/VirtualKeys.h"

#include <SDL_scancode.h>

namespace vk {

int FromScancode(platform::Scancode key)
{
    // The usage numbers are the window system's own scancodes.
    const auto scancode = static_cast<SDL_Scancode>(key);
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return LetterA + (scancode - SDL_SCANCODE_A);
    // SDL orders the digit row 1..9, 0.
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return Digit(1 + (scancode - SDL_SCANCODE_1));
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return F(1 + (scancode - SDL_SCANCODE_F1));
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24)
        return F(13 + (scancode - SDL_SCANCODE_F13));
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
        return Numpad(1 + (scancode - SDL_SCANCODE_KP_1));

    switch (scancode) {
    case SDL_SCANCODE_0: return Digit(0);
    case SDL_SCANCODE_KP_0: return Numpad(0);
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_RETURN2:
    case SDL_SCANCODE_KP_ENTER: return Return;
    case SDL_SCANCODE_ESCAPE: return Escape;
    case SDL_SCANCODE_BACKSPACE: return Back;
    case SDL_SCANCODE_TAB: return Tab;
    case SDL_SCANCODE_SPACE: return Space;
    case SDL_SCANCODE_MINUS: return Minus;
    case SDL_SCANCODE_EQUALS: return Plus;
    case SDL_SCANCODE_LEFTBRACKET: return LeftBracket;
    case SDL_SCANCODE_RIGHTBRACKET: return RightBracket;
    case SDL_SCANCODE_BACKSLASH:
    case SDL_SCANCODE_NONUSHASH: return Backslash;
    case SDL_SCANCODE_SEMICOLON: return Semicolon;
    case SDL_SCANCODE_APOSTROPHE: return Apostrophe;
    case SDL_SCANCODE_GRAVE: return Grave;
    case SDL_SCANCODE_COMMA: return Comma;
    case SDL_SCANCODE_PERIOD: return Period;
    case SDL_SCANCODE_SLASH: return Slash;
    case SDL_SCANCODE_NONUSBACKSLASH: return Oem102;
    case SDL_SCANCODE_CAPSLOCK: return CapsLock;
    case SDL_SCANCODE_PRINTSCREEN: return PrintScreen;
    case SDL_SCANCODE_SCROLLLOCK: return ScrollLock;
    case SDL_SCANCODE_PAUSE: return Pause;
    case SDL_SCANCODE_INSERT: return Insert;
    case SDL_SCANCODE_HOME: return Home;
    case SDL_SCANCODE_PAGEUP: return PageUp;
    case SDL_SCANCODE_DELETE: return Delete;
    case SDL_SCANCODE_END: return End;
    case SDL_SCANCODE_PAGEDOWN: return PageDown;
    case SDL_SCANCODE_RIGHT: return Right;
    case SDL_SCANCODE_LEFT: return Left;
    case SDL_SCANCODE_DOWN: return Down;
    case SDL_SCANCODE_UP: return Up;
    case SDL_SCANCODE_NUMLOCKCLEAR: return NumLock;
    case SDL_SCANCODE_KP_DIVIDE: return Divide;
    case SDL_SCANCODE_KP_MULTIPLY: return Multiply;
    case SDL_SCANCODE_KP_MINUS: return Subtract;
    case SDL_SCANCODE_KP_PLUS: return Add;
    case SDL_SCANCODE_KP_PERIOD:
    case SDL_SCANCODE_KP_DECIMAL: return Decimal;
    case SDL_SCANCODE_KP_COMMA: return Separator;
    case SDL_SCANCODE_APPLICATION:
    case SDL_SCANCODE_MENU: return Apps;
    case SDL_SCANCODE_HELP: return Help;
    case SDL_SCANCODE_SELECT: return Select;
    case SDL_SCANCODE_EXECUTE: return Execute;
    case SDL_SCANCODE_CLEAR: return Clear;
    case SDL_SCANCODE_SLEEP: return Sleep;
    // Left and right share one code, as the game's key messages always had it.
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return Control;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return Shift;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return Alt;
    case SDL_SCANCODE_LGUI: return LeftWin;
    case SDL_SCANCODE_RGUI: return RightWin;
    default: return 0;
    }
}

}  // namespace vk
