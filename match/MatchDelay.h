#pragma once

#include "framework/State.h"

// A timed pause in play: every player's brain is held, the match clock stands still, and
// the rest of the match may go on running and being drawn.
class MatchDelay : public State {
public:
    // simulate: step everything but the clock and the sides' tactics; draw: show the match.
    MatchDelay(float seconds, bool simulate, bool draw);

    void Enter() override;
    void Exit() override;
    // Null on the frame the time runs out.
    State* Update(float dt) override;
    void Render() override;

    float GetTimeLeft() const { return m_timeLeft; }

private:
    float m_timeLeft;
    bool m_simulate;
    bool m_draw;
};
