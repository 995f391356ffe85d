#pragma once

// The story career: seven rounds against fixed opponents, each but the final over two legs.

#include "characters/Statistic.h"
#include "framework/Object.h"
#include "framework/Singleton.h"

#include <cstdint>
#include <string>

// The career's values, apart from the record's identity so that they can be copied aside
// and put back whole.
struct StoryCareer {
    static constexpr int kMembers = 7;
    // Energy, Shooting, Speed: the order of the career file.
    static constexpr int kStatistics = 3;

    bool resumePending = false;  // not saved
    int32_t round = 0;  // 0 to kFinalRound
    bool firstLeg = true;
    bool roundFinished = false;
    int32_t homeGoals1 = 0;  // own goals in the second leg (at home)
    int32_t homeGoals2 = 0;  // opponent's goals in the first leg (opponent at home)
    int32_t awayGoals1 = 0;  // own goals in the first leg
    int32_t awayGoals2 = 0;  // opponent's goals in the second leg
    int32_t penaltyResult = 0;  // 0 none, 1 own team, 2 opponent; the shoot-out writes it
    bool active = false;  // a story leg or the gained selection runs; not saved
    bool trainingPassed = false;
    bool restartRequested = false;  // not saved
    std::string teamName;
    std::string members[kMembers];  // short names in team order; empty = no member
    Statistic lastRoundStats[kMembers][kStatistics];
    bool activated = false;  // false until the career has been written once
    int32_t halftimeDuration = 0;
    int32_t teamColor = 0;
    bool cards = true;
};

// The one career record, member "SaveGame" of the cast "savegame". Its property table is the
// career file; the story states and menu commands read and write its fields directly.
class StoryModeGame : public Object, public Singleton<StoryModeGame>, public StoryCareer {
public:
    static constexpr int kFinalRound = 6;
    static constexpr int kRounds = kFinalRound + 1;
    // The story team is always this description.
    static constexpr const char* kStoryTeam = "Panda01";

    // Writing first refreshes Member1-Member7 from the story team and, in the first file of a
    // career, takes the snapshot. Reading puts the stored statistics into the members, and
    // rebuilds and renames the story team; a stored name that names no member is skipped
    // with a warning.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Round 0, no members, every cast reloaded when a game runs, the story team named, the
    // round reset.
    void NewGame(std::string teamName);
    // All goals and the shoot-out cleared, the first leg due; then ResetLeg.
    void ResetRound();
    // Clears the counters of the leg now due.
    void ResetLeg();
    // Books a finished leg; the final counts as a first leg.
    void AddLegGoals(int32_t own, int32_t opponent);
    // After a leg: the second leg, the round finished, or (asked for a restart) the same leg
    // again; the final is one leg.
    void AdvanceLeg();

    // One side's goals in one leg.
    int32_t GetGoals(bool ownSide, bool homeLeg) const;
    // The side's goals over both legs.
    int32_t GetTotalGoals(bool ownSide) const { return GetGoals(ownSide, true) + GetGoals(ownSide, false); }
    // On aggregate, the shoot-out on a level one; sets the menu text "%round_result%".
    bool IsRoundWon() const;

    // Empty, and the level 1, for a round outside 0 to kFinalRound.
    std::string GetOpponentName() const;
    // The opponent description's shown name; empty without the description.
    std::string GetOpponentTeamName() const;
    // The round's stadium level; 1 for a round outside the table.
    int GetLevelNumber() const;
    std::string GetTeamName() const { return teamName; }

    // Copies the members' live statistics into lastRoundStats, or back.
    void SaveTrainingStats();
    void RestoreTrainingStats();
    // Member1-Member7 from the story team's list, in its order.
    void RefreshMembers();
    // The story team shows the career's name; nothing without the team. A reload of the
    // casts gives it its stored name back.
    void NameStoryTeam();

    // A short name whose third character from the end is "k" is a keeper's ("PandaGk01").
    static bool IsKeeperName(const std::string& shortName);

private:
    void SerializeMemberStatistics(Serializer& serializer);
    void RebuildStoryTeam();
};
