#pragma once

// The device for runs without a window or GL: rasters are CPU images (a clear fills them when
// they are next read, written or copied, so read-back works), drawing only leaves a record of
// the frame that tests can inspect.

#include "engine/core/RwDevice.h"

#include <vector>

struct RwNullDrawRecord {
    bool is2D;
    RwPrimitiveType type;
    RwInt32 numVertices;
    RwInt32 numIndices;  // 0 when not indexed
    RwUInt32 flags;      // the Im3D transform flags
    RwRaster* texture;   // the texture raster state at the draw
    RwCamera* camera;
    intptr_t zTest, zWrite, vertexAlpha, srcBlend, destBlend, alphaFunction, alphaRef, fog, cull, zAtFar;
    RwInt32 zBias;
    // Mesh draws only.
    bool isMesh = false;
    bool lit = false;
    RwInt32 numLights = 0;  // directional
    bool transparent = false;
    RwInt32 numBones = 0;
    RwRGBAReal materialColour{};
    RwInt32 firstIndex = 0;
    // 2D draws only: the first four vertices (a screen rectangle's corners), zero beyond the count.
    RwIm2DVertex corners2D[4]{};
    // 3D draws only: all the vertices (a quad's corners first).
    std::vector<RwIm3DVertex> vertices3D;
};

struct RwNullStateRecord {
    RwRenderState state;
    intptr_t value;
};

struct RwNullClearRecord {
    RwCamera* camera;
    RwRGBA colour;
    RwInt32 clearMode;
};

class RwNullDevice : public RwDevice {
public:
    ~RwNullDevice() override;  // frees the storage of rasters still alive
    RwDeviceKind GetKind() const override { return rwDeviceNull; }
    bool Start(const RwVideoMode* mode, RwInt32 refreshRate) override;
    void Stop() override;
    bool ChangeVideoMode(const RwVideoMode& mode, RwInt32 refreshRate) override;
    bool CreateRaster(RwRaster* raster) override;
    void DestroyRaster(RwRaster* raster) override;
    bool UploadRaster(RwRaster* raster, const RwImage* image) override;
    bool ReadRaster(RwRaster* raster, RwImage* image) override;
    bool RenderRasterScaled(RwRaster* target, RwRaster* source, const RwRect& rect) override;
    bool BeginCameraUpdate(RwCamera* camera) override;
    void EndCameraUpdate(RwCamera* camera) override;
    bool ClearCamera(RwCamera* camera, const RwRGBA& colour, RwInt32 clearMode) override;
    bool ShowRaster(RwCamera* camera, void* window, RwUInt32 flags) override;
    void SetRenderState(RwRenderState state, intptr_t value) override;
    void SetZBias(RwInt32 bias) override;
    bool DrawIm3D(const RwIm3DDraw& draw) override;
    bool DrawIm2D(const RwIm2DDraw& draw) override;
    void* CreateMesh(const RwDeviceMeshData& data) override;
    bool UpdateMesh(void* mesh, const RwDeviceMeshData& data, RwUInt32 parts) override;
    void DestroyMesh(void* mesh) override;
    bool DrawMesh(const RwDeviceMeshDraw& draw) override;
    void StartWork() override { ++workStarts; }

    // Forgets the records and the show, scaled-render and work-start counts.
    void ClearLog();

    bool ShowsPictures() const override { return showsPictures; }
    // Off: nobody sees a headless run's pictures. Tests of what the picture-only effects
    // draw switch it on.
    bool showsPictures = false;

    // What the frame under way asked for, or the frame last shown until the next one starts:
    // records go with their frame, so that a headless match runs in constant memory. A frame
    // keeps its last kMaxFrameUpdates camera updates, each with the clears and states that led
    // to it, so that one never shown (an off-screen camera, a tool, a failed show) stays
    // bounded too; past kMaxRecords records (an update that never ends) it starts over.
    static constexpr size_t kMaxFrameUpdates = 16;
    static constexpr size_t kMaxRecords = 1 << 16;
    std::vector<RwNullDrawRecord> draws;
    std::vector<RwNullStateRecord> states;
    std::vector<RwNullClearRecord> clears;
    RwInt32 shows = 0;
    RwInt32 scaledRenders = 0;
    RwInt32 workStarts = 0;  // StartWork calls
    bool started = false;
    RwVideoMode mode{};
    RwInt32 refreshRate = 0;
    RwInt32 modeChanges = 0;
    RwInt32 meshUpdates = 0;  // UpdateMesh calls
    RwInt32 liveMeshes = 0;

private:
    // Where an update's records begin.
    struct Mark {
        size_t draws, states, clears;
    };
    // Called before each new record and at each camera update: the first one after a show
    // starts the next frame, the first one after an update ends starts the next update.
    void BeginRecord();
    void StartFrame();
    void DropOldestUpdate();
    RwNullDrawRecord Record(bool is2D, RwPrimitiveType type, RwInt32 numVertices, RwInt32 numIndices,
                            RwUInt32 flags) const;
    bool m_shown = false;
    std::vector<Mark> m_updates;  // of the frame under way, oldest first
    bool m_updateEnded = true;
    intptr_t m_state[rwRenderStateCount] = {};
    RwInt32 m_zBias = 0;
    RwCamera* m_camera = nullptr;
};

// The open engine's device when it is the null device, else null.
RwNullDevice* RwNullDeviceGet();
