#include "scene/ProjectedTexture.h"

#include "engine/core/RwCore.h"
#include "engine/world/RpCollision.h"
#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "scene/EngineUtil.h"
#include "scene/Immediate3DCache.h"
#include "scene/RenderStateSaver.h"
#include "scene/RwGraphics.h"
#include "scene/World.h"

#include <algorithm>
#include <cmath>

REGISTER_FACTORY(RenderObjects, ProjectedTexture);

namespace {

// Pulls the projected triangles in front of the surface they were taken from.
constexpr RwUInt32 kZBias = 1;
constexpr RwUInt32 kWhite = 0xffffffffu;
// Ground under a projector placed on it lies at depth 0 give or take rounding: it is not behind.
constexpr float kBehind = -1e-4f;

RwUInt8 CornerByte(const ProjectionStep& step, float d)
{
    if (!step.fading)
        return step.base;
    const float fade = std::max(0.0f, 1.0f - d * d);
    return static_cast<RwUInt8>(static_cast<float>(step.base) * fade);
}

// The bounds in u and v that a triangle is kept and clipped within.
struct Bounds {
    float u0, v0, u1, v1;
};

Bounds ClipBounds(const ProjectionStep& step)
{
    return step.clipToTexture ? Bounds{step.clipU0, step.clipV0, step.clipU1, step.clipV1}
                              : Bounds{0.0f, 0.0f, 1.0f, 1.0f};
}

// Beside the bounds when all three corners are beyond one of their edges.
bool OutsideTexture(const RwV3d uvd[3], const Bounds& b)
{
    const auto all = [&](auto outside) { return outside(uvd[0]) && outside(uvd[1]) && outside(uvd[2]); };
    return all([](const RwV3d& p) { return p.z < kBehind; }) || all([&](const RwV3d& p) { return p.x < b.u0; }) ||
           all([&](const RwV3d& p) { return p.x > b.u1; }) || all([&](const RwV3d& p) { return p.y < b.v0; }) ||
           all([&](const RwV3d& p) { return p.y > b.v1; });
}

// A triangle corner with what the projection gives it; shade is the colour byte before rounding.
struct ProjectedCorner {
    RwV3d position;
    RwV3d uvd;
    float shade;
};

// A triangle clipped by the square's four sides has at most seven corners.
struct ProjectedPolygon {
    static constexpr int kMaxCorners = 7;
    ProjectedCorner corners[kMaxCorners];
    int count = 0;
};

RwV3d Lerp(const RwV3d& a, const RwV3d& b, float t)
{
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

// How far inside side 0..3 of the bounds (u >= u0, u <= u1, v >= v0, v <= v1) the corner lies.
float InsideSide(const ProjectedCorner& corner, int side, const Bounds& b)
{
    switch (side) {
    case 0: return corner.uvd.x - b.u0;
    case 1: return b.u1 - corner.uvd.x;
    case 2: return corner.uvd.y - b.v0;
    default: return b.v1 - corner.uvd.y;
    }
}

ProjectedPolygon ClipToSide(const ProjectedPolygon& in, int side, const Bounds& bounds)
{
    ProjectedPolygon out;
    for (int i = 0; i < in.count; ++i) {
        const ProjectedCorner& a = in.corners[i];
        const ProjectedCorner& b = in.corners[(i + 1) % in.count];
        const float da = InsideSide(a, side, bounds), db = InsideSide(b, side, bounds);
        if (da >= 0.0f)
            out.corners[out.count++] = a;
        if ((da >= 0.0f) != (db >= 0.0f)) {
            const float t = da / (da - db);
            out.corners[out.count++] = {Lerp(a.position, b.position, t), Lerp(a.uvd, b.uvd, t),
                                        a.shade + (b.shade - a.shade) * t};
        }
    }
    return out;
}

bool InsideTexture(const ProjectedPolygon& polygon, const Bounds& bounds)
{
    for (int i = 0; i < polygon.count; ++i)
        for (int side = 0; side < 4; ++side)
            if (InsideSide(polygon.corners[i], side, bounds) < 0.0f)
                return false;
    return true;
}

RpCollisionTriangle* ProjectWorldTriangle(RpIntersection*, RpWorldSector*, RpCollisionTriangle* triangle, RwReal,
                                          void* data)
{
    ProjectionStep& step = *static_cast<ProjectionStep*>(data);
    ProjectTriangle(step, triangle->normal, *triangle->vertices[0], *triangle->vertices[1], *triangle->vertices[2]);
    return triangle;
}

}  // namespace

ProjectionStep MakeProjectionStep(const RwMatrix& projector, float radius, float fadeDist, float alpha)
{
    ProjectionStep step;
    RwMatrixInvert(&step.texture, &projector);
    const RwV3d scale{-0.5f / radius, -0.5f / radius, 1.0f / (fadeDist + radius)};
    RwMatrixScale(&step.texture, &scale, rwCombinePostMultiply);
    const RwV3d centre{0.5f, 0.5f, 0.0f};
    RwMatrixTranslate(&step.texture, &centre, rwCombinePostMultiply);
    step.direction = projector.at;
    step.fading = fadeDist > 0.0f;
    step.base = static_cast<RwUInt8>(std::clamp(alpha, 0.0f, 1.0f) * 255.0f);
    return step;
}

namespace {

// The polygon as a fan of triangles round its first corner.
void AppendFan(ProjectionStep& step, const ProjectedPolygon& polygon)
{
    Immediate3DCache* cache = Immediate3DCache::Instance();
    const int vertices = 3 * (polygon.count - 2);
    if (cache->GetVertexCount() > ProjectedTexture::kBatchVertices - vertices) {
        cache->Flush();
        cache->Begin(rwPrimTypeTriList, false);
    }
    RwIm3DVertex* out = cache->AllocVertices(vertices);
    const auto put = [&](const ProjectedCorner& c) {
        const auto k = static_cast<RwUInt8>(c.shade + 0.5f);
        *out++ = RwIm3DVertex{c.position, {0.0f, 0.0f, 0.0f}, RwPackColor(k, k, k, k),
                              step.tileU + c.uvd.x * step.tileWidth, step.tileV + c.uvd.y * step.tileHeight};
    };
    for (int i = 1; i + 1 < polygon.count; ++i) {
        put(polygon.corners[0]);
        put(polygon.corners[i]);
        put(polygon.corners[i + 1]);
        ++step.accepted;
    }
}

}  // namespace

namespace {

// The part of the triangle the step draws; false for none.
bool ClipTriangle(const ProjectionStep& step, const RwV3d& normal, const RwV3d& a, const RwV3d& b, const RwV3d& c,
                  ProjectedPolygon& polygon)
{
    if (RwV3dDotProduct(&normal, &step.direction) > 0.0f)
        return false;
    const RwV3d corners[3] = {a, b, c};
    RwV3d uvd[3];
    RwV3dTransformPoints(uvd, corners, 3, &step.texture);
    const Bounds bounds = ClipBounds(step);
    if (OutsideTexture(uvd, bounds))
        return false;

    for (int i = 0; i < 3; ++i)
        polygon.corners[polygon.count++] = {corners[i], uvd[i], static_cast<float>(CornerByte(step, uvd[i].z))};
    if (step.clipToTexture && !InsideTexture(polygon, bounds)) {
        for (int side = 0; side < 4 && polygon.count >= 3; ++side)
            polygon = ClipToSide(polygon, side, bounds);
        if (polygon.count < 3)
            return false;
    }
    return true;
}

struct DrawnBox {
    ProjectionStep step;
    RwBBox box{{-1e30f, -1e30f, -1e30f}, {1e30f, 1e30f, 1e30f}};
    bool any = false;
};

RpCollisionTriangle* GrowDrawnBox(RpIntersection*, RpWorldSector*, RpCollisionTriangle* triangle, RwReal, void* data)
{
    auto& drawn = *static_cast<DrawnBox*>(data);
    ProjectedPolygon polygon;
    if (!ClipTriangle(drawn.step, triangle->normal, *triangle->vertices[0], *triangle->vertices[1],
                      *triangle->vertices[2], polygon))
        return triangle;
    drawn.any = true;
    for (int i = 0; i < polygon.count; ++i) {
        const RwV3d& p = polygon.corners[i].position;
        drawn.box.sup = {std::max(drawn.box.sup.x, p.x), std::max(drawn.box.sup.y, p.y), std::max(drawn.box.sup.z, p.z)};
        drawn.box.inf = {std::min(drawn.box.inf.x, p.x), std::min(drawn.box.inf.y, p.y), std::min(drawn.box.inf.z, p.z)};
    }
    return triangle;
}

}  // namespace

bool ProjectTriangle(ProjectionStep& step, const RwV3d& normal, const RwV3d& a, const RwV3d& b, const RwV3d& c)
{
    ProjectedPolygon polygon;
    if (!ClipTriangle(step, normal, a, b, c, polygon))
        return false;
    AppendFan(step, polygon);
    return true;
}

void ProjectedTexture::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Projected Texture", descriptor);
    serializer.SerializeVector3("Position:", &m_position);
    serializer.SerializeQuaternion("Rotation:", &m_rotation);
    serializer.SerializeFloat("alpha", &m_alpha);
    serializer.SerializeFloat("fadeDist", &m_fadeDist);
    serializer.SerializeFloat("projectionZoneRadius", &m_projectionZoneRadius);
    serializer.SerializeFloat("startRadius", &m_startRadius);
    serializer.SerializeFloat("radius", &m_radius);
    serializer.EndSection();
}

RpWorld* ProjectedTexture::TargetWorld() const
{
    const World* world = RwGraphics::Instance()->GetWorld();
    return m_radius > 0.0f && world ? world->GetRwWorld() : nullptr;
}

RwBBox ProjectedTexture::ZoneBox(const RwMatrix& projector) const
{
    // The box round the projector, stretched along the projection as far as the zone reaches.
    const float reach[3] = {projector.at.x * m_projectionZoneRadius, projector.at.y * m_projectionZoneRadius,
                            projector.at.z * m_projectionZoneRadius};
    float sup[3] = {m_position.x + m_startRadius, m_position.y + m_startRadius, m_position.z + m_startRadius};
    float inf[3] = {m_position.x - m_startRadius, m_position.y - m_startRadius, m_position.z - m_startRadius};
    for (int i = 0; i < 3; ++i)
        (reach[i] > 0.0f ? sup[i] : inf[i]) += reach[i];
    return RwBBox{{sup[0], sup[1], sup[2]}, {inf[0], inf[1], inf[2]}};
}

void ProjectedTexture::Render()
{
    m_drawnTriangles = 0;
    if (!TargetWorld())
        return;
    RwD3D8SetRenderState(rwD3D8RenderStateZBias, kZBias);
    RwMatrix projector;
    EngineUtil::BuildMatrix(&projector, m_position, m_rotation);
    Project(projector, ZoneBox(projector), m_fadeDist);
    RwD3D8SetRenderState(rwD3D8RenderStateZBias, 0);
}

bool ProjectedTexture::DrawnBounds(RwBBox& bounds) const
{
    RpWorld* world = TargetWorld();
    if (!world)
        return false;
    RwMatrix projector;
    EngineUtil::BuildMatrix(&projector, m_position, m_rotation);
    // Over the whole square: the drawn part only narrows it.
    DrawnBox drawn{MakeProjectionStep(projector, m_radius, m_fadeDist, m_alpha)};
    drawn.step.clipToTexture = m_clipToTexture;
    RpIntersection query{};
    query.type = rpIntersectBox;
    query.t.box = ZoneBox(projector);
    RpCollisionWorldForAllIntersections(world, &query, GrowDrawnBox, &drawn);
    bounds = drawn.box;
    return drawn.any;
}

void ProjectedTexture::Project(const RwMatrix& projector, const RwBBox& box, float fadeDist)
{
    m_drawnTriangles = 0;
    RpWorld* world = TargetWorld();
    if (!world)
        return;
    ProjectionStep step = MakeProjectionStep(projector, m_radius, fadeDist, m_alpha);
    step.clipToTexture = m_clipToTexture;
    step.clipU0 = m_part[0];
    step.clipV0 = m_part[1];
    step.clipU1 = m_part[2];
    step.clipV1 = m_part[3];
    RwRaster* texture = m_raster;
    if (texture && RwRasterIsSubRaster(texture)) {
        texture = m_raster->parent;
        const auto width = static_cast<float>(texture->width), height = static_cast<float>(texture->height);
        step.tileU = static_cast<float>(m_raster->offsetX) / width;
        step.tileV = static_cast<float>(m_raster->offsetY) / height;
        step.tileWidth = static_cast<float>(m_raster->width) / width;
        step.tileHeight = static_cast<float>(m_raster->height) / height;
    }
    RenderStateSaver states;
    states.Set(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(texture));
    states.Set(rwRenderStateTextureAddress, rwTextureAddressClamp);
    states.Set(rwRenderStateBorderColor, static_cast<intptr_t>(kWhite));
    states.Set(rwRenderStateVertexAlphaEnable, 1);
    states.Set(rwRenderStateTextureFilter, rwFilterLinear);
    states.Set(rwRenderStateSrcBlend, m_sourceBlend);
    states.Set(rwRenderStateDestBlend, m_destinationBlend);

    Immediate3DCache* cache = Immediate3DCache::Instance();
    cache->Begin(rwPrimTypeTriList, false);
    RpIntersection query{};
    query.type = rpIntersectBox;
    query.t.box = box;
    RpCollisionWorldForAllIntersections(world, &query, ProjectWorldTriangle, &step);
    cache->Flush();
    m_drawnTriangles = step.accepted;
    states.Restore();
}
