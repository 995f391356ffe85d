// The menu's mouse cursor: a white arrow with a dark rim on a clear square, its tip at the
// top left.
#include "tools/assets/common/Registry.h"

#include <utility>
#include <vector>

namespace assets::menus {

namespace {

constexpr int kSize = 64;
// Samples per pixel side for the edges' coverage.
constexpr int kSamples = 4;
constexpr Rgba kFill{255, 255, 255, 255};
constexpr Rgba kRim{20, 24, 32, 255};
constexpr float kRimWidth = 2.5f;

// The outline, clockwise from the tip; the tip stays clear of the image's wrapping edge.
const std::vector<std::pair<float, float>> kArrow = {
    {2, 2}, {42, 36}, {27, 37}, {37, 58}, {29, 61}, {19, 40}, {2, 52},
};

Image DrawArrow()
{
    Image image(kSize, kSize, {0, 0, 0, 0});
    image.OutlinedPolygon(kArrow, kFill, kRim, kRimWidth, kSamples);
    return image;
}

bool WriteCursor(const AssetContext& context)
{
    return context.WriteTexture("Menu", "mousecursor", DrawArrow());
}

const GeneratorRegistrar kCursor("menus.cursor", &WriteCursor);

}  // namespace

}  // namespace assets::menus
