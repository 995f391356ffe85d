#include "match/penalties/PenaltyKick.h"

#include "framework/KinematicSolver.h"
#include "framework/MathUtil.h"
#include "framework/Random.h"
#include "match/penalties/PenaltySettings.h"

#include <algorithm>
#include <cmath>

namespace penalty {

namespace {

constexpr float kPercent = 100.0f;

// -1, 0 or 1 by the sign.
float Sign(float v) { return v > 0.0f ? 1.0f : (v < 0.0f ? -1.0f : 0.0f); }

int CellIndex(float value, float size)
{
    if (!(size > 0.0f))
        return 1;
    return std::clamp(static_cast<int>(std::trunc(value / size)), 0, 2);
}

}  // namespace

Aim HumanAim(float stickX, float stickY, float power, const PenaltySettings& settings)
{
    Aim aim;
    aim.x = Sign(stickX) * settings.optimumXOffset;
    // The stick's y runs down: up aims high.
    aim.y = stickY < 0.0f ? settings.optimumUpOffset : (stickY > 0.0f ? -settings.optimumDownOffset : 0.0f);
    const float p = settings.optimumPowerLevel > 0.0f ? power / settings.optimumPowerLevel : 1.0f;
    aim.x *= p;
    aim.y *= p;
    if (aim.x == 0.0f && aim.y == 0.0f)
        aim.quality = 0.0f;
    else
        aim.quality = p <= 1.0f ? p : std::max(2.0f - p, 0.0f);
    return aim;
}

Aim AiAim(int sideChoice, int heightChoice, float error, const PenaltySettings& settings)
{
    Aim aim;
    aim.x = (sideChoice == 0 ? -1.0f : 1.0f) * settings.optimumXOffset * (1.0f + error);
    aim.y = (heightChoice == 0 ? -settings.optimumDownOffset : settings.optimumUpOffset) * (1.0f + error);
    aim.quality = sideChoice == 1 && heightChoice == 1 ? 0.0f : std::max(1.0f - std::fabs(error), 0.0f);
    return aim;
}

float DrawAiPowerError(float shootingLevel, bool bothWays, const PenaltySettings& settings)
{
    const float largest = Math::Lerp(settings.worstPowerErrorAi, settings.bestPowerErrorAi, shootingLevel / kPercent);
    const float error = (Random::Unit() - 0.5f) * largest;
    return !bothWays && error > 0.0f ? -error : error;
}

int32_t SaveCode(int column, int row) { return kFirstSaveCode + 3 * (2 - row) + column; }

int32_t SaveCodeForAim(const Aim& aim, float cellWidth, float cellHeight)
{
    const int column = 2 - CellIndex(1.5f * cellWidth + aim.x, cellWidth);
    const int row = CellIndex(aim.y + cellHeight, cellHeight);
    return SaveCode(column, row);
}

int32_t SaveCodeForStick(float stickX, float stickY)
{
    const int column = stickX > 0.0f ? 0 : (stickX == 0.0f ? 1 : 2);
    const int row = stickY < 0.0f ? 2 : (stickY == 0.0f ? 1 : 0);
    return SaveCode(column, row);
}

float FlightTime(float shootingLevel, const PenaltySettings& settings)
{
    return Math::Lerp(settings.worstBallToGoalTime, settings.bestBallToGoalTime, shootingLevel / kPercent);
}

Vector3 SolveKick(const Vector3& displacement, float seconds, float gravity)
{
    if (!(seconds > 0.0f))
        return {};
    // Constant speed over the flat part: no distance, no speed.
    Vector3 velocity = Vector3(displacement.x, 0.0f, displacement.z) * (1.0f / seconds);
    if (displacement.y > 0.0f) {
        KinematicSolver climb;
        climb.SetValue(KinematicSolver::Distance, displacement.y);
        climb.SetValue(KinematicSolver::Acceleration, -gravity);
        climb.SetValue(KinematicSolver::Time, seconds);
        climb.Solve();
        velocity.y = climb.GetValue(KinematicSolver::InitialSpeed);
    }
    return velocity;
}

}  // namespace penalty
