#include "frontend/story/StoryMatchRules.h"

#include "frontend/story/StoryModeGame.h"
#include "match/settings/GameSettings.h"

#include <algorithm>

namespace story_match {

namespace {

constexpr size_t kFullTeam = 7;
constexpr size_t kBench = 2;
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

bool IsHomeLeg()
{
    return !IsFinal() && !StoryModeGame::Instance()->firstLeg;
}

bool IsDecisive()
{
    return IsFinal() || !StoryModeGame::Instance()->firstLeg;
}

float OpponentAggression(int round)
{
    const GameSettings* settings = GameSettings::Instance();
    return settings->firstRoundAggression + static_cast<float>(round) * settings->perRoundAggression;
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
