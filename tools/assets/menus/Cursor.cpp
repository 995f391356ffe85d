// The menu's mouse cursor: a white arrow with a dark rim on a clear square, its tip at the
// top left.
#include "tools/assets/common/Registry.h"

#include <array>
#include <utility>

namespace assets::menus {

namespace {

constexpr int kSize = 64;
// Samples per pixel side for the edges' coverage.
constexpr int kSamples = 4;
constexpr Rgba kFill{255, 255, 255, 255};
constexpr Rgba kRim{20, 24, 32, 255};
constexpr float kRimWidth = 2.5f;

// The outline, clockwise from the tip; the tip stays clear of the image's wrapping edge.
constexpr std::array<std::pair<float, float>, 7> kArrow = {{
    {2, 2}, {42, 36}, {27, 37}, {37, 58}, {29, 61}, {19, 40}, {2, 52},
}};

bool Inside(float x, float y)
{
    bool inside = false;
    for (size_t i = 0, j = kArrow.size() - 1; i < kArrow.size(); j = i++) {
        const auto [xi, yi] = kArrow[i];
        const auto [xj, yj] = kArrow[j];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            inside = !inside;
    }
    return inside;
}

Image DrawArrow()
{
    Image image(kSize, kSize, {0, 0, 0, 0});
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    hits += Inside(x + (sx + 0.5f) / kSamples, y + (sy + 0.5f) / kSamples);
            if (hits)
                image.Blend(x, y, kFill, static_cast<float>(hits) / (kSamples * kSamples));
        }
    for (size_t i = 0, j = kArrow.size() - 1; i < kArrow.size(); j = i++)
        image.Line(kArrow[j].first, kArrow[j].second, kArrow[i].first, kArrow[i].second, kRimWidth, kRim);
    return image;
}

bool WriteCursor(const AssetContext& context)
{
    return context.WriteTexture("Menu", "mousecursor", DrawArrow());
}

const GeneratorRegistrar kCursor("menus.cursor", &WriteCursor);

}  // namespace

}  // namespace assets::menus
