#include "game/GameTB.h"

#include "ai/TeamStrategy.h"
#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "characters/RefereeSettings.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "editor/ObjectSettingsDialog.h"

#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/GameHost.h"
#include "framework/Message.h"
#include "framework/Registration.h"
#include "framework/Scramble.h"
#include "framework/StringUtil.h"
#include "frontend/FrontEndStates.h"
#include "frontend/TBMenu.h"
#include "game/harness/GameHarness.h"
#include "game/harness/MatchSides.h"
#include "input/ConfigurableInputMapper.h"
#include "input/KeyboardInput.h"
#include "input/PlatformInputDevices.h"
#include "menus/Menu.h"
#include "pitch/CameraControl.h"
#include "pitch/CameraStack.h"
#include "pitch/PitchSimulation.h"
#include "scene/Camera.h"
#include "scene/GameElement.h"
#include "scene/GameElementRegistry.h"
#include "scene/GameElements.h"
#include "scene/RwGraphics.h"
#include "scene/World.h"
#include "settings/GameParameters.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"
#include "text/TextDisplay.h"
#include "text/TextManager.h"

#include "tests/support/NullDeviceSuite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>

using Log = std::vector<std::string>;
static Log g_log;

// Outside any namespace, so that its written class name is plain. Logs its deletion, to see
// when and how often an element goes.
struct ProbeElement : GameElement {
    // By a name of its own: a cast clears a member's name before deleting it.
    ~ProbeElement() override { g_log.push_back("delete " + probeName); }
    void Render() override {}
    void Update(float) override {}
    std::string probeName;
};

namespace {

// Records what the game tells its browser, in the log the probes' deletions go to.
class RecordingBrowser : public ObjectsBrowser {
public:
    void ClearTree() override
    {
        g_log.push_back("refresh");
        inserted.clear();
    }
    void InsertObject(const Cast& cast, const std::string& castName) override
    {
        EXPECT_EQ(castName, cast.GetName());
        inserted.push_back(castName);
    }
    void SelectObject(const Object* object) override
    {
        g_log.push_back("select");
        selected.push_back(object);
    }
    void Show() override { g_log.push_back("show"); }
    void OnObjectFreeing(const Object* object) override { g_log.push_back("freeing " + ProbeName(object)); }
    void OnCastClearing(const Cast& cast) override { g_log.push_back(std::string("clearing ") + cast.GetName()); }

    static std::string ProbeName(const Object* object)
    {
        const auto* probe = dynamic_cast<const ProbeElement*>(object);
        return probe ? probe->probeName : "?";
    }
    std::vector<std::string> inserted;
    std::vector<const Object*> selected;
};

// A flow-of-play state that runs a step each frame and logs its updates.
class ProbeState : public State {
public:
    explicit ProbeState(std::function<State*(ProbeState*)> step = nullptr) : m_step(std::move(step)) {}
    void Exit() override { g_log.push_back("probe exit"); }
    State* Update(float) override
    {
        g_log.push_back("probe update");
        return m_step ? m_step(this) : this;
    }

private:
    std::function<State*(ProbeState*)> m_step;
};

// Records the camera the renderer draws each of its renders through.
class CameraProbeState : public State {
public:
    State* Update(float) override { return this; }
    void Render() override { cameras.push_back(RwGraphics::Instance()->GetCamera()); }
    std::vector<Camera*> cameras;
};

}  // namespace

REGISTER_FACTORY(GameElements, ProbeElement);

namespace {

class GameStateTest : public NullDeviceSuite {
protected:

    void SetUp() override
    {
        ClearDataFolders();
        g_log.clear();
    }

    GameTB& Start(const std::string& size = "XL")
    {
        harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
        EXPECT_TRUE(harness->Start(size));
        return *harness->GetGame();
    }

    static std::string ActiveName(const GameTB& game)
    {
        const CameraControl* active = game.GetCameras().GetActiveCamera();
        return active && active->GetName() ? active->GetName() : "";
    }
    static Cast* CastNamed(const char* name) { return CastManager::Instance()->GetCast(name); }
    static int MessageId(const char* name) { return MessageServer::Instance()->RegisterMessage(name); }

    // The level's casts, as a match load reads them.
    static void AddLevelAliases()
    {
        FileSystem::Instance()->AddAlias("<LP>", "data\\pc\\level01\\");
        FileSystem::Instance()->AddAlias("<SP>", "data\\pc\\level01\\settings\\");
    }

    std::unique_ptr<GameHarness> harness;
};

TEST_F(GameStateTest, EnterBuildsCastsCamerasAndFontsAndExitTakesThemDown)
{
    LogCapture log;
    RefereeSettings::Instance()->foulSpotMaxDist = 0.0f;
    GameTB& game = Start();
    ASSERT_TRUE(game.GetFlag());

    std::set<std::string> casts;
    for (int i = 0; i < CastManager::Instance()->GetCastCount(); ++i)
        casts.insert(CastManager::Instance()->GetCastAt(i)->GetName());
    std::set<std::string> expected = {"savegame", "SaveGameMeta", "inputs"};
    for (const GameTB::CastEntry& entry : GameTB::kCastTable)
        expected.insert(entry.name);
    EXPECT_EQ(casts, expected);
    EXPECT_EQ(casts.size(), 19u);
    EXPECT_EQ(game.GetCameras().GetCameraControls().size(), 27u);
    EXPECT_EQ(CastNamed("cameras")->GetMemberCount(), 27);
    EXPECT_EQ(game.GetCameras().GetCameraStack().size(), 1u);
    EXPECT_EQ(ActiveName(game), "Cameras|StandardMedium");
    for (const char* font : {"default", "debug", "austere", "menu", "menu_buttons", "menu_buttons_selected_green",
                             "selected", "shirts"})
        EXPECT_NE(TextDisplay::Instance()->FindFont(font), nullptr) << font;

    // A first start has no save files and no level yet: nothing to complain about.
    EXPECT_EQ(log.Count("***ERROR"), 0) << log.Text();
    EXPECT_FALSE(log.Contains("CreateSettingsCasts"));
    // The start-up objects are members of their casts and read from their files.
    EXPECT_NE(CharacterRace::Find("Panda"), nullptr);
    EXPECT_EQ(CharacterRace::Find("Rhino"), nullptr);  // not in an "XL" game
    EXPECT_NE(CharacterVariation::Find("Referee"), nullptr);
    for (const char* name : TeamStrategy::kNames) {
        const TeamStrategy* strategy = TeamStrategy::Find(name);
        EXPECT_TRUE(strategy && strategy->IsValid()) << name;
    }
    int descriptions = 0;
    Cast* teams = CastNamed("Teams");
    for (int i = 0; i < teams->GetMemberCount(); ++i)
        if (const auto* description = dynamic_cast<TeamDescription*>(teams->GetMember(i)->object)) {
            ++descriptions;
            EXPECT_FALSE(description->GetTeamName().empty());
        }
    EXPECT_GT(descriptions, 0);
    EXPECT_NE(CastNamed("referee")->FindByName("Referee Settings"), nullptr);
    EXPECT_EQ(RefereeSettings::Instance()->foulSpotMaxDist, 30.0f);  // only the file gives it
    EXPECT_EQ(game.GetObjectsBrowser(), nullptr);  // no editor frame

    Cast* display = CastNamed("display");
    for (const char* light : {"Ambient Light", "Directional Light", "Directional Light Objects"})
        EXPECT_NE(display->FindByName(light), nullptr) << light;
    EXPECT_EQ(RwGraphics::Instance()->GetWorld()->GetLights().size(), 3u);
    EXPECT_EQ(PitchFrame::GetDirection(PitchFrame::kAlong), Vector3(-1, 0, 0));
    EXPECT_EQ(PitchFrame::AlongHalfExtent(1.0f), 50.0f);
    EXPECT_EQ(GameParameters::Instance()->deviceCount, PlatformInputDevices::Instance()->GetNumDevices());
    EXPECT_EQ(CastNamed("inputs")->GetMemberCount(), PlatformInputDevices::Instance()->GetNumDevices());

    auto* menu = dynamic_cast<TBMenu*>(game.GetCurrentState());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->GetScreen(), "main");
    EXPECT_GT(Menu::Instance()->GetItemCount(), 0);
    EXPECT_EQ(harness->RunFrames(5), 5);  // the menu on "main" waits to be replaced

    const size_t texts = TextManager::Instance()->GetEntryCount();
    EXPECT_GT(texts, 0u);
    game.HandleEvent("reload text", 0, 0);
    EXPECT_EQ(TextManager::Instance()->GetEntryCount(), texts);

    EXPECT_TRUE(harness->Stop());
    EXPECT_EQ(TextManager::Instance()->GetEntryCount(), 0u);
    EXPECT_EQ(CastManager::Instance()->GetCastCount(), 0);
    EXPECT_EQ(MessageServer::Instance()->GetListenerCount(), 0);
    EXPECT_EQ(TextDisplay::Instance()->FindFont("default"), nullptr);
    EXPECT_EQ(RwGraphics::Instance()->GetWorld(), nullptr);
    EXPECT_EQ(GameTB::Current(), nullptr);
}

TEST_F(GameStateTest, EachInputDeviceIsWatchedUntilExit)
{
    Start();
    const auto inputWatches = [] {
        std::map<std::string, std::shared_ptr<WatchData>> found;
        for (const std::shared_ptr<WatchData>& watch : Debug::Instance()->GetWatches())
            if (watch->name.rfind("input(", 0) == 0)
                found[watch->name] = watch;
        return found;
    };
    PlatformInputDevices* devices = PlatformInputDevices::Instance();
    std::map<std::string, std::shared_ptr<WatchData>> watches = inputWatches();
    std::vector<std::string> names, expected;
    for (const auto& [name, watch] : watches)
        names.push_back(name);
    const std::vector<std::string> groups = Debug::Instance()->GetWatchGroups();
    for (int i = 0; i < devices->GetNumDevices(); ++i) {
        expected.push_back("input(" + std::to_string(i) + ")");
        EXPECT_NE(std::find(groups.begin(), groups.end(), expected.back()), groups.end()) << expected.back();
    }
    EXPECT_EQ(names, expected);

    // The keyboard's watch follows its claims and the actions its held key is bound to.
    ConfigurableInputMapper* keyboard = devices->GetInputMapper(0);
    const std::shared_ptr<WatchData> watch = watches["input(0)"];
    ASSERT_TRUE(keyboard && watch);
    int key = ConfigurableInputMapper::kUnbound;
    std::string held;
    for (const auto& [action, input] : keyboard->GetBindings())
        if (input != ConfigurableInputMapper::kUnbound && (key == ConfigurableInputMapper::kUnbound || input == key)) {
            key = input;
            held += " " + action;
        }
    ASSERT_NE(key, ConfigurableInputMapper::kUnbound);
    struct Step {
        bool claimFirst, claimSecond, keyDown;
        std::string text;
        bool changed;
    };
    const Step steps[] = {{false, false, false, "claimed 0 0, shared 1, held:", true},
                          {false, false, false, "claimed 0 0, shared 1, held:", false},
                          {false, true, false, "claimed 0 1, shared 1, held:", true},
                          {true, false, true, "claimed 1 0, shared 1, held:" + held, true},
                          {true, false, true, "claimed 1 0, shared 1, held:" + held, false}};
    const bool claims[2] = {keyboard->IsClaimed(0), keyboard->IsClaimed(1)};
    keyboard->SetShared(true);
    keyboard->SetClaimed(0, true);
    keyboard->SetClaimed(1, true);
    watch->HasChanged();  // from here on, compared with what it last showed
    for (const Step& step : steps) {
        keyboard->SetClaimed(0, step.claimFirst);
        keyboard->SetClaimed(1, step.claimSecond);
        if (step.keyDown)
            KeyboardInput::Instance()->OnKeyDown(key);
        else
            KeyboardInput::Instance()->OnKeyUp(key);
        KeyboardInput::Instance()->Update(0.0f);  // a key reads as its frame has it
        EXPECT_EQ(watch->HasChanged(), step.changed) << step.text;
        std::string text;
        watch->GetText(text);
        EXPECT_EQ(text, step.text);
    }
    KeyboardInput::Instance()->OnKeyUp(key);
    KeyboardInput::Instance()->Update(0.0f);
    keyboard->SetClaimed(0, claims[0]);
    keyboard->SetClaimed(1, claims[1]);

    EXPECT_TRUE(harness->Stop());
    EXPECT_TRUE(inputWatches().empty());
}

TEST_F(GameStateTest, EachPlayerIsDrawnThroughItsOwnCamera)
{
    Start();
    auto* probe = new CameraProbeState;
    harness->MakeCurrent(probe);
    PrimaryCamera* primary = RwGraphics::Instance()->GetPrimaryCamera();
    GameParameters* parameters = GameParameters::Instance();
    float viewX = 0, viewY = 0, nearClip = 0, farClip = 0;
    primary->GetViewWindow(viewX, viewY);
    primary->GetClipPlanes(nearClip, farClip);

    // Each camera as "y height width viewY near far"; a repeated camera shows as "same".
    const auto frame = [&](int players) {
        parameters->playerCount = players;
        probe->cameras.clear();
        harness->Step();
        std::vector<std::string> drawn;
        for (size_t i = 0; i < probe->cameras.size(); ++i) {
            Camera* camera = probe->cameras[i];
            if (std::count(probe->cameras.begin(), probe->cameras.begin() + static_cast<long>(i), camera)) {
                drawn.push_back("same");
                continue;
            }
            const auto* sub = dynamic_cast<SubCamera*>(camera);
            float x = 0, y = 0, n = 0, f = 0;
            camera->GetViewWindow(x, y);
            camera->GetClipPlanes(n, f);
            drawn.push_back(FormatString("%s %g %g %g %g %g %g", sub ? "sub" : camera == primary ? "primary" : "?",
                                         sub ? sub->GetRect().y : 0.0f, camera->GetHeight(), camera->GetWidth(),
                                         y / viewY, n / nearClip, f / farClip));
        }
        return drawn;
    };
    const std::vector<std::string> one = {"primary 0 600 800 1 1 1"};
    EXPECT_EQ(frame(1), one);
    // Top half first, each with half the view window's height.
    const std::vector<std::string> two = {"sub 0 300 800 0.5 1 1", "sub 0.5 300 800 0.5 1 1"};
    EXPECT_EQ(frame(2), two);
    EXPECT_EQ(frame(2), two);
    EXPECT_EQ(RwGraphics::Instance()->GetCamera(), primary);  // the frame is shown through it
    EXPECT_EQ(frame(1), one);
    parameters->playerCount = 1;
}

TEST_F(GameStateTest, ActorsAreOnScreenWhereTheGamesCameraLooks)
{
    Start();
    ASSERT_TRUE(PutSidesOnPitch("Panda01", "Lizard01"));
    LineUpSides();
    const Actor* actor = PitchSimulation::Instance()->GetTeam(0)->GetPlayer(0)->GetActor();
    const Ball* ball = PitchSimulation::Instance()->GetBall();
    RwGraphics* graphics = RwGraphics::Instance();
    std::set<std::vector<float>> eyes;
    for (const char* camera : {"StandardMedium", "Whole Field", "Goal Left Far", "Fly"}) {
        CameraStack::Current()->PopCamera();
        CameraStack::Current()->PushCamera(camera);
        harness->RunFrames(3);
        // The camera control has moved the frame; the null device keeps it for the test.
        const Vector3 eye = graphics->GetCameraPosition();
        eyes.insert({eye.x, eye.y, eye.z});
        const Matrix3 frame = graphics->GetCameraMatrix();
        // Ahead as the game places new elements in front of the camera.
        const Vector3 at = frame.Transform(Vector3{0.0f, 0.0f, 1.0f});
        // Ahead, behind, and ahead beyond the far clip plane.
        std::vector<bool> seen;
        for (float ahead : {10.0f, -10.0f, 20000.0f})
            seen.push_back(actor->IsOnScreen(eye + at * ahead - actor->GetPosition()));
        EXPECT_EQ(seen, (std::vector<bool>{true, false, false}))
            << camera;
    }
    EXPECT_EQ(eyes.size(), 4u);  // each control placed the camera itself
    // The player's camera follows the ball.
    CameraStack::Current()->PopCamera();
    CameraStack::Current()->PushCamera("StandardMedium");
    harness->RunFrames(3);
    EXPECT_TRUE(actor->IsOnScreen(ball->GetPosition() - actor->GetPosition()));
}

TEST_F(GameStateTest, GameSizeChoosesTheFirstStateWithoutRegardToCase)
{
    struct Case {
        const char* setting;
        int size;
        bool known;
        bool intro;
        const char* texts;  // only the exact "XXL" reads the big table
    };
    const char* const big = "<PP>\\text.csv";
    const char* const small = "<PP>\\text_xsxl.csv";
    for (const Case& c : {Case{"XXL", 2, true, true, big}, Case{"xxl", 2, true, true, small},
                          Case{"XL", 1, true, false, small}, Case{"xs", 0, true, false, small},
                          Case{"XXXL", 0, false, false, small}}) {
        GameTB& game = Start(c.setting);
        EXPECT_EQ(TextManager::Instance()->GetLoadedFiles(), std::vector<std::string>{c.texts}) << c.setting;
        EXPECT_GT(TextManager::Instance()->GetEntryCount(), 0u) << c.setting;
        game.HandleEvent("reload text", 0, 0);
        EXPECT_EQ(TextManager::Instance()->GetLoadedFiles(), std::vector<std::string>{c.texts}) << c.setting;
        EXPECT_EQ(game.GetGameSize(), c.size) << c.setting;
        EXPECT_EQ(game.IsGameSizeKnown(), c.known) << c.setting;
        EXPECT_EQ(dynamic_cast<IteratingState*>(game.GetCurrentState()) != nullptr, c.intro) << c.setting;
        // The intro ends at once and hands over to the menu.
        harness->RunFrames(2);
        EXPECT_NE(dynamic_cast<TBMenu*>(game.GetCurrentState()), nullptr) << c.setting;
        harness->Stop();
    }
}

TEST_F(GameStateTest, DeletionRequestsRunAfterTheStateUpdateInOrderAndOnce)
{
    GameTB& game = Start();
    GameElement* first = game.GetElements().CreateGameElement("ProbeElement", "first", false);
    GameElement* second = game.GetElements().CreateGameElement("ProbeElement", nullptr, true);
    ASSERT_TRUE(first && second);
    static_cast<ProbeElement*>(first)->probeName = "first";
    static_cast<ProbeElement*>(second)->probeName = "quiet";
    harness->MakeCurrent(new ProbeState([&](ProbeState* self) -> State* {
        if (harness->GetFrame() == 0) {
            for (GameElement* element : {first, second, first})
                MessageServer::Instance()->SendMessage(0, MessageId("delete game element"),
                                                       reinterpret_cast<intptr_t>(element));
        }
        return self;
    }));
    g_log.clear();
    harness->Step();
    EXPECT_EQ(g_log, (Log{"probe update", "delete first", "delete quiet"}));
    EXPECT_TRUE(game.GetElements().GetGameElements().empty());
    EXPECT_EQ(CastNamed("objects")->FindByName("first"), nullptr);
}

TEST_F(GameStateTest, MainMenuRequestAndEndOfPlay)
{
    GameTB& game = Start();
    harness->MakeCurrent(new ProbeState);
    g_log.clear();
    game.RequestMainMenu();
    harness->Step();
    EXPECT_EQ(g_log, (Log{"probe exit"}));  // replaced before the state would update
    auto* menu = dynamic_cast<TBMenu*>(game.GetCurrentState());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->GetScreen(), "main");

    // The cheats replace whatever runs: the outro first runs the story loading and cut scene.
    harness->MakeCurrent(new ProbeState);
    harness->Script().Press(harness->GetFrame() + 1, "cheat outro");
    harness->RunFrames(2);
    EXPECT_NE(dynamic_cast<IteratingState*>(game.GetCurrentState()), nullptr);
    harness->RunFrames(2);
    EXPECT_NE(dynamic_cast<TBMenu*>(game.GetCurrentState()), nullptr);  // each ends at once
    harness->MakeCurrent(new ProbeState);
    harness->Script().Press(harness->GetFrame(), "cheat quit");
    harness->Step();
    EXPECT_NE(dynamic_cast<TBMenu*>(game.GetCurrentState()), nullptr);

    // A finished flow of play closes the window.
    harness->MakeCurrent(new ProbeState([](ProbeState*) -> State* { return nullptr; }));
    LogCapture log;
    EXPECT_FALSE(harness->Step());
    EXPECT_EQ(game.GetCurrentState(), nullptr);
    EXPECT_TRUE(log.Contains("CloseRenderWindow"));
}

TEST_F(GameStateTest, ChangeCameraCyclesOnlyWithOneEntryAndWraps)
{
    GameTB& game = Start();
    harness->Step();  // an action answers from the frame after its first request
    harness->Script().Press(1, "change camera");
    harness->Step();
    EXPECT_EQ(ActiveName(game), "Cameras|LeftToRightMedium");

    game.GetCameras().PopCamera();
    game.GetCameras().PushCamera("CutScene");  // the last control
    harness->Script().Press(2, "change camera");
    harness->Step();
    EXPECT_EQ(ActiveName(game), "Cameras|Free Camera");

    game.GetCameras().PushCamera("Kick Off");
    harness->Script().Press(3, "change camera");
    harness->Step();
    EXPECT_EQ(ActiveName(game), "Cameras|Kick Off");
    EXPECT_EQ(game.GetCameras().GetCameraStack().size(), 2u);
}

TEST_F(GameStateTest, CameraStackPushesPopsAndKeepsThePlayersChoice)
{
    LogCapture log;
    GameTB& game = Start();
    game.GetCameras().PushCamera("Kick Off");
    EXPECT_EQ(ActiveName(game), "Cameras|Kick Off");
    game.GetCameras().PushCamera("No Such Camera");
    EXPECT_EQ(game.GetCameras().GetCameraStack().size(), 2u);
    game.GetCameras().PopCamera();
    EXPECT_EQ(ActiveName(game), "Cameras|StandardMedium");
    game.GetCameras().PopCamera();
    game.GetCameras().PopCamera();  // empty stays empty
    EXPECT_TRUE(game.GetCameras().GetCameraStack().empty());
    EXPECT_EQ(game.GetCameras().GetActiveCamera(), nullptr);

    // The stored choice is the base, even under a set piece's camera.
    game.GetCameras().PushCamera("Whole Field");
    game.GetCameras().PushCamera("Kick Off");
    game.GetCameras().StoreCameraChoice(0);
    GameParameters* parameters = GameParameters::Instance();
    EXPECT_EQ(parameters->cameraNames[0], "Whole Field");
    EXPECT_TRUE(FileSystem::Instance()->ExistsOnDisk("Data\\SaveGames\\user.txt"));

    // Two entries: no restore.
    parameters->cameraNames[1] = "StandardMedium";
    game.GetCameras().RestoreCameraChoice(1);
    EXPECT_EQ(ActiveName(game), "Cameras|Kick Off");
    game.GetCameras().PopCamera();
    // A name no control bears (the user file is the player's) leaves the stack.
    parameters->cameraNames[1] = "Gone Camera";
    game.GetCameras().RestoreCameraChoice(1);
    EXPECT_EQ(game.GetCameras().GetCameraStack().size(), 1u);
    EXPECT_EQ(ActiveName(game), "Cameras|Whole Field");
    EXPECT_TRUE(log.Contains("no camera \"Gone Camera\""));
    parameters->cameraNames[1] = "StandardMedium";
    game.GetCameras().RestoreCameraChoice(1);
    EXPECT_EQ(ActiveName(game), "Cameras|StandardMedium");
    parameters->cameraNames[0].clear();
    parameters->cameraNames[1].clear();
    game.GetCameras().StoreCameraChoice(GameParameters::kCameraSlots);  // no such slot: nothing happens
    game.GetCameras().RestoreCameraChoice(GameParameters::kCameraSlots);
    EXPECT_EQ(ActiveName(game), "Cameras|StandardMedium");

    // A successor no control bears is ignored the same way.
    harness->Step();
    game.GetCameras().GetActiveCamera()->nextInSequence = "Gone Camera";
    harness->Script().Press(1, "next camera");
    harness->Step();
    EXPECT_EQ(ActiveName(game), "Cameras|StandardMedium");
    game.GetCameras().GetActiveCamera()->nextInSequence = "Fly";
    harness->Script().Press(2, "next camera");
    harness->Step();
    EXPECT_EQ(ActiveName(game), "Cameras|Fly");
    EXPECT_EQ(game.GetCameras().GetCameraStack().size(), 1u);
}

TEST_F(GameStateTest, ElementsGoToTheirCastAndAreRenamed)
{
    GameTB& game = Start();
    World* world = RwGraphics::Instance()->GetWorld();
    const auto inWorld = [world](GameElement* element) {
        const auto& objects = world->GetRenderObjects();
        return std::find(objects.begin(), objects.end(), element) != objects.end();
    };
    GameElement* hud = game.GetElements().CreateGameElement("HudElement", nullptr, false);
    ASSERT_NE(hud, nullptr);
    const std::string hudName = hud->GetName();
    EXPECT_EQ(hudName.rfind("HudElement_", 0), 0u);
    EXPECT_NE(CastNamed("hud")->FindByName(hudName.c_str()), nullptr);
    EXPECT_FALSE(inWorld(hud));
    GameElement* tree = game.GetElements().CreateGameElement("ProbeElement", "Props|Tree_3", false);
    GameElement* bush = game.GetElements().CreateGameElement("ProbeElement", "Props|Bush", false);
    GameElement* plain = game.GetElements().CreateGameElement("ProbeElement", "Plain", false);
    EXPECT_TRUE(inWorld(tree));
    EXPECT_EQ(game.GetElements().CreateGameElement("NoSuchElement", nullptr, false), nullptr);
    EXPECT_EQ(game.GetElements().GetGameElements(), (std::vector<GameElement*>{hud, tree, bush, plain}));

    // "reset" brings back the designed state and the ball above the centre spot, at rest.
    tree->SetStatusFlags(0);
    Ball* ball = PitchSimulation::Instance()->GetBall();
    ball->SetBallPosition(Vector3(3, 0.5f, 4));
    ball->SetBallVelocity(Vector3(1, 2, 3));
    game.HandleEvent("reset", 0, 0);
    EXPECT_EQ(tree->GetStatusFlags(), tree->GetFlags());
    EXPECT_EQ(ball->GetPosition(), Vector3(0, 10, 0));
    EXPECT_EQ(ball->GetVelocity(), Vector3(0, 0, 0));

    LogCapture log;
    EXPECT_FALSE(game.GetElements().RenameObject(tree, "Bush"));  // Props|Bush exists
    EXPECT_EQ(std::string(tree->GetName()), "Props|Tree_3");
    // The browser keeps its label only when told the rename happened.
    EXPECT_EQ(game.HandleEvent("rename object", reinterpret_cast<intptr_t>(tree), reinterpret_cast<intptr_t>("Bush")), 0);
    EXPECT_EQ(game.HandleEvent("rename object", reinterpret_cast<intptr_t>(tree), reinterpret_cast<intptr_t>("Fir")), 1);
    EXPECT_EQ(std::string(tree->GetName()), "Props|Fir");
    EXPECT_TRUE(log.Contains("name not unique"));
    game.HandleEvent("delete object", reinterpret_cast<intptr_t>(bush), 0);
    EXPECT_TRUE(game.GetElements().RenameObject(tree, "Bush"));
    EXPECT_EQ(std::string(tree->GetName()), "Props|Bush");
    EXPECT_TRUE(game.GetElements().RenameObject(plain, "Other"));
    EXPECT_EQ(std::string(plain->GetName()), "Other");

    // Deleted from the HUD cast, the element is neither drawn nor kept.
    g_log.clear();
    game.GetElements().DeleteGameElement(hud);
    EXPECT_EQ(CastNamed("hud")->FindByName(hudName.c_str()), nullptr);
    Object notAnElement;
    game.HandleEvent("delete object", reinterpret_cast<intptr_t>(&notAnElement), 0);
    EXPECT_TRUE(log.Contains("only game elements!"));
}

TEST_F(GameStateTest, LevelObjectsReloadAndDeleteWithoutDanglingPointers)
{
    GameTB& game = Start();
    AddLevelAliases();
    World* world = RwGraphics::Instance()->GetWorld();
    GameElement* made = game.GetElements().CreateGameElement("ProbeElement", "made", false);
    ASSERT_NE(made, nullptr);
    const int hudMembers = CastNamed("hud")->GetMemberCount();
    game.HandleEvent("load settings", 0, 0);
    // The cleared cast's members left the vector with it: "reset" and Exit touch none.
    EXPECT_TRUE(game.GetElements().GetGameElements().empty());
    game.HandleEvent("reset", 0, 0);
    Cast* objects = CastNamed("objects");
    ASSERT_GT(objects->GetMemberCount(), 0);
    EXPECT_EQ(CastNamed("hud")->GetMemberCount(), hudMembers);  // read again, nothing doubled

    auto* loaded = dynamic_cast<GameElement*>(objects->GetMember(0)->object);
    ASSERT_NE(loaded, nullptr);
    const size_t before = world->GetRenderObjects().size();
    game.GetElements().DeleteGameElement(loaded);
    EXPECT_EQ(world->GetRenderObjects().size(), before - 1);
    EXPECT_EQ(std::find(world->GetRenderObjects().begin(), world->GetRenderObjects().end(), loaded),
              world->GetRenderObjects().end());

    // Saved without objects, the objects file is not written.
    game.GetElements().LoadOrSaveCasts(false, false, true);
    EXPECT_TRUE(std::filesystem::exists("data/pc/hud.txt"));
    EXPECT_TRUE(std::filesystem::exists("data/pc/level01/settings/level/level.txt"));
    EXPECT_FALSE(std::filesystem::exists("data/pc/level01/settings/objects/objects.txt"));
    game.HandleEvent("save settings", 0, 0);
    EXPECT_TRUE(std::filesystem::exists("data/pc/level01/settings/objects/objects.txt"));
}

TEST_F(GameStateTest, ServicesAndTheShellsBrowserBelongToTheGameWhileItExists)
{
    std::weak_ptr<ObjectsBrowser> made;
    int asked = 0;
    GameHost::SetBrowserMaker([&] {
        ++asked;
        auto browser = std::make_shared<RecordingBrowser>();
        made = browser;
        return browser;
    });
    GameTB& game = Start();
    GameHost::SetBrowserMaker(nullptr);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(game.GetObjectsBrowser(), made.lock().get());
    EXPECT_NE(game.GetObjectsBrowser(), nullptr);
    EXPECT_EQ(GameHost::Current(), &game);
    EXPECT_EQ(CameraStack::Current(), &game.GetCameras());
    EXPECT_EQ(GameElementRegistry::Current(), &game.GetElements());

    // Asking for the main menu through the host takes effect on the next update.
    harness->MakeCurrent(new ProbeState);
    GameHost::Current()->RequestMainMenu();
    harness->Step();
    auto* menu = dynamic_cast<TBMenu*>(game.GetCurrentState());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->GetScreen(), "main");

    ASSERT_TRUE(harness->Stop());
    EXPECT_TRUE(made.expired());
    EXPECT_EQ(GameHost::Current(), nullptr);
    EXPECT_EQ(CameraStack::Current(), nullptr);
    EXPECT_EQ(GameElementRegistry::Current(), nullptr);
}

TEST_F(GameStateTest, BrowserIsToldBeforeCastMembersAreFreed)
{
    GameTB& game = Start();
    RecordingBrowser browser;
    game.SetObjectsBrowser(&browser);
    const auto make = [&](const char* name, bool quiet) {
        auto* probe = dynamic_cast<ProbeElement*>(game.GetElements().CreateGameElement("ProbeElement", name, quiet));
        EXPECT_NE(probe, nullptr);
        if (probe)
            probe->probeName = name;
        return probe;
    };
    ProbeElement* loud = make("loud", false);
    ProbeElement* quiet = make("quiet", true);
    make("cleared", false);
    g_log.clear();
    game.GetElements().DeleteGameElement(loud);
    game.GetElements().DeleteGameElement(quiet);
    game.HandleEvent("load settings", 0, 0);
    EXPECT_EQ(g_log, (Log{"freeing loud", "delete loud", "refresh", "freeing quiet", "delete quiet", "refresh",
                          "clearing objects", "delete cleared", "refresh"}));
    std::vector<std::string> table;
    for (const GameTB::CastEntry& entry : GameTB::kCastTable)
        table.push_back(entry.name);
    EXPECT_EQ(browser.inserted, table);

    g_log.clear();
    browser.selected.clear();
    ProbeElement* shown = make("shown", false);
    game.HandleEvent("show objectsettings", 0, 0);
    game.HandleEvent("select gameelement", reinterpret_cast<intptr_t>(shown), 0);
    EXPECT_EQ(g_log, (Log{"refresh", "select", "show", "select"}));
    EXPECT_EQ(browser.selected, (std::vector<const Object*>{shown, shown}));

    // Exit lets go of the browser before it empties the casts.
    g_log.clear();
    EXPECT_TRUE(harness->Stop());
    EXPECT_EQ(g_log, (Log{"delete shown"}));
}

// What is in the save folder when the game starts decides what the log says about it.
TEST_F(GameStateTest, OnlyADamagedUserFileIsReportedAtStart)
{
    struct Case {
        const char* name;
        std::function<void()> prepare;
        const char* expected;  // a part of the report, or null for none
    };
    const auto write = [](const std::string& text) {
        std::filesystem::create_directories("Data/SaveGames");
        std::ofstream("Data/SaveGames/user.txt", std::ios::binary) << text;
    };
    const Case cases[] = {
        {"no save folder", [] {}, nullptr},
        {"an empty save folder", [] { std::filesystem::create_directories("Data/SaveGames"); }, nullptr},
        {"garbage", [&] { write(std::string("\x01\xff\x7f garbage\n", 13)); }, "Data\\SaveGames\\user.txt: line 1"},
        {"cut off inside its object",
         [&] {
             write("# --- Game Parameters\nOBJECT START\n[GameParameters] \"Game Parameters\"\n"
                   "{\n\"resolution\" 2\n");
         },
         "user.txt: the object Game Parameters at line 2 was read with the problems above"},
        // Nothing to read there, and reading writes nothing: the first save says it cannot.
        {"a folder in its place", [] { std::filesystem::create_directories("Data/SaveGames/user.txt"); }, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearDataFolders();
        c.prepare();
        std::vector<std::string> reports;
        {
            LogCapture log;
            Start();
            std::copy_if(log.lines.begin(), log.lines.end(), std::back_inserter(reports),
                         [](const std::string& line) { return line.find("SaveGames") != std::string::npos; });
        }
        if (c.expected) {
            ASSERT_FALSE(reports.empty());
            EXPECT_NE(reports[0].find(c.expected), std::string::npos) << ::testing::PrintToString(reports);
        } else {
            EXPECT_EQ(reports, std::vector<std::string>());
        }
        harness->Stop();
        harness.reset();
    }
}

// A save file with nothing in it (cut off at its start, blanks alone, a scrambled file cut to
// its comment) is reported like any other damaged one and kept beside itself.
TEST_F(GameStateTest, AnEmptySaveFileIsReportedAtStartAndKept)
{
    std::string comment = "# ------------------------------------------------ Gained Objects\nOBJECT START\n";
    Scramble::Apply(comment.data(), comment.size());
    const std::string cut = Scramble::EncodeHex(reinterpret_cast<const uint8_t*>(comment.data()), comment.size())
                                .substr(0, 100);
    const std::pair<const char*, std::string> files[] = {
        {"Data/SaveGames/user.txt", ""},         {"data/Savegames/inputs.txt", ""},
        {"data/Savegames/inputs.txt", " \n\n\t\n"}, {"data/Savegames/SaveGameMeta.txt", ""},
        {"Data/SaveGames/gained.txt", ""},       {"Data/SaveGames/gained.txt", cut},
    };
    for (const auto& [file, bytes] : files) {
        SCOPED_TRACE(file + (" holding " + std::to_string(bytes.size()) + " bytes"));
        ClearDataFolders();
        std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        const std::string name = std::filesystem::path(file).filename().string();
        bool reported = false, kept = false;
        {
            LogCapture log;
            Start();
            for (const std::string& line : log.lines) {
                reported = reported || (line.find("***WARNING") != std::string::npos &&
                                        line.find(name + " holds no object") != std::string::npos);
                kept = kept || line.find(name + " was read as damaged; it is kept as ") != std::string::npos;
            }
        }
        EXPECT_TRUE(reported && kept);
        std::ifstream copy(std::string(file) + ".damaged", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), {}), bytes);
        harness->Stop();
        harness.reset();
    }
}

// Reading the player's options applies them and writes nothing back.
TEST_F(GameStateTest, StartingReadsTheUserFileWithoutWritingIt)
{
    std::filesystem::create_directories("Data/SaveGames");
    std::ofstream("Data/SaveGames/user.txt") << "OBJECT START\n[GameParameters] \"Game Parameters\"\n{\n"
                                                " \"SFX Volume\" 3\n \"Replays\" 0\n}\n";
    static std::vector<std::string> changed;
    changed.clear();
    FileSystem::SetChangeListener([](const std::string& path) {
        if (path.find("SaveGames") != std::string::npos)
            changed.push_back(path);
    });
    {
        LogCapture log;
        Start();
        EXPECT_FALSE(log.Contains("Could not save settings") || log.Contains("with the problems above")) << log.Text();
    }
    FileSystem::SetChangeListener(nullptr);
    EXPECT_EQ(changed, std::vector<std::string>());
    const GameParameters* parameters = GameParameters::Instance();
    EXPECT_EQ(std::make_pair(parameters->sfxVolume, parameters->replays), std::make_pair(3, false));
}

TEST_F(GameStateTest, ScreenshotsAreNumberedFromOneWhilePressed)
{
    GameTB& game = Start();
    const int first = game.GetScreenshotCounter();
    harness->Script().Press(1, "screenshot");
    harness->Script().Press(3, "screenshot");
    harness->RunFrames(5);
    char name[64];
    for (int n : {first, first + 1}) {
        std::snprintf(name, sizeof name, "Turfbolt - %04d.tga", n);
        EXPECT_TRUE(std::filesystem::exists(name)) << name;
    }
    std::snprintf(name, sizeof name, "Turfbolt - %04d.tga", first + 2);
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_EQ(game.GetScreenshotCounter(), first + 2);
}

TEST_F(GameStateTest, CopyAndPasteSettingsBetweenElements)
{
    GameTB& game = Start();
    GameElement* from = game.GetElements().CreateGameElement("ProbeElement", "from", false);
    GameElement* to = game.GetElements().CreateGameElement("ProbeElement", "to", false);
    from->SetGroup(7);
    game.HandleEvent("copy settings", reinterpret_cast<intptr_t>(from), reinterpret_cast<intptr_t>("from"));
    game.HandleEvent("paste settings", reinterpret_cast<intptr_t>(to), 0);
    EXPECT_EQ(to->GetGroup(), 7);
    game.HandleEvent("select gameelement", reinterpret_cast<intptr_t>(to), 0);
    game.HandleEvent("show objectsettings", 0, 0);
    game.HandleEvent("reload text", 0, 0);
    game.HandleEvent("got focus", 0, 0);  // matches nothing
}

TEST_F(GameStateTest, BrowserEventsThatNoStateAnswersChangeNothing)
{
    GameTB& game = Start();
    RecordingBrowser browser;
    game.SetObjectsBrowser(&browser);
    GameElement* element = game.GetElements().CreateGameElement("ProbeElement", "kept", false);
    ASSERT_NE(element, nullptr);
    const auto scratch = [] {
        std::ifstream in("__temp__.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    element->SetGroup(3);
    game.HandleEvent("copy settings", reinterpret_cast<intptr_t>(element), reinterpret_cast<intptr_t>("kept"));
    const std::string copied = scratch();
    ASSERT_NE(copied.find("kept"), std::string::npos);
    element->SetGroup(5);

    LogCapture log;
    g_log.clear();
    for (const char* event : {"clone object", "clone settings", "import settings", "export settings"})
        EXPECT_EQ(game.HandleEvent(event, reinterpret_cast<intptr_t>(element), reinterpret_cast<intptr_t>("kept")), 0)
            << event;
    EXPECT_EQ(element->GetGroup(), 5);  // nothing pasted
    EXPECT_EQ(scratch(), copied);       // nothing copied
    EXPECT_EQ(g_log, Log{});            // nothing made, deleted, selected or refreshed
    EXPECT_EQ(game.GetElements().GetGameElements(), std::vector<GameElement*>{element});
    EXPECT_NE(CastNamed("objects")->FindByName("kept"), nullptr);
    EXPECT_FALSE(log.Contains("only game elements!"));
    std::filesystem::remove("__temp__.txt");
}

TEST_F(GameStateTest, HarnessLogsMessagesAndStopsOnTheFrameCap)
{
    Start();
    harness->Tap().Clear();
    MessageServer::Instance()->SendMessage(0, MessageId("harness probe"), 0);
    EXPECT_EQ(harness->RunFrames(3), 3);  // the menu on "main" would run on
    ASSERT_FALSE(harness->Tap().GetLines().empty());
    EXPECT_EQ(harness->Tap().GetLines().front().rfind("frame 0 t=0.000 harness probe", 0), 0u);
    EXPECT_TRUE(harness->GetProblem().empty());
}

}  // namespace
