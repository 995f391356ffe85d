#include "support/WorldTestSupport.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

using namespace worldtest;

namespace {

class WorldObjects : public NullEngineTest {};

TEST_F(WorldObjects, MaterialsAndGeometriesCountTheirReferences)
{
    RpMaterial* m = RpMaterialCreate();
    RwTexture* a = RwTextureCreate(RwRasterCreate(2, 2, 32, rwRasterTypeTexture));
    RwTexture* b = RwTextureCreate(RwRasterCreate(2, 2, 32, rwRasterTypeTexture));
    RpMaterialSetTexture(m, a);
    RpMaterialSetTexture(m, a);  // the same texture again keeps one reference
    EXPECT_EQ(a->refCount, 2);
    RpMaterialSetTexture(m, b);
    EXPECT_EQ(RpMaterialGetTexture(m), b);
    EXPECT_EQ(std::pair(a->refCount, b->refCount), std::pair(1, 2));

    EXPECT_EQ(RpMaterialSetColor(m, nullptr), nullptr);
    RpGeometry* g = MakeBox(1, {m}, 0);
    EXPECT_EQ(RpGeometryAddMaterial(g, m), 1) << "its index in the list";
    EXPECT_EQ(m->refCount, 3);
    RpGeometryAddRef(g);
    RpGeometryDestroy(g);
    EXPECT_EQ(m->refCount, 3) << "one geometry reference left";
    RpGeometryDestroy(g);
    EXPECT_EQ(m->refCount, 1);
    RpMaterialDestroy(m);
    EXPECT_EQ(b->refCount, 1);
    RwTextureDestroy(a);
    RwTextureDestroy(b);
}

TEST_F(WorldObjects, GeometryRefusesOutOfRangeCountsAndEmptyLocks)
{
    using Counts = std::tuple<RwInt32, RwInt32, RwInt32>;
    for (const auto& [vertices, triangles, uvSets] : {Counts(65536, 1, -1), Counts(-1, 1, -1), Counts(3, -1, -1),
                                                     Counts(3, 1, rpMaxTextureCoordSets + 1)})
        EXPECT_EQ(RpGeometryCreate(vertices, triangles, 0, uvSets), nullptr) << vertices << " " << uvSets;
    RpGeometry* g = RpGeometryCreate(65535, 1, rpGeometryPrelit);
    ASSERT_NE(g, nullptr);
    EXPECT_NE(g->preLitLum, nullptr);
    EXPECT_EQ(g->morphTarget[0].normals, nullptr);
    EXPECT_EQ(g->numTexCoordSets, 0);
    g->morphTarget[0].boundingSphere.radius = 7;
    EXPECT_EQ(RpGeometryAddMorphTarget(g), 1);
    EXPECT_EQ(std::pair(g->numMorphTargets, g->morphTarget[0].boundingSphere.radius), std::pair(2, 7.0f));
    EXPECT_EQ(RpGeometryLock(g, 0), nullptr);
    EXPECT_EQ(RpGeometryLock(g, 0x100), nullptr);
    EXPECT_EQ(RpGeometryLock(g, rpGeometryLockVertices | rpGeometryLockPrelight), g);
    EXPECT_EQ(g->lockedSinceLastInst, rpGeometryLockVertices | rpGeometryLockPrelight);
    RpGeometryUnlock(g);
    EXPECT_EQ(g->lockedSinceLastInst, 0);
    RpGeometryDestroy(g);
}

TEST_F(WorldObjects, CloneSharesGeometryAndEitherCopyCanGoFirst)
{
    for (bool originalFirst : {true, false}) {
        RpMaterial* m = RpMaterialCreate();
        RpClump* clump = BoxClump({1, 2, 3}, 0, {m});
        RpGeometry* g = GeometryOf(clump);
        RwFrame* child = RwFrameCreate();
        RwFrameAddChild(RpClumpGetFrame(clump), child);
        RpAtomic* second = RpAtomicCreate();
        RpAtomicSetGeometry(second, g);
        RpAtomicSetFrame(second, child);
        RpClumpAddAtomic(clump, second);

        RpClump* copy = RpClumpClone(clump);
        ASSERT_NE(copy, nullptr);
        ASSERT_EQ(RpClumpGetNumAtomics(copy), 2);
        EXPECT_EQ(GeometryOf(copy), g);
        EXPECT_EQ(g->refCount, 4);
        // New frames, same shape of hierarchy and the same matrices.
        RwFrame* root = RpClumpGetFrame(copy);
        EXPECT_NE(root, RpClumpGetFrame(clump));
        EXPECT_EQ(root->modelling.pos.y, 2);
        ASSERT_NE(root->child, nullptr);
        EXPECT_EQ(RpAtomicGetFrame(copy->atomics[0]), root);
        EXPECT_EQ(RpAtomicGetFrame(copy->atomics[1]), root->child);
        EXPECT_EQ(RpAtomicGetClump(copy->atomics[1]), copy);
        int visited = 0;
        const auto first = [](RpAtomic*, void* n) -> RpAtomic* {
            ++*static_cast<int*>(n);
            return nullptr;
        };
        RpClumpForAllAtomics(copy, first, &visited);
        EXPECT_EQ(visited, 1) << "a callback returning null stops the walk";

        RpClumpDestroy(originalFirst ? clump : copy);
        EXPECT_EQ(std::pair(g->refCount, m->refCount), std::pair(2, 2));
        RpClumpDestroy(originalFirst ? copy : clump);
        EXPECT_EQ(m->refCount, 1);
        RpMaterialDestroy(m);
    }
}

TEST_F(WorldObjects, BoundingSpheresFollowFramesAndScale)
{
    const RwV3d at{4, 5, 6};
    RpClump* dummy = RpClumpCreateDummy(&at, 2.5f);
    ASSERT_EQ(RpClumpGetNumAtomics(dummy), 1);
    EXPECT_EQ(RpAtomicGetBoundingSphere(dummy->atomics[0])->radius, 2.5f);
    const RwSphere* placed = RpAtomicGetWorldBoundingSphere(dummy->atomics[0]);
    EXPECT_EQ(std::pair(placed->center.x, placed->center.z), std::pair(4.0f, 6.0f));
    RpClumpDestroy(dummy);

    RpGeometry* g = MakeBox(2, {}, 0);
    RpClump* clump = MakeClump(g);
    RpGeometryDestroy(g);
    const RwV3d scale{1, 3, 1}, move{10, 0, 0};
    RwFrameScale(RpClumpGetFrame(clump), &scale, rwCombineReplace);
    RwFrameTranslate(RpClumpGetFrame(clump), &move, rwCombinePostMultiply);
    const RwSphere* s = RpAtomicGetWorldBoundingSphere(clump->atomics[0]);
    EXPECT_NEAR(s->center.x, 10, 1e-5);
    EXPECT_NEAR(s->radius, 3 * 2 * std::sqrt(3.0f), 1e-4);
    RpClumpDestroy(clump);
}

// The sphere is centred on the points' bounding box and reaches the farthest point, for a
// lopsided set whose farthest points are not opposite each other.
TEST_F(WorldObjects, GeometrySpheresAreCentredOnTheBoxOfThePoints)
{
    const struct {
        std::vector<RwV3d> points;
        RwSphere sphere;
    } cases[] = {
        {{{0, 0, 0}, {4, 0, 0}, {0, 6, 0}, {1, 1, 10}}, {{2, 3, 5}, std::sqrt(38.0f)}},
        {{{-7, 2, 1}, {-3, 2, 1}, {-6, 5, 2}}, {{-5, 3.5f, 1.5f}, std::sqrt(6.5f)}},
        {{{3, -4, 5}}, {{3, -4, 5}, 0}},
        {{}, {{0, 0, 0}, 0}},
    };
    for (const auto& c : cases) {
        RpGeometry* g = RpGeometryCreate(static_cast<RwInt32>(c.points.size()), 0, 0, 0);
        ASSERT_NE(g, nullptr);
        std::copy(c.points.begin(), c.points.end(), g->morphTarget[0].verts);
        RwSphere out{{99, 99, 99}, 99};
        ASSERT_EQ(RpMorphTargetCalcBoundingSphere(&g->morphTarget[0], &out), &g->morphTarget[0]);
        const RwSphere& kept = g->morphTarget[0].boundingSphere;
        for (const RwSphere& got : {out, kept}) {
            EXPECT_NEAR(got.center.x, c.sphere.center.x, 1e-5f) << c.points.size();
            EXPECT_NEAR(got.center.y, c.sphere.center.y, 1e-5f) << c.points.size();
            EXPECT_NEAR(got.center.z, c.sphere.center.z, 1e-5f) << c.points.size();
            EXPECT_NEAR(got.radius, c.sphere.radius, 1e-5f) << c.points.size();
        }
        RpGeometryDestroy(g);
    }
}

TEST_F(WorldObjects, LightsAndCamerasBelongToOneWorldAtATime)
{
    using Worlds = std::pair<RpWorld*, RpWorld*>;
    const RwBBox box{{1, 1, 1}, {-1, -1, -1}};
    RpWorld* a = RpWorldCreate(&box);
    RpWorld* b = RpWorldCreate(&box);
    EXPECT_EQ(RpLightCreate(3), nullptr);
    RpLight* light = RpLightCreate(rpLightDirectional);
    EXPECT_EQ(RpLightGetFlags(light), 3u);
    RwCamera* camera = RwCameraCreate();
    for (RpWorld* w : {a, b, b}) {
        RpWorldAddLight(w, light);
        RpWorldAddCamera(w, camera);
    }
    EXPECT_EQ(Worlds(RpLightGetWorld(light), RwCameraGetWorld(camera)), Worlds(b, b));
    EXPECT_EQ(std::pair(a->lights.size(), a->cameras.size()), std::pair(size_t(0), size_t(0)));
    EXPECT_EQ(std::pair(b->lights.size(), b->cameras.size()), std::pair(size_t(1), size_t(1)));
    EXPECT_EQ(Worlds(RpWorldRemoveLight(a, light), RpWorldRemoveCamera(a, camera)), Worlds(nullptr, nullptr));
    EXPECT_EQ(Worlds(RpWorldRemoveLight(b, light), RpWorldRemoveCamera(b, camera)), Worlds(b, b));
    EXPECT_EQ(Worlds(RpLightGetWorld(light), RwCameraGetWorld(camera)), Worlds(nullptr, nullptr));
    // A world going takes its lights and cameras out and leaves them alive.
    RpWorldAddLight(a, light);
    RpWorldAddCamera(a, camera);
    RpWorldDestroy(a);
    EXPECT_EQ(Worlds(RpLightGetWorld(light), RwCameraGetWorld(camera)), Worlds(nullptr, nullptr));
    RpLightDestroy(light);
    RwCameraDestroy(camera);
    RpWorldDestroy(b);
}

TEST_F(WorldObjects, SectorTreeMustReachEverySectorOnce)
{
    const RwBBox box{{1, 1, 1}, {-1, -1, -1}};
    const struct {
        std::vector<RpPlaneNode> planes;
        bool valid;
    } cases[] = {
        {{{1, 0, ~1, ~0}}, true},  {{{0, 0, ~0, ~0}}, false},  // sector 1 unreached
        {{{0, 0, 0, ~1}}, false},                              // a cycle
        {{{3, 0, ~0, ~1}}, false},                             // bad axis
        {{{0, 0, 1, ~1}}, false},                              // a node that does not exist
        {{{0, 0, ~0, 1}, {0, 0.5f, ~1, ~2}}, false},          // a sector that does not exist
        {{}, false},                                           // two sectors, no planes
    };
    for (const auto& c : cases) {
        RpWorld* w = RpWorldCreateFromSectors(&box, 0, {RpWorldSectorCreate(0, 0, 0), RpWorldSectorCreate(0, 0, 0)},
                                              c.planes);
        EXPECT_EQ(w != nullptr, c.valid) << (c.planes.empty() ? -1 : c.planes[0].left);
        EXPECT_EQ(RpWorldGetNumSectors(w), c.valid ? 2 : 0);
        RpMaterial* m = RpMaterialCreate();
        const RwInt32 first = RpWorldAddMaterial(w, m);
        EXPECT_EQ(std::pair(first, RpWorldAddMaterial(w, m)), c.valid ? std::pair(0, 1) : std::pair(-1, -1));
        RpMaterialDestroy(m);
        RpWorldDestroy(w);
    }
}

}  // namespace
