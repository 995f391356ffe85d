#include "EngineTestSupport.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

std::vector<RwUInt8> Written(const std::function<void(RwStream*)>& fill, RwStreamAccessType access,
                             std::vector<RwUInt8> start)
{
    RwMemory mem{start.data(), static_cast<RwUInt32>(start.size())};
    RwStream* s = RwStreamOpen(rwStreamMemory, access, &mem);
    fill(s);
    RwStreamClose(s, &mem);
    std::vector<RwUInt8> out(mem.start, mem.start + mem.length);
    std::free(mem.start);
    return out;
}

Reader::Reader(std::vector<RwUInt8> data)
    : bytes(std::move(data)), mem{bytes.data(), static_cast<RwUInt32>(bytes.size())},
      stream(RwStreamOpen(rwStreamMemory, rwStreamRead, &mem))
{
}

bool WritePng(const std::string& path, int width, int height, int colorType, int bitDepth,
              const std::vector<unsigned char>& pixels, const std::vector<unsigned char>& paletteRgb)
{
    const int channels = colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                         : colorType == PNG_COLOR_TYPE_RGB     ? 3
                         : colorType == PNG_COLOR_TYPE_GA      ? 2
                                                               : 1;
    const RwUInt32 rowBytes = static_cast<RwUInt32>((width * channels * bitDepth + 7) / 8);
    return RtPngWriteRows(path.c_str(), width, height, colorType, bitDepth, pixels.data(), rowBytes,
                          paletteRgb.empty() ? nullptr : paletteRgb.data(),
                          static_cast<RwInt32>(paletteRgb.size() / 3));
}

std::vector<unsigned char> MakeDds(int width, int height, const char* fourCC, const std::vector<unsigned char>& body,
                                   int rgbBits)
{
    std::vector<unsigned char> f(128 + body.size(), 0);
    std::copy(body.begin(), body.end(), f.begin() + 128);
    const auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            f[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    std::memcpy(f.data(), "DDS ", 4);
    put(4, 124);
    put(8, 0x1007);
    put(12, static_cast<uint32_t>(height));
    put(16, static_cast<uint32_t>(width));
    put(76, 32);  // pixel format size
    if (fourCC) {
        put(80, 0x4);
        std::memcpy(&f[84], fourCC, 4);
    } else {
        put(80, 0x41);  // RGB with alpha
        put(88, static_cast<uint32_t>(rgbBits));
        put(92, 0x00ff0000);
        put(96, 0x0000ff00);
        put(100, 0x000000ff);
        put(104, 0xff000000);
    }
    return f;
}

Rgba Pixel(const RwImage* image, int x, int y)
{
    const unsigned char* p = image->pixels + y * image->stride + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

Rgba RasterPixel(RwRaster* raster, int x, int y)
{
    RwImage* image = RwImageCreate(raster->width, raster->height, 32);
    Rgba p;
    if (RwImageAllocatePixels(image) && RwImageSetFromRaster(image, raster))
        p = Pixel(image, x, y);
    RwImageDestroy(image);
    return p;
}

RwRaster* PatternRaster(int width, int height, unsigned char seed)
{
    RwImage* image = RwImageCreate(width, height, 32);
    RwImageAllocatePixels(image);
    for (int i = 0; i < width * height * 4; ++i)
        image->pixels[i] = static_cast<unsigned char>(seed + i);
    RwRaster* raster = RwRasterCreate(width, height, 32, rwRasterTypeTexture);
    RwRasterSetFromImage(raster, image);
    RwImageDestroy(image);
    return raster;
}

TestCamera::TestCamera(int width, int height)
    : camera(RwCameraCreate()),
      frame(RwFrameCreate()),
      raster(RwRasterCreate(width, height, 0, rwRasterTypeCamera)),
      z(RwRasterCreate(width, height, 0, rwRasterTypeZBuffer))
{
    RwCameraSetRaster(camera, raster);
    RwCameraSetZRaster(camera, z);
    RwObjectHasFrameSetFrame(camera, frame);
}

TestCamera::~TestCamera()
{
    RwCameraDestroy(camera);
    RwFrameDestroy(frame);
    RwRasterDestroy(raster);
    RwRasterDestroy(z);
}
