#include "settings/MatchStatistics.h"
#include "settings/MenuVariables.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// Records each variable as it is set, in order.
class RecordedVariables : public MenuVariables {
public:
    void SetVariable(const std::string& key, const std::string& text) override { set.emplace_back(key, text); }
    std::string Get(const std::string& key) const
    {
        for (const auto& [k, v] : set)
            if (k == key)
                return v;
        return "<unset>";
    }
    std::vector<std::pair<std::string, std::string>> set;
};

// Every counter a value of its own, so a swapped side or field shows.
void Play(MatchStatistics& s)
{
    s.teamNames[0] = "Pandas";
    s.teamNames[1] = "Rhinos";
    s.mostValuable = "panda_star";
    int32_t* counters[] = {s.goals, s.fouls, s.freeKicks, s.penaltyKicks, s.yellowCards, s.redCards, s.corners,
                           s.possession};
    int value = 1;
    for (int32_t* counter : counters) {
        counter[0] = value++;
        counter[1] = value++;
    }
}

TEST(MatchStatisticsTest, FillTextSetsTheScreenVariablesInOrder)
{
    MatchStatistics s;
    Play(s);
    RecordedVariables variables;
    s.FillText(true, variables);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"%home_team_name%", "Pandas"},        {"%away_team_name%", "Rhinos"},
        {"%home_team_goals%", "1"},            {"%away_team_goals%", "2"},
        {"%home_team_fouls%", "3"},            {"%away_team_fouls%", "4"},
        {"%home_team_freekicks%", "5"},        {"%away_team_freekicks%", "6"},
        {"%home_team_penaltykicks%", "7"},     {"%away_team_penaltykicks%", "8"},
        {"%home_team_yellowcards%", "9"},      {"%away_team_yellowcards%", "10"},
        {"%home_team_redcards%", "11"},        {"%away_team_redcards%", "12"},
        {"%home_team_corners%", "13"},         {"%away_team_corners%", "14"},
        {"%home_team_posession%", "15"},       {"%away_team_posession%", "16"},
        {"%most_valuable%", "panda_star"},
    };
    EXPECT_EQ(variables.set, expected);
}

TEST(MatchStatisticsTest, AwayFlagSwapsTheSides)
{
    MatchStatistics s;
    Play(s);
    RecordedVariables variables;
    s.FillText(false, variables);
    EXPECT_EQ(variables.Get("%home_team_name%"), "Rhinos");
    EXPECT_EQ(variables.Get("%away_team_name%"), "Pandas");
    EXPECT_EQ(variables.Get("%home_team_goals%"), "2");
    EXPECT_EQ(variables.Get("%away_team_corners%"), "13");
    EXPECT_EQ(variables.Get("%home_team_posession%"), "16");
    EXPECT_EQ(variables.Get("%most_valuable%"), "panda_star");
}

TEST(MatchStatisticsTest, ResetLeavesZeroesAndEmptyNames)
{
    MatchStatistics s;
    Play(s);
    s.Reset();
    RecordedVariables variables;
    s.FillText(true, variables);
    ASSERT_EQ(variables.set.size(), 19u);
    for (const auto& [key, text] : variables.set) {
        const bool name = key.find("name") != std::string::npos || key == "%most_valuable%";
        EXPECT_EQ(text, name ? "" : "0") << key;
    }
}

TEST(MatchStatisticsTest, PossessionSharesAddUpToAHundred)
{
    struct Case {
        int32_t a, b, share0, share1;
    };
    const Case cases[] = {{1, 2, 34, 66}, {2, 1, 67, 33}, {1, 1, 50, 50}, {0, 0, 50, 50},
                          {0, 5, 0, 100}, {5, 0, 100, 0}, {7, 93, 7, 93}, {1, 999999, 1, 99}};
    for (const Case& c : cases) {
        MatchStatistics s;
        s.SetPossession(c.a, c.b);
        EXPECT_EQ(s.possession[0], c.share0) << c.a << " " << c.b;
        EXPECT_EQ(s.possession[1], c.share1) << c.a << " " << c.b;
    }
}

}  // namespace
