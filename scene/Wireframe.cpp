#include "scene/Wireframe.h"

#include "framework/Debug.h"
#include "framework/Serializer.h"
#include "scene/EngineUtil.h"
#include "scene/Immediate3DCache.h"
#include "scene/RenderStateSaver.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTwoPi = 6.283185f;
constexpr float kPi = 3.1415925f;

// Two rings of n points about the z axis, interleaved (point 2i on the first, 2i + 1 on the
// second), joined by spokes and each closed round.
void TwoRings(int n, float r0, float z0, float r1, float z1, std::vector<Vector3>& points,
              std::vector<RwImVertexIndex>& indices)
{
    const float step = kTwoPi / n;
    for (int i = 0; i < n; ++i) {
        const float s = std::sin(i * step), c = std::cos(i * step);
        points.emplace_back(r0 * s, r0 * c, z0);
        points.emplace_back(r1 * s, r1 * c, z1);
        const auto a = static_cast<RwImVertexIndex>(2 * i);
        const auto next = static_cast<RwImVertexIndex>(2 * ((i + 1) % n));
        indices.insert(indices.end(), {a, static_cast<RwImVertexIndex>(a + 1), a, next,
                                       static_cast<RwImVertexIndex>(a + 1), static_cast<RwImVertexIndex>(next + 1)});
    }
}

void SerializePlacement(Serializer& serializer, Vector3& position, Quaternion& rotation)
{
    serializer.SerializeVector3("Position", &position);
    serializer.SerializeQuaternion("Orientation", &rotation);
}

}  // namespace

void WireframeObject::Render()
{
    if (!BuildOutline())
        return;
    RenderStateSaver saver;
    saver.Set(rwRenderStateShadeMode, rwShadeFlat);
    saver.Set(rwRenderStateTextureRaster, 0);
    Immediate3DCache::Instance()->Flush();
    saver.Restore();
}

bool WireframeObject::BuildOutline()
{
    std::vector<Vector3> points;
    std::vector<RwImVertexIndex> indices;
    Tessellate(points, indices);
    if (points.empty() || indices.empty())
        return false;
    RwMatrix matrix;
    EngineUtil::BuildMatrix(&matrix, GetPosition(), GetRotation());
    const int count = static_cast<int>(points.size());
    for (Vector3& p : points) {
        const RwV3d local{p.x, p.y, p.z};
        RwV3d placed;
        RwV3dTransformPoints(&placed, &local, 1, &matrix);
        p.Set(placed.x, placed.y, placed.z);
    }

    Immediate3DCache* cache = Immediate3DCache::Instance();
    cache->Begin(rwPrimTypeLineList, true);
    RwIm3DVertex* vertices = cache->AllocVertices(count);
    Immediate3DCache::SetPositions(vertices, points.data(), count);
    Immediate3DCache::SetColors(vertices, m_colour, count);
    std::copy(indices.begin(), indices.end(), cache->AllocIndices(static_cast<int>(indices.size())));
    return true;
}

int WireframeObject::ClampCount(int count, int pointsPerStep, const char* where)
{
    const int most = Immediate3DCache::kMaxVertices / std::max(pointsPerStep, 1);
    if (count <= most)
        return count;
    if (!m_warned)
        LogWarning("%s: %d segments need more points than a draw can index; %d drawn\n", where, count, most);
    m_warned = true;
    return most;
}

void WireframeCone::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Wire Frame Cylinder", descriptor);
    SerializePlacement(serializer, m_position, m_rotation);
    serializer.SerializeFloat("length", &length);
    serializer.SerializeButton("angle", "");
    serializer.SerializeFloat("angle", &angle);
    serializer.SerializeInt("longitude count", &longitudeCount);
    serializer.SerializeColor("Color", &m_colour);
    serializer.EndSection();
}

void WireframeCone::Tessellate(std::vector<Vector3>& points, std::vector<RwImVertexIndex>& indices)
{
    const int n = ClampCount(longitudeCount, 2, "WireframeCone::Render");
    if (n < 1)
        return;
    // The apex is a ring of radius 0.
    const float r = std::cos(angle) == 0.0f ? 1.0f : length * std::tan(angle);
    TwoRings(n, 0.0f, 0.0f, r, length, points, indices);
}

void WireFrameCube::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Wire Frame Cube", descriptor);
    SerializePlacement(serializer, m_position, m_rotation);
    serializer.SerializeFloat("x size", &size.x);
    serializer.SerializeFloat("y size", &size.y);
    serializer.SerializeFloat("z size", &size.z);
    serializer.SerializeColor("Color", &m_colour);
    serializer.EndSection();
}

void WireFrameCube::Tessellate(std::vector<Vector3>& points, std::vector<RwImVertexIndex>& indices)
{
    const float x = size.x, y = size.y, z = size.z;
    points = {{0, 0, 0}, {x, 0, 0}, {x, y, 0}, {0, y, 0}, {0, 0, z}, {x, 0, z}, {x, y, z}, {0, y, z}};
    indices = {0, 1, 1, 2, 2, 3, 3, 0, 4, 5, 5, 6, 6, 7, 7, 4, 0, 4, 1, 5, 2, 6, 3, 7};
}

void WireframeCylinder::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Wire Frame Cylinder", descriptor);
    SerializePlacement(serializer, m_position, m_rotation);
    serializer.SerializeFloat("radius", &radius);
    serializer.SerializeFloat("length", &length);
    serializer.SerializeInt("longitude count", &longitudeCount);
    serializer.SerializeColor("Color", &m_colour);
    serializer.EndSection();
}

void WireframeCylinder::StandOn(const Vector3& base)
{
    // The outline is centred on its own z axis.
    SetRotation(Quaternion(-kPi / 2, Vector3::UnitX));
    SetPosition(base + Vector3(0.0f, length / 2, 0.0f));
}

void WireframeCylinder::Tessellate(std::vector<Vector3>& points, std::vector<RwImVertexIndex>& indices)
{
    const int n = ClampCount(longitudeCount, 2, "WireframeCylinder::Render");
    if (n >= 1)
        TwoRings(n, radius, -length / 2, radius, length / 2, points, indices);
}

void WireframeSphere::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Wire Frame Sphere", descriptor);
    SerializePlacement(serializer, m_position, m_rotation);
    serializer.SerializeFloat("radius", &radius);
    serializer.SerializeInt("longitude count", &longitudeCount);
    serializer.SerializeInt("latitude count", &latitudeCount);
    serializer.SerializeColor("Color", &m_colour);
    serializer.EndSection();
}

void WireframeSphere::Tessellate(std::vector<Vector3>& points, std::vector<RwImVertexIndex>& indices)
{
    // The latitude step divides by m - 1.
    const int m = std::min(latitudeCount, Immediate3DCache::kMaxVertices);
    if (m < 2)
        return;
    const int n = ClampCount(longitudeCount, m, "WireframeSphere::Render");
    if (n < 1)
        return;
    const float step = kTwoPi / n, latitudeStep = kPi / (m - 1);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < m; ++j) {
            const float phi = i * step, theta = j * latitudeStep;
            points.emplace_back(radius * std::cos(theta), radius * std::sin(phi) * std::sin(theta),
                                radius * std::cos(phi) * std::sin(theta));
        }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < m; ++j) {
            const auto at = [m](int a, int b) { return static_cast<RwImVertexIndex>(a * m + b); };
            indices.insert(indices.end(), {at(i, j), at(i, (j + 1) % m), at(i, j), at((i + 1) % n, j)});
        }
}
