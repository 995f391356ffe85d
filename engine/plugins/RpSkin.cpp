#include "engine/plugins/RpSkin.h"

#include "engine/plugins/PluginInternal.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

// Geometry extension Skin (0x201), one Data chunk:
//   {u32 numBones, u32 maxWeightsPerVertex (1..4)}
//   u8 boneIndex[4] x numVertices; f32 weight[4] x numVertices (each summing to 1);
//   f32 skinToBone[16] x numBones (rows right, up, at, pos; the fourth column 0, 0, 0, 1)
// The vertex count is the geometry's, read before its extension.

namespace {

constexpr RwUInt32 kPluginId = rwChunkSkin;

struct GeometryData {
    RpSkin* skin;
};

struct AtomicData {
    RpHAnimHierarchy* hierarchy;
    std::vector<RwMatrix>* matrices;  // the last skinning matrices handed out
};

GeometryData* GetGeometry(const RpGeometry* g)
{
    return g ? rpplugins::Data<GeometryData>(g->pluginData, RwEngineGetPluginOffset(rwPluginClassGeometry, kPluginId))
             : nullptr;
}

AtomicData* GetAtomic(const RpAtomic* a)
{
    return a ? rpplugins::Data<AtomicData>(a->pluginData, RwEngineGetPluginOffset(rwPluginClassAtomic, kPluginId))
             : nullptr;
}

RpSkin* CopySkin(const RpSkin* s)
{
    return RpSkinCreate(s->numVertices, s->numBones, s->skinToBone, s->boneIndices, s->weights);
}

bool FiniteMatrix(const RwMatrix& m)
{
    const RwV3d* rows[4] = {&m.right, &m.up, &m.at, &m.pos};
    for (const RwV3d* r : rows) {
        if (!std::isfinite(r->x) || !std::isfinite(r->y) || !std::isfinite(r->z))
            return false;
    }
    return true;
}

void GeometryDestruct(void*, void* data, RwInt32)
{
    auto* d = static_cast<GeometryData*>(data);
    RpSkinDestroy(d->skin);
    d->skin = nullptr;
}

RwBool GeometryCopy(void*, void* dstData, const void*, const void* srcData, RwInt32)
{
    const RpSkin* src = static_cast<const GeometryData*>(srcData)->skin;
    auto* dst = static_cast<GeometryData*>(dstData);
    dst->skin = src ? CopySkin(src) : nullptr;
    return !src || dst->skin;
}

RwUInt32 SkinBytes(const RpSkin* s)
{
    return 8 + RwUInt32(s->numVertices) * 20 + RwUInt32(s->numBones) * 64;
}

RwUInt32 GeometryStreamSize(const void*, const void* data)
{
    const RpSkin* s = static_cast<const GeometryData*>(data)->skin;
    return s ? rwChunkHeaderSize + SkinBytes(s) : 0;
}

RwBool GeometryStreamWrite(RwStream* stream, const void*, const void* data)
{
    const RpSkin* s = static_cast<const GeometryData*>(data)->skin;
    const RwUInt32 head[2] = {RwUInt32(s->numBones), RwUInt32(s->maxWeightsPerVertex)};
    if (!RwStreamWriteChunkHeader(stream, rwChunkData, 1, SkinBytes(s)) || !RwStreamWriteUInt32(stream, head, 2) ||
        !RwStreamWrite(stream, s->boneIndices, RwUInt32(s->numVertices) * 4))
        return false;
    for (RwInt32 v = 0; v < s->numVertices; ++v) {
        if (!RwStreamWriteReal(stream, s->weights[v], 4))
            return false;
    }
    for (RwInt32 b = 0; b < s->numBones; ++b) {
        const RwMatrix& m = s->skinToBone[b];
        const RwReal f[16] = {m.right.x, m.right.y, m.right.z, 0, m.up.x,  m.up.y,  m.up.z,  0,
                              m.at.x,    m.at.y,    m.at.z,    0, m.pos.x, m.pos.y, m.pos.z, 1};
        if (!RwStreamWriteReal(stream, f, 16))
            return false;
    }
    return true;
}

RwBool GeometryStreamRead(RwStream* stream, RwUInt32 length, void* object, void* data)
{
    const char* who = "RpSkin stream read";
    const auto* geometry = static_cast<const RpGeometry*>(object);
    auto* d = static_cast<GeometryData*>(data);
    RwUInt32 size;
    if (!rpplugins::ReadDataHeader(stream, length, 8, &size, who))
        return false;
    RwUInt32 head[2];
    if (!RwStreamReadUInt32(stream, head, 2))
        return false;
    const RwUInt32 numBones = head[0], maxWeights = head[1];
    const RwUInt32 nv = RwUInt32(std::max(geometry->numVertices, 0));
    if (numBones == 0 || numBones > RwUInt32(rpSkinMaxBonesStored) || maxWeights == 0 || maxWeights > 4 ||
        uint64_t(size) != 8 + uint64_t(nv) * 20 + uint64_t(numBones) * 64) {
        LogError("%s: %u bones, %u weights a vertex and %u vertices do not match %u bytes\n", who, numBones,
                 maxWeights, nv, size);
        return false;
    }
    std::vector<RwUInt8> indices(size_t(nv) * 4);
    std::vector<RwReal> weights(size_t(nv) * 4);
    std::vector<RwReal> mats(size_t(numBones) * 16);
    if (RwStreamRead(stream, indices.data(), nv * 4) != nv * 4 || !RwStreamReadReal(stream, weights.data(), nv * 4) ||
        !RwStreamReadReal(stream, mats.data(), numBones * 16)) {
        LogError("%s: cut short\n", who);
        return false;
    }
    std::vector<RwMatrix> skinToBone(numBones);
    for (RwUInt32 b = 0; b < numBones; ++b) {
        const RwReal* f = &mats[size_t(b) * 16];
        RwMatrix& m = skinToBone[b];
        RwMatrixSetIdentity(&m);
        m.right = {f[0], f[1], f[2]};
        m.up = {f[4], f[5], f[6]};
        m.at = {f[8], f[9], f[10]};
        m.pos = {f[12], f[13], f[14]};
        RwMatrixUpdateFlags(&m);
    }
    RpSkin* skin = RpSkinCreate(RwInt32(nv), RwInt32(numBones), skinToBone.data(),
                                reinterpret_cast<const RpSkinVertexIndices*>(indices.data()),
                                reinterpret_cast<const RpSkinVertexWeights*>(weights.data()));
    if (!skin)
        return false;
    skin->maxWeightsPerVertex = RwInt32(maxWeights);
    RpSkinDestroy(d->skin);
    d->skin = skin;
    return true;
}

void AtomicDestruct(void*, void* data, RwInt32)
{
    auto* d = static_cast<AtomicData*>(data);
    delete d->matrices;
    d->matrices = nullptr;
    d->hierarchy = nullptr;
}

RwBool AtomicCopy(void* dstObject, void* dstData, const void*, const void* srcData, RwInt32)
{
    auto* dst = static_cast<AtomicData*>(dstData);
    const auto* src = static_cast<const AtomicData*>(srcData);
    dst->matrices = nullptr;
    dst->hierarchy = nullptr;
    if (src->hierarchy) {
        auto* atomic = static_cast<RpAtomic*>(dstObject);
        // The source's hierarchy belongs to the original clump: the copy binds to its own.
        if (RpHAnimHierarchy* h = RpHAnimFrameFindHierarchy(RpClumpGetFrame(atomic->clump)))
            RpSkinAtomicSetHAnimHierarchy(atomic, h);
    }
    return true;
}

// The bone matrices follow the atomic's own skin, so a low-detail mesh is drawn skinned only
// when its skin binds the same bones in the same place.
bool SameBones(const RpSkin* a, const RpSkin* b)
{
    return a == b || (a && b && a->numBones == b->numBones &&
                      std::memcmp(a->skinToBone, b->skinToBone, sizeof(RwMatrix) * size_t(a->numBones)) == 0);
}

RwBool SkinQuery(RpAtomic* atomic, RpGeometry* geometry, RpAtomicSkinData* out)
{
    const RpSkin* skin = atomic ? RpSkinGeometryGetSkin(geometry) : nullptr;
    if (!skin || skin->numVertices != geometry->numVertices || !SameBones(skin, RpSkinGeometryGetSkin(atomic->geometry)))
        return false;
    if (skin->numBones > rpSkinMaxBones) {
        static bool warned = false;
        if (!warned)
            LogWarning("RpSkin: a skin of %d bones is drawn unskinned (at most %d)\n", skin->numBones,
                       int(rpSkinMaxBones));
        warned = true;
        return false;
    }
    const RwMatrix* m = RpSkinAtomicGetBoneMatrices(atomic);
    if (!m)
        return false;
    out->numBones = skin->numBones;
    out->boneMatrices = m;
    out->boneIndices = skin->boneIndices;
    out->weights = skin->weights;
    return true;
}

}  // namespace

RwBool RpSkinPluginAttach()
{
    if (RwEngineRegisterPlugin(rwPluginClassGeometry, kPluginId, sizeof(GeometryData), nullptr,
                               GeometryDestruct, GeometryCopy) < 0 ||
        RwEngineRegisterPluginStream(rwPluginClassGeometry, kPluginId, GeometryStreamRead, GeometryStreamWrite,
                                     GeometryStreamSize) < 0 ||
        RwEngineRegisterPlugin(rwPluginClassAtomic, kPluginId, sizeof(AtomicData), nullptr, AtomicDestruct,
                               AtomicCopy) < 0)
        return false;
    RpAtomicSetSkinQueryCallBack(SkinQuery);
    return true;
}

RpSkin* RpSkinCreate(RwInt32 numVertices, RwInt32 numBones, const RwMatrix* skinToBone,
                     const RpSkinVertexIndices* indices, const RpSkinVertexWeights* weights)
{
    if (numVertices < 0 || numVertices > 65535 || numBones <= 0 || numBones > rpSkinMaxBonesStored || !skinToBone ||
        (numVertices > 0 && (!indices || !weights))) {
        LogError("RpSkinCreate: %d vertices and %d bones refused\n", numVertices, numBones);
        return nullptr;
    }
    for (RwInt32 b = 0; b < numBones; ++b) {
        if (!FiniteMatrix(skinToBone[b])) {
            LogError("RpSkinCreate: skin-to-bone matrix %d is not a number\n", b);
            return nullptr;
        }
    }
    auto* skin = new RpSkin{};
    skin->numBones = numBones;
    skin->numVertices = numVertices;
    skin->maxWeightsPerVertex = 1;
    skin->boneIndices = new RpSkinVertexIndices[size_t(std::max(numVertices, 1))]{};
    skin->weights = new RpSkinVertexWeights[size_t(std::max(numVertices, 1))]{};
    skin->skinToBone = new RwMatrix[size_t(numBones)];
    std::copy(skinToBone, skinToBone + numBones, skin->skinToBone);
    for (RwInt32 v = 0; v < numVertices; ++v) {
        RwReal sum = 0;
        int used = 0;
        for (int k = 0; k < 4; ++k) {
            const RwReal w = weights[v][k];
            if (!std::isfinite(w) || w < 0 || indices[v][k] >= numBones) {
                LogError("RpSkinCreate: vertex %d has a bad bone %d or weight %g\n", v, int(indices[v][k]),
                         double(w));
                RpSkinDestroy(skin);
                return nullptr;
            }
            sum += w;
            used += w > 0;
        }
        if (!(sum > 0)) {
            LogError("RpSkinCreate: vertex %d has no weight\n", v);
            RpSkinDestroy(skin);
            return nullptr;
        }
        skin->maxWeightsPerVertex = std::max(skin->maxWeightsPerVertex, used);
        for (int k = 0; k < 4; ++k) {
            skin->boneIndices[v][k] = indices[v][k];
            skin->weights[v][k] = weights[v][k] / sum;
        }
    }
    return skin;
}

RwBool RpSkinDestroy(RpSkin* skin)
{
    if (!skin)
        return false;
    delete[] skin->boneIndices;
    delete[] skin->weights;
    delete[] skin->skinToBone;
    delete skin;
    return true;
}

RpGeometry* RpSkinGeometrySetSkin(RpGeometry* geometry, RpSkin* skin)
{
    GeometryData* d = GetGeometry(geometry);
    if (!d) {
        LogError("RpSkinGeometrySetSkin: no geometry or skin plugin not attached\n");
        return nullptr;
    }
    if (skin && skin->numVertices != geometry->numVertices) {
        LogError("RpSkinGeometrySetSkin: skin of %d vertices on a geometry of %d\n", skin->numVertices,
                 geometry->numVertices);
        return nullptr;
    }
    if (d->skin != skin)
        RpSkinDestroy(d->skin);
    d->skin = skin;
    if (skin)
        geometry->flags |= rpGeometrySkinned;
    else
        geometry->flags &= ~RwUInt32(rpGeometrySkinned);
    return geometry;
}

RpSkin* RpSkinGeometryGetSkin(RpGeometry* geometry)
{
    const GeometryData* d = GetGeometry(geometry);
    return d ? d->skin : nullptr;
}

RwInt32 RpSkinGetNumBones(const RpSkin* skin)
{
    return skin ? skin->numBones : 0;
}

const RwMatrix* RpSkinGetSkinToBoneMatrices(const RpSkin* skin)
{
    return skin ? skin->skinToBone : nullptr;
}

const RpSkinVertexWeights* RpSkinGetVertexBoneWeights(const RpSkin* skin)
{
    return skin ? skin->weights : nullptr;
}

const RpSkinVertexIndices* RpSkinGetVertexBoneIndices(const RpSkin* skin)
{
    return skin ? skin->boneIndices : nullptr;
}

RpAtomic* RpSkinAtomicSetHAnimHierarchy(RpAtomic* atomic, RpHAnimHierarchy* hierarchy)
{
    AtomicData* d = GetAtomic(atomic);
    if (!d) {
        LogError("RpSkinAtomicSetHAnimHierarchy: no atomic or skin plugin not attached\n");
        return nullptr;
    }
    const RpSkin* skin = RpSkinGeometryGetSkin(atomic->geometry);
    if (hierarchy && skin && skin->numBones > hierarchy->numNodes)
        LogWarning("RpSkinAtomicSetHAnimHierarchy: skin of %d bones on a hierarchy of %d nodes; the extra bones "
                   "keep their bind pose\n",
                   skin->numBones, hierarchy->numNodes);
    d->hierarchy = hierarchy;
    return atomic;
}

RpHAnimHierarchy* RpSkinAtomicGetHAnimHierarchy(const RpAtomic* atomic)
{
    const AtomicData* d = GetAtomic(atomic);
    return d ? d->hierarchy : nullptr;
}

RwMatrix* RpSkinAtomicGetBoneMatrices(RpAtomic* atomic)
{
    AtomicData* d = GetAtomic(atomic);
    const RpSkin* skin = atomic ? RpSkinGeometryGetSkin(atomic->geometry) : nullptr;
    if (!d || !skin)
        return nullptr;
    if (!d->matrices)
        d->matrices = new std::vector<RwMatrix>;
    std::vector<RwMatrix>& out = *d->matrices;
    out.resize(size_t(skin->numBones));
    const RpHAnimHierarchy* h = d->hierarchy;
    const bool posed = h && h->pMatrixArray;
    RwMatrix toAtomic;
    RwMatrixSetIdentity(&toAtomic);
    if (posed && !(h->flags & rpHAnimHierarchyLocalSpaceMatrices)) {
        if (RwFrame* f = RpAtomicGetFrame(atomic); f && !RwMatrixInvert(&toAtomic, RwFrameGetLTM(f)))
            RwMatrixSetIdentity(&toAtomic);
    }
    const bool world = posed && !(h->flags & rpHAnimHierarchyLocalSpaceMatrices);
    for (RwInt32 b = 0; b < skin->numBones; ++b) {
        RwMatrix& m = out[size_t(b)];
        if (!posed || b >= h->numNodes) {
            RwMatrixSetIdentity(&m);
            continue;
        }
        RwMatrixMultiply(&m, &skin->skinToBone[b], &h->pMatrixArray[b]);
        if (world) {
            RwMatrix t = m;
            RwMatrixMultiply(&m, &t, &toAtomic);
        }
    }
    return out.data();
}

RpAtomic* RpSkinBlendVertices(RpAtomic* atomic, RwV3d* positionsOut, RwV3d* normalsOut)
{
    RwMatrix* bones = RpSkinAtomicGetBoneMatrices(atomic);
    if (!bones || !positionsOut)
        return nullptr;
    const RpGeometry* g = atomic->geometry;
    const RpSkin* skin = RpSkinGeometryGetSkin(atomic->geometry);
    if (g->numMorphTargets < 1 || !g->morphTarget || skin->numVertices != g->numVertices) {
        LogError("RpSkinBlendVertices: the geometry does not match its skin\n");
        return nullptr;
    }
    const RwV3d* pos = g->morphTarget[0].verts;
    const RwV3d* nrm = g->morphTarget[0].normals;
    for (RwInt32 v = 0; v < g->numVertices; ++v) {
        RwV3d p{0, 0, 0}, n{0, 0, 0};
        for (int k = 0; k < 4; ++k) {
            const RwReal w = skin->weights[v][k];
            if (w <= 0)
                continue;
            const RwMatrix& m = bones[skin->boneIndices[v][k]];
            RwV3d tp, tn;
            RwV3dTransformPoints(&tp, &pos[v], 1, &m);
            p = {p.x + tp.x * w, p.y + tp.y * w, p.z + tp.z * w};
            if (nrm && normalsOut) {
                RwV3dTransformVectors(&tn, &nrm[v], 1, &m);
                n = {n.x + tn.x * w, n.y + tn.y * w, n.z + tn.z * w};
            }
        }
        positionsOut[v] = p;
        if (normalsOut) {
            if (nrm)
                RwV3dNormalize(&normalsOut[v], &n);
            else
                normalsOut[v] = {0, 0, 0};
        }
    }
    return atomic;
}
