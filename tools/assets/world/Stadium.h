#pragma once

// The stand layout of a level, shared by the world, its dressing and its cameras.

#include "tools/assets/world/Levels.h"

namespace assets::world {

struct StandProfile {
    Vec3 front;   // centre of the front edge, on the ground
    Vec3 out;     // away from the pitch
    Vec3 along;   // along the front edge
    float half;   // half length along `along`
    int tiers;
    float depth;  // of all tiers
    float top;    // height of the top tier
};

struct StadiumLayout {
    StandProfile stands[4];  // far side (+z), near side (-z), right end (+x), left end (-x)
};

// The squad selection's seat row on the far touch line, in front of the far stand: long
// enough for the largest offer of the widest race, its plank at the height of a seated
// character's hips. The far boards step back behind it, so the bench camera sees the
// candidates whole.
struct SelectionRow {
    float left;   // least x of the seats
    float right;  // greatest x
    float z;      // the seats' line, where the candidates are placed
};
SelectionRow SelectionRowExtent();
inline constexpr float kSelectionSeatHeight = 0.35f;
// Where the far boards stand along the row: just in front of the scrolling board.
inline constexpr float kSelectionBoardsZ = 39.7f;

StadiumLayout LayoutFor(const Theme& theme);
MeshBuilder BuildLevelMesh(const Theme& theme);
// The lines painted on the pitch: a model of their own, drawn over the grass.
MeshBuilder BuildMarkings(const Theme& theme);
void AddTiers(MeshBuilder& m, const Theme& theme, Vec3 front, Vec3 out, Vec3 along, float half, int tiers,
              StandProfile* profile);

// The position on a stand of tier `tier` at `a` along it, on the tread (y included).
inline Vec3 TierPoint(const StandProfile& s, int tier, float a, float intoTier)
{
    return s.front + s.along * a + s.out * ((tier + intoTier) * kTierDepth) +
           Vec3{0, kStandBase + tier * kTierRise, 0};
}

}  // namespace assets::world
