#include "frontend/story/StoryModeGame.h"

#include "characters/TeamDescription.h"
#include "framework/Serializer.h"
#include "match/game/GameTB.h"

#include <algorithm>
#include <cstdio>

namespace {

struct StoryRound {
    const char* opponent;
    int level;
};

const StoryRound kRounds[StoryModeGame::kRounds] = {
    {"Panda02", 1}, {"Lizard01", 1}, {"Lizard02", 2}, {"Rhino01", 2}, {"Rhino02", 3}, {"Primate01", 3}, {"Primate02", 4},
};

const StoryRound& RoundOf(int32_t round)
{
    return kRounds[std::clamp(round, 0, StoryModeGame::kRounds - 1)];
}

}  // namespace

void StoryModeGame::Serialize(Serializer& s, const char* descriptor)
{
    s.BeginSection("StoryModeGame", descriptor);
    s.SerializeInt("TeamColor", &teamColor);
    s.SerializeInt("HalftimeDuration", &halftimeDuration);
    s.SerializeInt("Round", &round);
    s.SerializeString("TeamName", &teamName);
    s.SerializeBool("FirstLeg", &firstLeg);
    s.SerializeBool("Cards", &cards);
    s.SerializeInt("penaltyResult", &penaltyResult);
    s.SerializeBool("Activated", &activated);
    s.SerializeBool("TrainingPassed", &trainingPassed);
    s.SerializeBool("RoundFinished", &roundFinished);
    for (int i = 0; i < kMembers; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "Member%d", i + 1);
        s.SerializeString(key, &members[i]);
    }
    s.EndSection();
}

void StoryModeGame::NewGame(std::string name)
{
    teamName = std::move(name);
    round = 0;
    activated = false;
    trainingPassed = false;
    for (std::string& member : members)
        member.clear();
    if (GameTB* game = GameTB::Current())
        game->LoadOrSaveCasts(true, true, true);
    ResetRound();
}

void StoryModeGame::ResetRound()
{
    homeGoals1 = homeGoals2 = awayGoals1 = awayGoals2 = 0;
    penaltyResult = 0;
    firstLeg = true;
    roundFinished = false;
}

int32_t StoryModeGame::GetGoals(bool ownSide, bool homeLeg) const
{
    if (ownSide)
        return homeLeg ? homeGoals1 : awayGoals1;
    return homeLeg ? homeGoals2 : awayGoals2;
}

int32_t StoryModeGame::GetTotalGoals(int side) const
{
    return GetGoals(side == 0, true) + GetGoals(side == 0, false);
}

std::string StoryModeGame::GetOpponentName() const
{
    return RoundOf(round).opponent;
}

int StoryModeGame::GetLevelNumber() const
{
    return RoundOf(round).level;
}

std::string StoryModeGame::GetOpponentTeamName() const
{
    const TeamDescription* team = TeamDescription::Find(GetOpponentName());
    return team ? team->GetTeamName() : std::string();
}
