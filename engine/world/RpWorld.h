#pragma once

// Worlds: the static level geometry in sectors under a tree of axis-aligned planes, with the
// lights and cameras in it. Include this header for everything of the world library.

#include "engine/core/RwCamera.h"
#include "engine/world/RpClump.h"
#include "engine/world/RpGeometry.h"
#include "engine/world/RpLight.h"

#include <vector>

struct RpWorld;
struct RwStream;
struct RpCollisionData;

struct RpWorldSector {
    RwBBox boundingBox;
    RwUInt32 flags;  // RpGeometryFlag: which vertex arrays exist
    RwInt32 numVertices;
    RwInt32 numTriangles;
    RwV3d* vertices;
    RwV3d* normals;       // null without rpGeometryNormals
    RwRGBA* preLitLum;    // null without rpGeometryPrelit
    RwTexCoords* texCoords;  // null without rpGeometryTextured
    RpTriangle* triangles;   // material indices into the world's material list
    RpWorld* world;
    void* instance;          // drawing cache (engine private)
    void* collision;         // built by RpCollisionWorldBuildData
    RwUInt8* pluginData;     // rwPluginClassSector
};

// A node of the sector tree: points with coordinate[axis] < value lie on the left. Children
// >= 0 are plane nodes, < 0 the sector ~child.
struct RpPlaneNode {
    RwInt32 axis;  // 0 x, 1 y, 2 z
    RwReal value;
    RwInt32 left;
    RwInt32 right;
};

struct RpWorld {
    RwObject object;
    RwBBox boundingBox;
    RwUInt32 flags;  // RpGeometryFlag of the world's geometry (0x40 modulates, 0x08 lit)
    RpMaterialList matList;
    std::vector<RpWorldSector*> sectors;
    std::vector<RpPlaneNode> planes;  // root = node 0; empty: one sector
    std::vector<RwBBox> nodeBoxes;    // per plane node: the union of the sectors below it
    std::vector<RpLight*> lights;     // in the order added
    std::vector<RwCamera*> cameras;
    RpCollisionData* collision;       // null until RpCollisionWorldBuildData
    RwUInt8* pluginData;              // rwPluginClassWorld
};

// Registers the world's objects with the engine; between RwEngineInit and RwEngineOpen.
RwBool RpWorldPluginAttach();

// An empty world (one sector without triangles) spanning the box.
RpWorld* RpWorldCreate(const RwBBox* boundingBox);
// Takes its lights and cameras out of it first; they are not destroyed.
RwBool RpWorldDestroy(RpWorld* world);
// After RwStreamFindChunk(11): reads the payload. Null with a log line on bad data. A texture
// that cannot be read sets error 22 and leaves its material without texture.
RpWorld* RpWorldStreamRead(RwStream* stream);
// Writes the whole chunk 11, header included.
const RpWorld* RpWorldStreamWrite(const RpWorld* world, RwStream* stream);
RwUInt32 RpWorldStreamGetSize(const RpWorld* world);  // payload only

// Builds a world from sectors and planes made by the caller (asset tools, tests): takes them
// over, checks the tree and computes the node boxes. Null (and the sectors freed) when the
// tree does not reach every sector exactly once.
RpWorld* RpWorldCreateFromSectors(const RwBBox* boundingBox, RwUInt32 flags, std::vector<RpWorldSector*> sectors,
                                  std::vector<RpPlaneNode> planes);
// A sector with arrays per flags (zeroed); null for counts out of range.
RpWorldSector* RpWorldSectorCreate(RwInt32 numVertices, RwInt32 numTriangles, RwUInt32 flags);
// Recomputes the sector's box from its vertices.
RpWorldSector* RpWorldSectorCalcBoundingBox(RpWorldSector* sector);
// Appends a material to the world's list (one more reference); its index or -1.
RwInt32 RpWorldAddMaterial(RpWorld* world, RpMaterial* material);

// Draws the sectors in the current camera's view, lit by the world lights with flag 2.
RpWorld* RpWorldRender(RpWorld* world);
// From Begin to End in one camera update, the transparent parts of sectors and atomics wait
// and go out after every opaque part drawn meanwhile, in the order they came and under the
// render states they came with; an immediate draw or the end of the camera update sends
// them first. Opaque surfaces drawn first hide what they cover of them before it is shaded.
// Nested pairs count; End sends what waits when the outermost pair closes.
// A backdrop given to the outermost Begin is drawn once, just before the first of those sends
// (so behind the transparent parts, after the opaque ones), under the render states of Begin
// and with nothing held meanwhile; it is meant to draw at the far depth where nothing covers
// it. A camera without a z raster cannot hide it, so it is drawn at once there, as is one
// given to an inner Begin.
void RpWorldBeginHoldingTransparent(void (*backdrop)(void*) = nullptr, void* data = nullptr);
void RpWorldEndHoldingTransparent();
RpWorld* RpWorldAddCamera(RpWorld* world, RwCamera* camera);
RpWorld* RpWorldRemoveCamera(RpWorld* world, RwCamera* camera);
RpWorld* RpWorldAddLight(RpWorld* world, RpLight* light);
RpWorld* RpWorldRemoveLight(RpWorld* world, RpLight* light);
RwInt32 RpWorldGetNumSectors(const RpWorld* world);
// The sectors whose box meets the view of the camera, in tree order (what RpWorldRender draws).
RwInt32 RpWorldForAllVisibleSectors(RpWorld* world, RwCamera* camera,
                                    RpWorldSector* (*callback)(RpWorldSector*, void*), void* data);
