#pragma once

// Atomics (a geometry placed by a frame) and clumps (atomics on one frame hierarchy).

#include "engine/world/RpGeometry.h"

#include <vector>

struct RpAtomic;
struct RpClump;
struct RwStream;

// Morph interpolation between two targets. The geometry draws its first target; the
// morph plugin keeps the atomic's sphere between start and end targets.
enum RpInterpolatorFlag : RwInt32 {
    rpInterpolatorDirtyInstance = 1,
    rpInterpolatorDirtySphere = 2,
};

struct RpInterpolator {
    RwInt32 flags;  // RpInterpolatorFlag
    RwInt16 startMorphTarget;
    RwInt16 endMorphTarget;
    RwReal time;
    RwReal recipTime;
    RwReal position;
};

enum RpAtomicFlag : RwUInt8 {
    rpAtomicCollisionTest = 0x01,
    rpAtomicRender = 0x04,  // the visibility flag RpClumpRender looks at
};

using RpAtomicCallBackRender = RpAtomic* (*)(RpAtomic* atomic);

struct RpAtomic {
    RwObjectHasFrame object;  // object.flags: RpAtomicFlag
    RpGeometry* geometry;     // one reference held
    RwSphere boundingSphere;  // geometry space
    RwSphere worldBoundingSphere;
    RpInterpolator interpolator;
    RpAtomicCallBackRender renderCallBack;  // RpAtomicRender calls it; callers may call it directly
    RpClump* clump;                         // the clump the atomic is in, or null
    RwBool matFXEnabled;                    // set by the material-effects plugin
    RwUInt8* pluginData;                    // rwPluginClassAtomic
    // A simpler mesh of the same model, drawn instead while the atomic's bounding sphere is
    // less than lowDetailBelow pixels across on the camera's raster; one reference held.
    RpGeometry* lowDetail;
    RwReal lowDetailBelow;
    // A coarser mesh still, drawn in place of lowDetail by a camera asking for low detail (a
    // shadow's, where only the outline shows); one reference held.
    RpGeometry* shadowDetail;
};

// Flags rpAtomicRender | rpAtomicCollisionTest, the default render callback, no frame or geometry.
RpAtomic* RpAtomicCreate();
// Drops its geometry reference and leaves its frame and clump; the frame stays.
RwBool RpAtomicDestroy(RpAtomic* atomic);
// Holds a reference to the new geometry (null allowed) and takes its first target's sphere.
RpAtomic* RpAtomicSetGeometry(RpAtomic* atomic, RpGeometry* geometry);
RpGeometry* RpAtomicGetGeometry(const RpAtomic* atomic);
// The simpler mesh drawn below the given size in pixels across (null removes it). It is drawn
// with the geometry's materials and flags, so it must list as many materials, in the same
// order; a skinned one must be skinned by the same bones. Otherwise the geometry is drawn.
RpAtomic* RpAtomicSetLowDetail(RpAtomic* atomic, RpGeometry* geometry, RwReal belowPixels);
RpGeometry* RpAtomicGetLowDetail(const RpAtomic* atomic);
// The mesh a camera asking for low detail draws (null removes it), bound as the low-detail
// mesh is; where it cannot stand in, such a camera draws the low-detail mesh.
RpAtomic* RpAtomicSetShadowDetail(RpAtomic* atomic, RpGeometry* geometry);
RpGeometry* RpAtomicGetShadowDetail(const RpAtomic* atomic);
RpAtomic* RpAtomicSetFrame(RpAtomic* atomic, RwFrame* frame);
RwFrame* RpAtomicGetFrame(const RpAtomic* atomic);
RpAtomic* RpAtomicSetFlags(RpAtomic* atomic, RwUInt32 flags);
RwUInt32 RpAtomicGetFlags(const RpAtomic* atomic);
RpAtomic* RpAtomicSetRenderCallBack(RpAtomic* atomic, RpAtomicCallBackRender callback);  // null: default
RpAtomicCallBackRender RpAtomicGetRenderCallBack(const RpAtomic* atomic);
// Calls the render callback (the camera update must be under way).
RpAtomic* RpAtomicRender(RpAtomic* atomic);
// The default render callback: draws the geometry with the camera world's lights (flag 1).
RpAtomic* AtomicDefaultRenderCallBack(RpAtomic* atomic);
// Geometry space.
RwSphere* RpAtomicGetBoundingSphere(RpAtomic* atomic);
// The sphere moved by the frame's LTM; the radius grows with the largest axis scale.
RwSphere* RpAtomicGetWorldBoundingSphere(RpAtomic* atomic);
// The world sphere every vertex of the atomic's own geometry lies within as it is posed now (by
// its bones when skinned). False without a geometry to draw, or when its skin's weights let the
// vertices reach anywhere.
RwBool RpAtomicGetPosedWorldSphere(RpAtomic* atomic, RwSphere* sphere);
RpClump* RpAtomicGetClump(const RpAtomic* atomic);

// Skinned drawing. The skin plugin installs this query; the atomic render calls it for every
// atomic it draws. It returns true for a skinned atomic after filling out: bone matrices in the
// atomic's own space (vertex -> skinned vertex before the atomic's LTM), and per vertex four
// bone indices and four weights (unused slots weigh 0) of the geometry drawn, which is the
// atomic's own or its low-detail mesh. Arrays belong to the plugin and must stay valid until
// the draw returns; the indices and weights are read once per geometry.
enum : RwInt32 { rpSkinMaxBones = 64 };  // bones the GPU path can draw
struct RpAtomicSkinData {
    RwInt32 numBones;
    const RwMatrix* boneMatrices;     // numBones entries
    const RwUInt8 (*boneIndices)[4];  // geometry->numVertices entries
    const RwReal (*weights)[4];       // geometry->numVertices entries
};
using RpAtomicSkinQueryCallBack = RwBool (*)(RpAtomic* atomic, RpGeometry* geometry, RpAtomicSkinData* out);
void RpAtomicSetSkinQueryCallBack(RpAtomicSkinQueryCallBack callback);
RpAtomicSkinQueryCallBack RpAtomicGetSkinQueryCallBack();

using RpAtomicCallBack = RpAtomic* (*)(RpAtomic* atomic, void* data);

struct RpClump {
    RwObject object;                // object.parent: the root frame
    std::vector<RpAtomic*> atomics; // in the order added (read order for streamed clumps)
    RwUInt8* pluginData;            // rwPluginClassClump
};

// No frame, no atomics.
RpClump* RpClumpCreate();
// A root frame at the position and one atomic on it with an empty geometry whose bounding
// sphere has the radius (a stand-in for a model that could not be read).
RpClump* RpClumpCreateDummy(const RwV3d* position, RwReal radius);
// Destroys the atomics (the geometries lose a reference) and the whole frame hierarchy
// under the root frame.
RwBool RpClumpDestroy(RpClump* clump);
// Deep copy of the frames and atomics; geometry shared by reference; plugin data copied by
// the plugins' copy callbacks. Frame copies run after the new hierarchy is complete, children
// before parents, so a frame's callback finds every frame below it already copied; atomic
// copies run once the atomic has its frame, geometry and clump.
RpClump* RpClumpClone(RpClump* clump);
// Every atomic with rpAtomicRender, through its render callback.
RpClump* RpClumpRender(RpClump* clump);
// Stops at the first callback returning null.
RpClump* RpClumpForAllAtomics(RpClump* clump, RpAtomicCallBack callback, void* data);
RwInt32 RpClumpGetNumAtomics(const RpClump* clump);
RwFrame* RpClumpGetFrame(const RpClump* clump);
RpClump* RpClumpSetFrame(RpClump* clump, RwFrame* frame);
// The clump owns the atomic from now on (an atomic is in at most one clump).
RpClump* RpClumpAddAtomic(RpClump* clump, RpAtomic* atomic);
RpClump* RpClumpRemoveAtomic(RpClump* clump, RpAtomic* atomic);

// After RwStreamFindChunk(16): reads the payload. Null with a log line on bad data; missing
// textures only set error 22.
RpClump* RpClumpStreamRead(RwStream* stream);
// Writes the whole chunk 16, header included. The frames written are the root's hierarchy
// (parents first); every atomic's frame must be in it.
const RpClump* RpClumpStreamWrite(const RpClump* clump, RwStream* stream);
RwUInt32 RpClumpStreamGetSize(const RpClump* clump);  // payload only
