#pragma once

#include "framework/Vector.h"
#include "match/PitchDrawingState.h"

#include <vector>

class Character;
class SoccerTeam;

// Where a side's players leave and join the pitch: "objects|LeftSpawnPoint" for the first
// side, else "objects|RightSpawnPoint"; the zero vector when the object is missing or the
// team is null.
Vector3 GetSpawnPoint(const SoccerTeam* team);

// Walks players to their side's spawn point while everybody else is held and the clock
// stands still; the listed players neither touch the ball nor bump into anybody meanwhile.
class SendOffPlayer : public PitchDrawingState {
public:
    static constexpr float kArrivalDistance = 5.0f;

    // The players are borrowed; at least one. remove: Exit takes each out of his team and
    // deletes him. follow: the camera follows the first player and the state waits until
    // all have arrived; otherwise "Whole Field" shows and it waits until none is on screen
    // or "Max camera track time" has passed. hold: it never ends by itself. It lasts at
    // least minimumSeconds.
    SendOffPlayer(const std::vector<Character*>& players, bool remove, bool follow, bool hold, float minimumSeconds);

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;
    bool WaitsForOwner() const override { return m_hold; }

    float GetElapsed() const { return m_elapsed; }

private:
    bool IsFinished(bool allArrived, bool anyOnScreen) const;

    std::vector<Character*> m_players;
    bool m_remove;
    bool m_follow;
    bool m_hold;
    float m_elapsed = 0.0f;
    float m_minimumTime;
};

// Swaps a substitute in for a member of his team and puts him at the spawn point; lasts one
// update.
class Substitution : public PitchDrawingState {
public:
    // outgoing is a member of his team and is deleted. incoming is a member of that team's
    // bench, or a character nobody owns yet; the team takes him over in the update.
    Substitution(Character* outgoing, Character* incoming);

    State* Update(float dt) override;

private:
    Character* m_outgoing;
    Character* m_incoming;
};

// Walks players to their places while everybody else is held; ends once all are within
// SendOffPlayer::kArrivalDistance of them.
class SendInPlayer : public PitchDrawingState {
public:
    // The n-th target for the n-th player; players beyond the targets are not moved.
    SendInPlayer(const std::vector<Character*>& players, const std::vector<Vector3>& targets);

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;

private:
    std::vector<Character*> m_players;
    std::vector<Vector3> m_targets;
};
