#pragma once

// What the scene's tests share: the renderer on the null device, files and tables.

#include <gtest/gtest.h>

#include "engine/core/NullDevice.h"
#include "engine/core/RwCore.h"
#include "framework/Vector.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Object;

// The renderer on the null device over the shared offscreen window, at 800 x 600: the engine
// with the scene's plugins and the game's file layer under it, recording instead of drawing.
class SceneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
};

class PrimaryCamera;

// The renderer on the GL device over the shared offscreen window, at the size a fixture sets
// in its constructor (800 x 600 unless it does), with the primary camera's near plane at 0.1,
// its far plane at 100 and a 1 x 1 view window. Skipped on a machine without GL 3.3.
class SceneGLTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The RGBA of the primary camera's pixel at x, y.
    std::vector<uint8_t> At(int x, int y) const;

    int width = 800, height = 600;
    PrimaryCamera* camera = nullptr;
};

using Image = std::unique_ptr<RwImage, decltype(&RwImageDestroy)>;

Vector3 V(const RwV3d& v);
::testing::AssertionResult Near(const Vector3& got, const Vector3& want, float tolerance = 1e-4f);

// A 2 x 1 texture of the two RGBA texels, left then right; null when the engine refuses it.
RwRaster* TwoTexelTexture(const uint8_t (&texels)[8]);

// Written through the engine's file stream.
void WriteEngineFile(const char* path, const std::function<bool(RwStream*)>& write);
// Writes or reads the object's table through the game's file layer.
void SerializeTable(Object& object, const char* path, const char* name, bool writing);
// The table as the text serializer writes it, and read back from such a text.
std::string WrittenTable(Object& object);
void ReadTable(Object& object, const std::string& text);
// The text with the first line holding the key given the new value.
std::string ReplaceValue(std::string text, const std::string& key, const std::string& value);

// A small image file of one colour, for texture and frame tests.
void WriteImage(const char* path, int width, int height, RwRGBA colour);
// A flat n x n grid of quads at the height, two triangles each, with one material whose
// texture is the named image in the folder (none for an empty name); pre-lit when asked.
// Written as a one-atomic clump file.
void WriteGridModel(const char* path, int n, float height, const char* folder, const char* texture, bool prelit);
// What the null device recorded while the primary camera drew.
std::vector<RwNullDrawRecord> Drawn(const std::function<void()>& draw);
