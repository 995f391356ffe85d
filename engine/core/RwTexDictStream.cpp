// Texture dictionary stream (chunk 22):
//   TexDictionary(22) { Data{u32 numTextures}
//     NativeTexture(0x160) x n: Data{u8 filter, addressU, addressV, format (1 RGBA8, 2 DXT1,
//         3 DXT5); u32 width, height, numMipLevels} String name; String mask;
//         per level: u32 byteSize + bytes }
// Only the first level is kept; the device builds further levels when asked to.

#include "engine/core/RwDxt.h"
#include "engine/core/RwImage.h"
#include "engine/core/RwInternal.h"
#include "engine/core/RwRaster.h"
#include "engine/core/RwStream.h"
#include "engine/core/RwTexture.h"

#include "framework/Debug.h"

#include <cstring>
#include <vector>

namespace {

constexpr RwUInt32 kVersion = 1;
constexpr RwUInt32 kNativeDataSize = 16;
constexpr RwUInt32 kMaxSide = 8192;
constexpr RwUInt32 kMaxLevels = 16;
// Smallest possible NativeTexture chunk: header, data chunk, two empty strings, one level size.
constexpr RwUInt32 kMinNativeSize = 12 + 12 + kNativeDataSize + 2 * 16 + 4;

enum Format : RwUInt8 { FormatRgba8 = 1, FormatDxt1 = 2, FormatDxt5 = 3 };

// Reads within one chunk whose payload started at `start` and holds `size` bytes.
struct Budget {
    RwStream* stream;
    int64_t start;
    RwUInt32 size;
    int64_t Used() const { return RwStreamTell(stream) - start; }
    bool Fits(uint64_t more) const { return Used() >= 0 && uint64_t(Used()) + more <= size; }
};

bool Fail(const char* what)
{
    LogError("RwTexDictionaryStreamRead: %s\n", what);
    return false;
}

size_t LevelSize(RwUInt8 format, RwInt32 w, RwInt32 h)
{
    switch (format) {
    case FormatRgba8: return size_t(w) * size_t(h) * 4;
    case FormatDxt1: return rwcore::DxtDataSize(rwcore::DxtKind::Dxt1, w, h);
    case FormatDxt5: return rwcore::DxtDataSize(rwcore::DxtKind::Dxt5, w, h);
    default: return 0;
    }
}

bool ReadNativeTexture(RwStream* stream, RwUInt32 size, RwTexDictionary* dict)
{
    const Budget b{stream, RwStreamTell(stream), size};
    RwUInt32 type, length, version;
    if (!b.Fits(12) || !RwStreamReadChunkHeader(stream, &type, &length, &version) || type != rwChunkData ||
        length < kNativeDataSize || !b.Fits(length))
        return Fail("texture data chunk missing");
    RwUInt8 modes[4];
    RwUInt32 dims[3];
    if (RwStreamRead(stream, modes, 4) != 4 || !RwStreamReadUInt32(stream, dims, 3) ||
        (length > kNativeDataSize && !RwStreamSkip(stream, length - kNativeDataSize)))
        return Fail("texture data cut short");
    const RwUInt8 filter = modes[0], addressU = modes[1], addressV = modes[2], format = modes[3];
    const RwUInt32 width = dims[0], height = dims[1], levels = dims[2];
    if (filter > rwFilterLinearMipLinear || addressU > rwTextureAddressBorder || addressV > rwTextureAddressBorder ||
        format < FormatRgba8 || format > FormatDxt5 || width == 0 || height == 0 || width > kMaxSide ||
        height > kMaxSide || levels == 0 || levels > kMaxLevels)
        return Fail("bad texture description");

    char name[rwTextureBaseNameLength], mask[rwTextureBaseNameLength];
    if (!RwStreamReadString(stream, name, sizeof name) || !b.Fits(0) ||
        !RwStreamReadString(stream, mask, sizeof mask) || !b.Fits(0))
        return Fail("texture names missing");

    std::vector<RwUInt8> pixels;
    for (RwUInt32 level = 0; level < levels; ++level) {
        RwUInt32 bytes;
        if (!b.Fits(4) || !RwStreamReadUInt32(stream, &bytes, 1) || !b.Fits(bytes))
            return Fail("texture level cut short");
        if (level == 0) {
            if (bytes != LevelSize(format, RwInt32(width), RwInt32(height)))
                return Fail("first texture level has the wrong size");
            pixels.resize(bytes);
            if (RwStreamRead(stream, pixels.data(), bytes) != bytes)
                return Fail("texture level cut short");
        } else if (!RwStreamSkip(stream, bytes)) {
            return Fail("texture level cut short");
        }
    }
    if (b.Used() < int64_t(size) && !RwStreamSkip(stream, RwUInt32(size - b.Used())))
        return Fail("texture chunk cut short");

    RwImage* image = RwImageCreate(RwInt32(width), RwInt32(height), 32);
    if (!image || !RwImageAllocatePixels(image)) {
        RwImageDestroy(image);
        return Fail("out of memory");
    }
    if (format == FormatRgba8) {
        for (RwUInt32 y = 0; y < height; ++y)
            std::memcpy(image->pixels + y * size_t(image->stride), pixels.data() + y * size_t(width) * 4, width * 4);
    } else {
        rwcore::DxtDecode(format == FormatDxt1 ? rwcore::DxtKind::Dxt1 : rwcore::DxtKind::Dxt5, pixels.data(),
                          RwInt32(width), RwInt32(height), image->pixels, image->stride);
    }
    RwTexture* texture = rwcore::TextureFromImage(image, name, mask);
    RwImageDestroy(image);
    if (!texture)
        return Fail("could not make the texture");
    texture->filter = filter;
    texture->addressU = addressU;
    texture->addressV = addressV;
    RwTexDictionaryAddTexture(dict, texture);
    return true;
}

RwUInt32 NativeTextureSize(const RwTexture* t)
{
    const RwRaster* r = t->raster;
    const RwUInt32 pixels = r ? RwUInt32(r->width) * RwUInt32(r->height) * 4 : 0;
    return 12 + kNativeDataSize + RwStreamStringSize(t->name) + RwStreamStringSize(t->mask) + 4 + pixels;
}

}  // namespace

RwTexDictionary* RwTexDictionaryStreamRead(RwStream* stream)
{
    if (!stream)
        return nullptr;
    RwUInt32 type, length, version, count;
    if (!RwStreamReadChunkHeader(stream, &type, &length, &version) || type != rwChunkData || length < 4 ||
        !RwStreamReadUInt32(stream, &count, 1) || (length > 4 && !RwStreamSkip(stream, length - 4))) {
        Fail("dictionary header missing");
        return nullptr;
    }
    const int64_t remaining = RwStreamGetRemaining(stream);
    if (remaining >= 0 && uint64_t(count) * kMinNativeSize > uint64_t(remaining)) {
        Fail("more textures announced than the stream holds");
        return nullptr;
    }
    RwTexDictionary* dict = RwTexDictionaryCreate();
    for (RwUInt32 i = 0; i < count;) {
        if (!RwStreamReadChunkHeader(stream, &type, &length, &version)) {
            Fail("texture chunk missing");
            RwTexDictionaryDestroy(dict);
            return nullptr;
        }
        const int64_t left = RwStreamGetRemaining(stream);
        if (left >= 0 && int64_t(length) > left) {
            Fail("texture chunk larger than the stream");
            RwTexDictionaryDestroy(dict);
            return nullptr;
        }
        if (type != rwChunkNativeTexture) {
            if (!RwStreamSkip(stream, length)) {
                Fail("chunk cut short");
                RwTexDictionaryDestroy(dict);
                return nullptr;
            }
            continue;
        }
        if (version > kVersion || !ReadNativeTexture(stream, length, dict)) {
            if (version > kVersion)
                Fail("texture chunk of a newer version");
            RwTexDictionaryDestroy(dict);
            return nullptr;
        }
        ++i;
    }
    return dict;
}

RwUInt32 RwTexDictionaryStreamGetSize(const RwTexDictionary* dict)
{
    RwUInt32 size = 12 + 4;
    for (const RwTexture* t : dict->textures)
        size += 12 + NativeTextureSize(t);
    return size;
}

const RwTexDictionary* RwTexDictionaryStreamWrite(const RwTexDictionary* dict, RwStream* stream)
{
    if (!dict || !stream)
        return nullptr;
    const RwUInt32 count = RwUInt32(dict->textures.size());
    if (!RwStreamWriteChunkHeader(stream, rwChunkTexDictionary, kVersion, RwTexDictionaryStreamGetSize(dict)) ||
        !RwStreamWriteChunkHeader(stream, rwChunkData, kVersion, 4) || !RwStreamWriteUInt32(stream, &count, 1))
        return nullptr;
    for (const RwTexture* t : dict->textures) {
        RwRaster* r = t->raster;
        if (!r) {
            LogError("RwTexDictionaryStreamWrite: texture %s has no raster\n", t->name);
            return nullptr;
        }
        RwImage* image = RwImageCreate(r->width, r->height, 32);
        if (!image || !RwImageAllocatePixels(image) || !RwImageSetFromRaster(image, r)) {
            LogError("RwTexDictionaryStreamWrite: cannot read back texture %s\n", t->name);
            RwImageDestroy(image);
            return nullptr;
        }
        const RwUInt8 modes[4] = {RwUInt8(t->filter), RwUInt8(t->addressU), RwUInt8(t->addressV), FormatRgba8};
        const RwUInt32 dims[3] = {RwUInt32(r->width), RwUInt32(r->height), 1};
        const RwUInt32 bytes = RwUInt32(r->width) * RwUInt32(r->height) * 4;
        bool ok = RwStreamWriteChunkHeader(stream, rwChunkNativeTexture, kVersion, NativeTextureSize(t)) &&
                  RwStreamWriteChunkHeader(stream, rwChunkData, kVersion, kNativeDataSize) &&
                  RwStreamWrite(stream, modes, 4) && RwStreamWriteUInt32(stream, dims, 3) &&
                  RwStreamWriteString(stream, t->name) && RwStreamWriteString(stream, t->mask) &&
                  RwStreamWriteUInt32(stream, &bytes, 1);
        for (RwInt32 y = 0; ok && y < image->height; ++y)
            ok = RwStreamWrite(stream, image->pixels + y * size_t(image->stride), RwUInt32(image->width) * 4) != nullptr;
        RwImageDestroy(image);
        if (!ok)
            return nullptr;
    }
    return dict;
}
