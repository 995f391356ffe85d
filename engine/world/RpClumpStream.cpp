// Clump files (chunk 16), all little-endian, every chunk {u32 type, version, size}:
//
// Clump(16) { Data{u32 numFrames, numGeometries, numAtomics}
//   FrameList(0x110) { Frame(0x111) x numFrames:
//       Data{f32 right[3], up[3], at[3], pos[3]; i32 parent (-1 for the root, which comes first;
//            otherwise an earlier frame)} Extension(0x102)? String(0x101)? (a name, ignored) }
//   GeometryList(0x120) { Geometry(0x121) x numGeometries:
//       Data{u32 flags, numTriangles, numVertices, numMorphTargets, numUVSets;
//            [flags & 2] RGBA8 x numVertices; numUVSets x numVertices x {f32 u, v};
//            numTriangles x {u16 v0, v1, v2, materialIndex}}
//       MorphTarget(0x122) x numMorphTargets: Data{f32 centre[3], radius; u32 hasPositions,
//            hasNormals; [hasPositions] f32[3] x numVertices; [hasNormals] f32[3] x numVertices}
//       MaterialList(0x130)  Extension(0x102)? }
//   Atomic(0x140) x numAtomics: Data{u32 frameIndex, geometryIndex, flags}
//       LowDetail(0x141)? { Data{f32 pixels across below which it is drawn} Geometry(0x121) }
//       ShadowDetail(0x142)? { Geometry(0x121) }
//       Extension(0x102)? }
// Unknown chunks are skipped; every count is checked against the size of its chunk.

#include "engine/world/RpClump.h"

#include "engine/world/RpStreamCommon.h"
#include "engine/world/RpWorldInternal.h"

#include "framework/Debug.h"

#include <algorithm>
#include <memory>

using namespace rpworld;

namespace {

const char* const kWhere = "RpClumpStreamRead";

struct Objects {
    std::vector<RwFrame*> frames;
    std::vector<RpGeometry*> geometries;
    RpClump* clump = nullptr;

    ~Objects()
    {
        // On failure: whatever was not handed to the clump goes.
        for (RpGeometry* g : geometries)
            RpGeometryDestroy(g);
        if (clump) {
            RpClumpDestroy(clump);
        } else if (!frames.empty() && frames[0]) {
            RwFrameDestroyHierarchy(frames[0]);
        }
    }
};

bool ReadExtension(ChunkIn& child, RwPluginObjectClass cls, void* object, RwUInt8* block)
{
    if (!RwPluginStreamReadExtension(cls, child.Stream(), child.Left(), object, block))
        return Fail(kWhere, "an extension could not be read");
    child = ChunkIn(child.Stream(), 0, kWhere);
    return true;
}

bool ReadFrames(ChunkIn& in, RwUInt32 numFrames, Objects& objects)
{
    // A frame takes at least its header, its data chunk's header and 52 bytes.
    if (numFrames > in.Left() / (2 * rwChunkHeaderSize + 52))
        return Fail(kWhere, "frame count exceeds the frame list");
    for (RwUInt32 i = 0; i < numFrames; ++i) {
        ChunkIn fc(nullptr, 0, kWhere), data(nullptr, 0, kWhere);
        if (!in.Expect(rwChunkFrame, fc, "frame") || !fc.Expect(rwChunkData, data, "frame data"))
            return false;
        RwReal m[12];
        RwInt32 parent;
        if (!data.GetArray(m, 12) || !data.Get(parent) || !fc.Finish(data))
            return false;
        if ((i == 0) != (parent == -1) || (i > 0 && (parent < 0 || RwUInt32(parent) >= i)))
            return Fail(kWhere, "frame parents must come first and only the first frame is the root");
        RwFrame* f = RwFrameCreate();
        if (!f)
            return false;
        f->modelling.right = {m[0], m[1], m[2]};
        f->modelling.up = {m[3], m[4], m[5]};
        f->modelling.at = {m[6], m[7], m[8]};
        f->modelling.pos = {m[9], m[10], m[11]};
        RwMatrixUpdateFlags(&f->modelling);
        if (i > 0)
            RwFrameAddChild(objects.frames[size_t(parent)], f);
        objects.frames.push_back(f);
        RwUInt32 type, version;
        ChunkIn child(nullptr, 0, kWhere);
        while (fc.Child(type, version, child)) {
            if (type == rwChunkExtension && !ReadExtension(child, rwPluginClassFrame, f, f->pluginData))
                return false;
            if (!fc.Finish(child))
                return false;
        }
        if (fc.Left() != 0)
            return false;
    }
    return true;
}

RpGeometry* ReadGeometry(ChunkIn& in)
{
    ChunkIn data(nullptr, 0, kWhere);
    RwUInt32 h[5];
    if (!in.Expect(rwChunkData, data, "geometry data") || !data.GetArray(h, 5))
        return nullptr;
    const RwUInt32 flags = h[0], numTriangles = h[1], numVertices = h[2], numTargets = h[3], numUVSets = h[4];
    if (numVertices > 65535 || numUVSets > RwUInt32(rpMaxTextureCoordSets) || numTargets == 0 ||
        numTargets > in.Left() / (2 * rwChunkHeaderSize + 24)) {
        Fail(kWhere, "geometry counts out of range");
        return nullptr;
    }
    // The vertex and triangle arrays must fit the data chunk before anything is allocated.
    const uint64_t need = ((flags & rpGeometryPrelit) ? 4ull * numVertices : 0) + 8ull * numUVSets * numVertices +
                          8ull * numTriangles;
    if (need > data.Left()) {
        Fail(kWhere, "geometry arrays exceed their chunk");
        return nullptr;
    }
    std::unique_ptr<RpGeometry, RwBool (*)(RpGeometry*)> g(
        RpGeometryCreate(RwInt32(numVertices), RwInt32(numTriangles), flags & ~RwUInt32(rpGeometryNormals),
                         RwInt32(numUVSets)),
        RpGeometryDestroy);
    if (!g)
        return nullptr;
    g->flags = flags;
    if ((flags & rpGeometryPrelit) && !data.Read(g->preLitLum, 4ull * numVertices))
        return nullptr;
    for (RwUInt32 s = 0; s < numUVSets; ++s)
        if (!data.Read(g->texCoords[s], 8ull * numVertices))
            return nullptr;
    if (!data.Read(g->triangles, 8ull * numTriangles) || !in.Finish(data))
        return nullptr;

    RwUInt32 targets = 0;
    bool haveMaterials = false;
    RwUInt32 type, version;
    ChunkIn child(nullptr, 0, kWhere);
    while (in.Child(type, version, child)) {
        if (type == rwChunkMorphTarget) {
            if (targets == numTargets) {
                Fail(kWhere, "more morph targets than announced");
                return nullptr;
            }
            if (targets > 0)
                RpGeometryAddMorphTarget(g.get());
            RpMorphTarget& t = g->morphTarget[targets++];
            ChunkIn td(nullptr, 0, kWhere);
            RwReal sphere[4];
            RwUInt32 has[2];
            if (!child.Expect(rwChunkData, td, "morph target data") || !td.GetArray(sphere, 4) || !td.GetArray(has, 2))
                return nullptr;
            t.boundingSphere = {{sphere[0], sphere[1], sphere[2]}, sphere[3]};
            if (has[0] && !td.Read(t.verts, 12ull * numVertices))
                return nullptr;
            if (has[1]) {
                if (!(flags & rpGeometryNormals)) {
                    if (!td.Skip(12ull * numVertices))
                        return nullptr;
                } else {
                    if (!t.normals)
                        t.normals = new RwV3d[numVertices + 1]{};
                    if (!td.Read(t.normals, 12ull * numVertices))
                        return nullptr;
                }
            } else if ((flags & rpGeometryNormals) && !t.normals) {
                t.normals = new RwV3d[numVertices + 1]{};
            }
            if (!child.Finish(td))
                return nullptr;
        } else if (type == rwChunkMaterialList) {
            if (haveMaterials || !ReadMaterialList(child, g->matList)) {
                Fail(kWhere, "bad material list");
                return nullptr;
            }
            haveMaterials = true;
        } else if (type == rwChunkExtension) {
            if (!ReadExtension(child, rwPluginClassGeometry, g.get(), g->pluginData))
                return nullptr;
        }
        if (!in.Finish(child))
            return nullptr;
    }
    if (in.Left() != 0 || targets != numTargets) {
        Fail(kWhere, "geometry cut short");
        return nullptr;
    }
    if (!TrianglesValid(g->triangles, g->numTriangles, g->numVertices, std::max(g->matList.numMaterials, 1)) ||
        (numTriangles > 0 && g->matList.numMaterials == 0)) {
        Fail(kWhere, "a triangle points past the vertices or materials");
        return nullptr;
    }
    return g.release();
}

bool ReadGeometries(ChunkIn& in, RwUInt32 count, Objects& objects)
{
    if (count > in.Left() / (3 * rwChunkHeaderSize + 20))
        return Fail(kWhere, "geometry count exceeds the geometry list");
    for (RwUInt32 i = 0; i < count; ++i) {
        ChunkIn gc(nullptr, 0, kWhere);
        if (!in.Expect(rwChunkGeometry, gc, "geometry"))
            return false;
        RpGeometry* g = ReadGeometry(gc);
        if (!g)
            return false;
        objects.geometries.push_back(g);
    }
    return in.Finish(in);
}

// The geometry chunk that comes next handed to the setter, which takes its own reference.
template <typename Set>
bool ReadStandIn(ChunkIn& in, const char* what, Set set)
{
    ChunkIn gc(nullptr, 0, kWhere);
    if (!in.Expect(rwChunkGeometry, gc, what))
        return false;
    RpGeometry* g = ReadGeometry(gc);
    if (!g)
        return false;
    set(g);
    RpGeometryDestroy(g);
    return in.Finish(gc);
}

bool ReadLowDetail(ChunkIn& in, RpAtomic* atomic)
{
    ChunkIn data(nullptr, 0, kWhere);
    RwReal below = 0;
    if (!in.Expect(rwChunkData, data, "low detail data") || !data.Get(below) || !in.Finish(data))
        return false;
    if (!(below > 0.0f && below < 1e6f))
        return Fail(kWhere, "a low-detail mesh has no size to be drawn below");
    return ReadStandIn(in, "low detail geometry",
                       [&](RpGeometry* g) { RpAtomicSetLowDetail(atomic, g, below); });
}

bool ReadAtomic(ChunkIn& in, Objects& objects)
{
    ChunkIn data(nullptr, 0, kWhere);
    RwUInt32 a[3];
    if (!in.Expect(rwChunkData, data, "atomic data") || !data.GetArray(a, 3) || !in.Finish(data))
        return false;
    if (a[0] >= objects.frames.size() || a[1] >= objects.geometries.size())
        return Fail(kWhere, "an atomic names a frame or geometry that does not exist");
    RpAtomic* atomic = RpAtomicCreate();
    if (!atomic)
        return false;
    RpAtomicSetFlags(atomic, a[2]);
    RpAtomicSetGeometry(atomic, objects.geometries[a[1]]);
    RpAtomicSetFrame(atomic, objects.frames[a[0]]);
    RpClumpAddAtomic(objects.clump, atomic);
    RwUInt32 type, version;
    ChunkIn child(nullptr, 0, kWhere);
    while (in.Child(type, version, child)) {
        if (type == rwChunkExtension && !ReadExtension(child, rwPluginClassAtomic, atomic, atomic->pluginData))
            return false;
        if (type == rwChunkLowDetail && (atomic->lowDetail || !ReadLowDetail(child, atomic)))
            return Fail(kWhere, "bad low-detail mesh");
        if (type == rwChunkShadowDetail &&
            (atomic->shadowDetail ||
             !ReadStandIn(child, "shadow detail geometry", [&](RpGeometry* g) { RpAtomicSetShadowDetail(atomic, g); })))
            return Fail(kWhere, "bad shadow mesh");
        if (!in.Finish(child))
            return false;
    }
    return in.Left() == 0;
}

}  // namespace

RpClump* RpClumpStreamRead(RwStream* stream)
{
    if (!stream) {
        LogError("%s: no stream\n", kWhere);
        return nullptr;
    }
    // The caller found chunk 16 and RwStreamFindChunk checked its size against the file; the
    // size is not passed on, so reads are bounded by what the stream says remains.
    const int64_t remaining = RwStreamGetRemaining(stream);
    ChunkIn in(stream, remaining < 0 ? 0xffffffffu : RwUInt32(std::min<int64_t>(remaining, 0xffffffff)), kWhere);
    Objects objects;
    ChunkIn data(nullptr, 0, kWhere);
    RwUInt32 counts[3];
    if (!in.Expect(rwChunkData, data, "clump data") || !data.GetArray(counts, 3) || !in.Finish(data)) {
        LogError("%s: not a clump\n", kWhere);
        return nullptr;
    }
    ChunkIn list(nullptr, 0, kWhere);
    if (!in.Expect(rwChunkFrameList, list, "frame list") || !ReadFrames(list, counts[0], objects) ||
        !in.Finish(list))
        return nullptr;
    if (!in.Expect(rwChunkGeometryList, list, "geometry list") || !ReadGeometries(list, counts[1], objects) ||
        !in.Finish(list))
        return nullptr;
    if (counts[2] > in.Left() / (2 * rwChunkHeaderSize + 12)) {
        Fail(kWhere, "atomic count exceeds the clump");
        return nullptr;
    }
    objects.clump = RpClumpCreate();
    if (!objects.clump)
        return nullptr;
    if (!objects.frames.empty())
        RpClumpSetFrame(objects.clump, objects.frames[0]);
    for (RwUInt32 i = 0; i < counts[2]; ++i) {
        ChunkIn ac(nullptr, 0, kWhere);
        if (!in.Expect(rwChunkAtomic, ac, "atomic") || !ReadAtomic(ac, objects))
            return nullptr;
    }
    RpClump* clump = objects.clump;
    objects.clump = nullptr;
    objects.frames.clear();
    for (RpGeometry* g : objects.geometries)
        RpGeometryDestroy(g);  // the atomics hold their own references
    objects.geometries.clear();
    return clump;
}

// ---- writing ----

namespace {

void CollectFrames(RwFrame* frame, std::vector<RwFrame*>& out)
{
    out.push_back(frame);
    for (RwFrame* c = frame->child; c; c = c->next)
        CollectFrames(c, out);
}

void WriteGeometry(ChunkOut& out, const RpGeometry* g)
{
    const size_t geoAt = out.Begin(rwChunkGeometry);
    RwUInt32 flags = g->flags & ~RwUInt32(rpGeometryPrelit | rpGeometryNormals);
    if (g->preLitLum)
        flags |= rpGeometryPrelit;
    if (g->numMorphTargets > 0 && g->morphTarget[0].normals)
        flags |= rpGeometryNormals;
    const RwUInt32 nv = RwUInt32(g->numVertices);
    size_t at = out.Begin(rwChunkData);
    const RwUInt32 h[5] = {flags, RwUInt32(g->numTriangles), nv, RwUInt32(g->numMorphTargets),
                           RwUInt32(g->numTexCoordSets)};
    out.Bytes(h, sizeof h);
    if (g->preLitLum)
        out.Bytes(g->preLitLum, 4ull * nv);
    for (RwInt32 s = 0; s < g->numTexCoordSets; ++s)
        out.Bytes(g->texCoords[s], 8ull * nv);
    out.Bytes(g->triangles, 8ull * RwUInt32(g->numTriangles));
    out.End(at);
    for (RwInt32 i = 0; i < g->numMorphTargets; ++i) {
        const RpMorphTarget& t = g->morphTarget[i];
        const size_t tAt = out.Begin(rwChunkMorphTarget);
        at = out.Begin(rwChunkData);
        const RwReal sphere[4] = {t.boundingSphere.center.x, t.boundingSphere.center.y, t.boundingSphere.center.z,
                                  t.boundingSphere.radius};
        out.Bytes(sphere, sizeof sphere);
        const bool normals = (flags & rpGeometryNormals) && t.normals;
        const RwUInt32 has[2] = {1, normals ? 1u : 0u};
        out.Bytes(has, sizeof has);
        out.Bytes(t.verts, 12ull * nv);
        if (normals)
            out.Bytes(t.normals, 12ull * nv);
        out.End(at);
        out.End(tAt);
    }
    WriteMaterialList(out, g->matList);
    out.Extension(rwPluginClassGeometry, g, g->pluginData);
    out.End(geoAt);
}

bool BuildClump(const RpClump* clump, ChunkOut& out)
{
    std::vector<RwFrame*> frames;
    if (RwFrame* root = RpClumpGetFrame(clump))
        CollectFrames(root, frames);
    std::vector<const RpGeometry*> geometries;
    for (const RpAtomic* a : clump->atomics) {
        const RwFrame* f = RwObjectGetFrame(a);
        if (!a->geometry || !f || std::find(frames.begin(), frames.end(), f) == frames.end()) {
            LogError("RpClumpStreamWrite: every atomic needs a geometry and a frame of the clump\n");
            return false;
        }
        if (std::find(geometries.begin(), geometries.end(), a->geometry) == geometries.end())
            geometries.push_back(a->geometry);
    }
    const size_t clumpAt = out.Begin(rwChunkClump);
    size_t at = out.Begin(rwChunkData);
    const RwUInt32 counts[3] = {RwUInt32(frames.size()), RwUInt32(geometries.size()),
                                RwUInt32(clump->atomics.size())};
    out.Bytes(counts, sizeof counts);
    out.End(at);

    const size_t listAt = out.Begin(rwChunkFrameList);
    for (size_t i = 0; i < frames.size(); ++i) {
        const RwFrame* f = frames[i];
        const size_t fAt = out.Begin(rwChunkFrame);
        at = out.Begin(rwChunkData);
        const RwMatrix& m = f->modelling;
        const RwReal v[12] = {m.right.x, m.right.y, m.right.z, m.up.x, m.up.y, m.up.z,
                              m.at.x,    m.at.y,    m.at.z,    m.pos.x, m.pos.y, m.pos.z};
        out.Bytes(v, sizeof v);
        const auto* parent = static_cast<const RwFrame*>(f->object.parent);
        const RwInt32 parentIndex =
            i == 0 ? -1 : RwInt32(std::find(frames.begin(), frames.end(), parent) - frames.begin());
        out.Put(parentIndex);
        out.End(at);
        if (!out.Extension(rwPluginClassFrame, f, f->pluginData))
            return false;
        out.End(fAt);
    }
    out.End(listAt);

    const size_t geoListAt = out.Begin(rwChunkGeometryList);
    for (const RpGeometry* g : geometries)
        WriteGeometry(out, g);
    out.End(geoListAt);

    for (const RpAtomic* a : clump->atomics) {
        const size_t aAt = out.Begin(rwChunkAtomic);
        at = out.Begin(rwChunkData);
        const RwUInt32 d[3] = {
            RwUInt32(std::find(frames.begin(), frames.end(), RwObjectGetFrame(a)) - frames.begin()),
            RwUInt32(std::find(geometries.begin(), geometries.end(), a->geometry) - geometries.begin()),
            a->object.object.flags};
        out.Bytes(d, sizeof d);
        out.End(at);
        if (a->lowDetail) {
            const size_t lowAt = out.Begin(rwChunkLowDetail);
            at = out.Begin(rwChunkData);
            out.Put(a->lowDetailBelow);
            out.End(at);
            WriteGeometry(out, a->lowDetail);
            out.End(lowAt);
        }
        if (a->shadowDetail) {
            const size_t shadowAt = out.Begin(rwChunkShadowDetail);
            WriteGeometry(out, a->shadowDetail);
            out.End(shadowAt);
        }
        if (!out.Extension(rwPluginClassAtomic, a, a->pluginData))
            return false;
        out.End(aAt);
    }
    out.End(clumpAt);
    return true;
}

}  // namespace

const RpClump* RpClumpStreamWrite(const RpClump* clump, RwStream* stream)
{
    if (!clump || !stream)
        return nullptr;
    ChunkOut out;
    if (!BuildClump(clump, out))
        return nullptr;
    const auto& bytes = out.Data();
    if (!RwStreamWrite(stream, bytes.data(), RwUInt32(bytes.size()))) {
        LogError("RpClumpStreamWrite: the stream refused the data\n");
        return nullptr;
    }
    return clump;
}

RwUInt32 RpClumpStreamGetSize(const RpClump* clump)
{
    ChunkOut out;
    if (!clump || !BuildClump(clump, out))
        return 0;
    return RwUInt32(out.Data().size() - rwChunkHeaderSize);
}
