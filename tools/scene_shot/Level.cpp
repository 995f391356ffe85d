#include "tools/scene_shot/Level.h"

#include "engine/core/RwCore.h"
#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "framework/FileSystem.h"
#include "framework/Matrix3.h"
#include "framework/Settings.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "tools/common/Fail.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace tools::level {

namespace {

const char* const kWorldFile = "<LP>Objects\\Level.bsp";
const char* const kCameraPath = "<LP>camera\\camera.anm";
constexpr int kFallbackWidth = 800;
constexpr int kFallbackHeight = 600;
// Where on the main camera path the view is taken, as a fraction of its length.
constexpr float kPathFraction = 0.5f;

// The frame the main camera path gives part-way along it.
bool ReadPathFrame(const char* anmFile, float fraction, RwMatrix& frame)
{
    const std::string name = FileSystem::Instance()->ExpandAliases(anmFile);
    RtAnimAnimation* anim = RtAnimAnimationRead(name.c_str());
    if (!anim)
        return false;
    RtAnimInterpolator* interpolator = RtAnimInterpolatorCreate(anim->numNodes, sizeof(RtAnimKeyFrame));
    RtAnimInterpolatorSetCurrentAnim(interpolator, anim);
    RtAnimInterpolatorSetCurrentTime(interpolator, anim->duration * fraction);
    RtAnimScheme1Apply(&frame, RtAnimInterpolatorGetInterpFrame(interpolator, 0));
    RtAnimInterpolatorDestroy(interpolator);
    RtAnimAnimationDestroy(anim);
    return true;
}

Vector3 FromRw(const RwV3d& v)
{
    return Vector3(v.x, v.y, v.z);
}

}  // namespace

bool MountGameData(const std::string& folder)
{
    return tools::MountGameData(folder) && FileSystem::Instance()->FileExists(kConfigFile);
}

void ReadScreenSize(int& width, int& height)
{
    SettingsManager* settings = SettingsManager::Instance();
    settings->LoadSettings(kConfigFile);
    width = settings->GetInt("screenWidth");
    height = settings->GetInt("screenHeight");
    settings->UnloadAll();
    if (width <= 0 || height <= 0) {
        width = kFallbackWidth;
        height = kFallbackHeight;
    }
}

LevelView::~LevelView()
{
    if (m_world) {
        if (m_camera)
            RpWorldRemoveCamera(m_world, m_camera);
        for (Light* light : {static_cast<Light*>(&m_ambient), static_cast<Light*>(&m_sun)})
            if (light->GetRwLight())
                RpWorldRemoveLight(m_world, light->GetRwLight());
    }
    m_ambient.Destroy();
    m_sun.Destroy();
    if (m_world)
        RpWorldDestroy(m_world);
}

bool LevelView::AddLight(Light& light, const Color& color, float intensity)
{
    light.SetColor(color, intensity);
    light.SetFlags(Light::kLightAtomics | Light::kLightWorld);
    return RpWorldAddLight(m_world, light.GetRwLight()) != nullptr;
}

std::string LevelView::Open(PrimaryCamera& camera, float distance, float aimHeight)
{
    m_world = ReadWorld(kWorldFile, "<LP><TP>");
    if (!m_world)
        return std::string("cannot read the stadium ") + kWorldFile;

    RwMatrix path;
    if (!ReadPathFrame(kCameraPath, kPathFraction, path))
        return std::string("cannot read the camera path ") + kCameraPath;
    m_at = FromRw(path.at);
    if (m_at.y >= -1e-3f)
        return std::string("the camera path does not look down at the pitch: ") + kCameraPath;
    // Where the path camera's line of sight meets the pitch.
    const Vector3 eye = FromRw(path.pos);
    m_centre = eye + m_at * (-eye.y / m_at.y);
    const Vector3 aim = m_centre + Vector3(0.0f, aimHeight, 0.0f);
    const Vector3 position = aim - m_at * distance;

    RwFrame* frame = camera.GetFrame();
    RwMatrix* matrix = RwFrameGetMatrix(frame);
    *matrix = path;
    matrix->pos = RwV3d{position.x, position.y, position.z};
    RwMatrixUpdateFlags(matrix);
    RwFrameUpdateObjects(frame);
    camera.SetClipPlanes(0.3f, 600.0f);
    m_camera = camera.GetRwCamera();
    if (!RpWorldAddCamera(m_world, m_camera))
        return std::string("cannot put the camera into ") + kWorldFile;

    // Soft fill, and a low sun from behind the camera's left shoulder.
    if (!m_ambient.Create() || !m_sun.Create())
        return "cannot create the lights";
    m_sunDirection = m_at + Vector3(0.4f, -0.6f, 0.0f);
    m_sunDirection.Normalize();
    m_sun.SetOrientation(FacingAlong(m_sunDirection));
    if (!AddLight(m_ambient, Color(0.55f, 0.55f, 0.6f), 1.0f) || !AddLight(m_sun, Color(1.0f, 0.95f, 0.85f), 0.8f))
        return std::string("cannot add the lights to ") + kWorldFile;
    return "";
}

Quaternion FacingAlong(Vector3 direction)
{
    direction.Normalize();
    Vector3 right = Vector3(0.0f, 1.0f, 0.0f).Cross(direction);
    if (right.LengthSquared() < 1e-6f)
        right = Vector3(1.0f, 0.0f, 0.0f);
    right.Normalize();
    const Vector3 up = direction.Cross(right);
    Matrix3 m;
    m.SetColumn(0, right);
    m.SetColumn(1, up);
    m.SetColumn(2, direction);
    Quaternion q;
    q.FromMatrix(m);
    return q;
}

bool SavePng(PrimaryCamera& camera, const std::string& path)
{
    return SaveCameraPng(camera.GetRwCamera(), path);
}

double Milliseconds(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

bool ReadShotRequest(const char* tool, int argc, char** argv, ShotRequest& request)
{
    request.bench = argc >= 3 && argc <= 6 && std::string(argv[1]) == "--bench";
    int next = 3;
    if (request.bench && argc >= 5 && std::string(argv[3]) == "--frames") {
        request.frames = std::atoi(argv[4]);
        request.bench = request.frames >= 1;
        next = 5;
    }
    const bool picture = request.bench && argc == next + 1;
    if (request.bench && argc > next + 1)
        request.bench = false;
    if (!request.bench && argc != 3) {
        std::fprintf(stderr,
                     "usage: %s <game folder> <out prefix>\n       %s --bench <game folder> [--frames N] [picture.png]\n",
                     tool, tool);
        return false;
    }
    request.folder = argv[request.bench ? 2 : 1];
    const char* path = picture ? argv[next] : request.bench ? nullptr : argv[2];
    std::error_code error;
    const std::string absolute = path ? std::filesystem::absolute(path, error).string() : "";
    if (error)
        Fail("bad path %s", path);
    (picture ? request.picture : request.prefix) = absolute;
    return !error;
}

int RunOnLevel(const char* tool, const std::string& folder, int width, int height, float distance,
               float aimHeight, const std::function<int(PrimaryCamera&, LevelView&)>& body)
{
    if (!MountGameData(folder))
        return Fail("no game data (%s) in the folder", kConfigFile);
    tools::OffscreenSession session(tool, width, height);
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetScreenSize(width, height);
    int result = 1;
    if (!graphics->Initialise(session.GetWindow()) || !graphics->GetPrimaryCamera()) {
        Fail("the rendering engine does not start");
    } else {
        PrimaryCamera& camera = *graphics->GetPrimaryCamera();
        LevelView level;
        const std::string failure = level.Open(camera, distance, aimHeight);
        if (!failure.empty()) {
            Fail("%s", failure.c_str());
        } else {
            graphics->SetCamera(&camera);
            result = body(camera, level);
            graphics->SetCamera(nullptr);
        }
    }
    graphics->Destroy();
    return result;
}

}  // namespace tools::level
