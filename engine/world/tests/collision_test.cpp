#include "support/WorldTestSupport.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

using namespace worldtest;

namespace {

struct Hit {
    RpWorldSector* sector;
    RwInt32 index;
    RwV3d normal;
    RwV3d corner0;
    RwReal distance;
};

struct Recorder {
    std::vector<Hit> hits;
    size_t stopAfter = ~size_t(0);
};

RpCollisionTriangle* Record(RpIntersection*, RpWorldSector* sector, RpCollisionTriangle* triangle, RwReal distance,
                            void* data)
{
    auto* r = static_cast<Recorder*>(data);
    r->hits.push_back({sector, triangle->index, triangle->normal, *triangle->vertices[0], distance});
    return r->hits.size() >= r->stopAfter ? nullptr : triangle;
}

RpIntersection Line(RwV3d a, RwV3d b)
{
    return {.t = {.line = {a, b}}, .type = rpIntersectLine};
}

RpIntersection Sphere(RwV3d centre, RwReal radius)
{
    return {.t = {.sphere = {centre, radius}}, .type = rpIntersectSphere};
}

RpIntersection Box(RwV3d lo, RwV3d hi)
{
    return {.t = {.box = {hi, lo}}, .type = rpIntersectBox};
}

// (sector, triangle) pairs.
using Set = std::set<std::pair<int, int>>;

// Every case runs on the wall world with and without the search trees.
class WorldCollision : public NullEngineTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        NullEngineTest::SetUp();
        if (GetParam()) {
            ASSERT_EQ(RpCollisionWorldBuildData(world, nullptr), world);
        }
        EXPECT_EQ(RpCollisionWorldQueryData(world), GetParam());
    }
    void TearDown() override { RpWorldDestroy(world); }

    std::vector<Hit> Query(RpIntersection is, size_t stopAfter = ~size_t(0))
    {
        Recorder r;
        r.stopAfter = stopAfter;
        EXPECT_EQ(RpCollisionWorldForAllIntersections(world, &is, Record, &r), world);
        return r.hits;
    }
    Set Triangles(const std::vector<Hit>& hits) const
    {
        Set out;
        for (const Hit& h : hits)
            out.insert({h.sector == world->sectors[0] ? 0 : 1, h.index});
        return out;
    }

    RpWorld* world = MakeWallWorld();
};

TEST_P(WorldCollision, LinesReportTheParameterOfEachHit)
{
    const struct {
        RpIntersection line;
        Set hits;
        RwReal distance;
        RwV3d normal;  // up to sign: lines hit both faces
    } cases[] = {
        {Line({0, 2, 1}, {10, 2, 1}), {{1, 3}}, 0.5f, {1, 0, 0}},  // below the wall's diagonal
        {Line({10, 2, 1}, {0, 2, 1}), {{1, 3}}, 0.5f, {1, 0, 0}},
        {Line({-3, 1, 2}, {-3, -3, 2}), {{0, 1}}, 0.25f, {0, 1, 0}},  // down through the floor
        {Line({0, 2, 1}, {4.9f, 2, 1}), {}, 0, {}},                   // short of the wall
        {Line({-9, 5, 1}, {4, 5, 1}), {}, 0, {}},                     // above everything
    };
    for (const auto& c : cases) {
        const std::vector<Hit> hits = Query(c.line);
        ASSERT_EQ(Triangles(hits), c.hits) << c.line.t.line.start.x << ", " << c.line.t.line.start.y;
        for (const Hit& h : hits) {
            EXPECT_NEAR(h.distance, c.distance, 1e-5);
            EXPECT_NEAR(std::fabs(h.normal.x), c.normal.x, 1e-5) << "the normal comes first";
            EXPECT_NEAR(std::fabs(h.normal.y), c.normal.y, 1e-5);
        }
    }
    EXPECT_EQ(Query(Line({0, 2, 1}, {10, 2, 1}))[0].corner0.x, 5);
}

TEST_P(WorldCollision, SpheresAndBoxesReturnExactlyWhatTheyTouch)
{
    const struct {
        RpIntersection shape;
        Set hits;
    } cases[] = {
        // On the wall's diagonal both of its triangles are 0.2 away; off it only one.
        {Sphere({4.8f, 2, 0}, 0.5f), {{1, 2}, {1, 3}}},
        {Sphere({4.8f, 1, 6}, 0.5f), {{1, 3}}},
        {Sphere({4.4f, 2, 0}, 0.5f), {}},
        {Sphere({0, 0, 0}, 12), {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {1, 2}, {1, 3}}},
        {Box({-1, -0.1f, -1}, {1, 0.1f, 1}), {{0, 1}, {1, 0}}},
        {Box({4, 1, -1}, {6, 3, 1}), {{1, 2}, {1, 3}}},
        // Both wall triangles' boxes hold this one; only the upper triangle meets it.
        {Box({4, 3.5f, -9.9f}, {6, 3.9f, -9}), {{1, 2}}},
        {Box({6, 1, -1}, {7, 3, 1}), {}},
        {Box({6, 3, 1}, {4, 1, -1}), {{1, 2}, {1, 3}}},  // corners the wrong way round
    };
    for (const auto& c : cases)
        EXPECT_EQ(Triangles(Query(c.shape)), c.hits) << "type " << c.shape.type << " case " << (&c - cases);
    for (const Hit& h : Query(Sphere({4.8f, 2, 0}, 0.5f)))
        EXPECT_NEAR(h.distance, 0.4f, 1e-5) << "0.2 of the radius 0.5";
}

TEST_P(WorldCollision, CallbackReturningNullStopsAndUnknownPrimitivesAreRefused)
{
    EXPECT_EQ(Query(Sphere({0, 0, 0}, 12), 1).size(), 1u);
    EXPECT_EQ(Query(Sphere({0, 0, 0}, 12), 2).size(), 2u);
    RpIntersection point{.t = {.point = {0, 0, 0}}, .type = rpIntersectPoint};
    Recorder r;
    EXPECT_EQ(RpCollisionWorldForAllIntersections(world, &point, Record, &r), nullptr);
    EXPECT_TRUE(r.hits.empty());
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutData, WorldCollision, ::testing::Bool());

class WorldCollisionAlone : public NullEngineTest {};

// A world of the sectors (boxes fitted) and planes, with one material.
RpWorld* WorldOf(std::vector<RpWorldSector*> sectors, std::vector<RpPlaneNode> planes)
{
    RwBBox box{{-1000, -1000, -1000}, {1000, 1000, 1000}};
    for (RpWorldSector* s : sectors)
        box = RpWorldSectorCalcBoundingBox(s)->numVertices ? s->boundingBox : box;
    RpWorld* world = RpWorldCreateFromSectors(&box, 0, sectors, planes);
    RpMaterial* m = RpMaterialCreate();
    RpWorldAddMaterial(world, m);
    RpMaterialDestroy(m);
    return world;
}

// A box inside the bounds of a slanted triangle (normal along (1, 1, 1)) but clear of its
// plane misses it; one across the plane meets it.
TEST_F(WorldCollisionAlone, BoxesMeetASlantedTriangleOnlyAcrossItsPlane)
{
    RpWorldSector* s = RpWorldSectorCreate(3, 1, 0);
    const RwV3d corners[3] = {{1, -1, 0}, {0, 1, -1}, {-1, 0, 1}};
    std::copy(corners, corners + 3, s->vertices);
    s->triangles[0] = {{0, 1, 2}, 0};
    RpWorld* world = WorldOf({s}, {});
    for (const auto& [at, hits] : {std::pair(0.4f, size_t(0)), std::pair(0.1f, size_t(1))}) {
        Recorder r;
        RpIntersection box = Box({at - 0.25f, at - 0.25f, at - 0.25f}, {at + 0.25f, at + 0.25f, at + 0.25f});
        RpCollisionWorldForAllIntersections(world, &box, Record, &r);
        EXPECT_EQ(r.hits.size(), hits) << at;
    }
    RpWorldDestroy(world);
}

// A world of one triangle.
RpWorld* TriangleWorld(RwV3d a, RwV3d b, RwV3d c)
{
    RpWorldSector* s = RpWorldSectorCreate(3, 1, 0);
    s->vertices[0] = a;
    s->vertices[1] = b;
    s->vertices[2] = c;
    s->triangles[0] = {{0, 1, 2}, 0};
    return WorldOf({s}, {});
}

// The right triangle (0, 0, 0), (4, 0, 0), (0, 4, 0) in the plane z = 0, alone in a world.
class OneTriangle : public WorldCollisionAlone {
protected:
    void SetUp() override
    {
        WorldCollisionAlone::SetUp();
        world = TriangleWorld({0, 0, 0}, {4, 0, 0}, {0, 4, 0});
    }
    void TearDown() override { RpWorldDestroy(world); }

    // The distance reported for the one hit, or -1 for none.
    RwReal Distance(RpIntersection is)
    {
        Recorder r;
        RpCollisionWorldForAllIntersections(world, &is, Record, &r);
        return r.hits.empty() ? -1 : r.hits[0].distance;
    }

    RpWorld* world = nullptr;
};

// A sphere of radius 10 reports how far the nearest point of the triangle is, whether that
// point is a corner, on an edge or inside.
TEST_F(OneTriangle, SpheresMeasureToTheNearestPointOfTheTriangle)
{
    const struct {
        const char* nearest;
        RwV3d centre;
        RwReal distance;
    } cases[] = {
        {"corner (0, 0, 0)", {-1, -1, 1}, std::sqrt(3.0f)}, {"corner (4, 0, 0)", {5, -1, 0}, std::sqrt(2.0f)},
        {"corner (0, 4, 0)", {-1, 6, 0}, std::sqrt(5.0f)},  {"edge along x", {2, -3, 0}, 3},
        {"edge along y", {-2, 1, 0}, 2},                    {"slanted edge", {3, 3, 0}, std::sqrt(2.0f)},
        {"inside", {1, 1, 5}, 5},                           {"edge along x, near its corner", {0.2f, -3, 0}, 3},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(Distance(Sphere(c.centre, 10)), c.distance / 10, 1e-5f) << c.nearest;
}

// Segments count from their start: a hit on an edge or at the segment's end counts, one
// behind the start, past the end or beside the triangle does not.
TEST_F(OneTriangle, SegmentsHitWithinTheTriangleAndTheirOwnLength)
{
    const struct {
        const char* name;
        RwV3d from, to;
        RwReal distance;  // -1: no hit
    } cases[] = {
        {"through the middle", {1, 1, 1}, {1, 1, -3}, 0.25f},
        {"from below", {1, 1, -1}, {1, 1, 3}, 0.25f},
        {"ending on it", {1, 1, 1}, {1, 1, 0}, 1},
        {"starting on it", {1, 1, 0}, {1, 1, 1}, 0},
        {"short of it", {1, 1, 2}, {1, 1, 1}, -1},
        {"behind the start", {1, 1, -1}, {1, 1, -3}, -1},
        {"along its plane", {-1, 1, 0}, {5, 1, 0}, -1},
        {"on the edge along x", {2, 0, 1}, {2, 0, -1}, 0.5f},
        {"on the edge along y", {0, 2, 1}, {0, 2, -1}, 0.5f},
        {"on the slanted edge", {2, 2, 1}, {2, 2, -1}, 0.5f},
        {"through the corner (4, 0, 0)", {4, 0, 1}, {4, 0, -1}, 0.5f},
        {"past the slanted edge", {2.5f, 2.5f, 1}, {2.5f, 2.5f, -1}, -1},
        {"beside the edge along x", {2, -0.5f, 1}, {2, -0.5f, -1}, -1},
        {"beside the edge along y", {-0.5f, 2, 1}, {-0.5f, 2, -1}, -1},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(Distance(Line(c.from, c.to)), c.distance, 1e-5f) << c.name;
}

// Boxes whose bounds overlap the triangle's but lie past one of its edges miss it.
TEST_F(OneTriangle, BoxesMeetTheTriangleOnlyWhereItIs)
{
    const struct {
        const char* name;
        RpIntersection box;
        bool hit;
    } cases[] = {
        {"across it", Box({1, 1, -0.5f}, {1.5f, 1.5f, 0.5f}), true},
        {"reaching over the slanted edge", Box({1.8f, 1.8f, -0.5f}, {2.1f, 2.1f, 0.5f}), true},
        {"past the slanted edge", Box({2.5f, 2.5f, -0.5f}, {3, 3, 0.5f}), false},
        {"beside the corner on x", Box({4.5f, -0.5f, -0.5f}, {5, 0.5f, 0.5f}), false},
        {"just above it", Box({1, 1, 0.1f}, {2, 2, 1}), false},
        {"touching it from above", Box({1, 1, 0}, {2, 2, 1}), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Distance(c.box) >= 0, c.hit) << c.name;
}

// A few centimetres across, as the stadium's small faces are: a box inside its bounds but
// clear of its plane still misses.
TEST_F(WorldCollisionAlone, BoxesMeetASmallSlantedTriangleOnlyAcrossItsPlane)
{
    RpWorld* world = TriangleWorld({0.05f, -0.05f, 0}, {0, 0.05f, -0.05f}, {-0.05f, 0, 0.05f});
    const RwReal half = 0.0125f;
    for (const auto& [at, hits] : {std::pair(0.02f, size_t(0)), std::pair(0.005f, size_t(1))}) {
        Recorder r;
        RpIntersection box = Box({at - half, at - half, at - half}, {at + half, at + half, at + half});
        RpCollisionWorldForAllIntersections(world, &box, Record, &r);
        EXPECT_EQ(r.hits.size(), hits) << at;
    }
    RpWorldDestroy(world);
}

// The search tree must find what a plain scan finds, on a sector big enough to have one.
TEST_F(WorldCollisionAlone, TreeAgreesWithScan)
{
    const int n = 40;
    RpWorldSector* s = RpWorldSectorCreate((n + 1) * (n + 1), n * n * 2, 0);
    for (int z = 0; z <= n; ++z)
        for (int x = 0; x <= n; ++x)
            s->vertices[z * (n + 1) + x] = {float(x), std::sin(x * 0.7f) + std::cos(z * 0.3f), float(z)};
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x) {
            const RwUInt16 a = RwUInt16(z * (n + 1) + x), b = RwUInt16(a + 1), c = RwUInt16(a + n + 1);
            s->triangles[(z * n + x) * 2] = {{a, c, b}, 0};
            s->triangles[(z * n + x) * 2 + 1] = {{b, c, RwUInt16(c + 1)}, 0};
        }
    // An empty sector first: a search that finds nothing there goes on to the next.
    RpWorld* world = WorldOf({RpWorldSectorCreate(0, 0, 0), s}, {{0, -1, ~0, ~1}});

    const auto collect = [&](RpIntersection is) {
        Recorder r;
        RpCollisionWorldForAllIntersections(world, &is, Record, &r);
        std::set<int> out;
        for (const Hit& h : r.hits)
            out.insert(h.index);
        return out;
    };
    std::vector<RpIntersection> queries;
    for (float i = 0; i < 20; ++i) {
        queries.push_back(Sphere({i * 2, 0.5f, 40 - i * 1.7f}, 1.5f));
        queries.push_back(Line({i, 5, 0}, {40 - i, -3, 40}));
        queries.push_back(Box({i * 2, -1, i * 1.5f}, {i * 2 + 1, 1, i * 1.5f + 2}));
    }
    std::vector<std::set<int>> scanned;
    size_t total = 0;
    for (const RpIntersection& q : queries) {
        scanned.push_back(collect(q));
        total += scanned.back().size();
    }
    EXPECT_GT(total, 100u);
    RpCollisionWorldBuildData(world, nullptr);
    for (size_t i = 0; i < queries.size(); ++i)
        EXPECT_EQ(collect(queries[i]), scanned[i]) << "query " << i;
    RpWorldDestroy(world);
}

}  // namespace
