#include "support/MatchOnHarness.h"

#include "characters/Team.h"
#include "match/PitchDrawingState.h"
#include "match/game/harness/MatchSides.h"
#include "simulation/pitch/PitchSimulation.h"
#include "tests/support/OffscreenEngine.h"

namespace setpiecetest {

namespace {

// Stays until replaced, drawing the match: the flow of play a test replaces.
class Standing : public PitchDrawingState {
public:
    State* Update(float) override { return this; }
};

}  // namespace

void MatchOnHarness::SetUp()
{
    harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
    ASSERT_TRUE(harness->Start());
    harness->MakeCurrent(new Standing);
    ASSERT_TRUE(PutSidesOnPitch("Panda01", "Lizard01"));
}

void MatchOnHarness::TearDown()
{
    if (harness)
        harness->Stop();
    harness.reset();
}

SoccerTeam& MatchOnHarness::Side(int side) const { return *PitchSimulation::Instance()->GetTeam(side); }

Character& MatchOnHarness::Player(int side, int index) const { return *Side(side).GetPlayer(index); }

}  // namespace setpiecetest
