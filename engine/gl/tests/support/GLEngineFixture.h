#pragma once

#include <gtest/gtest.h>

#include "engine/core/RwCore.h"
#include "engine/gl/GLDevice.h"
#include "support/GLTestWindow.h"

#include <cstdint>
#include <vector>

// The engine opened once per test program on the GL device over an 800 x 600 platform
// window. Each test starts from the default render states.
class GLEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static GLDevice* Device();

    struct TestCamera {
        RwCamera* camera = nullptr;
        RwFrame* frame = nullptr;
        RwRaster* raster = nullptr;
        RwRaster* zRaster = nullptr;
    };
    // A camera with its own rasters (type camera or camera texture), destroyed by TearDown.
    TestCamera MakeCamera(int width, int height, bool withZ = true, bool asTexture = false);
    // A camera drawing into a rectangle of another camera's rasters.
    TestCamera MakeSubCamera(const TestCamera& parent, RwRect rect);
    // A texture raster filled from RGBA rows, destroyed by TearDown.
    RwRaster* MakeTexture(int width, int height, const std::vector<uint32_t>& rgba,
                          RwInt32 format = 0);

    struct Pixels {
        int width = 0, height = 0;
        std::vector<uint8_t> data;
        const uint8_t* at(int x, int y) const { return &data[(size_t(y) * width + x) * 4]; }
    };
    static Pixels Read(RwRaster* raster);

    static void Clear(RwCamera* camera, RwRGBA colour, RwInt32 mode = 3);
    // Screen rectangle as two triangles, one colour (0xAARRGGBB), UVs 0..1 over it.
    static void Rect2D(float x, float y, float w, float h, uint32_t colour);
    // A square facing the camera at distance z, half size s, centred on the view axis.
    static void Square3D(float z, float s, uint32_t colour);

private:
    std::vector<TestCamera> m_cameras;
    std::vector<RwRaster*> m_rasters;
};

// Pixel colours as written in the tests: 0xAARRGGBB.
constexpr uint32_t Argb(int a, int r, int g, int b)
{
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}
