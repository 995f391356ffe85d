#include "frontend/story/StoryModeLoading.h"

#include "characters/TeamDescription.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "frontend/loading/MatchLoading.h"
#include "frontend/story/StoryModeGame.h"
#include "match/FrontEndScreens.h"
#include "settings/GameParameters.h"

#include <algorithm>
#include <cstdio>

namespace {

// A team beyond its first five would have no place in a story stadium.
constexpr size_t kShownMembers = 5;

[[maybe_unused]] const bool s_bareLoadingHook =
    (FrontEndScreens::Get().bareLoading = []() -> State* { return new StoryModeLoading(false, 0, 0); }, true);

}  // namespace

StoryModeLoading::StoryModeLoading(bool bothTeams, int32_t benchOne, int32_t benchTwo, bool referee,
                                   float aggression, bool fullBenches, bool spectators)
{
    PublishLevel();
    m_setup.levelFolder = LevelFolder();
    m_setup.teamOne = StorySide(StoryModeGame::kStoryTeam, kShownMembers);
    if (bothTeams)
        m_setup.teamTwo = StorySide(StoryModeGame::Instance()->GetOpponentName(), kShownMembers);
    m_setup.teamOne.benchCount = benchOne;
    m_setup.teamTwo.benchCount = benchTwo;
    m_setup.createReferee = referee;
    m_setup.computerAggression = aggression;
    m_setup.showBenches = fullBenches;
    m_setup.showSpectators = spectators;
}

StoryModeLoading::~StoryModeLoading()
{
    // Here, not in the base: the loading reads m_setup until it is gone.
    Hold(nullptr);
}

std::string StoryModeLoading::LevelName()
{
    char name[16];
    std::snprintf(name, sizeof name, "level%02d", StoryModeGame::Instance()->GetLevelNumber());
    return name;
}

std::string StoryModeLoading::LevelFolder()
{
    return FileSystem::Instance()->ExpandAliases("<PP>") + LevelName() + "\\";
}

void StoryModeLoading::PublishLevel()
{
    GameParameters::Instance()->SetParameter("level", LevelName());
}

MatchSetup::Side StoryModeLoading::StorySide(const std::string& teamCode, size_t maxMembers)
{
    MatchSetup::Side side;
    const TeamDescription* team = TeamDescription::Find(teamCode);
    if (!team) {
        LogWarning("StoryModeLoading: no team \"%s\"; its side stays empty\n", teamCode.c_str());
        return side;
    }
    side.teamName = team->GetTeamName();
    const auto& members = team->GetMembers();
    side.members.assign(members.begin(), members.begin() + static_cast<long>(std::min(maxMembers, members.size())));
    return side;
}

void StoryModeLoading::Enter()
{
    DebugTrace("StoryModeLoading::Enter\n");
    Hold(new MatchLoading(m_setup));
    Update(0.0f);
}

void StoryModeLoading::Exit()
{
    DebugTrace("StoryModeLoading::Exit\n");
}

State* StoryModeLoading::Update(float dt)
{
    StateSlot::Update(&m_held, dt);
    return m_held ? this : nullptr;
}
