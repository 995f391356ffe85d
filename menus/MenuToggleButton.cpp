#include "menus/MenuToggleButton.h"

#include "framework/Registration.h"
#include "menus/Menu.h"
#include "menus/XmlParser.h"

#include <cstdio>

REGISTER_FACTORY(MenuItems, MenuToggleButton);

namespace {

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
        m_label.Read(node, "MenuToggleButton");
        m_valueName = node->GetAttribute("value");
        const auto expanded = [&](const char* attribute, int32_t& out) {
            if (node->HasAttribute(attribute))
                ReadNumber(m_menu->ExpandVariables(node->GetAttribute(attribute)), out);
        };
        expanded("minValue", m_minValue);
        expanded("maxValue", m_maxValue);
        expanded("valueStep", m_valueStep);
        int32_t wrap = 0;
        ReadNumber(node->GetAttribute("wrap"), wrap);
        m_wrap = wrap != 0;
        m_targetName = node->GetAttribute("target");
        m_hasBlocked = node->HasAttribute("blockedValue");
        m_blockedText = node->GetAttribute("blockedValue");
        if (m_hasBlocked)
            ReadBlockedValue();
        AddSelectSoundToOnChange();
    }
    m_rect = Vector4(m_label.x, m_label.y, 0.0f, 0.0f);
    BringIntoRange();
}

void MenuToggleButton::ReadBlockedValue()
{
    ReadNumber(m_menu->ExpandVariables(m_blockedText), m_blockedValue);
}

int32_t MenuToggleButton::InRange(int64_t value) const
{
    if (!m_wrap)
        return Clamp(value);
    if (value < m_minValue)
        value = m_maxValue;
    if (value > m_maxValue)
        value = m_minValue;
    return static_cast<int32_t>(value);
}

bool MenuToggleButton::StepOnce(int& value, int before, int direction)
{
    int64_t next = static_cast<int64_t>(value) + static_cast<int64_t>(direction) * m_valueStep;
    if (m_hasBlocked) {
        ReadBlockedValue();
        next = InRange(next);
        if (next == m_blockedValue) {
            const bool atEnd = !m_wrap && (direction < 0 ? next <= m_minValue : next >= m_maxValue);
            if (atEnd) {
                value = before;
                return false;
            }
            next += static_cast<int64_t>(direction) * m_valueStep;
        }
    }
    value = InRange(next);
    MarkStep(direction > 0 ? 1 : 0);
    return true;
}

int MenuToggleButton::OnMessage(int message, intptr_t)
{
    if (m_fadeState != kIdle)
        return 0;
    const bool left = message == MenuMessage("menu left");
    const bool right = message == MenuMessage("menu right");
    if (left || right) {
        const int direction = right ? 1 : -1;
        const bool atEnd = right ? AtUpperEnd() : AtLowerEnd();
        if (!atEnd && !StepWithOwner([&](int& value, int before) { return StepOnce(value, before, direction); }))
            return 0;
        RunAction("OnToggle");
    } else if (message == MenuMessage("menu select")) {
        RunAction("OnSelect");
    } else if (message == MenuMessage("menu up") && m_menu) {
        m_menu->SelectPrevious();
    } else if (message == MenuMessage("menu down") && m_menu) {
        m_menu->SelectNext();
    }
    return 0;
}

void MenuToggleButton::Update(float seconds)
{
    Menu* menu = m_menu;
    const uint32_t generation = menu ? menu->GetGeneration() : 0;
    MenuItem::Update(seconds);
    if (menu && menu->GetGeneration() != generation)
        return;
    BringIntoRange();
    CountDownHighlight(seconds);
    UpdateFade(seconds);
    m_popOut.Update(IsSelected(), seconds, kDamping);
}

bool MenuToggleButton::HitTest(float x, float y) const
{
    return m_menu && HitMenuRect(*m_menu, m_rect, x, y);
}

void MenuToggleButton::Draw(int)
{
}
