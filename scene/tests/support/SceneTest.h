#pragma once

#include <gtest/gtest.h>

#include "engine/core/RwCore.h"

#include <cstdint>
#include <vector>

namespace platform {
class Window;
}

// The renderer started once per test program on an 800 x 600 offscreen window.
class SceneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    static platform::Window* Window();

    struct Pixels {
        int width = 0, height = 0;
        std::vector<uint8_t> data;
        const uint8_t* at(int x, int y) const { return &data[(size_t(y) * width + x) * 4]; }
    };
    static Pixels Read(RwRaster* raster);
    // A square facing a camera at the origin looking down +z: distance z, half size s.
    static void Square3D(float z, float s, RwRGBA colour);
};

::testing::AssertionResult PixelIs(const uint8_t* pixel, RwRGBA want, int tolerance = 2);
