#include "match/setpieces/SetPiece.h"

#include "ai/TeamStrategy.h"
#include "ai/UtilityRegistry.h"
#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/Team.h"
#include "engine/core/NullDevice.h"
#include "game/GameTB.h"
#include "match/PitchSides.h"
#include "pitch/PitchSimulation.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "simulation/Ball.h"
#include "support/MatchOnHarness.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"
#include "tests/support/ScreenCover.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using setpiecetest::MatchOnHarness;

constexpr float kFrame = GameHarness::kFrameTime;

// A set piece whose spot, direction and taker the test chooses.
class Probe : public SetPiece {
public:
    Probe(const std::string& kind, bool attacking, Character* taker, const Vector3& spot, const Vector3& direction,
          float fadeIn = 0.0f, float fadeOut = 0.0f)
        : SetPiece(kind, attacking, fadeIn, fadeOut), m_taker(taker), m_spot(spot), m_direction(direction)
    {
    }
    void GetTakerPlacement(Vector3& spot, Vector3& direction) const override
    {
        spot = m_spot;
        direction = m_direction;
    }
    Character* GetTaker() const override { return m_taker; }

private:
    Character* m_taker;
    Vector3 m_spot;
    Vector3 m_direction;
};

// A point on the pitch seen from side 0, on the ground.
Vector3 At(float x, float z) { return PitchPosition(x, z).ToWorld(true); }

float FlatDistance(const Vector3& a, const Vector3& b) { return std::hypot(a.x - b.x, a.z - b.z); }

class SetPieceTest : public MatchOnHarness {
protected:
    Ball& TheBall() const { return *PitchSimulation::Instance()->GetBall(); }
    int KeeperIndex(int side) const
    {
        for (int i = 0; i < Side(side).GetPlayerCount(); ++i)
            if (Player(side, i).GetKind() == Character::kGoalkeeper)
                return i;
        return -1;
    }
    // Some field player of the side, not the keeper.
    Character& FieldPlayer(int side, int n = 0) const
    {
        for (int i = 0; i < Side(side).GetPlayerCount(); ++i)
            if (Player(side, i).GetKind() != Character::kGoalkeeper && n-- == 0)
                return Player(side, i);
        return Player(side, 0);
    }
    void Put(Character& player, const Vector3& where)
    {
        player.GetActor()->PlaceInState(where, 0.0f, new ActorState(ActorNodes::stand));
    }
};

TEST_F(SetPieceTest, EachSideStandsInItsKindsFormationAndTheAttackingFlagPicksWhichIsWhich)
{
    const Vector3 spot = At(0.4f, -0.3f);
    for (const bool attacking : {true, false}) {
        SCOPED_TRACE(attacking ? "side 0 attacks" : "side 1 attacks");
        Character& taker = FieldPlayer(attacking ? 0 : 1);
        Probe corner("corner", attacking, &taker, spot, Vector3(0, 0, 1));
        corner.Enter();
        const char* formations[2] = {attacking ? "corner_attack" : "corner_defend",
                                     attacking ? "corner_defend" : "corner_attack"};
        for (int side = 0; side < 2; ++side) {
            const TeamStrategy* strategy = TeamStrategy::Find(formations[side]);
            ASSERT_NE(strategy, nullptr);
            EXPECT_EQ(corner.GetStrategy(side), strategy);
            const bool first = Side(side).IsFirstSide();
            for (int i = 0; i < Side(side).GetPlayerCount(); ++i) {
                const Character& player = Player(side, i);
                if (&player == &taker)
                    continue;
                const Vector3 place =
                    strategy->GetTacticalPosition(player.GetRoleIndex(), PitchPosition::FromWorld(spot, first))
                        .ToWorld(first);
                EXPECT_LT(FlatDistance(player.GetActor()->GetPosition(), place), 0.05f) << "side " << side << " " << i;
                EXPECT_STREQ(player.GetActor()->GetStateName(), "inactive");
            }
        }
        EXPECT_STREQ(taker.GetActor()->GetStateName(), "kickoff");
        corner.Exit();
        EXPECT_STREQ(taker.GetActor()->GetStateName(), "stand");
        EXPECT_STREQ(Player(1, 0).GetActor()->GetStateName(), "stand");
    }
}

TEST_F(SetPieceTest, PlacingThePlayersTakesTheBallFromItsHolder)
{
    Character& holder = FieldPlayer(1, 2);
    Ball& ball = TheBall();
    ASSERT_TRUE(ball.TakePossession(&holder));
    holder.GetActor()->TakeBall(&ball);
    Probe corner("corner", true, &FieldPlayer(0), At(0.9f, 0.9f), Vector3(-1, 0, 0));
    corner.FindCasts();
    corner.PlacePlayers();
    EXPECT_FALSE(holder.GetActor()->HasBall());
    EXPECT_FALSE(Side(1).HasBall());
}

TEST_F(SetPieceTest, AMissingFormationIsNamedAndItsSideStaysWhereItStands)
{
    Probe kickoff("kickoff", true, &FieldPlayer(0), At(0, 0), Vector3(1, 0, 0));
    kickoff.Enter();
    std::vector<Vector3> before;
    for (int side = 0; side < 2; ++side)
        for (const Actor* actor : Side(side).GetActors())
            before.push_back(actor->GetPosition());

    LogCapture log;
    Probe unknown("swap", false, &FieldPlayer(1), At(0.5f, 0.5f), Vector3(1, 0, 0));
    unknown.Enter();
    EXPECT_EQ(log.Count("Cannot find cast member Strategies|swap_defend in cast Teams when creating SetPiece swap\n"), 1);
    EXPECT_EQ(log.Count("Cannot find cast member Strategies|swap_attack in cast Teams when creating SetPiece swap\n"), 1);
    EXPECT_EQ(unknown.GetStrategy(0), nullptr);
    EXPECT_EQ(unknown.GetStrategy(1), nullptr);
    size_t n = 0;
    for (int side = 0; side < 2; ++side)
        for (const Actor* actor : Side(side).GetActors()) {
            const Vector3 was = before[n++];
            if (actor != FieldPlayer(1).GetActor()) {
                EXPECT_LT(FlatDistance(actor->GetPosition(), was), 1e-3f) << "side " << side;
            }
        }
}

TEST_F(SetPieceTest, TheTakerStandsOneBodyRadiusBehindTheBallFacingAlongAndHoldsIt)
{
    const struct {
        const char* name;
        Vector3 direction;
        float behind;  // in body radii
    } cases[] = {
        {"along the pitch", Vector3(1, 0, 0), 1.0f},
        {"longer than a unit, across", Vector3(0, 0, -3), 1.0f},
        {"slanted", Vector3(2, 0, 2), 1.0f},
        {"zero: at the spot", Vector3(0, 0, 0), 0.0f},
    };
    const Vector3 spot = At(-0.2f, 0.25f);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Character& taker = FieldPlayer(0, 1);
        // Left over from an earlier set piece: the command's aim is locked.
        taker.GetCommand().hold = 1;
        taker.GetCommand().strike = 1;
        Probe freekick("freekick", true, &taker, spot, c.direction);
        freekick.Enter();
        EXPECT_EQ(taker.GetCommand().hold, 0);
        EXPECT_EQ(taker.GetCommand().strike, 0);
        const Actor& actor = *taker.GetActor();
        const float length = c.direction.Length();
        const Vector3 unit = length > 0 ? c.direction * (1.0f / length) : Vector3();
        const Vector3 expected = spot - unit * (c.behind * actor.GetRadius());
        EXPECT_LT(FlatDistance(actor.GetPosition(), expected), 1e-3f);
        EXPECT_TRUE(std::isfinite(actor.GetPosition().x) && std::isfinite(actor.GetPosition().z));
        // A zero direction leaves no way to face.
        if (length > 0) {
            const Vector3 facing(std::sin(actor.GetHeading()), 0.0f, std::cos(actor.GetHeading()));
            EXPECT_NEAR(facing.Dot(unit), 1.0f, 1e-4f);
        }
        EXPECT_TRUE(actor.HasBall());
        EXPECT_FALSE(freekick.IsKickTaken());
        freekick.Exit();
    }
}

TEST_F(SetPieceTest, AZeroDirectionRunsWithoutNaN)
{
    auto* penalty = new Probe("penalty", true, &FieldPlayer(0), At(0.7f, 0.0f), Vector3());
    harness->MakeCurrent(penalty);
    EXPECT_EQ(harness->RunFrames(60), 60);
    EXPECT_EQ(harness->GetProblem(), "");
}

TEST_F(SetPieceTest, TheClockStandsStillAndTheTacticsRest)
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    pitch->Update(1.0f, PitchSimulation::kUpdateClock);
    const float time = pitch->GetClock()->GetTime();
    harness->MakeCurrent(new Probe("throwin", false, &FieldPlayer(1), At(0.1f, 0.9f), Vector3(0, 0, -1)));
    harness->RunFrames(60);
    EXPECT_EQ(pitch->GetClock()->GetTime(), time);
    EXPECT_EQ(pitch->GetLastUpdateFlags(), 0x1DDu);
}

TEST_F(SetPieceTest, WithoutFadesItEndsOnTheFrameTheBallLeavesTheTaker)
{
    Character& taker = FieldPlayer(1);
    Probe goalkick("goalkick", false, &taker, At(-0.3f, 0.1f), Vector3(-1, 0, 0));
    goalkick.Enter();
    std::vector<bool> ended;
    for (int frame = 0; frame < 12; ++frame) {
        if (frame == 8)
            taker.KickBall(Vector3(-8, 0, 0), true);
        ended.push_back(goalkick.Update(kFrame) == nullptr);
    }
    const std::vector<bool> expected = {false, false, false, false, false, false, false, false,
                                        true,  true,  true,  true};
    EXPECT_EQ(ended, expected);
}

TEST_F(SetPieceTest, TheKickIsLookedAtOnlyAfterTheFadeFromBlackAndTheFadeToBlackFollowsIt)
{
    // A binary frame time, so that the fades end on exact frames: 32 in, 16 out.
    constexpr float kExactFrame = 1.0f / 64;
    const struct {
        int kickFrame;
        int endFrame;
    } cases[] = {{3, 48}, {40, 56}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kickFrame);
        Character& taker = FieldPlayer(0);
        Probe corner("corner", true, &taker, At(0.9f, 0.9f), Vector3(-1, 0, -1), 0.5f, 0.25f);
        corner.Enter();
        int end = -1;
        for (int frame = 0; frame < 100 && end < 0; ++frame) {
            if (frame == c.kickFrame)
                taker.KickBall(Vector3(-8, 0, -8), true);
            if (!corner.Update(kExactFrame))
                end = frame;
        }
        EXPECT_EQ(end, c.endFrame);
        corner.Exit();
    }
}

// A skinned model drawn into the screen's camera: only the characters are skinned, and their
// shadows are cast into cameras of their own.
bool IsPlayer(const RwNullDrawRecord& draw)
{
    return draw.isMesh && draw.numBones > 0 &&
           draw.camera == RwGraphics::Instance()->GetPrimaryCamera()->GetRwCamera();
}

// The opacity of each black rectangle over the whole screen in the last frame, in drawing
// order; none unless players were drawn before the first.
std::vector<float> ScreenCoversOverTheMatch()
{
    std::vector<float> covers;
    bool match = false;
    for (const RwNullDrawRecord& d : RwNullDeviceGet()->draws) {
        match = match || IsPlayer(d);
        const int alpha = BlackScreenCoverAlpha(d);
        if (match && alpha >= 0)
            covers.push_back(static_cast<float>(alpha) / 255.0f);
    }
    return covers;
}

TEST_F(SetPieceTest, BothFadesAreDrawnOverTheMatchWhileTheyLast)
{
    ScopedPicturesShown shown;
    Character& taker = FieldPlayer(1);
    constexpr float kFade = 0.25f;
    auto* throwin = new Probe("throwin", false, &taker, At(0.2f, -0.95f), Vector3(0, 0, 1), kFade, kFade);
    harness->MakeCurrent(throwin);
    const float step = kFrame / kFade;
    std::vector<std::vector<float>> covers;
    harness->Step();
    covers.push_back(ScreenCoversOverTheMatch());
    harness->RunFrames(20);
    ASSERT_EQ(throwin->GetFadeIn(), nullptr);
    covers.push_back(ScreenCoversOverTheMatch());
    taker.KickBall(Vector3(0, 0, 8), true);
    harness->Step();
    covers.push_back(ScreenCoversOverTheMatch());
    // The fade to black waits, clear and so not drawn, until the kick.
    const std::vector<std::vector<float>> expected = {{1.0f - step}, {}, {step}};
    ASSERT_EQ(covers.size(), expected.size());
    for (size_t phase = 0; phase < covers.size(); ++phase) {
        ASSERT_EQ(covers[phase].size(), expected[phase].size()) << phase;
        for (size_t i = 0; i < covers[phase].size(); ++i)
            EXPECT_NEAR(covers[phase][i], expected[phase][i], 0.01f) << phase;
    }
}

TEST_F(SetPieceTest, WithoutFadesTheMatchIsDrawnWhileTheKickIsAwaited)
{
    ScopedPicturesShown shown;
    harness->MakeCurrent(new Probe("goalkick", true, &FieldPlayer(0), At(-0.9f, 0.2f), Vector3(1, 0, 0)));
    ASSERT_TRUE(harness->Step());
    const std::vector<RwNullDrawRecord>& draws = RwNullDeviceGet()->draws;
    EXPECT_TRUE(std::any_of(draws.begin(), draws.end(), IsPlayer));
    EXPECT_TRUE(ScreenCoversOverTheMatch().empty());
}

TEST_F(SetPieceTest, AComputerTakerWithAStalePassOrderKeepsTheBall)
{
    Character& taker = FieldPlayer(0);
    Character& mate = FieldPlayer(0, 1);
    // What open play left: pass to a team-mate.
    taker.GetBrain()->GetOrder() = TeamOrder{1, Vector3(), &mate};
    harness->MakeCurrent(new Probe("kickoff", true, &taker, At(0, 0), Vector3(1, 0, 0)));
    harness->RunFrames(90);
    EXPECT_TRUE(taker.GetActor()->HasBall());
    EXPECT_EQ(taker.GetBrain()->GetOrder().code, 0);
    for (const std::string& line : harness->Tap().GetLines())
        EXPECT_EQ(line.find("did pass"), std::string::npos) << line;
}

TEST_F(SetPieceTest, TheReceiverIsTheNearestTeamMateToTheBallSkippingKeepersWhenAsked)
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    const int keeper = KeeperIndex(0);
    ASSERT_GE(keeper, 0);
    Character& taker = FieldPlayer(0, 0);
    Character& a = FieldPlayer(0, 1);
    Character& b = FieldPlayer(0, 2);
    Character& goalie = Player(0, keeper);
    const Vector3 ball = At(-0.8f, 0.0f);
    const struct {
        const char* name;
        float keeperAway, aAway, bAway;
        bool skipKeepers;
        Character* expected;
    } cases[] = {
        {"the nearest", 30.0f, 12.0f, 6.0f, false, &b},
        {"the keeper when nearest", 2.0f, 12.0f, 6.0f, false, &goalie},
        {"no keeper when skipped", 2.0f, 12.0f, 6.0f, true, &b},
        {"the first of equals", 30.0f, 7.0f, 7.0f, true, &a},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Everyone else far off, on both sides of the ball.
        for (int i = 0; i < Side(0).GetPlayerCount(); ++i)
            Put(Player(0, i), ball + Vector3(0, 0, 60.0f + 2.0f * static_cast<float>(i)));
        Put(taker, ball + Vector3(1, 0, 0));
        Put(goalie, ball + Vector3(c.keeperAway, 0, 0));
        Put(a, ball + Vector3(0, 0, c.aAway));
        Put(b, ball + Vector3(0, 0, -c.bAway));
        TheBall().SetPosition(ball);
        pitch->GetUtilityRegistry()->ClearCaches();
        EXPECT_EQ(SetPiece::ChooseReceiver(&taker, c.skipKeepers), c.expected);
    }
    EXPECT_EQ(SetPiece::ChooseReceiver(nullptr, false), nullptr);
}

TEST_F(SetPieceTest, NobodyToReceiveGivesNull)
{
    SoccerTeam& team = Side(1);
    Character& taker = FieldPlayer(1);
    std::vector<std::unique_ptr<Character>> removed;
    for (int i = team.GetPlayerCount() - 1; i >= 0; --i) {
        Character* player = team.GetPlayer(i);
        if (player != &taker && player->GetKind() != Character::kGoalkeeper)
            removed.push_back(team.RemovePlayer(player));
    }
    ASSERT_EQ(team.GetPlayerCount(), 2);
    EXPECT_EQ(SetPiece::ChooseReceiver(&taker, true), nullptr);
    EXPECT_EQ(SetPiece::ChooseReceiver(&taker, false)->GetKind(), Character::kGoalkeeper);
}

TEST_F(SetPieceTest, ASideIsAskedForItsPlayersByPlaceAndPlaysTowardsTheGoalItAttacks)
{
    SoccerTeam& team = Side(0);
    const int32_t count = team.GetPlayerCount();
    ASSERT_GT(count, 1);
    struct Case {
        const SoccerTeam* team;
        int32_t index;
        Character* expected;
    };
    const Case cases[] = {{nullptr, 0, nullptr},
                          {&team, -1, nullptr},
                          {&team, 0, &Player(0, 0)},
                          {&team, count - 1, &Player(0, count - 1)},
                          {&team, count, nullptr}};
    for (const Case& c : cases)
        EXPECT_EQ(sides::PlayerAt(c.team, c.index), c.expected) << "index " << c.index;
    EXPECT_EQ(sides::LastPlayer(&team), &Player(0, count - 1));
    EXPECT_EQ(sides::LastPlayer(nullptr), nullptr);

    for (const bool first : {true, false}) {
        team.SetFirstSide(first);
        EXPECT_EQ(sides::OnFirstSide(&Player(0, 1)), first);
        // From the side's own goal line towards the one it attacks.
        Vector3 towardsGoal = PitchPosition(1.0f, 0.0f).ToWorld(first) - PitchPosition(-1.0f, 0.0f).ToWorld(first);
        towardsGoal.Normalize();
        EXPECT_LT((sides::PlayDirection(first) - towardsGoal).Length(), 1e-5f) << "first side " << first;
        EXPECT_NEAR(sides::PlayAngle(first).angle, PitchAngle::FromDirection(towardsGoal).angle, 1e-5f);
    }
    EXPECT_FALSE(sides::OnFirstSide(nullptr));

    std::vector<std::unique_ptr<Character>> removed;
    while (team.GetPlayerCount() > 0)
        removed.push_back(team.RemovePlayer(team.GetPlayer(0)));
    EXPECT_EQ(sides::LastPlayer(&team), nullptr);
    for (auto& player : removed)
        team.AddPlayer(std::move(player));
}

}  // namespace
