#include "settings/LevelSettings.h"

#include "settings/SettingsTable.h"

namespace {

using Key = SettingsKey<LevelSettings>;
using L = LevelSettings;

const Key kPhysics[] = {
    {"Gravity (m/s^2)", &L::gravity},
    {"Ball decel in air (m/s^2)", &L::ballDecelInAir},
    {"Ball decel on ground (m/s^2)", &L::ballDecelOnGround},
    {"Ball mass (kg)", &L::ballMass},
    {"Ball coefficient of restitution", &L::ballRestitution},
    {"Min speed for a bounce (m/s)", &L::minBounceSpeed},
    {"Max ball spin (rad/s)", &L::maxBallSpin, true},
};

}  // namespace

void LevelSettings::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("LevelSettings", descriptor);
    SerializeKeys<LevelSettings>(serializer, *this, kPhysics);
    serializer.SerializeQuaternion("Light direction", &lightDirection);
    serializer.SerializeBool("Update Light?", &updateLight);
    serializer.EndSection();
}
