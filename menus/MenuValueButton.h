#pragma once

#include "menus/MenuItem.h"
#include "menus/MenuLabel.h"

#include <cstdint>
#include <functional>
#include <string>

// What the grid and toggle buttons share: a label, the name of an integer edit value that
// the screen's owner publishes (looked up afresh for each use), its range, and the owner's
// answer to "OnChange" for every new value: -1 refuses the change, -2 skips the value.
class MenuValueButton : public MenuItem {
public:
    // Attempts for one key; when the last still asks to skip, the old value comes back.
    static constexpr int kMaxAttempts = 21;
    static constexpr int kRefuse = -1;
    static constexpr int kSkip = -2;
    // Seconds the arrow of the last step stays highlighted.
    static constexpr float kArrowHighlight = 0.2f;

    Vector4 GetArea() const override { return m_rect; }
    bool IsSelectable() const override { return IsEnabled(); }
    std::string GetText() const override { return m_label.text; }

    // The owner's value, or null (with the warning "Edit Value <name> does not exist!").
    int* GetValue() const;
    // Only without wrap, and only with a value: at or below the minimum, at or above the
    // maximum.
    bool AtLowerEnd() const;
    bool AtUpperEnd() const;
    // Moves the value into the range, each widget in its own way. Warns without a value.
    void BringIntoRange();

    const std::string& GetValueName() const { return m_valueName; }
    int32_t GetMinValue() const { return m_minValue; }
    int32_t GetMaxValue() const { return m_maxValue; }
    float GetArrowHighlight() const { return m_arrowHighlight; }
    // 0 after a step to the left or up, 1 after one to the right or down.
    int32_t GetArrowSide() const { return m_arrowSide; }

protected:
    virtual int32_t InRange(int64_t value) const = 0;
    // Wrap ranges loop over min..max; without wrap the value is clamped, min winning over max.
    int32_t Clamp(int64_t value) const;

    // One key's change: step moves the value (it may end the key early by returning false,
    // with the value already restored); then the owner answers through "OnChange". False
    // when an action replaced the screen and this item is gone.
    bool StepWithOwner(const std::function<bool(int& value, int before)>& step);
    // Runs the element's action text through the menu. False when the item is gone after it.
    bool RunAction(const char* attribute, int* answer = nullptr);
    // Appends "PlaySelectSound" to the element's "OnChange", or adds the attribute.
    void AddSelectSoundToOnChange();
    void MarkStep(int32_t side);
    void CountDownHighlight(float seconds);

    MenuLabel m_label;
    Vector4 m_rect;
    std::string m_valueName;
    int32_t m_minValue = 0;
    int32_t m_maxValue = 0;
    bool m_wrap = false;
    float m_arrowHighlight = 0.0f;
    int32_t m_arrowSide = 0;
    std::string m_targetName;
};
