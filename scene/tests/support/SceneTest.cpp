#include "support/SceneTest.h"

#include "platform/Platform.h"
#include "platform/Window.h"
#include "scene/RwGraphics.h"

#include <cstdlib>
#include <memory>

namespace {
std::unique_ptr<platform::Window> g_window;
}

void SceneTest::SetUpTestSuite()
{
    if (g_window)
        return;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ASSERT_TRUE(platform::Init());
    platform::WindowSettings settings;
    settings.title = "scene test";
    settings.swapInterval = 0;
    g_window = platform::Window::Create(settings);
    ASSERT_NE(g_window, nullptr);
    RwGraphics::Instance()->SetScreenSize(800, 600);
    ASSERT_TRUE(RwGraphics::Instance()->Initialise(g_window->GetSDLWindow()));
}

void SceneTest::TearDownTestSuite()
{
    RwGraphics::Instance()->Destroy();
    g_window.reset();
    platform::Shutdown();
}

void SceneTest::SetUp()
{
    ASSERT_TRUE(RwGraphics::Instance()->IsInitialised());
    RwRenderStateReset();
}

platform::Window* SceneTest::Window()
{
    return g_window.get();
}

SceneTest::Pixels SceneTest::Read(RwRaster* raster)
{
    Pixels pixels;
    RwImage* image = RwImageCreate(raster->width, raster->height, 32);
    if (RwImageSetFromRaster(image, raster)) {
        pixels.width = image->width;
        pixels.height = image->height;
        pixels.data.resize(size_t(image->width) * image->height * 4);
        for (int y = 0; y < image->height; ++y)
            std::copy_n(image->pixels + size_t(y) * image->stride, size_t(image->width) * 4,
                        &pixels.data[size_t(y) * image->width * 4]);
    }
    RwImageDestroy(image);
    return pixels;
}

void SceneTest::Square3D(float z, float s, RwRGBA c)
{
    const RwUInt32 colour = RwPackColor(c.red, c.green, c.blue, c.alpha);
    RwIm3DVertex v[4] = {{{-s, -s, z}, {0, 0, -1}, colour, 0, 0},
                         {{s, -s, z}, {0, 0, -1}, colour, 0, 0},
                         {{s, s, z}, {0, 0, -1}, colour, 0, 0},
                         {{-s, s, z}, {0, 0, -1}, colour, 0, 0}};
    const RwImVertexIndex indices[6] = {0, 1, 2, 0, 2, 3};
    RwRenderStateSet(rwRenderStateCullMode, rwCullNone);
    if (RwIm3DTransform(v, 4, nullptr, 0)) {
        RwIm3DRenderIndexedPrimitive(rwPrimTypeTriList, indices, 6);
        RwIm3DEnd();
    }
}

::testing::AssertionResult PixelIs(const uint8_t* p, RwRGBA want, int tolerance)
{
    const int got[4] = {p[0], p[1], p[2], p[3]};
    const int expected[4] = {want.red, want.green, want.blue, want.alpha};
    for (int i = 0; i < 4; ++i)
        if (std::abs(got[i] - expected[i]) > tolerance)
            return ::testing::AssertionFailure() << "pixel (" << got[0] << ", " << got[1] << ", " << got[2]
                                                 << ", " << got[3] << "), wanted (" << expected[0] << ", "
                                                 << expected[1] << ", " << expected[2] << ", " << expected[3]
                                                 << ")";
    return ::testing::AssertionSuccess();
}
