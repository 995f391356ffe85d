// The selection screen's menu: the selection hears every word first, and the menu keeps
// only the placing of its plane for itself.
#include "frontend/selection/PlayerSelectionMenu.h"

#include "framework/Message.h"
#include "game/harness/GameHarness.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/MenuLabel.h"
#include "settings/GameParameters.h"
#include "tests/support/LogCapture.h"
#include "tests/support/NullDeviceSuite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

class Owner : public MessageListener {
public:
    int OnMessage(int message, intptr_t param) override
    {
        const auto* record = reinterpret_cast<const MenuActionParameter*>(param);
        heard.push_back(std::string(MessageServer::Instance()->GetMessageName(message)) + " " +
                        (record && record->argument ? record->argument : ""));
        return 0;
    }
    std::vector<std::string> heard;
};

class PlayerSelectionMenuTest : public NullDeviceSuite {
protected:
    void SetUp() override
    {
        ClearDataFolders();
        GameParameters::DestroyInstance();
        harness = std::make_unique<GameHarness>(OffscreenWindow(), TB_DATA_ARCHIVE);
        ASSERT_TRUE(harness->Start("XL"));
    }
    void TearDown() override
    {
        harness.reset();
        Menu::Instance()->SetEditValue("selected_character", nullptr);
    }

    void Command(const char* word, const char* argument = "")
    {
        MenuActionParameter parameter;
        parameter.argument = argument;
        menu->OnMessage(MessageServer::Instance()->RegisterMessage(word), reinterpret_cast<intptr_t>(&parameter));
    }
    void ShowMenu(const char* screen = "main")
    {
        menu = new PlayerSelectionMenu(screen, &owner);
        harness->MakeCurrent(menu);
        for (int i = 0; i < 200 && Menu::Instance()->GetFadeState() != Menu::kShown; ++i)
            harness->Step();
        ASSERT_EQ(Menu::Instance()->GetFadeState(), Menu::kShown);
    }

    std::unique_ptr<GameHarness> harness;
    Owner owner;
    PlayerSelectionMenu* menu = nullptr;
};

TEST_F(PlayerSelectionMenuTest, TheSelectionHearsEveryWordAndTheMenuOnlyPlacesItsPlane)
{
    ShowMenu();
    owner.heard.clear();
    LogCapture log;
    Command("SetMenu", "options");
    Command("Nothing");
    Command("BackToMain");
    Command("SetPosition", "1,2,3");
    Command("SetRotation", "0,90,0");
    Command("SetPosition", "4,5");

    EXPECT_EQ(owner.heard, (std::vector<std::string>{"SetMenu options", "Nothing ", "BackToMain ", "SetPosition 1,2,3",
                                                     "SetRotation 0,90,0", "SetPosition 4,5"}));
    // Neither a screen change nor an end: the selection decides when its screen goes.
    EXPECT_EQ(menu->GetNext(), nullptr);
    EXPECT_FALSE(menu->GetReturnToMainOnExit());
    EXPECT_EQ(Menu::Instance()->GetFadeState(), Menu::kShown);
    EXPECT_EQ(log.Count("\"SetMenu\" is ignored"), 1);
    EXPECT_EQ(menu->GetPosition().x, 1.0f);
    EXPECT_EQ(menu->GetPosition().z, 3.0f);
    EXPECT_NEAR(std::abs(menu->GetRotation().y), std::sqrt(0.5f), 1e-5f);
    EXPECT_EQ(log.Count("illegal SetPosition parameters: 4,5"), 1);
}

TEST_F(PlayerSelectionMenuTest, TheAllStarScreenOffersTenCandidatesAndSpeaksToTheSelection)
{
    int cursor = 0;
    Menu* screen = Menu::Instance();
    screen->SetEditValue("selected_character", &cursor);
    ShowMenu("3dMenues\\AllStarMulti10p");
    for (int n = 1; n <= 10; ++n)
        for (const std::string& item : {"pick_" + std::to_string(n), "hover_" + std::to_string(n)})
            EXPECT_TRUE(screen->HasItem(item)) << item;
    for (const char* item : {"selector", "accept", "quit", "prompt"})
        EXPECT_TRUE(screen->HasItem(item)) << item;
    EXPECT_FALSE(screen->HasItem("pick_11"));
    EXPECT_EQ(screen->GetSelectedItemName(), "selector");

    owner.heard.clear();
    harness->Step();
    const std::set<std::string> heard(owner.heard.begin(), owner.heard.end());
    for (const char* word : {"PlayerSelectionVis 1 1", "PlayerSelectionVis 2 1", "PlayerSelectionVis 1 10",
                             "PlayerSelectionVis 2 10", "PlayerSelectionFinished "})
        EXPECT_TRUE(heard.contains(word)) << word;

    // The keys move the cursor along the bench and pick the one under it.
    owner.heard.clear();
    MenuItem* selector = screen->GetItem("selector");
    selector->OnMessage(MenuMessage("menu right"), 0);
    EXPECT_EQ(cursor, 1);
    selector->OnMessage(MenuMessage("menu left"), 0);
    selector->OnMessage(MenuMessage("menu left"), 0);
    EXPECT_EQ(cursor, 9);
    selector->OnMessage(MenuMessage("menu select"), 0);
    EXPECT_EQ(std::count(owner.heard.begin(), owner.heard.end(), "PlayerSelectionChanged "), 3);
    EXPECT_EQ(owner.heard.back(), "PlayerSelectionToggle ");
}

}  // namespace
