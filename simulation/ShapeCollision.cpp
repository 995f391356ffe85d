#include "simulation/ShapeCollision.h"

#include "engine/world/RpCollision.h"
#include "simulation/Shape.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace {

constexpr int kTypeCount = 7;
std::array<ShapeCollisionTable::TestFunction, kTypeCount * kTypeCount> s_tests{};

int PairKey(int32_t low, int32_t high)
{
    return low * kTypeCount + high;
}

template <class A, class B, bool (*Collide)(const A&, const B&, const Vector3&, const Vector3&, float&)>
bool Dispatch(const Shape& a, const Shape& b, const Vector3& p, const Vector3& m, float& fraction)
{
    return Collide(static_cast<const A&>(a), static_cast<const B&>(b), p, m, fraction);
}

struct Interval {
    float start, end;
};

// Narrows [a, b] to [lo, hi], both taken in either order; an empty result has b == a.
void IntersectInterval(float& a, float& b, float lo, float hi)
{
    if (a >= b)
        std::swap(a, b);
    if (lo >= hi)
        std::swap(lo, hi);
    a = std::max(a, lo);
    b = std::min(b, hi);
    if (b <= a)
        b = a;
}

// When the point q moving by u is inside [lo, hi) during the step; (-1, -1) for never.
Interval SweepPointThroughSlab(float lo, float hi, float q, float u)
{
    const bool in0 = lo <= q && q < hi;
    const bool in1 = lo <= q + u && q + u < hi;
    if (in0 && in1)
        return {0.0f, 1.0f};
    if (u == 0.0f)
        return {-1.0f, -1.0f};
    float a = (lo - q) / u, b = (hi - q) / u;
    IntersectInterval(a, b, 0.0f, 1.0f);
    return {in0 ? 0.0f : a, in1 ? 1.0f : b};
}

// The part of the step during which B's base, at y - t w above A's, is between -lB and lA.
bool OverlapAlongAxis(float y, float w, float lengthA, float lengthB, Interval& out)
{
    if (w == 0.0f) {
        out = {0.0f, 1.0f};
        return -lengthB < y && y < lengthA;
    }
    float t1 = (y - lengthA) / w, t2 = (y + lengthB) / w;
    if (t1 > t2)
        std::swap(t1, t2);
    if (t1 > 1.0f || t2 < 0.0f)
        return false;
    out = {std::max(t1, 0.0f), std::min(t2, 1.0f)};
    return true;
}

// The part of the step during which two circles, one at p from the other and moving by -m
// relative to it, are within R of each other.
bool SweepCircles(const Vector3& p, const Vector3& m, float radius, Interval& out)
{
    const float speed = m.Length();
    if (speed == 0.0f) {
        out = {0.0f, 1.0f};
        return p.LengthSquared() <= radius * radius;
    }
    const Vector3 u = m * (1.0f / speed);
    const float proj = u.Dot(p);
    const float q = (u * proj - p).LengthSquared();
    if (q > radius * radius)
        return false;
    const float h = std::sqrt(radius * radius - q);
    const float t1 = (proj - h) / speed;
    if (t1 > 1.0f)
        return false;
    const float t2 = (proj + h) / speed;
    if (t2 < 0.0f)
        return false;
    out = {std::max(t1, 0.0f), std::min(t2, 1.0f)};
    return true;
}

struct WorldContactSum {
    Vector3 sum;
    int count = 0;
};

RpCollisionTriangle* AddContact(RpIntersection*, RpWorldSector*, RpCollisionTriangle* triangle, RwReal, void* data)
{
    auto* contact = static_cast<WorldContactSum*>(data);
    contact->sum += Vector3(triangle->normal.x, triangle->normal.y, triangle->normal.z);
    ++contact->count;
    return triangle;
}

}  // namespace

namespace ShapeCollisionTable {

void Init()
{
    s_tests.fill(nullptr);
    s_tests[PairKey(Shape::kSphere, Shape::kPlane)] = &Dispatch<Sphere, Plane, CollideSpherePlane>;
    s_tests[PairKey(Shape::kSphere, Shape::kWorldGeometry)] = &Dispatch<Sphere, WorldGeometry, CollideSphereWorld>;
    s_tests[PairKey(Shape::kSphere, Shape::kCylinder)] = &Dispatch<Sphere, AxisAlignedCylinder, CollideSphereCylinder>;
    s_tests[PairKey(Shape::kSphere, Shape::kCube)] = &Dispatch<Sphere, AxisAlignedCube, CollideSphereCube>;
    s_tests[PairKey(Shape::kPlane, Shape::kCylinder)] = &Dispatch<Plane, AxisAlignedCylinder, CollidePlaneCylinder>;
    s_tests[PairKey(Shape::kCylinder, Shape::kCylinder)] =
        &Dispatch<AxisAlignedCylinder, AxisAlignedCylinder, CollideCylinderCylinder>;
    s_tests[PairKey(Shape::kCylinder, Shape::kCube)] =
        &Dispatch<AxisAlignedCylinder, AxisAlignedCube, CollideCylinderCube>;
}

bool Test(const Shape& a, const Shape& b, const Vector3& p, const Vector3& m, float& fraction)
{
    const int32_t ta = a.GetType(), tb = b.GetType();
    if (ta < 0 || tb < 0 || ta >= kTypeCount || tb >= kTypeCount)
        return false;
    const TestFunction test = s_tests[PairKey(std::min(ta, tb), std::max(ta, tb))];
    if (!test)
        return false;
    return ta <= tb ? test(a, b, p, m, fraction) : test(b, a, -p, -m, fraction);
}

}  // namespace ShapeCollisionTable

bool CollideSpherePlane(const Sphere& sphere, const Plane& plane, const Vector3& p, const Vector3& m, float& fraction)
{
    const float d = plane.normal.Dot(-p) - plane.distance;
    // Behind the plane is solid.
    const float e = d - sphere.radius;
    if (d < 0.0f || e <= 0.0f) {
        fraction = 0.0f;
        return true;
    }
    const float v = plane.normal.Dot(m);
    if (v == 0.0f)
        return false;
    const float t = -e / v;
    if (t <= 0.0f || t >= 1.0f)
        return false;
    fraction = t;
    return true;
}

bool CollideSphereWorld(const Sphere& sphere, const WorldGeometry& world, const Vector3& p, const Vector3& m,
                        float& fraction)
{
    if (!world.world)
        return false;
    const float step = std::max(0.3f * sphere.radius, 0.0001f);
    const float k = m.Length() / step;
    const float increment = k <= 0.0f ? 2.0f : 1.0f / k;
    const Vector3 offset = k <= 0.0f ? Vector3::Zero : m * (1.0f / k);

    RpIntersection query{};
    query.type = rpIntersectSphere;
    query.t.sphere.radius = sphere.radius;
    Vector3 centre = -p;
    WorldContactSum contact;
    float f = 0.0f;
    for (; f <= 1.0f; f += increment, centre += offset) {
        contact = WorldContactSum();
        query.t.sphere.center = {centre.x, centre.y, centre.z};
        RpCollisionWorldForAllIntersections(world.world, &query, &AddContact, &contact);
        if (contact.count > 0)
            break;
    }
    if (contact.count == 0)
        return false;
    fraction = std::max(f - increment, 0.0f);
    WorldContactNormal::normal = contact.sum * (1.0f / static_cast<float>(contact.count));
    WorldContactNormal::count = contact.count;
    return true;
}

bool CollideSphereCube(const Sphere& sphere, const AxisAlignedCube& cube, const Vector3& p, const Vector3& m,
                       float& fraction)
{
    const float r = sphere.radius;
    const float position[3] = {p.x, p.y, p.z}, size[3] = {cube.size.x, cube.size.y, cube.size.z};
    const float motion[3] = {m.x, m.y, m.z};
    float enter = 0.0f, exit = 1.0f;
    for (int k = 0; k < 3; ++k) {
        const Interval slab = SweepPointThroughSlab(position[k] - r, position[k] + size[k] + r, 0.0f, motion[k]);
        IntersectInterval(enter, exit, slab.start, slab.end);
        if (enter >= exit)
            return false;
    }
    fraction = enter;
    return true;
}

bool CollideCylinderCylinder(const AxisAlignedCylinder& a, const AxisAlignedCylinder& b, const Vector3& p,
                             const Vector3& m, float& fraction)
{
    Interval vertical, horizontal;
    if (!OverlapAlongAxis(p.y, m.y, a.length, b.length, vertical))
        return false;
    if (!SweepCircles({p.x, 0.0f, p.z}, {m.x, 0.0f, m.z}, a.radius + b.radius, horizontal))
        return false;
    const float start = std::max(vertical.start, horizontal.start);
    const float end = std::min(vertical.end, horizontal.end);
    if (start > end)
        return false;
    fraction = start;
    return true;
}

bool CollideSphereCylinder(const Sphere& sphere, const AxisAlignedCylinder& cylinder, const Vector3& p,
                           const Vector3& m, float& fraction)
{
    // The sphere as a cylinder standing at its lowest point.
    const AxisAlignedCylinder proxy(Vector3::UnitY, sphere.radius, 2.0f * sphere.radius);
    return CollideCylinderCylinder(proxy, cylinder, {p.x, p.y + sphere.radius, p.z}, m, fraction);
}

bool CollidePlaneCylinder(const Plane& plane, const AxisAlignedCylinder& cylinder, const Vector3& p, const Vector3& m,
                          float& fraction)
{
    // The cylinder's base as a sphere of its radius.
    const Sphere proxy(cylinder.radius);
    return CollideSpherePlane(proxy, plane, -p, -m, fraction);
}

bool CollideCylinderCube(const AxisAlignedCylinder& cylinder, const AxisAlignedCube& cube, const Vector3& p,
                         const Vector3& m, float& fraction)
{
    // A sphere of the cylinder's radius, its centre half that radius above the base.
    const Sphere proxy(cylinder.radius);
    return CollideSphereCube(proxy, cube, {p.x, p.y - 0.5f * cylinder.radius, p.z}, m, fraction);
}
