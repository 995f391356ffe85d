#include "support/TextTestSupport.h"

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

NullCameraUpdate::NullCameraUpdate()
{
    m_camera = RwCameraCreate();
    m_raster = RwRasterCreate(320, 200, 0, rwRasterTypeCamera);
    RwCameraSetRaster(m_camera, m_raster);
    m_updating = RwCameraBeginUpdate(m_camera) != nullptr;
}

NullCameraUpdate::~NullCameraUpdate()
{
    if (m_updating)
        RwCameraEndUpdate(m_camera);
    RwCameraSetRaster(m_camera, nullptr);
    RwRasterDestroy(m_raster);
    RwCameraDestroy(m_camera);
}

}  // namespace texttest
