#include "support/PluginTestSupport.h"

#include "engine/core/RwDevice.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSize = 200;

struct View {
    RwCamera* camera = nullptr;
    RwFrame* frame = nullptr;
    RwRaster* raster = nullptr;
    RwRaster* z = nullptr;

    // A parallel view of x -0.5..3.5, y -2..2 from z -10 (the picture is not mirrored: the
    // clip matrix decides where a point lands, see Pixel).
    View()
    {
        raster = RwRasterCreate(kSize, kSize, 0, rwRasterTypeCamera);
        z = RwRasterCreate(kSize, kSize, 0, rwRasterTypeZBuffer);
        frame = RwFrameCreate();
        camera = RwCameraCreate();
        RwCameraSetRaster(camera, raster);
        RwCameraSetZRaster(camera, z);
        RwCameraSetProjection(camera, rwParallel);
        const RwV2d window{2, 2};
        RwCameraSetViewWindow(camera, &window);
        RwCameraSetFarClipPlane(camera, 100);
        const RwV3d at{1.5f, 0, -10};
        RwFrameTranslate(frame, &at, rwCombineReplace);
        RwObjectHasFrameSetFrame(camera, frame);
    }
    ~View()
    {
        RwObjectHasFrameSetFrame(camera, nullptr);
        RwCameraDestroy(camera);
        RwFrameDestroy(frame);
        RwRasterDestroy(raster);
        RwRasterDestroy(z);
    }
    void Draw(RpClump* clump)
    {
        const RwRGBA black{0, 0, 0, 255};
        RwCameraClear(camera, &black, rwCameraClearImage | rwCameraClearZ);
        ASSERT_NE(RwCameraBeginUpdate(camera), nullptr);
        RpClumpRender(clump);
        RwCameraEndUpdate(camera);
        RwImage* image = RwImageCreate(kSize, kSize, 32);
        RwImageAllocatePixels(image);
        ASSERT_NE(RwImageSetFromRaster(image, raster), nullptr);
        pixels.assign(image->pixels, image->pixels + image->stride * kSize);
        stride = image->stride;
        RwImageDestroy(image);
    }
    // The colour where a world point lands on the picture.
    const RwUInt8* Pixel(RwV3d p)
    {
        RwReal m[16];
        RwCameraGetClipMatrix(camera, m);
        const RwReal x = m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12];
        const RwReal y = m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13];
        const RwReal w = m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15];
        const int px = std::clamp(int((x / w + 1) * 0.5f * kSize), 0, kSize - 1);
        const int py = std::clamp(int((1 - y / w) * 0.5f * kSize), 0, kSize - 1);
        return &pixels[size_t(py) * size_t(stride) + size_t(px) * 4];
    }
    std::vector<RwUInt8> pixels;
    int stride = 0;
};

bool Lit(const RwUInt8* p)
{
    return p[0] > 200 && p[1] > 200 && p[2] > 200;
}

}  // namespace

TEST(SkinnedDraw, LimbReadBackAndBentHalfwayPutsItsTipWhereItShould)
{
    PluginEngine engine(true);
    if (!engine.open() || !RwDeviceGetCurrent() || RwDeviceGetCurrent()->GetKind() != rwDeviceGL)
        GTEST_SKIP() << "no OpenGL 3.3 engine on this machine";
    Limb made = MakeLimb();
    RpClump* clump = RoundTrip(made.clump);
    RpClumpDestroy(made.clump);
    ASSERT_NE(clump, nullptr);
    Limb l = FindLimb(clump);
    ASSERT_NE(l.hierarchy, nullptr);

    RtAnimAnimation* anim = MakeBendAnimation();
    ASSERT_TRUE(RtAnimAnimationWrite(anim, "bend.anm"));
    RtAnimAnimationDestroy(anim);
    anim = RtAnimAnimationRead("bend.anm");
    ASSERT_NE(anim, nullptr);
    // As an animated clump binds an animation.
    RpSkinAtomicSetHAnimHierarchy(l.atomic, l.hierarchy);
    l.hierarchy->flags |= rpHAnimHierarchyUpdateModellingMatrices | rpHAnimHierarchyUpdateLTMs;
    RtAnimInterpolatorSetCurrentAnim(l.hierarchy->interpolator, anim);
    RpHAnimHierarchyAttach(l.hierarchy);
    RpHAnimHierarchyUpdateMatrices(l.hierarchy);

    View view;
    view.Draw(clump);
    EXPECT_TRUE(Lit(view.Pixel({1.9f, 0, 0}))) << "straight limb";

    RtAnimInterpolatorSetCurrentTime(l.hierarchy->interpolator, 0.5f);
    RpHAnimHierarchyUpdateMatrices(l.hierarchy);
    view.Draw(clump);
    const RwReal c = std::cos(3.14159265f / 4), s = std::sin(3.14159265f / 4);
    EXPECT_TRUE(Lit(view.Pixel({1 + 0.9f * c, 0.9f * s, 0}))) << "tip at 45 degrees";
    EXPECT_TRUE(Lit(view.Pixel({1 + 0.5f * c, 0.5f * s, 0}))) << "forearm at 45 degrees";
    EXPECT_TRUE(Lit(view.Pixel({0.5f, 0, 0}))) << "upper arm stays";
    EXPECT_FALSE(Lit(view.Pixel({1.9f, 0, 0}))) << "no longer straight";
    EXPECT_FALSE(Lit(view.Pixel({1, 0.9f, 0}))) << "not bent all the way";

    RpClumpDestroy(clump);
    RtAnimAnimationDestroy(anim);
}

TEST(SkinnedDraw, ChangedUVMatrixShiftsTheTextureOnTheNextDraw)
{
    PluginEngine engine(true);
    if (!engine.open() || !RwDeviceGetCurrent() || RwDeviceGetCurrent()->GetKind() != rwDeviceGL)
        GTEST_SKIP() << "no OpenGL 3.3 engine on this machine";
    // A quad over x 0..3, y -1..1 with u 0..1 across; the texture is red left, green right.
    RpGeometry* g = RpGeometryCreate(4, 2, rpGeometryTextured | rpGeometryPrelit);
    const RwV3d corners[4] = {{0, -1, 0}, {3, -1, 0}, {3, 1, 0}, {0, 1, 0}};
    const RwTexCoords uvs[4] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    for (int i = 0; i < 4; ++i) {
        g->morphTarget[0].verts[i] = corners[i];
        g->texCoords[0][i] = uvs[i];
        g->preLitLum[i] = {255, 255, 255, 255};
    }
    g->triangles[0] = {{0, 1, 2}, 0};
    g->triangles[1] = {{0, 2, 3}, 0};
    RpMorphTargetCalcBoundingSphere(&g->morphTarget[0], nullptr);
    RwImage* image = RwImageCreate(2, 1, 32);
    RwImageAllocatePixels(image);
    const RwUInt8 texels[8] = {255, 0, 0, 255, 0, 255, 0, 255};
    std::copy(texels, texels + 8, image->pixels);
    RwRaster* raster = RwRasterCreate(2, 1, 32, rwRasterTypeTexture);
    RwRasterSetFromImage(raster, image);
    RwImageDestroy(image);
    RwTexture* texture = RwTextureCreate(raster);
    RwTextureSetFilterMode(texture, rwFilterNearest);
    RpMaterial* mat = RpMaterialCreate();
    RpMaterialSetTexture(mat, texture);
    RwTextureDestroy(texture);
    RpGeometryAddMaterial(g, mat);
    RpMaterialDestroy(mat);

    RpClump* clump = RpClumpCreate();
    RwFrame* frame = RwFrameCreate();
    RpClumpSetFrame(clump, frame);
    RpAtomic* atomic = RpAtomicCreate();
    RpAtomicSetGeometry(atomic, g);
    RpGeometryDestroy(g);
    RpAtomicSetFrame(atomic, frame);
    RpClumpAddAtomic(clump, atomic);

    RwMatrix* uv = RwMatrixCreate();
    RpMatFXAtomicEnableEffects(atomic);
    RpMatFXMaterialSetEffects(mat, rpMaterialFXUVTransform);
    RpMatFXMaterialSetUVTransformMatrices(mat, uv, nullptr);

    View view;
    view.Draw(clump);
    const RwV3d left{0.6f, 0, 0}, right{2.4f, 0, 0};
    EXPECT_GT(view.Pixel(left)[0], 200);
    EXPECT_GT(view.Pixel(right)[1], 200);
    // The caller rewrites its matrix; the next draw reads it.
    const RwV3d shift{0.5f, 0, 0};
    RwMatrixTranslate(uv, &shift, rwCombinePostMultiply);
    view.Draw(clump);
    EXPECT_GT(view.Pixel(left)[1], 200) << "left now shows the right half";
    EXPECT_LT(view.Pixel(left)[0], 50);
    EXPECT_GT(view.Pixel(right)[0], 200) << "and wraps on the right";

    RpClumpDestroy(clump);
    RwMatrixDestroy(uv);
}
