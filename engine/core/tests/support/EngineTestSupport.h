#pragma once

#include "engine/core/NullDevice.h"
#include "engine/core/RwCore.h"

#include "engine/core/tests/support/CommonTestSupport.h"

#include <string>
#include <vector>

// The engine opened on the null device for the length of a test.
class NullEngine {
public:
    NullEngine();
    ~NullEngine();
    RwNullDevice* device() const { return RwNullDeviceGet(); }
};

// A PNG file written with libpng. colorType is a PNG_COLOR_TYPE_* value; pixels are packed
// as that type stores them (palette: indices, with the palette given as RGB triples).
bool WritePng(const std::string& path, int width, int height, int colorType, int bitDepth,
              const std::vector<unsigned char>& pixels, const std::vector<unsigned char>& paletteRgb = {});

// A DDS file: the 128-byte header followed by the given body.
std::vector<unsigned char> MakeDds(int width, int height, const char* fourCC, const std::vector<unsigned char>& body,
                                   int rgbBits = 0);

// Pixel (x, y) of a depth-32 image as {r, g, b, a}.
std::vector<int> Pixel(const RwImage* image, int x, int y);
