// The stadium dressing the match shows or hides by name: benches and their shadows (full and
// short), the crowd on the tiers, spectator figures, and flags.
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Random.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/world/Stadium.h"

#include "engine/world/RpWorld.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

namespace assets::world {

namespace {

constexpr Rgba kWhite{255, 255, 255, 255};
constexpr float kBenchZ = -(kHalfWidth + 5.0f);
constexpr uint32_t kPrelitFlags = kGeoPrelit | kGeoTextured | kGeoNormals;

bool WriteModel(const AssetContext& context, const Theme& theme, const char* name,
                std::span<const MeshBuilder> parts)
{
    RpClump* clump = BuildClump(parts, kPrelitFlags);
    if (!clump) {
        std::fprintf(stderr, "tbasset: %s/%s is empty\n", theme.folder, name);
        return false;
    }
    const bool ok = WriteClumpFile(clump, context.Path(std::string(theme.folder) + "/Objects/" + name + ".dff"));
    RpClumpDestroy(clump);
    return ok;
}

bool WriteModel(const AssetContext& context, const Theme& theme, const char* name, const MeshBuilder& mesh)
{
    return WriteModel(context, theme, name, std::span<const MeshBuilder>(&mesh, 1));
}

// Two dugouts either side of the halfway line on the near touch line, `length` long.
MeshBuilder Benches(const Theme& theme, float length)
{
    MeshBuilder m;
    const int shell = m.Material("bench"), plain = m.Material("", kWhite);
    for (int side = -1; side <= 1; side += 2) {
        const float cx = side * (4.0f + length / 2);
        const float x0 = cx - length / 2, x1 = cx + length / 2;
        const float z0 = kBenchZ - 1.0f, z1 = kBenchZ + 1.0f;
        m.UseMaterial(plain);
        m.SetColour({70, 72, 80, 255});
        m.Box({x0, 0, z0}, {x1, 0.15f, z1});
        // Shell: back wall, roof sloping towards the pitch, glazed ends.
        m.UseMaterial(shell);
        m.SetColour(kWhite);
        m.Quad({x1, 0, z0}, {x0, 0, z0}, {x0, 2.1f, z0}, {x1, 2.1f, z0}, 0, 0, length / 2, 0.5f);
        m.Quad({x0, 2.1f, z0}, {x1, 2.1f, z0}, {x1, 1.7f, z1 + 0.3f}, {x0, 1.7f, z1 + 0.3f}, 0, 0, length / 2, 0.5f);
        for (int e = 0; e < 2; ++e) {
            const float x = e ? x1 : x0;
            m.Quad({x, 0, z1}, {x, 0, z0}, {x, 2.1f, z0}, {x, 1.7f, z1 + 0.3f}, 0, 0, 1, 0.5f);
        }
        // A row of seats inside.
        m.SetColour(kWhite);
        for (float x = x0 + 0.4f; x < x1 - 0.3f; x += 0.6f) {
            m.UseMaterial(plain);
            m.SetColour(theme.seatA);
            m.Box({x, 0.15f, z0 + 0.2f}, {x + 0.45f, 0.55f, z0 + 0.65f});
            m.Box({x, 0.55f, z0 + 0.15f}, {x + 0.45f, 1.1f, z0 + 0.25f});
        }
        m.SetColour(kWhite);
    }
    BakeTheme(theme, m);
    return m;
}

MeshBuilder BenchShadows(float length)
{
    MeshBuilder m;
    m.UseMaterial(m.Material("shadow"));
    m.SetColour(kWhite);
    for (int side = -1; side <= 1; side += 2) {
        const float cx = side * (4.0f + length / 2) + 0.6f;  // the sun stands to +x
        const float hx = length / 2 + 0.9f;
        const float y = 0.015f;
        m.Quad({cx - hx, y, kBenchZ + 1.9f}, {cx + hx, y, kBenchZ + 1.9f}, {cx + hx, y, kBenchZ - 1.6f},
               {cx - hx, y, kBenchZ - 1.6f});
    }
    return m;
}

// Strips of painted spectators on every tread of every stand.
MeshBuilder Crowd(const Theme& theme)
{
    MeshBuilder m;
    const int a = m.Material("crowd_a"), b = m.Material("crowd_b");
    const StadiumLayout layout = LayoutFor(theme);
    m.SetColour(kWhite);
    int k = 0;
    for (const StandProfile& s : layout.stands)
        for (int t = 0; t < s.tiers; ++t) {
            m.UseMaterial((t + k) % 2 ? a : b);
            const Vec3 lo0 = TierPoint(s, t, -s.half + 0.3f, 0.55f), lo1 = TierPoint(s, t, s.half - 0.3f, 0.55f);
            const Vec3 up = Vec3{0, 1.05f, 0} + s.out * 0.15f;
            const float u = (2 * s.half) / 12.0f;
            const float shift = float((t * 37 + k * 11) % 17) / 17.0f;
            m.Quad(lo0, lo1, lo1 + up, lo0 + up, shift, 1, shift + u, 0);
            ++k;
        }
    // Faces turn to the pitch; the light falls on them from the front.
    for (MeshVertex& v : m.Vertices())
        v.colour = Lit(theme, kWhite, {v.normal.x * 0.3f, 0.8f, v.normal.z * 0.3f});
    return m;
}

// Spectator figures at the front of the end stands and along the near stand's aisles, in
// pieces of about this length along each stand: a piece out of view is left out whole, and
// the near stand is behind the broadcast camera.
constexpr float kSpectatorPiece = 15.0f;

std::vector<MeshBuilder> SpectatorModels(const Theme& theme)
{
    std::vector<MeshBuilder> pieces;
    Rng rng(theme.seed + 400);
    const StadiumLayout layout = LayoutFor(theme);
    const Rgba skins[4] = {{236, 200, 170, 255}, {200, 150, 110, 255}, {140, 95, 60, 255}, {95, 65, 45, 255}};
    const Rgba shirts[4] = {theme.teamA, theme.teamB, {235, 235, 235, 255}, {50, 55, 70, 255}};
    for (int si = 0; si < 4; ++si) {
        const StandProfile& s = layout.stands[si];
        const int count = std::max(1, int(std::ceil(2 * s.half / kSpectatorPiece)));
        const size_t first = pieces.size();
        pieces.resize(first + size_t(count));
        for (size_t i = first; i < pieces.size(); ++i)
            pieces[i].UseMaterial(pieces[i].Material("", kWhite));
        for (float a = -s.half + 1.0f; a < s.half - 1.0f; a += rng.Range(1.2f, 2.4f)) {
            const int piece = std::min(count - 1, int((a + s.half) * float(count) / (2 * s.half)));
            MeshBuilder& m = pieces[first + size_t(piece)];
            const int tier = rng.Below(2);
            const Vec3 feet = TierPoint(s, tier, a, 0.5f);
            const Frame3 place{Normalised(Cross({0, 1, 0}, -s.out)), {0, 1, 0}, -s.out, feet};
            m.SetTransform(place);
            const float scale = rng.Range(0.9f, 1.05f);
            m.SetColour(Scale(shirts[rng.Below(4)], rng.Range(0.85f, 1.05f)));
            m.Box({-0.22f, 0.55f * scale, -0.13f}, {0.22f, 1.25f * scale, 0.13f}, 0, 0x3B);
            m.SetColour({60, 60, 75, 255});
            m.Box({-0.2f, 0.0f, -0.12f}, {-0.02f, 0.55f * scale, 0.12f}, 0, 0x3B);
            m.Box({0.02f, 0.0f, -0.12f}, {0.2f, 0.55f * scale, 0.12f}, 0, 0x3B);
            m.SetColour(skins[rng.Below(4)]);
            m.Sphere({0, 1.42f * scale, 0}, 0.15f, 4, 6);
            // Arms up for some, down for the others.
            const bool cheering = rng.Unit() < 0.4f;
            for (int e = -1; e <= 1; e += 2) {
                const Vec3 shoulder{e * 0.27f, 1.2f * scale, 0};
                const Vec3 hand = cheering ? shoulder + Vec3{e * 0.15f, 0.6f, -0.05f} : shoulder + Vec3{e * 0.05f, -0.55f, 0};
                m.Beam(shoulder, hand, 0.06f, 4);
            }
        }
    }
    for (MeshBuilder& m : pieces) {
        m.SetTransform({});
        BakeTheme(theme, m);
    }
    return pieces;
}

// Flags on poles along the roofs or the top of the stands.
MeshBuilder RoofFlags(const Theme& theme)
{
    MeshBuilder m;
    const StadiumLayout layout = LayoutFor(theme);
    int n = 0;
    for (int si = 0; si < 4; ++si) {
        if (si == 1)
            continue;  // the near stand is under the main camera
        const StandProfile& s = layout.stands[si];
        const bool roofed = si < 2 || theme.style == Style::Modern;
        const float y0 = s.top + (roofed ? 5.0f : 1.2f);
        for (float a = -s.half + 4; a <= s.half - 4 + 0.01f; a += (2 * s.half - 8) / 4) {
            const Vec3 base = s.front + s.along * a + s.out * (s.depth + 0.2f) + Vec3{0, y0, 0};
            const Vec3 top = base + Vec3{0, 4.0f, 0};
            m.UseMaterial(m.Material("", kWhite));
            m.SetColour({200, 200, 200, 255});
            m.Beam(base, top, 0.05f, 4);
            // The cloth flies downwind (towards -x), in a gentle wave.
            m.UseMaterial(m.Material("flag_" + std::to_string(n % 4 + 1)));
            m.SetColour(kWhite);
            const size_t cloth = m.TriangleCount();
            std::vector<uint32_t> lo, hi;
            for (int k = 0; k <= 6; ++k) {
                const float t = k / 6.0f;
                const Vec3 off{-2.4f * t, -0.1f * t, 0.25f * std::sin(t * 6 + n)};
                const Vec3 nrm = Normalised({0.25f * std::cos(t * 6 + n), 0, 1});
                hi.push_back(m.Vertex(top + off, nrm, t, 0));
                lo.push_back(m.Vertex(top + off - Vec3{0, 1.3f, 0}, nrm, t, 1));
            }
            for (size_t k = 0; k < 6; ++k) {
                m.Triangle(hi[k], lo[k], lo[k + 1]);
                m.Triangle(hi[k], lo[k + 1], hi[k + 1]);
            }
            m.AddBackFaces(cloth, m.TriangleCount());
            ++n;
        }
    }
    BakeTheme(theme, m);
    return m;
}

// Flags waved in the crowd, on one stand (0..3 as in the layout).
MeshBuilder CrowdFlags(const Theme& theme, int stand, int variant)
{
    MeshBuilder m;
    Rng rng(theme.seed + 500 + uint32_t(stand));
    const StandProfile& s = LayoutFor(theme).stands[stand];
    for (int i = 0; i < 14; ++i) {
        const float a = rng.Range(-s.half + 2, s.half - 2);
        const int tier = 1 + rng.Below(s.tiers - 2);
        const Vec3 hand = TierPoint(s, tier, a, 0.5f) + Vec3{0, 1.6f, 0};
        const Vec3 top = hand + Vec3{rng.Range(-0.4f, 0.4f), 1.6f, 0} - s.out * 0.3f;
        m.UseMaterial(m.Material("", kWhite));
        m.SetColour({90, 70, 50, 255});
        m.Beam(hand, top, 0.03f, 4);
        m.UseMaterial(m.Material("flag_" + std::to_string((variant + i) % 4 + 1)));
        m.SetColour(kWhite);
        const Vec3 fly = s.along * (rng.Unit() < 0.5f ? 1.4f : -1.4f);
        const size_t cloth = m.TriangleCount();
        m.Quad(top - Vec3{0, 0.9f, 0}, top - Vec3{0, 0.9f, 0} + fly + Vec3{0, 0.1f, 0}, top + fly + Vec3{0, 0.1f, 0},
               top, 0, 1, 1, 0);
        m.AddBackFaces(cloth, m.TriangleCount());
    }
    BakeTheme(theme, m);
    return m;
}

}  // namespace

bool WriteLevelDressing(const AssetContext& context, const Theme& theme)
{
    bool ok = true;
    ok = WriteModel(context, theme, "markings", BuildMarkings(theme)) && ok;
    ok = WriteModel(context, theme, "benches", Benches(theme, 9.0f)) && ok;
    ok = WriteModel(context, theme, "benches_shadow", BenchShadows(9.0f)) && ok;
    ok = WriteModel(context, theme, "short_benches", Benches(theme, 4.8f)) && ok;
    ok = WriteModel(context, theme, "short_benches_shadow", BenchShadows(4.8f)) && ok;
    ok = WriteModel(context, theme, "Crowd", Crowd(theme)) && ok;
    ok = WriteModel(context, theme, "spec_mods_crowd", SpectatorModels(theme)) && ok;
    ok = WriteModel(context, theme, "flags", RoofFlags(theme)) && ok;
    ok = WriteModel(context, theme, "flags_01", CrowdFlags(theme, 0, 0)) && ok;
    ok = WriteModel(context, theme, "flags_02", CrowdFlags(theme, 2, 1)) && ok;
    ok = WriteModel(context, theme, "flags_03", CrowdFlags(theme, 3, 2)) && ok;
    return ok;
}

}  // namespace assets::world
