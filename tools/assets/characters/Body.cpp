#include "tools/assets/characters/Characters.h"

#include "tools/assets/characters/Rig.h"

#include "engine/plugins/RpPlugins.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace assets::chars {

namespace {

// ---------------------------------------------------------------- surfaces of revolution

// Skin weights along a part: bones anchored at positions s along a joint segment; a vertex
// blends the two anchors around its own position.
struct Anchor {
    int bone;
    float s;
};

struct Part {
    Vec3 a, b;             // the axis; the surface closes at both ends
    Vec3 side{1, 0, 0};    // the cross-section's width direction
    float width = 0.1f;    // cross-section radii
    float depth = 0.1f;
    std::function<float(float)> profile;  // radius factor along the axis, 0..1
    // A further factor by place on the surface (s along, phi around from the front), for bulges
    // and patches; the normals follow the profile alone.
    std::function<float(float, float)> relief;
    int rings = 6, sides = 8;
    float sweep = 1;  // the part of a full turn the columns span; below 1 the surface is open
    bool fitted = false;  // rings and sides already fitted to another part's at the detail built
    // UVs: u runs once around (starting at azimuth u0 turns from the front), v along the axis,
    // both mapped into the rectangle (uOff, vOff) + (uScale, vScale).
    float u0 = 0.5f, uOff = 0, vOff = 0, uScale = 1, vScale = 1;
    // Weights: anchors along the segment j0 -> j1.
    Vec3 j0, j1;
    std::vector<Anchor> anchors;
};

float Smooth(float x)
{
    return x * x * (3 - 2 * x);
}

float EllipsoidProfile(float s)
{
    const float x = 2 * s - 1;
    return std::sqrt(std::max(0.0f, 1 - x * x));
}

// A limb: radius r0 to r1 with rounded ends taking `end` of the length at each side.
std::function<float(float)> TubeProfile(float r0, float r1, float end = 0.22f)
{
    return [r0, r1, end](float s) {
        float k = 1;
        const float d = std::min(s, 1 - s);
        if (d < end) {
            const float x = 1 - d / end;
            k = std::sqrt(std::max(0.0f, 1 - x * x));
        }
        return (r0 + (r1 - r0) * s) * k;
    };
}

void SetWeights(MeshBuilder& mesh, const Part& part, Vec3 p)
{
    uint8_t bones[4] = {0, 0, 0, 0};
    float weights[4] = {1, 0, 0, 0};
    const std::vector<Anchor>& an = part.anchors;
    if (an.size() == 1) {
        bones[0] = uint8_t(an[0].bone);
    } else {
        const Vec3 seg = part.j1 - part.j0;
        const float len2 = Dot(seg, seg);
        const float s = len2 > 0 ? Dot(p - part.j0, seg) / len2 : 0;
        size_t i = 0;
        while (i + 2 < an.size() && s > an[i + 1].s)
            ++i;
        const float t = std::clamp((s - an[i].s) / (an[i + 1].s - an[i].s), 0.0f, 1.0f);
        if (an[i].bone == an[i + 1].bone || t <= 0 || t >= 1) {
            bones[0] = uint8_t(t >= 1 ? an[i + 1].bone : an[i].bone);
        } else {
            bones[0] = uint8_t(an[i].bone);
            bones[1] = uint8_t(an[i + 1].bone);
            weights[0] = 1 - t;
            weights[1] = t;
        }
    }
    mesh.SetBoneWeights(bones, weights);
}

void AddPart(MeshBuilder& mesh, const Part& part)
{
    const Vec3 axis = part.b - part.a;
    const float length = Length(axis);
    const Vec3 d = axis * (1.0f / length);
    const Vec3 side = Normalised(part.side - d * Dot(part.side, d));
    const Vec3 front = Cross(side, d);
    const int rings = part.rings, sides = part.sides;
    const float mean = 0.5f * (part.width + part.depth);
    auto point = [&](float s, float phi) {
        const float r = part.profile(s) * (part.relief ? part.relief(s, phi) : 1.0f);
        return part.a + d * (s * length) + (front * (std::cos(phi) * part.depth) + side * (std::sin(phi) * part.width)) * r;
    };
    auto normal = [&](float s, float phi) {
        const float h = 0.01f;
        const float slope = (part.profile(std::min(1.0f, s + h)) - part.profile(std::max(0.0f, s - h))) /
                            ((std::min(1.0f, s + h) - std::max(0.0f, s - h)) * length) * mean;
        const Vec3 radial = Normalised(front * (std::cos(phi) / part.depth) + side * (std::sin(phi) / part.width));
        return Normalised(radial - d * slope);
    };
    auto uv = [&](int j, float s, float& u, float& v) {
        u = part.uOff + part.uScale * float(j) / float(sides);
        v = part.vOff + part.vScale * s;
    };
    const float phi0 = (part.u0 - 0.5f) * 2 * kPi - kPi;
    std::vector<uint32_t> grid;
    for (int i = 1; i < rings; ++i) {
        const float s = float(i) / float(rings);
        for (int j = 0; j <= sides; ++j) {
            const float phi = phi0 + 2 * kPi * part.sweep * float(j) / float(sides);
            const Vec3 p = point(s, phi);
            SetWeights(mesh, part, p);
            float u, v;
            uv(j, s, u, v);
            grid.push_back(mesh.Vertex(p, normal(s, phi), u, v));
        }
    }
    const int row = sides + 1;
    for (int i = 0; i + 1 < rings - 1; ++i)
        for (int j = 0; j < sides; ++j) {
            const uint32_t p00 = grid[size_t(i * row + j)], p01 = grid[size_t(i * row + j + 1)];
            const uint32_t p10 = grid[size_t((i + 1) * row + j)], p11 = grid[size_t((i + 1) * row + j + 1)];
            mesh.Triangle(p00, p01, p10);
            mesh.Triangle(p01, p11, p10);
        }
    // The closing fans, one pole vertex per column so the UVs stay untwisted.
    for (int end = 0; end < 2; ++end) {
        const float s = float(end);
        const Vec3 pole = part.a + d * (s * length);
        SetWeights(mesh, part, pole);
        const int ring = end == 0 ? 0 : rings - 2;
        for (int j = 0; j < sides; ++j) {
            float u, v;
            uv(j, s, u, v);
            u += 0.5f * part.uScale / float(sides);
            const uint32_t p = mesh.Vertex(pole, end == 0 ? -d : d, u, v);
            const uint32_t r0 = grid[size_t(ring * row + j)], r1 = grid[size_t(ring * row + j + 1)];
            if (end == 0)
                mesh.Triangle(p, r1, r0);
            else
                mesh.Triangle(r0, r1, p);
        }
    }
}

// Adds parts at the detail asked for. The low detail traces the same surfaces through fewer
// rings and sides, so its vertices keep the weights of their places on the same skeleton.
class Modeller {
public:
    // A worn mesh (the kit) is widened at low detail so that the middles of its flat facets
    // stay on the full surface rather than cutting into what it covers.
    Modeller(MeshBuilder& mesh, Detail detail, bool worn = false) : m_mesh(mesh), m_detail(detail), m_worn(worn) {}
    int Material(const std::string& name) { return m_mesh.Material(name); }
    void UseMaterial(int material) { m_mesh.UseMaterial(material); }
    int Rings(int rings) const
    {
        switch (m_detail) {
        case Detail::Low:
            return std::max(3, (rings + 2) / 2);
        case Detail::Shadow:
            return std::max(3, (rings + 3) / 3);
        default:
            return rings;
        }
    }
    int Sides(int sides) const
    {
        if (m_detail == Detail::Full)
            return sides;
        const float share = m_detail == Detail::Low ? 0.6f : 0.4f;
        return std::max(4, static_cast<int>(std::lround(static_cast<float>(sides) * share)));
    }
    void Add(Part part)
    {
        const int fullSides = part.sides;
        if (!part.fitted) {
            part.rings = Rings(part.rings);
            part.sides = Sides(part.sides);
        }
        if (m_detail == Detail::Shadow && !part.fitted && part.sweep >= 1.0f) {
            // As wide as the full part on average round it: a polygon of few sides inside the
            // surface would cast a thinner shadow, the head's most of all. A shadow shows no
            // body through the kit, so the kit is not widened further.
            const float widen = EqualAreaRadius(part.sides) / EqualAreaRadius(fullSides);
            part.width *= widen;
            part.depth *= widen;
        }
        if (m_worn && m_detail == Detail::Low) {
            // The slack covers what the fewer rings cut off the belly's bulge along the body.
            constexpr float kSlack = 1.04f;
            const float widen = kSlack / std::cos(kPi * part.sweep / static_cast<float>(part.sides));
            part.width *= widen;
            part.depth *= widen;
        }
        AddPart(m_mesh, part);
    }

private:
    // The corner radius of a regular polygon of the sides as large as the unit circle.
    static float EqualAreaRadius(int sides)
    {
        const auto n = static_cast<float>(sides);
        return std::sqrt(2 * kPi / (n * std::sin(2 * kPi / n)));
    }

    MeshBuilder& m_mesh;
    Detail m_detail;
    bool m_worn;
};

// ---------------------------------------------------------------- race shapes

struct Shape {
    float torsoW, torsoD, torsoLow, torsoTop, belly;  // belly: extra girth low on the torso
    float headW, headH, headD, headUp, headFwd;
    float armR, foreR, handR, thighR, shinR, footLen, footR;
    float neckR;
};

Shape BaseShape(Race race)
{
    switch (race) {
    case Race::Panda:  // round and soft, the belly in front where the arms clear it
        return {0.24f, 0.28f, 0.74f, 1.60f, 0.20f, 0.23f, 0.20f, 0.21f, 0.16f, 0.03f,
                0.085f, 0.075f, 0.075f, 0.12f, 0.095f, 0.15f, 0.075f, 0.11f};
    case Race::Lizard:  // slim, long-headed
        return {0.20f, 0.17f, 0.80f, 1.56f, 0.05f, 0.13f, 0.12f, 0.15f, 0.10f, 0.06f,
                0.055f, 0.05f, 0.065f, 0.085f, 0.065f, 0.17f, 0.06f, 0.07f};
    case Race::Primate:  // a barrel chest and heavy arms
        return {0.30f, 0.24f, 0.80f, 1.62f, -0.06f, 0.17f, 0.18f, 0.17f, 0.13f, 0.06f,
                0.10f, 0.095f, 0.10f, 0.11f, 0.085f, 0.15f, 0.07f, 0.12f};
    case Race::Rhino:  // a heavy block
        return {0.33f, 0.28f, 0.76f, 1.58f, 0.10f, 0.18f, 0.17f, 0.24f, 0.12f, 0.10f,
                0.10f, 0.09f, 0.085f, 0.135f, 0.11f, 0.15f, 0.085f, 0.14f};
    case Race::Weasel:  // long and lean
        return {0.19f, 0.16f, 0.80f, 1.58f, 0.02f, 0.13f, 0.12f, 0.15f, 0.11f, 0.05f,
                0.05f, 0.045f, 0.05f, 0.08f, 0.06f, 0.15f, 0.055f, 0.075f};
    }
    return {};
}

// Cartoon proportions: big heads, chunky limbs.
Shape ShapeOf(Race race)
{
    Shape s = BaseShape(race);
    s.headW *= 1.22f;
    s.headH *= 1.22f;
    s.headD *= 1.22f;
    s.headUp *= 1.25f;
    s.armR *= 1.3f;
    s.foreR *= 1.3f;
    s.handR *= 1.2f;
    s.thighR *= 1.15f;
    s.shinR *= 1.2f;
    s.footR *= 1.15f;
    return s;
}

Vec3 J(int bone)
{
    return Bones()[size_t(bone)].bindPos;
}

struct Materials {
    int skin, skin2, face, hands, detail, shirt, kit, card;
};

// Palette cells of the "<race>_detail" texture (4 x 4 cells) and of "<race>_kit" (2 x 2).
enum DetailCell { kEyeWhite, kPupil, kNose, kHorn, kClaw, kMouth, kIris, kStripe };
void PaletteUV(Part& p, int cell, int columns)
{
    p.uScale = p.vScale = 0;
    p.uOff = (float(cell % columns) + 0.5f) / float(columns);
    p.vOff = (float(cell / columns) + 0.5f) / float(columns);
}

Part Limb(int bone, int child, float r0, float r1, int sides = 8, int rings = 6)
{
    Part p;
    p.j0 = J(bone);
    p.j1 = J(child);
    const Vec3 d = Normalised(p.j1 - p.j0);
    p.a = p.j0 - d * (r0 * 0.7f);
    p.b = p.j1 + d * (r1 * 0.7f);
    p.side = std::fabs(d.y) > 0.9f ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
    p.width = p.depth = 1;
    p.profile = TubeProfile(r0, r1);
    p.sides = sides;
    p.rings = rings;
    const int parent = Bones()[size_t(bone)].parent;
    p.anchors = {{parent, -0.25f}, {bone, 0.25f}, {bone, 0.75f}, {child, 1.25f}};
    p.uScale = 1;
    p.vScale = 1;
    return p;
}

Part Blob(int bone, Vec3 centre, Vec3 radii, int rings = 6, int sides = 8)
{
    Part p;
    p.a = centre - Vec3{0, radii.y, 0};
    p.b = centre + Vec3{0, radii.y, 0};
    p.width = radii.x / radii.y;
    p.depth = radii.z / radii.y;
    const float ry = radii.y;
    p.profile = [ry](float s) { return EllipsoidProfile(s) * ry; };
    p.rings = rings;
    p.sides = sides;
    p.anchors = {{bone, 0}};
    // Pictures run from the top down.
    p.vOff = 1;
    p.vScale = -1;
    return p;
}

// A blob whose long axis runs from a to b.
Part Spindle(int bone, Vec3 a, Vec3 b, float width, float depth, Vec3 side, int rings = 6, int sides = 8)
{
    Part p;
    p.a = a;
    p.b = b;
    p.side = side;
    p.width = width;
    p.depth = depth;
    p.profile = EllipsoidProfile;
    p.rings = rings;
    p.sides = sides;
    p.anchors = {{bone, 0}};
    return p;
}

// ---------------------------------------------------------------- the body

constexpr int kTorsoRings = 9, kTorsoSides = 14;

// Height along the torso, 0 at its low end and 1 at its top.
float TorsoHeight(const Shape& s, float y)
{
    return (y - s.torsoLow) / (s.torsoTop - s.torsoLow);
}

// The belly pushes the front out, not the sides, so that hanging arms clear it.
float BellyRelief(const Shape& s, float t, float phi)
{
    const float front = std::max(0.0f, std::cos(phi));
    return 1 + s.belly * std::exp(-std::pow((t - 0.32f) / 0.22f, 2.0f)) * front * front;
}

Part Torso(const Shape& s, float low, float top, float grow)
{
    Part p;
    p.a = {0, low, 0.0f};
    p.b = {0, top, 0.0f};
    p.width = s.torsoW * grow;
    p.depth = s.torsoD * grow;
    // Shaped by height on the full torso, so a shorter shell follows the same body.
    const auto height = [s, low, top](float u) { return TorsoHeight(s, low + (top - low) * u); };
    p.profile = [height](float u) {
        const float t = height(u);
        const float r = 0.78f + 0.22f * std::sin(kPi * std::clamp(t * 0.85f + 0.1f, 0.0f, 1.0f));
        // Rounded at the hips and the shoulders.
        const float ends = std::min(std::clamp(t / 0.12f, 0.0f, 1.0f), std::clamp((1 - t) / 0.14f, 0.0f, 1.0f));
        return r * std::sqrt(std::max(0.0f, 1 - (1 - ends) * (1 - ends)));
    };
    p.relief = [s, height](float u, float phi) { return BellyRelief(s, height(u), phi); };
    p.rings = kTorsoRings;
    p.sides = kTorsoSides;
    p.j0 = {0, s.torsoLow, 0};
    p.j1 = {0, s.torsoTop, 0};
    auto at = [&](float y) { return TorsoHeight(s, y); };
    p.anchors = {{kPelvis, at(0.9f)}, {kSpine, at(1.12f)}, {kChest, at(1.36f)}};
    return p;
}

float Window(float x, float edge)
{
    return Smooth(std::clamp((1 - std::fabs(x)) / edge, 0.0f, 1.0f));
}

// A lighter chest and belly: a skin over the torso's front that rises just above it in the
// middle and sinks below it at the edges, so it follows the torso in every pose and stays
// well inside the shirt.
Part BellyPatch(const Shape& s, const Modeller& m)
{
    // An oval by height along the torso and angle around it. Its rings are the torso's second
    // to last but one, so the patch never crosses a torso facet.
    constexpr float kLow = 0.2f, kHigh = 0.8f, kHalfAngle = 0.9f;
    const int torsoRings = m.Rings(kTorsoRings), torsoSides = m.Sides(kTorsoSides);
    const float ring = (s.torsoTop - s.torsoLow) / static_cast<float>(torsoRings);
    const float low = s.torsoLow + ring, top = s.torsoTop - ring;
    Part p = Torso(s, low, top, 1.0f);
    p.rings = torsoRings - 2;
    p.relief = [s, low, top, belly = p.relief](float u, float phi) {
        const float along = (2 * TorsoHeight(s, low + (top - low) * u) - kLow - kHigh) / (kHigh - kLow);
        const float around = std::remainder(phi, 2 * kPi) / kHalfAngle;
        const float inside = Window(std::sqrt(along * along + around * around), 0.3f);
        return belly(u, phi) * (0.94f + 0.075f * inside);
    };
    // The front 6/14 of the turn (as near as the torso's meridians allow), its columns on every
    // torso meridian and halfway between.
    const int meridians = static_cast<int>(std::lround(static_cast<float>(torsoSides) * 6.0f / 14.0f));
    p.sweep = static_cast<float>(meridians) / static_cast<float>(torsoSides);
    p.sides = 2 * meridians;
    p.fitted = true;
    p.u0 = 0.5f + (1 - p.sweep) * 0.5f;
    p.vOff = 0.1f;
    p.vScale = 0.3f;
    return p;
}

void AddLimbs(Modeller& m, const Shape& s, const Materials& mat, Race race)
{
    for (int side = 0; side < 2; ++side) {
        const int up = side ? kUpperArmR : kUpperArmL;
        const int th = side ? kThighR : kThighL;
        const float x = side ? -1.0f : 1.0f;
        m.UseMaterial(race == Race::Panda ? mat.skin2 : mat.skin);
        m.Add(Limb(up, up + 1, s.armR, s.foreR * 1.05f));
        m.Add(Limb(up + 1, up + 2, s.foreR, s.handR * 0.8f));
        m.UseMaterial(mat.hands);
        Part hand = Spindle(up + 2, J(up + 2) + Vec3{x * 0.01f, 0, 0}, J(up + 2) + Vec3{x * (0.05f + s.handR * 2.2f), 0, 0},
                            0.55f * s.handR * 1.6f, s.handR * 1.5f, {0, 1, 0});
        hand.profile = [](float u) { return EllipsoidProfile(u) * 0.62f; };
        hand.anchors = {{up + 1, 0.0f}, {up + 2, 0.3f}};
        hand.j0 = J(up + 2);
        hand.j1 = hand.b;
        m.Add(hand);
        // Legs.
        m.UseMaterial(race == Race::Panda ? mat.skin2 : mat.skin);
        m.Add(Limb(th, th + 1, s.thighR, s.shinR * 1.1f));
        m.Add(Limb(th + 1, th + 2, s.shinR, s.shinR * 0.8f));
        Part foot = Spindle(th + 2, J(th + 2) + Vec3{0, -0.04f, -0.08f}, J(th + 2) + Vec3{0, -0.04f, s.footLen + 0.02f},
                            s.footR, 0.05f, {1, 0, 0});
        foot.anchors = {{th + 2, 0}};
        m.Add(foot);
        // Claws on hands and feet for the scaly and horny races.
        if (race == Race::Lizard || race == Race::Rhino) {
            m.UseMaterial(mat.detail);
            for (int k = -1; k <= 1; ++k) {
                Part claw = Spindle(th + 2, J(th + 2) + Vec3{k * 0.035f, -0.06f, s.footLen - 0.02f},
                                    J(th + 2) + Vec3{k * 0.035f, -0.065f, s.footLen + 0.07f}, 0.018f, 0.014f, {1, 0, 0}, 3, 4);
                PaletteUV(claw, kClaw, 4);
                m.Add(claw);
            }
        }
    }
}

// Where the line from the centre of an ellipsoid towards dir meets its surface, and the
// surface normal there.
Vec3 OnEllipsoid(Vec3 centre, Vec3 radii, Vec3 dir, Vec3& normal)
{
    const Vec3 q{dir.x / radii.x, dir.y / radii.y, dir.z / radii.z};
    const Vec3 p = dir * (1.0f / Length(q));
    normal = Normalised({p.x / (radii.x * radii.x), p.y / (radii.y * radii.y), p.z / (radii.z * radii.z)});
    return centre + p;
}

// A pair of eyes set into the head's surface in the direction `look` (for the left eye;
// the right one mirrors it), bulging out by half their size.
void AddEyes(Modeller& m, const Materials& mat, Vec3 centre, Vec3 radii, Vec3 look, float size)
{
    m.UseMaterial(mat.detail);
    for (int side = 0; side < 2; ++side) {
        const float x = side ? -1.0f : 1.0f;
        Vec3 normal;
        const Vec3 surface = OnEllipsoid(centre, radii, {look.x * x, look.y, look.z}, normal);
        const Vec3 c = surface + normal * (size * 0.1f);
        Part white = Blob(kHead, c, {size, size * 1.1f, size * 0.8f}, 4, 6);
        PaletteUV(white, kEyeWhite, 4);
        m.Add(white);
        Part pupil = Blob(kHead, c + normal * (size * 0.62f), Vec3{size * 0.5f, size * 0.6f, size * 0.45f}, 4, 6);
        PaletteUV(pupil, kPupil, 4);
        m.Add(pupil);
    }
}

// Spikes along the middle of the head from the brow to the nape, and one on the neck, each
// rooted in the surface it stands on and pointing out of it.
void AddCrest(Modeller& m, const Materials& mat, const Shape& s, Vec3 hc, Vec3 headRadii)
{
    m.UseMaterial(mat.detail);
    auto spike = [&](int bone, Vec3 base, Vec3 normal, float height) {
        Part p = Spindle(bone, base - normal * 0.01f, base + normal * height, 0.012f, 0.03f, {1, 0, 0}, 3, 4);
        p.profile = [](float u) { return 1.0f - u; };
        PaletteUV(p, kStripe, 4);
        m.Add(p);
    };
    for (int k = 0; k < 4; ++k) {
        const float a = 0.35f + 0.45f * static_cast<float>(k);  // from the brow over the crown
        Vec3 normal;
        const Vec3 base = OnEllipsoid(hc, headRadii, {0, std::cos(a), -std::sin(a) + 0.3f}, normal);
        spike(kHead, base, normal, 0.07f - 0.008f * static_cast<float>(k));
    }
    // The neck runs from below its joint to the head's centre.
    const Vec3 neckBase = J(kNeck) - Vec3{0, 0.08f, 0};
    const float y = J(kHead).y - 0.02f;
    const Vec3 axis = Lerp(neckBase, hc, (y - neckBase.y) / (hc.y - neckBase.y));
    const Vec3 nape = axis - Vec3{0, 0, s.neckR * 0.85f};
    spike(kNeck, nape, Normalised({0, 0.3f, -1}), 0.045f);
}

// The part's texture coordinates mapped into that rectangle of the face texture.
void FaceUV(Part& p, float uOff, float uScale, float vOff, float vScale)
{
    p.uOff = uOff;
    p.uScale = uScale;
    p.vOff = vOff;
    p.vScale = vScale;
}

// The races' faces on the head centred at hc with the given radii.

void AddPandaFace(Modeller& m, const Shape& s, const Materials& mat, Vec3 hc, Vec3 headRadii)
{
    m.UseMaterial(mat.face);
    Part muzzle = Blob(kHead, hc + Vec3{0, -0.06f, s.headD * 0.8f}, {0.10f, 0.075f, 0.08f}, 5, 10);
    FaceUV(muzzle, 0.45f, 0.1f, 0.7f, 0.2f);
    m.Add(muzzle);
    m.UseMaterial(mat.detail);
    Part nose = Blob(kHead, hc + Vec3{0, -0.03f, s.headD + 0.055f}, {0.04f, 0.025f, 0.025f}, 4, 6);
    PaletteUV(nose, kNose, 4);
    m.Add(nose);
    m.UseMaterial(mat.skin2);
    for (int side = 0; side < 2; ++side) {
        const float x = side ? -1.0f : 1.0f;
        Part ear = Spindle(kHead, hc + Vec3{x * 0.14f, 0.13f, -0.02f}, hc + Vec3{x * 0.17f, 0.25f, -0.02f}, 0.075f, 0.035f,
                           {1, 0, 0}, 4, 8);
        m.Add(ear);
    }
    AddEyes(m, mat, hc, headRadii, {0.085f, s.headH * 0.25f, s.headD * 0.86f}, 0.03f);
}

void AddLizardFace(Modeller& m, const Shape& s, const Materials& mat, Vec3 hc, Vec3 headRadii)
{
    m.UseMaterial(mat.face);
    // A long flat snout and jaw.
    Part snout = Spindle(kHead, hc + Vec3{0, -0.02f, 0.02f}, hc + Vec3{0, -0.05f, 0.36f}, 0.11f, 0.08f, {1, 0, 0}, 6, 10);
    snout.side = {1, 0, 0};
    snout.a = hc + Vec3{0, -0.03f, 0.0f};
    snout.b = hc + Vec3{0, -0.06f, 0.38f};
    snout.width = 0.11f;
    snout.depth = 0.07f;
    snout.profile = [](float u) { return TubeProfile(1.0f, 0.55f, 0.25f)(u); };
    FaceUV(snout, 0.3f, 0.4f, 0.55f, 0.4f);
    m.Add(snout);
    AddEyes(m, mat, hc, headRadii, {0.10f, 0.06f, 0.06f}, 0.045f);
    AddCrest(m, mat, s, hc, headRadii);
}

void AddPrimateFace(Modeller& m, const Shape& s, const Materials& mat, Vec3 hc, Vec3 headRadii)
{
    m.UseMaterial(mat.face);
    Part muzzle = Blob(kHead, hc + Vec3{0, -0.07f, s.headD * 0.7f}, {0.12f, 0.09f, 0.08f}, 5, 10);
    FaceUV(muzzle, 0.4f, 0.2f, 0.7f, 0.25f);
    m.Add(muzzle);
    // The brow ridge.
    m.UseMaterial(mat.skin);
    Part brow = Spindle(kHead, hc + Vec3{0.15f, 0.06f, s.headD * 0.72f}, hc + Vec3{-0.15f, 0.06f, s.headD * 0.72f}, 0.04f,
                        0.05f, {0, 1, 0}, 5, 6);
    m.Add(brow);
    AddEyes(m, mat, hc, headRadii, {0.06f, 0.0f, s.headD * 0.8f}, 0.028f);
    m.UseMaterial(mat.face);
    for (int side = 0; side < 2; ++side) {
        const float x = side ? -1.0f : 1.0f;
        Part ear = Blob(kHead, hc + Vec3{x * s.headW, 0.0f, -0.01f}, {0.025f, 0.05f, 0.04f}, 4, 6);
        FaceUV(ear, 0.1f, 0.05f, 0.5f, 0.05f);
        m.Add(ear);
    }
}

void AddRhinoFace(Modeller& m, const Materials& mat, Vec3 hc, Vec3 headRadii)
{
    m.UseMaterial(mat.face);
    Part snout = Spindle(kHead, hc + Vec3{0, -0.02f, 0.0f}, hc + Vec3{0, -0.10f, 0.42f}, 0.15f, 0.13f, {1, 0, 0}, 6, 12);
    snout.profile = [](float u) { return std::sqrt(std::max(0.0f, std::sin(kPi * std::min(1.0f, u * 0.7f + 0.3f)))); };
    FaceUV(snout, 0.3f, 0.4f, 0.55f, 0.4f);
    m.Add(snout);
    m.UseMaterial(mat.detail);
    Part horn = Spindle(kHead, hc + Vec3{0, 0.0f, 0.33f}, hc + Vec3{0, 0.30f, 0.42f}, 0.06f, 0.07f, {1, 0, 0}, 5, 8);
    horn.profile = [](float u) { return u < 0.1f ? u * 10 : std::pow(1.0f - (u - 0.1f) / 0.9f, 0.8f); };
    PaletteUV(horn, kHorn, 4);
    m.Add(horn);
    Part horn2 = Spindle(kHead, hc + Vec3{0, 0.05f, 0.18f}, hc + Vec3{0, 0.18f, 0.2f}, 0.04f, 0.045f, {1, 0, 0}, 4, 6);
    horn2.profile = horn.profile;
    PaletteUV(horn2, kHorn, 4);
    m.Add(horn2);
    AddEyes(m, mat, hc, headRadii, {0.13f, 0.06f, 0.13f}, 0.032f);
    m.UseMaterial(mat.skin);
    for (int side = 0; side < 2; ++side) {
        const float x = side ? -1.0f : 1.0f;
        Part ear = Spindle(kHead, hc + Vec3{x * 0.12f, 0.12f, -0.08f}, hc + Vec3{x * 0.19f, 0.27f, -0.1f}, 0.045f, 0.025f,
                           {1, 0, 0}, 4, 6);
        m.Add(ear);
    }
}

void AddWeaselFace(Modeller& m, const Shape& s, const Materials& mat, Vec3 hc, Vec3 headRadii)
{
    m.UseMaterial(mat.face);
    Part snout = Spindle(kHead, hc + Vec3{0, -0.02f, 0.0f}, hc + Vec3{0, -0.05f, 0.27f}, 0.09f, 0.08f, {1, 0, 0}, 5, 10);
    snout.profile = [](float u) { return std::sqrt(std::max(0.0f, std::sin(kPi * std::min(1.0f, u * 0.75f + 0.25f)))); };
    FaceUV(snout, 0.3f, 0.4f, 0.6f, 0.35f);
    m.Add(snout);
    m.UseMaterial(mat.detail);
    Part nose = Blob(kHead, hc + Vec3{0, -0.04f, 0.27f}, {0.025f, 0.02f, 0.02f}, 4, 6);
    PaletteUV(nose, kNose, 4);
    m.Add(nose);
    AddEyes(m, mat, hc, headRadii, {0.065f, 0.04f, s.headD * 0.75f}, 0.028f);
    m.UseMaterial(mat.skin);
    for (int side = 0; side < 2; ++side) {
        const float x = side ? -1.0f : 1.0f;
        Part ear = Blob(kHead, hc + Vec3{x * 0.09f, 0.11f, -0.03f}, {0.045f, 0.045f, 0.02f}, 4, 6);
        m.Add(ear);
    }
}

void AddHead(Modeller& m, const Shape& s, const Materials& mat, Race race)
{
    const Vec3 hc = J(kHead) + Vec3{0, s.headUp, s.headFwd};
    m.UseMaterial(mat.skin);
    Part neck = Limb(kNeck, kHead, s.neckR, s.neckR * 0.9f, 8, 4);
    neck.a = J(kNeck) - Vec3{0, 0.08f, 0};
    neck.b = hc;
    neck.anchors = {{kChest, -0.3f}, {kNeck, 0.3f}, {kHead, 0.9f}};
    m.Add(neck);
    m.UseMaterial(mat.face);
    const Vec3 headRadii{s.headW, s.headH, s.headD};
    m.Add(Blob(kHead, hc, headRadii, 9, 14));
    switch (race) {
    case Race::Panda:
        AddPandaFace(m, s, mat, hc, headRadii);
        break;
    case Race::Lizard:
        AddLizardFace(m, s, mat, hc, headRadii);
        break;
    case Race::Primate:
        AddPrimateFace(m, s, mat, hc, headRadii);
        break;
    case Race::Rhino:
        AddRhinoFace(m, mat, hc, headRadii);
        break;
    case Race::Weasel:
        AddWeaselFace(m, s, mat, hc, headRadii);
        break;
    }
}

void AddTail(Modeller& m, const Materials& mat, Race race)
{
    Part tail;
    tail.j0 = J(kTail1);
    tail.j1 = J(kTail2);
    tail.side = {1, 0, 0};
    tail.width = tail.depth = 1;
    tail.sides = 8;
    tail.rings = 7;
    const Vec3 dir = Normalised(J(kTail2) - J(kTail1));
    switch (race) {
    case Race::Lizard:  // long and heavy, held clear of the pitch
        tail.a = J(kTail1) + Vec3{0, 0.04f, 0.1f};
        tail.b = J(kTail2) + dir * 0.35f;
        tail.profile = TubeProfile(0.13f, 0.01f, 0.12f);
        break;
    case Race::Weasel:  // long and bushy with a dark tip
        tail.a = J(kTail1) + Vec3{0, 0.02f, 0.06f};
        tail.b = J(kTail2) + dir * 0.45f + Vec3{0, 0.1f, 0};
        tail.profile = [](float s) { return 0.05f + 0.06f * std::sin(kPi * std::min(1.0f, s * 1.1f)); };
        tail.profile = [p = tail.profile](float s) { return p(s) * TubeProfile(1, 1, 0.15f)(s); };
        break;
    case Race::Rhino:  // short and thin with a tuft
        tail.a = J(kTail1) + Vec3{0, 0.02f, 0.04f};
        tail.b = J(kTail1) + Vec3{0, -0.3f, -0.14f};
        tail.profile = TubeProfile(0.03f, 0.025f);
        break;
    case Race::Panda:  // a round stub
        tail.a = J(kTail1) + Vec3{0, -0.02f, 0.02f};
        tail.b = J(kTail1) + Vec3{0, -0.06f, -0.12f};
        tail.profile = [](float s) { return 0.07f * EllipsoidProfile(s); };
        break;
    case Race::Primate:
        return;
    }
    tail.anchors = {{kPelvis, -0.1f}, {kTail1, 0.2f}, {kTail1, 0.6f}, {kTail2, 1.2f}};
    m.UseMaterial(race == Race::Weasel ? mat.skin2 : mat.skin);
    if (race == Race::Panda)
        m.UseMaterial(mat.skin);
    m.Add(tail);
}

Materials MakeMaterials(Modeller& m, Race race)
{
    const std::string n = [&] {
        std::string s = RaceName(race);
        for (char& c : s)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }();
    Materials mat{};
    mat.skin = m.Material(n + "_skin");
    mat.skin2 = m.Material(n + "_skin2");
    mat.face = m.Material(n + "_face");
    mat.hands = m.Material(n + "_hands");
    mat.detail = m.Material(n + "_detail");
    return mat;
}

MeshBuilder BuildBody(Race race, Detail detail)
{
    MeshBuilder mesh;
    Modeller m(mesh, detail);
    const Shape s = ShapeOf(race);
    Materials mat = MakeMaterials(m, race);
    Part torso = Torso(s, s.torsoLow, s.torsoTop, 1.0f);
    torso.uScale = 2;  // the fur repeats twice around
    m.UseMaterial(mat.skin);
    m.Add(torso);
    if (race == Race::Primate || race == Race::Lizard) {
        m.UseMaterial(mat.skin2);
        m.Add(BellyPatch(s, m));
    } else if (race == Race::Weasel) {
        // The weasel's second skin is its tail; its belly is the cream of its throat.
        m.UseMaterial(mat.face);
        Part belly = BellyPatch(s, m);
        belly.vOff = 0.7f;
        belly.vScale = 0.25f;
        m.Add(belly);
    }
    AddHead(m, s, mat, race);
    AddLimbs(m, s, mat, race);
    AddTail(m, mat, race);
    return mesh;
}

MeshBuilder BuildKit(Race race, Detail detail)
{
    MeshBuilder mesh;
    Modeller m(mesh, detail, true);
    const Shape s = ShapeOf(race);
    const std::string n = TextureNames(race)[0].substr(0, TextureNames(race)[0].find('_'));
    const int shirt = m.Material(n + "_shirt");
    const int kit = m.Material(n + "_kit");
    // The shirt: the torso from the hem up, and short sleeves.
    m.UseMaterial(shirt);
    const float hem = s.torsoLow + 0.2f, collar = s.torsoTop + 0.01f;
    Part body = Torso(s, hem, collar, 1.07f);
    // Looser over the shoulders, where the torso rounds off faster than the shirt's rings.
    body.relief = [s, hem, collar, belly = body.relief](float u, float phi) {
        const float t = TorsoHeight(s, hem + (collar - hem) * u);
        return belly(u, phi) * (1 + 0.05f * Smooth(std::clamp((t - 0.75f) / 0.2f, 0.0f, 1.0f)));
    };
    body.u0 = 0.75f;  // the seam under the right arm, the chest at u 0.25 and the back at 0.75
    // The profile runs from the hem (s 0) up; the texture runs from the collar down.
    body.vScale = -0.8f;
    body.vOff = 0.8f;
    m.Add(body);
    for (int side = 0; side < 2; ++side) {
        const int up = side ? kUpperArmR : kUpperArmL;
        Part sleeve = Limb(up, up + 1, s.armR * 1.3f, s.armR * 1.15f, 8, 4);
        sleeve.b = Lerp(J(up), J(up + 1), 0.55f);
        sleeve.vOff = 0.8f;
        sleeve.vScale = 0.2f;
        m.Add(sleeve);
    }
    m.UseMaterial(kit);
    // Shorts: the hips and the tops of the thighs (kit cell 0), socks (1), boots (2).
    Part shorts = Torso(s, s.torsoLow - 0.03f, s.torsoLow + 0.3f, 1.09f);
    PaletteUV(shorts, 0, 2);
    m.Add(shorts);
    for (int side = 0; side < 2; ++side) {
        const int th = side ? kThighR : kThighL;
        Part leg = Limb(th, th + 1, s.thighR * 1.25f, s.thighR * 1.12f, 8, 4);
        leg.b = Lerp(J(th), J(th + 1), 0.45f);
        PaletteUV(leg, 0, 2);
        m.Add(leg);
        Part sock = Limb(th + 1, th + 2, s.shinR * 1.15f, s.shinR * 0.95f, 8, 4);
        sock.a = Lerp(J(th + 1), J(th + 2), 0.12f);
        sock.b = J(th + 2) + Vec3{0, 0.02f, 0};
        PaletteUV(sock, 1, 2);
        m.Add(sock);
        Part boot = Spindle(th + 2, J(th + 2) + Vec3{0, -0.035f, -0.1f}, J(th + 2) + Vec3{0, -0.035f, s.footLen + 0.05f},
                            s.footR * 1.22f, 0.065f, {1, 0, 0}, 5, 8);
        boot.anchors = {{th + 2, 0}};
        PaletteUV(boot, 2, 2);
        m.Add(boot);
    }
    return mesh;
}

MeshBuilder BuildCard()
{
    MeshBuilder m;
    m.UseMaterial(m.Material("weasel_card"));
    m.SetBone(kHandR);
    // Held up between the fingers of the right hand, face forwards.
    const Vec3 h = J(kHandR) + Vec3{-0.12f, 0.0f, 0.0f};
    const float w = 0.05f, top = 0.16f;
    m.Quad(h + Vec3{w, 0, 0.02f}, h + Vec3{-w, 0, 0.02f}, h + Vec3{-w, top, 0.02f}, h + Vec3{w, top, 0.02f}, 0, 1, 1, 0);
    m.Quad(h + Vec3{-w, 0, 0.02f}, h + Vec3{w, 0, 0.02f}, h + Vec3{w, top, 0.02f}, h + Vec3{-w, top, 0.02f}, 0, 1, 1, 0);
    return m;
}

RwFrame* BuildSkeletonFrames(RwFrame* root)
{
    std::vector<RwFrame*> frames(kBoneCount);
    for (int i = 0; i < kBoneCount; ++i) {
        RwFrame* f = RwFrameCreate();
        const RwV3d offset = ToRw(BindOffset(i));
        RwFrameTranslate(f, &offset, rwCombineReplace);
        RwFrameAddChild(i == 0 ? root : frames[size_t(Bones()[size_t(i)].parent)], f);
        RpHAnimFrameSetID(f, i);
        frames[size_t(i)] = f;
    }
    RpHAnimFrameSetHierarchy(frames[0], CreateSkeletonHierarchy(0));
    return frames[0];
}

RpSkin* MakeSkin(const MeshBuilder& mesh)
{
    std::vector<RwMatrix> skinToBone(kBoneCount);
    for (int b = 0; b < kBoneCount; ++b) {
        RwMatrixSetIdentity(&skinToBone[size_t(b)]);
        const Vec3 p = Bones()[size_t(b)].bindPos;
        skinToBone[size_t(b)].pos = {-p.x, -p.y, -p.z};
    }
    const auto& verts = mesh.Vertices();
    std::vector<RpSkinVertexIndices> idx(verts.size());
    std::vector<RpSkinVertexWeights> w(verts.size());
    for (size_t i = 0; i < verts.size(); ++i)
        for (int k = 0; k < 4; ++k) {
            idx[i][k] = verts[i].bones[k];
            w[i][k] = verts[i].weights[k];
        }
    return RpSkinCreate(RwInt32(verts.size()), kBoneCount, skinToBone.data(), idx.data(), w.data());
}

}  // namespace

const char* RaceName(Race race)
{
    switch (race) {
    case Race::Lizard: return "Lizard";
    case Race::Panda: return "Panda";
    case Race::Primate: return "Primate";
    case Race::Rhino: return "Rhino";
    case Race::Weasel: return "Weasel";
    }
    return "";
}

int VariationCount(Race race)
{
    return race == Race::Weasel ? 1 : 10;
}

std::string RaceFolder(Race race)
{
    return std::string("Characters/") + RaceName(race);
}

std::string ModelPath(Race race)
{
    return RaceFolder(race) + "/" + RaceName(race) + ".DFF";
}

int BodyAtomic(Race race)
{
    return race == Race::Panda ? 1 : 0;
}

int KitAtomic(Race race)
{
    return race == Race::Panda ? 0 : 1;
}

std::vector<std::string> TextureNames(Race race)
{
    std::string n = RaceName(race);
    for (char& c : n)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    std::vector<std::string> names = {n + "_skin", n + "_skin2", n + "_face", n + "_hands", n + "_detail", n + "_shirt", n + "_kit"};
    if (race == Race::Weasel)
        names.push_back("weasel_card");
    return names;
}

std::string ShirtTexture(Race race)
{
    return TextureNames(race)[5];
}

std::vector<MeshBuilder> BuildCharacterMeshes(Race race, Detail detail)
{
    std::vector<MeshBuilder> meshes(2);
    meshes[size_t(BodyAtomic(race))] = BuildBody(race, detail);
    meshes[size_t(KitAtomic(race))] = BuildKit(race, detail);
    // Two quads have nothing to leave out.
    if (race == Race::Weasel)
        meshes.push_back(BuildCard());
    return meshes;
}

RpClump* BuildCharacter(Race race)
{
    RpClump* clump = RpClumpCreate();
    RwFrame* root = RwFrameCreate();
    RpClumpSetFrame(clump, root);
    BuildSkeletonFrames(root);
    constexpr uint32_t flags = kGeoNormals | kGeoTextured | kGeoLight | kGeoModulate;
    const std::vector<MeshBuilder> full = BuildCharacterMeshes(race, Detail::Full);
    const std::vector<MeshBuilder> low = BuildCharacterMeshes(race, Detail::Low);
    const std::vector<MeshBuilder> coarse = BuildCharacterMeshes(race, Detail::Shadow);
    // A skinned geometry of the mesh, or null.
    const auto skinned = [](const MeshBuilder& mesh) {
        RpGeometry* geometry = mesh.BuildGeometry(flags);
        if (geometry && !RpSkinGeometrySetSkin(geometry, MakeSkin(mesh))) {
            RpGeometryDestroy(geometry);
            return static_cast<RpGeometry*>(nullptr);
        }
        return geometry;
    };
    for (size_t i = 0; i < full.size(); ++i) {
        RpAtomic* atomic = full[i].BuildAtomic(root, flags);
        if (!atomic) {
            RpClumpDestroy(clump);
            return nullptr;
        }
        RpClumpAddAtomic(clump, atomic);
        RpSkinGeometrySetSkin(RpAtomicGetGeometry(atomic), MakeSkin(full[i]));
        if (low[i].TriangleCount() >= full[i].TriangleCount())
            continue;
        RpGeometry* lowGeometry = skinned(low[i]);
        const bool coarser = coarse[i].TriangleCount() < low[i].TriangleCount();
        RpGeometry* shadowGeometry = coarser ? skinned(coarse[i]) : nullptr;
        if (!lowGeometry || (coarser && !shadowGeometry)) {
            RpGeometryDestroy(lowGeometry);
            RpGeometryDestroy(shadowGeometry);
            RpClumpDestroy(clump);
            return nullptr;
        }
        RpAtomicSetLowDetail(atomic, lowGeometry, kLowDetailBelowPixels);
        RpAtomicSetShadowDetail(atomic, shadowGeometry);
        RpGeometryDestroy(lowGeometry);
        RpGeometryDestroy(shadowGeometry);
    }
    return clump;
}

}  // namespace assets::chars
