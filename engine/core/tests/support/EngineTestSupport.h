#pragma once

#include "engine/core/NullDevice.h"
#include "engine/core/RwCore.h"
#include "engine/core/tests/support/CommonTestSupport.h"
#include "tests/support/OffscreenEngine.h"

#include <functional>
#include <string>
#include <vector>

// What fill writes into a memory stream, which starts from the given bytes when appending.
std::vector<RwUInt8> Written(const std::function<void(RwStream*)>& fill, RwStreamAccessType access = rwStreamWrite,
                             std::vector<RwUInt8> start = {});

// A read stream over its own copy of the bytes, closed with it.
struct Reader {
    explicit Reader(std::vector<RwUInt8> data);
    ~Reader() { RwStreamClose(stream, nullptr); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    std::vector<RwUInt8> bytes;
    RwMemory mem;
    RwStream* stream;
};

// PNG rows packed as the colour type stores them (palette: indices, the palette as RGB triples).
bool WritePng(const std::string& path, int width, int height, int colorType, int bitDepth,
              const std::vector<unsigned char>& pixels, const std::vector<unsigned char>& paletteRgb = {});

// A DDS file: the 128-byte header followed by the given body.
std::vector<unsigned char> MakeDds(int width, int height, const char* fourCC, const std::vector<unsigned char>& body,
                                   int rgbBits = 0);

using Rgba = std::vector<int>;
// Pixel (x, y) of a depth-32 image.
Rgba Pixel(const RwImage* image, int x, int y);
// Pixel (x, y) of a raster, read back from the device.
Rgba RasterPixel(RwRaster* raster, int x, int y);
// A depth-32 texture raster filled with bytes seed, seed + 1, ... in memory order.
RwRaster* PatternRaster(int width, int height, unsigned char seed);

// A camera on a frame of its own with frame and z rasters of the size, destroyed with it.
struct TestCamera {
    explicit TestCamera(int width = 800, int height = 600);
    ~TestCamera();
    TestCamera(const TestCamera&) = delete;
    TestCamera& operator=(const TestCamera&) = delete;
    RwCamera* camera;
    RwFrame* frame;
    RwRaster* raster;
    RwRaster* z;
};
