#include "tools/match_run/PlayFigures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const int kA = 1, kB = 2, kC = 3;
PlayFigures::Player P(const int& who) { return &who; }

TEST(PlayFiguresTest, APassReachesATeamMateOnlyWhenHeIsTheNextHolder)
{
    struct Case {
        const char* story;
        std::vector<std::pair<int, const int*>> holders;  // side and holder per frame; null: nobody
        bool stop;  // play stops after those frames
        int reached;
    };
    const Case cases[] = {
        {"team-mate after loose frames", {{0, nullptr}, {0, &kB}}, false, 1},
        {"opponent first", {{1, &kC}, {0, &kB}}, false, 0},
        {"passer takes it back", {{0, &kA}}, false, 0},
        {"play stops before anyone", {{0, nullptr}}, true, 0},
    };
    for (const Case& c : cases) {
        PlayFigures figures;
        figures.Pass(0, P(kA));
        for (const auto& [side, holder] : c.holders)
            figures.Holder(side, holder);
        if (c.stop)
            figures.Stop();
        // Whoever holds later does not change a pass already settled.
        figures.Holder(0, P(kB));
        EXPECT_EQ(figures.passes, 1) << c.story;
        EXPECT_EQ(figures.passesReached, c.reached) << c.story;
    }
}

TEST(PlayFiguresTest, ARepeatShotIsTheSamePlayerSoonAndNearHisLastShot)
{
    PlayFigures figures;
    figures.Shot(P(kA), 0.0f, 10.0f, 0.0f, 20.0f, false);
    figures.Shot(P(kA), 9.0f, 12.0f, 2.0f, 18.0f, false);   // 2.8 m and 9 s on: a repeat
    figures.Shot(P(kB), 10.0f, 12.0f, 2.0f, 18.0f, true);   // another player
    figures.Shot(P(kA), 20.0f, 12.0f, 2.0f, 18.0f, true);   // 11 s on
    figures.Shot(P(kA), 25.0f, 15.5f, 2.0f, 10.0f, true);   // 3.5 m on
    EXPECT_EQ(figures.repeatShots, 1);
    EXPECT_EQ(figures.shots, 5);
    EXPECT_EQ(figures.shotsInArea, 3);
    EXPECT_EQ(figures.Describe(), "passes reaching a team-mate 0 % of 0, shots inside the area 60 %, median shot "
                                  "18.0 m, repeat shots 1 of 5, goals without a shot 0 of 0");
}

TEST(PlayFiguresTest, AGoalWithoutAShotIsOneWhoseLastKickWasNotAShot)
{
    PlayFigures figures;
    figures.Goal();  // nobody kicked yet
    figures.Shot(P(kA), 0.0f, 0.0f, 0.0f, 15.0f, true);
    figures.Goal();
    figures.Pass(0, P(kA));
    figures.Goal();
    figures.Shot(P(kA), 30.0f, 0.0f, 0.0f, 15.0f, true);
    figures.Kick();
    figures.Goal();
    // The penalty's kick sends nothing: the goal after it follows a pass struck long before.
    figures.Pass(0, P(kA));
    figures.Penalty();
    figures.Goal();
    EXPECT_EQ(figures.goals, 5);
    EXPECT_EQ(figures.goalsWithoutShot, 3);
    EXPECT_EQ(figures.shots, 2);

    PlayFigures run;
    run.Add(figures);
    run.Add(figures);
    EXPECT_EQ(run.Describe(), "passes reaching a team-mate 0 % of 4, shots inside the area 100 %, median shot "
                              "15.0 m, repeat shots 0 of 4, goals without a shot 6 of 10");
}

}  // namespace
