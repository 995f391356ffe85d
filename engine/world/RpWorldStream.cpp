// World files (chunk 11), little-endian, every chunk {u32 type, version, size}:
//
// World(11) { Data{f32 boxMin[3], boxMax[3]; u32 flags, numSectors, numPlaneNodes}
//   MaterialList(0x130)
//   BspTree(0x151) { Data{numPlaneNodes x {u32 axis (0 x, 1 y, 2 z); f32 value; i32 left, right}} }
//       (children >= 0 are plane nodes, < 0 the sector ~child; root = node 0; no planes: one sector)
//   WorldSector(0x150) x numSectors: Data{f32 boxMin[3], boxMax[3]; u32 flags, numVertices
//       (<= 65535), numTriangles; f32[3] x numVertices positions; [flags & 1] f32[3] x numVertices
//       normals; [flags & 2] RGBA8 x numVertices; [flags & 4] f32[2] x numVertices UVs;
//       numTriangles x {u16 v0, v1, v2, materialIndex}} }
// Unknown chunks are skipped; every count is checked against the size of its chunk.

#include "engine/world/RpWorld.h"

#include "engine/world/RpStreamCommon.h"
#include "engine/world/RpWorldInternal.h"

#include "framework/Debug.h"

#include <algorithm>

using namespace rpworld;

namespace {

const char* const kWhere = "RpWorldStreamRead";

RwBBox ReadBox(const RwReal* v)
{
    return {{v[3], v[4], v[5]}, {v[0], v[1], v[2]}};
}

RpWorldSector* ReadSector(ChunkIn& in, RwInt32 numMaterials)
{
    ChunkIn data(nullptr, 0, kWhere);
    RwReal box[6];
    RwUInt32 h[3];
    if (!in.Expect(rwChunkData, data, "sector data") || !data.GetArray(box, 6) || !data.GetArray(h, 3))
        return nullptr;
    const RwUInt32 flags = h[0], nv = h[1], nt = h[2];
    const uint64_t perVertex = 12 + ((flags & rpGeometryNormals) ? 12 : 0) + ((flags & rpGeometryPrelit) ? 4 : 0) +
                               ((flags & rpGeometryTextured) ? 8 : 0);
    if (nv > 65535 || perVertex * nv + 8ull * nt > data.Left()) {
        Fail(kWhere, "sector arrays exceed their chunk");
        return nullptr;
    }
    RpWorldSector* s = RpWorldSectorCreate(RwInt32(nv), RwInt32(nt), flags);
    if (!s)
        return nullptr;
    s->boundingBox = ReadBox(box);
    bool ok = data.Read(s->vertices, 12ull * nv);
    if (ok && s->normals)
        ok = data.Read(s->normals, 12ull * nv);
    if (ok && s->preLitLum)
        ok = data.Read(s->preLitLum, 4ull * nv);
    if (ok && s->texCoords)
        ok = data.Read(s->texCoords, 8ull * nv);
    ok = ok && data.Read(s->triangles, 8ull * nt) && in.Finish(data) && in.Finish(in);
    if (ok && !TrianglesValid(s->triangles, s->numTriangles, s->numVertices, std::max(numMaterials, 1))) {
        ok = Fail(kWhere, "a sector triangle points past its vertices or the materials");
    } else if (ok && nt > 0 && numMaterials == 0) {
        ok = Fail(kWhere, "a sector has triangles but the world has no materials");
    }
    if (!ok) {
        SectorDestroy(s);
        return nullptr;
    }
    return s;
}

}  // namespace

RpWorld* RpWorldStreamRead(RwStream* stream)
{
    if (!stream) {
        LogError("%s: no stream\n", kWhere);
        return nullptr;
    }
    const int64_t remaining = RwStreamGetRemaining(stream);
    ChunkIn in(stream, remaining < 0 ? 0xffffffffu : RwUInt32(std::min<int64_t>(remaining, 0xffffffff)), kWhere);
    ChunkIn data(nullptr, 0, kWhere);
    RwReal box[6];
    RwUInt32 h[3];
    if (!in.Expect(rwChunkData, data, "world data") || !data.GetArray(box, 6) || !data.GetArray(h, 3) ||
        !in.Finish(data)) {
        LogError("%s: not a world\n", kWhere);
        return nullptr;
    }
    const RwUInt32 flags = h[0], numSectors = h[1], numPlanes = h[2];
    if (numSectors == 0 || numSectors > in.Left() / (2 * rwChunkHeaderSize + 36) || numPlanes > 0x100000 ||
        (numPlanes == 0 && numSectors != 1)) {
        Fail(kWhere, "sector or plane count out of range");
        return nullptr;
    }
    RpMaterialList materials{};
    ChunkIn child(nullptr, 0, kWhere);
    std::vector<RpPlaneNode> planes;
    std::vector<RpWorldSector*> sectors;
    auto fail = [&]() -> RpWorld* {
        MaterialListClear(materials);
        for (RpWorldSector* s : sectors)
            SectorDestroy(s);
        return nullptr;
    };
    if (!in.Expect(rwChunkMaterialList, child, "material list") || !ReadMaterialList(child, materials) ||
        !in.Finish(child))
        return fail();
    ChunkIn tree(nullptr, 0, kWhere);
    if (!in.Expect(rwChunkBspTree, child, "plane tree") || !child.Expect(rwChunkData, tree, "plane tree data"))
        return fail();
    if (numPlanes > tree.Left() / 16) {
        Fail(kWhere, "plane count exceeds the plane tree");
        return fail();
    }
    planes.resize(numPlanes);
    for (RpPlaneNode& p : planes) {
        RwUInt32 axis;
        if (!tree.Get(axis) || !tree.Get(p.value) || !tree.Get(p.left) || !tree.Get(p.right))
            return fail();
        p.axis = axis > 2 ? -1 : RwInt32(axis);
    }
    if (!child.Finish(tree) || !in.Finish(child))
        return fail();
    for (RwUInt32 i = 0; i < numSectors; ++i) {
        if (!in.Expect(rwChunkWorldSector, child, "sector"))
            return fail();
        RpWorldSector* s = ReadSector(child, materials.numMaterials);
        if (!s)
            return fail();
        sectors.push_back(s);
    }
    const RwBBox bbox = ReadBox(box);
    RpWorld* world = RpWorldCreateFromSectors(&bbox, flags, std::move(sectors), std::move(planes));
    sectors.clear();
    if (!world) {
        MaterialListClear(materials);
        return nullptr;
    }
    world->matList = materials;
    return world;
}

namespace {

void PutBox(ChunkOut& out, const RwBBox& b)
{
    const RwReal v[6] = {b.inf.x, b.inf.y, b.inf.z, b.sup.x, b.sup.y, b.sup.z};
    out.Bytes(v, sizeof v);
}

void BuildWorld(const RpWorld* world, ChunkOut& out)
{
    const size_t worldAt = out.Begin(rwChunkWorld);
    size_t at = out.Begin(rwChunkData);
    PutBox(out, world->boundingBox);
    const RwUInt32 h[3] = {world->flags, RwUInt32(world->sectors.size()), RwUInt32(world->planes.size())};
    out.Bytes(h, sizeof h);
    out.End(at);
    WriteMaterialList(out, world->matList);
    const size_t treeAt = out.Begin(rwChunkBspTree);
    at = out.Begin(rwChunkData);
    for (const RpPlaneNode& p : world->planes) {
        out.Put(RwUInt32(p.axis));
        out.Put(p.value);
        out.Put(p.left);
        out.Put(p.right);
    }
    out.End(at);
    out.End(treeAt);
    for (const RpWorldSector* s : world->sectors) {
        const size_t sAt = out.Begin(rwChunkWorldSector);
        at = out.Begin(rwChunkData);
        PutBox(out, s->boundingBox);
        RwUInt32 flags = s->flags & ~RwUInt32(rpGeometryNormals | rpGeometryPrelit | rpGeometryTextured);
        flags |= (s->normals ? RwUInt32(rpGeometryNormals) : 0u) | (s->preLitLum ? RwUInt32(rpGeometryPrelit) : 0u) |
                 (s->texCoords ? RwUInt32(rpGeometryTextured) : 0u);
        const RwUInt32 d[3] = {flags, RwUInt32(s->numVertices), RwUInt32(s->numTriangles)};
        out.Bytes(d, sizeof d);
        const size_t nv = size_t(s->numVertices);
        out.Bytes(s->vertices, 12 * nv);
        if (s->normals)
            out.Bytes(s->normals, 12 * nv);
        if (s->preLitLum)
            out.Bytes(s->preLitLum, 4 * nv);
        if (s->texCoords)
            out.Bytes(s->texCoords, 8 * nv);
        out.Bytes(s->triangles, 8 * size_t(s->numTriangles));
        out.End(at);
        out.End(sAt);
    }
    out.End(worldAt);
}

}  // namespace

const RpWorld* RpWorldStreamWrite(const RpWorld* world, RwStream* stream)
{
    if (!world || !stream)
        return nullptr;
    ChunkOut out;
    BuildWorld(world, out);
    if (!RwStreamWrite(stream, out.Data().data(), RwUInt32(out.Data().size()))) {
        LogError("RpWorldStreamWrite: the stream refused the data\n");
        return nullptr;
    }
    return world;
}

RwUInt32 RpWorldStreamGetSize(const RpWorld* world)
{
    if (!world)
        return 0;
    ChunkOut out;
    BuildWorld(world, out);
    return RwUInt32(out.Data().size() - rwChunkHeaderSize);
}
