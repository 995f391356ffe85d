// The match cameras of the default data on every stadium: wherever play stops near a touch
// line, a corner flag or a goal, each following camera stays inside the bowl and sees the
// player it follows.
#include "support/AssetTestSupport.h"

#include "framework/Cast.h"
#include "framework/Factory.h"
#include "pitch/CameraControl.h"
#include "pitch/TBWorld.h"
#include "scene/Atmosphere.h"
#include "scene/RwGraphics.h"
#include "simulation/TrackedObject.h"
#include "tools/assets/world/Levels.h"
#include "tools/assets/world/Stadium.h"

#include <gtest/gtest.h>

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

// A corner camera looks from outside its own corner only.
bool Serves(TrackingCameraControl& control, const Spot& spot)
{
    const Vector3 out = control.GetRotation().ToMatrix() * Vector3{0.0f, 0.0f, -1.0f};
    return std::string(spot.what) == "corner" && out.x * spot.where.x > 0.0f && out.z * spot.where.z > 0.0f;
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

TEST(MatchCameras, every_following_camera_stays_in_the_bowl_and_sees_the_taker_on_every_stadium)
{
    const std::string stage = test::SharedStage();
    ASSERT_FALSE(stage.empty());
    Taker taker;
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
        for (const Camera& camera : cameras) {
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
                        if (corner && !Serves(*tracking, spot))
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
        SetCameraTarget(nullptr);
        SetCameraFlipped(false);
        world.Unload();
        RwGraphics::Instance()->SetWorld(nullptr);
    }
}

}  // namespace
}  // namespace assets
