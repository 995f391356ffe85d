#pragma once

// Frames: a hierarchy of modelling matrices. The world matrix (LTM) of a frame is its own
// matrix followed by its parent's LTM: ltm = modelling x parent.ltm.

#include "engine/core/RwMatrix.h"

struct RwFrame;

enum RwObjectType : RwUInt8 {
    rwObjectTypeFrame = 0,
    rwObjectTypeAtomic = 1,
    rwObjectTypeClump = 2,
    rwObjectTypeLight = 3,
    rwObjectTypeCamera = 4,
    rwObjectTypeTexture = 6,
    rwObjectTypeMaterial = 7,
    rwObjectTypeGeometry = 8,
    rwObjectTypeWorld = 9,
};

struct RwObject {
    RwUInt8 type;
    RwUInt8 subType;
    RwUInt8 flags;
    RwUInt8 privateFlags;
    void* parent;  // the frame for objects that have one
};

// Base of cameras, lights and atomics: an object that sits on a frame.
struct RwObjectHasFrame {
    RwObject object;
    RwObjectHasFrame* nextInFrame;
    RwObjectHasFrame* prevInFrame;
};

struct RwFrame {
    RwObject object;  // object.parent is the parent frame
    RwMatrix modelling;  // written directly by callers
    RwMatrix ltm;        // world matrix, brought up to date by RwFrameGetLTM
    RwFrame* child;      // first child
    RwFrame* next;       // next sibling
    RwObjectHasFrame* objects;
    RwUInt8* pluginData;
};

using RwFrameCallBack = RwFrame* (*)(RwFrame* frame, void* data);
using RwObjectCallBack = RwObjectHasFrame* (*)(RwObjectHasFrame* object, void* data);

RwFrame* RwFrameCreate();  // identity, no parent
// Detaches the frame from its parent and its objects from it; its children become roots.
RwBool RwFrameDestroy(RwFrame* frame);
// The frame and every frame below it.
RwBool RwFrameDestroyHierarchy(RwFrame* frame);
RwFrame* RwFrameSetIdentity(RwFrame* frame);
RwFrame* RwFrameTranslate(RwFrame* frame, const RwV3d* v, RwOpCombineType combine);
RwFrame* RwFrameRotate(RwFrame* frame, const RwV3d* axis, RwReal degrees, RwOpCombineType combine);
RwFrame* RwFrameScale(RwFrame* frame, const RwV3d* v, RwOpCombineType combine);
RwFrame* RwFrameTransform(RwFrame* frame, const RwMatrix* m, RwOpCombineType combine);
RwMatrix* RwFrameGetMatrix(RwFrame* frame);
// The world matrix, computed from the current modelling matrices up the chain, however
// deep. Null (logged) for a null frame.
RwMatrix* RwFrameGetLTM(RwFrame* frame);
// Marks the hierarchy for update. LTMs are always computed on demand, so this only keeps
// the call sites meaningful.
RwFrame* RwFrameUpdateObjects(RwFrame* frame);
// Appends child to parent's children (detaching it from any former parent). Null when the
// child is the parent or one of its ancestors.
RwFrame* RwFrameAddChild(RwFrame* parent, RwFrame* child);
RwFrame* RwFrameRemoveChild(RwFrame* child);
RwFrame* RwFrameGetParent(const RwFrame* frame);
RwFrame* RwFrameGetRoot(RwFrame* frame);
// Stops at the first callback returning null.
RwFrame* RwFrameForAllChildren(RwFrame* frame, RwFrameCallBack callback, void* data);
RwFrame* RwFrameForAllObjects(RwFrame* frame, RwObjectCallBack callback, void* data);
RwInt32 RwFrameCount(RwFrame* frame);  // the frame and all below it

// Attaches an object to a frame, or detaches it with null.
void RwObjectHasFrameSetFrame(void* object, RwFrame* frame);
RwFrame* RwObjectGetFrame(const void* object);
