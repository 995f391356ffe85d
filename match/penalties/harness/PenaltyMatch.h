#pragma once

// A match ready for penalties on the game harness: a level's objects (spots, keeper lines,
// goals), two computer-driven sides of the default data's teams and the referee.
//
//     GameHarness harness(window, archive);
//     harness.Start();
//     if (!PenaltyMatch::SetUp(*harness.GetGame()))
//         return;
//     int32_t result = 0;
//     harness.MakeCurrent(new PenaltyShot(taker, keeper, "ai", "ai", true, &result, true));

#include <string>
#include <vector>

class Character;
class GameTB;
class HarnessInputScript;

class PenaltyMatch {
public:
    // Reads the level's casts ("<LP>" and "<SP>" set to the level folder, e.g. "level01"),
    // fills both sides from the team descriptions and creates the referee. False (on stderr)
    // when a team is not filed.
    static bool SetUp(GameTB& game, const std::string& left = "Panda01", const std::string& right = "Lizard01",
                      const std::string& level = "level01");
    // Player 0 of the side (its keeper) or the last one (the first taker); null without one.
    static Character* Keeper(int side);
    static Character* LastPlayer(int side);

    // A person's kick for "(0):" from the frame first on: "button a" pressed 5 frames in and
    // held 26 frames more (0.43 s, a little above the optimum with a 0.5 s power-up and an
    // optimum of 0.8), the stick up and left from frame 12, and the keeper's stick actions
    // (such as "(1):right") held for 400 frames.
    static void ScriptPersonsKick(HarnessInputScript& script, int first, const std::vector<std::string>& keeperStick);
};
