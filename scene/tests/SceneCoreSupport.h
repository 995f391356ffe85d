#pragma once

// The engine on the null device with the scene's plugins, the game's file layer under it and
// a capture of the log, for scene tests where pixels add nothing.

#include <gtest/gtest.h>

#include "engine/core/NullDevice.h"
#include "engine/core/RwCore.h"
#include "engine/plugins/RpPlugins.h"
#include "engine/world/RpWorld.h"
#include "framework/Debug.h"
#include "framework/engine_bridge/EngineBridge.h"
#include "scene/EnginePlugins.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace scenetest {

class LogLines : public DebugSink {
public:
    LogLines() : m_previous(Debug::Instance()->GetSink()) { Debug::Instance()->SetSink(this); }
    ~LogLines() override { Debug::Instance()->SetSink(m_previous); }
    void OnLog(const char* text) override { lines.emplace_back(text); }
    int Count(const std::string& part) const
    {
        int n = 0;
        for (const std::string& line : lines)
            n += line.find(part) != std::string::npos;
        return n;
    }
    std::vector<std::string> lines;

private:
    DebugSink* m_previous;
};

class NullSceneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const RwEngineOpenParams params{nullptr, rwDeviceNull};
        ASSERT_TRUE(RwEngineInit(nullptr, 0, 0x100000));
        ASSERT_TRUE(AttachEnginePlugins());
        ASSERT_TRUE(RwEngineOpen(&params));
        ASSERT_TRUE(RwEngineStart());
        RegisterEngineImageFormats();
        ASSERT_TRUE(RtFSManagerOpen(-1));
        ASSERT_TRUE(RwInstallFileSystem());
    }
    static void TearDownTestSuite()
    {
        VantaroFileSystem::Uninstall();
        RtFSManagerClose();
        RwEngineStop();
        RwEngineClose();
        RwEngineTerm();
    }
    void SetUp() override
    {
        RwError error;
        RwErrorGet(&error);
        RwNullDeviceGet()->ClearLog();
        errorsBefore = Debug::Instance()->GetErrorCount();
    }
    int NewErrors() const { return Debug::Instance()->GetErrorCount() - errorsBefore; }

    int errorsBefore = 0;
};

inline RpMaterial* MakeMaterial(RwRGBA colour)
{
    RpMaterial* material = RpMaterialCreate();
    RpMaterialSetColor(material, &colour);
    return material;
}

// A cube of half size `half` around `centre`, lit by dynamic lights, one material of the colour
// (which the draws carry when the geometry modulates by it).
inline RpGeometry* MakeCube(RwV3d centre, float half, RwRGBA colour,
                            RwUInt32 extraFlags = rpGeometryModulateMaterialColor)
{
    RpGeometry* g = RpGeometryCreate(8, 12, rpGeometryNormals | rpGeometryLight | extraFlags);
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
    RpMaterial* material = MakeMaterial(colour);
    RpGeometryAddMaterial(g, material);
    RpMaterialDestroy(material);
    return g;
}

// Every geometry on the root frame, which the matrix places.
inline RpClump* MakeClump(const std::vector<RpGeometry*>& geometries, const RwMatrix* placement = nullptr)
{
    RpClump* clump = RpClumpCreate();
    RwFrame* root = RwFrameCreate();
    if (placement)
        RwFrameTransform(root, placement, rwCombineReplace);
    RpClumpSetFrame(clump, root);
    for (RpGeometry* geometry : geometries) {
        RpAtomic* atomic = RpAtomicCreate();
        RpAtomicSetGeometry(atomic, geometry);
        RpGeometryDestroy(geometry);
        RpAtomicSetFrame(atomic, root);
        RpClumpAddAtomic(clump, atomic);
    }
    return clump;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    const std::filesystem::path p(path);
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes through the engine's own writer into a memory stream, then to the file.
template <typename T, typename Writer>
void WriteWithEngine(const std::string& path, const T* object, Writer write)
{
    RwMemory memory{nullptr, 0};
    RwStream* stream = RwStreamOpen(rwStreamMemory, rwStreamWrite, &memory);
    ASSERT_NE(write(object, stream), nullptr);
    RwStreamClose(stream, &memory);
    WriteBytes(path, std::vector<uint8_t>(memory.start, memory.start + memory.length));
    std::free(memory.start);
}

inline void WriteClumpFile(const std::string& path, const RpClump* clump)
{
    WriteWithEngine(path, clump, RpClumpStreamWrite);
}

// A camera with a 64 x 64 frame buffer at the origin looking along +z.
struct TestCamera {
    TestCamera()
    {
        camera = RwCameraCreate();
        frame = RwFrameCreate();
        raster = RwRasterCreate(64, 64, 0, rwRasterTypeCamera);
        RwObjectHasFrameSetFrame(camera, frame);
        RwCameraSetRaster(camera, raster);
        RwCameraSetFarClipPlane(camera, 1000.0f);
    }
    ~TestCamera()
    {
        if (RpWorld* world = RwCameraGetWorld(camera))
            RpWorldRemoveCamera(world, camera);
        RwCameraSetRaster(camera, nullptr);
        RwRasterDestroy(raster);
        RwObjectHasFrameSetFrame(camera, nullptr);
        RwFrameDestroy(frame);
        RwCameraDestroy(camera);
    }
    template <typename F>
    void Draw(F draw)
    {
        ASSERT_NE(RwCameraBeginUpdate(camera), nullptr);
        draw();
        RwCameraEndUpdate(camera);
    }
    RwCamera* camera;
    RwFrame* frame;
    RwRaster* raster;
};

inline std::vector<RwNullDrawRecord> MeshDraws()
{
    std::vector<RwNullDrawRecord> meshes;
    for (const RwNullDrawRecord& draw : RwNullDeviceGet()->draws)
        if (draw.isMesh)
            meshes.push_back(draw);
    return meshes;
}

}  // namespace scenetest
