// Shows the first stadium's pitch volumes where their tables put them, then throws a ball at
// a goal post and tells what it met:
//     scene_shot volumes <game folder> <out.png>
// The game folder holds data\Turfbolt.dat, or the data unpacked (the stage folder). The
// picture is taken from high over the near touchline with "Display Collision Data?" on.
// Exits with 1 when anything fails to load or the ball meets nothing.
#include "engine/core/RwCore.h"
#include "engine/world/RpCollision.h"
#include "engine/world/RpWorld.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "scene/Camera.h"
#include "scene/GameElement.h"
#include "scene/RwGraphics.h"
#include "settings/GameSettings.h"
#include "simulation/CollisionManager.h"
#include "simulation/PitchVolume.h"
#include "simulation/ShapeCollision.h"
#include "tools/common/ConsoleSink.h"
#include "tools/common/Fail.h"
#include "tools/common/GameData.h"
#include "tools/common/OffscreenCamera.h"
#include "tools/common/OffscreenSession.h"
#include "tools/scene_shot/Level.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using tools::Fail;

const char* const kWorldFile = "<LP>Objects\\Level.bsp";
const char* const kObjectsFile = "<SP>objects\\objects.txt";
constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr float kBallRadius = 0.11f;
constexpr float kFrame = 1.0f / 60.0f;
constexpr int kMostFrames = 180;

// The thrown ball: says what it meets and stops there.
class Thrown : public SimpleCollidable {
public:
    Thrown() : SimpleCollidable(std::make_unique<Sphere>(kBallRadius)) { SetCollisionName("ball"); }

    void OnCollision(const std::vector<Collidable*>& hits) override
    {
        for (Collidable* hit : hits) {
            const auto* object = dynamic_cast<const Object*>(hit);
            const char* name = object && object->GetName() ? object->GetName() : "the stadium";
            std::printf("scene_shot: the ball met \"%s\" (%s) after %.3f s at (%.2f, %.2f, %.2f)\n",
                        hit->GetCollisionName().c_str(), name, time, GetPosition().x, GetPosition().y,
                        GetPosition().z);
        }
        met += static_cast<int>(hits.size());
        SetVelocity(Vector3::Zero);
    }

    float time = 0.0f;
    int met = 0;
};

bool TakePicture(RpWorld* world, const Cast& volumes, const std::string& out)
{
    tools::OffscreenCamera camera;
    if (!camera.Create(kWidth, kHeight, 0.6f, 0.6f * kHeight / kWidth, 0.5f, 500.0f, rwRasterTypeCamera))
        return false;
    camera.LookAt({0.0f, 75.0f, -62.0f}, {0.0f, 0.0f, -2.0f});
    RpWorldAddCamera(world, camera.Camera());
    GameSettings::Instance()->displayCollisionData = true;
    bool drawn = camera.Begin({40, 60, 90, 255});
    if (drawn) {
        RpWorldRender(world);
        RenderCast(volumes);
        camera.End();
    }
    RpWorldRemoveCamera(world, camera.Camera());
    return drawn && camera.SavePng(out);
}

// From 10 in front of the left goal's post on +z, at head height, straight at it.
int ThrowAtPost(RpWorld* world)
{
    ShapeCollisionTable::Init();
    CollisionSet* set = CollisionManager::Instance()->GetCollisionSet("ball+pitchvolumes");
    SimpleCollidable stadium(std::make_unique<WorldGeometry>(world));
    stadium.SetCollisionName("world");
    set->Add(&stadium, false);
    Thrown ball;
    ball.SetPosition({40.0f, 1.2f, 3.0f});
    ball.SetVelocity({20.0f, 0.0f, 0.0f});
    set->Add(&ball, true);
    CollisionManager::Instance()->Update(0.0f);  // a new set's pairs count from the next frame
    for (int frame = 0; frame < kMostFrames && ball.met == 0; ++frame) {
        CollisionManager::Instance()->Update(kFrame);
        ball.time += kFrame;
    }
    set->Remove(&ball);
    set->Remove(&stadium);
    return ball.met > 0 ? 0 : Fail("the ball met nothing");
}

int Run(const std::string& folder, const std::string& out)
{
    if (!tools::MountGameData(folder) || !FileSystem::Instance()->FileExists(kObjectsFile))
        return Fail("no level data in %s", folder.c_str());
    tools::OffscreenSession session("scene_shot volumes", kWidth, kHeight);
    if (!session.Start(tools::OffscreenSession::kWindowOnly))
        return 1;
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetScreenSize(kWidth, kHeight);
    if (!graphics->Initialise(session.GetWindow()))
        return Fail("the rendering engine does not start");
    int result = 1;
    Cast volumes("objects");
    RpWorld* world = tools::ReadWorld(kWorldFile, "<LP><TP>");
    if (!world)
        Fail("cannot read the stadium %s", kWorldFile);
    else if (RpCollisionWorldBuildData(world, nullptr), !LoadSettings(&volumes, kObjectsFile))
        Fail("cannot read the volumes %s", kObjectsFile);
    else if (!TakePicture(world, volumes, out))
        Fail("cannot draw or save %s", out.c_str());
    else {
        std::printf("scene_shot: wrote %s (%d x %d), %d volumes\n", out.c_str(), kWidth, kHeight,
                    volumes.GetMemberCount());
        std::fflush(stdout);
        result = ThrowAtPost(world);
    }
    volumes.Clear();
    if (world)
        RpWorldDestroy(world);
    CollisionManager::DestroyInstance();
    graphics->Destroy();
    return result;
}

}  // namespace

int tools::level::VolumeShot(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: scene_shot volumes <game folder> <out.png>\n");
        return 1;
    }
    ConsoleSink console;
    Debug::Instance()->SetSink(&console);
    std::error_code error;
    const std::string out = std::filesystem::absolute(argv[2], error).string();
    const int result = error ? Fail("bad path %s", argv[2]) : Run(argv[1], out);
    Debug::Instance()->SetSink(nullptr);
    return result;
}
