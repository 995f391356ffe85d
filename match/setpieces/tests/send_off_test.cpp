// Players walked off and on at the touch line on the harness: when each state ends, who is
// held meanwhile, a sent-off player gone for good, and a substitute taken off the bench.
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/State.h"
#include "frontend/TBMenu.h"
#include "game/GameTB.h"
#include "game/harness/MatchSides.h"
#include "match/PlayerHold.h"
#include "match/setpieces/SendOffPlayer.h"
#include "pitch/CameraStack.h"
#include "pitch/PitchSimulation.h"
#include "settings/MatchSettings.h"
#include "simulation/Ball.h"
#include "support/MatchOnHarness.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDt = GameHarness::kFrameTime;

float Distance(const Character* player, const Vector3& to) { return (player->GetActor()->GetPosition() - to).Length(); }

void Place(Character* player, const Vector3& at)
{
    player->GetActor()->PlaceInState(at, 0.0f, new ActorState(ActorNodes::stand));
}

// Who the state holds, frame by frame: the listed players free and out of play, everybody
// else and the referee held, the ball out of play and the field players off it.
struct Holds {
    bool listedFree = true;
    bool othersHeld = true;
    bool outOfPlay = true;
    bool onlyKeepersTouch = true;  // the ball-touch flag, kept by keepers only
};

Holds Watch(setpiecetest::MatchOnHarness& test, const std::vector<Character*>& listed, int cap, int* frames)
{
    Holds holds;
    *frames = test.RunWith(cap, [&](int) {
        for (Character* player : PlayerHold::AllPlayers()) {
            const bool isListed = std::find(listed.begin(), listed.end(), player) != listed.end();
            if (isListed)
                holds.listedFree = holds.listedFree && !PlayerHold::IsHeld(player) && !player->GetActor()->inPlay;
            else
                holds.othersHeld = holds.othersHeld && PlayerHold::IsHeld(player);
        }
        holds.othersHeld = holds.othersHeld && PlayerHold::IsHeld(PitchSimulation::Instance()->GetReferee());
        holds.outOfPlay = holds.outOfPlay && !PitchSimulation::Instance()->GetBall()->IsInPlay();
        for (Character* player : PlayerHold::AllPlayers())
            holds.onlyKeepersTouch = holds.onlyKeepersTouch &&
                                     player->GetActor()->ballContact == (player->GetKind() == Character::kGoalkeeper);
    });
    return holds;
}

void ExpectAllReleased()
{
    for (Character* player : PlayerHold::AllPlayers()) {
        EXPECT_FALSE(PlayerHold::IsHeld(player));
        EXPECT_TRUE(player->GetActor()->inPlay);
        EXPECT_TRUE(player->GetActor()->ballContact);
    }
    EXPECT_FALSE(PlayerHold::IsHeld(PitchSimulation::Instance()->GetReferee()));
    EXPECT_TRUE(PitchSimulation::Instance()->GetBall()->IsInPlay());
}

class SendOffTest : public setpiecetest::MatchOnHarness {
protected:
    void SetUp() override
    {
        MatchOnHarness::SetUp();
        ResetSides();
    }
};

}  // namespace

TEST_F(SendOffTest, WithoutTheCameraItEndsWhenNobodyIsOnScreenOrAtTheTrackTime)
{
    const float trackTime = MatchSettings::Instance()->maxCameraTrackTime;
    MatchSettings::Instance()->maxCameraTrackTime = 0.5f;
    const Vector3 far{0.0f, 0.0f, -2000.0f};
    const struct {
        Vector3 at;  // where the player stands, and his spawn point
        float minimum;
        float seconds;
    } cases[] = {
        {far, 0.0f, kDt},            // out of sight from the start
        {far, 0.25f, 0.25f},         // out of sight, kept for the minimum time
        {Vector3{}, 0.0f, 0.5f},     // in sight at his spawn point: the track time
        {Vector3{}, 1.0f, 1.0f},     // the minimum time outlasts the track time
    };
    for (const auto& c : cases) {
        ResetSides();
        Character* player = &Player(0, 2);
        Place(player, c.at);
        SetSpawnPoints(c.at, c.at);
        const size_t stack = CameraStack::Current()->GetCameraStack().size();
        harness->MakeCurrent(new SendOffPlayer({player}, false, false, false, c.minimum));
        EXPECT_EQ(CameraStack::Current()->GetCameraStack().size(), stack + 1);
        int frames = 0;
        const Holds holds = Watch(*this, {player}, 300, &frames);
        EXPECT_TRUE(StateEnded());
        EXPECT_NEAR(frames * kDt, c.seconds, kDt * 1.01f) << c.at.z << " " << c.minimum;
        EXPECT_TRUE(holds.listedFree && holds.othersHeld && holds.outOfPlay && holds.onlyKeepersTouch);
        EXPECT_EQ(CameraStack::Current()->GetCameraStack().size(), stack);
        EXPECT_TRUE(Side(0).Contains(player));
        ExpectAllReleased();
    }
    MatchSettings::Instance()->maxCameraTrackTime = trackTime;
}

TEST_F(SendOffTest, ARedCardLastsFiveSecondsAndThePlayerIsGoneForGood)
{
    Character* player = &Player(0, 2);
    Place(player, {0.0f, 0.0f, 20.0f});
    SetSpawnPoints({0.0f, 0.0f, 60.0f}, {0.0f, 0.0f, 60.0f});
    const int32_t count = Side(0).GetPlayerCount();
    // A team-mate's pass and an opponent's challenge still aimed at him.
    CharacterBrain& mate = *Player(0, 3).GetBrain();
    CharacterBrain& opponent = *Player(1, 2).GetBrain();
    mate.GetOrder() = TeamOrder{TeamOrder::kPass, Vector3{}, player};
    opponent.GetOrder() = TeamOrder{TeamOrder::kTackle, Vector3{}, player};
    harness->MakeCurrent(new SendOffPlayer({player}, true, false, false, 5.0f));
    Vector3 last;
    int frames = 0;
    frames = RunWith(600, [&](int) { last = player->GetActor()->GetPosition(); });
    EXPECT_TRUE(StateEnded());
    EXPECT_NEAR(frames * kDt, 5.0f, kDt * 1.01f);
    EXPECT_GT(last.z, 25.0f) << "he walked towards the spawn point";
    EXPECT_EQ(Side(0).GetPlayerCount(), count - 1);
    ExpectAllReleased();
    EXPECT_EQ(mate.GetOrder().target, nullptr);
    EXPECT_EQ(opponent.GetOrder().target, nullptr);

    // Nothing of him is left in the way: the ball rolls through where he stood.
    Ball* ball = PitchSimulation::Instance()->GetBall();
    ball->SetPosition(last - Vector3{3.0f, 0.0f, 0.0f});
    ball->SetVelocity({8.0f, 0.0f, 0.0f});
    for (int i = 0; i < 60; ++i)
        PitchSimulation::Instance()->Update(kDt, PitchSimulation::kUpdateAll & ~PitchSimulation::kUpdateClock);
    EXPECT_GT(ball->GetPosition().x, last.x + 1.0f);
    EXPECT_FALSE(ball->IsHeld());
}

TEST_F(SendOffTest, AHeldSendOffNeverEndsByItselfButEndsWithTheBannerBesideIt)
{
    Character* player = &Player(1, 3);
    const Vector3 spawn = GetSpawnPoint(&Side(1));
    const float before = Distance(player, spawn);
    auto* walk = new SendOffPlayer({player}, false, false, true, 0.0f);
    EXPECT_TRUE(walk->WaitsForOwner());
    EXPECT_EQ(Run(walk, 240), 240);
    EXPECT_FALSE(StateEnded());
    EXPECT_LT(Distance(player, spawn), before - 3.0f) << "he keeps walking";

    auto* show = new ParallelState;
    show->AddState(new TBIngameMessageMenu("message_redcard", 0.5f));
    show->AddState(new SendOffPlayer({&Player(0, 1)}, false, false, true, 0.0f));
    const int frames = Run(show, 240);
    EXPECT_TRUE(StateEnded());
    // The banner's half second, then its fade-out.
    EXPECT_GT(frames * kDt, 0.5f + kDt);
    EXPECT_LT(frames * kDt, 1.5f);
    ExpectAllReleased();
}

TEST_F(SendOffTest, FollowedByTheCameraItEndsOnceEveryoneHasArrived)
{
    Character* first = &Player(0, 1);
    Character* second = &Player(0, 3);
    const Vector3 spawn{20.0f, 0.0f, 10.0f};
    SetSpawnPoints(spawn, spawn);
    harness->MakeCurrent(new SendOffPlayer({first, second}, false, true, false, 0.0f));
    int frames = 0;
    Watch(*this, {first, second}, 900, &frames);
    EXPECT_TRUE(StateEnded());
    EXPECT_LE(Distance(first, spawn), SendOffPlayer::kArrivalDistance);
    EXPECT_LE(Distance(second, spawn), SendOffPlayer::kArrivalDistance);
    EXPECT_GT(frames, 10);
    ExpectAllReleased();
}

TEST_F(SendOffTest, SendingInEndsOnTheFrameEveryoneIsWithinReach)
{
    const struct {
        float away;  // from each player to his target
        bool atOnce;
    } cases[] = {{3.0f, true}, {15.0f, false}};
    for (const auto& c : cases) {
        ResetSides();
        const std::vector<Character*> players = {&Player(1, 1), &Player(1, 2)};
        std::vector<Vector3> targets;
        for (Character* player : players)
            targets.push_back(player->GetActor()->GetPosition() + Vector3{-c.away, 0.0f, 0.0f});
        harness->MakeCurrent(new SendInPlayer(players, targets));
        int frames = 0;
        const Holds holds = Watch(*this, players, 600, &frames);
        EXPECT_TRUE(StateEnded());
        EXPECT_EQ(frames == 1, c.atOnce) << frames;
        for (size_t i = 0; i < players.size(); ++i)
            EXPECT_LE(Distance(players[i], targets[i]), SendOffPlayer::kArrivalDistance);
        EXPECT_TRUE(holds.listedFree && holds.othersHeld && holds.outOfPlay);
        ExpectAllReleased();
    }
}

TEST_F(SendOffTest, ASubstituteComesOffTheBenchOntoTheSpawnPoint)
{
    SoccerTeam* team = &Side(0);
    Character* outgoing = &Player(0, 2);
    auto* substitute = new Character(Character::kFieldPlayer, Player(0, 3).GetVariation()->GetName(), team);
    team->SendToBench(substitute);
    const int32_t count = team->GetPlayerCount();
    const int32_t role = outgoing->GetRoleIndex();
    const Vector3 spawn{10.0f, 0.0f, 36.0f};
    EXPECT_EQ(Run(new Substitution(outgoing, substitute), 10), 1);
    EXPECT_TRUE(team->Contains(substitute));
    EXPECT_TRUE(team->GetBench().empty());
    EXPECT_EQ(team->GetPlayerCount(), count);
    EXPECT_EQ(substitute->GetRoleIndex(), role);
    EXPECT_LT(Distance(substitute, spawn), 0.5f);
    EXPECT_STREQ(substitute->GetActor()->GetStateName(), "startrun");
    // Nobody to swap in, or nobody to swap out: nothing changes.
    EXPECT_EQ(Run(new Substitution(substitute, nullptr), 10), 1);
    EXPECT_EQ(Run(new Substitution(nullptr, &Player(0, 1)), 10), 1);
    EXPECT_TRUE(team->Contains(substitute));
    EXPECT_EQ(team->GetPlayerCount(), count);
    // The team alone owns him now: emptying the sides deletes him once.
    PitchSimulation::Instance()->RecreateTeams();
    EXPECT_EQ(Side(0).GetPlayerCount(), 0);
}
