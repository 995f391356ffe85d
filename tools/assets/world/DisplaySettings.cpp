// Each level's display settings (engine clip values, fog, sky dome, lens flares and the three
// lights in its colours) and the project's camera controls, written through their own tables.
#include "engine/bridge/EngineBridge.h"
#include "engine/core/RtFSManager.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "framework/MathUtil.h"
#include "pitch/CameraControl.h"
#include "scene/Atmosphere.h"
#include "scene/Light.h"
#include "scene/RwGraphicsSettings.h"
#include "scene/World.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/common/Sheet.h"
#include "tools/assets/world/Levels.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace assets::world {

namespace {

constexpr float kFogStart = 140.0f;
constexpr float kFarClip = 520.0f;

Color ToColor(Rgba c, float scale = 1.0f)
{
    return Color(c.r / 255.0f * scale, c.g / 255.0f * scale, c.b / 255.0f * scale, 1.0f);
}

// Five flares along the line from the sun through the centre and beyond, over the sprites.
void AddFlares(Lensflares& flares)
{
    struct Spec {
        int type;
        float distance, size;
        Rgba colour;
    };
    const Spec specs[] = {{0, 0.0f, 160, {255, 250, 235, 210}}, {1, 0.5f, 96, {200, 225, 255, 110}},
                          {2, 0.9f, 48, {255, 215, 170, 130}},  {4, 1.3f, 32, {190, 255, 210, 150}},
                          {3, 1.8f, 110, {255, 255, 255, 90}}};
    for (const Spec& s : specs) {
        Lensflares::Flare flare;
        flare.type = s.type;
        flare.distance = s.distance;
        flare.size = s.size;
        flare.color = Color(s.colour.r / 255.0f, s.colour.g / 255.0f, s.colour.b / 255.0f, s.colour.a / 255.0f);
        flare.doRotate = s.type == 3;
        flares.GetFlares().push_back(flare);
    }
    flares.SetPosition(Vector3{kSunPosition.x, kSunPosition.y, kSunPosition.z});
}

template <class L>
std::unique_ptr<L> MakeLight(uint32_t flags, const Color& colour, float intensity)
{
    auto light = std::make_unique<L>();
    light->Create();
    light->SetFlags(flags);
    light->SetColor(colour, intensity);
    return light;
}

bool WriteDisplay(const AssetContext& context, const Theme& theme)
{
    // The sky dome reads its models from the level being written.
    FileSystem::Instance()->AddAlias("<LP>", (context.Path(theme.folder) + "/").c_str());
    RwGraphicsSettings engine;
    engine.farClipLow = engine.farClipMedium = engine.farClipHigh = kFarClip;
    Fog fog;
    fog.enable = true;
    fog.type = Fog::kLinear;
    fog.color = ToColor(theme.skyHorizon);
    fog.distance = kFogStart;
    Skydome sky(false);
    sky.GetLight().SetColor(Color::White, 1.0f);
    Lensflares flares;
    AddFlares(flares);
    const Vector3 toSun = Vector3{kSunPosition.x, kSunPosition.y, kSunPosition.z};
    auto ambient = MakeLight<AmbientLight>(Light::kDynamicLighting | Light::kLightWorld | Light::kLightAtomics,
                                           ToColor(theme.ambientColour), 0.6f);
    auto sun = MakeLight<DirectionalLight>(World::kStaticSet, ToColor(theme.sunColour), 0.8f);
    auto objects = MakeLight<DirectionalLight>(World::kDynamicSet, ToColor(theme.sunColour), 0.9f);
    sun->SetOrientation(Math::LookAlong(toSun * -1.0f));
    objects->SetOrientation(Math::LookAlong(toSun * -1.0f));

    Cast display("display");
    display.AddMember(&engine, "Engine", false);
    display.AddMember(&fog, "Fog", false);
    display.AddMember(&sky, "Skydome", false);
    display.AddMember(&flares, "Lensflares", false);
    display.AddMember(ambient.get(), "Ambient Light", false);
    display.AddMember(sun.get(), "Directional Light", false);
    display.AddMember(objects.get(), "Directional Light Objects", false);
    const bool ok = WriteCastFile(display, context.Path(std::string(theme.folder) + "/settings/display/display.txt"));
    FileSystem::Instance()->RemoveAlias("<LP>");
    return ok;
}

// The broadcast cameras: a height and distance behind the play, looking down at it.
struct Tracking {
    const char* name;
    float angleX, angleY;
    Vector3 near, far;
    bool flippable;
    const char* next;
};

// clang-format off
const Tracking kTracking[] = {
    {"StandardMedium", 0.5f, 0.0f, {0, 0, -14}, {0, 0, -26}, true, "LeftToRightMedium"},
    {"LeftToRightMedium", 0.5f, -1.5708f, {0, 0, -14}, {0, 0, -24}, false, "RightToLeftMedium"},
    {"RightToLeftMedium", 0.5f, 1.5708f, {0, 0, -14}, {0, 0, -24}, false, "TopDownMedium"},
    {"TopDownMedium", 1.45f, 0.0f, {0, 0, -40}, {0, 0, -70}, true, "IsometricMedium"},
    {"IsometricMedium", 0.62f, 0.7854f, {0, 0, -20}, {0, 0, -34}, true, "StandardMedium"},
    // Steep over the corner of the stands: the crowd lies small at the picture's foot.
    {"Corner Left Far", 0.85f, -2.3562f, {0, 0, -15}, {0, 0, -21}, false, ""},
    {"Corner Left Near", 0.85f, -0.7854f, {0, 0, -15}, {0, 0, -21}, false, ""},
    {"Corner Right Far", 0.85f, 2.3562f, {0, 0, -15}, {0, 0, -21}, false, ""},
    {"Corner Right Near", 0.85f, 0.7854f, {0, 0, -15}, {0, 0, -21}, false, ""},
    {"Fly", 0.3f, 0.0f, {0, 0, -8}, {0, 0, -14}, true, ""},
    {"Throw In", 0.7f, 0.0f, {0, 0, -16}, {0, 0, -24}, true, ""},
    {"Referee", 0.25f, 0.0f, {0, 0, -6}, {0, 0, -10}, true, ""},
};

// Fixed views: where the eye is and what it looks at.
struct Free {
    const char* name;
    Vector3 eye, target;
};

const Free kFree[] = {
    {"Goal Left Far", {62, 9, 14}, {44, 1, 0}},     {"Goal Left Middle", {56, 5, 0}, {38, 0.5f, 0}},
    {"Goal Left Near", {62, 9, -14}, {44, 1, 0}},   {"Goal Right Far", {-62, 9, 14}, {-44, 1, 0}},
    {"Goal Right Middle", {-56, 5, 0}, {-38, 0.5f, 0}}, {"Goal Right Near", {-62, 9, -14}, {-44, 1, 0}},
    // From the broadcast camera's place: a player walking off is more than a few pixels.
    {"Whole Field", {kMainCameraEye.x, kMainCameraEye.y, kMainCameraEye.z}, {0, 0, -4}},
    {"Kick Off", {0, 14, -30}, {0, 0, 0}},
    {"Penalty Left", {33, 4, 0}, {50, 1.2f, 0}},    {"Penalty Right", {-33, 4, 0}, {-50, 1.2f, 0}},
    {"Menu", {-20, 6, -36}, {0, 2, 0}},
};
// clang-format on

std::unique_ptr<CameraControl> MakeTracking(const Tracking& t)
{
    auto control = std::make_unique<TrackingCameraControl>();
    control->SetAngles(t.angleX, t.angleY);
    control->SetOffsets(t.near, t.far);
    control->SetZoom(0.5f);
    control->SetLocks(false, true, false, true);
    control->SetBlendTime(0.35f);
    control->SetFlippable(t.flippable);
    control->nextInSequence = t.next;
    return control;
}

// A free camera's angles for looking from eye to target: pitch down about x, then turn about y.
std::unique_ptr<CameraControl> MakeFree(const Free& f)
{
    const Vector3 d = f.target - f.eye;
    auto control = std::make_unique<FreeCameraControl>();
    control->SetView(f.eye, std::atan2(-d.y, std::sqrt(d.x * d.x + d.z * d.z)), std::atan2(d.x, d.z));
    return control;
}

std::unique_ptr<CameraControl> MakeControl(const std::string& name)
{
    for (const Tracking& t : kTracking)
        if (name == t.name)
            return MakeTracking(t);
    for (const Free& f : kFree)
        if (name == f.name)
            return MakeFree(f);
    if (name == "Players Bench") {
        auto bench = std::make_unique<SimpleCameraControl>();
        const Vector3 eye{-4, 3.5f, -kSideStandZ + 4}, target{6, 1, 0};
        bench->SetPosition(eye);
        bench->SetRotation(Math::LookAlong(target - eye));
        return bench;
    }
    if (name == "Intro Camera" || name == "CutScene")
        return std::make_unique<SplineCameraControl>();
    return std::make_unique<FreeCameraControl>();
}

bool WriteCameras(const AssetContext& context)
{
    std::vector<std::unique_ptr<CameraControl>> controls;
    Cast cameras("cameras");
    for (const CameraControlEntry& entry : GetCameraControlTable()) {
        controls.push_back(MakeControl(entry.name));
        cameras.AddMember(controls.back().get(), (std::string("Cameras|") + entry.name).c_str(), false);
    }
    return WriteCastFile(cameras, context.Path("cameras.txt"));
}

bool WriteDisplaySettings(const AssetContext& context)
{
    // The sky dome and the flares read what the other generators wrote through the game's
    // file layer, as the game does.
    const bool opened = RtFSManagerOpen(-1);
    if (!RwInstallFileSystem())
        return false;
    FileSystem* files = FileSystem::Instance();
    files->AddAlias("<PP>", (context.ProjectDir() + "/").c_str());
    files->AddAlias("<TP>", (std::string(kTextureSets[0]) + "/").c_str());
    bool ok = RegisterImageReaders();
    for (int i = 0; i < kLevelCount; ++i)
        ok = WriteDisplay(context, LevelTheme(i)) && ok;
    ok = WriteCameras(context) && ok;
    files->RemoveAlias("<PP>");
    files->RemoveAlias("<TP>");
    VantaroFileSystem::Uninstall();
    if (opened)
        RtFSManagerClose();
    return ok;
}

// After the levels: the sky dome reads the models they wrote.
const GeneratorRegistrar kDisplay("world.settings", &WriteDisplaySettings);

}  // namespace

}  // namespace assets::world
