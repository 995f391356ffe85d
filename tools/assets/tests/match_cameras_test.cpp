// The match cameras of the default data on every stadium: wherever play stops near a touch
// line, a corner flag or a goal, each following camera stays inside the bowl and sees the
// player it follows; and the views of a match standing still (set pieces, banners, replays,
// a player walking off) show the pitch from the open air, near enough to tell the players.
#include "support/AssetTestSupport.h"

#include "engine/core/RwFrame.h"
#include "framework/Cast.h"
#include "framework/Factory.h"
#include "match/setpieces/KickAim.h"
#include "pitch/CameraControl.h"
#include "pitch/TBWorld.h"
#include "scene/Atmosphere.h"
#include "scene/RwGraphics.h"
#include "simulation/TrackedObject.h"
#include "tools/assets/world/Levels.h"
#include "tools/assets/world/RestartViews.h"
#include "tools/assets/world/Stadium.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace assets {
namespace {

using namespace assets::world;

// A camera further out than this behind a stand's back row is over the car parks and the
// trees, not in the stadium.
constexpr float kRoomBehindStands = 6.0f;

class Taker : public TrackedObject {
public:
    const Vector3& GetPosition() const override { return position; }
    const Quaternion& GetRotation() const override { return rotation; }
    Vector3 position;
    Quaternion rotation = Quaternion::Identity;
};

struct Spot {
    const char* what;
    Vector3 where;
};

// Where a taker stands when play stops at the edges, on both touch lines and at both ends.
std::vector<Spot> StoppedPlay()
{
    std::vector<Spot> spots;
    for (float side : {-1.0f, 1.0f}) {
        for (float x : {-48.0f, -30.0f, 0.0f, 30.0f, 48.0f})
            spots.push_back({"throw-in", {x, 0.0f, side * (kHalfWidth + 0.6f)}});
        for (float end : {-1.0f, 1.0f}) {
            spots.push_back({"corner", {end * (kHalfLength + 0.6f), 0.0f, side * (kHalfWidth + 0.6f)}});
            spots.push_back({"flag", {end * (kHalfLength - 0.5f), 0.0f, side * (kHalfWidth - 0.5f)}});
            spots.push_back({"goal kick", {end * (kHalfLength - 5.5f), 0.0f, side * 4.0f}});
        }
    }
    return spots;
}

// Balls kicked over the boards and under the tiers of each stand: nothing sees them, but the
// camera that follows them must still stay in the stadium.
std::vector<Spot> UnderTheStands()
{
    std::vector<Spot> spots;
    for (float side : {-1.0f, 1.0f}) {
        for (float x : {-30.0f, 0.0f, 30.0f})
            spots.push_back({"under a side stand", {x, 0.0f, side * (kSideStandZ + 4.0f)}});
        spots.push_back({"under an end stand", {side * (kEndStandX + 4.0f), 0.0f, 10.0f}});
    }
    return spots;
}

// In front of every stand, or over the slope of its rows and not far behind its back row.
bool InsideBowl(const StadiumLayout& layout, const Vector3& eye)
{
    for (const StandProfile& stand : layout.stands) {
        const float into = Dot(Vec3{eye.x, eye.y, eye.z} - stand.front, stand.out);
        if (into <= 0.0f)
            continue;
        if (into > stand.depth + kRoomBehindStands || eye.y <= kStandBase + into / kTierDepth * kTierRise)
            return false;
    }
    return eye.y > 0.0f;
}

// A corner camera shows its own corner only.
bool Serves(const std::string& camera, const Spot& spot)
{
    return std::string(spot.what) == "corner" && CornerCamera(spot.where.x, spot.where.z) == camera;
}

struct Camera {
    std::string name;
    std::unique_ptr<CameraControl> control;
};

std::vector<Camera> LoadCameras(Cast& cast)
{
    std::vector<Camera> cameras;
    for (const CameraControlEntry& entry : GetCameraControlTable()) {
        cameras.push_back({entry.name, std::unique_ptr<CameraControl>(
            static_cast<CameraControl*>(FactoryRegistry::CameraControls().Create(entry.className)))});
        cast.AddMember(cameras.back().control.get(), ("Cameras|" + cameras.back().name).c_str(), false);
    }
    return cameras;
}

struct Stadium {
    const char* folder;
    const std::vector<Camera>& cameras;
    const StadiumLayout& layout;
};

// The body on every stadium, with its camera controls read from the data and its world current;
// the cameras follow the taker.
void OnEveryStadium(Taker& taker, const std::function<void(const Stadium&)>& body)
{
    const std::string stage = test::SharedStage();
    ASSERT_FALSE(stage.empty());
    for (int level = 0; level < kLevelCount; ++level) {
        const char* folder = LevelTheme(level).folder;
        test::StageAliases aliases(stage, folder);
        Cast cast("cameras");
        std::vector<Camera> cameras = LoadCameras(cast);
        ASSERT_TRUE(LoadSettings(&cast, "<PP>cameras.txt"));
        TBWorld world;
        ASSERT_TRUE(world.Load("<LP>Objects\\Level.bsp", "<LP><TP>"));
        const StadiumLayout layout = LayoutFor(LevelTheme(level));
        SetCameraTarget(&taker);
        body({folder, cameras, layout});
        SetCameraTarget(nullptr);
        SetCameraFlipped(false);
        world.Unload();
        RwGraphics::Instance()->SetWorld(nullptr);
    }
}

TEST(MatchCameras, every_following_camera_stays_in_the_bowl_and_sees_the_taker_on_every_stadium)
{
    Taker taker;
    OnEveryStadium(taker, [&](const Stadium& stadium) {
        const char* folder = stadium.folder;
        const StadiumLayout& layout = stadium.layout;
        for (const Camera& camera : stadium.cameras) {
            auto* tracking = dynamic_cast<TrackingCameraControl*>(camera.control.get());
            if (!tracking)
                continue;
            const bool corner = camera.name.rfind("Corner", 0) == 0;
            for (bool flipped : {false, true})
                for (float zoom : {0.0f, 0.5f, 1.0f})
                    for (const Spot& spot : StoppedPlay()) {
                        SetCameraFlipped(flipped);
                        tracking->SetZoom(zoom);
                        taker.position = spot.where;
                        tracking->Activate();
                        if (corner && !Serves(camera.name, spot))
                            continue;
                        const Vector3 eye = tracking->GetPosition();
                        const Vector3 seen = spot.where + Vector3{0.0f, TrackingCameraControl::kSightHeight, 0.0f};
                        SCOPED_TRACE(std::string(folder) + " " + camera.name + " " + spot.what + " at x " +
                                     std::to_string(spot.where.x) + " z " + std::to_string(spot.where.z) +
                                     " zoom " + std::to_string(zoom) + (flipped ? " flipped" : "") + ", eye " +
                                     std::to_string(eye.x) + " " + std::to_string(eye.y) + " " +
                                     std::to_string(eye.z));
                        EXPECT_TRUE(InsideBowl(layout, eye));
                        EXPECT_LT(Raycaster::Instance()->RayTest(eye, seen), 0.0f);
                    }
            if (corner)
                continue;
            for (bool flipped : {false, true})
                for (const Spot& spot : UnderTheStands()) {
                    SetCameraFlipped(flipped);
                    tracking->SetZoom(0.5f);
                    taker.position = spot.where;
                    tracking->Activate();
                    const Vector3 eye = tracking->GetPosition();
                    SCOPED_TRACE(std::string(folder) + " " + camera.name + " " + spot.what + " at x " +
                                 std::to_string(spot.where.x) + " z " + std::to_string(spot.where.z) +
                                 (flipped ? " flipped" : "") + ", eye " + std::to_string(eye.x) + " " +
                                 std::to_string(eye.y) + " " + std::to_string(eye.z));
                    EXPECT_TRUE(InsideBowl(layout, eye));
                }
        }
    });
}

namespace views {

// What a player must see at a restart: nothing of the stadium nearer the lens than this
// (boards across the view, the crowd under it), and the ground in at least this share of the
// picture, the stands in the rest.
constexpr float kClearSight = 10.0f;
constexpr float kGroundShare = 0.5f;
// A player farther than this from the lens is a few pixels tall.
constexpr float kFarthest = 36.0f;
// The primary camera's view window on a 4:3 screen, and the rays sampled across it.
constexpr float kViewX = 0.8f, kViewY = 0.6f;
constexpr int kRaysX = 16, kRaysY = 12;
constexpr float kFarRay = 400.0f;
// The ground reaches to the stands' fronts; a goal stands on it.
constexpr float kGroundTop = 0.2f;
constexpr float kGoalTop = kGoalHeight + 0.2f;

struct Eye {
    Vector3 pos, right, up, at;
};

Vector3 ToVector(const RwV3d& v)
{
    return {v.x, v.y, v.z};
}

Eye EyeOf(CameraControl& control)
{
    RwFrame* frame = RwFrameCreate();
    control.ApplyToFrame(frame);
    const RwMatrix* m = RwFrameGetMatrix(frame);
    const Eye eye{ToVector(m->pos), ToVector(m->right), ToVector(m->up), ToVector(m->at)};
    RwFrameDestroy(frame);
    return eye;
}

// The grass in front of the stands and the goals on it: what a view of play is for.
bool OnGround(const Vector3& p)
{
    const float x = std::fabs(p.x), z = std::fabs(p.z);
    const bool ground = p.y < kGroundTop && x < kEndStandX && z < kSideStandZ;
    const bool goal = p.y < kGoalTop && x > kHalfLength - 0.2f && x < kHalfLength + kGoalDepth + 0.2f &&
                      z < kGoalHalfWidth + 0.2f;
    return ground || goal;
}

struct Picture {
    float nearest = kFarRay;  // the nearest thing but the ground along any ray
    float groundShare = 0.0f;
};

Picture Look(const Eye& eye)
{
    const Raycaster* rays = Raycaster::Instance();
    Picture picture;
    int onGround = 0;
    for (int i = 0; i < kRaysX; ++i)
        for (int j = 0; j < kRaysY; ++j) {
            const float sx = ((i + 0.5f) / kRaysX * 2.0f - 1.0f) * kViewX;
            const float sy = ((j + 0.5f) / kRaysY * 2.0f - 1.0f) * kViewY;
            Vector3 along = eye.at + eye.right * sx + eye.up * sy;
            along.Normalize();
            const float hit = rays->RayTest(eye.pos, eye.pos + along * kFarRay);
            if (hit < 0.0f)
                continue;
            const Vector3 at = eye.pos + along * (hit * kFarRay);
            if (OnGround(at))
                ++onGround;
            else
                picture.nearest = std::min(picture.nearest, hit * kFarRay);
        }
    picture.groundShare = static_cast<float>(onGround) / (kRaysX * kRaysY);
    return picture;
}

// Where the point falls in the view window, (0, 0) the middle; false behind the lens.
bool Project(const Eye& eye, const Vector3& point, float& x, float& y)
{
    const Vector3 d = point - eye.pos;
    const float depth = d.Dot(eye.at);
    if (depth <= 0.0f)
        return false;
    x = d.Dot(eye.right) / depth;
    y = d.Dot(eye.up) / depth;
    return true;
}

}  // namespace views

TEST(MatchCameras, the_restart_views_show_the_pitch_from_the_open_near_enough_on_every_stadium)
{
    using namespace views;
    Taker taker;
    OnEveryStadium(taker, [&](const Stadium& stadium) {
        const char* folder = stadium.folder;
        const StadiumLayout& layout = stadium.layout;
        for (const RestartView& view : RestartViews()) {
            CameraControl* control = nullptr;
            for (const Camera& camera : stadium.cameras)
                if (camera.name == view.camera)
                    control = camera.control.get();
            ASSERT_NE(control, nullptr) << view.camera;
            taker.position = Vector3{view.followed.x, view.followed.y, view.followed.z};
            SetCameraFlipped(view.flipped);
            if (view.kind == RestartView::kRestart)
                KickAim::LookFromPitchSide(control);
            control->Activate();
            const Eye eye = EyeOf(*control);
            control->Deactivate();
            KickAim::LookFromHalfSide();
            const Picture picture = Look(eye);
            const Vector3 seen = taker.position + Vector3{0.0f, TrackingCameraControl::kSightHeight, 0.0f};
            float x = 0.0f, y = 0.0f;
            const bool inView = Project(eye, seen, x, y) && std::fabs(x) <= kViewX && std::fabs(y) <= kViewY;
            const float distance = (seen - eye.pos).Length();
            // The player's own camera is as near as he chose it; a goal stands at the end of
            // the pitch, in front of its stand.
            const bool chosen = view.kind == RestartView::kBanner || view.kind == RestartView::kReplay;
            const bool ok = InsideBowl(layout, eye.pos) && inView &&
                            (chosen || (picture.nearest >= kClearSight && distance <= kFarthest)) &&
                            (view.kind == RestartView::kReplay || picture.groundShare >= kGroundShare);
            EXPECT_TRUE(ok) << folder << " " << view.what << " through " << view.camera << " at x "
                            << view.followed.x << " z " << view.followed.z << (view.flipped ? " flipped" : "")
                            << ": eye " << eye.pos.x << " " << eye.pos.y << " " << eye.pos.z << ", inside "
                            << InsideBowl(layout, eye.pos) << ", nearest " << picture.nearest << ", ground "
                            << picture.groundShare << ", in view " << inView << " (" << x << ", " << y
                            << "), distance " << distance;
        }
    });
}

}  // namespace
}  // namespace assets
