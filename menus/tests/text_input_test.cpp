#include "input/InputController.h"
#include "input/InputMappers.h"
#include "input/KeyboardInput.h"
#include "input/VirtualKeys.h"
#include "menus/TextInput.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Shift as the keyboard reports it, read through the game's raw key mapper.
class ShiftKey {
public:
    ShiftKey() { BufferedInputController::Instance()->RegisterInputMapper(&m_keys); }
    ~ShiftKey()
    {
        BufferedInputController::Instance()->UnregisterInputMapper(&m_keys);
        KeyboardInput::DestroyInstance();
    }
    // Held or let go for the next frame.
    void Hold(bool down)
    {
        KeyboardInput* keyboard = KeyboardInput::Instance();
        if (down)
            keyboard->OnKeyDown(vk::Shift);
        else
            keyboard->OnKeyUp(vk::Shift);
        keyboard->Update(0.0f);
    }

private:
    InputMapperDefault m_keys;
};

TextBuffer Buffer(int32_t classes, const std::string& text = "")
{
    TextBuffer buffer(15);
    buffer.charClasses = classes;
    buffer.text = text;
    return buffer;
}

TEST(TextInputTest, SetTextSplitsLeadingAndTrailingTags)
{
    const struct {
        const char* markup;
        const char* prefix;
        const char* text;
        const char* suffix;
    } cases[] = {
        {"<font menu>%name%</font>", "<font menu>", "%name%", "</font>"},
        {"<font a><scale 2>Ann</scale></font>", "<font a><scale 2>", "Ann", "</scale></font>"},
        {"plain", "", "plain", ""},
        {"<b></b>", "<b></b>", "", ""},
        {"<unclosed", "<unclosed", "", ""},
        {"a <b> c</b>", "", "a <b> c", "</b>"},
        {"1 > 0", "", "1 > 0", ""},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        TextBuffer buffer(15);
        buffer.text = "old";
        TextInput::SetText(buffer, c.markup);
        EXPECT_EQ(buffer.prefix, c.prefix) << c.markup;
        EXPECT_EQ(buffer.text, c.text) << c.markup;
        EXPECT_EQ(buffer.suffix, c.suffix) << c.markup;
        EXPECT_EQ(buffer.GetDisplayText(), c.markup);
    }
}

TEST(TextInputTest, KeysTypeOnlyTheirClasses)
{
    const ShiftKey shift;
    const struct {
        int32_t classes;
        int key;
        const char* typed;
    } cases[] = {
        {0, ' ', "ab "},  // the blank needs no class
        {0, 'C', "ab"},
        {0, '5', "ab"},
        {TextBuffer::kLettersAndDigits, 'C', "abc"},
        {TextBuffer::kLettersAndDigits, '5', "ab5"},
        {TextBuffer::kLettersAndDigits, 'Z', "abz"},
        {TextBuffer::kLettersAndDigits, '0', "ab0"},
        {TextBuffer::kLettersAndDigits, '9', "ab9"},
        {TextBuffer::kLettersAndDigits, 'A', "aba"},
        {TextBuffer::kLettersAndDigits, 187, "ab"},
        {TextBuffer::kPunctuation, 'C', "ab"},
        {TextBuffer::kPunctuation, 187, "ab+"},
        {TextBuffer::kPunctuation, 188, "ab,"},
        {TextBuffer::kPunctuation, 189, "ab-"},
        {TextBuffer::kPunctuation, 190, "ab."},
        {TextBuffer::kPunctuation, 191, "ab"},
        {TextBuffer::kPunctuation, 186, "ab"},
        {5, '@', "ab"},
        {5, '[', "ab"},
        {5, vk::Back, "a"},
        {0, vk::Back, "a"},
        {5, 0, "ab"},
        {5, 255, "ab"},
    };
    for (const auto& c : cases) {
        TextBuffer buffer = Buffer(c.classes, "ab");
        TextInput::AddCharacter(buffer, static_cast<uint8_t>(c.key));
        EXPECT_EQ(buffer.text, c.typed) << "classes " << c.classes << ", key " << c.key;
    }
}

TEST(TextInputTest, BackspaceOnAnEmptyTextDoesNothing)
{
    TextBuffer buffer = Buffer(1);
    buffer.prefix = "<font a>";
    TextInput::AddCharacter(buffer, vk::Back);
    EXPECT_EQ(buffer.GetDisplayText(), "<font a>");
}

TEST(TextInputTest, ShiftDecidesTheCase)
{
    ShiftKey shift;
    TextBuffer buffer = Buffer(1);
    shift.Hold(true);
    TextInput::AddCharacter(buffer, 'A');
    shift.Hold(false);
    TextInput::AddCharacter(buffer, 'B');
    TextInput::HandleKey(buffer, "C");
    shift.Hold(true);
    TextInput::HandleKey(buffer, "d");
    EXPECT_EQ(buffer.text, "Abcd");
}

TEST(TextInputTest, AFullTextKeepsItsLengthAndChangesItsLastCharacter)
{
    const ShiftKey shift;
    TextBuffer buffer = Buffer(1);
    for (int i = 0; i < 15; ++i)
        TextInput::AddCharacter(buffer, static_cast<uint8_t>('A' + i));
    EXPECT_EQ(buffer.text, "abcdefghijklmno");
    TextInput::AddCharacter(buffer, 'Z');
    TextInput::AddCharacter(buffer, ' ');
    EXPECT_EQ(buffer.text, "abcdefghijklmn ");

    TextBuffer none(0);
    none.charClasses = 1;
    TextInput::AddCharacter(none, 'A');
    EXPECT_EQ(none.text, "");
}

}  // namespace
