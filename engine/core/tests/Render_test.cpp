#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

namespace {

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        raster = RwRasterCreate(64, 32, 0, rwRasterTypeCamera);
        z = RwRasterCreate(64, 32, 0, rwRasterTypeZBuffer);
        camera = RwCameraCreate();
        frame = RwFrameCreate();
        camera->frameBuffer = raster;
        camera->zBuffer = z;
        RwObjectHasFrameSetFrame(camera, frame);
        engine.device()->ClearLog();
    }
    void TearDown() override
    {
        RwCameraDestroy(camera);
        RwFrameDestroy(frame);
        RwRasterDestroy(raster);
        RwRasterDestroy(z);
    }
    NullEngine engine;
    RwRaster* raster = nullptr;
    RwRaster* z = nullptr;
    RwCamera* camera = nullptr;
    RwFrame* frame = nullptr;
};

TEST_F(RenderTest, StatesKeepTheirValuesAndRefuseBadOnes)
{
    intptr_t v = -1;
    // Defaults after the start.
    ASSERT_TRUE(RwRenderStateGet(rwRenderStateZWriteEnable, &v));
    EXPECT_EQ(v, 1);
    ASSERT_TRUE(RwRenderStateGet(rwRenderStateSrcBlend, &v));
    EXPECT_EQ(v, rwBlendSrcAlpha);

    EXPECT_TRUE(RwRenderStateSet(RwRenderState(8), 0));
    EXPECT_TRUE(RwRenderStateSet(RwRenderState(10), rwBlendSrcAlphaSat));
    EXPECT_TRUE(RwRenderStateSet(RwRenderState(11), rwBlendZero));
    EXPECT_TRUE(RwRenderStateSet(RwRenderState(14), 1));
    EXPECT_TRUE(RwRenderStateSet(RwRenderState(29), rwAlphaTestGreaterEqual));
    EXPECT_TRUE(RwRenderStateSet(RwRenderState(30), 128));
    EXPECT_TRUE(RwRenderStateSet(rwRenderStateFogDensity, RwRenderStateFromReal(0.25f)));
    EXPECT_TRUE(RwRenderStateSet(rwRenderStateTextureAddress, rwTextureAddressClamp));
    RwRenderStateGet(RwRenderState(8), &v);
    EXPECT_EQ(v, 0);
    RwRenderStateGet(RwRenderState(11), &v);
    EXPECT_EQ(v, rwBlendZero);
    RwRenderStateGet(RwRenderState(29), &v);
    EXPECT_EQ(v, 7);
    RwRenderStateGet(rwRenderStateFogDensity, &v);
    EXPECT_FLOAT_EQ(RwRenderStateToReal(v), 0.25f);
    RwRenderStateGet(rwRenderStateTextureAddressV, &v);
    EXPECT_EQ(v, rwTextureAddressClamp);

    LogCapture log;
    EXPECT_FALSE(RwRenderStateSet(rwRenderStateSrcBlend, 12));
    EXPECT_FALSE(RwRenderStateSet(RwRenderState(30), 256));
    EXPECT_FALSE(RwRenderStateSet(RwRenderState(5), 0));
    EXPECT_FALSE(RwRenderStateGet(RwRenderState(5), &v));
    RwRenderStateGet(rwRenderStateSrcBlend, &v);
    EXPECT_EQ(v, rwBlendSrcAlphaSat);
    EXPECT_TRUE(log.Contains("RwRenderStateSet"));

    // The device heard every accepted change.
    const auto& states = engine.device()->states;
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back().state, rwRenderStateTextureAddress);
    EXPECT_EQ(states.back().value, rwTextureAddressClamp);
}

TEST_F(RenderTest, Im3DDrawsReachTheDeviceWithTheirStates)
{
    RwIm3DVertex v[5] = {};
    EXPECT_EQ(RwIm3DTransform(v, 5, nullptr, 0), nullptr);  // no camera yet
    ASSERT_NE(RwCameraBeginUpdate(camera), nullptr);
    RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(raster));
    RwRenderStateSet(rwRenderStateZTestEnable, 0);
    RwD3D8SetRenderState(rwD3D8RenderStateZBias, 1);
    RwMatrix ltm;
    RwMatrixSetIdentity(&ltm);
    ASSERT_NE(RwIm3DTransform(v, 5, &ltm, rwIm3DVertexUV), nullptr);
    EXPECT_TRUE(RwIm3DRenderPrimitive(rwPrimTypeTriStrip));
    const RwImVertexIndex lines[4] = {0, 1, 3, 4};
    EXPECT_TRUE(RwIm3DRenderIndexedPrimitive(rwPrimTypeLineList, lines, 4));
    {
        LogCapture log;
        const RwImVertexIndex bad[3] = {0, 1, 5};
        EXPECT_FALSE(RwIm3DRenderIndexedPrimitive(rwPrimTypeTriList, bad, 3));
        EXPECT_FALSE(RwIm3DRenderPrimitive(RwPrimitiveType(9)));
        EXPECT_FALSE(log.lines.empty());
    }
    EXPECT_TRUE(RwIm3DEnd());
    EXPECT_FALSE(RwIm3DRenderPrimitive(rwPrimTypeTriList));
    RwCameraEndUpdate(camera);

    const auto& draws = engine.device()->draws;
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_FALSE(draws[0].is2D);
    EXPECT_EQ(draws[0].type, rwPrimTypeTriStrip);
    EXPECT_EQ(draws[0].numVertices, 5);
    EXPECT_EQ(draws[0].numIndices, 0);
    EXPECT_EQ(draws[0].texture, raster);
    EXPECT_EQ(draws[0].zTest, 0);
    EXPECT_EQ(draws[0].zBias, 1);
    EXPECT_EQ(draws[0].camera, camera);
    EXPECT_EQ(draws[1].type, rwPrimTypeLineList);
    EXPECT_EQ(draws[1].numIndices, 4);
    EXPECT_EQ(RwEngineGetFrameMetrics()->numTriangles, 3u);
    RwD3D8SetRenderState(rwD3D8RenderStateZBias, 0);
}

TEST_F(RenderTest, Im2DDrawsNeedACameraAndValidIndices)
{
    RwIm2DVertex quad[4] = {};
    const RwImVertexIndex tris[6] = {3, 2, 0, 2, 1, 0};
    {
        LogCapture log;
        EXPECT_FALSE(RwIm2DRenderIndexedPrimitive(rwPrimTypeTriList, quad, 4, tris, 6));
    }
    RwCameraBeginUpdate(camera);
    RwRenderStateSet(rwRenderStateVertexAlphaEnable, 1);
    EXPECT_TRUE(RwIm2DRenderIndexedPrimitive(rwPrimTypeTriList, quad, 4, tris, 6));
    EXPECT_TRUE(RwIm2DRenderTriangle(quad, 4, 2, 1, 0));
    {
        LogCapture log;
        EXPECT_FALSE(RwIm2DRenderTriangle(quad, 4, 2, 1, 4));
        EXPECT_FALSE(RwIm2DRenderPrimitive(rwPrimTypeTriList, quad, 2));
    }
    RwCameraEndUpdate(camera);
    const auto& draws = engine.device()->draws;
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_TRUE(draws[0].is2D);
    EXPECT_EQ(draws[0].numIndices, 6);
    EXPECT_EQ(draws[0].vertexAlpha, 1);
    EXPECT_LT(RwIm2DGetNearScreenZ(), RwIm2DGetFarScreenZ());
}

// What the loading screen does: a placeholder raster made a window onto part of a texture,
// drawn scaled into the camera's frame buffer.
TEST_F(RenderTest, SubRasterOfATextureDrawsScaledIntoAPushedContext)
{
    RwRaster* bar = RwRasterCreate(4, 1, 32, rwRasterTypeTexture);
    RwImage* image = RwImageCreate(4, 1, 32);
    RwImageAllocatePixels(image);
    for (int x = 0; x < 4; ++x)
    {
        image->pixels[x * 4] = (unsigned char)(50 * (x + 1));
        image->pixels[x * 4 + 3] = 255;
    }
    RwRasterSetFromImage(bar, image);
    RwImageDestroy(image);
    RwRaster* part = RwRasterCreate(0, 0, 0, 0);
    const RwRect firstHalf{0, 0, 2, 1};
    ASSERT_NE(RwRasterSubRaster(part, bar, &firstHalf), nullptr);

    const RwRGBA black{0, 0, 0, 255};
    RwCameraClear(camera, &black, rwCameraClearImage);
    {
        LogCapture log;
        const RwRect where{0, 0, 8, 4};
        EXPECT_EQ(RwRasterRenderScaled(part, &where), nullptr);  // no context
    }
    ASSERT_NE(RwRasterPushContext(raster), nullptr);
    const RwRect where{10, 10, 8, 4};
    ASSERT_NE(RwRasterRenderScaled(part, &where), nullptr);
    EXPECT_EQ(RwRasterPopContext(), raster);

    RwImage* back = RwImageCreate(64, 32, 32);
    RwImageAllocatePixels(back);
    RwImageSetFromRaster(back, raster);
    EXPECT_EQ(Pixel(back, 10, 10)[0], 50);
    EXPECT_EQ(Pixel(back, 17, 13)[0], 100);  // the cropped bar ends at its second pixel
    EXPECT_EQ(Pixel(back, 18, 10)[0], 0);
    RwImageDestroy(back);
    RwRasterDestroy(part);
    RwRasterDestroy(bar);
}

TEST_F(RenderTest, RastersCheckTheirInput)
{
    LogCapture log;
    EXPECT_EQ(RwRasterCreate(-1, 4, 0, rwRasterTypeTexture), nullptr);
    EXPECT_EQ(RwRasterCreate(4, 4, 0, 3), nullptr);
    RwRaster* t = RwRasterCreate(2, 2, 0, rwRasterTypeCameraTexture | rwRasterFormat8888);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->depth, 32);
    RwImage* wrongSize = RwImageCreate(3, 2, 32);
    RwImageAllocatePixels(wrongSize);
    EXPECT_EQ(RwRasterSetFromImage(t, wrongSize), nullptr);
    EXPECT_TRUE(log.Contains("does not fit"));
    RwImageDestroy(wrongSize);
    EXPECT_EQ(RwRasterSetFromImage(z, nullptr), nullptr);
    RwRaster* depth = RwRasterCreate(4, 4, 0, rwRasterTypeZBuffer);
    ASSERT_NE(depth, nullptr);
    EXPECT_EQ(depth->depth, 24);
    RwRasterDestroy(depth);
    RwRasterDestroy(t);
}

}  // namespace
