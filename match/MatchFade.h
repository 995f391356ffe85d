#pragma once

class ParallelState;

// The fade step of a restart sequence.
class MatchFade {
public:
    // A delay that keeps the match running and drawn beside a fade of the same length;
    // owned by the caller, not yet entered.
    static ParallelState* CreateFadeStep(bool fromBlack, float seconds);
};
