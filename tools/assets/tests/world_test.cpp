// The stadiums, balls, sky domes, flares and camera paths read back through the engine's
// readers and hold what the game relies on.
#include "support/AssetTestSupport.h"

#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "frontend/selection/SelectionBench.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/common/Sheet.h"
#include "tools/assets/world/Balls.h"
#include "tools/assets/world/Levels.h"
#include "tools/assets/world/Stadium.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <set>
#include <vector>

namespace {

using namespace assets;
using namespace assets::world;

const char* const kDressing[] = {"benches", "benches_shadow", "short_benches", "short_benches_shadow", "Crowd",
                                 "spec_mods_crowd", "flags", "flags_01", "flags_02", "flags_03"};

class WorldAssets : public ::testing::Test {
protected:
    void SetUp() override
    {
        stage = test::SharedStage();
        ASSERT_FALSE(stage.empty()) << "the data set was not generated";
        RwError none;
        RwErrorGet(&none);
    }
    std::string Project() const { return stage + "/data/pc/"; }
    std::string Level(int i) const { return Project() + LevelTheme(i).folder + "/"; }

    // No texture went missing since the last call.
    static bool TexturesFound()
    {
        RwError error;
        RwErrorGet(&error);
        return error.errorCode != rwErrorTextureMissing;
    }

    std::string stage;
};

int ClumpTriangles(RpClump* clump)
{
    int n = 0;
    for (RpAtomic* a : clump->atomics)
        n += a->geometry ? a->geometry->numTriangles : 0;
    return n;
}

// The first hit of a line against the world, as a parameter along it (-1: none).
float FirstHit(RpWorld* world, RwV3d from, RwV3d to)
{
    RpIntersection line{};
    line.type = rpIntersectLine;
    line.t.line = {from, to};
    float best = -1;
    RpCollisionWorldForAllIntersections(
        world, &line,
        [](RpIntersection*, RpWorldSector*, RpCollisionTriangle* t, RwReal d, void* data) -> RpCollisionTriangle* {
            float& b = *static_cast<float*>(data);
            if (b < 0 || d < b)
                b = d;
            return t;
        },
        &best);
    return best;
}

// The paths the match loads for a level: the main one, then the intro paths it picks from
// (level 1 picks 1..6, level 2 1..5, levels 3 and 4 only 1).
std::vector<std::string> CameraPaths(int level)
{
    const int intros[kLevelCount] = {6, 5, 1, 1};
    std::vector<std::string> paths{"camera"};
    for (int n = 1; n <= intros[level]; ++n) {
        char name[24];
        std::snprintf(name, sizeof name, "camera%02d", n);
        paths.push_back(name);
    }
    return paths;
}

// The camera matrix a path file gives at a fraction of its length, as the spline camera
// applies it.
std::vector<RwMatrix> PathMatrices(const std::string& anmPath, const std::vector<float>& fractions)
{
    std::vector<RwMatrix> out;
    RtAnimAnimation* anim = RtAnimAnimationRead(anmPath.c_str());
    if (!anim)
        return out;
    RtAnimInterpolator* interp = RtAnimInterpolatorCreate(1, sizeof(RtAnimKeyFrame));
    RtAnimInterpolatorSetCurrentAnim(interp, anim);
    for (float f : fractions) {
        RtAnimInterpolatorSetCurrentTime(interp, anim->duration * f);
        RwMatrix m;
        RtAnimScheme1Apply(&m, RtAnimInterpolatorGetInterpFrame(interp, 0));
        out.push_back(m);
    }
    RtAnimInterpolatorDestroy(interp);
    RtAnimAnimationDestroy(anim);
    return out;
}

TEST_F(WorldAssets, EveryLevelReadsBackWithItsTexturesInBothSets)
{
    for (int i = 0; i < kLevelCount; ++i)
        for (const char* set : kTextureSets) {
            SCOPED_TRACE(std::string(LevelTheme(i).folder) + " " + set);
            const std::string textures = Level(i) + set + "/";
            RpWorld* world = LoadWorld(Level(i) + "Objects/Level.bsp", textures);
            ASSERT_NE(world, nullptr);
            EXPECT_TRUE(TexturesFound());
            // Sectored under a tree, and no sector over the 16-bit vertex limit.
            EXPECT_GE(RpWorldGetNumSectors(world), 4);
            EXPECT_EQ(world->planes.size() + 1, world->sectors.size());
            int triangles = 0;
            for (const RpWorldSector* s : world->sectors) {
                EXPECT_LE(s->numVertices, 65535);
                triangles += s->numTriangles;
            }
            for (const char* name : kDressing) {
                RpClump* clump = LoadClump(Level(i) + "Objects/" + name + ".dff", textures);
                ASSERT_NE(clump, nullptr) << name;
                EXPECT_TRUE(TexturesFound()) << name;
                EXPECT_GT(ClumpTriangles(clump), 0) << name;
                triangles += ClumpTriangles(clump);
                RpClumpDestroy(clump);
            }
            RecordProperty(std::string(LevelTheme(i).folder) + "_triangles", triangles);
            EXPECT_LT(triangles, 60000);
            EXPECT_GT(triangles, 5000);  // a stadium, not a placeholder
            for (const char* sky : {"skydome.dff", "sky_night.dff"}) {
                RpClump* clump = LoadClump(Level(i) + "Objects/" + sky, textures);
                ASSERT_NE(clump, nullptr) << sky;
                EXPECT_TRUE(TexturesFound()) << sky;
                // Drawn round the camera: it must lie inside the far clip of 500.
                const RwSphere* s = RpAtomicGetBoundingSphere(clump->atomics[0]);
                EXPECT_LT(std::hypot(s->center.x, s->center.y, s->center.z) + s->radius, 500.0f);
                RpClumpDestroy(clump);
            }
            RpWorldDestroy(world);
        }
}

// The spectator figures stand in pieces small enough that a piece behind the broadcast camera
// or beside its view is left out whole, every piece on one stand, off the pitch.
TEST_F(WorldAssets, SpectatorFiguresStandInPiecesThatCanBeLeftOut)
{
    for (int i = 0; i < kLevelCount; ++i) {
        SCOPED_TRACE(LevelTheme(i).folder);
        RpClump* clump = LoadClump(Level(i) + "Objects/spec_mods_crowd.dff", Level(i) + kTextureSets[0] + "/");
        ASSERT_NE(clump, nullptr);
        EXPECT_GE(clump->atomics.size(), 16u);
        for (RpAtomic* atomic : clump->atomics) {
            const RwSphere* s = RpAtomicGetBoundingSphere(atomic);
            EXPECT_LT(s->radius, 10.0f);
            EXPECT_TRUE(std::fabs(s->center.x) > kHalfLength || std::fabs(s->center.z) > kHalfWidth)
                << s->center.x << ", " << s->center.z;
        }
        RpClumpDestroy(clump);
    }
}

TEST_F(WorldAssets, PitchGoalsAndStandsStandWhereTheGameExpects)
{
    for (int i = 0; i < kLevelCount; ++i) {
        SCOPED_TRACE(LevelTheme(i).folder);
        RpWorld* world = LoadWorld(Level(i) + "Objects/Level.bsp", "");
        ASSERT_NE(world, nullptr);
        // The ground at the centre spot and at each corner flag is at height 0.
        for (RwV3d p : {RwV3d{0, 0, 0}, RwV3d{49.9f, 0, 32.6f}, RwV3d{-49.9f, 0, -32.6f}}) {
            const float t = FirstHit(world, {p.x, 5, p.z}, {p.x, -5, p.z});
            ASSERT_GE(t, 0.0f);
            EXPECT_NEAR(5 - 10 * t, 0.0f, 0.05f);
        }
        // Nothing stands on the pitch at head height between the goal lines...
        EXPECT_LT(FirstHit(world, {-45, 1.7f, -30}, {45, 1.7f, 30}), 0.0f);
        for (int side = -1; side <= 1; side += 2) {
            // ...a shot along the centre line at 1 m is stopped by the net just behind the line,
            const float t = FirstHit(world, {0, 1, 0}, {side * 60.0f, 1, 0});
            ASSERT_GE(t, 0.0f);
            EXPECT_GT(60 * t, kHalfLength);
            EXPECT_LT(60 * t, kHalfLength + kGoalDepth + 0.1f);
            // ...one over the bar at 2.6 m is not stopped by the goal,
            const float over = FirstHit(world, {0, 2.6f, 0}, {side * 60.0f, 2.6f, 0});
            EXPECT_TRUE(over < 0 || 60 * over > kHalfLength + kGoalDepth + 1) << 60 * over;
            // ...and the post is found where the goal is 6 wide.
            const float post = FirstHit(world, {side * kHalfLength, 1, 0}, {side * kHalfLength, 1, 5});
            ASSERT_GE(post, 0.0f);
            EXPECT_NEAR(5 * post, kGoalHalfWidth - 0.06f, 0.03f);
        }
        // A ball kicked out over the touch line meets a stand before it leaves the stadium.
        const float out = FirstHit(world, {0, 3, 0}, {0, 3, 100});
        ASSERT_GE(out, 0.0f);
        EXPECT_LT(100 * out, kSideStandZ + 12);
        RpWorldDestroy(world);
    }
}

TEST_F(WorldAssets, BallsAreTexturedSpheresOfTheBallRadius)
{
    for (const char* name : {"tournamentball", "ragball"}) {
        SCOPED_TRACE(name);
        RpClump* ball = LoadClump(Project() + "Balls/" + name + ".dff", Project() + "Balls/");
        ASSERT_NE(ball, nullptr);
        EXPECT_TRUE(TexturesFound());
        // The collision radius is the largest |centre| + radius over the atomics.
        float radius = 0;
        for (RpAtomic* a : ball->atomics) {
            const RwSphere* s = RpAtomicGetBoundingSphere(a);
            radius = std::max(radius, std::hypot(s->center.x, s->center.y, s->center.z) + s->radius);
        }
        EXPECT_GT(radius, kBallRadius * 0.98f);
        EXPECT_LT(radius, kBallRadius * 1.2f);
        const RpGeometry* g = ball->atomics[0]->geometry;
        EXPECT_TRUE(g->flags & rpGeometryLight);
        EXPECT_GT(g->numTriangles, 500);
        RpClumpDestroy(ball);
    }
}

// Each ball carries a coarse stand-in with its materials in their order, as round and as big:
// the shadows cast it below the best quality, and the view draws it only where the ball is
// less than two pixels across.
TEST_F(WorldAssets, BallsCarryACoarseMeshOfTheSameBall)
{
    for (const char* name : {"tournamentball", "ragball"}) {
        SCOPED_TRACE(name);
        RpClump* ball = LoadClump(Project() + "Balls/" + name + ".dff", Project() + "Balls/");
        ASSERT_NE(ball, nullptr);
        RpAtomic* atomic = ball->atomics[0];
        const RpGeometry* full = atomic->geometry;
        const RpGeometry* low = RpAtomicGetLowDetail(atomic);
        ASSERT_NE(low, nullptr);
        EXPECT_GT(atomic->lowDetailBelow, 0.0f);
        EXPECT_LT(atomic->lowDetailBelow, 2.0f);
        EXPECT_LE(low->numTriangles * 2, full->numTriangles);
        ASSERT_EQ(low->matList.numMaterials, full->matList.numMaterials);
        for (int i = 0; i < low->matList.numMaterials; ++i)
            EXPECT_EQ(low->matList.materials[i]->texture != nullptr, full->matList.materials[i]->texture != nullptr)
                << i;
        EXPECT_EQ(low->flags, full->flags);
        // Its corners on the ball's surface: the shadow keeps the ball's size.
        const RwSphere& a = full->morphTarget[0].boundingSphere;
        const RwSphere& b = low->morphTarget[0].boundingSphere;
        EXPECT_NEAR(b.radius, a.radius, a.radius * 0.05f);
        EXPECT_NEAR(std::hypot(b.center.x - a.center.x, b.center.y - a.center.y, b.center.z - a.center.z), 0.0f,
                    a.radius * 0.05f);
        RpClumpDestroy(ball);
    }
}

TEST_F(WorldAssets, CameraPathsLookAtThePitchThroughout)
{
    for (int i = 0; i < kLevelCount; ++i)
        for (const std::string& path : CameraPaths(i)) {
            SCOPED_TRACE(std::string(LevelTheme(i).folder) + "/" + path);
            RpClump* carrier = LoadClump(Level(i) + "camera/" + path + ".dff", "");
            ASSERT_NE(carrier, nullptr);
            // The carrier's frame is applied after the path: it must not move the camera.
            EXPECT_TRUE(RwMatrixIsIdentity(RwFrameGetMatrix(RpClumpGetFrame(carrier)), 1e-5f));
            for (RpAtomic* a : carrier->atomics)
                EXPECT_FALSE(RpAtomicGetFlags(a) & rpAtomicRender);
            RpClumpDestroy(carrier);

            RtAnimAnimation* anim = RtAnimAnimationRead((Level(i) + "camera/" + path + ".anm").c_str());
            ASSERT_NE(anim, nullptr);
            EXPECT_EQ(anim->numNodes, 1);
            EXPECT_GE(anim->duration, path == "camera" ? 10.0f : 8.0f);
            RtAnimAnimationDestroy(anim);
            const std::vector<float> fractions{0.0f, 0.33f, 0.66f, 0.999f};
            const std::vector<RwMatrix> frames = PathMatrices(Level(i) + "camera/" + path + ".anm", fractions);
            ASSERT_EQ(frames.size(), fractions.size());
            for (size_t k = 0; k < frames.size(); ++k) {
                const RwMatrix& m = frames[k];
                // The view points down at the pitch: the line of sight meets y = 0 within the stadium.
                ASSERT_LT(m.at.y, 0.0f) << "at " << fractions[k];
                const float s = -m.pos.y / m.at.y;
                EXPECT_LT(std::fabs(m.pos.x + s * m.at.x), 70.0f) << "at " << fractions[k];
                EXPECT_LT(std::fabs(m.pos.z + s * m.at.z), 50.0f) << "at " << fractions[k];
                // An upright camera: screen up has no downward part.
                EXPECT_GT(m.up.y, 0.0f);
            }
        }
}

TEST_F(WorldAssets, CameraPathsSeeThePitchFromInsideTheBowl)
{
    // Above the floodlight tops the stadium turns into a model of itself.
    constexpr float kCeiling = 40.0f;
    // Just above the paint of the centre spot; the main camera must also see both touch lines.
    const RwV3d centreSpot{0, 0.2f, 0};
    std::vector<RwV3d> touchLines;
    for (float x : {-kHalfLength, 0.0f, kHalfLength})
        for (float z : {-kHalfWidth, kHalfWidth})
            touchLines.push_back({x, 0.2f, z});
    std::vector<float> fractions;
    for (int k = 0; k < 20; ++k)
        fractions.push_back(float(k) / 19.0f);
    for (int i = 0; i < kLevelCount; ++i) {
        RpWorld* world = LoadWorld(Level(i) + "Objects/Level.bsp", "");
        ASSERT_NE(world, nullptr);
        const StadiumLayout layout = LayoutFor(LevelTheme(i));
        for (const std::string& path : CameraPaths(i)) {
            const std::vector<RwMatrix> frames = PathMatrices(Level(i) + "camera/" + path + ".anm", fractions);
            ASSERT_EQ(frames.size(), fractions.size()) << path;
            for (size_t k = 0; k < frames.size(); ++k) {
                SCOPED_TRACE(std::string(LevelTheme(i).folder) + "/" + path + " at " + std::to_string(fractions[k]));
                const RwV3d eye = frames[k].pos;
                // On the pitch side of every stand's back wall, above the ground, below the lights.
                for (const StandProfile& s : layout.stands)
                    EXPECT_LT(Dot(Vec3{eye.x, eye.y, eye.z} - s.front, s.out), s.depth);
                EXPECT_GT(eye.y, 1.0f);
                EXPECT_LT(eye.y, kCeiling);
                EXPECT_LT(FirstHit(world, eye, centreSpot), 0.0f) << "the centre spot is hidden";
                if (path != "camera")
                    continue;
                for (const RwV3d& p : touchLines)
                    EXPECT_LT(FirstHit(world, eye, p), 0.0f) << "the touch line at " << p.x << ", " << p.z;
            }
        }
        RpWorldDestroy(world);
    }
}

TEST_F(WorldAssets, CameraKeysReproduceTheModelledFrames)
{
    // The quaternions written must give back the look-at frames they came from, whichever
    // way the camera faces, and the keys must run to the end of the path.
    for (int i = 0; i < kLevelCount; ++i) {
        const std::vector<std::string> paths = CameraPaths(i);
        for (size_t n = 0; n < paths.size(); ++n) {
            SCOPED_TRACE(std::string(LevelTheme(i).folder) + "/" + paths[n]);
            const CameraPath path = n == 0 ? MainCameraPath() : IntroCameraPath(i, int(n));
            RtAnimAnimation* anim = RtAnimAnimationRead((Level(i) + "camera/" + paths[n] + ".anm").c_str());
            ASSERT_NE(anim, nullptr);
            ASSERT_FALSE(anim->tracks[0].keys.empty());
            EXPECT_EQ(anim->tracks[0].keys.front().time, 0.0f);
            EXPECT_EQ(anim->tracks[0].keys.back().time, path.duration);
            for (const RtAnimKeyFrame& key : anim->tracks[0].keys) {
                RwMatrix m;
                RtAnimScheme1Apply(&m, const_cast<RtAnimKeyFrame*>(&key));
                const Frame3 f = CameraPathFrame(path, key.time);
                const float got[12] = {m.right.x, m.right.y, m.right.z, m.up.x, m.up.y, m.up.z,
                                       m.at.x,    m.at.y,    m.at.z,    m.pos.x, m.pos.y, m.pos.z};
                const float want[12] = {f.right.x, f.right.y, f.right.z, f.up.x, f.up.y, f.up.z,
                                        f.at.x,    f.at.y,    f.at.z,    f.pos.x, f.pos.y, f.pos.z};
                for (int k = 0; k < 12; ++k)
                    ASSERT_NEAR(got[k], want[k], 1e-3f) << "component " << k << " at " << key.time;
            }
            RtAnimAnimationDestroy(anim);
        }
    }
}

TEST_F(WorldAssets, LensFlaresAreTranslucentSpritesInBothSets)
{
    for (int set = 0; set < 2; ++set)
        for (int n = 1; n <= 5; ++n) {
            char name[64];
            std::snprintf(name, sizeof name, "Lensflares/%s/flare_%02d.png", kTextureSets[set], n);
            SCOPED_TRACE(name);
            RwImage* image = RtPngImageRead((Project() + name).c_str());
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(image->width, set ? 64 : 128);
            // Drawn additively: clear at the corners, something in the middle.
            const RwUInt8* corner = image->pixels;
            EXPECT_EQ(corner[3], 0);
            int covered = 0;
            for (int y = 0; y < image->height; ++y)
                for (int x = 0; x < image->width; ++x)
                    covered += image->pixels[size_t(y) * size_t(image->stride) + size_t(x) * 4 + 3] > 16;
            EXPECT_GT(covered, image->width * image->height / 50);
            RwImageDestroy(image);
        }
}

// Alpha of the cell (column, row) of a sheet cut into cells of that size: covered pixels and sum.
std::pair<int, long> CellAlpha(const RwImage* image, int cell, int column, int row)
{
    int covered = 0;
    long sum = 0;
    for (int y = row * cell; y < (row + 1) * cell; ++y)
        for (int x = column * cell; x < (column + 1) * cell; ++x) {
            const int alpha = image->pixels[size_t(y) * size_t(image->stride) + size_t(x) * 4 + 3];
            covered += alpha > 16;
            sum += alpha;
        }
    return {covered, sum};
}

TEST_F(WorldAssets, ParticleSpritesAreSoftInBothSetsAndTheFlashGrowsAndFades)
{
    for (int set = 0; set < 2; ++set)
        for (const char* sprite : {"smoke", "spark", "dust", "flash_sheet"}) {
            const std::string name = std::string("Particles/") + kTextureSets[set] + "/" + sprite + ".png";
            SCOPED_TRACE(name);
            RwImage* image = RtPngImageRead((Project() + name).c_str());
            ASSERT_NE(image, nullptr);
            const bool sheet = std::string(sprite) == "flash_sheet";
            EXPECT_EQ(image->width, (sheet ? 256 : 64) >> set);
            // A single sprite, or the sheet's sixth frame.
            const int cell = sheet ? image->width / 4 : image->width, origin = sheet ? cell : 0;
            const auto alpha = [&](int x, int y) {
                return image->pixels[size_t(origin + y) * size_t(image->stride) + size_t(origin + x) * 4 + 3];
            };
            // Clear at the corner, covered in the middle, with soft steps between.
            EXPECT_EQ(std::pair(int(image->pixels[3]), int(alpha(0, 0))), std::pair(0, 0));
            EXPECT_GT(alpha(cell / 2, cell / 2), 64);
            std::set<int> levels;
            for (int x = 0; x < cell / 2; ++x)
                levels.insert(alpha(x, cell / 2));
            EXPECT_GT(levels.size(), size_t(cell / 8));
            if (sheet) {
                const auto first = CellAlpha(image, cell, 0, 0), grown = CellAlpha(image, cell, 1, 1),
                           late = CellAlpha(image, cell, 2, 3);
                EXPECT_GT(grown.first, first.first);
                EXPECT_LT(late.second, grown.second / 4);
            }
            RwImageDestroy(image);
        }
}

// Faces that show their back to where they are seen from, in one mesh: back faces are not
// drawn, so each face must wind counter-clockwise seen from the side its normals point to (a
// sky dome's, from its centre; a thin surface seen from both sides has a second face wound
// the other way), and paint on the grass must look up.
struct WindingFaults {
    int againstNormals = 0, facingDown = 0, faces = 0;
};

using Corners = std::array<std::array<float, 3>, 3>;

// The corners starting from the smallest, keeping their turn.
Corners Canonical(Corners c)
{
    const size_t first = size_t(std::min_element(c.begin(), c.end()) - c.begin());
    std::rotate(c.begin(), c.begin() + ptrdiff_t(first), c.end());
    return c;
}

void CheckWinding(const RwV3d* positions, const RwV3d* normals, const RpTriangle* triangles, int count,
                  bool ground, bool dome, WindingFaults& out)
{
    std::set<Corners> faces;
    auto corners = [&](const RpTriangle& t, bool reversed) {
        Corners c;
        for (int k = 0; k < 3; ++k) {
            const RwV3d& p = positions[t.vertIndex[reversed && k > 0 ? 3 - k : k]];
            c[size_t(k)] = {p.x, p.y, p.z};
        }
        return Canonical(c);
    };
    for (int i = 0; i < count; ++i)
        faces.insert(corners(triangles[i], false));
    for (int i = 0; i < count; ++i) {
        const RpTriangle& t = triangles[i];
        const RwV3d& a = positions[t.vertIndex[0]];
        const RwV3d& b = positions[t.vertIndex[1]];
        const RwV3d& c = positions[t.vertIndex[2]];
        const Vec3 face = Cross(Vec3{b.x - a.x, b.y - a.y, b.z - a.z}, Vec3{c.x - a.x, c.y - a.y, c.z - a.z});
        const Vec3 ab{b.x - a.x, b.y - a.y, b.z - a.z}, ac{c.x - a.x, c.y - a.y, c.z - a.z};
        if (Length(face) < 1e-5f * (Dot(ab, ab) + Dot(ac, ac)))
            continue;  // a sliver (the corners at a pole): no turn to tell
        ++out.faces;
        const bool twoSided = faces.count(corners(t, true)) > 0;
        // Without normals, only a dome round the camera says where it is seen from.
        Vec3 n = dome ? Vec3{-(a.x + b.x + c.x), -(a.y + b.y + c.y), -(a.z + b.z + c.z)} : Vec3{};
        if (normals)
            for (RwUInt16 v : t.vertIndex)
                n = n + Vec3{normals[v].x, normals[v].y, normals[v].z};
        if ((normals || dome) && !twoSided)
            out.againstNormals += Dot(face, n) <= 0.0f;
        // Paint lies just above the grass, at y = 0.
        const bool onGround = std::min({a.y, b.y, c.y}) > 0.0f && std::max({a.y, b.y, c.y}) < 0.1f &&
                              std::fabs(face.y) > 0.99f * Length(face);
        out.facingDown += ground && onGround && !twoSided && face.y < 0.0f;
    }
}

// Whether the segment from a to b passes through the triangle (Moller-Trumbore).
bool SegmentHits(Vec3 a, Vec3 b, Vec3 p, Vec3 q, Vec3 r)
{
    const Vec3 d = b - a, e1 = q - p, e2 = r - p, h = Cross(d, e2);
    const float det = Dot(e1, h);
    if (std::fabs(det) < 1e-9f)
        return false;
    const Vec3 s = a - p;
    const float u = Dot(s, h) / det;
    const Vec3 k = Cross(s, e1);
    const float v = Dot(d, k) / det, t = Dot(e2, k) / det;
    return u >= 0 && v >= 0 && u + v <= 1 && t > 0 && t < 1;
}

// The squad selection's camera sees every candidate whole, seated and standing, on the
// shortest bench and on the longest the seat row is built for.
TEST(WorldLayout, NothingOfTheLevelStandsBetweenTheBenchCameraAndTheCandidates)
{
    using Bench = SelectionBench;
    const Bench::SeatWidths widths = Bench::KnownSeatWidths();
    const Bench::Seating benches[] = {
        Bench::LayOutWidths(std::vector<float>(3, widths.narrowest), 0),
        Bench::LayOutWidths(std::vector<float>(Bench::kMostCandidates, widths.widest), 5),
    };
    // Across a candidate: feet in front of the seat, knees, hips, shoulders and the top of the
    // head, seated and standing.
    const Vec3 body[] = {{0, 0.05f, -0.55f}, {0, 0.45f, -0.45f}, {0, 0.5f, 0}, {0, 1.2f, 0}, {0, 1.7f, 0},
                         {0, 0.3f, -0.1f},   {0, 1.0f, 0},       {0, 2.05f, 0}};
    for (int level = 0; level < kLevelCount; ++level) {
        const MeshBuilder mesh = BuildLevelMesh(LevelTheme(level));
        const auto& v = mesh.Vertices();
        for (const Bench::Seating& bench : benches) {
            const float distance = Bench::CameraDistance(bench.width);
            const Vector3 eye = Bench::CameraPosition(distance);
            const Vec3 camera{eye.x, eye.y, eye.z};
            int blocked = 0;
            for (const Vector3& seat : bench.seats)
                for (const Vec3& at : body)
                    for (float side : {-0.3f, 0.0f, 0.3f}) {
                        const Vec3 point{seat.x + side, at.y, seat.z + at.z};
                        for (const MeshTriangle& t : mesh.Triangles())
                            if (SegmentHits(camera, point, v[t.v[0]].pos, v[t.v[1]].pos, v[t.v[2]].pos)) {
                                ADD_FAILURE() << LevelTheme(level).folder << ": (" << point.x << ", " << point.y
                                              << ", " << point.z << ") hidden from a camera " << distance << " away";
                                ++blocked;
                                break;
                            }
                        if (blocked > 3)
                            return;
                    }
        }
    }
}

TEST_F(WorldAssets, EveryFaceIsWoundToBeSeenFromOutside)
{
    ASSERT_TRUE(test::EngineUp());
    int models = 0;
    for (const std::string& file : test::ListFiles(stage)) {
        const std::string path = stage + "/" + file, folder = path.substr(0, path.rfind('/') + 1);
        WindingFaults faults;
        if (file.size() > 4 && file.compare(file.size() - 4, 4, ".bsp") == 0) {
            RpWorld* world = LoadWorld(path, folder);
            ASSERT_NE(world, nullptr) << file;
            for (const RpWorldSector* s : world->sectors)
                CheckWinding(s->vertices, s->normals, s->triangles, s->numTriangles, true, false, faults);
            RpWorldDestroy(world);
        } else if (file.size() > 4 && file.compare(file.size() - 4, 4, ".dff") == 0) {
            RpClump* clump = LoadClump(path, folder);
            ASSERT_NE(clump, nullptr) << file;
            const bool dome = file.find("/sky") != std::string::npos;
            for (RpAtomic* atomic : clump->atomics)
                if (RpGeometry* g = atomic->geometry)
                    CheckWinding(g->morphTarget[0].verts, g->morphTarget[0].normals, g->triangles, g->numTriangles,
                                 false, dome, faults);
            RpClumpDestroy(clump);
        } else {
            continue;
        }
        ++models;
        EXPECT_EQ(faults.againstNormals, 0) << file << ": faces wound against their normals, of " << faults.faces;
        EXPECT_EQ(faults.facingDown, 0) << file << ": faces on the ground looking down, of " << faults.faces;
    }
    EXPECT_GT(models, 20);
}

}  // namespace
