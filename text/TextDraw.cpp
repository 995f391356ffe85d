#include "text/TextDraw.h"

#include "scene/ScreenDraw.h"

#include <vector>

namespace textdraw {

namespace {

ScreenRect ToScreen(const TextRect& rect)
{
    return {rect.x, rect.y, rect.width, rect.height};
}

}  // namespace

void DrawTexturedRect(RwRaster* raster, const TextRect& screen, const TextRect& uv, const Color& colour)
{
    ::DrawTexturedRect(raster, ToScreen(screen), ToScreen(uv), colour);
}

void DrawTexturedQuads3D(const Vector3* corners, const TextRect* uvs, size_t count, RwRaster* raster,
                         const Color& colour)
{
    std::vector<ScreenRect> rects(count);
    for (size_t i = 0; i < count; ++i)
        rects[i] = ToScreen(uvs[i]);
    ::DrawTexturedQuads3D(corners, rects.data(), count, raster, colour);
}

}  // namespace textdraw
