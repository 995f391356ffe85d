#pragma once

#include "support/WorldTestSupport.h"

#include <memory>

namespace platform {
class Window;
}

namespace worldtest {

// The engine on the GL device over a hidden 800 x 600 window (offscreen driver unless the
// caller chose one), opened once per test program, and one 128 x 128 camera at the origin
// looking along +z, in a world of its own.
class WorldGLTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    struct Pixels {
        int width = 0, height = 0;
        std::vector<uint8_t> data;
        const uint8_t* At(int x, int y) const { return &data[(size_t(y) * width + size_t(x)) * 4]; }
    };
    Pixels Read() const;
    // The pixel a world point lands on.
    const uint8_t* PixelOf(const Pixels& pixels, RwV3d world) const;
    void Clear(RwRGBA colour);
    template <typename F>
    void Draw(F draw)
    {
        ASSERT_NE(RwCameraBeginUpdate(camera), nullptr);
        draw();
        RwCameraEndUpdate(camera);
    }
    RwTexture* MakeTexture(const char* name, int width, int height, const std::vector<RwRGBA>& texels);

    static constexpr int kSize = 128;
    RwCamera* camera = nullptr;
    RwFrame* frame = nullptr;
    RwRaster* raster = nullptr;
    RwRaster* zRaster = nullptr;
    RpWorld* world = nullptr;
};

}  // namespace worldtest
