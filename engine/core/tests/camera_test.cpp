#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

const RwV3d kY{0, 1, 0};

// The camera's position moved along its view axis, its up axis and the screen's right
// (at x up: not the frame's right axis).
RwV3d Offset(const RwMatrix* ltm, float along, float up, float right)
{
    RwV3d screenRight;
    RwV3dCrossProduct(&screenRight, &ltm->at, &ltm->up);
    const auto axis = [&](float RwV3d::*c) {
        return ltm->pos.*c + ltm->at.*c * along + ltm->up.*c * up + screenRight.*c * right;
    };
    return {axis(&RwV3d::x), axis(&RwV3d::y), axis(&RwV3d::z)};
}

// Turned and moved, so that nothing relies on the identity case. The view matrix maps the
// view onto 0..1 after division by depth; the clip matrix onto -1..1 with y up.
TEST(CameraTest, ViewAndClipMatricesMapTheViewVolume)
{
    ScopedEngine engine;
    TestCamera t;
    const RwV3d pos{5, 2, -3};
    RwFrameRotate(t.frame, &kY, 40, rwCombineReplace);
    RwFrameTranslate(t.frame, &pos, rwCombinePostMultiply);
    const RwV2d window{0.8f, 0.6f};
    RwCameraSetViewWindow(t.camera, &window);
    const RwMatrix* ltm = RwFrameGetLTM(t.frame);
    // BeginUpdate refreshes the view matrix kept in the camera.
    ASSERT_NE(RwCameraBeginUpdate(t.camera), nullptr);
    RwCameraEndUpdate(t.camera);
    const auto view = [&](RwV3d p) {
        RwV3d v;
        RwV3dTransformPoints(&v, &p, 1, &t.camera->viewMatrix);
        return std::array<float, 3>{v.x / v.z, v.y / v.z, v.z};
    };
    float clip[16];
    RwCameraGetClipMatrix(t.camera, clip);
    const auto ndc = [&](RwV3d p) {
        float out[4];
        for (int r = 0; r < 4; ++r)
            out[r] = clip[r] * p.x + clip[4 + r] * p.y + clip[8 + r] * p.z + clip[12 + r];
        return std::array<float, 3>{out[0] / out[3], out[1] / out[3], out[2] / out[3]};
    };
    const float n = t.camera->nearPlane, f = t.camera->farPlane;
    const struct Case {
        RwV3d point;
        std::array<float, 3> view, ndc;  // a component of 9 is not checked
    } cases[] = {
        {Offset(ltm, 7.5f, 0, 0), {0.5f, 0.5f, 7.5f}, {0, 0, 9}},
        {Offset(ltm, 1, 0.6f, 0), {0.5f, 0, 1}, {0, 1, 9}},    // the top edge
        {Offset(ltm, 1, 0, 0.8f), {1, 0.5f, 1}, {1, 0, 9}},    // the right edge
        {Offset(ltm, 2, -1.2f, -1.6f), {0, 1, 2}, {-1, -1, 9}},  // bottom left
        {Offset(ltm, n, 0, 0), {0.5f, 0.5f, n}, {0, 0, -1}},
        {Offset(ltm, f, 0, 0), {0.5f, 0.5f, f}, {0, 0, 1}},
    };
    for (const Case& c : cases) {
        const auto v = view(c.point), d = ndc(c.point);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(v[i], c.view[i], 1e-4f) << &c - cases << " view " << i;
            if (c.ndc[i] != 9) {
                EXPECT_NEAR(d[i], c.ndc[i], 1e-4f) << &c - cases << " clip " << i;
            }
        }
    }
    // A parallel view: 0.8 to the right at any distance is the right edge, the far plane z 1.
    RwCameraSetProjection(t.camera, rwParallel);
    RwCameraGetClipMatrix(t.camera, clip);
    EXPECT_NEAR(ndc(Offset(ltm, 3, 0, 0.8f))[0], 1, 1e-4f);
    EXPECT_NEAR(ndc(Offset(ltm, f, 0.3f, 0))[2], 1, 1e-4f);
}

TEST(CameraTest, FrustumTestUsesTheCurrentFrameOutsideUpdates)
{
    TestCamera t(0, 0);
    RwCameraSetNearClipPlane(t.camera, 1);
    RwCameraSetFarClipPlane(t.camera, 100);
    const RwV2d window{1, 1};  // 45 degrees to each side; a box of +-1 across when parallel
    RwCameraSetViewWindow(t.camera, &window);
    const struct Case {
        RwCameraProjection projection;
        float turn;  // degrees about y
        RwSphere sphere;
        RwFrustumTestResult expected;
    } cases[] = {
        {rwPerspective, 0, {{0, 0, 50}, 1}, rwSphereInside},
        {rwPerspective, 0, {{50, 0, 50}, 2}, rwSphereBoundary},
        {rwPerspective, 0, {{-60, 0, 50}, 2}, rwSphereOutside},
        {rwPerspective, 0, {{0, 55, 50}, 2}, rwSphereOutside},
        {rwPerspective, 0, {{0, -50, 50}, 2}, rwSphereBoundary},
        {rwPerspective, 0, {{0, 0, -5}, 1}, rwSphereOutside},
        {rwPerspective, 0, {{0, 0, 103}, 2}, rwSphereOutside},
        {rwPerspective, 0, {{0, 0, 101}, 2}, rwSphereBoundary},
        {rwPerspective, 0, {{0, 0, 0.5f}, 1}, rwSphereBoundary},
        {rwPerspective, 180, {{0, 0, 50}, 1}, rwSphereOutside},
        {rwPerspective, 180, {{0, 0, -5}, 1}, rwSphereInside},
        {rwParallel, 0, {{3, 0, 50}, 1}, rwSphereOutside},
        {rwParallel, 0, {{-3, 0, 50}, 1}, rwSphereOutside},
        {rwParallel, 0, {{0, 3, 50}, 1}, rwSphereOutside},
        {rwParallel, 0, {{0, -1, 50}, 0.5f}, rwSphereBoundary},
        {rwParallel, 0, {{1, 0, 50}, 0.5f}, rwSphereBoundary},
        {rwParallel, 0, {{0, 0, 50}, 0.5f}, rwSphereInside},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RwCameraSetProjection(t.camera, c.projection), t.camera);
        RwFrameRotate(t.frame, &kY, c.turn, rwCombineReplace);
        EXPECT_EQ(RwCameraFrustumTestSphere(t.camera, &c.sphere), c.expected) << &c - cases;
    }
    for (RwInt32 unknown : {0, 3})
        EXPECT_EQ(RwCameraSetProjection(t.camera, RwCameraProjection(unknown)), nullptr) << unknown;
    EXPECT_EQ(t.camera->projectionType, rwParallel);
}

TEST(CameraTest, UpdateClearAndShowOnTheNullDevice)
{
    LogCapture log;
    {
        TestCamera t;
        EXPECT_EQ(RwCameraBeginUpdate(t.camera), nullptr);  // no engine
        EXPECT_TRUE(log.Contains("RwCameraBeginUpdate: engine not open"));
    }
    ScopedEngine engine;
    TestCamera t(8, 4), other(8, 4);
    const RwRGBA red{255, 0, 0, 255};
    ASSERT_NE(RwCameraClear(t.camera, &red, rwCameraClearImage | rwCameraClearZ), nullptr);
    ASSERT_NE(RwCameraBeginUpdate(t.camera), nullptr);
    EXPECT_EQ(RwCameraGetCurrentCamera(), t.camera);
    EXPECT_EQ(RwCameraBeginUpdate(t.camera), nullptr);  // already updating
    EXPECT_EQ(RwCameraBeginUpdate(other.camera), nullptr);
    EXPECT_NE(RwCameraEndUpdate(t.camera), nullptr);
    EXPECT_EQ(RwCameraEndUpdate(t.camera), nullptr);
    ASSERT_NE(RwCameraShowRaster(t.camera, nullptr, 0), nullptr);
    EXPECT_EQ(RwNullDeviceGet()->shows, 1);
    // The frame raster still holds the picture after it was shown.
    EXPECT_EQ(RasterPixel(t.raster, 7, 3), (Rgba{255, 0, 0, 255}));

    RwCamera* bare = RwCameraCreate();
    EXPECT_EQ(RwCameraBeginUpdate(bare), nullptr);
    EXPECT_TRUE(log.Contains("no usable frame buffer"));
    EXPECT_EQ(RwCameraClear(bare, &red, rwCameraClearImage), nullptr);
    EXPECT_EQ(RwCameraShowRaster(bare, nullptr, 0), nullptr);
    RwCameraDestroy(bare);
}

// A sub-camera on (0.5, 0, 0.5, 1) of an 800 x 600 parent covers x 400 to 799; a size the
// caller writes into a raster is applied at its next use.
TEST(CameraTest, SubRasterCamerasClearTheirPartAndSizesApplyAtTheNextUse)
{
    ScopedEngine engine;
    TestCamera parent(800, 600), sub(0, 0);
    const RwRGBA black{0, 0, 0, 255}, green{0, 255, 0, 255};
    RwCameraClear(parent.camera, &black, rwCameraClearImage);
    const RwRect rect{400, 0, 400, 600}, outside{900, 0, 10, 10};
    ASSERT_NE(RwRasterSubRaster(sub.raster, parent.raster, &rect), nullptr);
    ASSERT_NE(RwRasterSubRaster(sub.z, parent.z, &rect), nullptr);
    EXPECT_EQ((std::array<RwInt32, 2>{sub.raster->width, sub.raster->height}), (std::array<RwInt32, 2>{400, 600}));
    EXPECT_EQ(RwRasterGetParent(sub.raster), parent.raster);
    EXPECT_TRUE(RwRasterIsSubRaster(sub.raster));
    {
        LogCapture log;
        EXPECT_EQ(RwRasterSubRaster(sub.z, parent.raster, &rect), nullptr);  // depth into colour
        EXPECT_EQ(RwRasterSubRaster(sub.raster, parent.raster, &outside), nullptr);
    }
    RwCameraClear(sub.camera, &green, rwCameraClearImage);
    EXPECT_EQ(RasterPixel(parent.raster, 399, 300), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(RasterPixel(parent.raster, 400, 0), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(RasterPixel(parent.raster, 799, 599), (Rgba{0, 255, 0, 255}));

    for (RwRaster* r : {parent.raster, parent.z}) {
        r->width = 320;
        r->height = 8;
    }
    ASSERT_NE(RwCameraClear(parent.camera, &green, rwCameraClearImage), nullptr);
    EXPECT_EQ((std::array<RwInt32, 2>{parent.raster->storedWidth, parent.raster->storedHeight}),
              (std::array<RwInt32, 2>{320, 8}));
    EXPECT_EQ(RasterPixel(parent.raster, 319, 7), (Rgba{0, 255, 0, 255}));
    // The sub-raster keeps within its shrunk parent.
    ASSERT_NE(RwCameraClear(sub.camera, &black, rwCameraClearImage), nullptr);
    EXPECT_EQ((std::array<RwInt32, 2>{sub.raster->width, sub.raster->height}), (std::array<RwInt32, 2>{0, 8}));
}

// The null device writes a clear when the pixels are next used: every use sees the clears
// asked before it, in their order, and none asked after it.
TEST(CameraTest, NullDeviceClearsReachEveryLaterUseOfThePixelsInTheirOrder)
{
    ScopedEngine engine;
    TestCamera parent(8, 4), right(0, 0);
    const RwRect half{4, 0, 4, 4};
    ASSERT_NE(RwRasterSubRaster(right.raster, parent.raster, &half), nullptr);
    const RwRGBA red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255};
    // More clears than wait at once, alternating, the last one green.
    RwCameraClear(parent.camera, &red, rwCameraClearImage);
    for (int i = 0; i < 21; ++i)
        RwCameraClear(right.camera, i % 2 ? &blue : &green, rwCameraClearImage);
    EXPECT_EQ(RasterPixel(parent.raster, 0, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(RasterPixel(parent.raster, 7, 3), (Rgba{0, 255, 0, 255}));

    // An image set after a clear stays; a clear after the image covers it.
    RwImage* white = RwImageCreate(8, 4, 32);
    RwImageAllocatePixels(white);
    std::fill(white->pixels, white->pixels + 8 * 4 * 4, RwUInt8{255});
    RwCameraClear(parent.camera, &blue, rwCameraClearImage);
    ASSERT_NE(RwRasterSetFromImage(parent.raster, white), nullptr);
    EXPECT_EQ(RasterPixel(parent.raster, 2, 1), (Rgba{255, 255, 255, 255}));
    RwCameraClear(right.camera, &red, rwCameraClearImage);
    EXPECT_EQ(RasterPixel(parent.raster, 2, 1), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(RasterPixel(parent.raster, 5, 1), (Rgba{255, 0, 0, 255}));
    RwImageDestroy(white);

    // A copy reads its source's clears and lands over its target's.
    TestCamera target(8, 4);
    RwCameraClear(target.camera, &blue, rwCameraClearImage);
    RwCameraClear(parent.camera, &green, rwCameraClearImage);
    const RwRect left{0, 0, 4, 4};
    ASSERT_NE(RwRasterPushContext(target.raster), nullptr);
    ASSERT_NE(RwRasterRenderScaled(parent.raster, &left), nullptr);
    RwRasterPopContext();
    EXPECT_EQ(RasterPixel(target.raster, 1, 1), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(RasterPixel(target.raster, 6, 1), (Rgba{0, 0, 255, 255}));
}

TEST(CameraTest, ShowRasterEndsTheMetricsFrame)
{
    ScopedEngine engine;
    TestCamera t(4, 4);
    RwRaster* texture = PatternRaster(2, 2, 0);
    RwCameraBeginUpdate(t.camera);
    RwIm3DVertex v[4] = {};
    ASSERT_NE(RwIm3DTransform(v, 4, nullptr, rwIm3DVertexUV), nullptr);
    RwIm3DRenderPrimitive(rwPrimTypeTriStrip);
    RwIm3DEnd();
    RwCameraEndUpdate(t.camera);
    EXPECT_EQ(RwEngineGetMetrics()->numTriangles, 0u);  // nothing shown yet
    RwCameraShowRaster(t.camera, nullptr, 0);
    const RwMetrics* m = RwEngineGetMetrics();
    EXPECT_EQ((std::vector<RwUInt32>{m->numTriangles, m->numVertices, m->numTextureUploads, m->sizeTextureUploads}),
              (std::vector<RwUInt32>{2, 4, 1, 16}));
    RwCameraShowRaster(t.camera, nullptr, 0);
    EXPECT_EQ(RwEngineGetMetrics()->numTriangles, 0u);
    RwRasterDestroy(texture);
}

}  // namespace
