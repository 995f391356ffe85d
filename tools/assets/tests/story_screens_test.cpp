// The story mode's screens as the menu builds them: what each button does.
#include "support/AssetTestSupport.h"

#include "menus/Menu.h"
#include "menus/MenuToggleButton.h"
#include "menus/XmlParser.h"
#include "tools/assets/menus/MenuAssets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Owner : public MessageListener {
public:
    int OnMessage(int message, intptr_t) override
    {
        commands.push_back(MessageServer::Instance()->GetMessageName(message));
        return 0;
    }
    std::vector<std::string> commands;
};

class StoryScreensTest : public ::testing::Test {
protected:
    void SetUp() override { Menu::Instance()->SetOwner(&owner); }
    void TearDown() override { Menu::DestroyInstance(); }

    void Load(const std::string& name)
    {
        std::vector<std::pair<std::string, std::string>> screens = assets::menus::StoryScreens();
        const auto options = assets::menus::OptionScreens();
        screens.insert(screens.end(), options.begin(), options.end());
        for (const auto& [screen, text] : screens)
            if (screen == name) {
                std::string error;
                ASSERT_TRUE(Menu::Instance()->LoadScreen(assets::test::ParseXml(text, error))) << name << ": " << error;
                return;
            }
        FAIL() << "no screen " << name;
    }

    static std::string Action(const std::string& item)
    {
        MenuItem* found = Menu::Instance()->GetItem(item);
        return found ? found->GetXmlNode()->GetAttribute("OnSelect") : "<no item>";
    }

    Owner owner;
};

TEST_F(StoryScreensTest, ButtonsLeadWhereTheCareerGoes)
{
    const struct {
        const char* screen;
        const char* onLoad;  // the command after the plane's placing
        std::vector<std::pair<std::string, std::string>> buttons;
    } screens[] = {
        {"story_slots", "LoadSavegameMeta",
         {{"slot0", "SetParameter storyslot=0;SelectedStory"}, {"slot4", "SetParameter storyslot=4;SelectedStory"},
          {"story_create", "StartGame StoryMode"}, {"story_load", "StartGame LastStory"},
          {"story_delete", "DeleteStory;LoadSavegameMeta"}}},
        {"overwrite", "", {{"yes", "SetMenu story_team_select"}, {"no", "SetMenu story_slots"}}},
        {"leg_display", "CheckLegEntry",
         {{"OK", "Training"}, {"continue", "Training"}, {"quit", "BackToMain"}, {"Save", "Save"}}},
        {"final_round_display", "", {{"OK", "RunCode StoryModeLeg"}}},
        {"round_won", "CheckRoundResultType", {{"next", "NextRound"}}},
        {"round_lost", "CheckRoundResultType",
         {{"yes", "RunCode StoryModeContinueYes"}, {"no", "RunCode StoryModeContinueNo"}}},
        {"win_place_holder", "", {{"OK", "SetMenu main"}}},
        {"matchstart", "CheckMatchstartEntry",
         {{"OK", "StartMatch"}, {"continue", "StartMatch"}, {"quit", "BackToMain"}, {"Save", "Save"}}},
    };
    for (const auto& s : screens) {
        SCOPED_TRACE(s.screen);
        Menu::DestroyInstance();
        Menu::Instance()->SetOwner(&owner);
        owner.commands.clear();
        Load(s.screen);
        std::vector<std::string> loaded = {"SetPosition"};
        if (*s.onLoad)
            loaded.push_back(s.onLoad);
        EXPECT_EQ(owner.commands, loaded);
        for (const auto& [item, action] : s.buttons)
            EXPECT_EQ(Action(item), action + ";PlaySelectSound") << item;
    }
}

TEST_F(StoryScreensTest, ResultScreensNameTheLegsTheFinalDrops)
{
    Load("round_won");
    for (const char* item : {"player_home", "opponent_away", "player_away", "opponent_home"})
        EXPECT_TRUE(Menu::Instance()->HasItem(item)) << item;
}

TEST_F(StoryScreensTest, TeamNameScreenStepsTheCareerOptions)
{
    Menu::Instance()->SetVariable("%maxSingleDuration%", "5");
    Load("story_team_select");
    for (const auto& [name, max] : {std::pair{"story_half_time_duration", 5}, {"story_shirts", 7}, {"story_cards", 1}}) {
        auto* toggle = dynamic_cast<MenuToggleButton*>(Menu::Instance()->GetItem(name));
        ASSERT_NE(toggle, nullptr) << name;
        EXPECT_EQ(toggle->GetEditValue().name, std::string("%") + name + "%");
        EXPECT_EQ(toggle->GetEditValue().maxValue, max) << name;
    }
}

}  // namespace
