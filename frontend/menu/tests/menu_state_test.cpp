#include "frontend/menu/TBMenu.h"

#include "characters/CharacterVariation.h"
#include "engine/core/NullDevice.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "framework/MemoryFile.h"
#include "framework/Message.h"
#include "framework/StringUtil.h"
#include "frontend/menu/MenuLaunchedCodeFragment.h"
#include "frontend/menu/TBMenuToggles.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StoryModeRound.h"
#include "frontend/story/StorySaveGame.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "input/ConfigurableInputMapper.h"
#include "input/KeyboardInput.h"
#include "input/MouseInput.h"
#include "input/PlatformInputDevices.h"
#include "input/VirtualKeys.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/XmlParser.h"
#include "scene/RwGraphics.h"
#include "settings/GameParameters.h"
#include "settings/TrainingSettings.h"
#include "simulation/Ball.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"
#include "text/TextDisplay.h"
#include "text/TextManager.h"

#include "tests/support/NullDeviceSuite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

// Counts its life, so that a test sees whether the menu freed it.
struct Successor : State {
    explicit Successor(int& deleted) : deleted(deleted) {}
    ~Successor() override { ++deleted; }
    State* Update(float) override { return this; }
    int& deleted;
};

class MenuStateTest : public NullDeviceSuite {
protected:
    void SetUp() override
    {
        ClearDataFolders();
        std::filesystem::create_directories("data/Savegames");
        PlatformInputDevices::Instance()->GetInputMapper(0)->SetDefaults();
        harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
        ASSERT_TRUE(harness->Start("XL"));
    }
    void TearDown() override
    {
        harness.reset();
        TBMenuToggles::DestroyInstance();
        // A career a test started must not fill the next test's slots.
        StorySaveGame::DestroyInstance();
        StoryModeGame::DestroyInstance();
    }

    // A menu on the screen, run until it is shown.
    TBMenu* Show(const std::string& screen)
    {
        auto* menu = new TBMenu(screen);
        harness->MakeCurrent(menu);
        for (int i = 0; i < 240 && Menu::Instance()->GetFadeState() != Menu::kShown; ++i)
            harness->Step();
        EXPECT_EQ(Menu::Instance()->GetFadeState(), Menu::kShown) << screen;
        // The first frame shown starts reading the keys; edges count from the next one.
        harness->Step();
        return menu;
    }
    // Steps until the game's current menu shows the screen; false when it never does.
    bool ShownAfterwards(const std::string& screen)
    {
        for (int i = 0; i < 480; ++i) {
            const auto* menu = dynamic_cast<const TBMenu*>(harness->GetGame()->GetCurrentState());
            if (menu && menu->GetScreen() == screen && Menu::Instance()->GetFadeState() == Menu::kShown) {
                // The first frame shown starts reading the keys; edges count from the next one.
                harness->Step();
                return true;
            }
            harness->Step();
        }
        return false;
    }
    // The command word with its argument, as the screen's action runs it.
    static void Command(TBMenu* menu, const char* word, const char* argument = "")
    {
        MenuActionParameter parameter;
        parameter.argument = argument;
        menu->OnMessage(MessageServer::Instance()->RegisterMessage(word), reinterpret_cast<intptr_t>(&parameter));
    }
    // Presses the actions together on the next frame, then releases them for one.
    void Press(std::initializer_list<const char*> actions)
    {
        for (const char* action : actions)
            harness->Script().Press(harness->GetFrame(), action);
        harness->Step();
        harness->Step();
    }
    static std::string Selected()
    {
        const MenuItem* item = Menu::Instance()->GetSelectedItem();
        return item ? item->GetName() : "";
    }
    static int Toggle(int id) { return TBMenuToggles::Instance()->GetToggle(id)->value; }
    // A mouse press with the buttons at the item's middle, then its release.
    void Click(const std::string& item, uint32_t buttons)
    {
        const Vector4 area = Menu::Instance()->GetItem(item, 0)->GetArea();
        const int x = static_cast<int>(area.x + area.z / 2), y = static_cast<int>(area.y + area.w / 2);
        MouseInput* mouse = MouseInput::Instance();
        mouse->SetState(x, y, buttons);
        mouse->Update(GameHarness::kFrameTime);
        harness->Step();
        mouse->SetState(x, y, 0u);
        mouse->Update(GameHarness::kFrameTime);
    }

    std::unique_ptr<GameHarness> harness;
};

TEST_F(MenuStateTest, KeysAndClicksDriveTheScreen)
{
    Show("options");
    Menu* menu = Menu::Instance();
    menu->SelectItem("half_time_duration");
    menu->SetMouseMode(false);  // the cursor would select what lies under it
    const int half = Toggle(TBMenuToggles::kHalfTime);

    Press({"(menu):up", "(menu):down"});
    EXPECT_EQ(Selected(), "half_time_duration");  // opposite directions cancel
    Press({"(menu):left", "(menu):right"});
    EXPECT_EQ(Toggle(TBMenuToggles::kHalfTime), half);
    Press({"(menu):right"});
    EXPECT_EQ(Toggle(TBMenuToggles::kHalfTime), half + 1);
    Press({"(menu):left"});
    EXPECT_EQ(Toggle(TBMenuToggles::kHalfTime), half);
    Press({"(menu):down"});
    EXPECT_NE(Selected(), "half_time_duration");

    // Without a selection (none the pointer took), select does nothing and a direction
    // selects an item.
    menu->SelectItem(static_cast<MenuItem*>(nullptr));
    Press({"(menu):button a"});
    EXPECT_EQ(Selected(), "");
    EXPECT_EQ(menu->GetFadeState(), Menu::kShown);
    Press({"(menu):down"});
    EXPECT_NE(Selected(), "");
    menu->SelectItem("half_time_duration");

    // A left click on a toggle steps it forward, a right click back.
    Click("half_time_duration", MouseInput::kLeft);
    EXPECT_EQ(Toggle(TBMenuToggles::kHalfTime), half + 1);
    Click("half_time_duration", MouseInput::kRight);
    EXPECT_EQ(Toggle(TBMenuToggles::kHalfTime), half);
    // A click on another item selects it.
    Click("replays", MouseInput::kLeft);
    EXPECT_EQ(Selected(), "replays");
}

TEST_F(MenuStateTest, KeyCaptureHoldsTheMenuUntilTheNextKey)
{
    TBMenu* menu = Show("controls");
    Menu::Instance()->SelectItem("key0_up");
    Command(menu, "AssignKey", "(0):up");
    ASSERT_TRUE(menu->IsCapturingKey());
    ConfigurableInputMapper* keyboard = PlatformInputDevices::Instance()->GetInputMapper(0);
    EXPECT_EQ(keyboard->GetBinding("(0):up"), ConfigurableInputMapper::kUnbound);

    Press({"(menu):back", "(menu):down"});
    EXPECT_EQ(Menu::Instance()->GetFadeState(), Menu::kShown);  // not even back
    EXPECT_EQ(Selected(), "key0_up");
    EXPECT_TRUE(menu->IsCapturingKey());

    KeyboardInput::Instance()->OnKeyDown(vk::Letter('Q'));
    harness->Step();
    KeyboardInput::Instance()->OnKeyUp(vk::Letter('Q'));
    EXPECT_FALSE(menu->IsCapturingKey());
    EXPECT_EQ(keyboard->GetBinding("(0):up"), vk::Letter('Q'));
}

TEST_F(MenuStateTest, CommandsChooseAndHandOverTheSuccessor)
{
    // During the fade-in a screen change is dropped and the plane is placed.
    auto* menu = new TBMenu("options");
    harness->MakeCurrent(menu);
    ASSERT_EQ(Menu::Instance()->GetFadeState(), Menu::kFadingIn);
    Command(menu, "SetMenu", "main");
    Command(menu, "SetPosition", "1,2,3");
    EXPECT_EQ(menu->GetNext(), nullptr);
    EXPECT_EQ(Menu::Instance()->GetFadeState(), Menu::kFadingIn);
    EXPECT_EQ(menu->GetPosition().x, 1.0f);
    EXPECT_EQ(menu->GetPosition().z, 3.0f);

    // Shown: the successor waits for the end of the fade-out.
    menu = Show("options");
    Command(menu, "SetMenu", "credits");
    EXPECT_EQ(Menu::Instance()->GetFadeState(), Menu::kFadingOut);
    State* next = menu->GetNext();
    ASSERT_NE(next, nullptr);
    for (int i = 0; i < 240 && harness->GetGame()->GetCurrentState() == menu; ++i)
        harness->Step();
    EXPECT_EQ(harness->GetGame()->GetCurrentState(), next);
    EXPECT_EQ(dynamic_cast<TBMenu*>(next)->GetScreen(), "credits");

    // An unknown code fragment ends the menu at the next update, without a fade.
    menu = Show("options");
    LogCapture log;
    Command(menu, "RunCode", "NoSuchFragment");
    EXPECT_TRUE(log.Contains("NoSuchFragment"));
    EXPECT_EQ(menu->Update(GameHarness::kFrameTime), nullptr);
}

TEST_F(MenuStateTest, BackToMainFromTheTopLevelReturnsToTheMainMenu)
{
    TBMenu* menu = Show("options");
    Command(menu, "BackToMain");
    for (int i = 0; i < 240 && harness->GetGame()->GetCurrentState() == menu; ++i)
        harness->Step();
    auto* main = dynamic_cast<TBMenu*>(harness->GetGame()->GetCurrentState());
    ASSERT_NE(main, nullptr);  // the game did not end
    EXPECT_EQ(main->GetScreen(), "main");
}

// Leaving a career's leg screen for the main menu restarts the career in memory under the
// name the player typed, which is what every story screen then shows.
TEST_F(MenuStateTest, BackToMainFromACareerKeepsTheTeamsName)
{
    ASSERT_TRUE(StorySaveGame::Instance()->StartCareer(0, "Bolts", "Bolts"));
    harness->MakeCurrent(new StoryModeRound());
    for (int i = 0; i < 240 && Menu::Instance()->GetFadeState() != Menu::kShown; ++i)
        harness->Step();
    ASSERT_TRUE(Menu::Instance()->HasItem("Save"));  // the leg's screen
    EXPECT_EQ(Menu::Instance()->Variables()["%storyteam_name%"], "Bolts");
    harness->Step();
    Press({"(menu):back"});
    TBMenu* main = nullptr;
    for (int i = 0; i < 240 && !main; ++i) {
        harness->Step();
        main = dynamic_cast<TBMenu*>(harness->GetGame()->GetCurrentState());
    }
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->GetScreen(), "main");
    for (int i = 0; i < 240 && Menu::Instance()->GetFadeState() != Menu::kShown; ++i)
        harness->Step();
    harness->Step();
    EXPECT_EQ(Menu::Instance()->Variables()["%storyteam_name%"], "Bolts");
    EXPECT_EQ(StoryModeGame::Instance()->GetTeamName(), "Bolts");
    EXPECT_EQ(StoryModeGame::Instance()->round, 0);
}

TEST_F(MenuStateTest, AMenuFreesTheSuccessorItNeverHandedOver)
{
    int deleted = 0;
    {
        TBMenu menu("options");
        menu.SetNext(new Successor(deleted));
        menu.SetNext(new Successor(deleted));  // replaces and frees the first
        EXPECT_EQ(deleted, 1);
    }
    EXPECT_EQ(deleted, 2);
}

TEST_F(MenuStateTest, ExitRevertsTheTogglesAndAMissingScreenStaysEmpty)
{
    TBMenu* menu = Show("options");
    TBMenuToggles::Instance()->GetToggle(TBMenuToggles::kFxVolume)->value = 3;
    Command(menu, "ToggleFXVolume");
    LogCapture log;
    harness->MakeCurrent(new TBMenu("no_such_screen"));
    EXPECT_EQ(Toggle(TBMenuToggles::kFxVolume), 10);
    EXPECT_TRUE(log.Contains("TBMenu::CreateMenu could not find menu <no_such_screen>"));
    EXPECT_EQ(Menu::Instance()->GetItemCount(), 0);
}

TEST_F(MenuStateTest, RotationAndPositionNeedThreeValues)
{
    TBMenu* menu = Show("options");
    const struct {
        const char* angles;
        Vector3 turned;  // where the rotation takes the y axis
    } cases[] = {{"90,0,0", Vector3(0, 0, 1)}, {"0,90,0", Vector3(0, 1, 0)}};
    for (const auto& c : cases) {
        Command(menu, "SetRotation", c.angles);
        const Vector3 y = menu->GetRotation().Rotate(Vector3(0, 1, 0));
        EXPECT_NEAR(y.x, c.turned.x, 1e-5f) << c.angles;
        EXPECT_NEAR(y.y, c.turned.y, 1e-5f) << c.angles;
        EXPECT_NEAR(y.z, c.turned.z, 1e-5f) << c.angles;
    }
    const Quaternion before = menu->GetRotation();
    LogCapture log;
    Command(menu, "SetRotation", "10,20");
    Command(menu, "SetPosition", "1,2");
    EXPECT_TRUE(log.Contains("illegal SetPosition parameters: 1,2"));
    EXPECT_EQ(log.Count("***WARNING"), 2);
    EXPECT_EQ(menu->GetRotation().w, before.w);
}

TEST_F(MenuStateTest, ControlsNeedEveryKeyAndDeclineRestoresTheDefaults)
{
    TBMenu* menu = Show("controls");
    ConfigurableInputMapper* keyboard = PlatformInputDevices::Instance()->GetInputMapper(0);
    keyboard->SetBinding("(1):button b", ConfigurableInputMapper::kUnbound);
    menu->UpdateMenuVariables();
    Command(menu, "CheckKeyAssignment");
    EXPECT_FALSE(Menu::Instance()->GetItem("assign", 0)->IsVisible());
    Command(menu, "Controls", "assign options");
    EXPECT_EQ(menu->GetNext(), nullptr);
    EXPECT_FALSE(FileSystem::Instance()->FileExists("data\\Savegames\\inputs.txt"));

    // Without a key file "decline" puts the defaults back.
    Command(menu, "Controls", "decline");
    EXPECT_NE(keyboard->GetBinding("(1):button b"), ConfigurableInputMapper::kUnbound);
    menu->UpdateMenuVariables();
    Command(menu, "CheckKeyAssignment");
    EXPECT_TRUE(Menu::Instance()->GetItem("assign", 0)->IsVisible());

    // Complete: the key file is written and read back over a change.
    keyboard->SetBinding("(0):up", vk::Letter('Z'));
    menu->UpdateMenuVariables();
    Command(menu, "Controls", "assign options");
    ASSERT_NE(menu->GetNext(), nullptr);
    menu = Show("controls");
    keyboard->SetBinding("(0):up", vk::Letter('X'));
    Command(menu, "Controls", "decline");
    EXPECT_EQ(keyboard->GetBinding("(0):up"), vk::Letter('Z'));
    Command(menu, "Controls", "reset");
    EXPECT_EQ(keyboard->GetBinding("(0):up"), vk::Letter('W'));
}

TEST_F(MenuStateTest, ActionsLackingATokenWarnAndDoNothing)
{
    TBMenu* menu = Show("options");
    LogCapture log;
    Command(menu, "SetParameter", "level");
    Command(menu, "Controls", "assign");
    EXPECT_EQ(log.Count("***WARNING"), 2);
    EXPECT_EQ(menu->GetNext(), nullptr);
    EXPECT_EQ(Menu::Instance()->GetFadeState(), Menu::kShown);
    Command(menu, "SetParameter", "level=level03");
    EXPECT_EQ(GameParameters::Instance()->GetParameter("level"), "level03");
}

// One table over the cases of the screens' variables: what is set up, what the variables read.
TEST_F(MenuStateTest, VariablesShowTheStateOfTheGame)
{
    TBMenu* menu = Show("options");
    const auto text = [](int number) { return TextManager::Instance()->GetText(number, 0); };
    CharacterVariation* member = CharacterVariation::Find("PandaGk01");
    ASSERT_NE(member, nullptr);
    const struct {
        const char* name;
        std::function<void()> setUp;
        std::map<std::string, std::string> expected;
    } cases[] = {
        {"new career",
         [] {},
         {{"%round_number%", "1"}, {"%leg_number%", text(20101)}, {"%level_name%", text(20201)},
          {"%player_homegoals%", "0"}, {"%opponent_awaygoals%", "0"}, {"%build_info%", "v 1.0g"}}},
        {"second leg", [] { StoryModeGame::Instance()->firstLeg = false; }, {{"%leg_number%", text(20102)}}},
        {"final", [] { StoryModeGame::Instance()->round = 6; }, {{"%leg_number%", text(20103)}, {"%round_number%", "7"}}},
        {"free slots",
         [] {},
         {{"%savegame1%", "%30319%"}, {"%savegame5%", "%30319%"}, {"%savegame3_dat%", ""}, {"%savegame3_pro%", ""}}},
        {"teams of the right number",
         [] {
             GameParameters::Instance()->SetParameter("teamone", "Lizard01");
             GameParameters::Instance()->SetParameter("teamtwo", "Lizard02");
         },
         {{"select_team1_second", "2"}, {"select_team2_second", "2"}, {"select_team1_first", ""},
          {"select_team2_forth", ""}}},
        {"a team of the wrong number",
         [] { GameParameters::Instance()->SetParameter("teamone", "Lizard02"); },
         {{"select_team1_second", ""}}},
        {"no player", [] { GameParameters::Instance()->SetParameter("players", "0"); },
         {{"%singlematch_players%", "%10201%"}}},
        {"one player", [] { GameParameters::Instance()->SetParameter("players", "1"); },
         {{"%singlematch_players%", "%10202%"}}},
        {"seven players", [] { GameParameters::Instance()->SetParameter("players", "7"); },
         {{"%singlematch_players%", "Nothing"}}},
        {"no training members",
         [] {},
         {{"%training_player1%", "Not found"}, {"%training_player3%", "Not found"},
          {"%training_player_subselect%", "Not found"}}},
        {"one training member",
         [member] { TrainingSettings::Instance()->chosen[0] = member; },
         {{"%training_player1%", member->GetDisplayName()}, {"%training_player2%", "Not found"},
          {"%training_player_subselect%", member->GetDisplayName()}}},
        {"a slot past the five", [] { GameParameters::Instance()->SetParameter("storyslot", "7"); },
         {{"%select_newgame0%", ""}, {"%select_load0%", ""}}},
        {"a slot that is no number", [] { GameParameters::Instance()->SetParameter("storyslot", "x"); },
         {{"%select_newgamex%", "2"}, {"%select_loadx%", "1"}}},
        {"toggles", [] { TBMenuToggles::Instance()->GetToggle(TBMenuToggles::kShirtsTeam1)->value = 5; },
         {{"%fx_volume%", "%60211%"}, {"%shirts_team1%", "<font shirts>5</font>"}, {"%blocked_shirt_2%", "5"},
          {"%key_player1_up%", ConfigurableKeyboardInputMapper::KeyName(vk::Letter('W'))}}},
    };
    for (const auto& c : cases) {
        // The career is a member of a cast and the toggles' values are published to the
        // screen: both are reset rather than replaced.
        StoryModeGame* story = StoryModeGame::Instance();
        story->round = 0;
        story->firstLeg = true;
        TrainingSettings::DestroyInstance();
        for (const char* key : {"players", "teamone", "teamtwo", "level", "storyslot"})
            GameParameters::Instance()->SetParameter(key, "NULL");
        TBMenuToggles::Instance()->Revert();
        // Only the listed keys are compared: set them to something no case expects first.
        for (const auto& [key, value] : c.expected)
            Menu::Instance()->SetVariable(key, "stale");
        c.setUp();
        LogCapture log;
        menu->UpdateMenuVariables();
        for (const auto& [key, value] : c.expected)
            EXPECT_EQ(Menu::Instance()->Variables()[key], value) << c.name << " " << key;
        EXPECT_EQ(log.Contains("story slot \"7\" does not exist"), std::string(c.name) == "a slot past the five");
    }
    StoryModeGame::Instance()->round = 0;
    TrainingSettings::DestroyInstance();
}

// The load screen shows the slot buttons that apply to the chosen slot.
TEST_F(MenuStateTest, SlotButtonsFollowTheChosenSlot)
{
    TBMenu* menu = Show("options");
    const std::string screen = "<Screen>\n"
                               "<TextButton name=\"story_create\" position=\"0,100\" text=\"a\"/>\n"
                               "<TextButton name=\"story_load\" position=\"0,200\" text=\"b\"/>\n"
                               "<TextButton name=\"story_delete\" position=\"0,300\" text=\"c\"/>\n"
                               "</Screen>\n";
    MemoryFile file(std::vector<uint8_t>(screen.begin(), screen.end()), true);
    Menu* items = Menu::Instance();
    items->ClearScreen();
    ASSERT_TRUE(items->LoadScreen(XmlParser().Parse(&file)));
    // Shown and enabled, by button: create, load, delete.
    const auto buttons = [items] {
        std::vector<bool> state;
        for (const char* name : {"story_create", "story_load", "story_delete"}) {
            const MenuItem* item = items->GetItem(name, 0);
            state.push_back(item->IsVisible() && item->IsEnabled());
            state.push_back(item->IsVisible() || item->IsEnabled());
        }
        return state;
    };
    const struct {
        const char* choice;
        bool slotFree;
        std::vector<bool> expected;
    } cases[] = {
        {"NULL", true, {false, false, false, false, false, false}},
        {"2", true, {true, true, false, false, false, false}},
        {"2", false, {false, false, true, true, true, true}},
    };
    for (const auto& c : cases) {
        GameParameters::Instance()->SetParameter("storyslot", c.choice);
        StorySaveGame::Instance()->slots[2].free = c.slotFree;
        menu->UpdateMenuVariables();
        EXPECT_EQ(buttons(), c.expected) << c.choice << " " << c.slotFree;
    }
    EXPECT_EQ(items->Variables()["%select_load2%"], "2");
    StorySaveGame::Instance()->slots[2].free = true;
    GameParameters::Instance()->SetParameter("storyslot", "NULL");
}

// While the screen is shown the variables follow the toggles, and "Accept" applies them.
TEST_F(MenuStateTest, ShownScreensFollowTheTogglesAndAcceptAppliesThem)
{
    TBMenu* menu = Show("options");
    TBMenuToggle* volume = TBMenuToggles::Instance()->GetToggle(TBMenuToggles::kFxVolume);
    EXPECT_EQ(Menu::Instance()->GetEditValue("%fx_volume%"), &volume->value);
    volume->value = 4;
    harness->Step();
    EXPECT_EQ(Menu::Instance()->Variables()["%fx_volume%"], "%60205%");
    Command(menu, "Accept");
    EXPECT_EQ(volume->applied, 4);
    EXPECT_TRUE(FileSystem::Instance()->FileExists("Data\\SaveGames\\user.txt"));
    Command(menu, "Decline");
    EXPECT_EQ(volume->value, 4);
    GameParameters::Instance()->blockedDevices[1] = 3;
    Command(menu, "SwitchDevice");
    EXPECT_EQ(GameParameters::Instance()->blockedDevices[1], -1);  // player 1 is on the shared keyboard
}

// A save or settings write that fails is told on the message screen, and the player stays
// on his screen with what he chose or typed and the button he pressed; once the file can be
// written, the same button works.
TEST_F(MenuStateTest, AFailedWriteIsToldAndThePlayerStaysToTryAgain)
{
    struct Case {
        const char* screen;
        std::function<void()> before;  // what the player chose or typed
        const char* button;
        std::string blocked;  // a folder stands where this file goes
        std::function<bool()> kept;  // what he chose or typed is still there
        const char* leadsTo;  // the screen the button opens once it works; null: it stays and says so
    };
    TBMenuToggle* halfTime = TBMenuToggles::Instance()->GetToggle(TBMenuToggles::kHalfTime);
    const auto typed = [] { return StringUtil::Lower(Menu::Instance()->GetItem("teamname")->GetText()) == "bolts"; };
    const Case cases[] = {
        {"options", [&] { halfTime->value = 3; }, "accept", "data/Savegames/user.txt",
         [&] { return halfTime->value == 3; }, "main"},
        {"controls", [] {}, "assign", "data/Savegames/inputs.txt", [] { return true; }, "main"},
        {"story_team_select",
         [&] {
             StorySaveGame::Instance()->currentSlot = 0;
             Menu::Instance()->SelectItem("teamname");
             for (const char letter : std::string("BOLTS")) {
                 KeyboardInput::Instance()->OnKeyDown(vk::Letter(letter));
                 harness->Step();
                 KeyboardInput::Instance()->OnKeyUp(vk::Letter(letter));
                 harness->Step();
             }
         },
         "ok", "data/Savegames/savegame0.txt", typed, nullptr},
        {"leg_display", [] {}, "Save",
         "data/Savegames/SaveGameMeta.txt", [] { return true; }, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.screen);
        if (std::string(c.screen) == "leg_display") {
            ASSERT_TRUE(StorySaveGame::Instance()->StartCareer(0, "Bolts", "Bolts"));
        }
        TBMenu* menu = Show(c.screen);
        c.before();
        std::filesystem::remove(c.blocked);
        std::filesystem::create_directories(c.blocked);
        Menu::Instance()->SelectItem(c.button);
        Menu::Instance()->SetMouseMode(false);
        LogCapture log;
        Press({"(menu):button a"});
        EXPECT_TRUE(Menu::Instance()->HasItem(c.button));  // the screen fades out first
        for (int i = 0; i < 120 && !Menu::Instance()->HasItem("message"); ++i)
            harness->Step();
        EXPECT_EQ(Menu::Instance()->ExpandVariables("%dynamic_message%"),
                  Menu::Instance()->ExpandVariables(TBMenu::kNotSavedNotice));
        EXPECT_TRUE(log.Contains("***ERROR")) << log.Text();
        for (int i = 0; i < 600 && menu->IsShowingNotice(); ++i)
            harness->Step();
        ASSERT_EQ(harness->GetGame()->GetCurrentState(), menu);
        EXPECT_EQ(Selected(), c.button);
        EXPECT_TRUE(c.kept());

        std::filesystem::remove(c.blocked);
        FileSystem::Instance()->InvalidateDiskCache();
        for (int i = 0; i < 120 && Menu::Instance()->GetFadeState() != Menu::kShown; ++i)
            harness->Step();
        Press({"(menu):button a"});
        for (int i = 0; i < 240 && harness->GetGame()->GetCurrentState() == menu && !menu->IsShowingNotice(); ++i)
            harness->Step();
        if (c.leadsTo) {
            auto* next = dynamic_cast<TBMenu*>(harness->GetGame()->GetCurrentState());
            ASSERT_NE(next, nullptr);
            EXPECT_EQ(next->GetScreen(), c.leadsTo);
        } else if (std::string(c.screen) == "leg_display") {
            EXPECT_TRUE(menu->IsShowingNotice());
            for (int i = 0; i < 120 && !Menu::Instance()->HasItem("message"); ++i)
                harness->Step();
            EXPECT_EQ(Menu::Instance()->ExpandVariables("%dynamic_message%"),
                      Menu::Instance()->ExpandVariables(TBMenu::kSavedNotice));
        } else {
            EXPECT_NE(harness->GetGame()->GetCurrentState(), menu);  // on to the career's intro
        }
    }
}

// A slot table that cannot be read is told once on the message screen as the slots open; the
// slots then show the careers found.
TEST_F(MenuStateTest, AnUnreadableSlotTableIsToldOnceAndTheSlotsShowTheCareersFound)
{
    ASSERT_TRUE(StorySaveGame::Instance()->StartCareer(1, "Bolts", "Bolts"));
    std::ofstream(FileSystem::Instance()->ResolveDiskPath(StorySaveGame::kTableFile), std::ios::trunc) << "garbage";
    StorySaveGame::Instance()->slots[1] = StorySaveGame::Slot();
    auto* menu = new TBMenu("story_slots");
    harness->MakeCurrent(menu);
    for (int i = 0; i < 240 && !Menu::Instance()->HasItem("message"); ++i)
        harness->Step();
    EXPECT_EQ(Menu::Instance()->ExpandVariables("%dynamic_message%"), "Career list repaired");
    for (int i = 0; i < 600 && menu->IsShowingNotice(); ++i)
        harness->Step();
    for (int i = 0; i < 240 && Menu::Instance()->GetFadeState() != Menu::kShown; ++i)
        harness->Step();
    EXPECT_TRUE(Menu::Instance()->HasItem("slot1"));
    EXPECT_EQ(Menu::Instance()->Variables()["%savegame2%"], "Bolts");
    for (int i = 0; i < 30; ++i)
        harness->Step();
    EXPECT_FALSE(menu->IsShowingNotice());
    EXPECT_EQ(harness->GetGame()->GetCurrentState(), menu);
}

// The main screen adapts to the game size: without "XXL" the story mode is hidden.
TEST_F(MenuStateTest, TheMainScreenFitsTheGameSize)
{
    Show("main");
    Menu* menu = Menu::Instance();
    ASSERT_TRUE(menu->HasItem("storymode", 0));
    EXPECT_FALSE(menu->GetItem("storymode", 0)->IsVisible());
    EXPECT_TRUE(menu->GetItem("options", 0)->IsVisible());
    EXPECT_EQ(menu->Variables()["%maxSingleDuration%"], "5");
    EXPECT_EQ(menu->Variables()["%maxDetailLevel%"], "1");
}

// The menus read the leg fields every frame, before any career has started.
TEST(StoryRecordTest, ANewRecordStandsAsAResetRound)
{
    StoryModeGame fresh;
    StoryModeGame reset;
    reset.firstLeg = false;
    reset.roundFinished = true;
    reset.homeGoals1 = reset.homeGoals2 = reset.awayGoals1 = reset.awayGoals2 = reset.penaltyResult = 3;
    reset.ResetRound();
    const auto legs = [](const StoryModeGame& s) {
        return std::vector<int>{s.firstLeg, s.roundFinished, s.homeGoals1, s.homeGoals2, s.awayGoals1, s.awayGoals2,
                                s.penaltyResult};
    };
    EXPECT_EQ(legs(fresh), legs(reset));
    EXPECT_EQ(fresh.GetLevelNumber(), 1);
    EXPECT_EQ(fresh.GetOpponentName(), "Panda02");
}

TEST(CreditsTest, LinesScrollUpAndEndPastTheTop)
{
    // No line: nothing printed, ended once the scroll passes 700 + 100 s.
    EXPECT_TRUE(TBMenu::LayOutCredits(0.0f, 1.0f, 0).printed.empty());
    EXPECT_FALSE(TBMenu::LayOutCredits(799.0f, 1.0f, 0).ended);
    EXPECT_TRUE(TBMenu::LayOutCredits(801.0f, 1.0f, 0).ended);
    EXPECT_FALSE(TBMenu::LayOutCredits(899.0f, 2.0f, 0).ended);
    EXPECT_TRUE(TBMenu::LayOutCredits(901.0f, 2.0f, 0).ended);

    // At 600 pixels the lines stand 50 units apart, drawn only between -160 and 600.
    const TBMenu::CreditsLayout layout = TBMenu::LayOutCredits(200.0f, 1.0f, 20);
    const std::vector<std::pair<int, float>> expected = {{0, 500.0f}, {1, 550.0f}};
    EXPECT_EQ(layout.printed, expected);
    const TBMenu::CreditsLayout later = TBMenu::LayOutCredits(900.0f, 1.0f, 20);
    ASSERT_FALSE(later.printed.empty());
    EXPECT_EQ(later.printed.front(), (std::pair<int, float>{1, -150.0f}));
    EXPECT_EQ(later.printed.back(), (std::pair<int, float>{15, 550.0f}));
}

TEST_F(MenuStateTest, CreditsScrollWhileShownAndFadingAndReturnToMain)
{
    TBMenu* menu = Show("credits");
    const float before = menu->GetCreditsScroll();
    harness->Step();
    EXPECT_NEAR(menu->GetCreditsScroll() - before, GameHarness::kFrameTime * 50.0f, 1e-4f);
    menu->SetCreditsScroll(100000.0f);
    harness->Step();
    ASSERT_NE(menu->GetNext(), nullptr);
    for (int i = 0; i < 240 && harness->GetGame()->GetCurrentState() == menu; ++i)
        harness->Step();
    auto* main = dynamic_cast<TBMenu*>(harness->GetGame()->GetCurrentState());
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->GetScreen(), "main");
}

// The credits' lines scroll through their item's area and are cut at its edges.
TEST_F(MenuStateTest, CreditsAreDrawnOnlyInsideTheirArea)
{
    TBMenu* menu = Show("credits");
    const Font* font = TextDisplay::Instance()->FindFont("menu");
    ASSERT_NE(font, nullptr);
    const Vector4 area = Menu::Instance()->GetItem("creditsText")->GetArea();
    constexpr float kSlack = 0.01f;
    int inside = 0, outside = 0;
    for (const float scroll : {150.0f, 420.0f, 690.0f, 960.0f}) {
        menu->SetCreditsScroll(scroll);
        harness->Step();
        for (const RwNullDrawRecord& draw : RwNullDeviceGet()->draws) {
            if (!draw.is2D || draw.texture != font->GetRaster())
                continue;
            for (const RwIm2DVertex& corner : draw.corners2D) {
                const bool in = corner.x >= area.x - kSlack && corner.x <= area.x + area.z + kSlack &&
                                corner.y >= area.y - kSlack && corner.y <= area.y + area.w + kSlack;
                ++(in ? inside : outside);
            }
        }
    }
    EXPECT_GT(inside, 0);
    EXPECT_EQ(outside, 0);
}

}  // namespace

namespace {

// The quality option, stepped on the options screen and accepted, switches the ball's trail
// and the players' particles and shadows: off at the lowest quality, on above it.
TEST_F(MenuStateTest, AcceptedQualitySwitchesTrailsParticlesAndShadows)
{
    Menu* menu = Menu::Instance();
    menu->SetMouseMode(false);
    const TBMenuToggle& quality = *TBMenuToggles::Instance()->GetToggle(TBMenuToggles::kQuality);
    const struct {
        const char* step;
        int value;
        bool effects;
    } cases[] = {{"(menu):left", 0, false}, {"(menu):right", 1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Ball::s_highQuality = !c.effects;
        Show("options");
        menu->SelectItem("quality");
        Press({c.step});
        ASSERT_EQ(quality.value, c.value);
        menu->SelectItem("accept");
        Press({"(menu):button a"});
        EXPECT_EQ(GameParameters::Instance()->quality, c.value);
        EXPECT_EQ(Ball::s_highQuality, c.effects);
    }
}

// "Who plays?": after a choice, the line under the buttons names it in the chosen button's
// own words when the player comes back to the screen.
TEST_F(MenuStateTest, WhoPlaysNamesTheChoiceMadeInTheButtonsWords)
{
    Menu* menu = Menu::Instance();
    menu->SetMouseMode(false);
    for (const char* button : {"players0", "players1", "players2"}) {
        SCOPED_TRACE(button);
        Show("select_players");
        menu->SelectItem(button);
        const std::string label = menu->ExpandVariables(menu->GetSelectedItem()->GetText());
        Press({"(menu):button a"});
        ASSERT_TRUE(ShownAfterwards("select_team_one"));
        Press({"(menu):back"});
        ASSERT_TRUE(ShownAfterwards("select_players"));
        EXPECT_EQ(menu->ExpandVariables("%singlematch_players%"), label);
    }
}

// A pointer that lies still over no item hovers nothing: the screen's own selection stays
// for the keys, and a moved pointer takes it.
TEST_F(MenuStateTest, ARestingPointerLeavesTheScreensSelectionToTheKeys)
{
    MouseInput* mouse = MouseInput::Instance();
    mouse->SetState(1, 1, 0u);
    mouse->Update(GameHarness::kFrameTime);
    mouse->Update(GameHarness::kFrameTime);
    Menu* menu = Menu::Instance();
    menu->SetMouseMode(true);
    Show("game_stat");
    for (int i = 0; i < 10; ++i)
        harness->Step();
    EXPECT_EQ(Selected(), "continue");
    Press({"(menu):button a"});
    EXPECT_NE(menu->GetFadeState(), Menu::kShown);

    Show("game_stat");
    mouse->SetState(2, 2, 0u);
    mouse->Update(GameHarness::kFrameTime);
    harness->Step();
    EXPECT_EQ(Selected(), "");
}

TEST_F(MenuStateTest, AfterThePointerLeftTheScreenTheKeysGoOnFromItsLastItem)
{
    TBMenu* shown = Show("main");
    MouseInput* mouse = MouseInput::Instance();
    // A move, read in one frame; the next frame sees the pointer resting.
    const auto pointAt = [&](int x, int y) {
        mouse->SetState(x, y, 0u);
        mouse->Update(GameHarness::kFrameTime);
        harness->Step();
        mouse->Update(GameHarness::kFrameTime);
    };
    const auto pointAtItem = [&](const char* item) {
        const Vector4 area = Menu::Instance()->GetItem(item, 0)->GetArea();
        pointAt(static_cast<int>(area.x + area.z / 2), static_cast<int>(area.y + area.w / 2));
    };
    const struct {
        const char* hovered;
        const char* key;
        const char* then;
    } cases[] = {{"options", "(menu):down", "controls"}, {"credits", "(menu):up", "controls"}};
    for (const auto& c : cases) {
        pointAtItem(c.hovered);
        ASSERT_EQ(Selected(), c.hovered);
        pointAt(1, 1);
        ASSERT_EQ(Selected(), "");
        Press({c.key});
        EXPECT_EQ(Selected(), c.then) << c.hovered << " " << c.key;
    }
    // The select key chooses the item lit last.
    pointAtItem("options");
    pointAt(1, 1);
    Press({"(menu):button a"});
    const auto* next = dynamic_cast<const TBMenu*>(shown->GetNext());
    EXPECT_EQ(next ? next->GetScreen() : "", "options");
}

// Buttons side by side answer the arrows that point to them; Down still reaches the next.
TEST_F(MenuStateTest, ButtonsSideBySideAnswerLeftAndRight)
{
    const struct {
        const char* screen;
        const char* from;
        const char* key;
        const char* to;
    } cases[] = {
        {"round_lost", "yes", "(menu):right", "no"}, {"round_lost", "no", "(menu):left", "yes"},
        {"round_lost", "yes", "(menu):left", "yes"}, {"round_lost", "yes", "(menu):down", "no"},
        {"options", "accept", "(menu):right", "decline"}, {"options", "decline", "(menu):left", "accept"},
        {"controls", "assign", "(menu):right", "reset"}, {"controls", "reset", "(menu):right", "decline"},
        {"overwrite", "no", "(menu):left", "yes"},
    };
    for (const auto& c : cases) {
        Show(c.screen);
        Menu::Instance()->SelectItem(c.from);
        Press({c.key});
        EXPECT_EQ(Selected(), c.to) << c.screen << ": " << c.from << " " << c.key;
    }
}

// The player sees a screen as it appears: his keys then act on it once it is shown, in the
// order he pressed them.
TEST_F(MenuStateTest, KeysPressedWhileTheScreenAppearsActOnItInTheirOrder)
{
    const struct {
        const char* screen;
        std::vector<const char*> presses;
        const char* selected;
        const char* next;  // the screen chosen, or none
    } cases[] = {
        {"main", {"(menu):down", "(menu):down", "(menu):button a"}, "options", "options"},
        {"main", {"(menu):up"}, "quit", ""},
        {"round_lost", {"(menu):right"}, "no", ""},
        {"round_lost", {"(menu):right", "(menu):left"}, "yes", ""},
        {"credits", {"(menu):back"}, "back", "main"},
    };
    for (const auto& c : cases) {
        auto* menu = new TBMenu(c.screen);
        harness->MakeCurrent(menu);
        harness->Step();
        for (const char* action : c.presses)
            Press({action});
        ASSERT_EQ(Menu::Instance()->GetFadeState(), Menu::kFadingIn) << c.screen;
        for (int i = 0; i < 240 && Menu::Instance()->GetFadeState() != Menu::kShown; ++i)
            harness->Step();
        for (size_t i = 0; i <= c.presses.size(); ++i)
            harness->Step();
        EXPECT_EQ(Selected(), c.selected) << c.screen << " " << c.presses.back();
        const auto* next = dynamic_cast<const TBMenu*>(menu->GetNext());
        EXPECT_EQ(next ? next->GetScreen() : "", c.next) << c.screen << " " << c.presses.back();
    }
}

TEST_F(MenuStateTest, APadTypesTheTeamNameOnTheOnScreenKeyboardAndItsOkGoesOnToTheOptions)
{
    Menu::Instance()->SetVariable("storyteamname", "");
    // A resting pointer, and no key left held by an earlier test.
    MouseInput::Instance()->Update(GameHarness::kFrameTime);
    KeyboardInput::Instance()->ClearHeldKey();
    Show("story_team_select");
    Menu::Instance()->SetMouseMode(false);
    ASSERT_EQ(Selected(), "teamname");
    Press({"(menu):down"});
    ASSERT_EQ(Selected(), "keyboard");
    // From A: B; M, N, O; Z, !, ., SPACE; DEL; OK.
    const std::vector<std::vector<const char*>> strokes = {
        {"(menu):right", "(menu):button a"},
        {"(menu):down", "(menu):right", "(menu):right", "(menu):button a"},
        {"(menu):down", "(menu):down", "(menu):right", "(menu):right", "(menu):button a"},
        {"(menu):right", "(menu):button a"},
        {"(menu):button a"},
    };
    std::vector<std::string> typed;
    for (const auto& stroke : strokes) {
        for (const char* action : stroke)
            Press({action});
        typed.push_back(Menu::Instance()->Variables()["storyteamname"]);
    }
    EXPECT_EQ(typed, (std::vector<std::string>{"B", "Bo", "Bo ", "Bo", "B"}));
    Press({"(menu):right"});
    Press({"(menu):button a"});
    EXPECT_EQ(Selected(), "story_half_time_duration");
    EXPECT_EQ(Menu::Instance()->GetItem("teamname", 0)->GetText(), "B");
}

}  // namespace
