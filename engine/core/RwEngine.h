#pragma once

// Engine life cycle: Init -> (plugins attach) -> Open (device chosen) -> Start -> ... ->
// Stop -> Close -> Term.

#include "engine/core/RwTypes.h"

struct RwMemoryFunctions {
    void* (*rwmalloc)(size_t size);
    void (*rwfree)(void* p);
    void* (*rwrealloc)(void* p, size_t size);
    void* (*rwcalloc)(size_t count, size_t size);
};

enum RwDeviceKind : RwInt32 {
    rwDeviceNull = 0,  // no window, no GPU: textures stay CPU images, drawing is only recorded
    rwDeviceGL = 1,
};

struct RwEngineOpenParams {
    void* displayID;  // the SDL_Window*, may be null for the null device
    RwDeviceKind device;
};

enum RwVideoModeFlag : RwUInt32 { rwVideoModeExclusive = 1 };

// Six 32-bit words.
struct RwVideoMode {
    RwInt32 width;
    RwInt32 height;
    RwInt32 depth;
    RwUInt32 flags;
    RwInt32 refRate;
    RwInt32 format;  // raster format of the mode's frame buffer
};
static_assert(sizeof(RwVideoMode) == 24);

// Counters of the last finished frame (a frame ends with RwCameraShowRaster).
struct RwDeviceMetrics {
    RwUInt32 numRenderStateChanges;
    RwUInt32 numTextureStageStateChanges;
    RwUInt32 numMaterialChanges;
    RwUInt32 numLightsChanged;
    RwUInt32 numVBSwitches;
};

struct RwMetrics {
    RwUInt32 numTriangles;
    RwUInt32 numProcTriangles;
    RwUInt32 numVertices;
    RwUInt32 numTextureUploads;
    RwUInt32 sizeTextureUploads;
    RwUInt32 numResourceAllocs;
    RwDeviceMetrics device;
};

RwBool RwEngineInit(const RwMemoryFunctions* memoryFunctions, RwUInt32 flags, RwUInt32 resourceArenaSize);
RwBool RwEngineOpen(const RwEngineOpenParams* params);
RwBool RwEngineStart();
RwBool RwEngineStop();
RwBool RwEngineClose();
RwBool RwEngineTerm();
// 0 before Init, then 1 initialised, 2 open, 3 started.
RwInt32 RwEngineGetState();

// The arena size the game, its tools and its tests open the engine with.
constexpr RwUInt32 kEngineArenaBytes = 0x100000;
// Init with kEngineArenaBytes, attach (may be null: no plugins), open on the device and start.
// False when a step fails: an engine that was already initialised is left as it was, one
// brought up here is taken back down.
RwBool RwEngineStartUp(RwDeviceKind device, void* displayID = nullptr, RwBool (*attach)() = nullptr);
// Stops, closes and terminates the engine from whatever stage it reached.
void RwEngineShutDown();

RwInt32 RwEngineGetNumVideoModes();
RwVideoMode* RwEngineGetVideoModeInfo(RwVideoMode* modeInfo, RwInt32 modeIndex);
RwInt32 RwEngineGetCurrentVideoMode();
// Before RwEngineStart; the mode is set when the engine starts.
RwBool RwEngineSetVideoMode(RwInt32 modeIndex);
// The wanted full-screen refresh rate: the mode's exact rate if offered, else the highest lower.
RwBool RwD3D8EngineSetRefreshRate(RwUInt32 refreshRate);
// Switches a started engine to the mode; callers resize their cameras afterwards.
RwBool RwD3D8ChangeVideoMode(RwInt32 modeIndex);
// The rate chosen for a mode with the wanted refresh rate (0 = the mode's own).
RwInt32 RwEngineChooseRefreshRate(RwInt32 modeIndex);

// Major in bits 16 and up, minor in 12-15, revision in 8-11.
RwUInt32 RwEngineGetVersion();
RwMetrics* RwEngineGetMetrics();  // null before RwEngineOpen
// The frame under way (devices and drawing code add to it).
RwMetrics* RwEngineGetFrameMetrics();

// Stored only: rasters are never palettised.
RwBool RwPaletteQuantizeSetDepth(RwInt32 depth);
RwInt32 RwPaletteQuantizeGetDepth();

struct RwError {
    RwInt32 pluginID;
    RwInt32 errorCode;  // 0: no error
};
enum RwErrorCode : RwInt32 {
    rwErrorNone = 0,
    rwErrorTextureMissing = 22,
};
// Copies the pending error (errorCode 0 when none) and clears it.
RwError* RwErrorGet(RwError* code);
RwError* RwErrorSet(const RwError* code);
