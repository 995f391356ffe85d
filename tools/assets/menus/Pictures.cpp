// The menus' pictures: the loading screen with its bar, the game's logos, the panel behind
// banners and statistics, and the palm that sways behind the menu plane.
#include "tools/assets/common/Registry.h"
#include "tools/assets/menus/MenuAssets.h"
#include "tools/assets/menus/MenuPaint.h"
#include "tools/assets/text/TextAssets.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace assets::menus {

namespace {

constexpr const char* kGameName = "Turfbolt";
constexpr Rgba kSkyTop{14, 22, 48, 255};
constexpr Rgba kSkyLow{52, 84, 140, 255};
constexpr Rgba kGrassFar{38, 96, 44, 255};
constexpr Rgba kGrassNear{70, 150, 62, 255};
constexpr Rgba kGold{255, 206, 64, 255};
constexpr Rgba kTrough{18, 22, 30, 255};
constexpr Rgba kRim{200, 210, 230, 255};
constexpr Rgba kBarLow{40, 160, 60, 255};
constexpr Rgba kBarHigh{170, 240, 90, 255};

// A dusk sky over a striped pitch that runs to the horizon.
Image Pitch(int width, int height)
{
    Image image(width, height);
    const int horizon = height * 11 / 20;
    for (int y = 0; y < height; ++y) {
        const bool sky = y < horizon;
        const float t = sky ? static_cast<float>(y) / horizon : static_cast<float>(y - horizon) / (height - horizon);
        for (int x = 0; x < width; ++x) {
            Rgba colour = sky ? Mix(kSkyTop, kSkyLow, t) : Mix(kGrassFar, kGrassNear, t);
            // Mowing stripes that widen towards the viewer.
            const float across = (x - width / 2.0f) * kLoadingWidth / width / (0.3f + t);
            if (!sky && static_cast<int>(std::floor(across / 90.0f)) % 2 == 0)
                colour = Scale(colour, 1.08f);
            image.Set(x, y, colour);
        }
    }
    return image;
}

// The pitch with the game's name over it and a plate for the bar.
Image LoadingBackground()
{
    Image image = Pitch(kLoadingWidth, kLoadingHeight);
    // A plate for the bar, which the screen lays at (144, 450) of 800 x 600.
    const float barX = kLoadingWidth * 144.0f / 800, barY = kLoadingHeight * 450.0f / 600;
    const float barW = kLoadingWidth * 512.0f / 800, barH = kLoadingHeight * 32.0f / 600;
    FillRounded(image, barX - 12, barY - 12, barX + barW + 12, barY + barH + 12, 12,
                [](int, int) { return Rgba{8, 12, 20, 170}; });
    text::Caption title;
    title.text = kGameName;
    title.pixels = 150;
    title.centreX = kLoadingWidth / 2.0f;
    title.baseline = kLoadingHeight * 3 / 10;
    title.colour = kGold;
    title.outline = true;
    return text::DrawCaption(image, title) ? image : Image();
}

// The bar's trough, or its fill: both 512 x 32 behind the same rim, and opaque, since the
// loading screen copies them onto the background without blending. The fill cropped at any
// width thus lies exactly on the trough.
Image Bar(bool filled)
{
    const float w = kBarWidth, h = kBarHeight;
    Image image(kBarWidth, kBarHeight, kRim);
    FillRounded(image, 2, 2, w - 2, h - 2, 5, [&](int x, int y) {
        if (!filled)
            return Mix(kTrough, Scale(kTrough, 1.6f), static_cast<float>(y) / h);
        // Lighter along the top, and greener from left to right as the load goes on.
        const Rgba along = Mix(kBarLow, kBarHigh, static_cast<float>(x) / w);
        return y < h / 3 ? Mix(along, {255, 255, 255, 255}, 0.35f) : along;
    });
    return image;
}

// The name on a badge-shaped plate, with the game size under it when there is one.
Image Logo(const std::string& size)
{
    Image image(kLogoWidth, kLogoHeight, {0, 0, 0, 0});
    FillRounded(image, 8, 8, kLogoWidth - 8, kLogoHeight - 8, 40, [](int, int y) {
        return WithAlpha(Mix({20, 60, 120, 255}, {8, 24, 56, 255}, y / static_cast<float>(kLogoHeight)), 220);
    });
    // A bolt striking down the plate, behind the name.
    image.FillPolygon({{292, 12}, {206, 104}, {252, 104}, {196, 184}, {318, 84}, {268, 84}, {326, 12}},
                      WithAlpha(kGold, 110));
    text::Caption name;
    name.text = kGameName;
    name.pixels = 96;
    name.centreX = kLogoWidth / 2.0f;
    name.baseline = size.empty() ? 130 : 115;
    name.colour = kGold;
    name.outline = true;
    bool ok = text::DrawCaption(image, name);
    if (!size.empty()) {
        text::Caption badge;
        badge.text = size;
        badge.pixels = 36;
        badge.centreX = kLogoWidth / 2.0f;
        badge.baseline = 168;
        badge.colour = {255, 255, 255, 255};
        ok = text::DrawCaption(image, badge) && ok;
    }
    return ok ? image : Image();
}

// For banners and statistics.
Image Panel()
{
    return GlassPlate(kPanelWidth, kPanelHeight, 24);
}

// A leaning trunk and a crown of drooping fronds, opaque on clear: the menu draws it dark.
Image Palm()
{
    Image image(kPalmWidth, kPalmHeight, {0, 0, 0, 0});
    const Rgba ink{0, 0, 0, 255};
    const float baseX = kPalmWidth * 0.55f, topX = kPalmWidth * 0.45f, topY = kPalmHeight * 0.22f;
    constexpr int kTrunkSegments = 24;
    for (int i = 0; i < kTrunkSegments; ++i) {
        const float a = static_cast<float>(i) / kTrunkSegments, b = static_cast<float>(i + 1) / kTrunkSegments;
        const auto x = [&](float t) { return baseX + (topX - baseX) * t + 18.0f * std::sin(t * 3.0f); };
        const auto y = [&](float t) { return kPalmHeight - 4 + (topY - kPalmHeight + 4) * t; };
        image.Line(x(a), y(a), x(b), y(b), 16.0f - 8.0f * a, ink);
    }
    constexpr int kFronds = 7;
    for (int f = 0; f < kFronds; ++f) {
        const float angle = -2.9f + 2.6f * f / (kFronds - 1);
        const float length = kPalmWidth * 0.42f;
        float x = topX, y = topY;
        constexpr int kSteps = 16;
        for (int s = 1; s <= kSteps; ++s) {
            const float t = static_cast<float>(s) / kSteps;
            // Out along the angle, drooping more towards the tip.
            const float nx = topX + std::cos(angle) * length * t;
            const float ny = topY + std::sin(angle) * length * t + 60.0f * t * t;
            image.Line(x, y, nx, ny, 10.0f * (1.0f - t) + 2.0f, ink);
            // Leaflets hanging off each step.
            image.Line(nx, ny, nx + 6.0f, ny + 22.0f * (1.0f - 0.5f * t), 3.0f, ink);
            x = nx;
            y = ny;
        }
    }
    return image;
}

bool WritePictures(const AssetContext& context)
{
    const Image loading = LoadingBackground();
    bool ok = loading.Width() > 0 && context.WriteTexture("Menu", "loading", loading);
    ok = context.WriteTexture("Menu", "loadingempty", Bar(false)) && ok;
    ok = context.WriteTexture("Menu", "loadingfilled", Bar(true)) && ok;
    const Image logos[] = {Logo(""), Logo("XS"), Logo("XL")};
    const char* names[] = {kDefaultLogo, "TBlogoLogo_XS", "TBlogoLogo_XL"};
    for (int i = 0; i < 3; ++i)
        ok = logos[i].Width() > 0 && context.WriteTexture(kScreenTextures, names[i], logos[i]) && ok;
    ok = context.WriteTexture(kScreenTextures, kPanel, Panel()) && ok;
    ok = context.WriteTexture(kScreenTextures, kBackground, Pitch(kBackgroundWidth, kBackgroundHeight)) && ok;
    return context.WriteTexture(kScreenTextures, kPalm, Palm()) && ok;
}

const GeneratorRegistrar kPictures("menus.pictures", &WritePictures);

}  // namespace

}  // namespace assets::menus
