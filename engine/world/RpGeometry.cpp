#include "engine/world/RpGeometry.h"

#include "engine/core/RwEngine.h"
#include "engine/core/RwPlugin.h"
#include "engine/world/RpWorldInternal.h"

#include "framework/Debug.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

// ---- materials ----

RpMaterial* RpMaterialCreate()
{
    auto* m = new RpMaterial{};
    m->color = {255, 255, 255, 255};
    m->surfaceProps = {1.0f, 1.0f, 1.0f};
    m->refCount = 1;
    if (!RwPluginCreateExtension(rwPluginClassMaterial, m, &m->pluginData)) {
        LogError("RpMaterialCreate: a plugin refused the material\n");
        delete m;
        return nullptr;
    }
    return m;
}

RwBool RpMaterialDestroy(RpMaterial* material)
{
    if (!material)
        return false;
    if (--material->refCount > 0)
        return true;
    RwPluginDestroyExtension(rwPluginClassMaterial, material, material->pluginData);
    if (material->texture)
        RwTextureDestroy(material->texture);
    delete material;
    return true;
}

RpMaterial* RpMaterialAddRef(RpMaterial* material)
{
    if (material)
        ++material->refCount;
    return material;
}

RpMaterial* RpMaterialSetTexture(RpMaterial* material, RwTexture* texture)
{
    if (!material)
        return nullptr;
    // Reference the new one first: it may be the one being replaced.
    if (texture)
        RwTextureAddRef(texture);
    if (material->texture)
        RwTextureDestroy(material->texture);
    material->texture = texture;
    return material;
}

RwTexture* RpMaterialGetTexture(const RpMaterial* material)
{
    return material ? material->texture : nullptr;
}

RpMaterial* RpMaterialSetColor(RpMaterial* material, const RwRGBA* color)
{
    if (!material || !color)
        return nullptr;
    material->color = *color;
    return material;
}

const RwRGBA* RpMaterialGetColor(const RpMaterial* material)
{
    return material ? &material->color : nullptr;
}

RpMaterial* RpMaterialSetSurfaceProperties(RpMaterial* material, const RwSurfaceProperties* props)
{
    if (!material || !props)
        return nullptr;
    material->surfaceProps = *props;
    return material;
}

bool rpworld::MaterialListAppend(RpMaterialList& list, RpMaterial* material)
{
    if (!material)
        return false;
    if (list.numMaterials == list.space) {
        const RwInt32 space = std::max(4, list.space * 2);
        auto** grown = new RpMaterial*[size_t(space)];
        std::copy(list.materials, list.materials + list.numMaterials, grown);
        delete[] list.materials;
        list.materials = grown;
        list.space = space;
    }
    list.materials[list.numMaterials++] = RpMaterialAddRef(material);
    return true;
}

void rpworld::MaterialListClear(RpMaterialList& list)
{
    for (RwInt32 i = 0; i < list.numMaterials; ++i)
        RpMaterialDestroy(list.materials[i]);
    delete[] list.materials;
    list = RpMaterialList{};
}

void rpworld::SetTextureMissing()
{
    const RwError error{0, rwErrorTextureMissing};
    RwErrorSet(&error);
}

bool rpworld::Fail(const char* where, const char* what)
{
    LogError("%s: %s\n", where, what);
    return false;
}

bool rpworld::TrianglesValid(const RpTriangle* triangles, RwInt32 numTriangles, RwInt32 numVertices,
                             RwInt32 numMaterials)
{
    for (RwInt32 i = 0; i < numTriangles; ++i) {
        const RpTriangle& t = triangles[i];
        if (t.vertIndex[0] >= numVertices || t.vertIndex[1] >= numVertices || t.vertIndex[2] >= numVertices ||
            t.matIndex >= numMaterials)
            return false;
    }
    return true;
}

RwSphere rpworld::SphereAround(const RwV3d* points, RwInt32 count)
{
    RwSphere s{{0, 0, 0}, 0};
    if (!points || count <= 0)
        return s;
    RwV3d lo = points[0], hi = points[0];
    for (RwInt32 i = 1; i < count; ++i) {
        lo = {std::min(lo.x, points[i].x), std::min(lo.y, points[i].y), std::min(lo.z, points[i].z)};
        hi = {std::max(hi.x, points[i].x), std::max(hi.y, points[i].y), std::max(hi.z, points[i].z)};
    }
    s.center = {(lo.x + hi.x) * 0.5f, (lo.y + hi.y) * 0.5f, (lo.z + hi.z) * 0.5f};
    float r2 = 0;
    for (RwInt32 i = 0; i < count; ++i) {
        const float dx = points[i].x - s.center.x, dy = points[i].y - s.center.y, dz = points[i].z - s.center.z;
        r2 = std::max(r2, dx * dx + dy * dy + dz * dz);
    }
    s.radius = std::sqrt(r2);
    return s;
}

// ---- geometry ----

namespace {

void FreeMorphTarget(RpMorphTarget& t)
{
    delete[] t.verts;
    delete[] t.normals;
    t.verts = t.normals = nullptr;
}

}  // namespace

RpGeometry* RpGeometryCreate(RwInt32 numVertices, RwInt32 numTriangles, RwUInt32 flags, RwInt32 numTexCoordSets)
{
    if (numVertices < 0 || numVertices > 65535 || numTriangles < 0 || numTexCoordSets > rpMaxTextureCoordSets) {
        LogError("RpGeometryCreate: %d vertices, %d triangles, %d UV sets are out of range\n", numVertices,
                 numTriangles, numTexCoordSets);
        return nullptr;
    }
    if (numTexCoordSets < 0)
        numTexCoordSets = (flags & rpGeometryTextured) ? 1 : 0;
    auto* g = new RpGeometry{};
    g->object.type = rwObjectTypeGeometry;
    g->flags = flags;
    g->refCount = 1;
    g->numVertices = numVertices;
    g->numTriangles = numTriangles;
    g->numTexCoordSets = numTexCoordSets;
    g->triangles = new RpTriangle[size_t(numTriangles) + 1]{};
    if (flags & rpGeometryPrelit)
        g->preLitLum = new RwRGBA[size_t(numVertices) + 1]{};
    for (RwInt32 i = 0; i < numTexCoordSets; ++i)
        g->texCoords[i] = new RwTexCoords[size_t(numVertices) + 1]{};
    g->morphTarget = new RpMorphTarget[1]{};
    g->numMorphTargets = 1;
    g->morphTarget[0].parentGeom = g;
    g->morphTarget[0].verts = new RwV3d[size_t(numVertices) + 1]{};
    if (flags & rpGeometryNormals)
        g->morphTarget[0].normals = new RwV3d[size_t(numVertices) + 1]{};
    if (!RwPluginCreateExtension(rwPluginClassGeometry, g, &g->pluginData)) {
        LogError("RpGeometryCreate: a plugin refused the geometry\n");
        g->refCount = 0;
        g->pluginData = nullptr;
        RpGeometryDestroy(g);
        return nullptr;
    }
    return g;
}

RwBool RpGeometryDestroy(RpGeometry* geometry)
{
    if (!geometry)
        return false;
    if (--geometry->refCount > 0)
        return true;
    RwPluginDestroyExtension(rwPluginClassGeometry, geometry, geometry->pluginData);
    rpworld::DestroyInstance(geometry->instance);
    rpworld::MaterialListClear(geometry->matList);
    delete[] geometry->triangles;
    delete[] geometry->preLitLum;
    for (RwTexCoords* set : geometry->texCoords)
        delete[] set;
    for (RwInt32 i = 0; i < geometry->numMorphTargets; ++i)
        FreeMorphTarget(geometry->morphTarget[i]);
    delete[] geometry->morphTarget;
    delete geometry;
    return true;
}

RpGeometry* RpGeometryAddRef(RpGeometry* geometry)
{
    if (geometry)
        ++geometry->refCount;
    return geometry;
}

RwInt32 RpGeometryAddMorphTarget(RpGeometry* geometry)
{
    if (!geometry)
        return -1;
    const RwInt32 n = geometry->numMorphTargets;
    auto* targets = new RpMorphTarget[size_t(n) + 1]{};
    std::copy(geometry->morphTarget, geometry->morphTarget + n, targets);
    RpMorphTarget& t = targets[n];
    t.parentGeom = geometry;
    t.verts = new RwV3d[size_t(geometry->numVertices) + 1]{};
    if (geometry->flags & rpGeometryNormals)
        t.normals = new RwV3d[size_t(geometry->numVertices) + 1]{};
    delete[] geometry->morphTarget;
    geometry->morphTarget = targets;
    geometry->numMorphTargets = n + 1;
    return n;
}

RwInt32 RpGeometryAddMaterial(RpGeometry* geometry, RpMaterial* material)
{
    if (!geometry || !rpworld::MaterialListAppend(geometry->matList, material))
        return -1;
    rpworld::MarkInstanceDirty(geometry->instance, rwMeshIndices);
    return geometry->matList.numMaterials - 1;
}

RpGeometry* RpGeometryLock(RpGeometry* geometry, RwInt32 lockMode)
{
    if (!geometry || (lockMode & ~RwInt32(rpGeometryLockAll)) || lockMode == 0) {
        LogError("RpGeometryLock: nothing to lock\n");
        return nullptr;
    }
    geometry->lockedSinceLastInst |= lockMode;
    return geometry;
}

RpGeometry* RpGeometryUnlock(RpGeometry* geometry)
{
    if (!geometry)
        return nullptr;
    const RwInt32 locked = geometry->lockedSinceLastInst;
    RwUInt32 parts = 0;
    if (locked & rpGeometryLockVertices)
        parts |= rwMeshPositions;
    if (locked & rpGeometryLockNormals)
        parts |= rwMeshNormals;
    if (locked & rpGeometryLockPrelight)
        parts |= rwMeshColours | rwMeshIndices;  // pre-lit alpha decides the blended runs
    if (locked & rpGeometryLockTexCoords)
        parts |= rwMeshUVs;
    if (locked & rpGeometryLockPolygons)
        parts |= rwMeshIndices;
    rpworld::MarkInstanceDirty(geometry->instance, parts);
    geometry->lockedSinceLastInst = 0;
    return geometry;
}

RpGeometry* RpGeometryForAllMaterials(RpGeometry* geometry, RpMaterial* (*callback)(RpMaterial*, void*), void* data)
{
    if (!geometry || !callback)
        return geometry;
    for (RwInt32 i = 0; i < geometry->matList.numMaterials; ++i)
        if (!callback(geometry->matList.materials[i], data))
            break;
    return geometry;
}

RpMorphTarget* RpMorphTargetCalcBoundingSphere(RpMorphTarget* target, RwSphere* sphereOut)
{
    if (!target || !target->parentGeom)
        return nullptr;
    target->boundingSphere = rpworld::SphereAround(target->verts, target->parentGeom->numVertices);
    if (sphereOut)
        *sphereOut = target->boundingSphere;
    return target;
}

RwUInt32 RpGeometryGetFlags(const RpGeometry* geometry)
{
    return geometry ? geometry->flags : 0;
}

RpGeometry* RpGeometrySetFlags(RpGeometry* geometry, RwUInt32 flags)
{
    if (geometry)
        geometry->flags = flags;
    return geometry;
}
