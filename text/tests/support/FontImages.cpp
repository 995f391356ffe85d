#include "support/FontImages.h"

#include "framework/Settings.h"

#include <string>

namespace texttest {

ImagePtr ClearImage(int width, int height)
{
    ImagePtr image(RwImageCreate(width, height, 32));
    RwImageAllocatePixels(image.get());
    return image;
}

void Ink(RwImage& image, int x0, int x1, int y0, int y1, RwUInt8 alpha)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            RwUInt8* p = image.pixels + y * image.stride + x * 4;
            p[0] = p[1] = p[2] = 255;
            p[3] = alpha;
        }
}

bool MakeBlockFont(Font& font, const std::string& charset, int advance, float spacingX, int inkRows)
{
    const int pitch = advance + 3;
    ImagePtr image = ClearImage(static_cast<int>(charset.size()) * pitch, inkRows + 4);
    for (size_t i = 0; i < charset.size(); ++i)
        Ink(*image, static_cast<int>(i) * pitch, static_cast<int>(i) * pitch + advance, 0, inkRows);
    Settings info;
    const std::string text = "spacingX " + std::to_string(spacingX) + "\n";
    info.Parse(text.data(), text.size(), "block font");
    return font.CreateFromImage(*image, charset, &info, "block font");
}

}  // namespace texttest
