#include <gtest/gtest.h>

#include "audio/AudioEvent.h"
#include "audio/SoundEngine.h"
#include "audio/Voice.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "input/InputController.h"
#include "scene/Clump.h"
#include "scene/ParticleSystem.h"
#include "scene/ProjectedShadow.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "simulation/Ball.h"
#include "simulation/BallToucher.h"
#include "simulation/CollisionManager.h"
#include "simulation/ReplayEngine.h"
#include "simulation/ShapeCollision.h"
#include "tests/support/LogCapture.h"
#include "tests/support/NullDeviceSuite.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr float kFrame = 1.0f / 60.0f;

std::string StagePath(const std::string& relative) { return std::string(TB_STAGE_DIR) + "/data/pc/" + relative; }

// Stands for a team: the ball only compares team pointers.
struct TeamTag {
    int side;
};
TeamTag g_firstTeam{0}, g_secondTeam{1};

SoccerTeam* TeamOf(TeamTag& tag) { return reinterpret_cast<SoccerTeam*>(&tag); }

class Toucher : public BallToucher {
public:
    explicit Toucher(bool firstSide, bool keeper = false) : m_firstSide(firstSide), m_keeper(keeper) {}
    bool IsKeeper() const override { return m_keeper; }
    SoccerTeam* GetBallTeam() const override { return TeamOf(m_firstSide ? g_firstTeam : g_secondTeam); }
    bool IsOnFirstSide() const override { return m_firstSide; }
    void LetGoOfBall() override { ++letGo; }

    int letGo = 0;

private:
    bool m_firstSide;
    bool m_keeper;
};

std::string SideOf(const SoccerTeam* team)
{
    if (team == TeamOf(g_firstTeam))
        return "first";
    return team == TeamOf(g_secondTeam) ? "second" : "none";
}

// Writes each ball event down with its record, read while it is delivered.
class EventLog : public MessageListener {
public:
    EventLog() { MessageServer::Instance()->RegisterListener(this); }
    ~EventLog() override { MessageServer::Instance()->UnregisterListener(this); }

    int OnMessage(int message, intptr_t param) override
    {
        const std::string name = MessageServer::Instance()->GetMessageName(message);
        if (name == "goal scored") {
            const auto& goal = *reinterpret_cast<const Ball::Goal*>(param);
            events.push_back(name + " for " + SideOf(goal.scoringTeam) + Touched(goal.scorer));
        } else if (name == "out of bounds far") {
            const auto& far = *reinterpret_cast<const Ball::OutOfBoundsFar*>(param);
            events.push_back(name + (far.left ? " left" : " right") + (far.negativeSide ? " negative" : " positive") +
                             Touched(far.lastToucher));
        } else if (name == "out of bounds across") {
            const auto& across = *reinterpret_cast<const Ball::OutOfBoundsAcross*>(param);
            events.push_back(name + (across.nearSide ? " near" : " far") + Touched(across.lastToucher));
        }
        return 0;
    }

    std::vector<std::string> events;

private:
    static std::string Touched(const BallToucher* toucher) { return toucher ? " touched" : ""; }
};

// The ball on the first stadium's pitch volumes and physics, on the null device.
class BallTest : public NullDeviceSuite {
protected:
    static void SetUpTestSuite()
    {
        NullDeviceSuite::SetUpTestSuite();
        if (HasFatalFailure())
            return;
        FileSystem::Instance()->AddAlias("<PP>", StagePath("").c_str());
        FileSystem::Instance()->AddAlias("<LP>", StagePath("level01/").c_str());
        FileSystem::Instance()->AddAlias("<SP>", StagePath("level01/settings/").c_str());
        ShapeCollisionTable::Init();
        // The stadium's dressing in the same file misses its textures here; only the volumes count.
        LogCapture quiet;
        s_volumes = new Cast("objects");
        LoadSettings(s_volumes, "<SP>objects\\objects.txt");
        ASSERT_NE(Volume("GroundPlane"), nullptr) << quiet.Text();
    }

    static void TearDownTestSuite()
    {
        delete s_volumes;
        s_volumes = nullptr;
        CollisionManager::DestroyInstance();
        NullDeviceSuite::TearDownTestSuite();
    }

    void SetUp() override
    {
        Cast level("level");
        level.AddMember(LevelSettings::Instance(), "Level Settings", false);
        ASSERT_TRUE(LoadSettings(&level, "<SP>level\\level.txt"));
        level.RemoveMember(LevelSettings::Instance());
        ReplayEngine::Instance()->SetEnabled(true);
        SoundEngine::Instance()->SetEnabled(true);
        SoundEngine::Instance()->AddAudioEvent("deflect", AudioEvent());
        SoundEngine::Instance()->AddAudioEvent("ballbounce", AudioEvent());
        ball = std::make_unique<Ball>();
        ball->SetTeams(TeamOf(g_firstTeam), TeamOf(g_secondTeam));
    }

    void TearDown() override
    {
        ball.reset();
        ReplayEngine::DestroyInstance();
        SoundEngine::DestroyInstance();
        LevelSettings::DestroyInstance();
    }

    void Frames(int count)
    {
        for (int i = 0; i < count; ++i) {
            CollisionManager::Instance()->Update(kFrame);
            ball->Update(kFrame);
        }
    }

    static Collidable* Volume(const char* name)
    {
        CastMember* member = s_volumes->FindByName(name);
        return member ? dynamic_cast<Collidable*>(member->object) : nullptr;
    }

    // The ball's stand-in among the pitch volumes.
    const Collidable* Copy() const
    {
        const CollisionSet* set = CollisionManager::Instance()->FindCollisionSet("ball+pitchvolumes");
        for (int i = 0; set && i < set->GetMemberCount(); ++i)
            if (set->GetMember(i)->GetCollisionName() == "ball")
                return set->GetMember(i);
        return nullptr;
    }

    // The volumes of the temporary voices of the event, in the order they were played.
    static std::vector<float> Played(const char* event)
    {
        SoundEngine* sounds = SoundEngine::Instance();
        std::vector<float> volumes;
        for (int i = 0; i < sounds->GetTemporaryVoiceCount(); ++i)
            if (sounds->GetTemporaryVoice(i)->GetEvent() == sounds->FindAudioEvent(event))
                volumes.push_back(sounds->GetTemporaryVoice(i)->GetVolume());
        return volumes;
    }

    void Kick(const Vector3& from, const Vector3& velocity, BallToucher* toucher)
    {
        if (toucher) {
            ASSERT_TRUE(ball->TakePossession(toucher));
            ball->ReleasePossession(1);
        }
        ball->SetPosition(from);
        ball->SetVelocity(velocity);
    }

    std::unique_ptr<Ball> ball;
    static Cast* s_volumes;
};

Cast* BallTest::s_volumes = nullptr;

TEST_F(BallTest, EachBallModelIsABallSizedSphere)
{
    for (bool tournament : {true, false}) {
        ball->SetTournamentBall(tournament);
        SCOPED_TRACE(tournament ? "tournament ball" : "rag ball");
        EXPECT_EQ(ball->IsTournamentBall(), tournament);
        EXPECT_GE(ball->GetRadius(), 0.1f);
        EXPECT_LE(ball->GetRadius(), 0.3f);
        EXPECT_EQ(static_cast<const Sphere*>(Copy()->GetShape())->radius, ball->GetRadius());
    }
}

// Falls, bounces and drags under set physics; dt is one second unless said.
TEST_F(BallTest, BouncesRollsAndStopsAsTheLevelSays)
{
    struct Case {
        const char* what;
        float gravity, restitution;
        Vector3 velocity;
        bool bounce;
        Vector3 expected;
        bool rolling;
    };
    const Case cases[] = {
        {"a fall at 5 m/s leaves at half the speed", 9.8f, 0.5f, {0, -5, 0}, true, {0, 2.5f, 0}, false},
        {"a glancing fall keeps its run", 9.8f, 0.5f, {3, -5, 0}, true, {3, 2.5f, 0}, false},
        {"a fall too slow to bounce rolls", 9.8f, 0.5f, {1, -0.08f, 0}, true, {1, 0, 0}, true},
        {"a rolling ball does not climb", 9.8f, 0.0f, {1, -0.5f, 0}, true, {1, 0, 0}, true},
        {"drag stops a slow ball dead", 0.0f, 0.5f, {0.3f, 0, 0}, false, {0, 0, 0}, false},
        {"drag slows a fast one", 0.0f, 0.5f, {0, 0, -2}, false, {0, 0, -1.5f}, false},
        {"gravity pulls", 9.8f, 0.5f, {0, 0, 0}, false, {0, -9.3f, 0}, false},
    };
    LevelSettings* level = LevelSettings::Instance();
    level->ballDecelInAir = 0.5f;
    level->minBounceSpeed = 0.5f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        level->gravity = c.gravity;
        level->ballRestitution = c.restitution;
        Vector3 v = c.velocity;
        bool rolling = false;
        if (c.bounce)
            Ball::BounceOffPlane(v, rolling, Vector3::UnitY, true);
        else
            Ball::Integrate(v, rolling, 1.0f);
        EXPECT_NEAR((v - c.expected).Length(), 0.0f, 1e-5f) << v.x << " " << v.y << " " << v.z;
        EXPECT_EQ(rolling, c.rolling);
    }
}

TEST_F(BallTest, ARollingStepDragsOnTheGroundAndEndsTheRoll)
{
    LevelSettings* level = LevelSettings::Instance();
    level->gravity = 0.0f;
    level->ballDecelInAir = 0.5f;
    level->ballDecelOnGround = 2.0f;
    Vector3 v(3, 0, 0);
    bool rolling = true;
    Ball::Integrate(v, rolling, 1.0f);
    Ball::Integrate(v, rolling, 1.0f);
    EXPECT_EQ(v, Vector3(0.5f, 0, 0));
    EXPECT_FALSE(rolling);
}

TEST_F(BallTest, WithTheLevelsPhysicsARestingBallAndItsCopyStayPut)
{
    const Vector3 at(3, ball->GetRadius(), -2);
    ball->SetPosition(at);
    Frames(1000);
    EXPECT_NEAR((ball->GetPosition() - at).Length(), 0.0f, 1e-4f);
    EXPECT_NEAR((Copy()->GetPosition() - at).Length(), 0.0f, 1e-4f);
    // Only the fall of the last step, which the next bounce cancels.
    EXPECT_EQ(ball->GetPhysicsVelocity().x, 0.0f);
    EXPECT_EQ(ball->GetPhysicsVelocity().z, 0.0f);
}

TEST_F(BallTest, ADroppedBallBouncesLowerThenRollsToAStopAndItsTrailEnds)
{
    ball->SetPosition({0, 2, 0});
    ball->SetVelocity({2, 0, 0});
    ball->UpdateParticles(kFrame);
    std::vector<float> peaks;
    float last = 0.0f;
    bool rising = false;
    for (int i = 0; i < 600; ++i) {
        Frames(1);
        const float y = ball->GetPosition().y;
        if (rising && y < last)
            peaks.push_back(last);
        rising = y > last;
        last = y;
    }
    ASSERT_GE(peaks.size(), 2u);
    EXPECT_LT(peaks[1], peaks[0]);
    EXPECT_NEAR(ball->GetPosition().y, ball->GetRadius(), 1e-4f);
    EXPECT_LT(std::abs(ball->GetPhysicsVelocity().x), 1e-3f);
    EXPECT_FALSE(ball->IsTrailing());
    // It turned while it rolled.
    EXPECT_LT(ball->GetRotation().w, 0.999f);

    // The next kick's trail ends as well.
    ball->SetVelocity({3, 0, 0});
    ball->UpdateParticles(kFrame);
    Frames(10);
    EXPECT_TRUE(ball->IsTrailing());
    Frames(300);
    EXPECT_FALSE(ball->IsTrailing());
}

// On the shipped level, a ball dropped on the pitch from anywhere up to 3 m bounces lower each
// time, a handful of times, and settles into a roll within three seconds; from head height it
// bounces at least three times. Each frame's gravity meets the grass as a small fall, so a ball
// that bounced off every such fall would hop along the grass for seconds.
TEST_F(BallTest, ADroppedBallBouncesAHandfulOfTimesThenRolls)
{
    constexpr int kFrames = 400;
    for (int cm = 0; cm <= 300; ++cm) {
        const float height = 0.01f * static_cast<float>(cm);
        SCOPED_TRACE(height);
        ball->SetPosition({0.0f, ball->GetRadius() + height, 0.0f});
        ball->SetVelocity({1.0f, 0.0f, 0.0f});
        std::vector<int> bounces;
        float falling = 0.0f;
        for (int frame = 0; frame < kFrames; ++frame) {
            Frames(1);
            const float rise = ball->GetPhysicsVelocity().y;
            if (falling < 0.0f && rise > 0.0f)
                bounces.push_back(frame);
            falling = rise;
        }
        EXPECT_LE(bounces.size(), 8u);
        if (!bounces.empty()) {
            EXPECT_LT(bounces.back() * kFrame, 3.0f);
        }
        if (height >= 1.8f) {
            EXPECT_GE(bounces.size(), 3u);
        }
        EXPECT_NEAR(ball->GetPosition().y, ball->GetRadius(), 1e-4f);
        EXPECT_LT(std::abs(ball->GetPhysicsVelocity().x), 1e-3f);
    }
}

TEST_F(BallTest, AHeldBallNeitherBouncesNorTrails)
{
    Toucher holder(true);
    ASSERT_TRUE(ball->TakePossession(&holder));
    EXPECT_FALSE(ball->TakePossession(&holder));
    ball->SetPosition({-50, 1, 3});
    ball->SetVelocity({0, -5, -5});
    for (const char* name : {"GroundPlane", "LeftGoalLeftPost", "LeftCrossbar", "NearTouchPlane"}) {
        Collidable* volume = Volume(name);
        ASSERT_NE(volume, nullptr) << name;
        ball->OnCollision({volume});
    }
    EXPECT_EQ(ball->GetVelocity(), Vector3(0, -5, -5));
    EXPECT_EQ(Played("deflect").size(), 0u);
    ball->UpdateParticles(kFrame);
    ball->Update(kFrame);
    EXPECT_FALSE(ball->IsTrailing());

    // Let go after a hard kick, it trails until it stops.
    ball->ReleasePossession(1);
    ball->SetPosition({0, 1, 0});
    ball->SetVelocity({10, 0, 0});
    ball->UpdateParticles(kFrame);
    ball->Update(kFrame);
    EXPECT_TRUE(ball->IsTrailing());
}

// The replay keeps the trail switch of every frame.
TEST_F(BallTest, AKeepersTouchOrLowQualityKeepsTheTrailOff)
{
    struct Case {
        const char* what;
        bool keeper, highQuality;
        uint32_t recorded;
    };
    const Case cases[] = {
        {"after a player's kick", false, true, 1},
        {"after a keeper's kick", true, true, 0},
        {"at low quality", false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Toucher kicker(true, c.keeper);
        Kick({0, 1, 0}, {10, 0, 0}, &kicker);
        Ball::s_highQuality = c.highQuality;
        ball->UpdateParticles(kFrame);
        ReplayEngine::Instance()->Tick(kFrame);
        ball->Update(kFrame);
        Ball::s_highQuality = true;
        const ReplayEngine* replay = ReplayEngine::Instance();
        EXPECT_EQ(replay->GetFrame(replay->GetWriteIndex()).ballFlag, c.recorded);
    }
}

TEST_F(BallTest, TakingAndReleasingDecideTheLastToucherAndTheKickFlag)
{
    Toucher first(true), second(false);
    EXPECT_EQ(ball->GetLastToucher(), nullptr);
    EXPECT_TRUE(ball->TakePossession(nullptr));
    EXPECT_FALSE(ball->IsHeld());
    ball->SetCanBeHeld(false);
    EXPECT_TRUE(ball->TakePossession(&first));
    EXPECT_EQ(ball->GetLastToucher(), nullptr);
    ball->SetCanBeHeld(true);
    EXPECT_TRUE(ball->TakePossession(&first));
    EXPECT_TRUE(ball->IsLegalForGoal());
    ball->ReleasePossession(0);
    EXPECT_EQ(std::tuple(ball->IsHeld(), ball->IsLegalForGoal(), ball->GetLastToucher()),
              std::tuple(false, false, static_cast<BallToucher*>(&first)));
    ball->ForgetToucher(&second);
    EXPECT_EQ(ball->GetLastToucher(), &first);
    ball->ForgetToucher(&first);
    EXPECT_EQ(ball->GetLastToucher(), nullptr);
    EXPECT_TRUE(ball->IsInPlay());
}

// The first side defends the goal at x = +50 ("left") and attacks the one at x = -50; the
// planes stand a ball's width outside the lines, the near touchline at z = -32.67.
TEST_F(BallTest, ThePitchVolumesRaiseTheirEventsWithTheirRecords)
{
    struct Case {
        const char* what;
        int toucher;  // 0 none, 1 first side, 2 second side
        Vector3 from, velocity;
        std::string expected;
    };
    const Case cases[] = {
        {"a first-side shot into the right goal", 1, {-45, 1, 0}, {-20, 0, 0}, "goal scored for first touched"},
        {"a second-side shot into the left goal", 2, {45, 1, 0}, {20, 0, 0}, "goal scored for second touched"},
        {"an own goal", 1, {45, 1, 0}, {20, 0, 0}, "goal scored for second touched"},
        {"an untouched ball into the goal", 0, {-45, 1, 0}, {-20, 0, 0}, "out of bounds far right negative"},
        {"wide of the right goal", 1, {-45, 1, 10}, {-20, 0, 0}, "out of bounds far right positive touched"},
        {"wide of the left goal", 2, {45, 1, 10}, {20, 0, 0}, "out of bounds far left negative touched"},
        {"over the near touchline", 1, {0, 1, -30}, {0, 0, -10}, "out of bounds across near touched"},
        {"over the far touchline", 0, {0, 1, 30}, {0, 0, 10}, "out of bounds across far"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        Toucher first(true), second(false);
        EventLog log;
        Kick(c.from, c.velocity, c.toucher == 1 ? &first : c.toucher == 2 ? &second : nullptr);
        Frames(60);
        ASSERT_FALSE(log.events.empty());
        EXPECT_EQ(log.events.front(), c.expected);
    }
}

// While players walk on or off the ball is out of play: nobody takes it and it crosses the
// lines without a word; back in play it does both again.
TEST_F(BallTest, ABallOutOfPlayCannotBeTakenAndRaisesNoEvent)
{
    const struct {
        const char* what;
        Vector3 from, velocity;
    } cases[] = {
        {"into the right goal", {-45, 1, 0}, {-20, 0, 0}},
        {"wide of the left goal", {45, 1, 10}, {20, 0, 0}},
        {"over the near touchline", {0, 1, -30}, {0, 0, -10}},
    };
    for (const auto& c : cases) {
        for (const bool inPlay : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (inPlay ? " in play" : " out of play"));
            TearDown();
            SetUp();
            Toucher first(true);
            Kick(c.from, c.velocity, &first);
            ball->SetInPlay(inPlay);
            Toucher taker(false);
            EXPECT_EQ(ball->TakePossession(&taker), inPlay);
            EXPECT_EQ(ball->IsHeld(), inPlay);
            ball->ReleasePossession(1);
            EventLog log;
            Frames(60);
            EXPECT_EQ(log.events.empty(), !inPlay);
        }
    }
}

TEST_F(BallTest, ABallRestingInTheNetRaisesTheGoalEveryFrameAndTheHolderLetsGo)
{
    Toucher scorer(true);
    EventLog log;
    ball->SetPosition({-51, 1, 0});
    ASSERT_TRUE(ball->TakePossession(&scorer));
    ball->OnCollision({Volume("RightGoalArea")});
    EXPECT_EQ(scorer.letGo, 1);
    ball->ReleasePossession(1);
    Frames(3);
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "goal scored for first touched"), 4);
    EXPECT_EQ(scorer.letGo, 1) << "only a held ball is let go";
}

TEST_F(BallTest, AForgottenToucherScoresNothing)
{
    EventLog log;
    {
        Toucher gone(true);
        Kick({-51, 1, 0}, {}, &gone);
        ball->ForgetToucher(&gone);
    }
    ball->OnCollision({Volume("RightGoalArea")});
    EXPECT_TRUE(log.events.empty());
}

TEST_F(BallTest, APostDeflectsTheBallWithOneSound)
{
    Kick({-45, 1, -3}, {-20, 0, 0}, nullptr);
    Frames(30);
    EXPECT_GT(ball->GetVelocity().x, 0.0f);
    EXPECT_EQ(Played("deflect").size(), 1u);
    EXPECT_LT(ball->GetDeflectTimer(), 0.5f);
    EXPECT_GT(ball->GetDeflectTimer(), 0.0f);
}

TEST_F(BallTest, TheBounceSoundsAsLoudAsTheFallIsFast)
{
    struct Case {
        float speed;
        std::vector<float> volumes;
    };
    const Case cases[] = {{8.0f, {1.0f}}, {4.5f, {0.5f}}, {12.0f, {1.0f}}, {1.0f, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        TearDown();
        SetUp();
        ball->SetPosition({0, ball->GetRadius(), 0});
        ball->SetVelocity({0, -c.speed, 0});
        ball->OnCollision({Volume("GroundPlane")});
        EXPECT_EQ(Played("ballbounce"), c.volumes);
        EXPECT_GT(ball->GetVelocity().y, 0.0f);
    }
}

TEST_F(BallTest, NoSoundWithoutItsEventNorDuringAReplay)
{
    SoundEngine::Instance()->RemoveAudioEvent("ballbounce");
    ball->SetPosition({0, ball->GetRadius(), 0});
    ball->SetVelocity({0, -8, 0});
    ball->OnCollision({Volume("GroundPlane")});
    EXPECT_EQ(SoundEngine::Instance()->GetTemporaryVoiceCount(), 0);
    ball->SetPosition({-49.8f, 1, -3});
    ball->SetVelocity({-8, 0, 0});
    ReplayEngine::Instance()->SetReplaying(true);
    ball->OnCollision({Volume("RightGoalLeftPost")});
    EXPECT_EQ(Played("deflect").size(), 0u);
    EXPECT_GT(ball->GetVelocity().x, 0.0f);
}

TEST_F(BallTest, TheShadowFadesWithHeight)
{
    const std::pair<float, float> cases[] = {{0.0f, 0.5f}, {3.0f, 0.35f}, {6.0f, 0.2f}, {9.0f, 0.2f}, {-1.0f, 0.5f}};
    for (const auto& [height, alpha] : cases) {
        ball->SetPosition({0, height, 0});
        ball->Update(0.0f);
        EXPECT_NEAR(ball->GetShadow()->GetAlpha(), alpha, 1e-6f) << height;
    }
}

TEST_F(BallTest, TheCubeBouncesOffTheFaceNearestTheBall)
{
    // The crossbar of the right goal, from x = -50.1, y = 2.3, z = -3.1, 0.2 x 0.2 x 6.2.
    struct Case {
        Vector3 at, velocity, expected;
    };
    const Case cases[] = {
        {{-49.85f, 2.4f, 0}, {-5, 0, 0}, {2.5f, 0, 0}},
        {{-50.35f, 2.4f, 0}, {5, 0, 0}, {-2.5f, 0, 0}},
        {{-50.0f, 2.6f, 0}, {0, -5, 0}, {0, 2.5f, 0}},
        {{-50.0f, 2.2f, 0}, {0, 5, 0}, {0, -2.5f, 0}},
        {{-50.0f, 2.4f, 3.2f}, {0, 0, -5}, {0, 0, 2.5f}},
        {{-50.0f, 2.4f, -3.2f}, {0, 0, 5}, {0, 0, -2.5f}},
        // Inside: the first face.
        {{-50.0f, 2.4f, 0}, {5, -1, 0}, {-2.5f, -1, 0}},
    };
    LevelSettings::Instance()->ballRestitution = 0.5f;
    for (const Case& c : cases) {
        ball->SetPosition(c.at);
        ball->SetVelocity(c.velocity);
        ball->OnCollision({Volume("RightCrossbar")});
        EXPECT_NEAR((ball->GetVelocity() - c.expected).Length(), 0.0f, 1e-5f) << c.at.x << " " << c.at.y;
    }
    EXPECT_EQ(Played("deflect").size(), 1u) << "one deflection however many contacts";
}

// After a hard kick the ball leaves dt x rate particles behind it, owed fractions carried
// over; the system is looked up again only after "cast clear".
TEST_F(BallTest, TheTrailEmitsFromTheBallsParticleSystem)
{
    BillboardParticleFactory factory;
    ParticleSystem system;
    system.SetParticleFactory(&factory);
    system.SetEmitterSpeed(6.0f);
    system.SetMaxParticles(100);
    Cast* objects = CastManager::Instance()->CreateCast("objects");
    objects->AddMember(&system, "ball_particles", false);
    ball->SetPosition({4, 1, -2});
    ball->UpdateParticles(0.25f);
    ball->UpdateParticles(0.25f);
    EXPECT_EQ(system.GetLiveCount(), 3);
    EXPECT_EQ(system.GetParticles().front()->GetPosition(), Vector3(4, 1, -2));
    objects->RemoveMember(&system);
    ball->UpdateParticles(0.25f);
    EXPECT_EQ(system.GetLiveCount(), 5) << "the pointer is kept until the cast is cleared";
    MessageServer::Instance()->SendMessage(0, MessageServer::Instance()->RegisterMessage("cast clear"), 0);
    ball->UpdateParticles(0.25f);
    EXPECT_EQ(system.GetLiveCount(), 5);
    EXPECT_TRUE(ball->IsTrailing());
    CastManager::Instance()->DeleteAll();
}

// An input mapper that holds one button down.
struct Pad : InputMapper {
    bool Capture(const char*) override { return false; }
    bool Release(const char*) override { return false; }
    float GetValue(const std::string& name) override { return name == "(0):button a" ? 1.0f : kUnknown; }
};

TEST_F(BallTest, InBallDebugModeTheButtonLaunchesTheBall)
{
    Pad pad;
    BufferedInputController::Instance()->RegisterInputMapper(&pad);
    GameSettings* game = GameSettings::Instance();
    game->ballDebugVelocityX = 1.0f;
    ball->SetPosition({0, 5, 0});
    ball->Update(kFrame);
    EXPECT_LT(ball->GetVelocity().y, 0.0f) << "only in debug mode";
    game->ballDebugMode = true;
    ball->Update(kFrame);
    EXPECT_EQ(ball->GetVelocity(), Vector3(1, 10, 0));
    game->ballDebugMode = false;
    game->ballDebugVelocityX = 0.0f;
    BufferedInputController::Instance()->UnregisterInputMapper(&pad);
}

TEST_F(BallTest, ARenderedBallDrawsItsShadowAndModelOnTheNullDevice)
{
    LevelSettings::Instance()->updateLight = true;
    ball->SetPosition({0, 1, 0});
    ball->Update(kFrame);
    ball->SetRotation(Quaternion(0.5f, Vector3::UnitX));
    ball->Update(0.0f);
    ball->Render();
    EXPECT_EQ(ball->GetClump()->GetPosition(), ball->GetPosition());
    EXPECT_NEAR(ball->GetClump()->GetRotation().Dot(ball->GetRotation()), 1.0f, 1e-5f);
}

TEST_F(BallTest, AReplayedBallTakesTheRecordedPlaceAndTrail)
{
    ReplayEngine* replay = ReplayEngine::Instance();
    Toucher kicker(true);
    Kick({0, 1, 0}, {6, 0, 0}, &kicker);
    ball->UpdateParticles(kFrame);
    for (int i = 0; i < 30; ++i) {
        replay->Tick(kFrame);
        Frames(1);
    }
    const Vector3 end = ball->GetPosition();
    replay->StartReplay(1.0f);
    ASSERT_TRUE(replay->IsReplaying());
    ball->Update(0.0f);
    EXPECT_LT(ball->GetPosition().x, 0.2f);
    EXPECT_TRUE(ball->IsTrailing());
    EXPECT_LT(ball->GetPosition().x, end.x);
}

// The stadium's own geometry turns back only a ball off the pitch, by the mean of the
// normals it touched, made unit length again.
TEST_F(BallTest, TheStadiumTurnsBackABallOffThePitch)
{
    SimpleCollidable stadium(std::make_unique<WorldGeometry>());
    stadium.SetCollisionName("world");
    WorldContactNormal::normal = {0, 0.5f, 0};
    LevelSettings::Instance()->ballRestitution = 0.5f;
    const std::pair<Vector3, Vector3> cases[] = {{{0, 1, 40}, {0, 2, 0}}, {{0, 1, 20}, {0, -4, 0}}};
    for (const auto& [at, expected] : cases) {
        ball->SetPosition(at);
        ball->SetVelocity({0, -4, 0});
        ball->OnCollision({&stadium});
        EXPECT_NEAR((ball->GetVelocity() - expected).Length(), 0.0f, 1e-5f) << at.z;
    }
    // Off the pitch the ground plane is left to the stadium.
    ball->SetPosition({0, 0.1f, 40});
    ball->SetVelocity({0, -4, 0});
    ball->OnCollision({Volume("GroundPlane")});
    EXPECT_EQ(ball->GetVelocity(), Vector3(0, -4, 0));
    WorldContactNormal::normal = Vector3::Zero;
}

}  // namespace
