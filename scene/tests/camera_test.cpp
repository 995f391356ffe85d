// Cameras and sub-cameras: raster formats, view windows, clip planes, sizes, and the parts of a
// parent's rasters that sub-cameras take.
#include "support/SceneTest.h"

#include "scene/RwGraphics.h"
#include "tests/support/LogCapture.h"

namespace {

using CameraTest = SceneTest;
using Pixel = std::vector<uint8_t>;

const float kBlack[4] = {0, 0, 0, 1}, kRed[4] = {1, 0, 0, 1}, kBlue[4] = {0, 0, 1, 0.5f};
// Channels are truncated: half of 255 is 127.
const Pixel kBlackPixel{0, 0, 0, 255}, kRedPixel{255, 0, 0, 255}, kBluePixel{0, 0, 255, 127};

TEST_F(CameraTest, FrameDepthSelectsTheRasterFormat)
{
    const std::tuple<uint32_t, RwInt32, RwInt32> cases[] = {
        {16, rwRasterFormat565, 16}, {24, rwRasterFormat888, 32}, {32, rwRasterFormat8888, 32}};
    for (const auto& [frameDepth, format, depth] : cases) {
        Camera camera;
        ASSERT_TRUE(camera.Create(64, 32, false, false, frameDepth, 0));
        const RwRaster* raster = camera.GetRaster();
        EXPECT_EQ(std::tuple(raster->format & rwRasterFormatPixelMask, raster->depth, raster->type, camera.HasZRaster()),
                  std::tuple(format, depth, RwInt32(rwRasterTypeCamera), false));
    }
    LogCapture log;
    Camera odd;
    EXPECT_TRUE(odd.Create(64, 32, true, true, 7, 16));  // logged, then made all the same
    EXPECT_EQ(log.lines, std::vector<std::string>{"***ERROR: Camera::Create wrong frameDepth: 7\n"});
    EXPECT_EQ(std::pair(odd.GetRaster()->type, odd.GetZRaster()->depth), std::pair(RwInt32(rwRasterTypeCameraTexture), 16));
    EXPECT_TRUE(odd.Destroy() && odd.Destroy());
    // Without an engine camera nothing can be drawn.
    EXPECT_EQ(std::tuple(odd.Clear(kRed, 1), odd.BeginUpdate(), odd.EndUpdate(), odd.GetWidth(), odd.GetFrame()),
              std::tuple(false, false, false, 0.0f, nullptr));
}

TEST_F(CameraTest, TheViewWindowIsCorrectedForTheAspectAndFollowsTheSize)
{
    Camera camera;
    ASSERT_TRUE(camera.Create(1024, 768, true, false, 0, 0));
    const RwCamera* engine = camera.GetRwCamera();
    float x = 0, y = 0;
    camera.SetViewWindow(0.8f, 0.8f);
    camera.GetViewWindow(x, y);
    EXPECT_EQ(std::tuple(engine->viewWindow.x, x, y), std::tuple(0.8f, 0.8f, 0.8f));  // stored uncorrected
    EXPECT_FLOAT_EQ(engine->viewWindow.y, 0.6f);
    camera.SetClipPlanes(2, 300);
    camera.GetClipPlanes(x, y);
    EXPECT_EQ(std::tuple(engine->nearPlane, engine->farPlane, x, y), std::tuple(2.0f, 300.0f, 2.0f, 300.0f));
    // Both rasters take the new size, which the next clear fills.
    camera.SetSize(600, 500);
    EXPECT_FLOAT_EQ(engine->viewWindow.y, 0.8f / 1.2f);
    ASSERT_TRUE(camera.Clear(kRed, 3));
    EXPECT_EQ(std::tuple(camera.GetWidth(), camera.GetHeight(), camera.GetZRaster()->width, PixelOf(camera.GetRaster(), 599, 499)),
              std::tuple(600.0f, 500.0f, 600, kRedPixel));
    camera.SetSize(0, 500);  // no width: aspect one
    EXPECT_FLOAT_EQ(engine->viewWindow.y, 0.8f);
}

TEST_F(CameraTest, SubCamerasTakeTheirRectangleOfTheParentsRasters)
{
    LogCapture log;
    PrimaryCamera* primary = RwGraphics::Instance()->GetPrimaryCamera();
    SubCamera top, bottom;
    ASSERT_TRUE(top.Create(primary, {0, 0, 1, 0.5f}, false) && bottom.Create(primary, {0.25f, 0.5f, 0.5f, 0.5f}, false));
    const RwRaster* raster = bottom.GetRaster();
    EXPECT_EQ(std::tuple(bottom.GetParent(), bottom.GetWidth(), bottom.GetHeight(), raster->offsetX, raster->offsetY,
                         raster->width, bottom.GetZRaster()->offsetY),
              std::tuple(primary, 400.0f, 300.0f, 200, 300, 400, 300));
    bottom.SetViewWindow(1.0f, 1.0f);  // shaped by the rectangle in pixels
    EXPECT_FLOAT_EQ(bottom.GetRwCamera()->viewWindow.y, 0.75f);
    ASSERT_TRUE(primary->Clear(kBlack, 3) && top.Clear(kRed, 3) && bottom.Clear(kBlue, 3));
    const std::tuple<int, int, Pixel> pixels[] = {
        {799, 299, kRedPixel}, {199, 300, kBlackPixel}, {200, 300, kBluePixel}, {599, 599, kBluePixel}, {600, 599, kBlackPixel}};
    for (const auto& [x, y, pixel] : pixels)
        EXPECT_EQ(PixelOf(primary->GetRaster(), x, y), pixel) << x << ", " << y;

    // A parent without a z-raster gives none; made again, the sub-camera is a camera texture.
    Camera parent;
    SubCamera inset, outside, orphan;
    ASSERT_TRUE(parent.Create(320, 240, false, false, 0, 0) && inset.Create(&parent, {0.25f, 0.25f, 0.5f, 0.5f}, false));
    EXPECT_FALSE(inset.HasZRaster());
    ASSERT_TRUE(inset.Recreate());
    raster = inset.GetRaster();
    EXPECT_EQ(std::tuple(raster->type, raster->offsetX, raster->offsetY, raster->width),
              std::tuple(RwInt32(rwRasterTypeCameraTexture), 80, 60, 160));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_FALSE(outside.Create(&parent, {1.5f, 0, 0.5f, 1}, false) || orphan.Create(nullptr, {0, 0, 1, 1}, false));
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "***ERROR: RwRasterSubRaster: rectangle (480, 0, 160, 240) lies outside the 320 x 240 parent\n",
                             "***ERROR: SubCamera::Create: RwRasterSubRaster (for Raster) failed!\n",
                             "***ERROR: SubCamera::Create: Failed to Create the Subcamera!\n"}));
    EXPECT_EQ(orphan.GetWidth(), 0.0f);
}

}  // namespace
