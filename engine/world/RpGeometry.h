#pragma once

// Materials and geometry: triangles with 16-bit vertex indices and a material index, morph
// targets (positions, normals, bounding sphere), pre-lit colours and texture coordinates.
// Objects are reference counted: a geometry may be shared by several atomics (clones), a
// material by several geometries.

#include "engine/core/RwFrame.h"
#include "engine/core/RwTexture.h"

struct RwSurfaceProperties {
    RwReal ambient;
    RwReal specular;
    RwReal diffuse;
};

struct RwTexCoords {
    RwReal u, v;
};

// Effect codes of RpMaterial::fxEffects (set by the material-effects plugin).
enum RpMaterialFXEffect : RwUInt32 {
    rpMaterialFXNone = 0,
    rpMaterialFXUVTransform = 5,
};

struct RpMaterial {
    RwTexture* texture;  // one reference held; replace with RpMaterialSetTexture
    RwRGBA color;        // alpha last
    RwSurfaceProperties surfaceProps;
    RwInt32 refCount;
    // Material effects. The drawing of an atomic whose effects are enabled (RpAtomic::
    // matFXEnabled) applies uvTransform[0] to the texture coordinates when fxEffects is
    // rpMaterialFXUVTransform. The matrices belong to the caller and are read at every draw,
    // so changing one moves the texture on the next frame. uvTransform[1] (the second pass)
    // is kept but not drawn: materials have one texture. A UV (u, v) becomes
    // (u * right.x + v * up.x + pos.x, u * right.y + v * up.y + pos.y).
    RwUInt32 fxEffects;
    const RwMatrix* uvTransform[2];
    RwUInt8* pluginData;  // rwPluginClassMaterial
};

// White, opaque, surface properties (1, 1, 1), no texture, reference count 1.
RpMaterial* RpMaterialCreate();
// Drops a reference; at zero the texture reference goes and the material is freed.
RwBool RpMaterialDestroy(RpMaterial* material);
RpMaterial* RpMaterialAddRef(RpMaterial* material);
// Takes a reference to the new texture (null allowed) and drops the one to the old.
RpMaterial* RpMaterialSetTexture(RpMaterial* material, RwTexture* texture);
RwTexture* RpMaterialGetTexture(const RpMaterial* material);
RpMaterial* RpMaterialSetColor(RpMaterial* material, const RwRGBA* color);
const RwRGBA* RpMaterialGetColor(const RpMaterial* material);
RpMaterial* RpMaterialSetSurfaceProperties(RpMaterial* material, const RwSurfaceProperties* props);

struct RpMaterialList {
    RpMaterial** materials;  // each entry holds one reference
    RwInt32 numMaterials;
    RwInt32 space;
};

struct RpTriangle {
    RwUInt16 vertIndex[3];
    RwUInt16 matIndex;
};

struct RpGeometry;

struct RpMorphTarget {
    RpGeometry* parentGeom;
    RwSphere boundingSphere;  // geometry space
    RwV3d* verts;             // numVertices positions
    RwV3d* normals;           // numVertices normals, null without rpGeometryNormals
};

enum RpGeometryFlag : RwUInt32 {
    rpGeometryNormals = 0x001,
    rpGeometryPrelit = 0x002,
    rpGeometryTextured = 0x004,
    rpGeometryLight = 0x008,  // lit by the world's dynamic lights
    rpGeometryModulateMaterialColor = 0x040,
    rpGeometrySkinned = 0x100,  // informational: the skin lives in the skin plugin's data
};

enum RpGeometryLockMode : RwInt32 {
    rpGeometryLockPolygons = 0x01,
    rpGeometryLockVertices = 0x02,
    rpGeometryLockNormals = 0x04,
    rpGeometryLockPrelight = 0x08,
    rpGeometryLockTexCoords = 0x10,
    rpGeometryLockAll = 0xff,
};

enum : RwInt32 { rpMaxTextureCoordSets = 8 };

struct RpGeometry {
    RwObject object;
    RwUInt32 flags;  // RpGeometryFlag
    RwInt32 refCount;
    RwInt32 numTriangles;
    RwInt32 numVertices;
    RwInt32 numMorphTargets;
    RwInt32 numTexCoordSets;
    RpMaterialList matList;
    RpTriangle* triangles;
    RwRGBA* preLitLum;                              // null without rpGeometryPrelit
    RwTexCoords* texCoords[rpMaxTextureCoordSets];  // the first numTexCoordSets are set
    RpMorphTarget* morphTarget;                     // numMorphTargets entries, at least one
    RwInt32 lockedSinceLastInst;                    // lock modes since the last upload
    void* instance;                                 // drawing cache (engine private)
    RwUInt8* pluginData;                            // rwPluginClassGeometry
};

// One morph target, arrays allocated per the flags (zeroed), no materials, reference count 1.
// numTexCoordSets comes from rpGeometryTextured (one set) unless given (0..8, -1: from flags).
// Null for counts out of range (vertices above 65535).
RpGeometry* RpGeometryCreate(RwInt32 numVertices, RwInt32 numTriangles, RwUInt32 flags,
                             RwInt32 numTexCoordSets = -1);
// Drops a reference; at zero everything goes, its materials' references included.
RwBool RpGeometryDestroy(RpGeometry* geometry);
RpGeometry* RpGeometryAddRef(RpGeometry* geometry);
// Appends a morph target (positions zeroed, normals when the geometry has them); its index or -1.
RwInt32 RpGeometryAddMorphTarget(RpGeometry* geometry);
// Appends a material (one more reference); its index in the list, or -1.
RwInt32 RpGeometryAddMaterial(RpGeometry* geometry, RpMaterial* material);
// Opens the geometry for changes; null on failure. Unlock re-uploads what was locked.
RpGeometry* RpGeometryLock(RpGeometry* geometry, RwInt32 lockMode);
RpGeometry* RpGeometryUnlock(RpGeometry* geometry);
RpGeometry* RpGeometryForAllMaterials(RpGeometry* geometry, RpMaterial* (*callback)(RpMaterial*, void*),
                                      void* data);
// Sets the morph target's sphere to one around its positions.
RpMorphTarget* RpMorphTargetCalcBoundingSphere(RpMorphTarget* target, RwSphere* sphereOut);
RwUInt32 RpGeometryGetFlags(const RpGeometry* geometry);
RpGeometry* RpGeometrySetFlags(RpGeometry* geometry, RwUInt32 flags);
