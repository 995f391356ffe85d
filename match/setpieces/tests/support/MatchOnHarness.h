#pragma once

// The game state on the harness with two real sides on the pitch, as a match would have
// them: "Panda01" (side 0) against "Lizard01" (side 1), keepers first, and the referee.
// The current state is a placeholder that stands still until a test makes its own current.

#include "match/game/harness/GameHarness.h"

#include <gtest/gtest.h>

#include <memory>

class Character;
class SoccerTeam;

namespace setpiecetest {

class MatchOnHarness : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    SoccerTeam& Side(int side) const;
    Character& Player(int side, int index) const;

    std::unique_ptr<GameHarness> harness;
};

}  // namespace setpiecetest
