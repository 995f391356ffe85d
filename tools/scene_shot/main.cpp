// Renders one frame of the first stadium with a character through the scene classes and
// saves it as a screenshot, to show that the scene layer runs on the default data:
//     scene_shot <game folder> <out.tga>
//     scene_shot --check <game folder> <shot.tga>
// The game folder holds data\Turfbolt.dat, or the data unpacked (the stage folder). The
// second form checks a screenshot: a 24-bit TGA of the configured screen size that shows
// more than a flat clear. The other modes draw particles, the level casts or shadows over
// the stadium (particle_shot.cpp, element_shot.cpp, shadow_shot.cpp) or time them, the pitch
// volumes (volume_shot.cpp), every stadium as a match shows it (stadium_shot.cpp) and the
// views of a match standing still (views_shot.cpp).
#include "engine/core/RwCore.h"
#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "framework/Color.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"
#include "platform/Window.h"
#include "scene/Camera.h"
#include "scene/Clump.h"
#include "scene/EngineUtil.h"
#include "scene/RwGraphics.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/Modes.h"
#include "tools/common/OffscreenSession.h"
#include "tools/common/Fail.h"
#include "tools/scene_shot/Level.h"


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

using namespace tools::level;
using tools::Fail;

const char* const kCharacterFile = "<PP>Characters\\Panda\\Panda.DFF";
const char* const kCharacterFolder = "<PP>Characters\\Panda\\<TP>";
// The camera is drawn in along its line of sight until the character is this far away, so
// that it fills a good part of the frame.
constexpr float kCharacterDistance = 7.0f;
// The height on the character the camera aims at.
constexpr float kAimHeight = 0.9f;
// A flat clear, or a clear with one flat shape on it, has no more than a few colours.
constexpr size_t kMinimumColours = 64;

// Everything the shot loads, released in the right order whatever fails on the way.
struct Scene {
    LevelView level;
    Clump character;

    ~Scene() { character.DestroyClump(); }
};

int Shoot(PrimaryCamera& camera, const std::string& out)
{
    Scene scene;
    const std::string failure = scene.level.Open(camera, kCharacterDistance, kAimHeight);
    if (!failure.empty())
        return Fail("%s", failure.c_str());
    const Vector3& at = scene.level.At();
    const Vector3& centre = scene.level.Centre();

    // A file that does not load leaves a dummy: the shot needs the real character.
    FileSystem* files = FileSystem::Instance();
    const std::string characterFile = files->ExpandAliases(kCharacterFile);
    if (!files->FileExists(characterFile.c_str()))
        return Fail("no character %s", characterFile.c_str());
    // Variation first, then what all variations share, then the shirt.
    const std::string textures = files->ExpandAliases(kCharacterFolder);
    const std::string folders = textures + "Var00\\;" + textures + "Common\\;" + textures + "Shirt00\\";
    if (!scene.character.LoadClump(characterFile, folders, true))
        return Fail("cannot load the character %s", characterFile.c_str());
    // Standing on the view centre, turned toward the camera.
    scene.character.SetPosition(centre);
    scene.character.SetRotation(FacingAlong(Vector3(-at.x, 0.0f, -at.z)));
    scene.character.Update(0.0f);

    const float sky[4] = {0.47f, 0.63f, 0.82f, 1.0f};
    if (!camera.Clear(sky, rwCameraClearImage | rwCameraClearZ) || !camera.BeginUpdate())
        return Fail("the camera does not begin its update");
    RpWorldRender(scene.level.World());
    scene.character.Render();
    camera.EndUpdate();
    RwGraphics::Instance()->Render();

    RwImage* image = EngineUtil::GrabCameraRaster(camera.GetRwCamera());
    if (!image)
        return Fail("cannot read back the camera raster");
    const bool saved = EngineUtil::SaveImage(image, out.c_str());
    RwImageDestroy(image);
    if (!saved)
        return Fail("cannot write %s", out.c_str());
    std::printf("scene_shot: wrote %s (%d x %d)\n", out.c_str(), int(camera.GetWidth()), int(camera.GetHeight()));
    return 0;
}

int Run(const std::string& folder, const std::string& out)
{
    if (!MountGameData(folder))
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
        Fail("the rendering engine does not start");
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
        return Fail("no screenshot %s", shot.c_str());
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!MountGameData(folder))
        return Fail("no game data (%s) in the folder", kConfigFile);
    int width = 0, height = 0;
    ReadScreenSize(width, height);

    if (bytes.size() < 18 || bytes[2] != 2 || bytes[16] != 24)
        return Fail("%s is not an uncompressed 24-bit TGA", shot.c_str());
    const int fileWidth = bytes[12] | bytes[13] << 8;
    const int fileHeight = bytes[14] | bytes[15] << 8;
    if (fileWidth != width || fileHeight != height)
        return Fail("%s is not of the screen size (%d x %d)", shot.c_str(), fileWidth, fileHeight);
    const size_t start = 18 + size_t(bytes[0]);
    const size_t pixels = size_t(width) * size_t(height);
    if (bytes.size() < start + pixels * 3)
        return Fail("%s is cut short", shot.c_str());
    std::unordered_set<uint32_t> colours;
    for (size_t i = 0; i < pixels && colours.size() < kMinimumColours; ++i) {
        const unsigned char* p = &bytes[start + i * 3];
        colours.insert(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
    }
    if (colours.size() < kMinimumColours)
        return Fail("%s shows next to nothing (%zu colours)", shot.c_str(), colours.size());
    std::printf("scene_shot: %s is a %d x %d screenshot with a scene in it\n", shot.c_str(), width, height);
    return 0;
}

int Frame(int argc, char** argv)
{
    const bool check = argc == 4 && std::string(argv[1]) == "--check";
    if (!check && argc != 3) {
        std::fprintf(stderr, "usage: scene_shot <game folder> <out.tga>\n"
                             "       scene_shot --check <game folder> <shot.tga>\n"
                             "       scene_shot particles|elements|shadows <game folder> <out prefix>\n"
                             "       scene_shot particles|elements|shadows --bench <game folder>\n"
                             "       scene_shot volumes <game folder> <out.png>\n"
                             "       scene_shot stadiums <game folder> <out folder>\n"
                             "       scene_shot views <game folder> <out folder> [situation]\n");
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

}  // namespace

int main(int argc, char** argv)
{
    return tools::RunMode(argc, argv,
                          {{"particles", ParticleShot},
                           {"elements", ElementShot},
                           {"shadows", ShadowShot},
                           {"volumes", VolumeShot},
                           {"stadiums", StadiumShot},
                           {"views", ViewsShot}},
                          Frame);
}
