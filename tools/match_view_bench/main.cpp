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
#include "pitch/CameraControl.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/Fail.h"
#include "tools/common/Figures.h"
#include "tools/common/OffscreenCamera.h"
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

struct Player {
    std::unique_ptr<tools::Character> character;
    Place place;
};

bool SavePicture(const std::string& path)
{
    return tools::SaveCameraPng(RwGraphics::Instance()->GetCamera()->GetRwCamera(), path, false) ||
           tools::FailStep("cannot write %s", path.c_str());
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
    double triangles = 0, draws = 0, states = 0, textures = 0, dropped = 0, unfogged = 0;
    double cpuPerFrame = 0;  // ms of all threads, after the first frame
    double callerCpuPerFrame = 0;  // ms of the calling thread, after the first frame
};

// What a timed run draws of the view.
enum class Drawn { kAll, kWorld, kPlayers };

// Set when the program starts, for the time to the first frame.
std::chrono::steady_clock::time_point g_started;

// What the bench draws: level01, its cameras, the ball, the team and the referee.
struct View {
    tools::Stadium stadium;
    tools::Cameras cameras;
    tools::Ball ball;
    std::vector<Player> players;
    // The ball first, then the players.
    std::vector<RenderObject*> drawn;
};

bool LoadView(View& view)
{
    if (!view.cameras.Load() || !view.stadium.Load(tools::kLevels[0]) || !view.ball.Load())
        return false;
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
        view.players.push_back({std::move(character), place});
    }
    view.drawn.push_back(&view.ball);
    for (Player& player : view.players)
        view.drawn.push_back(player.character.get());
    return true;
}

// The play moved on to the given time and drawn.
bool PlayFrame(View& view, float time, Drawn drawn)
{
    const float ballX = kBallReach * std::sin(6.2831853f * time / kBallPeriod);
    view.ball.SetPosition({ballX, kBallRadius, 0});
    view.ball.Update(kFrameTime);
    for (Player& player : view.players) {
        const bool running = player.place.clip == kRun;
        // Idle and kicking players hold their ground; runners keep up with the ball.
        const float x = running ? ballX + player.place.x : player.place.x;
        player.character->SetPosition({x, 0, player.place.z});
        player.character->Update(kFrameTime);
    }
    view.cameras.Standard().Update(kFrameTime);
    view.cameras.Standard().ApplyToFrame(RwGraphics::Instance()->GetCamera()->GetFrame());
    view.stadium.World().Update(kFrameTime);
    if (drawn == Drawn::kPlayers)
        return tools::DrawFrame([&] {
            for (RenderObject* object : view.drawn)
                object->Render();
        });
    return tools::DrawFrame(view.stadium.World(), drawn == Drawn::kAll ? view.drawn : std::vector<RenderObject*>());
}

// The frames of play timed, with what they asked of the device; the last one stays on the
// camera.
bool TimePlay(View& view, GLDevice* device, std::vector<double>& frames, double& startUp, FrameLoad& load,
              Drawn drawn = Drawn::kAll)
{
    SetCameraTarget(&view.ball);
    view.cameras.Standard().Activate();
    float time = 0.0f;
    double cpuAfterFirst = 0.0, callerCpuAfterFirst = 0.0;
    for (int frame = 0; frame < kFrames; ++frame) {
        if (frame == 1) {
            cpuAfterFirst = tools::CpuMilliseconds();
            callerCpuAfterFirst = tools::CpuMilliseconds(RUSAGE_THREAD);
        }
        const auto start = std::chrono::steady_clock::now();
        const GLCounters before = device ? device->Counters() : GLCounters();
        time += kFrameTime;
        if (!PlayFrame(view, time, drawn)) {
            SetCameraTarget(nullptr);
            return tools::FailStep("a frame was not drawn");
        }
        frames.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
        if (frame == 0)
            startUp = Milliseconds(std::chrono::steady_clock::now() - g_started);
        if (const RwMetrics* metrics = RwEngineGetMetrics()) {
            load.triangles += metrics->numTriangles;
            load.states += metrics->device.numRenderStateChanges;
            load.textures += metrics->device.numTextureStageStateChanges;
        }
        if (device) {
            load.draws += (device->Counters().draws - before.draws) + (device->Counters().meshDraws - before.meshDraws);
            load.dropped += device->Counters().suppressed - before.suppressed;
            load.unfogged += device->Counters().fogLeftOut - before.fogLeftOut;
        }
    }
    load.cpuPerFrame = (tools::CpuMilliseconds() - cpuAfterFirst) / (kFrames - 1);
    load.callerCpuPerFrame = (tools::CpuMilliseconds(RUSAGE_THREAD) - callerCpuAfterFirst) / (kFrames - 1);
    SetCameraTarget(nullptr);
    return true;
}

// The same view again, counting the samples that pass the depth test: how many times each
// pixel is drawn, in all and by the world alone.
bool CountLayers(View& view, GLDevice* device, double (&layers)[2])
{
    for (int pass = 0; pass < 2 && device; ++pass) {
        device->BeginSampleCount();
        const bool ok = tools::DrawFrame(view.stadium.World(), pass == 0 ? view.drawn : std::vector<RenderObject*>());
        layers[pass] = double(device->EndSampleCount()) / (kWidth * kHeight);
        if (!ok)
            return tools::FailStep("a frame was not drawn");
    }
    return true;
}

// What the players cost with none of them in sight: the camera turned away from the ball.
bool TimeHidden(View& view, std::vector<double>& hidden)
{
    SimpleCameraControl away;
    const Vector3 eye = view.cameras.Standard().GetPosition();
    away.SetPosition(eye);
    away.SetRotation(Math::LookAlong(eye - view.ball.GetPosition()));
    away.ApplyToFrame(RwGraphics::Instance()->GetCamera()->GetFrame());
    Camera* camera = RwGraphics::Instance()->GetCamera();
    for (int frame = 0; frame < kFrames; ++frame) {
        const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        if (!camera->Clear(black, rwCameraClearImage | rwCameraClearZ) || !camera->BeginUpdate())
            return tools::FailStep("a frame was not drawn");
        const auto start = std::chrono::steady_clock::now();
        for (RenderObject* object : view.drawn)
            object->Render();
        hidden.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
        camera->EndUpdate();
        RwGraphics::Instance()->Render();
    }
    return true;
}

// Showing the last frame again: the copy into the window and the swap alone.
bool TimeShows(std::vector<double>& shows)
{
    for (int frame = 0; frame < kFrames; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        if (!RwGraphics::Instance()->Render())
            return tools::FailStep("a frame was not shown");
        shows.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
    }
    return true;
}

void PrintPlay(const std::vector<double>& frames, double startUp, const FrameLoad& load, GLDevice* device,
               const double (&layers)[2])
{
    const std::vector<double> later(frames.begin() + 1, frames.end());
    std::printf("match_view_bench: %d frames of level01 at %d x %d, %zu players, the referee and the ball:\n"
                "  median %.2f ms, p95 %.2f ms, worst %.2f ms (after the first, which took %.1f ms)\n",
                kFrames, kWidth, kHeight, std::size(kTeam), Quantile(frames, 0.5), Quantile(frames, 0.95),
                *std::max_element(later.begin(), later.end()), frames.front());
    std::printf("  CPU time per frame after the first, all threads: %.2f ms, calling thread: %.2f ms\n",
                load.cpuPerFrame, load.callerCpuPerFrame);
    std::printf("  start-up to the end of the first frame: %.0f ms; %d shader variants\n", startUp,
                device ? device->ShaderVariantCount() : 0);
    std::printf("  per frame: %.0f triangles, %.0f draws (%.0f nearer than the fog, drawn without it), %.0f render "
                "state changes, %.0f texture stage changes, %.0f repeated calls dropped\n",
                load.triangles / kFrames, load.draws / kFrames, load.unfogged / kFrames, load.states / kFrames,
                load.textures / kFrames, load.dropped / kFrames);
    std::printf("  each pixel drawn %.2f times on average (%.2f by the world alone)\n", layers[0], layers[1]);
}

bool Bench(const std::string& picture)
{
    View view;
    if (!LoadView(view))
        return false;
    GLDevice* device = dynamic_cast<GLDevice*>(RwDeviceGetCurrent());
    std::vector<double> frames;
    double startUp = 0.0;
    FrameLoad load;
    if (!TimePlay(view, device, frames, startUp, load))
        return false;
    if (!picture.empty() && !SavePicture(picture))
        return false;
    double layers[2] = {};
    if (!CountLayers(view, device, layers))
        return false;
    PrintPlay(frames, startUp, load, device, layers);
    // The same play without the players and the ball, and with them alone: what they cost.
    FrameLoad world, players;
    std::vector<double> worldFrames, playerFrames;
    double unused = 0.0;
    if (!TimePlay(view, device, worldFrames, unused, world, Drawn::kWorld) ||
        !TimePlay(view, device, playerFrames, unused, players, Drawn::kPlayers))
        return false;
    std::printf("  without the players and the ball: median %.2f ms, CPU %.2f ms (%.2f ms calling), %.0f triangles "
                "and %.0f draws fewer\n",
                Quantile(worldFrames, 0.5), world.cpuPerFrame, world.callerCpuPerFrame,
                (load.triangles - world.triangles) / kFrames, (load.draws - world.draws) / kFrames);
    std::printf("  the players and the ball alone: median %.2f ms, CPU %.2f ms (%.2f ms calling)\n",
                Quantile(playerFrames, 0.5), players.cpuPerFrame, players.callerCpuPerFrame);
    std::vector<double> hidden;
    if (!TimeHidden(view, hidden))
        return false;
    std::printf("  players and ball behind the camera: median %.3f ms to draw\n", Quantile(hidden, 0.5));
    std::vector<double> shows;
    const double cpuBeforeShows = tools::CpuMilliseconds();
    if (!TimeShows(shows))
        return false;
    std::printf("  showing a frame (copy into the window and swap): median %.3f ms, CPU %.3f ms\n",
                Quantile(shows, 0.5), (tools::CpuMilliseconds() - cpuBeforeShows) / kFrames);
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
