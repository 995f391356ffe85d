// What the AI's look-ahead costs each time it asks: a free running direction among the 22
// players, and a shot's flight to the keeper over the first stadium's pitch volumes.
#include "settings/LevelSettings.h"
#include "simulation/Ball.h"
#include "simulation/BallGoalChecker.h"
#include "simulation/Collidable.h"
#include "simulation/PathChecker.h"
#include "simulation/ShapeCollision.h"
#include "support/FirstStadium.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kPlayers = 22;

void BM_FindClearDirection(benchmark::State& state)
{
    ShapeCollisionTable::Init();
    std::mt19937 rng(19);
    std::uniform_real_distribution<float> along(-30, 30), across(-20, 20);
    std::vector<std::unique_ptr<SimpleCollidable>> players;
    PathChecker checker;
    for (int i = 0; i < kPlayers; ++i) {
        players.push_back(
            std::make_unique<SimpleCollidable>(std::make_unique<AxisAlignedCylinder>(Vector3::UnitY, 0.4f, 1.8f)));
        players.back()->SetPosition({along(rng), 0, across(rng)});
        checker.AddObstacle(players.back().get());
    }
    std::vector<Vector3> targets;
    for (int i = 0; i < 64; ++i)
        targets.push_back({along(rng), 0, across(rng)});
    int asked = 0;
    for (auto _ : state) {
        checker.SetMover(players[asked % kPlayers].get());
        benchmark::DoNotOptimize(checker.FindClearDirection(targets[asked % targets.size()]));
        ++asked;
    }
}
BENCHMARK(BM_FindClearDirection)->Unit(benchmark::kMicrosecond);

void BM_PredictShot(benchmark::State& state)
{
    if (!first_stadium::Open(TB_STAGE_DIR) || !first_stadium::LoadLevelSettings()) {
        state.SkipWithError("no default data: build the data target first");
        return;
    }
    {
        Ball ball;
        BallGoalChecker checker;
        std::mt19937 rng(7);
        std::uniform_real_distribution<float> across(-3, 3), lift(0, 4);
        Collidable* goal = first_stadium::Volume("LeftGoalArea");
        ball.SetPosition({25, ball.GetRadius(), 0});
        for (auto _ : state) {
            Vector3 at;
            float time = 0.0f;
            benchmark::DoNotOptimize(checker.PredictPath(ball, goal, at, time, {20, lift(rng), across(rng)}));
        }
    }
    LevelSettings::DestroyInstance();
    first_stadium::Close();
}
BENCHMARK(BM_PredictShot)->Unit(benchmark::kMicrosecond);

}  // namespace
