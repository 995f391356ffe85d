#include "support/GLTestSupport.h"

#include <cstdlib>
#include <memory>

namespace {
std::unique_ptr<ScopedEngine> s_engine;
}

::testing::AssertionResult PixelNear(const uint8_t* p, Rgba want, int tolerance)
{
    const int expected[4] = {want.r, want.g, want.b, want.a};
    for (int i = 0; i < 4; ++i)
        if (expected[i] >= 0 && std::abs(p[i] - expected[i]) > tolerance)
            return ::testing::AssertionFailure() << "pixel (" << +p[0] << ", " << +p[1] << ", " << +p[2] << ", "
                                                 << +p[3] << "), wanted (" << want.r << ", " << want.g << ", "
                                                 << want.b << ", " << want.a << ")";
    return ::testing::AssertionSuccess();
}

void GLEngineTest::SetUpTestSuite()
{
    s_engine = std::make_unique<ScopedEngine>(rwDeviceGL);
}

void GLEngineTest::TearDownTestSuite()
{
    s_engine.reset();
    CloseOffscreenWindow();
}

GLDevice* GLEngineTest::Device()
{
    RwDevice* device = RwDeviceGetCurrent();
    return device && device->GetKind() == rwDeviceGL ? static_cast<GLDevice*>(device) : nullptr;
}

void GLEngineTest::SetUp()
{
    if (!OffscreenWindow())
        GTEST_SKIP() << "no OpenGL 3.3 on this machine";
    // With a window, an engine that did not start is a fault, not a reason to skip.
    ASSERT_TRUE(s_engine && s_engine->IsOpen() && Device());
    RwRenderStateReset();
}

void GLEngineTest::TearDown()
{
    for (TestCamera& c : m_cameras) {
        RwCameraEndUpdate(c.camera);
        RwCameraDestroy(c.camera);
        RwFrameDestroy(c.frame);
    }
    // Sub-rasters first: they live in their parents' storage.
    for (auto it = m_rasters.rbegin(); it != m_rasters.rend(); ++it)
        RwRasterDestroy(*it);
    m_cameras.clear();
    m_rasters.clear();
}

GLEngineTest::TestCamera GLEngineTest::MakeCamera(int width, int height, bool withZ, bool asTexture)
{
    TestCamera c{RwCameraCreate(), RwFrameCreate(),
                 RwRasterCreate(width, height, 0, asTexture ? rwRasterTypeCameraTexture : rwRasterTypeCamera),
                 withZ ? RwRasterCreate(width, height, 0, rwRasterTypeZBuffer) : nullptr};
    EXPECT_NE(c.raster, nullptr);
    m_rasters.insert(m_rasters.end(), {c.raster, c.zRaster});
    RwCameraSetRaster(c.camera, c.raster);
    RwCameraSetZRaster(c.camera, c.zRaster);
    RwObjectHasFrameSetFrame(c.camera, c.frame);
    m_cameras.push_back(c);
    return c;
}

RwRaster* GLEngineTest::MakeTexture(int width, int height, const std::vector<uint32_t>& argb, RwInt32 format)
{
    RwImage* image = RwImageCreate(width, height, 32);
    RwImageAllocatePixels(image);
    for (size_t i = 0; i < argb.size(); ++i) {
        const uint32_t c = argb[i];
        const uint8_t rgba[4] = {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(c >> 24)};
        std::copy(rgba, rgba + 4, image->pixels + i * 4);
    }
    RwRaster* raster = RwRasterCreate(width, height, 32, rwRasterTypeTexture | format);
    EXPECT_NE(RwRasterSetFromImage(raster, image), nullptr);
    RwImageDestroy(image);
    m_rasters.push_back(raster);
    return raster;
}

GLEngineTest::Pixels GLEngineTest::Read(RwRaster* raster)
{
    Pixels out;
    RwImage* image = RwImageCreate(raster->width, raster->height, 32);
    if (RwImageSetFromRaster(image, raster))
        out = {image->width, image->height, {image->pixels, image->pixels + size_t(image->stride) * image->height}};
    RwImageDestroy(image);
    return out;
}

::testing::AssertionResult GLEngineTest::Holds(const Pixels& pixels, const std::vector<Probe>& probes)
{
    for (const Probe& p : probes) {
        if (p.x >= pixels.width || p.y >= pixels.height)
            return ::testing::AssertionFailure() << "(" << p.x << ", " << p.y << ") lies outside the picture";
        ::testing::AssertionResult near = PixelNear(pixels.at(p.x, p.y), p.want, p.tolerance);
        if (!near)
            return near << " at (" << p.x << ", " << p.y << ")";
    }
    return ::testing::AssertionSuccess();
}

void GLEngineTest::Clear(RwCamera* camera, RwRGBA colour, RwInt32 mode)
{
    EXPECT_NE(RwCameraClear(camera, &colour, mode), nullptr);
}

void GLEngineTest::Draw(RwCamera* camera, RwRGBA background, const std::function<void()>& draw)
{
    Clear(camera, background);
    ASSERT_NE(RwCameraBeginUpdate(camera), nullptr);
    draw();
    RwCameraEndUpdate(camera);
}

void Rect2D(float x, float y, float w, float h, uint32_t colour)
{
    const float z = RwIm2DGetNearScreenZ();
    const RwIm2DVertex v[4] = {{x, y, z, 1, colour, 0, 0}, {x + w, y, z, 1, colour, 1, 0},
                               {x + w, y + h, z, 1, colour, 1, 1}, {x, y + h, z, 1, colour, 0, 1}};
    const RwImVertexIndex indices[6] = {3, 2, 0, 2, 1, 0};
    EXPECT_TRUE(RwIm2DRenderIndexedPrimitive(rwPrimTypeTriList, v, 4, indices, 6));
}

void Square3D(float z, float s, uint32_t colour, const RwMatrix* ltm)
{
    RwIm3DVertex v[4] = {{{-s, -s, z}, {0, 0, -1}, colour, 0, 1}, {{s, -s, z}, {0, 0, -1}, colour, 1, 1},
                         {{s, s, z}, {0, 0, -1}, colour, 1, 0}, {{-s, s, z}, {0, 0, -1}, colour, 0, 0}};
    const RwImVertexIndex indices[6] = {0, 1, 2, 0, 2, 3};
    ASSERT_NE(RwIm3DTransform(v, 4, ltm, rwIm3DVertexUV), nullptr);
    EXPECT_TRUE(RwIm3DRenderIndexedPrimitive(rwPrimTypeTriList, indices, 6));
    RwIm3DEnd();
}
