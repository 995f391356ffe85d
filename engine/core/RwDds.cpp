#include "engine/core/RwDxt.h"
#include "engine/core/RwImage.h"
#include "engine/core/RwInternal.h"
#include "engine/core/RwRaster.h"
#include "engine/core/RwStream.h"
#include "engine/core/RwTexture.h"

#include "framework/Debug.h"

#include <cstring>
#include <string>
#include <vector>

namespace rwcore {

namespace {

struct Rgb {
    RwUInt8 r, g, b;
};

Rgb Expand565(RwUInt16 c)
{
    const RwUInt8 r = RwUInt8((c >> 11) & 31), g = RwUInt8((c >> 5) & 63), b = RwUInt8(c & 31);
    return {RwUInt8((r << 3) | (r >> 2)), RwUInt8((g << 2) | (g >> 4)), RwUInt8((b << 3) | (b >> 2))};
}

RwUInt16 Le16(const RwUInt8* p) { return RwUInt16(p[0] | (p[1] << 8)); }
RwUInt32 Le32(const RwUInt8* p) { return RwUInt32(p[0]) | (RwUInt32(p[1]) << 8) | (RwUInt32(p[2]) << 16) | (RwUInt32(p[3]) << 24); }

// Colour part of a block: 16 RGBA texels. Three-colour mode (with transparent black) only
// for DXT1 when the first colour is not above the second.
void DecodeColour(const RwUInt8* block, bool allowThreeColour, RwUInt8 out[16][4])
{
    const RwUInt16 c0 = Le16(block), c1 = Le16(block + 2);
    const Rgb a = Expand565(c0), b = Expand565(c1);
    RwUInt8 pal[4][4] = {{a.r, a.g, a.b, 255}, {b.r, b.g, b.b, 255}, {}, {}};
    if (c0 > c1 || !allowThreeColour) {
        for (int k = 0; k < 3; ++k) {
            pal[2][k] = RwUInt8((2 * pal[0][k] + pal[1][k]) / 3);
            pal[3][k] = RwUInt8((pal[0][k] + 2 * pal[1][k]) / 3);
        }
        pal[2][3] = pal[3][3] = 255;
    } else {
        for (int k = 0; k < 3; ++k)
            pal[2][k] = RwUInt8((pal[0][k] + pal[1][k]) / 2);
        pal[2][3] = 255;
        pal[3][0] = pal[3][1] = pal[3][2] = pal[3][3] = 0;
    }
    const RwUInt32 bits = Le32(block + 4);
    for (int i = 0; i < 16; ++i)
        std::memcpy(out[i], pal[(bits >> (2 * i)) & 3], 4);
}

void DecodeAlphaExplicit(const RwUInt8* block, RwUInt8 out[16][4])
{
    for (int i = 0; i < 16; ++i) {
        const RwUInt8 nibble = RwUInt8((block[i / 2] >> ((i & 1) * 4)) & 15);
        out[i][3] = RwUInt8(nibble * 17);
    }
}

void DecodeAlphaInterpolated(const RwUInt8* block, RwUInt8 out[16][4])
{
    const RwUInt32 a0 = block[0], a1 = block[1];
    RwUInt8 pal[8] = {RwUInt8(a0), RwUInt8(a1)};
    if (a0 > a1) {
        for (int i = 1; i < 7; ++i)
            pal[i + 1] = RwUInt8(((7 - i) * a0 + i * a1) / 7);
    } else {
        for (int i = 1; i < 5; ++i)
            pal[i + 1] = RwUInt8(((5 - i) * a0 + i * a1) / 5);
        pal[6] = 0;
        pal[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i)
        bits |= uint64_t(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i)
        out[i][3] = pal[(bits >> (3 * i)) & 7];
}

}  // namespace

size_t DxtDataSize(DxtKind kind, RwInt32 width, RwInt32 height)
{
    const size_t blocks = size_t((width + 3) / 4) * size_t((height + 3) / 4);
    return blocks * (kind == DxtKind::Dxt1 ? 8 : 16);
}

void DxtDecode(DxtKind kind, const RwUInt8* data, RwInt32 width, RwInt32 height, RwUInt8* dst, RwInt32 dstStride)
{
    const size_t blockBytes = kind == DxtKind::Dxt1 ? 8 : 16;
    for (RwInt32 by = 0; by < (height + 3) / 4; ++by) {
        for (RwInt32 bx = 0; bx < (width + 3) / 4; ++bx) {
            RwUInt8 texels[16][4];
            if (kind == DxtKind::Dxt1) {
                DecodeColour(data, true, texels);
            } else {
                DecodeColour(data + 8, false, texels);
                if (kind == DxtKind::Dxt3)
                    DecodeAlphaExplicit(data, texels);
                else
                    DecodeAlphaInterpolated(data, texels);
            }
            data += blockBytes;
            for (int ty = 0; ty < 4; ++ty) {
                const RwInt32 y = by * 4 + ty;
                if (y >= height)
                    break;
                for (int tx = 0; tx < 4; ++tx) {
                    const RwInt32 x = bx * 4 + tx;
                    if (x < width)
                        std::memcpy(dst + size_t(y) * size_t(dstStride) + size_t(x) * 4, texels[ty * 4 + tx], 4);
                }
            }
        }
    }
}

}  // namespace rwcore

namespace {

constexpr RwUInt32 kMagic = 0x20534444;  // "DDS "
constexpr RwUInt32 kHeaderSize = 124;
constexpr RwUInt32 kPixelFormatFourCC = 0x4;
constexpr RwUInt32 kPixelFormatRgb = 0x40;
constexpr RwUInt32 kPixelFormatAlphaPixels = 0x1;
constexpr RwUInt32 kHeaderMipMapCount = 0x20000;
constexpr RwInt32 kMaxSide = 8192;
constexpr RwUInt32 kMaxFileSize = 128u * 1024u * 1024u;

constexpr RwUInt32 FourCC(char a, char b, char c, char d)
{
    return RwUInt32(RwUInt8(a)) | (RwUInt32(RwUInt8(b)) << 8) | (RwUInt32(RwUInt8(c)) << 16) |
           (RwUInt32(RwUInt8(d)) << 24);
}

RwUInt32 Le32(const RwUInt8* p)
{
    return RwUInt32(p[0]) | (RwUInt32(p[1]) << 8) | (RwUInt32(p[2]) << 16) | (RwUInt32(p[3]) << 24);
}

// A channel under a bit mask scaled to 0..255.
RwUInt8 Channel(RwUInt32 pixel, RwUInt32 mask, RwUInt8 missing)
{
    if (!mask)
        return missing;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const RwUInt32 max = mask >> shift;
    return RwUInt8(uint64_t((pixel & mask) >> shift) * 255u / max);
}

// Whether the file says it carries smaller levels after the first.
bool CarriesLevels(const std::vector<RwUInt8>& file)
{
    if (file.size() < 4 + kHeaderSize)
        return false;
    const RwUInt8* h = file.data() + 4;
    return (Le32(h + 4) & kHeaderMipMapCount) && Le32(h + 24) > 1;
}

}  // namespace

RwImage* RwDdsImageReadMemory(const void* data, RwUInt32 size)
{
    const auto* p = static_cast<const RwUInt8*>(data);
    if (!p || size < 4 + kHeaderSize || Le32(p) != kMagic || Le32(p + 4) != kHeaderSize) {
        LogError("RwDdsImageRead: not a DDS file\n");
        return nullptr;
    }
    const RwUInt8* h = p + 4;
    const RwInt32 height = RwInt32(Le32(h + 8));
    const RwInt32 width = RwInt32(Le32(h + 12));
    const RwUInt8* pf = h + 72;
    const RwUInt32 pfFlags = Le32(pf + 4);
    const RwUInt32 fourCC = Le32(pf + 8);
    const RwUInt32 bitCount = Le32(pf + 12);
    const RwUInt32 masks[4] = {Le32(pf + 16), Le32(pf + 20), Le32(pf + 24), Le32(pf + 28)};
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        LogError("RwDdsImageRead: bad size %d x %d\n", width, height);
        return nullptr;
    }
    const RwUInt8* body = p + 4 + kHeaderSize;
    const size_t available = size - (4 + kHeaderSize);

    if (pfFlags & kPixelFormatFourCC) {
        rwcore::DxtKind kind;
        if (fourCC == FourCC('D', 'X', 'T', '1'))
            kind = rwcore::DxtKind::Dxt1;
        else if (fourCC == FourCC('D', 'X', 'T', '3'))
            kind = rwcore::DxtKind::Dxt3;
        else if (fourCC == FourCC('D', 'X', 'T', '5'))
            kind = rwcore::DxtKind::Dxt5;
        else {
            LogError("RwDdsImageRead: unsupported compression 0x%08x\n", fourCC);
            return nullptr;
        }
        if (rwcore::DxtDataSize(kind, width, height) > available) {
            LogError("RwDdsImageRead: compressed data cut short\n");
            return nullptr;
        }
        RwImage* image = RwImageCreate(width, height, 32);
        if (!image || !RwImageAllocatePixels(image)) {
            RwImageDestroy(image);
            return nullptr;
        }
        rwcore::DxtDecode(kind, body, width, height, image->pixels, image->stride);
        return image;
    }
    if ((pfFlags & kPixelFormatRgb) && (bitCount == 16 || bitCount == 24 || bitCount == 32)) {
        const size_t bpp = bitCount / 8;
        if (size_t(width) * size_t(height) * bpp > available) {
            LogError("RwDdsImageRead: pixel data cut short\n");
            return nullptr;
        }
        RwImage* image = RwImageCreate(width, height, 32);
        if (!image || !RwImageAllocatePixels(image)) {
            RwImageDestroy(image);
            return nullptr;
        }
        const RwUInt32 alphaMask = (pfFlags & kPixelFormatAlphaPixels) ? masks[3] : 0;
        const RwUInt8* src = body;
        for (RwInt32 y = 0; y < height; ++y) {
            RwUInt8* dst = image->pixels + size_t(y) * size_t(image->stride);
            for (RwInt32 x = 0; x < width; ++x, src += bpp) {
                RwUInt32 v = 0;
                for (size_t k = 0; k < bpp; ++k)
                    v |= RwUInt32(src[k]) << (8 * k);
                dst[x * 4 + 0] = Channel(v, masks[0], 0);
                dst[x * 4 + 1] = Channel(v, masks[1], 0);
                dst[x * 4 + 2] = Channel(v, masks[2], 0);
                dst[x * 4 + 3] = Channel(v, alphaMask, 255);
            }
        }
        return image;
    }
    LogError("RwDdsImageRead: unsupported pixel format (flags 0x%x, %u bits)\n", pfFlags, bitCount);
    return nullptr;
}

RwTexture* RwD3D8DdsTextureRead(const char* name, const char* /*maskName*/)
{
    // DDS pictures carry their own alpha; a mask name has nothing to add to them.
    if (!name || !*name)
        return nullptr;
    const std::string path = rwcore::FindImageFile(std::string(name) + ".dds");
    if (path.empty())
        return nullptr;
    RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamRead, path.c_str());
    if (!stream)
        return nullptr;
    const int64_t size = RwStreamGetRemaining(stream);
    std::vector<RwUInt8> bytes;
    if (size > 0 && size <= int64_t(kMaxFileSize)) {
        bytes.resize(size_t(size));
        if (RwStreamRead(stream, bytes.data(), RwUInt32(size)) != RwUInt32(size))
            bytes.clear();
    }
    RwStreamClose(stream, nullptr);
    RwImage* image = bytes.empty() ? nullptr : RwDdsImageReadMemory(bytes.data(), RwUInt32(bytes.size()));
    if (!image) {
        LogError("RwD3D8DdsTextureRead: could not read %s\n", path.c_str());
        return nullptr;
    }
    // A file with smaller levels gets them whatever the mip-map flags; the device makes them
    // again from the first, as it does for automatic mip-mapping.
    RwTexture* texture = rwcore::TextureFromImage(image, name, nullptr, CarriesLevels(bytes));
    RwImageDestroy(image);
    return texture;
}
