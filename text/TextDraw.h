#pragma once

// The textured quads text is drawn with: alpha blended, clamped addressing, no depth test
// or write. Render states are restored before each returns.

#include "framework/Color.h"
#include "framework/Vector.h"
#include "text/Font.h"

#include <cstddef>

struct RwRaster;

namespace textdraw {

// A screen rectangle in pixels of the current camera, textured with uv of the raster.
void DrawTexturedRect(RwRaster* raster, const TextRect& screen, const TextRect& uv, const Color& colour);
// count quads, corners four by four, each top-left, top-right, bottom-left, bottom-right.
void DrawTexturedQuads3D(const Vector3* corners, const TextRect* uvs, size_t count, RwRaster* raster,
                         const Color& colour);

}  // namespace textdraw
