// The view a player has during a match, timed on the default data:
//     match_view_bench <game folder> [picture.png] [--frames N] [--quality 0-2]
// level01 with its objects as a match loads them (dressing, screen, boards, pond, forest, mascot
// and the chimney's smoke), its sky, fog and flares, eleven players running, kicking and
// standing at different phases, the referee and the ball, each with its shadow, dust where the
// players run, and the display of a half in play, seen by the broadcast camera that follows
// the ball, at 1280 x 720 and the default quality, with the textures it picks. Prints the
// median, 95th percentile and worst of 300 frames (the play's update, the drawing and the
// showing) and what the engine sent to the device per frame, then the same for the play without
// the shadows, without the particles and without the players and the ball (the four take turns
// in short blocks along one play, so that the machine's load drifting shifts them alike), and
// what drawing the players costs with the camera turned away from them. The last frame of the
// match view goes to the picture, for comparing a change that must not alter what is drawn.
#include "engine/core/RwDevice.h"
#include "engine/core/RwEngine.h"
#include "engine/gl/GLDevice.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/MainProgram.h"
#include "framework/MathUtil.h"
#include "framework/Random.h"
#include "pitch/CameraControl.h"
#include "scene/Camera.h"
#include "scene/GameElements.h"
#include "scene/ParticleSystem.h"
#include "scene/ProjectedShadow.h"
#include "scene/RwGraphics.h"
#include "settings/GameParameters.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/Fail.h"
#include "tools/common/Figures.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/stadium_scene/StadiumScene.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kDefaultFrames = 300;
// Frames in each timed run; at least 2, as the first is timed apart.
int g_frames = kDefaultFrames;
// The "Quality" option to draw at; negative keeps the game's default.
int g_quality = -1;
constexpr float kFrameTime = 1.0f / 30.0f;
constexpr float kBallRadius = 0.11f;
// The ball runs up and down the pitch through the centre circle, the play following it.
constexpr float kBallReach = 15.0f;
constexpr float kBallPeriod = 8.0f;
const char* const kPlayerRaces[] = {"Lizard", "Panda", "Primate", "Rhino"};
const std::vector<std::string> kClips = {"run", "shoot", "stand"};
enum Clip { kRun, kKick, kIdle };
constexpr int kRefereeCard = 2;
// As the game's players and ball cast theirs: a texture of this size, the players framed by a
// sphere of a standing player's height about their feet, the ball by its own.
constexpr int32_t kShadowSize = 128;
constexpr float kPlayerShadowRadius = 1.8f;
// The ball's shadow fades from its ground alpha to its high alpha over this height.
constexpr float kBallShadowFade = 6.0f, kBallShadowHigh = 0.2f, kBallShadowGround = 0.5f;
// Dust from the feet as the game raises it: a share of the speed, kept in 64ths.
constexpr float kDustPerSpeed = 0.05f, kDustSteps = 64.0f;
const char* const kDust = "ground_particles";

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

// What a timed way of drawing leaves out of the match frame.
enum Left : unsigned { kNothing = 0, kShadows = 1, kParticles = 2, kPlayers = 4 };
constexpr unsigned kLeftOut[] = {kNothing, kShadows, kParticles, kPlayers};
const char* const kLeftNames[] = {"nothing", "the shadows", "the particles", "the players and the ball"};

// The game's "Quality" as the particle systems read it; below the lowest, none runs.
int32_t g_particleQuality = GeParticleSystem::kMedium;

struct Player {
    std::unique_ptr<tools::Character> character;
    Place place;
    std::unique_ptr<ProjectedShadow> shadow;
    float dust = 0.0f;  // particles owed, carried to the next frame
};

bool SavePicture(const std::string& path)
{
    return tools::SaveCameraPng(RwGraphics::Instance()->GetCamera()->GetRwCamera(), path) ||
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

// Set when the program starts, for the time to the first frame.
std::chrono::steady_clock::time_point g_started;

// What the bench draws: level01 with its objects, its cameras, the ball, the team, the referee
// and the match display.
struct View {
    tools::Stadium stadium;
    tools::Cameras cameras;
    tools::MatchHud hud;
    tools::Ball ball;
    std::unique_ptr<ProjectedShadow> ballShadow;
    std::vector<Player> players;
    ParticleSystem* dust = nullptr;
};

std::unique_ptr<ProjectedShadow> MakeShadow()
{
    auto shadow = std::make_unique<ProjectedShadow>();
    return shadow->CreateInLevelLight(kShadowSize) ? std::move(shadow) : nullptr;
}

bool LoadView(View& view)
{
    if (!view.cameras.Load() || !view.stadium.Load(tools::kLevels[0], tools::Stadium::Dressing::kLevelObjects) ||
        !view.ball.Load() || !view.hud.Load(kWidth, kHeight))
        return false;
    view.dust = GeParticleSystem::FindIn(view.stadium.Objects(), kDust);
    view.ballShadow = MakeShadow();
    if (!view.dust || !view.ballShadow)
        return tools::FailStep("no %s or no shadow", kDust);
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
        view.players.push_back({std::move(character), place, MakeShadow()});
        if (!view.players.back().shadow)
            return tools::FailStep("no shadow");
    }
    return true;
}

// Dust from a runner's feet for the distance it ran this frame, at the game's rate.
void RaiseDust(ParticleSystem& dust, Player& player, float distance)
{
    const float ground = std::floor(distance / kFrameTime * kDustPerSpeed * kDustSteps) / kDustSteps;
    player.dust += ground * dust.GetEmitterSpeed() * kFrameTime;
    for (; player.dust > 0.0f; player.dust -= 1.0f)
        if (Particle* particle = dust.Emit())
            particle->SetPosition(player.character->GetPosition());
}

void CastShadows(View& view)
{
    for (Player& player : view.players)
        player.shadow->SetCaster(player.character->GetRwClump(), player.character->GetPosition(),
                                 kPlayerShadowRadius);
    const float height = std::clamp(1.0f - view.ball.GetPosition().y / kBallShadowFade, 0.0f, 1.0f);
    view.ballShadow->SetAlpha(height * (kBallShadowGround - kBallShadowHigh) + kBallShadowHigh);
    view.ballShadow->SetCaster(view.ball.GetRwClump(), view.ball.GetPosition(), kBallRadius);
}

// The play moved on to the given time, as the game updates it.
void Play(View& view, float time, unsigned left)
{
    // Before the shadows are cast, which read it too.
    g_particleQuality = left & kParticles ? GeParticleSystem::kLow - 1 : GameParameters::Instance()->quality;
    const float ballX = kBallReach * std::sin(6.2831853f * time / kBallPeriod);
    view.ball.SetPosition({ballX, kBallRadius, 0});
    view.ball.Update(kFrameTime);
    // As the game moves its camera before the play, so that the shadows are cast for the view
    // they are seen in.
    view.cameras.Standard().Update(kFrameTime);
    view.cameras.Standard().ApplyToFrame(RwGraphics::Instance()->GetCamera()->GetFrame());
    for (Player& player : view.players) {
        const bool running = player.place.clip == kRun;
        // Idle and kicking players hold their ground; runners keep up with the ball.
        const float x = running ? ballX + player.place.x : player.place.x;
        const float ran = std::fabs(x - player.character->GetPosition().x);
        player.character->SetPosition({x, 0, player.place.z});
        player.character->Update(kFrameTime);
        if (!(left & (kParticles | kPlayers)))
            RaiseDust(*view.dust, player, ran);
    }
    if (!(left & (kShadows | kPlayers)))
        CastShadows(view);
    view.stadium.World().Update(kFrameTime);
}

// The match as the game draws it: the stadium, each player and the ball over its shadow, the
// display.
void Draw(View& view, unsigned left)
{
    view.stadium.World().Render();
    if (!(left & kPlayers)) {
        const bool shadows = !(left & kShadows);
        for (Player& player : view.players) {
            if (shadows)
                player.shadow->Render();
            player.character->Render();
        }
        if (shadows)
            view.ballShadow->Render();
        view.ball.Render();
    }
    view.hud.Render();
}

// What one way of drawing the match (the whole frame, or one part left out) took over the frames
// it drew, with what they asked of the device.
struct Timed {
    unsigned left = kNothing;
    std::vector<double> frames;
    FrameLoad load;
    tools::ProcessorTime processor;  // over the frames after the first of the run
};

// Frames drawn one way before the next way takes over. Short, so that the load of the machine
// drifting during a run lands on every way alike.
constexpr int kBlockFrames = 10;

// One frame of play, timed, with what it asked of the device.
bool PlayFrame(View& view, GLDevice* device, float time, Timed& timed)
{
    const auto start = std::chrono::steady_clock::now();
    const GLCounters before = device ? device->Counters() : GLCounters();
    Play(view, time, timed.left);
    if (!tools::DrawFrame([&] { Draw(view, timed.left); }))
        return tools::FailStep("a frame was not drawn");
    timed.frames.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
    FrameLoad& load = timed.load;
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
    return true;
}

// g_frames frames of play for each way of drawing, the ways taking turns in blocks along one
// play; the first frame and the last block draw the whole match, so its last frame stays on the
// camera.
bool TimePlay(View& view, GLDevice* device, std::vector<Timed>& ways, double& startUp)
{
    SetCameraTarget(&view.ball);
    view.cameras.Standard().Activate();
    Random::Seed(7);
    view.dust->Reset();
    float time = kFrameTime;
    Timed& whole = ways.front();
    if (!PlayFrame(view, device, time, whole)) {
        SetCameraTarget(nullptr);
        return false;
    }
    startUp = Milliseconds(std::chrono::steady_clock::now() - g_started);
    // The whole match's turn comes last in each round.
    std::vector<Timed*> turns;
    for (size_t i = 1; i <= ways.size(); ++i)
        turns.push_back(&ways[i % ways.size()]);
    for (bool more = true; more;) {
        more = false;
        for (Timed* way : turns) {
            const int block = std::min<int>(kBlockFrames, g_frames - int(way->frames.size()));
            way->processor.Start();
            for (int frame = 0; frame < block; ++frame) {
                time += kFrameTime;
                if (!PlayFrame(view, device, time, *way)) {
                    SetCameraTarget(nullptr);
                    return false;
                }
            }
            way->processor.Stop();
            more = more || block > 0;
        }
    }
    for (Timed& way : ways) {
        // The first frame of the run is timed apart.
        const int counted = std::max<int>(1, int(way.frames.size()) - (&way == &whole ? 1 : 0));
        way.load.cpuPerFrame = way.processor.all / counted;
        way.load.callerCpuPerFrame = way.processor.calling / counted;
    }
    SetCameraTarget(nullptr);
    return true;
}

// The same view again, counting the samples that pass the depth test: how many times each
// pixel is drawn, in all and by the world alone.
bool CountLayers(View& view, GLDevice* device, double (&layers)[2])
{
    for (int pass = 0; pass < 2 && device; ++pass) {
        device->BeginSampleCount();
        const bool ok = tools::DrawFrame([&] { Draw(view, pass == 0 ? kNothing : kPlayers); });
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
    for (int frame = 0; frame < g_frames; ++frame) {
        const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        if (!camera->Clear(black, rwCameraClearImage | rwCameraClearZ) || !camera->BeginUpdate())
            return tools::FailStep("a frame was not drawn");
        const auto start = std::chrono::steady_clock::now();
        for (Player& player : view.players)
            player.character->Render();
        view.ball.Render();
        hidden.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
        camera->EndUpdate();
        RwGraphics::Instance()->Render();
    }
    return true;
}

// Showing the last frame again: the copy into the window and the swap alone.
bool TimeShows(std::vector<double>& shows)
{
    for (int frame = 0; frame < g_frames; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        if (!RwGraphics::Instance()->Render())
            return tools::FailStep("a frame was not shown");
        shows.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
    }
    return true;
}

void PrintPlay(const std::vector<double>& frames, double startUp, const FrameLoad& load, GLDevice* device,
               const double (&layers)[2], int particles)
{
    const std::vector<double> later(frames.begin() + 1, frames.end());
    std::printf("match_view_bench: %d frames of level01 at %d x %d, %zu players, the referee and the ball with "
                "their shadows, %d particles at the end:\n"
                "  median %.2f ms, p95 %.2f ms, worst %.2f ms (after the first, which took %.1f ms)\n",
                g_frames, kWidth, kHeight, std::size(kTeam), particles, Quantile(frames, 0.5), Quantile(frames, 0.95),
                *std::max_element(later.begin(), later.end()), frames.front());
    std::printf("  CPU time per frame after the first, all threads: %.2f ms, calling thread: %.2f ms\n",
                load.cpuPerFrame, load.callerCpuPerFrame);
    std::printf("  start-up to the end of the first frame: %.0f ms; %d shader variants; quality %d, textures from "
                "%s\n",
                startUp, device ? device->ShaderVariantCount() : 0, GameParameters::Instance()->quality,
                FileSystem::Instance()->GetAlias("<TP>").c_str());
    std::printf("  per frame: %.0f triangles, %.0f draws (%.0f nearer than the fog, drawn without it), %.0f render "
                "state changes, %.0f texture stage changes, %.0f repeated calls dropped\n",
                load.triangles / g_frames, load.draws / g_frames, load.unfogged / g_frames, load.states / g_frames,
                load.textures / g_frames, load.dropped / g_frames);
    std::printf("  each pixel drawn %.2f times on average (%.2f without the players and the ball)\n", layers[0],
                layers[1]);
}

// The particles live in the stadium's systems at the end of the last run.
int LiveParticles(View& view)
{
    int live = 0;
    const Cast& objects = *view.stadium.Objects();
    for (int i = 0; i < objects.GetMemberCount(); ++i)
        if (auto* element = dynamic_cast<GeParticleSystem*>(objects.GetMember(i)->object))
            live += element->GetParticleSystem()->GetLiveCount();
    return live;
}

// What the match frame costs without each part: what each part costs.
void PrintWithout(const std::vector<Timed>& ways)
{
    const FrameLoad& all = ways.front().load;
    for (size_t i = 1; i < ways.size(); ++i) {
        const Timed& way = ways[i];
        std::printf("  without %s: median %.2f ms, CPU %.2f ms (%.2f ms calling), %.0f triangles and %.0f draws "
                    "fewer\n",
                    kLeftNames[i], Quantile(way.frames, 0.5), way.load.cpuPerFrame, way.load.callerCpuPerFrame,
                    (all.triangles - way.load.triangles) / g_frames, (all.draws - way.load.draws) / g_frames);
    }
}

// As the game starts: the fonts are read under the start-up configuration's set, then the
// quality picks the set everything else is read from.
bool LoadAsTheGame(View& view)
{
    if (g_quality >= 0)
        GameParameters::Instance()->quality = g_quality;
    if (!view.hud.LoadFonts())
        return false;
    MainProgram::Instance()->SetTextureSetPath(GameParameters::TextureSetFor(GameParameters::Instance()->quality));
    return LoadView(view);
}

bool Bench(const std::string& picture)
{
    GeParticleSystem::SetQualitySource([] { return g_particleQuality; });
    // As the game casts them.
    ProjectedShadow::SetCullOutsideView(true);
    View view;
    if (!LoadAsTheGame(view))
        return false;
    GLDevice* device = dynamic_cast<GLDevice*>(RwDeviceGetCurrent());
    std::vector<Timed> ways;
    for (const unsigned left : kLeftOut)
        ways.emplace_back().left = left;
    double startUp = 0.0;
    if (!TimePlay(view, device, ways, startUp))
        return false;
    const int particles = LiveParticles(view);
    if (!picture.empty() && !SavePicture(picture))
        return false;
    double layers[2] = {};
    if (!CountLayers(view, device, layers))
        return false;
    PrintPlay(ways.front().frames, startUp, ways.front().load, device, layers, particles);
    PrintWithout(ways);
    std::vector<double> hidden;
    if (!TimeHidden(view, hidden))
        return false;
    std::printf("  players and ball behind the camera: median %.3f ms to draw\n", Quantile(hidden, 0.5));
    std::vector<double> shows;
    const double cpuBeforeShows = tools::CpuMilliseconds();
    if (!TimeShows(shows))
        return false;
    std::printf("  showing a frame (copy into the window and swap): median %.3f ms, CPU %.3f ms\n",
                Quantile(shows, 0.5), (tools::CpuMilliseconds() - cpuBeforeShows) / g_frames);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    g_started = std::chrono::steady_clock::now();
    std::string picture;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc)
            g_frames = std::max(2, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--quality") == 0 && i + 1 < argc)
            g_quality = std::clamp(std::atoi(argv[++i]), 0, 2);
        else if (picture.empty())
            picture = argv[i];
        else
            argc = 0;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: match_view_bench <game folder> [picture.png] [--frames N] [--quality 0-2]\n");
        return 2;
    }
    ConsoleSink console(true);
    Debug::Instance()->SetSink(&console);
    const int result = tools::RunInStadium("match_view_bench", argv[1], kWidth, kHeight, [&] { return Bench(picture); });
    Debug::Instance()->SetSink(nullptr);
    return result;
}
