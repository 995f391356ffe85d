// Where the GL device draws: off-screen camera rasters, sub-rasters, rasters used as
// textures, presenting, resizing and scaled copies.
#include "support/GLEngineFixture.h"

namespace {

using GLTargets = GLEngineTest;

TEST_F(GLTargets, SubCameraOnTheRightHalfDrawsOnlyThere)
{
    TestCamera parent = MakeCamera(800, 600);
    TestCamera sub = MakeSubCamera(parent, {400, 0, 400, 600});
    ASSERT_EQ(sub.raster->width, 400);
    ASSERT_EQ(sub.raster->height, 600);

    Clear(parent.camera, {0, 0, 0, 255});
    Clear(sub.camera, {0, 0, 255, 255});
    ASSERT_NE(RwCameraBeginUpdate(sub.camera), nullptr);
    // Screen coordinates start at the sub-camera's own corner; the rectangle and the
    // big 3D square reach past its edges, the small one sits in the middle of its view.
    Square3D(5.0f, 50.0f, Argb(255, 255, 0, 0));
    Rect2D(-100, 0, 300, 100, Argb(255, 0, 255, 0));
    RwRenderStateSet(rwRenderStateZTestEnable, 0);
    Square3D(5.0f, 0.5f, Argb(255, 255, 255, 255));
    RwCameraEndUpdate(sub.camera);

    Pixels p = Read(parent.raster);
    ASSERT_EQ(p.width, 800);
    for (int y : {0, 50, 300, 599}) {
        EXPECT_TRUE(PixelNear(p.at(0, y), {0, 0, 0, 255}, 0)) << y;
        EXPECT_TRUE(PixelNear(p.at(399, y), {0, 0, 0, 255}, 0)) << y;
    }
    EXPECT_TRUE(PixelNear(p.at(400, 50), {0, 255, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(599, 50), {0, 255, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(600, 50), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(400, 300), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(799, 599), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(600, 300), {255, 255, 255, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(600, 200), {255, 0, 0, 255}, 0));

    // The sub-raster reads back its own part only.
    Pixels own = Read(sub.raster);
    ASSERT_EQ(own.width, 400);
    EXPECT_TRUE(PixelNear(own.at(0, 50), {0, 255, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(own.at(399, 599), {255, 0, 0, 255}, 0));
}

TEST_F(GLTargets, CameraTextureDrawnInOnePassIsSampledInTheNext)
{
    TestCamera shadow = MakeCamera(64, 64, true, true);
    TestCamera view = MakeCamera(128, 128);

    // Pass 1: green with a red top half.
    Clear(shadow.camera, {0, 255, 0, 255});
    ASSERT_NE(RwCameraBeginUpdate(shadow.camera), nullptr);
    Rect2D(0, 0, 64, 32, Argb(255, 255, 0, 0));
    RwCameraEndUpdate(shadow.camera);

    // Pass 2: the raster as the texture of a full-screen quad.
    Clear(view.camera, {0, 0, 0, 255});
    ASSERT_NE(RwCameraBeginUpdate(view.camera), nullptr);
    RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(shadow.raster));
    RwRenderStateSet(rwRenderStateTextureFilter, rwFilterNearest);
    Rect2D(0, 0, 128, 128, Argb(255, 255, 255, 255));
    RwRenderStateSet(rwRenderStateTextureRaster, 0);
    RwCameraEndUpdate(view.camera);

    Pixels p = Read(view.raster);
    EXPECT_TRUE(PixelNear(p.at(64, 10), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(64, 118), {0, 255, 0, 255}, 0));
}

TEST_F(GLTargets, SwappingTheZBufferBetweenUpdatesMakesANewPair)
{
    // The projected shadow hands its z raster from one camera to another.
    TestCamera a = MakeCamera(32, 32);
    TestCamera b = MakeCamera(32, 32, false);
    const size_t before = Device()->FramebufferCount();
    Clear(a.camera, {0, 0, 0, 255});
    b.camera->zBuffer = a.zRaster;
    Clear(b.camera, {0, 0, 0, 255});
    ASSERT_NE(RwCameraBeginUpdate(b.camera), nullptr);
    RwRenderStateSet(rwRenderStateZTestEnable, 1);
    Square3D(2.0f, 0.2f, Argb(255, 0, 255, 0));
    Square3D(6.0f, 20.0f, Argb(255, 255, 0, 0));
    RwCameraEndUpdate(b.camera);
    b.camera->zBuffer = nullptr;
    EXPECT_EQ(Device()->FramebufferCount(), before + 2);
    EXPECT_TRUE(PixelNear(Read(b.raster).at(16, 16), {0, 255, 0, 255}, 0));
}

TEST_F(GLTargets, ShownFrameStaysInTheRaster)
{
    TestCamera primary = MakeCamera(800, 600);
    Clear(primary.camera, {30, 60, 90, 255});
    ASSERT_NE(RwCameraBeginUpdate(primary.camera), nullptr);
    Rect2D(10, 10, 100, 100, Argb(255, 250, 250, 250));
    RwCameraEndUpdate(primary.camera);
    ASSERT_NE(RwCameraShowRaster(primary.camera, RwEngineGetWindow(), 0), nullptr);

    // What a screenshot after the frame was shown sees.
    Pixels p = Read(primary.raster);
    EXPECT_TRUE(PixelNear(p.at(50, 50), {250, 250, 250, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(700, 500), {30, 60, 90, 255}, 0));

    // The window got the same picture, right way up.
    GLint previous = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    uint8_t shown[4] = {};
    glReadBuffer(GL_FRONT);
    glReadPixels(50, 600 - 1 - 50, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, shown);
    glReadBuffer(GL_BACK);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
    if (glGetError() == GL_NO_ERROR && shown[3] != 0) {  // some drivers keep no front buffer
        EXPECT_TRUE(PixelNear(shown, {250, 250, 250, 255}, 0));
    }
}

TEST_F(GLTargets, ChangedSizeReallocatesAtTheNextUse)
{
    TestCamera c = MakeCamera(64, 64);
    // Camera::SetSize writes the fields directly.
    c.raster->width = 100;
    c.raster->height = 50;
    c.zRaster->width = 100;
    c.zRaster->height = 50;
    Clear(c.camera, {9, 8, 7, 255});
    ASSERT_NE(RwCameraBeginUpdate(c.camera), nullptr);
    Rect2D(90, 40, 10, 10, Argb(255, 255, 255, 255));
    RwCameraEndUpdate(c.camera);
    Pixels p = Read(c.raster);
    ASSERT_EQ(p.width, 100);
    ASSERT_EQ(p.height, 50);
    EXPECT_TRUE(PixelNear(p.at(0, 0), {9, 8, 7, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(99, 49), {255, 255, 255, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(89, 39), {9, 8, 7, 255}, 0));
}

TEST_F(GLTargets, RenderScaledStretchesAndCropsIntoTheContext)
{
    TestCamera c = MakeCamera(200, 100);
    RwRaster* picture = MakeTexture(2, 1, {Argb(255, 255, 0, 0), Argb(255, 0, 255, 0)});
    Clear(c.camera, {0, 0, 0, 255});

    ASSERT_NE(RwRasterPushContext(c.raster), nullptr);
    RwRect whole = {0, 0, 100, 50};
    EXPECT_NE(RwRasterRenderScaled(picture, &whole), nullptr);
    // The loading bar's crop: the left texel only, through a sub-raster.
    RwRaster* part = RwRasterCreate(0, 0, 0, 0);
    RwRect left = {0, 0, 1, 1};
    ASSERT_NE(RwRasterSubRaster(part, picture, &left), nullptr);
    RwRect bar = {100, 50, 100, 50};
    EXPECT_NE(RwRasterRenderScaled(part, &bar), nullptr);
    RwRasterPopContext();
    RwRasterDestroy(part);

    Pixels p = Read(c.raster);
    EXPECT_TRUE(PixelNear(p.at(5, 25), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(95, 25), {0, 255, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(150, 25), {0, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(195, 75), {255, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(105, 75), {255, 0, 0, 255}, 0));
}

TEST_F(GLTargets, TextureUploadIntoASubRasterChangesOnlyItsRectangle)
{
    RwRaster* picture = MakeTexture(4, 4, std::vector<uint32_t>(16, Argb(255, 0, 0, 0)));
    RwRaster* corner = RwRasterCreate(0, 0, 0, 0);
    RwRect rect = {2, 2, 2, 2};
    ASSERT_NE(RwRasterSubRaster(corner, picture, &rect), nullptr);
    RwImage* image = RwImageCreate(2, 2, 32);
    RwImageAllocatePixels(image);
    std::fill(image->pixels, image->pixels + image->stride * 2, uint8_t(200));
    EXPECT_NE(RwRasterSetFromImage(corner, image), nullptr);
    RwImageDestroy(image);
    RwRasterDestroy(corner);

    Pixels p = Read(picture);
    EXPECT_TRUE(PixelNear(p.at(1, 1), {0, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(p.at(2, 2), {200, 200, 200, 200}, 0));
    EXPECT_TRUE(PixelNear(p.at(3, 3), {200, 200, 200, 200}, 0));
}

TEST_F(GLTargets, DestroyedRasterLeavesNoFramebufferBehind)
{
    const size_t before = Device()->FramebufferCount();
    RwRaster* raster = RwRasterCreate(16, 16, 0, rwRasterTypeCameraTexture);
    RwCamera* camera = RwCameraCreate();
    RwCameraSetRaster(camera, raster);
    RwRGBA black = {0, 0, 0, 255};
    ASSERT_NE(RwCameraClear(camera, &black, rwCameraClearImage), nullptr);
    EXPECT_EQ(Device()->FramebufferCount(), before + 1);
    RwCameraDestroy(camera);
    RwRasterDestroy(raster);
    EXPECT_EQ(Device()->FramebufferCount(), before);
}

}  // namespace

namespace {

TEST_F(GLTargets, ChangingTheVideoModeResizesTheWindowAndShowingStillWorks)
{
    SDL_Window* window = static_cast<SDL_Window*>(RwEngineGetWindow());
    ASSERT_NE(window, nullptr);
    int wanted = -1;
    RwVideoMode mode{};
    for (int i = 0; i < RwEngineGetNumVideoModes(); ++i)
        if (RwEngineGetVideoModeInfo(&mode, i) && mode.width == 1024 && mode.height == 768)
            wanted = i;
    ASSERT_GE(wanted, 0) << "the fixed mode list has 1024 x 768";
    ASSERT_TRUE(RwD3D8ChangeVideoMode(wanted));
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);

    // The caller then resizes its camera; a smaller raster is stretched over the window.
    TestCamera c = MakeCamera(1024, 768);
    Clear(c.camera, {1, 2, 3, 255});
    EXPECT_NE(RwCameraShowRaster(c.camera, nullptr, 0), nullptr);
    EXPECT_TRUE(PixelNear(Read(c.raster).at(1023, 767), {1, 2, 3, 255}, 0));

    for (int i = 0; i < RwEngineGetNumVideoModes(); ++i) {
        if (RwEngineGetVideoModeInfo(&mode, i) && mode.width == 800 && mode.height == 600) {
            EXPECT_TRUE(RwD3D8ChangeVideoMode(i));
        }
    }
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 800);
}

}  // namespace
