#include "support/WorldTestSupport.h"

#include "engine/core/RwDevice.h"
#include "engine/gl/GLDevice.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <span>

using namespace worldtest;

namespace {

// The camera rig on the GL device; the cases skip where no OpenGL 3.3 context can be made.
class WorldGL : public ::testing::Test {
protected:
    void SetUp() override
    {
        RwDevice* device = RwDeviceGetCurrent();
        if (!engine.IsOpen() || !device || device->GetKind() != rwDeviceGL)
            GTEST_SKIP() << "no OpenGL 3.3 engine on this machine";
        rig = std::make_unique<CameraRig>(kSize);
        camera = rig->camera;
        world = rig->world;
    }

    // Clears (to black unless told), draws inside a camera update and reads the picture back.
    template <typename F>
    void Draw(F draw, const RwRGBA& clear = {0, 0, 0, 255})
    {
        ASSERT_NE(RwCameraClear(camera, &clear, rwCameraClearImage | rwCameraClearZ), nullptr);
        ASSERT_NE(RwCameraBeginUpdate(camera), nullptr);
        draw();
        RwCameraEndUpdate(camera);
        RwImage* image = RwImageCreate(kSize, kSize, 32);
        RwImageAllocatePixels(image);
        ASSERT_NE(RwImageSetFromRaster(image, rig->raster), nullptr);
        stride = image->stride;
        pixels.assign(image->pixels, image->pixels + stride * kSize);
        RwImageDestroy(image);
    }
    void Draw(RpClump* clump, const RwRGBA& clear = {0, 0, 0, 255})
    {
        Draw([&] { RpClumpRender(clump); }, clear);
    }
    // The colour where a world point landed.
    const uint8_t* At(RwV3d point) const
    {
        RwV3d view;
        RwV3dTransformPoints(&view, &point, 1, RwCameraGetViewMatrix(camera));
        const int x = int(view.x / view.z * kSize), y = int(view.y / view.z * kSize);
        EXPECT_TRUE(x >= 0 && y >= 0 && x < kSize && y < kSize) << "off screen: " << x << ", " << y;
        return &pixels[size_t(std::clamp(y, 0, kSize - 1) * stride + std::clamp(x, 0, kSize - 1) * 4)];
    }
    static RwTexture* MakeTexture(int width, int height, const std::vector<RwRGBA>& texels)
    {
        RwImage* image = RwImageCreate(width, height, 32);
        RwImageAllocatePixels(image);
        for (int i = 0; i < width * height; ++i)
            std::memcpy(image->pixels + (i / width) * image->stride + (i % width) * 4, &texels[size_t(i)], 4);
        RwRaster* r = RwRasterCreate(width, height, 32, rwRasterTypeTexture);
        RwRasterSetFromImage(r, image);
        RwImageDestroy(image);
        return RwTextureCreate(r);
    }

    static constexpr int kSize = 128;
    ScopedEngine engine{rwDeviceGL, RpWorldPluginAttach};
    std::unique_ptr<CameraRig> rig;
    RwCamera* camera = nullptr;
    RpWorld* world = nullptr;
    std::vector<uint8_t> pixels;
    int stride = 0;
};

RpLight* Light(RwInt32 type, RwReal level)
{
    RpLight* light = RpLightCreate(type);
    const RwRGBAReal colour{level, level, level, 1};
    RpLightSetColor(light, &colour);
    return light;
}

int Brightness(const uint8_t* p)
{
    return p[0] + p[1] + p[2];
}

TEST_F(WorldGL, LitFaceOfATexturedBoxIsBrighterThanTheAmbientOne)
{
    RwTexture* texture = MakeTexture(2, 2, std::vector<RwRGBA>(4, RwRGBA{200, 100, 50, 255}));
    RpMaterial* m = RpMaterialCreate();
    RpMaterialSetTexture(m, texture);
    RwTextureDestroy(texture);
    RpClump* clump = BoxClump({0, 0, 0}, rpGeometryLight, {m});
    RpMaterialDestroy(m);
    // Turned 45 degrees about y and put 4 ahead: two faces look at the camera.
    const RwV3d up{0, 1, 0}, ahead{0, 0, 4};
    RwFrameRotate(RpClumpGetFrame(clump), &up, 45, rwCombineReplace);
    RwFrameTranslate(RpClumpGetFrame(clump), &ahead, rwCombinePostMultiply);
    RpLight* ambient = Light(rpLightAmbient, 0.3f);
    RpLight* sun = Light(rpLightDirectional, 0.7f);
    RwFrame* sunFrame = RwFrameCreate();
    sunFrame->modelling.at = {-1, 0, 0};  // travels towards -x: lights faces that look to +x
    sunFrame->modelling.right = {0, 0, 1};
    RpLightSetFrame(sun, sunFrame);
    RpWorldAddLight(world, ambient);
    RpWorldAddLight(world, sun);

    Draw(clump);
    const float s = std::sqrt(0.5f) * 0.5f;  // half way out on each face
    const uint8_t* lit = At({s + 0.2f, 0, 4 - s});
    const uint8_t* shaded = At({-s - 0.2f, 0, 4 - s});
    // Ambient 0.3 of the texel (200, 100, 50); the lit face adds 0.7 x cos 45.
    EXPECT_NEAR(shaded[0], 60, 6);
    EXPECT_NEAR(lit[0], 159, 8);
    EXPECT_GT(Brightness(lit), Brightness(shaded) + 100);
    EXPECT_TRUE(lit[0] > lit[1] && lit[1] > lit[2]) << "the texture's colour shows";

    // Lights that reach only the world leave the atomic in the dark.
    RpLightSetFlags(sun, rpLightLightWorld);
    RpLightSetFlags(ambient, rpLightLightWorld);
    Draw(clump);
    EXPECT_LT(Brightness(At({s + 0.2f, 0, 4 - s})), 10);

    RpClumpDestroy(clump);
    RpLightDestroy(ambient);
    RpLightDestroy(sun);
    RwFrameDestroy(sunFrame);
}

// A box faded to alpha 0 in front of a red wall, and a green box between them drawn last: the
// faded one is left out where drawing it could change neither the picture nor the depth, and
// drawn where its depth or its blending shows.
TEST_F(WorldGL, AFadedOutPartIsLeftOutOnlyWhereItWouldChangeNothing)
{
    const auto box = [](float z, RwRGBA colour) {
        RpMaterial* m = RpMaterialCreate();
        RpMaterialSetColor(m, &colour);
        RpClump* clump = BoxClump({0, 0, z}, rpGeometryModulateMaterialColor | rpGeometryPrelit, {m});
        RpMaterialDestroy(m);
        return clump;
    };
    RpClump* wall = box(8, {255, 0, 0, 255});
    RpClump* middle = box(6, {0, 255, 0, 255});
    RpClump* glass = box(4, {255, 255, 255, 0});
    RpMaterial* glassColour = GeometryOf(glass)->matList.materials[0];
    auto* device = dynamic_cast<GLDevice*>(RwDeviceGetCurrent());
    ASSERT_NE(device, nullptr);
    const std::pair<RwRenderState, intptr_t> noTest{rwRenderStateAlphaTestFunction, rwAlphaTestAlways},
        noZWrite{rwRenderStateZWriteEnable, 0};
    const RwRGBA green{0, 255, 0, 255}, red{255, 0, 0, 255};
    const struct {
        const char* name;
        RwUInt8 alpha;
        std::vector<std::pair<RwRenderState, intptr_t>> states;
        bool leftOut;
        RwRGBA centre;
    } cases[] = {
        {"thrown away by the alpha test", 0, {}, true, green},
        {"premultiplied, thrown away", 0, {{rwRenderStateSrcBlend, rwBlendOne}}, true, green},
        {"blended without z writes", 0, {noTest, noZWrite}, true, green},
        {"added without z writes", 0, {noTest, noZWrite, {rwRenderStateDestBlend, rwBlendOne}}, true, green},
        {"its depth hides the green box", 0, {noTest}, false, red},
        {"a test that keeps clear", 0, {{rwRenderStateAlphaTestFunction, rwAlphaTestLessEqual}}, false, red},
        {"premultiplied adds its colour", 0, {noTest, {rwRenderStateSrcBlend, rwBlendOne}}, false, {255, 255, 255, 255}},
        {"all but faded out", 1, {}, false, red},
    };
    for (const auto& c : cases) {
        const RwRGBA colour{255, 255, 255, c.alpha};
        RpMaterialSetColor(glassColour, &colour);
        const uint32_t before = device->Counters().clearLeftOut;
        Draw([&] {
            RwRenderStateReset();
            RpClumpRender(wall);
            for (const auto& [state, value] : c.states)
                RwRenderStateSet(state, value);
            RpClumpRender(glass);
            RwRenderStateReset();
            RpClumpRender(middle);
        });
        EXPECT_EQ(device->Counters().clearLeftOut - before, c.leftOut ? 1u : 0u) << c.name;
        const uint8_t* centre = At({0, 0, 3});
        const RwUInt8 expected[3] = {c.centre.red, c.centre.green, c.centre.blue};
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(centre[i], expected[i], 2) << c.name << ", channel " << i;
    }
    RpClumpDestroy(glass);
    RpClumpDestroy(middle);
    RpClumpDestroy(wall);
}

TEST_F(WorldGL, UVMatrixIsReadAtEveryDraw)
{
    RwTexture* t = MakeTexture(2, 1, {{255, 0, 0, 255}, {0, 255, 0, 255}});
    t->filter = rwFilterNearest;
    RpMaterial* m = RpMaterialCreate();
    RpMaterialSetTexture(m, t);
    RwTextureDestroy(t);
    RpGeometry* g = MakeQuad(-1, -1, 1, 1, m, 0);
    RpClump* clump = MakeClump(g, {0, 0, 4});
    RpGeometryDestroy(g);  // the clump's reference keeps it
    const auto colour = [&] {
        Draw(clump);
        const uint8_t* p = At({-0.5f, 0, 4});  // u = 0.25: the red texel
        return p[0] > 200 ? 'r' : p[1] > 200 ? 'g' : '?';
    };
    EXPECT_EQ(colour(), 'r');
    RwMatrix shift;
    RwMatrixSetIdentity(&shift);
    shift.pos.x = 0.5f;
    m->fxEffects = rpMaterialFXUVTransform;
    m->uvTransform[0] = &shift;
    EXPECT_EQ(colour(), 'r') << "effects are off until the atomic enables them";
    clump->atomics[0]->matFXEnabled = true;
    EXPECT_EQ(colour(), 'g');
    shift.pos.x = 0;  // changed after it was handed over
    EXPECT_EQ(colour(), 'r');

    // Vertices moved under a lock reach the screen at the unlock.
    ASSERT_EQ(RpGeometryLock(g, rpGeometryLockVertices), g);
    for (RwV3d& v : std::span(g->morphTarget[0].verts, 4))
        v.y -= 2;
    RpGeometryUnlock(g);
    EXPECT_EQ(colour(), '?') << "the quad moved away from the probe";
    RpClumpDestroy(clump);
    RpMaterialDestroy(m);
}

RwMatrix g_bones[2];
RwUInt8 g_indices[4][4];
RwReal g_weights[4][4];

TEST_F(WorldGL, SkinnedVerticesFollowTheirBones)
{
    RpMaterial* m = RpMaterialCreate();
    RpGeometry* g = MakeQuad(-1, -1, 0, 0, m, 0);
    RpClump* clump = MakeClump(g, {0, 0, 4});
    RpGeometryDestroy(g);
    // Bone 1 turns the quad a quarter about z: (x, y) goes to (-y, x).
    const RwV3d z{0, 0, 1};
    RwMatrixSetIdentity(&g_bones[0]);
    RwMatrixRotate(&g_bones[1], &z, 90, rwCombineReplace);
    for (int v = 0; v < 4; ++v) {
        g_indices[v][1] = 1;
        g_weights[v][1] = 1;
    }
    RpAtomicSetSkinQueryCallBack([](RpAtomic*, RpGeometry*, RpAtomicSkinData* out) -> RwBool {
        *out = {2, g_bones, g_indices, g_weights};
        return true;
    });
    Draw(clump);
    EXPECT_EQ(At({0.5f, -0.5f, 4})[0], 255) << "moved by bone 1";
    EXPECT_EQ(At({-0.5f, -0.5f, 4})[0], 0);

    for (auto& w : g_weights)
        w[0] = w[1] = 0.5f;
    // Bone data is read once per geometry, so the new weights go with a new geometry.
    RpGeometry* fresh = MakeQuad(-1, -1, 0, 0, m, 0);
    RpAtomicSetGeometry(clump->atomics[0], fresh);
    RpGeometryDestroy(fresh);
    Draw(clump);
    // Half way: the corners go to (0, -1), (0.5, -0.5), (0, 0) and (-0.5, -0.5).
    EXPECT_EQ(At({0.25f, -0.5f, 4})[0], 255) << "half way between the bones";
    EXPECT_EQ(At({0.75f, -0.5f, 4})[0], 0);
    EXPECT_EQ(At({-0.75f, -0.5f, 4})[0], 0);
    RpAtomicSetSkinQueryCallBack(nullptr);
    Draw(clump);
    EXPECT_EQ(At({-0.75f, -0.5f, 4})[0], 255) << "without the hook the quad is drawn as stored";
    RpClumpDestroy(clump);
    RpMaterialDestroy(m);
}

}  // namespace

// A silhouette, drawn as a shadow's casters are (lit by no light), leaves the very colours and
// depths that the box's textured and coloured parts leave drawn one by one.
TEST_F(WorldGL, ASilhouetteLeavesThePictureOfItsPartsDrawnOneByOne)
{
    RpMaterial* textured = RpMaterialCreate();
    RwTexture* texture = MakeTexture(2, 2, {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}});
    RpMaterialSetTexture(textured, texture);
    RwTextureDestroy(texture);
    RpMaterial* red = RpMaterialCreate();
    const RwRGBA redColour{255, 0, 0, 255};
    RpMaterialSetColor(red, &redColour);
    RpClump* clump = BoxClump({0.5f, 0.25f, 4}, rpGeometryLight | rpGeometryNormals | rpGeometryModulateMaterialColor,
                              {textured, red});
    RpMaterialDestroy(textured);
    RpMaterialDestroy(red);
    const RwV3d turn{1, 1, 0};
    RwFrameRotate(RpClumpGetFrame(clump), &turn, 30, rwCombinePreMultiply);
    const RwRGBA white{255, 255, 255, 255};
    Draw(clump, white);
    const std::vector<uint8_t> byParts = pixels;
    camera->silhouettes = true;
    Draw(clump, white);
    camera->silhouettes = false;
    EXPECT_EQ(pixels, byParts);
    int black = 0;
    for (int i = 0; i < kSize * kSize; ++i) {
        const uint8_t* p = &pixels[size_t(i / kSize * stride + i % kSize * 4)];
        black += p[0] == 0 && p[1] == 0 && p[2] == 0;
    }
    EXPECT_GT(black, kSize * kSize / 20) << "the box shows";
    RpClumpDestroy(clump);
}
