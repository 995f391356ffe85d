#pragma once

// CPU images. Every reader delivers depth 32 with 4 bytes R, G, B, A per pixel and rows from
// the top of the picture down.

#include "engine/core/RwTypes.h"

struct RwRaster;
struct RwStream;
struct RwTexture;

struct RwImage {
    RwInt32 flags;  // rwImageAllocated when the image owns its pixels
    RwInt32 width, height;
    RwInt32 depth;   // 4, 8 (palettised) or 32
    RwInt32 stride;  // bytes per row
    RwUInt8* pixels;
    RwRGBA* palette;  // 2^depth entries for depth 4 and 8
};

enum RwImageFlag : RwInt32 { rwImageAllocated = 1 };

using RwImageCallBackRead = RwImage* (*)(const char* fileName);
using RwImageCallBackWrite = RwImage* (*)(RwImage* image, const char* fileName);

RwImage* RwImageCreate(RwInt32 width, RwInt32 height, RwInt32 depth);  // no pixels yet
RwBool RwImageDestroy(RwImage* image);                                 // frees owned pixels
RwImage* RwImageAllocatePixels(RwImage* image);                         // zeroed
RwImage* RwImageFreePixels(RwImage* image);
// New size keeping the overlapping pixels; new pixels are zero.
RwImage* RwImageResize(RwImage* image, RwInt32 width, RwInt32 height);
// Reads the raster's pixels back into the image (depth 32, sized to the raster).
RwImage* RwImageSetFromRaster(RwImage* image, RwRaster* raster);
// Palettised images expanded to depth 32 in place.
RwImage* RwImageConvertTo32(RwImage* image);

// Search path for later reads: one folder, or several separated by ";". Names that are
// absolute are read as given; otherwise each folder is tried in order, then the name alone.
const char* RwImageSetPath(const char* path);
const char* RwImageGetPath();
// Format by extension (without regard to case); a name without an extension tries every
// registered format in registration order.
RwImage* RwImageRead(const char* fileName);
// The mask's luminance becomes the image's alpha; sizes must match.
RwImage* RwImageReadMaskedImage(const char* fileName, const char* maskName);
RwImage* RwImageWrite(RwImage* image, const char* fileName);
// Replaces the functions of an extension that is already registered. False on a bad
// extension or without a reader and a writer.
RwBool RwImageRegisterImageFormat(const char* extension, RwImageCallBackRead reader, RwImageCallBackWrite writer);
RwBool RwImageFindFileType(const char* fileName);  // a registered format reads it

// PNG through libpng, over an engine stream; palette, grey and RGB become RGBA.
RwImage* RtPngImageRead(const char* fileName);
RwImage* RtPngImageReadStream(RwStream* stream);
// Writes pixel rows in any PNG layout: colorType is a PNG_COLOR_TYPE_* value, rows are packed
// as that type stores them, rowBytes apart; a palette comes as RGB triples. False (logged)
// when the file could not be written.
RwBool RtPngWriteRows(const char* fileName, RwInt32 width, RwInt32 height, RwInt32 colorType, RwInt32 bitDepth,
                      const RwUInt8* rows, RwUInt32 rowBytes, const RwUInt8* paletteRgb = nullptr,
                      RwInt32 paletteEntries = 0);
// A depth-32 image as an 8-bit RGBA PNG file; false (logged) for other depths or a failed write.
RwBool RtPngImageWrite(const RwImage* image, const char* fileName);

// DDS: uncompressed 32/24-bit and DXT1/3/5, decoded to depth 32.
RwImage* RwDdsImageReadMemory(const void* data, RwUInt32 size);
// The texture from name + ".dds" over the image path, or null (no error set) when there is none.
RwTexture* RwD3D8DdsTextureRead(const char* name, const char* maskName);
