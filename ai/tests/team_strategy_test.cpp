// Tactical positions from a strategy's grid, and strategies in the cast "Teams".
#include "ai/TeamStrategy.h"
#include "framework/Cast.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// Every cell holds its own column as x and row as z, so a position tells which cells made it.
TeamStrategy Numbered(int32_t columns, int32_t rows, int32_t slots)
{
    TeamStrategy strategy;
    strategy.Resize(columns, rows, slots);
    for (int32_t a = 0; a < slots; ++a)
        for (int32_t i = 0; i < columns; ++i)
            for (int32_t j = 0; j < rows; ++j)
                strategy.Cell(a, i, j) = PitchPosition(static_cast<float>(i + 10 * a), static_cast<float>(j));
    return strategy;
}

// One corner cell of a 2 x 2 grid weighs 1, the others 0: the position's x is its weight.
float CornerWeight(int32_t column, int32_t row, const PitchPosition& ball)
{
    TeamStrategy strategy;
    strategy.Resize(2, 2, 1);
    strategy.Cell(0, column, row).x = 1.0f;
    return strategy.GetTacticalPosition(0, ball).x;
}

TEST(TeamStrategyTest, ABallOnAnEndLineUsesOnlyTheOuterColumn)
{
    const TeamStrategy strategy = Numbered(4, 3, 2);
    struct Case {
        PitchPosition ball;
        int32_t slot;
        PitchPosition expected;
    };
    // A ball on a touchline uses one row as well.
    const std::vector<Case> cases = {
        {{1.0f, -1.0f}, 0, {3.0f, 0.0f}},  {{-1.0f, 1.0f}, 1, {10.0f, 2.0f}}, {{1.5f, -2.0f}, 0, {3.0f, 0.0f}},
        {{-1.0f, 1.0f}, 0, {0.0f, 2.0f}},  {{-0.9f, -1.0f}, 0, {0.0f, 0.0f}}, {{0.75f, 1.0f}, 1, {13.0f, 2.0f}},
    };
    for (const Case& c : cases) {
        const PitchPosition got = strategy.GetTacticalPosition(c.slot, c.ball);
        EXPECT_NEAR(got.x, c.expected.x, 1e-5f) << c.ball.x << "," << c.ball.z;
        EXPECT_NEAR(got.z, c.expected.z, 1e-5f) << c.ball.x << "," << c.ball.z;
    }
}

TEST(TeamStrategyTest, OneColumnIgnoresTheBallAlongThePitch)
{
    const TeamStrategy strategy = Numbered(1, 3, 1);
    const PitchPosition reference = strategy.GetTacticalPosition(0, {0.0f, 0.4f});
    EXPECT_GT(reference.z, 1.0f);
    for (float x : {-1.0f, -0.6f, 0.3f, 0.99f, 1.0f}) {
        EXPECT_EQ(strategy.GetTacticalPosition(0, {x, 0.4f}), reference) << x;
    }
}

TEST(TeamStrategyTest, InvalidStrategiesAndSlotsGiveTheCentre)
{
    const PitchPosition ball(0.3f, -0.2f);
    for (const auto& counts : std::vector<std::vector<int32_t>>{{0, 3, 5}, {4, 0, 5}, {4, 3, 0}, {-4, -3, 5}}) {
        const TeamStrategy strategy = Numbered(counts[0], counts[1], counts[2]);
        EXPECT_FALSE(strategy.IsValid());
        EXPECT_EQ(strategy.GetTacticalPosition(0, ball), PitchPosition()) << counts[0] << counts[1] << counts[2];
    }
    const TeamStrategy strategy = Numbered(4, 3, 2);
    EXPECT_TRUE(strategy.IsValid());
    EXPECT_EQ(strategy.GetTacticalPosition(-1, ball), PitchPosition());
    EXPECT_EQ(strategy.GetTacticalPosition(2, ball), PitchPosition());
    EXPECT_NE(strategy.GetTacticalPosition(1, ball), PitchPosition());
    EXPECT_FALSE(TeamStrategy().IsValid());
}

TEST(TeamStrategyTest, CornersWeighTheirDistanceToTheOppositeCorner)
{
    // The cell centres of a 2 x 2 grid lie at -0.5 and 0.5.
    const PitchPosition centre(0.0f, 0.0f);
    for (int32_t column : {0, 1})
        for (int32_t row : {0, 1})
            EXPECT_NEAR(CornerWeight(column, row, centre), 0.25f, 1e-6f);
    const PitchPosition nearCorner(-0.4999f, -0.4999f);
    EXPECT_NEAR(CornerWeight(0, 0, nearCorner), 0.414f, 0.001f);
    EXPECT_NEAR(CornerWeight(0, 1, nearCorner), 0.293f, 0.001f);
    EXPECT_NEAR(CornerWeight(1, 0, nearCorner), 0.293f, 0.001f);
    EXPECT_NEAR(CornerWeight(1, 1, nearCorner), 0.0f, 0.001f);
}

TEST(TeamStrategyTest, ThePositionJumpsWhereTheBallCrossesACellCentre)
{
    // On a row centre (z = -0.5) the next column weighs about 0.71 just before its centre
    // and all of it on the centre: the blend is not bilinear.
    EXPECT_NEAR(CornerWeight(1, 0, {0.4999f, -0.5f}), 0.707f, 0.001f);
    EXPECT_FLOAT_EQ(CornerWeight(1, 0, {0.5f, -0.5f}), 1.0f);
    EXPECT_FLOAT_EQ(CornerWeight(0, 0, {-0.5f, -0.5f}), 1.0f);
}

class StrategyCastTest : public testing::Test {
protected:
    void TearDown() override { CastManager::Instance()->DeleteAll(); }
};

TEST_F(StrategyCastTest, CreatesTheEighteenOnceAndFindsThemByName)
{
    EXPECT_EQ(TeamStrategy::Find("Classic-Normal"), nullptr);
    EXPECT_EQ(TeamStrategy::CreateAll(), 18);
    EXPECT_EQ(TeamStrategy::CreateAll(), 0);
    const Cast* cast = CastManager::Instance()->GetCast("Teams");
    ASSERT_NE(cast, nullptr);
    EXPECT_EQ(cast->GetMemberCount(), 18);
    EXPECT_EQ(cast->GetMember(6)->name, "Strategies|kickoff_attack");
    TeamStrategy* found = TeamStrategy::Find("freekick_defend");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, cast->GetMember(17)->object);
    EXPECT_EQ(TeamStrategy::Find("Classic"), nullptr);
    EXPECT_EQ(TeamStrategy::Find(nullptr), nullptr);
}

TEST_F(StrategyCastTest, ReadingNewCountsRebuildsTheGrid)
{
    TeamStrategy::CreateAll();
    Cast* cast = CastManager::Instance()->GetCast("Teams");
    TeamStrategy* attack = TeamStrategy::Find("Classic-Attack");
    *attack = Numbered(3, 2, 2);
    attack->Cell(1, 2, 1) = PitchPosition(0.75f, -0.25f);
    ASSERT_TRUE(SaveSettings(cast, "teams.txt"));

    TeamStrategy* normal = TeamStrategy::Find("Classic-Normal");
    *attack = Numbered(5, 5, 5);
    ASSERT_TRUE(LoadSettings(cast, "teams.txt"));
    EXPECT_EQ(attack->GetColumns(), 3);
    EXPECT_EQ(attack->GetRows(), 2);
    EXPECT_EQ(attack->GetSlotCount(), 2);
    EXPECT_EQ(attack->Cell(1, 2, 1), PitchPosition(0.75f, -0.25f));
    EXPECT_NEAR(attack->GetTacticalPosition(1, {1.0f, 1.0f}).z, -0.25f, 1e-6f);
    EXPECT_FALSE(normal->IsValid());
}

TEST_F(StrategyCastTest, AbsurdCountsInAFileLeaveTheStrategyInvalid)
{
    TeamStrategy::CreateAll();
    Cast* cast = CastManager::Instance()->GetCast("Teams");
    TeamStrategy* attack = TeamStrategy::Find("Classic-Attack");
    *attack = Numbered(3, 2, 2);
    ASSERT_TRUE(SaveSettings(cast, "teams.txt"));
    std::ifstream in("teams.txt");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    const std::string key = "\"NumActors\" ";
    const size_t at = text.find(key, text.find("Classic-Attack"));
    ASSERT_NE(at, std::string::npos);
    const size_t end = text.find('\n', at);
    for (const char* count : {"2000000000", "-3"}) {
        std::string changed = text;
        changed.replace(at + key.size(), end - at - key.size(), count);
        std::ofstream("bad.txt") << changed;
        LoadSettings(cast, "bad.txt");
        EXPECT_FALSE(attack->IsValid()) << count;
        EXPECT_EQ(attack->GetTacticalPosition(0, {}), PitchPosition());
    }
}

} // namespace
