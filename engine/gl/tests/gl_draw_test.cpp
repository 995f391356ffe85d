// Drawing through the GL device, checked by reading the camera raster back.
#include "support/GLEngineFixture.h"

namespace {

class GLDraw : public GLEngineTest {
protected:
    void SetUp() override
    {
        GLEngineTest::SetUp();
        if (IsSkipped())
            return;
        cam = MakeCamera(320, 240);
    }
    void Begin() { ASSERT_NE(RwCameraBeginUpdate(cam.camera), nullptr); }
    void End() { RwCameraEndUpdate(cam.camera); }

    TestCamera cam;
};

TEST_F(GLDraw, ClearFillsTheWholeRasterAndHonoursItsFlags)
{
    Clear(cam.camera, {10, 20, 30, 255}, rwCameraClearImage | rwCameraClearZ);
    Pixels p = Read(cam.raster);
    ASSERT_EQ(p.width, 320);
    ASSERT_EQ(p.height, 240);
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 239}, {319, 239}, {160, 120}})
        EXPECT_TRUE(PixelNear(p.at(x, y), {10, 20, 30, 255}, 0)) << x << ", " << y;

    // A z-only clear leaves the picture alone.
    Clear(cam.camera, {200, 200, 200, 255}, rwCameraClearZ);
    EXPECT_TRUE(PixelNear(Read(cam.raster).at(5, 5), {10, 20, 30, 255}, 0));
}

TEST_F(GLDraw, ZTestKeepsTheNearerTriangleAndOffLetsTheLastWin)
{
    const uint32_t nearGreen = Argb(255, 0, 255, 0);
    const uint32_t farRed = Argb(255, 255, 0, 0);
    for (bool zTest : {true, false}) {
        SCOPED_TRACE(zTest ? "z test on" : "z test off");
        Clear(cam.camera, {0, 0, 0, 255});
        RwRenderStateSet(rwRenderStateZTestEnable, zTest);
        Begin();
        Square3D(2.0f, 0.2f, nearGreen);  // covers the middle only
        Square3D(6.0f, 20.0f, farRed);    // covers everything, drawn after
        End();
        Pixels p = Read(cam.raster);
        EXPECT_TRUE(PixelNear(p.at(10, 10), {255, 0, 0, 255}));
        if (zTest)
            EXPECT_TRUE(PixelNear(p.at(160, 120), {0, 255, 0, 255}));
        else
            EXPECT_TRUE(PixelNear(p.at(160, 120), {255, 0, 0, 255}));
    }
}

TEST_F(GLDraw, ZWriteOffLeavesTheDepthBufferUntouched)
{
    Clear(cam.camera, {0, 0, 0, 255});
    Begin();
    RwRenderStateSet(rwRenderStateZWriteEnable, 0);
    Square3D(2.0f, 0.2f, Argb(255, 0, 255, 0));
    RwRenderStateSet(rwRenderStateZWriteEnable, 1);
    Square3D(6.0f, 20.0f, Argb(255, 0, 0, 255));
    End();
    // The near square wrote no depth, so the far one covers it.
    EXPECT_TRUE(PixelNear(Read(cam.raster).at(160, 120), {0, 0, 255, 255}));
}

TEST_F(GLDraw, HalfTransparentRectangleBlendsWithSourceAlphaCodes)
{
    Clear(cam.camera, {0, 0, 255, 255});
    Begin();
    RwRenderStateSet(rwRenderStateZTestEnable, 0);
    RwRenderStateSet(rwRenderStateSrcBlend, rwBlendSrcAlpha);        // 5
    RwRenderStateSet(rwRenderStateDestBlend, rwBlendInvSrcAlpha);    // 6
    RwRenderStateSet(rwRenderStateVertexAlphaEnable, 1);
    Rect2D(100, 50, 100, 100, Argb(128, 255, 0, 0));
    // Without vertex alpha the same rectangle is opaque.
    RwRenderStateSet(rwRenderStateVertexAlphaEnable, 0);
    Rect2D(250, 50, 50, 50, Argb(128, 255, 0, 0));
    End();
    Pixels p = Read(cam.raster);
    EXPECT_TRUE(PixelNear(p.at(150, 100), {128, 0, 127, -1}));
    EXPECT_TRUE(PixelNear(p.at(50, 100), {0, 0, 255, 255}));   // outside: untouched
    EXPECT_TRUE(PixelNear(p.at(199, 149), {128, 0, 127, -1}));  // last pixel inside
    EXPECT_TRUE(PixelNear(p.at(200, 150), {0, 0, 255, 255}));   // first pixel outside
    EXPECT_TRUE(PixelNear(p.at(275, 75), {255, 0, 0, -1}));
}

TEST_F(GLDraw, EveryBlendCodeReachesGL)
{
    struct Case {
        RwBlendFunction source, destination;
        Rgba expected;  // (200, 100, 0, alpha 128) over (100, 100, 100) of the given alpha
        RwUInt8 backgroundAlpha = 255;
    };
    const Case cases[] = {
        {rwBlendOne, rwBlendOne, {255, 200, 100, -1}},
        {rwBlendZero, rwBlendSrcColor, {78, 39, 0, -1}},
        {rwBlendDestColor, rwBlendZero, {78, 39, 0, -1}},
        {rwBlendInvDestColor, rwBlendZero, {122, 61, 0, -1}},
        {rwBlendZero, rwBlendInvSrcColor, {22, 61, 100, -1}},
        {rwBlendDestAlpha, rwBlendInvDestAlpha, {200, 100, 0, -1}},
        {rwBlendDestAlpha, rwBlendInvDestAlpha, {100, 100, 100, -1}, 0},
        {rwBlendSrcAlphaSat, rwBlendZero, {100, 50, 0, -1}, 0},
        {rwBlendSrcAlphaSat, rwBlendZero, {0, 0, 0, -1}},
        {rwBlendOne, rwBlendZero, {200, 100, 0, -1}},
    };
    Begin();
    RwRenderStateSet(rwRenderStateZTestEnable, 0);
    RwRenderStateSet(rwRenderStateVertexAlphaEnable, 1);
    End();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "blend " << c.source << ", " << c.destination);
        Clear(cam.camera, {100, 100, 100, c.backgroundAlpha});
        Begin();
        RwRenderStateSet(rwRenderStateSrcBlend, c.source);
        RwRenderStateSet(rwRenderStateDestBlend, c.destination);
        Rect2D(0, 0, 320, 240, Argb(128, 200, 100, 0));
        End();
        EXPECT_TRUE(PixelNear(Read(cam.raster).at(160, 120), c.expected));
    }
}

TEST_F(GLDraw, AlphaTestDiscardsWhatFailsTheReference)
{
    // Left half alpha 100, right half alpha 200; no blending, so passing pixels land as they are.
    for (RwAlphaTestFunction function : {rwAlphaTestGreaterEqual, rwAlphaTestAlways}) {
        SCOPED_TRACE(function);
        Clear(cam.camera, {0, 0, 0, 255});
        Begin();
        RwRenderStateSet(rwRenderStateAlphaTestFunction, function);  // 29
        RwRenderStateSet(rwRenderStateAlphaTestFunctionRef, 128);     // 30
        Rect2D(0, 0, 160, 240, Argb(100, 255, 255, 255));
        Rect2D(160, 0, 160, 240, Argb(200, 255, 255, 255));
        End();
        Pixels p = Read(cam.raster);
        EXPECT_TRUE(PixelNear(p.at(250, 120), {255, 255, 255, 200}));
        if (function == rwAlphaTestGreaterEqual)
            EXPECT_TRUE(PixelNear(p.at(50, 120), {0, 0, 0, 255}));
        else
            EXPECT_TRUE(PixelNear(p.at(50, 120), {255, 255, 255, 100}));
    }
    // Exactly the reference passes greater-or-equal.
    Clear(cam.camera, {0, 0, 0, 255});
    Begin();
    RwRenderStateSet(rwRenderStateAlphaTestFunction, rwAlphaTestGreaterEqual);
    RwRenderStateSet(rwRenderStateAlphaTestFunctionRef, 128);
    Rect2D(0, 0, 10, 10, Argb(128, 0, 255, 0));
    Rect2D(20, 0, 10, 10, Argb(127, 0, 255, 0));
    End();
    Pixels p = Read(cam.raster);
    EXPECT_TRUE(PixelNear(p.at(5, 5), {0, 255, 0, 128}, 0));
    EXPECT_TRUE(PixelNear(p.at(25, 5), {0, 0, 0, 255}, 0));
}

TEST_F(GLDraw, AlphaTestAppliesToTexturedPixels)
{
    // A texture whose left texel is clear: with the test on, only the right half lands.
    RwRaster* texture = MakeTexture(2, 1, {Argb(0, 255, 255, 255), Argb(255, 255, 255, 255)});
    Clear(cam.camera, {0, 0, 80, 255});
    Begin();
    RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(texture));
    RwRenderStateSet(rwRenderStateTextureFilter, rwFilterNearest);
    RwRenderStateSet(rwRenderStateAlphaTestFunction, rwAlphaTestGreaterEqual);
    RwRenderStateSet(rwRenderStateAlphaTestFunctionRef, 1);
    RwRenderStateSet(rwRenderStateSrcBlend, rwBlendOne);
    RwRenderStateSet(rwRenderStateDestBlend, rwBlendZero);
    Rect2D(0, 0, 320, 240, Argb(255, 255, 0, 0));
    End();
    Pixels p = Read(cam.raster);
    EXPECT_TRUE(PixelNear(p.at(40, 120), {0, 0, 80, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(280, 120), {255, 0, 0, 255}, 0));
}

TEST_F(GLDraw, TexturesAreSampledTopRowFirstWithTheChosenAddressing)
{
    RwRaster* texture = MakeTexture(2, 2, {Argb(255, 255, 0, 0), Argb(255, 0, 255, 0),
                                           Argb(255, 0, 0, 255), Argb(255, 255, 255, 0)});
    Clear(cam.camera, {0, 0, 0, 255});
    Begin();
    RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(texture));
    RwRenderStateSet(rwRenderStateTextureFilter, rwFilterNearest);
    Rect2D(0, 0, 200, 200, Argb(255, 255, 255, 255));
    End();
    Pixels p = Read(cam.raster);
    EXPECT_TRUE(PixelNear(p.at(50, 50), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(150, 50), {0, 255, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(50, 150), {0, 0, 255, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(150, 150), {255, 255, 0, 255}, 0));

    // u from -1 to 1: wrapping repeats the texture, clamping stretches its first column.
    for (RwTextureAddressMode mode : {rwTextureAddressWrap, rwTextureAddressClamp}) {
        Begin();
        RwRenderStateSet(rwRenderStateTextureAddress, mode);
        const float z = RwIm2DGetNearScreenZ();
        const uint32_t white = Argb(255, 255, 255, 255);
        RwIm2DVertex v[4] = {{0, 0, z, 1, white, -1, 0}, {200, 0, z, 1, white, 1, 0},
                             {200, 100, z, 1, white, 1, 0.25f}, {0, 100, z, 1, white, -1, 0.25f}};
        EXPECT_TRUE(RwIm2DRenderPrimitive(rwPrimTypeTriFan, v, 4));
        End();
        Pixels q = Read(cam.raster);
        if (mode == rwTextureAddressWrap)
            EXPECT_TRUE(PixelNear(q.at(75, 50), {0, 255, 0, 255}, 0));
        else
            EXPECT_TRUE(PixelNear(q.at(75, 50), {255, 0, 0, 255}, 0));
    }
}

TEST_F(GLDraw, FogFadesByTheCameraDistance)
{
    RwCameraSetFarClipPlane(cam.camera, 10.0f);
    RwCameraSetFogDistance(cam.camera, 5.0f);
    struct Case {
        RwFogType type;
        float density;
        int expected;  // white fading to black at distance 7.5
    };
    const Case cases[] = {
        {rwFogLinear, 1.0f, 128},             // half way from 5 to 10
        {rwFogExponential, 0.1f, 120},        // exp(-0.75)
        {rwFogExponential2, 0.1f, 145},       // exp(-0.5625)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Clear(cam.camera, {0, 0, 0, 255});
        Begin();
        RwRenderStateSet(rwRenderStateFogEnable, 1);  // 14
        RwRenderStateSet(rwRenderStateFogColor, Argb(255, 0, 0, 0));
        RwRenderStateSet(rwRenderStateFogType, c.type);
        RwRenderStateSet(rwRenderStateFogDensity, RwRenderStateFromReal(c.density));
        Square3D(7.5f, 20.0f, Argb(255, 255, 255, 255));
        End();
        EXPECT_TRUE(PixelNear(Read(cam.raster).at(160, 120),
                              {c.expected, c.expected, c.expected, 255}, 3));
    }
    // Nearer than the fog distance nothing fades; 2D is never fogged.
    Clear(cam.camera, {0, 0, 0, 255});
    Begin();
    RwRenderStateSet(rwRenderStateFogType, rwFogLinear);
    Square3D(3.0f, 20.0f, Argb(255, 255, 255, 255));
    Rect2D(0, 0, 20, 20, Argb(255, 0, 255, 0));
    End();
    Pixels p = Read(cam.raster);
    EXPECT_TRUE(PixelNear(p.at(160, 120), {255, 255, 255, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(10, 10), {0, 255, 0, 255}, 0));
}

TEST_F(GLDraw, ZBiasPullsADecalInFrontOfItsSurface)
{
    for (int bias : {1, 0}) {
        SCOPED_TRACE(bias);
        Clear(cam.camera, {0, 0, 0, 255});
        Begin();
        RwRenderStateSet(rwRenderStateZTestEnable, 1);
        RwD3D8SetRenderState(rwD3D8RenderStateZBias, bias);
        Square3D(5.0f, 20.0f, Argb(255, 255, 0, 0));  // the decal, drawn first
        RwD3D8SetRenderState(rwD3D8RenderStateZBias, 0);
        Square3D(5.0f, 20.0f, Argb(255, 0, 0, 255));  // the surface under it
        End();
        // Equal depths pass (less-or-equal): without bias the surface covers the decal.
        EXPECT_TRUE(PixelNear(Read(cam.raster).at(160, 120),
                              bias ? Rgba{255, 0, 0, 255} : Rgba{0, 0, 255, 255}, 0));
    }
}

TEST_F(GLDraw, CullModesDropOneWindingEach)
{
    // Front faces appear counter-clockwise on the screen: in 3D that is a triangle whose
    // normal (b - a) x (c - a) points at the camera; 2D follows the same rule.
    const float z = RwIm2DGetNearScreenZ();
    const uint32_t c = Argb(255, 255, 255, 255);
    const RwIm2DVertex clockwise[3] = {{10, 10, z, 1, c, 0, 0}, {150, 10, z, 1, c, 0, 0},
                                       {10, 200, z, 1, c, 0, 0}};
    const RwIm2DVertex counter[3] = {{170, 10, z, 1, c, 0, 0}, {170, 200, z, 1, c, 0, 0},
                                     {310, 10, z, 1, c, 0, 0}};
    RwIm3DVertex facing[3] = {{{2, -2, 5}, {}, c, 0, 0}, {{-2, -2, 5}, {}, c, 0, 0},
                              {{0, 2, 5}, {}, c, 0, 0}};
    RwIm3DVertex away[3] = {facing[0], facing[2], facing[1]};
    struct Case {
        RwCullMode mode;
        bool frontShown, backShown;
    };
    for (Case k : {Case{rwCullNone, true, true}, Case{rwCullBack, true, false},
                   Case{rwCullFront, false, true}}) {
        SCOPED_TRACE(k.mode);
        Clear(cam.camera, {0, 0, 0, 255});
        Begin();
        RwRenderStateSet(rwRenderStateCullMode, k.mode);
        RwIm2DRenderPrimitive(rwPrimTypeTriList, clockwise, 3);
        RwIm2DRenderPrimitive(rwPrimTypeTriList, counter, 3);
        End();
        Pixels p = Read(cam.raster);
        EXPECT_EQ(p.at(190, 30)[0], k.frontShown ? 255 : 0);
        EXPECT_EQ(p.at(30, 30)[0], k.backShown ? 255 : 0);

        for (RwIm3DVertex* triangle : {facing, away}) {
            Clear(cam.camera, {0, 0, 0, 255});
            Begin();
            ASSERT_NE(RwIm3DTransform(triangle, 3, nullptr, 0), nullptr);
            RwIm3DRenderPrimitive(rwPrimTypeTriList);
            RwIm3DEnd();
            End();
            EXPECT_EQ(Read(cam.raster).at(160, 120)[0],
                      (triangle == facing ? k.frontShown : k.backShown) ? 255 : 0)
                << (triangle == facing ? "facing" : "turned away");
        }
    }
}

TEST_F(GLDraw, FlatShadingTakesTheFirstVertexColour)
{
    const float z = RwIm2DGetNearScreenZ();
    const RwIm2DVertex v[3] = {{0, 0, z, 1, Argb(255, 255, 0, 0), 0, 0},
                               {320, 0, z, 1, Argb(255, 0, 255, 0), 0, 0},
                               {0, 240, z, 1, Argb(255, 0, 0, 255), 0, 0}};
    Clear(cam.camera, {0, 0, 0, 255});
    Begin();
    RwRenderStateSet(rwRenderStateShadeMode, rwShadeFlat);
    RwIm2DRenderPrimitive(rwPrimTypeTriList, v, 3);
    End();
    EXPECT_TRUE(PixelNear(Read(cam.raster).at(100, 60), {255, 0, 0, 255}, 0));
    Begin();
    RwRenderStateSet(rwRenderStateShadeMode, rwShadeGouraud);
    RwIm2DRenderPrimitive(rwPrimTypeTriList, v, 3);
    End();
    const Pixels smooth = Read(cam.raster);
    const uint8_t* mixed = smooth.at(100, 60);
    EXPECT_GT(mixed[1], 20);
    EXPECT_GT(mixed[2], 20);
}

TEST_F(GLDraw, Im3DMatrixPlacesTheVertices)
{
    // The same small square moved off the axis by the object matrix.
    RwMatrix* ltm = RwMatrixCreate();
    const RwV3d shift = {0, 0, 100};
    RwMatrixTranslate(ltm, &shift, rwCombineReplace);
    RwIm3DVertex v[3] = {{{-1, -1, -95}, {}, Argb(255, 0, 255, 0), 0, 0},
                         {{1, -1, -95}, {}, Argb(255, 0, 255, 0), 0, 0},
                         {{0, 1, -95}, {}, Argb(255, 0, 255, 0), 0, 0}};
    Clear(cam.camera, {0, 0, 0, 255});
    Begin();
    ASSERT_NE(RwIm3DTransform(v, 3, ltm, 0), nullptr);
    EXPECT_TRUE(RwIm3DRenderPrimitive(rwPrimTypeTriList));
    RwIm3DEnd();
    End();
    RwMatrixDestroy(ltm);
    EXPECT_TRUE(PixelNear(Read(cam.raster).at(160, 120), {0, 255, 0, 255}, 0));
}

}  // namespace

namespace {

TEST_F(GLDraw, LightingAddsAmbientAndDirectionalLightsToThePrelitColour)
{
    // A square facing the camera (normal -z) with a dark pre-lit colour.
    auto drawLit = [&](const RwDeviceLighting* lighting, const RwMatrix* ltm) {
        RwIm3DVertex v[4];
        const float s = 20.0f;
        const float corners[4][2] = {{-s, -s}, {s, -s}, {s, s}, {-s, s}};
        for (int i = 0; i < 4; ++i)
            v[i] = {{corners[i][0], corners[i][1], 5}, {0, 0, -1}, Argb(255, 20, 0, 0), 0, 0};
        const RwImVertexIndex indices[6] = {0, 1, 2, 0, 2, 3};
        Clear(cam.camera, {0, 0, 0, 255});
        Begin();
        Device()->SetLighting(lighting);
        EXPECT_NE(RwIm3DTransform(v, 4, ltm, 0), nullptr);
        RwIm3DRenderIndexedPrimitive(rwPrimTypeTriList, indices, 6);
        RwIm3DEnd();
        Device()->SetLighting(nullptr);
        End();
        return Read(cam.raster);
    };
    const RwDeviceDirectionalLight lights[2] = {
        {{0, 0, 1}, {0.4f, 0, 0, 1}},    // travels away from the camera: lights the face
        {{0, 0, -1}, {0, 0, 1.0f, 1}},   // comes from behind: no effect
    };
    RwDeviceLighting lighting = {{0, 0.25f, 0, 1}, lights, 2, {1, 1, 1, 1}};
    EXPECT_TRUE(PixelNear(drawLit(&lighting, nullptr).at(160, 120), {122, 64, 0, 255}));

    lighting.materialColour = {0.5f, 1, 1, 0.5f};
    EXPECT_TRUE(PixelNear(drawLit(&lighting, nullptr).at(160, 120), {61, 64, 0, 128}));

    // Turned half round about y (and moved back in front of the camera), the face's
    // normal points away: only the second light reaches it.
    lighting.materialColour = {1, 1, 1, 1};
    RwMatrix* ltm = RwMatrixCreate();
    const RwV3d yAxis = {0, 1, 0};
    const RwV3d back = {0, 0, 10};
    RwMatrixRotate(ltm, &yAxis, 180.0f, rwCombineReplace);
    RwMatrixTranslate(ltm, &back, rwCombinePostMultiply);
    EXPECT_TRUE(PixelNear(drawLit(&lighting, ltm).at(160, 120), {20, 64, 255, 255}));
    RwMatrixDestroy(ltm);

    // Without lighting the vertex colour is drawn as it is.
    EXPECT_TRUE(PixelNear(drawLit(nullptr, nullptr).at(160, 120), {20, 0, 0, 255}));
}

}  // namespace

namespace {

TEST_F(GLDraw, MipFiltersWorkWithAndWithoutMipLevels)
{
    // A fine black and white checker shrunk to a few pixels: with mip levels the
    // linear-mip-linear filter (6) averages it to grey; a texture without levels still
    // samples (the filter falls back to plain linear) instead of reading black.
    std::vector<uint32_t> checker(64 * 64);
    for (int i = 0; i < 64 * 64; ++i)
        checker[i] = ((i % 64 + i / 64) % 2) ? Argb(255, 255, 255, 255) : Argb(255, 0, 0, 0);
    RwRaster* mipmapped =
        MakeTexture(64, 64, checker, rwRasterFormatMipmap | rwRasterFormatAutoMipmap);
    RwRaster* plain = MakeTexture(64, 64, std::vector<uint32_t>(64 * 64, Argb(255, 0, 200, 0)));
    Clear(cam.camera, {255, 0, 0, 255});
    Begin();
    RwRenderStateSet(rwRenderStateTextureFilter, rwFilterLinearMipLinear);
    RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(mipmapped));
    Rect2D(0, 0, 4, 4, Argb(255, 255, 255, 255));
    RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(plain));
    Rect2D(10, 0, 4, 4, Argb(255, 255, 255, 255));
    End();
    Pixels p = Read(cam.raster);
    EXPECT_TRUE(PixelNear(p.at(2, 2), {128, 128, 128, 255}, 12));
    EXPECT_TRUE(PixelNear(p.at(12, 2), {0, 200, 0, 255}, 0));
}

TEST_F(GLDraw, BorderAddressingShowsTheBorderColour)
{
    RwRaster* texture = MakeTexture(1, 1, {Argb(255, 255, 0, 0)});
    Clear(cam.camera, {0, 0, 0, 255});
    Begin();
    RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(texture));
    RwRenderStateSet(rwRenderStateTextureFilter, rwFilterNearest);
    RwRenderStateSet(rwRenderStateTextureAddress, rwTextureAddressBorder);
    RwRenderStateSet(rwRenderStateBorderColor, Argb(255, 0, 0, 255));
    const float z = RwIm2DGetNearScreenZ();
    const uint32_t white = Argb(255, 255, 255, 255);
    // u from -1 to 1: the left half lies outside the texture.
    RwIm2DVertex v[4] = {{0, 0, z, 1, white, -1, 0.5f}, {200, 0, z, 1, white, 1, 0.5f},
                         {200, 100, z, 1, white, 1, 0.5f}, {0, 100, z, 1, white, -1, 0.5f}};
    EXPECT_TRUE(RwIm2DRenderPrimitive(rwPrimTypeTriFan, v, 4));
    End();
    Pixels p = Read(cam.raster);
    EXPECT_TRUE(PixelNear(p.at(50, 50), {0, 0, 255, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(150, 50), {255, 0, 0, 255}, 0));
}

}  // namespace
