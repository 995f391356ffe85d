#include "tools/assets/world/Levels.h"

#include "tools/assets/common/Registry.h"

#include <algorithm>

namespace assets::world {

namespace {

// clang-format off
const Theme kThemes[kLevelCount] = {
    // A bamboo garden: lacquered timber stands under tiled roofs, groves all round, soft light.
    {"level01", Style::Bamboo, 1101,
     {92, 168, 72, 255}, {78, 150, 62, 255}, {84, 128, 64, 255}, {96, 132, 70, 255}, {80, 112, 78, 255},
     {160, 70, 50, 255}, {190, 60, 45, 255}, {235, 200, 80, 255}, {70, 60, 58, 255}, {200, 160, 60, 255},
     {110, 160, 215, 255}, {215, 228, 230, 255}, {250, 250, 250, 255},
     {8, 12, 30, 255}, {30, 40, 70, 255},
     {255, 245, 225, 255}, {150, 160, 170, 255},
     {200, 40, 40, 255}, {240, 240, 235, 255}, 100.0f / 16, 6},
    // A desert with pyramids: sandstone terraces under striped awnings, dunes and a hot sky.
    {"level02", Style::Desert, 2202,
     {104, 164, 70, 255}, {90, 148, 60, 255}, {210, 180, 130, 255}, {222, 190, 140, 255}, {215, 175, 120, 255},
     {214, 184, 136, 255}, {40, 90, 160, 255}, {240, 200, 70, 255}, {230, 225, 210, 255}, {200, 70, 40, 255},
     {60, 120, 200, 255}, {235, 215, 180, 255}, {255, 250, 240, 255},
     {10, 10, 35, 255}, {50, 40, 70, 255},
     {255, 240, 210, 255}, {175, 160, 150, 255},
     {40, 90, 170, 255}, {240, 190, 40, 255}, 100.0f / 12, 5},
    // A savanna: timber stands with thatched roofs, acacias on rolling grass, late warm light.
    {"level03", Style::Savanna, 3303,
     {120, 160, 66, 255}, {104, 144, 56, 255}, {130, 135, 72, 255}, {168, 162, 92, 255}, {120, 128, 70, 255},
     {150, 110, 70, 255}, {230, 140, 40, 255}, {60, 130, 60, 255}, {196, 160, 96, 255}, {120, 60, 30, 255},
     {80, 130, 200, 255}, {250, 200, 140, 255}, {255, 235, 215, 255},
     {12, 10, 30, 255}, {60, 40, 60, 255},
     {255, 225, 180, 255}, {165, 150, 150, 255},
     {230, 120, 30, 255}, {40, 120, 60, 255}, 100.0f / 10, 1},
    // A modern stadium: a closed concrete bowl, blue seats, a steel roof and a city beyond.
    {"level04", Style::Modern, 4404,
     {70, 160, 70, 255}, {56, 138, 58, 255}, {60, 110, 60, 255}, {110, 110, 105, 255}, {90, 95, 100, 255},
     {185, 185, 190, 255}, {30, 80, 170, 255}, {220, 220, 225, 255}, {175, 180, 190, 255}, {30, 30, 35, 255},
     {40, 70, 140, 255}, {200, 170, 160, 255}, {240, 235, 240, 255},
     {5, 8, 22, 255}, {30, 35, 60, 255},
     {255, 245, 235, 255}, {160, 165, 180, 255},
     {30, 80, 180, 255}, {230, 230, 230, 255}, 100.0f / 20, 1},
};
// clang-format on

bool WriteLevels(const AssetContext& context)
{
    bool ok = true;
    for (int i = 0; i < kLevelCount; ++i) {
        const Theme& theme = kThemes[i];
        ok = WriteLevelTextures(context, theme) && ok;
        ok = WriteLevelWorld(context, theme) && ok;
        ok = WriteLevelDressing(context, theme) && ok;
        ok = WriteLevelSky(context, theme) && ok;
        ok = WriteLevelCameras(context, theme) && ok;
    }
    return ok;
}

const GeneratorRegistrar kLevels("world.levels", &WriteLevels);

}  // namespace

const Theme& LevelTheme(int index)
{
    return kThemes[std::clamp(index, 0, kLevelCount - 1)];
}

Vec3 ToSun()
{
    return Normalised(kSunPosition);
}

Rgba Lit(const Theme& theme, Rgba base, Vec3 normal)
{
    const float d = std::max(0.0f, Dot(Normalised(normal), ToSun()));
    // A little sky light from above as well, so faces away from the sun are not flat.
    const float sky = 0.12f * std::max(0.0f, normal.y);
    auto channel = [&](uint8_t b, uint8_t amb, uint8_t sun) {
        const float f = amb / 255.0f * 0.7f + sun / 255.0f * 0.6f * d + sky;
        return uint8_t(std::clamp(b * f + 0.5f, 0.0f, 255.0f));
    };
    return {channel(base.r, theme.ambientColour.r, theme.sunColour.r),
            channel(base.g, theme.ambientColour.g, theme.sunColour.g),
            channel(base.b, theme.ambientColour.b, theme.sunColour.b), base.a};
}

void BakeTheme(const Theme& theme, MeshBuilder& mesh, float occlusion)
{
    for (MeshVertex& v : mesh.Vertices())
        v.colour = Scale(Lit(theme, v.colour, v.normal), occlusion);
}

}  // namespace assets::world
