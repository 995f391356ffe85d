#include "support/WorldTestSupport.h"

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
    int stopAfter = 1 << 30;
};

RpCollisionTriangle* Record(RpIntersection*, RpWorldSector* sector, RpCollisionTriangle* triangle, RwReal distance,
                            void* data)
{
    auto* r = static_cast<Recorder*>(data);
    r->hits.push_back({sector, triangle->index, triangle->normal, *triangle->vertices[0], distance});
    return int(r->hits.size()) >= r->stopAfter ? nullptr : triangle;
}

class WorldCollision : public NullEngineTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        NullEngineTest::SetUp();
        world = MakeWallWorld();
        if (GetParam()) {
            ASSERT_EQ(RpCollisionWorldBuildData(world, nullptr), world);
        }
        EXPECT_EQ(RpCollisionWorldQueryData(world), GetParam());
    }
    void TearDown() override { RpWorldDestroy(world); }

    std::vector<Hit> Query(RpIntersection is, int stopAfter = 1 << 30)
    {
        Recorder r;
        r.stopAfter = stopAfter;
        EXPECT_EQ(RpCollisionWorldForAllIntersections(world, &is, Record, &r), world);
        return r.hits;
    }
    static RpIntersection Line(RwV3d a, RwV3d b)
    {
        RpIntersection is{};
        is.type = rpIntersectLine;
        is.t.line = {a, b};
        return is;
    }
    static RpIntersection Sphere(RwV3d c, RwReal r)
    {
        RpIntersection is{};
        is.type = rpIntersectSphere;
        is.t.sphere = {c, r};
        return is;
    }
    static RpIntersection Box(RwV3d lo, RwV3d hi)
    {
        RpIntersection is{};
        is.type = rpIntersectBox;
        is.t.box = {hi, lo};
        return is;
    }
    std::set<std::pair<int, int>> Triangles(const std::vector<Hit>& hits) const
    {
        std::set<std::pair<int, int>> out;
        for (const Hit& h : hits)
            out.insert({h.sector == world->sectors[0] ? 0 : 1, h.index});
        return out;
    }

    RpWorld* world = nullptr;
};

TEST_P(WorldCollision, LineThroughTheWallReportsItsParameter)
{
    for (auto [a, b] : {std::pair<RwV3d, RwV3d>{{0, 2, 1}, {10, 2, 1}}, {{10, 2, 1}, {0, 2, 1}}}) {
        const std::vector<Hit> hits = Query(Line(a, b));
        ASSERT_EQ(hits.size(), 1u) << "both faces of the wall are hit";
        EXPECT_NEAR(hits[0].distance, 0.5f, 1e-5);
        EXPECT_NEAR(std::fabs(hits[0].normal.x), 1, 1e-5);  // the normal comes first
        EXPECT_EQ(hits[0].corner0.x, 5);
        EXPECT_EQ(hits[0].sector, world->sectors[1]);
    }
    // Short of the wall, and a line along the floor's plane above it, hit nothing.
    EXPECT_TRUE(Query(Line({0, 2, 1}, {4.9f, 2, 1})).empty());
    EXPECT_TRUE(Query(Line({-9, 5, 1}, {4, 5, 1})).empty());
    // Straight down through both floors at a quarter of the way.
    const std::vector<Hit> down = Query(Line({-3, 1, 2}, {-3, -3, 2}));
    ASSERT_EQ(down.size(), 1u);
    EXPECT_NEAR(down[0].distance, 0.25f, 1e-5);
    EXPECT_NEAR(down[0].normal.y, 1, 1e-5);
}

TEST_P(WorldCollision, CallbackReturningNullStops)
{
    const RpIntersection around = Sphere({0, 0, 0}, 12);
    const size_t all = Query(around).size();
    EXPECT_EQ(all, 6u);  // every triangle of the world
    EXPECT_EQ(Query(around, 1).size(), 1u);
    EXPECT_EQ(Query(around, 2).size(), 2u);
}

TEST_P(WorldCollision, SphereTouchingTwoTrianglesReportsBoth)
{
    // On the wall's diagonal: both of its triangles are 0.2 away.
    const std::vector<Hit> hits = Query(Sphere({4.8f, 2, 0}, 0.5f));
    EXPECT_EQ(Triangles(hits), (std::set<std::pair<int, int>>{{1, 2}, {1, 3}}));
    for (const Hit& h : hits)
        EXPECT_NEAR(h.distance, 0.4f, 1e-5);
    // Away from the diagonal only one; just out of reach none.
    EXPECT_EQ(Query(Sphere({4.8f, 1, 6}, 0.5f)).size(), 1u);
    EXPECT_TRUE(Query(Sphere({4.4f, 2, 0}, 0.5f)).empty());
}

TEST_P(WorldCollision, BoxReturnsExactlyTheTrianglesItOverlaps)
{
    using Set = std::set<std::pair<int, int>>;
    EXPECT_EQ(Triangles(Query(Box({-1, -0.1f, -1}, {1, 0.1f, 1}))), (Set{{0, 1}, {1, 0}}));
    EXPECT_EQ(Triangles(Query(Box({4, 1, -1}, {6, 3, 1}))), (Set{{1, 2}, {1, 3}}));
    // Both wall triangles' boxes hold this one; only the upper triangle meets it.
    EXPECT_EQ(Triangles(Query(Box({4, 3.5f, -9.9f}, {6, 3.9f, -9}))), (Set{{1, 2}}));
    EXPECT_TRUE(Query(Box({6, 1, -1}, {7, 3, 1})).empty());
    // Corners given the wrong way round mean the same box.
    EXPECT_EQ(Triangles(Query(Box({6, 3, 1}, {4, 1, -1}))), (Set{{1, 2}, {1, 3}}));
}

TEST_P(WorldCollision, UnknownPrimitivesAreRefused)
{
    RpIntersection is{};
    is.type = rpIntersectPoint;
    Recorder r;
    EXPECT_EQ(RpCollisionWorldForAllIntersections(world, &is, Record, &r), nullptr);
    EXPECT_TRUE(r.hits.empty());
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutData, WorldCollision, ::testing::Bool());

class WorldCollisionLarge : public NullEngineTest {};

// The search tree must find what a plain scan finds, on a sector big enough to have one.
TEST_F(WorldCollisionLarge, TreeAgreesWithScan)
{
    const int n = 40;
    RpWorldSector* s = RpWorldSectorCreate((n + 1) * (n + 1), n * n * 2, 0);
    for (int z = 0; z <= n; ++z)
        for (int x = 0; x <= n; ++x)
            s->vertices[z * (n + 1) + x] = {float(x), std::sin(x * 0.7f) + std::cos(z * 0.3f), float(z)};
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x) {
            const RwUInt16 a = RwUInt16(z * (n + 1) + x), b = RwUInt16(a + 1), c = RwUInt16(a + n + 1),
                           d = RwUInt16(a + n + 2);
            s->triangles[(z * n + x) * 2] = {{a, c, b}, 0};
            s->triangles[(z * n + x) * 2 + 1] = {{b, c, d}, 0};
        }
    RpWorldSectorCalcBoundingBox(s);
    const RwBBox box = s->boundingBox;
    RpWorld* world = RpWorldCreateFromSectors(&box, 0, {s}, {});
    RpMaterial* m = RpMaterialCreate();
    RpWorldAddMaterial(world, m);
    RpMaterialDestroy(m);

    auto collect = [&](RpIntersection is) {
        Recorder r;
        RpCollisionWorldForAllIntersections(world, &is, Record, &r);
        std::set<int> out;
        for (const Hit& h : r.hits)
            out.insert(h.index);
        return out;
    };
    std::vector<RpIntersection> queries;
    for (int i = 0; i < 20; ++i) {
        RpIntersection is{};
        is.type = rpIntersectSphere;
        is.t.sphere = {{i * 2.0f, 0.5f, 40.0f - i * 1.7f}, 1.5f};
        queries.push_back(is);
        is.type = rpIntersectLine;
        is.t.line = {{i * 1.0f, 5, 0}, {40.0f - i, -3, 40}};
        queries.push_back(is);
        is.type = rpIntersectBox;
        is.t.box = {{i * 2.0f + 1, 1, i * 1.5f + 2}, {i * 2.0f, -1, i * 1.5f}};
        queries.push_back(is);
    }
    std::vector<std::set<int>> scanned;
    for (const RpIntersection& q : queries)
        scanned.push_back(collect(q));
    RpCollisionWorldBuildData(world, nullptr);
    size_t total = 0;
    for (size_t i = 0; i < queries.size(); ++i) {
        EXPECT_EQ(collect(queries[i]), scanned[i]) << "query " << i;
        total += scanned[i].size();
    }
    EXPECT_GT(total, 100u);
    RpWorldDestroy(world);
}

}  // namespace
