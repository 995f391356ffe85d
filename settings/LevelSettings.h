#pragma once

#include "framework/Object.h"
#include "framework/Quaternion.h"
#include "framework/Singleton.h"

// The ball's physics and the light direction for shadows, one set per level. Kept in the
// cast "level" as "Level Settings"; the game reads the fields directly. Gravity and the
// decelerations are metres per second squared, speeds metres per second, the spin radians per
// second; restitution is the share of the speed into a surface that the bounce gives back.
class LevelSettings : public Singleton<LevelSettings>, public Object {
public:
    LevelSettings() = default;

    // Section "LevelSettings".
    void Serialize(Serializer& serializer, const char* descriptor) override;

    float gravity = 9.8f;
    float ballDecelInAir = 0.5f;
    float ballDecelOnGround = 0.5f;
    // Nothing in the game reads it.
    float ballMass = 0.45f;
    float ballRestitution = 0.0f;
    float minBounceSpeed = 0.1f;
    float maxBallSpin = 3.14159265f;
    Quaternion lightDirection = Quaternion::Identity;
    // When set, the ball's and characters' shadows take the light direction at every draw.
    bool updateLight = false;
};
