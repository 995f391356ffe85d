#pragma once

// The game state on the harness with two real sides on the pitch, as a match would have
// them: "Panda01" (side 0) against "Lizard01" (side 1), keepers first, and the referee.
// The current state is a placeholder that stands still until a test makes its own current.

#include "game/harness/GameHarness.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

class Character;
class SoccerTeam;
class State;

namespace setpiecetest {

class MatchOnHarness : public ::testing::Test {
public:
    GameHarness& Harness() const { return *harness; }
    SoccerTeam& Side(int side) const;
    Character& Player(int side, int index) const;
    std::vector<Character*> Players(int side) const;
    // Null when the pitch has none.
    Character* Referee() const;
    float ClockTime() const;

    // Both sides made anew and lined up apart (LineUpSides) under a standing placeholder,
    // the spawn points at (10, 0, 36) and (-10, 0, 36).
    void ResetSides();
    // Makes the state current and runs it until it ends or the cap; the frames run.
    int Run(State* state, int cap);
    // Runs the current state until it ends or the cap, calling the probe before each frame;
    // the frames run.
    int RunWith(int cap, const std::function<void(int frame)>& probe);
    bool StateEnded() const;

protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<GameHarness> harness;
};

}  // namespace setpiecetest
