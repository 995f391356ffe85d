// The passing drill: the cycle rule, the points, the countdown, and the drill on the story
// stadium with the clock, the resets and the debug win.
#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "frontend/loading/MatchLoading.h"
#include "frontend/training/TrainingPasses.h"
#include "frontend/training/TrainingSession.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameSettings.h"
#include "simulation/Ball.h"
#include "support/TrainingSuite.h"
#include "tests/support/HudText.h"

#include <gtest/gtest.h>

namespace {

TEST(PassCycleTest, ACycleIsThreeDifferentReceiversInARow)
{
    const struct {
        const char* what;
        std::vector<int> receivers;  // player 0 has the ball first
        std::vector<bool> cycles;
    } cases[] = {
        {"round the triangle", {1, 2, 0}, {false, false, true}},
        {"twice round", {1, 2, 0, 1, 2, 0}, {false, false, true, false, false, true}},
        {"back and forth", {1, 0, 1, 0, 1, 0}, {false, false, false, false, false, false}},
        {"two players after the first pass", {1, 2, 1, 2, 1, 2}, {false, false, false, false, false, false}},
        {"back, then round from the start", {1, 0, 2, 1}, {false, false, false, true}},
        {"a repeat starts the ring at the holder", {1, 2, 1, 0, 2}, {false, false, false, false, true}},
        {"the holder again is no reception", {1, 1, 2, 0}, {false, false, false, true}},
    };
    for (const auto& c : cases) {
        PassCycle cycle;
        std::vector<bool> cycles;
        for (int receiver : c.receivers)
            cycles.push_back(cycle.Receive(receiver));
        EXPECT_EQ(cycles, c.cycles) << c.what;
    }
}

TEST(PassingPointsTest, CyclesPerPointAndThePerfectBonus)
{
    GameSettings* settings = GameSettings::Instance();
    const struct {
        int perPoint;
        int cycles;
        int points;
    } cases[] = {
        {4, 9, 2}, {4, 10, 4}, {4, 3, 0}, {4, 13, 5}, {4, 0, 0},
        // A designer's zero or less gives nothing for the cycles, the bonus still.
        {0, 9, 0}, {0, 10, 2}, {-2, 12, 2},
    };
    for (const auto& c : cases) {
        settings->passesTrainingCyclesForOnePoint = c.perPoint;
        EXPECT_EQ(TrainingPasses::PointsFor(c.cycles), c.points) << c.perPoint << " per point, " << c.cycles;
    }
    GameSettings::DestroyInstance();
}

TEST(PassingCountdownTest, ShowsAtLeastTwoDigits)
{
    const std::pair<int, std::string> cases[] = {{45, "45"}, {5, "05"}, {0, "00"}, {10, "10"}, {120, "120"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(TrainingDrill::CountdownText(seconds), text);
}

TEST(TrainingSettingTest, ReadsWholeNumberKeysAndFallsBackOtherwise)
{
    GameSettings::Instance()->penaltyTrainingTries = 7;
    EXPECT_EQ(TrainingDrill::Setting("Penalty Training tries", 5), 7);
    EXPECT_EQ(TrainingDrill::Setting("Passes Training duration", 1), 45);
    // A number of another type, and no key at all.
    EXPECT_EQ(TrainingDrill::Setting("Pass default dist", 3), 3);
    EXPECT_EQ(TrainingDrill::Setting("Passes Training", 3), 3);
    GameSettings::DestroyInstance();
}

class PassingDrillTest : public TrainingSuite {
protected:
    void SetUp() override
    {
        TrainingSuite::SetUp();
        delete MatchLoading::RunAtOnce(
            TrainingSession::BuildSetup(TrainingDrill::kPassing, *team, TrainingSession::LevelFolder()));
        drill = new TrainingPasses();
        harness->MakeCurrent(drill);
        harness->Step();
        passes = dynamic_cast<Passes*>(drill->GetRound());
        ASSERT_NE(passes, nullptr);
    }
    static void Send(const char* name)
    {
        MessageServer* server = MessageServer::Instance();
        server->SendMessage(0, server->RegisterMessage(name), 0);
    }
    static float ClockTime() { return PitchSimulation::Instance()->GetClock()->GetTime(); }
    static Vector3 PlayerAt(int i) { return PitchSimulation::Instance()->GetTeam(0)->GetPlayer(i)->GetActor()->GetPosition(); }

    TrainingPasses* drill = nullptr;
    Passes* passes = nullptr;
};

TEST_F(PassingDrillTest, TheClockWaitsForTheFirstPass)
{
    EXPECT_EQ(passes->RemainingSeconds(), 45);
    EXPECT_EQ(HudText("CountdownSeconds"), "45");
    harness->RunFrames(30);
    EXPECT_FALSE(passes->IsReleased());
    EXPECT_EQ(ClockTime(), 0.0f);

    Send("did pass");
    harness->RunFrames(60);
    EXPECT_TRUE(passes->IsReleased());
    EXPECT_GT(ClockTime(), 0.5f);
    EXPECT_EQ(passes->RemainingSeconds(), 45 - static_cast<int>(ClockTime()));
}

TEST_F(PassingDrillTest, BallOutPutsEverybodyBackAndMutesEventsForASecond)
{
    // Player 0 stays: leaving his spot would release the ball.
    const Vector3 spots[] = {PlayerAt(0), PlayerAt(2)};
    Character* third = PitchSimulation::Instance()->GetTeam(0)->GetPlayer(2);
    third->GetActor()->PlaceInState(spots[1] + Vector3(5.0f, 0.0f, 5.0f), 0.0f, new ActorState(ActorNodes::stand));
    Ball* ball = PitchSimulation::Instance()->GetBall();
    ball->SetPosition(ball->GetPosition() + Vector3(20.0f, 0.0f, 20.0f));
    Send("out of bounds far");
    harness->Step();
    EXPECT_TRUE(passes->IsResetting());
    EXPECT_LT((PlayerAt(2) - spots[1]).Length(), 0.5f);
    EXPECT_LT((ball->GetPosition() - spots[0]).Length(), 2.0f);

    Send("did pass");
    harness->RunFrames(30);
    EXPECT_FALSE(passes->IsReleased());
    harness->RunFrames(40);
    EXPECT_FALSE(passes->IsResetting());
    Send("did pass");
    EXPECT_TRUE(passes->IsReleased());
}

TEST_F(PassingDrillTest, DebugWinEndsPerfectWithTheRaisedEnergies)
{
    const int energy = static_cast<int>(members[0]->energy.level);
    harness->Script().Press(harness->GetFrame() + 2, "cheat win");
    for (int i = 0; i < 10 && !drill->IsFinished(); ++i)
        harness->Step();
    ASSERT_TRUE(drill->IsFinished());
    EXPECT_TRUE(drill->IsPerfect());
    EXPECT_EQ(drill->GetCount(), 10);
    EXPECT_EQ(TrainingSettings::Instance()->points, 4);
    EXPECT_EQ(Variable("%training_player1_energy%"), std::to_string(energy + 4));
    EXPECT_EQ(Variable("%dynamic_message%"), "%50206%");
}

TEST_F(PassingDrillTest, TimeUpShowsTheResults)
{
    Send("did pass");
    PitchSimulation::Instance()->GetClock()->SetTime(40.2f);
    harness->Step();
    EXPECT_EQ(passes->RemainingSeconds(), 5);
    EXPECT_EQ(HudText("CountdownSeconds"), "05");
    PitchSimulation::Instance()->GetClock()->SetTime(45.0f);
    harness->Step();
    ASSERT_TRUE(drill->IsFinished());
    EXPECT_FALSE(drill->IsPerfect());
    EXPECT_EQ(TrainingSettings::Instance()->points, 0);
    auto* results = dynamic_cast<TBMenu*>(Menu::Instance()->GetOwner());
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(results->GetScreen(), "training_results_1");
}

}  // namespace
