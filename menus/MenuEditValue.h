#pragma once

#include <cstdint>
#include <functional>
#include <string>

class Menu;
class MenuItem;
class XmlNode;

// The integer that a grid or toggle button edits: the owner publishes it to the menu under
// a name, and the widget looks it up afresh for every use. Each new value is put to the
// owner through the element's "OnChange": -1 refuses the change, -2 skips the value.
struct MenuEditValue {
    // Attempts for one key; when the last still asks to skip, the old value comes back.
    static constexpr int kMaxAttempts = 21;
    static constexpr int kRefuse = -1;
    static constexpr int kSkip = -2;
    // Seconds the arrow of the last step stays highlighted.
    static constexpr float kArrowHighlight = 0.2f;

    // How a wrapping range treats a value outside it: the grid loops over the range, the
    // toggle goes to the other end. Without wrap the value is clamped.
    enum class Wrap { kNone, kLoop, kToOtherEnd };

    // The owner's value, or null with the warning "Edit Value <name> does not exist!".
    int* Find(Menu* menu) const;
    // Only without wrap, and only when the value exists: at or below the minimum, at or
    // above the maximum.
    bool AtLowerEnd(Menu* menu) const;
    bool AtUpperEnd(Menu* menu) const;
    // The value moved into the range; min wins when a range read from variables has min
    // above max.
    int32_t InRange(int64_t value) const;
    // Warns without a value.
    void BringIntoRange(Menu* menu) const;
    // 0 after a step left or up, 1 after one right or down.
    void MarkStep(int32_t side);
    // The update of the widgets that edit a value: the item's "OnUpdate", the value into
    // range, the highlight counted down, the fade. False when "OnUpdate" replaced the
    // screen, so the item is gone.
    bool UpdateItem(MenuItem& item, float seconds);

    // One key's change to the item's value: step moves it (from the value it is given;
    // before is the value ahead of the key) and may end the key early by returning false,
    // having put the value back itself; otherwise the owner answers through "OnChange".
    // False when an action replaced the screen, so the item is gone.
    static bool StepWithOwner(MenuItem& item, MenuEditValue& value,
                              const std::function<bool(int& value, int before)>& step);

    std::string name;
    int32_t minValue = 0;
    int32_t maxValue = 0;
    Wrap wrap = Wrap::kNone;
    float arrowHighlight = 0.0f;
    int32_t arrowSide = 0;
    // The item the grid's arrows frame.
    std::string target;
};

// Runs the item's element attribute as an action text. False when the actions replaced the
// screen and the item with it: the caller must not touch the item again.
bool RunItemAction(MenuItem& item, const char* attribute, int* answer = nullptr);
// Makes the element's "OnChange" end with "PlaySelectSound", adding the attribute when it
// is absent.
void AddSelectSoundToOnChange(XmlNode* node);
