#include <gtest/gtest.h>

#include "settings/LevelSettings.h"
#include "simulation/Ball.h"
#include "simulation/BallGoalChecker.h"
#include "simulation/CollisionManager.h"
#include "simulation/Shape.h"
#include "support/FirstStadium.h"

#include <memory>
#include <string>

namespace {

// The look-ahead on the first stadium's volumes and physics.
class BallGoalCheckerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(first_stadium::Open(TB_STAGE_DIR)); }
    static void TearDownTestSuite() { first_stadium::Close(); }

    void SetUp() override
    {
        ASSERT_TRUE(first_stadium::LoadLevelSettings());
        ball = std::make_unique<Ball>();
        radius = ball->GetRadius();
    }

    void TearDown() override
    {
        ball.reset();
        LevelSettings::DestroyInstance();
    }

    struct Prediction {
        bool stopped = false;
        Vector3 position;
        float time = 0.0f;
    };

    // From where the ball stands, with the velocity; the ball is left as it was.
    Prediction Predict(const Vector3& from, const Vector3& velocity, Collidable* other)
    {
        ball->SetPosition(from);
        ball->SetVelocity(velocity);
        Prediction p;
        p.stopped = checker.PredictPath(*ball, other, p.position, p.time, velocity);
        EXPECT_EQ(std::tuple(ball->GetPosition(), ball->GetVelocity()), std::tuple(from, velocity));
        return p;
    }

    // The ball as it is after meeting the grass at a walking pace's fall: rolling.
    void SetRolling()
    {
        ball->SetVelocity({1, -0.1f, 0});
        ball->OnCollision({first_stadium::Volume("GroundPlane")});
        ASSERT_TRUE(ball->IsRolling());
    }

    // A plane across the pitch at x, facing -x, under the name.
    static std::unique_ptr<SimpleCollidable> PlaneAt(float x, const char* name)
    {
        auto plane = std::make_unique<SimpleCollidable>(std::make_unique<Plane>(Vector3(-1, 0, 0), -x));
        plane->SetCollisionName(name);
        return plane;
    }

    std::unique_ptr<Ball> ball;
    float radius = 0.0f;
    BallGoalChecker checker;
};

TEST_F(BallGoalCheckerTest, ABallRollingAwayFromTheGoalNeverStopsThePrediction)
{
    SetRolling();
    const Prediction p = Predict({10, radius, 0}, {-4, 0, 0}, first_stadium::Volume("LeftGoalArea"));
    EXPECT_EQ(std::tuple(p.stopped, p.time), std::tuple(false, 5.0f));
    // It rolled on along the grass and came to rest about where the grass stops it, 4 x 4 /
    // (2 x 2.5) m on (a whole step's gravity tilts the drag a little off the grass), the ground
    // holding it up all the way.
    EXPECT_LT(p.position.x, 10 - 3.2f);
    EXPECT_GT(p.position.x, 10 - 3.8f);
    EXPECT_FLOAT_EQ(p.position.y, radius);
}

TEST_F(BallGoalCheckerTest, AShotStopsInTheStepThatReachesAGoalAreaOrTheKeepersPlane)
{
    auto keeperPlane = PlaneAt(40.5f + radius, "keeperplane");
    auto wall = PlaneAt(40.5f + radius, "collideplane");
    struct Case {
        const char* what;
        Vector3 from;
        Collidable* other;
        bool stopped;
        float time;
        float centreX;  // where the ball is at the end
        float fall = 0.0f;  // its downward speed, which a collision plane never stops
    };
    // With neither gravity nor drag, a ball at 20 m/s 25 m before the goal area arrives at 1.25 s,
    // halfway through a step: it is told where and when it met the area, not the step's end.
    const Case cases[] = {
        {"the left goal area after 1.25 s", {25 - radius, 1, 0}, first_stadium::Volume("LeftGoalArea"), true, 1.25f,
         50 - radius},
        {"the keeper plane 0.5 m ahead", {40, 1, 0}, keeperPlane.get(), true, 0.025f, 40.5f},
        {"the right goal area is no stop on the left", {25 - radius, 1, 0}, first_stadium::Volume("RightGoalArea"),
         false, 5.0f, 125 - radius},
        {"a collision plane turns it back", {40, 1, 0}, wall.get(), false, 5.0f, -59, 0.1f},
    };
    for (const Case& c : cases) {
        LevelSettings* level = LevelSettings::Instance();
        level->gravity = level->ballDecelInAir = 0.0f;
        level->ballRestitution = 1.0f;
        const Prediction p = Predict(c.from, {20, -c.fall, 0}, c.other);
        EXPECT_EQ(p.stopped, c.stopped) << c.what;
        EXPECT_NEAR(p.time, c.time, 1e-5f) << c.what;
        EXPECT_NEAR(p.position.x, c.centreX, 1e-3f) << c.what;
        EXPECT_NEAR(p.position.y, c.from.y - c.fall * p.time, 1e-3f) << c.what;
    }
}

TEST_F(BallGoalCheckerTest, TheKeeperIsToldWhereAndWhenTheBallItselfMeetsHisPlane)
{
    // The shipped gravity, drag and bounce. The ball is flown beside the prediction in
    // millisecond steps by the rules the match ball follows, to the moment it touches the plane.
    struct Case {
        const char* what;
        Vector3 from;
        Vector3 velocity;
        bool rolling = false;
    };
    const Case cases[] = {
        {"a shot lofted at him from 20 m", {28, radius, 0.5f}, {24, 5, 0.6f}},
        {"a fast low shot, still rising", {28, radius, 0}, {33, 2, -1}},
        {"a fast shot that bounces in front of him", {26, radius, 0}, {32, 1.5f, 0.5f}},
        {"a shot dropping onto the ground, bounding on", {32.5f, 2, 0}, {9, 0, 0}},
        {"a ball rolling along the grass", {33, radius, -1}, {11, 0, 0.3f}, true},
    };
    constexpr float kPlaneX = 48.0f;
    auto keeperPlane = PlaneAt(kPlaneX, "keeperplane");
    for (const Case& c : cases) {
        if (c.rolling)
            SetRolling();
        Vector3 at = c.from, velocity = c.velocity;
        bool rolling = c.rolling;
        float flown = 0.0f;
        constexpr float kDt = 0.001f;
        while (at.x < kPlaneX - radius && flown < 5.0f) {
            const Vector3 before = velocity;
            Ball::Integrate(velocity, rolling, kDt);
            at += (before + velocity) * (0.5f * kDt);
            if (at.y < radius && velocity.y < 0.0f) {
                Ball::BounceOffPlane(velocity, rolling, {0, 1, 0}, true);
                at.y = radius;
            }
            flown += kDt;
        }
        ASSERT_LT(flown, 5.0f) << c.what;
        const Prediction p = Predict(c.from, c.velocity, keeperPlane.get());
        EXPECT_TRUE(p.stopped) << c.what;
        EXPECT_NEAR(p.time, flown, 0.01f) << c.what;
        EXPECT_NEAR(p.position.x, kPlaneX - radius, 0.01f) << c.what;
        EXPECT_NEAR(p.position.y, at.y, 0.04f) << c.what;
        EXPECT_NEAR(p.position.z, at.z, 0.04f) << c.what;
    }
}

TEST_F(BallGoalCheckerTest, WithoutAGroundPlaneTheCopyFallsThroughForFiveSeconds)
{
    Collidable* ground = first_stadium::Volume("GroundPlane");
    ASSERT_EQ(BallGoalChecker::FindGroundPlane(), ground);
    auto* object = dynamic_cast<Object*>(ground);
    object->SetName("SomethingElse");
    EXPECT_EQ(BallGoalChecker::FindGroundPlane(), nullptr);
    const Prediction p = Predict({0, radius, 0}, {1, 0, 0}, nullptr);
    object->SetName("GroundPlane");
    EXPECT_EQ(std::tuple(p.stopped, p.time), std::tuple(false, 5.0f));
    EXPECT_LT(p.position.y, -100.0f);
}

}  // namespace
