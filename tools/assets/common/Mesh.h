#pragma once

// Mesh building for generated models: a triangle list with per-vertex position, normal,
// texture coordinates, pre-lit colour and optional skin weights, plus a material list
// (texture name and colour). Primitives are added through the current transform, so parts
// can be modelled in their own space and placed. The result becomes engine geometry through
// BuildGeometry / BuildAtomic; the world builder takes the triangles as they are.

#include "tools/assets/common/Image.h"

#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct RpGeometry;
struct RpAtomic;
struct RpClump;
struct RpMaterial;
struct RwFrame;
struct RwV3d;

namespace assets {

inline constexpr float kPi = 3.14159265358979f;

struct Vec3 {
    float x = 0, y = 0, z = 0;
    Vec3 operator+(Vec3 o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator-(Vec3 o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vec3 operator-() const { return {-x, -y, -z}; }
    bool operator==(const Vec3&) const = default;
};
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
inline Vec3 Normalised(Vec3 a)
{
    const float l = Length(a);
    return l > 0 ? a * (1.0f / l) : Vec3{0, 1, 0};
}
inline Vec3 Lerp(Vec3 a, Vec3 b, float t) { return a + (b - a) * t; }

// A rigid placement in the engine's row-vector convention: a point p becomes
// p.x * right + p.y * up + p.z * at + pos.
struct Frame3 {
    Vec3 right{1, 0, 0}, up{0, 1, 0}, at{0, 0, 1}, pos{};

    Vec3 Point(Vec3 p) const { return right * p.x + up * p.y + at * p.z + pos; }
    Vec3 Direction(Vec3 d) const { return right * d.x + up * d.y + at * d.z; }
    // This placement applied after `inner` (inner's space nested in this one).
    Frame3 operator*(const Frame3& inner) const
    {
        return {Direction(inner.right), Direction(inner.up), Direction(inner.at), Point(inner.pos)};
    }
    static Frame3 Translation(Vec3 t)
    {
        Frame3 f;
        f.pos = t;
        return f;
    }
    // Rotation about +y by angle radians (x turns towards -z), then the translation.
    static Frame3 YawAt(float angle, Vec3 t)
    {
        const float c = std::cos(angle), s = std::sin(angle);
        return {{c, 0, -s}, {0, 1, 0}, {s, 0, c}, t};
    }
    // at = the direction from eye to target, up as near to +y as it can be.
    static Frame3 LookAt(Vec3 eye, Vec3 target);
};

struct MeshVertex {
    Vec3 pos, normal;
    float u = 0, v = 0;
    Rgba colour{255, 255, 255, 255};
    uint8_t bones[4] = {0, 0, 0, 0};
    float weights[4] = {1, 0, 0, 0};
};

struct MeshTriangle {
    uint32_t v[3];
    int material;
};

struct MeshMaterial {
    std::string texture;  // empty: untextured
    Rgba colour{255, 255, 255, 255};
    bool operator==(const MeshMaterial&) const = default;
};

class MeshBuilder {
public:
    // The material's index; an equal material is reused.
    int Material(const std::string& texture, Rgba colour = {255, 255, 255, 255});
    void UseMaterial(int material) { m_material = material; }
    int CurrentMaterial() const { return m_material; }
    // Pre-lit colour of the vertices added from now on.
    void SetColour(Rgba colour) { m_colour = colour; }
    Rgba Colour() const { return m_colour; }
    void SetTransform(const Frame3& transform) { m_transform = transform; }
    const Frame3& Transform() const { return m_transform; }
    // Skin weights of the vertices added from now on: one bone, or up to four blended.
    void SetBone(int bone);
    void SetBoneWeights(const uint8_t bones[4], const float weights[4]);

    // Position and normal in the current transform's space.
    uint32_t Vertex(Vec3 pos, Vec3 normal, float u, float v);
    void Triangle(uint32_t a, uint32_t b, uint32_t c);

    // A planar quad a-b-c-d (counter-clockwise seen from its front); UVs from (u0, v0) at a
    // to (u1, v1) at c. The normal comes from the corners.
    void Quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1);
    // Axis-aligned box (in the current transform); textures repeat every `tile` units (0: one
    // copy per face). Faces: bit 0 -x, 1 +x, 2 -y, 3 +y, 4 -z, 5 +z.
    void Box(Vec3 min, Vec3 max, float tile = 0, unsigned faces = 0x3F);
    // Upright cylinder standing on base; u wraps `uRepeat` times around, v runs 0..1 up.
    void Cylinder(Vec3 base, float radius, float height, int sides, bool caps, float uRepeat = 1);
    // Upright cone, apex at base + height.
    void Cone(Vec3 base, float radius, float height, int sides);
    // Frustum of a cone standing on base: bottom and top radius.
    void Frustum(Vec3 base, float bottom, float top, float height, int sides, bool caps);
    // Latitude-longitude sphere; u around, v from the north pole down.
    void Sphere(Vec3 centre, float radius, int rings, int segments);
    // A tube of `sides` faces between two points (posts, bars, poles).
    void Beam(Vec3 a, Vec3 b, float radius, int sides);
    // Pre-lit colours times a simple light: ambient + diffuse x max(0, n . toLight), per vertex.
    void BakeLighting(Vec3 toLight, float ambient, float diffuse);
    // Turns the triangles [first, end) to face the other way, normals with them. Shared
    // vertices turn once.
    void Reverse(size_t first, size_t end);
    // Gives the triangles [first, end) a back: the same vertices wound the other way, for
    // thin surfaces seen from both sides when back faces are not drawn.
    void AddBackFaces(size_t first, size_t end);
    // Adds another mesh's triangles (its materials merged into this list).
    void Append(const MeshBuilder& other);

    const std::vector<MeshVertex>& Vertices() const { return m_vertices; }
    std::vector<MeshVertex>& Vertices() { return m_vertices; }
    const std::vector<MeshTriangle>& Triangles() const { return m_triangles; }
    const std::vector<MeshMaterial>& Materials() const { return m_materials; }
    size_t TriangleCount() const { return m_triangles.size(); }

    // Engine geometry with one morph target and its bounding sphere. Flags are the engine's
    // geometry flags; the arrays for normals, pre-lit colours and UVs are filled when set.
    // Textured materials reference their texture by name only (the file is read on load).
    // Null when the mesh is empty or has more than 65535 vertices.
    RpGeometry* BuildGeometry(uint32_t flags) const;
    // An atomic with that geometry on the frame.
    RpAtomic* BuildAtomic(RwFrame* frame, uint32_t flags) const;

private:
    std::vector<MeshVertex> m_vertices;
    std::vector<MeshTriangle> m_triangles;
    std::vector<MeshMaterial> m_materials;
    Frame3 m_transform;
    int m_material = -1;
    Rgba m_colour{255, 255, 255, 255};
    uint8_t m_bones[4] = {0, 0, 0, 0};
    float m_weights[4] = {1, 0, 0, 0};
};

// Engine geometry flag values, for callers that do not include the engine headers.
inline constexpr uint32_t kGeoNormals = 0x01, kGeoPrelit = 0x02, kGeoTextured = 0x04, kGeoLight = 0x08,
                          kGeoModulate = 0x40;

RwV3d ToRw(Vec3 v);

// The engine material for a mesh material: its colour, and its texture as a reference by
// name that the loader resolves from the texture folder. The caller releases it with
// RpMaterialDestroy (geometry and worlds keep their own reference).
RpMaterial* CreateMaterial(const MeshMaterial& material);

// A clump of one atomic on a root frame at the origin: the usual shape of a static model.
// Null when the mesh is empty.
RpClump* BuildClump(const MeshBuilder& mesh, uint32_t flags);

// A clump of one atomic per part that has triangles, all on one root frame at the origin: a
// model spread wide, whose parts out of view are then left out one by one. Null when every
// part is empty.
RpClump* BuildClump(std::span<const MeshBuilder> parts, uint32_t flags);

}  // namespace assets
