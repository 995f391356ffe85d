#include "support/GLEngineFixture.h"

namespace {
bool s_open = false;
}

void GLEngineTest::SetUpTestSuite()
{
    GLTestWindow* window = GLTestWindow::Get(800, 600);
    if (!window)
        return;
    const RwEngineOpenParams params{window->window()->GetSDLWindow(), rwDeviceGL};
    s_open = RwEngineInit(nullptr, 0, 0x100000) && RwEngineOpen(&params) && RwEngineStart();
}

void GLEngineTest::TearDownTestSuite()
{
    if (s_open) {
        RwEngineStop();
        RwEngineClose();
        RwEngineTerm();
        s_open = false;
    }
    GLTestWindow::Close();
}

GLDevice* GLEngineTest::Device()
{
    RwDevice* device = RwDeviceGetCurrent();
    return device && device->GetKind() == rwDeviceGL ? static_cast<GLDevice*>(device) : nullptr;
}

void GLEngineTest::SetUp()
{
    if (!s_open || !Device())
        GTEST_SKIP() << "no OpenGL 3.3 engine on this machine";
    RwRenderStateReset();
    RwD3D8SetRenderState(rwD3D8RenderStateZBias, 0);
}

void GLEngineTest::TearDown()
{
    for (TestCamera& c : m_cameras) {
        if (RwCameraGetCurrentCamera() == c.camera)
            RwCameraEndUpdate(c.camera);
        RwObjectHasFrameSetFrame(c.camera, nullptr);
        RwCameraDestroy(c.camera);
        RwFrameDestroy(c.frame);
    }
    // Sub-rasters first: they live in their parents' storage.
    for (auto it = m_rasters.rbegin(); it != m_rasters.rend(); ++it)
        RwRasterDestroy(*it);
    m_cameras.clear();
    m_rasters.clear();
}

GLEngineTest::TestCamera GLEngineTest::MakeCamera(int width, int height, bool withZ,
                                                  bool asTexture)
{
    TestCamera c;
    c.raster = RwRasterCreate(width, height, 0,
                              asTexture ? rwRasterTypeCameraTexture : rwRasterTypeCamera);
    EXPECT_NE(c.raster, nullptr);
    m_rasters.push_back(c.raster);
    if (withZ) {
        c.zRaster = RwRasterCreate(width, height, 0, rwRasterTypeZBuffer);
        EXPECT_NE(c.zRaster, nullptr);
        m_rasters.push_back(c.zRaster);
    }
    c.frame = RwFrameCreate();
    c.camera = RwCameraCreate();
    RwCameraSetRaster(c.camera, c.raster);
    RwCameraSetZRaster(c.camera, c.zRaster);
    RwObjectHasFrameSetFrame(c.camera, c.frame);
    m_cameras.push_back(c);
    return c;
}

GLEngineTest::TestCamera GLEngineTest::MakeSubCamera(const TestCamera& parent, RwRect rect)
{
    TestCamera c;
    c.raster = RwRasterCreate(0, 0, 0, rwRasterTypeCamera);
    EXPECT_NE(RwRasterSubRaster(c.raster, parent.raster, &rect), nullptr);
    m_rasters.push_back(c.raster);
    if (parent.zRaster) {
        c.zRaster = RwRasterCreate(0, 0, 0, rwRasterTypeZBuffer);
        EXPECT_NE(RwRasterSubRaster(c.zRaster, parent.zRaster, &rect), nullptr);
        m_rasters.push_back(c.zRaster);
    }
    c.frame = RwFrameCreate();
    c.camera = RwCameraCreate();
    RwCameraSetRaster(c.camera, c.raster);
    RwCameraSetZRaster(c.camera, c.zRaster);
    RwObjectHasFrameSetFrame(c.camera, c.frame);
    m_cameras.push_back(c);
    return c;
}

RwRaster* GLEngineTest::MakeTexture(int width, int height, const std::vector<uint32_t>& argb,
                                    RwInt32 format)
{
    RwImage* image = RwImageCreate(width, height, 32);
    RwImageAllocatePixels(image);
    for (int i = 0; i < width * height; ++i) {
        uint8_t* p = image->pixels + size_t(i / width) * image->stride + size_t(i % width) * 4;
        p[0] = uint8_t(argb[i] >> 16);
        p[1] = uint8_t(argb[i] >> 8);
        p[2] = uint8_t(argb[i]);
        p[3] = uint8_t(argb[i] >> 24);
    }
    RwRaster* raster = RwRasterCreate(width, height, 32, rwRasterTypeTexture | format);
    EXPECT_NE(raster, nullptr);
    EXPECT_NE(RwRasterSetFromImage(raster, image), nullptr);
    RwImageDestroy(image);
    m_rasters.push_back(raster);
    return raster;
}

GLEngineTest::Pixels GLEngineTest::Read(RwRaster* raster)
{
    Pixels out;
    RwImage* image = RwImageCreate(raster->width, raster->height, 32);
    RwImageAllocatePixels(image);
    if (RwImageSetFromRaster(image, raster)) {
        out.width = image->width;
        out.height = image->height;
        out.data.resize(size_t(out.width) * out.height * 4);
        for (int y = 0; y < out.height; ++y)
            std::copy(image->pixels + size_t(y) * image->stride,
                      image->pixels + size_t(y) * image->stride + size_t(out.width) * 4,
                      out.data.begin() + size_t(y) * out.width * 4);
    }
    RwImageDestroy(image);
    return out;
}

void GLEngineTest::Clear(RwCamera* camera, RwRGBA colour, RwInt32 mode)
{
    EXPECT_NE(RwCameraClear(camera, &colour, mode), nullptr);
}

void GLEngineTest::Rect2D(float x, float y, float w, float h, uint32_t colour)
{
    const float z = RwIm2DGetNearScreenZ();
    RwIm2DVertex v[4] = {
        {x, y, z, 1, colour, 0, 0},
        {x + w, y, z, 1, colour, 1, 0},
        {x + w, y + h, z, 1, colour, 1, 1},
        {x, y + h, z, 1, colour, 0, 1},
    };
    const RwImVertexIndex indices[6] = {3, 2, 0, 2, 1, 0};
    EXPECT_TRUE(RwIm2DRenderIndexedPrimitive(rwPrimTypeTriList, v, 4, indices, 6));
}

void GLEngineTest::Square3D(float z, float s, uint32_t colour)
{
    RwIm3DVertex v[4] = {
        {{-s, -s, z}, {0, 0, -1}, colour, 0, 1},
        {{s, -s, z}, {0, 0, -1}, colour, 1, 1},
        {{s, s, z}, {0, 0, -1}, colour, 1, 0},
        {{-s, s, z}, {0, 0, -1}, colour, 0, 0},
    };
    const RwImVertexIndex indices[6] = {0, 1, 2, 0, 2, 3};
    ASSERT_NE(RwIm3DTransform(v, 4, nullptr, rwIm3DVertexUV), nullptr);
    EXPECT_TRUE(RwIm3DRenderIndexedPrimitive(rwPrimTypeTriList, indices, 6));
    RwIm3DEnd();
}
