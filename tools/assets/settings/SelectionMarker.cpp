// The ring under the player a person controls (and under a chosen spot): bright on a clear
// ground, so that it reads on the grass without hiding the feet in it.
#include "tools/assets/common/Registry.h"

namespace assets {

namespace {

constexpr int kSize = 64;
constexpr float kCentre = kSize / 2.0f;
constexpr float kInner = 22.0f;
constexpr float kOuter = 29.0f;
constexpr Rgba kRing{250, 250, 250, 220};

bool WriteSelectionMarker(const AssetContext& context)
{
    Image image(kSize, kSize, {0, 0, 0, 0});
    image.Ring(kCentre, kCentre, kInner, kOuter, kRing);
    return context.WriteTexture("misc", "target", image);
}

const GeneratorRegistrar kMarker("settings.target", &WriteSelectionMarker);

}  // namespace

}  // namespace assets
