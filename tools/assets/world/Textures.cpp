#include "tools/assets/common/Random.h"
#include "tools/assets/world/Levels.h"

#include <algorithm>
#include <cmath>

namespace assets::world {

namespace {

// Noise-tinted fill: base colour varied by fractal noise, tileable.
void NoisyFill(Image& img, Rgba base, float scale, float amount, uint32_t seed)
{
    img.Fill(base);
    img.Grain(scale, amount, seed, 4);
}

}  // namespace

Image PaintGrass(const Theme& theme)
{
    // Near-white so the stripe colours of the vertices carry the hue.
    Image img(256, 256, {236, 240, 230, 255});
    img.Grain(8, 0.10f, theme.seed + 1, 4);
    Rng rng(theme.seed + 2);
    for (int i = 0; i < 2600; ++i) {
        const float x = rng.Range(0, 256), y = rng.Range(0, 256);
        const float len = rng.Range(2, 5), ang = rng.Range(-0.5f, 0.5f) - kPi / 2;
        const Rgba blade = rng.Unit() < 0.5f ? Rgba{255, 255, 245, 70} : Rgba{170, 190, 160, 70};
        img.Line(x, y, x + std::cos(ang) * len, y + std::sin(ang) * len, 1.0f, blade);
    }
    return img;
}

Image PaintGround(const Theme& theme, Rgba base, uint32_t salt)
{
    Image img(256, 256);
    NoisyFill(img, base, 6, 0.18f, theme.seed + salt);
    Rng rng(theme.seed + salt * 7);
    for (int i = 0; i < 500; ++i) {
        const Rgba speck = Scale(base, rng.Range(0.7f, 1.25f));
        img.FillCircle(rng.Range(0, 256), rng.Range(0, 256), rng.Range(0.6f, 2.0f), WithAlpha(speck, 150));
    }
    return img;
}

Image PaintNet()
{
    Image img(64, 64, {255, 255, 255, 0});
    for (int k = 0; k < 4; ++k) {
        const float p = k * 16.0f + 8.0f;
        img.Line(p, -2, p, 66, 1.6f, {245, 245, 245, 255});
        img.Line(-2, p, 66, p, 1.6f, {245, 245, 245, 255});
    }
    return img;
}

Image PaintLines()
{
    // Clear texels are white too: the smaller levels fade the paint without darkening it.
    Image img(64, 4, {255, 255, 255, 0});
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 24; x < 40; ++x)
            img.Set(x, y, {255, 255, 255, 255});
    return img;
}

Image PaintConcrete(const Theme& theme)
{
    Image img(128, 128);
    NoisyFill(img, theme.wall, 4, 0.12f, theme.seed + 11);
    // Panel joints.
    for (int k = 0; k < 2; ++k) {
        img.Line(0, k * 64.0f + 0.5f, 128, k * 64.0f + 0.5f, 1.2f, WithAlpha(Scale(theme.wall, 0.6f), 200));
        img.Line(k * 64.0f + 0.5f, 0, k * 64.0f + 0.5f, 128, 1.2f, WithAlpha(Scale(theme.wall, 0.6f), 200));
    }
    return img;
}

Image PaintSeats(const Theme& theme)
{
    // One tier's tread seen from above: a row of seats along u, the walkway behind.
    Image img(128, 64, Scale(theme.wall, 0.9f));
    img.Grain(4, 0.08f, theme.seed + 21, 3);
    for (int s = 0; s < 8; ++s) {
        const Rgba c = (s % 4 == 3) ? theme.seatB : theme.seatA;
        const float x0 = s * 16.0f + 2, x1 = x0 + 12;
        img.FillRect(int(x0), 8, int(x1), 40, Scale(c, 0.85f));
        img.FillRect(int(x0), 8, int(x1), 14, c);  // seat back lit from above
    }
    return img;
}

Image PaintRoof(const Theme& theme)
{
    Image img(128, 128, theme.roof);
    switch (theme.style) {
    case Style::Bamboo:  // glazed tiles in rows
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c) {
                const float x = c * 16.0f + (r % 2) * 8.0f + 8, y = r * 16.0f + 8;
                img.FillCircle(x, y, 7.5f, Scale(theme.roof, 1.15f));
                img.Ring(x, y, 6.0f, 8.0f, Scale(theme.roof, 0.7f));
            }
        break;
    case Style::Desert:  // striped awning cloth
        for (int k = 0; k < 8; ++k)
            if (k % 2)
                img.FillRect(k * 16, 0, k * 16 + 16, 128, theme.trim);
        img.Grain(16, 0.06f, theme.seed + 31);
        break;
    case Style::Savanna: {  // thatch
        Rng rng(theme.seed + 32);
        for (int i = 0; i < 1800; ++i) {
            const float x = rng.Range(0, 128), y = rng.Range(0, 128);
            img.Line(x, y, x + rng.Range(-1.5f, 1.5f), y + rng.Range(6, 14), 1.0f,
                     WithAlpha(Scale(theme.roof, rng.Range(0.65f, 1.3f)), 200));
        }
        break;
    }
    case Style::Modern:  // steel panels
        img.Grain(8, 0.05f, theme.seed + 33);
        for (int k = 0; k < 4; ++k)
            img.Line(k * 32.0f + 1, 0, k * 32.0f + 1, 128, 2.0f, Scale(theme.roof, 0.75f));
        break;
    }
    return img;
}

Image PaintAdBoards(const Theme& theme)
{
    // Four made-up panels side by side: bold colour fields with simple emblems.
    Image img(256, 32);
    const Rgba fields[4] = {theme.teamA, {250, 250, 245, 255}, theme.teamB, {30, 40, 60, 255}};
    for (int p = 0; p < 4; ++p) {
        const int x0 = p * 64;
        const Rgba bg = fields[p];
        const Rgba fg = (p == 1) ? theme.trim : Rgba{250, 250, 250, 255};
        img.FillRect(x0, 0, x0 + 64, 32, bg);
        img.FillRect(x0, 0, x0 + 64, 2, Scale(bg, 0.6f));
        img.FillRect(x0, 30, x0 + 64, 32, Scale(bg, 0.6f));
        switch (p) {
        case 0: img.FillCircle(x0 + 16.0f, 16, 9, fg); img.FillRect(x0 + 30, 11, x0 + 58, 21, fg); break;
        case 1: img.Ring(x0 + 32.0f, 16, 6, 10, fg); img.Line(x0 + 6.0f, 16, x0 + 20.0f, 16, 3, fg); img.Line(x0 + 44.0f, 16, x0 + 58.0f, 16, 3, fg); break;
        case 2: for (int k = 0; k < 4; ++k) img.Line(x0 + 8.0f + k * 12, 26, x0 + 16.0f + k * 12, 6, 4, fg); break;
        default: img.FillRect(x0 + 8, 8, x0 + 24, 24, fg); img.FillCircle(x0 + 44.0f, 16, 8, theme.teamA); break;
        }
    }
    return img;
}

Image PaintCrowd(const Theme& theme, uint32_t salt)
{
    // Two staggered rows of spectators (heads and shoulders) on a transparent ground; the
    // strip stands on a tier, so the bottom half is bodies and the top is heads.
    Image img(256, 64, {0, 0, 0, 0});
    Rng rng(theme.seed + salt);
    const Rgba skins[4] = {{236, 200, 170, 255}, {200, 150, 110, 255}, {140, 95, 60, 255}, {95, 65, 45, 255}};
    const Rgba shirts[6] = {theme.teamA, theme.teamB, theme.teamA, {235, 235, 235, 255}, {60, 60, 70, 255},
                            theme.teamB};
    for (int row = 0; row < 2; ++row) {
        const float base = row ? 64.0f : 44.0f;
        for (float x = row ? 4.0f : 0.0f; x < 256; x += rng.Range(7.5f, 10.5f)) {
            if (rng.Unit() < 0.08f)
                continue;  // an empty seat
            const Rgba shirt = Scale(shirts[rng.Below(6)], rng.Range(0.8f, 1.1f));
            const Rgba skin = skins[rng.Below(4)];
            const float w = rng.Range(6.0f, 8.0f), h = rng.Range(14.0f, 18.0f);
            const bool cheer = rng.Unit() < 0.25f;
            img.FillRect(int(x), int(base - h), int(x + w), int(base), shirt);
            img.FillCircle(x + w / 2, base - h - 2.5f, 3.2f, skin);
            if (rng.Unit() < 0.3f)
                img.FillRect(int(x + w / 2 - 3.5f), int(base - h - 6), int(x + w / 2 + 3.5f), int(base - h - 3),
                             shirts[rng.Below(6)]);  // a cap
            if (cheer) {
                img.Line(x, base - h + 2, x - 2, base - h - 8, 2, skin);
                img.Line(x + w, base - h + 2, x + w + 2, base - h - 8, 2, skin);
            }
        }
    }
    return img;
}

Image PaintFoliage(const Theme& theme)
{
    Image img(128, 128, {0, 0, 0, 0});
    Rng rng(theme.seed + 51);
    Rgba leaf = theme.style == Style::Bamboo ? Rgba{70, 140, 50, 255}
              : theme.style == Style::Desert ? Rgba{70, 120, 45, 255}
                                             : Rgba{95, 125, 50, 255};
    if (theme.style == Style::Bamboo) {
        // Slender leaves hanging from the centre line.
        for (int i = 0; i < 140; ++i) {
            const float x = rng.Range(10, 118), y = rng.Range(6, 100);
            const float ang = rng.Range(0.6f, 2.5f);
            img.Line(x, y, x + std::cos(ang) * 18, y + std::sin(ang) * 18, rng.Range(2.5f, 4.0f),
                     Scale(leaf, rng.Range(0.7f, 1.3f)));
        }
    } else if (theme.style == Style::Desert) {
        // Palm fronds: a rib with leaflets.
        for (int f = 0; f < 6; ++f) {
            const float a = -kPi / 2 + (f - 2.5f) * 0.45f;
            const float cx = 64, cy = 64;
            for (int s = 0; s < 22; ++s) {
                const float t = s / 22.0f;
                const float px = cx + std::cos(a) * 60 * t, py = cy - std::sin(a) * 60 * t;
                img.Line(px, py, px + std::cos(a + 1.2f) * 10 * (1 - t), py - std::sin(a + 1.2f) * 10 * (1 - t) + 4,
                         2.0f, Scale(leaf, 1.0f - 0.3f * t));
                img.Line(px, py, px + std::cos(a - 1.2f) * 10 * (1 - t), py - std::sin(a - 1.2f) * 10 * (1 - t) + 4,
                         2.0f, Scale(leaf, 0.9f - 0.3f * t));
            }
        }
    } else {
        // Dense clumps of small leaves.
        for (int i = 0; i < 900; ++i) {
            const float a = rng.Range(0, 2 * kPi), r = 58 * std::sqrt(rng.Unit());
            img.FillCircle(64 + std::cos(a) * r, 64 + std::sin(a) * r * 0.8f, rng.Range(2.0f, 3.5f),
                           Scale(leaf, rng.Range(0.6f, 1.25f)));
        }
    }
    return img;
}

Image PaintBark(const Theme& theme)
{
    Image img(64, 128);
    if (theme.style == Style::Bamboo) {
        img.Fill({120, 160, 70, 255});
        img.Grain(4, 0.10f, theme.seed + 61);
        for (int k = 0; k < 2; ++k) {  // nodes
            img.FillRect(0, k * 64 + 28, 64, k * 64 + 33, {150, 170, 90, 255});
            img.FillRect(0, k * 64 + 33, 64, k * 64 + 35, {80, 105, 45, 255});
        }
        for (int s = 0; s < 6; ++s)
            img.Line(s * 11.0f + 3, 0, s * 11.0f + 3, 128, 1.2f, {140, 180, 90, 120});
    } else {
        const Rgba bark = theme.style == Style::Desert ? Rgba{140, 110, 75, 255} : Rgba{95, 75, 55, 255};
        img.Fill(bark);
        img.Grain(6, 0.2f, theme.seed + 62);
        Rng rng(theme.seed + 63);
        for (int i = 0; i < 40; ++i) {
            const float y = rng.Range(0, 128);
            img.Line(0, y, 64, y + rng.Range(-3, 3), 1.5f, WithAlpha(Scale(bark, 0.6f), 180));
        }
    }
    return img;
}

Image PaintFlag(const Theme& theme, int variant)
{
    Image img(64, 32, variant % 2 ? theme.teamB : theme.teamA);
    const Rgba other = variant % 2 ? theme.teamA : theme.teamB;
    const Rgba white{245, 245, 240, 255};
    switch (variant) {
    case 0: img.FillRect(0, 12, 64, 20, white); img.FillCircle(20, 16, 7, other); break;
    case 1: img.FillRect(21, 0, 43, 32, white); img.FillCircle(32, 16, 6, other); break;
    case 2: img.FillRect(0, 0, 64, 11, white); img.FillRect(0, 21, 64, 32, other); break;
    default: img.Line(0, 0, 64, 32, 6, white); img.Line(0, 32, 64, 0, 6, white); break;
    }
    img.Grain(8, 0.08f, theme.seed + 70 + uint32_t(variant));
    return img;
}

Image PaintShadow()
{
    Image img(64, 64, {0, 0, 0, 0});
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const float dx = std::fabs(x + 0.5f - 32) / 32, dy = std::fabs(y + 0.5f - 32) / 32;
            const float d = std::max(dx, dy);
            const float a = std::clamp((1.0f - d) * 2.2f, 0.0f, 1.0f);
            img.Set(x, y, {0, 0, 0, uint8_t(150 * a)});
        }
    return img;
}

Image PaintLamp()
{
    Image img(64, 32, {60, 62, 68, 255});
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c) {
            const float x = c * 16.0f + 8, y = r * 16.0f + 8;
            img.FillCircle(x, y, 6.5f, {255, 252, 230, 255});
            img.Ring(x, y, 6.0f, 7.5f, {150, 150, 140, 255});
        }
    return img;
}

Image PaintFacade(const Theme& theme)
{
    // Building fronts: rows of windows, some lit.
    Image img(64, 128, Scale(theme.wall, 0.75f));
    Rng rng(theme.seed + 81);
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 8; ++c) {
            const bool lit = rng.Unit() < 0.3f;
            img.FillRect(c * 8 + 2, r * 8 + 2, c * 8 + 6, r * 8 + 6,
                         lit ? Rgba{250, 230, 160, 255} : Rgba{70, 95, 130, 255});
        }
    return img;
}

Image PaintSky(const Theme& theme)
{
    // Latitude-longitude: v = 0 at the zenith, 1 at the horizon. u wraps around.
    Image img(256, 128);
    for (int y = 0; y < 128; ++y) {
        const float t = std::pow(y / 127.0f, 1.6f);
        const Rgba c = Mix(theme.skyTop, theme.skyHorizon, t);
        for (int x = 0; x < 256; ++x)
            img.Set(x, y, c);
    }
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x) {
            const float n = FractalNoise(x / 32.0f, y / 16.0f, 8, 5, theme.seed + 91);
            const float cover = theme.style == Style::Desert ? 0.45f : theme.style == Style::Modern ? 0.15f : 0.25f;
            const float a = std::clamp((n - cover) * 2.5f, 0.0f, 0.85f) * std::clamp((y - 6) / 30.0f, 0.0f, 1.0f);
            if (a > 0)
                img.Blend(x, y, theme.cloud, a);
        }
    return img;
}

Image PaintNightSky(const Theme& theme)
{
    Image img(256, 128);
    for (int y = 0; y < 128; ++y) {
        const Rgba c = Mix(theme.nightTop, theme.nightHorizon, std::pow(y / 127.0f, 1.4f));
        for (int x = 0; x < 256; ++x)
            img.Set(x, y, c);
    }
    Rng rng(theme.seed + 101);
    for (int i = 0; i < 420; ++i) {
        const float x = rng.Range(0, 256), y = rng.Range(0, 110);
        const float b = rng.Range(0.4f, 1.0f);
        img.FillCircle(x, y, rng.Range(0.35f, 0.9f), Scale({255, 250, 235, 255}, b), 0.8f);
    }
    return img;
}

Image PaintBench(const Theme& theme)
{
    // Dugout: tinted shell on the top half, seats in a row on the bottom half.
    Image img(64, 64, {200, 210, 220, 255});
    img.FillRect(0, 0, 64, 32, {170, 195, 215, 255});
    img.Grain(8, 0.05f, theme.seed + 111);
    for (int s = 0; s < 4; ++s) {
        img.FillRect(s * 16 + 2, 36, s * 16 + 14, 60, theme.seatA);
        img.FillRect(s * 16 + 2, 36, s * 16 + 14, 40, Scale(theme.seatA, 1.2f));
    }
    return img;
}

}  // namespace assets::world
