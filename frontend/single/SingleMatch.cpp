#include "frontend/single/SingleMatch.h"

#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StoryModeRound.h"

#include "characters/TeamDescription.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/GameHost.h"
#include "frontend/TBMenu.h"
#include "frontend/loading/MatchLoading.h"
#include "match/period/MatchPeriod.h"
#include "scene/GameElementRegistry.h"
#include "settings/GameParameters.h"
#include "settings/GameSettings.h"

#include <optional>

namespace {

constexpr const char* kMainScreen = "main";
constexpr const char* kCustomTeamName = "%10204%";
constexpr const char* kTeamParameters[2] = {"teamone", "teamtwo"};

struct ChosenSide {
    std::string name;
    std::vector<MatchLoading::Member> members;
};

// A picked team's entries are all flagged as chosen; the loading reads the flag as the
// keeper's, so only the first pick, the keeper, keeps it.
std::vector<MatchLoading::Member> CustomMembers(int side)
{
    std::vector<MatchLoading::Member> members;
    for (const TeamMember& picked : GameParameters::Instance()->memberLists[side])
        members.push_back({picked.variation, members.empty()});
    return members;
}

std::optional<ChosenSide> ChooseSide(int side)
{
    GameParameters* parameters = GameParameters::Instance();
    if (parameters->customTeam[side]) {
        parameters->RebuildMemberLists();
        return ChosenSide{kCustomTeamName, CustomMembers(side)};
    }
    const std::string key = parameters->GetParameter(kTeamParameters[side]);
    const TeamDescription* team = TeamDescription::Find(key);
    if (!team) {
        LogError("SingleMatch::Enter: \"%s\" is \"%s\", which names no team; back to the menu\n",
                 kTeamParameters[side], key.c_str());
        return std::nullopt;
    }
    return ChosenSide{team->GetTeamName(), team->GetMembers()};
}

}  // namespace

std::unique_ptr<MatchLoading> SingleMatch::CreateLoading()
{
    std::optional<ChosenSide> sides[2] = {ChooseSide(0), ChooseSide(1)};
    if (!sides[0] || !sides[1])
        return nullptr;
    const std::string folder = FileSystem::Instance()->ExpandAliases("<PP>") +
                               GameParameters::Instance()->GetParameter("level") + "\\";
    MatchSetup setup;
    setup.levelFolder = folder;
    setup.teamOne = {sides[0]->name, sides[0]->members, 0};
    setup.teamTwo = {sides[1]->name, sides[1]->members, 0};
    setup.createReferee = true;
    setup.computerAggression = GameSettings::Instance()->singleMatchAggression;
    setup.showSpectators = true;
    return std::make_unique<MatchLoading>(std::move(setup));
}

void SingleMatch::Enter()
{
    if (GameElementRegistry* elements = GameElementRegistry::Current())
        elements->LoadOrSaveCasts(true, true, true);
    std::unique_ptr<MatchLoading> loading = CreateLoading();
    if (!loading)
        return;
    // The career record keeps the last shoot-out's winner, a single match's too.
    MatchRules rules;
    rules.shootoutWinner = &StoryModeGame::Instance()->penaltyResult;
    Hold(new IteratingState(loading.release(), new MatchPeriod(0, true, true, true, rules)));
}

void SingleMatch::Exit()
{
    GameHost::s_inMatch = false;
    for (std::vector<TeamMember>& members : GameParameters::Instance()->memberLists)
        members.clear();
}

State* SingleMatch::Update(float dt)
{
    StateSlot::Update(&m_held, dt);
    GameHost::s_inMatch = true;
    if (!m_held)
        return new TBMenu(kMainScreen);
    return this;
}

State* StoryModeStart::Update(float)
{
    StoryModeGame::Instance()->NewGame(kCareerName);
    return new StoryModeRound();
}

State* SingleMatchStart::Update(float)
{
    return new SingleMatch();
}

REGISTER_MENU_CODE(StoryModeStart);
REGISTER_MENU_CODE(SingleMatchStart);
