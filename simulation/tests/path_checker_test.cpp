#include <gtest/gtest.h>

#include "simulation/Collidable.h"
#include "simulation/PathChecker.h"
#include "simulation/ShapeCollision.h"

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kRadius = 0.4f;

class PathCheckerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ShapeCollisionTable::Init(); }

    // A character-sized post standing at the point.
    static std::unique_ptr<SimpleCollidable> Post(float x, float z)
    {
        auto post = std::make_unique<SimpleCollidable>(std::make_unique<AxisAlignedCylinder>(Vector3::UnitY, kRadius, 1.8f));
        post->SetPosition({x, 0, z});
        return post;
    }

    void AddPosts(const std::vector<Vector3>& points)
    {
        for (const Vector3& p : points) {
            posts.push_back(Post(p.x, p.z));
            checker.AddObstacle(posts.back().get());
        }
    }

    PathChecker checker;
    std::unique_ptr<SimpleCollidable> mover = Post(0, 0);
    std::vector<std::unique_ptr<SimpleCollidable>> posts;
};

// Posts a metre apart along z = 2 from x = -20 to 20: too close for the mover to pass.
std::vector<Vector3> Wall()
{
    std::vector<Vector3> points;
    for (int x = -20; x <= 20; ++x)
        points.push_back({static_cast<float>(x), 0, 2});
    return points;
}

// Posts all round the mover, 2 m away and 0.9 m apart.
std::vector<Vector3> Ring()
{
    std::vector<Vector3> points;
    for (int i = 0; i < 14; ++i)
        points.push_back({2 * std::sin(i * kPi / 7), 0, 2 * std::cos(i * kPi / 7)});
    return points;
}

Vector3 Heading(float angle) { return {std::sin(angle), 0, std::cos(angle)}; }

TEST_F(PathCheckerTest, TheDirectionTurnsByTheLeastClearMultipleOfASixteenthOfPi)
{
    struct Case {
        const char* what;
        std::vector<Vector3> obstacles;
        bool straightClear;
        Vector3 direction;
    };
    const Case cases[] = {
        {"nothing in the way", {}, true, Heading(0)},
        {"one post far aside", {{3, 0, 5}}, true, Heading(0)},
        {"a post ahead, a little left: the positive turn", {{-0.3f, 0, 5}}, false, Heading(kPi / 16)},
        {"a post ahead, a little right: the negative turn", {{0.3f, 0, 5}}, false, Heading(-kPi / 16)},
        {"a wide block", {{-1.6f, 0, 5}, {-0.8f, 0, 5}, {0, 0, 5}, {0.8f, 0, 5}, {1.6f, 0, 5}}, false,
         Heading(3 * kPi / 16)},
        {"a wall: only a quarter turn is free", Wall(), false, Heading(kPi / 2)},
        {"surrounded: straight on", Ring(), false, Heading(0)},
    };
    for (const Case& c : cases) {
        posts.clear();
        checker = PathChecker();
        checker.SetMover(mover.get());
        // The mover may be listed among the obstacles, as every character is in the shared one.
        checker.AddObstacle(mover.get());
        AddPosts(c.obstacles);
        const Vector3 target{0, 0, 10};
        EXPECT_EQ(checker.IsPathClear(target), c.straightClear) << c.what;
        const Vector3 direction = checker.FindClearDirection(target);
        EXPECT_NEAR(direction.x, c.direction.x, 1e-5f) << c.what;
        EXPECT_NEAR(direction.z, c.direction.z, 1e-5f) << c.what;
        EXPECT_EQ(direction.y, 0.0f) << c.what;
    }
}

TEST_F(PathCheckerTest, APathIsMeasuredFromWhereEveryoneStandsNow)
{
    checker.SetMover(mover.get());
    AddPosts({{0, 0, 5}});
    EXPECT_EQ(std::tuple(checker.IsPathClear({0, 0, 10}), checker.IsPathClear({0, 0, 4}),
                         checker.IsPathClear({0, 0, -10})),
              std::tuple(false, true, true));
    // A post's velocity does not count: only where it stands.
    posts[0]->SetVelocity({0, 0, -100});
    EXPECT_TRUE(checker.IsPathClear({0, 0, 4}));
    posts[0]->SetPosition({5, 0, 5});
    EXPECT_TRUE(checker.IsPathClear({0, 0, 10}));
    mover->SetPosition({5, 0, 0});
    EXPECT_FALSE(checker.IsPathClear({0, 0, 10}));
    // The direction is measured from the mover to the target.
    const Vector3 direction = checker.FindClearDirection({5, 0, 10});
    EXPECT_NEAR(direction.x, Heading(kPi / 16).x, 1e-5f);
    EXPECT_NEAR(direction.z, Heading(kPi / 16).z, 1e-5f);
    // Nothing the queries did moved anyone.
    EXPECT_EQ(std::tuple(mover->GetPosition(), mover->GetVelocity(), posts[0]->GetPosition()),
              std::tuple(Vector3(5, 0, 0), Vector3::Zero, Vector3(5, 0, 5)));
}

TEST_F(PathCheckerTest, WithoutAMoverEveryPathIsBlockedAndRemovingTakesOneEntry)
{
    AddPosts({{0, 0, 5}});
    checker.AddObstacle(posts[0].get());
    // Without a mover every path is blocked and the answer is the target's own direction.
    EXPECT_FALSE(checker.IsPathClear({0, 0, 1}));
    const Vector3 direction = checker.FindClearDirection({3, 0, 4});
    EXPECT_NEAR(direction.x, 0.6f, 1e-6f);
    EXPECT_NEAR(direction.z, 0.8f, 1e-6f);
    checker.SetMover(mover.get());
    // Only the first entry goes; the same post listed twice still blocks.
    checker.RemoveObstacle(posts[0].get());
    EXPECT_EQ(std::tuple(checker.GetObstacleCount(), checker.IsPathClear({0, 0, 10})), std::tuple(1, false));
    checker.RemoveObstacle(posts[0].get());
    checker.RemoveObstacle(mover.get());
    EXPECT_EQ(std::tuple(checker.GetObstacleCount(), checker.IsPathClear({0, 0, 10})), std::tuple(0, true));
}

}  // namespace
