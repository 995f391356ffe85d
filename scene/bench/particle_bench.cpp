// One frame's update of a particle system holding 2,000 live particles with the fade and wind
// actions of a fountain, on one core and without a device.
#include <benchmark/benchmark.h>

#include "framework/Random.h"
#include "scene/ParticleSystem.h"

#include <memory>

namespace {

constexpr int kParticles = 2000;
constexpr float kStep = 1.0f / 60;

void ParticleUpdate(benchmark::State& state)
{
    Random::Effects::Seed(5);
    BillboardParticleFactory factory;
    ParticleSystem system;
    system.SetParticleFactory(&factory);
    system.SetMaxParticles(kParticles);
    // Particles live 1 s, so the rate keeps the system full.
    system.SetEmitterSpeed(kParticles * 1.2f);
    auto life = std::make_unique<LinearEmitter>();
    life->Set(1.0f, 0.0f);
    system.LifeTime().Set(std::move(life));
    auto velocity = std::make_unique<SphereEmitter>();
    velocity->Set({0, 0, 6}, 2);
    system.Velocity().Set(std::move(velocity));
    for (int type = 1; type <= 3; ++type)
        system.AddAction(CreateParticleAction(type));
    for (int i = 0; i < 120; ++i)
        system.Update(kStep);
    for (auto _ : state)
        system.Update(kStep);
    state.counters["live"] = system.GetLiveCount();
}
BENCHMARK(ParticleUpdate)->Unit(benchmark::kMillisecond);

}  // namespace
