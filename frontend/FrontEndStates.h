#pragma once

// The story mode's and cut scenes' states as far as the game state needs them today.

#include "framework/Object.h"
#include "framework/Singleton.h"
#include "framework/State.h"

#include <cstdint>
#include <string>

// The story mode's loading state; the story mode does not load yet, so it ends at once.
class StoryModeLoading : public State {
public:
    StoryModeLoading(int, int, int) {}
    State* Update(float) override { return nullptr; }
};

// The career's state, member "SaveGame" of the cast "savegame". Inactive until the story
// mode runs.
class StoryModeGame : public Object, public Singleton<StoryModeGame> {
public:
    static constexpr int kMembers = 7;

    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Starts a career of the team: round 0, no members, every cast reloaded, the round reset.
    void NewGame(std::string teamName);
    // Leg goals and "penaltyResult" cleared, "FirstLeg" set, "RoundFinished" cleared.
    void ResetRound();
    // The goals of the side over both legs.
    int32_t GetTotalGoals(int side) const { return legGoals[0][side] + legGoals[1][side]; }

    bool active = false;  // not saved
    int32_t teamColor = 0;
    int32_t halftimeDuration = 0;
    int32_t round = 0;  // 0 to 6; 6 is the final
    std::string teamName;
    bool firstLeg = true;
    bool cards = true;
    int32_t penaltyResult = 0;
    bool activated = false;
    bool trainingPassed = false;
    bool roundFinished = false;
    std::string members[kMembers];
    int32_t legGoals[2][2] = {{0, 0}, {0, 0}};  // by leg, then side
};

// The story save slot's description, member "Metainfo" of the cast "SaveGameMeta".
class StorySaveGame : public Object, public Singleton<StorySaveGame> {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;

    std::string slotName;
    int32_t round = 0;
    std::string teamName;
};
