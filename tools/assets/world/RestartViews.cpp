#include "tools/assets/world/RestartViews.h"

#include "match/StoppedPlay.h"
#include "tools/assets/world/Levels.h"

namespace assets::world {

namespace {

using Kind = RestartView::Kind;

// A taker stands this far inside the line the ball went over.
constexpr float kInside = 0.5f;
// Where a ball over a line comes to rest: just over it, at the boards' foot and under the tiers.
constexpr float kOutBy[] = {1.5f, 4.0f, 12.0f};
// Where players walk off to, beyond the near touch line either side of halfway.
constexpr float kSpawnX = 10.0f;
constexpr float kSpawnZ = -(kHalfWidth + 3.0f);

const char* const kPlayerCameras[] = {"StandardMedium", "LeftToRightMedium", "RightToLeftMedium", "TopDownMedium",
                                      "IsometricMedium"};

void Add(std::vector<RestartView>& views, const std::string& what, const std::string& camera, Vec3 at, Kind kind)
{
    for (bool flipped : {false, true})
        views.push_back({what, camera, at, flipped, kind});
}

void AddSetPieces(std::vector<RestartView>& views)
{
    for (float side : {-1.0f, 1.0f}) {
        for (float x : {-45.0f, -25.0f, 0.0f, 25.0f, 45.0f}) {
            Add(views, "throw-in", "Throw In", {x, 0, side * (kHalfWidth - kInside)}, Kind::kRestart);
            Add(views, "free kick by the line", "Throw In", {x, 0, side * (kHalfWidth - 4.0f)}, Kind::kRestart);
        }
        for (float end : {-1.0f, 1.0f}) {
            const Vec3 corner{end * (kHalfLength - kInside), 0, side * (kHalfWidth - kInside)};
            // The corner cameras do not turn with the halves.
            views.push_back({"corner", CornerCamera(corner.x, corner.z), corner, false, Kind::kRestart});
            Add(views, "goal kick", "Throw In", {end * (kHalfLength - 5.5f), 0, side * 4.0f}, Kind::kRestart);
            Add(views, "keeper kick", "Throw In", {end * (kHalfLength - 14.0f), 0, side * 10.0f}, Kind::kRestart);
            Add(views, "free kick at the area", "Throw In", {end * (kHalfLength - 18.0f), 0, side * 8.0f},
                Kind::kRestart);
            Add(views, "referee by a corner", "Referee", {end * (kHalfLength - 8.0f), 0, side * (kHalfWidth - 3.0f)},
                Kind::kRestart);
        }
        Add(views, "referee by the line", "Referee", {0, 0, side * (kHalfWidth - 2.0f)}, Kind::kRestart);
    }
}

Vec3 Framed(Vec3 ball)
{
    const Vector3 framed = StoppedPlay::FramedPoint(Vector3{ball.x, ball.y, ball.z});
    return {framed.x, framed.y, framed.z};
}

// The banner shows while the ball runs on over the line: the player's camera looks where it
// went out.
void AddBanners(std::vector<RestartView>& views)
{
    for (const char* camera : kPlayerCameras)
        for (float out : kOutBy)
            for (float side : {-1.0f, 1.0f}) {
                Add(views, "ball over the goal line", camera, Framed({side * (kHalfLength + out), 0, 12.0f}),
                    Kind::kBanner);
                Add(views, "ball over the touch line", camera, Framed({20.0f, 0, side * (kHalfWidth + out)}),
                    Kind::kBanner);
            }
}

// The replay's first showing follows the ball into the net through the player's camera; the
// second one is the goal's own camera.
void AddReplays(std::vector<RestartView>& views)
{
    for (float end : {-1.0f, 1.0f}) {
        const Vec3 net{end * (kHalfLength + 1.0f), 0, 1.0f};
        for (const char* camera : kPlayerCameras)
            Add(views, "replay into the net", camera, net, Kind::kReplay);
        views.push_back({"replay", end > 0 ? "Goal Left Middle" : "Goal Right Middle", net, false, Kind::kFixed});
        views.push_back({"penalty", end > 0 ? "Penalty Left" : "Penalty Right",
                         {end * (kHalfLength - kPenaltySpotDistance), 0, 0}, false, Kind::kFixed});
        views.push_back({"walking off", "Whole Field", {end * kSpawnX, 0, kSpawnZ}, false, Kind::kFixed});
    }
}

}  // namespace

std::string CornerCamera(float x, float z)
{
    // The first side defends the left goal, at +x; the near touch line is at -z.
    return std::string("Corner ") + (x > 0.0f ? "Left " : "Right ") + (z < 0.0f ? "Near" : "Far");
}

std::vector<RestartView> RestartViews()
{
    std::vector<RestartView> views;
    AddSetPieces(views);
    AddBanners(views);
    AddReplays(views);
    return views;
}

}  // namespace assets::world
