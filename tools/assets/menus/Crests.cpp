// The small pictures beside the single-match screens' buttons: a crest for each team in its
// shirt's colours with the team's initials, and an emblem of each stadium's stand and pitch.
#include "tools/assets/characters/Characters.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/menus/MenuAssets.h"
#include "tools/assets/menus/MenuPaint.h"
#include "tools/assets/text/TextAssets.h"
#include "tools/assets/world/Levels.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace assets::menus {

namespace {

using Corners = std::vector<std::pair<float, float>>;

constexpr Rgba kClear{0, 0, 0, 0};
constexpr Rgba kWhite{255, 255, 255, 255};
// Light, so that every crest's edge shows on the dark menu whatever the shirt.
constexpr Rgba kCrestRim{210, 218, 235, 255};
constexpr float kW = kCrestWidth, kH = kCrestHeight;

// The first letter of every word: "Marsh Basilisks" gives "MB".
std::string Initials(const std::string& name)
{
    std::string initials;
    for (size_t i = 0; i < name.size(); ++i)
        if (name[i] != ' ' && (i == 0 || name[i - 1] == ' '))
            initials += name[i];
    return initials;
}

// A heater shield: straight sides down to 45 % of the height, then curving to a point.
Corners Shield()
{
    const float left = 14, right = kW - 14, top = 3, shoulder = kH * 0.45f, tip = kH - 3;
    Corners corners{{left, top}, {right, top}};
    constexpr int kSteps = 10;
    for (int side = 0; side < 2; ++side)
        for (int s = 0; s <= kSteps; ++s) {
            // Quadratic curve from the shoulder to the tip, bulging outwards.
            const float t = static_cast<float>(side == 0 ? s : kSteps - s) / kSteps;
            const float edge = side == 0 ? right : left;
            const float x = (1 - t) * (1 - t) * edge + 2 * t * (1 - t) * edge + t * t * (kW / 2);
            const float y = (1 - t) * (1 - t) * shoulder + 2 * t * (1 - t) * (tip - 6) + t * t * tip;
            corners.push_back({x, y});
        }
    return corners;
}

// The picture keeps its colours where the mask covers and is clear elsewhere.
Image Masked(const Image& picture, const Image& mask)
{
    Image out(picture.Width(), picture.Height(), kClear);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            out.Set(x, y, WithAlpha(picture.Get(x, y), mask.Get(x, y).a));
    return out;
}

// The first squad's teams wear a band across the shield, the second's a quartered one, so that
// two teams of one race differ by more than their initials.
Image TeamCrestPicture(const chars::TeamRow& team)
{
    const Rgba main = chars::RaceShirtColour(team.race), trim = chars::RaceShirtTrim(team.race);
    Image field(kCrestWidth, kCrestHeight, main);
    if (team.squad == 0) {
        field.FillRect(0, 14, kCrestWidth, 36, trim);
        field.FillRect(0, 17, kCrestWidth, 33, main);
    } else {
        field.FillRect(0, 0, kCrestWidth / 2, kCrestHeight / 2, trim);
        field.FillRect(kCrestWidth / 2, kCrestHeight / 2, kCrestWidth, kCrestHeight, trim);
    }
    const Corners shield = Shield();
    Image mask(kCrestWidth, kCrestHeight, kClear);
    mask.FillPolygon(shield, kWhite);
    Image crest = Masked(field, mask);
    for (size_t i = 0, j = shield.size() - 1; i < shield.size(); j = i++)
        crest.Line(shield[j].first, shield[j].second, shield[i].first, shield[i].second, 3.0f, kCrestRim);
    text::Caption initials;
    initials.text = Initials(team.shownName);
    initials.pixels = 26;
    initials.centreX = kW / 2;
    initials.baseline = 35;
    initials.outline = true;
    return text::DrawCaption(crest, initials) ? crest : Image();
}

// The stand behind the pitch under each style's roof, with what lies beyond it in the sky.
void PaintBeyond(Image& image, const world::Theme& theme)
{
    switch (theme.style) {
    case world::Style::Bamboo:
        for (float x : {10.0f, 16.0f, 64.0f, 70.0f}) {
            image.Line(x, 2, x, 24, 3.0f, theme.hills);
            for (float node = 6; node < 24; node += 6)
                image.Line(x - 2, node, x + 2, node, 1.0f, Scale(theme.hills, 0.7f));
        }
        break;
    case world::Style::Desert: image.FillPolygon({{44, 4}, {64, 22}, {24, 22}}, theme.terrain); break;
    case world::Style::Savanna:
        image.Line(62, 22, 60, 10, 2.0f, Scale(theme.hills, 0.5f));
        image.FillPolygon({{48, 10}, {74, 10}, {68, 6}, {54, 6}}, Scale(theme.hills, 0.7f));
        break;
    case world::Style::Modern:
        for (float x : {8.0f, 72.0f}) {
            image.Line(x, 22, x, 4, 1.5f, theme.trim);
            image.FillRect(static_cast<int>(x) - 4, 2, static_cast<int>(x) + 4, 6, {255, 250, 220, 255});
        }
        break;
    }
}

void PaintRoof(Image& image, const world::Theme& theme)
{
    switch (theme.style) {
    case world::Style::Bamboo:
        // Eaves that turn up at the ends.
        image.FillPolygon({{8, 10}, {20, 15}, {60, 15}, {72, 10}, {62, 19}, {18, 19}}, theme.roof);
        break;
    case world::Style::Desert:
        for (int i = 0; i < 8; ++i)
            image.FillRect(16 + 6 * i, 15, 22 + 6 * i, 19, i % 2 == 0 ? theme.roof : theme.trim);
        break;
    case world::Style::Savanna: image.FillPolygon({{14, 19}, {40, 11}, {66, 19}}, theme.roof); break;
    case world::Style::Modern: image.FillPolygon({{10, 17}, {40, 13}, {70, 17}, {70, 19}, {10, 19}}, theme.roof); break;
    }
}

// Sky, stand and a striped pitch with its halfway line, on a plate with rounded corners.
Image LevelEmblemPicture(const world::Theme& theme)
{
    Image scene(kCrestWidth, kCrestHeight);
    constexpr int kHorizon = 24, kPitchTop = 40;
    for (int y = 0; y < kCrestHeight; ++y)
        for (int x = 0; x < kCrestWidth; ++x) {
            const bool stripe = (x / 8) % 2 == 0;
            scene.Set(x, y,
                      y < kPitchTop ? Mix(theme.skyTop, theme.skyHorizon, static_cast<float>(y) / kHorizon)
                                    : (stripe ? theme.grassLight : theme.grassDark));
        }
    PaintBeyond(scene, theme);
    for (int row = 0; row < 6; ++row)
        scene.FillRect(14, 19 + 3 * row, 66, 22 + 3 * row, row % 2 == 0 ? theme.seatA : theme.seatB);
    scene.FillRect(12, 36, 68, kPitchTop, theme.wall);
    PaintRoof(scene, theme);
    scene.Line(0, kPitchTop + 3, kW, kPitchTop + 3, 1.5f, kWhite);
    scene.Line(kW / 2, kPitchTop + 3, kW / 2, kH, 1.5f, kWhite);
    // Clear of the bottom edge: painting wraps round the picture.
    scene.Ring(kW / 2, kH - 11, 6, 7.5f, kWhite);
    Image emblem(kCrestWidth, kCrestHeight, kClear);
    FillRounded(emblem, 1, 1, kW - 1, kH - 1, 8, [](int, int) { return kCrestRim; });
    FillRounded(emblem, 3, 3, kW - 3, kH - 3, 6, [&](int x, int y) { return scene.Get(x, y); });
    return emblem;
}

bool WriteCrests(const AssetContext& context)
{
    bool ok = true;
    for (int i = 0; i < static_cast<int>(chars::SelectableTeams().size()); ++i) {
        const Image crest = TeamCrestPicture(chars::SelectableTeams()[static_cast<size_t>(i)]);
        ok = crest.Width() > 0 && context.WriteTexture(kScreenTextures, TeamCrest(i), crest) && ok;
    }
    for (int i = 0; i < world::kLevelCount; ++i)
        ok = context.WriteTexture(kScreenTextures, LevelEmblem(i), LevelEmblemPicture(world::LevelTheme(i))) && ok;
    return ok;
}

const GeneratorRegistrar kCrests("menus.crests", &WriteCrests);

}  // namespace

std::string TeamCrest(int team)
{
    return std::string("crest_") + chars::SelectableTeams().at(static_cast<size_t>(team)).key;
}

std::string LevelEmblem(int level)
{
    return std::string("stadium_") + world::LevelTheme(level).folder;
}

}  // namespace assets::menus
