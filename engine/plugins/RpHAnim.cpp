#include "engine/plugins/RpHAnim.h"

#include "engine/plugins/PluginInternal.h"

#include <cstring>
#include <vector>

// Frame extension HAnim (0x200), one Data chunk:
//   {i32 nodeId; u32 hasHierarchy;
//    if hasHierarchy: u32 flags, u32 numNodes, u32 maxKeyFrameSize,
//                     numNodes x {i32 nodeId, i32 nodeIndex, u32 nodeFlags}}
// Nodes bind to frames by id when the hierarchy is attached, so the reader needs no frame
// indices.

namespace {

constexpr RwUInt32 kPluginId = rwChunkHAnim;
constexpr RwInt32 kMaxNodes = 4096;

struct FrameData {
    RwInt32 id;
    RpHAnimHierarchy* hierarchy;
};

bool g_allowNoMatrices = false;

// Asked each time: offsets change when the engine is initialised again.
FrameData* Get(RwFrame* frame)
{
    return frame ? rpplugins::Data<FrameData>(frame->pluginData,
                                              RwEngineGetPluginOffset(rwPluginClassFrame, kPluginId))
                 : nullptr;
}

// Parents from the depth-first flags (see RpHAnimNodeFlag); always parent < child.
void ComputeParents(RpHAnimHierarchy* h)
{
    std::vector<RwInt32> saved;
    RwInt32 current = -1;
    for (RwInt32 i = 0; i < h->numNodes; ++i) {
        RpHAnimNodeInfo& n = h->pNodeInfo[i];
        n.parentIndex = current;
        if (n.flags & rpHAnimPushParent)
            saved.push_back(current);
        current = i;
        if (n.flags & rpHAnimPopParent) {
            if (saved.empty()) {
                current = -1;
            } else {
                current = saved.back();
                saved.pop_back();
            }
        }
    }
}

bool Bound(const RpHAnimHierarchy* h, RwInt32 i)
{
    return i >= 0 && h->pNodeInfo[i].pFrame;
}

// The first frame at or below top, depth-first, that the test accepts. A walk over the links
// rather than recursion: a chain of frames read from a file may be thousands deep.
template <typename Test>
RwFrame* FindFrame(RwFrame* top, Test accepts)
{
    for (RwFrame* f = top; f;) {
        if (accepts(f))
            return f;
        if (f->child) {
            f = f->child;
            continue;
        }
        while (f != top && !f->next)
            f = RwFrameGetParent(f);
        f = f == top ? nullptr : f->next;
    }
    return nullptr;
}

// The world matrix of the space a top-level node lives in.
RwMatrix BaseLTM(const RpHAnimHierarchy* h, RwInt32 node)
{
    RwMatrix m;
    RwMatrixSetIdentity(&m);
    RwFrame* f = h->pNodeInfo[node].pFrame ? h->pNodeInfo[node].pFrame : h->parentFrame;
    RwFrame* parent = f ? RwFrameGetParent(f) : nullptr;
    if (parent)
        m = *RwFrameGetLTM(parent);
    return m;
}

RwBool Construct(void*, void* data, RwInt32)
{
    static_cast<FrameData*>(data)->id = rpHAnimIdNone;
    return true;
}

void Destruct(void*, void* data, RwInt32)
{
    auto* d = static_cast<FrameData*>(data);
    if (d->hierarchy) {
        RpHAnimHierarchy* h = d->hierarchy;
        d->hierarchy = nullptr;
        h->parentFrame = nullptr;
        RpHAnimHierarchyDestroy(h);
    }
}

// Clumps are cloned with children copied before parents, so every frame below already has its
// id and a copied hierarchy can bind at once.
RwBool Copy(void* dstObject, void* dstData, const void*, const void* srcData, RwInt32)
{
    auto* dst = static_cast<FrameData*>(dstData);
    const auto* src = static_cast<const FrameData*>(srcData);
    dst->id = src->id;
    dst->hierarchy = nullptr;
    const RpHAnimHierarchy* sh = src->hierarchy;
    if (!sh)
        return true;
    RpHAnimHierarchy* h = RpHAnimHierarchyCreateCopy(sh, sh->flags, sh->maxKeyFrameSize);
    if (!h)
        return false;
    if (h->pMatrixArray && sh->pMatrixArray)
        std::memcpy(h->pMatrixArray, sh->pMatrixArray, sizeof(RwMatrix) * size_t(sh->numNodes));
    h->parentFrame = static_cast<RwFrame*>(dstObject);
    dst->hierarchy = h;
    for (RwInt32 i = 0; i < sh->numNodes; ++i) {
        if (sh->pNodeInfo[i].pFrame) {
            RpHAnimHierarchyAttach(h);
            break;
        }
    }
    return true;
}

RwUInt32 DataSize(const FrameData* d)
{
    RwUInt32 n = 8;
    if (d->hierarchy)
        n += 12 + 12 * RwUInt32(d->hierarchy->numNodes);
    return n;
}

RwUInt32 StreamSize(const void*, const void* data)
{
    const auto* d = static_cast<const FrameData*>(data);
    if (d->id == rpHAnimIdNone && !d->hierarchy)
        return 0;
    return rwChunkHeaderSize + DataSize(d);
}

RwBool StreamWrite(RwStream* stream, const void*, const void* data)
{
    const auto* d = static_cast<const FrameData*>(data);
    const RpHAnimHierarchy* h = d->hierarchy;
    const RwUInt32 has = h ? 1 : 0;
    if (h && (h->flags & rpHAnimHierarchyNoMatrices) && !g_allowNoMatrices) {
        LogError("RpHAnim stream write: a hierarchy without matrices is not written\n");
        return false;
    }
    if (!RwStreamWriteChunkHeader(stream, rwChunkData, 1, DataSize(d)) || !RwStreamWriteInt32(stream, &d->id, 1) ||
        !RwStreamWriteUInt32(stream, &has, 1))
        return false;
    if (!h)
        return true;
    const RwUInt32 head[3] = {RwUInt32(h->flags), RwUInt32(h->numNodes), RwUInt32(h->maxKeyFrameSize)};
    if (!RwStreamWriteUInt32(stream, head, 3))
        return false;
    for (RwInt32 i = 0; i < h->numNodes; ++i) {
        const RpHAnimNodeInfo& n = h->pNodeInfo[i];
        const RwInt32 ids[2] = {n.nodeID, n.nodeIndex};
        const RwUInt32 flags = RwUInt32(n.flags);
        if (!RwStreamWriteInt32(stream, ids, 2) || !RwStreamWriteUInt32(stream, &flags, 1))
            return false;
    }
    return true;
}

RwBool StreamRead(RwStream* stream, RwUInt32 length, void* object, void* data)
{
    const char* who = "RpHAnim stream read";
    auto* d = static_cast<FrameData*>(data);
    RwUInt32 size;
    if (!rpplugins::ReadDataHeader(stream, length, 8, &size, who))
        return false;
    RwUInt32 has;
    if (!RwStreamReadInt32(stream, &d->id, 1) || !RwStreamReadUInt32(stream, &has, 1))
        return false;
    if (!has)
        return true;
    RwUInt32 head[3];
    if (size < 20 || !RwStreamReadUInt32(stream, head, 3)) {
        LogError("%s: hierarchy cut short\n", who);
        return false;
    }
    const RwUInt32 numNodes = head[1];
    if (numNodes == 0 || numNodes > RwUInt32(kMaxNodes) || numNodes > (size - 20) / 12) {
        LogError("%s: %u nodes do not fit %u bytes\n", who, numNodes, size);
        return false;
    }
    std::vector<RwInt32> ids(numNodes);
    std::vector<RwUInt32> flags(numNodes);
    for (RwUInt32 i = 0; i < numNodes; ++i) {
        RwInt32 idIndex[2];
        if (!RwStreamReadInt32(stream, idIndex, 2) || !RwStreamReadUInt32(stream, &flags[i], 1))
            return false;
        ids[i] = idIndex[0];
    }
    RpHAnimHierarchy* h = RpHAnimHierarchyCreate(RwInt32(numNodes), flags.data(), ids.data(), RwInt32(head[0]),
                                                 RwInt32(head[2]));
    if (!h)
        return false;
    // The frame owns what it read.
    if (d->hierarchy)
        RpHAnimHierarchyDestroy(d->hierarchy);
    d->hierarchy = h;
    h->parentFrame = static_cast<RwFrame*>(object);
    return true;
}

}  // namespace

RwBool RpHAnimPluginAttach()
{
    const RwInt32 offset =
        RwEngineRegisterPlugin(rwPluginClassFrame, kPluginId, sizeof(FrameData), Construct, Destruct, Copy);
    return offset >= 0 &&
           RwEngineRegisterPluginStream(rwPluginClassFrame, kPluginId, StreamRead, StreamWrite, StreamSize) >= 0;
}

RpHAnimHierarchy* RpHAnimHierarchyCreate(RwInt32 numNodes, const RwUInt32* nodeFlags, const RwInt32* nodeIDs,
                                         RwInt32 flags, RwInt32 maxKeyFrameSize)
{
    if (numNodes <= 0 || numNodes > kMaxNodes || !nodeIDs) {
        LogError("RpHAnimHierarchyCreate: %d nodes refused\n", numNodes);
        return nullptr;
    }
    RtAnimInterpolator* interp = RtAnimInterpolatorCreate(numNodes, maxKeyFrameSize);
    if (!interp)
        return nullptr;
    auto* h = new RpHAnimHierarchy{};
    h->flags = flags;
    h->numNodes = numNodes;
    h->maxKeyFrameSize = maxKeyFrameSize;
    h->interpolator = interp;
    h->pNodeInfo = new RpHAnimNodeInfo[size_t(numNodes)]{};
    for (RwInt32 i = 0; i < numNodes; ++i) {
        RpHAnimNodeInfo& n = h->pNodeInfo[i];
        n.nodeID = nodeIDs[i];
        n.nodeIndex = i;
        // Without flags the nodes form a chain, each the child of the one before.
        n.flags = nodeFlags ? RwInt32(nodeFlags[i] & (rpHAnimPopParent | rpHAnimPushParent))
                            : (i == numNodes - 1 ? rpHAnimPopParent : 0);
    }
    ComputeParents(h);
    if (!(flags & rpHAnimHierarchyNoMatrices)) {
        h->pMatrixArray = new RwMatrix[size_t(numNodes)];
        for (RwInt32 i = 0; i < numNodes; ++i)
            RwMatrixSetIdentity(&h->pMatrixArray[i]);
    }
    return h;
}

RpHAnimHierarchy* RpHAnimHierarchyCreateCopy(const RpHAnimHierarchy* src, RwInt32 flags, RwInt32 maxKeyFrameSize)
{
    if (!src)
        return nullptr;
    std::vector<RwUInt32> nodeFlags(size_t(src->numNodes));
    std::vector<RwInt32> ids(size_t(src->numNodes));
    for (RwInt32 i = 0; i < src->numNodes; ++i) {
        nodeFlags[size_t(i)] = RwUInt32(src->pNodeInfo[i].flags);
        ids[size_t(i)] = src->pNodeInfo[i].nodeID;
    }
    return RpHAnimHierarchyCreate(src->numNodes, nodeFlags.data(), ids.data(), flags, maxKeyFrameSize);
}

RwBool RpHAnimHierarchyDestroy(RpHAnimHierarchy* h)
{
    if (!h)
        return false;
    FrameData* d = Get(h->parentFrame);
    if (d && d->hierarchy == h)
        d->hierarchy = nullptr;
    RtAnimInterpolatorDestroy(h->interpolator);
    delete[] h->pMatrixArray;
    delete[] h->pNodeInfo;
    delete h;
    return true;
}

RpHAnimHierarchy* RpHAnimHierarchyAttach(RpHAnimHierarchy* h)
{
    if (!h)
        return nullptr;
    if (!h->parentFrame) {
        LogError("RpHAnimHierarchyAttach: the hierarchy has no parent frame\n");
        return nullptr;
    }
    for (RwInt32 i = 0; i < h->numNodes; ++i)
        h->pNodeInfo[i].pFrame = FindFrame(h->parentFrame, [&](RwFrame* f) {
            const FrameData* d = Get(f);
            return d && d->id == h->pNodeInfo[i].nodeID;
        });
    return h;
}

RpHAnimHierarchy* RpHAnimHierarchyDetach(RpHAnimHierarchy* h)
{
    if (!h)
        return nullptr;
    for (RwInt32 i = 0; i < h->numNodes; ++i)
        h->pNodeInfo[i].pFrame = nullptr;
    return h;
}

RwBool RpHAnimHierarchyUpdateMatrices(RpHAnimHierarchy* h)
{
    if (!h)
        return false;
    if ((h->flags & rpHAnimHierarchyNoMatrices) || !h->pMatrixArray) {
        LogError("RpHAnimHierarchyUpdateMatrices: the hierarchy has no matrices\n");
        return false;
    }
    RtAnimInterpolator* interp = h->interpolator;
    const bool posed = interp && interp->hasPose && interp->keyFrameApplyCB;
    const size_t n = size_t(h->numNodes);
    std::vector<RwMatrix> local(n), rel(n), acc(n);
    for (size_t i = 0; i < n; ++i) {
        const RpHAnimNodeInfo& node = h->pNodeInfo[i];
        if (posed && RwInt32(i) < interp->numNodes)
            interp->keyFrameApplyCB(&local[i], &interp->frames[i]);
        else if (node.pFrame)
            local[i] = node.pFrame->modelling;
        else
            RwMatrixSetIdentity(&local[i]);
        const RwInt32 p = node.parentIndex;
        if (p >= 0)
            RwMatrixMultiply(&rel[i], &local[i], &rel[size_t(p)]);
        else
            rel[i] = local[i];
        // A bound frame's parent is the nearest bound ancestor's frame, so the transforms of
        // unbound nodes in between are folded into it.
        if (p >= 0 && !Bound(h, p))
            RwMatrixMultiply(&acc[i], &local[i], &acc[size_t(p)]);
        else
            acc[i] = local[i];
    }
    const bool writeFrames = posed && (h->flags & rpHAnimHierarchyUpdateModellingMatrices);
    if (writeFrames) {
        for (size_t i = 0; i < n; ++i) {
            if (RwFrame* f = h->pNodeInfo[i].pFrame) {
                f->modelling = acc[i];
                RwMatrixUpdateFlags(&f->modelling);
                RwFrameUpdateObjects(f);
            }
        }
    }
    const bool local_space = h->flags & rpHAnimHierarchyLocalSpaceMatrices;
    std::vector<RwMatrix> base(n);
    for (size_t i = 0; i < n; ++i) {
        const RwInt32 p = h->pNodeInfo[i].parentIndex;
        if (local_space) {
            h->pMatrixArray[i] = rel[i];
            continue;
        }
        base[i] = p >= 0 ? base[size_t(p)] : BaseLTM(h, RwInt32(i));
        RwMatrixMultiply(&h->pMatrixArray[i], &rel[i], &base[i]);
    }
    return true;
}

RpHAnimHierarchy* RpHAnimFrameGetHierarchy(RwFrame* frame)
{
    FrameData* d = Get(frame);
    return d ? d->hierarchy : nullptr;
}

RpHAnimHierarchy* RpHAnimFrameFindHierarchy(RwFrame* frame)
{
    RwFrame* holder = FindFrame(frame, [](RwFrame* f) { return RpHAnimFrameGetHierarchy(f) != nullptr; });
    return RpHAnimFrameGetHierarchy(holder);
}

RwFrame* RpHAnimFrameSetHierarchy(RwFrame* frame, RpHAnimHierarchy* h)
{
    FrameData* d = Get(frame);
    if (!d) {
        LogError("RpHAnimFrameSetHierarchy: no frame or HAnim plugin not attached\n");
        return nullptr;
    }
    if (d->hierarchy && d->hierarchy != h && d->hierarchy->parentFrame == frame)
        d->hierarchy->parentFrame = nullptr;
    if (h) {
        // A hierarchy sits on one frame at a time.
        FrameData* old = Get(h->parentFrame);
        if (old && old != d && old->hierarchy == h)
            old->hierarchy = nullptr;
        h->parentFrame = frame;
    }
    d->hierarchy = h;
    return frame;
}

RwBool RpHAnimFrameSetID(RwFrame* frame, RwInt32 id)
{
    FrameData* d = Get(frame);
    if (!d)
        return false;
    d->id = id;
    return true;
}

RwInt32 RpHAnimFrameGetID(RwFrame* frame)
{
    const FrameData* d = Get(frame);
    return d ? d->id : rpHAnimIdNone;
}

void RpHAnimStreamAllowNoMatrices(RwBool allow)
{
    g_allowNoMatrices = allow;
}
