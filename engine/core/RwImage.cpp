#include "engine/core/RwImage.h"

#include "engine/core/RtFSManager.h"
#include "engine/core/RwDevice.h"
#include "engine/core/RwInternal.h"
#include "engine/core/RwStream.h"

#include "framework/Debug.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr RwInt32 kMaxImageSide = 16384;

struct ImageFormat {
    std::string extension;
    RwImageCallBackRead reader;
    RwImageCallBackWrite writer;
};

std::vector<ImageFormat>& Formats()
{
    static std::vector<ImageFormat> formats;
    return formats;
}

std::string& ImagePath()
{
    static std::string path;
    return path;
}

bool ValidDepth(RwInt32 depth)
{
    return depth == 4 || depth == 8 || depth == 32;
}

std::string Extension(const std::string& name)
{
    const size_t dot = name.find_last_of('.');
    const size_t sep = name.find_last_of("/\\");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep) || dot + 1 == name.size())
        return {};
    return name.substr(dot + 1);
}

const ImageFormat* FindFormat(const std::string& ext)
{
    for (const ImageFormat& f : Formats()) {
        if (rwcore::EqualsNoCaseAscii(f.extension.c_str(), ext.c_str()))
            return &f;
    }
    return nullptr;
}

bool IsAbsolute(const std::string& name)
{
    return !name.empty() && (name[0] == '/' || name[0] == '\\' || name[0] == '<' || name.find(':') != std::string::npos);
}

bool FileExists(const std::string& name)
{
    RtFile* f = RtFSManagerOpenFile(name.c_str(), rwStreamRead);
    if (!f)
        return false;
    f->Close();
    delete f;
    return true;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + "\\" + name;
}

}  // namespace

namespace rwcore {

// The first existing file for the name over the image path, or empty.
std::string FindImageFile(const std::string& name)
{
    if (name.empty())
        return {};
    if (!IsAbsolute(name)) {
        const std::string& path = ImagePath();
        size_t start = 0;
        while (start <= path.size() && !path.empty()) {
            size_t end = path.find(';', start);
            if (end == std::string::npos)
                end = path.size();
            const std::string folder = path.substr(start, end - start);
            if (!folder.empty()) {
                const std::string candidate = JoinPath(folder, name);
                if (FileExists(candidate))
                    return candidate;
            }
            start = end + 1;
        }
    }
    return FileExists(name) ? name : std::string();
}

}  // namespace rwcore

RwImage* RwImageCreate(RwInt32 width, RwInt32 height, RwInt32 depth)
{
    if (width < 0 || height < 0 || width > kMaxImageSide || height > kMaxImageSide || !ValidDepth(depth)) {
        LogError("RwImageCreate: bad image %d x %d x %d\n", width, height, depth);
        return nullptr;
    }
    auto* image = new RwImage{};
    image->width = width;
    image->height = height;
    image->depth = depth;
    image->stride = (width * depth + 31) / 32 * 4;
    return image;
}

RwBool RwImageDestroy(RwImage* image)
{
    if (!image)
        return false;
    RwImageFreePixels(image);
    delete image;
    return true;
}

RwImage* RwImageAllocatePixels(RwImage* image)
{
    if (!image)
        return nullptr;
    RwImageFreePixels(image);
    image->stride = (image->width * image->depth + 31) / 32 * 4;
    const size_t bytes = size_t(image->stride) * size_t(image->height);
    image->pixels = static_cast<RwUInt8*>(std::calloc(bytes ? bytes : 1, 1));
    if (image->depth <= 8)
        image->palette = static_cast<RwRGBA*>(std::calloc(size_t(1) << image->depth, sizeof(RwRGBA)));
    if (!image->pixels || (image->depth <= 8 && !image->palette)) {
        RwImageFreePixels(image);
        return nullptr;
    }
    image->flags |= rwImageAllocated;
    return image;
}

RwImage* RwImageFreePixels(RwImage* image)
{
    if (image && (image->flags & rwImageAllocated)) {
        std::free(image->pixels);
        std::free(image->palette);
    }
    if (image) {
        image->pixels = nullptr;
        image->palette = nullptr;
        image->flags &= ~rwImageAllocated;
    }
    return image;
}

RwImage* RwImageResize(RwImage* image, RwInt32 width, RwInt32 height)
{
    if (!image || width < 0 || height < 0 || width > kMaxImageSide || height > kMaxImageSide)
        return nullptr;
    RwImage* fresh = RwImageCreate(width, height, image->depth);
    if (!fresh || !RwImageAllocatePixels(fresh)) {
        RwImageDestroy(fresh);
        return nullptr;
    }
    if (image->pixels) {
        const RwInt32 rows = std::min(height, image->height);
        const RwInt32 bytes = std::min(fresh->stride, image->stride);
        for (RwInt32 y = 0; y < rows; ++y)
            std::memcpy(fresh->pixels + y * fresh->stride, image->pixels + y * image->stride, size_t(bytes));
        if (image->palette && fresh->palette)
            std::memcpy(fresh->palette, image->palette, (size_t(1) << image->depth) * sizeof(RwRGBA));
    }
    RwImageFreePixels(image);
    image->width = width;
    image->height = height;
    image->stride = fresh->stride;
    image->pixels = fresh->pixels;
    image->palette = fresh->palette;
    image->flags |= rwImageAllocated;
    fresh->flags &= ~rwImageAllocated;
    RwImageDestroy(fresh);
    return image;
}

RwImage* RwImageConvertTo32(RwImage* image)
{
    if (!image || !image->pixels)
        return nullptr;
    if (image->depth == 32)
        return image;
    RwImage* out = RwImageCreate(image->width, image->height, 32);
    if (!out || !RwImageAllocatePixels(out)) {
        RwImageDestroy(out);
        return nullptr;
    }
    const RwInt32 mask = (1 << image->depth) - 1;
    for (RwInt32 y = 0; y < image->height; ++y) {
        const RwUInt8* src = image->pixels + y * image->stride;
        RwUInt8* dst = out->pixels + y * out->stride;
        for (RwInt32 x = 0; x < image->width; ++x) {
            RwInt32 index = image->depth == 8 ? src[x] : (src[x / 2] >> ((x & 1) ? 0 : 4)) & mask;
            const RwRGBA c = image->palette[index];
            dst[x * 4 + 0] = c.red;
            dst[x * 4 + 1] = c.green;
            dst[x * 4 + 2] = c.blue;
            dst[x * 4 + 3] = c.alpha;
        }
    }
    RwImageFreePixels(image);
    *image = *out;
    out->flags = 0;
    out->pixels = nullptr;
    RwImageDestroy(out);
    return image;
}

RwImage* RwImageSetFromRaster(RwImage* image, RwRaster* raster)
{
    if (!image || !raster)
        return nullptr;
    RwDevice* device = rwcore::Device("RwImageSetFromRaster");
    if (!device || !rwcore::SyncRasterSize(raster))
        return nullptr;
    if (image->depth != 32 || image->width != raster->width || image->height != raster->height) {
        LogError("RwImageSetFromRaster: image %d x %d x %d does not fit raster %d x %d\n", image->width,
                 image->height, image->depth, raster->width, raster->height);
        return nullptr;
    }
    if (!image->pixels && !RwImageAllocatePixels(image))
        return nullptr;
    if (!raster->parent || !raster->parent->deviceData) {
        LogError("RwImageSetFromRaster: the raster has no pixels\n");
        return nullptr;
    }
    return device->ReadRaster(raster, image) ? image : nullptr;
}

const char* RwImageSetPath(const char* path)
{
    ImagePath() = path ? path : "";
    return ImagePath().c_str();
}

const char* RwImageGetPath()
{
    return ImagePath().c_str();
}

RwImage* RwImageRead(const char* fileName)
{
    if (!fileName || !*fileName)
        return nullptr;
    const std::string name = fileName;
    const std::string ext = Extension(name);
    if (!ext.empty()) {
        const ImageFormat* format = FindFormat(ext);
        if (!format || !format->reader) {
            LogError("RwImageRead: no image format for %s\n", fileName);
            return nullptr;
        }
        const std::string path = rwcore::FindImageFile(name);
        if (path.empty()) {
            LogMessage("RwImageRead: %s not found\n", fileName);
            return nullptr;
        }
        RwImage* image = format->reader(path.c_str());
        if (!image)
            LogError("RwImageRead: could not read %s\n", path.c_str());
        return image;
    }
    // Copy: a reader might register formats.
    const std::vector<ImageFormat> formats = Formats();
    for (const ImageFormat& f : formats) {
        if (!f.reader)
            continue;
        const std::string path = rwcore::FindImageFile(name + "." + f.extension);
        if (!path.empty())
            return f.reader(path.c_str());
    }
    LogMessage("RwImageRead: %s not found\n", fileName);
    return nullptr;
}

RwImage* RwImageReadMaskedImage(const char* fileName, const char* maskName)
{
    RwImage* image = RwImageRead(fileName);
    if (!image || !maskName || !*maskName)
        return image;
    RwImage* mask = RwImageRead(maskName);
    if (!mask || !RwImageConvertTo32(image) || !RwImageConvertTo32(mask) || mask->width != image->width ||
        mask->height != image->height) {
        LogError("RwImageReadMaskedImage: mask %s does not fit %s\n", maskName, fileName);
        RwImageDestroy(mask);
        RwImageDestroy(image);
        return nullptr;
    }
    for (RwInt32 y = 0; y < image->height; ++y) {
        RwUInt8* dst = image->pixels + y * image->stride;
        const RwUInt8* src = mask->pixels + y * mask->stride;
        for (RwInt32 x = 0; x < image->width; ++x) {
            const RwUInt32 lum = (299u * src[x * 4] + 587u * src[x * 4 + 1] + 114u * src[x * 4 + 2] + 500u) / 1000u;
            dst[x * 4 + 3] = RwUInt8(lum);
        }
    }
    RwImageDestroy(mask);
    return image;
}

RwImage* RwImageWrite(RwImage* image, const char* fileName)
{
    if (!image || !fileName)
        return nullptr;
    const ImageFormat* format = FindFormat(Extension(fileName));
    if (!format || !format->writer) {
        LogError("RwImageWrite: no writer for %s\n", fileName);
        return nullptr;
    }
    return format->writer(image, fileName);
}

RwBool RwImageRegisterImageFormat(const char* extension, RwImageCallBackRead reader, RwImageCallBackWrite writer)
{
    if (!extension || !*extension || std::strchr(extension, '.') || (!reader && !writer))
        return false;
    for (ImageFormat& f : Formats()) {
        if (rwcore::EqualsNoCaseAscii(f.extension.c_str(), extension)) {
            f.reader = reader;
            f.writer = writer;
            return true;
        }
    }
    Formats().push_back({extension, reader, writer});
    return true;
}

RwBool RwImageFindFileType(const char* fileName)
{
    if (!fileName)
        return false;
    const ImageFormat* f = FindFormat(Extension(fileName));
    return f && f->reader;
}
