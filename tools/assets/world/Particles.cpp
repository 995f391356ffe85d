// Particle sprites: a soft smoke puff and a dust cloud (blended by their alpha), a spark, a
// white glow that the players' special moves tint, and a 4 x 4 sheet of a flash that grows and
// fades (drawn additively).
#include "tools/assets/common/Registry.h"
#include "tools/assets/world/Levels.h"

#include <algorithm>
#include <cmath>

namespace assets::world {

namespace {

constexpr int kSprite = 64;
constexpr int kSheetCells = 4;
constexpr int kSheetCell = 64;

// Fills a square cell of the image at (x0, y0): the profile gives colour and alpha from the
// distance r to the cell's centre (1 at the edge) and the cell coordinates u, v in 0..1.
template <typename Profile>
void PaintCell(Image& image, int x0, int y0, int size, Profile profile)
{
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            const float dx = u * 2 - 1, dy = v * 2 - 1;
            image.Set(x0 + x, y0 + y, profile(std::sqrt(dx * dx + dy * dy), u, v));
        }
}

uint8_t Byte(float value)
{
    return static_cast<uint8_t>(std::clamp(value, 0.0f, 1.0f) * 255 + 0.5f);
}

// A round cloud whose edge is broken up by noise.
Image Cloud(Rgba light, Rgba shade, uint32_t seed, float density)
{
    Image image(kSprite, kSprite, WithAlpha(light, 0));
    PaintCell(image, 0, 0, kSprite, [&](float r, float u, float v) {
        const float n = FractalNoise(u * 4, v * 4, 4, 3, seed);
        const float edge = std::clamp(1.0f - r * (1.0f - 0.35f * n), 0.0f, 1.0f);
        const float alpha = density * edge * edge * (3 - 2 * edge);
        return WithAlpha(Mix(shade, light, 0.5f + 0.5f * n), Byte(alpha));
    });
    return image;
}

Image Spark()
{
    Image image(kSprite, kSprite, {255, 240, 180, 0});
    PaintCell(image, 0, 0, kSprite, [](float r, float u, float v) {
        const float dx = std::fabs(u * 2 - 1), dy = std::fabs(v * 2 - 1);
        const float core = std::exp(-r * r * 40.0f);
        const float rays = std::exp(-dx * 30.0f) * std::max(0.0f, 1 - dy) + std::exp(-dy * 30.0f) * std::max(0.0f, 1 - dx);
        const float glow = 0.35f * std::exp(-r * r * 6.0f);
        return Rgba{255, Byte(0.8f + 0.2f * core), Byte(0.45f + 0.55f * core), Byte(core + 0.6f * rays + glow)};
    });
    return image;
}

// White, so that a particle system's colours tint it; opaque in the middle, soft to the edge.
Image Glow()
{
    Image image(kSprite, kSprite, {255, 255, 255, 0});
    PaintCell(image, 0, 0, kSprite, [](float r, float, float) {
        const float edge = std::clamp(1.0f - r, 0.0f, 1.0f);
        return Rgba{255, 255, 255, Byte(edge * edge * (3 - 2 * edge))};
    });
    return image;
}

// Frame k (row by row) is a flash of radius growing with k whose brightness fades out.
Image FlashSheet()
{
    Image image(kSheetCells * kSheetCell, kSheetCells * kSheetCell, {255, 200, 120, 0});
    const int frames = kSheetCells * kSheetCells;
    for (int k = 0; k < frames; ++k) {
        const float t = static_cast<float>(k) / (frames - 1);
        const float radius = 0.2f + 0.75f * std::sqrt(t);
        const float strength = (1 - t) * (1 - t);
        PaintCell(image, (k % kSheetCells) * kSheetCell, (k / kSheetCells) * kSheetCell, kSheetCell,
                  [&](float r, float, float) {
                      const float x = r / radius;
                      const float body = x < 1 ? 1 - x * x : 0.0f;
                      const float ring = std::exp(-(x - 0.85f) * (x - 0.85f) * 40.0f) * t;
                      const float heat = std::clamp(1.2f - x, 0.0f, 1.0f);
                      // Clear before the cell's edge, so that added flashes show no square.
                      const float edge = std::clamp((1.0f - r) * 8.0f, 0.0f, 1.0f);
                      return Rgba{255, Byte(0.55f + 0.45f * heat), Byte(0.2f + 0.7f * heat * (1 - t)),
                                  Byte(strength * (body + ring) * edge)};
                  });
    }
    return image;
}

bool WriteParticles(const AssetContext& context)
{
    bool ok = context.WriteTextureSets("Particles", "smoke", Cloud({235, 235, 232, 255}, {150, 150, 158, 255}, 71, 0.9f));
    ok = context.WriteTextureSets("Particles", "dust", Cloud({196, 168, 120, 255}, {128, 100, 66, 255}, 93, 0.7f)) && ok;
    ok = context.WriteTextureSets("Particles", "spark", Spark()) && ok;
    ok = context.WriteTextureSets("Particles", "glow", Glow()) && ok;
    ok = context.WriteTextureSets("Particles", "flash_sheet", FlashSheet()) && ok;
    return ok;
}

const GeneratorRegistrar kParticles("world.particles", &WriteParticles);

}  // namespace

}  // namespace assets::world
