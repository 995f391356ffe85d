#include "support/SceneTest.h"

#include "engine/world/RpWorld.h"
#include "framework/AsciiSerializer.h"
#include "framework/FileSystem.h"
#include "framework/Object.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "tests/support/OffscreenEngine.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

void SceneTest::SetUpTestSuite()
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetDeviceKind(rwDeviceNull);
    graphics->SetScreenSize(800, 600);
    ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));
}

void SceneTest::TearDownTestSuite()
{
    RwGraphics::Instance()->Destroy();
    CloseOffscreenWindow();
}

Vector3 V(const RwV3d& v)
{
    return {v.x, v.y, v.z};
}

::testing::AssertionResult Near(const Vector3& got, const Vector3& want, float tolerance)
{
    if ((got - want).Length() <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.x << ", " << got.y << ", " << got.z << ")";
}

void WriteEngineFile(const char* path, const std::function<bool(RwStream*)>& write)
{
    RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamWrite, path);
    ASSERT_NE(stream, nullptr) << path;
    EXPECT_TRUE(write(stream)) << path;
    EXPECT_TRUE(RwStreamClose(stream, nullptr)) << path;
}

void SerializeTable(Object& object, const char* path, const char* name, bool writing)
{
    File* file = writing ? FileSystem::Instance()->OpenWrite(path) : FileSystem::Instance()->OpenRead(path);
    ASSERT_NE(file, nullptr) << path;
    // The serializer is done with the file before it closes.
    object.Serialize(*std::make_unique<AsciiSerializer>(file, writing), name);
    EXPECT_TRUE(FileSystem::Instance()->Close(file) || !writing) << path;
}

std::string WrittenTable(Object& object)
{
    SerializeTable(object, "table.txt", "test", true);
    std::ifstream in("table.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void ReadTable(Object& object, const std::string& text)
{
    std::ofstream("table.txt") << text;
    SerializeTable(object, "table.txt", "test", false);
}

std::string ReplaceValue(std::string text, const std::string& key, const std::string& value)
{
    const size_t at = text.find("\"" + key + "\"");
    EXPECT_NE(at, std::string::npos) << key;
    if (at == std::string::npos)
        return text;
    const size_t start = at + key.size() + 2, end = text.find('\n', start);
    return text.replace(start, end - start, " " + value);
}

void WriteImage(const char* path, int width, int height, RwRGBA colour)
{
    std::string folder = path;
    std::replace(folder.begin(), folder.end(), '\\', '/');
    if (const size_t slash = folder.rfind('/'); slash != std::string::npos)
        std::filesystem::create_directories(folder.substr(0, slash));
    Image image(RwImageAllocatePixels(RwImageCreate(width, height, 32)), RwImageDestroy);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            *reinterpret_cast<RwRGBA*>(image->pixels + y * image->stride + x * 4) = colour;
    ASSERT_TRUE(RwImageWrite(image.get(), path)) << path;
}

void WriteGridModel(const char* path, int n, float height, const char* folder, const char* texture, bool prelit)
{
    const int side = n + 1;
    const RwUInt32 flags = rpGeometryTextured | (prelit ? RwUInt32{rpGeometryPrelit} : 0u);
    RpGeometry* g = RpGeometryCreate(side * side, 2 * n * n, flags);
    for (int i = 0; i < side * side; ++i) {
        const float x = static_cast<float>(i % side), z = static_cast<float>(i / side);
        g->morphTarget[0].verts[i] = {x, height, z};
        g->texCoords[0][i] = {x / static_cast<float>(n), z / static_cast<float>(n)};
        if (prelit)
            g->preLitLum[i] = {255, 255, 255, 255};
    }
    for (int q = 0; q < n * n; ++q) {
        const auto corner = static_cast<RwUInt16>(q % n + (q / n) * side);
        const auto up = static_cast<RwUInt16>(corner + side);
        g->triangles[2 * q] = {{corner, static_cast<RwUInt16>(corner + 1), up}, 0};
        g->triangles[2 * q + 1] = {{static_cast<RwUInt16>(corner + 1), static_cast<RwUInt16>(up + 1), up}, 0};
    }
    RpMorphTargetCalcBoundingSphere(&g->morphTarget[0], nullptr);
    RpMaterial* material = RpMaterialCreate();
    if (texture && *texture) {
        RwImageSetPath(folder);
        RwTexture* image = RwTextureRead(texture, nullptr);
        EXPECT_NE(image, nullptr) << texture;
        RpMaterialSetTexture(material, image);
        if (image)
            RwTextureDestroy(image);
    }
    RpGeometryAddMaterial(g, material);
    RpMaterialDestroy(material);
    RpClump* clump = RpClumpCreate();
    RwFrame* root = RwFrameCreate();
    RpClumpSetFrame(clump, root);
    RpClumpAddAtomic(clump, RpAtomicSetFrame(RpAtomicSetGeometry(RpAtomicCreate(), g), root));
    RpGeometryDestroy(g);
    WriteEngineFile(path, [&](RwStream* stream) { return RpClumpStreamWrite(clump, stream) != nullptr; });
    RpClumpDestroy(clump);
}

std::vector<RwNullDrawRecord> Drawn(const std::function<void()>& draw)
{
    PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    RwNullDeviceGet()->ClearLog();
    EXPECT_TRUE(camera->BeginUpdate());
    draw();
    camera->EndUpdate();
    return RwNullDeviceGet()->draws;
}

void SceneGLTest::SetUp()
{
    if (!OffscreenWindow())
        GTEST_SKIP() << "no GL 3.3 on this machine";
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetDeviceKind(rwDeviceGL);
    graphics->SetScreenSize(width, height);
    ASSERT_TRUE(graphics->Initialise(OffscreenWindow()));
    camera = graphics->GetPrimaryCamera();
    camera->SetClipPlanes(0.1f, 100.0f);
    camera->SetViewWindow(1.0f, 1.0f);
}

void SceneGLTest::TearDown()
{
    RwGraphics::Instance()->Destroy();
    CloseOffscreenWindow();
}

RwRaster* TwoTexelTexture(const uint8_t (&texels)[8])
{
    Image image(RwImageAllocatePixels(RwImageCreate(2, 1, 32)), RwImageDestroy);
    std::copy(texels, texels + 8, image->pixels);
    RwRaster* texture = RwRasterCreate(2, 1, 32, rwRasterTypeTexture);
    if (texture && !RwRasterSetFromImage(texture, image.get())) {
        RwRasterDestroy(texture);
        return nullptr;
    }
    return texture;
}

std::vector<uint8_t> SceneGLTest::At(int x, int y) const
{
    RwRaster* raster = camera->GetRaster();
    Image image(RwImageAllocatePixels(RwImageCreate(raster->width, raster->height, 32)), RwImageDestroy);
    RwImageSetFromRaster(image.get(), raster);
    const uint8_t* p = image->pixels + y * image->stride + x * 4;
    return std::vector<uint8_t>(p, p + 4);
}
