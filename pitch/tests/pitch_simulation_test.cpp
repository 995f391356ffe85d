// The pitch simulation: the order of its steps, the clock and HUD it feeds, what it draws
// during a replay, and the match objects it builds, rebuilds and tears down.
#include "characters/data/CharacterCast.h"
#include "support/SceneTest.h"

#include "ai/TeamManager.h"
#include "ai/UtilityRegistry.h"
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "framework/Message.h"
#include "pitch/PitchSimulation.h"
#include "pitch/TBWorld.h"
#include "scene/GameElements.h"
#include "scene/HudItems.h"
#include "settings/GameSettings.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"
#include "simulation/PitchVolume.h"
#include "simulation/ReplayEngine.h"
#include "simulation/Shape.h"
#include "simulation/ShapeCollision.h"
#include "tests/support/OffscreenEngine.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

const char* const kMeasure = "DistanceFromBall";
const Vector3 kParked{0.0f, 0.0f, -1000.0f};

// What every logger can see of the pitch when it is called: the clock, whether the AI's
// caches still hold last frame's value, whether the ball has moved and the HUD's seconds.
std::string Seen()
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    char text[160];
    std::snprintf(text, sizeof text, " clock %.2f%s%s", pitch->GetClock()->GetTime(),
                  pitch->GetUtilityRegistry()->Find(kMeasure)->IsCached(nullptr) ? " cached" : "",
                  pitch->GetBall()->GetPhysicsVelocity() == Vector3{} ? "" : " ball falling");
    return text;
}

class LoggingManager : public TeamManager {
public:
    LoggingManager(Log& log, int side) : m_log(log), m_side(side) {}
    void Update(float dt, const MatchClock& clock, int32_t difference) override
    {
        m_log.push_back("manager" + std::to_string(m_side) + " difference " + std::to_string(difference) + Seen());
        TeamManager::Update(dt, clock, difference);
    }

private:
    Log& m_log;
    int m_side;
};

class LoggingTeam : public SoccerTeam {
public:
    LoggingTeam(Log& log, int side) : SoccerTeam(side == 0), m_log(log), m_side(side) {}
    void ThinkWithSelection(float dt, bool refresh) override
    {
        m_log.push_back("team" + std::to_string(m_side) + (refresh ? " refresh" : "") + Seen());
        SoccerTeam::ThinkWithSelection(dt, refresh);
    }
    void Act(float dt) override
    {
        m_log.push_back("team" + std::to_string(m_side) + " acts");
        SoccerTeam::Act(dt);
    }
    void Render() override { m_log.push_back("draw team" + std::to_string(m_side)); }

private:
    Log& m_log;
    int m_side;
};

class LoggingCharacter : public Character {
public:
    LoggingCharacter(Log& log, const char* name, int32_t kind = kFieldPlayer)
        : Character(kind, kind == kReferee ? "Referee" : "PandaPl00", nullptr), m_log(log), m_name(name)
    {
    }
    ~LoggingCharacter() override { m_log.push_back("delete " + m_name); }
    void Update(float) override { m_log.push_back(m_name + Seen()); }
    void Render() override { m_log.push_back("draw " + m_name); }

private:
    Log& m_log;
    std::string m_name;
};

// Stands in the stadium world.
class LoggingObject : public RenderObject {
public:
    explicit LoggingObject(Log& log) : m_log(log) {}
    void Serialize(Serializer&, const char*) override {}
    void Update(float) override { m_log.push_back("world" + Seen()); }
    void Render() override { m_log.push_back("draw world"); }

private:
    Log& m_log;
};

// Moves with the collision manager.
class LoggingCollidable : public SimpleCollidable {
public:
    explicit LoggingCollidable(Log& log) : SimpleCollidable(nullptr), m_log(log) {}
    void Move(float) override { m_log.push_back("collisions" + Seen()); }

private:
    Log& m_log;
};

class LoggingHudItem : public HudItem {
public:
    LoggingHudItem(Log& log, std::string name) : m_log(log), m_name(std::move(name)) {}
    std::string GetClassName() const override { return "LoggingHudItem"; }
    void Draw(int, int, float, float) override { m_log.push_back("draw " + m_name); }
    void GetSize(int& width, int& height) const override { width = height = 1; }
    bool UsesColor() const { return m_useColorParameter; }

private:
    Log& m_log;
    std::string m_name;
};

// The team each "goal scored" credits.
class GoalListener : public MessageListener {
public:
    GoalListener() { MessageServer::Instance()->RegisterListener(this); }
    ~GoalListener() override { MessageServer::Instance()->UnregisterListener(this); }
    int OnMessage(int message, intptr_t param) override
    {
        if (message == MessageServer::Instance()->RegisterMessage("goal scored"))
            credited.push_back(reinterpret_cast<const Ball::Goal*>(param)->scoringTeam);
        return 0;
    }

    std::vector<const SoccerTeam*> credited;
};

class PitchSimulationTest : public SceneTest {
protected:
    static void SetUpTestSuite()
    {
        SceneTest::SetUpTestSuite();
        ShapeCollisionTable::Init();
    }

    void SetUp() override
    {
        characters = std::make_unique<CharacterCast>();
        pitch = PitchSimulation::Instance();
        ASSERT_TRUE(pitch->SetupMatch());
    }

    void TearDown() override
    {
        PitchSimulation::DestroyInstance();
        characters.reset();
        CastManager::Instance()->DeleteAll();
        ReplayEngine::DestroyInstance();
        CollisionManager::DestroyInstance();
    }

    // Both sides log, and so do the referee, the stadium and the collisions.
    void LogEverything()
    {
        for (int side = 0; side < PitchSimulation::kSides; ++side)
            pitch->SetSide(side, std::make_unique<LoggingTeam>(log, side), std::make_unique<LoggingManager>(log, side));
        pitch->SetReferee(std::make_unique<LoggingCharacter>(log, "referee", Character::kReferee));
        pitch->GetWorld()->AddRenderObject(&world);
        CollisionManager::Instance()->GetCollisionSet("logging")->Add(&collidable, true);
        pitch->GetUtilityRegistry()->Find(kMeasure)->GetValue(nullptr);
        pitch->GetTeam(0)->SetGoals(2);
    }

    // A "hud" cast (or another) of elements with logging items under the names.
    Cast* MakeHud(const std::vector<std::string>& names, const char* castName = "hud")
    {
        Cast* cast = CastManager::Instance()->CreateCast(castName);
        for (const std::string& name : names) {
            auto* element = new HudElement;
            element->SetItem(std::make_unique<LoggingHudItem>(log, name));
            cast->AddMember(element, name.c_str(), true);
        }
        return cast;
    }

    static HudItem* Item(const char* name)
    {
        const CastMember* member = CastManager::Instance()->GetCast("hud")->FindByName(name);
        return member ? static_cast<HudElement*>(member->object)->GetItem() : nullptr;
    }
    static std::string Parameter(const char* name, const char* key) { return Item(name)->GetParameter(key); }

    std::unique_ptr<CharacterCast> characters;
    PitchSimulation* pitch = nullptr;
    Log log;
    LoggingObject world{log};
    LoggingCollidable collidable{log};
};

TEST_F(PitchSimulationTest, RunsTheStepsInOrderWithTheSidesThinkingBeforeEitherActs)
{
    LogEverything();
    MakeHud({"TimeSeconds"});
    pitch->Update(0.1f, PitchSimulation::kUpdateAll);

    EXPECT_EQ(log, (Log{"collisions clock 0.00",
                        "manager0 difference 2 clock 2.25",
                        "team0 refresh clock 2.25",
                        "manager1 difference -2 clock 2.25",
                        "team1 refresh clock 2.25",
                        "team0 acts",
                        "team1 acts",
                        "referee clock 2.25",
                        "world clock 2.25 ball falling"}));
    EXPECT_EQ(Parameter("TimeSeconds", "text"), "02");
    EXPECT_EQ(pitch->GetLastUpdateFlags(), PitchSimulation::kUpdateAll);
}

TEST_F(PitchSimulationTest, EachBitRunsOnlyItsStepAndTheRefereeAlwaysRuns)
{
    const struct {
        uint32_t flags;
        Log expected;
    } cases[] = {
        {0, {"referee clock 0.00 cached", "after clock 0.00 cached hud ''"}},
        {0x01, {"referee clock 0.00 cached", "after clock 0.00 cached ball falling hud ''"}},
        {0x02,
         {"manager0 difference 2 clock 0.00 cached", "manager1 difference -2 clock 0.00 cached",
          "referee clock 0.00 cached", "after clock 0.00 cached hud ''"}},
        {0x04,
         {"team0 clock 0.00 cached", "team1 clock 0.00 cached", "team0 acts", "team1 acts", "referee clock 0.00 cached",
          "after clock 0.00 cached hud ''"}},
        {0x0C,
         {"team0 refresh clock 0.00 cached", "team1 refresh clock 0.00 cached", "team0 acts", "team1 acts",
          "referee clock 0.00 cached",
          "after clock 0.00 cached hud ''"}},
        {0x10, {"collisions clock 0.00 cached", "referee clock 0.00 cached", "after clock 0.00 cached hud ''"}},
        {0x20, {"referee clock 22.50 cached", "after clock 22.50 cached hud ''"}},
        {0x40, {"referee clock 0.00", "after clock 0.00 hud ''"}},
        {0x80, {"referee clock 0.00 cached", "world clock 0.00 cached", "after clock 0.00 cached hud ''"}},
        {0x100, {"referee clock 0.00 cached", "after clock 0.00 cached hud '00'"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        TearDown();
        SetUp();
        LogEverything();
        MakeHud({"TimeSeconds"});
        log.clear();
        pitch->Update(1.0f, c.flags);
        log.push_back("after" + Seen() + " hud '" + Parameter("TimeSeconds", "text") + "'");
        EXPECT_EQ(log, c.expected);
    }
}

TEST_F(PitchSimulationTest, TheClockShowsWholeMinutesAndTwoDigitSeconds)
{
    MakeHud({"TimeMinutes", "TimeSeconds"});
    const struct {
        float time;
        const char* minutes;
        const char* seconds;
    } cases[] = {{59.9f, "0", "59"}, {60.0f, "1", "00"}, {605.5f, "10", "05"}};
    for (const auto& c : cases) {
        pitch->GetClock()->SetTime(c.time);
        pitch->Update(0.0f, PitchSimulation::kUpdateHud);
        EXPECT_EQ(Parameter("TimeMinutes", "text") + ":" + Parameter("TimeSeconds", "text"),
                  std::string(c.minutes) + ":" + c.seconds)
            << c.time;
    }
    // The default rate: 240 s of play make a 90-minute match.
    pitch->ResetMatchClock(&PitchSimulation::s_defaultClockRate);
    for (int second = 0; second < 240; ++second)
        pitch->Update(1.0f, PitchSimulation::kUpdateClock);
    EXPECT_FLOAT_EQ(pitch->GetClock()->GetTime(), 5400.0f);
    EXPECT_EQ(pitch->GetClock()->Minutes(), 90);
}

TEST_F(PitchSimulationTest, TheEnergyMeterColourChangesAtEachThreshold)
{
    MakeHud({"Player1Name", "Player2Name", "EnergyMeter1", "EnergyDefaultLevel1", "DebugSpeedValue1",
             "LeftScore", "RightScore"});
    auto home = std::make_unique<Character>(Character::kFieldPlayer, "PandaPl03", nullptr);
    Character* player = home.get();
    player->GetVariation()->SetDisplayName("Var03");
    player->GetVariation()->energy.level = 80.0f;
    player->GetVariation()->speed.level = 42.9f;
    pitch->GetTeam(0)->AddPlayer(std::move(home));
    pitch->GetTeam(1)->AddPlayer(std::make_unique<Character>(Character::kFieldPlayer, "PandaPl05", nullptr));
    pitch->GetTeam(1)->GetPlayer(0)->GetVariation()->SetDisplayName("Var05");
    pitch->GetTeam(1)->SetGoals(3);

    const GameSettings* settings = GameSettings::Instance();
    const struct {
        float energy;
        const char* colour;
    } cases[] = {{settings->specialEnergyThreshold + 1.0f, "0,255,0,255"},
                 {settings->specialEnergyThreshold, "0,255,0,255"},
                 {settings->specialEnergyThreshold - 0.5f, "255,255,255,255"},
                 {settings->speedEnergyThreshold, "255,255,255,255"},
                 {settings->speedEnergyThreshold - 0.5f, "255,0,0,255"}};
    for (const auto& c : cases) {
        player->GetVariation()->energy.current = c.energy;
        pitch->Update(0.0f, PitchSimulation::kUpdateHud);
        EXPECT_EQ(Parameter("EnergyMeter1", "color"), c.colour) << c.energy;
    }
    EXPECT_EQ(Parameter("Player1Name", "text") + " " + Parameter("Player1Name", "color"), "Var03 0,255,0,255");
    EXPECT_EQ(Parameter("Player2Name", "text") + " " + Parameter("Player2Name", "color"), "Var05 255,0,0,255");
    EXPECT_EQ(Parameter("EnergyDefaultLevel1", "level"), "0.800000");
    EXPECT_EQ(Parameter("DebugSpeedValue1", "text"), "42");
    EXPECT_EQ(Parameter("LeftScore", "text") + ":" + Parameter("RightScore", "text"), "0:3");
}

TEST_F(PitchSimulationTest, TheYellowCardShowsWhileTheCardDisplayIsOn)
{
    MakeHud({"YellowCard1", "YellowCard2"});
    auto owned = std::make_unique<Character>(Character::kFieldPlayer, "PandaPl03", nullptr);
    Character* player = owned.get();
    pitch->GetTeam(0)->AddPlayer(std::move(owned));
    const auto shown = [&] {
        pitch->Update(0.0f, PitchSimulation::kUpdateHud);
        return std::string(Item("YellowCard1")->IsVisible() ? "1" : "-") + (Item("YellowCard2")->IsVisible() ? "2" : "-");
    };
    EXPECT_EQ(shown(), "-2");  // nobody selected on the second side: its card is left alone
    player->SetBooked(true);
    EXPECT_EQ(shown(), "12");
    pitch->SetCardDisplay(false);
    player->SetBooked(false);
    EXPECT_EQ(shown(), "12");
    pitch->SetCardDisplay(true);
    EXPECT_EQ(shown(), "-2");
}

TEST_F(PitchSimulationTest, TheHudMaskShowsExactlyTheNamedElements)
{
    const std::vector<std::string> all = {"Player1Name", "Player2Name", "EnergyMeter1", "EnergyMeter2",
                                          "EnergyBackground1", "EnergyBackground2", "EnergyDefaultLevel1",
                                          "EnergyDefaultLevel2", "LeftScore", "TimeColon", "PowerBar"};
    MakeHud(all);
    const auto shown = [&] {
        std::vector<std::string> names;
        for (const std::string& name : all) {
            if (Item(name.c_str())->IsVisible())
                names.push_back(name);
        }
        return names;
    };
    pitch->SetHudElements(PitchSimulation::kHudPlayer1Name | PitchSimulation::kHudPlayer1Energy);
    EXPECT_EQ(shown(), (std::vector<std::string>{"Player1Name", "EnergyMeter1", "EnergyBackground1",
                                                 "EnergyDefaultLevel1"}));
    EXPECT_EQ(pitch->GetHudMask(), 0xC00u);
    EXPECT_TRUE(static_cast<LoggingHudItem*>(Item("EnergyMeter2"))->UsesColor());
    EXPECT_FALSE(static_cast<LoggingHudItem*>(Item("EnergyBackground2"))->UsesColor());

    pitch->SetHudElements(PitchSimulation::kHudDrillCounters | PitchSimulation::kHudPowerBar);
    EXPECT_EQ(shown(), (std::vector<std::string>{"LeftScore", "TimeColon", "PowerBar"}));
    pitch->SetHudElements(0);
    EXPECT_EQ(shown(), std::vector<std::string>{});
}

TEST_F(PitchSimulationTest, AReplayHidesTheHudButNotThePitch)
{
    ScopedPicturesShown shown;
    LogEverything();
    MakeHud({"TimeSeconds"});
    MakeHud({"PenaltyBar"}, "penaltyhud");
    pitch->Render();
    EXPECT_EQ(log, (Log{"draw world", "draw team0", "draw team1", "draw referee", "draw TimeSeconds", "draw PenaltyBar"}));

    log.clear();
    ReplayEngine::Instance()->SetEnabled(true);
    ReplayEngine::Instance()->SetReplaying(true);
    pitch->Render();
    EXPECT_EQ(log, (Log{"draw world", "draw team0", "draw team1", "draw referee"}));
}

TEST_F(PitchSimulationTest, WhereNoPictureIsShownNothingOfThePitchIsDrawn)
{
    LogEverything();
    MakeHud({"TimeSeconds"});
    pitch->Render();
    EXPECT_EQ(log, Log{});
    {
        ScopedPicturesShown shown;
        pitch->Render();
    }
    EXPECT_EQ(log, (Log{"draw world", "draw team0", "draw team1", "draw referee", "draw TimeSeconds"}));
}

TEST_F(PitchSimulationTest, RecreatedTeamsStartEmptyWithoutARefereeAndTheBallParked)
{
    Log deaths;
    pitch->GetTeam(0)->AddPlayer(std::make_unique<LoggingCharacter>(deaths, "scorer"));
    auto* benched = new LoggingCharacter(deaths, "benched");
    pitch->GetTeam(1)->SendToBench(benched);
    pitch->CreateReferee();
    Ball* ball = pitch->GetBall();
    ASSERT_TRUE(ball->TakePossession(benched));
    ball->ReleasePossession(false);
    ball->SetPosition({3.0f, 1.0f, 2.0f});
    ball->SetVelocity({1.0f, 0.0f, 0.0f});
    pitch->GetClock()->SetTime(100.0f);

    pitch->RecreateTeams();
    EXPECT_EQ(deaths, (Log{"delete scorer", "delete benched"}));
    // The ball forgot the toucher that went, instead of reading it next frame.
    EXPECT_EQ(ball->GetLastToucher(), nullptr);
    EXPECT_EQ(ball->GetKickFlag(), 1u);
    EXPECT_EQ(ball->GetPosition(), kParked);
    EXPECT_EQ(ball->GetPhysicsVelocity(), Vector3{});
    EXPECT_EQ(pitch->GetClock()->GetTime(), 0.0f);
    EXPECT_EQ(pitch->GetReferee(), nullptr);
    EXPECT_NE(pitch->GetTeam(0), nullptr);
    EXPECT_EQ(pitch->GetTeam(0)->GetPlayerCount(), 0);
    EXPECT_TRUE(pitch->GetTeam(0)->IsFirstSide());
    EXPECT_FALSE(pitch->GetTeam(1)->IsFirstSide());
    EXPECT_EQ(pitch->GetTeamManager(1)->GetTeam(), pitch->GetTeam(1));
    pitch->Update(0.1f, PitchSimulation::kUpdateAll);

    pitch->CreateReferee();
    ASSERT_NE(pitch->GetReferee(), nullptr);
    EXPECT_EQ(pitch->GetReferee()->GetKind(), Character::kReferee);
    EXPECT_EQ(pitch->GetReferee()->GetVariation()->GetKeyName(), "Referee");
}

TEST_F(PitchSimulationTest, ANewMatchInheritsNothingOfTheLastOnesPlay)
{
    // The last match: a measure cached for one of its players, the collision sets run for a
    // while and the recorder's ring part filled.
    auto owned = std::make_unique<Character>(Character::kFieldPlayer, "PandaPl00", pitch->GetTeam(0));
    const Character* player = owned.get();
    pitch->GetTeam(0)->AddPlayer(std::move(owned));
    Utility<float>& measure = *pitch->GetUtilityRegistry()->Find(kMeasure);
    measure.SetCaching(true);
    measure.GetValue(player);
    ReplayEngine* replay = ReplayEngine::Instance();
    replay->SetEnabled(true);
    for (int frame = 0; frame < 120; ++frame) {
        replay->Tick(1.0f / 60.0f);
        pitch->Update(1.0f / 60.0f, PitchSimulation::kUpdateCollisions);
    }
    CollisionSet& set = *CollisionManager::Instance()->GetCollisionSet("characters+ball");
    ASSERT_GT(set.GetSetTime(), 10.0f);

    pitch->RecreateTeams();
    // A character of the next match may take the deleted one's address.
    EXPECT_FALSE(measure.IsCached(player));
    // Back at its start, where the rounding of impact times is a new set's.
    EXPECT_LT(set.GetSetTime(), 1.0f);
    EXPECT_EQ(replay->GetClock(), 0.0f);
    int recorded = 0;
    for (int i = 0; i < ReplayEngine::kCapacity; ++i)
        recorded += !replay->GetFrame(i).IsEmpty();
    EXPECT_EQ(recorded, 0);
    replay->SetEnabled(false);
}

TEST_F(PitchSimulationTest, ASubstitutedToucherIsForgottenByTheBall)
{
    auto owned = std::make_unique<Character>(Character::kFieldPlayer, "PandaPl00", pitch->GetTeam(0));
    Character* leaving = owned.get();
    SoccerTeam* team = pitch->GetTeam(0);
    team->AddPlayer(std::move(owned));
    Ball* ball = pitch->GetBall();
    ASSERT_TRUE(ball->TakePossession(leaving));
    ball->ReleasePossession(1);
    team->ReplacePlayer(leaving, std::make_unique<Character>(Character::kFieldPlayer, "PandaPl01", team));
    EXPECT_EQ(ball->GetLastToucher(), nullptr);
    pitch->Update(1.0f / 60.0f, PitchSimulation::kUpdateAll);
}

TEST_F(PitchSimulationTest, TearingDownDeletesTheBenchesAndASecondSetUpChangesNothing)
{
    Ball* ball = pitch->GetBall();
    EXPECT_TRUE(pitch->SetupMatch());
    EXPECT_EQ(pitch->GetBall(), ball);
    EXPECT_EQ(ball->GetPosition(), kParked);
    EXPECT_EQ(pitch->GetSceneObject(), pitch->GetWorld());

    Log deaths;
    pitch->GetTeam(0)->SendToBench(new LoggingCharacter(deaths, "sub0"));
    pitch->GetTeam(1)->SendToBench(new LoggingCharacter(deaths, "sub1"));
    pitch->GetTeam(1)->AddPlayer(std::make_unique<LoggingCharacter>(deaths, "player1"));
    pitch->DestroyMatch();
    EXPECT_EQ(deaths, (Log{"delete sub0", "delete sub1", "delete player1"}));
    EXPECT_FALSE(pitch->IsSetUp());
    EXPECT_EQ(pitch->GetBall(), nullptr);
    EXPECT_EQ(pitch->GetSceneObject(), nullptr);
    // Nothing to tear down twice, nor to recreate.
    pitch->DestroyMatch();
    pitch->RecreateTeams();
    EXPECT_EQ(pitch->GetTeam(0), nullptr);
}

TEST_F(PitchSimulationTest, AnOwnGoalCountsForTheSidesOfTheMomentAlsoAfterTheyAreRebuilt)
{
    // The first side's own goal, at the end its pitch coordinates start from.
    CubicPitchVolume area;
    area.SetCollisionName("leftgoalscorearea");
    area.SetPosition({50.0f, 0.0f, -3.0f});
    area.GetCube().size = {2.0f, 2.4f, 6.0f};
    area.MoveToCollisionSet("ball+pitchvolumes");
    GoalListener goals;
    std::vector<const SoccerTeam*> expected;
    const auto ownGoal = [&] {
        auto owned = std::make_unique<Character>(Character::kFieldPlayer, "PandaPl00", pitch->GetTeam(0));
        Character* defender = owned.get();
        pitch->GetTeam(0)->AddPlayer(std::move(owned));
        Ball* ball = pitch->GetBall();
        ball->TakePossession(defender);
        ball->ReleasePossession(1);
        ball->SetPosition({48.0f, 1.0f, 0.0f});
        ball->SetVelocity({20.0f, 0.0f, 0.0f});
        goals.credited.clear();
        for (int frame = 0; frame < 10 && goals.credited.empty(); ++frame)
            pitch->Update(1.0f / 60.0f, PitchSimulation::kUpdateCollisions | PitchSimulation::kUpdateBall);
        return goals.credited.empty() ? nullptr : goals.credited.front();
    };
    EXPECT_EQ(ownGoal(), pitch->GetTeam(1));
    pitch->RecreateTeams();
    EXPECT_EQ(ownGoal(), pitch->GetTeam(1));
    Log log;
    pitch->SetSide(1, std::make_unique<LoggingTeam>(log, 1), std::make_unique<LoggingManager>(log, 1));
    EXPECT_EQ(ownGoal(), pitch->GetTeam(1));
}

} // namespace
