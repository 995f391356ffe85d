#pragma once

#include "engine/core/RwCore.h"
#include "engine/gl/GLDevice.h"
#include "tests/support/OffscreenEngine.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

// Pixel colours as written in the tests: 0xAARRGGBB.
constexpr uint32_t Argb(int a, int r, int g, int b)
{
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// A wanted pixel; a channel of -1 is not checked.
struct Rgba {
    int r, g, b, a;
};
::testing::AssertionResult PixelNear(const uint8_t* pixel, Rgba want, int tolerance = 2);

// A pixel a picture must hold, within the tolerance per channel.
struct Probe {
    int x, y;
    Rgba want;
    int tolerance = 0;
};

// Into the camera being updated: a screen rectangle as two triangles, one colour, UVs 0..1 over it.
void Rect2D(float x, float y, float w, float h, uint32_t colour);
// A square with normal -z at distance z, half size s, centred on the view axis before the
// object matrix (null: identity) moves it.
void Square3D(float z, float s, uint32_t colour, const RwMatrix* ltm = nullptr);

// The engine on the GL device over the shared offscreen window, once per test program; each
// test starts from the default render states. Tests skip where the machine has no GL 3.3.
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
    // A camera with rasters of its own (camera or camera texture), destroyed by TearDown.
    TestCamera MakeCamera(int width, int height, bool withZ = true, bool asTexture = false);
    // A texture raster filled from 0xAARRGGBB pixels, rows top first; destroyed by TearDown.
    RwRaster* MakeTexture(int width, int height, const std::vector<uint32_t>& argb, RwInt32 format = 0);
    struct Pixels {
        int width = 0, height = 0;
        std::vector<uint8_t> data;
        const uint8_t* at(int x, int y) const { return &data[(size_t(y) * width + x) * 4]; }
    };
    static Pixels Read(RwRaster* raster);
    static ::testing::AssertionResult Holds(const Pixels& pixels, const std::vector<Probe>& probes);
    static void Clear(RwCamera* camera, RwRGBA colour, RwInt32 mode = rwCameraClearImage | rwCameraClearZ);
    // Clears the camera, then draws between its begin and end update.
    static void Draw(RwCamera* camera, RwRGBA background, const std::function<void()>& draw);

private:
    std::vector<TestCamera> m_cameras;
    std::vector<RwRaster*> m_rasters;
};
