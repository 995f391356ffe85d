#pragma once

#include "menus/MenuEditValue.h"
#include "menus/MenuTextButton.h"

#include <string>

// Steps an edit value down ("menu left") or up ("menu right") by "valueStep" between its
// minimum and maximum, optionally wrapping and skipping one blocked value; the range, step
// and blocked value may name menu variables. Drawn as a text button that always pops out
// while selected, its shadow following the pop-out half way.
class MenuToggleButton : public MenuTextButton {
public:
    // How much of its velocity the released text keeps each frame.
    static constexpr float kDamping = 0.97f;

    // Acts on every navigation message while idle, selected or not.
    int OnMessage(int message, intptr_t param) override;
    void Update(float seconds) override;
    // "OnChange" is made to end with "PlaySelectSound", and added when absent.
    void Create(XmlNode* node) override;
    void Draw(int pass) override;

    const MenuEditValue& GetEditValue() const { return m_value; }
    int32_t GetValueStep() const { return m_valueStep; }
    int32_t GetBlockedValue() const { return m_blockedValue; }

private:
    // One attempt of a step by direction -1 or 1; false when a blocked value at the end
    // ends the key (the value already put back to before).
    bool StepOnce(int& value, int before, int direction);
    // The blocked value read afresh from its text, so that a variable can move it.
    void ReadBlockedValue();

    MenuEditValue m_value;
    int32_t m_valueStep = 1;
    bool m_hasBlocked = false;
    std::string m_blockedText;
    int32_t m_blockedValue = 0;
};
