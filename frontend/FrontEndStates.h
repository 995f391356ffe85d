#pragma once

// The story mode's and cut scenes' states as far as the game state needs them today.

#include "framework/Factory.h"
#include "framework/Object.h"
#include "framework/Singleton.h"
#include "framework/State.h"

#include <cstdint>
#include <string>

// A state that a menu screen starts by its class name. Each class enters its create function
// in the registry at start-up:
//
//     static const bool registered = MenuLaunchedCodeFragment::Register("Name", &CreateName);
class MenuLaunchedCodeFragment : public State {
public:
    using Registry = Factory<MenuLaunchedCodeFragment>;

    static Registry& GetFactory();
    // A later registration of the name replaces the earlier one; true, for a static's initialiser.
    static bool Register(const char* className, Registry::Creator create);
    // A new state of the class, or null when no class has the name; the caller owns it.
    static MenuLaunchedCodeFragment* Create(const char* className) { return GetFactory().Create(className); }
};

// Plays the cut scene of a script folder; no cut scene is played yet, so it ends at once.
class CutScenes : public State {
public:
    explicit CutScenes(const std::string& folder) : m_folder(folder) {}
    State* Update(float) override { return nullptr; }
    const std::string& GetFolder() const { return m_folder; }

private:
    std::string m_folder;
};

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
