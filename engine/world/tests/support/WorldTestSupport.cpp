#include "engine/world/tests/support/WorldTestSupport.h"

#include <cstdlib>

namespace worldtest {

namespace {

// Quad q of the geometry: corners at centre -a -b, +a -b, +a +b, -a +b with the UVs (0, 1),
// (1, 1), (1, 0), (0, 0), white where pre-lit, and two triangles of the material.
void PutQuad(RpGeometry* g, int q, RwV3d centre, RwV3d a, RwV3d b, RwV3d normal, RwUInt16 material)
{
    const float corner[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int k = 0; k < 4; ++k) {
        const int v = q * 4 + k;
        const float s = corner[k][0], r = corner[k][1];
        g->morphTarget[0].verts[v] = {centre.x + s * a.x + r * b.x, centre.y + s * a.y + r * b.y,
                                      centre.z + s * a.z + r * b.z};
        g->morphTarget[0].normals[v] = normal;
        g->texCoords[0][v] = {(s + 1) * 0.5f, (1 - r) * 0.5f};
        if (g->preLitLum)
            g->preLitLum[v] = {255, 255, 255, 255};
    }
    // Wound to face where the normal points: back faces are not drawn.
    const RwV3d turn{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    const bool reversed = turn.x * normal.x + turn.y * normal.y + turn.z * normal.z < 0;
    const RwUInt16 base = RwUInt16(q * 4), second = RwUInt16(base + (reversed ? 3 : 1)),
                   fourth = RwUInt16(base + (reversed ? 1 : 3));
    g->triangles[q * 2] = {{base, second, RwUInt16(base + 2)}, material};
    g->triangles[q * 2 + 1] = {{base, RwUInt16(base + 2), fourth}, material};
}

RwV3d Scaled(RwV3d v, float s)
{
    return {v.x * s, v.y * s, v.z * s};
}

}  // namespace

RpGeometry* MakeBox(float h, const std::vector<RpMaterial*>& materials, RwUInt32 flags)
{
    RpGeometry* g = RpGeometryCreate(24, 12, flags | rpGeometryNormals | rpGeometryTextured);
    // Per face: normal, and two axes spanning it.
    const RwV3d faces[6][3] = {
        {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},  {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
        {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}}, {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}},
    };
    for (int f = 0; f < 6; ++f) {
        const auto& [n, a, b] = faces[f];
        const RwUInt16 m = RwUInt16(materials.empty() ? 0 : f % int(materials.size()));
        PutQuad(g, f, Scaled(n, h), Scaled(a, h), Scaled(b, h), n, m);
    }
    for (RpMaterial* m : materials)
        RpGeometryAddMaterial(g, m);
    RpMorphTargetCalcBoundingSphere(&g->morphTarget[0], nullptr);
    return g;
}

RpGeometry* MakeQuad(float x0, float y0, float x1, float y1, RpMaterial* material, RwUInt32 flags)
{
    RpGeometry* g = RpGeometryCreate(4, 2, flags | rpGeometryNormals | rpGeometryTextured);
    PutQuad(g, 0, {(x0 + x1) / 2, (y0 + y1) / 2, 0}, {(x1 - x0) / 2, 0, 0}, {0, (y1 - y0) / 2, 0}, {0, 0, -1}, 0);
    if (material)
        RpGeometryAddMaterial(g, material);
    RpMorphTargetCalcBoundingSphere(&g->morphTarget[0], nullptr);
    return g;
}

RpClump* MakeClump(RpGeometry* geometry, RwV3d position)
{
    RpClump* clump = RpClumpCreate();
    RwFrame* frame = RwFrameCreate();
    RwFrameTranslate(frame, &position, rwCombineReplace);
    RpClumpSetFrame(clump, frame);
    RpAtomic* atomic = RpAtomicCreate();
    RpAtomicSetGeometry(atomic, geometry);
    RpAtomicSetFrame(atomic, frame);
    RpClumpAddAtomic(clump, atomic);
    return clump;
}

RpClump* BoxClump(RwV3d position, RwUInt32 flags, const std::vector<RpMaterial*>& materials)
{
    RpMaterial* plain = materials.empty() ? RpMaterialCreate() : nullptr;
    RpGeometry* g = MakeBox(1, plain ? std::vector<RpMaterial*>{plain} : materials, flags);
    RpMaterialDestroy(plain);
    RpClump* clump = MakeClump(g, position);
    RpGeometryDestroy(g);
    return clump;
}

namespace {

template <typename T, typename Write>
std::vector<uint8_t> WriteWith(const T* object, Write write)
{
    RwMemory mem{nullptr, 0};
    RwStream* s = RwStreamOpen(rwStreamMemory, rwStreamWrite, &mem);
    const bool written = write(object, s) != nullptr;
    RwStreamClose(s, &mem);
    std::vector<uint8_t> out(mem.start, mem.start + (written ? mem.length : 0));
    std::free(mem.start);
    return out;
}

template <typename Read>
auto ReadWith(const std::vector<uint8_t>& bytes, RwUInt32 chunk, Read read) -> decltype(read(nullptr))
{
    RwMemory mem{const_cast<uint8_t*>(bytes.data()), RwUInt32(bytes.size())};
    RwStream* s = RwStreamOpen(rwStreamMemory, rwStreamRead, &mem);
    decltype(read(nullptr)) result = nullptr;
    if (RwStreamFindChunk(s, chunk, nullptr, nullptr))
        result = read(s);
    RwStreamClose(s, nullptr);
    return result;
}

}  // namespace

std::vector<uint8_t> WriteClump(const RpClump* clump)
{
    return WriteWith(clump, RpClumpStreamWrite);
}

std::vector<uint8_t> WriteWorld(const RpWorld* world)
{
    return WriteWith(world, RpWorldStreamWrite);
}

RpClump* ReadClump(const std::vector<uint8_t>& bytes)
{
    return ReadWith(bytes, rwChunkClump, RpClumpStreamRead);
}

RpWorld* ReadWorld(const std::vector<uint8_t>& bytes)
{
    return ReadWith(bytes, rwChunkWorld, RpWorldStreamRead);
}

namespace {

RwV3d Minus(const RwV3d& a, const RwV3d& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

RpWorldSector* Sector(const std::vector<RwV3d>& quads)
{
    const RwInt32 nq = RwInt32(quads.size() / 4);
    RpWorldSector* s = RpWorldSectorCreate(nq * 4, nq * 2, rpGeometryNormals | rpGeometryTextured);
    for (RwInt32 q = 0; q < nq; ++q) {
        const RwV3d* corner = &quads[size_t(q) * 4];
        const RwV3d e1 = Minus(corner[1], corner[0]), e2 = Minus(corner[2], corner[0]);
        RwV3d n;
        RwV3dCrossProduct(&n, &e1, &e2);
        RwV3dNormalize(&n, &n);
        for (int k = 0; k < 4; ++k) {
            s->vertices[q * 4 + k] = corner[k];
            s->normals[q * 4 + k] = n;
        }
        const RwUInt16 b = RwUInt16(q * 4);
        s->triangles[q * 2] = {{b, RwUInt16(b + 1), RwUInt16(b + 2)}, 0};
        s->triangles[q * 2 + 1] = {{b, RwUInt16(b + 2), RwUInt16(b + 3)}, 0};
    }
    RpWorldSectorCalcBoundingBox(s);
    return s;
}

}  // namespace

RpWorld* MakeWallWorld()
{
    // Floors wind so that their normal is +y; the wall's normal is +x.
    RpWorldSector* left = Sector({{-10, 0, -10}, {-10, 0, 10}, {0, 0, 10}, {0, 0, -10}});
    RpWorldSector* right = Sector({{0, 0, -10}, {0, 0, 10}, {10, 0, 10}, {10, 0, -10},
                                   {5, 0, -10}, {5, 4, -10}, {5, 4, 10}, {5, 0, 10}});
    const RwBBox box{{10, 4, 10}, {-10, 0, -10}};
    RpWorld* world = RpWorldCreateFromSectors(&box, rpGeometryLight | rpGeometryNormals, {left, right},
                                              {{0, 0.0f, ~0, ~1}});
    RpMaterial* m = RpMaterialCreate();
    RpWorldAddMaterial(world, m);
    RpMaterialDestroy(m);
    return world;
}

CameraRig::CameraRig(int size)
    : raster(RwRasterCreate(size, size, 0, rwRasterTypeCamera)),
      zRaster(RwRasterCreate(size, size, 0, rwRasterTypeZBuffer)),
      frame(RwFrameCreate()),
      camera(RwCameraCreate())
{
    RwCameraSetRaster(camera, raster);
    RwCameraSetZRaster(camera, zRaster);
    const RwV2d window{0.5f, 0.5f};
    RwCameraSetViewWindow(camera, &window);
    RwCameraSetNearClipPlane(camera, 0.1f);
    RwCameraSetFarClipPlane(camera, 100);
    RwObjectHasFrameSetFrame(camera, frame);
    const RwBBox box{{1000, 1000, 1000}, {-1000, -1000, -1000}};
    world = RpWorldCreate(&box);
    RpWorldAddCamera(world, camera);
}

CameraRig::~CameraRig()
{
    RpWorldDestroy(world);
    RwObjectHasFrameSetFrame(camera, nullptr);
    RwCameraDestroy(camera);
    RwFrameDestroy(frame);
    RwRasterDestroy(raster);
    RwRasterDestroy(zRaster);
}

}  // namespace worldtest
