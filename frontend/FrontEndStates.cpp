#include "frontend/FrontEndStates.h"

#include "framework/Serializer.h"
#include "match/game/GameTB.h"

#include <cstdio>

MenuLaunchedCodeFragment::Registry& MenuLaunchedCodeFragment::GetFactory()
{
    static Registry registry;
    return registry;
}

bool MenuLaunchedCodeFragment::Register(const char* className, Registry::Creator create)
{
    GetFactory().Register(className, create);
    return true;
}

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
    for (auto& leg : legGoals)
        leg[0] = leg[1] = 0;
    penaltyResult = 0;
    firstLeg = true;
    roundFinished = false;
}

void StorySaveGame::Serialize(Serializer& s, const char* descriptor)
{
    s.BeginSection("StorySaveGame", descriptor);
    s.SerializeString("SlotName", &slotName);
    s.SerializeInt("Round", &round);
    s.SerializeString("TeamName", &teamName);
    s.EndSection();
}
