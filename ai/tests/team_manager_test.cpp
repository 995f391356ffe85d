// The team manager's strategy by score, and the AI's per-frame measure cache.
#include "ai/TeamManager.h"
#include "ai/UtilityRegistry.h"
#include "framework/Random.h"
#include "characters/Character.h"
#include "simulation/MatchClock.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

TEST(TeamManagerTest, PicksTheStrategyOfTheScore)
{
    const float rate = 1.0f;
    const MatchClock clock(&rate);
    TeamManager manager;
    EXPECT_EQ(manager.GetStrategyName(), "");
    std::vector<std::string> chosen;
    for (int difference : {0, 2, -1, 0}) {
        manager.Update(0.1f, clock, difference);
        chosen.push_back(manager.GetStrategyName());
    }
    EXPECT_EQ(chosen, (std::vector<std::string>{"Classic-Normal", "Classic-Defend", "Classic-Attack", "Classic-Normal"}));
}

TEST(TeamManagerTest, PresetTacticsChangeWhatEachScoreMeans)
{
    const float rate = 1.0f;
    const MatchClock clock(&rate);
    // Every preset row is drawn within a few seeds; each maps level, ahead and behind to
    // one of its three strategies.
    const std::vector<std::vector<std::string>> rows = {{"Classic-Normal", "Classic-Defend", "Classic-Attack"},
                                                        {"Classic-Defend", "Classic-Defend", "Classic-Normal"},
                                                        {"Classic-Attack", "Classic-Normal", "Classic-Attack"}};
    std::vector<bool> seen(rows.size());
    for (uint32_t seed = 1; seed < 40; ++seed) {
        Random::Seed(seed);
        TeamManager manager;
        manager.ChooseTactics();
        std::vector<std::string> row;
        for (int difference : {0, 1, -1}) {
            // From a different score first, so that each update changes the strategy.
            manager.Update(0.0f, clock, difference == 0 ? 1 : 0);
            manager.Update(0.0f, clock, difference);
            row.push_back(manager.GetStrategyName());
        }
        const auto found = std::find(rows.begin(), rows.end(), row);
        ASSERT_NE(found, rows.end()) << row[0] << " " << row[1] << " " << row[2];
        seen[static_cast<size_t>(found - rows.begin())] = true;
    }
    EXPECT_EQ(seen, (std::vector<bool>{true, true, true}));
}

TEST(UtilityRegistryTest, ValuesLastUntilTheCachesAreCleared)
{
    UtilityRegistry registry;
    // The registry only keys by the player's address; a real one needs its body and data.
    alignas(Character) const unsigned char player[sizeof(Character)] = {};
    const auto* who = reinterpret_cast<const Character*>(player);
    float value = 0.0f;
    EXPECT_FALSE(registry.Recall("DistanceFromBall", who, value));
    registry.Remember("DistanceFromBall", who, 0.25f);
    ASSERT_TRUE(registry.Recall("DistanceFromBall", who, value));
    EXPECT_EQ(value, 0.25f);
    EXPECT_FALSE(registry.Recall("DistanceFromBall", nullptr, value));
    registry.ClearCaches();
    EXPECT_FALSE(registry.Recall("DistanceFromBall", who, value));
}

} // namespace
