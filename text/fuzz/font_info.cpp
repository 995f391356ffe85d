// A font's info file and image come from the data: any info text, and any small image,
// must build a font (or fail cleanly) with every glyph inside its texture.
#include "engine/core/RwCore.h"
#include "engine/core/fuzz/FuzzSupport.h"
#include "framework/Settings.h"
#include "text/Font.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The input: one byte of image width, then the info text up to a NUL, then the pixels.
RwImage* ImageFrom(const uint8_t* data, size_t size, int width)
{
    const int height = std::min(static_cast<int>(size / 4 / static_cast<size_t>(width)), 96);
    if (height < 1)
        return nullptr;
    RwImage* image = RwImageCreate(width, height, 32);
    RwImageAllocatePixels(image);
    for (int y = 0; y < height; ++y)
        std::memcpy(image->pixels + y * image->stride, data + static_cast<size_t>(y * width) * 4,
                    static_cast<size_t>(width) * 4);
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!FuzzBeginEngineRun() || size < 1)
        return 0;
    const int width = 1 + data[0] % 128;
    const auto* text = reinterpret_cast<const char*>(data + 1);
    const size_t textSize = strnlen(text, size - 1);
    Settings info;
    info.Parse(text, textSize, "fuzz");
    const size_t pixelStart = std::min(size, 1 + textSize + 1);

    Font font;
    font.ApplyInfo(info);
    for (const auto& [pair, kerning] : font.GetKerningTable())
        if (font.GetKerning(pair) != kerning)
            std::abort();
    RwImage* image = ImageFrom(data + pixelStart, size - pixelStart, width);
    if (!image)
        return 0;
    if (font.CreateFromImage(*image, "ABCDEFGH", &info, "fuzz"))
        for (const Glyph& glyph : font.GetGlyphs())
            if (glyph.x + glyph.width > static_cast<float>(font.GetTextureWidth()) ||
                glyph.y + glyph.height > static_cast<float>(font.GetTextureHeight()))
                std::abort();
    RwImageDestroy(image);
    return 0;
}
