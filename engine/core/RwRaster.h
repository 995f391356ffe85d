#pragma once

// Rasters: pixel storage owned by the device. Row 0 is the top of the picture.

#include "engine/core/RwTypes.h"

struct RwImage;

// Types and formats are plain integers so that callers can OR a type with a format.
inline constexpr RwInt32 rwRasterTypeNormal = 0;  // no storage of its own: a placeholder for sub-rasters
inline constexpr RwInt32 rwRasterTypeZBuffer = 1;
inline constexpr RwInt32 rwRasterTypeCamera = 2;
inline constexpr RwInt32 rwRasterTypeTexture = 4;
inline constexpr RwInt32 rwRasterTypeCameraTexture = 5;
inline constexpr RwInt32 rwRasterTypeMask = 0x7;

inline constexpr RwInt32 rwRasterFormatDefault = 0;
inline constexpr RwInt32 rwRasterFormat565 = 0x200;
inline constexpr RwInt32 rwRasterFormat8888 = 0x500;
inline constexpr RwInt32 rwRasterFormat888 = 0x600;
inline constexpr RwInt32 rwRasterFormatPixelMask = 0x0f00;
inline constexpr RwInt32 rwRasterFormatAutoMipmap = 0x1000;  // the device builds the mip levels
inline constexpr RwInt32 rwRasterFormatMipmap = 0x8000;      // sampled with mip levels

struct RwRaster {
    // The raster that owns the storage: itself, or for a sub-raster the top-most parent.
    RwRaster* parent;
    // Callers may write width and height; the device reallocates at the next use.
    RwInt32 width, height;
    RwInt32 depth;
    RwInt32 type;    // rwRasterType*
    RwInt32 format;  // rwRasterFormat* bits (pixel format and mip flags)
    // Position of a sub-raster inside parent's storage (0, 0 for an own raster).
    RwInt32 offsetX, offsetY;
    // The size the device storage was made for; core compares it with width and height.
    RwInt32 storedWidth, storedHeight;
    void* deviceData;  // the device's own record, null without storage
};

// flags: type | format. Width or height 0 creates a raster without storage (as a placeholder
// for RwRasterSubRaster or for a size set later). Depth 0 means the type's default.
RwRaster* RwRasterCreate(RwInt32 width, RwInt32 height, RwInt32 depth, RwInt32 flags);
RwBool RwRasterDestroy(RwRaster* raster);  // a sub-raster leaves its parent's storage alone
// Makes raster a window onto rect of parent (clipped to the parent); raster's own storage,
// if any, is released. Null when the rectangle lies outside the parent or the types clash.
RwRaster* RwRasterSubRaster(RwRaster* raster, RwRaster* parent, const RwRect* rect);
// Uploads a picture of the raster's size (palettised images are expanded).
RwRaster* RwRasterSetFromImage(RwRaster* raster, RwImage* image);
RwRaster* RwRasterGetParent(const RwRaster* raster);
RwBool RwRasterIsSubRaster(const RwRaster* raster);
// Drawing target stack: push returns null when the raster cannot be drawn into.
RwRaster* RwRasterPushContext(RwRaster* raster);
RwRaster* RwRasterPopContext();
RwRaster* RwRasterGetCurrentContext();
// Draws the raster stretched into rect (pixels) of the current context.
RwRaster* RwRasterRenderScaled(RwRaster* raster, const RwRect* rect);
