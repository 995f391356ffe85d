#include "support/WorldTestSupport.h"

#include "engine/core/NullDevice.h"

using namespace worldtest;

namespace {

class WorldRenderNull : public NullEngineTest {
protected:
    void SetUp() override
    {
        NullEngineTest::SetUp();
        device = RwNullDeviceGet();
        ASSERT_NE(device, nullptr);
        raster = RwRasterCreate(64, 64, 0, rwRasterTypeCamera);
        zRaster = RwRasterCreate(64, 64, 0, rwRasterTypeZBuffer);
        frame = RwFrameCreate();
        camera = RwCameraCreate();
        RwCameraSetRaster(camera, raster);
        RwCameraSetZRaster(camera, zRaster);
        RwCameraSetFarClipPlane(camera, 100);
        RwObjectHasFrameSetFrame(camera, frame);
        const RwBBox box{{1000, 1000, 1000}, {-1000, -1000, -1000}};
        world = RpWorldCreate(&box);
        RpWorldAddCamera(world, camera);
    }
    void TearDown() override
    {
        RpWorldDestroy(world);
        RwObjectHasFrameSetFrame(camera, nullptr);
        RwCameraDestroy(camera);
        RwFrameDestroy(frame);
        RwRasterDestroy(raster);
        RwRasterDestroy(zRaster);
    }
    // Draws between a camera update and returns the mesh draws recorded.
    template <typename F>
    std::vector<RwNullDrawRecord> Draw(F draw)
    {
        device->ClearLog();
        EXPECT_NE(RwCameraBeginUpdate(camera), nullptr);
        draw();
        RwCameraEndUpdate(camera);
        std::vector<RwNullDrawRecord> out;
        for (const RwNullDrawRecord& r : device->draws)
            if (r.isMesh)
                out.push_back(r);
        return out;
    }
    RpLight* AddLight(RwInt32 type, RwUInt32 flags)
    {
        RpLight* l = RpLightCreate(type);
        RpLightSetFlags(l, flags);
        RpWorldAddLight(world, l);
        lights.push_back(l);
        return l;
    }
    void DestroyLights()
    {
        for (RpLight* l : lights)
            RpLightDestroy(l);
        lights.clear();
    }

    RwNullDevice* device = nullptr;
    RwRaster* raster = nullptr;
    RwRaster* zRaster = nullptr;
    RwFrame* frame = nullptr;
    RwCamera* camera = nullptr;
    RpWorld* world = nullptr;
    std::vector<RpLight*> lights;
};

TEST_F(WorldRenderNull, TransparentMaterialsDrawAfterOpaqueOnes)
{
    RpMaterial* clear = RpMaterialCreate();
    const RwRGBA half{255, 255, 255, 128};
    RpMaterialSetColor(clear, &half);
    RpMaterial* solid = RpMaterialCreate();
    // Faces alternate materials: the translucent one comes first in the list.
    RpGeometry* g = MakeBox(1, {clear, solid}, rpGeometryModulateMaterialColor);
    RpClump* clump = MakeClump(g, {0, 0, 5});
    const auto draws = Draw([&] { RpClumpRender(clump); });
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_FALSE(draws[0].transparent);
    EXPECT_EQ(draws[0].materialColour.alpha, 1.0f);
    EXPECT_TRUE(draws[1].transparent);
    EXPECT_NEAR(draws[1].materialColour.alpha, 128 / 255.0f, 1e-6);
    EXPECT_EQ(draws[0].numIndices + draws[1].numIndices, 36);

    // Without 0x40 the material colour does not count and nothing blends.
    g->flags &= ~RwUInt32(rpGeometryModulateMaterialColor);
    const auto plain = Draw([&] { RpClumpRender(clump); });
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_FALSE(plain[1].transparent);
    EXPECT_EQ(plain[1].materialColour.alpha, 1.0f);
    RpClumpDestroy(clump);
    RpGeometryDestroy(g);
    RpMaterialDestroy(clear);
    RpMaterialDestroy(solid);
}

TEST_F(WorldRenderNull, AtomicsUseTheWorldLightsThatLightAtomics)
{
    RpGeometry* g = MakeBox(1, {RpMaterialCreate()}, rpGeometryLight);
    RpMaterialDestroy(g->matList.materials[0]);  // the geometry keeps it
    RpClump* clump = MakeClump(g, {0, 0, 5});
    AddLight(rpLightAmbient, rpLightLightAtomics);
    AddLight(rpLightDirectional, rpLightLightAtomics | rpLightLightWorld);
    AddLight(rpLightDirectional, rpLightLightWorld);
    AddLight(rpLightDirectional, 0);
    auto draws = Draw([&] { RpClumpRender(clump); });
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_TRUE(draws[0].lit);
    EXPECT_EQ(draws[0].numLights, 1);

    // An unlit geometry ignores lights; outside its world the atomic finds none.
    g->flags &= ~RwUInt32(rpGeometryLight);
    EXPECT_FALSE(Draw([&] { RpClumpRender(clump); })[0].lit);
    g->flags |= rpGeometryLight;
    RpWorldRemoveCamera(world, camera);
    draws = Draw([&] { RpClumpRender(clump); });
    EXPECT_TRUE(draws[0].lit);
    EXPECT_EQ(draws[0].numLights, 0);
    RpWorldAddCamera(world, camera);
    DestroyLights();
    RpClumpDestroy(clump);
    RpGeometryDestroy(g);
}

TEST_F(WorldRenderNull, InvisibleAndOffScreenAtomicsAreSkipped)
{
    RpMaterial* m = RpMaterialCreate();
    RpGeometry* g = MakeBox(1, {m}, 0);
    RpClump* clump = MakeClump(g, {0, 0, 5});
    RpAtomic* a = clump->atomics[0];
    RpAtomicSetFlags(a, 0);
    EXPECT_TRUE(Draw([&] { RpClumpRender(clump); }).empty());
    // Partial drawing calls the render callback itself, whatever the flag says.
    EXPECT_EQ(Draw([&] { a->renderCallBack(a); }).size(), 1u);
    RpAtomicSetFlags(a, rpAtomicRender);
    const RwV3d behind{0, 0, -20};
    RwFrameTranslate(RpClumpGetFrame(clump), &behind, rwCombineReplace);
    EXPECT_TRUE(Draw([&] { RpClumpRender(clump); }).empty());
    RpClumpDestroy(clump);
    RpGeometryDestroy(g);
    RpMaterialDestroy(m);
}

TEST_F(WorldRenderNull, MeshesAreCachedAndUnlockUploadsAgain)
{
    RpMaterial* m = RpMaterialCreate();
    RpGeometry* g = MakeBox(1, {m}, 0);
    RpClump* clump = MakeClump(g, {0, 0, 5});
    const RwInt32 before = device->liveMeshes;
    Draw([&] { RpClumpRender(clump); });
    EXPECT_EQ(device->liveMeshes, before + 1);
    const RwInt32 updates = device->meshUpdates;
    Draw([&] { RpClumpRender(clump); });
    EXPECT_EQ(device->meshUpdates, updates);
    ASSERT_EQ(RpGeometryLock(g, rpGeometryLockVertices), g);
    g->morphTarget[0].verts[0].x = 3;
    RpGeometryUnlock(g);
    Draw([&] { RpClumpRender(clump); });
    EXPECT_EQ(device->meshUpdates, updates + 1);
    // A clone shares the mesh; the last reference takes it away.
    RpClump* copy = RpClumpClone(clump);
    Draw([&] { RpClumpRender(copy); });
    EXPECT_EQ(device->liveMeshes, before + 1);
    RpClumpDestroy(clump);
    RpGeometryDestroy(g);
    EXPECT_EQ(device->liveMeshes, before + 1);
    RpClumpDestroy(copy);
    EXPECT_EQ(device->liveMeshes, before);
    RpMaterialDestroy(m);
}

RwMatrix g_bones[2];
RwUInt8 g_indices[24][4];
RwReal g_weights[24][4];

RwBool TestSkin(RpAtomic*, RpAtomicSkinData* out)
{
    out->numBones = 2;
    out->boneMatrices = g_bones;
    out->boneIndices = g_indices;
    out->weights = g_weights;
    return true;
}

TEST_F(WorldRenderNull, SkinnedAtomicsHandTheirBonesToTheDevice)
{
    RpMaterial* m = RpMaterialCreate();
    RpGeometry* g = MakeBox(1, {m}, 0);
    RpClump* clump = MakeClump(g, {0, 0, 5});
    RpAtomicSetSkinQueryCallBack(TestSkin);
    const auto draws = Draw([&] { RpClumpRender(clump); });
    RpAtomicSetSkinQueryCallBack(nullptr);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].numBones, 2);
    EXPECT_EQ(Draw([&] { RpClumpRender(clump); })[0].numBones, 0);
    RpClumpDestroy(clump);
    RpGeometryDestroy(g);
    RpMaterialDestroy(m);
}

RpWorldSector* CountSector(RpWorldSector* s, void* data)
{
    static_cast<std::vector<RpWorldSector*>*>(data)->push_back(s);
    return s;
}

TEST_F(WorldRenderNull, WorldDrawsOnlySectorsInViewWithWorldLights)
{
    RpWorld* walls = MakeWallWorld();
    RpWorldAddCamera(walls, camera);
    RpLight* l = RpLightCreate(rpLightDirectional);
    RpLightSetFlags(l, rpLightLightWorld);
    RpWorldAddLight(walls, l);
    RpLight* atomicsOnly = RpLightCreate(rpLightDirectional);
    RpLightSetFlags(atomicsOnly, rpLightLightAtomics);
    RpWorldAddLight(walls, atomicsOnly);

    // From above, looking down at everything.
    RwFrame* f = frame;
    f->modelling.right = {1, 0, 0};
    f->modelling.up = {0, 0, 1};
    f->modelling.at = {0, -1, 0};
    f->modelling.pos = {0, 40, 0};
    auto draws = Draw([&] { RpWorldRender(walls); });
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].numIndices + draws[1].numIndices, 18);
    EXPECT_TRUE(draws[0].lit);
    EXPECT_EQ(draws[0].numLights, 1);

    // Standing at x = -9 looking towards -x: the sector at x >= 0 is behind.
    f->modelling.right = {0, 0, 1};
    f->modelling.up = {0, 1, 0};
    f->modelling.at = {-1, 0, 0};
    f->modelling.pos = {-9, 1, 0};
    draws = Draw([&] { RpWorldRender(walls); });
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].numIndices, 6);
    std::vector<RpWorldSector*> seen;
    EXPECT_EQ(RpWorldForAllVisibleSectors(walls, camera, CountSector, &seen), 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], walls->sectors[0]);

    RpWorldDestroy(walls);
    RpLightDestroy(l);
    RpLightDestroy(atomicsOnly);
    RpWorldAddCamera(world, camera);
}

TEST_F(WorldRenderNull, DrawingOutsideACameraUpdateDoesNothing)
{
    RpMaterial* m = RpMaterialCreate();
    RpGeometry* g = MakeBox(1, {m}, 0);
    RpClump* clump = MakeClump(g, {0, 0, 5});
    device->ClearLog();
    RpClumpRender(clump);
    RpWorldRender(world);
    EXPECT_TRUE(device->draws.empty());
    RpClumpDestroy(clump);
    RpGeometryDestroy(g);
    RpMaterialDestroy(m);
}

}  // namespace
