#pragma once

// A match on the headless harness for the match-flow states: the game state entered on the
// default data with the first level's casts and the sides of harnessmatch::MakeSides, with
// the spawn points at (10, 0, 36) and (-10, 0, 36) unless a test moves them. One harness
// serves a whole test program; every test starts from fresh sides and no current state.

#include "framework/Vector.h"
#include "match/game/harness/GameHarness.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Character;
class SoccerTeam;
class State;

class MatchOnHarness : public ::testing::Test {
public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

    static GameHarness& Harness() { return *s_harness; }
    static SoccerTeam* Side(int side);
    static Character* Player(int side, int index);
    static Character* Referee();
    static std::vector<Character*> Players(int side);
    static float ClockTime();
    // "objects|LeftSpawnPoint" and "objects|RightSpawnPoint" there.
    static void SetSpawnPoints(const Vector3& left, const Vector3& right);

    // Makes the state current and runs it until it ends or the cap; the frames run.
    static int Run(State* state, int cap);
    // Runs frames of the current state, calling the probe before each; the frames run.
    static int RunWith(int cap, const std::function<void(int frame)>& probe);
    static bool StateEnded();

protected:
    void SetUp() override;

private:
    static std::unique_ptr<GameHarness> s_harness;
};
