// The aiming arrow of a set piece taken by a person: a bright arrow on a clear ground, its tip
// at the top of the picture, which the arrow's far end shows.
#include "tools/assets/common/Registry.h"

#include <utility>
#include <vector>

namespace assets {

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 128;
constexpr int kSamples = 4;
constexpr Rgba kFill{255, 214, 40, 230};
constexpr Rgba kRim{40, 30, 10, 255};
constexpr float kRimWidth = 3.0f;

// Clockwise from the tip: a head the picture's width, a shaft half as wide; every corner kept
// clear of the edges, which the clamped texture repeats.
const std::vector<std::pair<float, float>> kOutline = {
    {32, 4}, {60, 52}, {44, 52}, {44, 124}, {20, 124}, {20, 52}, {4, 52},
};

Image DrawAimingArrow()
{
    Image image(kWidth, kHeight, {0, 0, 0, 0});
    image.OutlinedPolygon(kOutline, kFill, kRim, kRimWidth, kSamples);
    return image;
}

bool WriteAimingArrow(const AssetContext& context) { return context.WriteTexture("misc", "arrow", DrawAimingArrow()); }

const GeneratorRegistrar kArrow("settings.arrow", &WriteAimingArrow);

}  // namespace

}  // namespace assets
