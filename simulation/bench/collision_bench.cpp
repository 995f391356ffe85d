// One frame of the collision manager as a match has it: eleven players and the ball in
// "characters+ball", the ball's stand-in with the first stadium's pitch volumes and world in
// "ball+pitchvolumes", all from the default data.
#include "engine/core/RwCore.h"
#include "engine/world/RpCollision.h"
#include "engine/world/RpWorld.h"
#include "simulation/CollisionManager.h"
#include "simulation/PitchVolume.h"
#include "support/FirstStadium.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kPlayers = 11;
constexpr int kScenes = 64;
constexpr float kFrame = 1.0f / 60.0f;
const std::string kLevel = std::string(TB_STAGE_DIR) + "/data/pc/level01/";

struct Placement {
    Vector3 position, velocity;
};

// The moving objects of one frame: the players first, then the ball.
using Scene = std::vector<Placement>;

Scene MakeScene(std::mt19937& rng)
{
    std::uniform_real_distribution<float> along(-52, 52), across(-34, 34), run(-8, 8), kick(-25, 25), height(0.11f, 3);
    Scene scene;
    for (int i = 0; i < kPlayers; ++i)
        scene.push_back({{along(rng), 0, across(rng)}, {run(rng), 0, run(rng)}});
    scene.push_back({{along(rng), height(rng), across(rng)}, {kick(rng), kick(rng) * 0.4f, kick(rng)}});
    return scene;
}

RpWorld* ReadWorld()
{
    RwImageSetPath((kLevel + "Textures24Bit/").c_str());
    RpWorld* world = nullptr;
    if (RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamRead, (kLevel + "Objects/Level.bsp").c_str())) {
        if (RwStreamFindChunk(stream, rwChunkWorld, nullptr, nullptr))
            world = RpWorldStreamRead(stream);
        RwStreamClose(stream, nullptr);
    }
    return world ? RpCollisionWorldBuildData(world, nullptr) : nullptr;
}

void BM_CollisionManagerFrame(benchmark::State& state)
{
    // The stadium's objects file holds its dressing too, which needs the whole renderer.
    RpWorld* world = first_stadium::Open(TB_STAGE_DIR) ? ReadWorld() : nullptr;
    if (!world) {
        first_stadium::Close();
        state.SkipWithError("no default data: build the data target first");
        return;
    }
    // The collidables go before the world and the engine.
    {
        CollisionManager* manager = CollisionManager::Instance();
        CollisionSet* characters = manager->GetCollisionSet("characters+ball");
        CollisionSet* pitch = manager->GetCollisionSet("ball+pitchvolumes");
        SimpleCollidable stadium(std::make_unique<WorldGeometry>(world));
        pitch->Add(&stadium, false);

        std::vector<std::unique_ptr<SimpleCollidable>> players;
        for (int i = 0; i < kPlayers; ++i) {
            players.push_back(std::make_unique<SimpleCollidable>(
                std::make_unique<AxisAlignedCylinder>(Vector3::UnitY, 0.4f, 1.8f)));
            characters->Add(players.back().get(), true);
        }
        CopiedCollidable ball(std::make_unique<Sphere>(0.11f));
        auto copy = std::make_unique<CollisionDoppelGanger>(ball, std::make_unique<Sphere>(0.11f));
        pitch->Add(copy.get(), true);
        ball.AddCopy(std::move(copy));
        characters->Add(&ball, true);

        std::mt19937 rng(2024);
        std::vector<Scene> scenes;
        for (int i = 0; i < kScenes; ++i)
            scenes.push_back(MakeScene(rng));
        manager->Update(0.0f);
        int frame = 0;
        for (auto _ : state) {
            const Scene& scene = scenes[frame++ % kScenes];
            for (int i = 0; i < kPlayers; ++i) {
                players[i]->SetPosition(scene[i].position);
                players[i]->SetVelocity(scene[i].velocity);
            }
            ball.SetPosition(scene.back().position);
            ball.SetVelocity(scene.back().velocity);
            manager->Update(kFrame);
        }
    }
    CollisionManager::DestroyInstance();
    RpWorldDestroy(world);
    first_stadium::Close();
}
BENCHMARK(BM_CollisionManagerFrame)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(10)
    ->ComputeStatistics("worst", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly(true);

}  // namespace
