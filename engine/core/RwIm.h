#pragma once

// Immediate mode: vertex arrays drawn with the current render states into the current
// camera (the one between RwCameraBeginUpdate and RwCameraEndUpdate).

#include "engine/core/RwMatrix.h"

enum RwPrimitiveType : RwInt32 {
    rwPrimTypeNa = 0,
    rwPrimTypeLineList = 1,
    rwPrimTypePolyLine = 2,
    rwPrimTypeTriList = 3,
    rwPrimTypeTriStrip = 4,
    rwPrimTypeTriFan = 5,
    rwPrimTypePointList = 6,
};

using RwImVertexIndex = RwUInt16;

// 36 bytes. The colour is always used; u, v only with rwIm3DVertexUV.
struct RwIm3DVertex {
    RwV3d objVertex;
    RwV3d objNormal;  // used only while the device lights (RwDevice::SetLighting)
    RwUInt32 color;   // A 24-31, R 16-23, G 8-15, B 0-7
    RwReal u, v;
};
static_assert(sizeof(RwIm3DVertex) == 36);

enum RwIm3DTransformFlags : RwUInt32 {
    rwIm3DVertexUV = 1,
    rwIm3DAllOpaque = 2,
    rwIm3DNoClip = 4,
    rwIm3DVertexXYZ = 8,
    rwIm3DVertexRGBA = 16,
};

// 28 bytes. x, y in pixels of the current camera's frame buffer (0, 0 its top-left corner),
// z the screen depth (RwIm2DGetNearScreenZ .. RwIm2DGetFarScreenZ), rhw 1 / camera distance.
struct RwIm2DVertex {
    RwReal x, y, z;
    RwReal rhw;
    RwUInt32 emissiveColor;  // packed as the 3D colour
    RwReal u, v;
};
static_assert(sizeof(RwIm2DVertex) == 28);

// Keeps the vertices (not copied: they must live until RwIm3DEnd) and the object-to-world
// matrix (copied; null: identity). Null when no camera is being updated or the count is 0.
void* RwIm3DTransform(RwIm3DVertex* vertices, RwUInt32 count, const RwMatrix* ltm, RwUInt32 flags);
RwBool RwIm3DRenderPrimitive(RwPrimitiveType type);
// Indices are checked against the vertex count.
RwBool RwIm3DRenderIndexedPrimitive(RwPrimitiveType type, const RwImVertexIndex* indices, RwInt32 numIndices);
RwBool RwIm3DEnd();

// Called before every immediate draw and before a camera update ends, so that draws a layer
// above holds back go out first, in the order they were made. Null: none.
void RwImSetHeldDrawsCallBack(void (*callback)());
void RwImDrawHeld();

RwReal RwIm2DGetNearScreenZ();  // 0
RwReal RwIm2DGetFarScreenZ();   // 1
RwBool RwIm2DRenderPrimitive(RwPrimitiveType type, const RwIm2DVertex* vertices, RwInt32 numVertices);
RwBool RwIm2DRenderIndexedPrimitive(RwPrimitiveType type, const RwIm2DVertex* vertices, RwInt32 numVertices,
                                    const RwImVertexIndex* indices, RwInt32 numIndices);
RwBool RwIm2DRenderTriangle(const RwIm2DVertex* vertices, RwInt32 numVertices, RwInt32 vert1, RwInt32 vert2,
                            RwInt32 vert3);
