// The order step: which order each member of a side gets from the ball, the score of the
// measures and the side's aggression.
#include "ai/Decision.h"
#include "ai/TeamManager.h"
#include "ai/TeamStrategy.h"
#include "ai/Utilities.h"
#include "ai/UtilityRegistry.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "pitch/PitchSimulation.h"
#include "framework/MathUtil.h"
#include "framework/Random.h"
#include "settings/GameSettings.h"
#include "settings/MatchSettings.h"
#include "settings/MatchStatistics.h"
#include "support/CharacterKickAbout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kUntouched = 42;

class TeamOrdersTest : public CharacterKickAbout {
protected:
    void SetUp() override
    {
        CharacterKickAbout::SetUp();
        TeamStrategy::CreateAll();
        // Every slot stands on its own spot whatever the ball does.
        TeamStrategy* strategy = TeamStrategy::Find("Classic-Normal");
        strategy->Resize(1, 1, 5);
        for (int32_t slot = 0; slot < 5; ++slot)
            strategy->Cell(slot, 0, 0) = PitchPosition(-0.5f + 0.2f * static_cast<float>(slot), 0.0f);
        manager = pitch->GetTeamManager(0);
        manager->SetStrategy("Classic-Normal");
        home->SetAggression(100.0f);
        MatchStatistics::Instance()->Reset();
    }
    void TearDown() override
    {
        CharacterKickAbout::TearDown();
        CastManager::Instance()->DeleteAll();
    }

    // A computer-controlled member whose brain holds no order of the step's.
    Character* Add(SoccerTeam* team, const Vector3& at, int32_t kind = Character::kFieldPlayer)
    {
        Character* character =
            CharacterKickAbout::Add(team, kind, kind == Character::kGoalkeeper ? "PandaGk00" : "PandaPl00", at);
        character->GetBrain()->SetName("ai");
        character->GetBrain()->GetOrder().code = kUntouched;
        return character;
    }
    void Decide(float dt = 1.0f / 60.0f)
    {
        pitch->GetUtilityRegistry()->ClearCaches();
        manager->DecideOrders(dt);
    }
    static int32_t Code(const Character* player) { return player->GetBrain()->GetOrder().code; }

    TeamManager* manager = nullptr;
};

TEST_F(TeamOrdersTest, OnlyTheStrategysSlotsGetOrdersAndTheKeeperPositionsItself)
{
    std::vector<Character*> players{Add(home, {30.0f, 0.0f, 0.0f}, Character::kGoalkeeper)};
    for (int i = 0; i < 5; ++i)
        players.push_back(Add(home, {0.0f, 0.0f, 5.0f * static_cast<float>(i)}));
    ball.SetPosition({0.0f, ball.GetRadius(), -20.0f});
    Decide();
    std::vector<int32_t> codes;
    for (const Character* player : players)
        codes.push_back(Code(player));
    // One member chases the loose ball; the sixth has no slot.
    EXPECT_EQ(codes[0], 7);
    EXPECT_EQ(codes[5], kUntouched);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 2), 1);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 0), 3);
    for (const Character* player : players) {
        if (Code(player) == 0) {
            const PitchPosition expected = TeamStrategy::Find("Classic-Normal")->GetTacticalPosition(player->GetRoleIndex(), {});
            const Vector3 point = expected.ToWorld(true);
            EXPECT_LT((player->GetBrain()->GetOrder().point - point).Length(), 1e-3f);
        }
    }
    // A missing strategy leaves every member without an order.
    manager->SetStrategy("Catenaccio");
    for (Character* player : players)
        player->GetBrain()->GetOrder().code = kUntouched;
    Decide();
    for (const Character* player : players)
        EXPECT_NE(Code(player), 0);
    // Not even the keeper, the first member, is told to position himself.
    EXPECT_EQ(Code(players[0]), kUntouched);
}

TEST_F(TeamOrdersTest, AnAggressiveSideTacklesUnlessACardedLastDefenderWouldHaveTo)
{
    Character* defender = Add(home, {0.0f, 0.0f, 0.0f});
    Character* holder = Add(away, {2.0f, 0.0f, 0.0f});
    GiveBallTo(*holder);
    defender->SetRoleIndex(2);
    Decide();
    EXPECT_TRUE(manager->IsAggressive());
    EXPECT_EQ(Code(defender), 6);
    EXPECT_EQ(defender->GetBrain()->GetOrder().target, holder);
    // A carded last defender only closes down; so does any carded player once the side has a
    // red card.
    defender->SetBooked(true);
    defender->SetRoleIndex(1);
    Decide();
    EXPECT_EQ(Code(defender), 3);
    defender->SetRoleIndex(2);
    Decide();
    EXPECT_EQ(Code(defender), 6);
    MatchStatistics::Instance()->redCards[0] = 1;
    Decide();
    EXPECT_EQ(Code(defender), 3);
    // A side that never feels aggressive closes down.
    home->SetAggression(-1.0f);
    defender->SetBooked(false);
    Decide(2.0f);
    EXPECT_FALSE(manager->IsAggressive());
    EXPECT_EQ(Code(defender), 3);
}

TEST_F(TeamOrdersTest, ABallOffThePitchStartsNoShotOrSpecialMove)
{
    Character* holder = Add(home, {0.0f, 0.0f, 0.0f});
    Add(home, {10.0f, 0.0f, 20.0f});
    // Deep in the attacked half, in the middle: the shooting zone. The first side attacks -x.
    const float endLine = PitchFrame::AlongHalfExtent(-1.0f);
    for (const float along : {endLine - 6.0f, endLine + 2.0f}) {
        holder->GetActor()->PlaceInState({-along, 0.0f, 0.0f}, 0.0f, new ActorState(ActorNodes::standwithball));
        if (!holder->GetActor()->HasBall())
            GiveBallTo(*holder);
        ball.SetPosition({-along - 0.5f, ball.GetRadius(), 0.0f});
        ASSERT_EQ(home->GetBallHolder(), holder);
        Decide(1000.0f);
        const int32_t code = Code(holder);
        EXPECT_EQ(code == 5, along < endLine) << along << " gave " << code;
        EXPECT_NE(code, 9);
    }
}

TEST_F(TeamOrdersTest, TheManSentAtAStandingHolderKeepsGoingUntilBeatenOrTheHolderChangesOrMoves)
{
    const Vector3 across = PitchFrame::GetDirection(PitchFrame::kAcross);
    const Vector3 place = PitchPosition(-0.1f, 0.0f).ToWorld(true);
    Character* first = Add(home, place);
    Character* second = Add(home, PitchPosition(0.1f, 0.0f).ToWorld(true));
    first->SetRoleIndex(2);
    second->SetRoleIndex(3);
    Character* holder = Add(away, {});
    const auto hold = [&](Character* player, const ActorStateNode& node) {
        Put(*player, place + across * 15.0f, 0.0f, node);
        GiveBallTo(*player);
    };
    hold(holder, ActorNodes::stand);
    const auto sent = [&](const Character* player, const Character* at) {
        return Code(player) == 6 && player->GetBrain()->GetOrder().target == at;
    };
    Decide();
    ASSERT_TRUE(sent(first, holder));
    // Ten metres from his place, where the decision alone would send the other instead.
    Put(*first, place + across * 10.0f, 0.0f, ActorNodes::run);
    Decide();
    EXPECT_TRUE(sent(first, holder));
    EXPECT_EQ(Code(second), 0);
    // Exactly as near the holder as the other, on the far side of him: not beaten.
    const Vector3 holderAt = holder->GetActor()->GetPosition();
    Put(*first, holderAt + (holderAt - second->GetActor()->GetPosition()), 0.0f, ActorNodes::run);
    Decide();
    EXPECT_TRUE(sent(first, holder));
    Put(*first, place + across * 10.0f, 0.0f, ActorNodes::run);
    // A holder on the move meets the side's shape.
    hold(holder, ActorNodes::run);
    Decide();
    EXPECT_TRUE(sent(second, holder));
    // Standing again, with the man sent now far beyond him: the nearer one takes over.
    hold(holder, ActorNodes::stand);
    Put(*second, place + across * 40.0f, 0.0f, ActorNodes::run);
    Decide();
    EXPECT_TRUE(sent(first, holder));
    EXPECT_EQ(Code(second), 0);
    // A new holder is a fresh choice.
    Put(*second, PitchPosition(0.1f, 0.0f).ToWorld(true), 0.0f, ActorNodes::stand);
    holder->GetActor()->ReleaseBall();
    Character* receiver = Add(away, {});
    hold(receiver, ActorNodes::stand);
    Decide();
    EXPECT_TRUE(sent(second, receiver));
}

TEST_F(TeamOrdersTest, ClosingSpeedRatesFromHalfAtRestToTheEndsAtFiftyMetresASecond)
{
    Character* player = Add(home, {0.0f, 0.0f, 0.0f});
    ball.SetPosition({1.0f, 0.0f, 0.0f});
    const SpeedTowardsBall measure;
    struct Case {
        float actorSpeed;
        float ballSpeed;
        float value;
    };
    for (const Case& c : std::vector<Case>{{0.0f, 0.0f, 0.5f}, {25.0f, -25.0f, 1.0f}, {60.0f, 0.0f, 1.0f},
                                           {0.0f, 50.0f, 0.0f}, {-30.0f, 30.0f, 0.0f}, {10.0f, 0.0f, 0.6f}}) {
        player->GetActor()->SetVelocity({c.actorSpeed, 0.0f, 0.0f});
        ball.SetVelocity({c.ballSpeed, 0.0f, 0.0f});
        EXPECT_NEAR(measure.Evaluate(player), c.value, 1e-5f) << c.actorSpeed << " " << c.ballSpeed;
    }
}

TEST_F(TeamOrdersTest, TheLastDefenderIsHeldWhileTheHolderIsInHisArea)
{
    Cast* objects = CastManager::Instance()->CreateCast("objects");
    // Other kinds of level objects may not be known here; the areas are.
    LoadSettings(objects, StagePath("level01/settings/objects/objects.txt").c_str());
    ASSERT_NE(CastManager::Instance()->FindObject("objects|LeftPenaltyArea"), nullptr);
    ASSERT_NE(CastManager::Instance()->FindObject("objects|RightPenaltyArea"), nullptr);
    Character* defender = Add(home, {30.0f, 0.0f, 0.0f});
    Character* wide = Add(home, {30.0f, 0.0f, 10.0f});
    Character* holder = Add(away, {45.0f, 0.0f, 2.0f});
    defender->SetRoleIndex(1);
    wide->SetRoleIndex(2);
    const IsConstrainedToArea measure;
    // No holder yet: the defender may go.
    EXPECT_EQ(measure.Evaluate(defender), 1.0f);
    GiveBallTo(*holder);
    // The first side defends the left goal, at +x here.
    EXPECT_EQ(measure.Evaluate(defender), 0.0f);
    EXPECT_EQ(measure.Evaluate(wide), 0.0f);
    Put(*holder, {20.0f, 0.0f, 2.0f}, 0.0f, ActorNodes::standwithball);
    if (!holder->GetActor()->HasBall())
        GiveBallTo(*holder);
    EXPECT_EQ(measure.Evaluate(defender), 1.0f);
    // The second side's last defender looks at the right area, at -x.
    Character* visitor = Add(away, {-30.0f, 0.0f, 0.0f});
    visitor->SetRoleIndex(1);
    holder->GetActor()->ReleaseBall();
    ball.ReleasePossession(1);
    Character* raider = Add(home, {-45.0f, 0.0f, 2.0f});
    GiveBallTo(*raider);
    EXPECT_EQ(measure.Evaluate(visitor), 0.0f);
    Put(*raider, {-20.0f, 0.0f, 2.0f}, 0.0f, ActorNodes::standwithball);
    if (!raider->GetActor()->HasBall())
        GiveBallTo(*raider);
    EXPECT_EQ(measure.Evaluate(visitor), 1.0f);
}

// Who heads: a computer player within the header distance of a ball coming at him at head
// height, facing the goal he attacks. The first side attacks -x.
TEST_F(TeamOrdersTest, OnlyAComputerPlayerFacingTheAttackHeadsABallComingAtHim)
{
    MatchSettings::Instance()->aiHeaderDistance = 3.0f;
    Character* player = Add(home, {0.0f, 0.0f, 0.0f});
    const CharacterRace& race = *player->GetRace();
    const float head = 0.5f * (race.GetMinHeaderHeight() + race.GetMaxHeaderHeight());
    const float attack = WorldHeadingOf({-1.0f, 0.0f, 0.0f});
    struct Case {
        const char* story;
        const char* brain;
        float gap;      // ball ahead of him, towards the attacked goal (m)
        float speed;    // towards him (m/s)
        float heading;  // his
        bool heads;
        float height = 0.0f;  // of the ball; 0 is his head's
    };
    const Case cases[] = {
        {"computer, near, coming, facing", "ai", 2.0f, 10.0f, attack, true},
        {"a person's player", "(0):", 2.0f, 10.0f, attack, false},
        {"beyond the header distance", "ai", 3.5f, 10.0f, attack, false},
        {"within it along the grass, though farther at his height", "ai", 2.9f, 20.0f, attack, true},
        {"going away", "ai", 2.0f, -10.0f, attack, false},
        {"facing his own goal", "ai", 2.0f, 10.0f, attack + Math::Pi, false},
        {"over his head", "ai", 2.0f, 10.0f, attack, false, 2.0f * race.GetMaxHeaderHeight()},
    };
    for (const Case& c : cases) {
        player->GetBrain()->SetName(c.brain);
        player->GetCommand().direction = c.heading;
        ball.ReleasePossession(1);
        ball.SetPosition({-c.gap, c.height > 0.0f ? c.height : head, 0.0f});
        ball.SetVelocity({c.speed, 0.0f, 0.0f});
        Decide();
        EXPECT_EQ(Code(player) == 8, c.heads) << c.story << " gave " << Code(player);
    }
}

// A member of a kind the game does not know has no brain: he is passed over, and the ones
// after him still get their orders, a header among them.
TEST_F(TeamOrdersTest, AMemberWithoutABrainIsPassedOver)
{
    MatchSettings::Instance()->aiHeaderDistance = 3.0f;
    Character* unknown = CharacterKickAbout::Add(home, 7, "PandaPl00", {2.0f, 0.0f, 0.0f});
    ASSERT_EQ(unknown->GetBrain(), nullptr);
    Character* player = Add(home, {0.0f, 0.0f, 0.0f});
    const CharacterRace& race = *player->GetRace();
    player->GetCommand().direction = WorldHeadingOf({-1.0f, 0.0f, 0.0f});
    ball.ReleasePossession(1);
    ball.SetPosition({-2.0f, 0.5f * (race.GetMinHeaderHeight() + race.GetMaxHeaderHeight()), 0.0f});
    ball.SetVelocity({10.0f, 0.0f, 0.0f});
    Decide();
    EXPECT_EQ(Code(player), 8);
}

// Who goes for a loose ball: the one the ball is nearer and coming at, not the one it is
// running away from; he runs to where it will be.
TEST_F(TeamOrdersTest, ThePlayerARollingBallComesAtGoesForItWhereItWillBe)
{
    Character* behind = Add(home, {-4.0f, 0.0f, 0.0f});
    Character* ahead = Add(home, {12.0f, 0.0f, 0.0f});
    const Vector3 velocity{15.0f, 0.0f, 0.0f};
    ball.ReleasePossession(1);
    ball.SetPosition({0.0f, ball.GetRadius(), 0.0f});
    ball.SetVelocity(velocity);
    Decide();
    EXPECT_EQ(Code(behind), 0);
    ASSERT_EQ(Code(ahead), 2);
    const Vector3 expected = Vector3{0.0f, ball.GetRadius(), 0.0f} + velocity * GameSettings::Instance()->aiBallObtainReadAhead;
    EXPECT_LT((ahead->GetBrain()->GetOrder().point - expected).Length(), 1e-3f);
    // At rest, the nearer one goes.
    ball.SetVelocity({});
    Decide();
    EXPECT_EQ(Code(behind), 2);
    EXPECT_EQ(Code(ahead), 0);
}

// The man a pass is meant for goes to meet it on its path, or waits on it, until it has
// run past him or someone else has touched it; a holder who loses the ball without passing
// sends nobody.
TEST_F(TeamOrdersTest, TheManAPassIsMeantForMeetsItOnItsPath)
{
    Character* passer = Add(home, PitchPosition(-0.2f, 0.0f).ToWorld(true));
    Character* mate = Add(home, PitchPosition(0.1f, 0.3f).ToWorld(true));
    Character* opponent = Add(away, PitchPosition(0.9f, -0.9f).ToWorld(true));
    passer->SetRoleIndex(1);
    mate->SetRoleIndex(2);
    const Vector3 at = mate->GetActor()->GetPosition();
    const auto pass = [&](const Vector3& aim) {
        GiveBallTo(*passer);
        Decide();
        ASSERT_EQ(Code(passer), 1);
        ASSERT_EQ(passer->GetBrain()->GetOrder().target, mate);
        passer->Pass(aim, true);
        Decide();
    };
    // Struck 3 m wide of him: he runs to the point of its path nearest him, the passer stays.
    const Vector3 wide = at + Vector3{0.0f, 0.0f, 3.0f};
    pass(wide);
    EXPECT_EQ(Code(passer), 0);
    ASSERT_EQ(Code(mate), 2);
    const Vector3 from = ball.GetPosition(), path = PitchFrame::Flatten(wide - from);
    const Vector3 offset = PitchFrame::Flatten(mate->GetBrain()->GetOrder().point - from);
    EXPECT_NEAR(offset.Cross(path).Length() / path.Length(), 0.0f, 0.05f) << "on the path";
    EXPECT_NEAR(PitchFrame::Flatten(mate->GetBrain()->GetOrder().point - at).Dot(path), 0.0f, 0.05f) << "nearest him";
    // Struck at him: he waits where he stands.
    pass(at);
    EXPECT_EQ(Code(mate), 0);
    EXPECT_LT((mate->GetBrain()->GetOrder().point - at).Length(), 1e-3f);
    // Once it has run past him, or an opponent has touched it, the loose-ball choice goes
    // for it: slow, it is the passer for a ball near him.
    const Vector3 slow = path * 0.1f;
    ball.SetPosition(at + PitchFrame::Flatten(at - from) * 0.2f);
    ball.SetVelocity(slow);
    Decide();
    ASSERT_EQ(Code(mate), 2);
    EXPECT_LT((mate->GetBrain()->GetOrder().point - (ball.GetPosition() + slow * GameSettings::Instance()->aiBallObtainReadAhead)).Length(), 1e-3f);
    pass(wide);
    ball.SetVelocity(slow);
    Decide();
    EXPECT_EQ(Code(mate), 2) << "slow, still his";
    // All but stopped, too slow for its speed to be a float: he collects it where it lies.
    ball.SetVelocity(path * 1e-24f);
    Decide();
    ASSERT_EQ(Code(mate), 2) << "nearly still, still his";
    const Vector3 lies = at + PitchFrame::Flatten(ball.GetPosition() - at);
    EXPECT_LT((mate->GetBrain()->GetOrder().point - lies).Length(), 1e-3f);
    ASSERT_TRUE(ball.TakePossession(opponent));
    ball.ReleasePossession(1);
    ball.SetVelocity(slow);
    Decide();
    EXPECT_EQ(Code(passer), 2);
    // A holder told to run on who loses the ball sends nobody to meet it.
    GiveBallTo(*passer);
    Decide();
    passer->GetBrain()->GetOrder().code = 4;
    passer->Pass(wide, true);
    ball.SetVelocity(slow);
    Decide();
    EXPECT_EQ(Code(passer), 2);
}

// A pass whose path comes by him exactly his body's radius away touches him: he waits where he
// stands for it. A hair wider it would run past him, and he steps across to its path.
TEST_F(TeamOrdersTest, APassGrazingItsManIsWaitedForAndOneAHairWiderIsMet)
{
    Character* passer = Add(home, {20.0f, 0.0f, 0.0f});
    Character* mate = Add(home, {0.0f, 0.0f, 0.0f});
    passer->SetRoleIndex(1);
    mate->SetRoleIndex(2);
    const float radius = mate->GetActor()->GetRadius();
    for (const auto& [wide, waits] : {std::pair(radius, true), std::pair(std::nextafter(radius, 1.0f), false)}) {
        SCOPED_TRACE(wide);
        GiveBallTo(*passer);
        Decide();
        ASSERT_EQ(Code(passer), 1);
        ASSERT_EQ(passer->GetBrain()->GetOrder().target, mate);
        // Struck along the pitch's length, so that its nearest point to him is exact.
        passer->GetActor()->ReleaseBall();
        ball.SetPosition({8.0f, 1.0f, wide});
        ball.SetVelocity({-8.0f, 0.0f, 0.0f});
        Decide();
        EXPECT_EQ(Code(mate), waits ? 0 : 2);
        EXPECT_EQ(mate->GetBrain()->GetOrder().point, (waits ? Vector3{} : Vector3{0.0f, 0.0f, wide}));
    }
}

// A pass whose man has left the side, sent off while it ran, is nobody's to meet: the
// loose-ball choice goes for it.
TEST_F(TeamOrdersTest, APassWhoseManHasLeftTheSideIsLeftToTheLooseBallChoice)
{
    Character* passer = Add(home, PitchPosition(-0.2f, 0.0f).ToWorld(true));
    Character* mate = Add(home, PitchPosition(0.1f, 0.3f).ToWorld(true));
    passer->SetRoleIndex(1);
    mate->SetRoleIndex(2);
    GiveBallTo(*passer);
    Decide();
    ASSERT_EQ(Code(passer), 1);
    ASSERT_EQ(passer->GetBrain()->GetOrder().target, mate);
    passer->Pass(mate->GetActor()->GetPosition(), true);
    const std::unique_ptr<Character> gone = home->RemovePlayer(mate);
    ASSERT_EQ(gone.get(), mate);
    mate->GetBrain()->GetOrder().code = kUntouched;
    Decide();
    EXPECT_EQ(Code(mate), kUntouched);
    EXPECT_EQ(Code(passer), 2);
}

// The holder outside the shooting zone passes to the team-mate furthest up; furthest up
// himself, he runs on, at the attacked goal when his own place lies behind him.
TEST_F(TeamOrdersTest, TheHolderPassesToTheManFurthestUpOrRunsOnHimself)
{
    Character* holder = Add(home, PitchPosition(-0.2f, 0.0f).ToWorld(true));
    Character* mate = Add(home, PitchPosition(0.1f, 0.3f).ToWorld(true));
    holder->SetRoleIndex(1);
    mate->SetRoleIndex(2);
    GiveBallTo(*holder);
    Decide();
    EXPECT_EQ(Code(holder), 1);
    EXPECT_EQ(holder->GetBrain()->GetOrder().target, mate);
    // The strategy's place for role 1 lies at -0.3 along: behind a holder at 0.2.
    Put(*mate, PitchPosition(-0.6f, 0.3f).ToWorld(true), 0.0f, ActorNodes::stand);
    Put(*holder, PitchPosition(0.2f, 0.0f).ToWorld(true), 0.0f, ActorNodes::standwithball);
    if (!holder->GetActor()->HasBall())
        GiveBallTo(*holder);
    Decide();
    EXPECT_EQ(Code(holder), 4);
    EXPECT_LT((holder->GetBrain()->GetOrder().point - PitchPosition(1.0f, 0.0f).ToWorld(true)).Length(), 1e-3f);
    // Behind his place, he runs on to it.
    Put(*holder, PitchPosition(-0.5f, 0.0f).ToWorld(true), 0.0f, ActorNodes::standwithball);
    Put(*mate, PitchPosition(-0.9f, 0.3f).ToWorld(true), 0.0f, ActorNodes::stand);
    if (!holder->GetActor()->HasBall())
        GiveBallTo(*holder);
    Decide();
    EXPECT_EQ(Code(holder), 4);
    EXPECT_LT((holder->GetBrain()->GetOrder().point - PitchPosition(-0.3f, 0.0f).ToWorld(true)).Length(), 1e-3f);
}

// A manager not yet given the match's measures, or with no ball on the pitch, orders nobody.
TEST_F(TeamOrdersTest, WithoutTheMatchsMeasuresOrABallNobodyIsOrdered)
{
    Character* player = Add(home, {});
    TeamManager unready;
    unready.SetTeam(home);
    unready.SetStrategy("Classic-Normal");
    unready.DecideOrders(1.0f / 60.0f);
    EXPECT_EQ(Code(player), kUntouched);
    CarriedBall* const onPitch = ActorSurroundings::ball;
    ActorSurroundings::ball = nullptr;
    Decide();
    ActorSurroundings::ball = onPitch;
    EXPECT_EQ(Code(player), kUntouched);
}

// A computer holder with the energy for it tries his special move only near the centre.
TEST_F(TeamOrdersTest, ASpecialMoveStartsOnlyWithinItsCircleAndForTheComputer)
{
    Character* holder = Add(home, {});
    Add(home, PitchPosition(0.9f, 0.9f).ToWorld(true));
    holder->GetVariation()->energy.current = 100.0f;
    // The circle's centre moved up the pitch.
    GameSettings::Instance()->aiSpecialMoveCentreYOffset = 0.3f;
    const float radius = GameSettings::Instance()->aiSpecialMovePitchRadius, centre = 0.3f;
    struct Case {
        float along;
        const char* brain;
        bool special;
    } cases[] = {{centre + radius - 0.1f, "ai", true},
                 {centre - radius - 0.1f, "ai", false},
                 {centre + radius + 0.1f, "ai", false},
                 {centre, "(0):", false}};
    for (const Case& c : cases) {
        holder->GetBrain()->SetName(c.brain);
        Put(*holder, PitchPosition(c.along, 0.0f).ToWorld(true), 0.0f, ActorNodes::standwithball);
        if (!holder->GetActor()->HasBall())
            GiveBallTo(*holder);
        ball.SetPosition(holder->GetActor()->GetPosition());
        // So long a step that the move's chance is certain.
        Decide(1000.0f);
        EXPECT_EQ(Code(holder) == 9, c.special) << c.along << " " << c.brain << " gave " << Code(holder);
    }
    GameSettings::Instance()->aiSpecialMoveCentreYOffset = 0.0f;
}

// A side rolls for aggression once per "Time between aggression changes": at 30 it goes in
// for the tackle in about three of ten rolls, and never while it has the ball.
TEST_F(TeamOrdersTest, TheAggressionRollComesOutAtTheSidesShareAndDropsWithTheBall)
{
    Character* defender = Add(home, {0.0f, 0.0f, 0.0f});
    Character* holder = Add(away, {2.0f, 0.0f, 0.0f});
    GiveBallTo(*holder);
    home->SetAggression(30.0f);
    Random::Seed(7);
    int aggressive = 0;
    constexpr int kRolls = 400;
    for (int i = 0; i < kRolls; ++i) {
        Decide(2.0f);
        aggressive += manager->IsAggressive();
    }
    EXPECT_NEAR(static_cast<float>(aggressive) / kRolls, 0.3f, 0.07f);
    // Own ball: not aggressive, whatever the roll.
    home->SetAggression(100.0f);
    Decide(2.0f);
    ASSERT_TRUE(manager->IsAggressive());
    holder->GetActor()->ReleaseBall();
    ball.ReleasePossession(1);
    GiveBallTo(*defender);
    Decide();
    EXPECT_FALSE(manager->IsAggressive());
}

// Each side counts its own red cards, whichever end it plays to: one of them keeps its carded
// players from tackling, one of the other side's does not.
TEST_F(TeamOrdersTest, EachSideReadsItsOwnRedCardsAtEitherEnd)
{
    // Each is the carded defender of his side and the holder for the other.
    Character* const players[2] = {Add(home, {0.0f, 0.0f, 0.0f}), Add(away, {2.0f, 0.0f, 0.0f})};
    for (Character* player : players) {
        player->SetRoleIndex(2);
        player->SetBooked(true);
    }
    struct Case {
        int side;
        bool firstSide;
    };
    for (const Case& c : {Case{0, true}, Case{0, false}, Case{1, false}, Case{1, true}}) {
        SCOPED_TRACE(testing::Message() << "side " << c.side << ", first-side flag " << c.firstSide);
        SoccerTeam* own = c.side == 0 ? home : away;
        own->SetFirstSide(c.firstSide);
        (c.side == 0 ? away : home)->SetFirstSide(!c.firstSide);
        own->SetAggression(100.0f);
        TeamManager* orders = pitch->GetTeamManager(c.side);
        orders->SetStrategy("Classic-Normal");
        Character* defender = players[c.side];
        for (Character* player : players)
            player->GetActor()->ReleaseBall();
        ball.ReleasePossession(1);
        GiveBallTo(*players[1 - c.side]);
        const auto decide = [&] {
            pitch->GetUtilityRegistry()->ClearCaches();
            orders->DecideOrders(2.0f);
        };
        MatchStatistics::Instance()->Reset();
        MatchStatistics::Instance()->redCards[1 - c.side] = 1;
        decide();
        EXPECT_EQ(Code(defender), 6);
        MatchStatistics::Instance()->redCards[c.side] = 1;
        decide();
        EXPECT_EQ(Code(defender), 3);
    }
}

// With the computer switched off every member stands at his place on the touch line.
TEST_F(TeamOrdersTest, SwitchedOffTheSideLinesUpOnTheTouchLine)
{
    GameSettings::Instance()->aiDeactivate = true;
    Character* player = Add(home, {0.0f, 0.0f, 0.0f});
    ball.SetPosition({10.0f, ball.GetRadius(), 0.0f});
    Decide();
    GameSettings::Instance()->aiDeactivate = false;
    EXPECT_EQ(Code(player), 0);
    const float across = PitchPosition::FromWorld(player->GetBrain()->GetOrder().point, true).z;
    EXPECT_NEAR(across, 1.0f, 1e-4f);
}

// A holder already in his special move runs on at the goal he attacks.
TEST_F(TeamOrdersTest, AHolderInHisSpecialMoveRunsAtTheGoal)
{
    Character* holder = Add(home, {});
    Put(*holder, {}, 0.0f, ActorNodes::specialmove);
    GiveBallTo(*holder);
    ball.SetPosition(holder->GetActor()->GetPosition());
    Decide();
    EXPECT_EQ(Code(holder), 0);
    EXPECT_LT((holder->GetBrain()->GetOrder().point - holder->GetBrain()->GetGoalCentre()).Length(), 1e-3f);
}

} // namespace

namespace {

// Where the holder stands and where the ball lies, in his side's pitch coordinates.
class TeamOrdersEdgeTest : public TeamOrdersTest {
protected:
    void Hold(Character& holder, const PitchPosition& at, const PitchPosition& ballAt)
    {
        Put(holder, at.ToWorld(true), 0.0f, ActorNodes::standwithball);
        if (!holder.GetActor()->HasBall())
            GiveBallTo(holder);
        ball.SetPosition(ballAt.ToWorld(true) + Vector3{0.0f, ball.GetRadius(), 0.0f});
    }
    // Both read back exactly, as a case on an edge needs.
    static ::testing::AssertionResult Exactly(const Vector3& world, const PitchPosition& expected)
    {
        const PitchPosition read = PitchPosition::FromWorld(world, true);
        if (read.x == expected.x && read.z == expected.z)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "reads back as " << read.x << ", " << read.z;
    }
};

// The shooting zone and the special move's circle end where they start to be outside: a ball
// on the end line or the touch line starts neither, a holder on the circle's rim no special
// move, a score of exactly 0.8 no shot.
TEST_F(TeamOrdersEdgeTest, ABallOnALineOrAHolderOnTheCirclesRimCountsAsOutside)
{
    Character* holder = Add(home, {});
    Add(home, PitchPosition(-0.9f, 0.9f).ToWorld(true));
    holder->GetVariation()->energy.current = 100.0f;
    GameSettings& s = *GameSettings::Instance();
    ASSERT_EQ(s.aiSpecialMoveCentreYOffset, 0.0f);
    ASSERT_EQ(s.aiSpecialMovePitchRadius, 0.5f);
    const struct {
        const char* what;
        PitchPosition at, ball;
        bool shoots, special, edge;
    } cases[] = {
        {"the ball just short of the end line", {0.9f, 0.0f}, {0.99f, 0.0f}, true, false, false},
        {"the ball on the end line", {0.9f, 0.0f}, {1.0f, 0.0f}, false, false, true},
        {"the ball just inside the touch line", {0.9f, 0.0f}, {0.9f, 0.99f}, true, false, false},
        {"the ball on the touch line", {0.9f, 0.0f}, {0.9f, 1.0f}, false, false, true},
        {"within the circle", {-0.49f, 0.0f}, {-0.49f, 0.0f}, false, true, false},
        {"on the circle's rim", {-0.5f, 0.0f}, {-0.5f, 0.0f}, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Hold(*holder, c.at, c.ball);
        if (c.edge) {
            ASSERT_TRUE(Exactly(ball.GetPosition(), c.ball));
            ASSERT_TRUE(Exactly(holder->GetActor()->GetPosition(), c.at));
        }
        // So long a step that the move's chance is certain.
        Decide(1000.0f);
        EXPECT_EQ(std::pair(Code(holder) == 5, Code(holder) == 9), std::pair(c.shoots, c.special)) << Code(holder);
    }

    // The holder moved up until his shooting score is exactly 0.8, then a step further.
    holder->GetVariation()->energy.current = 0.0f;
    Decision zone;
    zone.AddPart({"DistanceAlongPitch", false, 2.0f});
    zone.AddPart({"DistanceAcrossPitch", true, 1.0f});
    const auto score = [&] {
        pitch->GetUtilityRegistry()->ClearCaches();
        return zone.Score(holder, *pitch->GetUtilityRegistry());
    };
    Hold(*holder, {0.3999f, 0.0f}, {0.3999f, 0.0f});
    const Vector3 up = PitchPosition(1.0f, 0.0f).ToWorld(true) - PitchPosition(0.0f, 0.0f).ToWorld(true);
    Vector3 at = holder->GetActor()->GetPosition();
    ASSERT_LT(score(), 0.8f);
    for (int step = 0; step < 100000 && score() < 0.8f; ++step) {
        at.x = std::nextafter(at.x, up.x > 0.0f ? 1e9f : -1e9f);
        holder->GetActor()->SetPosition(at);
    }
    ASSERT_EQ(score(), 0.8f);
    Decide();
    EXPECT_NE(Code(holder), 5);
    while (score() == 0.8f) {
        at.x = std::nextafter(at.x, up.x > 0.0f ? 1e9f : -1e9f);
        holder->GetActor()->SetPosition(at);
    }
    Decide();
    EXPECT_EQ(Code(holder), 5);
}

// The side rolls again once its timer has run down to 0, and a roll of exactly its aggression
// makes it aggressive.
TEST_F(TeamOrdersEdgeTest, TheAggressionRollComesAtZeroAndItsShareIsInclusive)
{
    Add(home, {});
    Character* holder = Add(away, {2.0f, 0.0f, 0.0f});
    GiveBallTo(*holder);
    const float between = GameSettings::Instance()->timeBetweenAggressionChanges;
    home->SetAggression(-1.0f);
    Decide(2.0f * between);
    ASSERT_FALSE(manager->IsAggressive());
    ASSERT_EQ(manager->GetAggressionTimer(), between);
    home->SetAggression(100.0f);
    Decide(0.5f * between);
    EXPECT_FALSE(manager->IsAggressive());
    Decide(0.5f * between);
    EXPECT_TRUE(manager->IsAggressive()) << "timer " << manager->GetAggressionTimer();

    for (const auto& [below, aggressive] : {std::pair(true, false), std::pair(false, true)}) {
        SCOPED_TRACE(below ? "a roll above the aggression" : "a roll of exactly the aggression");
        Random::Seed(3);
        const float roll = std::abs(Random::Unit()) * 100.0f;
        Random::Seed(3);
        home->SetAggression(below ? std::nextafter(roll, -1.0f) : roll);
        Decide(2.0f * between);
        EXPECT_EQ(manager->IsAggressive(), aggressive);
    }
}

// A special move's chance in a step of dt is dt / "aiAverageTimeBetweenSpecialMoves": a draw of
// exactly that starts it, a draw above it does not.
TEST_F(TeamOrdersEdgeTest, ASpecialMoveStartsOnADrawOfExactlyItsChance)
{
    Character* holder = Add(home, {});
    Add(home, PitchPosition(-0.9f, 0.9f).ToWorld(true));
    holder->GetVariation()->energy.current = 100.0f;
    GameSettings& s = *GameSettings::Instance();
    const float average = s.aiAverageTimeBetweenSpecialMoves;
    // Short steps, so that the side's aggression timer, kept at a second while it holds the
    // ball, draws nothing in between.
    s.aiAverageTimeBetweenSpecialMoves = 0.5f;
    Hold(*holder, {0.0f, 0.0f}, {0.0f, 0.0f});
    Decide();
    for (const auto& [above, special] : {std::pair(true, false), std::pair(false, true)}) {
        SCOPED_TRACE(above ? "a draw above the chance" : "a draw of exactly the chance");
        Random::Seed(5);
        const float draw = Random::Unit();
        float dt = draw * s.aiAverageTimeBetweenSpecialMoves;
        for (int i = 0; i < 100 && dt / s.aiAverageTimeBetweenSpecialMoves != draw; ++i)
            dt = std::nextafter(dt, dt / s.aiAverageTimeBetweenSpecialMoves < draw ? 1.0f : 0.0f);
        ASSERT_EQ(dt / s.aiAverageTimeBetweenSpecialMoves, draw);
        if (above)
            dt = std::nextafter(dt, 0.0f);
        ASSERT_GT(manager->GetAggressionTimer(), dt);
        Random::Seed(5);
        Decide(dt);
        EXPECT_EQ(Code(holder) == 9, special) << Code(holder);
    }
    s.aiAverageTimeBetweenSpecialMoves = average;
}

} // namespace
