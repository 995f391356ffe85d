// Sky domes: a hemisphere around the camera with a skirt below the horizon, painted by a
// latitude-longitude texture; the day dome glows towards the sun.
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/world/Levels.h"

#include "engine/world/RpWorld.h"

#include <algorithm>
#include <cmath>

namespace assets::world {

namespace {

constexpr float kDomeRadius = 320.0f;

MeshBuilder Dome(const Theme& theme, const char* texture, bool sunGlow)
{
    MeshBuilder m;
    m.UseMaterial(m.Material(texture));
    constexpr int kRings = 12, kSegments = 32;
    const Vec3 sun = ToSun();
    std::vector<uint32_t> prev, cur;
    // Elevation from the zenith down to 12 degrees below the horizon.
    for (int r = 0; r <= kRings + 1; ++r) {
        cur.clear();
        const float elevation = r <= kRings ? kPi / 2 * (1 - float(r) / kRings) : -0.2f;
        for (int s = 0; s <= kSegments; ++s) {
            const float a = 2 * kPi * float(s) / kSegments;
            const Vec3 d{std::cos(elevation) * std::cos(a), std::sin(elevation), std::cos(elevation) * std::sin(a)};
            Rgba c{255, 255, 255, 255};
            if (sunGlow) {
                const float g = std::pow(std::max(0.0f, Dot(d, sun)), 6.0f);
                c = Scale(Mix({226, 226, 232, 255}, {255, 255, 255, 255}, g), 1.0f);
                c = Mix(c, theme.sunColour, g * 0.5f);
            }
            m.SetColour(c);
            const float v = std::clamp(1 - elevation / (kPi / 2), 0.0f, 0.995f);
            cur.push_back(m.Vertex(d * kDomeRadius, -d, float(s) / kSegments, v));
        }
        if (r > 0)
            for (int s = 0; s < kSegments; ++s) {
                // Wound to face the camera inside.
                m.Triangle(prev[size_t(s)], cur[size_t(s)], cur[size_t(s) + 1]);
                m.Triangle(prev[size_t(s)], cur[size_t(s) + 1], prev[size_t(s) + 1]);
            }
        std::swap(prev, cur);
    }
    return m;
}

bool WriteDome(const AssetContext& context, const Theme& theme, const char* file, const char* texture, bool glow)
{
    RpClump* clump = BuildClump(Dome(theme, texture, glow), kGeoPrelit | kGeoTextured);
    if (!clump)
        return false;
    const bool ok = WriteClumpFile(clump, context.Path(std::string(theme.folder) + "/Objects/" + file));
    RpClumpDestroy(clump);
    return ok;
}

}  // namespace

bool WriteLevelSky(const AssetContext& context, const Theme& theme)
{
    return WriteDome(context, theme, "skydome.dff", "sky", true) &&
           WriteDome(context, theme, "sky_night.dff", "sky_night", false);
}

}  // namespace assets::world
