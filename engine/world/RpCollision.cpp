#include "engine/world/RpCollision.h"

#include "engine/world/RpWorldInternal.h"

#include "framework/Debug.h"

#include <algorithm>
#include <cmath>

struct RpCollisionData {
    RwInt32 sectors = 0;  // how many sector trees were built
};

namespace {

struct V {
    float x, y, z;
};
inline V Sub(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V Add(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V Mul(V a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V Cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline V ToV(const RwV3d& a) { return {a.x, a.y, a.z}; }
inline RwV3d ToRw(V a) { return {a.x, a.y, a.z}; }

// A sector's search tree: boxes over runs of the triangle order.
struct TreeNode {
    RwBBox box;
    RwInt32 left = -1, right = -1;  // children, or -1 for a leaf
    RwInt32 first = 0, count = 0;   // leaf: run of `order`
};

struct SectorTree {
    std::vector<TreeNode> nodes;
    std::vector<RwInt32> order;
    std::vector<RwV3d> normals;
};

RwBBox TriangleBox(const RpWorldSector* s, RwInt32 t)
{
    const RpTriangle& tri = s->triangles[t];
    const RwV3d& a = s->vertices[tri.vertIndex[0]];
    RwBBox b{a, a};
    for (int k = 1; k < 3; ++k) {
        const RwV3d& v = s->vertices[tri.vertIndex[k]];
        b.sup = {std::max(b.sup.x, v.x), std::max(b.sup.y, v.y), std::max(b.sup.z, v.z)};
        b.inf = {std::min(b.inf.x, v.x), std::min(b.inf.y, v.y), std::min(b.inf.z, v.z)};
    }
    return b;
}

RwBBox Merge(const RwBBox& a, const RwBBox& b)
{
    return {{std::max(a.sup.x, b.sup.x), std::max(a.sup.y, b.sup.y), std::max(a.sup.z, b.sup.z)},
            {std::min(a.inf.x, b.inf.x), std::min(a.inf.y, b.inf.y), std::min(a.inf.z, b.inf.z)}};
}

bool Overlap(const RwBBox& a, const RwBBox& b)
{
    return a.inf.x <= b.sup.x && b.inf.x <= a.sup.x && a.inf.y <= b.sup.y && b.inf.y <= a.sup.y &&
           a.inf.z <= b.sup.z && b.inf.z <= a.sup.z;
}

float Axis(const RwV3d& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

RwInt32 Build(SectorTree& tree, const RpWorldSector* s, const std::vector<RwBBox>& boxes, RwInt32 first,
              RwInt32 count)
{
    const RwInt32 index = RwInt32(tree.nodes.size());
    tree.nodes.emplace_back();
    RwBBox box = boxes[size_t(tree.order[size_t(first)])];
    for (RwInt32 i = first + 1; i < first + count; ++i)
        box = Merge(box, boxes[size_t(tree.order[size_t(i)])]);
    tree.nodes[size_t(index)].box = box;
    if (count <= 8) {
        tree.nodes[size_t(index)].first = first;
        tree.nodes[size_t(index)].count = count;
        return index;
    }
    // Split at the median of the longest axis of the box.
    const float ext[3] = {box.sup.x - box.inf.x, box.sup.y - box.inf.y, box.sup.z - box.inf.z};
    const int axis = ext[0] >= ext[1] && ext[0] >= ext[2] ? 0 : ext[1] >= ext[2] ? 1 : 2;
    auto centre = [&](RwInt32 t) {
        const RwBBox& b = boxes[size_t(t)];
        return Axis(b.sup, axis) + Axis(b.inf, axis);
    };
    const auto begin = tree.order.begin() + first;
    std::nth_element(begin, begin + count / 2, begin + count,
                     [&](RwInt32 a, RwInt32 b) { return centre(a) < centre(b); });
    const RwInt32 left = Build(tree, s, boxes, first, count / 2);
    const RwInt32 right = Build(tree, s, boxes, first + count / 2, count - count / 2);
    tree.nodes[size_t(index)].left = left;
    tree.nodes[size_t(index)].right = right;
    return index;
}

V Normal(const RpWorldSector* s, RwInt32 t)
{
    const RpTriangle& tri = s->triangles[t];
    const V a = ToV(s->vertices[tri.vertIndex[0]]);
    const V n = Cross(Sub(ToV(s->vertices[tri.vertIndex[1]]), a), Sub(ToV(s->vertices[tri.vertIndex[2]]), a));
    const float l = std::sqrt(Dot(n, n));
    return l > 0 ? Mul(n, 1.0f / l) : V{0, 0, 0};
}

// ---- exact primitive tests ----

// Two-sided segment test; t along the segment.
bool SegmentTriangle(V p, V d, V a, V b, V c, float& t)
{
    const V e1 = Sub(b, a), e2 = Sub(c, a);
    const V h = Cross(d, e2);
    const float det = Dot(e1, h);
    if (std::fabs(det) < 1e-12f)
        return false;
    const float inv = 1.0f / det;
    const V s = Sub(p, a);
    const float u = Dot(s, h) * inv;
    if (u < 0.0f || u > 1.0f)
        return false;
    const V q = Cross(s, e1);
    const float v = Dot(d, q) * inv;
    if (v < 0.0f || u + v > 1.0f)
        return false;
    t = Dot(e2, q) * inv;
    return t >= 0.0f && t <= 1.0f;
}

V ClosestPointOnTriangle(V p, V a, V b, V c)
{
    const V ab = Sub(b, a), ac = Sub(c, a), ap = Sub(p, a);
    const float d1 = Dot(ab, ap), d2 = Dot(ac, ap);
    if (d1 <= 0 && d2 <= 0)
        return a;
    const V bp = Sub(p, b);
    const float d3 = Dot(ab, bp), d4 = Dot(ac, bp);
    if (d3 >= 0 && d4 <= d3)
        return b;
    const float vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0)
        return Add(a, Mul(ab, d1 / (d1 - d3)));
    const V cp = Sub(p, c);
    const float d5 = Dot(ab, cp), d6 = Dot(ac, cp);
    if (d6 >= 0 && d5 <= d6)
        return c;
    const float vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0)
        return Add(a, Mul(ac, d2 / (d2 - d6)));
    const float va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
        return Add(b, Mul(Sub(c, b), (d4 - d3) / ((d4 - d3) + (d5 - d6))));
    const float denom = 1.0f / (va + vb + vc);
    return Add(a, Add(Mul(ab, vb * denom), Mul(ac, vc * denom)));
}

// Separating-axis test of a triangle against a box (centre, half sizes): the three box
// axes, the triangle's normal and the nine edge cross products.
bool BoxTriangle(V centre, V half, V a, V b, V c)
{
    const V v0 = Sub(a, centre), v1 = Sub(b, centre), v2 = Sub(c, centre);
    const V e[3] = {Sub(v1, v0), Sub(v2, v1), Sub(v0, v2)};
    const V axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    auto separated = [&](V axis) {
        const float p0 = Dot(v0, axis), p1 = Dot(v1, axis), p2 = Dot(v2, axis);
        const float r = half.x * std::fabs(axis.x) + half.y * std::fabs(axis.y) + half.z * std::fabs(axis.z);
        return std::min({p0, p1, p2}) > r || std::max({p0, p1, p2}) < -r;
    };
    for (const V& axis : axes)
        if (separated(axis))
            return false;
    for (const V& edge : e)
        for (const V& axis : axes) {
            const V x = Cross(edge, axis);
            if (Dot(x, x) > 1e-20f && separated(x))
                return false;
        }
    const V n = Cross(e[0], e[1]);
    return !(Dot(n, n) > 0 && separated(n));
}

struct Query {
    RpIntersection* intersection;
    RpIntersectionCallBackWorldTriangle callback;
    void* data;
    RwBBox bounds;
    bool stopped = false;
};

// One triangle; false when the callback asked to stop.
bool Test(Query& q, RpWorldSector* s, RwInt32 t, const RwV3d* normal)
{
    const RpTriangle& tri = s->triangles[t];
    RwV3d* corners[3] = {&s->vertices[tri.vertIndex[0]], &s->vertices[tri.vertIndex[1]],
                         &s->vertices[tri.vertIndex[2]]};
    const V a = ToV(*corners[0]), b = ToV(*corners[1]), c = ToV(*corners[2]);
    RpCollisionTriangle ct{};
    float distance = 0;
    switch (q.intersection->type) {
    case rpIntersectLine: {
        const V p = ToV(q.intersection->t.line.start);
        const V d = Sub(ToV(q.intersection->t.line.end), p);
        if (!SegmentTriangle(p, d, a, b, c, distance))
            return true;
        ct.point = ToRw(Add(p, Mul(d, distance)));
        break;
    }
    case rpIntersectSphere: {
        const RwSphere& sp = q.intersection->t.sphere;
        const V centre = ToV(sp.center);
        const V closest = ClosestPointOnTriangle(centre, a, b, c);
        const V gap = Sub(closest, centre);
        const float d2 = Dot(gap, gap);
        if (d2 > sp.radius * sp.radius)
            return true;
        distance = sp.radius > 0 ? std::sqrt(d2) / sp.radius : 0.0f;
        ct.point = ToRw(closest);
        break;
    }
    case rpIntersectBox: {
        const RwBBox& box = q.intersection->t.box;
        const V centre{(box.sup.x + box.inf.x) * 0.5f, (box.sup.y + box.inf.y) * 0.5f, (box.sup.z + box.inf.z) * 0.5f};
        const V half{(box.sup.x - box.inf.x) * 0.5f, (box.sup.y - box.inf.y) * 0.5f, (box.sup.z - box.inf.z) * 0.5f};
        if (!BoxTriangle(centre, half, a, b, c))
            return true;
        ct.point = ToRw(centre);
        break;
    }
    default:
        return true;
    }
    ct.normal = normal ? *normal : ToRw(Normal(s, t));
    std::copy(corners, corners + 3, ct.vertices);
    ct.index = t;
    if (!q.callback(q.intersection, s, &ct, distance, q.data)) {
        q.stopped = true;
        return false;
    }
    return true;
}

bool QuerySector(Query& q, RpWorldSector* s)
{
    if (!Overlap(q.bounds, s->boundingBox))
        return true;
    auto* tree = static_cast<SectorTree*>(s->collision);
    if (!tree) {
        for (RwInt32 t = 0; t < s->numTriangles; ++t)
            if (Overlap(q.bounds, TriangleBox(s, t)) && !Test(q, s, t, nullptr))
                return false;
        return true;
    }
    if (tree->nodes.empty())
        return true;
    RwInt32 stack[128];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const TreeNode& n = tree->nodes[size_t(stack[--top])];
        if (!Overlap(q.bounds, n.box))
            continue;
        if (n.left < 0) {
            for (RwInt32 i = n.first; i < n.first + n.count; ++i) {
                const RwInt32 t = tree->order[size_t(i)];
                if (!Test(q, s, t, &tree->normals[size_t(t)]))
                    return false;
            }
            continue;
        }
        if (top + 2 > 128)
            return true;  // depth is log2 of the triangles: cannot happen below 2^60
        stack[top++] = n.right;
        stack[top++] = n.left;
    }
    return true;
}

bool QueryNode(Query& q, RpWorld* w, RwInt32 child, int depth)
{
    if (depth > 1024)
        return true;
    if (child < 0)
        return QuerySector(q, w->sectors[size_t(~child)]);
    if (!Overlap(q.bounds, w->nodeBoxes[size_t(child)]))
        return true;
    const RpPlaneNode& node = w->planes[size_t(child)];
    return QueryNode(q, w, node.left, depth + 1) && QueryNode(q, w, node.right, depth + 1);
}

void DestroyTree(RpWorldSector* s)
{
    delete static_cast<SectorTree*>(s->collision);
    s->collision = nullptr;
}

}  // namespace

RpWorld* RpCollisionWorldBuildData(RpWorld* world, RpCollisionBuildParam*)
{
    if (!world)
        return nullptr;
    RpCollisionWorldDestroyData(world);
    world->collision = new RpCollisionData;
    for (RpWorldSector* s : world->sectors) {
        auto* tree = new SectorTree;
        if (s->numTriangles > 0) {
            std::vector<RwBBox> boxes(size_t(s->numTriangles));
            tree->normals.resize(size_t(s->numTriangles));
            tree->order.resize(size_t(s->numTriangles));
            for (RwInt32 t = 0; t < s->numTriangles; ++t) {
                boxes[size_t(t)] = TriangleBox(s, t);
                tree->normals[size_t(t)] = ToRw(Normal(s, t));
                tree->order[size_t(t)] = t;
            }
            Build(*tree, s, boxes, 0, s->numTriangles);
        }
        s->collision = tree;
        ++world->collision->sectors;
    }
    return world;
}

RpWorld* RpCollisionWorldDestroyData(RpWorld* world)
{
    if (!world)
        return nullptr;
    for (RpWorldSector* s : world->sectors)
        DestroyTree(s);
    delete world->collision;
    world->collision = nullptr;
    return world;
}

RwBool RpCollisionWorldQueryData(const RpWorld* world)
{
    return world && world->collision;
}

RpWorld* RpCollisionWorldForAllIntersections(RpWorld* world, RpIntersection* intersection,
                                             RpIntersectionCallBackWorldTriangle callback, void* data)
{
    if (!world || !intersection || !callback)
        return nullptr;
    Query q{intersection, callback, data, {}};
    switch (intersection->type) {
    case rpIntersectLine: {
        const RwLine& l = intersection->t.line;
        q.bounds = {{std::max(l.start.x, l.end.x), std::max(l.start.y, l.end.y), std::max(l.start.z, l.end.z)},
                    {std::min(l.start.x, l.end.x), std::min(l.start.y, l.end.y), std::min(l.start.z, l.end.z)}};
        break;
    }
    case rpIntersectSphere: {
        const RwSphere& s = intersection->t.sphere;
        const RwReal r = std::fabs(s.radius);
        q.bounds = {{s.center.x + r, s.center.y + r, s.center.z + r}, {s.center.x - r, s.center.y - r, s.center.z - r}};
        break;
    }
    case rpIntersectBox: {
        const RwBBox& b = intersection->t.box;
        // Accept corners given either way round.
        q.bounds = Merge({b.sup, b.sup}, {b.inf, b.inf});
        intersection->t.box = q.bounds;
        break;
    }
    default:
        LogError("RpCollisionWorldForAllIntersections: primitive type %d is not supported\n",
                 int(intersection->type));
        return nullptr;
    }
    if (world->planes.empty()) {
        for (RpWorldSector* s : world->sectors)
            if (!QuerySector(q, s))
                break;
    } else {
        QueryNode(q, world, 0, 0);
    }
    return world;
}
