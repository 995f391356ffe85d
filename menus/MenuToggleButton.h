#pragma once

#include "menus/MenuValueButton.h"

#include <string>

// Steps an edit value down ("menu left") or up ("menu right") by "valueStep" between its
// minimum and maximum, optionally wrapping and skipping one blocked value. The range, step
// and blocked value may name menu variables. Drawn like a text button, popping out of the
// plane while selected.
class MenuToggleButton : public MenuValueButton {
public:
    // How much of its velocity the released text keeps each frame.
    static constexpr float kDamping = 0.97f;

    int OnMessage(int message, intptr_t param) override;
    void Update(float seconds) override;
    void Create(XmlNode* node) override;
    void Draw(int pass) override;
    bool HitTest(float x, float y) const override;

    int32_t GetValueStep() const { return m_valueStep; }
    const MenuPopOut& GetPopOut() const { return m_popOut; }

protected:
    int32_t InRange(int64_t value) const override;

private:
    // One attempt of a step by direction -1 or 1; false when a blocked value at the end
    // ends the key (the value already put back to before).
    bool StepOnce(int& value, int before, int direction);
    // The blocked value read afresh from its text, so that a variable can move it.
    void ReadBlockedValue();

    int32_t m_valueStep = 1;
    bool m_hasBlocked = false;
    std::string m_blockedText;
    int32_t m_blockedValue = 0;
    MenuPopOut m_popOut;
};
