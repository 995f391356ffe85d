// The markers under the candidate a side is about to pick on the bench: a ring with four
// notches that shows its spin, green for side one and red for side two, as the screen colours
// the sides' picks.
#include "tools/assets/common/Registry.h"

#include <cmath>
#include <numbers>

namespace assets {

namespace {

constexpr int kSize = 128;
constexpr float kCentre = kSize * 0.5f;
constexpr float kOuter = 60.0f;
constexpr float kInner = 48.0f;
constexpr float kNotchWidth = 7.0f;
constexpr Rgba kRim{20, 20, 20, 200};

Image DrawMarker(Rgba colour)
{
    Image image(kSize, kSize, {0, 0, 0, 0});
    image.Ring(kCentre, kCentre, kInner - 2.0f, kOuter + 2.0f, kRim, 1.5f);
    image.Ring(kCentre, kCentre, kInner, kOuter, colour, 1.5f);
    for (int i = 0; i < 4; ++i) {
        const float a = static_cast<float>(i) * std::numbers::pi_v<float> * 0.5f;
        const float c = std::cos(a), s = std::sin(a);
        image.Line(kCentre + c * (kInner - 14.0f), kCentre + s * (kInner - 14.0f), kCentre + c * kInner,
                   kCentre + s * kInner, kNotchWidth, colour);
    }
    return image;
}

bool WriteSelectionMarkers(const AssetContext& context)
{
    const bool a = context.WriteTexture("misc", "plyr_select_a", DrawMarker({40, 230, 60, 255}));
    return context.WriteTexture("misc", "plyr_select_b", DrawMarker({235, 45, 35, 255})) && a;
}

const GeneratorRegistrar kSelectionMarkers("settings.selection_markers", &WriteSelectionMarkers);

}  // namespace

}  // namespace assets
