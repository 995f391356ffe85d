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

DrawCamera::DrawCamera()
{
    Create(64, 64, false, false, 0, 0);
    SetClipPlanes(0.1f, 1000.0f);
}

std::vector<RwNullDrawRecord> DrawCamera::Draw(const std::function<void()>& draw)
{
    RwNullDeviceGet()->ClearLog();
    EXPECT_TRUE(BeginUpdate());
    draw();
    EndUpdate();
    std::vector<RwNullDrawRecord> meshes;
    for (const RwNullDrawRecord& record : RwNullDeviceGet()->draws)
        if (record.isMesh)
            meshes.push_back(record);
    return meshes;
}

Image MakeImage(int width, int height, const std::function<RwRGBA(int, int)>& pixel)
{
    Image image(RwImageAllocatePixels(RwImageCreate(width, height, 32)));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const RwRGBA c = pixel(x, y);
            const RwUInt8 bytes[4] = {c.red, c.green, c.blue, c.alpha};
            std::copy_n(bytes, 4, image->pixels + y * image->stride + x * 4);
        }
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

RpGeometry* MakeCube(Vector3 centre, float half, RwRGBA colour)
{
    RpGeometry* g = RpGeometryCreate(8, 12, rpGeometryNormals | rpGeometryLight);
    for (int i = 0; i < 8; ++i) {
        const RwV3d corner{(i & 1) ? half : -half, (i & 2) ? half : -half, (i & 4) ? half : -half};
        g->morphTarget[0].verts[i] = {centre.x + corner.x, centre.y + corner.y, centre.z + corner.z};
        RwV3dNormalize(&g->morphTarget[0].normals[i], &corner);
    }
    static const RwUInt16 faces[12][3] = {{0, 2, 1}, {1, 2, 3}, {4, 5, 6}, {5, 7, 6}, {0, 1, 4}, {1, 5, 4},
                                          {2, 6, 3}, {3, 6, 7}, {0, 4, 2}, {2, 4, 6}, {1, 3, 5}, {3, 7, 5}};
    for (int t = 0; t < 12; ++t)
        g->triangles[t] = {{faces[t][0], faces[t][1], faces[t][2]}, 0};
    RpMorphTargetCalcBoundingSphere(&g->morphTarget[0], nullptr);
    RpMaterial* material = RpMaterialCreate();
    RpMaterialSetColor(material, &colour);
    RpGeometryAddMaterial(g, material);
    RpMaterialDestroy(material);
    return g;
}

RpClump* MakeClump(const std::vector<RpGeometry*>& geometries, const RwMatrix* placement)
{
    RpClump* clump = RpClumpCreate();
    RpClumpSetFrame(clump, RwFrameCreate());
    if (placement)
        RwFrameTransform(RpClumpGetFrame(clump), placement, rwCombineReplace);
    for (RpGeometry* geometry : geometries) {
        RpAtomic* atomic = RpAtomicCreate();
        RpAtomicSetGeometry(atomic, geometry);
        RpGeometryDestroy(geometry);
        RpAtomicSetFrame(atomic, RpClumpGetFrame(clump));
        RpClumpAddAtomic(clump, atomic);
    }
    return clump;
}

void WriteEngineFile(const char* path, const std::function<bool(RwStream*)>& write)
{
    RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamWrite, path);
    ASSERT_NE(stream, nullptr) << path;
    EXPECT_TRUE(write(stream)) << path;
    EXPECT_TRUE(RwStreamClose(stream, nullptr)) << path;
}

void WriteClumpFile(const char* path, RpClump* clump)
{
    WriteEngineFile(path, [&](RwStream* stream) { return RpClumpStreamWrite(clump, stream) != nullptr; });
    RpClumpDestroy(clump);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
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
