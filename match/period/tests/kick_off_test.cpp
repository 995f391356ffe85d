#include "match/setpieces/KickOff.h"

#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/RefereeSettings.h"
#include "characters/Team.h"
#include "game/GameTB.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameParameters.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"
#include "simulation/ReplayEngine.h"
#include "support/TestMatch.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kFrame = GameHarness::kFrameTime;

KickOff* Current(TestMatch& match)
{
    return dynamic_cast<KickOff*>(match.Harness().GetGame()->GetCurrentState());
}

// Frames until the whistle has ended; the cap when it never does.
int RunWhistle(TestMatch& match)
{
    return match.RunUntil([&] { return Current(match) && !Current(match)->GetWhistle(); }, 600);
}

float HorizontalDistance(const Vector3& a, const Vector3& b)
{
    return std::hypot(a.x - b.x, a.z - b.z);
}

}  // namespace

TEST(KickOffTest, ReceiverBesideTheTakerAndRefereeAsideFacingTheBall)
{
    for (bool attacking : {true, false}) {
        SCOPED_TRACE(attacking);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        auto* kickOff = new KickOff(attacking);
        match.Harness().MakeCurrent(kickOff);
        Character* taker = kickOff->GetTaker();
        ASSERT_NE(taker, nullptr);
        EXPECT_EQ(taker->GetTeam(), &TestMatch::Team(attacking ? 0 : 1));
        Character* receiver = SetPiece::ChooseReceiver(taker, true);
        ASSERT_NE(receiver, nullptr);
        EXPECT_NEAR(receiver->GetActor()->GetPosition().x, taker->GetActor()->GetPosition().x, 1e-4f);
        EXPECT_STREQ(receiver->GetActor()->GetStateName(), "inactive");

        const Actor& referee = *PitchSimulation::Instance()->GetReferee()->GetActor();
        EXPECT_NEAR(HorizontalDistance(referee.GetPosition(), PitchFrame::GetCentre()),
                    RefereeSettings::Instance()->distFromBall, 1e-3f);
        EXPECT_STREQ(referee.GetStateName(), "refstand");
        // He faces the spot he stands away from.
        const Vector3 toBall = PitchFrame::GetCentre() - referee.GetPosition();
        const float heading = referee.GetHeading();
        EXPECT_NEAR(std::sin(heading) * toBall.x + std::cos(heading) * toBall.z, std::hypot(toBall.x, toBall.z), 1e-3f);
    }
}

TEST(KickOffTest, HumanButtonsAreIgnoredDuringTheWhistleThenPassToTheReceiver)
{
    TestMatch match;
    ASSERT_TRUE(match.Start(1));
    MatchSettings::Instance()->aiSetPieceDelay = 100.0f;
    auto* kickOff = new KickOff(true);
    match.Harness().MakeCurrent(kickOff);
    Character* taker = kickOff->GetTaker();
    ASSERT_NE(taker, nullptr);
    ASSERT_EQ(taker->GetBrain()->GetName(), "(0):");
    match.Harness().Script().Press(match.Harness().GetFrame(), "(0):button a");
    match.Harness().Step();
    ASSERT_NE(kickOff->GetWhistle(), nullptr);
    EXPECT_EQ(taker->GetCommand().hold, 0);
    EXPECT_NE(taker->GetCommand().code, 7);
    EXPECT_EQ(taker->GetBrain()->GetMode(), CharacterBrain::kFrozen);

    RunWhistle(match);
    ASSERT_EQ(Current(match), kickOff);
    const Vector3 receiverAt = SetPiece::ChooseReceiver(taker, true)->GetActor()->GetPosition();
    // Button b serves as well as a.
    match.Harness().Script().Press(match.Harness().GetFrame(), "(0):button b");
    match.Harness().Step();
    // The pass input takes the taker out of "kickoff" at once.
    EXPECT_STREQ(taker->GetActor()->GetStateName(), "pass");
    EXPECT_EQ(taker->GetCommand().targetPosition, receiverAt);
    EXPECT_EQ(taker->GetBrain()->GetMode(), 0);
}

TEST(KickOffTest, TheComputerKicksAfterTheDelayForAnIdleHumanAndForItself)
{
    struct Case {
        int players;
    };
    for (const Case& c : {Case{1}, Case{0}}) {
        SCOPED_TRACE(c.players);
        TestMatch match;
        ASSERT_TRUE(match.Start(c.players));
        MatchSettings::Instance()->aiSetPieceDelay = 0.5f;
        auto* kickOff = new KickOff(true);
        match.Harness().MakeCurrent(kickOff);
        Character* taker = kickOff->GetTaker();
        RunWhistle(match);
        ASSERT_EQ(Current(match), kickOff);
        // Just short of the delay no pass is ordered.
        const int delayFrames = static_cast<int>(0.5f / kFrame);
        match.Harness().RunFrames(delayFrames - 2);
        ASSERT_EQ(Current(match), kickOff);
        EXPECT_NE(taker->GetBrain()->GetOrder().code, 1);
        match.Harness().RunFrames(3);
        if (Current(match)) {
            EXPECT_EQ(taker->GetBrain()->GetOrder().code, 1);
            EXPECT_EQ(taker->GetBrain()->GetOrder().target->GetTeam(), taker->GetTeam());
            EXPECT_NE(taker->GetBrain()->GetOrder().target, taker);
        }
        // The pass is made in bounded time and the set piece ends with it.
        match.RunUntil([&] { return Current(match) == nullptr; }, 600);
        EXPECT_EQ(Current(match), nullptr);
        EXPECT_FALSE(taker->GetActor()->HasBall());
    }
}

TEST(KickOffTest, AStoryLegRecordsReplaysWhateverTheOptionSays)
{
    struct Case {
        bool storyLeg;
        bool replaysOption;
        bool recording;
    };
    for (const Case& c : {Case{false, false, false}, Case{false, true, true}, Case{true, false, true}}) {
        SCOPED_TRACE(testing::Message() << c.storyLeg << " " << c.replaysOption);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        GameParameters::Instance()->replays = c.replaysOption;
        ReplayEngine::Instance()->SetEnabled(false);
        match.Harness().MakeCurrent(new KickOff(true, c.storyLeg));
        EXPECT_EQ(ReplayEngine::Instance()->IsEnabled(), c.recording);
    }
}
