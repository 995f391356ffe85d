#include "text/TextDraw.h"

#include "scene/ScreenDraw.h"

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

void DrawTexturedQuad3D(const Vector3 (&corners)[4], RwRaster* raster, const TextRect& uv, const Color& colour)
{
    ::DrawTexturedQuad3D(corners, raster, ToScreen(uv), colour);
}

}  // namespace textdraw
