#pragma once

// State shared between the engine core's source files.

#include "engine/core/RwDevice.h"
#include "engine/core/RwTexture.h"

#include <string>
#include <vector>

namespace rwcore {

enum EngineState { StateTerminated = 0, StateInitialised = 1, StateOpen = 2, StateStarted = 3 };

struct Globals {
    EngineState state = StateTerminated;
    RwDevice* device = nullptr;
    RwEngineOpenParams params{};
    std::vector<RwVideoMode> modes;
    RwInt32 currentMode = 0;
    RwInt32 wantedMode = -1;  // set by RwEngineSetVideoMode: full screen at start
    RwUInt32 refreshRate = 0;
    RwMetrics frame{};
    RwMetrics last{};
    RwError error{};
    RwInt32 paletteDepth = 8;
};

Globals& G();

// The device, logging "<caller>: engine not open" when there is none.
RwDevice* Device(const char* caller);

// Brings the raster's storage to its current width and height before use.
bool SyncRasterSize(RwRaster* raster);

// Render-state table helpers for core (the current camera's drawing needs them).
intptr_t CurrentState(RwRenderState state);
void PushAllStatesToDevice();
void ResetCameraState();  // engine close: no camera is being updated, no raster context
void ResetRasterContexts();

// Plugin registry life cycle.
void ResetPlugins();

// The first existing file for the name over the image path, or empty.
std::string FindImageFile(const std::string& name);

// A texture raster made from the image with the current mip-map flags, or with smaller levels
// made from it whatever the flags when `levels` is set; null on failure.
RwTexture* TextureFromImage(RwImage* image, const char* name, const char* mask, bool levels = false);

// Case-insensitive ASCII comparison.
bool EqualsNoCaseAscii(const char* a, const char* b);

}  // namespace rwcore
