#pragma once

// Scene test support: the renderer on the null device, and the images, files and tables the
// tests make.

#include <gtest/gtest.h>

#include "engine/core/RwCore.h"
#include "engine/world/RpWorld.h"
#include "framework/Vector.h"
#include "scene/Camera.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The renderer on the null device over the shared offscreen window, at 800 x 600: the engine
// with the scene's plugins and the game's file layer under it, recording instead of drawing.
class SceneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
};

struct ImageDeleter {
    void operator()(RwImage* image) const { RwImageDestroy(image); }
};
using Image = std::unique_ptr<RwImage, ImageDeleter>;
// A depth-32 image whose pixel (x, y) the function gives.
Image MakeImage(int width, int height, const std::function<RwRGBA(int, int)>& pixel);
// The raster's pixel as red, green, blue, alpha; empty when the raster cannot be read.
std::vector<uint8_t> PixelOf(RwRaster* raster, int x, int y);

Vector3 V(const RwV3d& v);
::testing::AssertionResult Near(const Vector3& got, const Vector3& want, float tolerance = 1e-4f);

// Written through the engine's file stream.
void WriteEngineFile(const char* path, const std::function<bool(RwStream*)>& write);
std::string ReadText(const std::string& path);
// Writes or reads the object's table through the game's file layer.
void SerializeTable(Object& object, const char* path, const char* name, bool writing);
