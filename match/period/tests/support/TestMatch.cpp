#include "support/TestMatch.h"

#include "characters/Character.h"
#include "characters/Team.h"
#include "framework/FileSystem.h"
#include "game/GameTB.h"
#include "game/harness/MatchSides.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameParameters.h"
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
    GameParameters::Instance()->SetParameter("level", level);
    GameParameters::Instance()->SetParameter("players", std::to_string(players));
    LoadLevelCasts(*m_harness, level);
    PitchSimulation* pitch = PitchSimulation::Instance();
    pitch->SetupMatch();
    pitch->RecreateTeams();
    // Before the members join: each takes the list's name as it is added.
    for (int side = 0; side < PitchSimulation::kSides; ++side)
        pitch->GetTeam(side)->GetControlledPlayers().SetControllerName(side < players ? kControllers[side] : "ai");
    if (!PutSidesOnPitch(kTeams[0], kTeams[1]))
        return false;
    pitch->ResetMatchClock(&m_rate);
    return true;
}
