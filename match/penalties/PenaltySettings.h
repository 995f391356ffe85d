#pragma once

#include "framework/Object.h"
#include "framework/Singleton.h"

// The tuning of one penalty kick: the taker's wait, power and aim, the flight, the keeper's
// read and save, and when a kick without a goal counts as missed. Read from and written to
// "<PP>penalties.txt" as the member "Penalty Settings". Every field starts at the shipped
// file's value, so a key missing from the file never leaves a zero flight or read time.
// Times are seconds; the shot's offsets are metres from the keeper, x to his left and y up;
// power levels, power errors, fractions and probabilities are shares of 1.
class PenaltySettings : public Singleton<PenaltySettings>, public Object {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;

    float aiWaitBeforeShot = 2.0f;
    float timeAfterKick = 4.0f;
    float goalDecisionTime = 2.0f;
    float defaultShotX = 0.0f;
    float defaultShotY = 1.2f;
    float worstPowerUpTime = 1.5f;
    float bestPowerUpTime = 0.8f;
    float worstPowerErrorAi = 0.6f;
    float bestPowerErrorAi = 0.2f;
    float optimumPowerLevel = 0.8f;
    float optimumXOffset = 2.5f;
    float optimumUpOffset = 0.8f;
    float optimumDownOffset = 0.8f;
    float worstBallToGoalTime = 1.0f;
    float bestBallToGoalTime = 0.6f;
    // The keeper dives when the time left of "Time after kick" passes the read time: 0.15 to
    // 0.4 s after the kick, as a save meets the ball about 0.4 s into the dive and the ball
    // flies 0.6 to 1 s.
    float minimumReadTime = 3.6f;
    float maximumReadTime = 3.85f;
    float aiWorstSaveProb = 0.2f;
    float aiBestSaveProb = 0.6f;
    float keyboardInputTime = 0.2f;
    float saveProbReadFraction = 0.2f;
    float saveProbSkillFraction = 0.5f;
    float saveProbShotFraction = 0.3f;
};
