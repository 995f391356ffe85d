#include "support/WorldTestSupport.h"

#include "engine/core/NullDevice.h"
#include "tests/support/LogCapture.h"

#include <algorithm>
#include <functional>
#include <iomanip>
#include <sstream>
#include <string>

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
    // The mesh draws made inside a camera update, one line each: "first+count" of the
    // indices, then "lit:N" (N directional lights), "blend", "tex" (textured), "bones:N" and
    // "alpha:A" (the material colour's) where they apply.
    template <typename F>
    std::vector<std::string> Draw(F draw)
    {
        device->ClearLog();
        EXPECT_NE(RwCameraBeginUpdate(camera), nullptr);
        draw();
        RwCameraEndUpdate(camera);
        std::vector<std::string> out;
        for (const RwNullDrawRecord& r : device->draws) {
            if (!r.isMesh)
                continue;
            std::ostringstream line;
            line << r.firstIndex << "+" << r.numIndices;
            if (r.lit)
                line << " lit:" << r.numLights;
            if (r.transparent)
                line << " blend";
            if (r.texture)
                line << " tex";
            if (r.numBones)
                line << " bones:" << r.numBones;
            if (r.materialColour.alpha < 1)
                line << " alpha:" << std::fixed << std::setprecision(2) << r.materialColour.alpha;
            out.push_back(line.str());
        }
        return out;
    }
    std::vector<std::string> Draw(RpClump* clump)
    {
        return Draw([&] { RpClumpRender(clump); });
    }
    // The clump drawn with its frame moved to (0, 0, z).
    std::vector<std::string> DrawAt(RpClump* clump, float z)
    {
        const RwV3d at{0, 0, z};
        RwFrameTranslate(RpClumpGetFrame(clump), &at, rwCombineReplace);
        return Draw(clump);
    }
    // A pre-lit box of one half-transparent material.
    static RpClump* GlassBox(const RwV3d& at)
    {
        RpMaterial* clear = RpMaterialCreate();
        const RwRGBA half{255, 255, 255, 128};
        RpMaterialSetColor(clear, &half);
        RpClump* glass = BoxClump(at, rpGeometryModulateMaterialColor | rpGeometryPrelit, {clear});
        RpMaterialDestroy(clear);
        return glass;
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

using Draws = std::vector<std::string>;

TEST_F(WorldRenderNull, TransparentMaterialsDrawAfterOpaqueOnes)
{
    RpMaterial* clear = RpMaterialCreate();
    const RwRGBA half{255, 255, 255, 128};
    RpMaterialSetColor(clear, &half);
    RpMaterial* solid = RpMaterialCreate();
    RwTexture* texture = RwTextureCreate(RwRasterCreate(2, 2, 32, rwRasterTypeTexture));
    RpMaterialSetTexture(solid, texture);
    RwTextureDestroy(texture);
    // Faces alternate materials: the translucent one comes first in the list.
    RpClump* clump = BoxClump({0, 0, 5}, rpGeometryModulateMaterialColor | rpGeometryPrelit, {clear, solid});
    RpMaterialDestroy(clear);
    RpMaterialDestroy(solid);
    const RwMetrics before = *RwEngineGetFrameMetrics();
    EXPECT_EQ(Draw(clump), (Draws{"18+18 tex", "0+18 blend alpha:0.50"}));
    const RwMetrics* after = RwEngineGetFrameMetrics();
    EXPECT_EQ(std::pair(after->numTriangles - before.numTriangles, after->numVertices - before.numVertices),
              std::pair(12u, 24u));
    // Without 0x40 the material colour does not count and nothing blends.
    RpGeometry* g = GeometryOf(clump);
    g->flags &= ~RwUInt32(rpGeometryModulateMaterialColor);
    EXPECT_EQ(Draw(clump), (Draws{"0+18", "18+18 tex"}));
    g->numTexCoordSets = 0;
    EXPECT_EQ(Draw(clump), (Draws{"0+18", "18+18"})) << "no texture without texture coordinates";
    g->numTexCoordSets = 1;
    // Pre-lit alpha blends the run of its material only.
    ASSERT_EQ(RpGeometryLock(g, rpGeometryLockPrelight), g);
    g->preLitLum[4].alpha = 100;  // a vertex of face 1, drawn with material 1
    RpGeometryUnlock(g);
    EXPECT_EQ(Draw(clump), (Draws{"0+18", "18+18 blend tex"}));
    RpClumpDestroy(clump);
}

TEST_F(WorldRenderNull, OpaqueMaterialsHideTheirBackFacesAndTranslucentOnesShowThem)
{
    RpMaterial* clear = RpMaterialCreate();
    const RwRGBA half{255, 255, 255, 128};
    RpMaterialSetColor(clear, &half);
    RpMaterial* solid = RpMaterialCreate();
    RpClump* clump = BoxClump({0, 0, 5}, rpGeometryModulateMaterialColor | rpGeometryPrelit, {clear, solid});
    RpMaterialDestroy(clear);
    RpMaterialDestroy(solid);
    EXPECT_EQ(Draw(clump), (Draws{"18+18", "0+18 blend alpha:0.50"}));
    std::vector<intptr_t> culls;
    for (const RwNullDrawRecord& r : device->draws)
        if (r.isMesh)
            culls.push_back(r.cull);
    EXPECT_EQ(culls, (std::vector<intptr_t>{rwCullBack, rwCullNone}));
    RpClumpDestroy(clump);
}

TEST_F(WorldRenderNull, AtomicsUseTheWorldLightsThatLightAtomics)
{
    RpClump* clump = BoxClump({0, 0, 5}, rpGeometryLight);
    AddLight(world, rpLightAmbient, rpLightLightAtomics);
    AddLight(world, rpLightDirectional, rpLightLightAtomics | rpLightLightWorld);
    AddLight(world, rpLightDirectional, rpLightLightWorld);
    AddLight(world, rpLightDirectional, 0);
    EXPECT_EQ(Draw(clump), (Draws{"0+36 lit:1"}));
    // An unlit geometry ignores lights; outside its world the atomic finds none.
    GeometryOf(clump)->flags &= ~RwUInt32(rpGeometryLight);
    EXPECT_EQ(Draw(clump), (Draws{"0+36"}));
    GeometryOf(clump)->flags |= rpGeometryLight;
    RpWorldRemoveCamera(world, camera);
    EXPECT_EQ(Draw(clump), (Draws{"0+36 lit:0"}));
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
    EXPECT_EQ(Draw([&] { RpAtomicRender(a); }), (Draws{"0+36"}));
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

TEST_F(WorldRenderNull, SkinnedAtomicsHandTheirBonesToTheDevice)
{
    RpClump* clump = BoxClump({0, 0, 5});
    static RwMatrix bones[2];
    static RwUInt8 indices[24][4];
    static RwReal weights[24][4];
    for (auto& w : weights)
        w[0] = 1;
    RpAtomicSetSkinQueryCallBack([](RpAtomic*, RpGeometry*, RpAtomicSkinData* out) -> RwBool {
        *out = {2, bones, indices, weights};
        return true;
    });
    EXPECT_EQ(Draw(clump), (Draws{"0+36 bones:2"}));
    // An index past the bones drawn would read outside the matrices: bone 0 stands in, and
    // where it carries weight, once, the log says so.
    RpGeometry* g = RpGeometryCreate(24, 12, 0);
    std::copy(GeometryOf(clump)->triangles, GeometryOf(clump)->triangles + 12, g->triangles);
    RpAtomicSetGeometry(clump->atomics[0], g);  // bone data is read once per geometry
    RpGeometryDestroy(g);
    indices[0][1] = 3;  // weighs nothing
    indices[1][0] = indices[2][0] = 2;
    LogCapture log;
    EXPECT_EQ(Draw(clump), (Draws{"0+36 bones:2"}));
    EXPECT_EQ(log.Count("bone index 2 past the 2 bones drawn"), 1);
    RpAtomicSetSkinQueryCallBack(nullptr);
    EXPECT_EQ(Draw(clump), (Draws{"0+36"}));
    RpClumpDestroy(clump);
}

TEST_F(WorldRenderNull, OnlyACompleteSkinWithBonesIsDrawnSkinnedAndCulledByItsBones)
{
    // The bones move the box behind the camera; a skin that is not drawn does not move it.
    static RwMatrix bones[2];
    static RwUInt8 indices[24][4];
    static RwReal weights[24][4];
    static RpAtomicSkinData s_skin;
    const RwV3d behind{0, 0, -25};
    for (RwMatrix& m : bones)
        RwMatrixTranslate(RwMatrixSetIdentity(&m), &behind, rwCombineReplace);
    for (auto& w : weights)
        w[0] = 1;
    RpAtomicSetSkinQueryCallBack([](RpAtomic*, RpGeometry*, RpAtomicSkinData* out) -> RwBool {
        *out = s_skin;
        return true;
    });
    const struct {
        const char* name;
        RpAtomicSkinData skin;
        Draws drawn;
    } cases[] = {
        {"one bone", {1, bones, indices, weights}, {}},
        {"no bones", {0, bones, indices, weights}, {"0+36"}},
        {"no matrices", {2, nullptr, indices, weights}, {"0+36"}},
        {"no indices", {2, bones, nullptr, weights}, {"0+36"}},
        {"no weights", {2, bones, indices, nullptr}, {"0+36"}},
    };
    for (const auto& c : cases) {
        s_skin = c.skin;
        // Bone data is read once per geometry: each case draws a fresh one.
        RpClump* clump = BoxClump({0, 0, 5});
        EXPECT_EQ(Draw(clump), c.drawn) << c.name;
        RpClumpDestroy(clump);
    }
    // Posed back in front, the one bone draws.
    RwMatrixSetIdentity(&bones[0]);
    s_skin = {1, bones, indices, weights};
    RpClump* clump = BoxClump({0, 0, 5});
    EXPECT_EQ(Draw(clump), (Draws{"0+36 bones:1"}));
    RpClumpDestroy(clump);
    RpAtomicSetSkinQueryCallBack(nullptr);
}

TEST_F(WorldRenderNull, SkinnedAtomicsAreCulledWhereTheirBonesPutThem)
{
    // The camera at the origin looks along +z to 100 and sees x up to z / 2. Vertices 0-11 of
    // the box hang on bone 0, the rest on the bone index given (1 unless said), with the weight
    // given shared by as many of the four slots; the bones move along z.
    struct Case {
        const char* name;
        float clumpZ, bone0Z, bone1Z, weight;
        bool drawn;
        float clumpX = 0;
        RwUInt8 secondIndex = 1;
        int slots = 1;
    };
    const Case cases[] = {
        {"in view as bound", 5, 0, 0, 1, true},
        {"behind the camera", -20, 0, 0, 1, false},
        {"posed into view from behind", -20, 25, 25, 1, true},
        {"posed out of view", 5, -25, -25, 1, false},
        {"half posed into view", -20, 25, 0, 1, true},
        {"half posed out of view", 5, -25, 0, 1, true},
        {"only a face past the near plane", -20, 19.2f, 19.2f, 1, true},
        {"posed past the far plane", -20, 230, 230, 1, false},
        {"weights short of one pull towards the origin", -20, 230, 230, 0.5f, true},
        {"weights over one reach anywhere", -20, 0, 0, 2, true},
        {"a negative weight reaches anywhere", -20, 0, 0, -1, true},
        {"the centre out of view at the side, a corner in", 5, 0, 0, 1, true, 3.3f, 1, 4},
        {"out of view at the side", 5, 0, 0, 1, false, 5},
        {"an index past the bones follows bone 0", 5, -25, 0, 1, false, 0, 7},
    };
    static RwMatrix bones[2];
    static RwUInt8 indices[24][4];
    static RwReal weights[24][4];
    RpAtomicSetSkinQueryCallBack([](RpAtomic*, RpGeometry*, RpAtomicSkinData* out) -> RwBool {
        *out = {2, bones, indices, weights};
        return true;
    });
    for (const Case& c : cases) {
        for (int v = 0; v < 24; ++v)
            for (int k = 0; k < 4; ++k) {
                indices[v][k] = v < 12 ? 0 : c.secondIndex;
                weights[v][k] = k < c.slots ? c.weight / float(c.slots) : 0.0f;
            }
        const RwV3d moves[2] = {{0, 0, c.bone0Z}, {0, 0, c.bone1Z}};
        for (int b = 0; b < 2; ++b) {
            RwMatrixSetIdentity(&bones[b]);
            RwMatrixTranslate(&bones[b], &moves[b], rwCombineReplace);
        }
        RpClump* clump = BoxClump({c.clumpX, 0, c.clumpZ});
        EXPECT_EQ(Draw(clump).size(), c.drawn ? 1u : 0u) << c.name;
        RpClumpDestroy(clump);
    }
    RpAtomicSetSkinQueryCallBack(nullptr);
}

TEST_F(WorldRenderNull, ALowDetailMeshStandsInOnlyWhileTheAtomicIsSmallOnScreen)
{
    // The box's sphere (radius sqrt 3) is 128 sqrt(3) / z pixels across, 20 at z = 11.1. The
    // low mesh, a quad, has a plain material of its own: the box's faded one is what shows.
    RpMaterial* faded = RpMaterialCreate();
    const RwRGBA half{255, 255, 255, 128};
    RpMaterialSetColor(faded, &half);
    RpClump* clump = BoxClump({0, 0, 5}, rpGeometryModulateMaterialColor, {faded});
    RpMaterialDestroy(faded);
    RpAtomic* atomic = clump->atomics[0];
    RpMaterial* plain = RpMaterialCreate();
    RpGeometry* low = MakeQuad(-1, -1, 1, 1, plain, 0);
    RpAtomicSetLowDetail(atomic, low, 20);
    const auto drawAt = [&](float z) { return DrawAt(clump, z); };
    const struct {
        const char* name;
        float z;
        const char* drawn;
    } distances[] = {
        {"near", 10, "0+36 blend alpha:0.50"},
        {"just small enough", 12, "0+6 blend alpha:0.50"},
        {"far", 90, "0+6 blend alpha:0.50"},
        {"the eye inside its sphere", 1.5f, "0+36 blend alpha:0.50"},
    };
    for (const auto& c : distances)
        EXPECT_EQ(drawAt(c.z), (Draws{c.drawn})) << c.name;
    RwCameraSetProjection(camera, rwParallel);
    EXPECT_EQ(drawAt(90), (Draws{"0+36 blend alpha:0.50"})) << "a parallel camera tells no size on screen";
    camera->lowDetail = true;
    EXPECT_EQ(drawAt(90), (Draws{"0+6 blend alpha:0.50"})) << "a parallel camera asking for low detail";
    RwCameraSetProjection(camera, rwPerspective);
    EXPECT_EQ(drawAt(10), (Draws{"0+6 blend alpha:0.50"})) << "near, asking for low detail";
    camera->lowDetail = false;
    // Far off, other low meshes: only one with triangles stands in.
    const struct {
        const char* name;
        RwInt32 triangles;
        const char* drawn;
    } meshes[] = {{"one triangle", 1, "0+3 blend alpha:0.50"}, {"no triangles", 0, "0+36 blend alpha:0.50"}};
    for (const auto& c : meshes) {
        RpGeometry* other = MakeQuad(-1, -1, 1, 1, plain, 0);
        other->numTriangles = c.triangles;
        RpAtomicSetLowDetail(atomic, other, 20);
        RpGeometryDestroy(other);
        EXPECT_EQ(drawAt(90), (Draws{c.drawn})) << c.name;
    }
    RpAtomicSetLowDetail(atomic, low, 20);

    // Far away, the low mesh stands in only where it can: drawn with the box's one material
    // and skinned by as many bones.
    static RpGeometry* s_low;
    static RwInt32 s_lowBones;
    static RwMatrix bones[2];
    static RwUInt8 indices[24][4];
    static RwReal weights[24][4];
    for (auto& w : weights)
        w[0] = 1;
    s_low = low;
    RpAtomicSetSkinQueryCallBack([](RpAtomic*, RpGeometry* geometry, RpAtomicSkinData* out) -> RwBool {
        *out = {geometry == s_low ? s_lowBones : 2, bones, indices, weights};
        return out->numBones > 0;
    });
    const struct {
        const char* name;
        RwInt32 lowBones;
        const char* drawn;
    } skins[] = {
        {"skinned alike", 2, "0+6 blend bones:2 alpha:0.50"},
        {"low mesh not skinned", 0, "0+36 blend bones:2 alpha:0.50"},
        {"skinned by other bones", 3, "0+36 blend bones:2 alpha:0.50"},
    };
    for (const auto& c : skins) {
        s_lowBones = c.lowBones;
        EXPECT_EQ(drawAt(90), (Draws{c.drawn})) << c.name;
    }
    RpAtomicSetSkinQueryCallBack(nullptr);
    RpGeometryAddMaterial(low, plain);
    EXPECT_EQ(drawAt(90), (Draws{"0+36 blend alpha:0.50"})) << "a second material the box does not have";
    RpAtomicSetLowDetail(atomic, nullptr, 20);
    EXPECT_EQ(drawAt(90), (Draws{"0+36 blend alpha:0.50"})) << "taken away";
    RpGeometryDestroy(low);
    RpClumpDestroy(clump);

    // A low mesh that was drawn leaves the device once replaced, or with its atomic.
    const RwInt32 meshesBefore = device->liveMeshes;
    RpClump* far = BoxClump({0, 0, 90});
    for (int i = 0; i < 2; ++i) {
        RpGeometry* quad = MakeQuad(-1, -1, 1, 1, plain, 0);
        RpAtomicSetLowDetail(far->atomics[0], quad, 20);
        RpGeometryDestroy(quad);
        EXPECT_EQ(Draw(far), (Draws{"0+6"}));
    }
    EXPECT_EQ(device->liveMeshes, meshesBefore + 1) << "the first went when replaced";
    RpClumpDestroy(far);
    EXPECT_EQ(device->liveMeshes, meshesBefore) << "the second with its atomic";
    RpMaterialDestroy(plain);
}

// A shadow mesh stands in only for a camera asking for low detail, near or far; elsewhere, or
// where it cannot stand in, the atomic draws as it would without it.
TEST_F(WorldRenderNull, AShadowMeshIsDrawnOnlyByACameraAskingForLowDetail)
{
    RpMaterial* plain = RpMaterialCreate();
    RpClump* clump = BoxClump({0, 0, 5}, 0, {plain});
    RpAtomic* atomic = clump->atomics[0];
    RpGeometry* low = MakeQuad(-1, -1, 1, 1, plain, 0);
    RpAtomicSetLowDetail(atomic, low, 20);
    RpGeometryDestroy(low);
    // One triangle, against the low quad's two and the box's twelve.
    RpGeometry* coarse = MakeQuad(-1, -1, 1, 1, plain, 0);
    coarse->numTriangles = 1;
    RpAtomicSetShadowDetail(atomic, coarse);
    const auto drawAt = [&](float z) { return DrawAt(clump, z); };
    const struct {
        const char* name;
        bool lowDetail;
        float z;
        const char* drawn;
    } cases[] = {
        {"near", false, 10, "0+36"},
        {"far", false, 90, "0+6"},
        {"near, asking for low detail", true, 10, "0+3"},
        {"far, asking for low detail", true, 90, "0+3"},
    };
    for (const auto& c : cases) {
        camera->lowDetail = c.lowDetail;
        EXPECT_EQ(drawAt(c.z), (Draws{c.drawn})) << c.name;
    }
    RpGeometryAddMaterial(coarse, plain);
    EXPECT_EQ(drawAt(10), (Draws{"0+6"})) << "a second material the box does not have: the low mesh";
    RpAtomicSetLowDetail(atomic, nullptr, 20);
    EXPECT_EQ(drawAt(10), (Draws{"0+36"})) << "neither can stand in";
    RpAtomicSetShadowDetail(atomic, nullptr);
    EXPECT_EQ(RpAtomicGetShadowDetail(atomic), nullptr);
    camera->lowDetail = false;
    RpGeometryDestroy(coarse);
    RpClumpDestroy(clump);
    RpMaterialDestroy(plain);
}

TEST_F(WorldRenderNull, ALowDetailMeshIsCulledByItsOwnBounds)
{
    // Far off to the right, where x = z / 2 bounds the view: the box is wholly out of view, its
    // wider low mesh reaches back into it. A low mesh that stays inside the box's bounds is
    // culled with it.
    static RwMatrix bones[1];
    static RwUInt8 indices[24][4];
    static RwReal weights[24][4];
    RwMatrixSetIdentity(&bones[0]);
    for (auto& w : weights)
        w[0] = 1;
    const struct {
        const char* name;
        bool skinned;
        float halfWidth;
        Draws drawn;
    } cases[] = {
        {"reaching into view", false, 6, {"0+6"}},
        {"skinned, reaching into view", true, 6, {"0+6 bones:1"}},
        {"within the box", false, 1, {}},
        {"skinned, within the box", true, 1, {}},
    };
    const RpAtomicSkinQueryCallBack oneBone = [](RpAtomic*, RpGeometry*, RpAtomicSkinData* out) -> RwBool {
        *out = {1, bones, indices, weights};
        return true;
    };
    for (const auto& c : cases) {
        RpAtomicSetSkinQueryCallBack(c.skinned ? oneBone : nullptr);
        RpClump* clump = BoxClump({48, 0, 90});
        RpMaterial* plain = RpMaterialCreate();
        RpGeometry* low = MakeQuad(-c.halfWidth, -1, c.halfWidth, 1, plain, 0);
        RpMaterialDestroy(plain);
        RpAtomicSetLowDetail(clump->atomics[0], low, 20);
        RpGeometryDestroy(low);
        EXPECT_EQ(Draw(clump), c.drawn) << c.name;
        RpClumpDestroy(clump);
    }
    RpAtomicSetSkinQueryCallBack(nullptr);
}

TEST_F(WorldRenderNull, WorldDrawsOnlySectorsInViewWithWorldLights)
{
    RpWorld* walls = MakeWallWorld();
    RpWorldAddCamera(walls, camera);
    AddLight(walls, rpLightDirectional, rpLightLightWorld);
    AddLight(walls, rpLightDirectional, rpLightLightWorld | rpLightLightAtomics);
    AddLight(walls, rpLightDirectional, rpLightLightAtomics);

    // From above, looking down at everything.
    rig.frame->modelling = {{1, 0, 0}, 0, {0, 0, 1}, 0, {0, -1, 0}, 0, {-1, 40, 0}, 0};
    EXPECT_EQ(Draw([&] { RpWorldRender(walls); }), (Draws{"0+6 lit:2", "0+12 lit:2"}));
    // Standing at x = -9 looking towards -x: the sector at x >= 0 is behind.
    rig.frame->modelling = {{0, 0, 1}, 0, {0, 1, 0}, 0, {-1, 0, 0}, 0, {-9, 1, 0}, 0};
    EXPECT_EQ(Draw([&] { RpWorldRender(walls); }), (Draws{"0+6 lit:2"}));
    std::vector<RpWorldSector*> seen;
    const auto collect = [](RpWorldSector* s, void* data) {
        static_cast<std::vector<RpWorldSector*>*>(data)->push_back(s);
        return s;
    };
    EXPECT_EQ(RpWorldForAllVisibleSectors(nullptr, camera, collect, &seen), 0);
    EXPECT_EQ(RpWorldForAllVisibleSectors(walls, camera, collect, &seen), 1);
    EXPECT_EQ(seen, std::vector<RpWorldSector*>{walls->sectors[0]});
    // Nearer the plane, sector 1's sphere reaches into view: culling keeps what may show.
    rig.frame->modelling.pos = {-2, 1, 0};
    EXPECT_EQ(Draw([&] { RpWorldRender(walls); }), (Draws{"0+6 lit:2", "0+12 lit:2"}));
    walls->flags &= ~RwUInt32(rpGeometryLight);
    EXPECT_EQ(Draw([&] { RpWorldRender(walls); }), (Draws{"0+6", "0+12"})) << "a world without 0x08 is not lit";
    const RwRGBA half{255, 255, 255, 128};
    RpMaterialSetColor(walls->matList.materials[0], &half);
    walls->flags |= rpGeometryModulateMaterialColor;
    EXPECT_EQ(Draw([&] { RpWorldRender(walls); }), (Draws{"0+6 blend alpha:0.50", "0+12 blend alpha:0.50"}))
        << "translucent sectors";
    RpWorldDestroy(walls);
}

TEST_F(WorldRenderNull, SectorsNearerTheCameraDrawFirst)
{
    RpWorld* walls = MakeWallWorld();
    RpWorldAddCamera(walls, camera);
    walls->flags &= ~RwUInt32(rpGeometryLight);
    // Looking down from above one half of the floor, then from above the other; the sector at
    // x < 0 has 6 indices, the one at x >= 0 has 12.
    const struct {
        RwReal x;
        Draws order;
    } cases[] = {{-1, {"0+6", "0+12"}}, {1, {"0+12", "0+6"}}, {-8, {"0+6", "0+12"}}, {8, {"0+12", "0+6"}}};
    for (const auto& c : cases) {
        rig.frame->modelling = {{1, 0, 0}, 0, {0, 0, 1}, 0, {0, -1, 0}, 0, {c.x, 60, 0}, 0};
        EXPECT_EQ(Draw([&] { RpWorldRender(walls); }), c.order) << "camera over x = " << c.x;
    }
    RpWorldDestroy(walls);
}

TEST_F(WorldRenderNull, HeldTransparentPartsDrawAfterOpaqueOnesUnderTheirOwnStates)
{
    RpClump* glass = GlassBox({0, 0, 5});
    RpClump* wall = BoxClump({0, 0, 9}, rpGeometryModulateMaterialColor | rpGeometryPrelit);
    RwIm3DVertex quad[3] = {{{0, 0, 3}, {}, 0xffffffff, 0, 0}, {{1, 0, 3}, {}, 0xffffffff, 0, 0},
                            {{0, 1, 3}, {}, 0xffffffff, 0, 0}};
    const auto immediate = [&] {
        ASSERT_NE(RwIm3DTransform(quad, 3, nullptr, rwIm3DVertexXYZ), nullptr);
        RwIm3DRenderPrimitive(rwPrimTypeTriList);
        RwIm3DEnd();
    };
    const RwIm2DVertex corners[3] = {{0, 0, RwIm2DGetNearScreenZ(), 1, 0xffffffff, 0, 0},
                                     {8, 0, RwIm2DGetNearScreenZ(), 1, 0xffffffff, 0, 0},
                                     {0, 8, RwIm2DGetNearScreenZ(), 1, 0xffffffff, 0, 0}};
    const auto screen = [&] { EXPECT_TRUE(RwIm2DRenderPrimitive(rwPrimTypeTriList, corners, 3)); };
    // The glass goes without z writes and with a z bias; the wall and what follows keep the
    // defaults.
    const auto glassUnseen = [&] {
        RwRenderStateSet(rwRenderStateZWriteEnable, 0);
        RwD3D8SetRenderState(rwD3D8RenderStateZBias, 1);
        RpClumpRender(glass);
        RwRenderStateSet(rwRenderStateZWriteEnable, 1);
        RwD3D8SetRenderState(rwD3D8RenderStateZBias, 0);
    };
    const auto begin = [] { RpWorldBeginHoldingTransparent(); };
    const auto end = [] { RpWorldEndHoldingTransparent(); };
    const auto drawWall = [&] { RpClumpRender(wall); };
    // sentAtEnd: the render states set while the hold ends, only those the held glass differs in
    // and back.
    const struct {
        const char* name;
        bool hold;
        std::vector<std::function<void()>> steps;
        std::vector<std::string> order;
        size_t sentAtEnd;
    } cases[] = {
        {"glass first", true, {glassUnseen, drawWall}, {"wall z", "glass blend bias:1"}, 2},
        {"wall first", true, {drawWall, glassUnseen}, {"wall z", "glass blend bias:1"}, 2},
        {"an immediate draw between", true, {glassUnseen, immediate, drawWall},
         {"glass blend bias:1", "im3d z", "wall z"}, 0},
        {"a screen draw between", true, {glassUnseen, screen, drawWall}, {"glass blend bias:1", "im2d z", "wall z"}, 0},
        {"not holding", false, {glassUnseen, drawWall}, {"glass blend bias:1", "wall z"}, 0},
        {"the camera ends first", true, {glassUnseen, [&] { RwCameraEndUpdate(camera); }}, {"glass blend bias:1"}, 0},
        {"a hold within a hold", true, {begin, glassUnseen, end, drawWall}, {"wall z", "glass blend bias:1"}, 2},
        {"after a hold", false, {begin, end, glassUnseen, drawWall}, {"glass blend bias:1", "wall z"}, 0},
    };
    for (const auto& c : cases) {
        device->ClearLog();
        ASSERT_NE(RwCameraBeginUpdate(camera), nullptr);
        if (c.hold)
            RpWorldBeginHoldingTransparent();
        for (const auto& step : c.steps)
            step();
        const size_t statesBefore = device->states.size();
        if (c.hold)
            RpWorldEndHoldingTransparent();
        EXPECT_EQ(device->states.size() - statesBefore, c.sentAtEnd) << c.name;
        RwCameraEndUpdate(camera);
        std::vector<std::string> order;
        for (const RwNullDrawRecord& r : device->draws)
            order.push_back(std::string(r.is2D ? "im2d" : !r.isMesh ? "im3d" : r.transparent ? "glass" : "wall") +
                            (r.zWrite ? " z" : "") + (r.transparent ? " blend" : "") +
                            (r.zBias ? " bias:" + std::to_string(r.zBias) : ""));
        EXPECT_EQ(order, c.order) << c.name;
        intptr_t zWrite = 0;
        EXPECT_TRUE(RwRenderStateGet(rwRenderStateZWriteEnable, &zWrite));
        RwUInt32 zBias = 1;
        EXPECT_TRUE(RwD3D8GetRenderState(rwD3D8RenderStateZBias, &zBias));
        EXPECT_EQ(std::pair(zWrite, zBias), std::pair(intptr_t(1), 0u)) << c.name << ": the states are back as they were";
    }

    // A hold belongs to its camera: another camera's parts are drawn at once.
    CameraRig other{64};
    device->ClearLog();
    ASSERT_NE(RwCameraBeginUpdate(camera), nullptr);
    RpWorldBeginHoldingTransparent();
    RwCameraEndUpdate(camera);
    ASSERT_NE(RwCameraBeginUpdate(other.camera), nullptr);
    glassUnseen();
    RwCameraEndUpdate(other.camera);
    RpWorldEndHoldingTransparent();
    ASSERT_EQ(device->draws.size(), 1u);
    EXPECT_EQ(device->draws[0].camera, other.camera);
    RpClumpDestroy(glass);
    RpClumpDestroy(wall);
}

TEST_F(WorldRenderNull, ABackdropGoesBetweenTheOpaqueAndTheHeldPartsUnderTheStatesOfBegin)
{
    RpClump* glass = GlassBox({0, 0, 5});
    RpClump* wall = BoxClump({0, 0, 9}, rpGeometryPrelit);
    const RwIm2DVertex corners[3] = {{0, 0, 1, 1, 0xffffffff, 0, 0}, {8, 0, 1, 1, 0xffffffff, 0, 0}, {0, 8, 1, 1, 0xffffffff, 0, 0}};
    // The backdrop is a screen draw, which must not send the held glass before it.
    const auto screen = [&] { RwIm2DRenderPrimitive(rwPrimTypeTriList, corners, 3); };
    const auto drawGlass = [&] { RpClumpRender(glass); };
    const auto drawWall = [&] { RpClumpRender(wall); };
    const auto foggy = [](const std::function<void()>& draw) {
        return [=] {
            RwRenderStateSet(rwRenderStateFogEnable, 1);
            draw();
            RwRenderStateSet(rwRenderStateFogEnable, 0);
        };
    };
    // Its own glass goes over it at once, not after the glass held.
    const std::function<void()> screenAndGlass = [&] {
        screen();
        foggy(drawGlass)();
    };
    void (*backdrop)(void*) = [](void* draw) { (*static_cast<std::function<void()>*>(draw))(); };
    const struct {
        bool zRaster;
        std::function<void()> sky;
        std::vector<std::function<void()>> steps;
        std::vector<std::string> order;
    } cases[] = {
        {true, screen, {drawGlass, drawWall}, {"wall", "screen", "glass"}},
        // Fog switched on after Begin is not the backdrop's.
        {true, screen, {drawGlass, foggy(screen), drawWall}, {"screen", "glass", "screen fog", "wall"}},
        {true, screenAndGlass, {drawGlass, screen}, {"screen", "glass fog", "glass", "screen"}},
        {false, screen, {drawGlass, drawWall}, {"screen", "wall", "glass"}},
    };
    for (const auto& c : cases) {
        RwCameraSetZRaster(camera, c.zRaster ? rig.zRaster : nullptr);
        device->ClearLog();
        ASSERT_NE(RwCameraBeginUpdate(camera), nullptr);
        std::function<void()> sky = c.sky;
        RpWorldBeginHoldingTransparent(backdrop, &sky);
        for (const auto& step : c.steps)
            step();
        RpWorldEndHoldingTransparent();
        RwCameraEndUpdate(camera);
        std::vector<std::string> order;
        for (const RwNullDrawRecord& r : device->draws)
            order.push_back(std::string(r.is2D ? "screen" : r.transparent ? "glass" : "wall") + (r.fog ? " fog" : ""));
        EXPECT_EQ(order, c.order) << "z raster: " << c.zRaster;
    }
    RwCameraSetZRaster(camera, rig.zRaster);
    RpClumpDestroy(glass);
    RpClumpDestroy(wall);
}

TEST_F(WorldRenderNull, AHeldPartOfADestroyedAtomicIsNotDrawn)
{
    RpClump* glass = GlassBox({0, 0, 5});
    EXPECT_EQ(Draw([&] {
                  RpWorldBeginHoldingTransparent();
                  RpClumpRender(glass);
                  RpClumpDestroy(glass);
                  RpWorldEndHoldingTransparent();
              }),
              Draws{});
}

}  // namespace

// A camera drawing silhouettes (a shadow's) draws an atomic that would come out opaque and
// black in one untextured draw of all its runs; one with a part that would show a colour or
// blend keeps its own draws.
TEST_F(WorldRenderNull, ASilhouetteIsOneUntexturedDrawOfAnAtomicThatComesOutBlack)
{
    const RwRGBA half{255, 255, 255, 128}, red{255, 0, 0, 255};
    const auto box = [&](RwUInt32 flags, const RwRGBA& second, RwTextureAddressMode address = rwTextureAddressWrap) {
        RpMaterial* solid = RpMaterialCreate();
        RwTexture* texture = RwTextureCreate(RwRasterCreate(2, 2, 32, rwRasterTypeTexture));
        RwTextureSetAddressing(texture, address);
        RpMaterialSetTexture(solid, texture);
        RwTextureDestroy(texture);
        RpMaterial* other = RpMaterialCreate();
        RpMaterialSetColor(other, &second);
        RpClump* clump = BoxClump({0, 0, 5}, flags | rpGeometryModulateMaterialColor, {solid, other});
        RpMaterialDestroy(solid);
        RpMaterialDestroy(other);
        return clump;
    };
    constexpr RwUInt32 kLit = rpGeometryLight | rpGeometryNormals;
    camera->silhouettes = true;
    const struct {
        const char* name;
        RwUInt32 flags;
        RwRGBA second;
        bool light;
        Draws expected;
        RwTextureAddressMode address = rwTextureAddressWrap;
    } cases[] = {
        {"lit by nothing, opaque", kLit, red, false, {"0+36 lit:0"}},
        {"a translucent part", kLit, half, false, {"0+18 lit:0 tex", "18+18 lit:0 blend alpha:0.50"}},
        {"pre-lit colours", kLit | rpGeometryPrelit, red, false, {"0+18 lit:0 tex", "18+18 lit:0"}},
        {"unlit, so white", rpGeometryNormals, red, false, {"0+18 tex", "18+18"}},
        {"a light", kLit, red, true, {"0+18 lit:0 tex", "18+18 lit:0"}},
        {"a texture's border sampled", kLit, red, false, {"0+18 lit:0 tex", "18+18 lit:0"}, rwTextureAddressBorder},
    };
    for (const auto& c : cases) {
        if (c.light)
            AddLight(world, rpLightAmbient, rpLightLightAtomics);
        RpClump* clump = box(c.flags, c.second, c.address);
        EXPECT_EQ(Draw(clump), c.expected) << c.name;
        RpClumpDestroy(clump);
        for (RpLight* l : lights)
            RpWorldRemoveLight(world, l);
    }
    RpClump* clump = box(kLit, red);
    camera->silhouettes = false;
    EXPECT_EQ(Draw(clump), (Draws{"0+18 lit:0 tex", "18+18 lit:0"}));
    RpClumpDestroy(clump);
}
