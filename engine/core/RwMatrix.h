#pragma once

// Affine matrices in row-vector form: a point p becomes p.x * right + p.y * up + p.z * at + pos.
// A product a x b applies a first, then b. Combining a transform T into a matrix M:
//   replace   M = T
//   pre       M = T x M   (T acts first, in M's own space)
//   post      M = M x T   (T acts after M, in the parent's space)

#include "engine/core/RwTypes.h"

enum RwOpCombineType : RwInt32 {
    rwCombineReplace = 0,
    rwCombinePreMultiply = 1,
    rwCombinePostMultiply = 2,
};

enum RwMatrixFlag : RwUInt32 {
    rwMatrixTypeOrthonormal = 0x00000003,  // rows are unit length and mutually perpendicular
    rwMatrixInternalIdentity = 0x00020000,
};

struct RwMatrix {
    RwV3d right;
    RwUInt32 flags;
    RwV3d up;
    RwUInt32 pad1;
    RwV3d at;
    RwUInt32 pad2;
    RwV3d pos;
    RwUInt32 pad3;
};

RwMatrix* RwMatrixCreate();  // identity
RwBool RwMatrixDestroy(RwMatrix* matrix);
RwMatrix* RwMatrixSetIdentity(RwMatrix* matrix);
RwBool RwMatrixIsIdentity(const RwMatrix* matrix, RwReal tolerance);
RwMatrix* RwMatrixCopy(RwMatrix* out, const RwMatrix* in);
// out = a x b; out may alias neither input.
RwMatrix* RwMatrixMultiply(RwMatrix* out, const RwMatrix* a, const RwMatrix* b);
// General affine inverse; null when the matrix is singular. out must not alias in.
RwMatrix* RwMatrixInvert(RwMatrix* out, const RwMatrix* in);
// Rotation by angle degrees about axis (normalised here), right-handed.
RwMatrix* RwMatrixRotate(RwMatrix* matrix, const RwV3d* axis, RwReal angle, RwOpCombineType combine);
RwMatrix* RwMatrixTranslate(RwMatrix* matrix, const RwV3d* translation, RwOpCombineType combine);
RwMatrix* RwMatrixScale(RwMatrix* matrix, const RwV3d* scale, RwOpCombineType combine);
RwMatrix* RwMatrixTransform(RwMatrix* matrix, const RwMatrix* transform, RwOpCombineType combine);
// Orthonormalises the three axes (at kept, up made perpendicular, right from both).
RwMatrix* RwMatrixOrthoNormalize(RwMatrix* out, const RwMatrix* in);
// Marks a matrix written directly by a caller as no longer known to be orthonormal.
void RwMatrixMarkChanged(RwMatrix* matrix);
// Recomputes the orthonormal flag from the axes.
RwMatrix* RwMatrixUpdateFlags(RwMatrix* matrix);

// With translation.
RwV3d* RwV3dTransformPoints(RwV3d* out, const RwV3d* in, RwInt32 count, const RwMatrix* matrix);
// Without translation.
RwV3d* RwV3dTransformVectors(RwV3d* out, const RwV3d* in, RwInt32 count, const RwMatrix* matrix);
RwReal RwV3dLength(const RwV3d* v);
RwReal RwV3dNormalize(RwV3d* out, const RwV3d* in);  // returns the former length
RwReal RwV3dDotProduct(const RwV3d* a, const RwV3d* b);
void RwV3dCrossProduct(RwV3d* out, const RwV3d* a, const RwV3d* b);
