#pragma once

#include "framework/Object.h"
#include "framework/Singleton.h"

// How the referee follows play and shows a card: distances in world units, angles in
// radians. Read from "<PP>referee.txt" as the member "Referee Settings" of the cast
// "referee". The foul spot's limits have no compiled-in value; only the file gives them.
class RefereeSettings : public Singleton<RefereeSettings>, public Object {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;

    float distFromBall = 5.0f;
    float standToWalkDist = 1.0f;
    float standToRunDist = 5.0f;
    float walkToStandDist = 0.5f;
    float walkToRunDist = 0.3f;
    float runToStandDist = 3.5f;
    float runToWalkDist = 3.0f;
    float maxAngleToPlayer = 0.3927f;
    float foulSpotMaxDist = 0.0f;
    float foulSpotMaxFov = 0.0f;
    float redCardAwardDist = 10.0f;
    float redCardDistVariation = 0.0f;
    float redCardPresentDist = 7.0f;
};
