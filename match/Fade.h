#pragma once

#include "framework/State.h"

// Black over the whole screen whose opacity follows the time left: from black (opaque at
// the start, clear at the end) or to black.
class Fade : public State {
public:
    Fade(bool fromBlack, float seconds);

    // Null on the frame the time runs out.
    State* Update(float dt) override;
    // Nothing for a fade of no length, whose opacity is undefined, nor for a clear one.
    void Render() override;

    // 0 (clear) to 1 (black); 1 for a finished fade to black, 0 for a finished fade from it.
    float GetAlpha() const;
    float GetTimeLeft() const { return m_timeLeft; }
    float GetDuration() const { return m_duration; }
    bool IsFromBlack() const { return m_fromBlack; }

private:
    bool m_fromBlack;
    float m_duration;
    float m_timeLeft;
};
