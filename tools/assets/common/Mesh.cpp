#include "tools/assets/common/Mesh.h"

#include "engine/world/RpWorld.h"

#include <algorithm>

namespace assets {

RwV3d ToRw(Vec3 v)
{
    return {v.x, v.y, v.z};
}

RpMaterial* CreateMaterial(const MeshMaterial& m)
{
    RpMaterial* material = RpMaterialCreate();
    const RwRGBA colour{m.colour.r, m.colour.g, m.colour.b, m.colour.a};
    RpMaterialSetColor(material, &colour);
    if (!m.texture.empty()) {
        RwTexture* texture = RwTextureCreate(nullptr);
        RwTextureSetName(texture, m.texture.c_str());
        RwTextureSetFilterMode(texture, rwFilterLinearMipLinear);
        RpMaterialSetTexture(material, texture);
        RwTextureDestroy(texture);
    }
    return material;
}

Frame3 Frame3::LookAt(Vec3 eye, Vec3 target)
{
    Frame3 f;
    f.at = Normalised(target - eye);
    Vec3 up{0, 1, 0};
    if (std::fabs(Dot(up, f.at)) > 0.999f)
        up = {0, 0, 1};
    // right = up x at keeps (right, up, at) the same handedness as the identity.
    f.right = Normalised(Cross(up, f.at));
    f.up = Cross(f.at, f.right);
    f.pos = eye;
    return f;
}

int MeshBuilder::Material(const std::string& texture, Rgba colour)
{
    const MeshMaterial m{texture, colour};
    for (size_t i = 0; i < m_materials.size(); ++i)
        if (m_materials[i] == m)
            return int(i);
    m_materials.push_back(m);
    return int(m_materials.size()) - 1;
}

void MeshBuilder::SetBone(int bone)
{
    const uint8_t bones[4] = {uint8_t(bone), 0, 0, 0};
    const float weights[4] = {1, 0, 0, 0};
    SetBoneWeights(bones, weights);
}

void MeshBuilder::SetBoneWeights(const uint8_t bones[4], const float weights[4])
{
    std::copy(bones, bones + 4, m_bones);
    std::copy(weights, weights + 4, m_weights);
}

uint32_t MeshBuilder::Vertex(Vec3 pos, Vec3 normal, float u, float v)
{
    MeshVertex vx;
    vx.pos = m_transform.Point(pos);
    vx.normal = Normalised(m_transform.Direction(normal));
    vx.u = u;
    vx.v = v;
    vx.colour = m_colour;
    std::copy(m_bones, m_bones + 4, vx.bones);
    std::copy(m_weights, m_weights + 4, vx.weights);
    m_vertices.push_back(vx);
    return uint32_t(m_vertices.size() - 1);
}

void MeshBuilder::Triangle(uint32_t a, uint32_t b, uint32_t c)
{
    if (m_material < 0)
        m_material = Material("");
    m_triangles.push_back({{a, b, c}, m_material});
}

void MeshBuilder::Quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, float u0, float v0, float u1, float v1)
{
    const Vec3 n = Normalised(Cross(b - a, d - a));
    const uint32_t i0 = Vertex(a, n, u0, v0), i1 = Vertex(b, n, u1, v0);
    const uint32_t i2 = Vertex(c, n, u1, v1), i3 = Vertex(d, n, u0, v1);
    Triangle(i0, i1, i2);
    Triangle(i0, i2, i3);
}

void MeshBuilder::Box(Vec3 mn, Vec3 mx, float tile, unsigned faces)
{
    const float sx = mx.x - mn.x, sy = mx.y - mn.y, sz = mx.z - mn.z;
    auto uv = [&](float len) { return tile > 0 ? len / tile : 1.0f; };
    if (faces & 0x01)
        Quad({mn.x, mn.y, mn.z}, {mn.x, mn.y, mx.z}, {mn.x, mx.y, mx.z}, {mn.x, mx.y, mn.z}, 0, uv(sy), uv(sz), 0);
    if (faces & 0x02)
        Quad({mx.x, mn.y, mx.z}, {mx.x, mn.y, mn.z}, {mx.x, mx.y, mn.z}, {mx.x, mx.y, mx.z}, 0, uv(sy), uv(sz), 0);
    if (faces & 0x04)
        Quad({mn.x, mn.y, mn.z}, {mx.x, mn.y, mn.z}, {mx.x, mn.y, mx.z}, {mn.x, mn.y, mx.z}, 0, 0, uv(sx), uv(sz));
    if (faces & 0x08)
        Quad({mn.x, mx.y, mx.z}, {mx.x, mx.y, mx.z}, {mx.x, mx.y, mn.z}, {mn.x, mx.y, mn.z}, 0, 0, uv(sx), uv(sz));
    if (faces & 0x10)
        Quad({mn.x, mn.y, mn.z}, {mn.x, mx.y, mn.z}, {mx.x, mx.y, mn.z}, {mx.x, mn.y, mn.z}, uv(sy), 0, 0, uv(sx));
    if (faces & 0x20)
        Quad({mx.x, mn.y, mx.z}, {mx.x, mx.y, mx.z}, {mn.x, mx.y, mx.z}, {mn.x, mn.y, mx.z}, uv(sy), 0, 0, uv(sx));
}

void MeshBuilder::Frustum(Vec3 base, float bottom, float top, float height, int sides, bool caps)
{
    sides = std::max(sides, 3);
    const float slope = (bottom - top) / std::max(height, 1e-6f);
    std::vector<uint32_t> lo, hi;
    for (int i = 0; i <= sides; ++i) {
        const float a = 2 * kPi * float(i) / float(sides);
        const float c = std::cos(a), s = std::sin(a);
        const Vec3 n = Normalised({c, slope, s});
        const float u = float(i) / float(sides);
        lo.push_back(Vertex(base + Vec3{c * bottom, 0, s * bottom}, n, u, 1));
        hi.push_back(Vertex(base + Vec3{c * top, height, s * top}, n, u, 0));
    }
    for (int i = 0; i < sides; ++i) {
        Triangle(lo[size_t(i)], hi[size_t(i)], hi[size_t(i) + 1]);
        Triangle(lo[size_t(i)], hi[size_t(i) + 1], lo[size_t(i) + 1]);
    }
    if (!caps)
        return;
    for (int end = 0; end < 2; ++end) {
        const float r = end ? top : bottom;
        if (r <= 0)
            continue;
        const Vec3 n{0, end ? 1.0f : -1.0f, 0};
        const Vec3 c = base + Vec3{0, end ? height : 0, 0};
        const uint32_t centre = Vertex(c, n, 0.5f, 0.5f);
        std::vector<uint32_t> rim;
        for (int i = 0; i <= sides; ++i) {
            const float a = 2 * kPi * float(i) / float(sides);
            rim.push_back(Vertex(c + Vec3{std::cos(a) * r, 0, std::sin(a) * r}, n, 0.5f + 0.5f * std::cos(a),
                                 0.5f + 0.5f * std::sin(a)));
        }
        for (int i = 0; i < sides; ++i)
            Triangle(centre, rim[size_t(i) + (end ? 1 : 0)], rim[size_t(i) + (end ? 0 : 1)]);
    }
}

void MeshBuilder::Cylinder(Vec3 base, float radius, float height, int sides, bool caps, float uRepeat)
{
    const size_t first = m_vertices.size();
    Frustum(base, radius, radius, height, sides, caps);
    if (uRepeat != 1)
        for (size_t i = first; i < first + size_t(std::max(sides, 3) + 1) * 2; ++i)
            m_vertices[i].u *= uRepeat;
}

void MeshBuilder::Cone(Vec3 base, float radius, float height, int sides)
{
    Frustum(base, radius, 0, height, sides, false);
}

void MeshBuilder::Sphere(Vec3 centre, float radius, int rings, int segments)
{
    rings = std::max(rings, 2);
    segments = std::max(segments, 3);
    const uint32_t first = uint32_t(m_vertices.size());
    for (int r = 0; r <= rings; ++r) {
        const float phi = kPi * float(r) / float(rings);
        for (int s = 0; s <= segments; ++s) {
            const float theta = 2 * kPi * float(s) / float(segments);
            const Vec3 n{std::sin(phi) * std::cos(theta), std::cos(phi), std::sin(phi) * std::sin(theta)};
            Vertex(centre + n * radius, n, float(s) / float(segments), float(r) / float(rings));
        }
    }
    const uint32_t row = uint32_t(segments + 1);
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            const uint32_t a = first + uint32_t(r) * row + uint32_t(s), b = a + row;
            if (r > 0)
                Triangle(a, a + 1, b);
            if (r + 1 < rings)
                Triangle(a + 1, b + 1, b);
        }
}

void MeshBuilder::Beam(Vec3 a, Vec3 b, float radius, int sides)
{
    const Vec3 axis = b - a;
    const float len = Length(axis);
    if (len <= 0)
        return;
    const Frame3 saved = m_transform;
    Frame3 local = Frame3::LookAt(a, b);
    // The frustum stands along +y: map its y onto the beam's direction.
    Frame3 f{local.right, local.at, -local.up, a};
    m_transform = saved * f;
    Frustum({0, 0, 0}, radius, radius, len, sides, false);
    m_transform = saved;
}

void MeshBuilder::BakeLighting(Vec3 toLight, float ambient, float diffuse)
{
    const Vec3 l = Normalised(toLight);
    for (MeshVertex& v : m_vertices) {
        const float f = ambient + diffuse * std::max(0.0f, Dot(v.normal, l));
        v.colour = Scale(v.colour, f);
    }
}

void MeshBuilder::Reverse(size_t first, size_t end)
{
    std::vector<bool> turned(m_vertices.size(), false);
    for (size_t i = first; i < std::min(end, m_triangles.size()); ++i) {
        uint32_t* v = m_triangles[i].v;
        std::swap(v[1], v[2]);
        for (int k = 0; k < 3; ++k)
            if (!turned[v[k]]) {
                m_vertices[v[k]].normal = -m_vertices[v[k]].normal;
                turned[v[k]] = true;
            }
    }
}

void MeshBuilder::AddBackFaces(size_t first, size_t end)
{
    for (size_t i = first; i < std::min(end, m_triangles.size()); ++i) {
        const MeshTriangle t = m_triangles[i];
        m_triangles.push_back({{t.v[0], t.v[2], t.v[1]}, t.material});
    }
}

void MeshBuilder::Append(const MeshBuilder& other)
{
    const uint32_t base = uint32_t(m_vertices.size());
    m_vertices.insert(m_vertices.end(), other.m_vertices.begin(), other.m_vertices.end());
    for (const MeshTriangle& t : other.m_triangles) {
        const MeshMaterial& m = other.m_materials[size_t(t.material)];
        m_triangles.push_back({{t.v[0] + base, t.v[1] + base, t.v[2] + base}, Material(m.texture, m.colour)});
    }
}

RpGeometry* MeshBuilder::BuildGeometry(uint32_t flags) const
{
    if (m_vertices.empty() || m_triangles.empty() || m_vertices.size() > 65535)
        return nullptr;
    RpGeometry* g = RpGeometryCreate(RwInt32(m_vertices.size()), RwInt32(m_triangles.size()), flags);
    if (!g)
        return nullptr;
    RpMorphTarget& target = g->morphTarget[0];
    for (size_t i = 0; i < m_vertices.size(); ++i) {
        const MeshVertex& v = m_vertices[i];
        target.verts[i] = ToRw(v.pos);
        if (target.normals)
            target.normals[i] = ToRw(v.normal);
        if (g->preLitLum)
            g->preLitLum[i] = {v.colour.r, v.colour.g, v.colour.b, v.colour.a};
        if (g->numTexCoordSets > 0)
            g->texCoords[0][i] = {v.u, v.v};
    }
    for (size_t i = 0; i < m_triangles.size(); ++i) {
        const MeshTriangle& t = m_triangles[i];
        g->triangles[i] = {{RwUInt16(t.v[0]), RwUInt16(t.v[1]), RwUInt16(t.v[2])}, RwUInt16(t.material)};
    }
    RpMorphTargetCalcBoundingSphere(&target, nullptr);
    for (const MeshMaterial& m : m_materials) {
        RpMaterial* material = CreateMaterial(m);
        RpGeometryAddMaterial(g, material);
        RpMaterialDestroy(material);
    }
    return g;
}

RpAtomic* MeshBuilder::BuildAtomic(RwFrame* frame, uint32_t flags) const
{
    RpGeometry* g = BuildGeometry(flags);
    if (!g)
        return nullptr;
    RpAtomic* atomic = RpAtomicCreate();
    RpAtomicSetGeometry(atomic, g);
    RpGeometryDestroy(g);
    RpAtomicSetFrame(atomic, frame);
    return atomic;
}

RpClump* BuildClump(const MeshBuilder& mesh, uint32_t flags)
{
    return BuildClump(std::span<const MeshBuilder>(&mesh, 1), flags);
}

RpClump* BuildClump(std::span<const MeshBuilder> parts, uint32_t flags)
{
    RwFrame* root = RwFrameCreate();
    RpClump* clump = RpClumpCreate();
    RpClumpSetFrame(clump, root);
    for (const MeshBuilder& part : parts)
        if (RpAtomic* atomic = part.BuildAtomic(root, flags))
            RpClumpAddAtomic(clump, atomic);
    if (clump->atomics.empty()) {
        RpClumpDestroy(clump);
        return nullptr;
    }
    return clump;
}

}  // namespace assets
