#pragma once

#include "engine/core/RwCore.h"
#include "engine/world/RpCollision.h"
#include "engine/world/RpWorld.h"
#include "tests/support/OffscreenEngine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace worldtest {

// An axis-aligned box of half size `half` around the origin: 24 vertices (four per face, with
// face normals, UVs 0..1 and white where pre-lit), two triangles per face. Faces in the order
// +x, -x, +y, -y, +z, -z; face f uses material f % numMaterials. The geometry holds one
// reference to each material.
RpGeometry* MakeBox(float half, const std::vector<RpMaterial*>& materials, RwUInt32 flags);
// A quad in the z = 0 plane from (x0, y0) to (x1, y1), normal -z (towards a camera at -z looking
// at +z), UVs (0, 0) at (x0, y1) .. (1, 1) at (x1, y0).
RpGeometry* MakeQuad(float x0, float y0, float x1, float y1, RpMaterial* material, RwUInt32 flags);
// A clump of one atomic with the geometry on a root frame at the position.
RpClump* MakeClump(RpGeometry* geometry, RwV3d position = {0, 0, 0});
// A clump of one box of half size 1 at the position, over the materials (a plain one when none
// is given); the clump holds the only references to the geometry and, unless the caller kept
// its own, to the materials.
RpClump* BoxClump(RwV3d position, RwUInt32 flags = 0, const std::vector<RpMaterial*>& materials = {});
inline RpGeometry* GeometryOf(const RpClump* clump)
{
    return clump->atomics[0]->geometry;
}

// The whole chunk; empty when the writer fails.
std::vector<uint8_t> WriteClump(const RpClump* clump);
std::vector<uint8_t> WriteWorld(const RpWorld* world);
// Finds the chunk (16 or 11) in the bytes and reads it; null on failure.
RpClump* ReadClump(const std::vector<uint8_t>& bytes);
RpWorld* ReadWorld(const std::vector<uint8_t>& bytes);

// Two sectors split by the plane x = 0: sector 0 (x < 0) holds a floor square at y = 0 from
// x = -10..0, z = -10..10; sector 1 (x >= 0) holds a floor square x = 0..10 and a wall at
// x = 5 (y 0..4, z -10..10). One material.
RpWorld* MakeWallWorld();

// A size x size camera at the origin looking along +z (view window 0.5, clip planes 0.1 and
// 100) in a world of its own, for the life of the object.
struct CameraRig {
    explicit CameraRig(int size);
    ~CameraRig();
    CameraRig(const CameraRig&) = delete;
    CameraRig& operator=(const CameraRig&) = delete;

    RwRaster* raster;
    RwRaster* zRaster;
    RwFrame* frame;
    RwCamera* camera;
    RpWorld* world;
};

// The null engine with the world plugin.
class NullEngineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.IsOpen()); }
    ScopedEngine engine{rwDeviceNull, RpWorldPluginAttach};
};

}  // namespace worldtest
