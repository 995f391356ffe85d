// The view a player has during a match, timed on the default data:
//     match_view_bench <game folder> [picture.png]
// level01 with its dressing, sky, fog and flares, eleven players running, kicking and
// standing at different phases, the referee and the ball, seen by the broadcast camera that
// follows the ball, at 1280 x 720. Prints the median, 95th percentile and worst of 300 frames
// and what the engine sent to the device per frame, then what drawing the players costs with
// the camera turned away from them. The last frame of the match view goes to the picture, for
// comparing a change that must not alter what is drawn.
#include "engine/core/RwDevice.h"
#include "engine/core/RwEngine.h"
#include "engine/gl/GLDevice.h"
#include "framework/Debug.h"
#include "framework/MathUtil.h"
#include "scene/Camera.h"
#include "scene/EngineUtil.h"
#include "scene/RwGraphics.h"
#include "scene/pitch/CameraControl.h"
#include "tools/common/ConsoleSink.h"
#include "tools/stadium_scene/StadiumScene.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kFrames = 300;
constexpr float kFrameTime = 1.0f / 30.0f;
constexpr float kBallRadius = 0.11f;
// The ball runs up and down the pitch through the centre circle, the play following it.
constexpr float kBallReach = 15.0f;
constexpr float kBallPeriod = 8.0f;
const char* const kPlayerRaces[] = {"Lizard", "Panda", "Primate", "Rhino"};
const std::vector<std::string> kClips = {"run", "shoot", "stand"};
enum Clip { kRun, kKick, kIdle };
constexpr int kRefereeCard = 2;

struct Place {
    float x, z;
    Clip clip;
};

// Where each player stands relative to the ball, and what it plays; the first is the keeper.
const Place kTeam[] = {
    {-38, 0, kIdle}, {-4, -6, kRun}, {-3, 5, kRun}, {-1, 0.5f, kKick}, {6, -12, kRun}, {8, 10, kIdle},
    {-12, -18, kRun}, {-10, 16, kRun}, {14, 2, kIdle}, {3, -3, kKick}, {20, -8, kRun},
};
constexpr Place kReferee = {-6, 14, kRun};

bool Fail(const std::string& what)
{
    std::fprintf(stderr, "match_view_bench: %s\n", what.c_str());
    return false;
}

struct Player {
    std::unique_ptr<tools::Character> character;
    Place place;
};

bool SavePicture(const std::string& path)
{
    RwImage* image = EngineUtil::GrabCameraRaster(RwGraphics::Instance()->GetCamera()->GetRwCamera());
    const bool saved = image && RtPngImageWrite(image, path.c_str());
    if (image)
        RwImageDestroy(image);
    return saved || Fail("cannot write " + path);
}

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double Quantile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(q * double(values.size())))];
}

// What one frame asked of the device.
struct FrameLoad {
    double triangles = 0, draws = 0, states = 0, textures = 0, dropped = 0;
};

// Processor time used so far, in milliseconds: by every thread (the driver's rasterising
// workers included), or by the calling thread alone (submission). Wall time on a machine that
// others share says less than this.
double CpuMilliseconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) * 1e-3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The frames of one run of the view.
struct Run {
    std::vector<double> frames;
    double cpuAll = 0, cpuCaller = 0;  // per frame after the first, averaged
    FrameLoad load;
};

// Set when the program starts, for the time to the first frame.
std::chrono::steady_clock::time_point g_started;

bool Bench(const std::string& picture)
{
    tools::Stadium stadium;
    tools::Cameras cameras;
    tools::Ball ball;
    if (!cameras.Load() || !stadium.Load(tools::kLevels[0]) || !ball.Load())
        return false;
    std::vector<Player> players;
    for (size_t i = 0; i <= std::size(kTeam); ++i) {
        const bool referee = i == std::size(kTeam);
        auto character = std::make_unique<tools::Character>();
        const std::string race = referee ? "Weasel" : kPlayerRaces[i % std::size(kPlayerRaces)];
        const std::string variation = referee || i == 0 ? "Var00" : "Var0" + std::to_string(2 + i % 8);
        if (!character->Load(race, variation, kClips))
            return false;
        if (referee)
            character->AddInvisibleAtomics({kRefereeCard});
        const Place place = referee ? kReferee : kTeam[i];
        character->SetAnimation(place.clip, 0.0f);
        // Each at its own phase of its clip.
        character->Update(0.13f * float(i));
        players.push_back({std::move(character), place});
    }
    std::vector<RenderObject*> drawn{&ball};
    for (Player& player : players)
        drawn.push_back(player.character.get());

    SetCameraTarget(&ball);
    cameras.Standard().Activate();
    GLDevice* device = dynamic_cast<GLDevice*>(RwDeviceGetCurrent());
    double startUp = 0.0;
    float time = 0.0f;
    // Every run plays the same 300 frames, whatever it draws.
    const auto play = [&](const std::vector<RenderObject*>& objects, bool world, Run& run) {
        time = 0.0f;
        double cpuAll = 0.0, cpuCaller = 0.0;
        for (int frame = 0; frame < kFrames; ++frame) {
            // The first frame compiles shaders and fills caches.
            if (frame == 1) {
                cpuAll = CpuMilliseconds(RUSAGE_SELF);
                cpuCaller = CpuMilliseconds(RUSAGE_THREAD);
            }
            const auto start = std::chrono::steady_clock::now();
            const GLCounters before = device ? device->Counters() : GLCounters();
            time += kFrameTime;
            const float ballX = kBallReach * std::sin(6.2831853f * time / kBallPeriod);
            ball.SetPosition({ballX, kBallRadius, 0});
            ball.Update(kFrameTime);
            for (Player& player : players) {
                const bool running = player.place.clip == kRun;
                // Idle and kicking players hold their ground; runners keep up with the ball.
                const float x = running ? ballX + player.place.x : player.place.x;
                player.character->SetPosition({x, 0, player.place.z});
                player.character->Update(kFrameTime);
            }
            cameras.Standard().Update(kFrameTime);
            cameras.Standard().ApplyToFrame(RwGraphics::Instance()->GetCamera()->GetFrame());
            stadium.World().Update(kFrameTime);
            const bool drawn = world ? tools::DrawFrame(stadium.World(), objects) : tools::DrawFrame([&] {
                for (RenderObject* object : objects)
                    object->Render();
            });
            if (!drawn)
                return Fail("a frame was not drawn");
            run.frames.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
            if (startUp == 0.0)
                startUp = Milliseconds(std::chrono::steady_clock::now() - g_started);
            if (const RwMetrics* metrics = RwEngineGetMetrics()) {
                run.load.triangles += metrics->numTriangles;
                run.load.states += metrics->device.numRenderStateChanges;
                run.load.textures += metrics->device.numTextureStageStateChanges;
            }
            if (device) {
                run.load.draws += (device->Counters().draws - before.draws) +
                                  (device->Counters().meshDraws - before.meshDraws);
                run.load.dropped += device->Counters().suppressed - before.suppressed;
            }
        }
        run.cpuAll = (CpuMilliseconds(RUSAGE_SELF) - cpuAll) / (kFrames - 1);
        run.cpuCaller = (CpuMilliseconds(RUSAGE_THREAD) - cpuCaller) / (kFrames - 1);
        return true;
    };
    Run view, bare, alone;
    if (!play(drawn, true, view) || (!picture.empty() && !SavePicture(picture)) || !play({}, true, bare) ||
        !play(drawn, false, alone))
        return false;
    const std::vector<double>& frames = view.frames;
    const FrameLoad& load = view.load;
    SetCameraTarget(nullptr);
    // The same view again, counting the samples that pass the depth test: how many times each
    // pixel is drawn, in all and by the world alone.
    double layers[2] = {};
    for (int pass = 0; pass < 2 && device; ++pass) {
        device->BeginSampleCount();
        const bool ok = tools::DrawFrame(stadium.World(), pass == 0 ? drawn : std::vector<RenderObject*>());
        layers[pass] = double(device->EndSampleCount()) / (kWidth * kHeight);
        if (!ok)
            return Fail("a frame was not drawn");
    }

    const std::vector<double> later(frames.begin() + 1, frames.end());
    std::printf("match_view_bench: %d frames of level01 at %d x %d, %zu players, the referee and the ball:\n"
                "  median %.2f ms, p95 %.2f ms, worst %.2f ms (after the first, which took %.1f ms)\n",
                kFrames, kWidth, kHeight, std::size(kTeam), Quantile(frames, 0.5), Quantile(frames, 0.95),
                *std::max_element(later.begin(), later.end()), frames.front());
    std::printf("  start-up to the end of the first frame: %.0f ms; %d shader variants\n", startUp,
                device ? device->ShaderVariantCount() : 0);
    std::printf("  per frame: %.0f triangles, %.0f draws, %.0f render state changes, %.0f texture stage "
                "changes, %.0f repeated calls dropped\n",
                load.triangles / kFrames, load.draws / kFrames, load.states / kFrames, load.textures / kFrames,
                load.dropped / kFrames);
    std::printf("  CPU per frame after the first: %.2f ms in all threads, %.2f ms on the calling thread\n", view.cpuAll,
                view.cpuCaller);
    std::printf("  without the players and the ball: median %.2f ms, CPU %.2f ms (%.2f ms calling), %.0f triangles "
                "and %.0f draws fewer\n",
                Quantile(bare.frames, 0.5), bare.cpuAll, bare.cpuCaller, (load.triangles - bare.load.triangles) / kFrames,
                (load.draws - bare.load.draws) / kFrames);
    std::printf("  the players and the ball alone: median %.2f ms, CPU %.2f ms (%.2f ms calling)\n",
                Quantile(alone.frames, 0.5), alone.cpuAll, alone.cpuCaller);
    std::printf("  each pixel drawn %.2f times on average (%.2f by the world alone)\n", layers[0], layers[1]);
    // What the players cost with none of them in sight: the camera turned away from the ball.
    SimpleCameraControl away;
    const Vector3 eye = cameras.Standard().GetPosition();
    away.SetPosition(eye);
    away.SetRotation(Math::LookAlong(eye - ball.GetPosition()));
    away.ApplyToFrame(RwGraphics::Instance()->GetCamera()->GetFrame());
    std::vector<double> hidden;
    Camera* camera = RwGraphics::Instance()->GetCamera();
    for (int frame = 0; frame < kFrames; ++frame) {
        const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        if (!camera->Clear(black, rwCameraClearImage | rwCameraClearZ) || !camera->BeginUpdate())
            return Fail("a frame was not drawn");
        const auto start = std::chrono::steady_clock::now();
        for (RenderObject* object : drawn)
            object->Render();
        hidden.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
        camera->EndUpdate();
        RwGraphics::Instance()->Render();
    }
    std::printf("  players and ball behind the camera: median %.3f ms to draw\n", Quantile(hidden, 0.5));
    // Showing the last frame again: the copy into the window and the swap alone.
    std::vector<double> shows;
    const double cpuBeforeShows = CpuMilliseconds(RUSAGE_SELF);
    for (int frame = 0; frame < kFrames; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        if (!RwGraphics::Instance()->Render())
            return Fail("a frame was not shown");
        shows.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
    }
    std::printf("  showing a frame (copy into the window and swap): median %.3f ms, CPU %.3f ms\n",
                Quantile(shows, 0.5), (CpuMilliseconds(RUSAGE_SELF) - cpuBeforeShows) / kFrames);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    g_started = std::chrono::steady_clock::now();
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: match_view_bench <game folder> [picture.png]\n");
        return 2;
    }
    ConsoleSink console(true);
    Debug::Instance()->SetSink(&console);
    const std::string picture = argc == 3 ? argv[2] : "";
    const int result = tools::RunInStadium("match_view_bench", argv[1], kWidth, kHeight, [&] { return Bench(picture); });
    Debug::Instance()->SetSink(nullptr);
    return result;
}
