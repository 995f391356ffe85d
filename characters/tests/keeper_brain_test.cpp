// The keeper's brain on the first level's pitch: the save grid and its timing, the guard
// point on the cylinder in front of his goal, coming out, and handing over to the
// field-player brain.
#include "characters/Character.h"
#include "characters/CharacterRace.h"
#include "characters/KeeperBrain.h"
#include "characters/Team.h"
#include "characters/data/CharacterCast.h"
#include "engine/core/RwFrame.h"
#include "framework/Cast.h"
#include "framework/MathUtil.h"
#include "framework/Random.h"
#include "input/InputController.h"
#include "input/ScriptedInputMapper.h"
#include "pitch/PitchSimulation.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"
#include "simulation/PitchVolume.h"
#include "simulation/Shape.h"
#include "support/ActorTestSupport.h"
#include "support/SceneTest.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ShippedSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr float kFrame = 1.0f / 60.0f;
// "Keeper save reserve time" as the default data ships it.
constexpr float kShippedReserveTime = 1.5f;
// By grid cell, bottom row first, each row from the keeper's right.
constexpr int32_t kSaveCodes[9] = {ActorInput::SaveBottomRight, ActorInput::SaveBottomCenter, ActorInput::SaveBottomLeft,
                                   ActorInput::SaveMiddleRight, ActorInput::SaveMiddleCenter, ActorInput::SaveMiddleLeft,
                                   ActorInput::SaveTopRight,    ActorInput::SaveTopCenter,    ActorInput::SaveTopLeft};

class KeeperBrainTest : public KickAbout {
protected:
    void SetUp() override
    {
        KickAbout::SetUp();
        objects = CastManager::Instance()->CreateCast("objects");
        // The level's dressing is not registered here; only its volumes are wanted.
        LoadSettings(objects, "<PP>level01\\settings\\objects\\objects.txt");
        pitch = PitchSimulation::Instance();
        home = pitch->GetTeam(0);
        away = pitch->GetTeam(1);
        ASSERT_TRUE(home->IsFirstSide());
        auto owned = std::make_unique<Character>(Character::kGoalkeeper, "PandaGk00", home);
        keeper = owned.get();
        home->AddPlayer(std::move(owned));
        cylinder = dynamic_cast<CylindricalPitchVolume*>(CastManager::Instance()->FindObject("objects|LeftGuardCylinder"));
        ASSERT_NE(cylinder, nullptr);
        goal = cylinder->GetPosition();
        forward = Brain().ForwardAxis();
        left = PitchFrame::GetDirection(PitchFrame::kUp).Cross(forward);
        Put(*keeper, goal + forward * 3.0f, Heading(forward));
        // Any order but 0 leaves the keeper to his own thinking.
        Brain().GetOrder().code = 1;
    }
    void TearDown() override
    {
        objects->Clear();
        // The tests tune the keeper's settings and the ball's; the next one starts from the defaults.
        MatchSettings::DestroyInstance();
        LevelSettings::DestroyInstance();
        KickAbout::TearDown();
    }

    static float Heading(const Vector3& direction) { return std::atan2(direction.x, direction.z); }
    static void Put(Character& character, const Vector3& at, float heading)
    {
        character.GetActor()->PlaceInState(at, heading, new ActorState(ActorNodes::stand));
    }
    KeeperBrain& Brain() const { return *static_cast<KeeperBrain*>(keeper->GetBrain()); }
    Character* AddAway(const Vector3& at)
    {
        auto owned = std::make_unique<Character>(Character::kFieldPlayer, "LizardPl00", away);
        Character* player = owned.get();
        away->AddPlayer(std::move(owned));
        Put(*player, at, Heading(-forward));
        return player;
    }
    // A ball rolling or flying at the speed from the point.
    void Launch(const Vector3& from, const Vector3& velocity)
    {
        ball.SetBallPosition(from);
        ball.SetVelocity(velocity);
    }
    // Runs ball, teams and collisions for up to the seconds: whether the keeper touched the ball
    // or holds it by then.
    bool KeeperTouchesWithin(float seconds)
    {
        for (int frame = 0; frame * kFrame < seconds; ++frame) {
            pitch->Update(kFrame, PitchSimulation::kUpdateBall | PitchSimulation::kUpdateTeams |
                                      PitchSimulation::kUpdateCollisions);
            if (ball.GetLastToucher() == keeper || keeper->GetActor()->HasBall())
                return true;
        }
        return false;
    }

    Cast* objects = nullptr;
    CharacterCast cast{StagePath("Characters.txt")};
    PitchSimulation* pitch = nullptr;
    SoccerTeam* home = nullptr;
    SoccerTeam* away = nullptr;
    Character* keeper = nullptr;
    CylindricalPitchVolume* cylinder = nullptr;
    Vector3 goal, forward, left;
};

TEST_F(KeeperBrainTest, CrossingPointsFallInTheirGridCells)
{
    const float w = keeper->GetRace()->GetKeeperSaveGridWidth(), h = keeper->GetRace()->GetKeeperSaveGridHeight();
    ASSERT_GT(w, 0.0f);
    ASSERT_GT(h, 0.0f);
    const struct {
        float x, y;
        int cell;
    } cases[] = {
        {-1.6f * w, 0.5f * h, 0}, {-5.0f * w, 10.0f * h, 6}, {-0.5f * w, 0.5f * h, 1}, {0.0f, 1.5f * h, 4},
        {0.49f * w, 2.5f * h, 7}, {0.5f * w, -1.0f, 2},       {1.6f * w, 3.5f * h, 8},   {-0.51f * w, 1.0f * h, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        EXPECT_EQ(Brain().SaveCell(c.x, c.y), c.cell);
        const KeeperBrain::SaveChoice& choice = Brain().ChooseSave({c.x, c.y, 0.0f}, 1.0f);
        EXPECT_EQ(choice.code, kSaveCodes[c.cell]);
        // The save's own contact time, from its animation.
        EXPECT_GT(choice.time, 0.0f);
    }
}

TEST_F(KeeperBrainTest, TheMisjudgementShrinksWithSkill)
{
    MatchSettings* settings = MatchSettings::Instance();
    settings->worstKeeperSaveMisjudgement = 0.4f;
    settings->bestKeeperSaveMisjudgement = 0.1f;
    for (const auto& [skill, limit] : {std::pair(50.0f, 0.25f), std::pair(100.0f, 0.1f)}) {
        Random::Seed(7);
        Brain().SetSkill(skill);
        float largest = 0.0f;
        for (int i = 0; i < 200; ++i) {
            Brain().DrawMisjudgement();
            EXPECT_GE(Brain().GetMisjudgement(), 0.0f);
            largest = std::max(largest, Brain().GetMisjudgement());
        }
        EXPECT_LE(largest, limit * 1.0001f) << skill;
        EXPECT_GT(largest, limit * 0.9f) << skill;
    }
}

TEST_F(KeeperBrainTest, TheGuardPointLiesOnTheRimWithinTheGuardAngle)
{
    const float limit = MatchSettings::Instance()->keeperGuardAngle;
    const float radius = cylinder->GetCylinder().radius;
    const Vector3 up = PitchFrame::GetDirection(PitchFrame::kUp);
    const Vector3 slight = forward * 10.0f + left * 2.0f;
    const struct {
        const char* what;
        Vector3 ball;
        Vector3 cylinderAt;
        bool clamped;
        Vector3 expected;  // zero: only on the rim and finite
    } cases[] = {
        {"straight out", goal + forward * 20.0f, goal, false, goal + forward * radius},
        // The goal centre inside the cylinder: the one rim point ahead along the ray.
        {"slightly across", goal + slight, goal, false, goal + slight * (radius / slight.Length())},
        {"straight above the goal", goal + up * 3.0f, goal, false, goal + forward * radius},
        {"from the side", goal + forward * 2.0f + left * 10.0f, goal, true, Vector3{}},
        // The ray passes the cylinder by: the point nearest it stands in.
        {"rim missed", goal + forward * 20.0f, goal + left * 5.0f, true, Vector3{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cylinder->SetPosition(c.cylinderAt);
        ball.SetBallPosition(c.ball);
        KeeperBrain::GuardPoint guard;
        ASSERT_TRUE(Brain().Guard(guard));
        EXPECT_EQ(guard.clamped, c.clamped);
        EXPECT_TRUE(std::isfinite(guard.position.x) && std::isfinite(guard.position.z));
        EXPECT_NEAR((guard.position - c.cylinderAt).Length(), radius, 1e-4f);
        const float off = std::fabs(Math::AngleDifference(guard.heading, Heading(forward)));
        if (c.clamped)
            EXPECT_NEAR(off, limit, 1e-5f);
        else
            EXPECT_LT(off, limit);
        if (c.expected != Vector3{}) {
            EXPECT_TRUE(guard.position.IsEqual(c.expected)) << guard.position.x << " " << guard.position.z;
        }
    }
    cylinder->SetPosition(goal);
}

TEST_F(KeeperBrainTest, OrderZeroOrTheBallInHandsMakesHimAFieldPlayer)
{
    CharacterBrain reference(keeper->GetActor(), keeper, keeper->GetRace());
    for (const bool inHands : {false, true}) {
        SCOPED_TRACE(inHands);
        TeamOrder order{inHands ? 1 : 0, goal + forward * 15.0f, nullptr};
        Brain().GetOrder() = order;
        reference.GetOrder() = order;
        if (inHands) {
            ASSERT_TRUE(ball.TakePossession(keeper));
            keeper->GetActor()->TakeBall(&ball);
        }
        ActorCommand expected, actual;
        actual.target = cylinder;
        reference.Think(expected);
        Brain().Think(actual);
        EXPECT_EQ(actual.code, expected.code);
        EXPECT_NEAR(actual.direction, expected.direction, 1e-6f);
        EXPECT_EQ(actual.target, nullptr);
    }
}

TEST_F(KeeperBrainTest, ASaveStartsWhenDueKeepsItsCodeAndDrawsOneNewMisjudgement)
{
    const Vector3 keeperAt = keeper->GetActor()->GetPosition();
    // A shot at the keeper's chest from 12 m, crossing him 1.24 m up: a middle save.
    const Vector3 from = keeperAt + forward * 12.0f + Vector3{0.0f, 1.2f, 0.0f};
    Launch(from, forward * -20.0f + Vector3{0.0f, 3.0f, 0.0f});
    float time = 0.0f;
    Vector3 crossing;
    ASSERT_TRUE(Brain().PredictCrossing(time, crossing));
    EXPECT_NEAR(time, 0.6f, 0.11f);
    EXPECT_LT(std::fabs(crossing.x), 0.5f);
    EXPECT_EQ(Brain().SaveCell(crossing.x, crossing.y) / 3, 1);

    // Too far out for the save to be due yet.
    MatchSettings::Instance()->worstKeeperSaveMisjudgement = 0.4f;
    MatchSettings::Instance()->bestKeeperSaveMisjudgement = 0.2f;
    Brain().SetSkill(100.0f);
    Brain().DrawMisjudgement();
    MatchSettings::Instance()->keeperSaveReserveTime = 5.0f;
    Launch(from + forward * 30.0f, forward * -20.0f + Vector3{0.0f, 3.0f, 0.0f});
    const float before = Brain().GetMisjudgement();
    ActorCommand command;
    Brain().Think(command);
    EXPECT_EQ(command.code, ActorInput::None);
    EXPECT_EQ(command.hold, 0);
    EXPECT_EQ(Brain().GetMisjudgement(), before);

    // Flown on until due: the save of the crossing's cell starts, holds and draws afresh.
    float misjudgement = before;
    for (int frame = 0; frame < 200 && command.code == ActorInput::None; ++frame) {
        pitch->Update(kFrame, PitchSimulation::kUpdateBall | PitchSimulation::kUpdateCollisions);
        misjudgement = Brain().GetMisjudgement();
        Brain().Think(command);
    }
    ASSERT_TRUE(Brain().PredictCrossing(time, crossing));
    const int due = Brain().SaveCell(crossing.x, crossing.y);
    EXPECT_EQ(command.code, kSaveCodes[due]);
    EXPECT_EQ(command.hold, 1);
    EXPECT_EQ(command.faceAtOnce, 1);
    EXPECT_NE(Brain().GetMisjudgement(), misjudgement);
    // Started no earlier than its contact time plus the misjudgement, and before the ball arrives.
    EXPECT_LE(time, Brain().ChooseSave(crossing, time).time + misjudgement + 1e-4f);
    EXPECT_GT(time, 0.0f);

    // Diving: a held command keeps its code, a free one gets None and leaves the circle, and
    // nothing is drawn again.
    const float drawn = Brain().GetMisjudgement();
    keeper->GetActor()->PlaceInState(keeper->GetActor()->GetPosition(), 0.0f,
                                     new ActorState(ActorNodes::savemiddlecenter));
    for (int i = 0; i < 5; ++i)
        Brain().Think(command);
    EXPECT_NE(command.code, ActorInput::None);
    ActorCommand free;
    free.code = ActorInput::Run;
    free.target = cylinder;
    free.faceAtOnce = 1;
    Brain().Think(free);
    EXPECT_EQ(std::tuple(free.code, free.target, free.faceAtOnce),
              std::tuple(int32_t(ActorInput::None), static_cast<PitchVolume*>(nullptr), uint8_t(0)));
    EXPECT_EQ(Brain().GetMisjudgement(), drawn);
}

// A shot that will cross him exactly the reserve time from now is one he reads for a save (and,
// not yet due, waits for); one a moment later leaves him stepping to his guard point.
TEST_F(KeeperBrainTest, HeTurnsToASaveFromTheReserveTimeOn)
{
    KeeperBrain::GuardPoint guard;
    ball.SetBallPosition(goal + forward * 30.0f);
    ASSERT_TRUE(Brain().Guard(guard));
    const Vector3 keeperAt = guard.position + left * 2.0f;
    const Vector3 from = keeperAt + forward * 20.0f + Vector3{0.0f, 1.0f, 0.0f};
    for (const bool inTime : {true, false}) {
        SCOPED_TRACE(inTime);
        Put(*keeper, keeperAt, Heading(forward));
        Launch(from, forward * -15.0f + Vector3{0.0f, 5.0f, 0.0f});
        float time = 0.0f;
        Vector3 crossing;
        ASSERT_TRUE(Brain().PredictCrossing(time, crossing));
        ASSERT_GT(time, 1.0f);
        MatchSettings::Instance()->keeperSaveReserveTime = inTime ? time : std::nextafter(time, 0.0f);
        ActorCommand command;
        Brain().Think(command);
        const bool stepping = command.code == ActorInput::StepLeft || command.code == ActorInput::StepRight;
        EXPECT_EQ(stepping, !inTime) << command.code;
        EXPECT_EQ(command.code == ActorInput::None, inTime) << command.code;
    }
}

TEST_F(KeeperBrainTest, NoSaveWhileAnyoneHoldsTheBall)
{
    Character* attacker = AddAway(keeper->GetActor()->GetPosition() + forward * 12.0f);
    ASSERT_TRUE(ball.TakePossession(attacker));
    attacker->GetActor()->TakeBall(&ball);
    ball.SetVelocity(forward * -25.0f);
    ActorCommand command;
    Brain().Think(command);
    EXPECT_FALSE(command.code >= ActorInput::SaveTopLeft && command.code <= ActorInput::SaveBottomRight);
    EXPECT_EQ(command.hold, 0);
}

// With no ball on the pitch there is nothing to guard: no guard point, and nothing read from a ball.
TEST_F(KeeperBrainTest, WithoutABallThereIsNoGuardPoint)
{
    KeeperBrain::GuardPoint guard;
    ASSERT_TRUE(Brain().Guard(guard));
    CarriedBall* const match = ActorSurroundings::ball;
    ActorSurroundings::ball = nullptr;
    EXPECT_FALSE(Brain().Guard(guard));
    ActorSurroundings::ball = match;
}

// An attacker with the ball within reach of the keeper: he goes down at his feet when the ball
// lies between them, or whatever the ball does when the attacker is in his special move; with
// the attacker between him and the ball he stays up.
TEST_F(KeeperBrainTest, HeGoesDownAtTheFeetOfANearAttackerWhoExposesTheBall)
{
    const Vector3 at = keeper->GetActor()->GetPosition() + forward * 2.0f;
    const struct {
        const char* name;
        float ball;  // from the attacker, towards the keeper
        const ActorStateNode& node;
        bool down;
    } cases[] = {
        {"the ball before him", 0.5f, ActorNodes::stand, true},
        {"the ball behind him", -0.5f, ActorNodes::stand, false},
        {"the ball behind him in his special move", -0.5f, ActorNodes::specialmove, true},
    };
    Character* attacker = AddAway(at);
    for (const auto& c : cases) {
        attacker->GetActor()->PlaceInState(at, Heading(-forward), new ActorState(c.node));
        ASSERT_TRUE(ball.TakePossession(attacker));
        attacker->GetActor()->TakeBall(&ball);
        ball.SetBallPosition(at - forward * c.ball);
        ActorCommand command;
        command.target = cylinder;
        Brain().Think(command);
        EXPECT_EQ(command.code == ActorInput::SaveBottomCenter, c.down) << c.name << " " << command.code;
        // Going down he leaves the guard circle, which would otherwise bend him back onto it.
        if (c.down)
            EXPECT_EQ(command.target, nullptr) << c.name;
        attacker->GetActor()->ReleaseBall();
        ball.ReleasePossession(0);
    }
}

TEST_F(KeeperBrainTest, AfterSideSteppingHeComesOutStraightAtTheBall)
{
    KeeperBrain::GuardPoint guard;
    ball.SetBallPosition(goal + forward * 30.0f);
    ASSERT_TRUE(Brain().Guard(guard));
    // Two metres to one side of his guard point, facing out: a side-step along the circle.
    Put(*keeper, guard.position + left * 2.0f, Heading(forward));
    ActorCommand command;
    Brain().Think(command);
    EXPECT_TRUE(command.code == ActorInput::StepLeft || command.code == ActorInput::StepRight) << command.code;
    EXPECT_EQ(command.target, cylinder);

    // A loose ball in his area: he goes for it, off the circle.
    const Vector3 loose = goal + forward * 5.0f + left * 1.0f;
    ball.SetBallPosition(loose + Vector3{0.0f, ball.GetRadius(), 0.0f});
    ball.SetVelocity({});
    ASSERT_TRUE(Brain().IsBallInCloseTrigger());
    Brain().Think(command);
    EXPECT_EQ(command.target, nullptr);
    EXPECT_EQ(Brain().GetOrder().code, 2);
    EXPECT_NE(command.code, ActorInput::StepLeft);
    EXPECT_NE(command.code, ActorInput::StepRight);
    // And a ball far out leaves him guarding, stepping back to his point.
    Put(*keeper, guard.position + forward * 3.0f, Heading(forward));
    ball.SetBallPosition(goal + forward * 30.0f);
    Brain().Think(command);
    EXPECT_EQ(command.code, ActorInput::StepBack);
    EXPECT_EQ(command.target, nullptr);
}

}  // namespace

namespace {

// Flat shots at the middle of each cell of the grid from 15 m: the keeper starts that cell's
// save while the ball is still on its way. The look-ahead tells where the ball is at the end
// of the step in which it crosses; flying flat and without drag, it is then still in front of
// the cell it crossed.
TEST_F(KeeperBrainTest, ShotsAtEachCellDrawThatCellsSaveBeforeTheCrossing)
{
    MatchSettings* settings = MatchSettings::Instance();
    settings->bestKeeperSaveMisjudgement = 0.0f;
    LevelSettings& level = *LevelSettings::Instance();
    level.gravity = level.ballDecelInAir = 0.0f;
    Brain().SetSkill(100.0f);
    Brain().DrawMisjudgement();
    const float w = keeper->GetRace()->GetKeeperSaveGridWidth(), h = keeper->GetRace()->GetKeeperSaveGridHeight();
    const Vector3 keeperAt = keeper->GetActor()->GetPosition();
    const Vector3 up = PitchFrame::GetDirection(PitchFrame::kUp);
    constexpr float kSpeed = 20.0f, kDistance = 15.0f;
    for (int cell = 0; cell < 9; ++cell) {
        SCOPED_TRACE(cell);
        const float x = (cell % 3 - 1) * w, y = (cell / 3 + 0.5f) * h;
        Launch(keeperAt + forward * kDistance + left * x + up * y, forward * -kSpeed);
        ActorCommand command;
        float time = 0.0f;
        Vector3 crossing;
        bool started = false;
        for (int frame = 0; frame < 90 && !started; ++frame) {
            ASSERT_TRUE(Brain().PredictCrossing(time, crossing)) << frame;
            command = ActorCommand{};
            Brain().Think(command);
            started = command.code != ActorInput::None;
            if (!started)
                pitch->Update(kFrame, PitchSimulation::kUpdateBall | PitchSimulation::kUpdateCollisions);
        }
        ASSERT_TRUE(started);
        EXPECT_EQ(Brain().SaveCell(crossing.x, crossing.y), cell) << crossing.x << ", " << crossing.y;
        EXPECT_EQ(command.code, kSaveCodes[cell]);
        EXPECT_GT(time, 0.0f);
    }
}

// A keeper who judges every shot right stops it wherever it crosses the goal mouth in front of
// him, low or at his chest, from the middle of his body out to the cells of the dives.
TEST_F(KeeperBrainTest, AKeeperWhoJudgesRightReachesEveryShotAcrossTheMiddleOfTheGoal)
{
    MatchSettings* settings = MatchSettings::Instance();
    settings->worstKeeperSaveMisjudgement = settings->bestKeeperSaveMisjudgement = 0.0f;
    Brain().DrawMisjudgement();
    const Vector3 up = PitchFrame::GetDirection(PitchFrame::kUp);
    const Vector3 keeperAt = keeper->GetActor()->GetPosition();
    constexpr float kSpeed = 20.0f, kDistance = 16.0f, kGravity = 9.8f;
    for (const float height : {0.3f, 1.1f}) {
        for (const float across : {0.0f, 0.3f, 0.6f, 0.9f, -0.9f, 1.2f, 1.6f}) {
            SCOPED_TRACE(testing::Message() << across << " m across, " << height << " m up");
            Put(*keeper, keeperAt, Heading(forward));
            ball.ReleasePossession(1);
            ball.ForgetToucher(keeper);
            const Vector3 aim = keeperAt + forward * keeper->GetActor()->GetRadius() + left * across + up * height;
            const Vector3 from = aim + forward * kDistance + up * 0.3f;
            const float flight = kDistance / kSpeed;
            Launch(from, (aim - from) / flight + up * (0.5f * kGravity * flight));
            EXPECT_TRUE(KeeperTouchesWithin(flight + 0.5f)) << "in " << keeper->GetActor()->GetStateName();
            keeper->GetActor()->ReleaseBall();
        }
    }
}

// A ball that has got past him, lying or rolling between him and his goal line, is one to go
// for: he does not dive at it as if it were about to cross in front of him.
TEST_F(KeeperBrainTest, ABallThatHasGotBehindHimHeGoesForRatherThanDivesAt)
{
    const float radius = cylinder->GetCylinder().radius;
    const Vector3 keeperAt = goal + forward * radius;
    const Vector3 lift{0.0f, ball.GetRadius(), 0.0f};
    const struct {
        const char* what;
        Vector3 at;
        Vector3 velocity;
        bool crosses;
    } cases[] = {
        {"at rest a metre behind him", keeperAt - forward * 1.0f + left * 0.5f, {}, false},
        {"rolling on towards his goal behind him", keeperAt - forward * 1.0f, forward * -3.0f, false},
        {"rolling back out past his back", keeperAt - forward * 1.0f, forward * 3.0f, false},
        {"rolling at him from in front", keeperAt + forward * 3.0f, forward * -3.0f, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Put(*keeper, keeperAt, Heading(forward));
        Brain().GetOrder().code = 1;
        Launch(c.at + lift, c.velocity);
        float time = 0.0f;
        Vector3 crossing;
        EXPECT_EQ(Brain().PredictCrossing(time, crossing), c.crosses);
        ActorCommand command;
        Brain().Think(command);
        const bool saving = command.code >= ActorInput::SaveTopLeft && command.code <= ActorInput::SaveBottomRight;
        if (!c.crosses) {
            EXPECT_FALSE(saving) << command.code;
            EXPECT_EQ(Brain().GetOrder().code, 2);
        }
    }
}

// On the shipped guard cylinder and guard angle, a keeper who judges every shot right stands in
// the way of one struck at his goal from in front of him, but one from a wide angle passes
// beyond his dive into the goal: the goals of a match come from where the shots are taken.
TEST_F(KeeperBrainTest, OnHisGuardPointHeStopsAShotFromInFrontButNotOneFromWide)
{
    ASSERT_TRUE(LoadShippedSettings(MatchSettings::Instance(), "Match Settings", "<PP>matchsettings.txt"));
    MatchSettings* settings = MatchSettings::Instance();
    settings->worstKeeperSaveMisjudgement = settings->bestKeeperSaveMisjudgement = 0.0f;
    Brain().DrawMisjudgement();
    const Vector3 up = PitchFrame::GetDirection(PitchFrame::kUp);
    constexpr float kSpeed = 30.0f, kDistance = 20.0f, kGravity = 9.8f;
    const struct {
        float degrees;
        bool stopped;
    } cases[] = {{0.0f, true}, {8.0f, true}, {-8.0f, true}, {35.0f, false}, {-35.0f, false}, {45.0f, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.degrees << " degrees off straight out");
        const float angle = c.degrees * Math::Pi / 180.0f;
        const Vector3 from = goal + (forward * std::cos(angle) + left * std::sin(angle)) * kDistance + up * 0.3f;
        ball.ReleasePossession(1);
        ball.ForgetToucher(keeper);
        Launch(from, Vector3{});
        KeeperBrain::GuardPoint guard;
        ASSERT_TRUE(Brain().Guard(guard));
        Put(*keeper, guard.position, guard.heading);
        // The computer's shot: at the goal's centre, a metre up as it crosses the line.
        const Vector3 aim = goal + up * 1.0f;
        const float flight = (aim - from).Length() / kSpeed;
        Launch(from, (aim - from) / flight + up * (0.5f * kGravity * flight));
        EXPECT_EQ(KeeperTouchesWithin(flight + 0.3f), c.stopped) << "in " << keeper->GetActor()->GetStateName();
        keeper->GetActor()->ReleaseBall();
    }
}

// A long pass that nobody reached rolls on into his goal: he stops it wherever it passes him
// between the posts, from a gentle roll to a hard one.
TEST_F(KeeperBrainTest, AKeeperStopsABallRollingIntoHisGoal)
{
    const auto post = [](const char* name) {
        const auto* object = dynamic_cast<const Collidable*>(CastManager::Instance()->FindObject(name));
        return object ? object->GetPosition() : Vector3{};
    };
    const Vector3 leftPost = post("objects|LeftGoalLeftPost"), rightPost = post("objects|LeftGoalRightPost");
    ASSERT_GT((leftPost - rightPost).Length(), 1.0f);
    const Vector3 goalCentre = (leftPost + rightPost) * 0.5f;
    const float halfGoal = (leftPost - rightPost).Length() * 0.5f;
    const Vector3 keeperAt = keeper->GetActor()->GetPosition();
    const Vector3 lift{0.0f, ball.GetRadius(), 0.0f};
    MatchSettings::Instance()->keeperSaveReserveTime = kShippedReserveTime;
    for (const float speed : {8.0f, 16.0f}) {
        for (const float across : {0.0f, 1.0f, -1.7f, 2.4f}) {
            SCOPED_TRACE(testing::Message() << speed << " m/s, into the goal " << across << " m across");
            ASSERT_LT(std::fabs(across), halfGoal);
            Put(*keeper, keeperAt, Heading(forward));
            ball.ReleasePossession(1);
            ball.ForgetToucher(keeper);
            const Vector3 into = goalCentre + left * across;
            const Vector3 from = keeperAt + forward * 25.0f + left * (across * 0.5f);
            Vector3 path = PitchFrame::Flatten(into - from);
            path.Normalize();
            Launch(from + lift, path * speed);
            EXPECT_TRUE(KeeperTouchesWithin(30.0f / speed + 1.0f)) << "in " << keeper->GetActor()->GetStateName();
            keeper->GetActor()->ReleaseBall();
        }
    }
}

// Each save, started so that its contact time comes as the ball reaches the hands: a ball
// through the hands is touched, one well beyond them flies past. Only the saves at his body
// (chest and feet) hold it; the dives and the leap above his head palm it away.
TEST_F(KeeperBrainTest, EverySaveTouchesABallThroughItsHandsAtTheContact)
{
    const struct {
        const ActorStateNode* node;
        const char* action;
        bool holds;
    } saves[] = {
        {&ActorNodes::savetopleft, "savetopleft", false},
        {&ActorNodes::savetopcenter, "savetopcenter", false},
        {&ActorNodes::savetopright, "savetopright", false},
        {&ActorNodes::savemiddleleft, "savemiddleleft", false},
        {&ActorNodes::savemiddlecenter, "savemiddlecenter", true},
        {&ActorNodes::savemiddleright, "savemiddleright", false},
        {&ActorNodes::savebottomleft, "savebottomleft", false},
        {&ActorNodes::savebottomcenter, "savebottomcenter", true},
        {&ActorNodes::savebottomright, "savebottomright", false},
    };
    const Vector3 up = PitchFrame::GetDirection(PitchFrame::kUp);
    const Vector3 keeperAt = keeper->GetActor()->GetPosition();
    constexpr float kGravity = 9.8f, kDistance = 8.0f, kBeyond = 1.2f;
    for (const auto& save : saves) {
        CharacterAction* action = keeper->GetRace()->GetAction(save.action);
        ASSERT_NE(action, nullptr) << save.action;
        Vector3 contact;
        float time = 0.0f, prepare = 0.0f;
        action->GetSaveContact(contact, time, prepare);
        ASSERT_GT(time, 0.0f) << save.action;
        // x to the keeper's left, z ahead of him.
        const Vector3 hands = keeperAt + left * contact.x + up * contact.y + forward * contact.z;
        const Vector3 outward = left * (contact.x < -0.3f ? -1.0f : 1.0f);
        for (const bool through : {true, false}) {
            SCOPED_TRACE(std::string(save.action) + (through ? " through the hands" : " beyond them"));
            const Vector3 aim = through ? hands : hands + outward * kBeyond;
            const Vector3 from = aim + forward * kDistance;
            Put(*keeper, keeperAt, Heading(forward));
            keeper->GetActor()->PlaceInState(keeperAt, Heading(forward), new ActorState(*save.node));
            ball.ReleasePossession(1);
            ball.ForgetToucher(keeper);
            Launch(from, (aim - from) / time + up * (0.5f * kGravity * time));
            EXPECT_EQ(KeeperTouchesWithin(time + 0.3f), through) << "contact " << contact.x << ", " << contact.y << ", " << contact.z
                                        << " at " << time << " s";
            EXPECT_EQ(keeper->GetActor()->HasBall(), through && save.holds);
            keeper->GetActor()->ReleaseBall();
        }
    }
}

}  // namespace

namespace {

// A person in goal under "(0):": a passes toward the team-mate the stick points at, b
// charges a kick that goes on release.
class HumanKeeperTest : public KeeperBrainTest {
protected:
    void SetUp() override
    {
        KeeperBrainTest::SetUp();
        script.Register(*BufferedInputController::Instance());
        GetControllerInput("(0):");
        Brain().SetName("(0):");
        ASSERT_TRUE(ball.TakePossession(keeper));
        keeper->GetActor()->TakeBall(&ball);
    }
    void TearDown() override
    {
        BufferedInputController::DestroyInstance();
        KeeperBrainTest::TearDown();
    }
    void Step(ActorCommand& command)
    {
        BufferedInputController::Instance()->Update(1.0f / 60.0f);
        Brain().Run(CharacterBrain::kHumanInput, command);
    }
    // b held for the frames, then released: the frame of the shot (-1 for none), with the
    // codes of the frames before it.
    int HoldBUntilTheShot(int held, ActorCommand& kick, std::vector<int32_t>* before)
    {
        script.Add(held, {{"button b", 1.0f}});
        script.Add(1, {});
        for (int frame = 0; frame <= held; ++frame) {
            Step(kick);
            if (kick.code == ActorInput::Shoot)
                return frame;
            if (before)
                before->push_back(kick.code);
        }
        return -1;
    }
    ScriptedInputMapper script{"(0):"};
};

// The stick is read in the view: pushed right, the keeper turns toward the screen's right,
// whichever way the camera looks down the pitch.
TEST_F(HumanKeeperTest, TheStickPointsHimTowardTheScreensSideItIsPushed)
{
    Camera* camera = RwGraphics::Instance()->GetPrimaryCamera();
    ASSERT_NE(camera, nullptr);
    RwFrame* frame = camera->GetFrame();
    ASSERT_NE(frame, nullptr);
    const RwV3d yAxis{0.0f, 1.0f, 0.0f};
    for (const float degrees : {0.0f, 90.0f, 200.0f}) {
        SCOPED_TRACE(degrees);
        RwFrameRotate(frame, &yAxis, degrees, rwCombineReplace);
        const RwV3d& right = RwFrameGetLTM(frame)->right;
        // The engine draws the camera's right axis toward the screen's left.
        const Vector3 screenRight{-right.x, 0.0f, -right.z};
        script.Add(1, {{"right", 1.0f}});
        ActorCommand command;
        Step(command);
        EXPECT_NEAR(Math::AngleDifference(command.direction, WorldHeadingOf(screenRight)), 0.0f, 1e-3f);
    }
}

TEST_F(HumanKeeperTest, APassesToTheTeamMateAheadAndBKicksOnRelease)
{
    auto owned = std::make_unique<Character>(Character::kFieldPlayer, "PandaPl00", home);
    Character* mate = owned.get();
    home->AddPlayer(std::move(owned));
    Put(*mate, goal + forward * 20.0f + left * 4.0f, Heading(forward));
    script.Add(1, {{"button a", 1.0f}});
    ActorCommand pass;
    pass.direction = Heading(forward);
    Step(pass);
    EXPECT_EQ(pass.code, ActorInput::Pass);
    EXPECT_LT((Vector3(pass.targetPosition.x, 0.0f, pass.targetPosition.z) - mate->GetActor()->GetPosition()).Length(), 3.0f);

    const int held = 20;
    ActorCommand kick;
    std::vector<int32_t> codes;
    const int shotAt = HoldBUntilTheShot(held, kick, &codes);
    for (size_t frame = 0; frame < codes.size(); ++frame)
        EXPECT_EQ(codes[frame], frame == 0 ? ActorInput::Run : ActorInput::None) << frame;
    EXPECT_EQ(shotAt, held);
    EXPECT_TRUE(kick.hold);
    EXPECT_GT(keeper->GetActor()->kickPower, 0.0f);
    EXPECT_LT(keeper->GetActor()->kickPower, 1.0f);
}

}  // namespace

namespace {

// Frozen by the match flow, a keeper answers nothing, a computer one with the ball far off
// and a person's with his button pressed; free again, the person's press passes.
TEST_F(HumanKeeperTest, AFrozenKeeperAnswersNothing)
{
    script.Add(1, {{"button a", 1.0f}});
    script.Add(1, {});
    script.Add(1, {{"button a", 1.0f}});
    Brain().SetMode(CharacterBrain::kFrozen);
    ActorCommand command;
    command.code = ActorInput::Run;
    Step(command);
    EXPECT_EQ(command.code, ActorInput::None);
    Brain().SetMode(0);
    Step(command);
    Step(command);
    EXPECT_EQ(command.code, ActorInput::Pass);

    keeper->GetActor()->ReleaseBall();
    ball.ReleasePossession(1);
    ball.SetBallPosition(goal + forward * 40.0f);
    ball.SetVelocity({});
    Brain().SetName("ai");
    Brain().SetMode(CharacterBrain::kFrozen);
    ActorCommand computer;
    computer.code = ActorInput::Run;
    Brain().Think(computer);
    EXPECT_EQ(computer.code, ActorInput::None);
}

}  // namespace

namespace {

bool IsSave(int32_t code) { return code >= ActorInput::SaveTopLeft && code <= ActorInput::SaveBottomRight; }

// A flat shot at his chest from 15 m waits for its save until the ball is due within the save's
// contact time plus the misjudgement: a keeper who misjudges by more dives at once, one who
// misjudges by exactly the gap dives too, one who misjudges by less waits.
TEST_F(KeeperBrainTest, TheSaveIsDueAtItsContactTimePlusTheMisjudgement)
{
    LevelSettings& level = *LevelSettings::Instance();
    level.gravity = level.ballDecelInAir = 0.0f;
    MatchSettings& settings = *MatchSettings::Instance();
    settings.keeperSaveReserveTime = 5.0f;
    const Vector3 up = PitchFrame::GetDirection(PitchFrame::kUp);
    const Vector3 keeperAt = keeper->GetActor()->GetPosition();
    const float h = keeper->GetRace()->GetKeeperSaveGridHeight();
    Launch(keeperAt + forward * 15.0f + up * (1.5f * h), forward * -20.0f);
    float time = 0.0f;
    Vector3 crossing;
    ASSERT_TRUE(Brain().PredictCrossing(time, crossing));
    const KeeperBrain::SaveChoice save = Brain().ChooseSave(crossing, time);
    const float gap = time - save.time;
    ASSERT_GT(gap, 0.1f);
    Brain().SetSkill(100.0f);
    // The misjudgement is |u| x the setting for the seed's first draw u: the setting is nudged
    // until the contact time plus the misjudgement gives exactly the ball's time.
    const auto drawExactly = [&](float wanted) {
        settings.worstKeeperSaveMisjudgement = settings.bestKeeperSaveMisjudgement = 1.0f;
        Random::Seed(11);
        Brain().DrawMisjudgement();
        const float unit = Brain().GetMisjudgement();
        float scale = wanted / unit;
        for (int i = 0; i < 1000; ++i) {
            settings.worstKeeperSaveMisjudgement = settings.bestKeeperSaveMisjudgement = scale;
            Random::Seed(11);
            Brain().DrawMisjudgement();
            const float sum = save.time + Brain().GetMisjudgement();
            if (sum == save.time + wanted)
                return true;
            scale = std::nextafter(scale, sum < save.time + wanted ? 1e9f : 0.0f);
        }
        return false;
    };
    ASSERT_GT(time, 0.0f);
    const struct {
        const char* what;
        float misjudgement;
        bool dives;
    } cases[] = {
        {"by less", 0.5f * gap, false},
        {"by exactly the gap", gap, true},
        {"by more", 1.5f * gap, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(drawExactly(c.misjudgement));
        if (c.misjudgement == gap) {
            ASSERT_EQ(save.time + Brain().GetMisjudgement(), time);
        }
        ActorCommand command;
        Brain().Think(command);
        EXPECT_EQ(command.code, c.dives ? save.code : int32_t(ActorInput::None));
        EXPECT_EQ(command.hold, c.dives ? 1 : 0);
    }
}

// A ball flying at him that is due for a save: he dives when it is loose, but while anyone holds
// it, an attacker out of reach or his own team-mate, its flight means nothing yet.
TEST_F(KeeperBrainTest, NoDiveAtABallSomeoneHolds)
{
    MatchSettings& settings = *MatchSettings::Instance();
    settings.keeperSaveReserveTime = 5.0f;
    settings.worstKeeperSaveMisjudgement = settings.bestKeeperSaveMisjudgement = 0.0f;
    Brain().DrawMisjudgement();
    const Vector3 keeperAt = keeper->GetActor()->GetPosition();
    const Vector3 far = keeperAt + forward * 25.0f;
    Character* attacker = AddAway(far + left * 3.0f);
    auto owned = std::make_unique<Character>(Character::kFieldPlayer, "PandaPl00", home);
    Character* mate = owned.get();
    home->AddPlayer(std::move(owned));
    Put(*mate, far - left * 3.0f, Heading(forward));
    for (Character* holder : {static_cast<Character*>(nullptr), attacker, mate}) {
        SCOPED_TRACE(holder == nullptr ? "nobody" : holder == attacker ? "an attacker" : "a team-mate");
        if (holder) {
            ASSERT_TRUE(ball.TakePossession(holder));
            holder->GetActor()->TakeBall(&ball);
        }
        Launch(keeperAt + forward * 2.0f + Vector3{0.0f, 1.0f, 0.0f}, forward * -25.0f);
        ActorCommand command;
        Brain().Think(command);
        EXPECT_EQ(IsSave(command.code), holder == nullptr) << command.code;
        if (holder) {
            holder->GetActor()->ReleaseBall();
            ball.ReleasePossession(0);
        }
    }
}

// Whichever order the match lists its sides in, only the other side's holder is an attacker:
// he goes down at an attacker's feet, never at his own team-mate's.
TEST_F(KeeperBrainTest, OnlyTheOtherSidesHolderIsAnAttacker)
{
    SoccerTeam* const listed[2] = {ActorSurroundings::sides[0], ActorSurroundings::sides[1]};
    ActorSurroundings::sides[0] = away;
    ActorSurroundings::sides[1] = home;
    const Vector3 at = keeper->GetActor()->GetPosition() + forward * 2.0f;
    Character* attacker = AddAway(at);
    auto owned = std::make_unique<Character>(Character::kFieldPlayer, "PandaPl00", home);
    Character* mate = owned.get();
    home->AddPlayer(std::move(owned));
    for (const auto& [holder, down] : {std::pair(attacker, true), std::pair(mate, false)}) {
        SCOPED_TRACE(down ? "an attacker" : "a team-mate");
        Put(*attacker, at + left * 6.0f, Heading(-forward));
        Put(*mate, at - left * 6.0f, Heading(-forward));
        Put(*holder, at, Heading(-forward));
        ASSERT_TRUE(ball.TakePossession(holder));
        holder->GetActor()->TakeBall(&ball);
        ball.SetBallPosition(at - forward * 0.5f);
        ActorCommand command;
        Brain().Think(command);
        EXPECT_EQ(command.code == ActorInput::SaveBottomCenter, down) << command.code;
        holder->GetActor()->ReleaseBall();
        ball.ReleasePossession(0);
    }
    ActorSurroundings::sides[0] = listed[0];
    ActorSurroundings::sides[1] = listed[1];
}

// A shot he could only reach beyond his longest dive is none of his business: no crossing, no
// dive; one just within it draws a save, and one exactly at it is still his.
TEST_F(KeeperBrainTest, NoDiveAtAShotBeyondHisFurthestSave)
{
    const float furthest = GameSettings::Instance()->keeperMaxSaveDist;
    const Vector3 keeperAt = keeper->GetActor()->GetPosition();
    for (const auto& [across, dives] : {std::pair(furthest - 0.5f, true), std::pair(furthest + 0.5f, false)}) {
        SCOPED_TRACE(across);
        const Vector3 aim = keeperAt + left * across + Vector3{0.0f, 1.0f, 0.0f};
        Launch(aim + forward * 1.5f, forward * -30.0f);
        float time = 0.0f;
        Vector3 crossing;
        EXPECT_EQ(Brain().PredictCrossing(time, crossing), dives);
        ActorCommand command;
        Brain().Think(command);
        EXPECT_EQ(IsSave(command.code), dives) << command.code;
    }
    Launch(keeperAt + left * (furthest - 0.5f) + Vector3{0.0f, 1.0f, 0.0f} + forward * 1.5f, forward * -30.0f);
    float time = 0.0f;
    Vector3 crossing;
    ASSERT_TRUE(Brain().PredictCrossing(time, crossing));
    GameSettings::Instance()->keeperMaxSaveDist = std::fabs(crossing.x);
    const bool crosses = Brain().PredictCrossing(time, crossing);
    GameSettings::Instance()->keeperMaxSaveDist = furthest;
    EXPECT_TRUE(crosses);
}

// Before the dive is due, only a ball rolling into the goal wider than the dive reaches draws
// side-steps towards it; one rolling within his reach, a ball in the air, one bouncing up, one
// rolling wide of the posts, or any ball with a goal post missing from the level leave him
// standing.
TEST_F(KeeperBrainTest, HeSideStepsOnlyTowardsABallRollingIntoHisGoalBeyondHisReach)
{
    MatchSettings& settings = *MatchSettings::Instance();
    settings.keeperSaveReserveTime = 5.0f;
    settings.worstKeeperSaveMisjudgement = settings.bestKeeperSaveMisjudgement = 0.0f;
    Brain().DrawMisjudgement();
    const Vector3 up = PitchFrame::GetDirection(PitchFrame::kUp);
    const Vector3 keeperAt = keeper->GetActor()->GetPosition();
    const float r = ball.GetRadius();
    constexpr float kFrom = 20.0f, kSpeed = 12.0f;
    const struct {
        const char* what;
        float across, height, rise, beyond;  // at the keeper's plane; the path's spread beyond it
        bool removePost;
        int32_t code;
    } cases[] = {
        {"rolling in within his reach", 0.0f, r, 0.0f, 0.0f, false, ActorInput::None},
        {"rolling in to his left", 2.8f, r, 0.0f, 0.0f, false, ActorInput::StepLeft},
        {"rolling in to his right", -2.8f, r, 0.0f, 0.0f, false, ActorInput::StepRight},
        {"in the air", 2.8f, 1.2f, 0.0f, 0.0f, false, ActorInput::None},
        {"bouncing up", 2.8f, r, 3.0f, 0.0f, false, ActorInput::None},
        {"rolling wide of the post", 4.2f, r, 0.0f, 1.0f, false, ActorInput::None},
        {"a post missing", 2.8f, r, 0.0f, 0.0f, true, ActorInput::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.removePost) {
            Object* post = CastManager::Instance()->FindObject("objects|LeftGoalLeftPost");
            ASSERT_NE(post, nullptr);
            ASSERT_TRUE(objects->RemoveMember(post));
        }
        Put(*keeper, keeperAt, Heading(forward));
        const Vector3 at = keeperAt + left * c.across + up * c.height;
        const Vector3 from = at + forward * kFrom - left * (c.across > 0.0f ? c.beyond : -c.beyond) * (kFrom / 3.0f);
        Vector3 path = PitchFrame::Flatten(at - from);
        path.Normalize();
        Launch(from, path * kSpeed + up * c.rise);
        float time = 0.0f;
        Vector3 crossing;
        ASSERT_TRUE(Brain().PredictCrossing(time, crossing));
        const KeeperBrain::SaveChoice& save = Brain().ChooseSave(crossing, time);
        // Not yet due, and beyond the dive's reach unless straight at him, or the case tells nothing.
        ASSERT_EQ(std::fabs(crossing.x) > std::fabs(save.point.x) + 0.3f, c.across != 0.0f);
        ASSERT_GT(time, save.time);
        ActorCommand command;
        Brain().Think(command);
        EXPECT_EQ(command.code, c.code);
        EXPECT_EQ(command.hold, 0);
        // A side-step keeps him facing out, turned at once.
        EXPECT_EQ(command.faceAtOnce, c.code != ActorInput::None ? 1 : 0);
    }
}

// With a goal post missing from the level there is no goal to guard: no guard point.
TEST_F(KeeperBrainTest, WithoutAGoalPostThereIsNoGuardPoint)
{
    ball.SetBallPosition(goal + forward * 20.0f);
    for (const char* name : {"objects|LeftGoalLeftPost", "objects|LeftGoalRightPost"}) {
        SCOPED_TRACE(name);
        KeeperBrain::GuardPoint guard;
        ASSERT_TRUE(Brain().Guard(guard));
        Object* post = CastManager::Instance()->FindObject(name);
        ASSERT_NE(post, nullptr);
        const Vector3 kept = dynamic_cast<Collidable*>(post)->GetPosition();
        ASSERT_TRUE(objects->RemoveMember(post));
        EXPECT_FALSE(Brain().Guard(guard));
        ActorCommand command;
        command.target = cylinder;
        Brain().Think(command);
        EXPECT_EQ(command.code, ActorInput::None);
        EXPECT_EQ(command.target, nullptr);
        objects->Clear();
        LoadSettings(objects, "<PP>level01\\settings\\objects\\objects.txt");
        cylinder = dynamic_cast<CylindricalPitchVolume*>(CastManager::Instance()->FindObject("objects|LeftGuardCylinder"));
        ASSERT_NE(cylinder, nullptr);
        ASSERT_TRUE(dynamic_cast<Collidable*>(CastManager::Instance()->FindObject(name))->GetPosition().IsEqual(kept));
    }
}

// A ball from the side pins his guard point to the edge of the guard angle. Diving then, he
// faces out of the goal while he stands between the posts, on a post's line included; beyond
// them he keeps the way he faces.
TEST_F(KeeperBrainTest, BeyondThePostsHeDivesTheWayHeFaces)
{
    MatchSettings& settings = *MatchSettings::Instance();
    settings.keeperSaveReserveTime = 5.0f;
    settings.worstKeeperSaveMisjudgement = settings.bestKeeperSaveMisjudgement = 3.0f;
    Brain().SetSkill(100.0f);
    const auto post = [](const char* name) {
        return dynamic_cast<const Collidable*>(CastManager::Instance()->FindObject(name))->GetPosition();
    };
    const Vector3 leftPost = post("objects|LeftGoalLeftPost"), rightPost = post("objects|LeftGoalRightPost");
    const float low = std::min(leftPost.z, rightPost.z), high = std::max(leftPost.z, rightPost.z);
    ASSERT_GT(high - low, 1.0f);
    const float turned = Heading(left);
    const struct {
        const char* what;
        float z;
        bool facesOut;
    } cases[] = {
        {"between the posts", 0.5f * (low + high), true}, {"on the low post's line", low, true},
        {"on the high post's line", high, true},         {"beyond the low post", low - 0.5f, false},
        {"beyond the high post", high + 0.5f, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Vector3 at = goal + forward * 1.0f;
        at.z = c.z;
        Put(*keeper, at, turned);
        ASSERT_EQ(keeper->GetActor()->GetPosition().z, c.z);
        // A misjudgement large enough that the save is due at once.
        for (uint32_t seed = 1; Brain().GetMisjudgement() < 1.0f && seed < 100; ++seed) {
            Random::Seed(seed);
            Brain().DrawMisjudgement();
        }
        const Vector3 from = at + forward * 2.0f + left * 8.0f + Vector3{0.0f, 1.0f, 0.0f};
        Vector3 path = at + Vector3{0.0f, 1.0f, 0.0f} - from;
        path.Normalize();
        Launch(from, path * 25.0f);
        KeeperBrain::GuardPoint guard;
        ASSERT_TRUE(Brain().Guard(guard));
        ASSERT_TRUE(guard.clamped);
        ActorCommand command;
        Brain().Think(command);
        ASSERT_TRUE(IsSave(command.code)) << command.code;
        EXPECT_NEAR(Math::AngleDifference(command.direction, c.facesOut ? Heading(forward) : turned), 0.0f, 1e-5f);
    }
}

// A person's keeper turns at his own pace to the stick, even from a command that turned at
// once; and a kick charged to full power goes while b is still held.
TEST_F(HumanKeeperTest, APersonsKeeperTurnsAtHisPaceAndKicksAtFullPower)
{
    ActorCommand turn;
    turn.faceAtOnce = 1;
    turn.target = cylinder;
    script.Add(1, {{"right", 1.0f}});
    Step(turn);
    EXPECT_EQ(turn.faceAtOnce, 0);
    EXPECT_EQ(turn.target, nullptr);

    MatchSettings::Instance()->holdTimeForMaxPower = 0.25f;
    ActorCommand kick;
    const int shotAt = HoldBUntilTheShot(40, kick, nullptr);
    // Full power after a quarter of a second's hold: 15 frames, the shot on the next.
    EXPECT_GE(shotAt, 15);
    EXPECT_LE(shotAt, 17);
    EXPECT_TRUE(kick.hold);
    EXPECT_EQ(keeper->GetActor()->kickPower, 1.0f);
}

}  // namespace

namespace {

Vector3 At(const RwIm3DVertex& vertex) { return {vertex.objVertex.x, vertex.objVertex.y, vertex.objVertex.z}; }

// The designer's outline of the save grid stands on the plane in front of the keeper, one
// box a cell, each over the crossing points that choose its save; the marker sphere is at
// the keeper, in a colour of its own.
TEST_F(KeeperBrainTest, TheSaveGridOutlineCoversEachCellOnThePlaneInFrontOfHim)
{
    // Cells of a designer's own size, neither a metre wide nor high.
    CharacterRace& race = *keeper->GetRace();
    const float w = 0.8f, h = 0.7f;
    const std::pair kept(race.GetKeeperSaveGridWidth(), race.GetKeeperSaveGridHeight());
    race.GetKeeperSaveGridWidth() = w;
    race.GetKeeperSaveGridHeight() = h;
    const std::vector<RwNullDrawRecord> draws = Drawn([&] { Brain().DrawDebug(); });
    race.GetKeeperSaveGridWidth() = kept.first;
    race.GetKeeperSaveGridHeight() = kept.second;
    ASSERT_EQ(draws.size(), 10u);
    const Actor& actor = *keeper->GetActor();
    const Vector3 up = PitchFrame::GetDirection(PitchFrame::kUp);
    for (int cell = 0; cell < 9; ++cell) {
        SCOPED_TRACE(cell);
        const RwNullDrawRecord& box = draws[static_cast<size_t>(cell)];
        ASSERT_EQ(box.type, rwPrimTypeLineList);
        const std::vector<RwIm3DVertex>& points = box.vertices3D;
        const Vector3 corner = At(points.at(0)), wide = At(points.at(1)), high = At(points.at(2));
        // Rows from the ground up, columns from 1.5 cells to his right.
        const Vector3 offset = corner - actor.GetPosition();
        EXPECT_NEAR(offset.Dot(forward), actor.GetRadius(), 1e-4f) << "on the keeper plane";
        EXPECT_NEAR(offset.Dot(left), (static_cast<float>(cell % 3) - 1.5f) * w, 1e-4f);
        EXPECT_NEAR(offset.Dot(up), static_cast<float>(cell / 3) * h, 1e-4f);
        EXPECT_TRUE(Near(wide - corner, left * ((wide - corner).Dot(left)))) << "across the plane";
        EXPECT_NEAR((wide - corner).Length(), w, 1e-4f);
        EXPECT_TRUE(Near(high - wide, up * h));
        const Vector3 middle = (corner + high) * 0.5f - actor.GetPosition();
        EXPECT_EQ(Brain().SaveCell(middle.Dot(left), middle.Dot(up)), cell);
        EXPECT_EQ(box.vertices3D.at(0).color, draws[0].vertices3D.at(0).color);
    }
    const RwNullDrawRecord& marker = draws[9];
    ASSERT_EQ(marker.type, rwPrimTypeLineList);
    // Its first point lies on its own +x, half a metre out.
    EXPECT_TRUE(Near(At(marker.vertices3D.at(0)), actor.GetPosition() + Vector3{0.5f, 0.0f, 0.0f}));
    EXPECT_NE(marker.vertices3D.at(0).color, draws[0].vertices3D.at(0).color);
}

}  // namespace

namespace {

// Each side attacks the other's goal: a first-side player's goal centre is the middle of the
// right goal's posts on the grass, the second side's that of the left goal, and his way to goal
// runs there from the ball.
TEST_F(KeeperBrainTest, EachSideAttacksTheGoalAtTheOtherEnd)
{
    const auto middle = [](const char* end) {
        const auto post = [&](const char* name) {
            const auto* object = dynamic_cast<const Collidable*>(
                CastManager::Instance()->FindObject((std::string("objects|") + end + name).c_str()));
            return object ? object->GetPosition() : Vector3{};
        };
        return (post("GoalLeftPost") + post("GoalRightPost")) * 0.5f;
    };
    auto owned = std::make_unique<Character>(Character::kFieldPlayer, "PandaPl00", home);
    Character* mate = owned.get();
    home->AddPlayer(std::move(owned));
    Character* opponent = AddAway(goal + forward * 20.0f);
    const Vector3 up = PitchFrame::GetDirection(PitchFrame::kUp);
    ball.SetBallPosition(goal + forward * 30.0f + left * 5.0f + up * 2.0f);
    ASSERT_GT(PitchFrame::Flatten(middle("Right") - middle("Left")).Length(), 50.0f);
    for (const auto& [player, end] : {std::pair(mate, "Right"), std::pair(opponent, "Left")}) {
        SCOPED_TRACE(end);
        const Vector3 centre = middle(end);
        const Vector3 found = player->GetBrain()->GetGoalCentre();
        EXPECT_TRUE(PitchFrame::Flatten(found - centre).IsEqual(Vector3::Zero)) << found.x << " " << found.z;
        EXPECT_EQ(found.Dot(up), PitchFrame::GetCentre().Dot(up));
        EXPECT_TRUE(player->GetBrain()->GetGoalDirection().IsEqual(PitchFrame::Flatten(found - ball.GetBallPosition())));
    }
}

}  // namespace

namespace {

// On the shipped settings a keeper a third of a metre off his guard point holds his ground
// rather than shuffling after every small drift of the point with the ball; 0.6 m off it he
// steps back to it.
TEST_F(KeeperBrainTest, OnTheShippedSettingsHeHoldsHisGroundASmallStepOffHisPoint)
{
    ASSERT_TRUE(LoadShippedSettings(GameSettings::Instance(), "Game Settings", "<PP>global\\global.txt"));
    ball.SetBallPosition(goal + forward * 30.0f + left * 4.0f);
    KeeperBrain::GuardPoint guard;
    ASSERT_TRUE(Brain().Guard(guard));
    for (const auto& [off, stands] : {std::pair(0.33f, true), std::pair(0.6f, false)}) {
        SCOPED_TRACE(off);
        Put(*keeper, guard.position + forward * off, Heading(forward));
        ActorCommand command;
        command.code = ActorInput::Run;
        command.target = cylinder;
        Brain().Think(command);
        EXPECT_EQ(command.code == ActorInput::None, stands) << command.code;
    }
    GameSettings::DestroyInstance();
}

// At his guard point he stands, off the guard circle, and faces the ball; from exactly "Min
// keeper step dist" away he steps back to it.
TEST_F(KeeperBrainTest, AtHisGuardPointHeStandsAndFromTheStepDistanceHeSteps)
{
    ball.SetBallPosition(goal + forward * 30.0f + left * 4.0f);
    KeeperBrain::GuardPoint guard;
    ASSERT_TRUE(Brain().Guard(guard));
    GameSettings& s = *GameSettings::Instance();
    const float kept = s.minKeeperStepDist;
    const Vector3 out = guard.position + forward * 0.7f;
    const struct {
        const char* what;
        Vector3 at;
        int32_t code;
    } cases[] = {
        {"on the point", guard.position, ActorInput::None},
        {"the step distance out", out, ActorInput::StepBack},
        // With no step distance at all even his own point is a step away: no side of it, to
        // his left.
        {"on the point with no step distance", guard.position, ActorInput::StepLeft},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Put(*keeper, c.at, Heading(forward));
        // The offsets along and across his heading, as he measures them.
        const Actor& actor = *keeper->GetActor();
        const Vector3 facing = WorldHeadingDirection(actor.GetHeading()), side(-facing.z, 0.0f, facing.x);
        const Vector3 offset = actor.GetPosition() - guard.position;
        const float gap = std::max(std::fabs(facing.Dot(offset)), std::fabs(side.Dot(offset)));
        s.minKeeperStepDist = c.code == ActorInput::None ? kept : gap;
        ASSERT_EQ(gap == 0.0f, c.at == guard.position);
        ActorCommand command;
        command.code = ActorInput::Run;
        command.target = cylinder;
        Brain().Think(command);
        s.minKeeperStepDist = kept;
        EXPECT_EQ(command.code, c.code);
        // Side-stepping, he walks the guard circle.
        EXPECT_EQ(command.target, c.code == ActorInput::StepLeft ? cylinder : nullptr);
        if (c.code == ActorInput::None) {
            EXPECT_NEAR(Math::AngleDifference(command.direction, WorldHeadingOf(ball.GetBallPosition() - c.at)), 0.0f, 1e-5f);
        }
    }
}

// A ball his own team-mate holds in his area is none of his: he stays on guard.
TEST_F(KeeperBrainTest, HeLeavesABallInHisAreaToTheTeamMateWhoHoldsIt)
{
    const Vector3 lift{0.0f, ball.GetRadius(), 0.0f};
    auto owned = std::make_unique<Character>(Character::kFieldPlayer, "PandaPl00", home);
    Character* mate = owned.get();
    home->AddPlayer(std::move(owned));
    const Vector3 inArea = goal + forward * 5.0f + left * 1.0f;
    Put(*mate, inArea, Heading(forward));
    ASSERT_TRUE(ball.TakePossession(mate));
    mate->GetActor()->TakeBall(&ball);
    ball.SetBallPosition(inArea + lift);
    ball.SetVelocity({});
    ASSERT_TRUE(Brain().IsBallInCloseTrigger());
    Brain().GetOrder().code = 7;
    ActorCommand held;
    Brain().Think(held);
    EXPECT_EQ(Brain().GetOrder().code, 7);
    EXPECT_NE(held.code, ActorInput::Run);
    EXPECT_NE(held.code, ActorInput::Jog);
}

// The guard point where the ray from the goal centre meets the rim off the cylinder's centre,
// and where the goal centre lies on the rim itself: the ray's first meeting is then the goal
// centre, behind him, and the guard angle holds him.
TEST_F(KeeperBrainTest, TheGuardPointTakesTheRaysFirstMeetingWithTheRim)
{
    const auto post = [](const char* name) {
        return dynamic_cast<const Collidable*>(CastManager::Instance()->FindObject(name))->GetPosition();
    };
    const Vector3 centre = (post("objects|LeftGoalLeftPost") + post("objects|LeftGoalRightPost")) * 0.5f;
    const float radius = cylinder->GetCylinder().radius;
    ASSERT_GT(radius, 1.2f);
    ball.SetBallPosition(centre + forward * 20.0f);
    const struct {
        const char* what;
        Vector3 cylinderAt;
        bool clamped;
        Vector3 expected;
    } cases[] = {
        {"the ray 1.1 m from the cylinder's centre", centre + left * 1.1f, false,
         centre + forward * std::sqrt(radius * radius - 1.1f * 1.1f)},
        {"the goal centre on the rim", centre + forward * radius, true, Vector3{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cylinder->SetPosition(c.cylinderAt);
        KeeperBrain::GuardPoint guard;
        ASSERT_TRUE(Brain().Guard(guard));
        EXPECT_EQ(guard.clamped, c.clamped);
        if (!c.clamped) {
            EXPECT_TRUE(Near(guard.position, c.expected, 1e-3f));
        }
    }
    cylinder->SetPosition(goal);
}

}  // namespace
