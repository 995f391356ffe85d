#include "frontend/story/StoryMatchRules.h"

#include "framework/Debug.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StoryModeLoading.h"
#include "settings/GameSettings.h"

#include <algorithm>

namespace story_match {

namespace {

constexpr size_t kFullTeam = 7;
constexpr size_t kBench = 2;
constexpr size_t kLineUp = 5;
constexpr const char* kNewspaper = "<PP>cutScenes\\newspaper\\";
constexpr const char* kOutro = "<PP>cutScenes\\Outro\\";
constexpr const char* kHappy = "script_happy.txt";
constexpr const char* kSad = "script_sad.txt";

// Newspaper pages by the match's outcome.
enum Page { kFirstLegDrawn = 0, kFirstLegLost = 1, kFirstLegWon = 2, kRoundLost = 3, kRoundWon = 4 };

bool IsFinal()
{
    return StoryModeGame::Instance()->round == StoryModeGame::kFinalRound;
}

}  // namespace

const char* SelectionScreen(size_t teamSize)
{
    return teamSize == kFullTeam ? "3dmenues\\InGameSelection7p" : "3dmenues\\InGameSelection5p";
}

std::vector<TeamDescription::Member> LineUp(const std::vector<TeamDescription::Member>& team,
                                            const std::vector<std::string>& selected)
{
    std::vector<TeamDescription::Member> list;
    for (const std::string& name : selected) {
        const auto found = std::find_if(team.begin(), team.end(), [&](const auto& m) { return m.variation == name; });
        if (found != team.end())
            list.push_back(*found);
    }
    if (team.size() != kFullTeam)
        return list;
    size_t bench = 0;
    for (const auto& member : team) {
        if (bench == kBench)
            break;
        if (std::find(selected.begin(), selected.end(), member.variation) == selected.end()) {
            list.push_back(member);
            ++bench;
        }
    }
    return list;
}

std::vector<std::string> FirstFive(const std::vector<TeamDescription::Member>& team)
{
    std::vector<std::string> names;
    for (size_t i = 0; i < team.size() && i < kLineUp; ++i)
        names.push_back(team[i].variation);
    return names;
}

bool IsHomeLeg()
{
    return !IsFinal() && !StoryModeGame::Instance()->firstLeg;
}

bool IsDecisive()
{
    return IsFinal() || !StoryModeGame::Instance()->firstLeg;
}

MatchRules Rules()
{
    StoryModeGame& career = *StoryModeGame::Instance();
    MatchRules rules;
    rules.storyLeg = career.active;
    rules.finalRound = IsFinal();
    rules.firstLeg = career.firstLeg;
    rules.bookedGoals[0] = career.GetTotalGoals(true);
    rules.bookedGoals[1] = career.GetTotalGoals(false);
    rules.cards = career.cards;
    rules.shootoutWinner = &career.penaltyResult;
    return rules;
}

float OpponentAggression(int round)
{
    const GameSettings* settings = GameSettings::Instance();
    return settings->firstRoundAggression + static_cast<float>(round) * settings->perRoundAggression;
}

MatchSetup PlaySetup(const std::vector<std::string>& selected)
{
    StoryModeGame* game = StoryModeGame::Instance();
    const TeamDescription* story = TeamDescription::Find(StoryModeGame::kStoryTeam);
    const TeamDescription* opponent = TeamDescription::Find(game->GetOpponentName());
    MatchSetup setup;
    setup.levelFolder = StoryModeLoading::LevelFolder();
    if (story) {
        setup.teamOne.teamName = story->GetTeamName();
        setup.teamOne.members = LineUp(story->GetMembers(), selected);
        setup.teamOne.benchCount = std::max<int32_t>(0, static_cast<int32_t>(setup.teamOne.members.size()) -
                                                            static_cast<int32_t>(kLineUp));
    }
    if (opponent)
        setup.teamTwo = {opponent->GetTeamName(), opponent->GetMembers(), 0};
    else
        LogWarning("story_match::PlaySetup: no opponent \"%s\"; its side stays empty\n", game->GetOpponentName().c_str());
    setup.createReferee = true;
    setup.computerAggression = OpponentAggression(game->round);
    setup.showSpectators = true;
    return setup;
}

CutScene AfterMatch(int ownGoals, int opponentGoals)
{
    StoryModeGame* game = StoryModeGame::Instance();
    if (IsFinal()) {
        if (game->IsRoundWon())
            return {kOutro, "", 0};
        return {kNewspaper, kSad, kRoundLost};
    }
    if (game->firstLeg) {
        if (ownGoals > opponentGoals)
            return {kNewspaper, kHappy, kFirstLegWon};
        if (ownGoals == opponentGoals)
            return {kNewspaper, kHappy, kFirstLegDrawn};
        return {kNewspaper, kSad, kFirstLegLost};
    }
    if (game->IsRoundWon())
        return {kNewspaper, kHappy, kRoundWon};
    return {kNewspaper, kSad, kRoundLost};
}

}  // namespace story_match
