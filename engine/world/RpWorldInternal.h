#pragma once

// Shared between the world library's source files.

#include "engine/core/RwDevice.h"
#include "engine/world/RpWorld.h"

#include <vector>

namespace rpworld {

// A material's run of the sorted index list.
struct MeshSplit {
    RwInt32 material;
    RwInt32 firstIndex;
    RwInt32 numIndices;
    bool vertexAlpha;  // some vertex of the run has pre-lit alpha below 255
};

// The device copy of a geometry's or sector's vertices. Built at the first draw, brought up
// to date when parts were marked dirty.
struct Instance {
    RwDevice* device = nullptr;
    uint64_t serial = 0;
    void* mesh = nullptr;
    RwUInt32 dirty = rwMeshAll;
    bool hasBones = false;  // bone data was uploaded
    RwInt32 numBones = 0;   // bone count the indices were clamped to
    std::vector<MeshSplit> splits;
    std::vector<RwUInt16> indices;  // sorted by material
    // Skinned: around the vertices each bone moves, in bind pose (radius < 0: none); the last
    // holds the origin where weights fall short of one, since the skin pulls those towards it.
    std::vector<RwSphere> boneSpheres;
    RwInt32 boundsBones = -1;  // bone count the spheres were made for
    bool boundsStale = true;
    bool unbounded = false;    // weights the spheres cannot bound (negative, or summing past one)
};

void DestroyInstance(void*& instance);
void MarkInstanceDirty(void* instance, RwUInt32 parts);

// Material lists.
bool MaterialListAppend(RpMaterialList& list, RpMaterial* material);  // takes a reference
void MaterialListClear(RpMaterialList& list);

// Sets error 22 (a texture was missing).
void SetTextureMissing();

// Log line helpers for readers: every reader reports through these.
bool Fail(const char* where, const char* what);

// Triangle checks: false when an index points past the vertices or the materials.
bool TrianglesValid(const RpTriangle* triangles, RwInt32 numTriangles, RwInt32 numVertices, RwInt32 numMaterials);

// Bounding sphere of points (centre of the box, radius to the farthest point).
RwSphere SphereAround(const RwV3d* points, RwInt32 count);

// Frees a sector's arrays and plugin data.
void SectorDestroy(RpWorldSector* sector);

}  // namespace rpworld
