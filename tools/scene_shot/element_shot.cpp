// The level casts on the default data: each stadium with its objects cast (dressing, flags,
// screen, boards, pond, forest, smoke) and the match display fed sample values, drawn through
// the scene classes and saved; then the same with the spectators hidden, and a light shown by
// its editor proxy:
//     scene_shot elements <game folder> <out prefix>    writes <prefix>_level01.png, ..._nocrowd.png, ...
//     scene_shot elements --bench <game folder>         frame times with and without the casts
#include "engine/core/RwCore.h"
#include "engine/world/RpWorld.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "scene/Camera.h"
#include "scene/EditorProxies.h"
#include "scene/EngineUtil.h"
#include "scene/GameElements.h"
#include "scene/HudItems.h"
#include "scene/Light.h"
#include "scene/RwGraphics.h"
#include "scene/Texture.h"
#include "text/Font.h"
#include "text/GameText.h"
#include "text/TextDisplay.h"
#include "text/TextManager.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenSession.h"
#include "tools/common/Fail.h"
#include "tools/common/Figures.h"
#include "tools/scene_shot/Level.h"
#include "tools/stadium_scene/StadiumScene.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tools::level;
using tools::Fail;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr float kStep = 1.0f / 30;
// Long enough for the smoke to rise and the screen to turn a few pages.
constexpr int kWarmUpFrames = 75;
constexpr int kBenchFrames = 300;
// The camera stands this far back along the main camera's line of sight, to see the stands
// and what lies beyond them.
constexpr float kViewDistance = 95.0f;
const char* const kSpectators[] = {"spec_mods_crowd", "Crowd", "flags", "flags_01", "flags_02", "flags_03"};

// The casts of one level, loaded the way the match loads them and emptied when it goes.
struct Casts {
    Cast* objects = nullptr;
    Cast* hud = nullptr;
    Cast* penalties = nullptr;

    bool Load()
    {
        CastManager* casts = CastManager::Instance();
        objects = casts->CreateCast("objects");
        hud = casts->CreateCast("hud");
        penalties = casts->CreateCast("penaltyhud");
        return LoadSettings(objects, "<SP>objects\\objects.txt") && LoadSettings(hud, "<PP>hud.txt") &&
               LoadSettings(penalties, "<PP>penaltyhud.txt");
    }
    ~Casts() { CastManager::Instance()->DeleteAll(); }

    void Update(float dt) const
    {
        for (int i = 0; i < objects->GetMemberCount(); ++i)
            if (auto* element = dynamic_cast<GameElement*>(objects->GetMember(i)->object))
                element->Update(dt);
    }
    void Render() const
    {
        RenderCast(*objects);
        RenderCast(*hud);
        RenderCast(*penalties);
    }
};

// Values as the match would write them halfway through a first half, with a booking and a
// shoot-out's marks shown as well.
void FeedHud(const Casts& casts)
{
    tools::FeedMatchHud(*casts.hud);
    if (auto* card = dynamic_cast<HudElement*>(CastManager::Instance()->FindObject("hud|YellowCard2")))
        card->GetItem()->SetVisible(true);
    for (const char* mark : {"PenaltyDisplay_1_scored_p1", "PenaltyDisplay_2_miss_p1", "PenaltyDisplay_3_empty_p1",
                             "PenaltyDisplay_1_scored_p2", "PenaltyDisplay_2_empty_p2", "PenaltyDisplay_3_empty_p2"})
        if (const CastMember* member = casts.penalties->FindByName(mark))
            dynamic_cast<HudElement&>(*member->object).GetItem()->SetVisible(true);
}

void ShowSpectators(const Cast& objects, bool visible)
{
    for (const char* name : kSpectators)
        for (int n = 0; const CastMember* member = objects.FindByName(name, n); ++n)
            if (auto* element = dynamic_cast<RenderObject*>(member->object))
                element->SetVisible(visible);
}

bool DrawFrame(PrimaryCamera& camera, RpWorld* world, const Casts* casts, RenderObject* extra = nullptr)
{
    const float sky[4] = {0.47f, 0.63f, 0.82f, 1.0f};
    if (!camera.Clear(sky, rwCameraClearImage | rwCameraClearZ) || !camera.BeginUpdate())
        return false;
    RpWorldRender(world);
    if (extra)
        extra->Render();
    if (casts)
        casts->Render();
    camera.EndUpdate();
    return RwGraphics::Instance()->Render();
}

bool Saved(PrimaryCamera& camera, const std::string& path)
{
    if (!SavePng(camera, path))
        return false;
    std::printf("scene_shot: wrote %s\n", path.c_str());
    return true;
}

int ShootLevel(PrimaryCamera& camera, const LevelView& level, const Casts& casts, const std::string& prefix,
               const std::string& name)
{
    FeedHud(casts);
    for (int i = 0; i < kWarmUpFrames; ++i)
        casts.Update(kStep);
    if (!DrawFrame(camera, level.World(), &casts) || !Saved(camera, prefix + "_" + name + ".png"))
        return Fail("cannot draw or write the shot of %s", name.c_str());
    ShowSpectators(*casts.objects, false);
    if (!DrawFrame(camera, level.World(), &casts) || !Saved(camera, prefix + "_" + name + "_nocrowd.png"))
        return Fail("cannot draw or write the shot of %s without spectators", name.c_str());
    ShowSpectators(*casts.objects, true);
    if (name != "level01")
        return 0;

    // A sun above the centre spot, shown by its proxy.
    DirectionalLight sun;
    if (!sun.Create())
        return Fail("cannot make a light");
    sun.SetColor(Color(1.0f, 0.8f, 0.2f), 1.0f);
    sun.SetPosition(level.Centre() + Vector3(0.0f, 12.0f, 0.0f));
    sun.SetOrientation(FacingAlong(Vector3(0.3f, -1.0f, 0.2f)));
    LightProxyObject proxy;
    proxy.Attach(&sun);
    proxy.Update(0.0f);
    if (!DrawFrame(camera, level.World(), nullptr, &proxy) || !Saved(camera, prefix + "_light_proxy.png"))
        return Fail("cannot draw or write the light proxy");
    return 0;
}

int Bench(PrimaryCamera& camera, const LevelView& level, const Casts& casts)
{
    FeedHud(casts);
    std::vector<double> bare, with;
    for (int i = 0; i < kBenchFrames; ++i) {
        Clock::time_point start = Clock::now();
        DrawFrame(camera, level.World(), nullptr);
        bare.push_back(Milliseconds(start));
        start = Clock::now();
        casts.Update(kStep);
        DrawFrame(camera, level.World(), &casts);
        with.push_back(Milliseconds(start));
    }
    std::printf("scene_shot: level01, %d x %d, %d frames, %d objects and %d HUD elements\n", kWidth, kHeight,
                kBenchFrames, casts.objects->GetMemberCount(), casts.hud->GetMemberCount());
    std::printf("  frame without the casts: median %.2f ms, worst %.2f ms\n", tools::Median(bare),
                *std::max_element(bare.begin(), bare.end()));
    std::printf("  frame with the casts:    median %.2f ms, worst %.2f ms\n", tools::Median(with),
                *std::max_element(with.begin(), with.end()));
    return 0;
}

int RunLevel(PrimaryCamera& camera, const std::string& folder, const std::string& name, const std::string& prefix,
             bool bench)
{
    if (!tools::MountGameData(folder, name) || !FileSystem::Instance()->FileExists(kConfigFile))
        return Fail("no game data (%s) in the folder", kConfigFile);
    LevelView level;
    const std::string failure = level.Open(camera, kViewDistance, 0.0f);
    if (!failure.empty())
        return Fail("%s", failure.c_str());
    Casts casts;
    if (!casts.Load())
        return Fail("cannot read the casts of %s", name.c_str());
    RwGraphics::Instance()->SetCamera(&camera);
    const int result = bench ? Bench(camera, level, casts) : ShootLevel(camera, level, casts, prefix, name);
    RwGraphics::Instance()->SetCamera(nullptr);
    return result;
}

int Run(const std::string& folder, const std::string& prefix, bool bench)
{
    tools::OffscreenSession session("scene_shot elements", kWidth, kHeight);
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetScreenSize(kWidth, kHeight);
    HudItem::SetScreenSize(kWidth, kHeight);
    GeParticleSystem::SetQualitySource([] { return static_cast<int32_t>(GeParticleSystem::kHigh); });
    int result = 1;
    std::vector<std::unique_ptr<Font>> fonts;
    if (!graphics->Initialise(session.GetWindow()) || !graphics->GetPrimaryCamera()) {
        Fail("the rendering engine does not start");
    } else if (!tools::MountGameData(folder) || !tools::LoadTexts(fonts)) {
        Fail("no fonts or texts in %s", folder.c_str());
    } else if (bench) {
        result = RunLevel(*graphics->GetPrimaryCamera(), folder, "level01", prefix, true);
    } else {
        result = 0;
        for (const char* name : {"level01", "level02"})
            result = RunLevel(*graphics->GetPrimaryCamera(), folder, name, prefix, false) || result;
    }
    // The fonts and textures go before the engine.
    tools::ForgetTexts(fonts);
    TextureManager::Instance()->Shutdown();
    graphics->Destroy();
    return result;
}

}  // namespace

int tools::level::ElementShot(int argc, char** argv)
{
    ShotRequest request;
    if (!ReadShotRequest("scene_shot elements", argc, argv, request))
        return 1;
    // Absolute: each stadium is mounted from it in turn.
    return Run(std::filesystem::absolute(request.folder).string(), request.prefix, request.bench);
}
