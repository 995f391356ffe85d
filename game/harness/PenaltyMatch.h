#pragma once

// A match ready for penalties on the game harness: a level's objects (spots, keeper lines,
// goals), two computer-driven sides of the default data's teams and the referee.
//
//     GameHarness harness(window, archive);
//     harness.Start();
//     if (!PenaltyMatch::SetUp(harness))
//         return;
//     int32_t result = 0;
//     harness.MakeCurrent(new PenaltyShot(taker, keeper, "ai", "ai", true, &result, true));

#include <string>
#include <vector>

class Character;
class GameHarness;
class GameTB;
class HarnessInputScript;
class State;

class PenaltyMatch {
public:
    // Reads the level's casts (the level folder, e.g. "level01"), fills both sides afresh from
    // the team descriptions and creates the referee. False (on stderr) when a team is not filed.
    static bool SetUp(GameHarness& harness, const std::string& left = "Panda01",
                      const std::string& right = "Lizard01", const std::string& level = "level01");
    // Player 0 of the side (its keeper) or the last one (the first taker); null without one.
    static Character* Keeper(int side);
    static Character* LastPlayer(int side);

    // Presses "(menu):button a" now and then, as a person would once the screen is up, until
    // the state is no longer the game's current one; false when it still is after the cap.
    static bool PressUntilGone(GameHarness& harness, const State* state, int cap = 600);

    // A person's kick for "(0):" from the frame first on: "button a" pressed 5 frames in and
    // held for the frames given (26 frames, 0.43 s, is a little above the optimum with a 0.5 s
    // power-up and an optimum of 0.8), the taker's stick actions (such as "(0):left") from
    // frame 12, and the keeper's (such as "(1):right") held for 150 frames, past the kick.
    struct PersonsKick {
        int heldFrames;
        std::vector<std::string> takerStick;
        std::vector<std::string> keeperStick;
    };
    static void ScriptPersonsKick(HarnessInputScript& script, int first, const PersonsKick& kick);
    // Up and left a little above the optimum power, at the keeper's top right, while the
    // keeper's stick sends him to his left: a goal.
    static PersonsKick TopLeftPastTheKeeper();
    // Down and left at under half the optimum, at his bottom right, and his stick sends him
    // there: saved.
    static PersonsKick LowLeftSaved();
};
