// What the restarts taken by one player share, on the harness with both sides on the pitch: a
// person's arrow, his press and his turning with the ball, the pass ordered for him, and who
// stands free while he waits.
#include "match/setpieces/KickAim.h"

#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/Team.h"
#include "framework/MathUtil.h"
#include "input/InputController.h"
#include "input/ScriptedInputMapper.h"
#include "match/PitchDrawingState.h"
#include "match/setpieces/DirectionSelector.h"
#include "pitch/CameraControl.h"
#include "pitch/CameraStack.h"
#include "pitch/PitchSimulation.h"
#include "pitch/TBWorld.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "support/MatchOnHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using setpiecetest::MatchOnHarness;

constexpr const char* kPerson = "(0):";

int ArrowsInTheWorld()
{
    int arrows = 0;
    for (RenderObject* object : PitchSimulation::Instance()->GetWorld()->GetRenderObjects())
        arrows += dynamic_cast<DirectionSelector*>(object) ? 1 : 0;
    return arrows;
}

float FlatDistance(const Vector3& a, const Vector3& b) { return std::hypot(a.x - b.x, a.z - b.z); }

// Stands until replaced, aiming for the taker each frame as a restart does.
class Aiming : public PitchDrawingState {
public:
    Aiming(KickAim& aim, Character& taker, const ActorStateNode& waiting)
        : m_aim(aim), m_taker(taker), m_waiting(waiting)
    {
    }
    State* Update(float) override
    {
        m_aim.Update(m_taker, m_waiting);
        return this;
    }

private:
    KickAim& m_aim;
    Character& m_taker;
    const ActorStateNode& m_waiting;
};

class KickAimTest : public MatchOnHarness {
protected:
    void SetUp() override
    {
        MatchOnHarness::SetUp();
        ResetSides();
    }
    static Ball& TheBall() { return *PitchSimulation::Instance()->GetBall(); }

    // Everybody standing still where he is, as a restart places them.
    void AllInactive()
    {
        for (int side = 0; side < 2; ++side)
            for (Character* player : Players(side)) {
                Actor& actor = *player->GetActor();
                actor.PlaceInState(actor.GetPosition(), actor.GetHeading(), new ActorState(ActorNodes::inactive));
            }
    }

    // The taker waiting on the spot with the ball settled at his feet.
    Character& SettledTaker(const char* controller, const ActorStateNode& waiting)
    {
        Character& taker = Player(0, 2);
        taker.SetControllerName(controller);
        const Vector3 spot = PitchPosition(0.3f, 0.2f).ToWorld(true);
        taker.GetActor()->PlaceInState(spot, 0.0f, new ActorState(ActorNodes::stand));
        TheBall().SetPosition(spot + Vector3(0.0f, TheBall().GetRadius(), 0.0f));
        TheBall().SetVelocity(Vector3{});
        KickAim::SettleTaker(&taker, waiting, true);
        return taker;
    }
};

}  // namespace

// However often a restart begins the aim, one arrow stands in the world, and it goes with the
// aim; a computer taker has none.
TEST_F(KickAimTest, APersonsArrowIsInTheWorldOnceWhileHeAimsAndGoesWithTheAim)
{
    Character& taker = Player(0, 2);
    taker.SetControllerName(kPerson);
    auto aim = std::make_unique<KickAim>();
    aim->Begin(taker, 0.5f, 0.0f, 1.0f);
    aim->BeginAround(taker, Vector3(1.0f, 0.0f, 0.0f), 0.5f);
    EXPECT_EQ(ArrowsInTheWorld(), 1);
    ASSERT_NE(aim->GetSelector(), nullptr);
    const float along = PitchAngle::FromDirection(Vector3(1.0f, 0.0f, 0.0f)).angle;
    EXPECT_NEAR(aim->GetSelector()->GetAngle(), along, 1e-5f);
    // Held either way, the arrow stops at the limit on that side.
    auto& arrow = const_cast<DirectionSelector&>(*aim->GetSelector());
    for (const float right : {1.0f, 0.0f}) {
        ScriptedInputMapper stick(kPerson);
        stick.Add(240, {{"right", right}, {"left", 1.0f - right}});
        stick.Register(*BufferedInputController::Instance());
        for (int frame = 0; frame < 240; ++frame) {
            BufferedInputController::Instance()->Update(GameHarness::kFrameTime);
            arrow.Update(GameHarness::kFrameTime);
        }
        EXPECT_NEAR(arrow.GetAngle(), right > 0.0f ? along + 0.5f : along - 0.5f, 1e-4f);
    }
    aim->End();
    aim->End();
    EXPECT_EQ(ArrowsInTheWorld(), 0);
    EXPECT_EQ(aim->GetSelector(), nullptr);
    aim->Begin(taker, 0.0f, -1.0f, 1.0f);
    EXPECT_EQ(ArrowsInTheWorld(), 1);
    aim.reset();
    EXPECT_EQ(ArrowsInTheWorld(), 0);

    taker.SetControllerName("ai");
    KickAim computer;
    computer.Begin(taker, 0.0f, -1.0f, 1.0f);
    EXPECT_EQ(computer.GetSelector(), nullptr);
    EXPECT_EQ(ArrowsInTheWorld(), 0);
}

// While a restart is set, the keeper of the side that defends it stands free to guard his
// goal; everybody else keeps his place, the taker in his waiting node with the ball.
TEST_F(KickAimTest, OnlyTheDefendingKeeperStandsFreeWhileTheTakerWaitsWithTheBall)
{
    for (const bool attacking : {true, false}) {
        SCOPED_TRACE(attacking ? "side 0 takes it" : "side 1 takes it");
        ResetSides();
        AllInactive();
        Character& taker = SettledTaker("ai", ActorNodes::throwinwait);
        EXPECT_STREQ(taker.GetActor()->GetStateName(), "throwinwait");
        EXPECT_TRUE(taker.GetActor()->HasBall());
        AllInactive();
        KickAim::FreeDefendingKeeper(attacking);
        const int defending = attacking ? 1 : 0;
        for (int side = 0; side < 2; ++side)
            for (int32_t i = 0; i < Side(side).GetPlayerCount(); ++i)
                EXPECT_STREQ(Player(side, i).GetActor()->GetStateName(),
                             side == defending && i == 0 ? "stand" : "inactive")
                    << "side " << side << " player " << i;
    }
}

// A side down to its keeper still has him stand free for the other side's restart, and one
// with nobody left is passed over.
TEST_F(KickAimTest, ADefendingSideDownToItsKeeperOrToNobodyStillLetsTheRestartBeSet)
{
    std::vector<std::unique_ptr<Character>> off;
    Actor& keeper = *Player(1, 0).GetActor();
    for (const int left : {1, 0}) {
        SCOPED_TRACE(::testing::Message() << left << " left on side 1");
        AllInactive();
        keeper.PlaceInState(keeper.GetPosition(), keeper.GetHeading(), new ActorState(ActorNodes::inactive));
        while (Side(1).GetPlayerCount() > left)
            off.push_back(Side(1).RemovePlayer(&Player(1, Side(1).GetPlayerCount() - 1)));
        KickAim::FreeDefendingKeeper(true);
        EXPECT_STREQ(keeper.GetStateName(), left ? "stand" : "inactive");
        EXPECT_STREQ(Player(0, 0).GetActor()->GetStateName(), "inactive");
    }
    ResetSides();
}

// A person turns with his arrow until he presses one button: he faces it where he stands,
// still with the ball at his feet, a keeper with it in his hands; his press strikes along his
// heading, and from then on the arrow follows him.
TEST_F(KickAimTest, APersonTurnsWithHisArrowKeepingTheBallAndStrikesAlongItOnHisPress)
{
    const struct {
        const char* what;
        const ActorStateNode& waiting;
        bool keeper;
        bool withBall;
    } cases[] = {{"free kick", ActorNodes::kickoff, false, true},
                 {"keeper's kick", ActorNodes::keeperkickwait, true, true},
                 {"free kick, the ball a few steps off", ActorNodes::kickoff, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetSides();
        // The last case's press is gone.
        Harness().Step();
        Character* taker = &SettledTaker(kPerson, c.waiting);
        if (c.keeper) {
            taker->GetActor()->ReleaseBall();
            taker->SetControllerName("ai");
            taker = &Player(0, 0);
            taker->SetControllerName(kPerson);
            const Vector3 spot = PitchPosition(-0.9f, 0.1f).ToWorld(true);
            taker->GetActor()->PlaceInState(spot, 0.0f, new ActorState(ActorNodes::stand));
            TheBall().SetPosition(spot);
            KickAim::SettleTaker(taker, c.waiting, true);
        }
        Actor& actor = *taker->GetActor();
        ASSERT_TRUE(actor.HasBall());
        const Vector3 spot = actor.GetPosition();
        if (!c.withBall) {
            actor.ReleaseBall();
            TheBall().ReleasePossession(0);
            TheBall().SetPosition(spot + Vector3(3.0f, TheBall().GetRadius(), 0.0f));
        }
        const Vector3 ballAt = TheBall().GetPosition();
        KickAim aim;
        aim.Begin(*taker, 0.0f, -2.0f, 2.0f);
        ASSERT_NE(aim.GetSelector(), nullptr);
        Harness().MakeCurrent(new Aiming(aim, *taker, c.waiting));
        DirectionSelector& arrow = const_cast<DirectionSelector&>(*aim.GetSelector());
        for (const float angle : {1.2f, -0.7f, 1.9f}) {
            arrow.SetAngle(angle);
            aim.Update(*taker, c.waiting);
            EXPECT_NEAR(std::remainder(actor.GetHeading() - PitchAngle(angle).ToWorldHeading(), 2.0f * Math::Pi), 0.0f,
                        1e-4f)
                << angle;
            EXPECT_EQ(actor.GetPosition(), spot);
            EXPECT_STREQ(actor.GetStateName(), c.waiting.name);
            EXPECT_EQ(actor.HasBall(), c.withBall) << angle;
            if (c.withBall) {
                EXPECT_LT(FlatDistance(TheBall().GetPosition(), spot), actor.GetRadius() + TheBall().GetRadius() + 0.5f);
            } else {
                EXPECT_EQ(TheBall().GetPosition(), ballAt);
            }
        }
        EXPECT_FALSE(aim.IsStarted());
        EXPECT_EQ(taker->GetCommand().strike, 0);

        const float heading = actor.GetHeading();
        Harness().Script().Press(Harness().GetFrame(), "(0):button b");
        Harness().Step();
        ASSERT_TRUE(aim.IsStarted());
        EXPECT_EQ(taker->GetCommand().strike, 1);
        EXPECT_NEAR(taker->GetCommand().direction, heading, 1e-5f);
        // Started, he turns as his kick turns him; the arrow goes with him.
        actor.PlaceInState(actor.GetPosition(), heading + 0.6f, new ActorState(ActorNodes::stand));
        aim.Update(*taker, c.waiting);
        EXPECT_NEAR(arrow.GetAngle(), PitchAngle::FromWorldHeading(heading + 0.6f).angle, 1e-4f);
        Harness().MakeCurrent(nullptr);
        taker->SetControllerName("ai");
    }
}

// The brain is ordered to pass; a person's taker, whose brain reads his controller, has the
// pass made for him as his button would, once: a pass already held keeps its target.
TEST_F(KickAimTest, APassIsOrderedAndMadeForAPersonsTakerOnce)
{
    Character& taker = Player(0, 2);
    Character& receiver = Player(0, 3);
    Character& other = Player(0, 4);
    const struct {
        const char* what;
        bool selected;
        Character* receiver;
    } cases[] = {{"computer's", false, &receiver}, {"person's", true, &receiver}, {"person's, to nobody", true, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        taker.SetSelected(c.selected);
        taker.GetCommand() = ActorCommand{};
        KickAim::OrderPass(taker, c.receiver);
        const TeamOrder& order = taker.GetBrain()->GetOrder();
        EXPECT_EQ(order.code, TeamOrder::kPass);
        EXPECT_EQ(order.target, c.receiver);
        const ActorCommand& command = taker.GetCommand();
        EXPECT_EQ(command.code, c.selected ? ActorInput::Pass : ActorInput::None);
        EXPECT_EQ(command.hold, c.selected ? 1 : 0);
        const Vector3 at = c.receiver && c.selected ? c.receiver->GetActor()->GetPosition() : Vector3{};
        EXPECT_EQ(command.targetPosition, at);
        // Asked again for another man, a person's pass already under way keeps its target.
        KickAim::OrderPass(taker, &other);
        EXPECT_EQ(taker.GetBrain()->GetOrder().target, &other);
        EXPECT_EQ(taker.GetCommand().targetPosition, c.selected ? at : Vector3{});
    }
    taker.SetSelected(false);
}

// A restart's camera looks at the taker from the half's side; where that would stand it over
// the stands it looks from the other side, but only if that one stands over the pitch, and the
// half's side comes back, with the ball followed, once the restart is over.
TEST_F(KickAimTest, TheRestartCameraLooksFromTheOtherSideOnlyWhereThatStandsOverThePitch)
{
    Character& taker = Player(0, 2);
    const Vector3 corner = PitchPosition(1.0f, 1.0f).ToWorld(true);
    const struct {
        bool halfFlipped;
        float x, z;
        bool flipped;
        bool overPitch;
    } cases[] = {
        {false, 0.0f, 0.0f, false, true}, {false, 0.0f, 1.0f, true, true}, {false, 1.8f, 0.0f, false, false},
        {true, 0.0f, 0.0f, true, true},   {true, 0.0f, -1.0f, false, true}, {true, 1.8f, 0.0f, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.halfFlipped ? "second half" : "first half") << " at " << c.x << ", "
                                          << c.z);
        SetCameraFlipped(c.halfFlipped);
        const size_t stack = CameraStack::Current()->GetCameraStack().size();
        taker.GetActor()->PlaceInState(PitchPosition(c.x, c.z).ToWorld(true), 0.0f, new ActorState(ActorNodes::stand));
        KickAim::PushCamera("Throw In", taker.GetActor());
        CameraControl* camera = CameraStack::Current()->GetActiveCamera();
        ASSERT_NE(camera, nullptr);
        EXPECT_STREQ(camera->GetName(), "Cameras|Throw In");
        EXPECT_EQ(GetCameraTarget(), taker.GetActor());
        EXPECT_EQ(IsCameraFlipped(), c.flipped);
        if (c.overPitch) {
            EXPECT_LT(std::fabs(camera->GetPosition().x), std::fabs(corner.x));
            EXPECT_LT(std::fabs(camera->GetPosition().z), std::fabs(corner.z));
        }
        KickAim::PopCamera();
        EXPECT_EQ(IsCameraFlipped(), c.halfFlipped);
        EXPECT_EQ(GetCameraTarget(), &TheBall());
        EXPECT_EQ(CameraStack::Current()->GetCameraStack().size(), stack);
    }
    SetCameraFlipped(false);
}

// Every outfield player of both sides turns where he stands to face the restart's spot; the
// keepers are left as they were.
TEST_F(KickAimTest, EveryOutfieldPlayerFacesTheSpotAndTheKeepersAreLeftAlone)
{
    for (int side = 0; side < 2; ++side) {
        Actor& keeper = *Player(side, 0).GetActor();
        keeper.PlaceInState(keeper.GetPosition(), 1.0f, new ActorState(ActorNodes::stand));
    }
    std::vector<Vector3> before;
    for (int side = 0; side < 2; ++side)
        for (Character* player : Players(side))
            before.push_back(player->GetActor()->GetPosition());
    const Vector3 spot = PitchPosition(0.4f, -0.6f).ToWorld(true);
    KickAim::FaceOutfieldPlayers(spot);
    size_t n = 0;
    for (int side = 0; side < 2; ++side)
        for (int32_t i = 0; i < Side(side).GetPlayerCount(); ++i) {
            SCOPED_TRACE(::testing::Message() << "side " << side << " player " << i);
            const Actor& actor = *Player(side, i).GetActor();
            EXPECT_EQ(actor.GetPosition(), before[n++]);
            if (i == 0) {
                EXPECT_STREQ(actor.GetStateName(), "stand");
                EXPECT_NEAR(actor.GetHeading(), 1.0f, 1e-5f);
                continue;
            }
            EXPECT_STREQ(actor.GetStateName(), "inactive");
            const Vector3 toSpot = spot - actor.GetPosition();
            EXPECT_NEAR(std::sin(actor.GetHeading()) * toSpot.x + std::cos(actor.GetHeading()) * toSpot.z,
                        std::hypot(toSpot.x, toSpot.z), 1e-3f);
        }
}
