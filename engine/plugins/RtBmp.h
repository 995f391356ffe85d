#pragma once

// BMP images: 8-bit palettised, 24-bit and 32-bit uncompressed, bottom-up or top-down, read into
// depth-32 RGBA images; written as 24-bit when every pixel is opaque, else 32-bit with alpha.
// Registered by the renderer as the image format "bmp".

#include "engine/core/RwCore.h"

// Null with a log line when the file is missing or not a BMP we read.
RwImage* RtBmpImageRead(const char* fileName);
RwImage* RtBmpImageReadMemory(const RwUInt8* data, RwUInt32 size);
// The image on success, null with a log line otherwise.
RwImage* RtBmpImageWrite(RwImage* image, const char* fileName);
