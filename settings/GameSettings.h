#pragma once

#include "framework/Object.h"
#include "framework/Singleton.h"

#include <cstdint>
#include <optional>
#include <string>

// Debug switches and the tuning of players, passes, tackles ("snags"), keepers, AI
// aggression, special moves and the training modes. Kept in the cast "global" as "Game
// Settings"; the game reads the fields directly. Angles are radians, distances metres,
// speeds metres per second, times seconds.
class GameSettings : public Singleton<GameSettings>, public Object {
public:
    GameSettings() = default;

    // Section "GameSettings", the keys in file order.
    void Serialize(Serializer& serializer, const char* descriptor) override;
    // The whole-number value filed under the key; none for another key or one of another type.
    std::optional<int32_t> GetInt(const std::string& key) const;

    bool displayCollisionData = false;
    bool ballDebugMode = false;
    float ballDebugVelocityX = 0.0f;
    float ballDebugVelocityY = 10.0f;
    float ballDebugVelocityZ = 0.0f;
    bool aiDeactivate = false;
    float selectionLookAheadTime = 2.0f;
    float selectionThreshold = 2.0f;
    float passSnapFov = 0.31415924f;
    float passDefaultDist = 10.0f;
    float passReceiveSpeed = 10.0f;
    float passFinalHeight = 10.0f;
    float maxShortPassDist = 20.0f;
    // The file's number as it stands, not 20 degrees in radians.
    float passLoftAngle = 20.0f;
    float worstRunningSpeed = 0.0f;
    float bestRunningSpeed = 15.0f;
    float speedEnergyThreshold = 20.0f;
    int32_t energyAffectSpeedPercent = 0;
    float specialEnergyThreshold = 60.0f;
    float minimumAiMoveRange = 10.0f;
    float maximumAiMoveRange = 20.0f;
    float aiPassFov = 0.15707962f;
    float runToJogMultiplier = 0.5f;
    float runWithBallSpeedMultiplier = 0.8f;
    float slideAttackDist = 2.0f;
    float snagTriggerDistAi = 1.5f;
    float snagTriggerDistHuman = 1.5f;
    float snagContactDist = 1.5f;
    float snagAttackerAngle = 3.14159265f;
    float snagDefenderAngle = 3.14159265f;
    float keeperSnagContactDist = 1.5f;
    float keeperSnagAttackerAngle = 3.14159265f;
    float keeperSnagDefenderAngle = 3.14159265f;
    float minFoulAngle = 1.57079633f;
    float minKeeperStepDist = 1.0f;
    float keeperMaxSaveDist = 5.0f;
    float charRotateControlVar = 1.0f;
    float ballMoveControlVar = 1.0f;
    float singleMatchAggression = 10.0f;
    float firstRoundAggression = 10.0f;
    float perRoundAggression = 10.0f;
    float timeBetweenAggressionChanges = 1.0f;
    float aiSpecialMovePitchRadius = 0.5f;
    float aiSpecialMoveCentreYOffset = 0.0f;
    float aiAverageTimeBetweenSpecialMoves = 6.0f;
    float distanceFromTacticalPositionWeighting = 0.7f;
    int32_t passesTrainingDuration = 45;
    int32_t passesTrainingCyclesForOnePoint = 4;
    int32_t passesTrainingCyclesForPerfect = 10;
    int32_t passesTrainingPerfectBonus = 2;
    int32_t dribblingTrainingTries = 5;
    int32_t dribblingTrainingPerfectBonus = 1;
    int32_t penaltyTrainingTries = 5;
    int32_t penaltyTrainingPerfectBonus = 1;
    float aiBallObtainReadAhead = 0.2f;
};
