#pragma once

#include "framework/Object.h"
#include "framework/Singleton.h"

#include <cstdint>
#include <string>

// The story career, member "SaveGame" of the cast "savegame": round and leg, the round's
// goals, the shoot-out result, the team and its members, and the match options chosen when
// the career began. Menus, states and match code read and write the fields directly.
class StoryModeGame : public Object, public Singleton<StoryModeGame> {
public:
    static constexpr int kMembers = 7;
    static constexpr int kRounds = 7;
    static constexpr int kFinalRound = 6;
    // The story team's description, whatever the career's name.
    static constexpr const char* kStoryTeam = "Panda01";

    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Starts a career of the team: round 0, no members, every cast reloaded, the round reset.
    void NewGame(std::string teamName);
    // The round's goals and the shoot-out result cleared, the first leg due, not finished.
    void ResetRound();

    // One of the four goal counters: the own side's or the opponent's, in the leg at home
    // (the own side plays at home in the second leg, the opponent in the first).
    int32_t GetGoals(bool ownSide, bool homeLeg) const;
    // The goals of a side (0 own, 1 opponent) over both legs.
    int32_t GetTotalGoals(int side) const;

    // The round's opponent team code and stadium number; rounds outside 0-6 read as the
    // nearest one.
    std::string GetOpponentName() const;
    int GetLevelNumber() const;
    // The display name of the opponent's team description; empty when it is not loaded.
    std::string GetOpponentTeamName() const;
    std::string GetTeamName() const { return teamName; }

    bool resumePending = false;  // not saved
    int32_t round = 0;  // 0 to kFinalRound
    // The leg fields start as ResetRound leaves them: menus read them before any career.
    bool firstLeg = true;
    bool roundFinished = false;
    int32_t homeGoals1 = 0;  // own goals, second leg
    int32_t homeGoals2 = 0;  // opponent's goals, first leg
    int32_t awayGoals1 = 0;  // own goals, first leg
    int32_t awayGoals2 = 0;  // opponent's goals, second leg
    int32_t penaltyResult = 0;  // 0 none, 1 own side won the shoot-out, 2 the opponent
    bool active = false;  // a story leg runs; not saved
    bool trainingPassed = false;
    bool restartRequested = false;  // not saved
    std::string teamName;
    std::string members[kMembers];  // short names; empty for none
    bool activated = false;
    int32_t halftimeDuration = 0;
    int32_t teamColor = 0;
    bool cards = true;
};
