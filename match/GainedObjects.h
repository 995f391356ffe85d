#pragma once

#include "framework/Object.h"
#include "framework/Singleton.h"

// What the player has unlocked: teams (in the order of the team descriptions), environments
// and the all-star team. Kept scrambled in "Data\SaveGames\gained.txt" as the member
// "Gained Objects"; the story mode sets the flags as a career goes on.
class GainedObjects : public Singleton<GainedObjects>, public Object {
public:
    static constexpr int kTeamCount = 8;
    static constexpr int kEnvironmentCount = 4;

    // The large game ("GameSize" exactly "XL") starts with more teams and environments.
    GainedObjects();

    void Serialize(Serializer& serializer, const char* descriptor) override;

    bool teams[kTeamCount] = {true, true};
    bool environments[kEnvironmentCount] = {true};
    bool allStarTeam = false;
};
