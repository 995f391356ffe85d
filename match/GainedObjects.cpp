#include "match/GainedObjects.h"

#include "framework/Serializer.h"
#include "framework/Settings.h"

#include <cstdio>

GainedObjects::GainedObjects()
{
    if (SettingsManager::Instance()->GetString("GameSize") == "XL") {
        teams[2] = true;
        teams[3] = true;
        environments[1] = true;
    }
}

void GainedObjects::Serialize(Serializer& s, const char* descriptor)
{
    char key[32];
    s.BeginSection("GainedObjects", descriptor);
    for (int i = 0; i < kTeamCount; ++i) {
        std::snprintf(key, sizeof key, "Gained_Team_%d", i);
        s.SerializeBool(key, &teams[i]);
    }
    for (int i = 0; i < kEnvironmentCount; ++i) {
        std::snprintf(key, sizeof key, "Gained_Environment_%d", i);
        s.SerializeBool(key, &environments[i]);
    }
    s.SerializeBool("AllStarTeam", &allStarTeam);
    s.EndSection();
}
