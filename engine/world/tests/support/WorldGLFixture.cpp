#include "support/WorldGLFixture.h"

#include "engine/core/RwDevice.h"
#include "platform/Platform.h"
#include "platform/Window.h"

#include <algorithm>
#include <cstdlib>

namespace worldtest {

namespace {
std::unique_ptr<platform::Window> s_window;
bool s_open = false;
}  // namespace

void WorldGLTest::SetUpTestSuite()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (!platform::Init())
        return;
    platform::WindowSettings settings;
    settings.title = "world test";
    settings.swapInterval = 0;
    s_window = platform::Window::Create(settings);
    if (!s_window)
        return;
    const RwEngineOpenParams params{s_window->GetSDLWindow(), rwDeviceGL};
    s_open = RwEngineInit(nullptr, 0, 0x100000) && RpWorldPluginAttach() && RwEngineOpen(&params) &&
             RwEngineStart();
}

void WorldGLTest::TearDownTestSuite()
{
    if (s_open) {
        RwEngineStop();
        RwEngineClose();
        RwEngineTerm();
        s_open = false;
    }
    s_window.reset();
    platform::Shutdown();
}

void WorldGLTest::SetUp()
{
    RwDevice* device = RwDeviceGetCurrent();
    if (!s_open || !device || device->GetKind() != rwDeviceGL)
        GTEST_SKIP() << "no OpenGL 3.3 engine on this machine";
    RwRenderStateReset();
    RwError e;
    RwErrorGet(&e);
    raster = RwRasterCreate(kSize, kSize, 0, rwRasterTypeCamera);
    zRaster = RwRasterCreate(kSize, kSize, 0, rwRasterTypeZBuffer);
    frame = RwFrameCreate();
    camera = RwCameraCreate();
    RwCameraSetRaster(camera, raster);
    RwCameraSetZRaster(camera, zRaster);
    const RwV2d window{0.5f, 0.5f};
    RwCameraSetViewWindow(camera, &window);
    RwCameraSetNearClipPlane(camera, 0.1f);
    RwCameraSetFarClipPlane(camera, 100);
    RwObjectHasFrameSetFrame(camera, frame);
    const RwBBox box{{1000, 1000, 1000}, {-1000, -1000, -1000}};
    world = RpWorldCreate(&box);
    RpWorldAddCamera(world, camera);
    Clear({0, 0, 0, 255});
}

void WorldGLTest::TearDown()
{
    if (!camera)
        return;
    RpWorldDestroy(world);
    RwObjectHasFrameSetFrame(camera, nullptr);
    RwCameraDestroy(camera);
    RwFrameDestroy(frame);
    RwRasterDestroy(raster);
    RwRasterDestroy(zRaster);
}

WorldGLTest::Pixels WorldGLTest::Read() const
{
    Pixels out;
    RwImage* image = RwImageCreate(raster->width, raster->height, 32);
    RwImageAllocatePixels(image);
    if (RwImageSetFromRaster(image, raster)) {
        out.width = image->width;
        out.height = image->height;
        out.data.resize(size_t(out.width) * size_t(out.height) * 4);
        for (int y = 0; y < out.height; ++y)
            std::copy(image->pixels + size_t(y) * size_t(image->stride),
                      image->pixels + size_t(y) * size_t(image->stride) + size_t(out.width) * 4,
                      out.data.begin() + long(y) * out.width * 4);
    }
    RwImageDestroy(image);
    return out;
}

const uint8_t* WorldGLTest::PixelOf(const Pixels& pixels, RwV3d point) const
{
    RwV3d view;
    RwV3dTransformPoints(&view, &point, 1, RwCameraGetViewMatrix(camera));
    const int x = int(view.x / view.z * float(pixels.width));
    const int y = int(view.y / view.z * float(pixels.height));
    EXPECT_TRUE(x >= 0 && y >= 0 && x < pixels.width && y < pixels.height) << "off screen: " << x << ", " << y;
    return pixels.At(std::clamp(x, 0, pixels.width - 1), std::clamp(y, 0, pixels.height - 1));
}

void WorldGLTest::Clear(RwRGBA colour)
{
    EXPECT_NE(RwCameraClear(camera, &colour, rwCameraClearImage | rwCameraClearZ), nullptr);
}

RwTexture* WorldGLTest::MakeTexture(const char* name, int width, int height, const std::vector<RwRGBA>& texels)
{
    RwImage* image = RwImageCreate(width, height, 32);
    RwImageAllocatePixels(image);
    for (int i = 0; i < width * height; ++i) {
        uint8_t* p = image->pixels + size_t(i / width) * size_t(image->stride) + size_t(i % width) * 4;
        p[0] = texels[size_t(i)].red;
        p[1] = texels[size_t(i)].green;
        p[2] = texels[size_t(i)].blue;
        p[3] = texels[size_t(i)].alpha;
    }
    RwRaster* r = RwRasterCreate(width, height, 32, rwRasterTypeTexture);
    RwRasterSetFromImage(r, image);
    RwImageDestroy(image);
    RwTexture* t = RwTextureCreate(r);
    RwTextureSetName(t, name);
    return t;
}

}  // namespace worldtest
