// Renders one frame of the first stadium with a character through the scene classes and
// saves it as a screenshot, to show that the scene layer runs on the default data:
//     scene_shot <game folder> <out.tga>
//     scene_shot --check <game folder> <shot.tga>
// The game folder holds data\Turfbolt.dat, or the data unpacked (the stage folder). The
// second form checks a screenshot: a 24-bit TGA of the configured screen size that shows
// more than a flat clear.
#include "engine/core/RwCore.h"
#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "framework/Color.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Matrix3.h"
#include "framework/Quaternion.h"
#include "framework/Settings.h"
#include "framework/Vector.h"
#include "platform/Window.h"
#include "scene/Camera.h"
#include "scene/Clump.h"
#include "scene/EngineUtil.h"
#include "scene/Light.h"
#include "scene/RwGraphics.h"
#include "tools/common/OffscreenSession.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

const char* const kDataFile = "data\\Turfbolt.dat";
const char* const kConfigFile = "data\\pc\\config.txt";
const char* const kWorldFile = "<LP>Objects\\Level.bsp";
const char* const kCameraPath = "<LP>camera\\camera.anm";
const char* const kCharacterFile = "<PP>Characters\\Panda\\Panda.DFF";
const char* const kCharacterFolder = "<PP>Characters\\Panda\\<TP>";
constexpr int kFallbackWidth = 800;
constexpr int kFallbackHeight = 600;
// Where on the main camera path the shot is taken, as a fraction of its length.
constexpr float kPathFraction = 0.5f;
// The camera is drawn in along its line of sight until the character is this far away, so
// that it fills a good part of the frame.
constexpr float kCharacterDistance = 7.0f;
// The height on the character the camera aims at.
constexpr float kAimHeight = 0.9f;
// A flat clear, or a clear with one flat shape on it, has no more than a few colours.
constexpr size_t kMinimumColours = 64;

// The engine's log lines go to the log file; the ones about this run go to the console too.
class ConsoleSink : public DebugSink {
public:
    void OnLog(const char* text) override { std::fputs(text, stderr); }
};

int Fail(const char* format, const std::string& detail)
{
    std::fprintf(stderr, "scene_shot: ");
    std::fprintf(stderr, format, detail.c_str());
    std::fprintf(stderr, "\n");
    return 1;
}

// Works in the game folder, as the game does, with the archive mounted when there is one.
bool MountData(const std::string& folder)
{
    if (chdir(folder.c_str()) != 0)
        return false;
    FileSystem* files = FileSystem::Instance();
    if (files->ExistsOnDisk(kDataFile) && !files->AddDataFile(kDataFile, false))
        return false;
    files->AddAlias("<PP>", "data\\pc\\");
    files->AddAlias("<TP>", "Textures24Bit\\");
    files->AddAlias("<LP>", (files->GetAlias("<PP>") + "level01\\").c_str());
    return files->FileExists(kConfigFile);
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

RpWorld* ReadWorld(const char* fileName, const char* textureFolder)
{
    FileSystem* files = FileSystem::Instance();
    const std::string name = files->ExpandAliases(fileName);
    RwImageSetPath(files->ExpandAliases(textureFolder).c_str());
    RpWorld* world = nullptr;
    if (RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamRead, name.c_str())) {
        if (RwStreamFindChunk(stream, rwChunkWorld, nullptr, nullptr))
            world = RpWorldStreamRead(stream);
        RwStreamClose(stream, nullptr);
    }
    return world;
}

// A rotation whose z axis is the direction, with y as near to up as it can be.
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

Vector3 FromRw(const RwV3d& v)
{
    return Vector3(v.x, v.y, v.z);
}

// Everything the shot loads, released in the right order whatever fails on the way.
struct Scene {
    RpWorld* world = nullptr;
    RwCamera* camera = nullptr;
    AmbientLight ambient;
    DirectionalLight sun;
    Clump character;

    ~Scene()
    {
        character.DestroyClump();
        if (world) {
            if (camera)
                RpWorldRemoveCamera(world, camera);
            for (Light* light : {static_cast<Light*>(&ambient), static_cast<Light*>(&sun)})
                if (light->GetRwLight())
                    RpWorldRemoveLight(world, light->GetRwLight());
        }
        ambient.Destroy();
        sun.Destroy();
        if (world)
            RpWorldDestroy(world);
    }
};

bool AddLight(Scene& scene, Light& light, const Color& color, float intensity)
{
    light.SetColor(color, intensity);
    light.SetFlags(Light::kLightAtomics | Light::kLightWorld);
    return RpWorldAddLight(scene.world, light.GetRwLight()) != nullptr;
}

int Shoot(PrimaryCamera& camera, const std::string& out)
{
    Scene scene;
    scene.world = ReadWorld(kWorldFile, "<LP><TP>");
    if (!scene.world)
        return Fail("cannot read the stadium %s", kWorldFile);

    RwMatrix path;
    if (!ReadPathFrame(kCameraPath, kPathFraction, path))
        return Fail("cannot read the camera path %s", kCameraPath);
    const Vector3 at = FromRw(path.at);
    if (at.y >= -1e-3f)
        return Fail("the camera path %s does not look down at the pitch", kCameraPath);
    // Where the path camera's line of sight meets the pitch.
    const Vector3 eye = FromRw(path.pos);
    const Vector3 centre = eye + at * (-eye.y / at.y);
    const Vector3 aim = centre + Vector3(0.0f, kAimHeight, 0.0f);
    const Vector3 position = aim - at * kCharacterDistance;

    RwFrame* frame = camera.GetFrame();
    RwMatrix* matrix = RwFrameGetMatrix(frame);
    *matrix = path;
    matrix->pos = RwV3d{position.x, position.y, position.z};
    RwMatrixUpdateFlags(matrix);
    RwFrameUpdateObjects(frame);
    camera.SetClipPlanes(0.3f, 600.0f);
    scene.camera = camera.GetRwCamera();
    if (!RpWorldAddCamera(scene.world, scene.camera))
        return Fail("cannot put the camera into %s", kWorldFile);

    // Soft fill, and a low sun from behind the camera's left shoulder.
    if (!scene.ambient.Create() || !scene.sun.Create())
        return Fail("cannot create the %s", "lights");
    const Vector3 sunDirection = at + Vector3(0.4f, -0.6f, 0.0f);
    scene.sun.SetOrientation(FacingAlong(sunDirection));
    if (!AddLight(scene, scene.ambient, Color(0.55f, 0.55f, 0.6f), 1.0f) ||
        !AddLight(scene, scene.sun, Color(1.0f, 0.95f, 0.85f), 0.8f))
        return Fail("cannot add the lights to %s", kWorldFile);

    // A file that does not load leaves a dummy: the shot needs the real character.
    FileSystem* files = FileSystem::Instance();
    const std::string characterFile = files->ExpandAliases(kCharacterFile);
    if (!files->FileExists(characterFile.c_str()))
        return Fail("no character %s", characterFile);
    // Variation first, then what all variations share, then the shirt.
    const std::string textures = files->ExpandAliases(kCharacterFolder);
    const std::string folders = textures + "Var00\\;" + textures + "Common\\;" + textures + "Shirt00\\";
    if (!scene.character.LoadClump(characterFile, folders, true))
        return Fail("cannot load the character %s", characterFile);
    // Standing on the view centre, turned toward the camera.
    scene.character.SetPosition(centre);
    scene.character.SetRotation(FacingAlong(Vector3(-at.x, 0.0f, -at.z)));
    scene.character.Update(0.0f);

    const float sky[4] = {0.47f, 0.63f, 0.82f, 1.0f};
    if (!camera.Clear(sky, rwCameraClearImage | rwCameraClearZ) || !camera.BeginUpdate())
        return Fail("the camera does not begin its update%s", "");
    RpWorldRender(scene.world);
    scene.character.Render();
    camera.EndUpdate();
    RwGraphics::Instance()->Render();

    RwImage* image = EngineUtil::GrabCameraRaster(scene.camera);
    if (!image)
        return Fail("cannot read back the camera raster%s", "");
    const bool saved = EngineUtil::SaveImage(image, out.c_str());
    RwImageDestroy(image);
    if (!saved)
        return Fail("cannot write %s", out);
    std::printf("scene_shot: wrote %s (%d x %d)\n", out.c_str(), int(camera.GetWidth()), int(camera.GetHeight()));
    return 0;
}

int Run(const std::string& folder, const std::string& out)
{
    if (!MountData(folder))
        return Fail("no game data (%s) in the folder", kConfigFile);
    int width = 0, height = 0;
    ReadScreenSize(width, height);

    tools::OffscreenSession session("scene_shot", width, height);
    // The graphics layer starts the engine itself, as the game does.
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetScreenSize(width, height);
    int result = 1;
    if (!graphics->Initialise(session.GetWindow()) || !graphics->GetPrimaryCamera())
        Fail("the rendering engine does not start%s", "");
    else
        result = Shoot(*graphics->GetPrimaryCamera(), out);
    graphics->Destroy();
    return result;
}

// The TGA header as SaveImage writes it, then width x height pixels of three bytes.
int Check(const std::string& folder, const std::string& shot)
{
    std::ifstream in(shot, std::ios::binary);
    if (!in)
        return Fail("no screenshot %s", shot);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!MountData(folder))
        return Fail("no game data (%s) in the folder", kConfigFile);
    int width = 0, height = 0;
    ReadScreenSize(width, height);

    if (bytes.size() < 18 || bytes[2] != 2 || bytes[16] != 24)
        return Fail("%s is not an uncompressed 24-bit TGA", shot);
    const int fileWidth = bytes[12] | bytes[13] << 8;
    const int fileHeight = bytes[14] | bytes[15] << 8;
    if (fileWidth != width || fileHeight != height)
        return Fail("%s is not of the screen size", shot + " (" + std::to_string(fileWidth) + " x " +
                                                        std::to_string(fileHeight) + ")");
    const size_t start = 18 + size_t(bytes[0]);
    const size_t pixels = size_t(width) * size_t(height);
    if (bytes.size() < start + pixels * 3)
        return Fail("%s is cut short", shot);
    std::unordered_set<uint32_t> colours;
    for (size_t i = 0; i < pixels && colours.size() < kMinimumColours; ++i) {
        const unsigned char* p = &bytes[start + i * 3];
        colours.insert(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
    }
    if (colours.size() < kMinimumColours)
        return Fail("%s shows next to nothing", shot + " (" + std::to_string(colours.size()) + " colours)");
    std::printf("scene_shot: %s is a %d x %d screenshot with a scene in it\n", shot.c_str(), width, height);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool check = argc == 4 && std::string(argv[1]) == "--check";
    if (!check && argc != 3) {
        std::fprintf(stderr, "usage: scene_shot <game folder> <out.tga>\n"
                             "       scene_shot --check <game folder> <shot.tga>\n");
        return 1;
    }
    ConsoleSink console;
    Debug::Instance()->SetSink(&console);
    // The folder change below must not move the screenshot.
    std::error_code error;
    const std::string shot = std::filesystem::absolute(argv[check ? 3 : 2], error).string();
    const int result = error ? Fail("bad path %s", argv[check ? 3 : 2])
                             : check ? Check(argv[2], shot) : Run(argv[1], shot);
    Debug::Instance()->SetSink(nullptr);
    return result;
}
