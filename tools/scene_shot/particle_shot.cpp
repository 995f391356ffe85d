// Particles over the first stadium: a fountain (sphere emitter, fade in, fade out, a wind
// above its top) with bursts of a sprite-sheet flash beside it, drawn through the scene
// classes on the default data and saved at three moments:
//     scene_shot particles <game folder> <out prefix>          writes <prefix>_1.png .. _3.png
//     scene_shot particles --bench <game folder> [--frames N] [picture.png]
//                                                              frame and update times, and the
//                                                              last frame with the particles
#include "engine/core/RwCore.h"
#include "engine/world/RpWorld.h"
#include "framework/Debug.h"
#include "framework/Random.h"
#include "scene/Camera.h"
#include "scene/ParticleSystem.h"
#include "scene/RwGraphics.h"
#include "scene/Texture.h"
#include "tools/common/Fail.h"
#include "tools/common/Figures.h"
#include "tools/scene_shot/Level.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

using namespace tools::level;
using tools::Fail;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr float kStep = 1.0f / 30;
// The moments written, in seconds, and when a burst goes off.
constexpr float kShots[] = {0.6f, 1.4f, 2.2f};
constexpr float kBursts[] = {0.3f, 1.2f, 1.9f};
constexpr int kBurstCount = 14;
constexpr int kBenchFrames = 300;
constexpr int kBenchParticles = 2000;
const char* const kSmoke = "<PP>Particles\\<TP>smoke.png";
const char* const kFlash = "<PP>Particles\\<TP>flash_sheet.png";

// The two effects on their factories. Both systems emit along their z axis, turned up.
struct Effects {
    BillboardParticleFactory sprayFactory;
    BillboardParticleFactory flashFactory;
    ParticleSystem fountain;
    ParticleSystem burst;

    Effects(Texture& smoke, Texture& flash, const Vector3& base, const Vector3& flashCentre, float rate, int maximum)
    {
        const Quaternion up(-std::numbers::pi_v<float> / 2, {1, 0, 0});
        sprayFactory.Setup(&smoke, rwBlendSrcAlpha, rwBlendInvSrcAlpha, 1, 1, 1);
        fountain.SetParticleFactory(&sprayFactory);
        fountain.SetPosition(base);
        fountain.SetRotation(up);
        fountain.SetEmitterSpeed(rate);
        fountain.SetMaxParticles(maximum);
        fountain.Position().Set(MakeSphereEmitter({0, 0, 0}, 0.25f));
        fountain.Velocity().Set(MakeSphereEmitter({0, 0, 6.5f}, 1.6f));
        fountain.Acceleration().Set(MakePointEmitter({0, -9.8f, 0}));
        fountain.Angle().Set(MakeLinearEmitter(0, std::numbers::pi_v<float>));
        fountain.DeltaAngle().Set(MakeLinearEmitter(0, 1.5f));
        fountain.Size().Set(MakeLinearEmitter(0.22f, 0.06f));
        fountain.DeltaSize().Set(MakeLinearEmitter(0.35f, 0.1f));
        fountain.LifeTime().Set(MakeLinearEmitter(1.5f, 0.3f));
        fountain.SetColors(Color(0.75f, 0.88f, 1.0f, 0.9f), Color(1.0f, 1.0f, 1.0f, 0.5f));
        auto fadeIn = std::make_unique<ParticleActionFadeIn>();
        fadeIn->SetTime(0.15f);
        auto fadeOut = std::make_unique<ParticleActionFadeOut>();
        fadeOut->SetTime(0.6f);
        auto wind = std::make_unique<ParticleActionHeightWind>();
        wind->Set(base.y + 1.6f, {2.5f, 0, 0});
        fountain.AddAction(std::move(fadeIn));
        fountain.AddAction(std::move(fadeOut));
        fountain.AddAction(std::move(wind));

        flashFactory.Setup(&flash, rwBlendSrcAlpha, rwBlendOne, 4, 4, 16);
        burst.SetParticleFactory(&flashFactory);
        burst.SetAutomaticGenerate(false);
        burst.SetPosition(flashCentre);
        burst.SetRotation(up);
        // Room for the last burst's flashes that are still fading.
        burst.SetMaxParticles(2 * kBurstCount);
        burst.Position().Set(MakeSphereEmitter({0, 0, 0}, 0.5f));
        burst.Velocity().Set(MakeSphereEmitter({0, 0, 0.4f}, 1.2f));
        burst.Angle().Set(MakeLinearEmitter(0, std::numbers::pi_v<float>));
        burst.Size().Set(MakeLinearEmitter(0.9f, 0.3f));
        burst.DeltaSize().Set(MakeLinearEmitter(0.8f, 0.2f));
        burst.AnimSpeed().Set(MakeLinearEmitter(16, 3));
        burst.LifeTime().Set(MakeLinearEmitter(5, 0));
    }
    void Update(float dt)
    {
        fountain.Update(dt);
        burst.Update(dt);
    }
    void Render()
    {
        fountain.Render();
        burst.Render();
    }
};

// The world, and the effects when there are any, into the primary camera, shown.
bool DrawFrame(PrimaryCamera& camera, RpWorld* world, Effects* effects)
{
    const float sky[4] = {0.47f, 0.63f, 0.82f, 1.0f};
    if (!camera.Clear(sky, rwCameraClearImage | rwCameraClearZ) || !camera.BeginUpdate())
        return false;
    RpWorldRender(world);
    if (effects)
        effects->Render();
    camera.EndUpdate();
    return RwGraphics::Instance()->Render();
}

int Shoot(PrimaryCamera& camera, RpWorld* world, Effects& effects, const std::string& prefix)
{
    float time = 0;
    size_t burst = 0;
    for (size_t shot = 0; shot < std::size(kShots); ++shot) {
        while (time + kStep / 2 < kShots[shot]) {
            time += kStep;
            if (burst < std::size(kBursts) && time >= kBursts[burst]) {
                ++burst;
                for (int i = 0; i < kBurstCount; ++i)
                    effects.burst.Emit();
            }
            effects.Update(kStep);
        }
        const std::string path = prefix + "_" + std::to_string(shot + 1) + ".png";
        if (!DrawFrame(camera, world, &effects) || !SavePng(camera, path))
            return Fail("cannot draw or write %s", path.c_str());
        std::printf("scene_shot: wrote %s at %.1f s: %d spray and %d flash particles\n", path.c_str(), time,
                    effects.fountain.GetLiveCount(), effects.burst.GetLiveCount());
    }
    return 0;
}

int Bench(PrimaryCamera& camera, RpWorld* world, Effects& effects, int frames, const std::string& picture)
{
    // Filled to the steady state first: every particle lives 1.2 to 1.8 s.
    for (int i = 0; i < 90; ++i)
        effects.Update(kStep);
    std::vector<double> bare, with, update;
    // Processor time hardly moves when other programs share the machine.
    tools::ProcessorTime bareCpu, withCpu;
    for (int i = 0; i < frames; ++i) {
        bareCpu.Start();
        Clock::time_point start = Clock::now();
        DrawFrame(camera, world, nullptr);
        bare.push_back(Milliseconds(start));
        bareCpu.Stop();
        withCpu.Start();
        start = Clock::now();
        effects.Update(kStep);
        update.push_back(Milliseconds(start));
        DrawFrame(camera, world, &effects);
        with.push_back(Milliseconds(start));
        withCpu.Stop();
    }
    std::printf("scene_shot: %d x %d, %d live particles (%d wanted), %d frames\n", kWidth, kHeight,
                effects.fountain.GetLiveCount(), kBenchParticles, frames);
    std::printf("  particle update: median %.3f ms, worst %.3f ms\n", tools::Median(update),
                *std::max_element(update.begin(), update.end()));
    std::printf("  frame without particles: median %.2f ms\n", tools::Median(bare));
    std::printf("  frame with particles:    median %.2f ms\n", tools::Median(with));
    std::printf("  processor time per frame without particles: %.2f ms (%.2f ms calling thread), with: %.2f ms "
                "(%.2f ms calling thread)\n",
                bareCpu.all / frames, bareCpu.calling / frames, withCpu.all / frames, withCpu.calling / frames);
    if (!picture.empty() && !SavePng(camera, picture))
        return Fail("cannot write %s", picture.c_str());
    return 0;
}

}  // namespace

int tools::level::ParticleShot(int argc, char** argv)
{
    ShotRequest request;
    if (!ReadShotRequest("scene_shot particles", argc, argv, request))
        return 1;
    return RunOnLevel("scene_shot particles", request.folder, kWidth, kHeight, 11.0f, 2.0f,
                      [&](PrimaryCamera& camera, LevelView& level) {
                          Texture smoke, flash;
                          if (!smoke.Load(kSmoke, nullptr) || !flash.Load(kFlash, nullptr))
                              return Fail("no particle textures (%s)", kSmoke);
                          Random::Seed(17);
                          // The fountain on the pitch to one side of the view centre, the flashes
                          // above the other.
                          Vector3 side = Vector3(0, 1, 0).Cross(level.At());
                          side.Normalize();
                          Effects effects(smoke, flash, level.Centre() + side * 1.8f,
                                          level.Centre() - side * 2.2f + Vector3(0, 1.2f, 0),
                                          request.bench ? kBenchParticles / 1.5f : 90.0f,
                                          request.bench ? kBenchParticles : 400);
                          return request.bench ? Bench(camera, level.World(), effects,
                                                                 request.frames > 0 ? request.frames : kBenchFrames,
                                                                 request.picture)
                                               : Shoot(camera, level.World(), effects, request.prefix);
                      });
}
