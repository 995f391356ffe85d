// The shipped formations: where each strategy puts the five slots, as the set pieces and the
// open-play choice by score rely on.
#include "ai/TeamStrategy.h"
#include "framework/Cast.h"
#include "tools/assets/settings/Strategies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

enum Slot { kKeeper, kLastDefender, kLeftWide, kRightWide, kForward, kSlots };

// The penalty area in pitch units: 16.5 m of 50 deep, 20.15 m of 32.67 to each side.
constexpr float kAreaFrom = 0.67f;
constexpr float kAreaHalfWidth = 0.62f;
// Metres a kick-off's first pass covers at most.
constexpr float kShortPass = 12.0f;

// The order step's shooting zone: a holder here shoots at once (twice the distance along the
// pitch and once the nearness to the middle, weighed, above 0.8).
bool InShootingZone(const PitchPosition& p)
{
    const float along = std::clamp((p.x + 1.0f) * 0.5f, 0.0f, 1.0f);
    const float across = std::min(std::abs(p.z), 1.0f);
    return (2.0f * along + (1.0f - across)) / 3.0f > 0.8f;
}

bool InArea(const PitchPosition& p, bool attacked)
{
    return (attacked ? p.x > kAreaFrom : p.x < -kAreaFrom) && std::abs(p.z) < kAreaHalfWidth;
}

class ShippedStrategies : public ::testing::Test {
protected:
    void SetUp() override { assets::AddStrategies(cast, strategies); }
    void TearDown() override
    {
        for (const auto& strategy : strategies)
            cast.RemoveMember(strategy.get());
    }
    const TeamStrategy& Get(const char* name) const
    {
        return *dynamic_cast<TeamStrategy*>(cast.FindByName(TeamStrategy::MemberName(name).c_str())->object);
    }
    // The outfield players' mean position along the pitch, over a sweep of the ball.
    float MeanHeight(const char* name) const { return Mean(name, [](const PitchPosition& p, int) { return p.x; }); }
    float Length(const char* name) const
    {
        return Mean(name, [](const PitchPosition& p, int slot) {
            return slot == kForward ? p.x : slot == kLastDefender ? -p.x : 0.0f;
        });
    }
    float Width(const char* name) const
    {
        return Mean(name, [](const PitchPosition& p, int slot) {
            return slot == kRightWide ? p.z : slot == kLeftWide ? -p.z : 0.0f;
        });
    }
    template <typename Measure>
    float Mean(const char* name, Measure measure) const
    {
        float sum = 0.0f;
        int n = 0;
        for (float bx = -1.0f; bx <= 1.0f; bx += 0.25f)
            for (float bz = -1.0f; bz <= 1.0f; bz += 0.5f, ++n)
                for (int slot = kLastDefender; slot < kSlots; ++slot)
                    sum += measure(Get(name).GetTacticalPosition(slot, {bx, bz}), slot);
        return sum / static_cast<float>(n);
    }

    Cast cast{"Teams"};
    std::vector<std::unique_ptr<TeamStrategy>> strategies;
};

TEST_F(ShippedStrategies, EighteenValidFiveSlotGridsOnThePitch)
{
    ASSERT_EQ(cast.GetMemberCount(), TeamStrategy::kCount);
    for (int k = 0; k < TeamStrategy::kCount; ++k) {
        const TeamStrategy& s = Get(TeamStrategy::kNames[k]);
        SCOPED_TRACE(TeamStrategy::kNames[k]);
        EXPECT_TRUE(s.IsValid());
        EXPECT_EQ(s.GetSlotCount(), kSlots);
        EXPECT_EQ(s.GetColumns(), 4);
        EXPECT_EQ(s.GetRows(), 3);
        for (int slot = 0; slot < kSlots; ++slot)
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 3; ++j) {
                    EXPECT_LT(std::abs(s.Cell(slot, i, j).x), 1.0f);
                    EXPECT_LT(std::abs(s.Cell(slot, i, j).z), 1.0f);
                }
    }
}

TEST_F(ShippedStrategies, OpenPlayStrategiesTellApart)
{
    EXPECT_LT(MeanHeight("Classic-Defend"), MeanHeight("Classic-Normal"));
    EXPECT_GT(MeanHeight("Classic-Attack"), MeanHeight("Classic-Normal"));
    EXPECT_GT(MeanHeight("AllOutOffense"), MeanHeight("Classic-Attack"));
    EXPECT_GT(Length("KickAndRush"), Length("Classic-Normal"));
    EXPECT_LT(Length("CounterTactics"), Length("Classic-Normal"));
    EXPECT_LT(Width("CounterTactics"), Width("Classic-Normal"));
    // Every open-play team moves up with the ball.
    for (const char* name : {"Classic-Normal", "Classic-Defend", "Classic-Attack", "KickAndRush", "CounterTactics",
                             "AllOutOffense"}) {
        EXPECT_GT(Get(name).GetTacticalPosition(kForward, {0.8f, 0.0f}).x,
                  Get(name).GetTacticalPosition(kForward, {-0.8f, 0.0f}).x + 0.2f)
            << name;
    }
}

// Nobody waits for a pass in the shooting zone, where he would shoot the moment it reached
// him: a shot comes after a run at goal, wherever the ball is.
TEST_F(ShippedStrategies, OpenPlayKeepsEveryPlayerOutOfTheShootingZone)
{
    for (const char* name : {"Classic-Normal", "Classic-Defend", "Classic-Attack", "KickAndRush", "CounterTactics",
                             "AllOutOffense"}) {
        for (float bx = -1.0f; bx <= 1.0f; bx += 0.125f)
            for (float bz = -1.0f; bz <= 1.0f; bz += 0.25f)
                for (int slot = kLastDefender; slot < kSlots; ++slot)
                    EXPECT_FALSE(InShootingZone(Get(name).GetTacticalPosition(slot, {bx, bz})))
                        << name << ", slot " << slot << ", ball " << bx << ", " << bz;
    }
}

TEST_F(ShippedStrategies, SetPiecesPlaceTheTeamsAsTheRulesWant)
{
    const PitchPosition centre(0.0f, 0.0f);
    float nearestMate = 1e9f;
    for (int slot = 0; slot < kSlots; ++slot) {
        SCOPED_TRACE(slot);
        // A kick-off: everybody in the own half.
        EXPECT_LT(Get("kickoff_attack").GetTacticalPosition(slot, centre).x, 0.0f);
        EXPECT_LT(Get("kickoff_defend").GetTacticalPosition(slot, centre).x, 0.0f);
        // The team-mate the taker plays to stands within a short pass of him.
        if (slot != kKeeper && slot != kForward) {
            const auto& attack = Get("kickoff_attack");
            const Vector3 taker = attack.GetTacticalPosition(kForward, centre).ToWorld(true);
            nearestMate = std::min(nearestMate, (attack.GetTacticalPosition(slot, centre).ToWorld(true) - taker).Length());
        }
        // A penalty at either end: nobody but the defending keeper (and the taker, placed by
        // the kick itself) in that area.
        const PitchPosition attackingSpot(0.78f, 0.0f);
        const PitchPosition defendingSpot(-0.78f, 0.0f);
        EXPECT_FALSE(InArea(Get("penalty_attack").GetTacticalPosition(slot, attackingSpot), true));
        if (slot != kKeeper) {
            EXPECT_FALSE(InArea(Get("penalty_defend").GetTacticalPosition(slot, defendingSpot), false));
        }
        // A goal kick: the side that does not kick stays out of the kicker's area.
        EXPECT_FALSE(InArea(Get("goalkick_defend").GetTacticalPosition(slot, {0.9f, 0.3f}), true));
    }
    EXPECT_LT(nearestMate, kShortPass);
    EXPECT_TRUE(InArea(Get("penalty_defend").GetTacticalPosition(kKeeper, {-0.78f, 0.0f}), false));
    // A corner from either side: the attackers in the box, the defenders in their own.
    for (float z : {-1.0f, 1.0f}) {
        for (int slot : {kLeftWide, kRightWide, kForward}) {
            EXPECT_TRUE(InArea(Get("corner_attack").GetTacticalPosition(slot, {1.0f, z}), true)) << slot;
            EXPECT_TRUE(InArea(Get("corner_defend").GetTacticalPosition(slot - 1, {-1.0f, -z}), false)) << slot;
        }
    }
}

// A computer's throw goes to the team-mate nearest the thrower, at a pass's speed however
// near he is; from across the pitch it outruns him. Wherever on either touch line, with the
// side whole or cut by a sending-off, the one the throw goes to stands a short throw away.
TEST_F(ShippedStrategies, AtAThrowInATeamMateStandsAShortThrowFromTheThrower)
{
    constexpr float kInside = 1.0f / 32.67f;  // the ball is thrown from a metre inside the line
    constexpr float kEnd = 2.0f / 50.0f;      // and never within 2 m of a goal line
    const TeamStrategy& attack = Get("throwin_attack");
    struct Worst {
        float metres;
        std::string where;
    };
    Worst nearest{1e9f, ""}, farthest{0.0f, ""};
    for (float z : {-1.0f + kInside, 1.0f - kInside}) {
        for (float bx = -1.0f + kEnd; bx <= 1.0f - kEnd; bx += 0.02f) {
            // The keeper is thrown to as well: he stays in his area, and the last defender in
            // the middle.
            EXPECT_TRUE(InArea(attack.GetTacticalPosition(kKeeper, {bx, z}), false)) << bx << ", " << z;
            EXPECT_LT(std::abs(attack.GetTacticalPosition(kLastDefender, {bx, z}).z), 0.5f) << bx << ", " << z;
            const Vector3 ball = PitchPosition(bx, z).ToWorld(true);
            const auto distance = [&](const Vector3& p) { return (p - ball).Length(); };
            // "Missing" the keeper, who never throws, stands for the whole side.
            for (int missing = kKeeper; missing < kSlots; ++missing) {
                std::vector<float> outfield;
                for (int slot = kLastDefender; slot < kSlots; ++slot)
                    if (slot != missing)
                        outfield.push_back(distance(attack.GetTacticalPosition(slot, {bx, z}).ToWorld(true)));
                // The nearest throws from the ball; the next nearest is thrown to.
                std::sort(outfield.begin(), outfield.end());
                const float mate = outfield[1];
                const std::string where = "ball " + std::to_string(bx) + ", " + std::to_string(z) + " without slot " +
                                          std::to_string(missing);
                if (mate < nearest.metres)
                    nearest = {mate, where};
                if (mate > farthest.metres)
                    farthest = {mate, where};
            }
        }
    }
    EXPECT_GE(nearest.metres, 8.0f) << nearest.where;
    EXPECT_LE(farthest.metres, 21.0f) << farthest.where;
}

TEST_F(ShippedStrategies, TheCastWriterAndReaderKeepEveryCell)
{
    ASSERT_TRUE(SaveSettings(&cast, "teams.txt"));
    Cast read("Teams");
    std::vector<std::unique_ptr<TeamStrategy>> empty;
    for (int k = 0; k < TeamStrategy::kCount; ++k) {
        empty.push_back(std::make_unique<TeamStrategy>());
        read.AddMember(empty.back().get(), TeamStrategy::MemberName(TeamStrategy::kNames[k]).c_str(), false);
    }
    ASSERT_TRUE(LoadSettings(&read, "teams.txt"));
    for (int k = 0; k < TeamStrategy::kCount; ++k) {
        const TeamStrategy& shipped = *strategies[static_cast<size_t>(k)];
        const TeamStrategy& loaded = *empty[static_cast<size_t>(k)];
        ASSERT_EQ(loaded.GetSlotCount(), shipped.GetSlotCount());
        for (int slot = 0; slot < kSlots; ++slot)
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 3; ++j)
                    EXPECT_NEAR(loaded.Cell(slot, i, j).x, shipped.Cell(slot, i, j).x, 1e-5f);
    }
    for (const auto& strategy : empty)
        read.RemoveMember(strategy.get());
}

} // namespace
