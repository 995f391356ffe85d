#include "match/penalties/PenaltySettings.h"

#include "framework/Serializer.h"

void PenaltySettings::Serialize(Serializer& s, const char* descriptor)
{
    s.BeginSection("PenaltySettings", descriptor);
    s.SerializeFloat("AI wait before shot", &aiWaitBeforeShot);
    s.SerializeFloat("Time after kick", &timeAfterKick);
    s.SerializeFloat("Goal decision time", &goalDecisionTime);
    s.SerializeFloat("Default shot x", &defaultShotX);
    s.SerializeFloat("Default shot y", &defaultShotY);
    s.SerializeFloat("Worst power up time", &worstPowerUpTime);
    s.SerializeFloat("Best power up time", &bestPowerUpTime);
    s.SerializeFloat("Worst power error (ai)", &worstPowerErrorAi);
    s.SerializeFloat("Best power error (ai)", &bestPowerErrorAi);
    s.SerializeFloat("Optimum power level", &optimumPowerLevel);
    s.SerializeFloat("Optimum x offset", &optimumXOffset);
    s.SerializeFloat("Optimum up offset", &optimumUpOffset);
    s.SerializeFloat("Optimum down offset", &optimumDownOffset);
    s.SerializeFloat("Worst ball to goal time", &worstBallToGoalTime);
    s.SerializeFloat("Best ball to goal time", &bestBallToGoalTime);
    s.SerializeFloat("Minimum read time", &minimumReadTime);
    s.SerializeFloat("Maximum read time", &maximumReadTime);
    s.SerializeFloat("AI worst save prob.", &aiWorstSaveProb);
    s.SerializeFloat("AI best save prob.", &aiBestSaveProb);
    s.SerializeFloat("Keyboard input time", &keyboardInputTime);
    s.SerializeFloat("Save prob read fraction", &saveProbReadFraction);
    s.SerializeFloat("Save prob skill fraction", &saveProbSkillFraction);
    s.SerializeFloat("Save prob shot fraction", &saveProbShotFraction);
    s.EndSection();
}
