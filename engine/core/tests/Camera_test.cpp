#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

const RwV3d kY{0, 1, 0};

struct TestCamera {
    RwCamera* camera = RwCameraCreate();
    RwFrame* frame = RwFrameCreate();
    RwRaster* raster;
    RwRaster* z;
    TestCamera(int w = 800, int h = 600)
    {
        raster = RwRasterCreate(w, h, 0, rwRasterTypeCamera);
        z = RwRasterCreate(w, h, 0, rwRasterTypeZBuffer);
        camera->frameBuffer = raster;
        camera->zBuffer = z;
        RwObjectHasFrameSetFrame(camera, frame);
    }
    ~TestCamera()
    {
        RwCameraDestroy(camera);
        RwFrameDestroy(frame);
        RwRasterDestroy(raster);
        RwRasterDestroy(z);
    }
};

RwV3d ViewPoint(RwCamera* camera, RwV3d p)
{
    RwV3d out;
    RwV3dTransformPoints(&out, &p, 1, RwCameraGetViewMatrix(camera));
    return out;
}

TEST(CameraTest, CreateHasPerspectiveDefaults)
{
    RwCamera* c = RwCameraCreate();
    EXPECT_EQ(c->projectionType, rwPerspective);
    EXPECT_GT(c->farPlane, c->nearPlane);
    EXPECT_EQ(c->frameBuffer, nullptr);
    EXPECT_EQ(RwCameraGetWorld(c), nullptr);
    EXPECT_EQ(RwCameraSetProjection(c, RwCameraProjection(3)), nullptr);
    RwCameraDestroy(c);
}

// The camera is turned and moved so that the test does not rely on the identity case.
TEST(CameraTest, ViewMatrixMapsTheViewAxisToTheCentre)
{
    NullEngine engine;
    TestCamera t;
    const RwV3d pos{5, 2, -3};
    RwFrameRotate(t.frame, &kY, 40, rwCombineReplace);
    RwFrameTranslate(t.frame, &pos, rwCombinePostMultiply);
    const RwV2d window{0.8f, 0.6f};
    RwCameraSetViewWindow(t.camera, &window);
    const RwMatrix* ltm = RwFrameGetLTM(t.frame);

    for (float d : {1.0f, 7.5f, 100.0f}) {
        const RwV3d p = {pos.x + ltm->at.x * d, pos.y + ltm->at.y * d, pos.z + ltm->at.z * d};
        const RwV3d v = ViewPoint(t.camera, p);
        EXPECT_NEAR(v.x / v.z, 0.5f, 1e-5f);
        EXPECT_NEAR(v.y / v.z, 0.5f, 1e-5f);
        EXPECT_NEAR(v.z, d, 1e-4f);
    }
    // At distance 1, the up axis times the view window's height reaches the top edge
    // (y 0), and at x up (screen right, not the frame's right axis) the right edge (x 1).
    RwV3d screenRight;
    RwV3dCrossProduct(&screenRight, &ltm->at, &ltm->up);
    const RwV3d top = {pos.x + ltm->at.x + ltm->up.x * 0.6f, pos.y + ltm->at.y + ltm->up.y * 0.6f,
                       pos.z + ltm->at.z + ltm->up.z * 0.6f};
    const RwV3d right = {pos.x + ltm->at.x + screenRight.x * 0.8f, pos.y + ltm->at.y + screenRight.y * 0.8f,
                         pos.z + ltm->at.z + screenRight.z * 0.8f};
    const RwV3d vt = ViewPoint(t.camera, top), vr = ViewPoint(t.camera, right);
    EXPECT_NEAR(vt.y / vt.z, 0.0f, 1e-5f);
    EXPECT_NEAR(vt.x / vt.z, 0.5f, 1e-5f);
    EXPECT_NEAR(vr.x / vr.z, 1.0f, 1e-5f);

    // The clip matrix agrees: the axis point lands in the middle, near and far at -1 and +1.
    float clip[16];
    RwCameraGetClipMatrix(t.camera, clip);
    auto ndc = [&](RwV3d p) {
        float out[4];
        for (int r = 0; r < 4; ++r)
            out[r] = clip[r] * p.x + clip[4 + r] * p.y + clip[8 + r] * p.z + clip[12 + r];
        return std::array<float, 3>{out[0] / out[3], out[1] / out[3], out[2] / out[3]};
    };
    const float n = t.camera->nearPlane, f = t.camera->farPlane;
    const auto nearPoint = ndc({pos.x + ltm->at.x * n, pos.y + ltm->at.y * n, pos.z + ltm->at.z * n});
    const auto farPoint = ndc({pos.x + ltm->at.x * f, pos.y + ltm->at.y * f, pos.z + ltm->at.z * f});
    EXPECT_NEAR(nearPoint[0], 0, 1e-4f);
    EXPECT_NEAR(nearPoint[1], 0, 1e-4f);
    EXPECT_NEAR(nearPoint[2], -1, 1e-4f);
    EXPECT_NEAR(farPoint[2], 1, 1e-4f);
    const auto r = ndc(right);
    const auto tp = ndc(top);
    EXPECT_NEAR(r[0], 1, 1e-4f);
    EXPECT_NEAR(tp[1], 1, 1e-4f);
}

TEST(CameraTest, FrustumTestUsesTheCurrentFrameOutsideUpdates)
{
    TestCamera t(0, 0);
    RwCameraSetNearClipPlane(t.camera, 1);
    RwCameraSetFarClipPlane(t.camera, 100);
    const RwV2d window{1, 1};  // 45 degrees to each side
    RwCameraSetViewWindow(t.camera, &window);

    const RwSphere inside{{0, 0, 50}, 1};
    const RwSphere straddlesSide{{50, 0, 50}, 2};
    const RwSphere outsideSide{{60, 0, 50}, 2};
    const RwSphere behind{{0, 0, -5}, 1};
    const RwSphere beyondFar{{0, 0, 103}, 2};
    const RwSphere touchingNear{{0, 0, 0.5f}, 1};
    EXPECT_EQ(RwCameraFrustumTestSphere(t.camera, &inside), rwSphereInside);
    EXPECT_EQ(RwCameraFrustumTestSphere(t.camera, &straddlesSide), rwSphereBoundary);
    EXPECT_EQ(RwCameraFrustumTestSphere(t.camera, &outsideSide), rwSphereOutside);
    EXPECT_EQ(RwCameraFrustumTestSphere(t.camera, &behind), rwSphereOutside);
    EXPECT_EQ(RwCameraFrustumTestSphere(t.camera, &beyondFar), rwSphereOutside);
    EXPECT_EQ(RwCameraFrustumTestSphere(t.camera, &touchingNear), rwSphereBoundary);

    // Turning the frame half round puts the first sphere behind the camera.
    RwFrameRotate(t.frame, &kY, 180, rwCombineReplace);
    EXPECT_EQ(RwCameraFrustumTestSphere(t.camera, &inside), rwSphereOutside);
    EXPECT_EQ(RwCameraFrustumTestSphere(t.camera, &behind), rwSphereInside);

    // Parallel projection: a box of +-1 across.
    RwFrameSetIdentity(t.frame);
    RwCameraSetProjection(t.camera, rwParallel);
    const RwSphere farOff{{3, 0, 50}, 1};
    const RwSphere edge{{1, 0, 50}, 0.5f};
    EXPECT_EQ(RwCameraFrustumTestSphere(t.camera, &farOff), rwSphereOutside);
    EXPECT_EQ(RwCameraFrustumTestSphere(t.camera, &edge), rwSphereBoundary);
    const RwSphere centre{{0, 0, 50}, 0.5f};
    EXPECT_EQ(RwCameraFrustumTestSphere(t.camera, &centre), rwSphereInside);
}

TEST(CameraTest, UpdateClearAndShowOnTheNullDevice)
{
    NullEngine engine;
    TestCamera t(8, 4);
    LogCapture log;
    const RwRGBA red{255, 0, 0, 255};
    ASSERT_NE(RwCameraClear(t.camera, &red, rwCameraClearImage | rwCameraClearZ), nullptr);
    ASSERT_NE(RwCameraBeginUpdate(t.camera), nullptr);
    EXPECT_EQ(RwCameraGetCurrentCamera(), t.camera);
    EXPECT_EQ(RwCameraBeginUpdate(t.camera), nullptr);  // already updating
    EXPECT_NE(RwCameraEndUpdate(t.camera), nullptr);
    EXPECT_EQ(RwCameraEndUpdate(t.camera), nullptr);
    ASSERT_NE(RwCameraShowRaster(t.camera, nullptr, 0), nullptr);
    EXPECT_EQ(engine.device()->shows, 1);

    // The frame raster still holds the picture after it was shown.
    RwImage* image = RwImageCreate(8, 4, 32);
    RwImageAllocatePixels(image);
    ASSERT_NE(RwImageSetFromRaster(image, t.raster), nullptr);
    EXPECT_EQ(Pixel(image, 7, 3), (std::vector<int>{255, 0, 0, 255}));
    RwImageDestroy(image);

    RwCamera* bare = RwCameraCreate();
    EXPECT_EQ(RwCameraBeginUpdate(bare), nullptr);
    EXPECT_TRUE(log.Contains("no usable frame buffer"));
    RwCameraDestroy(bare);
}

// A sub-camera on (0.5, 0, 0.5, 1) of an 800 x 600 parent covers x 400 to 799.
TEST(CameraTest, SubRasterCameraClearsOnlyItsPartOfTheParent)
{
    NullEngine engine;
    TestCamera parent(800, 600);
    const RwRGBA black{0, 0, 0, 255}, green{0, 255, 0, 255};
    RwCameraClear(parent.camera, &black, rwCameraClearImage);

    RwCamera* sub = RwCameraCreate();
    RwRaster* subRaster = RwRasterCreate(0, 0, 0, rwRasterTypeCamera);
    RwRaster* subZ = RwRasterCreate(0, 0, 0, rwRasterTypeZBuffer);
    const RwRect rect{400, 0, 400, 600};
    ASSERT_NE(RwRasterSubRaster(subRaster, parent.raster, &rect), nullptr);
    ASSERT_NE(RwRasterSubRaster(subZ, parent.z, &rect), nullptr);
    EXPECT_EQ(subRaster->width, 400);
    EXPECT_EQ(subRaster->height, 600);
    EXPECT_EQ(subRaster->parent, parent.raster);
    {
        LogCapture log;
        EXPECT_EQ(RwRasterSubRaster(subZ, parent.raster, &rect), nullptr);  // depth into colour
        const RwRect outside{900, 0, 10, 10};
        EXPECT_EQ(RwRasterSubRaster(subRaster, parent.raster, &outside), nullptr);
    }
    sub->frameBuffer = subRaster;
    sub->zBuffer = subZ;
    RwCameraClear(sub, &green, rwCameraClearImage);

    RwImage* image = RwImageCreate(800, 600, 32);
    RwImageAllocatePixels(image);
    RwImageSetFromRaster(image, parent.raster);
    EXPECT_EQ(Pixel(image, 399, 300), (std::vector<int>{0, 0, 0, 255}));
    EXPECT_EQ(Pixel(image, 400, 0), (std::vector<int>{0, 255, 0, 255}));
    EXPECT_EQ(Pixel(image, 799, 599), (std::vector<int>{0, 255, 0, 255}));
    RwImageDestroy(image);

    RwCameraDestroy(sub);
    RwRasterDestroy(subRaster);
    RwRasterDestroy(subZ);
}

TEST(CameraTest, RasterSizeWrittenByTheCallerIsAppliedAtTheNextUse)
{
    NullEngine engine;
    TestCamera t(16, 16);
    t.raster->width = 32;
    t.raster->height = 8;
    t.z->width = 32;
    t.z->height = 8;
    const RwRGBA blue{0, 0, 255, 255};
    ASSERT_NE(RwCameraClear(t.camera, &blue, rwCameraClearImage), nullptr);
    EXPECT_EQ(t.raster->storedWidth, 32);
    EXPECT_EQ(t.raster->storedHeight, 8);
    RwImage* image = RwImageCreate(32, 8, 32);
    RwImageAllocatePixels(image);
    ASSERT_NE(RwImageSetFromRaster(image, t.raster), nullptr);
    EXPECT_EQ(Pixel(image, 31, 7), (std::vector<int>{0, 0, 255, 255}));
    RwImageDestroy(image);
}

TEST(CameraTest, ShowRasterEndsTheMetricsFrame)
{
    NullEngine engine;
    TestCamera t(4, 4);
    RwRaster* texture = RwRasterCreate(2, 2, 32, rwRasterTypeTexture);
    RwImage* image = RwImageCreate(2, 2, 32);
    RwImageAllocatePixels(image);
    RwRasterSetFromImage(texture, image);
    RwCameraBeginUpdate(t.camera);
    RwIm3DVertex v[4] = {};
    ASSERT_NE(RwIm3DTransform(v, 4, nullptr, rwIm3DVertexUV), nullptr);
    RwIm3DRenderPrimitive(rwPrimTypeTriStrip);
    RwIm3DEnd();
    RwCameraEndUpdate(t.camera);
    EXPECT_EQ(RwEngineGetMetrics()->numTriangles, 0u);  // nothing shown yet
    RwCameraShowRaster(t.camera, nullptr, 0);
    const RwMetrics* m = RwEngineGetMetrics();
    EXPECT_EQ(m->numTriangles, 2u);
    EXPECT_EQ(m->numVertices, 4u);
    EXPECT_EQ(m->numTextureUploads, 1u);
    EXPECT_EQ(m->sizeTextureUploads, 16u);
    RwCameraShowRaster(t.camera, nullptr, 0);
    EXPECT_EQ(RwEngineGetMetrics()->numTriangles, 0u);
    RwImageDestroy(image);
    RwRasterDestroy(texture);
}

}  // namespace
