#include "engine/world/RpWorld.h"

#include "engine/core/RwEngine.h"
#include "engine/core/RwPlugin.h"
#include "engine/world/RpCollision.h"
#include "engine/world/RpWorldInternal.h"

#include "framework/Debug.h"

#include <algorithm>

namespace {

enum : RwUInt32 { kWorldPluginId = 0x10, kCollisionPluginId = 0x11 };

RwBool Attach(RwUInt32 id, const char* caller)
{
    if (RwEngineIsPluginAttached(id))
        return true;
    if (RwEngineRegisterPlugin(rwPluginClassWorld, id, 0, nullptr, nullptr, nullptr) < 0) {
        LogError("%s: failed\n", caller);
        return false;
    }
    return true;
}

RwBBox Union(const RwBBox& a, const RwBBox& b)
{
    return {{std::max(a.sup.x, b.sup.x), std::max(a.sup.y, b.sup.y), std::max(a.sup.z, b.sup.z)},
            {std::min(a.inf.x, b.inf.x), std::min(a.inf.y, b.inf.y), std::min(a.inf.z, b.inf.z)}};
}

// The box of everything below a child; false when the tree is malformed.
bool NodeBox(RpWorld* world, RwInt32 child, std::vector<int>& sectorSeen, std::vector<int>& nodeSeen, int depth,
             RwBBox& out)
{
    if (depth > 1024)
        return false;
    if (child < 0) {
        const RwInt32 s = ~child;
        if (s >= RwInt32(world->sectors.size()) || sectorSeen[size_t(s)]++)
            return false;
        out = world->sectors[size_t(s)]->boundingBox;
        return true;
    }
    if (child >= RwInt32(world->planes.size()) || nodeSeen[size_t(child)]++)
        return false;
    const RpPlaneNode& node = world->planes[size_t(child)];
    if (node.axis < 0 || node.axis > 2)
        return false;
    RwBBox left, right;
    if (!NodeBox(world, node.left, sectorSeen, nodeSeen, depth + 1, left) ||
        !NodeBox(world, node.right, sectorSeen, nodeSeen, depth + 1, right))
        return false;
    out = Union(left, right);
    world->nodeBoxes[size_t(child)] = out;
    return true;
}

}  // namespace

RwBool RpWorldPluginAttach()
{
    return Attach(kWorldPluginId, "RpWorldPluginAttach");
}

RwBool RpCollisionPluginAttach()
{
    return Attach(kCollisionPluginId, "RpCollisionPluginAttach");
}

RpWorldSector* RpWorldSectorCreate(RwInt32 numVertices, RwInt32 numTriangles, RwUInt32 flags)
{
    if (numVertices < 0 || numVertices > 65535 || numTriangles < 0) {
        LogError("RpWorldSectorCreate: %d vertices, %d triangles are out of range\n", numVertices, numTriangles);
        return nullptr;
    }
    auto* s = new RpWorldSector{};
    s->flags = flags;
    s->numVertices = numVertices;
    s->numTriangles = numTriangles;
    s->vertices = new RwV3d[size_t(numVertices) + 1]{};
    if (flags & rpGeometryNormals)
        s->normals = new RwV3d[size_t(numVertices) + 1]{};
    if (flags & rpGeometryPrelit)
        s->preLitLum = new RwRGBA[size_t(numVertices) + 1]{};
    if (flags & rpGeometryTextured)
        s->texCoords = new RwTexCoords[size_t(numVertices) + 1]{};
    s->triangles = new RpTriangle[size_t(numTriangles) + 1]{};
    if (!RwPluginCreateExtension(rwPluginClassSector, s, &s->pluginData)) {
        LogError("RpWorldSectorCreate: a plugin refused the sector\n");
        s->pluginData = nullptr;
        rpworld::SectorDestroy(s);
        return nullptr;
    }
    return s;
}

RpWorldSector* RpWorldSectorCalcBoundingBox(RpWorldSector* sector)
{
    if (!sector)
        return nullptr;
    if (sector->numVertices == 0)
        return sector;
    RwBBox b{sector->vertices[0], sector->vertices[0]};
    for (RwInt32 i = 1; i < sector->numVertices; ++i) {
        const RwV3d& v = sector->vertices[i];
        b.sup = {std::max(b.sup.x, v.x), std::max(b.sup.y, v.y), std::max(b.sup.z, v.z)};
        b.inf = {std::min(b.inf.x, v.x), std::min(b.inf.y, v.y), std::min(b.inf.z, v.z)};
    }
    sector->boundingBox = b;
    return sector;
}

void rpworld::SectorDestroy(RpWorldSector* sector)
{
    if (!sector)
        return;
    RwPluginDestroyExtension(rwPluginClassSector, sector, sector->pluginData);
    DestroyInstance(sector->instance);
    delete[] sector->vertices;
    delete[] sector->normals;
    delete[] sector->preLitLum;
    delete[] sector->texCoords;
    delete[] sector->triangles;
    delete sector;
}

RpWorld* RpWorldCreateFromSectors(const RwBBox* boundingBox, RwUInt32 flags, std::vector<RpWorldSector*> sectors,
                                  std::vector<RpPlaneNode> planes)
{
    auto fail = [&](const char* why) -> RpWorld* {
        LogError("RpWorldCreateFromSectors: %s\n", why);
        for (RpWorldSector* s : sectors)
            rpworld::SectorDestroy(s);
        return nullptr;
    };
    if (!boundingBox || sectors.empty() || std::find(sectors.begin(), sectors.end(), nullptr) != sectors.end())
        return fail("no sectors");
    if (planes.empty() && sectors.size() != 1)
        return fail("several sectors need planes");
    auto* w = new RpWorld{};
    w->object.type = rwObjectTypeWorld;
    w->boundingBox = *boundingBox;
    w->flags = flags;
    w->sectors = std::move(sectors);
    w->planes = std::move(planes);
    w->nodeBoxes.assign(w->planes.size(), RwBBox{});
    for (RpWorldSector* s : w->sectors) {
        s->world = w;
        // Culling and collision trust the boxes: a box that misses some vertex grows.
        if (s->numVertices > 0) {
            const RwBBox given = s->boundingBox;
            RpWorldSectorCalcBoundingBox(s);
            s->boundingBox = Union(s->boundingBox, given);
        }
    }
    if (!w->planes.empty()) {
        std::vector<int> sectorSeen(w->sectors.size()), nodeSeen(w->planes.size());
        RwBBox all;
        const bool ok = NodeBox(w, 0, sectorSeen, nodeSeen, 0, all) &&
                        std::count(sectorSeen.begin(), sectorSeen.end(), 1) == RwInt32(sectorSeen.size()) &&
                        std::count(nodeSeen.begin(), nodeSeen.end(), 1) == RwInt32(nodeSeen.size());
        if (!ok) {
            sectors = std::move(w->sectors);
            delete w;
            return fail("the plane tree does not reach every sector and node exactly once");
        }
    }
    if (!RwPluginCreateExtension(rwPluginClassWorld, w, &w->pluginData)) {
        sectors = std::move(w->sectors);
        delete w;
        return fail("a plugin refused the world");
    }
    return w;
}

RpWorld* RpWorldCreate(const RwBBox* boundingBox)
{
    if (!boundingBox) {
        LogError("RpWorldCreate: no bounding box\n");
        return nullptr;
    }
    RpWorldSector* s = RpWorldSectorCreate(0, 0, 0);
    if (!s)
        return nullptr;
    s->boundingBox = *boundingBox;
    return RpWorldCreateFromSectors(boundingBox, rpGeometryLight, {s}, {});
}

RwBool RpWorldDestroy(RpWorld* world)
{
    if (!world)
        return false;
    while (!world->lights.empty())
        RpWorldRemoveLight(world, world->lights.back());
    while (!world->cameras.empty())
        RpWorldRemoveCamera(world, world->cameras.back());
    RpCollisionWorldDestroyData(world);
    RwPluginDestroyExtension(rwPluginClassWorld, world, world->pluginData);
    for (RpWorldSector* s : world->sectors)
        rpworld::SectorDestroy(s);
    rpworld::MaterialListClear(world->matList);
    delete world;
    return true;
}

RwInt32 RpWorldAddMaterial(RpWorld* world, RpMaterial* material)
{
    if (!world || !rpworld::MaterialListAppend(world->matList, material))
        return -1;
    for (RpWorldSector* s : world->sectors)
        rpworld::MarkInstanceDirty(s->instance, rwMeshIndices);
    return world->matList.numMaterials - 1;
}

RpWorld* RpWorldAddCamera(RpWorld* world, RwCamera* camera)
{
    if (!world || !camera)
        return nullptr;
    if (camera->world && camera->world != world)
        RpWorldRemoveCamera(camera->world, camera);
    if (camera->world != world)
        world->cameras.push_back(camera);
    camera->world = world;
    return world;
}

RpWorld* RpWorldRemoveCamera(RpWorld* world, RwCamera* camera)
{
    if (!world || !camera || camera->world != world)
        return nullptr;
    world->cameras.erase(std::remove(world->cameras.begin(), world->cameras.end(), camera), world->cameras.end());
    camera->world = nullptr;
    return world;
}

RpWorld* RpWorldAddLight(RpWorld* world, RpLight* light)
{
    if (!world || !light)
        return nullptr;
    if (light->world && light->world != world)
        RpWorldRemoveLight(light->world, light);
    if (light->world != world)
        world->lights.push_back(light);
    light->world = world;
    return world;
}

RpWorld* RpWorldRemoveLight(RpWorld* world, RpLight* light)
{
    if (!world || !light || light->world != world)
        return nullptr;
    world->lights.erase(std::remove(world->lights.begin(), world->lights.end(), light), world->lights.end());
    light->world = nullptr;
    return world;
}

RwInt32 RpWorldGetNumSectors(const RpWorld* world)
{
    return world ? RwInt32(world->sectors.size()) : 0;
}
