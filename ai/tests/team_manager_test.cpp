// The team manager's strategy by score.
#include "ai/TeamManager.h"
#include "ai/TeamStrategy.h"
#include "framework/Cast.h"
#include "framework/Random.h"
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

TEST(TeamManagerTest, AGoalAheadSwitchesAtOnceAndStayingAheadKeepsTheStrategy)
{
    TeamStrategy::CreateAll();
    const float rate = 1.0f;
    const MatchClock clock(&rate);
    TeamManager manager;
    manager.Update(0.0f, clock, 0);
    EXPECT_EQ(manager.GetStrategy(), TeamStrategy::Find("Classic-Normal"));
    manager.Update(0.0f, clock, 1);
    EXPECT_EQ(manager.GetStrategy(), TeamStrategy::Find("Classic-Defend"));
    // Chosen by hand: only a change of score state chooses again.
    manager.SetStrategy("KickAndRush");
    manager.Update(0.0f, clock, 1);
    manager.Update(0.0f, clock, 3);
    EXPECT_EQ(manager.GetStrategy(), TeamStrategy::Find("KickAndRush"));
    manager.Update(0.0f, clock, -1);
    EXPECT_EQ(manager.GetStrategy(), TeamStrategy::Find("Classic-Attack"));
    // A name the cast does not hold leaves the manager without a strategy.
    manager.SetStrategy("Catenaccio");
    EXPECT_EQ(manager.GetStrategy(), nullptr);
    CastManager::Instance()->DeleteAll();
}

} // namespace
