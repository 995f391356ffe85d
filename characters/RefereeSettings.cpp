#include "characters/RefereeSettings.h"

#include "framework/Serializer.h"

void RefereeSettings::Serialize(Serializer& s, const char* descriptor)
{
    s.BeginSection("RefereeSettings", descriptor);
    s.SerializeFloat("Dist from ball", &distFromBall);
    s.SerializeFloat("Stand to walk dist", &standToWalkDist);
    s.SerializeFloat("Stand to run dist", &standToRunDist);
    s.SerializeFloat("Walk to stand dist", &walkToStandDist);
    s.SerializeFloat("Walk to run dist", &walkToRunDist);
    s.SerializeFloat("Run to stand dist", &runToStandDist);
    s.SerializeFloat("Run to walk dist", &runToWalkDist);
    s.SerializeButton("angle", "");
    s.SerializeFloat("Max angle to player", &maxAngleToPlayer);
    s.SerializeFloat("Foul spot max dist", &foulSpotMaxDist);
    s.SerializeButton("angle", "");
    s.SerializeFloat("Foul spot max fov", &foulSpotMaxFov);
    s.SerializeFloat("Red card award dist", &redCardAwardDist);
    s.SerializeFloat("Red card dist variation", &redCardDistVariation);
    s.SerializeFloat("Red card present dist", &redCardPresentDist);
    s.EndSection();
}
