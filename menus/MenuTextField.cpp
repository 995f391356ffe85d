#include "menus/MenuTextField.h"

#include "framework/Registration.h"
#include "framework/StringUtil.h"
#include "framework/TimeInfo.h"
#include "input/KeyboardInput.h"
#include "menus/Menu.h"
#include "menus/MenuLabel.h"
#include "menus/MenuText.h"
#include "menus/MenuVirtualKeyboard.h"
#include "menus/XmlParser.h"

#include <cstdio>

REGISTER_FACTORY(MenuItems, MenuTextField);

namespace {

// The caret blinks at 2 Hz; hidden, it still takes its room.
constexpr float kCaretRate = 4.0f;
constexpr const char* kCaretShown = "<font selected><scale 1 0.70><color 255 255 255 255>|</color></scale></font>";
constexpr const char* kCaretHidden = "<font selected><scale 1 0.70><color 0 0 0 0>|</color></scale></font>";
// The shadow follows the pop-out only half way.
constexpr float kShadowFollow = 0.5f;

// "%%" written in an attribute stands for one '%'. Nothing else is read as a format: the
// text may hold any '%'.
std::string UndoublePercents(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        result += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%')
            ++i;
    }
    return result;
}

}  // namespace

void MenuTextField::Create(XmlNode* node)
{
    ReadCommonAttributes(node);
    m_buffer.charClasses = TextBuffer::kLettersAndDigits;
    m_selectedBuffer.charClasses = TextBuffer::kLettersAndDigits;
    if (!node || !m_menu)
        return;
    ReadTextAttributes(node, "MenuTextField");
    if (node->HasAttribute("text")) {
        TextInput::SetText(m_buffer, node->GetAttribute("text"));
        m_buffer.SetText(m_menu->Variables()[m_buffer.GetText()]);
        RebuildSelectedBuffer();
        if (node->HasAttribute("selectedText"))
            TextInput::SetText(m_selectedBuffer, node->GetAttribute("selectedText"));
    }
    if (node->HasAttribute("bufferVar")) {
        m_bufferVar = UndoublePercents(node->GetAttribute("bufferVar"));
        MirrorIntoVariable();
    }
    if (node->HasAttribute("area")) {
        const std::string& area = node->GetAttribute("area");
        m_hasArea = std::sscanf(area.c_str(), "%f,%f,%f,%f", &m_area.x, &m_area.y, &m_area.z, &m_area.w) > 0;
    }
}

void MenuTextField::RebuildSelectedBuffer()
{
    // Joined, never formatted: the text is a variable's value and may hold any '%'.
    TextInput::SetText(m_selectedBuffer, "<font selected>" + m_buffer.GetDisplayText() + "</font>");
}

void MenuTextField::MirrorIntoVariable()
{
    if (!m_bufferVar.empty())
        m_menu->SetVariable(m_bufferVar, m_buffer.GetDisplayText());
}

int MenuTextField::OnMessage(int message, intptr_t)
{
    HandleNavigation(message);
    if (message == MenuMessage("menu click") && m_menu)
        m_menu->SetMouseMode(false);
    return 0;
}

void MenuTextField::Update(float seconds)
{
    Menu* menu = m_menu;
    const uint32_t generation = menu ? menu->GetGeneration() : 0;
    UpdateWithFade(seconds);
    if (!menu || menu->GetGeneration() != generation)
        return;
    if (IsSelected()) {
        KeyboardInput* keyboard = KeyboardInput::Instance();
        const int key = keyboard->GetHeldKey();
        if (key > 0 && key < 256) {
            TextInput::AddCharacter(m_buffer, static_cast<uint8_t>(key));
            // Taken: the key types again only after the keyboard reports a new key-down.
            keyboard->ClearHeldKey();
        }
        MirrorIntoVariable();
    }
    RebuildSelectedBuffer();
    UpdatePopOut(seconds, kSpringDamping);
}

void MenuTextField::TypeOnScreenKey(const std::string& label)
{
    std::string& text = m_buffer.text;
    if (label == MenuVirtualKeyboard::kDelete) {
        if (!text.empty())
            text.pop_back();
    } else if (label == MenuVirtualKeyboard::kSpace) {
        TextInput::Insert(m_buffer, " ");
    } else if (label.size() == 1) {
        std::string typed = label;
        // Without a Shift key on screen: capitals where a word starts.
        if (!text.empty() && text.back() != ' ')
            StringUtil::ToLower(typed);
        TextInput::Insert(m_buffer, typed);
    } else {
        return;
    }
    if (m_menu) {
        MirrorIntoVariable();
        RebuildSelectedBuffer();
    }
}

std::string MenuTextField::GetShownText(int pass) const
{
    if (!m_menu)
        return std::string();
    if (!IsSelected()) {
        const std::string text = m_menu->ExpandVariables(m_buffer.GetDisplayText());
        return pass == 0 ? menutext::ShadowText(text) : text;
    }
    const std::string text = m_menu->ExpandVariables(m_selectedBuffer.GetDisplayText());
    const bool caretShown = pass == 1 && static_cast<long>(TimeInfo::Instance()->GetMenuTime() * kCaretRate) % 2 != 0;
    // The hidden caret goes on after the shadow's colour, so that the shadow never shows it.
    const std::string body = pass == 0 ? menutext::ShadowText(text) : text;
    return "<center>" + body + (caretShown ? kCaretShown : kCaretHidden) + "</center>";
}

void MenuTextField::Draw(int pass)
{
    if (!m_menu)
        return;
    const menutext::AlignScope align(m_hasAlign, m_align);
    const std::string shown = GetShownText(pass);
    PrintOnPlane(pass, shown, kShadowFollow);
    if (pass == 1)
        MeasureRect(shown);
}
