#include "framework/Random.h"
#include "match/penalties/PenaltyKick.h"
#include "match/penalties/PenaltySettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using namespace penalty;

constexpr float kWidth = 2.0f, kHeight = 0.8f;

void Tune(PenaltySettings& settings)
{
    settings.optimumPowerLevel = 0.8f;
    settings.optimumXOffset = 2.5f;
    settings.optimumUpOffset = 0.8f;
    settings.optimumDownOffset = 0.6f;
    settings.worstBallToGoalTime = 1.0f;
    settings.bestBallToGoalTime = 0.5f;
    settings.worstPowerErrorAi = 0.6f;
    settings.bestPowerErrorAi = 0.2f;
}

TEST(PenaltyKickTest, EachAimFallsInItsOwnSaveCell)
{
    struct Case {
        float x, y;
        int32_t code;
    };
    // x towards the keeper's left (his column 0), y up (row 2 is the top).
    const std::vector<Case> cases = {
        {2.0f, 0.8f, 14},  {0.0f, 0.8f, 15},  {-2.0f, 0.8f, 16},  {2.0f, 0.0f, 17},   {0.0f, 0.0f, 18},
        {-2.0f, 0.0f, 19}, {2.0f, -0.8f, 20}, {0.0f, -0.8f, 21},  {-2.0f, -0.8f, 22},
        // Far outside the grid still counts as its outer cells.
        {9.0f, 5.0f, 14},  {-9.0f, -5.0f, 22},
        // The cell edges: half a cell from the middle belongs to the outer column.
        {1.0f, 0.0f, 17},  {0.99f, 0.0f, 18},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SaveCodeForAim({c.x, c.y, 0.0f}, kWidth, kHeight), c.code) << c.x << ", " << c.y;
    // A grid of no size cannot place an aim: the middle save.
    EXPECT_EQ(SaveCodeForAim({2.0f, 0.8f, 0.0f}, 0.0f, 0.0f), 18);
}

TEST(PenaltyKickTest, KeeperStickChoosesTheCellItPointsAt)
{
    struct Case {
        float x, y;
        int32_t code;
    };
    // Stick right is the keeper's left; stick y runs down.
    const std::vector<Case> cases = {{1, -1, 14}, {0, -1, 15}, {-1, -1, 16}, {1, 0, 17}, {0, 0, 18},
                                     {-1, 0, 19}, {1, 1, 20},  {0, 1, 21},   {-1, 1, 22}};
    for (const Case& c : cases)
        EXPECT_EQ(SaveCodeForStick(c.x, c.y), c.code) << c.x << ", " << c.y;
}

TEST(PenaltyKickTest, HumanAimQualityFollowsThePowerAroundTheOptimum)
{
    PenaltySettings settings;
    Tune(settings);
    struct Case {
        float stickX, stickY, power;
        float x, y, quality;
    };
    const std::vector<Case> cases = {
        {0, 0, 0.8f, 0, 0, 0},                  // never moved the stick
        {1, 0, 0.8f, 2.5f, 0, 1},               // right, at the optimum
        {-1, -1, 0.8f, -2.5f, 0.8f, 1},         // left and up
        {0, 1, 0.8f, 0, -0.6f, 1},              // down
        {1, 0, 0.4f, 1.25f, 0, 0.5f},           // half the optimum
        {1, 0, 1.2f, 3.75f, 0, 0.5f},           // half again above it
        {1, 0, 1.6f, 5.0f, 0, 0},               // twice it
        {0.3f, -0.2f, 2.0f, 6.25f, 2.0f, 0},    // beyond twice: not below 0
    };
    for (const Case& c : cases) {
        const Aim aim = HumanAim(c.stickX, c.stickY, c.power, settings);
        EXPECT_FLOAT_EQ(aim.x, c.x) << c.stickX << ", " << c.stickY << " at " << c.power;
        EXPECT_FLOAT_EQ(aim.y, c.y) << c.stickX << ", " << c.stickY << " at " << c.power;
        EXPECT_FLOAT_EQ(aim.quality, c.quality) << c.stickX << ", " << c.stickY << " at " << c.power;
    }
}

TEST(PenaltyKickTest, AiAimPutsTheErrorOnBothOffsetsAndRightAndUpIsWeak)
{
    PenaltySettings settings;
    Tune(settings);
    struct Case {
        int side, height;
        float error;
        float x, y, quality;
    };
    const std::vector<Case> cases = {
        {0, 0, 0.0f, -2.5f, -0.6f, 1.0f},
        {1, 0, -0.2f, 2.0f, -0.48f, 0.8f},
        {0, 1, 0.1f, -2.75f, 0.88f, 0.9f},
        {1, 1, 0.0f, 2.5f, 0.8f, 0.0f},   // right and up: always weak
        {1, 1, -0.3f, 1.75f, 0.56f, 0.0f},
        {0, 0, -1.5f, 1.25f, 0.3f, 0.0f},  // an error beyond the whole power: not below 0
    };
    for (const Case& c : cases) {
        const Aim aim = AiAim(c.side, c.height, c.error, settings);
        EXPECT_FLOAT_EQ(aim.x, c.x) << c.side << c.height << " " << c.error;
        EXPECT_FLOAT_EQ(aim.y, c.y) << c.side << c.height << " " << c.error;
        EXPECT_FLOAT_EQ(aim.quality, c.quality) << c.side << c.height << " " << c.error;
    }
}

TEST(PenaltyKickTest, AiPowerErrorOvershootsOnlyWhenAllowedBothWays)
{
    PenaltySettings settings;
    Tune(settings);
    for (const bool bothWays : {false, true}) {
        Random::Seed(7);
        int above = 0, below = 0;
        for (int i = 0; i < 1000; ++i) {
            // Skill 50: the largest error is 0.4, so an error lies within +-0.2.
            const float error = DrawAiPowerError(50.0f, bothWays, settings);
            EXPECT_LE(std::fabs(error), 0.2f + 1e-6f);
            above += error > 0.0f;
            below += error < 0.0f;
        }
        EXPECT_EQ(above > 0, bothWays);
        EXPECT_GT(below, bothWays ? 400 : 990);
    }
}

TEST(PenaltyKickTest, FlightTimeFollowsTheShootingLevel)
{
    PenaltySettings settings;
    Tune(settings);
    EXPECT_FLOAT_EQ(FlightTime(50.0f, settings), 0.75f);
    EXPECT_FLOAT_EQ(FlightTime(0.0f, settings), 1.0f);
    EXPECT_FLOAT_EQ(FlightTime(100.0f, settings), 0.5f);
}

TEST(PenaltyKickTest, KickReachesTheTargetInTheFlightTime)
{
    constexpr float kGravity = 9.8f, kTime = 0.75f;
    struct Case {
        Vector3 displacement;
        Vector3 velocity;
    };
    const float rise = (1.5f + 0.5f * kGravity * kTime * kTime) / kTime;
    const std::vector<Case> cases = {
        {{11.0f, 1.5f, 3.0f}, {11.0f / kTime, rise, 3.0f / kTime}},
        // A target below the ball gets no upward speed; neither does one level with it.
        {{-11.0f, -0.2f, 0.0f}, {-11.0f / kTime, 0.0f, 0.0f}},
        {{0.0f, 0.0f, 6.0f}, {0.0f, 0.0f, 6.0f / kTime}},
        // Straight above: no horizontal speed.
        {{0.0f, 1.5f, 0.0f}, {0.0f, rise, 0.0f}},
    };
    for (const Case& c : cases) {
        const Vector3 v = SolveKick(c.displacement, kTime, kGravity);
        EXPECT_NEAR(v.x, c.velocity.x, 1e-4f);
        EXPECT_NEAR(v.y, c.velocity.y, 1e-4f);
        EXPECT_NEAR(v.z, c.velocity.z, 1e-4f);
        // Where the rise is asked for, the ball is at the target's height when the time is up.
        if (c.displacement.y > 0.0f) {
            EXPECT_NEAR(v.y * kTime - 0.5f * kGravity * kTime * kTime, c.displacement.y, 1e-4f);
        }
    }
    EXPECT_EQ(SolveKick({11.0f, 1.0f, 0.0f}, 0.0f, kGravity), Vector3{});
}

}  // namespace
