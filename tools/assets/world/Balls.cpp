// The match balls: the tournament ball (white panels with dark pentagons, from a subdivided
// icosahedron whose triangles take the colour of the nearest panel centre) and the rag ball
// (a lumpy cloth patchwork tied with string). The bounding sphere is the collision radius.
// Each carries a coarser mesh, drawn where the ball is about a pixel across and by the
// shadows below the best quality, where its outline is all that shows.
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Random.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/common/Mesh.h"
#include "tools/assets/world/Balls.h"

#include "engine/world/RpWorld.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace assets::world {

namespace {

constexpr uint32_t kBallFlags = kGeoPrelit | kGeoTextured | kGeoNormals | kGeoLight;
// Lit by the scene; the pre-lit part keeps it from going black without lights.
constexpr Rgba kBallBase{110, 110, 110, 255};
// Below this the coarse ball is drawn: no panel or lump of the full one can show there.
constexpr float kBallLowDetailBelowPixels = 1.5f;

struct Icosphere {
    std::vector<Vec3> points;
    std::vector<std::array<int, 3>> faces;
};

Icosphere Icosahedron()
{
    const float t = (1 + std::sqrt(5.0f)) / 2;
    Icosphere s;
    for (Vec3 p : {Vec3{-1, t, 0}, Vec3{1, t, 0}, Vec3{-1, -t, 0}, Vec3{1, -t, 0}, Vec3{0, -1, t}, Vec3{0, 1, t},
                   Vec3{0, -1, -t}, Vec3{0, 1, -t}, Vec3{t, 0, -1}, Vec3{t, 0, 1}, Vec3{-t, 0, -1}, Vec3{-t, 0, 1}})
        s.points.push_back(Normalised(p));
    s.faces = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
               {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
               {3, 8, 9},  {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    return s;
}

Icosphere Subdivide(const Icosphere& in)
{
    Icosphere out{in.points, {}};
    std::map<std::pair<int, int>, int> mid;
    auto midpoint = [&](int a, int b) {
        const auto key = std::minmax(a, b);
        const auto it = mid.find(key);
        if (it != mid.end())
            return it->second;
        out.points.push_back(Normalised(out.points[size_t(a)] + out.points[size_t(b)]));
        const int i = int(out.points.size()) - 1;
        mid.emplace(key, i);
        return i;
    };
    for (const auto& f : in.faces) {
        const int a = midpoint(f[0], f[1]), b = midpoint(f[1], f[2]), c = midpoint(f[2], f[0]);
        out.faces.push_back({f[0], a, c});
        out.faces.push_back({f[1], b, a});
        out.faces.push_back({f[2], c, b});
        out.faces.push_back({a, b, c});
    }
    return out;
}

Icosphere Subdivided(int times)
{
    Icosphere s = Icosahedron();
    for (int i = 0; i < times; ++i)
        s = Subdivide(s);
    return s;
}

MeshBuilder TournamentBall(int subdivisions)
{
    const Icosphere base = Icosahedron();
    // Panel centres: pentagons on the 12 corners, hexagons on the 20 faces.
    std::vector<Vec3> pentagons = base.points, hexagons;
    for (const auto& f : base.faces)
        hexagons.push_back(Normalised(base.points[size_t(f[0])] + base.points[size_t(f[1])] + base.points[size_t(f[2])]));
    const Icosphere s = Subdivided(subdivisions);
    MeshBuilder m;
    m.UseMaterial(m.Material("tournamentball"));
    m.SetColour(kBallBase);
    for (const auto& f : s.faces) {
        const Vec3 c = Normalised(s.points[size_t(f[0])] + s.points[size_t(f[1])] + s.points[size_t(f[2])]);
        float best = -2;
        bool pentagon = false;
        for (const Vec3& p : pentagons)
            if (Dot(c, p) > best) {
                best = Dot(c, p);
                pentagon = true;
            }
        // Hexagons win ties a little, which gives the pentagons their smaller size.
        for (const Vec3& h : hexagons)
            if (Dot(c, h) + 0.012f > best) {
                best = Dot(c, h) + 0.012f;
                pentagon = false;
            }
        // The texture: white leather on the left half, the dark panel colour on the right.
        const float u = pentagon ? 0.78f : 0.25f;
        uint32_t v[3];
        for (int k = 0; k < 3; ++k) {
            const Vec3 p = s.points[size_t(f[k])];
            v[k] = m.Vertex(p * kBallRadius, p, u + 0.06f * p.x, 0.5f + 0.4f * p.y);
        }
        m.Triangle(v[0], v[1], v[2]);
    }
    return m;
}

Image TournamentBallTexture()
{
    Image img(64, 64, {245, 245, 240, 255});
    img.FillRect(32, 0, 64, 64, {28, 30, 40, 255});
    img.FillRect(32, 0, 36, 64, {200, 160, 40, 255});  // a gold rim round the pentagons
    img.Grain(4, 0.04f, 7001);
    return img;
}

MeshBuilder RagBall(int subdivisions, int stringSegments)
{
    MeshBuilder m;
    m.UseMaterial(m.Material("ragball"));
    m.SetColour(kBallBase);
    const Icosphere s = Subdivided(subdivisions);
    std::vector<float> bump(s.points.size());
    for (size_t i = 0; i < bump.size(); ++i) {
        const Vec3 p = s.points[i];
        bump[i] = 1.0f + 0.06f * FractalNoise(p.x * 2 + 5, p.z * 2 + 5 + p.y, 16, 2, 7101);
    }
    for (const auto& f : s.faces) {
        uint32_t v[3];
        for (int k = 0; k < 3; ++k) {
            const Vec3 p = s.points[size_t(f[k])];
            // Spherical mapping: the patchwork texture wraps once around.
            const float u = std::atan2(p.z, p.x) / (2 * kPi) + 0.5f, vv = std::acos(std::clamp(p.y, -1.0f, 1.0f)) / kPi;
            v[k] = m.Vertex(p * (kBallRadius * bump[size_t(f[k])]), p, u, vv);
        }
        // Patch the seam where u jumps from 1 back to 0.
        auto& verts = m.Vertices();
        const float umax = std::max({verts[v[0]].u, verts[v[1]].u, verts[v[2]].u});
        for (uint32_t i : v)
            if (umax - verts[i].u > 0.5f)
                verts[i].u += 1;
        m.Triangle(v[0], v[1], v[2]);
    }
    // Two strings tied round it.
    m.UseMaterial(m.Material("", {120, 95, 60, 255}));
    m.SetColour({120, 95, 60, 255});
    for (int ring = 0; ring < 2; ++ring)
        for (int k = 0; k < stringSegments; ++k) {
            const float a0 = 2 * kPi * float(k) / float(stringSegments), a1 = 2 * kPi * float(k + 1) / float(stringSegments);
            const float r = kBallRadius * 1.04f;
            auto at = [&](float a) {
                return ring ? Vec3{std::cos(a) * r, std::sin(a) * r, 0} : Vec3{0, std::sin(a) * r, std::cos(a) * r};
            };
            m.Beam(at(a0), at(a1), 0.006f, 3);
        }
    return m;
}

Image RagBallTexture()
{
    Image img(128, 64);
    Rng rng(7200);
    const Rgba cloths[5] = {{150, 110, 70, 255}, {190, 160, 110, 255}, {120, 70, 50, 255}, {170, 150, 120, 255},
                            {100, 110, 80, 255}};
    for (int py = 0; py < 4; ++py)
        for (int px = 0; px < 8; ++px) {
            const Rgba c = cloths[rng.Below(5)];
            img.FillRect(px * 16, py * 16, px * 16 + 16, py * 16 + 16, c);
            if (rng.Unit() < 0.4f)  // striped cloth
                for (int k = 0; k < 16; k += 4)
                    img.FillRect(px * 16, py * 16 + k, px * 16 + 16, py * 16 + k + 1, Scale(c, 0.75f));
            // Stitches along the patch edges.
            for (int k = 1; k < 16; k += 3) {
                img.Set(px * 16 + k, py * 16, {235, 225, 200, 255});
                img.Set(px * 16, py * 16 + k, {235, 225, 200, 255});
            }
        }
    img.Grain(8, 0.1f, 7201);
    return img;
}

bool WriteBall(const AssetContext& context, const char* name, const MeshBuilder& mesh, const MeshBuilder& low,
               const Image& texture)
{
    RpClump* clump = BuildClump(mesh, kBallFlags);
    if (!clump)
        return false;
    RpGeometry* lowGeometry = low.BuildGeometry(kBallFlags);
    if (!lowGeometry) {
        RpClumpDestroy(clump);
        return false;
    }
    RpAtomicSetLowDetail(clump->atomics[0], lowGeometry, kBallLowDetailBelowPixels);
    RpGeometryDestroy(lowGeometry);
    const bool ok = WriteClumpFile(clump, context.Path(std::string("Balls/") + name + ".dff")) &&
                    context.WriteTexture("Balls", name, texture);
    RpClumpDestroy(clump);
    return ok;
}

bool WriteBalls(const AssetContext& context)
{
    const bool a =
        WriteBall(context, "tournamentball", TournamentBall(3), TournamentBall(1), TournamentBallTexture());
    const bool b = WriteBall(context, "ragball", RagBall(2, 16), RagBall(1, 8), RagBallTexture());
    return a && b;
}

const GeneratorRegistrar kBalls("world.balls", &WriteBalls);

}  // namespace

}  // namespace assets::world
