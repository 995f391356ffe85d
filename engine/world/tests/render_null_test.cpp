#include "support/WorldTestSupport.h"

#include "engine/core/NullDevice.h"

using namespace worldtest;

namespace {

class WorldRenderNull : public NullEngineTest {
protected:
    void SetUp() override
    {
        NullEngineTest::SetUp();
        ASSERT_NE(device, nullptr);
    }
    void TearDown() override
    {
        for (RpLight* l : lights)
            RpLightDestroy(l);
    }
    // Draws inside a camera update and returns the mesh draws recorded.
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
    std::vector<RwNullDrawRecord> Draw(RpClump* clump)
    {
        return Draw([&] { RpClumpRender(clump); });
    }
    void AddLight(RpWorld* to, RwInt32 type, RwUInt32 flags)
    {
        lights.push_back(RpLightCreate(type));
        RpLightSetFlags(lights.back(), flags);
        RpWorldAddLight(to, lights.back());
    }

    RwNullDevice* device = RwNullDeviceGet();
    CameraRig rig{64};
    RwCamera* camera = rig.camera;
    RpWorld* world = rig.world;
    std::vector<RpLight*> lights;
};

TEST_F(WorldRenderNull, TransparentMaterialsDrawAfterOpaqueOnes)
{
    RpMaterial* clear = RpMaterialCreate();
    const RwRGBA half{255, 255, 255, 128};
    RpMaterialSetColor(clear, &half);
    RpMaterial* solid = RpMaterialCreate();
    // Faces alternate materials: the translucent one comes first in the list.
    RpClump* clump = BoxClump({0, 0, 5}, rpGeometryModulateMaterialColor, {clear, solid});
    RpMaterialDestroy(clear);
    RpMaterialDestroy(solid);
    const auto draws = Draw(clump);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_FALSE(draws[0].transparent);
    EXPECT_EQ(draws[0].materialColour.alpha, 1.0f);
    EXPECT_TRUE(draws[1].transparent);
    EXPECT_NEAR(draws[1].materialColour.alpha, 128 / 255.0f, 1e-6);
    EXPECT_EQ(std::pair(draws[0].numIndices, draws[1].numIndices), std::pair(18, 18));
    EXPECT_EQ(std::pair(draws[0].firstIndex, draws[1].firstIndex), std::pair(18, 0));

    // Without 0x40 the material colour does not count and nothing blends.
    GeometryOf(clump)->flags &= ~RwUInt32(rpGeometryModulateMaterialColor);
    const auto plain = Draw(clump);
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_FALSE(plain[0].transparent || plain[1].transparent);
    EXPECT_EQ(plain[0].materialColour.alpha, 1.0f);
    RpClumpDestroy(clump);
}

TEST_F(WorldRenderNull, PrelitAlphaBlendsItsMaterialRunOnly)
{
    RpClump* clump = BoxClump({0, 0, 5}, rpGeometryPrelit, {RpMaterialCreate(), RpMaterialCreate()});
    RpGeometry* g = GeometryOf(clump);
    for (RpMaterial* m : {g->matList.materials[0], g->matList.materials[1]})
        RpMaterialDestroy(m);  // the geometry keeps its own references
    EXPECT_EQ(Draw(clump)[1].transparent, false);
    ASSERT_EQ(RpGeometryLock(g, rpGeometryLockPrelight), g);
    g->preLitLum[4].alpha = 100;  // a vertex of face 1, drawn with material 1
    RpGeometryUnlock(g);
    const auto draws = Draw(clump);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(std::pair(draws[0].transparent, draws[1].transparent), std::pair(false, true));
    EXPECT_EQ(draws[1].firstIndex, 18) << "material 1's run, drawn last";
    RpClumpDestroy(clump);
}

TEST_F(WorldRenderNull, AtomicsUseTheWorldLightsThatLightAtomics)
{
    RpClump* clump = BoxClump({0, 0, 5}, rpGeometryLight);
    AddLight(world, rpLightAmbient, rpLightLightAtomics);
    AddLight(world, rpLightDirectional, rpLightLightAtomics | rpLightLightWorld);
    AddLight(world, rpLightDirectional, rpLightLightWorld);
    AddLight(world, rpLightDirectional, 0);
    auto draws = Draw(clump);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_TRUE(draws[0].lit);
    EXPECT_EQ(draws[0].numLights, 1);

    // An unlit geometry ignores lights; outside its world the atomic finds none.
    GeometryOf(clump)->flags &= ~RwUInt32(rpGeometryLight);
    EXPECT_FALSE(Draw(clump)[0].lit);
    GeometryOf(clump)->flags |= rpGeometryLight;
    RpWorldRemoveCamera(world, camera);
    draws = Draw(clump);
    EXPECT_TRUE(draws[0].lit);
    EXPECT_EQ(draws[0].numLights, 0);
    RpClumpDestroy(clump);
}

TEST_F(WorldRenderNull, OnlyVisibleAtomicsInsideACameraUpdateAreDrawn)
{
    RpClump* clump = BoxClump({0, 0, 5});
    RpAtomic* a = clump->atomics[0];
    device->ClearLog();
    RpClumpRender(clump);
    RpWorldRender(world);
    EXPECT_TRUE(device->draws.empty()) << "outside a camera update";
    RpAtomicSetFlags(a, 0);
    EXPECT_TRUE(Draw(clump).empty());
    // Partial drawing calls the render callback itself, whatever the flag says.
    EXPECT_EQ(Draw([&] { RpAtomicRender(a); }).size(), 1u);
    RpAtomicSetFlags(a, rpAtomicRender);
    const RwV3d behind{0, 0, -20};
    RwFrameTranslate(RpClumpGetFrame(clump), &behind, rwCombineReplace);
    EXPECT_TRUE(Draw(clump).empty());
    RpClumpDestroy(clump);
}

TEST_F(WorldRenderNull, MeshesAreCachedAndUnlockUploadsAgain)
{
    RpClump* clump = BoxClump({0, 0, 5});
    RpGeometry* g = GeometryOf(clump);
    const RwInt32 before = device->liveMeshes;
    Draw(clump);
    EXPECT_EQ(device->liveMeshes, before + 1);
    const RwInt32 updates = device->meshUpdates;
    Draw(clump);
    EXPECT_EQ(device->meshUpdates, updates);
    ASSERT_EQ(RpGeometryLock(g, rpGeometryLockVertices), g);
    g->morphTarget[0].verts[0].x = 3;
    RpGeometryUnlock(g);
    Draw(clump);
    EXPECT_EQ(device->meshUpdates, updates + 1);
    // A clone shares the mesh; the last reference takes it away.
    RpClump* copy = RpClumpClone(clump);
    Draw(copy);
    EXPECT_EQ(device->liveMeshes, before + 1);
    RpClumpDestroy(clump);
    EXPECT_EQ(device->liveMeshes, before + 1);
    RpClumpDestroy(copy);
    EXPECT_EQ(device->liveMeshes, before);
}

TEST_F(WorldRenderNull, WorldDrawsOnlySectorsInViewWithWorldLights)
{
    RpWorld* walls = MakeWallWorld();
    RpWorldAddCamera(walls, camera);
    AddLight(walls, rpLightDirectional, rpLightLightWorld);
    AddLight(walls, rpLightDirectional, rpLightLightWorld | rpLightLightAtomics);
    AddLight(walls, rpLightDirectional, rpLightLightAtomics);

    // From above, looking down at everything.
    rig.frame->modelling = {{1, 0, 0}, 0, {0, 0, 1}, 0, {0, -1, 0}, 0, {0, 40, 0}, 0};
    auto draws = Draw([&] { RpWorldRender(walls); });
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].numIndices + draws[1].numIndices, 18);
    EXPECT_TRUE(draws[0].lit);
    EXPECT_EQ(draws[0].numLights, 2);

    // Standing at x = -9 looking towards -x: the sector at x >= 0 is behind.
    rig.frame->modelling = {{0, 0, 1}, 0, {0, 1, 0}, 0, {-1, 0, 0}, 0, {-9, 1, 0}, 0};
    draws = Draw([&] { RpWorldRender(walls); });
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].numIndices, 6);
    std::vector<RpWorldSector*> seen;
    const auto collect = [](RpWorldSector* s, void* data) {
        static_cast<std::vector<RpWorldSector*>*>(data)->push_back(s);
        return s;
    };
    EXPECT_EQ(RpWorldForAllVisibleSectors(walls, camera, collect, &seen), 1);
    EXPECT_EQ(seen, std::vector<RpWorldSector*>{walls->sectors[0]});
    RpWorldDestroy(walls);
}

}  // namespace
