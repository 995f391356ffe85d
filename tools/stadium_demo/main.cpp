// The stadiums as a match shows them, through the scene classes on the default data:
//     stadium_demo <game folder> <out folder>   pictures (PNG) of every stadium from the
//                                               broadcast camera following a runner, towards
//                                               the sun with its flares, the sun behind a
//                                               stand, and a panda half-way from run to shoot
//     stadium_demo --bench <game folder>        300 frames of the first stadium with eleven
//                                               cross-fading characters at 1280 x 720
// The game folder holds data\Turfbolt.dat, or the data unpacked (the stage folder). Each
// picture is checked: a scene in it, and flares exactly where the sun can be seen.
#include "engine/core/RwCore.h"
#include "engine/plugins/RpPlugins.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "framework/MathUtil.h"
#include "scene/AnimatedClump.h"
#include "scene/Atmosphere.h"
#include "scene/Camera.h"
#include "scene/EngineUtil.h"
#include "scene/Light.h"
#include "scene/RwGraphics.h"
#include "scene/RwGraphicsSettings.h"
#include "scene/pitch/CameraControl.h"
#include "scene/pitch/TBWorld.h"
#include "simulation/TrackedObject.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenSession.h"


#include <algorithm>
#include <chrono>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

const char* const kWorldFile = "<LP>\\Objects\\Level.bsp";
const char* const kPanda = "<PP>Characters\\Panda\\Panda.DFF";
const char* const kPandaTextures = "<PP>Characters\\Panda\\<TP>";
const char* const kAnimations = "<PP>Characters\\Animations\\";
const char* const kLevels[] = {"level01", "level02", "level03", "level04"};
const char* const kDressing[] = {"short_benches", "short_benches_shadow", "Crowd", "spec_mods_crowd",
                                 "flags", "flags_01", "flags_02", "flags_03"};
constexpr int kSheetWidth = 800, kSheetHeight = 600;
constexpr int kBenchWidth = 1280, kBenchHeight = 720;
constexpr int kBenchFrames = 300;
constexpr int kBenchCharacters = 11;
constexpr float kFrameTime = 1.0f / 30.0f;
constexpr float kBlendTime = 0.25f;
constexpr size_t kMinimumColours = 64;
// How far beside the sun the sun pictures look (a fraction of the distance to it).
constexpr float kSunAside = 0.22f;
constexpr float kLowEye = 0.6f;
constexpr float kBehindGoal = 53.0f;

class ConsoleSink : public DebugSink {
public:
    void OnLog(const char* text) override
    {
        if (std::strncmp(text, "***", 3) == 0)
            std::fputs(text, stderr);
    }
};

bool Fail(const std::string& what)
{
    std::fprintf(stderr, "stadium_demo: %s\n", what.c_str());
    return false;
}

bool MountData(const std::string& folder)
{
    return tools::MountGameData(folder) && FileSystem::Instance()->FileExists("<PP>cameras.txt");
}

// A character that plays its animations and runs where it is told; the cameras follow it.
class Runner : public AnimatedClump, public TrackedObject {
public:
    const Vector3& GetPosition() const override { return m_position; }
    const Quaternion& GetRotation() const override { return m_rotation; }

    bool Load()
    {
        FileSystem* files = FileSystem::Instance();
        const std::string textures = files->ExpandAliases(kPandaTextures);
        const std::string folders = textures + "Var00\\;" + textures + "Common\\;" + textures + "Shirt00\\";
        if (!LoadClump(files->ExpandAliases(kPanda), folders, true) || !GetHierarchy())
            return Fail("no panda " + files->ExpandAliases(kPanda));
        for (const char* name : {"run", "shoot"})
            if (!LoadAnimation(files->ExpandAliases(std::string(kAnimations) + name + ".anm")))
                return Fail(std::string("no animation ") + name);
        SetAnimationControl(new AnimationControlLooping(1.0f));
        SetAnimation(0, 0.0f);
        return true;
    }
};

// One stadium with everything a match puts into it before the players.
class Stadium {
public:
    Stadium()
    {
        m_display = CastManager::Instance()->CreateCast("display");
        m_display->AddMember(&RwGraphicsSettings::Global(), "Engine", false);
        m_ambient.Create();
        m_sun.Create();
        m_objects.Create();
        m_display->AddMember(&m_ambient, "Ambient Light", false);
        m_display->AddMember(&m_sun, "Directional Light", false);
        m_display->AddMember(&m_objects, "Directional Light Objects", false);
        for (Light* light : Lights())
            m_world.AddLight(light);
    }
    ~Stadium()
    {
        for (auto& clump : m_dressing)
            m_world.RemoveRenderObject(clump.get());
        for (Light* light : Lights())
            m_world.RemoveLight(light);
        m_world.Unload();
        for (Object* object : {static_cast<Object*>(&RwGraphicsSettings::Global()), static_cast<Object*>(&m_ambient),
                               static_cast<Object*>(&m_sun), static_cast<Object*>(&m_objects)})
            m_display->RemoveMember(object);
    }

    bool Load(const char* level)
    {
        FileSystem* files = FileSystem::Instance();
        files->RemoveAlias("<LP>");
        files->RemoveAlias("<SP>");
        files->AddAlias("<LP>", (std::string("<PP>") + level + "\\").c_str());
        files->AddAlias("<SP>", (std::string("<PP>") + level + "\\settings\\").c_str());
        for (auto& clump : m_dressing)
            m_world.RemoveRenderObject(clump.get());
        m_dressing.clear();
        if (!m_world.Load(kWorldFile, "<LP><TP>"))
            return Fail(std::string("cannot load the stadium of ") + level);
        if (!LoadSettings(m_display, "<SP>display\\display.txt"))
            return Fail(std::string("cannot read the display settings of ") + level);
        for (const char* name : kDressing) {
            auto clump = std::make_unique<Clump>();
            clump->SetName(name);
            clump->LoadClump(files->ExpandAliases(std::string("<LP>Objects\\") + name + ".dff"),
                             files->ExpandAliases("<LP><TP>"), true);
            clump->Update(0.0f);
            m_world.AddRenderObject(clump.get());
            m_dressing.push_back(std::move(clump));
        }
        m_world.ShowShortBenches(true);
        m_world.ShowSpectators(true);
        return true;
    }

    TBWorld& World() { return m_world; }

private:
    std::vector<Light*> Lights() { return {&m_ambient, &m_sun, &m_objects}; }

    Cast* m_display;
    AmbientLight m_ambient;
    DirectionalLight m_sun;
    DirectionalLight m_objects;
    TBWorld m_world;
    std::vector<std::unique_ptr<Clump>> m_dressing;
};

// The 27 controls by name, read from the cameras' settings file.
class Cameras {
public:
    bool Load()
    {
        Cast* cast = CastManager::Instance()->CreateCast("cameras");
        for (const CameraControlEntry& entry : GetCameraControlTable()) {
            m_controls.emplace_back(FactoryRegistry::CameraControls().Create(entry.className));
            cast->AddMember(m_controls.back().get(), (std::string("Cameras|") + entry.name).c_str(), false);
        }
        if (!LoadSettings(cast, "<PP>cameras.txt"))
            return Fail("cannot read the camera controls");
        CastMember* standard = cast->FindByName("Cameras|StandardMedium");
        m_standard = standard ? dynamic_cast<CameraControl*>(standard->object) : nullptr;
        return m_standard != nullptr;
    }
    CameraControl& Standard() { return *m_standard; }

private:
    std::vector<std::unique_ptr<Object>> m_controls;
    CameraControl* m_standard = nullptr;
};

bool DrawFrame(TBWorld& world, const std::vector<RenderObject*>& extra = {})
{
    Camera* camera = RwGraphics::Instance()->GetCamera();
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    if (!camera || !camera->Clear(black, rwCameraClearImage | rwCameraClearZ) || !camera->BeginUpdate())
        return Fail("the camera does not begin its update");
    world.Render();
    for (RenderObject* object : extra)
        object->Render();
    camera->EndUpdate();
    return RwGraphics::Instance()->Render();
}

// Writes the picture and checks that it shows a scene, not a flat clear.
bool SavePicture(const std::string& path)
{
    RwImage* image = EngineUtil::GrabCameraRaster(RwGraphics::Instance()->GetCamera()->GetRwCamera());
    if (!image)
        return Fail("cannot read back the camera");
    std::unordered_set<uint32_t> colours;
    const RwInt32 pixels = image->width * image->height;
    for (RwInt32 i = 0; i < pixels && colours.size() < kMinimumColours; ++i) {
        const RwUInt8* p = image->pixels + size_t(i) * 4;
        colours.insert(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
    }
    const bool saved = RtPngImageWrite(image, path.c_str());
    RwImageDestroy(image);
    if (!saved)
        return Fail("cannot write " + path);
    if (colours.size() < kMinimumColours)
        return Fail(path + " shows next to nothing");
    std::printf("stadium_demo: wrote %s\n", path.c_str());
    return true;
}

// A fixed camera at the eye looking at the point.
void LookAt(const Vector3& eye, const Vector3& target)
{
    SimpleCameraControl control;
    control.SetPosition(eye);
    control.SetRotation(Math::LookAlong(target - eye));
    control.ApplyToFrame(RwGraphics::Instance()->GetCamera()->GetFrame());
}

// The broadcast camera following the runner across the pitch for two seconds.
bool ShootStandard(Stadium& stadium, Runner& runner, CameraControl& standard, const std::string& out)
{
    SetCameraTarget(&runner);
    runner.SetPosition({-12, 0, 4});
    standard.Activate();
    for (int frame = 0; frame < 60; ++frame) {
        runner.SetPosition(runner.GetPosition() + Vector3{0.25f, 0, 0.05f});
        runner.Update(kFrameTime);
        standard.Update(kFrameTime);
        standard.ApplyToFrame(RwGraphics::Instance()->GetCamera()->GetFrame());
        stadium.World().Update(kFrameTime);
    }
    const bool ok = DrawFrame(stadium.World(), {&runner}) && SavePicture(out);
    SetCameraTarget(nullptr);
    return ok;
}

// Looks past the sun, so that the flares string out from it across the picture.
bool ShootSun(Stadium& stadium, const Vector3& eye, bool wantFlares, const std::string& out)
{
    Lensflares* flares = stadium.World().GetLensflares();
    Vector3 toSun = flares->GetPosition() - eye;
    toSun.Normalize();
    // A hidden sun is looked at straight: the stand in front of it fills the middle.
    const float away = wantFlares ? kSunAside : 0.0f;
    LookAt(eye, eye + toSun + Vector3::UnitY.Cross(toSun) * away + Vector3{0, -away, 0});
    stadium.World().Update(0.0f);
    if (!DrawFrame(stadium.World()) || !SavePicture(out))
        return false;
    if ((flares->GetDrawnCount() > 0) != wantFlares)
        return Fail(out + (wantFlares ? ": no flares towards the sun" : ": flares through a stand"));
    return true;
}

// Behind the goal under the sun, the first place on the pitch's long axis from where the end
// stand hides it.
bool FindSunBehindStand(Stadium& stadium, Vector3& eye)
{
    const Vector3 sun = stadium.World().GetLensflares()->GetPosition();
    for (float x = kBehindGoal; x < kBehindGoal + 20.0f; x += 0.5f) {
        eye = Vector3{x, kLowEye, 0.0f};
        if (Raycaster::Instance()->RayTest(eye, sun) > 0.0f)
            return true;
    }
    return Fail("no place where a stand hides the sun");
}

bool ShootBlend(Stadium& stadium, Runner& runner, const std::string& out)
{
    runner.SetPosition({0, 0, 0});
    // Three-quarters towards the camera.
    runner.SetRotation(Quaternion(std::atan2(-1.6f, -3.2f) + 0.7f, Vector3::UnitY));
    runner.SetAnimation(0, 0.0f);
    runner.Update(0.3f);
    runner.SetAnimation(1, kBlendTime);
    runner.Update(kBlendTime / 2);
    if (!runner.IsBlending())
        return Fail("the panda does not blend from run to shoot");
    LookAt({-1.6f, 1.4f, -3.2f}, {0, 0.85f, 0});
    stadium.World().Update(0.0f);
    return DrawFrame(stadium.World(), {&runner}) && SavePicture(out);
}

bool MakeSheet(const std::string& outDir)
{
    Stadium stadium;
    Cameras cameras;
    Runner runner;
    if (!cameras.Load() || !runner.Load())
        return false;
    bool ok = true;
    for (const char* level : kLevels) {
        if (!stadium.Load(level))
            return false;
        const std::string prefix = outDir + "/" + level;
        ok = ShootStandard(stadium, runner, cameras.Standard(), prefix + "_standard.png") && ok;
        ok = ShootSun(stadium, {0, 2, 0}, true, prefix + "_sun.png") && ok;
        Vector3 eye;
        ok = FindSunBehindStand(stadium, eye) &&
             ShootSun(stadium, eye, false, prefix + "_sun_behind_stand.png") && ok;
    }
    ok = ShootBlend(stadium, runner, outDir + "/panda_run_to_shoot.png") && ok;
    return ok;
}

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Eleven runners on the first stadium, each switching between run and shoot every second.
bool Bench()
{
    Stadium stadium;
    Cameras cameras;
    if (!cameras.Load() || !stadium.Load(kLevels[0]))
        return false;
    std::vector<std::unique_ptr<Runner>> team;
    std::vector<RenderObject*> drawn;
    for (int i = 0; i < kBenchCharacters; ++i) {
        team.push_back(std::make_unique<Runner>());
        if (!team.back()->Load())
            return false;
        team.back()->SetPosition({-30.0f + 6.0f * float(i), 0, float(i % 3) * 8.0f - 8.0f});
        drawn.push_back(team.back().get());
    }
    SetCameraTarget(team[5].get());
    cameras.Standard().Activate();
    std::vector<double> frames, updates;
    for (int frame = 0; frame < kBenchFrames; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        for (size_t i = 0; i < team.size(); ++i) {
            Runner& runner = *team[i];
            if ((frame + int(i) * 3) % 30 == 0)
                runner.SetAnimation(1 - runner.GetCurrentAnimation(), kBlendTime);
            runner.SetPosition(runner.GetPosition() + Vector3{0.08f, 0, 0});
            runner.Update(kFrameTime);
        }
        const auto animated = std::chrono::steady_clock::now();
        cameras.Standard().Update(kFrameTime);
        cameras.Standard().ApplyToFrame(RwGraphics::Instance()->GetCamera()->GetFrame());
        stadium.World().Update(kFrameTime);
        if (!DrawFrame(stadium.World(), drawn))
            return false;
        const auto end = std::chrono::steady_clock::now();
        frames.push_back(Milliseconds(end - start));
        updates.push_back(Milliseconds(animated - start));
    }
    SetCameraTarget(nullptr);
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("stadium_demo: %d frames of level01 at %d x %d with sky, fog, flares and %d cross-fading "
                "characters: median %.2f ms, worst %.2f ms; animated clump updates median %.3f ms, worst %.3f "
                "ms per frame\n",
                kBenchFrames, kBenchWidth, kBenchHeight, kBenchCharacters, median(frames),
                *std::max_element(frames.begin(), frames.end()), median(updates),
                *std::max_element(updates.begin(), updates.end()));
    return true;
}

int Run(const std::string& folder, const std::string& outDir, bool bench)
{
    if (!MountData(folder))
        return Fail("no game data in " + folder), 1;
    const int width = bench ? kBenchWidth : kSheetWidth, height = bench ? kBenchHeight : kSheetHeight;
    tools::OffscreenSession session("stadium_demo", width, height);
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetScreenSize(width, height);
    bool ok = false;
    if (!graphics->Initialise(session.GetWindow()) || !graphics->GetPrimaryCamera())
        Fail("the rendering engine does not start");
    else
        ok = bench ? Bench() : MakeSheet(outDir);
    graphics->SetWorld(nullptr);
    graphics->SetCamera(nullptr);
    CastManager::Instance()->DeleteAll();
    graphics->Destroy();
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool bench = argc == 3 && std::string(argv[1]) == "--bench";
    if (!bench && argc != 3) {
        std::fprintf(stderr, "usage: stadium_demo <game folder> <out folder>\n"
                             "       stadium_demo --bench <game folder>\n");
        return 2;
    }
    ConsoleSink console;
    Debug::Instance()->SetSink(&console);
    std::error_code error;
    const std::string out = bench ? std::string() : std::filesystem::absolute(argv[2], error).string();
    if (!bench)
        std::filesystem::create_directories(out, error);
    const int result = error ? (Fail("bad folder"), 1) : Run(argv[bench ? 2 : 1], out, bench);
    Debug::Instance()->SetSink(nullptr);
    return result;
}
