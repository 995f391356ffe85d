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
    const Prediction p = Predict({10, radius, 0}, {-4, 0, 0}, first_stadium::Volume("LeftGoalArea"));
    EXPECT_EQ(std::tuple(p.stopped, p.time), std::tuple(false, 5.0f));
    // It went on along the ground, slowing: the ground held it up all the way.
    EXPECT_LT(p.position.x, 0.0f);
    EXPECT_GT(p.position.x, -10.0f);
    EXPECT_NEAR(p.position.y, radius, 0.2f);
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
    // halfway through a step: it is told where it is as that step ends.
    const Case cases[] = {
        {"the left goal area after 1.25 s", {25 - radius, 1, 0}, first_stadium::Volume("LeftGoalArea"), true, 1.3f,
         51 - radius},
        {"the keeper plane 0.5 m ahead", {40, 1, 0}, keeperPlane.get(), true, 0.1f, 42},
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
        EXPECT_FLOAT_EQ(p.time, c.time) << c.what;
        EXPECT_NEAR(p.position.x, c.centreX, 1e-3f) << c.what;
        EXPECT_NEAR(p.position.y, c.from.y - c.fall * p.time, 1e-3f) << c.what;
    }
}

TEST_F(BallGoalCheckerTest, AShotDroppingOntoTheGroundBouncesOnToTheKeeper)
{
    // Dropped from 2 m, 7.5 m short of the keeper at 9 m/s: it meets the ground after about
    // 0.6 s, bounces and arrives in the step that ends at 0.9 s, above the ground and past
    // the plane by then.
    auto keeperPlane = PlaneAt(40, "keeperplane");
    const Prediction p = Predict({32.5f, 2, 0}, {9, 0, 0}, keeperPlane.get());
    EXPECT_TRUE(p.stopped);
    EXPECT_FLOAT_EQ(p.time, 0.9f);
    EXPECT_GT(p.position.y, radius + 0.3f);
    EXPECT_GT(p.position.x, 40 - radius);
    EXPECT_LT(p.position.x, 32.5f + 9 * 0.9f);
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
