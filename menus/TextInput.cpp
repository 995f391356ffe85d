#include "menus/TextInput.h"

#include "framework/StringUtil.h"
#include "input/InputController.h"
#include "input/VirtualKeys.h"

namespace {

// The punctuation keys' codes, from 187 on: plus, comma, minus, period.
constexpr uint8_t kFirstPunctuationKey = 187;
constexpr const char kPunctuation[] = "+,-.";

bool IsShiftHeld()
{
    static const std::string action = "key pressed " + std::to_string(vk::Shift);
    const int mode = InputController::kValue;
    return BufferedInputController::Instance()->GetAction(action, mode) != 0.0f;
}

}  // namespace

namespace TextInput {

void SetText(TextBuffer& buffer, const std::string& markup)
{
    size_t start = 0;
    while (start < markup.size() && markup[start] == '<') {
        const size_t close = markup.find('>', start);
        start = close == std::string::npos ? markup.size() : close + 1;
    }
    size_t end = markup.size();
    while (end > start && markup[end - 1] == '>') {
        const size_t open = markup.rfind('<', end - 1);
        // A '>' with no '<' inside the rest is text, not a tag.
        if (open == std::string::npos || open < start)
            break;
        end = open;
    }
    buffer.prefix = markup.substr(0, start);
    buffer.text = markup.substr(start, end - start);
    buffer.suffix = markup.substr(end);
}

void AddCharacter(TextBuffer& buffer, uint8_t key)
{
    if (key == vk::Back) {
        if (!buffer.text.empty())
            buffer.text.pop_back();
        return;
    }
    if (key == vk::Space) {
        HandleKey(buffer, " ");
        return;
    }
    const bool letter = key >= 'A' && key <= 'Z';
    const bool digit = key >= '0' && key <= '9';
    if ((letter || digit) && (buffer.charClasses & TextBuffer::kLettersAndDigits)) {
        HandleKey(buffer, std::string(1, static_cast<char>(key)));
        return;
    }
    const int punctuation = key - kFirstPunctuationKey;
    if (punctuation >= 0 && punctuation < 4 && (buffer.charClasses & TextBuffer::kPunctuation))
        HandleKey(buffer, std::string(1, kPunctuation[punctuation]));
}

void HandleKey(TextBuffer& buffer, const std::string& character)
{
    std::string typed = character;
    if (!IsShiftHeld())
        StringUtil::ToLower(typed);
    Insert(buffer, typed);
}

void Insert(TextBuffer& buffer, const std::string& character)
{
    if (static_cast<int64_t>(buffer.text.size()) >= buffer.maxLength) {
        // A buffer with no room at all takes nothing.
        if (buffer.text.empty())
            return;
        buffer.text.pop_back();
    }
    buffer.text += character;
}

}  // namespace TextInput
