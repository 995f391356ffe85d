// The stadiums as a match shows them, through the scene classes on the default data:
//     scene_shot stadiums <game folder> <out folder>
// draws pictures (PNG) of every stadium from the broadcast camera following a runner, towards
// the sun with its flares, the sun behind a stand, and a panda half-way from run to shoot.
// The game folder holds data\Turfbolt.dat, or the data unpacked (the stage folder). Each
// picture is checked: a scene in it, and flares exactly where the sun can be seen. Last, the
// panda is drawn behind the camera and half out of the picture, to check how it is culled, and
// near and far, to check that it draws its low-detail meshes only when small.
#include "engine/core/RwCore.h"
#include "engine/core/RwDevice.h"
#include "engine/gl/GLDevice.h"
#include "engine/plugins/RpPlugins.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "framework/MathUtil.h"
#include "pitch/CameraControl.h"
#include "scene/Atmosphere.h"
#include "scene/Camera.h"
#include "scene/EngineUtil.h"
#include "scene/RwGraphics.h"
#include "tools/common/Fail.h"
#include "tools/scene_shot/Level.h"
#include "tools/stadium_scene/StadiumScene.h"

#include <cstring>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using tools::Cameras;
using tools::FailStep;
using tools::DrawFrame;
using tools::kLevels;
using tools::Stadium;
using Runner = tools::Character;

constexpr int kSheetWidth = 800, kSheetHeight = 600;
constexpr float kFrameTime = 1.0f / 30.0f;
constexpr float kBlendTime = 0.25f;
// How far beside the sun the sun pictures look (a fraction of the distance to it).
constexpr float kSunAside = 0.22f;
constexpr float kLowEye = 0.6f;
constexpr float kBehindGoal = 53.0f;

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
    const bool ok = DrawFrame(stadium.World(), {&runner}) && tools::SavePicture("scene_shot stadiums", out);
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
    if (!DrawFrame(stadium.World()) || !tools::SavePicture("scene_shot stadiums", out))
        return false;
    if ((flares->GetDrawnCount() > 0) != wantFlares)
        return FailStep("%s: %s", out.c_str(), wantFlares ? "no flares towards the sun" : "flares through a stand");
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
    return FailStep("no place where a stand hides the sun");
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
        return FailStep("the panda does not blend from run to shoot");
    LookAt({-1.6f, 1.4f, -3.2f}, {0, 0.85f, 0});
    stadium.World().Update(0.0f);
    return DrawFrame(stadium.World(), {&runner}) && tools::SavePicture("scene_shot stadiums", out);
}

// How many meshes of the runner reach the device, drawn alone, and with how many triangles.
struct Drawn {
    uint32_t meshes = 0, triangles = 0;
};
Drawn RunnerDrawn(Runner& runner)
{
    Camera* camera = RwGraphics::Instance()->GetCamera();
    const auto* device = dynamic_cast<const GLDevice*>(RwDeviceGetCurrent());
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    if (!device || !camera->Clear(black, rwCameraClearImage | rwCameraClearZ) || !camera->BeginUpdate())
        return {};
    const uint32_t before = device->Counters().meshDraws, trianglesBefore = RwEngineGetFrameMetrics()->numTriangles;
    runner.Render();
    const Drawn drawn{device->Counters().meshDraws - before, RwEngineGetFrameMetrics()->numTriangles - trianglesBefore};
    camera->EndUpdate();
    return drawn;
}

uint32_t RunnerDraws(Runner& runner)
{
    return RunnerDrawn(runner).meshes;
}

// A player on screen at full size draws its full meshes; one far off (smaller than at the
// match camera) draws the simpler ones the data gives its body and kit.
bool CheckDetailBySize(Runner& runner)
{
    std::vector<RpAtomic*> atomics;
    runner.GetAtomics(atomics);
    uint32_t full = 0, low = 0;
    for (RpAtomic* atomic : atomics) {
        full += uint32_t(RpAtomicGetGeometry(atomic)->numTriangles);
        const RpGeometry* simple = RpAtomicGetLowDetail(atomic);
        low += uint32_t((simple ? simple : RpAtomicGetGeometry(atomic))->numTriangles);
    }
    if (low >= full)
        return FailStep("the runner has no low-detail meshes");
    runner.SetPosition({0, 0, 0});
    runner.Update(0.0f);
    const struct {
        float distance;
        uint32_t triangles;
    } views[] = {{4.0f, full}, {70.0f, low}, {4.0f, full}};
    for (const auto& view : views) {
        LookAt({0, 1, -view.distance}, {0, 1, 0});
        const uint32_t drawn = RunnerDrawn(runner).triangles;
        if (drawn != view.triangles)
            return FailStep("the runner %f m away draws %u triangles, not %u", view.distance, drawn, view.triangles);
    }
    return true;
}

// Characters are culled by where their bones put them: none drawn behind the camera, all of
// one drawn that stands half out of the picture, mid-kick.
bool CheckCharacterCulling(Runner& runner)
{
    runner.SetPosition({0, 0, 0});
    runner.SetRotation(Quaternion::Identity);
    runner.SetAnimation(1, 0.0f);
    runner.Update(0.4f);
    const Vector3 eye{0, 1, -5};
    LookAt(eye, {0, 1, 0});
    const uint32_t inView = RunnerDraws(runner);
    if (inView == 0)
        return FailStep("the runner in front of the camera is not drawn");
    LookAt(eye, {0, 1, -10});
    if (RunnerDraws(runner) != 0)
        return FailStep("the runner behind the camera is drawn");
    // Its middle on the side of the view at five metres.
    LookAt(eye, {0, 1, 0});
    RwCamera* camera = RwGraphics::Instance()->GetCamera()->GetRwCamera();
    const RwMatrix* view = RwFrameGetLTM(RwCameraGetFrame(camera));
    constexpr float kAhead = 5.0f;
    const float aside = kAhead * camera->viewWindow.x;
    runner.SetPosition({eye.x + view->at.x * kAhead + view->right.x * aside, 0,
                        eye.z + view->at.z * kAhead + view->right.z * aside});
    runner.Update(0.0f);
    if (RunnerDraws(runner) != inView)
        return FailStep("the runner half in view is not drawn whole");
    return true;
}

bool MakeSheet(const std::string& outDir)
{
    Stadium stadium;
    Cameras cameras;
    Runner runner;
    if (!cameras.Load() || !runner.Load("Panda", "Var00", {"run", "shoot"}))
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
    return CheckCharacterCulling(runner) && CheckDetailBySize(runner) && ok;
}

}  // namespace

int tools::level::StadiumShot(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: scene_shot stadiums <game folder> <out folder>\n");
        return 2;
    }
    return tools::RunInStadiumInto("scene_shot stadiums", argv[1], argv[2], kSheetWidth, kSheetHeight, MakeSheet);
}
