#pragma once

// Hierarchical animation: a hierarchy of nodes, each bound to a frame by its HAnim id, posed by
// an interpolator and producing one matrix per node for skinning.

#include "engine/core/RwCore.h"
#include "engine/plugins/RtAnim.h"

// Node flags: a depth-first encoding of the tree. A node without POP has children (the next
// node is its first child); POP ends a leaf (the walk returns to the parent saved by the latest
// PUSH, or to the top level when none is saved); PUSH on a node saves its parent because a
// sibling follows the node's subtree.
enum RpHAnimNodeFlag : RwInt32 {
    rpHAnimPopParent = 0x01,
    rpHAnimPushParent = 0x02,
};

enum RpHAnimHierarchyFlag : RwInt32 {
    rpHAnimHierarchyNoMatrices = 0x02,             // exported without matrices: not usable
    rpHAnimHierarchyUpdateModellingMatrices = 0x1000,  // the pose is written into the bound frames
    rpHAnimHierarchyUpdateLTMs = 0x2000,           // the world matrices of the bound frames follow
    rpHAnimHierarchyLocalSpaceMatrices = 0x4000,   // the matrix array is relative to the root node's parent
};

enum : RwInt32 { rpHAnimIdNone = -1 };

struct RpHAnimNodeInfo {
    RwInt32 nodeID;
    RwInt32 nodeIndex;
    RwInt32 flags;       // RpHAnimNodeFlag
    RwInt32 parentIndex; // from the flags; -1 at the top level (parents come first)
    RwFrame* pFrame;     // bound by RpHAnimHierarchyAttach, null when unbound
};

struct RpHAnimHierarchy {
    RwInt32 flags;  // RpHAnimHierarchyFlag
    RwInt32 numNodes;
    RwMatrix* pMatrixArray;  // one per node; null with rpHAnimHierarchyNoMatrices
    RpHAnimNodeInfo* pNodeInfo;
    RwFrame* parentFrame;  // the frame the nodes are searched under (and on)
    RwInt32 maxKeyFrameSize;
    RtAnimInterpolator* interpolator;  // the current animation
};

RwBool RpHAnimPluginAttach();

// nodeFlags and nodeIDs have numNodes entries (nodeFlags may be null: a chain). Matrices start
// as the identity; the interpolator has the scheme-1 callbacks and no animation.
RpHAnimHierarchy* RpHAnimHierarchyCreate(RwInt32 numNodes, const RwUInt32* nodeFlags, const RwInt32* nodeIDs,
                                         RwInt32 flags, RwInt32 maxKeyFrameSize);
// Same nodes, the given flags and key-frame size; matrices identity, no frames, no animation.
RpHAnimHierarchy* RpHAnimHierarchyCreateCopy(const RpHAnimHierarchy* hierarchy, RwInt32 flags,
                                             RwInt32 maxKeyFrameSize);
// Clears the reference of the frame that holds it.
RwBool RpHAnimHierarchyDestroy(RpHAnimHierarchy* hierarchy);
// Binds each node to the frame at or below the parent frame whose HAnim id equals the node's
// (depth-first, first match). Nodes without such a frame stay unbound.
RpHAnimHierarchy* RpHAnimHierarchyAttach(RpHAnimHierarchy* hierarchy);
RpHAnimHierarchy* RpHAnimHierarchyDetach(RpHAnimHierarchy* hierarchy);
// Recomputes the matrix array from the interpolator's pose (or, without one, from the bound
// frames' modelling matrices): local-space matrices with 0x4000, world matrices otherwise;
// with 0x1000 the pose is also written into the bound frames. False with flag 2.
RwBool RpHAnimHierarchyUpdateMatrices(RpHAnimHierarchy* hierarchy);

// The hierarchy held by the frame (at most one). A frame destroyed while it still holds one
// destroys it; RpHAnimHierarchyDestroy clears the reference first.
RpHAnimHierarchy* RpHAnimFrameGetHierarchy(RwFrame* frame);
// The frame's own hierarchy, else the first held by a frame below it (depth-first: children
// in order, each with its whole subtree before the next); null when there is none.
RpHAnimHierarchy* RpHAnimFrameFindHierarchy(RwFrame* frame);
// Also makes the frame the hierarchy's parent frame. Null detaches the frame from it.
RwFrame* RpHAnimFrameSetHierarchy(RwFrame* frame, RpHAnimHierarchy* hierarchy);
RwBool RpHAnimFrameSetID(RwFrame* frame, RwInt32 id);
RwInt32 RpHAnimFrameGetID(RwFrame* frame);  // rpHAnimIdNone when unset

// The writer refuses a hierarchy with flag 2 unless this is set (tests of the refusal).
void RpHAnimStreamAllowNoMatrices(RwBool allow);
