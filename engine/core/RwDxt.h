#pragma once

// Block-compressed texture data decoded in software.

#include "engine/core/RwTypes.h"

#include <cstddef>

namespace rwcore {

enum class DxtKind { Dxt1, Dxt3, Dxt5 };

// Bytes of compressed data for a picture of that size.
size_t DxtDataSize(DxtKind kind, RwInt32 width, RwInt32 height);
// Decodes into RGBA8 rows of dstStride bytes; data must hold DxtDataSize bytes.
void DxtDecode(DxtKind kind, const RwUInt8* data, RwInt32 width, RwInt32 height, RwUInt8* dst, RwInt32 dstStride);

}  // namespace rwcore
