// The dribbling drill on the first level: a try's outcome for each thing that can end it,
// the defenders' orders, their Speed kept, and the frame's marks and points.
#include "audio/SoundEngine.h"
#include "audio/Voice.h"
#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/CharacterBrain.h"
#include "framework/MathUtil.h"
#include "framework/Message.h"
#include "frontend/training/TrainingDribblings.h"
#include "game/GameTB.h"
#include "match/penalties/PenaltyDisplayControl.h"
#include "scene/Clump.h"
#include "scene/GameElementRegistry.h"
#include "scene/GameElements.h"
#include "settings/PitchCoordinates.h"
#include "settings/TrainingSettings.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"
#include "support/DrillPitch.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr float kDt = GameHarness::kFrameTime;
constexpr int kCap = 600;

void Send(const char* name, intptr_t param = 0)
{
    MessageServer* server = MessageServer::Instance();
    server->SendMessage(0, server->RegisterMessage(name), param);
}

class DribblingTest : public DrillPitch {
protected:
    void SetUp() override
    {
        DrillPitch::SetUp();
        // The dribbler, then the four others of the team, the keeper built as a field player.
        ASSERT_TRUE(Load(Members({1}, false), Members({0, 2, 3, 4}, false)));
    }

    // The player moves the dribbler a step ahead, ball and all.
    static void SetOff()
    {
        Actor* dribbler = Player(0, 0)->GetActor();
        const PitchPosition at = PitchPosition::FromWorld(dribbler->GetPosition(), true);
        dribbler->PlaceInState(PitchPosition(at.x + 0.01f, at.z).ToWorld(true), dribbler->GetHeading(),
                               new ActorState(ActorNodes::stand));
    }
    // Frames until the try's start delay is over, or the cap.
    static void SitOutDelay(Dribbling& attempt)
    {
        for (int frame = 0; frame < kCap && attempt.IsDelaying(); ++frame)
            attempt.Update(kDt);
    }
    // A try entered and settled as the frame does it, run until its start delay is over and
    // the player has set off.
    static void StartTry(Dribbling& attempt)
    {
        attempt.Enter();
        attempt.Update(0.1f);
        SitOutDelay(attempt);
        SetOff();
        attempt.Update(kDt);
    }
    // Frames until the try ends, or the cap.
    static int RunOut(Dribbling& attempt)
    {
        int frames = 0;
        while (frames < kCap && attempt.Update(kDt) == &attempt)
            ++frames;
        return frames;
    }
};

TEST_F(DribblingTest, EachEventDecidesTheTryOnceAndOnlyAfterTheStartDelay)
{
    SoccerTeam* own = PitchSimulation::Instance()->GetTeam(0);
    SoccerTeam* other = PitchSimulation::Instance()->GetTeam(1);
    Ball::Goal ownGoal{own, nullptr}, theirGoal{other, nullptr};
    Character::CollisionReport bumped{nullptr, nullptr}, bystander{nullptr, nullptr};
    const struct Case {
        const char* name;
        std::vector<std::pair<const char*, const void*>> events;
        int32_t result;
        int32_t goals;
    } cases[] = {
        {"a goal for the dribbler", {{"goal scored", &ownGoal}}, Dribbling::kPassed, 1},
        {"a shot that goes in", {{"did shot", nullptr}, {"goal scored", &ownGoal}}, Dribbling::kFailed, 0},
        {"an own goal", {{"goal scored", &theirGoal}}, Dribbling::kFailed, 0},
        {"a pass", {{"did pass", nullptr}}, Dribbling::kFailed, 0},
        {"the ball out far", {{"out of bounds far", nullptr}}, Dribbling::kFailed, 0},
        {"the ball out across", {{"out of bounds across", nullptr}}, Dribbling::kFailed, 0},
        {"the dribbler runs into a defender", {{"actor collision", &bumped}}, Dribbling::kFailed, 0},
        {"two defenders collide", {{"actor collision", &bystander}, {"goal scored", &ownGoal}}, Dribbling::kPassed, 1},
    };
    for (const Case& c : cases) {
        own->SetGoals(0);
        int32_t result = -1;
        Dribbling attempt(&result);
        attempt.Enter();
        // Still in the start delay: nothing counts.
        Send("goal scored", reinterpret_cast<intptr_t>(&theirGoal));
        const int32_t early = result;
        StartTry(attempt);
        Actor* dribbler = Player(0, 0)->GetActor();
        bumped = {dribbler, Player(1, 0)->GetActor()};
        bystander = {Player(1, 0)->GetActor(), Player(1, 1)->GetActor()};
        for (const auto& [name, param] : c.events)
            Send(name, reinterpret_cast<intptr_t>(param));
        EXPECT_EQ(early, Dribbling::kRunning) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(own->GetGoals(), c.goals) << c.name;
        EXPECT_EQ(std::string(dribbler->GetStateName()) == "fallover",
                  std::string(c.name) == "the dribbler runs into a defender")
            << c.name;
        // The try ends by itself 1.5 s after its outcome, nothing changing it meanwhile.
        Send("goal scored", reinterpret_cast<intptr_t>(&ownGoal));
        const int frames = RunOut(attempt);
        EXPECT_NEAR(frames * kDt, Dribbling::kDelaySeconds, 3 * kDt) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
        attempt.Exit();
    }
}

TEST_F(DribblingTest, ATrysClockStartsAfreshAtPlayRateAndItsStartFrameRunsThePitchTwice)
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    const float matchRate = 20.0f;
    pitch->ResetMatchClock(&matchRate);
    pitch->GetClock()->SetTime(600.0f);
    int32_t result = -1;
    Dribbling attempt(&result);
    attempt.Enter();
    const float atEnter = pitch->GetClock()->GetTime();
    float played = 0.0f;
    for (int frame = 0; frame < kCap && attempt.IsDelaying(); ++frame) {
        attempt.Update(kDt);
        played += kDt;
    }
    const float afterDelay = pitch->GetClock()->GetTime();
    SetOff();
    attempt.Update(kDt);
    const float atStart = pitch->GetClock()->GetTime();
    attempt.Update(kDt);
    const float afterStart = pitch->GetClock()->GetTime();
    attempt.Exit();

    EXPECT_EQ(atEnter, 0.0f);
    EXPECT_NEAR(played, Dribbling::kDelaySeconds, 2 * kDt);
    EXPECT_NEAR(afterDelay, played, 1e-4f);
    EXPECT_NEAR(atStart - afterDelay, 2 * kDt, 1e-4f);
    EXPECT_NEAR(afterStart - atStart, kDt, 1e-4f);
}

TEST_F(DribblingTest, TheDribblerStartsWithTheBallAndLosingItFailsTheTry)
{
    int32_t result = -1;
    Dribbling attempt(&result);
    StartTry(attempt);
    Actor* dribbler = Player(0, 0)->GetActor();
    const PitchPosition start = PitchPosition::FromWorld(dribbler->GetPosition(), true);
    const bool held = dribbler->HasBall();
    dribbler->ReleaseBall();
    PitchSimulation::Instance()->GetBall()->SetPosition(Vector3(0.0f, 5.0f, 0.0f));
    attempt.Update(kDt);
    attempt.Exit();

    EXPECT_TRUE(held);
    EXPECT_NEAR(start.x, -0.9f, 0.02f);
    EXPECT_NEAR(start.z, 0.0f, 0.02f);
    EXPECT_EQ(result, Dribbling::kFailed);
}

// Playing voices of the sound event.
int Playing(const char* event)
{
    SoundEngine* sounds = SoundEngine::Instance();
    int count = 0;
    for (int i = 0; i < sounds->GetTemporaryVoiceCount(); ++i)
        count += sounds->GetTemporaryVoice(i)->GetEvent() == sounds->FindAudioEvent(event) ? 1 : 0;
    return count;
}

// Left alone after its start delay, a try waits: nothing is decided, no whistle sounds and the
// defenders keep their spots; it starts, with the whistle, when the player sets off. A try lost
// during its delay never starts and is never whistled.
TEST_F(DribblingTest, ATryWaitsForThePlayerAndTheWhistleMarksWhenHeSetsOff)
{
    // Voices without a sound card: made, never cleared, as a try does not run the sound
    // engine's update.
    SoundEngine* sounds = SoundEngine::Instance();
    const bool enabled = sounds->IsEnabled();
    sounds->SetEnabled(true);
    for (const bool lostEarly : {true, false}) {
        const int before = Playing("whistle_long");
        int32_t result = -1;
        Dribbling attempt(&result);
        attempt.Enter();
        attempt.Update(0.1f);
        if (lostEarly) {
            Player(0, 0)->GetActor()->ReleaseBall();
            PitchSimulation::Instance()->GetBall()->SetPosition(Vector3(0.0f, 5.0f, 0.0f));
        }
        SitOutDelay(attempt);
        // Ten seconds left alone.
        for (int frame = 0; frame < kCap; ++frame)
            attempt.Update(kDt);
        const int waiting = Playing("whistle_long") - before;
        const bool startedAlone = attempt.HasStarted();
        const int32_t aloneResult = result;
        std::vector<TeamOrder> orders;
        float defendersMoved = 0.0f;
        for (int i = 0; i < Dribbling::kDefenders; ++i) {
            orders.push_back(Player(1, i)->GetBrain()->GetOrder());
            const PitchPosition at = PitchPosition::FromWorld(Player(1, i)->GetActor()->GetPosition(), false);
            defendersMoved = std::max(defendersMoved, std::fabs(at.x - Dribbling::DefenderSpot(i).x) + std::fabs(at.z));
        }
        if (!lostEarly)
            SetOff();
        attempt.Update(kDt);
        attempt.Update(kDt);
        const int later = Playing("whistle_long") - before;
        const bool started = attempt.HasStarted();
        attempt.Exit();

        EXPECT_EQ(waiting, 0) << lostEarly;
        EXPECT_EQ(startedAlone, lostEarly) << lostEarly;
        EXPECT_EQ(aloneResult, lostEarly ? Dribbling::kFailed : Dribbling::kRunning) << lostEarly;
        EXPECT_LT(defendersMoved, 0.02f) << lostEarly;
        for (int i = 0; i < Dribbling::kDefenders; ++i) {
            EXPECT_EQ(orders[static_cast<size_t>(i)].code, 0) << i;
            EXPECT_LT((orders[static_cast<size_t>(i)].point - Dribbling::DefenderSpot(i).ToWorld(false)).Length(), 0.01f)
                << i;
        }
        EXPECT_TRUE(started) << lostEarly;
        EXPECT_EQ(later, lostEarly ? 0 : 1) << lostEarly;
    }
    sounds->SetEnabled(enabled);
}

TEST_F(DribblingTest, DefendersShadowOnTheirLineUntilTheDribblerComesWithinReach)
{
    // How near along the pitch each defender lets him come before he attacks; he comes from
    // the defenders' far end.
    const float reach[Dribbling::kDefenders] = {0.5f, 0.45f, 0.4f, 0.35f};
    const float lines[Dribbling::kDefenders] = {-0.7f, -0.3f, 0.1f, 0.5f};
    for (int i = 0; i < Dribbling::kDefenders; ++i) {
        const float threshold = lines[i] + reach[i];
        for (const float x : {threshold - 0.3f, threshold - 0.005f, threshold + 0.005f, threshold + 0.6f}) {
            const TeamOrder order = Dribbling::DefenderOrder(i, PitchPosition(x, 0.25f));
            const bool attacks = x < threshold;
            EXPECT_EQ(order.code, attacks ? 6 : 0) << "defender " << i << " at " << x;
            if (attacks)
                continue;
            const PitchPosition at = PitchPosition::FromWorld(order.point, false);
            EXPECT_NEAR(at.x, lines[i], 1e-4f) << "defender " << i;
            EXPECT_NEAR(at.z, 0.25f, 1e-4f) << "defender " << i;
        }
        EXPECT_NEAR(Dribbling::DefenderSpot(i).x, lines[i], 1e-6f);
    }
}

TEST_F(DribblingTest, DefendersStartOnTheirLinesFacingTheDribblerAndEachIsSteeredOnceHeSetsOff)
{
    int32_t result = -1;
    Dribbling attempt(&result);
    attempt.Enter();
    Actor* dribbler = Player(0, 0)->GetActor();
    for (int i = 0; i < Dribbling::kDefenders; ++i) {
        const Actor* defender = Player(1, i)->GetActor();
        const PitchPosition at = PitchPosition::FromWorld(defender->GetPosition(), false);
        EXPECT_NEAR(at.x, Dribbling::DefenderSpot(i).x, 0.02f) << i;
        EXPECT_NEAR(at.z, 0.0f, 0.02f) << i;
        const float turn = std::remainder(defender->GetHeading() - dribbler->GetHeading(), Math::TwoPi);
        EXPECT_NEAR(std::fabs(turn), Math::Pi, 1e-3f) << i;
    }
    // Off the middle and past the first two lines: those two shadow him, the others attack.
    SitOutDelay(attempt);
    dribbler->PlaceInState(PitchPosition(-0.2f, 0.3f).ToWorld(true), dribbler->GetHeading(),
                           new ActorState(ActorNodes::stand));
    attempt.Update(kDt);
    const PitchPosition seen = PitchPosition::FromWorld(dribbler->GetPosition(), false);
    for (int i = 0; i < Dribbling::kDefenders; ++i) {
        const TeamOrder& order = Player(1, i)->GetBrain()->GetOrder();
        const TeamOrder expected = Dribbling::DefenderOrder(i, seen);
        EXPECT_EQ(order.code, i < 2 ? 0 : 6) << i;
        EXPECT_EQ(order.code, expected.code) << i;
        EXPECT_EQ(order.target, order.code == 6 ? Player(0, 0) : nullptr) << i;
        if (order.code == 0) {
            EXPECT_LT((order.point - expected.point).Length(), 0.01f) << i;
        }
    }
    attempt.Exit();
}

TEST_F(DribblingTest, DefendersGetTheirWholeSpeedBackHoweverTheTryEnds)
{
    const float dribblerLevel = Player(0, 0)->GetVariation()->speed.level;
    for (const bool cutShort : {false, true}) {
        std::vector<Statistic> before;
        for (int i = 0; i < Dribbling::kDefenders; ++i) {
            Statistic& speed = Player(1, i)->GetVariation()->speed;
            // Below what a level may be set to, and a current value under the level.
            speed.level = 40.0f + static_cast<float>(i);
            speed.current = 30.0f;
            before.push_back(speed);
        }
        int32_t result = -1;
        auto attempt = std::make_unique<Dribbling>(&result);
        StartTry(*attempt);
        const float during = Player(1, 2)->GetVariation()->speed.level;
        if (cutShort) {
            // Dropped by its holder as a skipped session drops it.
            attempt.reset();
        } else {
            Send("did pass");
            RunOut(*attempt);
            attempt->Exit();
        }
        EXPECT_EQ(during, dribblerLevel);
        for (int i = 0; i < Dribbling::kDefenders; ++i) {
            const Statistic& speed = Player(1, i)->GetVariation()->speed;
            EXPECT_EQ(speed.level, before[static_cast<size_t>(i)].level) << i << (cutShort ? " cut short" : "");
            EXPECT_EQ(speed.current, before[static_cast<size_t>(i)].current) << i << (cutShort ? " cut short" : "");
        }
    }
}

// The cones the drill's text speaks of stand on the dribbler's way while the drill runs, one
// before each defender as he comes, to either side in turn; the ball meets them; they go with
// the drill.
TEST_F(DribblingTest, ConesStandOnTheDribblersWayWhileTheDrillRuns)
{
    auto* drill = new TrainingDribblings();
    Harness().MakeCurrent(drill);
    Harness().Step();  // the first try places the dribbler
    const std::vector<GameElement*> cones = drill->GetCones();
    std::vector<Vector3> spots;
    for (GameElement* cone : cones)
        if (auto* model = dynamic_cast<ClumpElement*>(cone)) {
            std::vector<RpAtomic*> atomics;
            model->GetClump()->GetAtomics(atomics);
            EXPECT_FALSE(atomics.empty()) << "the cone's model loads";
            spots.push_back(model->GetPosition());
        }
    ASSERT_EQ(spots.size(), static_cast<size_t>(TrainingDribblings::kCones));
    // Seen from the dribbler's side: ahead of him, each before the next defender's line.
    const float start = PitchPosition::FromWorld(Player(0, 0)->GetActor()->GetPosition(), true).x;
    float last = start;
    for (int i = 0; i < TrainingDribblings::kCones; ++i) {
        const PitchPosition spot = PitchPosition::FromWorld(spots[static_cast<size_t>(i)], true);
        const float defenderLine = PitchPosition::FromWorld(Dribbling::DefenderSpot(Dribbling::kDefenders - 1 - i).ToWorld(false), true).x;
        EXPECT_GT(spot.x, last) << i;
        EXPECT_LT(spot.x, defenderLine) << i;
        EXPECT_NE(spot.z, 0.0f) << i;
        if (i > 0) {
            EXPECT_LT(spot.z * PitchPosition::FromWorld(spots[static_cast<size_t>(i - 1)], true).z, 0.0f) << i;
        }
        last = spot.x;
    }
    // A ball rolled at the first cone bounces back off it.
    Player(0, 0)->GetActor()->ReleaseBall();
    Ball& ball = *PitchSimulation::Instance()->GetBall();
    ASSERT_FALSE(ball.IsHeld());
    const Vector3 towards = spots[0] - PitchPosition(start, 0.0f).ToWorld(true);
    Vector3 direction = towards;
    direction.y = 0.0f;
    direction.Normalize();
    ball.SetPosition(spots[0] - direction * 2.0f + Vector3(0.0f, ball.GetRadius(), 0.0f));
    ball.SetVelocity(direction * 8.0f);
    for (int frame = 0; frame < 30; ++frame)
        CollisionManager::Instance()->Update(kDt);
    EXPECT_LT((ball.GetPosition() - spots[0]).Dot(direction), 0.0f) << "the ball stays on its side of the cone";

    Harness().MakeCurrent(nullptr);
    const std::vector<GameElement*>& left = GameElementRegistry::Current()->GetGameElements();
    for (GameElement* cone : cones)
        EXPECT_EQ(std::count(left.begin(), left.end(), cone), 0);
}

TEST_F(DribblingTest, ATrysMarkShowsOnceDecidedAndTheWinCheatEndsTheDrillPerfect)
{
    TrainingSettings* settings = TrainingSettings::Instance();
    settings->chosen[0] = Player(0, 0)->GetVariation();
    settings->chosenIndex = 0;
    const int speed = static_cast<int>(settings->chosen[0]->speed.level);
    auto* drill = new TrainingDribblings();
    Harness().MakeCurrent(drill);
    const auto running = [&] { return dynamic_cast<Dribbling*>(drill->GetRound()); };
    ASSERT_TRUE(StepUntil(kCap, [&] { return running() && !running()->IsDelaying(); }));
    Ball::Goal goal{PitchSimulation::Instance()->GetTeam(0), nullptr};
    Send("goal scored", reinterpret_cast<intptr_t>(&goal));
    Harness().Step();
    const std::string decided = PenaltyDisplayControl::DescribeRow(0);
    const bool stillDelaying = running() && running()->IsDelaying();
    Harness().Script().Press(Harness().GetFrame(), "cheat win");
    ASSERT_TRUE(StepUntil(kCap, [&] { return drill->IsFinished(); }));

    EXPECT_EQ(decided, "seeee");
    EXPECT_TRUE(stillDelaying);
    EXPECT_EQ(PenaltyDisplayControl::DescribeRow(0), "sssss");
    EXPECT_EQ(drill->GetPassed(), 5);
    EXPECT_TRUE(drill->IsPerfect());
    EXPECT_EQ(settings->points, 6);
    EXPECT_EQ(Variable("%training_player_subselect_speed%"), std::to_string(speed + 6));
    Harness().MakeCurrent(nullptr);
    EXPECT_EQ(PenaltyDisplayControl::DescribeRow(0), "-----");
}

TEST_F(DribblingTest, TheWinCheatDuringAnUndecidedTryPassesItAndEveryTryLeft)
{
    TrainingSettings* settings = TrainingSettings::Instance();
    settings->chosen[0] = Player(0, 0)->GetVariation();
    settings->chosenIndex = 0;
    auto* drill = new TrainingDribblings();
    Harness().MakeCurrent(drill);
    const auto running = [&] { return dynamic_cast<Dribbling*>(drill->GetRound()); };
    ASSERT_TRUE(StepUntil(kCap, [&] { return running() && !running()->IsDelaying(); }));
    const bool undecided = !running()->IsDelaying();
    Harness().Script().Press(Harness().GetFrame(), "cheat win");
    Harness().Step();
    const bool endedAtOnce = running() == nullptr;
    ASSERT_TRUE(StepUntil(kCap, [&] { return drill->IsFinished(); }));

    EXPECT_TRUE(undecided);
    EXPECT_TRUE(endedAtOnce);
    EXPECT_EQ(PenaltyDisplayControl::DescribeRow(0), "sssss");
    EXPECT_EQ(drill->GetStarted(), 5);
    EXPECT_EQ(drill->GetPassed(), 5);
    EXPECT_EQ(settings->points, 6);
    Harness().MakeCurrent(nullptr);
}

TEST_F(DribblingTest, PointsAreThePassedTriesWithTheBonusOnlyForAll)
{
    const struct {
        int passed, tries, points;
    } cases[] = {{5, 5, 6}, {4, 5, 4}, {0, 5, 0}, {0, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TrainingDribblings::PointsFor(c.passed, c.tries, 1), c.points) << c.passed << " of " << c.tries;
}

}  // namespace
