#pragma once

// Plain value types shared by every engine module.

#include <cstddef>
#include <cstdint>

using RwBool = int32_t;
using RwInt8 = int8_t;
using RwUInt8 = uint8_t;
using RwInt16 = int16_t;
using RwUInt16 = uint16_t;
using RwInt32 = int32_t;
using RwUInt32 = uint32_t;
using RwReal = float;

struct RwV2d {
    RwReal x, y;
};

struct RwV3d {
    RwReal x, y, z;
};

// Colour bytes as callers pass them to clears and materials.
struct RwRGBA {
    RwUInt8 red, green, blue, alpha;
};

struct RwRGBAReal {
    RwReal red, green, blue, alpha;
};

// Pixel rectangle: origin and size.
struct RwRect {
    RwInt32 x, y, w, h;
};

struct RwSphere {
    RwV3d center;
    RwReal radius;
};

struct RwBBox {
    RwV3d sup;  // maximum corner
    RwV3d inf;  // minimum corner
};

// Packs a colour the way immediate-mode vertices carry it: A 24-31, R 16-23, G 8-15, B 0-7.
constexpr RwUInt32 RwPackColor(RwUInt8 r, RwUInt8 g, RwUInt8 b, RwUInt8 a)
{
    return (RwUInt32(a) << 24) | (RwUInt32(r) << 16) | (RwUInt32(g) << 8) | RwUInt32(b);
}
