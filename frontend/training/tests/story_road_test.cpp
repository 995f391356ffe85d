// The story mode's road through the real game on the default data: slots, a new career, its
// first leg saved, the game started again, the career continued into its training and the
// match start.
#include "characters/CharacterVariation.h"
#include "characters/TeamDescription.h"
#include "framework/FileSystem.h"
#include "framework/Message.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/menu/TBMenuToggles.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StorySaveGame.h"
#include "frontend/training/TrainingMode.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "input/ConfigurableInputMapper.h"
#include "input/PlatformInputDevices.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "scene/RwGraphics.h"
#include "settings/GameParameters.h"
#include "settings/TrainingSettings.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include "tests/support/NullDeviceSuite.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace {

class StoryRoadTest : public NullDeviceSuite {
protected:
    void SetUp() override
    {
        ClearDataFolders();
        std::filesystem::create_directories("data/Savegames");
        Start();
    }
    void TearDown() override
    {
        harness.reset();
        TBMenuToggles::DestroyInstance();
    }

    // A new game, as after the program was started again.
    void Start()
    {
        harness.reset();
        StoryModeGame::DestroyInstance();
        StorySaveGame::DestroyInstance();
        GameParameters::DestroyInstance();
        PlatformInputDevices::Instance()->GetInputMapper(0)->SetDefaults();
        harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
        ASSERT_TRUE(harness->Start("XL"));
    }

    // The menu that owns the screen once it is shown, or null.
    TBMenu* WaitFor(const std::string& screen)
    {
        for (int i = 0; i < 400; ++i) {
            auto* menu = dynamic_cast<TBMenu*>(Menu::Instance()->GetOwner());
            if (menu && menu->GetScreen() == screen && Menu::Instance()->GetFadeState() == Menu::kShown)
                return menu;
            harness->Step();
        }
        ADD_FAILURE() << "no screen " << screen;
        return nullptr;
    }
    TBMenu* Show(TBMenu* menu)
    {
        harness->MakeCurrent(menu);
        return WaitFor(menu->GetScreen());
    }
    static void Command(TBMenu* menu, const char* word, const char* argument = "")
    {
        MenuActionParameter parameter;
        parameter.argument = argument;
        menu->OnMessage(MessageServer::Instance()->RegisterMessage(word), reinterpret_cast<intptr_t>(&parameter));
    }
    static std::vector<std::string> Buttons()
    {
        std::vector<std::string> names;
        for (const char* name : {"OK", "continue", "Save", "quit"})
            if (Menu::Instance()->HasItem(name))
                names.push_back(std::string(name) + (Menu::Instance()->GetItem(name)->IsSelected() ? "*" : ""));
        return names;
    }

    std::unique_ptr<GameHarness> harness;
};

TEST_F(StoryRoadTest, ACareerIsSavedAndContinuedAfterARestart)
{
    TBMenu* slots = Show(new TBMenu("story_slots"));
    ASSERT_NE(slots, nullptr);
    Command(slots, "SetParameter", "storyslot=2");
    Command(slots, "StartGame", "StoryMode");
    TBMenu* name = WaitFor("story_team_select");
    ASSERT_NE(name, nullptr);
    Menu::Instance()->SetVariable("storyteamname", "Bolts");
    Command(name, "EnterStoryMode");
    TBMenu* leg = WaitFor("leg_display");
    ASSERT_NE(leg, nullptr);
    EXPECT_TRUE(StoryModeGame::Instance()->active);
    Command(leg, "Save");
    EXPECT_EQ(StorySaveGame::Instance()->slots[2].progress, "<scale 0.4><br>%30320% 1</scale>");

    Start();
    slots = Show(new TBMenu("story_slots"));
    ASSERT_NE(slots, nullptr);
    EXPECT_EQ(Menu::Instance()->Variables()["%savegame3%"], "Bolts");
    EXPECT_EQ(Menu::Instance()->Variables()["%savegame3_pro%"], "<scale 0.4><br>%30320% 1</scale>");
    EXPECT_EQ(Menu::Instance()->Variables()["%savegame1%"], "%30319%");
    Command(slots, "SetParameter", "storyslot=2");
    Command(slots, "SelectedStory");
    EXPECT_EQ(Menu::Instance()->GetSelectedItemName(), "story_load");
    Command(slots, "StartGame", "LastStory");
    leg = WaitFor("leg_display");
    ASSERT_NE(leg, nullptr);
    EXPECT_EQ(StoryModeGame::Instance()->teamName, "Bolts");
    EXPECT_EQ(TeamDescription::Find("Panda01")->GetTeamName(), "Bolts");
    // A resumed career goes on with "continue".
    EXPECT_EQ(Buttons(), (std::vector<std::string>{"continue*", "Save"}));

    Command(leg, "Training");
    TBMenu* training = WaitFor("training");
    ASSERT_NE(dynamic_cast<TrainingMode*>(training), nullptr);
    Command(training, "SetMenu", "matchstart");
    TBMenu* start = WaitFor("matchstart");
    ASSERT_NE(dynamic_cast<TrainingMode*>(start), nullptr);
    EXPECT_EQ(Buttons(), (std::vector<std::string>{"OK*", "Save", "quit"}));
}

TEST_F(StoryRoadTest, ANewCareerStartsFromTheStoredTeam)
{
    CharacterVariation* member = CharacterVariation::Find("PandaPl00");
    ASSERT_NE(member, nullptr);
    const float stored = member->energy.level;
    member->energy.SetLevel(stored < 90.0f ? stored + 10.0f : 55.0f);
    TeamDescription::Find("Panda01")->GetMembers().push_back({"LizardPl00", false});
    StoryModeGame::Instance()->NewGame("Bolts");
    EXPECT_EQ(member->energy.level, stored);
    EXPECT_EQ(TeamDescription::Find("Panda01")->GetMembers().size(), 5u);
}

TEST_F(StoryRoadTest, TrainingMenusSpeakTheirOwnWords)
{
    ASSERT_TRUE(StorySaveGame::Instance()->StartCareer(1, "Bolts", "Bolts"));
    auto* menu = new TrainingMode("matchstart");
    harness->MakeCurrent(menu);
    // Fading in: a screen change is dropped, the plane is placed.
    Command(menu, "SetMenu", "training");
    Command(menu, "SetPosition", "1,2,3");
    EXPECT_EQ(menu->GetNext(), nullptr);
    EXPECT_EQ(menu->GetPosition().y, 2.0f);

    StoryModeGame::Instance()->resumePending = true;
    menu = dynamic_cast<TrainingMode*>(Show(new TrainingMode("matchstart")));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Buttons(), (std::vector<std::string>{"continue*", "Save"}));
    StoryModeGame::Instance()->round = 3;
    StoryModeGame::Instance()->firstLeg = false;
    StoryModeGame::Instance()->trainingPassed = true;
    Command(menu, "Save");
    EXPECT_EQ(StorySaveGame::Instance()->slots[1].progress, "<scale 0.4><br>%30320% 16</scale>");
    // The save is told on the message screen; then the screen is back.
    EXPECT_TRUE(menu->IsShowingNotice());
    for (int i = 0; i < 600 && (menu->IsShowingNotice() || Menu::Instance()->GetFadeState() != Menu::kShown); ++i)
        harness->Step();
    EXPECT_EQ(Buttons(), (std::vector<std::string>{"continue*", "Save"}));  // as it was left

    Command(menu, "SetMenu", "training");
    auto* next = dynamic_cast<TrainingMode*>(menu->GetNext());
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->GetScreen(), "training");
    EXPECT_EQ(Menu::Instance()->GetFadeState(), Menu::kFadingOut);

    menu = dynamic_cast<TrainingMode*>(Show(new TrainingMode("matchstart")));
    ASSERT_NE(menu, nullptr);
    TrainingSettings::Instance()->drillCounter = 3;
    Command(menu, "BackToMain");
    EXPECT_EQ(menu->GetNext(), nullptr);
    EXPECT_TRUE(menu->GetReturnToMainOnExit());
    EXPECT_EQ(TrainingSettings::Instance()->drillCounter, 0);
    EXPECT_EQ(Menu::Instance()->GetFadeState(), Menu::kFadingOut);
}

// "Back to the main menu" from the leg's screen (its Escape) and from the match start: the
// main menu alone is on screen, with none of the career's buttons left in it.
TEST_F(StoryRoadTest, LeavingACareerForTheMainMenuLeavesNothingOfItsScreensBehind)
{
    const std::function<void(TBMenu*)> leaves[] = {
        [this](TBMenu*) {
            // The screen reads its keys from its first frame shown on; the press comes after it.
            harness->Step();
            harness->Script().Press(harness->GetFrame(), "(menu):back");
        },
        [this](TBMenu* leg) {
            Command(leg, "Training");
            TBMenu* training = WaitFor("training");
            ASSERT_NE(training, nullptr);
            Command(training, "SetMenu", "matchstart");
            TBMenu* start = WaitFor("matchstart");
            ASSERT_NE(start, nullptr);
            Command(start, "BackToMain");
        },
    };
    for (const auto& leave : leaves) {
        Start();
        ASSERT_TRUE(StorySaveGame::Instance()->StartCareer(1, "Bolts", "Bolts"));
        TBMenu* slots = Show(new TBMenu("story_slots"));
        ASSERT_NE(slots, nullptr);
        Command(slots, "SetParameter", "storyslot=1");
        Command(slots, "StartGame", "LastStory");
        TBMenu* leg = WaitFor("leg_display");
        ASSERT_NE(leg, nullptr);
        leave(leg);
        TBMenu* main = WaitFor("main");
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(harness->GetGame()->GetCurrentState(), main);
        for (const char* career : {"OK", "continue", "Save"})
            EXPECT_FALSE(Menu::Instance()->HasItem(career)) << career;
        EXPECT_FALSE(Menu::Instance()->HasItem("quit", 1)) << "main's own quit, once";
    }
}

}  // namespace
