// Cameras and sub-cameras on the GL device, checked through their engine cameras and by
// reading the rasters back.
#include "support/SceneTest.h"

#include "framework/Debug.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"

namespace {

const float kBlack[4] = {0, 0, 0, 1};
const float kRed[4] = {1, 0, 0, 1};
const float kBlue[4] = {0, 0, 1, 1};
const RwRGBA kBlackPixel = {0, 0, 0, 255};
const RwRGBA kRedPixel = {255, 0, 0, 255};
const RwRGBA kBluePixel = {0, 0, 255, 255};
const RwRGBA kGreenPixel = {0, 255, 0, 255};

using CameraTest = SceneTest;

TEST_F(CameraTest, FrameDepthSelectsTheRasterFormat)
{
    struct Case {
        uint32_t frameDepth;
        RwInt32 format;
        RwInt32 depth;
    };
    for (Case c : {Case{16, rwRasterFormat565, 16}, Case{24, rwRasterFormat888, 32}, Case{32, rwRasterFormat8888, 32}}) {
        Camera camera;
        ASSERT_TRUE(camera.Create(64, 32, false, false, c.frameDepth, 0));
        RwRaster* raster = camera.GetRaster();
        EXPECT_EQ(raster->format & rwRasterFormatPixelMask, c.format) << c.frameDepth;
        EXPECT_EQ(raster->depth, c.depth) << c.frameDepth;
        EXPECT_EQ(raster->type, rwRasterTypeCamera);
        EXPECT_FALSE(camera.HasZRaster());
    }

    const int errors = Debug::Instance()->GetErrorCount();
    Camera odd;
    EXPECT_TRUE(odd.Create(64, 32, true, true, 7, 0));  // logged, then made all the same
    EXPECT_EQ(Debug::Instance()->GetErrorCount(), errors + 1);
    EXPECT_EQ(odd.GetRaster()->type, rwRasterTypeCameraTexture);
    EXPECT_TRUE(odd.HasZRaster());
    EXPECT_TRUE(odd.Destroy());
    EXPECT_EQ(odd.GetRwCamera(), nullptr);
    EXPECT_TRUE(odd.Destroy());  // nothing left to destroy
}

TEST_F(CameraTest, ViewWindowIsCorrectedForTheAspectAndFollowsSetSize)
{
    Camera camera;
    ASSERT_TRUE(camera.Create(1024, 768, true, false, 0, 0));
    camera.SetViewWindow(0.8f, 0.8f);
    EXPECT_FLOAT_EQ(camera.GetRwCamera()->viewWindow.x, 0.8f);
    EXPECT_FLOAT_EQ(camera.GetRwCamera()->viewWindow.y, 0.6f);
    float x = 0, y = 0;
    camera.GetViewWindow(x, y);
    EXPECT_FLOAT_EQ(y, 0.8f);  // stored uncorrected

    camera.SetSize(600, 600);
    EXPECT_FLOAT_EQ(camera.GetRwCamera()->viewWindow.y, 0.8f);
    EXPECT_EQ(camera.GetZRaster()->width, 600);
    camera.GetViewWindow(x, y);
    EXPECT_FLOAT_EQ(y, 0.8f);

    // The new size is really drawn into.
    ASSERT_TRUE(camera.Clear(kRed, 3));
    Pixels p = Read(camera.GetRaster());
    EXPECT_EQ(p.width, 600);
    EXPECT_TRUE(PixelIs(p.at(599, 599), kRedPixel));
}

TEST_F(CameraTest, AnEmptyRasterHasAspectOne)
{
    Camera camera;
    ASSERT_TRUE(camera.Create(0, 0, false, false, 0, 0));
    camera.SetViewWindow(0.5f, 0.4f);
    EXPECT_FLOAT_EQ(camera.GetRwCamera()->viewWindow.x, 0.5f);
    EXPECT_FLOAT_EQ(camera.GetRwCamera()->viewWindow.y, 0.4f);
}

TEST_F(CameraTest, ClipPlanesDecideWhatIsDrawn)
{
    Camera camera;
    ASSERT_TRUE(camera.Create(200, 200, true, false, 0, 0));
    camera.SetViewWindow(1.0f, 1.0f);
    auto centreAfterDrawingAt = [&](float nearClip, float farClip) {
        camera.SetClipPlanes(nearClip, farClip);
        camera.Clear(kBlack, 3);
        EXPECT_TRUE(camera.BeginUpdate());
        Square3D(5.0f, 1.0f, kGreenPixel);
        EXPECT_TRUE(camera.EndUpdate());
        return Read(camera.GetRaster());
    };
    EXPECT_TRUE(PixelIs(centreAfterDrawingAt(1, 300).at(100, 100), kGreenPixel));
    EXPECT_TRUE(PixelIs(centreAfterDrawingAt(1, 4).at(100, 100), kBlackPixel));    // beyond far
    EXPECT_TRUE(PixelIs(centreAfterDrawingAt(6, 300).at(100, 100), kBlackPixel));  // before near

    float nearClip = 0, farClip = 0;
    camera.GetClipPlanes(nearClip, farClip);
    EXPECT_EQ(nearClip, 6.0f);
    EXPECT_EQ(farClip, 300.0f);
    EXPECT_EQ(camera.GetRwCamera()->nearPlane, 6.0f);
    EXPECT_EQ(camera.GetRwCamera()->farPlane, 300.0f);
}

TEST_F(CameraTest, ViewWindowDecidesHowMuchOfTheSceneFillsTheRaster)
{
    Camera camera;
    ASSERT_TRUE(camera.Create(200, 200, true, false, 0, 0));
    camera.SetClipPlanes(0.1f, 100.0f);
    // A square of half size 1 at distance 2 spans half of a view window of 1 and all of 0.5.
    for (float view : {1.0f, 0.5f}) {
        camera.SetViewWindow(view, view);
        camera.Clear(kBlack, 3);
        camera.BeginUpdate();
        Square3D(2.0f, 1.0f, kGreenPixel);
        camera.EndUpdate();
        Pixels p = Read(camera.GetRaster());
        EXPECT_TRUE(PixelIs(p.at(100, 100), kGreenPixel));
        EXPECT_TRUE(PixelIs(p.at(10, 10), view == 1.0f ? kBlackPixel : kGreenPixel)) << view;
        EXPECT_TRUE(PixelIs(p.at(60, 100), kGreenPixel)) << view;
        EXPECT_TRUE(PixelIs(p.at(40, 100), view == 1.0f ? kBlackPixel : kGreenPixel)) << view;
    }
}

TEST_F(CameraTest, SubCameraCoversItsPartOfTheParent)
{
    Camera parent;
    ASSERT_TRUE(parent.Create(800, 600, true, false, 0, 0));
    SubCamera right;
    ASSERT_TRUE(right.Create(&parent, {0.5f, 0.0f, 0.5f, 1.0f}, false));
    EXPECT_FLOAT_EQ(right.GetWidth(), 400.0f);
    EXPECT_FLOAT_EQ(right.GetHeight(), 600.0f);
    EXPECT_TRUE(right.HasZRaster());
    EXPECT_EQ(right.GetRaster()->offsetX, 400);
    EXPECT_EQ(right.GetRaster()->width, 400);

    ASSERT_TRUE(parent.Clear(kBlack, 3));
    ASSERT_TRUE(right.Clear(kRed, 3));
    Pixels p = Read(parent.GetRaster());
    for (int y : {0, 300, 599}) {
        EXPECT_TRUE(PixelIs(p.at(399, y), kBlackPixel)) << y;
        EXPECT_TRUE(PixelIs(p.at(400, y), kRedPixel)) << y;
        EXPECT_TRUE(PixelIs(p.at(799, y), kRedPixel)) << y;
    }

    // Its view window follows the rectangle's shape in pixels: 400 x 600.
    right.SetViewWindow(0.8f, 0.8f);
    EXPECT_FLOAT_EQ(right.GetRwCamera()->viewWindow.y, 0.8f / (400.0f / 600.0f));
    right.Destroy();
}

TEST_F(CameraTest, SplitScreenSubCamerasDrawIntoTheirHalvesOfThePrimaryCamera)
{
    PrimaryCamera* primary = RwGraphics::Instance()->GetPrimaryCamera();
    ASSERT_NE(primary, nullptr);
    SubCamera top, bottom;
    ASSERT_TRUE(top.Create(primary, {0, 0, 1, 0.5f}, false));
    ASSERT_TRUE(bottom.Create(primary, {0, 0.5f, 1, 0.5f}, false));
    for (SubCamera* camera : {&top, &bottom}) {
        camera->SetViewWindow(1.0f, 1.0f);
        camera->SetClipPlanes(0.1f, 100.0f);
    }
    ASSERT_TRUE(top.Clear(kRed, 3));
    ASSERT_TRUE(bottom.Clear(kBlue, 3));
    // A scene drawn through the bottom camera lands in the bottom half only.
    ASSERT_TRUE(bottom.BeginUpdate());
    Square3D(2.0f, 0.2f, kGreenPixel);
    bottom.EndUpdate();

    Pixels p = Read(primary->GetRaster());
    EXPECT_TRUE(PixelIs(p.at(400, 150), kRedPixel));
    EXPECT_TRUE(PixelIs(p.at(400, 299), kRedPixel));
    EXPECT_TRUE(PixelIs(p.at(10, 310), kBluePixel));
    EXPECT_TRUE(PixelIs(p.at(400, 450), kGreenPixel));
    EXPECT_TRUE(PixelIs(p.at(400, 599), kBluePixel));
}

TEST_F(CameraTest, SubCameraOfAParentWithoutZRasterHasNoneAndRecreateMakesATexture)
{
    Camera parent;
    ASSERT_TRUE(parent.Create(320, 240, false, false, 0, 0));
    SubCamera inset;
    ASSERT_TRUE(inset.Create(&parent, {0.25f, 0.25f, 0.5f, 0.5f}, false));
    EXPECT_FALSE(inset.HasZRaster());
    EXPECT_EQ(inset.GetRaster()->offsetX, 80);
    EXPECT_EQ(inset.GetRaster()->offsetY, 60);

    ASSERT_TRUE(inset.Recreate());
    EXPECT_EQ(inset.GetRaster()->type, rwRasterTypeCameraTexture);
    EXPECT_EQ(inset.GetRaster()->width, 160);
    parent.Clear(kBlack, 3);
    inset.Clear(kBlue, 1);
    Pixels p = Read(parent.GetRaster());
    EXPECT_TRUE(PixelIs(p.at(79, 60), kBlackPixel));
    EXPECT_TRUE(PixelIs(p.at(80, 60), kBluePixel));
    EXPECT_TRUE(PixelIs(p.at(239, 179), kBluePixel));
    EXPECT_TRUE(PixelIs(p.at(240, 180), kBlackPixel));
}

TEST_F(CameraTest, SubCameraOutsideItsParentFailsWithAMessage)
{
    Camera parent;
    ASSERT_TRUE(parent.Create(100, 100, true, false, 0, 0));
    const int errors = Debug::Instance()->GetErrorCount();
    SubCamera outside;
    EXPECT_FALSE(outside.Create(&parent, {1.5f, 0, 0.5f, 1}, false));
    EXPECT_GT(Debug::Instance()->GetErrorCount(), errors);
    SubCamera orphan;
    EXPECT_FALSE(orphan.Create(nullptr, {0, 0, 1, 1}, false));
}

}  // namespace
