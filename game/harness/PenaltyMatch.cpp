#include "game/harness/PenaltyMatch.h"

#include "characters/Character.h"
#include "characters/Team.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "game/harness/MatchSides.h"
#include "match/PitchSides.h"
#include "pitch/PitchSimulation.h"

bool PenaltyMatch::SetUp(GameHarness& harness, const std::string& left, const std::string& right,
                         const std::string& level)
{
    LoadLevelCasts(harness, level);
    PitchSimulation::Instance()->RecreateTeams();
    return PutSidesOnPitch(left, right);
}

Character* PenaltyMatch::Keeper(int side)
{
    return sides::PlayerAt(PitchSimulation::Instance()->GetTeam(side), 0);
}

Character* PenaltyMatch::LastPlayer(int side)
{
    return sides::LastPlayer(PitchSimulation::Instance()->GetTeam(side));
}

void PenaltyMatch::ScriptPersonsKick(HarnessInputScript& script, int first, const PersonsKick& kick)
{
    constexpr int kPress = 5, kAim = 12, kKeeperFrames = 150;
    for (int frame = kPress; frame <= kPress + kick.heldFrames; ++frame)
        script.Press(first + frame, "(0):button a");
    for (const std::string& action : kick.takerStick)
        script.Press(first + kAim, action);
    for (int frame = 0; frame < kKeeperFrames; ++frame)
        for (const std::string& action : kick.keeperStick)
            script.Press(first + frame, action);
}

PenaltyMatch::PersonsKick PenaltyMatch::TopLeftPastTheKeeper()
{
    return {26, {"(0):left", "(0):up"}, {"(1):right", "(1):up"}};
}

PenaltyMatch::PersonsKick PenaltyMatch::LowLeftSaved()
{
    return {11, {"(0):left", "(0):down"}, {"(1):left", "(1):down"}};
}

bool PenaltyMatch::PressUntilGone(GameHarness& harness, const State* state, int cap)
{
    constexpr int kEvery = 20;
    for (int frame = 0; frame < cap && harness.GetGame()->GetCurrentState() == state; ++frame) {
        if (frame % kEvery == kEvery - 1)
            harness.Script().Press(harness.GetFrame(), "(menu):button a");
        harness.Step();
    }
    return harness.GetGame()->GetCurrentState() != state;
}
