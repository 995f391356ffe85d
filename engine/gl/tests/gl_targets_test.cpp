// Where the GL device draws: off-screen camera rasters, sub-rasters, rasters used as
// textures, presenting, resizing and scaled copies.
#include "support/GLTestSupport.h"

#include "platform/Window.h"

namespace {

using GLTargets = GLEngineTest;

constexpr Rgba kBlack{0, 0, 0, 255}, kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kWhite{255, 255, 255, 255};
constexpr RwRGBA kClearBlack{0, 0, 0, 255};

TEST_F(GLTargets, SubCameraOnTheRightHalfDrawsOnlyThere)
{
    TestCamera parent = MakeCamera(800, 600);
    TestCamera sub = MakeCamera(0, 0);
    const RwRect right = {400, 0, 400, 600};
    ASSERT_NE(RwRasterSubRaster(sub.raster, parent.raster, &right), nullptr);
    ASSERT_NE(RwRasterSubRaster(sub.zRaster, parent.zRaster, &right), nullptr);
    Clear(parent.camera, kClearBlack);
    // Coordinates start at the sub-camera's own corner; the rectangle and the big square reach
    // past its edges, the small square sits in the middle of its view.
    Draw(sub.camera, {0, 0, 255, 255}, [] {
        Square3D(5.0f, 50.0f, Argb(255, 255, 0, 0));
        Rect2D(-100, 0, 300, 100, Argb(255, 0, 255, 0));
        RwRenderStateSet(rwRenderStateZTestEnable, 0);
        Square3D(5.0f, 0.5f, Argb(255, 255, 255, 255));
    });
    Clear(parent.camera, {200, 200, 200, 255}, rwCameraClearZ);  // leaves the picture alone
    EXPECT_TRUE(Holds(Read(parent.raster), {{0, 0, kBlack}, {399, 50, kBlack}, {0, 599, kBlack}, {399, 599, kBlack},
                                            {400, 50, kGreen}, {599, 50, kGreen}, {600, 50, kRed}, {400, 300, kRed},
                                            {799, 599, kRed}, {600, 300, kWhite}, {600, 200, kRed}}));
    // The sub-raster reads back its own part only.
    const Pixels own = Read(sub.raster);
    EXPECT_EQ(own.width, 400);
    EXPECT_TRUE(Holds(own, {{0, 50, kGreen}, {399, 599, kRed}}));
}

// The shadow pass draws into a camera texture that the next pass samples; the projected
// shadow then hands its z raster to another camera, which needs a framebuffer pair of its own.
TEST_F(GLTargets, CameraTexturesAndZRastersPassFromOneCameraToAnother)
{
    TestCamera shadow = MakeCamera(64, 64, true, true);
    TestCamera view = MakeCamera(128, 128, false);
    Draw(shadow.camera, {0, 255, 0, 255}, [] { Rect2D(0, 0, 64, 32, Argb(255, 255, 0, 0)); });
    Draw(view.camera, kClearBlack, [&] {
        RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(shadow.raster));
        RwRenderStateSet(rwRenderStateTextureFilter, rwFilterNearest);
        Rect2D(0, 0, 128, 128, Argb(255, 255, 255, 255));
    });
    EXPECT_TRUE(Holds(Read(view.raster), {{64, 10, kRed}, {64, 118, kGreen}}));

    const size_t before = Device()->FramebufferCount();
    view.camera->zBuffer = RwRasterCreate(128, 128, 0, rwRasterTypeZBuffer);
    Clear(view.camera, kClearBlack);
    EXPECT_EQ(Device()->FramebufferCount(), before + 1);
    EXPECT_EQ(Read(view.camera->zBuffer).width, 0);  // depth has no pixels to read
    // Destroyed rasters, depth or colour, leave no framebuffer and no texture behind.
    RwRasterDestroy(view.camera->zBuffer);
    EXPECT_EQ(Device()->FramebufferCount(), before);
    view.camera->zBuffer = nullptr;
    view.camera->frameBuffer = RwRasterCreate(16, 16, 0, rwRasterTypeCameraTexture);
    Clear(view.camera, kClearBlack);
    EXPECT_EQ(Device()->FramebufferCount(), before + 1);
    const GLuint texture = Device()->RasterTexture(view.camera->frameBuffer);
    EXPECT_TRUE(glIsTexture(texture));
    RwRaster* placeholder = RwRasterCreate(0, 0, 0, rwRasterTypeCameraTexture);
    EXPECT_EQ(Device()->RasterTexture(placeholder), 0u);  // no storage yet
    RwRasterDestroy(placeholder);
    RwRasterDestroy(view.camera->frameBuffer);
    EXPECT_EQ(Device()->FramebufferCount(), before);
    EXPECT_FALSE(glIsTexture(texture));
    view.camera->frameBuffer = view.raster;
}

// A size the caller writes is applied at the next use; a new video mode resizes the window and the
// frames shown there stay in their rasters and reach the window the right way up.
TEST_F(GLTargets, SizesVideoModesAndShowing)
{
    TestCamera c = MakeCamera(64, 64);
    for (RwRaster* r : {c.raster, c.zRaster}) {  // as Camera::SetSize writes them
        r->width = 100;
        r->height = 50;
    }
    Draw(c.camera, {9, 8, 7, 255}, [] { Rect2D(90, 40, 10, 10, Argb(255, 255, 255, 255)); });
    const Pixels p = Read(c.raster);
    ASSERT_EQ(p.width, 100);
    ASSERT_EQ(p.height, 50);
    EXPECT_TRUE(Holds(p, {{0, 0, {9, 8, 7, 255}}, {99, 49, kWhite}, {89, 39, {9, 8, 7, 255}}}));

    const auto modeOf = [](int width) {
        RwVideoMode mode{};
        for (int i = 0; i < RwEngineGetNumVideoModes(); ++i)
            if (RwEngineGetVideoModeInfo(&mode, i) && mode.width == width)
                return i;
        return -1;
    };
    EXPECT_FALSE(Device()->ChangeVideoMode({0, 600, 32, 0, 60, 0}, 60));
    for (int width : {1024, 800}) {
        ASSERT_TRUE(RwD3D8ChangeVideoMode(modeOf(width))) << width;
        int w = 0, h = 0;
        SDL_GetWindowSize(static_cast<SDL_Window*>(RwEngineGetWindow()), &w, &h);
        EXPECT_EQ(w, width);
        TestCamera full = MakeCamera(width, h);  // the caller resizes its camera afterwards
        Draw(full.camera, {30, 60, 90, 255}, [] { Rect2D(10, 10, 100, 100, Argb(255, 250, 250, 250)); });
        ASSERT_NE(RwCameraShowRaster(full.camera, nullptr, 0), nullptr);
        EXPECT_TRUE(Holds(Read(full.raster), {{50, 50, {250, 250, 250, 255}}, {width - 1, h - 1, {30, 60, 90, 255}}}));
    }
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

// The loading bar: a picture stretched, and the left texel of it through a sub-raster; then a
// picture in a sub-raster changed by an upload.
TEST_F(GLTargets, RenderScaledStretchesAndCropsAndUploadsFillOnlyTheirRectangle)
{
    TestCamera c = MakeCamera(200, 100);
    RwRaster* picture = MakeTexture(2, 1, {Argb(255, 255, 0, 0), Argb(255, 0, 255, 0)});
    RwRaster* part = RwRasterCreate(0, 0, 0, 0);
    const RwRect whole = {0, 0, 100, 50}, left = {0, 0, 1, 1}, bar = {100, 50, 100, 50};
    ASSERT_NE(RwRasterSubRaster(part, picture, &left), nullptr);
    Clear(c.camera, kClearBlack);
    ASSERT_NE(RwRasterPushContext(c.raster), nullptr);
    EXPECT_NE(RwRasterRenderScaled(picture, &whole), nullptr);
    EXPECT_NE(RwRasterRenderScaled(part, &bar), nullptr);
    const RwRect nothing = {0, 0, 0, 0};
    EXPECT_NE(RwRasterRenderScaled(part, &nothing), nullptr);  // nothing to cover is no failure
    RwRasterPopContext();
    EXPECT_TRUE(
        Holds(Read(c.raster), {{5, 25, kRed}, {95, 25, kGreen}, {150, 25, kBlack}, {195, 75, kRed}, {105, 75, kRed}}));

    RwImage* image = RwImageCreate(1, 1, 32);
    RwImageAllocatePixels(image);
    std::fill(image->pixels, image->pixels + 4, uint8_t(200));
    EXPECT_NE(RwRasterSetFromImage(part, image), nullptr);
    RwImageDestroy(image);
    RwRasterDestroy(part);
    EXPECT_TRUE(Holds(Read(picture), {{0, 0, {200, 200, 200, 200}}, {1, 0, kGreen}}));
}

// The engine's device counters come from what really reached GL.
TEST_F(GLTargets, MetricsCountTextureBindsAndStateChangesThatReachGL)
{
    TestCamera cam = MakeCamera(64, 64);
    RwRaster* textures[2] = {MakeTexture(1, 1, {Argb(255, 255, 0, 0)}), MakeTexture(1, 1, {Argb(255, 0, 255, 0)})};
    // Quads with the textures (one, or both in turn), switching the z write when asked.
    const auto frame = [&](int count, int textureCount, bool toggleZWrite) {
        Draw(cam.camera, kClearBlack, [&] {
            for (int i = 0; i < count; ++i) {
                RwRenderStateSet(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(textures[i % textureCount]));
                RwRenderStateSet(rwRenderStateZWriteEnable, toggleZWrite ? i % 2 : 1);
                Rect2D(static_cast<float>(i), 0, 10, 10, Argb(255, 255, 255, 255));
            }
        });
        EXPECT_NE(RwCameraShowRaster(cam.camera, nullptr, 0), nullptr);
        return *RwEngineGetMetrics();
    };
    frame(1, 1, false);  // settles the states the frames below start from
    const RwMetrics one = frame(1, 1, false);
    const uint32_t suppressed = Device()->Counters().suppressed;
    const RwMetrics same = frame(50, 1, false);
    // Fifty draws with the same states change no more GL state than one.
    EXPECT_EQ(same.device.numRenderStateChanges, one.device.numRenderStateChanges);
    EXPECT_LE(same.device.numTextureStageStateChanges, 2u);
    EXPECT_GT(Device()->Counters().suppressed, suppressed + 49 * 5);
    EXPECT_EQ(same.numTriangles, 100u);
    const RwMetrics alternating = frame(20, 2, true);
    EXPECT_GE(alternating.device.numTextureStageStateChanges, 19u);  // the first was bound already
    EXPECT_GE(alternating.device.numRenderStateChanges, one.device.numRenderStateChanges + 9);
    EXPECT_TRUE(Holds(Read(cam.raster), {{19, 5, kGreen}}));  // the last texture really was bound
    // The counters start afresh each frame.
    const RwMetrics next = frame(1, 1, false);
    EXPECT_LT(next.device.numTextureStageStateChanges, 5u);
    EXPECT_EQ(next.numTriangles, 2u);
}

// The editor's bar and margins share the window with the game's frame: around the view the
// window is black whatever the last frames left there, and the frame fills the view.
TEST_F(GLTargets, AroundASmallerViewTheWindowIsBlackAndTheViewHoldsTheFrame)
{
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(static_cast<SDL_Window*>(RwEngineGetWindow()), &width, &height);
    ASSERT_GT(width, 60);
    ASSERT_GT(height, 60);
    // Margins of 10, 20, 30 and 40 pixels: left, top, right, bottom.
    const platform::Rect view{10, 20, width - 40, height - 60};
    struct Hook : platform::PresentHook {
        platform::Rect view;
        bool paintRed = true;
        std::vector<uint8_t> window;
        platform::Rect GetView(int, int) const override { return view; }
        void BeforeSwap() override
        {
            GLint drawn = 0, read = 0;
            glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawn);
            glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
            const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            if (paintRed) {
                glDisable(GL_SCISSOR_TEST);
                glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
                glClear(GL_COLOR_BUFFER_BIT);
            } else {
                int w = 0, h = 0;
                SDL_GL_GetDrawableSize(SDL_GL_GetCurrentWindow(), &w, &h);
                window.assign(size_t(w) * h * 4, 0);
                glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, window.data());
            }
            if (scissor)
                glEnable(GL_SCISSOR_TEST);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawn));
            glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
        }
    } hook;
    hook.view = view;
    platform::SetPresentHook(&hook);
    TestCamera whole = MakeCamera(width, height);
    TestCamera inView = MakeCamera(view.width, view.height);
    // Two red windows, so that either buffer of a swap chain holds red where nothing is drawn.
    for (int i = 0; i < 2; ++i) {
        Clear(whole.camera, {0, 255, 0, 255});
        EXPECT_NE(RwCameraShowRaster(whole.camera, nullptr, 0), nullptr);
    }
    hook.paintRed = false;
    Draw(inView.camera, {30, 60, 90, 255}, [] { Rect2D(0, 0, 4, 4, Argb(255, 255, 255, 255)); });
    EXPECT_NE(RwCameraShowRaster(inView.camera, nullptr, 0), nullptr);
    platform::SetPresentHook(nullptr);
    ASSERT_EQ(hook.window.size(), size_t(width) * height * 4);
    // The window's rows, read from its bottom, top first as the probes count them.
    Pixels shown{width, height, {}};
    for (int y = height - 1; y >= 0; --y)
        shown.data.insert(shown.data.end(), hook.window.begin() + ptrdiff_t(y) * width * 4,
                          hook.window.begin() + ptrdiff_t(y + 1) * width * 4);
    const int right = view.x + view.width, bottom = view.y + view.height;
    constexpr Rgba kBackground{30, 60, 90, 255};
    EXPECT_TRUE(Holds(shown, {{0, 0, kBlack},
                              {width - 1, 0, kBlack},
                              {5, height / 2, kBlack},
                              {width - 1, height - 1, kBlack},
                              {right, view.y, kBlack},
                              {view.x, bottom, kBlack},
                              {view.x, view.y - 1, kBlack},
                              {view.x - 1, view.y, kBlack},
                              {view.x, view.y, kWhite},
                              {view.x + 3, view.y + 3, kWhite},
                              {view.x + 4, view.y + 4, kBackground},
                              {right - 1, bottom - 1, kBackground},
                              {width / 2, height / 2, kBackground}}));
}

}  // namespace
