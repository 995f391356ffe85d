// The level world: pitch, markings, goals, stands, boards, floodlights and the landscape of
// each mood, in one mesh that becomes a sectored world.
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Random.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/world/Levels.h"
#include "tools/assets/world/Stadium.h"
#include "tools/assets/world/WorldBuild.h"

#include "engine/world/RpWorld.h"
#include "frontend/selection/SelectionBench.h"

#include <algorithm>
#include <cmath>

namespace assets::world {

namespace {

constexpr Rgba kWhite{255, 255, 255, 255};
// Between the selection's seat row and the boards' turn, so no seat stands at a corner.
constexpr float kRecessRoom = 0.5f;
// The plank from the seats' line back: behind a standing candidate's legs, under the back of
// a seated one.
constexpr float kSeatFront = 0.15f, kSeatBack = 0.6f;

float Smoothstep(float a, float b, float x)
{
    const float t = std::clamp((x - a) / (b - a), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

// Height of the land around the stadium; flat where the stadium stands.
float TerrainHeight(const Theme& theme, float x, float z)
{
    const float r = std::sqrt(x * x + z * z);
    const float rise = Smoothstep(115, 260, r);
    const float n = FractalNoise(x / 60.0f + 50, z / 60.0f + 50, 64, 4, theme.seed + 5) * 0.5f + 0.5f;
    switch (theme.style) {
    case Style::Bamboo: return Smoothstep(140, 330, r) * (6 + 40 * n);
    case Style::Desert: return Smoothstep(130, 300, r) * 14 * std::fabs(std::sin(x / 37.0f + 3 * n) + 0.6f * std::sin(z / 23.0f));
    case Style::Savanna: return rise * (4 + 26 * n);
    case Style::Modern: return rise * 3 * n;
    }
    return 0;
}

void AddGround(const Theme& theme, MeshBuilder& m)
{
    // Mowed grass in stripes across the pitch, running on to the boards.
    constexpr float kGrassX = 57.0f, kGrassZ = 38.5f;
    m.UseMaterial(m.Material("grass"));
    const int stripes = int(std::lround(2 * kHalfLength / theme.stripeWidth));
    std::vector<float> xs{-kGrassX};
    for (int i = 0; i <= stripes; ++i)
        xs.push_back(-kHalfLength + i * theme.stripeWidth);
    xs.push_back(kGrassX);
    const float zs[5] = {-kGrassZ, -kHalfWidth, 0, kHalfWidth, kGrassZ};
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        // The first and last bands lie beyond the goal lines: no stripe there.
        const int stripe = (i > 0 && i + 2 < xs.size()) ? int(i) - 1 : -1;
        m.SetColour(stripe < 0 ? Mix(theme.grassLight, theme.grassDark, 0.5f)
                    : (stripe % 2) ? theme.grassDark : theme.grassLight);
        for (int k = 0; k < 4; ++k)
            m.Quad({xs[i], 0, zs[k + 1]}, {xs[i + 1], 0, zs[k + 1]}, {xs[i + 1], 0, zs[k]}, {xs[i], 0, zs[k]},
                   xs[i] / 4, zs[k + 1] / 4, xs[i + 1] / 4, zs[k] / 4);
    }

    // The apron: a flat frame from the grass to the land around.
    constexpr float kApron = 100.0f;
    m.UseMaterial(m.Material("apron"));
    m.SetColour(kWhite);
    auto flat = [&](float x0, float z0, float x1, float z1) {
        m.Quad({x0, 0, z1}, {x1, 0, z1}, {x1, 0, z0}, {x0, 0, z0}, x0 / 8, z1 / 8, x1 / 8, z0 / 8);
    };
    flat(-kApron, kGrassZ, kApron, kApron);
    flat(-kApron, -kApron, kApron, -kGrassZ);
    flat(-kApron, -kGrassZ, -kGrassX, kGrassZ);
    flat(kGrassX, -kGrassZ, kApron, kGrassZ);

    // The land: rings from the apron's square edge out to a far circle.
    m.UseMaterial(m.Material("terrain"));
    constexpr int kSegments = 64, kRings = 12;
    constexpr float kFar = 420.0f;
    std::vector<uint32_t> prev, cur;
    for (int r = 0; r <= kRings; ++r) {
        cur.clear();
        const float t = float(r) / kRings;
        for (int s = 0; s <= kSegments; ++s) {
            const float a = 2 * kPi * float(s) / kSegments;
            const float c = std::cos(a), sn = std::sin(a);
            const float square = kApron / std::max(std::fabs(c), std::fabs(sn));
            const float radius = square + (kFar - square) * t * t;
            const float x = c * radius, z = sn * radius;
            const float y = r == 0 ? 0.0f : TerrainHeight(theme, x, z);
            // Normals from the height field's slope.
            const float e = 2.0f;
            const Vec3 n = Normalised({TerrainHeight(theme, x - e, z) - TerrainHeight(theme, x + e, z), 2 * e,
                                       TerrainHeight(theme, x, z - e) - TerrainHeight(theme, x, z + e)});
            m.SetColour(Mix(kWhite, theme.hills, Smoothstep(0, 50, y)));
            cur.push_back(m.Vertex({x, y, z}, r == 0 ? Vec3{0, 1, 0} : n, x / 12, z / 12));
        }
        if (r > 0)
            for (int s = 0; s < kSegments; ++s) {
                m.Triangle(prev[size_t(s)], cur[size_t(s) + 1], cur[size_t(s)]);
                m.Triangle(prev[size_t(s)], prev[size_t(s) + 1], cur[size_t(s) + 1]);
            }
        std::swap(prev, cur);
    }
}

// A line is drawn kLineSpread times as wide as it is painted, with the paint in the middle of
// a texture that is clear on both sides and runs across the line. Far away, where the paint is
// thinner than a pixel and its edges would break into dashes, the texture's smaller levels
// spread it thinly over the whole width. v stays put, so only the width picks the level.
constexpr float kLineSpread = 4.0f;
constexpr float kPaintU0 = 0.0f, kPaintU1 = 1.0f, kPaintV = 0.5f;

// A ground stripe from a to b (on the grass), painted w wide.
void Stripe(MeshBuilder& m, float x0, float z0, float x1, float z1, float w)
{
    const Vec3 a{x0, kLineHeight, z0}, b{x1, kLineHeight, z1};
    const Vec3 d = Normalised(b - a);
    const Vec3 side = Vec3{-d.z, 0, d.x} * (w * kLineSpread / 2);
    m.Quad(b + side, b - side, a - side, a + side, kPaintU0, kPaintV, kPaintU1, kPaintV);
}

// An arc of a line around (cx, cz) from angle a0 to a1 (radians, x towards z).
void Arc(MeshBuilder& m, float cx, float cz, float r, float a0, float a1, int segments)
{
    const float w = kLineWidth * kLineSpread / 2;
    for (int i = 0; i < segments; ++i) {
        const float s0 = a0 + (a1 - a0) * i / segments, s1 = a0 + (a1 - a0) * (i + 1) / segments;
        auto at = [&](float a, float rr) { return Vec3{cx + std::cos(a) * rr, kLineHeight, cz + std::sin(a) * rr}; };
        m.Quad(at(s0, r + w), at(s0, r - w), at(s1, r - w), at(s1, r + w), kPaintU0, kPaintV, kPaintU1, kPaintV);
    }
}

// A painted spot: a disc, all of it from the paint in the texture's middle.
void Spot(MeshBuilder& m, float cx, float cz, float r)
{
    constexpr int kSegments = 12;
    const Vec3 up{0, 1, 0};
    const uint32_t centre = m.Vertex({cx, kLineHeight, cz}, up, 0.5f, kPaintV);
    std::vector<uint32_t> rim;
    for (int i = 0; i <= kSegments; ++i) {
        const float a = 2 * kPi * static_cast<float>(i) / kSegments;
        rim.push_back(m.Vertex({cx + std::cos(a) * r, kLineHeight, cz + std::sin(a) * r}, up, 0.5f, kPaintV));
    }
    for (size_t i = 0; i < kSegments; ++i)
        m.Triangle(centre, rim[i + 1], rim[i]);
}

void AddMarkings(const Theme& theme, MeshBuilder& m)
{
    m.UseMaterial(m.Material("lines", kWhite));
    // Paint stays bright whatever the light: the lines must read from the far stand.
    m.SetColour(Scale(Lit(theme, {250, 250, 245, 255}, {0, 1, 0}), 1.35f));
    const float L = kHalfLength, W = kHalfWidth, w = kLineWidth;
    // Touch lines, goal lines, halfway line.
    Stripe(m, -L - w / 2, -W, L + w / 2, -W, w);
    Stripe(m, -L - w / 2, W, L + w / 2, W, w);
    Stripe(m, -L, -W, -L, W, w);
    Stripe(m, L, -W, L, W, w);
    Stripe(m, 0, -W, 0, W, w);
    Arc(m, 0, 0, 8.7f, 0, 2 * kPi, 64);
    constexpr float kSpot = 0.16f;
    for (int side = -1; side <= 1; side += 2) {
        const float gx = side * L, in = -float(side);
        // Penalty area, goal area, spot and arc.
        const float pd = kPenaltyAreaDepth, pw = kPenaltyAreaHalfWidth, gd = 5.2f, gw = 8.5f;
        Stripe(m, gx, -pw, gx + in * pd, -pw, w);
        Stripe(m, gx, pw, gx + in * pd, pw, w);
        Stripe(m, gx + in * pd, -pw - w / 2, gx + in * pd, pw + w / 2, w);
        Stripe(m, gx, -gw, gx + in * gd, -gw, w);
        Stripe(m, gx, gw, gx + in * gd, gw, w);
        Stripe(m, gx + in * gd, -gw - w / 2, gx + in * gd, gw + w / 2, w);
        const float spot = gx + in * kPenaltySpotDistance;
        Spot(m, spot, 0, kSpot + w / 2);
        // The arc outside the area: |x - spot| > pd - the spot's distance.
        const float half = std::acos((pd - kPenaltySpotDistance) / 8.7f);
        const float facing = side < 0 ? 0.0f : kPi;
        Arc(m, spot, 0, 8.7f, facing - half, facing + half, 20);
        // Corner arcs.
        for (int end = -1; end <= 1; end += 2) {
            const float a0 = side < 0 ? (end < 0 ? 0.0f : -kPi / 2) : (end < 0 ? kPi / 2 : kPi);
            Arc(m, gx, end * W, 0.95f, a0, a0 + kPi / 2, 8);
        }
    }
    Spot(m, 0, 0, kSpot + w / 2);
}

void AddGoal(MeshBuilder& m, int side)
{
    const float x = side * kHalfLength, back = side * (kHalfLength + kGoalDepth);
    const float xTop = side * (kHalfLength + 0.9f), yBack = kGoalHeight - 0.3f;
    const float z = kGoalHalfWidth, h = kGoalHeight, r = 0.06f;
    m.UseMaterial(m.Material("", kWhite));
    m.SetColour({250, 250, 250, 255});
    // Posts and crossbar, as thick as the lines.
    m.Beam({x, 0, -z}, {x, h + r, -z}, r, 10);
    m.Beam({x, 0, z}, {x, h + r, z}, r, 10);
    m.Beam({x, h, -z - r}, {x, h, z + r}, r, 10);
    // The frame that holds the net.
    m.SetColour({190, 190, 190, 255});
    const float rb = 0.025f;
    for (int e = -1; e <= 1; e += 2) {
        m.Beam({x, 0.02f, e * z}, {back, 0.02f, e * z}, rb, 6);
        m.Beam({x, h, e * z}, {xTop, yBack, e * z}, rb, 6);
        m.Beam({xTop, yBack, e * z}, {back, 0.02f, e * z}, rb, 6);
    }
    m.Beam({back, 0.02f, -z}, {back, 0.02f, z}, rb, 6);
    m.Beam({xTop, yBack, -z}, {xTop, yBack, z}, rb, 6);
    // The net: roof, back and two sides, one texture cell per 0.2 units.
    m.UseMaterial(m.Material("net", kWhite));
    m.SetColour(kWhite);
    const float cell = 0.8f;
    const float depthTop = std::fabs(xTop - x), slope = std::hypot(kGoalDepth - 0.9f, yBack);
    m.Quad({x, h, -z}, {x, h, z}, {xTop, yBack, z}, {xTop, yBack, -z}, 0, 0, 2 * z / cell, depthTop / cell);
    m.Quad({xTop, yBack, -z}, {xTop, yBack, z}, {back, 0, z}, {back, 0, -z}, 0, 0, 2 * z / cell, slope / cell);
    for (int e = -1; e <= 1; e += 2) {
        const float ez = e * z;
        // Side: the quad from the post back to the frame, then the triangle under the slope.
        const uint32_t a = m.Vertex({x, 0, ez}, {0, 0, float(e)}, 0, h / cell);
        const uint32_t b = m.Vertex({x, h, ez}, {0, 0, float(e)}, 0, 0);
        const uint32_t c = m.Vertex({xTop, yBack, ez}, {0, 0, float(e)}, depthTop / cell, (h - yBack) / cell);
        const uint32_t d = m.Vertex({back, 0, ez}, {0, 0, float(e)}, kGoalDepth / cell, h / cell);
        const uint32_t f = m.Vertex({xTop, 0, ez}, {0, 0, float(e)}, depthTop / cell, h / cell);
        // Wound to face the way of the side's normal, at either end of the pitch.
        const bool turn = (xTop - x) * float(e) > 0;
        const auto triangle = [&](uint32_t p, uint32_t q, uint32_t r) {
            turn ? m.Triangle(p, r, q) : m.Triangle(p, q, r);
        };
        triangle(a, b, c);
        triangle(a, c, f);
        triangle(f, c, d);
    }
}

}  // namespace

// A stepped stand: tiers rising outwards from `front` along `out` (a unit vector on the
// ground), spanning `half` either side along `along`.
void AddTiers(MeshBuilder& m, const Theme& theme, Vec3 front, Vec3 out, Vec3 along, float half, int tiers,
              StandProfile* profile)
{
    const int seats = m.Material("seats"), concrete = m.Material("concrete");
    m.SetColour(kWhite);
    auto p = [&](float a, float d, float y) { return front + along * a + out * d + Vec3{0, y, 0}; };
    const float uLen = 2 * half / 4.0f;
    // Front wall up to the first tier.
    m.UseMaterial(concrete);
    m.Quad(p(-half, 0, 0), p(half, 0, 0), p(half, 0, kStandBase), p(-half, 0, kStandBase), 0, 0, uLen, 0.5f);
    for (int i = 0; i < tiers; ++i) {
        const float d0 = i * kTierDepth, d1 = d0 + kTierDepth, y = kStandBase + i * kTierRise;
        m.UseMaterial(seats);
        m.Quad(p(-half, d0, y), p(half, d0, y), p(half, d1, y), p(-half, d1, y), 0, 0, uLen, 1);
        m.UseMaterial(concrete);
        m.Quad(p(-half, d1, y), p(half, d1, y), p(half, d1, y + kTierRise), p(-half, d1, y + kTierRise), 0, 0,
               uLen, 0.25f);
        // End caps: the stair profile seen from the side.
        for (int e = -1; e <= 1; e += 2)
            m.Quad(p(e * half, d0, 0), p(e * half, d1, 0), p(e * half, d1, y), p(e * half, d0, y), d0 / 4, 0,
                   d1 / 4, y / 4);
    }
    const float depth = tiers * kTierDepth, top = kStandBase + tiers * kTierRise;
    // Back wall, seen from outside.
    m.UseMaterial(concrete);
    m.Quad(p(half, depth, 0), p(-half, depth, 0), p(-half, depth, top + 1.2f), p(half, depth, top + 1.2f), 0, 0,
           uLen, (top + 1.2f) / 4);
    // A parapet along the top.
    m.Quad(p(-half, depth - 0.15f, top), p(half, depth - 0.15f, top), p(half, depth - 0.15f, top + 1.2f),
           p(-half, depth - 0.15f, top + 1.2f), 0, 0, uLen, 0.3f);
    // Stairways: lighter strips every 12 units.
    m.UseMaterial(m.Material("", kWhite));
    m.SetColour(Scale(theme.wall, 1.15f));
    for (float a = -half + 6; a < half - 3; a += 12)
        for (int i = 0; i < tiers; ++i) {
            const float d0 = i * kTierDepth, d1 = d0 + kTierDepth, y = kStandBase + i * kTierRise + 0.02f;
            m.Quad(p(a - 0.5f, d0, y), p(a + 0.5f, d0, y), p(a + 0.5f, d1, y), p(a - 0.5f, d1, y));
        }
    m.SetColour(kWhite);
    if (profile)
        *profile = {front, out, along, half, tiers, depth, top};
}

namespace {

// A roof over a stand: from behind the top tier forward over `reach` of its depth.
void AddRoof(MeshBuilder& m, const Theme& theme, const StandProfile& s, float reach)
{
    auto p = [&](float a, float d, float y) { return s.front + s.along * a + s.out * d + Vec3{0, y, 0}; };
    const float back = s.depth + 0.3f, front = s.depth * (1 - reach);
    const float yBack = s.top + 4.5f, yFront = s.top + 3.5f;
    const int roof = m.Material("roof"), plain = m.Material("", kWhite);
    const float uLen = 2 * s.half / 4;
    m.SetColour(kWhite);
    m.UseMaterial(roof);
    const size_t first = m.TriangleCount();
    if (theme.style == Style::Bamboo) {
        // Tiled roof with the eaves turned up at the front and the ends.
        const float curl[4] = {0.0f, 0.15f, 0.55f, 1.4f};
        for (int k = 0; k < 3; ++k) {
            const float t0 = k / 3.0f, t1 = (k + 1) / 3.0f;
            const float d0 = back + (front - back) * t0, d1 = back + (front - back) * t1;
            const float y0 = yBack + 1.5f + (yFront - yBack - 1.5f) * t0 + curl[k];
            const float y1 = yBack + 1.5f + (yFront - yBack - 1.5f) * t1 + curl[k + 1];
            m.Quad(p(-s.half - 1, d0, y0), p(s.half + 1, d0, y0), p(s.half + 1, d1, y1), p(-s.half - 1, d1, y1), 0,
                   t0 * 3, uLen, t1 * 3);
        }
    } else if (theme.style == Style::Desert) {
        // Awning cloth in bays between poles, sagging a little.
        for (float a = -s.half; a < s.half - 0.1f; a += 8) {
            const float b = std::min(a + 8, s.half);
            m.Quad(p(a, back, yBack), p(b, back, yBack), p(b, front, yFront), p(a, front, yFront), 0, 0, 1, 1);
        }
    } else if (theme.style == Style::Savanna) {
        // Thatch: a steep ridge roof.
        const float mid = (back + front) / 2;
        m.Quad(p(-s.half - 1, back + 1, yBack - 0.5f), p(s.half + 1, back + 1, yBack - 0.5f),
               p(s.half + 1, mid, yBack + 3), p(-s.half - 1, mid, yBack + 3), 0, 0, uLen, 1.5f);
        m.Quad(p(-s.half - 1, mid, yBack + 3), p(s.half + 1, mid, yBack + 3), p(s.half + 1, front - 1, yFront - 0.5f),
               p(-s.half - 1, front - 1, yFront - 0.5f), 0, 0, uLen, 1.5f);
    } else {
        m.Quad(p(-s.half, back, yBack), p(s.half, back, yBack), p(s.half, front, yFront), p(-s.half, front, yFront), 0,
               0, uLen, 3);
    }
    // Seen from above and from below.
    m.AddBackFaces(first, m.TriangleCount());
    // Columns at the back and the front.
    m.UseMaterial(plain);
    m.SetColour(theme.style == Style::Bamboo ? theme.seatA : theme.trim);
    for (float a = -s.half; a <= s.half + 0.1f; a += 16) {
        const float aa = std::clamp(a, -s.half + 0.3f, s.half - 0.3f);
        m.Beam(p(aa, back, 0), p(aa, back, yBack + 0.2f), 0.22f, 6);
        m.Beam(p(aa, front, s.top - (s.depth - front) / kTierDepth * kTierRise), p(aa, front, yFront + 0.2f), 0.12f, 6);
    }
    // A fascia along the front edge.
    m.SetColour(theme.trim);
    m.Quad(p(-s.half - 1, front, yFront - 0.6f), p(s.half + 1, front, yFront - 0.6f), p(s.half + 1, front, yFront),
           p(-s.half - 1, front, yFront));
    m.SetColour(kWhite);
}

void AddAdBoards(MeshBuilder& m)
{
    m.UseMaterial(m.Material("adboards"));
    m.SetColour(kWhite);
    const float bx = kHalfLength + 4.0f, bz = kHalfWidth + 3.2f, h = 0.9f;
    auto board = [&](Vec3 a, Vec3 b) {
        const float len = Length(b - a);
        m.Quad(a, b, b + Vec3{0, h, 0}, a + Vec3{0, h, 0}, 0, 1, len / 8, 0);
    };
    // The far line steps back round the selection's seat row, with a little room at its ends.
    const SelectionRow row = SelectionRowExtent();
    const float x0 = row.left - kRecessRoom, x1 = row.right + kRecessRoom;
    // The recess's ends are seen from along the line as well, so from both sides.
    auto end = [&](Vec3 a, Vec3 b) {
        const size_t first = m.TriangleCount();
        board(a, b);
        m.AddBackFaces(first, m.TriangleCount());
    };
    board({-bx, 0, bz}, {x0, 0, bz});
    end({x0, 0, bz}, {x0, 0, kSelectionBoardsZ});
    board({x0, 0, kSelectionBoardsZ}, {x1, 0, kSelectionBoardsZ});
    end({x1, 0, kSelectionBoardsZ}, {x1, 0, bz});
    board({x1, 0, bz}, {bx, 0, bz});
    board({bx, 0, -bz}, {-bx, 0, -bz});
    board({-bx, 0, -bz}, {-bx, 0, -5});
    board({-bx, 0, 5}, {-bx, 0, bz});
    board({bx, 0, bz}, {bx, 0, 5});
    board({bx, 0, -5}, {bx, 0, -bz});
}

// A plank on trestles along the seats' line; the candidates face the pitch.
void AddSelectionRow(MeshBuilder& m, const Theme& theme)
{
    const SelectionRow row = SelectionRowExtent();
    const float front = row.z + kSeatFront, back = row.z + kSeatBack, thick = 0.06f;
    m.UseMaterial(m.Material("", kWhite));
    m.SetColour(theme.seatA);
    m.Box({row.left, kSelectionSeatHeight - thick, front}, {row.right, kSelectionSeatHeight, back});
    m.SetColour({70, 72, 80, 255});
    const int trestles = static_cast<int>(std::ceil((row.right - row.left) / 3.0f));
    for (int i = 0; i <= trestles; ++i) {
        const float x = row.left + 0.1f + (row.right - row.left - 0.2f) * static_cast<float>(i) / trestles;
        m.Box({x - 0.04f, 0, front + 0.08f}, {x + 0.04f, kSelectionSeatHeight - thick, back - 0.08f});
    }
    m.SetColour(kWhite);
}

void AddFloodlight(MeshBuilder& m, const Theme& theme, Vec3 base, float height)
{
    m.UseMaterial(m.Material("", kWhite));
    m.SetColour(theme.style == Style::Bamboo ? Rgba{120, 60, 45, 255} : Rgba{150, 155, 160, 255});
    m.Frustum(base, 0.9f, 0.35f, height, 6, false);
    // The lamp bank faces the centre spot and leans down towards it.
    const Vec3 top = base + Vec3{0, height, 0};
    const Vec3 toCentre = Normalised(Vec3{-base.x, 0, -base.z});
    const Vec3 side = Normalised(Cross({0, 1, 0}, toCentre));
    const Vec3 tilt = Normalised(toCentre * 0.35f + Vec3{0, 1, 0});
    const Vec3 c = top + toCentre * 0.6f;
    const float w = 4.0f, h = 2.4f;
    m.UseMaterial(m.Material("lamp", kWhite));
    m.SetColour(kWhite);
    m.Quad(c - side * w - tilt * h, c + side * w - tilt * h, c + side * w + tilt * h, c - side * w + tilt * h, 0, 1,
           1, 0);
    m.UseMaterial(m.Material("", kWhite));
    m.SetColour({80, 82, 88, 255});
    const Vec3 back = -toCentre * 0.4f;
    m.Quad(c + side * w - tilt * h + back, c - side * w - tilt * h + back, c - side * w + tilt * h + back,
           c + side * w + tilt * h + back);
}

bool Outside(float x, float z)
{
    return std::fabs(x) > 82 || std::fabs(z) > 64;
}

void AddBambooGrove(MeshBuilder& m, const Theme& theme, Rng& rng, float cx, float cz)
{
    const int bark = m.Material("bark"), leaves = m.Material("foliage");
    const int stalks = 5 + rng.Below(6);
    for (int i = 0; i < stalks; ++i) {
        const float x = cx + rng.Range(-3, 3), z = cz + rng.Range(-3, 3);
        const float h = rng.Range(9, 16), lean = rng.Range(-0.08f, 0.08f);
        const Vec3 base{x, TerrainHeight(theme, x, z) - 0.2f, z}, top = base + Vec3{h * lean, h, h * lean * 0.5f};
        m.UseMaterial(bark);
        m.SetColour(kWhite);
        m.Beam(base, top, rng.Range(0.1f, 0.16f), 5);
        m.UseMaterial(leaves);
        for (int k = 0; k < 2; ++k) {
            const float a = rng.Range(0, kPi);
            const Vec3 d{std::cos(a) * 2.2f, 0, std::sin(a) * 2.2f};
            const Vec3 c = Lerp(base, top, 0.82f);
            m.Quad(c - d - Vec3{0, 2.5f, 0}, c + d - Vec3{0, 2.5f, 0}, c + d + Vec3{0, 2.5f, 0},
                   c - d + Vec3{0, 2.5f, 0}, 0, 1, 1, 0);
        }
    }
}

void AddLantern(MeshBuilder& m, float x, float z)
{
    m.UseMaterial(m.Material("", kWhite));
    m.SetColour({150, 150, 140, 255});
    m.Box({x - 0.4f, 0, z - 0.4f}, {x + 0.4f, 0.3f, z + 0.4f});
    m.Box({x - 0.12f, 0.3f, z - 0.12f}, {x + 0.12f, 1.3f, z + 0.12f});
    m.SetColour({240, 220, 150, 255});
    m.Box({x - 0.3f, 1.3f, z - 0.3f}, {x + 0.3f, 1.8f, z + 0.3f});
    m.SetColour({110, 110, 105, 255});
    m.Frustum({x, 1.8f, z}, 0.6f, 0.05f, 0.5f, 4, true);
}

void AddGate(MeshBuilder& m, float x, float z, float yaw)
{
    // A wooden gate standing before the end stand.
    const Frame3 saved = m.Transform();
    m.SetTransform(Frame3::YawAt(yaw, {x, 0, z}));
    m.UseMaterial(m.Material("", kWhite));
    m.SetColour({200, 50, 35, 255});
    m.Beam({-4, 0, 0}, {-4, 7, 0}, 0.35f, 8);
    m.Beam({4, 0, 0}, {4, 7, 0}, 0.35f, 8);
    m.Box({-5.5f, 5.6f, -0.3f}, {5.5f, 6.1f, 0.3f});
    m.SetColour({45, 40, 40, 255});
    m.Box({-6.5f, 7.0f, -0.4f}, {6.5f, 7.6f, 0.4f});
    m.SetTransform(saved);
}

void AddPyramid(MeshBuilder& m, Vec3 c, float half, float height)
{
    m.UseMaterial(m.Material("stone"));
    m.SetColour(kWhite);
    const Vec3 apex = c + Vec3{0, height, 0};
    const Vec3 corners[4] = {c + Vec3{-half, 0, -half}, c + Vec3{half, 0, -half}, c + Vec3{half, 0, half},
                             c + Vec3{-half, 0, half}};
    for (int i = 0; i < 4; ++i) {
        const Vec3 a = corners[i], b = corners[(i + 1) % 4];
        const Vec3 n = Normalised(Cross(apex - a, b - a));
        const uint32_t ia = m.Vertex(a, -n, 0, height / 6), ib = m.Vertex(b, -n, 2 * half / 6, height / 6);
        const uint32_t ic = m.Vertex(apex, -n, half / 6, 0);
        m.Triangle(ia, ib, ic);
    }
}

void AddPalm(MeshBuilder& m, const Theme& theme, Rng& rng, float x, float z)
{
    const float h = rng.Range(7, 11), bend = rng.Range(-1.5f, 1.5f);
    const Vec3 base{x, TerrainHeight(theme, x, z), z};
    m.UseMaterial(m.Material("bark"));
    m.SetColour(kWhite);
    Vec3 prev = base;
    for (int k = 1; k <= 3; ++k) {
        const float t = k / 3.0f;
        const Vec3 p = base + Vec3{bend * t * t, h * t, bend * 0.5f * t * t};
        m.Beam(prev, p, 0.28f - 0.06f * t, 6);
        prev = p;
    }
    m.UseMaterial(m.Material("foliage"));
    for (int k = 0; k < 3; ++k) {
        const float a = k * kPi / 3 + rng.Range(0, 0.5f);
        const Vec3 d{std::cos(a) * 3.5f, 0, std::sin(a) * 3.5f};
        m.Quad(prev - d - Vec3{0, 2.2f, 0}, prev + d - Vec3{0, 2.2f, 0}, prev + d + Vec3{0, 1.2f, 0},
               prev - d + Vec3{0, 1.2f, 0}, 0, 1, 1, 0);
    }
    // Fronds seen from above.
    m.Quad(prev + Vec3{-3.5f, 0.3f, -3.5f}, prev + Vec3{3.5f, 0.3f, -3.5f}, prev + Vec3{3.5f, 0.3f, 3.5f},
           prev + Vec3{-3.5f, 0.3f, 3.5f});
}

void AddAcacia(MeshBuilder& m, const Theme& theme, Rng& rng, float x, float z)
{
    const float h = rng.Range(5, 8), spread = rng.Range(4, 7);
    const Vec3 base{x, TerrainHeight(theme, x, z), z};
    m.UseMaterial(m.Material("bark"));
    m.SetColour(kWhite);
    const Vec3 fork = base + Vec3{0, h * 0.55f, 0};
    m.Beam(base, fork, 0.3f, 6);
    for (int k = 0; k < 3; ++k) {
        const float a = k * 2 * kPi / 3 + rng.Range(0, 1.0f);
        m.Beam(fork, fork + Vec3{std::cos(a) * spread * 0.5f, h * 0.45f, std::sin(a) * spread * 0.5f}, 0.16f, 5);
    }
    // The flat canopy: a wide, thin frustum with leaves on top and below.
    m.UseMaterial(m.Material("foliage"));
    m.SetColour({235, 240, 220, 255});
    m.Frustum(base + Vec3{0, h - 0.3f, 0}, spread * 0.75f, spread, 0.9f, 9, true);
}

void AddBuilding(MeshBuilder& m, Rng& rng, float x, float z)
{
    const float w = rng.Range(10, 22), d = rng.Range(10, 22), h = rng.Range(25, 80);
    m.UseMaterial(m.Material("facade"));
    m.SetColour(Scale({255, 255, 255, 255}, rng.Range(0.8f, 1.0f)));
    m.Box({x - w / 2, 0, z - d / 2}, {x + w / 2, h, z + d / 2}, 16, 0x3F & ~0x04);
}

void AddScenery(MeshBuilder& m, const Theme& theme)
{
    Rng rng(theme.seed + 200);
    switch (theme.style) {
    case Style::Bamboo:
        for (int i = 0; i < 70; ++i) {
            const float a = rng.Range(0, 2 * kPi), r = rng.Range(92, 150);
            const float x = std::cos(a) * r * 1.15f, z = std::sin(a) * r;
            if (Outside(x, z))
                AddBambooGrove(m, theme, rng, x, z);
        }
        for (int i = 0; i < 10; ++i) {
            const float x = -40 + i * 9.0f;
            AddLantern(m, x, -60);
        }
        AddGate(m, -92, 0, kPi / 2);
        AddGate(m, 92, 0, kPi / 2);
        break;
    case Style::Desert:
        AddPyramid(m, {-120, 0, 230}, 55, 70);
        AddPyramid(m, {10, 0, 290}, 75, 95);
        AddPyramid(m, {150, 0, 250}, 40, 52);
        AddPyramid(m, {-260, 0, -60}, 45, 58);
        for (int i = 0; i < 46; ++i) {
            const float a = rng.Range(0, 2 * kPi), r = rng.Range(88, 140);
            const float x = std::cos(a) * r * 1.1f, z = std::sin(a) * r;
            if (Outside(x, z))
                AddPalm(m, theme, rng, x, z);
        }
        break;
    case Style::Savanna:
        for (int i = 0; i < 60; ++i) {
            const float a = rng.Range(0, 2 * kPi), r = rng.Range(90, 260);
            const float x = std::cos(a) * r, z = std::sin(a) * r;
            if (Outside(x, z))
                AddAcacia(m, theme, rng, x, z);
        }
        break;
    case Style::Modern:
        for (int i = 0; i < 60; ++i) {
            const float a = rng.Range(0, 2 * kPi), r = rng.Range(170, 330);
            AddBuilding(m, rng, std::cos(a) * r, std::sin(a) * r);
        }
        break;
    }
}

}  // namespace

SelectionRow SelectionRowExtent()
{
    // The line-up change's gap moves the last seats outwards; any gap count gives the same ends.
    const float widest = SelectionBench::KnownSeatWidths().widest;
    const SelectionBench::Seating seating =
        SelectionBench::LayOutWidths(std::vector<float>(SelectionBench::kMostCandidates, widest), 1);
    return {seating.seats.back().x - widest * 0.5f, seating.seats.front().x + widest * 0.5f,
            SelectionBench::kOrigin.z};
}

StadiumLayout LayoutFor(const Theme& theme)
{
    StadiumLayout l;
    const bool closed = theme.style == Style::Modern;
    const float sideHalf = closed ? kEndStandX + kTiers * kTierDepth : kSideStandHalfLength;
    const float endHalf = closed ? kSideStandZ + kTiers * kTierDepth : kEndStandHalfLength;
    const int endTiers = closed ? kTiers : 10;
    l.stands[0] = {{0, 0, kSideStandZ}, {0, 0, 1}, {-1, 0, 0}, sideHalf, kTiers, 0, 0};
    l.stands[1] = {{0, 0, -kSideStandZ}, {0, 0, -1}, {1, 0, 0}, sideHalf, kTiers, 0, 0};
    l.stands[2] = {{kEndStandX, 0, 0}, {1, 0, 0}, {0, 0, 1}, endHalf, endTiers, 0, 0};
    l.stands[3] = {{-kEndStandX, 0, 0}, {-1, 0, 0}, {0, 0, -1}, endHalf, endTiers, 0, 0};
    for (StandProfile& s : l.stands) {
        s.depth = s.tiers * kTierDepth;
        s.top = kStandBase + s.tiers * kTierRise;
    }
    return l;
}

MeshBuilder BuildLevelMesh(const Theme& theme)
{
    MeshBuilder m;
    AddGround(theme, m);
    AddGoal(m, -1);
    AddGoal(m, 1);
    const size_t boards = m.TriangleCount();
    AddAdBoards(m);
    const size_t boardsEnd = m.TriangleCount();
    AddSelectionRow(m, theme);
    const StadiumLayout layout = LayoutFor(theme);
    for (const StandProfile& s : layout.stands)
        AddTiers(m, theme, s.front, s.out, s.along, s.half, s.tiers, nullptr);
    if (theme.style == Style::Modern) {
        for (int i = 0; i < 4; ++i)
            AddRoof(m, theme, layout.stands[i], i == 1 ? 0.3f : 0.85f);
    } else {
        // The near stand stays open: the main camera looks over it.
        AddRoof(m, theme, layout.stands[0], 0.7f);
    }
    const float fx = theme.style == Style::Modern ? 74.0f : 70.0f, fz = theme.style == Style::Modern ? 56.0f : 50.0f;
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sz = -1; sz <= 1; sz += 2)
            AddFloodlight(m, theme, {sx * fx, 0, sz * fz}, theme.style == Style::Modern ? 34.0f : 28.0f);
    const size_t scenery = m.TriangleCount();
    AddScenery(m, theme);
    const size_t sceneryEnd = m.TriangleCount();
    BakeTheme(theme, m);
    // Turned after baking, keeping the light they were painted with: the boards to face the
    // pitch, the pyramids (modelled inside out) to face out.
    m.Reverse(boards, boardsEnd);
    for (size_t i = scenery; i < sceneryEnd; ++i)
        if (m.Materials()[size_t(m.Triangles()[i].material)].texture == "stone")
            m.Reverse(i, i + 1);
    return m;
}

MeshBuilder BuildMarkings(const Theme& theme)
{
    MeshBuilder m;
    AddMarkings(theme, m);
    return m;
}

bool WriteLevelWorld(const AssetContext& context, const Theme& theme)
{
    const MeshBuilder mesh = BuildLevelMesh(theme);
    RpWorld* world = BuildWorld(mesh, 1200);
    if (!world)
        return false;
    const bool ok = WriteWorldFile(world, context.Path(std::string(theme.folder) + "/Objects/Level.bsp"));
    RpWorldDestroy(world);
    return ok;
}

bool WriteLevelTextures(const AssetContext& context, const Theme& theme)
{
    const std::string folder = theme.folder;
    bool ok = true;
    auto put = [&](const char* name, const Image& image) { ok = context.WriteTextureSets(folder, name, image) && ok; };
    put("grass", PaintGrass(theme));
    put("apron", PaintGround(theme, theme.apron, 3));
    put("terrain", PaintGround(theme, theme.terrain, 4));
    put("stone", PaintGround(theme, {214, 182, 132, 255}, 6));
    put("net", PaintNet());
    // With its smaller levels: far lines rely on them (see Stripe).
    ok = context.WriteTextureSets(folder, "lines", PaintLines(), 16, AssetContext::TextureFile::kDdsWithLevels) && ok;
    put("concrete", PaintConcrete(theme));
    put("seats", PaintSeats(theme));
    put("roof", PaintRoof(theme));
    put("adboards", PaintAdBoards(theme));
    put("crowd_a", PaintCrowd(theme, 301));
    put("crowd_b", PaintCrowd(theme, 302));
    put("foliage", PaintFoliage(theme));
    put("bark", PaintBark(theme));
    for (int v = 0; v < 4; ++v)
        put(("flag_" + std::to_string(v + 1)).c_str(), PaintFlag(theme, v));
    put("shadow", PaintShadow());
    put("lamp", PaintLamp());
    put("facade", PaintFacade(theme));
    put("bench", PaintBench(theme));
    put("sky", PaintSky(theme));
    put("sky_night", PaintNightSky(theme));
    return ok;
}

}  // namespace assets::world
