// The order step: which order each member of a side gets from the ball, the score of the
// measures and the side's aggression.
#include "ai/TeamManager.h"
#include "ai/TeamStrategy.h"
#include "ai/Utilities.h"
#include "ai/UtilityRegistry.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "match/MatchStatistics.h"
#include "simulation/pitch/PitchSimulation.h"
#include "support/ActorTestSupport.h"
#include "support/CharacterCast.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr int32_t kUntouched = 42;

class TeamOrdersTest : public KickAbout {
protected:
    void SetUp() override
    {
        KickAbout::SetUp();
        pitch = PitchSimulation::Instance();
        home = pitch->GetTeam(0);
        away = pitch->GetTeam(1);
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
        KickAbout::TearDown();
        CastManager::Instance()->DeleteAll();
    }

    Character* Add(SoccerTeam* team, const Vector3& at, int32_t kind = Character::kFieldPlayer)
    {
        auto owned = std::make_unique<Character>(kind, kind == Character::kGoalkeeper ? "PandaGk00" : "PandaPl00", team);
        Character* character = owned.get();
        team->AddPlayer(std::move(owned));
        character->GetActor()->PlaceInState(at, 0.0f, new ActorState(ActorNodes::stand));
        character->GetBrain()->SetName("ai");
        character->GetBrain()->GetOrder().code = kUntouched;
        return character;
    }
    void GiveBallTo(Character& holder)
    {
        ball.SetVelocity({});
        ASSERT_TRUE(ball.TakePossession(&holder));
        holder.GetActor()->TakeBall(&ball);
    }
    void Decide(float dt = 1.0f / 60.0f)
    {
        pitch->GetUtilityRegistry()->ClearCaches();
        manager->DecideOrders(dt);
    }
    static int32_t Code(const Character* player) { return player->GetBrain()->GetOrder().code; }

    PitchSimulation* pitch = nullptr;
    SoccerTeam* home = nullptr;
    SoccerTeam* away = nullptr;
    TeamManager* manager = nullptr;
    CharacterCast cast{StagePath("Characters.txt")};
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

} // namespace
