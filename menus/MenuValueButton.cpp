#include "menus/MenuValueButton.h"

#include "framework/Debug.h"
#include "menus/Menu.h"
#include "menus/XmlParser.h"

#include <memory>

namespace {

constexpr const char* kSelectSound = "PlaySelectSound";

}  // namespace

int* MenuValueButton::GetValue() const
{
    int* value = m_menu ? m_menu->GetEditValue(m_valueName) : nullptr;
    if (!value)
        LogWarning("Edit Value %s does not exist!\n", m_valueName.c_str());
    return value;
}

bool MenuValueButton::AtLowerEnd() const
{
    if (m_wrap)
        return false;
    const int* value = GetValue();
    return value && *value <= m_minValue;
}

bool MenuValueButton::AtUpperEnd() const
{
    if (m_wrap)
        return false;
    const int* value = GetValue();
    return value && *value >= m_maxValue;
}

void MenuValueButton::BringIntoRange()
{
    if (int* value = GetValue())
        *value = InRange(*value);
}

int32_t MenuValueButton::Clamp(int64_t value) const
{
    // Explicit comparisons: a range read from variables may come with min above max.
    if (value > m_maxValue)
        value = m_maxValue;
    if (value < m_minValue)
        value = m_minValue;
    return static_cast<int32_t>(value);
}

bool MenuValueButton::RunAction(const char* attribute, int* answer)
{
    Menu* menu = m_menu;
    if (!menu || !m_xmlNode)
        return true;
    const uint32_t generation = menu->GetGeneration();
    const int result = menu->ExecuteActions(this, m_xmlNode->GetAttribute(attribute));
    if (answer)
        *answer = result;
    // Read through the local: when the screen went, so did this item.
    return menu->GetGeneration() == generation;
}

bool MenuValueButton::StepWithOwner(const std::function<bool(int& value, int before)>& step)
{
    int* value = GetValue();
    if (!value)
        return true;
    const int before = *value;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        if (!step(*value, before))
            return true;
        int answer = 0;
        if (!RunAction("OnChange", &answer))
            return false;
        // The owner may have withdrawn or replaced the value while answering.
        value = GetValue();
        if (!value)
            return true;
        if (answer == kRefuse) {
            *value = before;
            return true;
        }
        if (answer != kSkip)
            return true;
    }
    *value = before;
    return true;
}

void MenuValueButton::AddSelectSoundToOnChange()
{
    if (!m_xmlNode)
        return;
    XmlAttribute* onChange = m_xmlNode->FindAttribute("OnChange");
    if (!onChange) {
        m_xmlNode->attributes.push_back(std::make_unique<XmlAttribute>("OnChange", kSelectSound));
        return;
    }
    if (onChange->value.find(kSelectSound) != std::string::npos)
        return;
    onChange->value += onChange->value.empty() ? kSelectSound : std::string(";") + kSelectSound;
}

void MenuValueButton::MarkStep(int32_t side)
{
    m_arrowHighlight = kArrowHighlight;
    m_arrowSide = side;
}

void MenuValueButton::CountDownHighlight(float seconds)
{
    if (m_arrowHighlight > 0.0f)
        m_arrowHighlight -= seconds;
}
