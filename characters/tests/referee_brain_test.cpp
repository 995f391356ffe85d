// The referee's brain: his whistles and card sequence, how he follows play, and a whole card
// and whistle played through his actor's graph.
#include "characters/Character.h"
#include "characters/RefereeBrain.h"
#include "characters/RefereeSettings.h"
#include "characters/data/CharacterCast.h"
#include "pitch/PitchSimulation.h"
#include "settings/PitchCoordinates.h"
#include "support/ActorTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <string>

namespace {

constexpr float kFrame = 1.0f / 60.0f;

float HeadingOf(const Vector3& direction) { return std::atan2(direction.x, direction.z); }

class RefereeBrainTest : public KickAbout {
protected:
    void SetUp() override
    {
        KickAbout::SetUp();
        RefereeSettings::DestroyInstance();
        Put(*referee, {}, 0.0f, ActorNodes::refstand);
        Put(*player, {0.0f, 0.0f, 20.0f}, 0.0f, ActorNodes::stand);
        ball.SetBallPosition({0.0f, 0.0f, -30.0f});
    }
    void TearDown() override
    {
        RefereeSettings::DestroyInstance();
        KickAbout::TearDown();
    }

    static void Put(Character& character, const Vector3& at, float heading, const ActorStateNode& node)
    {
        character.GetActor()->PlaceInState(at, heading, new ActorState(node));
    }

    // The referee thinks and acts; the collision pass moves him.
    void Frame()
    {
        referee->Update(kFrame);
        pitch->Update(kFrame, PitchSimulation::kUpdateCollisions);
    }

    RefereeBrain& Brain() const { return *static_cast<RefereeBrain*>(referee->GetBrain()); }

    // One Think into a fresh command, or into the one given.
    ActorCommand Think(ActorCommand command = {}) const
    {
        Brain().Think(command);
        return command;
    }

    PitchSimulation* pitch = PitchSimulation::Instance();
    CharacterCast cast{StagePath("Characters.txt")};
    std::unique_ptr<Character> referee = std::make_unique<Character>(Character::kReferee, "Referee", nullptr);
    std::unique_ptr<Character> player = std::make_unique<Character>(Character::kFieldPlayer, "PandaPl00", nullptr);
};

TEST_F(RefereeBrainTest, AWhistleStartsOnlyFromFollowingPlayAndACardEndsAWhistleFirst)
{
    ASSERT_NE(dynamic_cast<RefereeBrain*>(referee->GetBrain()), nullptr);
    RefereeBrain& brain = Brain();
    brain.Whistle(true);
    EXPECT_EQ(brain.GetState(), RefereeBrain::kShortWhistle);
    EXPECT_EQ(Think().code, ActorInput::WhistleShort);
    brain.Whistle(false);
    EXPECT_EQ(brain.GetState(), RefereeBrain::kShortWhistle);
    brain.EndWhistle();
    brain.Whistle(false);
    EXPECT_EQ(brain.GetState(), RefereeBrain::kLongWhistle);
    EXPECT_EQ(Think().code, ActorInput::WhistleLong);

    brain.AwardRedCard(player.get());
    EXPECT_EQ(brain.GetState(), RefereeBrain::kCardWhistle);
    EXPECT_EQ(brain.GetRedCardPlayer(), player.get());
    // Neither a whistle, its end nor a second card disturbs the sequence.
    brain.Whistle(true);
    brain.EndWhistle();
    brain.AwardRedCard(referee.get());
    EXPECT_EQ(brain.GetState(), RefereeBrain::kCardWhistle);
    EXPECT_EQ(brain.GetRedCardPlayer(), player.get());
    const ActorCommand command = Think();
    EXPECT_EQ(command.code, ActorInput::WhistleShort);
    // Facing the player, who stands along +z.
    EXPECT_NEAR(command.direction, HeadingOf(Vector3{0.0f, 0.0f, 1.0f}), 1e-5f);
}

TEST_F(RefereeBrainTest, ACardForNobodyIsReportedAndEndsAtOnceEvenDuringAWhistle)
{
    LogCapture log;
    Brain().Whistle(false);
    Brain().AwardRedCard(nullptr);
    EXPECT_EQ(log.Count("Null pointer passed to AwardRedCard()\n"), 1);
    EXPECT_EQ(Brain().GetState(), RefereeBrain::kFollowing);
    EXPECT_EQ(Brain().GetRedCardPlayer(), nullptr);
    referee->Update(kFrame);
    EXPECT_EQ(Brain().GetState(), RefereeBrain::kFollowing);
}

TEST_F(RefereeBrainTest, MovementFollowsTheDistanceToTheTargetAndTheFacingToTheBall)
{
    ASSERT_EQ(RefereeSettings::Instance()->distFromBall, 5.0f);
    // The ball at (20, 0, 0) puts the target at (15, 0, 0); past x = 15 the target lies
    // behind the referee and the ball ahead.
    ball.SetBallPosition({20.0f, 0.0f, 0.0f});
    const float plusX = HeadingOf(Vector3{1.0f, 0.0f, 0.0f});
    const float minusX = HeadingOf(Vector3{-1.0f, 0.0f, 0.0f});
    struct Case {
        int32_t from;
        float x;        // the referee's position along x
        float heading;  // the referee's facing
        int32_t movement;
        int32_t code;
        float direction;  // 9: none written
    };
    const Case cases[] = {
        {RefereeBrain::kStand, 12.0f, plusX, RefereeBrain::kWalk, ActorInput::Walk, plusX},
        {RefereeBrain::kStand, 9.0f, plusX, RefereeBrain::kRun, ActorInput::Run, plusX},
        {RefereeBrain::kStand, 16.0f, plusX, RefereeBrain::kStand, ActorInput::None, 9.0f},
        {RefereeBrain::kStand, 16.5f, minusX, RefereeBrain::kWalk, ActorInput::Walk, minusX},
        {RefereeBrain::kWalk, 15.5f, plusX, RefereeBrain::kRun, ActorInput::Run, minusX},
        // Stopping, he stands when facing the ball, else turns to it.
        {RefereeBrain::kWalk, 15.2f, plusX + 0.3f, RefereeBrain::kStand, ActorInput::None, 9.0f},
        {RefereeBrain::kWalk, 15.2f, minusX, RefereeBrain::kTurn, ActorInput::Walk, plusX},
        {RefereeBrain::kRun, 11.0f, plusX, RefereeBrain::kRun, ActorInput::Run, plusX},
        {RefereeBrain::kRun, 12.0f, plusX, RefereeBrain::kStand, ActorInput::None, 9.0f},
        {RefereeBrain::kRun, 15.2f, minusX, RefereeBrain::kTurn, ActorInput::Walk, plusX},
        {RefereeBrain::kTurn, 15.2f, plusX - 0.3f, RefereeBrain::kStand, ActorInput::None, 9.0f},
        {RefereeBrain::kTurn, 15.2f, plusX - 0.5f, RefereeBrain::kTurn, ActorInput::Walk, plusX},
        {RefereeBrain::kTurn, 12.0f, minusX, RefereeBrain::kWalk, ActorInput::Walk, plusX},
        {RefereeBrain::kTurn, 9.0f, minusX, RefereeBrain::kRun, ActorInput::Run, plusX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << " at x " << c.x);
        Put(*referee, {c.x, 0.0f, 0.0f}, c.heading, ActorNodes::refstand);
        Brain().SetMovementState(c.from);
        ActorCommand command;
        command.direction = 9.0f;
        command = Think(command);
        EXPECT_EQ(Brain().GetMovementState(), c.movement);
        EXPECT_EQ(command.code, c.code);
        EXPECT_NEAR(command.direction, c.direction, 1e-5f);
    }
}

TEST_F(RefereeBrainTest, ABallAtTheOriginPutsTheTargetOnTheAlongAxisShortOfIt)
{
    const Vector3 along = PitchFrame::GetDirection(PitchFrame::kAlong);
    EXPECT_TRUE(RefereeBrain::TargetPoint({}).IsEqual(along * -5.0f));
    EXPECT_TRUE(RefereeBrain::TargetPoint({0.0f, 0.0f, 8.0f}).IsEqual({0.0f, 0.0f, 3.0f}));
    RefereeSettings::Instance()->distFromBall = 2.0f;
    EXPECT_TRUE(RefereeBrain::TargetPoint({3.0f, 0.0f, 4.0f}).IsEqual({1.8f, 0.0f, 2.4f}));
}

TEST_F(RefereeBrainTest, AHeldOrFrozenCommandKeepsItsCodeWhileTheSequenceAdvances)
{
    ActorCommand held;
    held.hold = 1;
    held.code = ActorInput::Shoot;
    held.direction = 1.0f;
    Brain().Whistle(true);
    EXPECT_EQ(Think(held).code, ActorInput::Shoot);

    Brain().EndWhistle();
    Brain().AwardRedCard(player.get());
    Put(*referee, {}, 0.0f, ActorNodes::refwhistleshortstatic);
    const ActorCommand after = Think(held);
    EXPECT_EQ(std::tuple(after.code, after.direction), std::tuple(ActorInput::Shoot, 1.0f));
    EXPECT_EQ(Brain().GetState(), RefereeBrain::kCardApproach);

    // Frozen by the match flow: nothing but None, and the sequence waits.
    Brain().SetMode(CharacterBrain::kFrozen);
    Put(*referee, {0.0f, 0.0f, 19.0f}, 0.0f, ActorNodes::refstand);
    ActorCommand moving;
    moving.code = ActorInput::Run;
    EXPECT_EQ(Think(moving).code, ActorInput::None);
    EXPECT_EQ(Brain().GetState(), RefereeBrain::kCardApproach);
    Brain().SetMode(0);
    EXPECT_EQ(Think().code, ActorInput::Walk);
    EXPECT_EQ(Brain().GetState(), RefereeBrain::kCardShow);
    EXPECT_EQ(Think().code, ActorInput::RedCard);
    Put(*referee, {0.0f, 0.0f, 19.0f}, 0.0f, ActorNodes::refredcardend);
    Think();
    EXPECT_EQ(Brain().GetState(), RefereeBrain::kFollowing);
}

TEST_F(RefereeBrainTest, ACardSequenceAndAWhistlePlayedThroughTheActorEndWithinTenSeconds)
{
    LogCapture log;
    // Every node of his waits for its animation's end, the standing loop too.
    Put(*player, {0.0f, 0.0f, 10.0f}, 0.0f, ActorNodes::stand);
    Brain().AwardRedCard(player.get());
    std::set<int32_t> seen;
    int frame = 0;
    for (; frame < 600 && Brain().GetState() != RefereeBrain::kFollowing; ++frame) {
        seen.insert(Brain().GetState());
        Frame();
    }
    EXPECT_LT(frame, 600);
    EXPECT_EQ(seen, (std::set<int32_t>{RefereeBrain::kCardWhistle, RefereeBrain::kCardApproach,
                                       RefereeBrain::kCardShow}));
    EXPECT_LT(referee->GetActor()->DistanceTo(*player->GetActor()), RefereeSettings::Instance()->redCardPresentDist);

    for (const bool shortWhistle : {true, false}) {
        Brain().Whistle(shortWhistle);
        for (frame = 0; frame < 600 && Brain().GetState() != RefereeBrain::kFollowing; ++frame)
            Frame();
        EXPECT_LT(frame, 600) << shortWhistle;
    }
    EXPECT_FALSE(log.Contains("eferee")) << log.Text();
}

TEST_F(RefereeBrainTest, InputAndUnknownStatesAreReported)
{
    LogCapture log;
    ActorCommand command;
    command.code = ActorInput::Run;
    Brain().ProcessInput(command);
    EXPECT_EQ(command.code, ActorInput::None);
    EXPECT_EQ(log.Count("Referee is being controlled by an input!\n"), 1);
    Brain().SetMovementState(7);
    EXPECT_EQ(Brain().NextMovementState(10.0f, 0.0f), 7);
    EXPECT_EQ(log.Count("Invalid MovementState for Referee!\n"), 1);
}

}  // namespace
