#include "engine/core/RwRaster.h"

#include "engine/core/RwImage.h"
#include "engine/core/RwInternal.h"

#include "framework/Debug.h"

#include <algorithm>
#include <vector>

namespace {

constexpr RwInt32 kMaxRasterSide = 16384;

// Never destroyed, so rasters released by an engine closed at exit still find it.
std::vector<RwRaster*>& Contexts()
{
    static auto* stack = new std::vector<RwRaster*>;
    return *stack;
}

bool ValidType(RwInt32 type)
{
    return type == rwRasterTypeNormal || type == rwRasterTypeZBuffer || type == rwRasterTypeCamera ||
           type == rwRasterTypeTexture || type == rwRasterTypeCameraTexture;
}

bool HasOwnStorage(const RwRaster* r)
{
    return r->parent == r && r->deviceData;
}

void ReleaseStorage(RwRaster* raster)
{
    if (HasOwnStorage(raster)) {
        if (RwDevice* d = RwDeviceGetCurrent())
            d->DestroyRaster(raster);
    }
    raster->deviceData = nullptr;
    raster->storedWidth = raster->storedHeight = 0;
}

}  // namespace

namespace rwcore {

bool SyncRasterSize(RwRaster* raster)
{
    if (!raster)
        return false;
    if (raster->parent != raster) {
        // A window onto a parent: keep it inside the parent's current size.
        RwRaster* top = raster->parent;
        if (!SyncRasterSize(top))
            return false;
        raster->width = std::clamp(raster->width, 0, std::max(0, top->width - raster->offsetX));
        raster->height = std::clamp(raster->height, 0, std::max(0, top->height - raster->offsetY));
        return true;
    }
    if (raster->width == raster->storedWidth && raster->height == raster->storedHeight)
        return true;
    if (raster->type == rwRasterTypeNormal)
        return true;
    RwDevice* device = Device("RwRaster");
    if (!device || raster->width < 0 || raster->height < 0 || raster->width > kMaxRasterSide ||
        raster->height > kMaxRasterSide)
        return false;
    bool ok = true;
    if (raster->width == 0 || raster->height == 0) {
        ReleaseStorage(raster);
    } else if (!raster->deviceData) {
        ok = device->CreateRaster(raster);
        G().frame.numResourceAllocs++;
    } else {
        ok = device->ResizeRaster(raster);
    }
    if (!ok) {
        LogError("RwRaster: the device could not size a raster to %d x %d\n", raster->width, raster->height);
        raster->deviceData = nullptr;
        raster->storedWidth = raster->storedHeight = 0;
        return false;
    }
    raster->storedWidth = raster->deviceData ? raster->width : 0;
    raster->storedHeight = raster->deviceData ? raster->height : 0;
    return true;
}

}  // namespace rwcore

RwRaster* RwRasterCreate(RwInt32 width, RwInt32 height, RwInt32 depth, RwInt32 flags)
{
    const RwInt32 type = flags & rwRasterTypeMask;
    const RwInt32 format = flags & ~rwRasterTypeMask;
    if (!ValidType(type) || width < 0 || height < 0 || width > kMaxRasterSide || height > kMaxRasterSide ||
        depth < 0 || depth > 32) {
        LogError("RwRasterCreate: bad raster %d x %d x %d, flags 0x%x\n", width, height, depth, flags);
        return nullptr;
    }
    auto* raster = new RwRaster{};
    raster->parent = raster;
    raster->width = width;
    raster->height = height;
    raster->type = type;
    raster->format = format;
    if (depth == 0)
        depth = type == rwRasterTypeZBuffer ? 24 : (format & rwRasterFormatPixelMask) == rwRasterFormat565 ? 16 : 32;
    raster->depth = depth;
    if (!rwcore::SyncRasterSize(raster)) {
        delete raster;
        return nullptr;
    }
    return raster;
}

RwBool RwRasterDestroy(RwRaster* raster)
{
    if (!raster)
        return false;
    auto& ctx = Contexts();
    ctx.erase(std::remove(ctx.begin(), ctx.end(), raster), ctx.end());
    ReleaseStorage(raster);
    delete raster;
    return true;
}

RwRaster* RwRasterSubRaster(RwRaster* raster, RwRaster* parent, const RwRect* rect)
{
    if (!raster || !parent || !rect || raster == parent)
        return nullptr;
    RwRaster* top = parent->parent;
    if (top == raster || !rwcore::SyncRasterSize(parent)) {
        LogError("RwRasterSubRaster: bad parent raster\n");
        return nullptr;
    }
    const bool zParent = parent->type == rwRasterTypeZBuffer;
    const bool zRaster = raster->type == rwRasterTypeZBuffer;
    if (raster->type != rwRasterTypeNormal && zParent != zRaster) {
        LogError("RwRasterSubRaster: a depth raster and a colour raster cannot share storage\n");
        return nullptr;
    }
    const RwInt32 x0 = std::max(rect->x, 0), y0 = std::max(rect->y, 0);
    const RwInt32 x1 = std::min(rect->x + rect->w, parent->width);
    const RwInt32 y1 = std::min(rect->y + rect->h, parent->height);
    if (x1 <= x0 || y1 <= y0) {
        LogError("RwRasterSubRaster: rectangle (%d, %d, %d, %d) lies outside the %d x %d parent\n", rect->x, rect->y,
                 rect->w, rect->h, parent->width, parent->height);
        return nullptr;
    }
    ReleaseStorage(raster);
    raster->parent = top;
    raster->offsetX = parent->offsetX + x0;
    raster->offsetY = parent->offsetY + y0;
    raster->width = x1 - x0;
    raster->height = y1 - y0;
    raster->storedWidth = raster->width;
    raster->storedHeight = raster->height;
    raster->depth = top->depth;
    if (RwDevice* d = RwDeviceGetCurrent())
        d->SubRaster(raster);
    return raster;
}

RwRaster* RwRasterSetFromImage(RwRaster* raster, RwImage* image)
{
    if (!raster || !image || !image->pixels)
        return nullptr;
    RwDevice* device = rwcore::Device("RwRasterSetFromImage");
    if (!device || !rwcore::SyncRasterSize(raster))
        return nullptr;
    if (raster->type == rwRasterTypeZBuffer || !raster->parent->deviceData) {
        LogError("RwRasterSetFromImage: the raster cannot hold a picture\n");
        return nullptr;
    }
    if (image->width != raster->width || image->height != raster->height) {
        LogError("RwRasterSetFromImage: image %d x %d does not fit raster %d x %d\n", image->width, image->height,
                 raster->width, raster->height);
        return nullptr;
    }
    if (image->depth != 32) {
        // Expand a copy; the caller's image stays as it was.
        RwImage* copy = RwImageCreate(image->width, image->height, image->depth);
        if (!copy || !RwImageAllocatePixels(copy)) {
            RwImageDestroy(copy);
            return nullptr;
        }
        for (RwInt32 y = 0; y < image->height; ++y)
            std::copy_n(image->pixels + y * image->stride, image->stride, copy->pixels + y * copy->stride);
        std::copy_n(image->palette, size_t(1) << image->depth, copy->palette);
        RwRaster* result = RwImageConvertTo32(copy) ? RwRasterSetFromImage(raster, copy) : nullptr;
        RwImageDestroy(copy);
        return result;
    }
    if (!device->UploadRaster(raster, image))
        return nullptr;
    rwcore::G().frame.numTextureUploads++;
    rwcore::G().frame.sizeTextureUploads += RwUInt32(image->width * image->height * 4);
    return raster;
}

RwRaster* RwRasterGetParent(const RwRaster* raster)
{
    return raster ? raster->parent : nullptr;
}

RwBool RwRasterIsSubRaster(const RwRaster* raster)
{
    return raster && raster->parent != raster;
}

RwRaster* RwRasterPushContext(RwRaster* raster)
{
    if (!raster || raster->type == rwRasterTypeZBuffer || !rwcore::SyncRasterSize(raster) ||
        !raster->parent->deviceData) {
        LogError("RwRasterPushContext: the raster cannot be drawn into\n");
        return nullptr;
    }
    Contexts().push_back(raster);
    return raster;
}

RwRaster* RwRasterPopContext()
{
    auto& ctx = Contexts();
    if (ctx.empty())
        return nullptr;
    RwRaster* top = ctx.back();
    ctx.pop_back();
    return top;
}

RwRaster* RwRasterGetCurrentContext()
{
    return Contexts().empty() ? nullptr : Contexts().back();
}

RwRaster* RwRasterRenderScaled(RwRaster* raster, const RwRect* rect)
{
    RwRaster* target = RwRasterGetCurrentContext();
    RwDevice* device = rwcore::Device("RwRasterRenderScaled");
    if (!raster || !rect || !target || !device) {
        LogError("RwRasterRenderScaled: nothing to draw into\n");
        return nullptr;
    }
    if (!rwcore::SyncRasterSize(raster) || !rwcore::SyncRasterSize(target) || !raster->parent->deviceData ||
        raster->type == rwRasterTypeZBuffer)
        return nullptr;
    if (rect->w <= 0 || rect->h <= 0)
        return raster;
    return device->RenderRasterScaled(target, raster, *rect) ? raster : nullptr;
}

namespace rwcore {

void ResetRasterContexts()
{
    Contexts().clear();
}

}  // namespace rwcore
