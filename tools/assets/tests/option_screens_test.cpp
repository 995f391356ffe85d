// The options screen and the team-name screen as the menu builds them.
#include "support/AssetTestSupport.h"

#include "menus/Menu.h"
#include "menus/MenuTextField.h"
#include "menus/MenuToggleButton.h"
#include "menus/XmlParser.h"
#include "tools/assets/menus/MenuAssets.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

class Owner : public MessageListener {
public:
    int OnMessage(int, intptr_t) override { return 0; }
};

class OptionScreensTest : public ::testing::Test {
protected:
    void SetUp() override { Menu::Instance()->SetOwner(&owner); }
    void TearDown() override { Menu::DestroyInstance(); }

    void Load(const std::string& name)
    {
        for (const auto& [screen, text] : assets::menus::OptionScreens())
            if (screen == name) {
                std::string error;
                ASSERT_TRUE(Menu::Instance()->LoadScreen(assets::test::ParseXml(text, error))) << name << ": " << error;
                return;
            }
        FAIL() << "no screen " << name;
    }

    Owner owner;
};

TEST_F(OptionScreensTest, EveryOptionHasAToggleOnItsOwnValue)
{
    Menu* menu = Menu::Instance();
    menu->SetVariable("%maxSingleDuration%", "4");
    menu->SetVariable("%numOfDevices%", "2");
    menu->SetVariable("%maxDetailLevel%", "1");
    menu->SetVariable("%blocked_shirt_1%", "3");
    Load("options");
    const struct {
        const char* name;
        int max;
        const char* onChange;
    } toggles[] = {
        {"fx_volume", 10, "ToggleFXVolume;PlaySelectSound"},
        {"music_volume", 10, "ToggleMusicVolume;PlaySelectSound"},
        {"screen_resolution", 2, "PlaySelectSound"},
        {"half_time_duration", 4, "PlaySelectSound"},
        {"shirts_team1", 7, "PlaySelectSound"},
        {"shirts_team2", 7, "PlaySelectSound"},
        {"control_device1", 2, "SwitchDevice;PlaySelectSound"},
        {"control_device2", 2, "SwitchDevice;PlaySelectSound"},
        {"var_cards", 1, "PlaySelectSound"},
        {"replays", 1, "PlaySelectSound"},
        {"quality", 1, "PlaySelectSound"},
    };
    for (const auto& t : toggles) {
        auto* toggle = dynamic_cast<MenuToggleButton*>(menu->GetItem(t.name));
        ASSERT_NE(toggle, nullptr) << t.name;
        EXPECT_EQ(toggle->GetEditValue().name, std::string("%") + t.name + "%");
        EXPECT_EQ(toggle->GetText(), std::string("%") + t.name + "%");
        EXPECT_EQ(toggle->GetEditValue().maxValue, t.max) << t.name;
        EXPECT_EQ(toggle->GetXmlNode()->GetAttribute("OnChange"), t.onChange);
    }
    EXPECT_EQ(dynamic_cast<MenuToggleButton*>(menu->GetItem("shirts_team1"))->GetBlockedValue(), 3);
    EXPECT_EQ(menu->GetSelectedItemName(), "fx_volume");
    EXPECT_EQ(menu->GetItem("accept")->GetXmlNode()->GetAttribute("OnSelect"), "Accept;SetMenu main;PlaySelectSound");
    EXPECT_EQ(menu->GetItem("decline")->GetXmlNode()->GetAttribute("OnSelect"), "Decline;SetMenu main;PlaySelectSound");
}

TEST_F(OptionScreensTest, TheTeamNameGoesIntoStoryTeamName)
{
    Menu::Instance()->SetVariable("storyteamname", "Pandas");
    Load("story_team_select");
    auto* field = dynamic_cast<MenuTextField*>(Menu::Instance()->GetItem("teamname"));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->GetText(), "Pandas");
    EXPECT_EQ(field->GetBufferVar(), "storyteamname");
    EXPECT_EQ(Menu::Instance()->GetSelectedItemName(), "teamname");
    EXPECT_EQ(Menu::Instance()->GetItem("ok")->GetXmlNode()->GetAttribute("OnSelect"), "EnterStoryMode;PlaySelectSound");
}

}  // namespace
