// The shoot-out: when it is decided, who kicks, the rows of marks, and a whole seeded one
// between two computer sides on the first level.
#include "characters/Team.h"
#include "framework/Cast.h"
#include "frontend/TBMenu.h"
#include "match/penalties/PenaltyDisplayControl.h"
#include "match/penalties/PenaltyShootout.h"
#include "match/penalties/PenaltyShot.h"
#include "support/PenaltyTest.h"
#include "tests/support/LogCapture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(PenaltyShootoutDecisionTest, DecidesOnlyWhenTheOtherSideCanNoLongerCatchUp)
{
    struct Case {
        const char* name;
        int32_t pair;
        bool leftKicked;  // the left side's kick was the last one
        int32_t left, right, winner;
    };
    const std::vector<Case> cases = {
        {"3 of 3 against none, after the right's third", 2, false, 3, 0, 1},
        {"3-0 after the left's third: the right still kicks", 2, true, 3, 0, 0},
        {"3-0 after the left's fourth", 3, true, 4, 0, 1},
        {"right 3-1 after the left's fourth", 3, true, 1, 3, 2},
        {"right 3-2 after the left's fourth", 3, true, 2, 3, 0},
        {"level after five pairs goes on", 4, false, 4, 4, 0},
        {"all missed after five pairs", 4, false, 0, 0, 0},
        {"sudden death: the left scores first", 5, true, 5, 4, 0},
        {"sudden death: then the right misses", 5, false, 5, 4, 1},
        {"sudden death: the left misses, the right scores", 5, false, 4, 5, 2},
        {"sudden death, later pair", 8, false, 7, 8, 2},
        {"nothing kicked yet", 0, true, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PenaltyShootout::IsDecided(c.pair, c.leftKicked, c.left, c.right), c.winner) << c.name;
}

TEST(PenaltyShootoutDecisionTest, TakersGoBackwardsFromTheLastAndNeverTheKeeper)
{
    std::vector<int32_t> five, two, one;
    for (int32_t pair = 0; pair < 6; ++pair) {
        five.push_back(PenaltyShootout::TakerIndex(5, pair));
        two.push_back(PenaltyShootout::TakerIndex(2, pair));
        one.push_back(PenaltyShootout::TakerIndex(1, pair));
    }
    EXPECT_EQ(five, (std::vector<int32_t>{4, 3, 2, 1, 4, 3}));
    EXPECT_EQ(two, (std::vector<int32_t>{1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(one, (std::vector<int32_t>{0, 0, 0, 0, 0, 0}));
}

class PenaltyShootoutTest : public PenaltyTest {
protected:
    static std::string Row(int side) { return PenaltyDisplayControl::DescribeRow(side); }
};

TEST_F(PenaltyShootoutTest, MarksFillTheRowsAndWrapAfterFive)
{
    LogCapture log;
    PenaltyDisplayControl& display = *PenaltyDisplayControl::Instance();
    display.Show(false, 5);
    EXPECT_EQ(Row(0) + " " + Row(1), "eeeee eeeee");
    const bool scored[] = {true, false, true, true, false};
    for (int kick = 0; kick < 5; ++kick) {
        display.SetMark(0, kick, scored[kick]);
        display.SetMark(1, kick, !scored[kick]);
    }
    EXPECT_EQ(Row(0) + " " + Row(1), "smssm msmms");
    // The sixth kick: side 0 starts its row afresh, side 1 changes only its first mark.
    display.SetMark(1, 5, true);
    EXPECT_EQ(Row(1), "ssmms");
    display.SetMark(0, 5, false);
    display.SetMark(0, 5, false);
    EXPECT_EQ(Row(0) + " " + Row(1), "meeee eeeee");
    display.SetMark(1, 5, true);
    EXPECT_EQ(Row(1), "seeee");

    display.Show(true, 3);
    EXPECT_EQ(Row(0) + " " + Row(1), "eee-- -----");
    display.SetMark(0, 4, true);  // the fifth kick is the second of a row of three
    EXPECT_EQ(Row(0), "ese--");
    display.Hide();
    EXPECT_EQ(Row(0) + " " + Row(1), "----- -----");
    // Every mark it drove is in the cast.
    EXPECT_EQ(log.Count("PenaltyDisplayControl"), 0);
}

TEST_F(PenaltyShootoutTest, MissingMarkIsLoggedOnceAndSkipped)
{
    Cast* cast = CastManager::Instance()->GetCast("penaltyhud");
    ASSERT_NE(cast, nullptr);
    CastMember* member = cast->FindByName("PenaltyDisplay_3_empty_p2");
    ASSERT_NE(member, nullptr);
    cast->RemoveMember(member->object);
    LogCapture log;
    PenaltyDisplayControl& display = *PenaltyDisplayControl::Instance();
    display.Show(false, 5);
    display.SetMark(1, 2, true);
    display.Show(false, 5);
    EXPECT_EQ(Row(0) + " " + Row(1), "eeeee ee-ee");
    EXPECT_EQ(log.Count("PenaltyDisplayControl"), 1);
    EXPECT_EQ(log.Count("\"PenaltyDisplay_3_empty_p2\""), 1);
    // The match's next load brings it back.
    Game().GetElements().LoadOrSaveCasts(true, false, false);
    display.Show(false, 5);
    EXPECT_EQ(Row(1), "eeeee");
}

TEST_F(PenaltyShootoutTest, DisplayDrivesTheItemsOfAReloadedCast)
{
    PenaltyDisplayControl& display = *PenaltyDisplayControl::Instance();
    display.Show(false, 5);
    // Every match load reads the cast again and replaces the items.
    Game().GetElements().LoadOrSaveCasts(true, false, false);
    display.Show(false, 5);
    display.SetMark(0, 0, true);
    EXPECT_NE(PenaltyDisplayControl::FindItem(PenaltyDisplayControl::kScored, 0, 0), nullptr);
    EXPECT_EQ(Row(0), "seeee");
}

TEST_F(PenaltyShootoutTest, SeededComputerShootoutEndsOnTheResultScreen)
{
    Settings().aiWaitBeforeShot = 0.2f;
    Settings().timeAfterKick = 2.0f;
    Settings().goalDecisionTime = 1.8f;
    int32_t winner = -1;
    auto* shootout = new PenaltyShootout(&winner);
    EXPECT_EQ(winner, 0);
    PenaltyDisplayControl::Instance()->Hide();
    Harness().MakeCurrent(shootout);
    EXPECT_EQ(Row(0) + " " + Row(1), "eeeee eeeee");
    EXPECT_EQ(PitchSimulation::Instance()->GetHudMask(), 120u);
    EXPECT_EQ(Game().GetCameras().GetCameraStack().size(), 2u);

    int kicks = 0;
    // Told by pair and side: a new kick may reuse the last one's address.
    int kick = -1;
    std::vector<std::string> takers;
    int frames = 0;
    while (frames < 20000 && !shootout->IsResultShown() && Harness().Step()) {
        ++frames;
        const int current = 2 * shootout->GetPair() + (shootout->IsLeftKicking() ? 0 : 1);
        if (shootout->GetCurrentKick() && current != kick) {
            kick = current;
            ++kicks;
            const auto* shot = dynamic_cast<const PenaltyShot*>(shootout->GetCurrentKick());
            ASSERT_NE(shot, nullptr);
            const int side = shot->GetContext().leftSide ? 0 : 1;
            const SoccerTeam& team = *PitchSimulation::Instance()->GetTeam(side);
            for (int i = 0; i < team.GetPlayerCount(); ++i)
                if (team.GetPlayer(i) == shot->GetContext().taker)
                    takers.push_back(std::to_string(side) + ":" + std::to_string(i));
            EXPECT_EQ(shot->GetContext().keeper, PitchSimulation::Instance()->GetTeam(1 - side)->GetPlayer(0));
        }
    }
    ASSERT_TRUE(shootout->IsResultShown());
    EXPECT_TRUE(winner == 1 || winner == 2) << winner;
    const int32_t leftGoals = shootout->GetLeftGoals(), rightGoals = shootout->GetRightGoals();
    EXPECT_EQ(winner, leftGoals > rightGoals ? 1 : 2);
    EXPECT_GE(kicks, 6);
    // Left first, each side from its last player backwards.
    const int32_t count = PitchSimulation::Instance()->GetTeam(0)->GetPlayerCount();
    ASSERT_GE(takers.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(takers.begin(), takers.begin() + 4),
              (std::vector<std::string>{"0:" + std::to_string(count - 1), "1:" + std::to_string(PitchSimulation::Instance()->GetTeam(1)->GetPlayerCount() - 1),
                                        "0:" + std::to_string(count - 2), "1:" + std::to_string(PitchSimulation::Instance()->GetTeam(1)->GetPlayerCount() - 2)}));
    if (shootout->GetPair() < 5) {
        const auto count = [](const std::string& row) { return static_cast<int32_t>(std::count(row.begin(), row.end(), 's')); };
        EXPECT_EQ(count(Row(0)), leftGoals);
        EXPECT_EQ(count(Row(1)), rightGoals);
    }
    EXPECT_EQ(Harness().GetProblem(), "");

    // The result screen waits for the menu button.
    Run(30);
    ASSERT_EQ(Game().GetCurrentState(), shootout);
    EXPECT_TRUE(PenaltyMatch::PressUntilGone(Harness(), shootout));
    EXPECT_EQ(Game().GetCurrentState(), nullptr);
    EXPECT_EQ(Game().GetCameras().GetCameraStack().size(), 1u);
    EXPECT_EQ(PitchSimulation::Instance()->GetHudMask(), 63u);
    EXPECT_EQ(Row(0) + " " + Row(1), "----- -----");
}

// The shoot-out as a match starts it, every player parked but the two: a computer's true kick
// past a keeper who stays on his line scores, whoever takes it, on into sudden death.
TEST_F(PenaltyShootoutTest, TrueComputerKicksPastAStillKeeperScoreEveryKick)
{
    constexpr int kKicks = 12;
    Settings().worstPowerErrorAi = Settings().bestPowerErrorAi = 0.0f;
    Settings().minimumReadTime = Settings().maximumReadTime = 0.0f;
    Settings().aiWaitBeforeShot = 0.2f;
    Settings().goalDecisionTime = Settings().timeAfterKick = 1.5f;
    int32_t winner = -1;
    auto* shootout = new PenaltyShootout(&winner);
    Harness().MakeCurrent(shootout);
    int frames = 0;
    while (frames++ < 20000 && 2 * shootout->GetPair() + (shootout->IsLeftKicking() ? 0 : 1) < kKicks &&
           Harness().Step()) {
    }
    EXPECT_EQ(winner, 0);
    EXPECT_EQ(shootout->GetLeftGoals() + shootout->GetRightGoals(), kKicks);
    EXPECT_EQ(Harness().GetProblem(), "");
    Harness().MakeCurrent(nullptr);
}

}  // namespace
