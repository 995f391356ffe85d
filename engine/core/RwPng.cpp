#include "engine/core/RwImage.h"
#include "engine/core/RwStream.h"

#include "framework/Debug.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Pictures larger than this are refused before anything is allocated for them.
constexpr png_uint_32 kMaxSide = 8192;
constexpr png_uint_32 kMaxPixels = 16u * 1024u * 1024u;

struct ReadContext {
    RwStream* stream;
    char message[256];
    char warning[128];  // the last one: libpng warns with the reason, then fails in general terms
};

void OnError(png_structp png, png_const_charp text)
{
    auto* ctx = static_cast<ReadContext*>(png_get_error_ptr(png));
    const char* what = text ? text : "unknown error";
    if (ctx->warning[0])
        std::snprintf(ctx->message, sizeof ctx->message, "%s (%s)", what, ctx->warning);
    else
        std::snprintf(ctx->message, sizeof ctx->message, "%s", what);
    png_longjmp(png, 1);
}

void OnWarning(png_structp png, png_const_charp text)
{
    auto* ctx = static_cast<ReadContext*>(png_get_error_ptr(png));
    std::snprintf(ctx->warning, sizeof ctx->warning, "%s", text ? text : "");
}

void OnRead(png_structp png, png_bytep data, png_size_t length)
{
    auto* ctx = static_cast<ReadContext*>(png_get_io_ptr(png));
    if (length > 0xffffffffu || RwStreamRead(ctx->stream, data, RwUInt32(length)) != length)
        png_error(png, "file cut short");
}

}  // namespace

RwImage* RtPngImageReadStream(RwStream* stream)
{
    if (!stream)
        return nullptr;
    ReadContext ctx{stream, {}, {}};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &ctx, OnError, OnWarning);
    if (!png)
        return nullptr;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }
    // Only plain pointers live across the jump; both are released on either path.
    RwImage* volatile image = nullptr;
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        LogError("RtPngImageRead: %s\n", ctx.message);
        std::free(rows);
        RwImageDestroy(image);
        png_destroy_read_struct(&png, &info, nullptr);
        return nullptr;
    }
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_set_read_fn(png, &ctx, OnRead);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (width == 0 || height == 0)
        png_error(png, "empty picture");
    if (uint64_t(width) * height > kMaxPixels) {
        char reason[96];
        std::snprintf(reason, sizeof reason, "picture of %u x %u pixels is over the limit of %u",
                      static_cast<unsigned>(width), static_cast<unsigned>(height), kMaxPixels);
        png_error(png, reason);
    }
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);

    // Every layout becomes 8-bit R, G, B, A.
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA))
        png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4)
        png_error(png, "unexpected row layout");

    image = RwImageCreate(RwInt32(width), RwInt32(height), 32);
    if (!image || !RwImageAllocatePixels(image))
        png_error(png, "out of memory");
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!rows)
        png_error(png, "out of memory");
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = image->pixels + size_t(y) * size_t(image->stride);
    png_read_image(png, rows);
    png_read_end(png, nullptr);

    std::free(rows);
    png_destroy_read_struct(&png, &info, nullptr);
    return image;
}

RwImage* RtPngImageRead(const char* fileName)
{
    RwStream* stream = RwStreamOpen(rwStreamFileName, rwStreamRead, fileName);
    if (!stream)
        return nullptr;
    RwImage* image = RtPngImageReadStream(stream);
    RwStreamClose(stream, nullptr);
    if (!image)
        LogError("RtPngImageRead: %s is not a readable PNG\n", fileName);
    return image;
}

RwBool RtPngWriteRows(const char* fileName, RwInt32 width, RwInt32 height, RwInt32 colorType, RwInt32 bitDepth,
                      const RwUInt8* rows, RwUInt32 rowBytes, const RwUInt8* paletteRgb, RwInt32 paletteEntries)
{
    if (!fileName || !rows || width <= 0 || height <= 0) {
        LogError("RtPngWriteRows: nothing to write\n");
        return false;
    }
    std::FILE* file = std::fopen(fileName, "wb");
    if (!file) {
        LogError("RtPngWriteRows: cannot create %s\n", fileName);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        LogError("RtPngWriteRows: could not write %s\n", fileName);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (RwInt32 i = 0; paletteRgb && i < paletteEntries; ++i)
        palette.push_back({paletteRgb[3 * i], paletteRgb[3 * i + 1], paletteRgb[3 * i + 2]});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    png_write_info(png, info);
    for (RwInt32 y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(rows + static_cast<size_t>(y) * rowBytes));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) {
        LogError("RtPngWriteRows: could not write %s\n", fileName);
        return false;
    }
    return true;
}

RwBool RtPngImageWrite(const RwImage* image, const char* fileName)
{
    if (!image || image->depth != 32 || !image->pixels) {
        LogError("RtPngImageWrite: %s needs a depth-32 image with pixels\n", fileName ? fileName : "(null)");
        return false;
    }
    return RtPngWriteRows(fileName, image->width, image->height, PNG_COLOR_TYPE_RGB_ALPHA, 8, image->pixels,
                          static_cast<RwUInt32>(image->stride));
}
