#pragma once

#include "platform/Handles.h"

// Key codes of the game: the Windows virtual-key numbers, because the bindings and the
// key-assignment file "data\Savegames\inputs.txt" store those numbers. Letters and
// digits are their upper-case ASCII codes ('A' = 0x41, '0' = 0x30).
namespace vk {

constexpr int kCount = 256;  // codes are 1..255; 0 means no key

constexpr int Back = 0x08;
constexpr int Tab = 0x09;
constexpr int Clear = 0x0C;
constexpr int Return = 0x0D;
constexpr int Shift = 0x10;
constexpr int Control = 0x11;
constexpr int Alt = 0x12;
constexpr int Pause = 0x13;
constexpr int CapsLock = 0x14;
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int PageUp = 0x21;
constexpr int PageDown = 0x22;
constexpr int End = 0x23;
constexpr int Home = 0x24;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Select = 0x29;
constexpr int Execute = 0x2B;
constexpr int PrintScreen = 0x2C;
constexpr int Insert = 0x2D;
constexpr int Delete = 0x2E;
constexpr int Help = 0x2F;
constexpr int Digit0 = 0x30;  // to 0x39
constexpr int LetterA = 0x41;  // to 0x5A
constexpr int LeftWin = 0x5B;
constexpr int RightWin = 0x5C;
constexpr int Apps = 0x5D;
constexpr int Sleep = 0x5F;
constexpr int Numpad0 = 0x60;  // to 0x69
constexpr int Multiply = 0x6A;
constexpr int Add = 0x6B;
constexpr int Separator = 0x6C;
constexpr int Subtract = 0x6D;
constexpr int Decimal = 0x6E;
constexpr int Divide = 0x6F;
constexpr int F1 = 0x70;  // to F24 = 0x87
constexpr int NumLock = 0x90;
constexpr int ScrollLock = 0x91;
constexpr int Semicolon = 0xBA;
constexpr int Plus = 0xBB;
constexpr int Comma = 0xBC;
constexpr int Minus = 0xBD;
constexpr int Period = 0xBE;
constexpr int Slash = 0xBF;
constexpr int Grave = 0xC0;
constexpr int LeftBracket = 0xDB;
constexpr int Backslash = 0xDC;
constexpr int RightBracket = 0xDD;
constexpr int Apostrophe = 0xDE;
constexpr int Oem102 = 0xE2;  // the extra key beside left shift on ISO keyboards

constexpr int Letter(char upper) { return LetterA + (upper - 'A'); }
constexpr int Digit(int d) { return Digit0 + d; }
constexpr int Numpad(int d) { return Numpad0 + d; }
constexpr int F(int n) { return F1 + (n - 1); }

// The code of the key at that position of a US keyboard, so bindings such as W, A, S, D
// stay where the hand expects them whatever the layout. 0 for keys the game has no code for.
int FromScancode(platform::Scancode scancode);

}  // namespace vk
