#include <gtest/gtest.h>

#include "engine/world/RpCollision.h"
#include "framework/Random.h"
#include "simulation/Collidable.h"
#include "simulation/ShapeCollision.h"
#include "tests/support/OffscreenEngine.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <new>
#include <random>

// Counts allocations while a test asks, to show that the shape tests never allocate.
namespace {
std::atomic<bool> g_countAllocations{false};
std::atomic<int> g_allocations{0};
}  // namespace

void* operator new(std::size_t size)
{
    if (g_countAllocations)
        ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

// The compiler cannot see that the replaced operator new above is what allocated these.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
#pragma GCC diagnostic pop

namespace {

class ShapeCollision : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ShapeCollisionTable::Init(); }
};

struct Result {
    bool hit;
    float fraction;
    bool operator==(const Result& o) const
    {
        return hit == o.hit && (!hit || std::fabs(fraction - o.fraction) < 1e-5f);
    }
};

std::ostream& operator<<(std::ostream& out, const Result& r)
{
    return out << (r.hit ? "hit at " : "miss") << (r.hit ? std::to_string(r.fraction) : "");
}

Result Meet(const Shape& a, const Shape& b, const Vector3& p, const Vector3& m)
{
    float fraction = -1.0f;
    const bool hit = ShapeCollisionTable::Test(a, b, p, m, fraction);
    return {hit, hit ? fraction : -1.0f};
}

TEST_F(ShapeCollision, ASphereMeetsAGroundPlaneOnlyWhenItReachesItWithinTheStep)
{
    const Sphere ball(1.0f);
    const Plane ground;
    // p is the plane's position relative to the sphere's centre, m the sphere's motion.
    const struct {
        Vector3 p, m;
        Result result;
    } cases[] = {
        {{0, -3, 0}, {0, -4, 0}, {true, 0.5f}},
        {{0, -3, 0}, {0, -2, 0}, {false, 0}},
        {{0, -3, 0}, {0, 2, 0}, {false, 0}},
        {{0, -3, 0}, {5, 0, 0}, {false, 0}},
        {{0, -0.5f, 0}, {0, 9, 0}, {true, 0}},  // already touching
        {{0, 2, 0}, {0, 9, 0}, {true, 0}},      // centre behind the plane
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Meet(ball, ground, c.p, c.m), c.result) << c.p.y << " " << c.m.y;
        // The other order negates position and motion and gives the same answer.
        EXPECT_EQ(Meet(ground, ball, -c.p, -c.m), c.result);
    }
}

TEST_F(ShapeCollision, PairsWithoutATestNeverMeetAndAFaceGrazeMisses)
{
    const Sphere a(1.0f), b(1.0f);
    const Plane plane;
    const AxisAlignedCube cube, other;
    const WorldGeometry world;
    const Vector3 overlapping(0.1f, 0.1f, 0.1f), motion(0.5f, 0.5f, 0.5f);
    const std::pair<const Shape*, const Shape*> pairs[] = {
        {&a, &b}, {&plane, &plane}, {&cube, &other}, {&plane, &cube}, {&world, &plane}};
    for (const auto& [first, second] : pairs)
        EXPECT_FALSE(Meet(*first, *second, overlapping, motion).hit) << first->GetType() << second->GetType();
    // A unit cube ahead of the sphere, just under its path: the sphere slides along its top.
    EXPECT_FALSE(Meet(a, cube, {2, -2, 0}, {6, 0, 0}).hit);
    EXPECT_EQ(Meet(a, cube, {2, -1.9f, 0}, {6, 0, 0}), (Result{true, 1.0f / 6}));
}

TEST_F(ShapeCollision, AFallingCylinderMeetsTheOneBelowWhenItsBaseReachesTheTop)
{
    const AxisAlignedCylinder lower(Vector3::UnitY, 0.5f, 2.0f), upper(Vector3::UnitY, 0.5f, 1.0f);
    // The upper one stands 3 above the lower one's base and falls 2: its base meets the top at 0.5.
    EXPECT_EQ(Meet(lower, upper, {0.3f, 3, 0}, {0, 2, 0}), (Result{true, 0.5f}));
    EXPECT_FALSE(Meet(lower, upper, {1.3f, 3, 0}, {0, 2, 0}).hit);
    EXPECT_FALSE(Meet(lower, upper, {0.3f, 3, 0}, {0, 0.5f, 0}).hit);
    // Resting exactly on top, sliding sideways, they do not meet.
    EXPECT_FALSE(Meet(lower, upper, {0.3f, 2, 0}, {0.5f, 0, 0}).hit);
    EXPECT_EQ(Meet(lower, upper, {0.3f, 1.9f, 0}, {0.5f, 0, 0}), (Result{true, 0}));
}

// A shape of a kind the table does not know.
class Odd : public Shape {
public:
    Odd() : Shape(99) {}
};

TEST_F(ShapeCollision, AShapeOfAnUnknownKindMeetsNothing)
{
    const Odd odd;
    const Sphere sphere(1.0f);
    EXPECT_FALSE(Meet(odd, sphere, Vector3::Zero, Vector3::Zero).hit);
    EXPECT_FALSE(Meet(sphere, odd, Vector3::Zero, Vector3::Zero).hit);
}

float Uniform(std::mt19937& rng, float lo, float hi)
{
    return std::uniform_real_distribution<float>(lo, hi)(rng);
}

Vector3 RandomVector(std::mt19937& rng, float extent)
{
    return {Uniform(rng, -extent, extent), Uniform(rng, -extent, extent), Uniform(rng, -extent, extent)};
}

float CylinderDepth(float ra, float la, float rb, float lb, const Vector3& p, const Vector3& m, float t)
{
    const Vector3 at = p - m * t;
    const float vertical = std::min(at.y + lb, la - at.y);
    const float horizontal = ra + rb - std::sqrt(at.x * at.x + at.z * at.z);
    return std::min(vertical, horizontal);
}

float BoxDepth(float r, const Vector3& size, const Vector3& p, const Vector3& m, float t)
{
    const Vector3 centre = m * t;
    const float c[3] = {centre.x, centre.y, centre.z}, lo[3] = {p.x - r, p.y - r, p.z - r};
    const float hi[3] = {p.x + size.x + r, p.y + size.y + r, p.z + size.z + r};
    float depth = 1e9f;
    for (int k = 0; k < 3; ++k)
        depth = std::min({depth, c[k] - lo[k], hi[k] - c[k]});
    return depth;
}

// Samples the relative motion finely and compares the first overlap with the test's answer.
// Cases whose deepest overlap is within a hair of touching are left out: there sampling and
// the exact sweep may fairly disagree.
void CompareWithSampler(const char* name, const Shape& a, const Shape& b,
                        const std::function<float(const Vector3& p, const Vector3& m, float t)>& depth)
{
    constexpr int kCases = 3000, kSamples = 2000;
    constexpr float kMargin = 2e-3f;
    std::mt19937 rng(1234);
    int hits = 0, compared = 0;
    for (int i = 0; i < kCases; ++i) {
        const Vector3 p = RandomVector(rng, 3.0f), m = RandomVector(rng, 6.0f);
        int first = -1;
        float deepest = -1e9f;
        for (int s = 0; s <= kSamples; ++s) {
            const float d = depth(p, m, static_cast<float>(s) / kSamples);
            deepest = std::max(deepest, d);
            if (first < 0 && d > 0.0f)
                first = s;
        }
        if (std::fabs(deepest) < kMargin)
            continue;
        ++compared;
        const Result result = Meet(a, b, p, m);
        ASSERT_EQ(result.hit, first >= 0) << name << " case " << i;
        if (result.hit) {
            ++hits;
            // Entering slowly, the overlap may stay below the margin a little past the start.
            EXPECT_NEAR(result.fraction, static_cast<float>(first) / kSamples, 0.02f) << name << " case " << i;
        }
    }
    // Both outcomes are well represented.
    EXPECT_GT(hits, compared / 10) << name;
    EXPECT_LT(hits, compared * 9 / 10) << name;
}

TEST_F(ShapeCollision, EachCompositeTestAgreesWithASamplerOfTheRelativeMotion)
{
    const Sphere sphere(0.7f);
    const Plane plane(Vector3(0.3f, 1.0f, -0.2f) * (1.0f / Vector3(0.3f, 1.0f, -0.2f).Length()), 0.5f);
    const AxisAlignedCylinder a(Vector3::UnitY, 0.6f, 1.8f), b(Vector3::UnitY, 0.4f, 1.2f);
    const AxisAlignedCube cube(Vector3(1.5f, 0.8f, 2.0f));
    CompareWithSampler("sphere-cube", sphere, cube, [&](const Vector3& p, const Vector3& m, float t) {
        return BoxDepth(0.7f, cube.size, p, m, t);
    });
    CompareWithSampler("cylinder-cylinder", a, b, [&](const Vector3& p, const Vector3& m, float t) {
        return CylinderDepth(0.6f, 1.8f, 0.4f, 1.2f, p, m, t);
    });
    CompareWithSampler("sphere-cylinder", sphere, b, [&](const Vector3& p, const Vector3& m, float t) {
        return CylinderDepth(0.7f, 1.4f, 0.4f, 1.2f, p + Vector3(0, 0.7f, 0), m, t);
    });
    CompareWithSampler("cylinder-cube", a, cube, [&](const Vector3& p, const Vector3& m, float t) {
        return BoxDepth(0.6f, cube.size, p - Vector3(0, 0.3f, 0), m, t);
    });
    // The cylinder's base, as a sphere, against the plane, which moves by m relative to it.
    CompareWithSampler("plane-cylinder", plane, a, [&](const Vector3& p, const Vector3& m, float t) {
        const Vector3 base = p - m * t;
        return 0.6f - (plane.normal.Dot(base) - plane.distance);
    });
}

// A V-shaped valley of two triangles meeting along the z axis, leaning 45 degrees either side.
class SphereWorld : public ShapeCollision {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(engine.IsOpen());
        RpWorldSector* sector = RpWorldSectorCreate(6, 2, 0);
        const RwV3d corners[6] = {{0, 0, -5}, {-5, 5, -5}, {0, 0, 5}, {0, 0, -5}, {0, 0, 5}, {5, 5, -5}};
        std::copy(corners, corners + 6, sector->vertices);
        sector->triangles[0] = {{0, 1, 2}, 0};
        sector->triangles[1] = {{3, 4, 5}, 0};
        RpWorldSectorCalcBoundingBox(sector);
        world = RpWorldCreateFromSectors(&sector->boundingBox, 0, {sector}, {});
        ASSERT_NE(world, nullptr);
        RpCollisionWorldBuildData(world, nullptr);
    }
    void TearDown() override
    {
        if (world)
            RpWorldDestroy(world);
    }

    ScopedEngine engine{rwDeviceNull, RpWorldPluginAttach};
    RpWorld* world = nullptr;
};

TEST_F(SphereWorld, ASphereTouchingBothSidesReportsTheMeanNormalAndAFallingOneItsLastFreeSample)
{
    const Sphere ball(0.5f);
    const WorldGeometry geometry(world);
    WorldContactNormal::normal = Vector3::Zero;
    // Sitting in the valley's bottom it touches both faces at once.
    EXPECT_EQ(Meet(ball, geometry, {0, -0.6f, 0}, {0, -1, 0}), (Result{true, 0}));
    EXPECT_EQ(WorldContactNormal::count, 2);
    EXPECT_NEAR(std::fabs(WorldContactNormal::normal.y), std::sqrt(0.5f), 1e-4f);
    EXPECT_NEAR(WorldContactNormal::normal.x, 0.0f, 1e-4f);
    EXPECT_NEAR(WorldContactNormal::normal.z, 0.0f, 1e-4f);

    // Dropping onto the right face: samples every 0.15 over a fall of 3 from x = 2, y = 4.
    const Result falling = Meet(ball, geometry, {-2, -4, 0}, {0, -3, 0});
    ASSERT_TRUE(falling.hit);
    EXPECT_EQ(WorldContactNormal::count, 1);
    // The face is y = x; the centre first comes within 0.5 of it at y = 2 + 0.5 * sqrt(2).
    const float touch = (4.0f - (2.0f + 0.5f * std::sqrt(2.0f))) / 3.0f;
    EXPECT_LE(falling.fraction, touch);
    EXPECT_GT(falling.fraction, touch - 0.05f - 1e-5f);
    EXPECT_FALSE(Meet(ball, geometry, {-2, -4, 0}, {0, 1, 0}).hit);
    // Standing still, one sample is taken.
    EXPECT_FALSE(Meet(ball, geometry, {-2, -4, 0}, {0, 0, 0}).hit);
}

TEST_F(SphereWorld, NoTestAllocates)
{
    const Sphere sphere(0.5f);
    const Plane plane;
    const AxisAlignedCylinder cylinder(Vector3::UnitY, 0.4f, 1.8f);
    const AxisAlignedCube cube;
    const WorldGeometry geometry(world);
    const Shape* pairs[][2] = {{&sphere, &plane},   {&sphere, &geometry}, {&sphere, &cylinder}, {&sphere, &cube},
                               {&plane, &cylinder}, {&cylinder, &cylinder}, {&cylinder, &cube}};
    g_allocations = 0;
    g_countAllocations = true;
    int hits = 0;
    for (const auto& pair : pairs) {
        float fraction = 0;
        hits += ShapeCollisionTable::Test(*pair[0], *pair[1], {0.2f, -0.3f, 0.1f}, {0.5f, -1.0f, 0.2f}, fraction);
    }
    g_countAllocations = false;
    EXPECT_EQ(std::pair(g_allocations.load(), hits), std::pair(0, 7));
}

TEST_F(ShapeCollision, CollidablesAskWithTheirRelativeMotionAndAnswerInSeconds)
{
    SimpleCollidable ball(std::make_unique<Sphere>(1.0f));
    Plane ground;
    SimpleCollidable floor(&ground);
    ball.SetPosition({0, 3, 0});
    ball.SetVelocity({0, -2, 0});
    floor.SetVelocity({0, 2, 0});
    float time = 0;
    ASSERT_TRUE(ball.FindImpact(floor, 2.0f, time));
    EXPECT_FLOAT_EQ(time, 0.5f);
    ASSERT_TRUE(floor.FindImpact(ball, 2.0f, time));
    EXPECT_FLOAT_EQ(time, 0.5f);
    // Without a shape nothing is met.
    SimpleCollidable shapeless(static_cast<Shape*>(nullptr));
    EXPECT_FALSE(ball.FindImpact(shapeless, 2.0f, time) || shapeless.FindImpact(ball, 2.0f, time));
    ball.Move(0.25f);
    EXPECT_EQ(std::tuple(ball.GetPosition(), ball.GetCollisionName(), floor.GetShape()),
              std::tuple(Vector3(0, 2.5f, 0), std::string("null"), static_cast<Shape*>(&ground)));
}

}  // namespace
