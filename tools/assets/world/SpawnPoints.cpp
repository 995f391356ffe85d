// Where players walk off to and come on from: a point beyond the near touch line (the
// cameras' side) in each side's own half.
#include "framework/Cast.h"
#include "simulation/PitchVolume.h"
#include "simulation/Shape.h"
#include "tools/assets/world/Levels.h"

namespace assets::world {

namespace {

// Beyond the boards' foot, where a player walking off is out of play and still in view of
// the close cameras.
constexpr float kBeyondTouchLine = 3.0f;
// Towards each side's own goal from halfway, where the benches would stand.
constexpr float kFromHalfway = 10.0f;
// Seen only with the collision display on: a marker the size of a standing player.
constexpr float kMarkerRadius = 0.5f;
constexpr float kMarkerHeight = 2.0f;

void AddSpawnPoint(Cast& cast, const char* name, float x)
{
    // A position only: in no collision set, so nothing touches it.
    auto* point = new CylindricalPitchVolume();
    point->SetCollisionName("spawnpoint");
    cast.AddDynamicMember(point, name);
    point->SetPosition({x, 0.0f, -(kHalfWidth + kBeyondTouchLine)});
    point->GetCylinder().radius = kMarkerRadius;
    point->GetCylinder().length = kMarkerHeight;
}

}  // namespace

// The first side defends the "Left" goal at +x.
void AddSpawnPoints(Cast& cast)
{
    AddSpawnPoint(cast, "LeftSpawnPoint", kFromHalfway);
    AddSpawnPoint(cast, "RightSpawnPoint", -kFromHalfway);
}

}  // namespace assets::world
