// Each level's pitch volumes: the ground, the planes round the pitch, the goal areas and the
// goal frames, written through their own tables.
#include "framework/Cast.h"
#include "simulation/PitchVolume.h"
#include "simulation/Shape.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/world/Balls.h"
#include "tools/assets/world/Levels.h"

#include <memory>
#include <string>

namespace assets::world {

namespace {

constexpr const char* kBallSet = "ball+pitchvolumes";
// The planes stand a ball's width outside the lines, so the ball is out only once wholly over.
constexpr float kOutMargin = 2.0f * kBallRadius;
constexpr float kPostRadius = 0.1f;
constexpr float kBarThickness = 0.2f;
constexpr float kNetThickness = 0.1f;
// The areas are as tall as a lob.
constexpr float kAreaHeight = 10.0f;
// The wings near each goal line, from which a pass goes high into the area.
constexpr float kWingDepth = 20.0f;
// The keeper comes out for a ball inside the "On" box; the larger "Off" box keeps him from
// turning back the moment the ball crosses the edge.
constexpr float kCloseTriggerOnDepth = 7.0f;
constexpr float kCloseTriggerOnHalfWidth = 7.0f;
constexpr float kCloseTriggerOffDepth = 9.0f;
constexpr float kCloseTriggerOffHalfWidth = 9.0f;
// The size of the penalty spot's painted disc.
constexpr float kSpotRadius = 0.11f;
// The goal area, scaled like the penalty area: a keeper's kick is taken from its front corners.
constexpr float kGoalAreaDepth = 3.7f;
constexpr float kGoalAreaHalfWidth = 6.1f;

template <class Volume>
Volume* Add(Cast& cast, const char* name, const char* id)
{
    auto* volume = new Volume();
    volume->SetCollisionName(id);
    volume->MoveToCollisionSet(kBallSet);
    cast.AddDynamicMember(volume, name);
    return volume;
}

void AddPlane(Cast& cast, const char* name, const char* id, const Vector3& inward, float distance)
{
    Plane& plane = Add<PlanarPitchVolume>(cast, name, id)->GetPlane();
    plane.normal = inward;
    plane.distance = distance;
}

void AddBox(Cast& cast, const char* name, const char* id, const Vector3& low, const Vector3& size)
{
    CubicPitchVolume* box = Add<CubicPitchVolume>(cast, name, id);
    box->SetPosition(low);
    box->GetCube().size = size;
}

void AddPost(Cast& cast, const char* name, const Vector3& base)
{
    CylindricalPitchVolume* post = Add<CylindricalPitchVolume>(cast, name, "collidecylinder");
    post->SetPosition(base);
    post->GetCylinder().radius = kPostRadius;
    post->GetCylinder().length = kGoalHeight;
}

// side +1: the goal at x = +50 that the first side defends ("Left"); -1 the other. A keeper
// facing the pitch has his left on +z at the left goal and on -z at the right one.
void AddGoal(Cast& cast, int side)
{
    const bool left = side > 0;
    const auto name = [&](const char* part) { return std::string(left ? "Left" : "Right") + part; };
    const float line = side * kHalfLength, net = side * (kHalfLength + kGoalDepth);
    const float inner = std::min(line, net), z = kGoalHalfWidth;
    AddBox(cast, name("GoalArea").c_str(), left ? "leftgoalscorearea" : "rightgoalscorearea", {inner, 0, -z},
           {kGoalDepth, kGoalHeight, 2 * z});
    AddPost(cast, name("GoalLeftPost").c_str(), {line, 0, side * z});
    AddPost(cast, name("GoalRightPost").c_str(), {line, 0, -side * z});
    const float bar = kBarThickness, edge = z + kPostRadius;
    AddBox(cast, name("Crossbar").c_str(), "collidecube", {line - bar / 2, kGoalHeight - bar / 2, -edge},
           {bar, bar, 2 * edge});
    // The net's back and its two sides, each one box under the one name.
    const float back = left ? net : net - kNetThickness;
    AddBox(cast, name("GoalNet").c_str(), "collidecube", {back, 0, -z}, {kNetThickness, kGoalHeight, 2 * z});
    for (int e = -1; e <= 1; e += 2)
        AddBox(cast, name("GoalNet").c_str(), "collidecube", {inner, 0, e > 0 ? z : -z - kNetThickness},
               {kGoalDepth, kGoalHeight, kNetThickness});
}

// An area that rules and players look up by name; in no collision set, so the ball passes
// through it.
void AddArea(Cast& cast, const char* name, const char* id, const Vector3& low, const Vector3& size)
{
    auto* box = new CubicPitchVolume();
    box->SetCollisionName(id);
    cast.AddDynamicMember(box, name);
    box->SetPosition(low);
    box->GetCube().size = size;
}

// side +1: the areas by the left goal, which the first side defends.
void AddAreasAtGoal(Cast& cast, int side)
{
    const std::string end = side > 0 ? "Left" : "Right";
    const float low = side > 0 ? kHalfLength - kPenaltyAreaDepth : -kHalfLength;
    AddArea(cast, (end + "PenaltyArea").c_str(), "penaltyarea", {low, 0, -kPenaltyAreaHalfWidth},
            {kPenaltyAreaDepth, kAreaHeight, 2 * kPenaltyAreaHalfWidth});
    const float wingLow = side > 0 ? kHalfLength - kWingDepth : -kHalfLength;
    const float wingWidth = kHalfWidth - kPenaltyAreaHalfWidth;
    AddArea(cast, ("PassHighArea" + end + "Far").c_str(), "passhigharea", {wingLow, 0, kPenaltyAreaHalfWidth},
            {kWingDepth, kAreaHeight, wingWidth});
    AddArea(cast, ("PassHighArea" + end + "Near").c_str(), "passhigharea", {wingLow, 0, -kHalfWidth},
            {kWingDepth, kAreaHeight, wingWidth});
    for (const bool on : {true, false}) {
        const float depth = on ? kCloseTriggerOnDepth : kCloseTriggerOffDepth;
        const float halfWidth = on ? kCloseTriggerOnHalfWidth : kCloseTriggerOffHalfWidth;
        AddArea(cast, (end + "CloseTrigger" + (on ? "On" : "Off")).c_str(), "closetrigger",
                {side > 0 ? kHalfLength - depth : -kHalfLength, 0, -halfWidth}, {depth, kAreaHeight, 2 * halfWidth});
    }
    auto* guard = new CylindricalPitchVolume();
    guard->SetCollisionName("guardcylinder");
    cast.AddDynamicMember(guard, (end + "GuardCylinder").c_str());
    guard->SetPosition({side * kHalfLength, 0, 0});
    guard->GetCylinder().radius = kGuardRadius;
    guard->GetCylinder().length = kGoalHeight;
}

// side +1: the penalty spot and the keeper's line at the left goal. In no collision set: the
// kick looks them up by name, and the ball passes through.
void AddPenaltyPlaces(Cast& cast, int side)
{
    const std::string end = side > 0 ? "Left" : "Right";
    auto* spot = new CylindricalPitchVolume();
    spot->SetCollisionName("penaltyspot");
    cast.AddDynamicMember(spot, (end + "PenaltySpot").c_str());
    spot->SetPosition({side * (kHalfLength - kPenaltySpotDistance), 0, 0});
    spot->GetCylinder().radius = kSpotRadius;
    auto* line = new PlanarPitchVolume();
    line->SetCollisionName("keeperline");
    cast.AddDynamicMember(line, (end + "KeeperLine").c_str());
    // On the goal line, facing into the pitch.
    line->GetPlane().normal = {-static_cast<float>(side), 0, 0};
    line->GetPlane().distance = -kHalfLength;
}

// side +1: the left goal's kick spots. A ball out over a goal line on one side of it calls for
// the spot of that side's name: on +z at the left goal and on -z at the right one.
void AddKickSpots(Cast& cast, int side)
{
    const std::string end = side > 0 ? "LeftGoal" : "RightGoal";
    for (const bool left : {true, false}) {
        auto* spot = new CylindricalPitchVolume();
        spot->SetCollisionName("kickspot");
        cast.AddDynamicMember(spot, (end + (left ? "LeftKickSpot" : "RightKickSpot")).c_str());
        const float across = (left ? 1.0f : -1.0f) * static_cast<float>(side) * kGoalAreaHalfWidth;
        spot->SetPosition({side * (kHalfLength - kGoalAreaDepth), 0, across});
        spot->GetCylinder().radius = kSpotRadius;
    }
}

bool WritePitchVolumes(const AssetContext& context)
{
    bool ok = true;
    for (int i = 0; i < kLevelCount; ++i) {
        Cast objects("objects");
        AddLevelPitchVolumes(objects);
        AddLevelElements(objects);
        AddSpawnPoints(objects);
        const std::string file = std::string(LevelTheme(i).folder) + "/settings/objects/objects.txt";
        ok = WriteCastFile(objects, context.Path(file)) && ok;
    }
    return ok;
}

const GeneratorRegistrar kVolumes("world.pitchvolumes", &WritePitchVolumes);

}  // namespace

// All in "ball+pitchvolumes"; the ground may never join "characters+pitchvolumes", where a standing
// actor's base would always touch it.
void AddLevelPitchVolumes(Cast& cast)
{
    const float out = kHalfLength + kOutMargin, across = kHalfWidth + kOutMargin;
    AddPlane(cast, "GroundPlane", "ground", Vector3::UnitY, 0.0f);
    AddPlane(cast, "LeftEndPlane", "leftplane", {-1, 0, 0}, -out);
    AddPlane(cast, "RightEndPlane", "rightplane", {1, 0, 0}, -out);
    // The near touchline is on the pitch's across axis, which points along -z.
    AddPlane(cast, "NearTouchPlane", "nearplane", {0, 0, 1}, -across);
    AddPlane(cast, "FarTouchPlane", "farplane", {0, 0, -1}, -across);
    AddGoal(cast, 1);
    AddGoal(cast, -1);
    AddAreasAtGoal(cast, 1);
    AddAreasAtGoal(cast, -1);
    AddPenaltyPlaces(cast, 1);
    AddPenaltyPlaces(cast, -1);
    AddKickSpots(cast, 1);
    AddKickSpots(cast, -1);
}

}  // namespace assets::world
