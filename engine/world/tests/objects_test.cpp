#include "support/WorldTestSupport.h"

#include "engine/core/NullDevice.h"

#include <cmath>

using namespace worldtest;

namespace {

class WorldObjects : public NullEngineTest {};

RwTexture* MakeTexture(const char* name)
{
    RwRaster* raster = RwRasterCreate(2, 2, 32, rwRasterTypeTexture);
    RwTexture* t = RwTextureCreate(raster);
    RwTextureSetName(t, name);
    return t;
}

TEST_F(WorldObjects, MaterialTextureReferencesAreCounted)
{
    RpMaterial* m = RpMaterialCreate();
    RwTexture* a = MakeTexture("a");
    RwTexture* b = MakeTexture("b");
    RpMaterialSetTexture(m, a);
    EXPECT_EQ(a->refCount, 2);
    RpMaterialSetTexture(m, a);  // the same texture again keeps one reference
    EXPECT_EQ(a->refCount, 2);
    RpMaterialSetTexture(m, b);
    EXPECT_EQ(a->refCount, 1);
    EXPECT_EQ(b->refCount, 2);
    EXPECT_EQ(RpMaterialGetTexture(m), b);
    RpMaterialDestroy(m);
    EXPECT_EQ(b->refCount, 1);
    RwTextureDestroy(a);
    RwTextureDestroy(b);
}

TEST_F(WorldObjects, GeometryHoldsItsMaterialsUntilDestroyed)
{
    RpMaterial* m = RpMaterialCreate();
    RpGeometry* g = MakeBox(1, {m}, 0);
    EXPECT_EQ(m->refCount, 2);
    RpGeometryAddRef(g);
    RpGeometryDestroy(g);
    EXPECT_EQ(m->refCount, 2);  // one geometry reference left
    RpGeometryDestroy(g);
    EXPECT_EQ(m->refCount, 1);
    RpMaterialDestroy(m);
}

TEST_F(WorldObjects, GeometryRefusesOutOfRangeCountsAndEmptyLocks)
{
    EXPECT_EQ(RpGeometryCreate(65536, 1, 0), nullptr);
    EXPECT_EQ(RpGeometryCreate(-1, 1, 0), nullptr);
    RpGeometry* g = RpGeometryCreate(3, 1, rpGeometryPrelit);
    ASSERT_NE(g, nullptr);
    EXPECT_NE(g->preLitLum, nullptr);
    EXPECT_EQ(g->morphTarget[0].normals, nullptr);
    EXPECT_EQ(RpGeometryLock(g, 0), nullptr);
    EXPECT_EQ(RpGeometryLock(g, rpGeometryLockVertices | rpGeometryLockPrelight), g);
    RpGeometryUnlock(g);
    EXPECT_EQ(g->lockedSinceLastInst, 0);
    RpGeometryDestroy(g);
}

TEST_F(WorldObjects, CloneSharesGeometryAndEitherCopyCanGoFirst)
{
    for (bool originalFirst : {true, false}) {
        RpMaterial* m = RpMaterialCreate();
        RpGeometry* g = MakeBox(1, {m}, 0);
        RpClump* clump = MakeClump(g, {1, 2, 3});
        RwFrame* child = RwFrameCreate();
        RwFrameAddChild(RpClumpGetFrame(clump), child);
        RpAtomic* second = RpAtomicCreate();
        RpAtomicSetGeometry(second, g);
        RpAtomicSetFrame(second, child);
        RpClumpAddAtomic(clump, second);
        RpGeometryDestroy(g);
        ASSERT_EQ(g->refCount, 2);

        RpClump* copy = RpClumpClone(clump);
        ASSERT_NE(copy, nullptr);
        ASSERT_EQ(RpClumpGetNumAtomics(copy), 2);
        EXPECT_EQ(copy->atomics[0]->geometry, g);
        EXPECT_EQ(g->refCount, 4);
        // New frames, same shape of hierarchy and the same matrices.
        RwFrame* root = RpClumpGetFrame(copy);
        EXPECT_NE(root, RpClumpGetFrame(clump));
        EXPECT_EQ(root->modelling.pos.y, 2);
        ASSERT_NE(root->child, nullptr);
        EXPECT_EQ(RpAtomicGetFrame(copy->atomics[0]), root);
        EXPECT_EQ(RpAtomicGetFrame(copy->atomics[1]), root->child);
        EXPECT_EQ(copy->atomics[1]->clump, copy);

        RpClumpDestroy(originalFirst ? clump : copy);
        EXPECT_EQ(g->refCount, 2);
        EXPECT_EQ(m->refCount, 2);
        RpClumpDestroy(originalFirst ? copy : clump);
        EXPECT_EQ(m->refCount, 1);
        RpMaterialDestroy(m);
    }
}

RpAtomic* CountUntilSecond(RpAtomic* atomic, void* data)
{
    int& n = *static_cast<int*>(data);
    return ++n == 2 ? nullptr : atomic;
}

TEST_F(WorldObjects, ForAllAtomicsStopsOnNull)
{
    RpClump* clump = RpClumpCreate();
    for (int i = 0; i < 4; ++i)
        RpClumpAddAtomic(clump, RpAtomicCreate());
    EXPECT_EQ(RpClumpGetNumAtomics(clump), 4);
    int n = 0;
    RpClumpForAllAtomics(clump, CountUntilSecond, &n);
    EXPECT_EQ(n, 2);
    RpClumpDestroy(clump);
}

TEST_F(WorldObjects, DummyClumpHasOneAtomicWithTheRadius)
{
    const RwV3d at{4, 5, 6};
    RpClump* clump = RpClumpCreateDummy(&at, 2.5f);
    ASSERT_NE(clump, nullptr);
    ASSERT_EQ(RpClumpGetNumAtomics(clump), 1);
    RpAtomic* a = clump->atomics[0];
    EXPECT_EQ(RpAtomicGetBoundingSphere(a)->radius, 2.5f);
    const RwSphere* world = RpAtomicGetWorldBoundingSphere(a);
    EXPECT_FLOAT_EQ(world->center.x, 4);
    EXPECT_FLOAT_EQ(world->center.z, 6);
    RpClumpDestroy(clump);
}

TEST_F(WorldObjects, WorldBoundingSphereFollowsFrameAndScale)
{
    RpGeometry* g = MakeBox(1, {}, 0);
    RpClump* clump = MakeClump(g, {0, 0, 0});
    RpGeometryDestroy(g);
    RwFrame* f = RpClumpGetFrame(clump);
    const RwV3d scale{1, 3, 1}, move{10, 0, 0};
    RwFrameScale(f, &scale, rwCombineReplace);
    RwFrameTranslate(f, &move, rwCombinePostMultiply);
    const RwSphere* s = RpAtomicGetWorldBoundingSphere(clump->atomics[0]);
    EXPECT_NEAR(s->center.x, 10, 1e-5);
    EXPECT_NEAR(s->radius, 3 * std::sqrt(3.0f), 1e-4);
    RpClumpDestroy(clump);
}

TEST_F(WorldObjects, LightsJoinOneWorldAtATime)
{
    const RwBBox box{{1000, 1000, 1000}, {-1000, -1000, -1000}};
    RpWorld* a = RpWorldCreate(&box);
    RpWorld* b = RpWorldCreate(&box);
    EXPECT_EQ(RpLightCreate(3), nullptr);
    RpLight* light = RpLightCreate(rpLightDirectional);
    EXPECT_EQ(RpLightGetFlags(light), 3u);
    RpLightSetFlags(light, rpLightLightWorld);
    EXPECT_EQ(RpLightGetFlags(light), 2u);
    RpWorldAddLight(a, light);
    RpWorldAddLight(b, light);
    EXPECT_EQ(RpLightGetWorld(light), b);
    EXPECT_TRUE(a->lights.empty());
    EXPECT_EQ(RpWorldRemoveLight(a, light), nullptr);
    EXPECT_EQ(RpWorldRemoveLight(b, light), b);
    EXPECT_EQ(RpLightGetWorld(light), nullptr);
    RpWorldAddLight(a, light);
    RpWorldDestroy(a);  // takes the light out, leaves it alive
    EXPECT_EQ(RpLightGetWorld(light), nullptr);
    RpLightDestroy(light);
    RpWorldDestroy(b);
}

TEST_F(WorldObjects, CamerasKnowTheirWorld)
{
    const RwBBox box{{1, 1, 1}, {-1, -1, -1}};
    RpWorld* world = RpWorldCreate(&box);
    RwCamera* camera = RwCameraCreate();
    EXPECT_EQ(RwCameraGetWorld(camera), nullptr);
    RpWorldAddCamera(world, camera);
    EXPECT_EQ(RwCameraGetWorld(camera), world);
    RpWorldRemoveCamera(world, camera);
    EXPECT_EQ(RwCameraGetWorld(camera), nullptr);
    RpWorldAddCamera(world, camera);
    RpWorldDestroy(world);
    EXPECT_EQ(RwCameraGetWorld(camera), nullptr);
    RwCameraDestroy(camera);
}

TEST_F(WorldObjects, SectorTreeMustReachEverySectorOnce)
{
    const RwBBox box{{1, 1, 1}, {-1, -1, -1}};
    auto sectors = [] { return std::vector<RpWorldSector*>{RpWorldSectorCreate(0, 0, 0), RpWorldSectorCreate(0, 0, 0)}; };
    EXPECT_EQ(RpWorldCreateFromSectors(&box, 0, sectors(), {{0, 0, ~0, ~0}}), nullptr);  // sector 1 unreached
    EXPECT_EQ(RpWorldCreateFromSectors(&box, 0, sectors(), {{0, 0, 0, ~1}}), nullptr);   // a cycle
    EXPECT_EQ(RpWorldCreateFromSectors(&box, 0, sectors(), {{3, 0, ~0, ~1}}), nullptr);  // bad axis
    EXPECT_EQ(RpWorldCreateFromSectors(&box, 0, sectors(), {}), nullptr);                // two sectors, no planes
    RpWorld* w = RpWorldCreateFromSectors(&box, 0, sectors(), {{1, 0, ~1, ~0}});
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(RpWorldGetNumSectors(w), 2);
    RpWorldDestroy(w);
}

}  // namespace
