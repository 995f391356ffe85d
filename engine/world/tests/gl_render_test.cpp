#include "support/WorldGLFixture.h"

#include <cmath>

using namespace worldtest;

namespace {

class WorldGL : public WorldGLTest {};

int Brightness(const uint8_t* p)
{
    return p[0] + p[1] + p[2];
}

TEST_F(WorldGL, LitFaceOfAStreamedTexturedBoxIsBrighterThanTheAmbientOne)
{
    RwTexDictionary* dict = RwTexDictionaryCreate();
    RwTexDictionarySetCurrent(dict);
    RwTexture* texture = MakeTexture("crate", 2, 2, std::vector<RwRGBA>(4, RwRGBA{200, 100, 50, 255}));
    RwTexDictionaryAddTexture(dict, texture);
    RpMaterial* m = RpMaterialCreate();
    RpMaterialSetTexture(m, texture);
    RpGeometry* g = MakeBox(1, {m}, rpGeometryLight);
    RpMaterialDestroy(m);
    RpClump* written = MakeClump(g, {0, 0, 0});
    RpGeometryDestroy(g);
    // Turned 45 degrees about y and put 4 ahead: two faces look at the camera.
    RwFrame* f = RpClumpGetFrame(written);
    const RwV3d up{0, 1, 0}, ahead{0, 0, 4};
    RwFrameRotate(f, &up, 45, rwCombineReplace);
    RwFrameTranslate(f, &ahead, rwCombinePostMultiply);
    RpClump* clump = ReadClump(WriteClump(written));
    RpClumpDestroy(written);
    ASSERT_NE(clump, nullptr);
    ASSERT_NE(clump->atomics[0]->geometry->matList.materials[0]->texture, nullptr);

    RpLight* ambient = RpLightCreate(rpLightAmbient);
    const RwRGBAReal dim{0.3f, 0.3f, 0.3f, 1};
    RpLightSetColor(ambient, &dim);
    RpLight* sun = RpLightCreate(rpLightDirectional);
    const RwRGBAReal bright{0.7f, 0.7f, 0.7f, 1};
    RpLightSetColor(sun, &bright);
    RwFrame* sunFrame = RwFrameCreate();
    sunFrame->modelling.at = {-1, 0, 0};  // travels towards -x: lights faces that look to +x
    sunFrame->modelling.right = {0, 0, 1};
    RpLightSetFrame(sun, sunFrame);
    RpWorldAddLight(world, ambient);
    RpWorldAddLight(world, sun);

    Draw([&] { RpClumpRender(clump); });
    const Pixels pixels = Read();
    const float s = std::sqrt(0.5f) * 0.5f;  // half way out on each face
    const uint8_t* lit = PixelOf(pixels, {s + 0.2f, 0, 4 - s});
    const uint8_t* shaded = PixelOf(pixels, {-s - 0.2f, 0, 4 - s});
    // Ambient 0.3 of the texel (200, 100, 50); the lit face adds 0.7 x cos 45.
    EXPECT_NEAR(shaded[0], 60, 6);
    EXPECT_NEAR(lit[0], 159, 8);
    EXPECT_GT(Brightness(lit), Brightness(shaded) + 100);
    EXPECT_GT(lit[0], lit[1]);  // the texture's colour shows
    EXPECT_GT(lit[1], lit[2]);

    // A light that reaches only the world leaves the atomic in the dark.
    RpLightSetFlags(sun, rpLightLightWorld);
    RpLightSetFlags(ambient, rpLightLightWorld);
    Clear({0, 0, 0, 255});
    Draw([&] { RpClumpRender(clump); });
    EXPECT_LT(Brightness(PixelOf(Read(), {s + 0.2f, 0, 4 - s})), 10);

    RpClumpDestroy(clump);
    RpLightDestroy(ambient);
    RpLightDestroy(sun);
    RwFrameDestroy(sunFrame);
    RwTexDictionarySetCurrent(nullptr);
    RwTexDictionaryDestroy(dict);
}

TEST_F(WorldGL, MaterialAlphaWithModulationHalvesTheCoverage)
{
    RpMaterial* m = RpMaterialCreate();
    const RwRGBA half{255, 255, 255, 128};
    RpMaterialSetColor(m, &half);
    RpGeometry* g = MakeQuad(-1, -1, 1, 1, m, rpGeometryModulateMaterialColor);
    RpClump* clump = MakeClump(g, {0, 0, 4});
    Draw([&] { RpClumpRender(clump); });
    EXPECT_NEAR(PixelOf(Read(), {0, 0, 4})[0], 128, 3);
    g->flags &= ~RwUInt32(rpGeometryModulateMaterialColor);
    Clear({0, 0, 0, 255});
    Draw([&] { RpClumpRender(clump); });
    EXPECT_EQ(PixelOf(Read(), {0, 0, 4})[0], 255);
    RpClumpDestroy(clump);
    RpGeometryDestroy(g);
    RpMaterialDestroy(m);
}

TEST_F(WorldGL, LockAndUnlockMoveAVertexOnScreen)
{
    RpMaterial* m = RpMaterialCreate();
    RpGeometry* g = MakeQuad(-1, -1, 0, 0, m, 0);
    RpClump* clump = MakeClump(g, {0, 0, 4});
    const RwV3d probe{0.6f, 0.5f, 4};
    Draw([&] { RpClumpRender(clump); });
    EXPECT_EQ(PixelOf(Read(), probe)[0], 0);
    ASSERT_EQ(RpGeometryLock(g, rpGeometryLockVertices), g);
    g->morphTarget[0].verts[2] = {1, 1, 0};
    RpGeometryUnlock(g);
    Clear({0, 0, 0, 255});
    Draw([&] { RpClumpRender(clump); });
    EXPECT_EQ(PixelOf(Read(), probe)[0], 255);
    RpClumpDestroy(clump);
    RpGeometryDestroy(g);
    RpMaterialDestroy(m);
}

TEST_F(WorldGL, UVMatrixIsReadAtEveryDraw)
{
    RwTexture* t = MakeTexture("split", 2, 1, {{255, 0, 0, 255}, {0, 255, 0, 255}});
    t->filter = rwFilterNearest;
    RpMaterial* m = RpMaterialCreate();
    RpMaterialSetTexture(m, t);
    RwTextureDestroy(t);
    RpGeometry* g = MakeQuad(-1, -1, 1, 1, m, 0);
    RpClump* clump = MakeClump(g, {0, 0, 4});
    RpAtomic* a = clump->atomics[0];
    const RwV3d quarter{-0.5f, 0, 4};  // u = 0.25: the red texel

    auto colourAt = [&] {
        Clear({0, 0, 0, 255});
        Draw([&] { RpClumpRender(clump); });
        const Pixels pixels = Read();
        const uint8_t* p = PixelOf(pixels, quarter);
        return p[0] > 200 ? 'r' : p[1] > 200 ? 'g' : '?';
    };
    EXPECT_EQ(colourAt(), 'r');
    RwMatrix shift;
    RwMatrixSetIdentity(&shift);
    shift.pos.x = 0.5f;
    m->fxEffects = rpMaterialFXUVTransform;
    m->uvTransform[0] = &shift;
    EXPECT_EQ(colourAt(), 'r') << "effects are off until the atomic enables them";
    a->matFXEnabled = true;
    EXPECT_EQ(colourAt(), 'g');
    shift.pos.x = 0;  // changed after it was handed over
    EXPECT_EQ(colourAt(), 'r');
    RpClumpDestroy(clump);
    RpGeometryDestroy(g);
    RpMaterialDestroy(m);
}

RwMatrix g_bones[2];
RwUInt8 g_indices[4][4];
RwReal g_weights[4][4];

RwBool TwoBones(RpAtomic*, RpAtomicSkinData* out)
{
    out->numBones = 2;
    out->boneMatrices = g_bones;
    out->boneIndices = g_indices;
    out->weights = g_weights;
    return true;
}

TEST_F(WorldGL, SkinnedVerticesFollowTheirBones)
{
    RpMaterial* m = RpMaterialCreate();
    RpGeometry* g = MakeQuad(-1, -1, 0, 0, m, 0);
    RpClump* clump = MakeClump(g, {0, 0, 4});
    RwMatrixSetIdentity(&g_bones[0]);
    RwMatrixSetIdentity(&g_bones[1]);
    g_bones[1].pos.x = 1;
    for (int v = 0; v < 4; ++v) {
        const RwUInt8 idx[4] = {0, 1, 0, 0};
        std::copy(idx, idx + 4, g_indices[v]);
        const RwReal w[4] = {0, 1, 0, 0};
        std::copy(w, w + 4, g_weights[v]);
    }
    RpAtomicSetSkinQueryCallBack(TwoBones);
    Draw([&] { RpClumpRender(clump); });
    Pixels p = Read();
    EXPECT_EQ(PixelOf(p, {0.5f, -0.5f, 4})[0], 255) << "moved by bone 1";
    EXPECT_EQ(PixelOf(p, {-0.5f, -0.5f, 4})[0], 0);

    for (auto& w : g_weights) {
        w[0] = 0.5f;
        w[1] = 0.5f;
    }
    // Bone data is read once per geometry, so the new weights go with a new geometry.
    RpGeometry* fresh = MakeQuad(-1, -1, 0, 0, m, 0);
    RpAtomicSetGeometry(clump->atomics[0], fresh);
    RpGeometryDestroy(fresh);
    RpGeometryDestroy(g);
    Clear({0, 0, 0, 255});
    Draw([&] { RpClumpRender(clump); });
    p = Read();
    EXPECT_EQ(PixelOf(p, {0.25f, -0.5f, 4})[0], 255) << "half way between the bones";
    EXPECT_EQ(PixelOf(p, {0.75f, -0.5f, 4})[0], 0);
    EXPECT_EQ(PixelOf(p, {-0.75f, -0.5f, 4})[0], 0);
    RpAtomicSetSkinQueryCallBack(nullptr);
    RpClumpDestroy(clump);
    RpMaterialDestroy(m);
}

TEST_F(WorldGL, WorldSectorsUseTheLightsThatLightTheWorld)
{
    RpWorld* walls = MakeWallWorld();
    RpWorldAddCamera(walls, camera);
    // Stand at x = 1 looking at the wall at x = 5 (its face points to +x, lit from either side).
    frame->modelling.right = {0, 0, -1};
    frame->modelling.up = {0, 1, 0};
    frame->modelling.at = {1, 0, 0};
    frame->modelling.pos = {1, 2, 0};
    RpLight* ambient = RpLightCreate(rpLightAmbient);
    const RwRGBAReal grey{0.5f, 0.5f, 0.5f, 1};
    RpLightSetColor(ambient, &grey);
    RpLightSetFlags(ambient, rpLightLightAtomics);
    RpWorldAddLight(walls, ambient);
    Draw([&] { RpWorldRender(walls); });
    EXPECT_EQ(PixelOf(Read(), {5, 2, 0})[0], 0) << "a light for atomics only";
    RpLightSetFlags(ambient, rpLightLightWorld);
    Clear({0, 0, 0, 255});
    Draw([&] { RpWorldRender(walls); });
    EXPECT_NEAR(PixelOf(Read(), {5, 2, 0})[0], 128, 3);

    // Fog over the whole distance turns the wall into the fog colour.
    RwRenderStateSet(rwRenderStateFogEnable, 1);
    RwRenderStateSet(rwRenderStateFogColor, intptr_t(RwPackColor(0, 0, 255, 255)));
    RwCameraSetFogDistance(camera, 0);
    RwCameraSetFarClipPlane(camera, 4);
    Clear({0, 0, 0, 255});
    Draw([&] { RpWorldRender(walls); });
    const Pixels pixels = Read();
    const uint8_t* fogged = PixelOf(pixels, {5, 2, 0});
    EXPECT_LT(fogged[0], 10);
    EXPECT_GT(fogged[2], 240);
    RwRenderStateSet(rwRenderStateFogEnable, 0);

    RpWorldDestroy(walls);
    RpLightDestroy(ambient);
    RpWorldAddCamera(world, camera);
}

}  // namespace
