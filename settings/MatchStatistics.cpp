#include "settings/MatchStatistics.h"

#include "settings/MenuVariables.h"

#include <cmath>

void MatchStatistics::Reset()
{
    for (int side = 0; side < 2; ++side) {
        teamNames[side].clear();
        for (int32_t* counter : {possession, fouls, freeKicks, penaltyKicks, yellowCards, redCards, corners, goals})
            counter[side] = 0;
    }
    mostValuable.clear();
}

void MatchStatistics::SetPossession(int32_t side0Seconds, int32_t side1Seconds)
{
    const double total = static_cast<double>(side0Seconds) + side1Seconds;
    if (total == 0) {
        possession[0] = 50;
        possession[1] = 50;
        return;
    }
    possession[0] = static_cast<int32_t>(std::ceil(100.0 * side0Seconds / total));
    possession[1] = static_cast<int32_t>(std::floor(100.0 * side1Seconds / total));
}

void MatchStatistics::FillText(bool home, MenuVariables& variables) const
{
    const int homeSide = home ? 0 : 1;
    const int awaySide = 1 - homeSide;
    variables.SetVariable("%home_team_name%", teamNames[homeSide]);
    variables.SetVariable("%away_team_name%", teamNames[awaySide]);
    const auto counter = [&](const char* what, const int32_t* values) {
        variables.SetVariable("%home_team_" + std::string(what) + "%", std::to_string(values[homeSide]));
        variables.SetVariable("%away_team_" + std::string(what) + "%", std::to_string(values[awaySide]));
    };
    counter("goals", goals);
    counter("fouls", fouls);
    counter("freekicks", freeKicks);
    counter("penaltykicks", penaltyKicks);
    counter("yellowcards", yellowCards);
    counter("redcards", redCards);
    counter("corners", corners);
    // The screens spell the variable so.
    counter("posession", possession);
    variables.SetVariable("%most_valuable%", mostValuable);
}
