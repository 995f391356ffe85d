#include "engine/plugins/RtBmp.h"

#include "framework/Debug.h"

#include <cstdlib>
#include <cstring>
#include <vector>

// File header (14 bytes): "BM", u32 file size, u32 reserved, u32 offset of the pixels.
// Info header: u32 size (40, or 108/124 with colour masks), i32 width, i32 height (negative:
// rows top-down), u16 planes (1), u16 bits, u32 compression (0 none, 3 bit fields for 32-bit),
// u32 image size, i32 x/y resolution, u32 colours used, u32 important; for 3 the red, green,
// blue (and alpha) masks follow (inside a 108/124-byte header, or after a 40-byte one).
// 8-bit images carry a palette of B, G, R, 0 entries after the info header.

namespace {

constexpr RwInt32 kMaxSide = 32768;

RwUInt32 U32(const RwUInt8* p)
{
    return RwUInt32(p[0]) | RwUInt32(p[1]) << 8 | RwUInt32(p[2]) << 16 | RwUInt32(p[3]) << 24;
}

RwUInt16 U16(const RwUInt8* p)
{
    return RwUInt16(p[0] | p[1] << 8);
}

void Put32(std::vector<RwUInt8>& out, RwUInt32 v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(RwUInt8(v >> (8 * i)));
}

void Put16(std::vector<RwUInt8>& out, RwUInt16 v)
{
    out.push_back(RwUInt8(v));
    out.push_back(RwUInt8(v >> 8));
}

// Shift of a byte-wide mask, or -1 for a mask we do not read.
int MaskShift(RwUInt32 mask)
{
    for (int s = 0; s <= 24; s += 8) {
        if (mask == 0xFFu << s)
            return s;
    }
    return -1;
}

RwImage* Fail(const char* why)
{
    LogError("RtBmpImageRead: %s\n", why);
    return nullptr;
}

}  // namespace

RwImage* RtBmpImageReadMemory(const RwUInt8* data, RwUInt32 size)
{
    if (!data || size < 54 || data[0] != 'B' || data[1] != 'M')
        return Fail("not a BMP file");
    const RwUInt32 offset = U32(data + 10);
    const RwUInt32 headerSize = U32(data + 14);
    if (headerSize < 40 || headerSize > size - 14)
        return Fail("unsupported info header");
    const RwInt32 width = RwInt32(U32(data + 18));
    const RwInt32 rawHeight = RwInt32(U32(data + 22));
    const RwUInt16 planes = U16(data + 26);
    const RwUInt16 bits = U16(data + 28);
    const RwUInt32 compression = U32(data + 30);
    RwUInt32 colours = U32(data + 46);
    if (planes != 1 || (bits != 8 && bits != 24 && bits != 32))
        return Fail("only 8, 24 and 32-bit images are read");
    if (width <= 0 || width > kMaxSide || rawHeight == 0 || rawHeight > kMaxSide || rawHeight < -kMaxSide)
        return Fail("bad image size");
    const bool topDown = rawHeight < 0;
    const RwInt32 height = topDown ? -rawHeight : rawHeight;

    // Channel shifts within a 32-bit pixel (B, G, R, A bytes in the file by default).
    int shR = 16, shG = 8, shB = 0, shA = 24;
    bool hasAlpha = bits == 32;
    if (compression == 3 && bits == 32) {
        const RwUInt32 maskAt = 14 + 40;
        const bool alphaMask = headerSize >= 56;
        if (maskAt + 12 > size || (alphaMask && maskAt + 16 > size))
            return Fail("colour masks cut short");
        shR = MaskShift(U32(data + maskAt));
        shG = MaskShift(U32(data + maskAt + 4));
        shB = MaskShift(U32(data + maskAt + 8));
        const RwUInt32 a = alphaMask ? U32(data + maskAt + 12) : 0;
        shA = a ? MaskShift(a) : -1;
        hasAlpha = a != 0;
        if (shR < 0 || shG < 0 || shB < 0 || (a && shA < 0))
            return Fail("colour masks other than whole bytes are not read");
    } else if (compression != 0) {
        return Fail("compressed images are not read");
    }

    RwRGBA palette[256] = {};
    if (bits == 8) {
        if (colours == 0)
            colours = 256;
        const uint64_t at = 14 + uint64_t(headerSize);
        if (colours > 256 || at + uint64_t(colours) * 4 > size)
            return Fail("palette cut short");
        for (RwUInt32 i = 0; i < colours; ++i) {
            const RwUInt8* p = data + at + i * 4;
            palette[i] = {p[2], p[1], p[0], 255};
        }
    }

    const uint64_t stride = ((uint64_t(width) * bits + 31) / 32) * 4;
    if (offset < 14 + headerSize || uint64_t(offset) + stride * uint64_t(height) > size)
        return Fail("pixels cut short");

    RwImage* image = RwImageCreate(width, height, 32);
    if (!image || !RwImageAllocatePixels(image)) {
        RwImageDestroy(image);
        return Fail("out of memory");
    }
    bool anyAlpha = false;
    for (RwInt32 y = 0; y < height; ++y) {
        const RwUInt8* row = data + offset + stride * uint64_t(topDown ? y : height - 1 - y);
        RwUInt8* out = image->pixels + size_t(y) * size_t(image->stride);
        for (RwInt32 x = 0; x < width; ++x, out += 4) {
            if (bits == 8) {
                const RwUInt8 index = row[x];
                if (index >= colours) {
                    RwImageDestroy(image);
                    return Fail("palette index out of range");
                }
                out[0] = palette[index].red;
                out[1] = palette[index].green;
                out[2] = palette[index].blue;
                out[3] = 255;
            } else if (bits == 24) {
                const RwUInt8* p = row + size_t(x) * 3;
                out[0] = p[2];
                out[1] = p[1];
                out[2] = p[0];
                out[3] = 255;
            } else {
                const RwUInt32 v = U32(row + size_t(x) * 4);
                out[0] = RwUInt8(v >> shR);
                out[1] = RwUInt8(v >> shG);
                out[2] = RwUInt8(v >> shB);
                out[3] = shA >= 0 ? RwUInt8(v >> shA) : 255;
                anyAlpha |= out[3] != 0;
            }
        }
    }
    // Many writers leave the fourth byte of 32-bit pixels at zero: such an image is opaque.
    if (bits == 32 && hasAlpha && !anyAlpha && compression == 0) {
        for (RwInt32 y = 0; y < height; ++y) {
            RwUInt8* out = image->pixels + size_t(y) * size_t(image->stride);
            for (RwInt32 x = 0; x < width; ++x)
                out[size_t(x) * 4 + 3] = 255;
        }
    }
    return image;
}

RwImage* RtBmpImageRead(const char* fileName)
{
    RwStream* stream = fileName ? RwStreamOpen(rwStreamFileName, rwStreamRead, fileName) : nullptr;
    if (!stream) {
        LogError("RtBmpImageRead: cannot open %s\n", fileName ? fileName : "(null)");
        return nullptr;
    }
    std::vector<RwUInt8> bytes;
    RwUInt8 buffer[65536];
    for (;;) {
        const RwUInt32 n = RwStreamRead(stream, buffer, sizeof buffer);
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (n < sizeof buffer || bytes.size() > 0x40000000u)
            break;
    }
    RwStreamClose(stream, nullptr);
    RwImage* image = RtBmpImageReadMemory(bytes.data(), RwUInt32(bytes.size()));
    if (!image)
        LogError("RtBmpImageRead: %s could not be read\n", fileName);
    return image;
}

RwImage* RtBmpImageWrite(RwImage* image, const char* fileName)
{
    if (!image || !image->pixels || !fileName || image->width <= 0 || image->height <= 0) {
        LogError("RtBmpImageWrite: nothing to write to %s\n", fileName ? fileName : "(null)");
        return nullptr;
    }
    // Palettised images are written from a depth-32 copy.
    RwImage* src = image;
    if (image->depth != 32) {
        src = RwImageCreate(image->width, image->height, image->depth);
        if (!src || !RwImageAllocatePixels(src)) {
            RwImageDestroy(src);
            return nullptr;
        }
        std::memcpy(src->pixels, image->pixels, size_t(image->stride) * size_t(image->height));
        if (image->palette && src->palette)
            std::memcpy(src->palette, image->palette, sizeof(RwRGBA) << image->depth);
        if (!RwImageConvertTo32(src)) {
            RwImageDestroy(src);
            LogError("RtBmpImageWrite: depth %d is not written\n", image->depth);
            return nullptr;
        }
    }
    const RwInt32 w = src->width, h = src->height;
    bool opaque = true;
    for (RwInt32 y = 0; y < h && opaque; ++y) {
        for (RwInt32 x = 0; x < w; ++x) {
            if (src->pixels[size_t(y) * size_t(src->stride) + size_t(x) * 4 + 3] != 255) {
                opaque = false;
                break;
            }
        }
    }
    const RwUInt16 bits = opaque ? 24 : 32;
    const RwUInt32 headerSize = opaque ? 40 : 108;  // 32-bit: with the alpha mask
    const RwUInt32 stride = ((RwUInt32(w) * bits + 31) / 32) * 4;
    const RwUInt32 offset = 14 + headerSize;
    std::vector<RwUInt8> out;
    out.reserve(offset + size_t(stride) * size_t(h));
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + stride * RwUInt32(h));
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, headerSize);
    Put32(out, RwUInt32(w));
    Put32(out, RwUInt32(h));  // bottom-up
    Put16(out, 1);
    Put16(out, bits);
    Put32(out, opaque ? 0 : 3);
    Put32(out, stride * RwUInt32(h));
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    if (!opaque) {
        Put32(out, 0x00FF0000);
        Put32(out, 0x0000FF00);
        Put32(out, 0x000000FF);
        Put32(out, 0xFF000000);
        Put32(out, 0x73524742);  // sRGB colour space
        out.insert(out.end(), 48, 0);  // end points and gamma, unused with sRGB
    }
    for (RwInt32 y = h - 1; y >= 0; --y) {
        const RwUInt8* row = src->pixels + size_t(y) * size_t(src->stride);
        const size_t start = out.size();
        for (RwInt32 x = 0; x < w; ++x) {
            const RwUInt8* p = row + size_t(x) * 4;
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
            if (!opaque)
                out.push_back(p[3]);
        }
        out.resize(start + stride, 0);
    }
    if (src != image)
        RwImageDestroy(src);
    RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamWrite, fileName);
    if (!stream || !RwStreamWrite(stream, out.data(), RwUInt32(out.size()))) {
        if (stream)
            RwStreamClose(stream, nullptr);
        LogError("RtBmpImageWrite: cannot write %s\n", fileName);
        return nullptr;
    }
    RwStreamClose(stream, nullptr);
    return image;
}
