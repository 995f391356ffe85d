#include "menus/MenuEditValue.h"

#include "framework/Debug.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/XmlParser.h"

#include <memory>

namespace {

constexpr const char* kSelectSound = "PlaySelectSound";

// Wraps into [0, count) for any sign.
int64_t Modulo(int64_t value, int64_t count)
{
    return ((value % count) + count) % count;
}

}  // namespace

int* MenuEditValue::Find(Menu* menu) const
{
    int* value = menu ? menu->GetEditValue(name) : nullptr;
    if (!value)
        LogWarning("Edit Value %s does not exist!\n", name.c_str());
    return value;
}

bool MenuEditValue::AtLowerEnd(Menu* menu) const
{
    if (wrap != Wrap::kNone)
        return false;
    const int* value = Find(menu);
    return value && *value <= minValue;
}

bool MenuEditValue::AtUpperEnd(Menu* menu) const
{
    if (wrap != Wrap::kNone)
        return false;
    const int* value = Find(menu);
    return value && *value >= maxValue;
}

int32_t MenuEditValue::InRange(int64_t value) const
{
    switch (wrap) {
    case Wrap::kLoop:
        // The grid's range is never empty (its Create makes max at least min).
        if (value < minValue || value > maxValue)
            value = minValue + Modulo(value - minValue, static_cast<int64_t>(maxValue) - minValue + 1);
        break;
    case Wrap::kToOtherEnd:
        if (value < minValue)
            value = maxValue;
        if (value > maxValue)
            value = minValue;
        break;
    case Wrap::kNone:
        // Explicit comparisons: a range read from variables may come with min above max.
        if (value > maxValue)
            value = maxValue;
        if (value < minValue)
            value = minValue;
        break;
    }
    return static_cast<int32_t>(value);
}

void MenuEditValue::BringIntoRange(Menu* menu) const
{
    if (int* value = Find(menu))
        *value = InRange(*value);
}

void MenuEditValue::MarkStep(int32_t side)
{
    arrowHighlight = kArrowHighlight;
    arrowSide = side;
}

bool MenuEditValue::UpdateItem(MenuItem& item, float seconds)
{
    Menu* menu = item.GetMenu();
    const uint32_t generation = menu ? menu->GetGeneration() : 0;
    item.MenuItem::Update(seconds);
    if (menu && menu->GetGeneration() != generation)
        return false;
    BringIntoRange(menu);
    if (arrowHighlight > 0.0f)
        arrowHighlight -= seconds;
    item.UpdateFade(seconds);
    return true;
}

bool MenuEditValue::StepWithOwner(MenuItem& item, MenuEditValue& edit,
                                  const std::function<bool(int& value, int before)>& step)
{
    Menu* menu = item.GetMenu();
    int* value = edit.Find(menu);
    if (!value)
        return true;
    const int before = *value;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        if (!step(*value, before))
            return true;
        int answer = 0;
        if (!RunItemAction(item, "OnChange", &answer))
            return false;
        // The owner may have withdrawn or replaced the value while answering.
        value = edit.Find(menu);
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

bool RunItemAction(MenuItem& item, const char* attribute, int* answer)
{
    Menu* menu = item.GetMenu();
    const XmlNode* node = item.GetXmlNode();
    if (!menu || !node)
        return true;
    const uint32_t generation = menu->GetGeneration();
    const int result = menu->ExecuteActions(&item, node->GetAttribute(attribute));
    if (answer)
        *answer = result;
    // Read through the local: when the screen went, so did the item.
    return menu->GetGeneration() == generation;
}

void AddSelectSoundToOnChange(XmlNode* node)
{
    if (!node)
        return;
    XmlAttribute* onChange = node->FindAttribute("OnChange");
    if (!onChange) {
        node->attributes.push_back(std::make_unique<XmlAttribute>("OnChange", kSelectSound));
        return;
    }
    if (onChange->value.find(kSelectSound) == std::string::npos)
        onChange->value += onChange->value.empty() ? kSelectSound : std::string(";") + kSelectSound;
}
