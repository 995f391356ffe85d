#include "frontend/story/StoryModeGame.h"

#include "characters/CharacterVariation.h"
#include "characters/TeamDescription.h"
#include "framework/Debug.h"
#include "framework/Serializer.h"
#include "menus/Menu.h"
#include "scene/GameElementRegistry.h"
#include "settings/TrainingSettings.h"

#include <cstdio>

namespace {

struct RoundRow {
    const char* opponent;
    int level;
};

const RoundRow kRounds[StoryModeGame::kRounds] = {
    {"Panda02", 1}, {"Lizard01", 1}, {"Lizard02", 2}, {"Rhino01", 2},
    {"Rhino02", 3}, {"Primate01", 3}, {"Primate02", 4},
};

const RoundRow* RowOf(int32_t round)
{
    return round >= 0 && round < StoryModeGame::kRounds ? &kRounds[round] : nullptr;
}

// In the career file's order: Energy, Shooting, Speed.
Statistic* LiveStatistic(CharacterVariation& member, int index)
{
    Statistic* const stats[StoryCareer::kStatistics] = {&member.energy, &member.shooting, &member.speed};
    return stats[index];
}

const char* const kStatisticKeys[StoryCareer::kStatistics] = {"Energy", "Shooting", "Speed"};

std::string ShortName(const std::string& objectName)
{
    const size_t bar = objectName.find('|');
    return bar == std::string::npos ? objectName : objectName.substr(bar + 1);
}

}  // namespace

bool StoryModeGame::IsKeeperName(const std::string& shortName)
{
    return shortName.size() >= 3 && shortName[shortName.size() - 3] == 'k';
}

void StoryModeGame::NewGame(std::string name)
{
    teamName = std::move(name);
    round = 0;
    activated = false;
    for (std::string& member : members)
        member.clear();
    trainingPassed = false;
    if (GameElementRegistry* elements = GameElementRegistry::Current())
        elements->LoadOrSaveCasts(true, true, true);
    // The reload gave the story team its stored name back.
    NameStoryTeam();
    ResetRound();
}

void StoryModeGame::NameStoryTeam()
{
    if (TeamDescription* team = TeamDescription::Find(kStoryTeam))
        team->SetTeamName(teamName);
}

void StoryModeGame::ResetRound()
{
    homeGoals1 = homeGoals2 = awayGoals1 = awayGoals2 = 0;
    penaltyResult = 0;
    firstLeg = true;
    roundFinished = false;
    ResetLeg();
}

void StoryModeGame::ResetLeg()
{
    if (firstLeg)
        homeGoals2 = awayGoals1 = 0;
    else
        homeGoals1 = awayGoals2 = 0;
    TrainingSettings::Instance()->Reset();
}

void StoryModeGame::AddLegGoals(int32_t own, int32_t opponent)
{
    if (firstLeg) {
        awayGoals1 += own;
        homeGoals2 += opponent;
    } else {
        homeGoals1 += own;
        awayGoals2 += opponent;
    }
}

void StoryModeGame::AdvanceLeg()
{
    if (restartRequested)
        roundFinished = false;
    else if (round == kFinalRound)
        firstLeg = true;
    else if (firstLeg)
        firstLeg = false;
    else
        roundFinished = true;
}

int32_t StoryModeGame::GetGoals(bool ownSide, bool homeLeg) const
{
    if (ownSide)
        return homeLeg ? homeGoals1 : awayGoals1;
    return homeLeg ? homeGoals2 : awayGoals2;
}

bool StoryModeGame::IsRoundWon() const
{
    const int32_t own = GetTotalGoals(true);
    const int32_t opponent = GetTotalGoals(false);
    Menu::Instance()->SetVariable("%round_result%", own != opponent ? "%10420% %10421%" : "%10420% %10423%");
    return own != opponent ? own > opponent : penaltyResult == 1;
}

std::string StoryModeGame::GetOpponentName() const
{
    const RoundRow* row = RowOf(round);
    return row ? row->opponent : "";
}

std::string StoryModeGame::GetOpponentTeamName() const
{
    const TeamDescription* team = TeamDescription::Find(GetOpponentName());
    return team ? team->GetTeamName() : std::string();
}

int StoryModeGame::GetLevelNumber() const
{
    const RoundRow* row = RowOf(round);
    return row ? row->level : 1;
}

void StoryModeGame::SaveTrainingStats()
{
    for (int i = 0; i < kMembers; ++i) {
        CharacterVariation* member = members[i].empty() ? nullptr : CharacterVariation::Find(members[i]);
        for (int k = 0; member && k < kStatistics; ++k)
            lastRoundStats[i][k] = *LiveStatistic(*member, k);
    }
}

void StoryModeGame::RestoreTrainingStats()
{
    for (int i = 0; i < kMembers; ++i) {
        CharacterVariation* member = members[i].empty() ? nullptr : CharacterVariation::Find(members[i]);
        for (int k = 0; member && k < kStatistics; ++k)
            *LiveStatistic(*member, k) = lastRoundStats[i][k];
    }
}

void StoryModeGame::RefreshMembers()
{
    const TeamDescription* team = TeamDescription::Find(kStoryTeam);
    if (!team)
        return;
    const auto& list = team->GetMembers();
    for (size_t k = 0; k < list.size() && k < static_cast<size_t>(kMembers); ++k) {
        const CharacterVariation* member = CharacterVariation::Find(list[k].variation);
        const char* name = member ? member->GetName() : nullptr;
        if (name && *name)
            members[k] = ShortName(name);
    }
}

void StoryModeGame::Serialize(Serializer& s, const char* descriptor)
{
    s.BeginSection("SaveGame", descriptor);
    if (s.IsWriting()) {
        // The file keeps the value from before this write.
        bool written = activated;
        s.SerializeBool("Activated", &written);
        RefreshMembers();
        if (!activated) {
            SaveTrainingStats();
            activated = true;
        }
    } else {
        s.SerializeBool("Activated", &activated);
    }
    s.SerializeString("TeamName", &teamName);
    s.SerializeInt("HalftimeDuration", &halftimeDuration);
    s.SerializeInt("TeamColor", &teamColor);
    s.SerializeBool("Cards", &cards);
    for (int i = 0; i < kMembers; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "Member%d", i + 1);
        s.SerializeString(key, &members[i]);
    }
    s.SerializeInt("Round", &round);
    s.SerializeBool("FirstLeg", &firstLeg);
    s.SerializeBool("RoundFinished", &roundFinished);
    s.SerializeBool("TrainingPassed", &trainingPassed);
    s.SerializeInt("HomeGoals1", &homeGoals1);
    s.SerializeInt("HomeGoals2", &homeGoals2);
    s.SerializeInt("AwayGoals1", &awayGoals1);
    s.SerializeInt("AwayGoals2", &awayGoals2);
    s.SerializeInt("penaltyResult", &penaltyResult);
    SerializeMemberStatistics(s);
    s.EndSection();
    if (s.IsReading())
        RebuildStoryTeam();
}

void StoryModeGame::SerializeMemberStatistics(Serializer& s)
{
    for (int i = 0; i < kMembers; ++i) {
        if (members[i].empty())
            continue;
        CharacterVariation* member = CharacterVariation::Find(members[i]);
        if (!member) {
            LogWarning("StoryModeGame::Serialize: no team member \"%s\"; skipped\n", members[i].c_str());
            continue;
        }
        char key[40];
        for (int k = 0; k < kStatistics; ++k) {
            std::snprintf(key, sizeof key, "Member%d%s", i, kStatisticKeys[k]);
            s.SerializeObject(key, LiveStatistic(*member, k));
        }
        for (int k = 0; k < kStatistics; ++k) {
            std::snprintf(key, sizeof key, "LastRoundMember%d%s", i, kStatisticKeys[k]);
            s.SerializeObject(key, &lastRoundStats[i][k]);
        }
    }
}

void StoryModeGame::RebuildStoryTeam()
{
    TeamDescription* team = TeamDescription::Find(kStoryTeam);
    if (!team) {
        LogError("StoryModeGame::Serialize: no team \"%s\" to take the career\n", kStoryTeam);
        return;
    }
    std::vector<TeamDescription::Member> list;
    for (const std::string& name : members) {
        // Unknown names were reported with the statistics.
        if (!name.empty() && CharacterVariation::Find(name))
            list.push_back({name, IsKeeperName(name)});
    }
    team->GetMembers() = std::move(list);
    team->SetTeamName(teamName);
}
