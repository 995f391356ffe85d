#include "engine/core/RwIm.h"

#include "engine/core/RwInternal.h"

#include "framework/Debug.h"

namespace {

struct Im3DState {
    bool active = false;
    RwIm3DVertex* vertices = nullptr;
    RwUInt32 count = 0;
    bool hasMatrix = false;
    RwMatrix ltm{};
    RwUInt32 flags = 0;
};

Im3DState g_im3d;
void (*g_drawHeld)() = nullptr;

bool ValidType(RwPrimitiveType type)
{
    return type >= rwPrimTypeLineList && type <= rwPrimTypePointList;
}

RwUInt32 Triangles(RwPrimitiveType type, RwInt32 n)
{
    switch (type) {
    case rwPrimTypeTriList: return RwUInt32(n / 3);
    case rwPrimTypeTriStrip:
    case rwPrimTypeTriFan: return n >= 3 ? RwUInt32(n - 2) : 0;
    default: return 0;
    }
}

// Enough elements for one primitive of the type.
bool EnoughFor(RwPrimitiveType type, RwInt32 n)
{
    switch (type) {
    case rwPrimTypeLineList:
    case rwPrimTypePolyLine: return n >= 2;
    case rwPrimTypePointList: return n >= 1;
    default: return n >= 3;
    }
}

bool IndicesValid(const RwImVertexIndex* indices, RwInt32 numIndices, RwInt32 numVertices)
{
    for (RwInt32 i = 0; i < numIndices; ++i) {
        if (indices[i] >= numVertices)
            return false;
    }
    return true;
}

void Count(RwPrimitiveType type, RwInt32 elements, RwInt32 vertices)
{
    RwMetrics& m = rwcore::G().frame;
    m.numTriangles += Triangles(type, elements);
    m.numProcTriangles += Triangles(type, elements);
    m.numVertices += RwUInt32(vertices);
}

bool Draw3D(RwPrimitiveType type, const RwImVertexIndex* indices, RwInt32 numIndices, const char* caller)
{
    RwDevice* device = RwDeviceGetCurrent();
    if (!g_im3d.active || !device || !RwCameraGetCurrentCamera()) {
        LogError("%s: no vertices transformed\n", caller);
        return false;
    }
    const RwInt32 n = indices ? numIndices : RwInt32(g_im3d.count);
    if (!ValidType(type) || !EnoughFor(type, n) || (indices && !IndicesValid(indices, numIndices, RwInt32(g_im3d.count)))) {
        LogError("%s: bad primitive (type %d, %d elements)\n", caller, int(type), n);
        return false;
    }
    RwImDrawHeld();
    RwIm3DDraw draw{g_im3d.vertices, RwInt32(g_im3d.count), g_im3d.hasMatrix ? &g_im3d.ltm : nullptr,
                    g_im3d.flags,    type,                   indices,
                    indices ? numIndices : 0};
    Count(type, n, RwInt32(g_im3d.count));
    return device->DrawIm3D(draw);
}

bool Draw2D(RwPrimitiveType type, const RwIm2DVertex* vertices, RwInt32 numVertices, const RwImVertexIndex* indices,
            RwInt32 numIndices, const char* caller)
{
    RwDevice* device = RwDeviceGetCurrent();
    if (!device || !RwCameraGetCurrentCamera()) {
        LogError("%s: no camera is being updated\n", caller);
        return false;
    }
    const RwInt32 n = indices ? numIndices : numVertices;
    if (!vertices || numVertices <= 0 || numVertices > 65536 || !ValidType(type) || !EnoughFor(type, n) ||
        (indices && !IndicesValid(indices, numIndices, numVertices))) {
        LogError("%s: bad primitive (type %d, %d elements)\n", caller, int(type), n);
        return false;
    }
    RwImDrawHeld();
    Count(type, n, numVertices);
    return device->DrawIm2D({vertices, numVertices, type, indices, indices ? numIndices : 0});
}

}  // namespace

void* RwIm3DTransform(RwIm3DVertex* vertices, RwUInt32 count, const RwMatrix* ltm, RwUInt32 flags)
{
    if (!vertices || count == 0 || count > 65536 || !RwCameraGetCurrentCamera() || !RwDeviceGetCurrent())
        return nullptr;
    g_im3d.active = true;
    g_im3d.vertices = vertices;
    g_im3d.count = count;
    g_im3d.hasMatrix = ltm != nullptr;
    if (ltm)
        g_im3d.ltm = *ltm;
    g_im3d.flags = flags;
    return vertices;
}

void RwImSetHeldDrawsCallBack(void (*callback)())
{
    g_drawHeld = callback;
}

void RwImDrawHeld()
{
    if (g_drawHeld)
        g_drawHeld();
}

RwBool RwIm3DRenderPrimitive(RwPrimitiveType type)
{
    return Draw3D(type, nullptr, 0, "RwIm3DRenderPrimitive");
}

RwBool RwIm3DRenderIndexedPrimitive(RwPrimitiveType type, const RwImVertexIndex* indices, RwInt32 numIndices)
{
    if (!indices || numIndices <= 0)
        return false;
    return Draw3D(type, indices, numIndices, "RwIm3DRenderIndexedPrimitive");
}

RwBool RwIm3DEnd()
{
    const bool was = g_im3d.active;
    g_im3d = Im3DState{};
    return was;
}

RwReal RwIm2DGetNearScreenZ()
{
    return 0.0f;
}

RwReal RwIm2DGetFarScreenZ()
{
    return 1.0f;
}

RwBool RwIm2DRenderPrimitive(RwPrimitiveType type, const RwIm2DVertex* vertices, RwInt32 numVertices)
{
    return Draw2D(type, vertices, numVertices, nullptr, 0, "RwIm2DRenderPrimitive");
}

RwBool RwIm2DRenderIndexedPrimitive(RwPrimitiveType type, const RwIm2DVertex* vertices, RwInt32 numVertices,
                                    const RwImVertexIndex* indices, RwInt32 numIndices)
{
    if (!indices || numIndices <= 0)
        return false;
    return Draw2D(type, vertices, numVertices, indices, numIndices, "RwIm2DRenderIndexedPrimitive");
}

RwBool RwIm2DRenderTriangle(const RwIm2DVertex* vertices, RwInt32 numVertices, RwInt32 vert1, RwInt32 vert2,
                            RwInt32 vert3)
{
    if (vert1 < 0 || vert2 < 0 || vert3 < 0 || vert1 > 0xffff || vert2 > 0xffff || vert3 > 0xffff)
        return false;
    const RwImVertexIndex idx[3] = {RwImVertexIndex(vert1), RwImVertexIndex(vert2), RwImVertexIndex(vert3)};
    return Draw2D(rwPrimTypeTriList, vertices, numVertices, idx, 3, "RwIm2DRenderTriangle");
}
