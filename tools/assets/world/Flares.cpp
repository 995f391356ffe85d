// Lens-flare sprites, drawn additively with their alpha: a sun glow with rays, a soft halo
// ring, a hexagonal iris, a sharp star and a small soft dot.
#include "tools/assets/common/Registry.h"
#include "tools/assets/world/Levels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace assets::world {

namespace {

constexpr int kSize = 128;

// Alpha from a radial profile f(r, angle), r in 0..1 from the centre to the edge.
template <typename Profile>
Image Sprite(Rgba colour, Profile profile)
{
    Image img(kSize, kSize, {colour.r, colour.g, colour.b, 0});
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float dx = (x + 0.5f) / (kSize / 2) - 1, dy = (y + 0.5f) / (kSize / 2) - 1;
            const float r = std::sqrt(dx * dx + dy * dy), a = std::atan2(dy, dx);
            const float alpha = std::clamp(profile(r, a), 0.0f, 1.0f);
            img.Set(x, y, {colour.r, colour.g, colour.b, uint8_t(alpha * 255 + 0.5f)});
        }
    return img;
}

Image Flare(int n)
{
    switch (n) {
    case 1:
        return Sprite({255, 246, 220, 255}, [](float r, float a) {
            const float glow = std::exp(-r * r * 9.0f);
            const float rays = std::pow(std::fabs(std::cos(a * 6)), 40.0f) * std::max(0.0f, 1 - r) * 0.6f;
            return glow + rays;
        });
    case 2:
        return Sprite({200, 225, 255, 255}, [](float r, float) {
            const float d = (r - 0.78f) / 0.08f;
            return 0.7f * std::exp(-d * d) + 0.08f * std::max(0.0f, 1 - r);
        });
    case 3:
        return Sprite({255, 210, 160, 255}, [](float r, float a) {
            // Distance to a regular hexagon's edge.
            const float sector = kPi / 3;
            const float local = std::fmod(std::fabs(a) + sector / 2, sector) - sector / 2;
            const float hex = r * std::cos(local) / std::cos(kPi / 6);
            return std::clamp((0.8f - hex) / 0.05f, 0.0f, 1.0f) * (0.35f + 0.25f * hex);
        });
    case 4:
        return Sprite({255, 255, 255, 255}, [](float r, float a) {
            const float star = std::pow(std::fabs(std::cos(a * 2)), 60.0f) + std::pow(std::fabs(std::sin(a * 2)), 60.0f);
            return std::max(0.0f, 1 - r) * (0.8f * star + std::exp(-r * r * 60));
        });
    default:
        return Sprite({180, 255, 200, 255}, [](float r, float) { return 0.6f * std::exp(-r * r * 5.0f) * (r < 1); });
    }
}

bool WriteFlares(const AssetContext& context)
{
    bool ok = true;
    for (int n = 1; n <= 5; ++n) {
        char name[24];
        std::snprintf(name, sizeof name, "flare_%02d", n);
        ok = context.WriteTextureSets("Lensflares", name, Flare(n)) && ok;
    }
    return ok;
}

const GeneratorRegistrar kFlares("world.lensflares", &WriteFlares);

}  // namespace

}  // namespace assets::world
