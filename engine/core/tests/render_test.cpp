#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(engine.IsOpen());
        RwNullDeviceGet()->ClearLog();
    }
    // Clears, states and draws held.
    static std::vector<size_t> Recorded()
    {
        const RwNullDevice* device = RwNullDeviceGet();
        return {device->clears.size(), device->states.size(), device->draws.size()};
    }
    // Bytes the records hold.
    static size_t Held()
    {
        const RwNullDevice* device = RwNullDeviceGet();
        return device->clears.capacity() * sizeof(RwNullClearRecord) +
               device->states.capacity() * sizeof(RwNullStateRecord) +
               device->draws.capacity() * sizeof(RwNullDrawRecord);
    }
    // One camera update: clear, a state, a 2D and a 3D draw.
    static void Update(RwCamera* camera, intptr_t zWrite)
    {
        static const RwRGBA black{0, 0, 0, 255};
        static RwIm2DVertex quad[4] = {};
        static RwIm3DVertex triangle[3] = {};
        RwCameraClear(camera, &black, rwCameraClearImage);
        RwCameraBeginUpdate(camera);
        RwRenderStateSet(rwRenderStateZWriteEnable, zWrite);
        RwIm2DRenderPrimitive(rwPrimTypeTriFan, quad, 4);
        RwIm3DTransform(triangle, 3, nullptr, 0);
        RwIm3DRenderPrimitive(rwPrimTypeTriList);
        RwIm3DEnd();
        RwCameraEndUpdate(camera);
    }
    ScopedEngine engine;
    TestCamera t{64, 32};
};

TEST_F(RenderTest, StatesTakeTheValuesTheyCanHoldAndKeepTheirsOtherwise)
{
    const struct {
        RwRenderState state;
        intptr_t byDefault, lowest, highest;
    } ranges[] = {
        {rwRenderStateTextureAddressU, 1, 1, 4}, {rwRenderStateTextureAddressV, 1, 1, 4},
        {rwRenderStateTextureAddress, 1, 1, 4}, {rwRenderStateZTestEnable, 1, 0, 1},
        {rwRenderStateShadeMode, rwShadeGouraud, 1, 2}, {rwRenderStateZWriteEnable, 1, 0, 1},
        {rwRenderStateTextureFilter, 2, 0, 6}, {rwRenderStateSrcBlend, rwBlendSrcAlpha, 1, 11},
        {rwRenderStateDestBlend, rwBlendInvSrcAlpha, 1, 11}, {rwRenderStateVertexAlphaEnable, 0, 0, 1},
        {rwRenderStateFogEnable, 0, 0, 1}, {rwRenderStateFogType, rwFogLinear, 1, 3},
        {rwRenderStateCullMode, rwCullNone, 1, 3}, {rwRenderStateAlphaTestFunction, rwAlphaTestGreater, 1, 8},
        {rwRenderStateAlphaTestFunctionRef, 0, 0, 255}, {rwRenderStateZAtFar, 0, 0, 1},
    };
    LogCapture log;
    intptr_t v = -1;
    for (const auto& r : ranges) {
        ASSERT_TRUE(RwRenderStateGet(r.state, &v)) << r.state;
        EXPECT_EQ(v, r.byDefault) << r.state;
        for (intptr_t value : {r.lowest, r.highest}) {
            EXPECT_TRUE(RwRenderStateSet(r.state, value)) << r.state;
            RwRenderStateGet(r.state, &v);
            EXPECT_EQ(v, value) << r.state;
        }
        for (intptr_t bad : {r.lowest - 1, r.highest + 1}) {
            EXPECT_FALSE(RwRenderStateSet(r.state, bad)) << r.state << " = " << bad;
            RwRenderStateGet(r.state, &v);
            EXPECT_EQ(v, r.highest) << r.state;
        }
    }
    EXPECT_TRUE(log.Contains("RwRenderStateSet: state 10 cannot take 12"));
    // Rasters, colours and reals take any value; the address of both axes sets each.
    EXPECT_TRUE(RwRenderStateSet(rwRenderStateFogDensity, RwRenderStateFromReal(0.25f)));
    RwRenderStateGet(rwRenderStateFogDensity, &v);
    EXPECT_FLOAT_EQ(RwRenderStateToReal(v), 0.25f);
    EXPECT_TRUE(RwRenderStateSet(rwRenderStateTextureAddress, rwTextureAddressClamp));
    RwRenderStateGet(rwRenderStateTextureAddressV, &v);
    EXPECT_EQ(v, rwTextureAddressClamp);
    for (RwInt32 unknown : {0, 5, 18, int(rwRenderStateCount)}) {
        EXPECT_FALSE(RwRenderStateSet(RwRenderState(unknown), 0)) << unknown;
        EXPECT_FALSE(RwRenderStateGet(RwRenderState(unknown), &v)) << unknown;
    }
    EXPECT_FALSE(RwD3D8SetRenderState(46, 1));
    // The z bias reads back as set, until a reset; only the bias and only into a value.
    RwUInt32 bias = 7;
    EXPECT_TRUE(RwD3D8GetRenderState(rwD3D8RenderStateZBias, &bias));
    EXPECT_EQ(bias, 0u) << "from the start";
    RwD3D8SetRenderState(rwD3D8RenderStateZBias, 3);
    EXPECT_TRUE(RwD3D8GetRenderState(rwD3D8RenderStateZBias, &bias));
    EXPECT_EQ(bias, 3u);
    EXPECT_FALSE(RwD3D8GetRenderState(46, &bias));
    EXPECT_FALSE(RwD3D8GetRenderState(rwD3D8RenderStateZBias, nullptr));
    EXPECT_EQ(bias, 3u) << "a refused read leaves the value";
    RwRenderStateReset();
    EXPECT_TRUE(RwD3D8GetRenderState(rwD3D8RenderStateZBias, &bias));
    EXPECT_EQ(bias, 0u) << "after a reset";
    EXPECT_TRUE(RwRenderStateSet(rwRenderStateTextureAddress, rwTextureAddressClamp));
    // The device heard every accepted change, the last one last.
    const RwNullStateRecord& last = RwNullDeviceGet()->states.back();
    EXPECT_EQ(std::pair(last.state, last.value),
              std::pair(rwRenderStateTextureAddress, intptr_t{rwTextureAddressClamp}));
}

TEST_F(RenderTest, ImmediateModeDrawsNeedACameraAndValidIndicesAndReachTheDeviceWithTheirStates)
{
    RwIm3DVertex v[5] = {};
    RwIm2DVertex quad[4] = {};
    const RwImVertexIndex lines[4] = {0, 1, 3, 4}, bad[3] = {0, 1, 5}, tris[6] = {3, 2, 0, 2, 1, 0};
    LogCapture log;
    EXPECT_EQ(RwIm3DTransform(v, 5, nullptr, 0), nullptr);  // no camera yet
    EXPECT_FALSE(RwIm2DRenderIndexedPrimitive(rwPrimTypeTriList, quad, 4, tris, 6));
    ASSERT_NE(RwCameraBeginUpdate(t.camera), nullptr);
    EXPECT_EQ(RwIm3DTransform(v, 0, nullptr, 0), nullptr);
    RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(t.raster));
    RwRenderStateSet(rwRenderStateZTestEnable, 0);
    RwD3D8SetRenderState(rwD3D8RenderStateZBias, 1);
    RwMatrix ltm;
    ASSERT_NE(RwIm3DTransform(v, 5, RwMatrixSetIdentity(&ltm), rwIm3DVertexUV), nullptr);
    EXPECT_TRUE(RwIm3DRenderPrimitive(rwPrimTypeTriStrip));
    EXPECT_TRUE(RwIm3DRenderIndexedPrimitive(rwPrimTypeLineList, lines, 4));
    EXPECT_FALSE(RwIm3DRenderIndexedPrimitive(rwPrimTypeTriList, bad, 3));
    EXPECT_FALSE(RwIm3DRenderPrimitive(RwPrimitiveType(9)));
    EXPECT_TRUE(RwIm3DEnd());
    EXPECT_FALSE(RwIm3DRenderPrimitive(rwPrimTypeTriList));
    RwRenderStateSet(rwRenderStateVertexAlphaEnable, 1);
    EXPECT_TRUE(RwIm2DRenderIndexedPrimitive(rwPrimTypeTriList, quad, 4, tris, 6));
    EXPECT_TRUE(RwIm2DRenderTriangle(quad, 4, 2, 1, 0));
    EXPECT_FALSE(RwIm2DRenderTriangle(quad, 4, 2, 1, 4));
    EXPECT_FALSE(RwIm2DRenderPrimitive(rwPrimTypeTriList, quad, 2));
    RwCameraEndUpdate(t.camera);
    // Kind, type, vertices, indices, z test, z bias, vertex alpha of each draw.
    std::vector<std::vector<intptr_t>> seen;
    for (const RwNullDrawRecord& d : RwNullDeviceGet()->draws) {
        seen.push_back({d.is2D, d.type, d.numVertices, d.numIndices, d.zTest, d.zBias, d.vertexAlpha});
        EXPECT_EQ(d.texture, t.raster);
        EXPECT_EQ(d.camera, t.camera);
    }
    EXPECT_EQ(seen, (std::vector<std::vector<intptr_t>>{{0, rwPrimTypeTriStrip, 5, 0, 0, 1, 0},
                                                        {0, rwPrimTypeLineList, 5, 4, 0, 1, 0},
                                                        {1, rwPrimTypeTriList, 4, 6, 0, 1, 1},
                                                        {1, rwPrimTypeTriList, 4, 3, 0, 1, 1}}));
    EXPECT_EQ(RwEngineGetFrameMetrics()->numTriangles, 3u + 2 + 1);
    EXPECT_EQ(RwIm2DGetNearScreenZ(), 0.0f);
    EXPECT_EQ(RwIm2DGetFarScreenZ(), 1.0f);
}

// A headless match shows a frame after frame: the device keeps the last one only.
TEST_F(RenderTest, TheNullDeviceKeepsTheFrameUnderWayOrTheOneLastShown)
{
    TestCamera small(4, 4);
    const auto frame = [&](int i) {
        Update(small.camera, i % 2);
        RwCameraShowRaster(small.camera, nullptr, 0);
    };
    RwNullDevice* device = RwNullDeviceGet();
    for (int i = 0; i < 10; ++i)
        frame(i);
    EXPECT_EQ(Recorded(), (std::vector<size_t>{1, 1, 2}));
    EXPECT_TRUE(device->draws[0].is2D);
    EXPECT_EQ(device->states[0].value, 1);
    const size_t settled = Held();
    for (int i = 10; i < 100000; ++i)
        frame(i);
    EXPECT_EQ(Recorded(), (std::vector<size_t>{1, 1, 2}));
    EXPECT_EQ(Held(), settled);
    EXPECT_EQ(device->shows, 100000);
    // The next frame's first record replaces the shown frame.
    RwRenderStateSet(rwRenderStateZWriteEnable, 1);
    EXPECT_EQ(Recorded(), (std::vector<size_t>{0, 1, 0}));
}

// Off-screen cameras, tools and shows that fail never end a frame with a show.
TEST_F(RenderTest, TheNullDeviceStaysBoundedWhenFramesAreNeverShown)
{
    constexpr int kFrames = 100000;
    constexpr size_t kUpdates = RwNullDevice::kMaxFrameUpdates;
    TestCamera small(4, 4), texture(2, 2);
    RwCamera* bare = RwCameraCreate();  // no frame buffer: its show returns early
    const RwRGBA black{0, 0, 0, 255};
    RwIm2DVertex quad[4] = {};
    const struct {
        const char* name;
        std::function<void(int)> frame;
        std::vector<size_t> recorded;  // at the end
    } loops[] = {
        {"never shown", [&](int i) { Update(small.camera, i % 2); }, {kUpdates, kUpdates, 2 * kUpdates}},
        {"a failed show",
         [&](int i) {
             Update(small.camera, i % 2);
             RwCameraShowRaster(bare, nullptr, 0);
         },
         {kUpdates, kUpdates, 2 * kUpdates}},
        {"a camera texture, then the screen",
         [&](int i) {
             Update(texture.camera, i % 2);
             Update(small.camera, i % 2);
         },
         {kUpdates, kUpdates, 2 * kUpdates}},
        {"states and clears outside any update",
         [&](int i) {
             RwRenderStateSet(rwRenderStateZWriteEnable, i % 2);
             RwCameraClear(small.camera, &black, rwCameraClearZ);
         },
         {(2 * kFrames) % RwNullDevice::kMaxRecords / 2, (2 * kFrames) % RwNullDevice::kMaxRecords / 2, 0}},
    };
    RwNullDevice* device = RwNullDeviceGet();
    for (const auto& loop : loops) {
        device->ClearLog();
        size_t settled = 0;
        for (int i = 0; i < kFrames; ++i) {
            loop.frame(i);
            if (i == kFrames * 7 / 10)
                settled = Held();
        }
        EXPECT_EQ(Recorded(), loop.recorded) << loop.name;
        EXPECT_EQ(Held(), settled) << loop.name;
        EXPECT_LE(settled, RwNullDevice::kMaxRecords * sizeof(RwNullDrawRecord)) << loop.name;
        // The newest frames are the ones kept.
        EXPECT_EQ(device->states.back().value, (kFrames - 1) % 2) << loop.name;
    }
    // One update that draws for ever.
    device->ClearLog();
    RwCameraBeginUpdate(small.camera);
    for (int i = 0; i < kFrames; ++i)
        RwIm2DRenderPrimitive(rwPrimTypeTriFan, quad, 4);
    RwCameraEndUpdate(small.camera);
    EXPECT_EQ(Recorded(), (std::vector<size_t>{0, 0, kFrames % RwNullDevice::kMaxRecords}));
    EXPECT_EQ(device->shows, 0);
    RwCameraDestroy(bare);
}

// What the loading screen does: a placeholder raster made a window onto part of a texture,
// drawn scaled into the camera's frame buffer.
TEST_F(RenderTest, SubRasterOfATextureDrawsScaledIntoAPushedContext)
{
    RwRaster* bar = PatternRaster(4, 1, 50);  // red bytes 50, 54, 58, 62
    RwRaster* part = RwRasterCreate(0, 0, 0, 0);
    const RwRect firstHalf{0, 0, 2, 1};
    ASSERT_NE(RwRasterSubRaster(part, bar, &firstHalf), nullptr);

    const RwRGBA black{0, 0, 0, 255};
    RwCameraClear(t.camera, &black, rwCameraClearImage);
    const RwRect where{10, 10, 8, 4};
    {
        LogCapture log;
        EXPECT_EQ(RwRasterRenderScaled(part, &where), nullptr);  // no context
    }
    ASSERT_NE(RwRasterPushContext(t.raster), nullptr);
    EXPECT_EQ(RwRasterGetCurrentContext(), t.raster);
    ASSERT_NE(RwRasterRenderScaled(part, &where), nullptr);
    EXPECT_EQ(RwRasterPopContext(), t.raster);
    EXPECT_EQ(RwRasterGetCurrentContext(), nullptr);
    EXPECT_EQ(RwNullDeviceGet()->scaledRenders, 1);

    EXPECT_EQ(RasterPixel(t.raster, 10, 10)[0], 50);
    EXPECT_EQ(RasterPixel(t.raster, 17, 13)[0], 54);  // the cropped bar ends at its second pixel
    EXPECT_EQ(RasterPixel(t.raster, 18, 10)[0], 0);
    EXPECT_EQ(RasterPixel(t.raster, 9, 10)[0], 0);
    RwRasterDestroy(part);
    RwRasterDestroy(bar);
}

TEST_F(RenderTest, RastersCheckTheirInput)
{
    LogCapture log;
    for (auto [width, height, depth, flags] : {std::tuple{-1, 4, 0, rwRasterTypeTexture}, {4, 4, 0, 3},
                                               {16385, 1, 0, rwRasterTypeTexture}, {4, 4, 33, rwRasterTypeTexture}})
        EXPECT_EQ(RwRasterCreate(width, height, depth, flags), nullptr) << width << " " << flags;
    RwRaster* texture = RwRasterCreate(2, 2, 0, rwRasterTypeCameraTexture | rwRasterFormat8888);
    RwRaster* depth = RwRasterCreate(4, 4, 0, rwRasterTypeZBuffer);
    RwRaster* small = RwRasterCreate(4, 4, 0, rwRasterTypeTexture | rwRasterFormat565);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ((std::vector<RwInt32>{texture->depth, depth->depth, small->depth}), (std::vector<RwInt32>{32, 24, 16}));
    RwImage* wrongSize = RwImageCreate(3, 2, 32);
    RwImageAllocatePixels(wrongSize);
    EXPECT_EQ(RwRasterSetFromImage(texture, wrongSize), nullptr);
    EXPECT_TRUE(log.Contains("does not fit"));
    EXPECT_EQ(RwRasterSetFromImage(depth, wrongSize), nullptr);
    EXPECT_EQ(RwRasterSetFromImage(t.z, nullptr), nullptr);
    RwImageDestroy(wrongSize);
    // A palettised picture is expanded on the way in; the caller's image stays as it was.
    RwImage* indexed = RwImageCreate(2, 2, 8);
    RwImageAllocatePixels(indexed);
    indexed->palette[1] = {9, 8, 7, 6};
    indexed->pixels[indexed->stride + 1] = 1;
    EXPECT_NE(RwRasterSetFromImage(texture, indexed), nullptr);
    EXPECT_EQ(RasterPixel(texture, 1, 1), (Rgba{9, 8, 7, 6}));
    EXPECT_EQ(indexed->depth, 8);
    RwImageDestroy(indexed);
    // An image without pixels gets them when read into.
    RwImage* empty = RwImageCreate(2, 2, 32);
    EXPECT_NE(RwImageSetFromRaster(empty, texture), nullptr);
    EXPECT_EQ(Pixel(empty, 1, 1), (Rgba{9, 8, 7, 6}));
    RwImageDestroy(empty);
    for (RwRaster* r : {texture, depth, small})
        RwRasterDestroy(r);
}

}  // namespace
