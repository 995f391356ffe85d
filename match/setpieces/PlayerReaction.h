#pragma once

#include "match/PitchDrawingState.h"

#include <vector>

class Character;

// Players cheer or despair after a goal, a foul or the final whistle: each starts after his
// own random gap and only once he is standing; the state lasts a fixed time with every
// brain held and the clock still.
class PlayerReaction : public PitchDrawingState {
public:
    struct Reaction {
        Character* player;  // borrowed
        bool cheer;
        float start;  // seconds after the first update
    };

    // The players are borrowed and must outlive the state. Each gap is drawn anew between
    // the two staggers, the first one too.
    PlayerReaction(const std::vector<Character*>& cheering, const std::vector<Character*>& dismayed, float minStagger,
                   float maxStagger, float seconds);

    void Enter() override;
    void Exit() override;
    // Null once the time has passed, whether or not everybody reacted.
    State* Update(float dt) override;

    const std::vector<Reaction>& GetReactions() const { return m_reactions; }
    float GetElapsed() const { return m_elapsed; }

private:
    void Start(const Reaction& reaction) const;

    std::vector<Reaction> m_reactions;
    float m_elapsed = 0.0f;
    float m_duration;
};
