#pragma once

#include "match/PitchDrawingState.h"

class Character;

// A pause in which the referee acts: every player's brain is held (the referee's is not)
// and the clock stands still. Ends once the referee's brain is back to following play, at
// once when there is no referee.
class RefereeSequence : public PitchDrawingState {
public:
    State* Update(float dt) override;
};

// The referee shows a player a card, yellow for a first booking or red, while the offender
// and the fouled player turn to face him under the camera "Referee".
class RedCardAward : public RefereeSequence {
public:
    // Both players borrowed; either may be null (then nobody turns for him).
    RedCardAward(Character* offender, bool yellow, Character* fouled);

    void Enter() override;
    // Books the offender for a yellow card only.
    void Exit() override;

    bool IsYellow() const { return m_yellow; }

private:
    Character* m_offender;
    Character* m_fouled;
    bool m_yellow;
};

// The referee blows his whistle; a referee already in a sequence starts none, and the state
// waits for the running one.
class RefereeWhistle : public RefereeSequence {
public:
    explicit RefereeWhistle(bool shortWhistle);

    void Enter() override;
    void Exit() override;

private:
    bool m_short;
};
