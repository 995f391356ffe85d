#include "support/TestMatch.h"

#include "characters/Character.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "framework/FileSystem.h"
#include "match/GameParameters.h"
#include "match/game/GameTB.h"
#include "simulation/pitch/PitchSimulation.h"
#include "tests/support/OffscreenEngine.h"

#include <filesystem>

namespace {

const char* const kTeams[2] = {"Panda01", "Lizard01"};
const char* const kControllers[2] = {"(0):", "(1):"};

}  // namespace

TestMatch::TestMatch()
{
    std::filesystem::remove_all("Data");
    std::filesystem::remove_all("data");
    FileSystem::Instance()->InvalidateDiskCache();
}

TestMatch::~TestMatch()
{
    if (m_harness)
        m_harness->Stop();
}

SoccerTeam& TestMatch::Team(int side)
{
    return *PitchSimulation::Instance()->GetTeam(side);
}

bool TestMatch::Start(int players, const std::string& level)
{
    m_harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
    if (!m_harness->Start())
        return false;
    FileSystem::Instance()->AddAlias("<LP>", ("data\\pc\\" + level + "\\").c_str());
    FileSystem::Instance()->AddAlias("<SP>", ("data\\pc\\" + level + "\\settings\\").c_str());
    GameParameters::Instance()->SetParameter("level", level);
    GameParameters::Instance()->SetParameter("players", std::to_string(players));
    m_harness->GetGame()->LoadOrSaveCasts(true, true, true);
    PitchSimulation* pitch = PitchSimulation::Instance();
    pitch->SetupMatch();
    pitch->RecreateTeams();
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        const TeamDescription* description = TeamDescription::Find(kTeams[side]);
        if (!description)
            return false;
        SoccerTeam* team = pitch->GetTeam(side);
        // Before the members join: each takes the list's name as it is added.
        team->GetControlledPlayers().SetControllerName(side < players ? kControllers[side] : "ai");
        for (const TeamDescription::Member& member : description->GetMembers()) {
            const int32_t kind = member.isSub ? Character::kGoalkeeper : Character::kFieldPlayer;
            team->AddPlayer(std::make_unique<Character>(kind, member.variation, team));
        }
    }
    pitch->CreateReferee();
    pitch->ResetMatchClock(&m_rate);
    return true;
}
