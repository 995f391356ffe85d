#include "settings/GameSettings.h"

#include "settings/SettingsTable.h"

namespace {

using Key = SettingsKey<GameSettings>;
using G = GameSettings;

// clang-format off
const Key kKeys[] = {
    {"Display Collision Data?", &G::displayCollisionData},
    {"Ball debug mode?", &G::ballDebugMode},
    {"Ball debug velocity x", &G::ballDebugVelocityX},
    {"Ball debug velocity y", &G::ballDebugVelocityY},
    {"Ball debug velocity z", &G::ballDebugVelocityZ},
    {"AI deactivate?", &G::aiDeactivate},
    {"Selection look ahead time", &G::selectionLookAheadTime},
    {"Selection threshold", &G::selectionThreshold},
    {"Pass snap FOV", &G::passSnapFov, true},
    {"Pass default dist", &G::passDefaultDist},
    {"Max short pass dist", &G::maxShortPassDist},
    {"Pass receive speed", &G::passReceiveSpeed},
    {"Pass final height", &G::passFinalHeight},
    {"Pass loft angle", &G::passLoftAngle, true},
    {"Worst Running Speed", &G::worstRunningSpeed},
    {"Best Running Speed", &G::bestRunningSpeed},
    {"Speed energy threshold", &G::speedEnergyThreshold},
    {"Energy affect speed %", &G::energyAffectSpeedPercent},
    {"Special energy threshold", &G::specialEnergyThreshold},
    {"Minimum AI move range", &G::minimumAiMoveRange},
    {"Maximum AI move range", &G::maximumAiMoveRange},
    {"AI pass FOV", &G::aiPassFov, true},
    {"Run->Jog multiplier", &G::runToJogMultiplier},
    {"Run with ball speed multiplier", &G::runWithBallSpeedMultiplier},
    {"Slide attack dist", &G::slideAttackDist},
    {"Snag trigger dist (AI)", &G::snagTriggerDistAi},
    {"Snag trigger dist (HUMAN)", &G::snagTriggerDistHuman},
    {"Snag contact dist", &G::snagContactDist},
    {"Snag attacker angle", &G::snagAttackerAngle, true},
    {"Snag defender angle", &G::snagDefenderAngle, true},
    {"Keeper snag contact dist", &G::keeperSnagContactDist},
    {"Keeper snag attacker angle", &G::keeperSnagAttackerAngle, true},
    {"Keeper snag defender angle", &G::keeperSnagDefenderAngle, true},
    {"Min foul angle", &G::minFoulAngle, true},
    {"Min keeper step dist", &G::minKeeperStepDist},
    {"Keeper max save dist", &G::keeperMaxSaveDist},
    {"Char rotate control var", &G::charRotateControlVar},
    {"Ball move control var", &G::ballMoveControlVar},
    {"Single match aggression", &G::singleMatchAggression},
    {"First round aggression.", &G::firstRoundAggression},
    {"Per round aggression", &G::perRoundAggression},
    {"Time between aggression changes", &G::timeBetweenAggressionChanges},
    {"distanceFromTacticalPositionWeighting", &G::distanceFromTacticalPositionWeighting},
    {"Passes Training duration", &G::passesTrainingDuration},
    {"Passes Training cycles for one point", &G::passesTrainingCyclesForOnePoint},
    {"Passes Training cycles for perfect", &G::passesTrainingCyclesForPerfect},
    {"Passes Training perfectbonus", &G::passesTrainingPerfectBonus},
    {"Dribbling Training tries", &G::dribblingTrainingTries},
    {"Dribbling Training perfectbonus", &G::dribblingTrainingPerfectBonus},
    {"Penalty Training tries", &G::penaltyTrainingTries},
    {"Penalty Training perfectbonus", &G::penaltyTrainingPerfectBonus},
    {"aiSpecialMovePitchRadius", &G::aiSpecialMovePitchRadius},
    {"aiSpecialMoveCentreYOffset", &G::aiSpecialMoveCentreYOffset},
    {"aiAverageTimeBetweenSpecialMoves", &G::aiAverageTimeBetweenSpecialMoves},
    {"ai ball obtain read ahead", &G::aiBallObtainReadAhead},
};
// clang-format on

}  // namespace

void GameSettings::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("GameSettings", descriptor);
    SerializeKeys<GameSettings>(serializer, *this, kKeys);
    serializer.EndSection();
}

std::optional<int32_t> GameSettings::GetInt(const std::string& key) const
{
    for (const Key& row : kKeys)
        if (const auto* field = std::get_if<int32_t G::*>(&row.field); field && key == row.key)
            return this->**field;
    return std::nullopt;
}
