#pragma once

// Painting helpers the menus' pictures share.

#include "tools/assets/common/Image.h"

#include <algorithm>
#include <cmath>

namespace assets::menus {

// Coverage of a rounded rectangle at the pixel's centre, with a one-pixel soft edge.
inline float RoundedCoverage(float x, float y, float x0, float y0, float x1, float y1, float radius)
{
    const float cx = std::clamp(x, x0 + radius, x1 - radius);
    const float cy = std::clamp(y, y0 + radius, y1 - radius);
    const float distance = std::hypot(x - cx, y - cy) - radius;
    return std::clamp(0.5f - distance, 0.0f, 1.0f);
}

// Blends a rounded rectangle, its colour picked per pixel by colour(x, y).
template <typename Colour>
void FillRounded(Image& image, float x0, float y0, float x1, float y1, float radius, Colour colour)
{
    for (int y = static_cast<int>(y0); y < static_cast<int>(std::ceil(y1)); ++y)
        for (int x = static_cast<int>(x0); x < static_cast<int>(std::ceil(x1)); ++x) {
            const float coverage = RoundedCoverage(x + 0.5f, y + 0.5f, x0, y0, x1, y1, radius);
            if (coverage > 0.0f)
                image.Blend(x, y, colour(x, y), coverage);
        }
}

// A dark glass plate with a light rim, clear at the edges so that filtering across the
// texture's wrap stays clear: the banners' look, also behind the match's texts.
inline Image GlassPlate(int width, int height, float radius)
{
    static constexpr Rgba kRim{200, 210, 230, 255};
    constexpr float kMargin = 2, kRimWidth = 3;
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    Image image(width, height, {0, 0, 0, 0});
    FillRounded(image, kMargin, kMargin, w - kMargin, h - kMargin, radius, [](int, int) { return WithAlpha(kRim, 200); });
    constexpr float kInner = kMargin + kRimWidth;
    FillRounded(image, kInner, kInner, w - kInner, h - kInner, radius - kRimWidth, [h](int, int y) {
        return WithAlpha(Mix({30, 50, 90, 255}, {10, 16, 34, 255}, static_cast<float>(y) / h), 210);
    });
    return image;
}

}  // namespace assets::menus
