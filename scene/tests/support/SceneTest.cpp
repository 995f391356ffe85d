#include "support/SceneTest.h"

#include "framework/AsciiSerializer.h"
#include "framework/FileSystem.h"
#include "scene/RwGraphics.h"
#include "tests/support/OffscreenEngine.h"

#include <fstream>

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

Image MakeImage(int width, int height, const std::function<RwRGBA(int, int)>& pixel)
{
    Image image(RwImageAllocatePixels(RwImageCreate(width, height, 32)));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            *reinterpret_cast<RwRGBA*>(image->pixels + y * image->stride + x * 4) = pixel(x, y);
    return image;
}

std::vector<uint8_t> PixelOf(RwRaster* raster, int x, int y)
{
    Image image(RwImageCreate(raster->width, raster->height, 32));
    if (!RwImageSetFromRaster(image.get(), raster))
        return {};
    const RwUInt8* p = image->pixels + y * image->stride + x * 4;
    return std::vector<uint8_t>(p, p + 4);
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

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void SerializeTable(Object& object, const char* path, const char* name, bool writing)
{
    File* file = writing ? FileSystem::Instance()->OpenWrite(path) : FileSystem::Instance()->OpenRead(path);
    ASSERT_NE(file, nullptr) << path;
    {
        AsciiSerializer serializer(file, writing);
        object.Serialize(serializer, name);
    }
    EXPECT_TRUE(FileSystem::Instance()->Close(file) || !writing) << path;
}
