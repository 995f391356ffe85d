#include "frontend/cutscenes/CutScenes.h"

#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterRace.h"
#include "characters/Team.h"
#include "framework/AsciiSerializer.h"
#include "framework/FileSystem.h"
#include "frontend/cutscenes/CutSceneProps.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "pitch/CameraControl.h"
#include "pitch/PitchSimulation.h"
#include "pitch/TBWorld.h"
#include "scene/AnimatedClump.h"
#include "scene/RwGraphics.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include "tests/support/NullDeviceSuite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

TEST(CutSceneTimingTest, FadeFactorRampsOverItsSecondsFromEitherEnd)
{
    struct Case {
        int type;
        float start, end, time;
        float factor;
    };
    // Shots of 10 s.
    const Case cases[] = {
        {1, 1, 3, 0.5f, 1.0f}, {1, 1, 3, 2.0f, 0.5f},  {1, 1, 3, 3.5f, 0.0f},
        {1, 3, 1, 2.0f, 0.5f},  // ends given the other way round
        {2, 0, 1, 8.5f, 0.0f}, {2, 0, 1, 9.5f, 0.5f},  {2, 0, 1, 10.0f, 1.0f},
        {3, 0, 2, 1.0f, 0.5f}, {8, 0, 2, 9.5f, 0.75f}, {0, 0, 2, 1.0f, 0.0f},
        // A ramp of no length is a cut: 1 before it, 0 from it on, never 0 / 0.
        {1, 0, 0, 0.0f, 0.0f}, {1, 2, 2, 1.9f, 1.0f},  {1, 2, 2, 2.0f, 0.0f},
    };
    for (const Case& c : cases) {
        const SceneFade fade(c.type, c.start, c.end);
        const float factor = CutScenes::FadeFactor(fade, c.time, 10.0f);
        EXPECT_FALSE(std::isnan(factor));
        EXPECT_FLOAT_EQ(factor, c.factor) << "type " << c.type << " " << c.start << "-" << c.end << " at " << c.time;
    }
}

TEST(CutSceneTimingTest, IdleActorsRunOutOfStep)
{
    EXPECT_FLOAT_EQ(CutScenes::IdleTime(0, 10.0f, 0.0f), 7.0f);
    EXPECT_NEAR(CutScenes::IdleTime(1, 10.0f, 0.0f), 8.60344f, 1e-4f);
    // Wrapped into the loop's length.
    EXPECT_NEAR(CutScenes::IdleTime(1, 10.0f, 3.0f), 2.60344f, 1e-4f);
    EXPECT_FLOAT_EQ(CutScenes::IdleTime(0, 10.0f, 7.0f), 7.0f);
}

TEST(CutSceneTimingTest, NextShotCarriesTimeOverAndSkipsShortShots)
{
    struct Case {
        const char* name;
        int index;
        float time, duration;
        bool more;
        int nextIndex;
        float nextTime;
    };
    const std::vector<float> durations = {2.0f, 0.5f, 0.25f, 3.0f};
    const Case cases[] = {
        {"first shot", -1, 0.0f, 0.0f, true, 0, 0.0f},
        {"carried into the next", 0, 2.1f, 2.0f, true, 1, 0.1f},
        {"a large step skips the short shots", 0, 3.0f, 2.0f, true, 3, 0.25f},
        {"past the last shot", 3, 3.5f, 3.0f, false, 4, 0.5f},
        {"carried time equal to a duration stays in that shot", 0, 2.5f, 2.0f, true, 1, 0.5f},
    };
    for (const Case& c : cases) {
        int index = c.index;
        float time = c.time, duration = c.duration;
        EXPECT_EQ(CutScenes::NextShot(durations, index, time, duration), c.more) << c.name;
        EXPECT_EQ(index, c.nextIndex) << c.name;
        EXPECT_NEAR(time, c.nextTime, 1e-5f) << c.name;
    }
    int index = -1;
    float time = 0.0f, duration = 0.0f;
    EXPECT_FALSE(CutScenes::NextShot({}, index, time, duration));
}

TEST(CutSceneTimingTest, RaceHiddenAtomicsKeepTheBody)
{
    EXPECT_EQ(CutScenes::GetRaceHiddenAtomics("Panda"), (std::vector<int>{0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    for (const char* race : {"Lizard", "Primate", "Rhino"})
        EXPECT_EQ(CutScenes::GetRaceHiddenAtomics(race), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_TRUE(CutScenes::GetRaceHiddenAtomics("Weasel").empty());
    EXPECT_TRUE(CutScenes::GetRaceHiddenAtomics("panda").empty());
}

class CutScenePlayerTest : public NullDeviceSuite {
protected:
    void SetUp() override
    {
        ClearDataFolders();
    }

    GameTB& Start(bool cutScenes = true, const char* gameSize = "XL")
    {
        harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
        EXPECT_TRUE(harness->Start(gameSize, cutScenes));
        return *harness->GetGame();
    }
    // Made current in the game: its Enter runs there.
    CutScenes* Play(CutScenes* scene)
    {
        harness->MakeCurrent(scene);
        return scene;
    }

    std::unique_ptr<GameHarness> harness;
};

// A home team of the race: a keeper and outfield players, count members in all.
std::unique_ptr<SoccerTeam> MakeTeam(const std::string& race, int count)
{
    auto team = std::make_unique<SoccerTeam>(true);
    for (int i = 0; i < count; ++i)
        team->AddPlayer(std::make_unique<Character>(i == 0 ? Character::kGoalkeeper : Character::kFieldPlayer,
                                                    race + (i == 0 ? "Gk00" : "Pl00"), nullptr));
    return team;
}

// A home team of the races in order, the keeper first.
std::unique_ptr<SoccerTeam> MakeMixedTeam(const std::vector<std::string>& races)
{
    auto team = std::make_unique<SoccerTeam>(true);
    for (size_t i = 0; i < races.size(); ++i)
        team->AddPlayer(std::make_unique<Character>(i == 0 ? Character::kGoalkeeper : Character::kFieldPlayer,
                                                    races[i] + (i == 0 ? "Gk00" : "Pl00"), nullptr));
    return team;
}

std::unique_ptr<Scene> ReadScript(const std::string& path)
{
    auto scene = std::make_unique<Scene>();
    FileSystem* files = FileSystem::Instance();
    File* file = files->OpenRead(path.c_str());
    EXPECT_NE(file, nullptr);
    if (!file)
        return scene;
    {
        AsciiSerializer reader(file, false);
        reader.SerializeObject("intro scene", scene.get());
    }
    files->Close(file);
    return scene;
}

std::unique_ptr<Scene> ReadNewspaper()
{
    return ReadScript("<PP>cutScenes\\newspaper\\script_happy.txt");
}

TEST_F(CutScenePlayerTest, HomeTeamLendsItsPlayersToTheNewspaper)
{
    Start();
    LogCapture log;
    std::unique_ptr<SoccerTeam> team = MakeTeam("Panda", 8);
    const int clumpAnimations = team->GetPlayer(1)->GetActor()->GetClump()->GetAnimationCount();
    {
        std::unique_ptr<Scene> scene = ReadNewspaper();
        scene->Init(Scene::kNewspaperFolder, team.get());
        for (int i = 0; i < 7; ++i) {
            const SceneActor* actor = scene->FindActor(i == 0 ? "goalie" : "player" + std::to_string(i));
            ASSERT_NE(actor, nullptr) << i;
            EXPECT_TRUE(actor->IsBorrowed()) << i;
            EXPECT_EQ(actor->GetClump(), team->GetPlayer(i)->GetActor()->GetClump()) << i;
            EXPECT_EQ(actor->GetRaceName(), "Panda") << i;
        }
        // Loaded from the goalie's race folder, with its idle there.
        const SceneActor* paper = scene->FindActor("newspaper");
        EXPECT_TRUE(paper->IsLoaded() && !paper->IsBorrowed());
        EXPECT_EQ(paper->GetRaceName(), "Panda");
        EXPECT_EQ(scene->GetRaceName(), "Panda");
        for (const auto& anim : scene->Shots()[1]->ActorAnims())
            EXPECT_GT(anim->GetAnimationDuration(), 0.0f) << anim->GetActorName();
        EXPECT_GT(team->GetPlayer(1)->GetActor()->GetClump()->GetAnimationCount(), clumpAnimations);
    }
    EXPECT_TRUE(log.Contains("Scene::Init Could not load actor named player7"));
    // The scene is gone; the players' models are not.
    for (int i = 0; i < 8; ++i)
        EXPECT_NE(team->GetPlayer(i)->GetActor()->GetClump()->GetRwClump(), nullptr) << i;
}

TEST_F(CutScenePlayerTest, PrimateGoalieWearsItsCutSceneModelWithItsOwnTextures)
{
    // The game size that has the primates.
    Start(false, "XXL");
    std::unique_ptr<SoccerTeam> team = MakeTeam("Primate", 2);
    ASSERT_EQ(team->GetPlayer(0)->GetRace()->GetRaceName(), "Primate");
    AnimatedClump* own = team->GetPlayer(0)->GetActor()->GetClump();
    own->SetInvisibleAtomics({1});
    const std::string textures = own->GetTexturePath();
    std::unique_ptr<Scene> scene = ReadNewspaper();
    scene->Init(Scene::kNewspaperFolder, team.get());
    const SceneActor* goalie = scene->FindActor("goalie");
    ASSERT_TRUE(goalie && goalie->IsLoaded());
    EXPECT_FALSE(goalie->IsBorrowed());
    EXPECT_NE(goalie->GetClump(), own);
    EXPECT_EQ(goalie->GetClump()->GetTexturePath(), textures);
    EXPECT_EQ(goalie->GetClump()->GetInvisibleAtomics(), (std::vector<int>{1}));
    EXPECT_EQ(scene->FindActor("player1")->GetClump(), team->GetPlayer(1)->GetActor()->GetClump());
}

TEST_F(CutScenePlayerTest, WithoutATeamIdleComesFromTheSceneFolder)
{
    Start();
    std::unique_ptr<Scene> scene = ReadNewspaper();
    scene->Init(Scene::kNewspaperFolder, nullptr);
    EXPECT_EQ(scene->GetRaceName(), "");
    for (const auto& actor : scene->Actors())
        EXPECT_TRUE(actor->IsLoaded() && !actor->IsBorrowed() && actor->GetRaceName().empty()) << actor->GetName();
    for (const auto& anim : scene->Shots()[2]->ActorAnims())
        EXPECT_GT(anim->GetAnimationDuration(), 0.0f) << anim->GetActorName();
}

// A story team holds any mix of races once gained players have joined it: every file a cut
// scene reads is there whichever race stands in whichever place.
TEST_F(CutScenePlayerTest, EveryCutSceneFindsItsFilesForAnyMixOfRaces)
{
    // The game size that has the primates.
    Start(false, "XXL");
    const std::vector<std::string> races = {"Panda", "Lizard", "Rhino", "Primate"};
    // Each race once in every place of the seven, the keeper's included.
    std::vector<std::unique_ptr<SoccerTeam>> teams;
    for (size_t first = 0; first < races.size(); ++first) {
        std::vector<std::string> mix;
        for (size_t i = 0; i < 7; ++i)
            mix.push_back(races[(first + i) % races.size()]);
        teams.push_back(MakeMixedTeam(mix));
    }
    struct Case {
        const char* folder;
        const char* script;
        bool withTeam;
    };
    const Case cases[] = {
        {"<PP>cutScenes\\panda_intro\\", "script.txt", false},
        {"<PP>cutScenes\\primate_intro\\", "script.txt", false},
        {"<PP>cutScenes\\Outro\\", "script.txt", true},
        {Scene::kNewspaperFolder, "script_happy.txt", true},
        {Scene::kNewspaperFolder, "script_sad.txt", true},
    };
    for (const Case& c : cases) {
        std::vector<SoccerTeam*> homes = {nullptr};
        for (size_t i = 0; c.withTeam && i < teams.size(); ++i)
            homes.push_back(teams[i].get());
        for (SoccerTeam* home : homes) {
            SCOPED_TRACE(std::string(c.folder) + c.script + (home ? " with a team whose keeper is a " +
                                                                        home->GetPlayer(0)->GetRace()->GetRaceName()
                                                                  : " without a team"));
            LogCapture log;
            std::unique_ptr<Scene> scene = ReadScript(std::string(c.folder) + c.script);
            ASSERT_FALSE(scene->Shots().empty());
            scene->Init(c.folder, home);
            const auto error = std::find_if(log.lines.begin(), log.lines.end(), [](const std::string& line) {
                return line.find("***ERROR") != std::string::npos;
            });
            EXPECT_EQ(log.Count("***ERROR"), 0) << "the first: " << (error != log.lines.end() ? *error : "");
        }
    }
}

TEST_F(CutScenePlayerTest, DisabledSceneDoesNothingAndEndsAtOnce)
{
    GameTB& game = Start(false);
    const std::list<int> cameras = game.GetCameras().GetCameraStack();
    CutScenes* scene = Play(new CutScenes("<PP>cutScenes\\panda_intro\\"));
    EXPECT_FALSE(scene->IsEnabled());
    EXPECT_EQ(game.GetCameras().GetCameraStack(), cameras);
    EXPECT_EQ(scene->GetShotIndex(), -1);
    EXPECT_EQ(scene->Update(0.1f), nullptr);
}

TEST_F(CutScenePlayerTest, MissingScriptLeavesTheCamerasAsTheyWere)
{
    GameTB& game = Start();
    const std::list<int> cameras = game.GetCameras().GetCameraStack();
    LogCapture log;
    auto* scene = new CutScenes("<PP>cutScenes\\no_such_scene\\");
    Play(scene);
    EXPECT_TRUE(log.Contains("Could not load from \"<PP>cutScenes\\no_such_scene\\script.txt\""));
    EXPECT_EQ(scene->Update(0.1f), nullptr);
    scene->Exit();
    EXPECT_EQ(game.GetCameras().GetCameraStack(), cameras);
}

TEST_F(CutScenePlayerTest, IntroPlaysItsShotsUnderTheSplineCameraAndAnyKeySkips)
{
    GameTB& game = Start();
    const std::list<int> cameras = game.GetCameras().GetCameraStack();
    CutScenes* scene = Play(new CutScenes("<PP>cutScenes\\panda_intro\\"));
    ASSERT_GE(scene->GetScene().Shots().size(), 3u);
    EXPECT_EQ(scene->GetShotIndex(), 0);
    EXPECT_EQ(scene->GetSoundtrack(), 0);
    auto* spline = dynamic_cast<SplineCameraControl*>(game.GetCameras().GetActiveCamera());
    ASSERT_NE(spline, nullptr);
    EXPECT_TRUE(spline->HasPath());
    EXPECT_FLOAT_EQ(spline->GetDuration(), scene->GetShotDuration());
    for (const auto& actor : scene->GetScene().Actors())
        EXPECT_TRUE(actor->IsLoaded() && !actor->IsBorrowed()) << actor->GetName();

    EXPECT_EQ(scene->Update(0.5f), scene);
    EXPECT_FLOAT_EQ(scene->GetShotTime(), 0.5f);
    // Shot time equal to the duration stays in the shot.
    EXPECT_EQ(scene->Update(scene->GetShotDuration() - 0.5f), scene);
    EXPECT_EQ(scene->GetShotIndex(), 0);
    EXPECT_EQ(scene->Update(0.01f), scene);
    EXPECT_EQ(scene->GetShotIndex(), 1);

    harness->Script().Press(harness->GetFrame(), "any key press");
    harness->Step();
    EXPECT_NE(game.GetCurrentState(), scene);
    EXPECT_EQ(game.GetCameras().GetCameraStack(), cameras);
}

TEST_F(CutScenePlayerTest, NewspaperJumpsToItsPromptAndHoldsEverythingThere)
{
    GameTB& game = Start();
    (void)game;
    CutScenes* scene = Play(new CutScenes(Scene::kNewspaperFolder, "script_happy.txt", 7));
    ASSERT_NE(scene->GetNewspaperPage(), nullptr);
    EXPECT_TRUE(scene->GetNewspaperPage()->HasPage());
    EXPECT_EQ(scene->GetSoundtrack(), 3);
    // Keys count from the frame after the first update.
    harness->Step();
    harness->Script().Press(harness->GetFrame(), "any key press");
    harness->Step();
    ASSERT_EQ(game.GetCurrentState(), scene);
    EXPECT_EQ(scene->GetShotIndex(), CutScenes::kNewspaperPromptShot);
    EXPECT_TRUE(scene->IsWaitingForButton());

    const float time = scene->GetShotTime();
    const TBWorld* world = PitchSimulation::Instance()->GetWorld();
    const float sky = world ? world->GetSkyValue() : 0.0f;
    harness->Script().Press(harness->GetFrame(), "any key press");
    harness->RunFrames(5);
    EXPECT_EQ(scene->GetShotTime(), time);
    EXPECT_TRUE(scene->IsWaitingForButton());
    if (world) {
        EXPECT_EQ(world->GetSkyValue(), sky);
    }

    // Answered, the prompt's shot plays on from where it was held, then the scene ends.
    harness->Script().Press(harness->GetFrame(), "(menu):button a");
    harness->Step();
    ASSERT_EQ(game.GetCurrentState(), scene);
    EXPECT_FALSE(scene->IsWaitingForButton());
    EXPECT_EQ(scene->GetShotIndex(), CutScenes::kNewspaperPromptShot);
    EXPECT_GT(scene->GetShotTime(), time);
    const float step = GameHarness::kFrameTime * scene->GetReplaySpeed();
    const int left = static_cast<int>((scene->GetShotDuration() - scene->GetShotTime()) / step);
    harness->RunFrames(left - 1);
    EXPECT_EQ(game.GetCurrentState(), scene) << "the prompt's shot is not cut short";
    harness->RunFrames(3);
    EXPECT_NE(game.GetCurrentState(), scene);
}

TEST_F(CutScenePlayerTest, NewspaperPromptIsAnsweredByEitherChoosingKeyOrThePassKey)
{
    GameTB& game = Start();
    for (const char* answer : {"(menu):button b", "(0):button a", "(menu):button a"}) {
        CutScenes* scene = Play(new CutScenes(Scene::kNewspaperFolder, "script_happy.txt", 7));
        harness->Step();
        harness->Script().Press(harness->GetFrame(), "any key press");
        harness->Step();
        ASSERT_TRUE(scene->IsWaitingForButton()) << answer;
        harness->Script().Press(harness->GetFrame(), answer);
        harness->Step();
        EXPECT_FALSE(scene->IsWaitingForButton()) << answer;
        EXPECT_EQ(game.GetCurrentState(), scene) << answer;
    }
}

TEST_F(CutScenePlayerTest, OutroPlaysSeventeenShotsOneAtHalfSpeed)
{
    Start();
    LogCapture log;
    CutScenes* scene = Play(new CutScenes("<PP>cutScenes\\Outro\\"));
    EXPECT_EQ(scene->GetSoundtrack(), 2);
    ASSERT_GE(scene->GetScene().Shots().size(), 17u) << log.Text();
    bool halfSpeedSeen = false;
    while (scene->GetShotIndex() < CutScenes::kOutroParticleShot) {
        if (scene->GetReplaySpeed() == 0.5f && !halfSpeedSeen) {
            const float before = scene->GetShotTime();
            auto* spline = dynamic_cast<SplineCameraControl*>(harness->GetGame()->GetCameras().GetActiveCamera());
            ASSERT_NE(spline, nullptr);
            const float path = spline->GetTime();
            harness->Step();
            EXPECT_NEAR(scene->GetShotTime() - before, GameHarness::kFrameTime * 0.5f, 1e-5f);
            // The camera path runs at the same half speed.
            EXPECT_NEAR(spline->GetTime() - path, GameHarness::kFrameTime * 0.5f, 1e-5f);
            halfSpeedSeen = true;
        }
        ASSERT_TRUE(scene->AdvanceShot());
    }
    EXPECT_TRUE(halfSpeedSeen);
}

TEST_F(CutScenePlayerTest, OutroDrivesTheRefereesParticlesInItsSeventeenthShot)
{
    Start();
    LogCapture log;
    CutScenes* scene = Play(new CutScenes("<PP>cutScenes\\Outro\\"));
    ASSERT_NE(scene->GetParticleDriver(), nullptr) << log.Text();
    while (scene->GetShotIndex() < CutScenes::kOutroParticleShot)
        ASSERT_TRUE(scene->AdvanceShot());
    scene->Update(0.25f);
    EXPECT_FLOAT_EQ(scene->GetParticleDriver()->GetTime(), 0.25f);
}

}  // namespace
