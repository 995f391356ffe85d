#pragma once

#include "menus/MenuTextButton.h"
#include "menus/TextInput.h"

#include <string>

// A text button whose text is typed while it is selected, such as a name. The typed text
// starts from the menu variable that "text" names and is mirrored into the variable named
// by "bufferVar" at creation and on every selected frame, where the owner reads it. A
// blinking caret marks the end of the text while selected.
class MenuTextField : public MenuTextButton {
public:
    static constexpr int32_t kMaxLength = 15;

    // The text button's navigation, and on "menu click" key navigation, so that the
    // keyboard goes to the field.
    int OnMessage(int message, intptr_t param) override;
    // Types the key the keyboard holds (once per key-down) while selected.
    void Update(float seconds) override;
    void Create(XmlNode* node) override;
    // Drawn even while hidden; centred with the caret while selected.
    void Draw(int pass) override;
    // The typed text without its mark-up.
    std::string GetText() const override { return m_buffer.GetText(); }
    // A key of the on-screen keyboard, selected or not: a letter starts a word in capitals
    // and goes on in small letters, a digit or sign goes as it is, "SPACE" types a blank and
    // "DEL" takes the last character off. Any other label types nothing.
    void TypeOnScreenKey(const std::string& label);

    // The text the pass prints: for the shadow (0) with its colours off, the caret hidden.
    std::string GetShownText(int pass) const;
    const std::string& GetBufferVar() const { return m_bufferVar; }
    const TextBuffer& GetBuffer() const { return m_buffer; }
    const TextBuffer& GetSelectedBuffer() const { return m_selectedBuffer; }

private:
    void RebuildSelectedBuffer();
    void MirrorIntoVariable();

    std::string m_bufferVar;
    TextBuffer m_buffer{kMaxLength};
    TextBuffer m_selectedBuffer{kMaxLength};
};
