// The views of a match standing still, on every stadium, as the match shows them:
//     scene_shot views <game folder> <out folder> [situation]
// draws a picture (PNG) of each restart view of the default data (the set pieces' cameras on
// their taker, the player's cameras on a ball gone out under the banner, the replay's and the
// walk-off's cameras) with a panda where the view's camera follows and the ball at his feet,
// named "<level>_<situation>_<camera>_<x>_<z>[_flipped].png". A situation given draws only
// the views whose situation begins so ("corner", "ball over"). Each picture is checked for a
// scene in it.
#include "framework/Cast.h"
#include "framework/MathUtil.h"
#include "match/setpieces/KickAim.h"
#include "pitch/CameraControl.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "tools/assets/world/RestartViews.h"
#include "tools/common/Fail.h"
#include "tools/scene_shot/Level.h"
#include "tools/stadium_scene/StadiumScene.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

using assets::world::RestartView;
using tools::FailStep;

constexpr int kWidth = 800, kHeight = 600;
// The ball lies this far in front of the taker.
constexpr float kBallAhead = 0.6f;

std::string PictureName(const char* level, const RestartView& view)
{
    std::string name = std::string(level) + "_" + view.what + "_" + view.camera + "_" +
                       std::to_string(static_cast<int>(std::lround(view.followed.x))) + "_" +
                       std::to_string(static_cast<int>(std::lround(view.followed.z))) +
                       (view.flipped ? "_flipped" : "") + ".png";
    for (char& c : name)
        if (c == ' ')
            c = '_';
    return name;
}

// The panda at the followed place facing the centre spot, the ball in front of him.
void Place(tools::Character& taker, tools::Ball& ball, const RestartView& view)
{
    const Vector3 at{view.followed.x, view.followed.y, view.followed.z};
    Vector3 toCentre = Vector3{0, 0, 0} - at;
    toCentre.y = 0.0f;
    if (toCentre.Length() < 0.01f)
        toCentre = Vector3{1, 0, 0};
    toCentre.Normalize();
    taker.SetPosition(at);
    taker.SetRotation(Quaternion(std::atan2(toCentre.x, toCentre.z), Vector3::UnitY));
    taker.Update(0.0f);
    ball.SetPosition(at + toCentre * kBallAhead + Vector3{0, 0.11f, 0});
    ball.Update(0.0f);
}

bool Shoot(tools::Stadium& stadium, const tools::Cameras& cameras, const char* level, const RestartView& view,
           tools::Character& taker, tools::Ball& ball, const std::string& out)
{
    CameraControl* control = cameras.Find(view.camera);
    if (!control)
        return FailStep("no camera \"%s\"", view.camera.c_str());
    Place(taker, ball, view);
    SetCameraTarget(&taker);
    SetCameraFlipped(view.flipped);
    if (view.kind == RestartView::kRestart)
        KickAim::LookFromPitchSide(control);
    control->Activate();
    control->ApplyToFrame(RwGraphics::Instance()->GetCamera()->GetFrame());
    control->Deactivate();
    KickAim::LookFromHalfSide();
    stadium.World().Update(0.0f);
    const bool ok =
        tools::DrawFrame(stadium.World(), {&taker, &ball}) && tools::SavePicture("scene_shot views", out + "/" + PictureName(level, view));
    SetCameraTarget(nullptr);
    SetCameraFlipped(false);
    return ok;
}

bool DrawViews(const std::string& out, const std::string& only)
{
    tools::Stadium stadium;
    tools::Cameras cameras;
    tools::Character taker;
    tools::Ball ball;
    if (!cameras.Load() || !taker.Load("Panda", "Var00", {"idle"}) || !ball.Load())
        return false;
    bool ok = true;
    for (const char* level : tools::kLevels) {
        if (!stadium.Load(level))
            return false;
        for (const RestartView& view : assets::world::RestartViews())
            if (view.what.rfind(only, 0) == 0)
                ok = Shoot(stadium, cameras, level, view, taker, ball, out) && ok;
    }
    return ok;
}

}  // namespace

int tools::level::ViewsShot(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: scene_shot views <game folder> <out folder> [situation]\n");
        return 2;
    }
    const std::string only = argc == 4 ? argv[3] : "";
    return tools::RunInStadiumInto("scene_shot views", argv[1], argv[2], kWidth, kHeight,
                                   [&](const std::string& out) { return DrawViews(out, only); });
}
