#include "support/MatchOnHarness.h"

#include "characters/Team.h"
#include "game/GameTB.h"
#include "game/harness/MatchSides.h"
#include "match/PitchDrawingState.h"
#include "pitch/PitchSimulation.h"
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

std::vector<Character*> MatchOnHarness::Players(int side) const
{
    std::vector<Character*> players;
    for (int32_t i = 0; i < Side(side).GetPlayerCount(); ++i)
        players.push_back(&Player(side, i));
    return players;
}

Character* MatchOnHarness::Referee() const { return PitchSimulation::Instance()->GetReferee(); }

float MatchOnHarness::ClockTime() const { return PitchSimulation::Instance()->GetClock()->GetTime(); }

void MatchOnHarness::ResetSides()
{
    // A state still running points at the old sides.
    harness->MakeCurrent(new Standing);
    PitchSimulation::Instance()->RecreateTeams();
    ASSERT_TRUE(PutSidesOnPitch("Panda01", "Lizard01"));
    LineUpSides();
    SetSpawnPoints({10.0f, 0.0f, 36.0f}, {-10.0f, 0.0f, 36.0f});
}

int MatchOnHarness::Run(State* state, int cap)
{
    harness->MakeCurrent(state);
    return harness->RunFrames(cap);
}

int MatchOnHarness::RunWith(int cap, const std::function<void(int frame)>& probe)
{
    int frames = 0;
    while (frames < cap && harness->GetGame()->GetCurrentState()) {
        probe(frames);
        ++frames;
        if (!harness->Step())
            break;
    }
    return frames;
}

bool MatchOnHarness::StateEnded() const { return harness->GetGame()->GetCurrentState() == nullptr; }

}  // namespace setpiecetest
