#pragma once

// Everything that reaches the GPU goes through one RwDevice. Engine core keeps the CPU-side
// objects (rasters with their sizes, cameras with their matrices, the render-state table) and
// calls the device to store pixels, bind targets and draw.
//
// Conventions the devices share with core:
// - Images handed over are depth 32, 4 bytes R, G, B, A, row 0 at the top.
// - A raster with storage has parent == itself; a sub-raster points at the raster that owns
//   the storage and covers (offsetX, offsetY, width, height) of it.
// - Core checks width/height against storedWidth/storedHeight before it uses a raster and
//   calls ResizeRaster when a caller changed them; it then updates storedWidth/Height.
// - Render states arrive in SetRenderState whenever a caller sets one (core keeps the table
//   and answers RwRenderStateGet); at Start the device gets every state once.
// - Cameras: core computes the view and clip matrices (RwCameraGetClipMatrix) before
//   BeginCameraUpdate. ClearCamera may come inside or outside an update.
// - Im2D coordinates are pixels of the current camera's frame buffer (a sub-raster's own
//   origin); z 0 is the near, 1 the far end of the depth range.
// - The device adds its counters to metrics->device (state-cache misses, texture binds,
//   buffer switches); core counts triangles, vertices, uploads and allocations.

#include "engine/core/RwCamera.h"
#include "engine/core/RwEngine.h"
#include "engine/core/RwIm.h"
#include "engine/core/RwImage.h"
#include "engine/core/RwRaster.h"
#include "engine/core/RwRenderState.h"

struct RwIm3DDraw {
    const RwIm3DVertex* vertices;
    RwInt32 numVertices;
    const RwMatrix* ltm;  // object to world, null: identity
    RwUInt32 flags;       // RwIm3DTransformFlags
    RwPrimitiveType type;
    const RwImVertexIndex* indices;  // null: draw the vertices in order
    RwInt32 numIndices;
};

struct RwIm2DDraw {
    const RwIm2DVertex* vertices;
    RwInt32 numVertices;
    RwPrimitiveType type;
    const RwImVertexIndex* indices;  // null: in order
    RwInt32 numIndices;
};

// World space; direction is the way the light travels (the light frame's at axis).
struct RwDeviceDirectionalLight {
    RwV3d direction;
    RwRGBAReal colour;
};

// Meshes: vertex and index buffers a device keeps for geometry drawn every frame (atomics and
// world sectors). Vertex arrays may be null when the geometry has none: no normals draws
// unlit, no colours means black before lighting (white unlit), no UVs samples (0, 0), no
// bone data cannot be skinned.
struct RwDeviceMeshData {
    RwInt32 numVertices;
    const RwV3d* positions;
    const RwV3d* normals;
    const RwRGBA* colours;
    const RwV2d* uvs;
    const RwUInt8 (*boneIndices)[4];  // below the bone count the mesh is drawn with
    const RwReal (*weights)[4];
    const RwUInt16* indices;  // triangle list, below numVertices (checked by the caller)
    RwInt32 numIndices;
};

enum RwDeviceMeshPart : RwUInt32 {
    rwMeshPositions = 0x01,
    rwMeshNormals = 0x02,
    rwMeshColours = 0x04,
    rwMeshUVs = 0x08,
    rwMeshBones = 0x10,  // indices and weights
    rwMeshIndices = 0x20,
    rwMeshAll = 0x3f,
};

struct RwDeviceLighting;

// One material's share of a mesh, drawn with the current render states except those the
// material decides: its texture and sampling, and blending when it is transparent.
struct RwDeviceMeshDraw {
    void* mesh;
    const RwMatrix* ltm;  // object to world, null: identity
    RwInt32 firstIndex;
    RwInt32 numIndices;
    const RwDeviceLighting* lighting;  // null: unlit (vertex colours as they are, white without)
    RwRGBAReal materialColour;         // multiplies the colour, lit or not
    RwRaster* texture;                 // null: untextured
    RwInt32 filter;                    // RwTextureFilterMode
    RwInt32 addressU, addressV;        // RwTextureAddressMode
    const RwMatrix* uvTransform;       // null: UVs as they are
    bool transparent;                  // blend with the current blend functions
    const RwMatrix* boneMatrices;      // null: not skinned
    RwInt32 numBones;                  // at most rwDeviceMaxBones
    bool cullBack;                     // faces wound clockwise on the screen are not drawn
};

enum : RwInt32 { rwDeviceMaxBones = 64 };

struct RwDeviceLighting {
    RwRGBAReal ambient;  // alpha unused
    const RwDeviceDirectionalLight* directional;
    RwInt32 numDirectional;      // the device uses the first 8
    RwRGBAReal materialColour;   // multiplies the result; 1, 1, 1, 1 when not modulating
};

class RwDevice {
public:
    virtual ~RwDevice() = default;

    virtual RwDeviceKind GetKind() const = 0;

    // RwEngineStart: ready to draw. mode is null in a window (the window keeps its size),
    // else the full-screen mode to set with the chosen refresh rate.
    virtual bool Start(const RwVideoMode* mode, RwInt32 refreshRate) = 0;
    virtual void Stop() = 0;
    virtual bool ChangeVideoMode(const RwVideoMode& mode, RwInt32 refreshRate) = 0;

    // Storage for a raster of type z-buffer, camera, texture or camera texture with width and
    // height above 0. Set raster->deviceData.
    virtual bool CreateRaster(RwRaster* raster) = 0;
    virtual void DestroyRaster(RwRaster* raster) = 0;
    // The size changed; contents may be lost.
    virtual bool ResizeRaster(RwRaster* raster)
    {
        DestroyRaster(raster);
        return CreateRaster(raster);
    }
    // raster now shows part of its parent's storage (fields already set).
    virtual bool SubRaster(RwRaster* /*raster*/) { return true; }
    // The image has the raster's width and height; writes the sub-rectangle for sub-rasters.
    virtual bool UploadRaster(RwRaster* raster, const RwImage* image) = 0;
    // Fills a depth-32 image of the raster's size from its pixels.
    virtual bool ReadRaster(RwRaster* raster, RwImage* image) = 0;
    // Draws source stretched into rect (pixels) of target, replacing what is there.
    virtual bool RenderRasterScaled(RwRaster* target, RwRaster* source, const RwRect& rect) = 0;

    virtual bool BeginCameraUpdate(RwCamera* camera) = 0;
    virtual void EndCameraUpdate(RwCamera* camera) = 0;
    virtual bool ClearCamera(RwCamera* camera, const RwRGBA& colour, RwInt32 clearMode) = 0;
    // Copies the frame buffer to the window and presents it; the raster keeps its pixels.
    virtual bool ShowRaster(RwCamera* camera, void* window, RwUInt32 flags) = 0;

    virtual void SetRenderState(RwRenderState state, intptr_t value) = 0;
    virtual void SetZBias(RwInt32 bias) = 0;

    // Inside a camera update; vertex and index counts already checked by core.
    virtual bool DrawIm3D(const RwIm3DDraw& draw) = 0;
    virtual bool DrawIm2D(const RwIm2DDraw& draw) = 0;
    // Applies to the Im3D draws that follow until called again; null: unlit, vertex colours
    // as they are. Lit: colour = min(prelit + ambient + sum(max(0, n . -direction) * colour), 1)
    // * materialColour, with n the vertex normal turned into world space.
    virtual void SetLighting(const RwDeviceLighting* /*lighting*/) {}

    // Meshes live until DestroyMesh or the device's end (a device frees what is left).
    // Callers keep serial with the handle: a handle is only good for the device of that serial.
    virtual void* CreateMesh(const RwDeviceMeshData& /*data*/) { return nullptr; }
    // Replaces the parts named (same vertex and index counts as at creation).
    virtual bool UpdateMesh(void* /*mesh*/, const RwDeviceMeshData& /*data*/, RwUInt32 /*parts*/) { return false; }
    virtual void DestroyMesh(void* /*mesh*/) {}
    // Inside a camera update. Lighting as for SetLighting, with draw.materialColour in place
    // of lighting->materialColour; skinned positions and normals are the weighted sum of
    // the vertex moved by each of its bones' matrices, before the ltm.
    virtual bool DrawMesh(const RwDeviceMeshDraw& /*draw*/) { return false; }
    // Some texel of the texture raster is not opaque (drawing with it blends).
    virtual bool RasterHasAlpha(RwRaster* /*raster*/) { return false; }
    // Whether what is drawn reaches a picture someone sees. Where it does not, drawing that
    // only feeds later pictures (a shadow's raster and its projection) may be left out.
    virtual bool ShowsPictures() const { return true; }
    // Starts work on what was drawn so far while the caller goes on drawing; the picture is
    // the same whether or not it is called.
    virtual void StartWork() {}

    RwMetrics* metrics = nullptr;  // the frame under way, set by core
    const uint64_t serial = NextSerial();  // tells one device object from any later one

private:
    static uint64_t NextSerial()
    {
        static uint64_t next = 0;
        return ++next;
    }
};

using RwDeviceCreateFunc = RwDevice* (*)(const RwEngineOpenParams& params);

// Devices other than the null one register here from a static registrar in their library,
// so core never names their symbols. False when the kind already has a function.
bool RwDeviceRegister(RwDeviceKind kind, RwDeviceCreateFunc create);
bool RwDeviceIsRegistered(RwDeviceKind kind);
// The device of the open engine, or null.
RwDevice* RwDeviceGetCurrent();
// Whether the open engine's device shows what is drawn; false without one.
bool RwDeviceShowsPictures();
// The window the engine was opened with (an SDL_Window*), or null.
void* RwEngineGetWindow();
