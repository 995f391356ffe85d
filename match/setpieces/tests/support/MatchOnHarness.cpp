#include "support/MatchOnHarness.h"

#include "ai/TeamManager.h"
#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "match/game/GameTB.h"
#include "simulation/pitch/PitchSimulation.h"
#include "tests/support/OffscreenEngine.h"


namespace setpiecetest {

namespace {

const char* const kTeams[PitchSimulation::kSides] = {"Panda01", "Lizard01"};

// Stays until replaced, drawing the match: the flow of play a test replaces.
class Standing : public State {
public:
    State* Update(float) override { return this; }
    void Render() override { PitchSimulation::Instance()->Render(); }
};

}  // namespace

void MatchOnHarness::SetUp()
{
    harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
    ASSERT_TRUE(harness->Start());
    harness->MakeCurrent(new Standing);
    PitchSimulation* pitch = PitchSimulation::Instance();
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        const TeamDescription* description = TeamDescription::Find(kTeams[side]);
        ASSERT_NE(description, nullptr) << kTeams[side];
        SoccerTeam* team = pitch->GetTeam(side);
        for (const TeamDescription::Member& member : description->GetMembers()) {
            const int32_t kind = member.isSub ? Character::kGoalkeeper : Character::kFieldPlayer;
            team->AddPlayer(std::make_unique<Character>(kind, member.variation, team));
        }
        pitch->GetTeamManager(side)->ChooseTactics();
    }
    pitch->CreateReferee();
    // A managed collision set lets a pair collide only once a frame has passed since it met.
    pitch->Update(GameHarness::kFrameTime, PitchSimulation::kUpdateCollisions);
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
