#include "engine/world/RpClump.h"

#include "engine/core/RwPlugin.h"
#include "engine/world/RpWorldInternal.h"

#include "framework/Debug.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

// ---- atomics ----

namespace {
RpAtomicSkinQueryCallBack g_skinQuery = nullptr;
}

void RpAtomicSetSkinQueryCallBack(RpAtomicSkinQueryCallBack callback)
{
    g_skinQuery = callback;
}

RpAtomicSkinQueryCallBack RpAtomicGetSkinQueryCallBack()
{
    return g_skinQuery;
}

RpAtomic* RpAtomicCreate()
{
    auto* a = new RpAtomic{};
    a->object.object.type = rwObjectTypeAtomic;
    a->object.object.flags = rpAtomicRender | rpAtomicCollisionTest;
    a->renderCallBack = AtomicDefaultRenderCallBack;
    a->interpolator.recipTime = 1.0f;
    a->interpolator.time = 1.0f;
    if (!RwPluginCreateExtension(rwPluginClassAtomic, a, &a->pluginData)) {
        LogError("RpAtomicCreate: a plugin refused the atomic\n");
        delete a;
        return nullptr;
    }
    return a;
}

RwBool RpAtomicDestroy(RpAtomic* atomic)
{
    if (!atomic)
        return false;
    if (atomic->clump)
        RpClumpRemoveAtomic(atomic->clump, atomic);
    RwPluginDestroyExtension(rwPluginClassAtomic, atomic, atomic->pluginData);
    RwObjectHasFrameSetFrame(atomic, nullptr);
    RpGeometryDestroy(atomic->geometry);
    RpGeometryDestroy(atomic->lowDetail);
    RpGeometryDestroy(atomic->shadowDetail);
    delete atomic;
    return true;
}

RpAtomic* RpAtomicSetGeometry(RpAtomic* atomic, RpGeometry* geometry)
{
    if (!atomic)
        return nullptr;
    RpGeometryAddRef(geometry);
    RpGeometryDestroy(atomic->geometry);
    atomic->geometry = geometry;
    atomic->boundingSphere = geometry && geometry->numMorphTargets > 0 ? geometry->morphTarget[0].boundingSphere
                                                                        : RwSphere{{0, 0, 0}, 0};
    return atomic;
}

RpGeometry* RpAtomicGetGeometry(const RpAtomic* atomic)
{
    return atomic ? atomic->geometry : nullptr;
}

namespace {

// The slot holds the geometry (null allowed) instead of what it held.
void Hold(RpGeometry*& slot, RpGeometry* geometry)
{
    RpGeometryAddRef(geometry);
    RpGeometryDestroy(slot);
    slot = geometry;
}

}  // namespace

RpAtomic* RpAtomicSetLowDetail(RpAtomic* atomic, RpGeometry* geometry, RwReal belowPixels)
{
    if (!atomic)
        return nullptr;
    Hold(atomic->lowDetail, geometry);
    atomic->lowDetailBelow = geometry ? belowPixels : 0.0f;
    return atomic;
}

RpGeometry* RpAtomicGetLowDetail(const RpAtomic* atomic)
{
    return atomic ? atomic->lowDetail : nullptr;
}

RpAtomic* RpAtomicSetShadowDetail(RpAtomic* atomic, RpGeometry* geometry)
{
    if (!atomic)
        return nullptr;
    Hold(atomic->shadowDetail, geometry);
    return atomic;
}

RpGeometry* RpAtomicGetShadowDetail(const RpAtomic* atomic)
{
    return atomic ? atomic->shadowDetail : nullptr;
}

RpAtomic* RpAtomicSetFrame(RpAtomic* atomic, RwFrame* frame)
{
    if (!atomic)
        return nullptr;
    RwObjectHasFrameSetFrame(atomic, frame);
    return atomic;
}

RwFrame* RpAtomicGetFrame(const RpAtomic* atomic)
{
    return atomic ? RwObjectGetFrame(atomic) : nullptr;
}

RpAtomic* RpAtomicSetFlags(RpAtomic* atomic, RwUInt32 flags)
{
    if (atomic)
        atomic->object.object.flags = RwUInt8(flags);
    return atomic;
}

RwUInt32 RpAtomicGetFlags(const RpAtomic* atomic)
{
    return atomic ? atomic->object.object.flags : 0;
}

RpAtomic* RpAtomicSetRenderCallBack(RpAtomic* atomic, RpAtomicCallBackRender callback)
{
    if (atomic)
        atomic->renderCallBack = callback ? callback : AtomicDefaultRenderCallBack;
    return atomic;
}

RpAtomicCallBackRender RpAtomicGetRenderCallBack(const RpAtomic* atomic)
{
    return atomic ? atomic->renderCallBack : nullptr;
}

RpAtomic* RpAtomicRender(RpAtomic* atomic)
{
    if (!atomic || !atomic->renderCallBack)
        return nullptr;
    return atomic->renderCallBack(atomic);
}

RwSphere* RpAtomicGetBoundingSphere(RpAtomic* atomic)
{
    return atomic ? &atomic->boundingSphere : nullptr;
}

RwSphere* RpAtomicGetWorldBoundingSphere(RpAtomic* atomic)
{
    if (!atomic)
        return nullptr;
    RwFrame* frame = RpAtomicGetFrame(atomic);
    if (!frame) {
        atomic->worldBoundingSphere = atomic->boundingSphere;
        return &atomic->worldBoundingSphere;
    }
    const RwMatrix* ltm = RwFrameGetLTM(frame);
    RwV3dTransformPoints(&atomic->worldBoundingSphere.center, &atomic->boundingSphere.center, 1, ltm);
    const RwReal scale = std::max({RwV3dLength(&ltm->right), RwV3dLength(&ltm->up), RwV3dLength(&ltm->at)});
    atomic->worldBoundingSphere.radius = atomic->boundingSphere.radius * scale;
    return &atomic->worldBoundingSphere;
}

RpClump* RpAtomicGetClump(const RpAtomic* atomic)
{
    return atomic ? atomic->clump : nullptr;
}

// ---- clumps ----

RpClump* RpClumpCreate()
{
    auto* c = new RpClump{};
    c->object.type = rwObjectTypeClump;
    if (!RwPluginCreateExtension(rwPluginClassClump, c, &c->pluginData)) {
        LogError("RpClumpCreate: a plugin refused the clump\n");
        delete c;
        return nullptr;
    }
    return c;
}

RpClump* RpClumpCreateDummy(const RwV3d* position, RwReal radius)
{
    RpClump* clump = RpClumpCreate();
    RwFrame* frame = clump ? RwFrameCreate() : nullptr;
    RpAtomic* atomic = frame ? RpAtomicCreate() : nullptr;
    RpGeometry* geometry = atomic ? RpGeometryCreate(0, 0, 0) : nullptr;
    if (!geometry) {
        RpAtomicDestroy(atomic);
        if (frame)
            RwFrameDestroy(frame);
        if (clump)
            RpClumpDestroy(clump);
        LogError("RpClumpCreateDummy: out of objects\n");
        return nullptr;
    }
    if (position)
        RwFrameTranslate(frame, position, rwCombineReplace);
    geometry->morphTarget[0].boundingSphere = {{0, 0, 0}, std::max(radius, 0.0f)};
    RpClumpSetFrame(clump, frame);
    RpAtomicSetGeometry(atomic, geometry);
    RpGeometryDestroy(geometry);
    RpAtomicSetFrame(atomic, frame);
    RpClumpAddAtomic(clump, atomic);
    return clump;
}

RwBool RpClumpDestroy(RpClump* clump)
{
    if (!clump)
        return false;
    while (!clump->atomics.empty())
        RpAtomicDestroy(clump->atomics.back());
    RwPluginDestroyExtension(rwPluginClassClump, clump, clump->pluginData);
    if (RwFrame* root = RpClumpGetFrame(clump))
        RwFrameDestroyHierarchy(root);
    delete clump;
    return true;
}

RpClump* RpClumpRender(RpClump* clump)
{
    if (!clump)
        return nullptr;
    // A callback may take atomics out of the clump.
    const std::vector<RpAtomic*> atomics = clump->atomics;
    for (RpAtomic* a : atomics)
        if ((a->object.object.flags & rpAtomicRender) && a->renderCallBack)
            a->renderCallBack(a);
    return clump;
}

RpClump* RpClumpForAllAtomics(RpClump* clump, RpAtomicCallBack callback, void* data)
{
    if (!clump || !callback)
        return clump;
    const std::vector<RpAtomic*> atomics = clump->atomics;
    for (RpAtomic* a : atomics)
        if (!callback(a, data))
            break;
    return clump;
}

RwInt32 RpClumpGetNumAtomics(const RpClump* clump)
{
    return clump ? RwInt32(clump->atomics.size()) : 0;
}

RwFrame* RpClumpGetFrame(const RpClump* clump)
{
    return clump ? static_cast<RwFrame*>(clump->object.parent) : nullptr;
}

RpClump* RpClumpSetFrame(RpClump* clump, RwFrame* frame)
{
    if (clump)
        clump->object.parent = frame;
    return clump;
}

RpClump* RpClumpAddAtomic(RpClump* clump, RpAtomic* atomic)
{
    if (!clump || !atomic)
        return nullptr;
    if (atomic->clump == clump)
        return clump;
    if (atomic->clump)
        RpClumpRemoveAtomic(atomic->clump, atomic);
    clump->atomics.push_back(atomic);
    atomic->clump = clump;
    return clump;
}

RpClump* RpClumpRemoveAtomic(RpClump* clump, RpAtomic* atomic)
{
    if (!clump || !atomic || atomic->clump != clump)
        return nullptr;
    clump->atomics.erase(std::find(clump->atomics.begin(), clump->atomics.end(), atomic));
    atomic->clump = nullptr;
    return clump;
}

namespace {

void CollectFrames(RwFrame* frame, std::vector<RwFrame*>& out)
{
    out.push_back(frame);
    for (RwFrame* c = frame->child; c; c = c->next)
        CollectFrames(c, out);
}

}  // namespace

RpClump* RpClumpClone(RpClump* clump)
{
    if (!clump)
        return nullptr;
    RpClump* copy = RpClumpCreate();
    if (!copy)
        return nullptr;
    bool ok = RwPluginCopyExtension(rwPluginClassClump, copy, copy->pluginData, clump, clump->pluginData);

    // Frames: the new tree first, then the plugins' copies from the deepest frames up.
    std::vector<RwFrame*> frames;
    if (RwFrame* root = RpClumpGetFrame(clump))
        CollectFrames(root, frames);
    std::unordered_map<const RwFrame*, RwFrame*> map;
    std::vector<RwFrame*> made;
    for (RwFrame* f : frames) {
        RwFrame* n = RwFrameCreate();
        if (!n) {
            ok = false;
            break;
        }
        n->modelling = f->modelling;
        n->ltm = f->ltm;
        if (auto* parent = static_cast<RwFrame*>(f->object.parent); parent && map.count(parent))
            RwFrameAddChild(map[parent], n);
        map[f] = n;
        made.push_back(n);
    }
    if (!made.empty())
        RpClumpSetFrame(copy, made.front());
    for (size_t i = made.size(); ok && i-- > 0;)
        ok = RwPluginCopyExtension(rwPluginClassFrame, made[i], made[i]->pluginData, frames[i], frames[i]->pluginData);

    for (RpAtomic* a : clump->atomics) {
        if (!ok)
            break;
        RpAtomic* n = RpAtomicCreate();
        if (!n) {
            ok = false;
            break;
        }
        n->object.object.flags = a->object.object.flags;
        n->renderCallBack = a->renderCallBack;
        n->interpolator = a->interpolator;
        n->matFXEnabled = a->matFXEnabled;
        RpAtomicSetGeometry(n, a->geometry);
        RpAtomicSetLowDetail(n, a->lowDetail, a->lowDetailBelow);
        RpAtomicSetShadowDetail(n, a->shadowDetail);
        n->boundingSphere = a->boundingSphere;
        RwFrame* frame = RpAtomicGetFrame(a);
        if (frame) {
            auto found = map.find(frame);
            if (found == map.end()) {
                LogWarning("RpClumpClone: an atomic sits on a frame outside the clump; it keeps that frame\n");
                RpAtomicSetFrame(n, frame);
            } else {
                RpAtomicSetFrame(n, found->second);
            }
        }
        RpClumpAddAtomic(copy, n);
        ok = RwPluginCopyExtension(rwPluginClassAtomic, n, n->pluginData, a, a->pluginData);
    }
    if (!ok) {
        LogError("RpClumpClone: a plugin refused the copy\n");
        RpClumpDestroy(copy);
        return nullptr;
    }
    return copy;
}
