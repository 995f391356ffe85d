#include "engine/core/RwFrame.h"

#include "engine/core/RwPlugin.h"

#include "framework/Debug.h"

#include <vector>

namespace {

void Unlink(RwFrame* child)
{
    auto* parent = static_cast<RwFrame*>(child->object.parent);
    if (!parent)
        return;
    RwFrame** link = &parent->child;
    while (*link && *link != child)
        link = &(*link)->next;
    if (*link)
        *link = child->next;
    child->next = nullptr;
    child->object.parent = nullptr;
}

void DetachObjects(RwFrame* frame)
{
    while (frame->objects)
        RwObjectHasFrameSetFrame(frame->objects, nullptr);
}

void DestroyOne(RwFrame* frame)
{
    DetachObjects(frame);
    RwPluginDestroyExtension(rwPluginClassFrame, frame, frame->pluginData);
    delete frame;
}

}  // namespace

RwFrame* RwFrameCreate()
{
    auto* frame = new RwFrame{};
    frame->object.type = rwObjectTypeFrame;
    RwMatrixSetIdentity(&frame->modelling);
    RwMatrixSetIdentity(&frame->ltm);
    if (!RwPluginCreateExtension(rwPluginClassFrame, frame, &frame->pluginData)) {
        LogError("RwFrameCreate: a plugin refused the frame\n");
        delete frame;
        return nullptr;
    }
    return frame;
}

RwBool RwFrameDestroy(RwFrame* frame)
{
    if (!frame)
        return false;
    Unlink(frame);
    while (frame->child) {
        RwFrame* c = frame->child;
        frame->child = c->next;
        c->next = nullptr;
        c->object.parent = nullptr;
    }
    DestroyOne(frame);
    return true;
}

RwBool RwFrameDestroyHierarchy(RwFrame* frame)
{
    if (!frame)
        return false;
    Unlink(frame);
    std::vector<RwFrame*> todo{frame};
    while (!todo.empty()) {
        RwFrame* f = todo.back();
        todo.pop_back();
        for (RwFrame* c = f->child; c; c = c->next)
            todo.push_back(c);
        DestroyOne(f);
    }
    return true;
}

RwFrame* RwFrameSetIdentity(RwFrame* frame)
{
    RwMatrixSetIdentity(&frame->modelling);
    return frame;
}

RwFrame* RwFrameTranslate(RwFrame* frame, const RwV3d* v, RwOpCombineType combine)
{
    RwMatrixTranslate(&frame->modelling, v, combine);
    return frame;
}

RwFrame* RwFrameRotate(RwFrame* frame, const RwV3d* axis, RwReal degrees, RwOpCombineType combine)
{
    return RwMatrixRotate(&frame->modelling, axis, degrees, combine) ? frame : nullptr;
}

RwFrame* RwFrameScale(RwFrame* frame, const RwV3d* v, RwOpCombineType combine)
{
    RwMatrixScale(&frame->modelling, v, combine);
    return frame;
}

RwFrame* RwFrameTransform(RwFrame* frame, const RwMatrix* m, RwOpCombineType combine)
{
    RwMatrixTransform(&frame->modelling, m, combine);
    return frame;
}

RwMatrix* RwFrameGetMatrix(RwFrame* frame)
{
    return &frame->modelling;
}

RwMatrix* RwFrameGetLTM(RwFrame* frame)
{
    if (!frame) {
        LogError("RwFrameGetLTM: no frame\n");
        return nullptr;
    }
    // Callers write modelling matrices directly, so a cached LTM could be stale: compute
    // from the root down each time. Reused, so a deep chain costs no allocation per call.
    thread_local std::vector<RwFrame*> chain;
    chain.clear();
    for (RwFrame* f = frame; f; f = static_cast<RwFrame*>(f->object.parent))
        chain.push_back(f);
    RwFrame* top = chain.back();
    top->ltm = top->modelling;
    for (size_t i = chain.size() - 1; i-- > 0;)
        RwMatrixMultiply(&chain[i]->ltm, &chain[i]->modelling, &chain[i + 1]->ltm);
    return &frame->ltm;
}

RwFrame* RwFrameUpdateObjects(RwFrame* frame)
{
    return frame;
}

RwFrame* RwFrameAddChild(RwFrame* parent, RwFrame* child)
{
    if (!parent || !child)
        return nullptr;
    for (RwFrame* f = parent; f; f = static_cast<RwFrame*>(f->object.parent)) {
        if (f == child) {
            LogError("RwFrameAddChild: a frame cannot become its own descendant\n");
            return nullptr;
        }
    }
    Unlink(child);
    RwFrame** link = &parent->child;
    while (*link)
        link = &(*link)->next;
    *link = child;
    child->object.parent = parent;
    return parent;
}

RwFrame* RwFrameRemoveChild(RwFrame* child)
{
    Unlink(child);
    return child;
}

RwFrame* RwFrameGetParent(const RwFrame* frame)
{
    return static_cast<RwFrame*>(frame->object.parent);
}

RwFrame* RwFrameGetRoot(RwFrame* frame)
{
    while (frame->object.parent)
        frame = static_cast<RwFrame*>(frame->object.parent);
    return frame;
}

RwFrame* RwFrameForAllChildren(RwFrame* frame, RwFrameCallBack callback, void* data)
{
    for (RwFrame* c = frame->child; c;) {
        RwFrame* next = c->next;  // the callback may detach c
        if (!callback(c, data))
            break;
        c = next;
    }
    return frame;
}

RwFrame* RwFrameForAllObjects(RwFrame* frame, RwObjectCallBack callback, void* data)
{
    for (RwObjectHasFrame* o = frame->objects; o;) {
        RwObjectHasFrame* next = o->nextInFrame;
        if (!callback(o, data))
            break;
        o = next;
    }
    return frame;
}

RwInt32 RwFrameCount(RwFrame* frame)
{
    RwInt32 n = 1;
    for (RwFrame* c = frame->child; c; c = c->next)
        n += RwFrameCount(c);
    return n;
}

void RwObjectHasFrameSetFrame(void* object, RwFrame* frame)
{
    auto* o = static_cast<RwObjectHasFrame*>(object);
    auto* old = static_cast<RwFrame*>(o->object.parent);
    if (old) {
        if (o->prevInFrame)
            o->prevInFrame->nextInFrame = o->nextInFrame;
        else
            old->objects = o->nextInFrame;
        if (o->nextInFrame)
            o->nextInFrame->prevInFrame = o->prevInFrame;
    }
    o->nextInFrame = o->prevInFrame = nullptr;
    o->object.parent = frame;
    if (frame) {
        o->nextInFrame = frame->objects;
        if (frame->objects)
            frame->objects->prevInFrame = o;
        frame->objects = o;
    }
}

RwFrame* RwObjectGetFrame(const void* object)
{
    return static_cast<RwFrame*>(static_cast<const RwObject*>(object)->parent);
}
