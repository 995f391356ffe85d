#include "match/penalties/InGamePenalty.h"
#include "match/setpieces/CornerKick.h"
#include "match/setpieces/DirectionSelector.h"
#include "match/setpieces/FreeKick.h"
#include "match/setpieces/GoalKick.h"
#include "match/setpieces/KeeperKick.h"
#include "match/setpieces/KickOff.h"
#include "match/setpieces/ThrowIn.h"

#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/Team.h"
#include "engine/core/NullDevice.h"
#include "framework/Cast.h"
#include "framework/Message.h"
#include "game/GameTB.h"
#include "input/ConfigurableInputMapper.h"
#include "input/JoystickInput.h"
#include "input/PlatformInputDevices.h"
#include "match/MatchDelay.h"
#include "match/period/MatchPeriod.h"
#include "pitch/CameraControl.h"
#include "pitch/PitchSimulation.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "support/TestMatch.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"
#include "tests/support/ScreenCover.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

State* Current(TestMatch& match)
{
    return match.Harness().GetGame()->GetCurrentState();
}

Character& Player(int side, int index)
{
    return *TestMatch::Team(side).GetPlayer(index);
}

void Put(Character& player, const Vector3& where)
{
    player.GetActor()->PlaceInState(where, 0.0f, new ActorState(ActorNodes::stand));
}

Vector3 Corner()
{
    return PitchPosition(1.0f, 1.0f).ToWorld(true);
}

// Both buttons of side 0 in the next frame, or the one named.
void PressNext(TestMatch& match, bool a, bool b)
{
    const int frame = match.Harness().GetFrame();
    if (a)
        match.Harness().Script().Press(frame, "(0):button a");
    if (b)
        match.Harness().Script().Press(frame, "(0):button b");
}

// An angle brought into [0, 2 pi).
float Wrapped(float angle)
{
    while (angle < 0.0f)
        angle += 2.0f * kPi;
    while (angle >= 2.0f * kPi)
        angle -= 2.0f * kPi;
    return angle;
}

// Where a character faces in the world, read straight from his heading.
Vector3 Facing(const Actor& actor)
{
    return {std::sin(actor.GetHeading()), 0.0f, std::cos(actor.GetHeading())};
}

Vector3 Flat(Vector3 v)
{
    v.y = 0.0f;
    v.Normalize();
    return v;
}

float FlatDistance(const Vector3& a, const Vector3& b)
{
    return std::hypot(a.x - b.x, a.z - b.z);
}

// The black over the whole screen in the last frame, from 0 (clear) to 1; a frame that draws
// no match shows the black the screen is cleared to.
float ScreenCover()
{
    const RwCamera* screen = RwGraphics::Instance()->GetPrimaryCamera()->GetRwCamera();
    bool match = false;
    float cover = 0.0f;
    for (const RwNullDrawRecord& d : RwNullDeviceGet()->draws) {
        match = match || (d.isMesh && d.camera == screen);
        cover = std::max(cover, static_cast<float>(BlackScreenCoverAlpha(d)) / 255.0f);
    }
    return match ? cover : 1.0f;
}

}  // namespace

// On level01 the pitch frame lies half a turn from the world, so a taker turned by a pitch
// angle taken for a world heading faces away from his arrow and kicks the ball off the pitch.
TEST(RestartFacingTest, AHumanTakerFacesHisAimHoldsTheBallWhileHeWaitsAndKicksItIntoThePitch)
{
    // Long enough for the ball to settle in his hands or at his feet.
    constexpr int kWaitFrames = 20;
    struct Case {
        const char* what;
        std::function<SetPiece*()> make;
        // The person's arrow; null where he has none.
        std::function<const DirectionSelector*(SetPiece*)> arrow;
        // Without an arrow: whom he faces, the nearest team-mate (a kick-off's receiver) or
        // the goal he attacks (a penalty), else into the pitch.
        enum { kInward, kTeamMate, kGoal } facing = kInward;
        // Kicked by a press of "button a" and watched.
        bool kick = true;
    };
    const auto aimOf = [](auto* piece) { return piece->GetAim().GetSelector(); };
    const Case cases[] = {
        {"throw-in",
         [] {
             const float line = PitchFrame::GetDirection(PitchFrame::kAcross).z * (std::fabs(Corner().z) + 1.0f);
             return new ThrowIn(true, true, Vector3(8.0f, 0.0f, line));
         },
         [&](SetPiece* p) { return aimOf(static_cast<ThrowIn*>(p)); }},
        {"corner", [] { return new CornerKick(true, false); },
         [&](SetPiece* p) { return aimOf(static_cast<CornerKick*>(p)); }},
        {"free kick", [] { return new FreeKick(true, Vector3(6.0f, 0.0f, -9.0f)); },
         [&](SetPiece* p) { return aimOf(static_cast<FreeKick*>(p)); }},
        {"goal kick",
         [] {
             // The keeper holds the ball in his own area, as after a catch.
             Character& keeper = Player(0, 0);
             const Vector3 own = PitchPosition(-0.9f, 0.0f).ToWorld(keeper.GetTeam()->IsFirstSide());
             Put(keeper, own);
             PitchSimulation::Instance()->GetBall()->SetPosition(own);
             return new GoalKick(true);
         },
         [&](SetPiece* p) { return aimOf(static_cast<GoalKick*>(p)); }},
        {"keeper kick", [] { return new KeeperKick(true, true); },
         [&](SetPiece* p) { return aimOf(static_cast<KeeperKick*>(p)); }},
        {"kick-off", [] { return new KickOff(true); }, [](SetPiece*) { return nullptr; }, Case::kTeamMate},
        {"penalty", [] { return new InGamePenalty(true); }, [](SetPiece*) { return nullptr; }, Case::kGoal, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestMatch match;
        ASSERT_TRUE(match.Start(1));
        // The fault shows only where pitch angles and world headings differ.
        ASSERT_GT(std::fabs(std::remainder(PitchAngle(0.0f).ToWorldHeading(), 2.0f * kPi)), 1.0f);
        MatchSettings::Instance()->fadeLength = 0.0f;
        MatchSettings::Instance()->aiSetPieceDelay = 100.0f;
        SetPiece* piece = c.make();
        match.Harness().MakeCurrent(piece);
        match.Harness().Step();
        ASSERT_EQ(Current(match), piece);
        Character* taker = piece->GetTaker();
        ASSERT_NE(taker, nullptr);
        const Actor& actor = *taker->GetActor();
        const Vector3 from = actor.GetPosition();
        const Vector3 inward = Flat(PitchFrame::GetCentre() - from);
        const DirectionSelector* arrow = c.arrow(piece);
        if (c.facing == Case::kInward) {
            ASSERT_NE(arrow, nullptr);
            EXPECT_GT(Facing(actor).Dot(PitchAngle(arrow->GetAngle()).ToDirection()), 0.9f) << "facing off his arrow";
            EXPECT_GT(Facing(actor).Dot(inward), 0.0f) << "facing out of the pitch";
        } else if (c.facing == Case::kGoal) {
            const bool first = taker->GetTeam()->IsFirstSide();
            const Vector3 play = PitchFrame::GetDirection(first ? PitchFrame::kAlong : PitchFrame::kAlongBack);
            EXPECT_GT(Facing(actor).Dot(play), 0.9f) << "facing away from the goal";
        } else {
            float best = -1.0f;
            for (int32_t i = 0; i < taker->GetTeam()->GetPlayerCount(); ++i)
                if (Character* mate = taker->GetTeam()->GetPlayer(i); mate != taker)
                    best = std::max(best, Facing(actor).Dot(Flat(mate->GetActor()->GetPosition() - from)));
            EXPECT_GT(best, 0.9f) << "facing no team-mate";
        }
        if (!c.kick)
            continue;
        if (arrow) {
            // However long he aims, the ball stays with him until he kicks.
            match.Harness().RunFrames(kWaitFrames);
            ASSERT_EQ(Current(match), piece) << "the set piece ended with no kick";
            EXPECT_TRUE(actor.HasBall());
        }

        // The person kicks: the ball leaves along his facing and, from a line, a second on is
        // still on the pitch. The harness stops with the set piece, so the flight is read
        // from the ball's velocity then.
        const Ball& ball = *PitchSimulation::Instance()->GetBall();
        const Vector3 start = ball.GetPosition();
        const Vector3 facing = Facing(actor);
        // Pressed now and then: a kick-off reads the button only once the whistle has gone.
        int frames = 0;
        match.RunUntil(
            [&] {
                if (frames++ % 20 == 0)
                    match.Harness().Script().Press(match.Harness().GetFrame(), "(0):button a");
                return FlatDistance(ball.GetPosition(), start) > 4.0f;
            },
            240);
        const Vector3 ahead = ball.GetPosition() + ball.GetVelocity();
        ASSERT_GT(FlatDistance(ahead, start), 2.0f) << "never kicked";
        const Vector3 travel = Flat(ahead - start);
        EXPECT_GT(travel.Dot(facing), 0.5f);
        if (c.facing == Case::kInward) {
            EXPECT_GT(travel.Dot(inward), 0.0f) << "kicked out of the pitch";
            const PitchPosition at = PitchPosition::FromWorld(ahead, true);
            EXPECT_LE(std::fabs(at.x), 1.0f);
            EXPECT_LE(std::fabs(at.z), 1.0f);
        }
    }
}

TEST(ThrowInTest, ABallOutNearACornerIsThrownShortOfTheEndOnItsOwnSide)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    MatchSettings& settings = *MatchSettings::Instance();
    settings.throwInDistIn = 0.5f;
    const Vector3 corner = Corner();
    const float end = std::fabs(corner.x) - settings.throwInEdgeDistLimit;
    struct Case {
        float x;
        bool positiveLine;
        float wantX;
    };
    for (const Case& c : {Case{std::fabs(corner.x) + 3.0f, true, end}, Case{-std::fabs(corner.x) - 3.0f, false, -end},
                          Case{end, false, end}, Case{4.0f, true, 4.0f}}) {
        SCOPED_TRACE(c.x);
        // The positive line lies along the pitch's across axis.
        const Vector3 across = PitchFrame::GetDirection(c.positiveLine ? PitchFrame::kAcross : PitchFrame::kAcrossBack);
        const float lineZ = across.z * std::fabs(corner.z);
        ThrowIn throwIn(true, c.positiveLine, Vector3(c.x, 1.5f, lineZ));
        Vector3 spot, direction;
        throwIn.GetTakerPlacement(spot, direction);
        EXPECT_FLOAT_EQ(spot.x, c.wantX);
        EXPECT_EQ(spot.y, 0.0f);
        // A little inside, thrown towards the pitch.
        EXPECT_NEAR(std::fabs(spot.z), std::fabs(corner.z) - 0.5f, 1e-4f);
        EXPECT_LT(direction.z * lineZ, 0.0f);
    }
}

TEST(ThrowInTest, TheKeeperNeverThrowsAndAHumanAimsWithExactlyOneButton)
{
    TestMatch match;
    ASSERT_TRUE(match.Start(1));
    MatchSettings::Instance()->aiSetPieceDelay = 0.0f;
    MatchSettings::Instance()->fadeLength = 0.0f;
    const Vector3 out(10.0f, 0.0f, std::fabs(Corner().z));
    // The keeper stands on the spot, yet an outfield player takes it.
    Put(Player(0, 0), out);
    auto* throwIn = new ThrowIn(true, true, out);
    match.Harness().MakeCurrent(throwIn);
    Character* taker = throwIn->GetTaker();
    ASSERT_NE(taker, nullptr);
    EXPECT_NE(taker, &Player(0, 0));
    EXPECT_STREQ(taker->GetActor()->GetStateName(), "throwinwait");
    ASSERT_NE(throwIn->GetAim().GetSelector(), nullptr);
    const float straight = PitchAngle::FromDirection(PitchFrame::GetDirection(PitchFrame::kAcrossBack)).angle;
    EXPECT_NEAR(throwIn->GetAim().GetSelector()->GetAngle(), straight, 1e-4f);

    // Both at once is no throw, and a human is never thrown for however long he waits.
    PressNext(match, true, true);
    match.Harness().RunFrames(30);
    ASSERT_EQ(Current(match), throwIn);
    EXPECT_FALSE(throwIn->GetAim().IsStarted());
    EXPECT_EQ(taker->GetCommand().strike, 0);
    EXPECT_NE(taker->GetBrain()->GetOrder().code, 1);

    PressNext(match, false, true);
    match.Harness().Step();
    EXPECT_TRUE(throwIn->GetAim().IsStarted() || Current(match) != throwIn);
}

// Player 1 plays with a pad, which comes out and goes back in while he waits to throw: its
// button starts his throw, as the program's tick reads it.
TEST(ThrowInTest, APadPluggedBackWhileTheTakerWaitsStartsHisThrow)
{
    // The offscreen window never has the focus, without which SDL drops the pad's input.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
    ASSERT_TRUE(DXInput::Instance()->Init());
    {
        TestMatch match;
        ASSERT_TRUE(match.Start(1));
        ConfigurableInputMapper* pad = PlatformInputDevices::Instance()->GetInputMapper(1);
        ASSERT_TRUE(pad && pad->SetClaim(0, true));
        MatchSettings::Instance()->aiSetPieceDelay = 0.0f;
        MatchSettings::Instance()->fadeLength = 0.0f;
        auto* throwIn = new ThrowIn(true, true, Vector3(10.0f, 0.0f, std::fabs(Corner().z)));
        match.Harness().MakeCurrent(throwIn);
        const auto frames = [&](int count) {
            for (int i = 0; i < count; ++i) {
                DXInput::Instance()->Update(GameHarness::kFrameTime);
                match.Harness().Step();
            }
        };
        frames(5);
        SDL_JoystickDetachVirtual(index);
        frames(5);
        index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
        SDL_Joystick* stick = SDL_JoystickOpen(index);
        ASSERT_NE(stick, nullptr);
        frames(2);
        ASSERT_EQ(Current(match), throwIn);
        EXPECT_FALSE(throwIn->GetAim().IsStarted());
        SDL_JoystickSetVirtualButton(stick, 1, SDL_PRESSED);  // "BUTTON_B"
        frames(1);
        EXPECT_TRUE(Current(match) != throwIn || throwIn->GetAim().IsStarted());
        SDL_JoystickClose(stick);
    }
    DXInput::Instance()->Exit();
    PlatformInputDevices::DestroyInstance();
    SDL_JoystickDetachVirtual(index);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

TEST(ThrowInTest, TheComputerThrowsToATeamMateOnceTheDelayHasRun)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    MatchSettings::Instance()->aiSetPieceDelay = 0.5f;
    MatchSettings::Instance()->fadeLength = 0.0f;
    auto* throwIn = new ThrowIn(false, false, Vector3(-5.0f, 0.0f, -std::fabs(Corner().z)));
    match.Harness().MakeCurrent(throwIn);
    Character* taker = throwIn->GetTaker();
    ASSERT_NE(taker, nullptr);
    EXPECT_EQ(taker->GetTeam(), &TestMatch::Team(1));
    EXPECT_EQ(throwIn->GetAim().GetSelector(), nullptr);
    match.Harness().RunFrames(static_cast<int>(0.5f / GameHarness::kFrameTime) - 2);
    ASSERT_EQ(Current(match), throwIn);
    EXPECT_NE(taker->GetBrain()->GetOrder().code, 1);
    match.Harness().RunFrames(3);
    if (Current(match) == throwIn) {
        EXPECT_EQ(taker->GetBrain()->GetOrder().code, 1);
        EXPECT_EQ(taker->GetBrain()->GetOrder().target->GetTeam(), taker->GetTeam());
    }
    match.RunUntil([&] { return Current(match) != throwIn; }, 600);
    EXPECT_NE(Current(match), throwIn);
}

// The throw-in's camera stands behind the taker on the half's side: at a taker on the touch
// line of that side it would stand over the crowd, so it looks from the pitch there, whichever
// half it is, and the half's side comes back once the throw-in is over.
TEST(ThrowInTest, TheCameraLooksAtTheTakerFromOverThePitchOnEitherLineInEitherHalf)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    MatchSettings::Instance()->fadeLength = 0.0f;
    const float halfWidth = std::fabs(Corner().z);
    for (bool halfFlipped : {false, true})
        for (bool positiveLine : {false, true}) {
            SCOPED_TRACE(std::string(halfFlipped ? "second half, " : "first half, ") +
                         (positiveLine ? "positive line" : "negative line"));
            SetCameraFlipped(halfFlipped);
            const Vector3 across = PitchFrame::GetDirection(positiveLine ? PitchFrame::kAcross : PitchFrame::kAcrossBack);
            auto* throwIn = new ThrowIn(true, positiveLine, Vector3(4.0f, 0.0f, across.z * halfWidth));
            match.Harness().MakeCurrent(throwIn);
            match.Harness().Step();
            CameraControl* active = match.Harness().GetGame()->GetCameras().GetActiveCamera();
            auto* camera = dynamic_cast<TrackingCameraControl*>(active);
            ASSERT_NE(camera, nullptr);
            EXPECT_STREQ(camera->GetName(), "Cameras|Throw In");
            EXPECT_LT(std::fabs(camera->GetPosition().z), halfWidth) << camera->GetPosition().z;
            EXPECT_EQ(GetCameraTarget(), throwIn->GetTaker()->GetActor());
            match.Harness().MakeCurrent(new MatchDelay(1.0f, false, false));
            EXPECT_EQ(IsCameraFlipped(), halfFlipped);
            EXPECT_EQ(GetCameraTarget(), PitchSimulation::Instance()->GetBall());
        }
    SetCameraFlipped(false);
}

// Until the throw the taker is whoever of the side stands nearest the ball.
TEST(ThrowInTest, BeforeTheThrowTheTakerIsTheOutfieldPlayerNearestTheBall)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    MatchSettings::Instance()->aiSetPieceDelay = 10.0f;
    MatchSettings::Instance()->fadeLength = 0.0f;
    auto* throwIn = new ThrowIn(true, true, Vector3(0.0f, 0.0f, std::fabs(Corner().z)));
    match.Harness().MakeCurrent(throwIn);
    match.Harness().RunFrames(5);
    Character* taker = throwIn->GetTaker();
    ASSERT_NE(taker, nullptr);
    ASSERT_TRUE(taker->GetActor()->HasBall());
    Character* nearer = &Player(0, 1) != taker ? &Player(0, 1) : &Player(0, 2);
    const Vector3 ball = PitchSimulation::Instance()->GetBall()->GetPosition();
    nearer->GetActor()->PlaceInState(Vector3(ball.x + 0.1f, 0.0f, ball.z), 0.0f, new ActorState(ActorNodes::inactive));
    EXPECT_EQ(throwIn->GetTaker(), nearer);
}

// A throw that reaches a team-mate while the picture fades out: the receiver, standing
// "inactive" with the ball and now nearest it, must not be taken for a taker who has not
// thrown yet, or play never restarts.
TEST(ThrowInTest, AThrowCaughtBeforeTheFadeOutEndsStillEndsTheThrowIn)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    MatchSettings& settings = *MatchSettings::Instance();
    settings.aiSetPieceDelay = 0.0f;
    settings.fadeLength = 1.0f;
    auto* throwIn = new ThrowIn(true, true, Vector3(0.0f, 0.0f, std::fabs(Corner().z)));
    match.Harness().MakeCurrent(throwIn);
    Character* taker = throwIn->GetTaker();
    ASSERT_NE(taker, nullptr);
    Character* receiver = &Player(0, 1) != taker ? &Player(0, 1) : &Player(0, 2);
    Vector3 spot, direction;
    throwIn->GetTakerPlacement(spot, direction);
    // Near enough to reach in a few frames, facing the thrower.
    receiver->GetActor()->PlaceInState(spot + direction * 4.0f, PitchAngle::FromDirection(-direction).ToWorldHeading(),
                                       new ActorState(ActorNodes::inactive));
    // Asking for the taker afresh also forgets the distances measured before the move.
    ASSERT_EQ(throwIn->GetTaker(), taker);
    ASSERT_EQ(SetPiece::ChooseReceiver(taker, false), receiver);

    bool caught = false;
    const float seconds = 2.0f * settings.fadeLength + 3.0f;
    const int frames = match.RunUntil(
        [&] {
            caught = caught || receiver->GetActor()->HasBall();
            return Current(match) != throwIn;
        },
        static_cast<int>(seconds / GameHarness::kFrameTime));
    ASSERT_TRUE(caught) << "the throw never reached the receiver";
    EXPECT_NE(Current(match), throwIn) << "still running after " << frames << " frames";
}

TEST(CornerKickTest, TheTakerFacesADiagonalAndTheCameraIsNamedByItsSideAndCorner)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    MatchSettings::Instance()->cornerDistIn = 1.0f;
    struct Case {
        bool attacking;
        bool negativeCorner;
    };
    for (const Case& c : {Case{true, true}, Case{true, false}, Case{false, true}, Case{false, false}}) {
        SCOPED_TRACE(std::to_string(c.attacking) + std::to_string(c.negativeCorner));
        CornerKick corner(c.attacking, c.negativeCorner);
        Vector3 spot, direction;
        corner.GetTakerPlacement(spot, direction);
        const float angle = Wrapped(PitchAngle::FromDirection(direction).angle);
        const float eighths = angle / (kPi / 4.0f);
        EXPECT_NEAR(eighths, std::round(eighths), 1e-4f);
        EXPECT_EQ(static_cast<int>(std::round(eighths)) % 2, 1);
        // Near the defending goal's corner on the flag's side, pointing at the centre.
        const bool takerFirst = TestMatch::Team(c.attacking ? 0 : 1).IsFirstSide();
        const PitchPosition at = PitchPosition::FromWorld(spot, !takerFirst);
        EXPECT_LT(at.x, -0.9f);
        EXPECT_EQ(at.z < 0.0f, c.negativeCorner);
        EXPECT_GT(direction.x * -spot.x + direction.z * -spot.z, 0.0f);

        const std::string side = takerFirst ? "Right " : "Left ";
        const std::string end = c.negativeCorner != !takerFirst ? "Near" : "Far";
        EXPECT_EQ(corner.GetCameraName(), "Corner " + side + end);
        EXPECT_EQ(corner.GetTaker(), &Player(c.attacking ? 0 : 1, 1));
    }
}

TEST(CornerKickTest, AHumanWhoWaitsHasThePassMadeAndItEndsWhenHeLosesTheBall)
{
    TestMatch match;
    ASSERT_TRUE(match.Start(1));
    MatchSettings::Instance()->aiSetPieceDelay = 0.3f;
    MatchSettings::Instance()->fadeLength = 0.0f;
    auto* corner = new CornerKick(true, false);
    match.Harness().MakeCurrent(corner);
    Character* taker = corner->GetTaker();
    ASSERT_NE(taker, nullptr);
    ASSERT_NE(corner->GetAim().GetSelector(), nullptr);
    EXPECT_TRUE(taker->GetActor()->HasBall());
    match.RunUntil([&] { return taker->GetBrain()->GetOrder().code == 1 || Current(match) != corner; }, 60);
    EXPECT_EQ(taker->GetBrain()->GetOrder().code, 1);
    match.RunUntil([&] { return Current(match) != corner; }, 600);
    EXPECT_NE(Current(match), corner);
    EXPECT_FALSE(taker->GetActor()->HasBall());
}

TEST(FreeKickTest, AFoulSpotOutsideIsBroughtOntoThePitchAndInsideTheLines)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    const float margin = MatchSettings::Instance()->freekickLineDistLimit;
    const Vector3 corner = Corner();
    const float cx = std::fabs(corner.x), cz = std::fabs(corner.z);
    struct Case {
        Vector3 foul;
        Vector3 kickSpot;
        Vector3 placed;
    };
    for (const Case& c : {Case{{cx + 10, 0, 0}, {cx, 0, 0}, {cx - margin, 0, 0}},
                          Case{{-cx - 4, 0, -cz - 4}, {-cx, 0, -cz}, {-cx + margin, 0, -cz + margin}},
                          Case{{3, 2, cz - 1}, {3, 2, cz - 1}, {3, 0, cz - margin}},
                          Case{{-7, 0, 5}, {-7, 0, 5}, {-7, 0, 5}}}) {
        SCOPED_TRACE(c.foul.x);
        FreeKick kick(true, c.foul);
        EXPECT_NEAR(kick.GetKickSpot().x, c.kickSpot.x, 1e-3f);
        EXPECT_NEAR(kick.GetKickSpot().z, c.kickSpot.z, 1e-3f);
        Vector3 spot, direction;
        kick.GetTakerPlacement(spot, direction);
        EXPECT_NEAR(spot.x, c.placed.x, 1e-3f);
        EXPECT_EQ(spot.y, 0.0f);
        EXPECT_NEAR(spot.z, c.placed.z, 1e-3f);
    }
}

TEST(FreeKickTest, TheKeeperNeverTakesItAndTheCountdownRunsFromTheFirstUpdate)
{
    struct Case {
        float delay;
        float fade;
        int framesToOrder;
    };
    // A zero delay orders in the first update; a delay shorter than the fade runs out
    // while the picture comes back.
    for (const Case& c : {Case{0.0f, 0.0f, 1}, Case{0.2f, 1.0f, static_cast<int>(0.2f / GameHarness::kFrameTime)}}) {
        SCOPED_TRACE(c.delay);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchSettings::Instance()->aiSetPieceDelay = c.delay;
        MatchSettings::Instance()->fadeLength = c.fade;
        const Vector3 foul(-20.0f, 0.0f, 4.0f);
        Put(Player(1, 0), foul);
        auto* kick = new FreeKick(false, foul);
        match.Harness().MakeCurrent(kick);
        Character* taker = kick->GetTaker();
        ASSERT_NE(taker, nullptr);
        EXPECT_NE(taker, &Player(1, 0));
        EXPECT_FALSE(taker->IsKeeper());
        const int frames = match.RunUntil([&] { return taker->GetBrain()->GetOrder().code == 1; }, 200);
        EXPECT_LE(frames, c.framesToOrder + 1);
        EXPECT_GE(frames, c.framesToOrder - 2);
        EXPECT_EQ(Current(match), kick);
        if (c.fade > 0.0f) {
            EXPECT_NE(kick->GetFadeIn(), nullptr);
        }
        const Character* receiver = taker->GetBrain()->GetOrder().target;
        ASSERT_NE(receiver, nullptr);
        EXPECT_FALSE(receiver->IsKeeper());
    }
}

// A team-mate standing nearer the ball once the sides are lined up does not take over:
// standing "inactive" he could never kick, and play would never restart.
TEST(FreeKickTest, TheTakerLinedUpBehindTheBallKeepsTheKick)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    MatchSettings::Instance()->aiSetPieceDelay = 0.5f;
    MatchSettings::Instance()->fadeLength = 0.0f;
    auto* kick = new FreeKick(true, Vector3(-10.0f, 0.0f, 3.0f));
    match.Harness().MakeCurrent(kick);
    Character* taker = kick->GetTaker();
    ASSERT_NE(taker, nullptr);
    Character* other = nullptr;
    for (int32_t i = 1; i < TestMatch::Team(0).GetPlayerCount() && !other; ++i)
        other = &Player(0, i) != taker ? &Player(0, i) : nullptr;
    ASSERT_NE(other, nullptr);
    const Vector3 ball = PitchSimulation::Instance()->GetBall()->GetPosition();
    other->GetActor()->PlaceInState(Vector3(ball.x, 0.0f, ball.z + 0.3f), 0.0f, new ActorState(ActorNodes::inactive));
    EXPECT_EQ(kick->GetTaker(), taker);
    match.RunUntil([&] { return Current(match) != kick; }, 600);
    EXPECT_NE(Current(match), kick);
}

TEST(FreeKickTest, BothButtonsAtOnceKeepAHumanAiming)
{
    TestMatch match;
    ASSERT_TRUE(match.Start(1));
    MatchSettings::Instance()->fadeLength = 0.0f;
    MatchSettings::Instance()->aiSetPieceDelay = 100.0f;
    auto* kick = new FreeKick(true, Vector3(5.0f, 0.0f, 5.0f));
    match.Harness().MakeCurrent(kick);
    ASSERT_NE(kick->GetAim().GetSelector(), nullptr);
    Character* taker = kick->GetTaker();
    PressNext(match, true, true);
    match.Harness().Step();
    EXPECT_FALSE(kick->GetAim().IsStarted());
    EXPECT_EQ(taker->GetCommand().strike, 0);
    // A button held on from the last frame is no press: one let go and pressed again is.
    match.Harness().Step();
    PressNext(match, true, false);
    match.Harness().Step();
    EXPECT_TRUE(kick->GetAim().IsStarted());
}

TEST(GoalKickTest, AKeeperBeyondHisLineComesBackWithTheBall)
{
    for (const bool attacking : {true, false}) {
        SCOPED_TRACE(attacking);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        MatchSettings::Instance()->goalkickEndDistLimit = 1.5f;
        const float limit = std::fabs(Corner().x) - 1.5f;
        Character& keeper = Player(attacking ? 0 : 1, 0);
        const Vector3 own = PitchPosition(-1.0f, 0.1f).ToWorld(keeper.GetTeam()->IsFirstSide());
        const Vector3 beyond(own.x + (own.x > 0 ? 3.0f : -3.0f), 0.0f, own.z);
        Put(keeper, beyond);
        PitchSimulation::Instance()->GetBall()->SetPosition(beyond);
        auto* kick = new GoalKick(attacking);
        match.Harness().MakeCurrent(kick);
        EXPECT_NEAR(std::fabs(keeper.GetActor()->GetPosition().x), limit, 1e-3f);
        EXPECT_NEAR(keeper.GetActor()->GetPosition().z, own.z, 1e-3f);
        EXPECT_STREQ(keeper.GetActor()->GetStateName(), "keeperkickwait");
        EXPECT_TRUE(keeper.GetActor()->HasBall());
    }
}

TEST(GoalKickTest, NoPassWhileAnyoneIsOutOfPlaceThenToPlayerOneAndItEndsAsTheBallLeaves)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    MatchSettings::Instance()->aiSetPieceDelay = 0.0f;
    Character& keeper = Player(0, 0);
    const Vector3 own = PitchPosition(-0.9f, 0.0f).ToWorld(keeper.GetTeam()->IsFirstSide());
    Put(keeper, own);
    PitchSimulation::Instance()->GetBall()->SetPosition(own);
    auto* kick = new GoalKick(true);
    match.Harness().MakeCurrent(kick);
    ASSERT_TRUE(keeper.GetActor()->HasBall());
    // A visible player far from his place: the kick waits for him, and he sets off.
    Character& late = Player(1, 3);
    const Vector3 far = PitchPosition(0.9f, 0.9f).ToWorld(TestMatch::Team(1).IsFirstSide());
    late.GetActor()->PlaceInState(far, 0.0f, new ActorState(ActorNodes::inactive));
    match.Harness().Step();
    if (!kick->AllInPlace()) {
        EXPECT_NE(keeper.GetBrain()->GetOrder().code, 1);
        EXPECT_STRNE(late.GetActor()->GetStateName(), "inactive");
    }
    int frames = match.RunUntil([&] { return kick->AllInPlace() || Current(match) != kick; }, 1200);
    EXPECT_LT(frames, 1200) << "a player never reached his place";
    frames = match.RunUntil([&] { return keeper.GetBrain()->GetOrder().code == 1 || Current(match) != kick; }, 5);
    if (Current(match) == kick) {
        EXPECT_EQ(keeper.GetBrain()->GetOrder().target, &Player(0, 1));
    }
    match.RunUntil([&] { return Current(match) != kick; }, 600);
    EXPECT_NE(Current(match), kick);
    EXPECT_FALSE(TestMatch::Team(0).HasBall());
}

TEST(KeeperKickTest, TheSpotIsNamedBySideAndFlagAndAMissingOneFallsBackToTheGoalLine)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    for (const bool attacking : {true, false}) {
        for (const bool left : {true, false}) {
            SCOPED_TRACE(std::to_string(attacking) + std::to_string(left));
            KeeperKick kick(attacking, left);
            const bool first = TestMatch::Team(attacking ? 0 : 1).IsFirstSide();
            const std::string name = std::string(first ? "LeftGoal" : "RightGoal") + (left ? "Left" : "Right") + "KickSpot";
            EXPECT_EQ(kick.GetSpotName(), name);
            Vector3 spot, direction;
            kick.GetTakerPlacement(spot, direction);
            // The spot lies by the keeper's own goal, on the side a ball out there flags.
            const PitchPosition at = PitchPosition::FromWorld(spot, first);
            EXPECT_LT(at.x, -0.8f);
            EXPECT_EQ(at.z <= 0.0f, left);
        }
    }
    Cast* objects = CastManager::Instance()->GetCast("objects");
    ASSERT_NE(objects, nullptr);
    KeeperKick kick(true, true);
    CastMember* member = objects->FindByName(kick.GetSpotName().c_str());
    ASSERT_NE(member, nullptr);
    ASSERT_TRUE(objects->RemoveMember(member->object));
    LogCapture log;
    Vector3 spot, direction;
    kick.GetTakerPlacement(spot, direction);
    EXPECT_TRUE(log.Contains(kick.GetSpotName()));
    const Vector3 line = PitchPosition(-1.0f, 0.0f).ToWorld(TestMatch::Team(0).IsFirstSide());
    EXPECT_NEAR(spot.x, line.x, 1e-3f);
    EXPECT_NEAR(spot.z, line.z, 1e-3f);
}

TEST(KeeperKickTest, TheKeeperHoldsTheBallOnTheSpotAndTheKickEndsIt)
{
    TestMatch match;
    ASSERT_TRUE(match.Start(1));
    MatchSettings::Instance()->aiSetPieceDelay = 0.2f;
    MatchSettings::Instance()->fadeLength = 0.0f;
    auto* kick = new KeeperKick(true, false);
    match.Harness().MakeCurrent(kick);
    Character* keeper = kick->GetTaker();
    ASSERT_NE(keeper, nullptr);
    EXPECT_TRUE(keeper->IsKeeper());
    EXPECT_TRUE(keeper->GetActor()->HasBall());
    Vector3 spot, direction;
    kick->GetTakerPlacement(spot, direction);
    const Vector3 ball = PitchSimulation::Instance()->GetBall()->GetPosition();
    EXPECT_NEAR(std::hypot(ball.x - spot.x, ball.z - spot.z), 0.0f, 1.0f);
    match.RunUntil([&] { return Current(match) != kick; }, 600);
    EXPECT_NE(Current(match), kick);
    EXPECT_FALSE(keeper->GetActor()->HasBall());
}

namespace {

// The "goal scored" messages whose record names the scorer, as the goal handling reads them.
class GoalListener : public MessageListener {
public:
    GoalListener() : m_goal(MessageServer::Instance()->RegisterMessage("goal scored"))
    {
        MessageServer::Instance()->RegisterListener(this);
    }
    ~GoalListener() override { MessageServer::Instance()->UnregisterListener(this); }
    int OnMessage(int message, intptr_t param) override
    {
        if (message == m_goal && param)
            goals.push_back(*reinterpret_cast<const Ball::Goal*>(param));
        return 0;
    }
    std::vector<Ball::Goal> goals;

private:
    int m_goal;
};

}  // namespace

TEST(InGamePenaltyTest, AScoredPenaltyIsOneGoalByTheTakerAndTheRefereeIsHeldUntilItEnds)
{
    for (const bool attacking : {true, false}) {
        SCOPED_TRACE(attacking);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        auto* penalty = new InGamePenalty(attacking);
        match.Harness().MakeCurrent(penalty);
        SoccerTeam& kicking = TestMatch::Team(attacking ? 0 : 1);
        Character* taker = penalty->GetTaker();
        ASSERT_EQ(taker, kicking.GetPlayer(kicking.GetPlayerCount() - 1));
        ASSERT_NE(penalty->GetShot(), nullptr);
        CharacterBrain* referee = PitchSimulation::Instance()->GetReferee()->GetBrain();
        EXPECT_EQ(referee->GetMode(), CharacterBrain::kFrozen);
        EXPECT_NEAR(PitchSimulation::Instance()->GetReferee()->GetActor()->GetPosition().x, 0.0f, 1e-3f);

        GoalListener listener;
        match.RunUntil([&] { return Current(match) != penalty; }, 1800);
        ASSERT_NE(Current(match), penalty) << "the penalty never ended";
        EXPECT_EQ(referee->GetMode(), 0);
        // A goal is raised by the ball as it goes in, then reported by the penalty on leaving,
        // both naming the taker for his side; a miss raises none.
        int byTaker = 0;
        for (const Ball::Goal& goal : listener.goals)
            byTaker += goal.scoringTeam == &kicking && goal.scorer == taker;
        EXPECT_EQ(byTaker, static_cast<int>(listener.goals.size()));
        EXPECT_TRUE(byTaker == 0 || byTaker == 2) << byTaker;
    }
}

// A stadium whose pitch runs along the world's z axis, off the origin and shorter than
// level01's, so that the players it places stay within level01's walls.
TEST(RestartFrameTest, OnATurnedAndMovedPitchRestartsPlaceByThePitchNotTheWorld)
{
    constexpr float kHalfLength = 25.0f;
    constexpr float kHalfWidth = 20.0f;
    const auto along = [](const Vector3& p) {
        return PitchFrame::GetDirection(PitchFrame::kAlong).Dot(p - PitchFrame::GetCentre());
    };
    for (const bool attacking : {true, false}) {
        SCOPED_TRACE(attacking);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        PitchSimulation::SetPitchAxes({0.0f, 0.0f, 1.0f}, Vector3::Zero, {-1.0f, 0.0f, 0.0f});
        PitchSimulation::SetPitchExtents({5.0f, 0.0f, 2.0f}, kHalfWidth, kHalfWidth, kHalfLength, kHalfLength);

        // The receiver of a kick-off stands level with the taker along the pitch.
        auto* kickOff = new KickOff(attacking);
        match.Harness().MakeCurrent(kickOff);
        Character* taker = kickOff->GetTaker();
        ASSERT_NE(taker, nullptr);
        const Character* receiver = SetPiece::ChooseReceiver(taker, true);
        ASSERT_NE(receiver, nullptr);
        EXPECT_NEAR(along(receiver->GetActor()->GetPosition()), along(taker->GetActor()->GetPosition()), 1e-3f);

        // A keeper beyond his goal line comes back to the limit inside it.
        MatchSettings::Instance()->goalkickEndDistLimit = 1.5f;
        Character& keeper = Player(attacking ? 0 : 1, 0);
        const Vector3 beyond = PitchPosition(-1.1f, 0.2f).ToWorld(keeper.GetTeam()->IsFirstSide());
        Put(keeper, beyond);
        PitchSimulation::Instance()->GetBall()->SetPosition(beyond);
        match.Harness().MakeCurrent(new GoalKick(attacking));
        const Vector3 kept = keeper.GetActor()->GetPosition();
        EXPECT_NEAR(std::fabs(along(kept)), kHalfLength - 1.5f, 1e-3f);
        EXPECT_NEAR(PitchFrame::Flatten(kept - beyond).Length(), kHalfLength * 0.1f + 1.5f, 1e-3f);
        EXPECT_TRUE(keeper.GetActor()->HasBall());

        // A throw-in near a corner and a free kick beyond both lines come inside by the
        // pitch's own lines.
        MatchSettings::Instance()->throwInEdgeDistLimit = 2.0f;
        MatchSettings::Instance()->freekickLineDistLimit = 3.0f;
        Vector3 spot, direction;
        ThrowIn(attacking, true, PitchPosition(0.99f, 1.0f).ToWorld(true)).GetTakerPlacement(spot, direction);
        EXPECT_NEAR(along(spot), kHalfLength - 2.0f, 1e-3f);
        FreeKick(attacking, PitchPosition(1.0f, -1.0f).ToWorld(true)).GetTakerPlacement(spot, direction);
        EXPECT_NEAR(along(spot), kHalfLength - 3.0f, 1e-3f);
        const Vector3& across = PitchFrame::GetDirection(PitchFrame::kAcross);
        EXPECT_NEAR(across.Dot(spot - PitchFrame::GetCentre()), 3.0f - kHalfWidth, 1e-3f);

        // The referee of a penalty stands on the centre spot.
        match.Harness().MakeCurrent(new InGamePenalty(attacking));
        const Vector3 referee = PitchSimulation::Instance()->GetReferee()->GetActor()->GetPosition();
        EXPECT_NEAR(PitchFrame::Flatten(referee - PitchFrame::GetCentre()).Length(), 0.0f, 1e-3f);
    }
    PitchFrame::Reset();
}

// On the shipped settings a restart dips to black and back twice: before the kick, so that the
// players are placed out of sight, and after it. The screen darkens and clears steadily, never
// by a jump, each way over a third of a second to a second, which reads as a fade and not as a
// flicker or a wait; and the computer's taker throws only once the picture is back.
TEST(RestartSequenceTest, ARestartDipsToBlackAndBackSteadilyAroundTheKick)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    ScopedPicturesShown shown;
    const float line = PitchFrame::GetDirection(PitchFrame::kAcross).z * (std::fabs(Corner().z) + 1.0f);
    match.Harness().MakeCurrent(MatchPeriod::WrapSetPiece(new ThrowIn(true, true, Vector3(8.0f, 0.0f, line))));
    const Ball& ball = *PitchSimulation::Instance()->GetBall();
    std::vector<float> covers;
    int thrown = -1;
    bool started = false, held = false, dark = false;
    // Called before each frame: the draws are the last frame's.
    match.RunUntil(
        [&] {
            if (started) {
                covers.push_back(ScreenCover());
                dark = dark || covers.back() > 0.99f;
                if (dark && held && !ball.IsHeld() && thrown < 0)
                    thrown = static_cast<int>(covers.size()) - 1;
            }
            started = true;
            held = ball.IsHeld();
            return Current(match) == nullptr;
        },
        static_cast<int>(20.0f / GameHarness::kFrameTime));
    ASSERT_FALSE(covers.empty());
    ASSERT_GE(thrown, 0) << "the throw was never taken";
    // Each run of frames between clear and black, with the frames at either end.
    std::vector<float> ramps;
    int dips = 0;
    float previous = 0.0f;
    int between = 0;
    for (size_t frame = 0; frame < covers.size(); ++frame) {
        const float cover = covers[frame];
        EXPECT_LE(std::fabs(cover - previous), 0.2f) << "frame " << frame << " jumps from " << previous << " to " << cover;
        dips += cover > 0.99f && previous <= 0.99f;
        if (cover > 0.01f && cover < 0.99f) {
            ++between;
        } else if (between > 0) {
            ramps.push_back(static_cast<float>(between + 1) * GameHarness::kFrameTime);
            between = 0;
        }
        previous = cover;
    }
    if (between > 0)
        ramps.push_back(static_cast<float>(between + 1) * GameHarness::kFrameTime);
    EXPECT_LE(previous, 0.2f) << "play comes back to a dark screen";
    EXPECT_EQ(dips, 2);
    EXPECT_EQ(ramps.size(), 4u);
    for (const float seconds : ramps) {
        EXPECT_GE(seconds, 1.0f / 3.0f);
        EXPECT_LE(seconds, 1.0f);
    }
    // The picture has been back for a quarter of a second when the ball leaves his hands.
    const int quarter = static_cast<int>(0.25f / GameHarness::kFrameTime);
    ASSERT_GT(thrown, quarter);
    for (int frame = thrown - quarter; frame < thrown; ++frame)
        EXPECT_EQ(covers[static_cast<size_t>(frame)], 0.0f) << "frame " << frame << " of the throw's " << thrown;
}
