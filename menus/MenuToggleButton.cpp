#include "menus/MenuToggleButton.h"

#include "framework/Registration.h"
#include "menus/Menu.h"
#include "menus/MenuLabel.h"
#include "menus/MenuText.h"
#include "menus/XmlParser.h"

#include <cstdio>

REGISTER_FACTORY(MenuItems, MenuToggleButton);

namespace {

// The shadow follows the pop-out only half way.
constexpr float kShadowFollow = 0.5f;

// "%d" of the text; the number stays as it was when the text holds none.
void ReadNumber(const std::string& text, int32_t& out)
{
    std::sscanf(text.c_str(), "%d", &out);
}

}  // namespace

void MenuToggleButton::Create(XmlNode* node)
{
    ReadCommonAttributes(node);
    if (node && m_menu) {
        ReadTextAttributes(node, "MenuToggleButton");
        m_value.name = node->GetAttribute("value");
        const auto expanded = [&](const char* attribute, int32_t& out) {
            if (node->HasAttribute(attribute))
                ReadNumber(m_menu->ExpandVariables(node->GetAttribute(attribute)), out);
        };
        expanded("minValue", m_value.minValue);
        expanded("maxValue", m_value.maxValue);
        expanded("valueStep", m_valueStep);
        int32_t wrap = 0;
        ReadNumber(node->GetAttribute("wrap"), wrap);
        m_value.wrap = wrap != 0 ? MenuEditValue::Wrap::kToOtherEnd : MenuEditValue::Wrap::kNone;
        m_value.target = node->GetAttribute("target");
        m_hasBlocked = node->HasAttribute("blockedValue");
        m_blockedText = node->GetAttribute("blockedValue");
        if (m_hasBlocked)
            ReadBlockedValue();
        AddSelectSoundToOnChange(node);
    }
    m_rect = Vector4(m_x, m_y, 0.0f, 0.0f);
    m_value.BringIntoRange(m_menu);
}

void MenuToggleButton::ReadBlockedValue()
{
    ReadNumber(m_menu->ExpandVariables(m_blockedText), m_blockedValue);
}

bool MenuToggleButton::StepOnce(int& value, int before, int direction)
{
    const int64_t step = static_cast<int64_t>(direction) * m_valueStep;
    int64_t next = value + step;
    if (m_hasBlocked) {
        ReadBlockedValue();
        next = m_value.InRange(next);
        if (next == m_blockedValue) {
            const bool wrap = m_value.wrap != MenuEditValue::Wrap::kNone;
            const bool atEnd = !wrap && (direction < 0 ? next <= m_value.minValue : next >= m_value.maxValue);
            if (atEnd) {
                value = before;
                return false;
            }
            next += step;
        }
    }
    value = m_value.InRange(next);
    m_value.MarkStep(direction > 0 ? 1 : 0);
    return true;
}

int MenuToggleButton::OnMessage(int message, intptr_t)
{
    if (m_fadeState != kIdle || !m_menu)
        return 0;
    const bool left = message == MenuMessage("menu left");
    const bool right = message == MenuMessage("menu right");
    if (left || right) {
        const int direction = right ? 1 : -1;
        const bool atEnd = right ? m_value.AtUpperEnd(m_menu) : m_value.AtLowerEnd(m_menu);
        const auto step = [&](int& value, int before) { return StepOnce(value, before, direction); };
        if (!atEnd && !MenuEditValue::StepWithOwner(*this, m_value, step))
            return 0;
        RunItemAction(*this, "OnToggle");
    } else if (message == MenuMessage("menu select")) {
        RunItemAction(*this, "OnSelect");
    } else if (message == MenuMessage("menu up")) {
        m_menu->SelectPrevious();
    } else if (message == MenuMessage("menu down")) {
        m_menu->SelectNext();
    }
    return 0;
}

void MenuToggleButton::Update(float seconds)
{
    if (m_value.UpdateItem(*this, seconds))
        UpdatePopOut(seconds, kDamping);
}

void MenuToggleButton::Draw(int pass)
{
    if (!m_visible || !m_menu)
        return;
    const std::string display = DisplayText();
    const menutext::AlignScope align(m_hasAlign, m_align);
    PrintOnPlane(pass, pass == 0 ? menutext::ShadowText(display) : display, kShadowFollow);
    // Always measured from the text: the toggle has no fixed "area".
    MeasureRect(display);
}
