#pragma once

#include <cstdint>
#include <string>

// A text being typed: the visible text, with the mark-up tags that stand before and after
// it kept apart so that typing never touches them.
class TextBuffer {
public:
    // Bits of charClasses. The blank and backspace need none.
    enum CharClass : int32_t { kLettersAndDigits = 1, kPunctuation = 4 };

    explicit TextBuffer(int32_t maxLength) : maxLength(maxLength) {}

    // Replaces the visible text only.
    void SetText(const std::string& value) { text = value; }
    const std::string& GetText() const { return text; }
    // prefix + text + suffix.
    std::string GetDisplayText() const { return prefix + text + suffix; }

    int32_t maxLength;
    int32_t charClasses = 0;
    std::string text;
    std::string prefix;
    std::string suffix;
};

// Key entry into a TextBuffer, shared by the menu text field and the owners' own name entry.
namespace TextInput {

// Splits a marked-up text: leading tags into prefix, trailing tags into suffix, the rest
// into text. A text of tags only goes wholly into prefix.
void SetText(TextBuffer& buffer, const std::string& markup);
// One virtual-key code: backspace, the blank, and the characters of the buffer's classes;
// any other code is ignored. Codes are unsigned: the punctuation keys lie above 127.
void AddCharacter(TextBuffer& buffer, uint8_t key);
// Types one character: lower-cased unless Shift is held ("key pressed 16"); a full text has
// its last character replaced instead.
void HandleKey(TextBuffer& buffer, const std::string& character);
// Types the character as it is, with HandleKey's rule for a full text.
void Insert(TextBuffer& buffer, const std::string& character);

}  // namespace TextInput
