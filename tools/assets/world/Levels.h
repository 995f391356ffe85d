#pragma once

// The four stadiums: their moods, the pitch and stand layout every part of a level shares
// (world, dressing, cameras), and the painters of their textures.

#include "settings/PitchCoordinates.h"
#include "tools/assets/common/Image.h"
#include "tools/assets/common/Mesh.h"

#include <string>

class Cast;
struct RpClump;

namespace assets {
struct AssetContext;
}

namespace assets::world {

enum class Style { Bamboo, Desert, Savanna, Modern };

struct Theme {
    const char* folder;  // level folder below the project folder
    Style style;
    uint32_t seed;
    Rgba grassLight, grassDark;  // mowing stripes
    Rgba apron, terrain, hills;
    Rgba wall, seatA, seatB, roof, trim;
    Rgba skyTop, skyHorizon, cloud;
    Rgba nightTop, nightHorizon;
    Rgba sunColour, ambientColour;  // baked light
    Rgba teamA, teamB;              // crowd and flag colours
    float stripeWidth;
    int introCameras;  // "camera01" ... up to this number
};

const Theme& LevelTheme(int index);  // 0..3
inline constexpr int kLevelCount = 4;

// Pitch: the match's own, centred at the origin, goal lines along z at x = +-kHalfLength.
inline constexpr float kHalfLength = PitchFrame::kHalfLength;
inline constexpr float kHalfWidth = PitchFrame::kHalfWidth;
inline constexpr float kGoalHalfWidth = 3.0f;
inline constexpr float kGoalHeight = 2.4f;
inline constexpr float kGoalDepth = 2.0f;
inline constexpr float kLineWidth = 0.15f;
inline constexpr float kLineHeight = 0.03f;  // above the grass, clear of depth fighting
// The penalty area as its lines are painted; the rules' area volume is the same box.
inline constexpr float kPenaltyAreaDepth = 15.7f;
inline constexpr float kPenaltyAreaHalfWidth = 18.7f;
// From the goal line: where a penalty is taken and its spot is painted.
inline constexpr float kPenaltySpotDistance = 11.0f;
// The keeper guards from the rim of a cylinder round the goal centre. 5.5 m out he narrows
// the angle of a shot from in front of him to nothing, but with his guard angle he cannot
// follow a wide one round: a shot from there passes beyond his dive. At 3 m a keeper who read
// the ball right saved nearly every shot, and a match had about one goal; at 6 m four.
inline constexpr float kGuardRadius = 5.5f;

// Stands: the long ones run along z = +-kSideStandZ outwards, the end ones along x.
inline constexpr float kSideStandZ = 40.0f;
inline constexpr float kEndStandX = 59.0f;
inline constexpr float kSideStandHalfLength = 58.0f;
inline constexpr float kEndStandHalfLength = 36.0f;
inline constexpr int kTiers = 14;
inline constexpr float kTierDepth = 0.9f;
inline constexpr float kTierRise = 0.55f;
inline constexpr float kStandBase = 1.4f;  // height of the first tier's front

// The sun the level is lit from (where the lens flares sit by default).
inline const Vec3 kSunPosition{260.0f, 150.0f, 32.5f};
Vec3 ToSun();

// Main camera of the match (broadcast position over the back of the near stand) and what it
// looks at.
inline const Vec3 kMainCameraEye{0.0f, 26.0f, -51.0f};
inline const Vec3 kMainCameraTarget{0.0f, 0.0f, 4.0f};

// Baked light for a surface normal: the colour times (ambient + sun x max(0, n . toSun)).
Rgba Lit(const Theme& theme, Rgba base, Vec3 normal);
// Bakes every vertex of the mesh with Lit (vertex colours are the base colours).
void BakeTheme(const Theme& theme, MeshBuilder& mesh, float occlusion = 1.0f);

// Texture painters (sizes are those of the full set).
Image PaintGrass(const Theme& theme);
Image PaintGround(const Theme& theme, Rgba base, uint32_t salt);
Image PaintNet();
// Paint across a line: the middle quarter painted, the rest clear.
Image PaintLines();
Image PaintConcrete(const Theme& theme);
Image PaintSeats(const Theme& theme);
Image PaintRoof(const Theme& theme);
Image PaintAdBoards(const Theme& theme);
Image PaintCrowd(const Theme& theme, uint32_t salt);
Image PaintFoliage(const Theme& theme);
Image PaintBark(const Theme& theme);
Image PaintFlag(const Theme& theme, int variant);
Image PaintShadow();
Image PaintLamp();
Image PaintFacade(const Theme& theme);
Image PaintSky(const Theme& theme);
Image PaintNightSky(const Theme& theme);
Image PaintBench(const Theme& theme);

// Writers of one level's parts into "<level folder>/...".
bool WriteLevelWorld(const AssetContext& context, const Theme& theme);
bool WriteLevelTextures(const AssetContext& context, const Theme& theme);
bool WriteLevelDressing(const AssetContext& context, const Theme& theme);
bool WriteLevelSky(const AssetContext& context, const Theme& theme);
bool WriteLevelCameras(const AssetContext& context, const Theme& theme);
// The elements every level's objects cast holds besides its pitch volumes.
void AddLevelElements(Cast& cast);
// "LeftSpawnPoint" and "RightSpawnPoint", where players walk off and come on.
void AddSpawnPoints(Cast& cast);

// A camera path: positions and look-at points sampled at even steps over the duration.
struct CameraPath {
    float duration;
    Vec3 (*eye)(float t01);
    Vec3 (*target)(float t01);
};

// The camera frame of a path at time t (seconds), as the animation stores it.
Frame3 CameraPathFrame(const CameraPath& path, float seconds);
// The main path ("camera") and the intro paths ("camera01"...) of a level.
CameraPath MainCameraPath();
CameraPath IntroCameraPath(int level, int number);  // number from 1
// The ground, end and touch planes, the goals and the areas at them, for a level's "objects".
void AddLevelPitchVolumes(Cast& cast);
// A camera frame's rotation as a unit key-frame quaternion, w first.
void ToQuaternion(const Frame3& frame, float q[4]);
// The hidden clump that carries a camera path: a root frame and a small camera body.
RpClump* PathClump();

}  // namespace assets::world
