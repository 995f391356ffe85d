#pragma once

// Skinning: per vertex up to four bone indices and weights, and per bone the skin-to-bone
// (inverse bind) matrix; a skinned atomic is posed by an HAnim hierarchy, bone i by node i.

#include "engine/plugins/RpHAnim.h"
#include "engine/world/RpWorld.h"

using RpSkinVertexIndices = RwUInt8[4];
using RpSkinVertexWeights = RwReal[4];

enum : RwInt32 { rpSkinMaxBonesStored = 256 };

struct RpSkin {
    RwInt32 numBones;
    RwInt32 maxWeightsPerVertex;  // 1..4
    RwInt32 numVertices;
    RpSkinVertexIndices* boneIndices;  // numVertices
    RpSkinVertexWeights* weights;      // numVertices, each summing to 1
    RwMatrix* skinToBone;              // numBones: vertex (skin space) -> bone space
};

RwBool RpSkinPluginAttach();

// Copies the arrays; weights are normalised. Null (logged) for indices out of range,
// negative or all-zero weights, or counts out of range.
RpSkin* RpSkinCreate(RwInt32 numVertices, RwInt32 numBones, const RwMatrix* skinToBone,
                     const RpSkinVertexIndices* indices, const RpSkinVertexWeights* weights);
RwBool RpSkinDestroy(RpSkin* skin);
// The geometry owns the skin from now on (null removes and destroys the old one). The skin's
// vertex count must match the geometry's.
RpGeometry* RpSkinGeometrySetSkin(RpGeometry* geometry, RpSkin* skin);
RpSkin* RpSkinGeometryGetSkin(RpGeometry* geometry);  // null when unskinned

RwInt32 RpSkinGetNumBones(const RpSkin* skin);
const RwMatrix* RpSkinGetSkinToBoneMatrices(const RpSkin* skin);
const RpSkinVertexWeights* RpSkinGetVertexBoneWeights(const RpSkin* skin);
const RpSkinVertexIndices* RpSkinGetVertexBoneIndices(const RpSkin* skin);

// A skin with more bones than the hierarchy has nodes is clamped with a warning: the extra
// bones stay in their bind pose.
RpAtomic* RpSkinAtomicSetHAnimHierarchy(RpAtomic* atomic, RpHAnimHierarchy* hierarchy);
RpHAnimHierarchy* RpSkinAtomicGetHAnimHierarchy(const RpAtomic* atomic);
// The skinning matrices in the atomic's space (skinned vertex = vertex x matrix, before the
// atomic's LTM), one per bone; valid until the next call for this atomic. With the hierarchy's
// local-space flag: skinToBone_i x M_i; otherwise skinToBone_i x M_i x inverse(atomic LTM),
// M_i being the hierarchy's matrix i. Without a hierarchy every matrix is the identity.
// Null for an unskinned atomic.
RwMatrix* RpSkinAtomicGetBoneMatrices(RpAtomic* atomic);
// Blends the first morph target's positions (and normals, when both arrays exist) with the
// bone matrices into the atomic's space; numVertices entries each.
RpAtomic* RpSkinBlendVertices(RpAtomic* atomic, RwV3d* positionsOut, RwV3d* normalsOut);
