#include "frontend/single/SingleMatch.h"

#include "characters/Team.h"
#include "framework/FileSystem.h"
#include "framework/Message.h"
#include "frontend/loading/MatchLoading.h"
#include "frontend/menu/TBMenu.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "match/GainedObjects.h"
#include "match/period/MatchPeriod.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/XmlParser.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameParameters.h"
#include "tests/support/HarnessSuite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <string>

namespace {

class SingleMatchMenuTest : public HarnessSuite {
protected:
    static void SetUpTestSuite()
    {
        std::filesystem::remove_all("Data");
        std::filesystem::remove_all("data");
        std::filesystem::create_directories("data/Savegames");
        FileSystem::Instance()->InvalidateDiskCache();
        StartHarness("XL");
    }

    void SetUp() override
    {
        GameParameters* parameters = GameParameters::Instance();
        for (const char* choice : {"players", "teamone", "teamtwo", "level", "firstPlayer"})
            parameters->SetParameter(choice, "NULL");
        parameters->customTeam[0] = parameters->customTeam[1] = 0;
    }

    static State* Current() { return s_harness->GetGame()->GetCurrentState(); }

    // Runs until the screen is shown and reads keys (false when it never is).
    static bool WaitFor(const std::string& screen)
    {
        for (int i = 0; i < 300; ++i) {
            const auto* menu = dynamic_cast<TBMenu*>(Current());
            if (menu && menu->GetScreen() == screen && Menu::Instance()->GetFadeState() == Menu::kShown) {
                s_harness->Step();  // keys count from the frame after the first one shown
                return true;
            }
            s_harness->Step();
        }
        return false;
    }
    static void Press(const char* action)
    {
        s_harness->Script().Press(s_harness->GetFrame(), action);
        s_harness->Step();
        s_harness->Step();
    }
    // Down until the item is selected, then the select key, as a player would.
    static bool Choose(const std::string& item)
    {
        for (int i = 0; i < 16 && Menu::Instance()->GetSelectedItemName() != item; ++i)
            Press("(menu):down");
        if (Menu::Instance()->GetSelectedItemName() != item)
            return false;
        Press("(menu):button a");
        return true;
    }
    static TBMenu* Show(const std::string& screen)
    {
        auto* menu = new TBMenu(screen);
        s_harness->MakeCurrent(menu);
        EXPECT_TRUE(WaitFor(screen)) << screen;
        return menu;
    }
    static void Command(TBMenu* menu, const char* word, const char* argument = "")
    {
        MenuActionParameter parameter;
        parameter.argument = argument;
        menu->OnMessage(MessageServer::Instance()->RegisterMessage(word), reinterpret_cast<intptr_t>(&parameter));
    }
    static std::string NextScreen(TBMenu* menu)
    {
        const auto* next = dynamic_cast<TBMenu*>(menu->GetNext());
        return next ? next->GetScreen() : (menu->GetNext() ? "other" : "none");
    }
    static bool Visible(const char* item)
    {
        return Menu::Instance()->HasItem(item, 0) && Menu::Instance()->GetItem(item, 0)->IsVisible();
    }

};

TEST_F(SingleMatchMenuTest, KeysLeadFromMainThroughTheChoicesToARunningMatch)
{
    Show("main");
    const struct {
        const char* screen;
        const char* item;
    } path[] = {
        {"main", "single"},           {"select_players", "players1"}, {"select_team_one", "team0"},
        {"select_team_two", "team1"}, {"select_level", "level0"},
    };
    for (const auto& step : path) {
        ASSERT_TRUE(WaitFor(step.screen)) << step.screen;
        ASSERT_TRUE(Choose(step.item)) << step.screen << " " << step.item;
    }
    GameParameters* parameters = GameParameters::Instance();
    EXPECT_EQ(parameters->GetParameter("players"), "1");
    EXPECT_EQ(parameters->GetParameter("teamone"), "Panda01");
    EXPECT_EQ(parameters->GetParameter("teamtwo"), "Panda02");
    EXPECT_EQ(parameters->GetParameter("level"), "level01");

    SingleMatch* match = nullptr;
    for (int i = 0; i < 300 && !(match && dynamic_cast<MatchPeriod*>(match->GetHeld())); ++i) {
        s_harness->Step();
        match = dynamic_cast<SingleMatch*>(Current());
    }
    ASSERT_NE(match, nullptr);
    ASSERT_NE(dynamic_cast<MatchPeriod*>(match->GetHeld()), nullptr);
    EXPECT_TRUE(GameTB::s_inMatch);
    EXPECT_EQ(FileSystem::Instance()->GetAlias("<LP>"), FileSystem::Instance()->ExpandAliases("<PP>level01\\"));
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(s_harness->Step()) << s_harness->GetProblem();
    EXPECT_EQ(Current(), match);
}

TEST_F(SingleMatchMenuTest, CommandsRecordTheChoicesAndChooseTheNextScreen)
{
    struct Case {
        const char* screen;
        const char* players;
        const char* selected;  // item selected when the command runs; null for none
        const char* word;
        const char* argument;
        const char* next;
        const char* teamOne;
        const char* teamTwo;
        int modes[2];
    };
    const Case cases[] = {
        {"select_players", "NULL", nullptr, "AdvanceMenu", "select_team_one", "none", "NULL", "NULL", {0, 0}},
        {"select_team_two", "2", nullptr, "BackStepMenu", "select_team_one", "select_team_one", "NULL", "Rhino01", {0, 2}},
        {"select_players", "1", nullptr, "AdvanceMenu", "select_team_one", "select_team_one", "NULL", "NULL", {0, 0}},
        {"select_team_one", "1", "team2", "AdvanceMenu", "select_team_two", "select_team_two", "Lizard01", "NULL", {0, 0}},
        {"select_team_one", "0", "allstar", "AdvanceMenu", "select_team_two", "select_team_two", "NULL", "NULL", {2, 0}},
        {"select_team_one", "1", "allstar", "AdvanceMenu", "select_team_two", "select_team_two", "NULL", "NULL", {1, 0}},
        {"select_team_two", "2", "allstar", "AdvanceMenu", "select_level", "select_level", "NULL", "NULL", {0, 1}},
        {"select_team_two", "1", "allstar", "AdvanceMenu", "select_level", "select_level", "NULL", "NULL", {0, 2}},
        {"select_team_two", "1", "team7", "AdvanceMenu", "select_level", "select_level", "NULL", "Primate02", {0, 0}},
        {"select_team_two", "1", nullptr, "AdvanceMenu", "nowhere", "none", "NULL", "NULL", {0, 0}},
        {"select_level", "1", nullptr, "BackStepMenu", "select_team_two", "select_team_two", "NULL", "NULL", {0, 0}},
        {"select_level", "1", nullptr, "StartGame", "SingleMatch", "none", "NULL", "NULL", {0, 0}},
    };
    for (const Case& c : cases) {
        SetUp();
        GameParameters* parameters = GameParameters::Instance();
        // A back step clears what side two had chosen.
        parameters->SetParameter("teamtwo", std::string(c.word) == "BackStepMenu" ? "Rhino01" : "NULL");
        parameters->customTeam[1] = std::string(c.word) == "BackStepMenu" ? 2 : 0;
        parameters->SetParameter("players", c.players);
        // The team names are published on the way to the first team screen.
        Command(Show("select_players"), "AdvanceMenu", "select_team_one");
        TBMenu* menu = Show(c.screen);
        // Coming back to the first team screen forgets side one's earlier choice.
        if (std::string(c.argument) == "select_team_one") {
            parameters->SetParameter("teamone", "Rhino02");
            parameters->customTeam[0] = 2;
        }
        if (c.selected)
            Menu::Instance()->SelectItem(c.selected);
        Command(menu, c.word, c.argument);
        const std::string where = std::string(c.screen) + " " + c.word + " " + c.argument + " " + c.players;
        EXPECT_EQ(NextScreen(menu), c.next) << where;
        EXPECT_EQ(parameters->GetParameter("teamone"), c.teamOne) << where;
        EXPECT_EQ(parameters->GetParameter("teamtwo"), c.teamTwo) << where;
        EXPECT_EQ(parameters->customTeam[0], c.modes[0]) << where;
        EXPECT_EQ(parameters->customTeam[1], c.modes[1]) << where;
    }
}

TEST_F(SingleMatchMenuTest, LockedTeamsAndLevelsAreHiddenAndTheFirstTeamIsNotOfferedTwice)
{
    GainedObjects* gained = GainedObjects::Instance();
    const std::array<bool, GainedObjects::kTeamCount> teams = std::to_array(gained->teams);
    const std::array<bool, GainedObjects::kEnvironmentCount> levels = std::to_array(gained->environments);
    const bool allStar = gained->allStarTeam;
    for (int i = 0; i < GainedObjects::kTeamCount; ++i)
        gained->teams[i] = i != 0 && i != 5;
    gained->environments[0] = gained->environments[2] = true;
    gained->environments[1] = gained->environments[3] = false;
    gained->allStarTeam = false;

    GameParameters::Instance()->SetParameter("players", "1");
    Show("select_team_one");
    EXPECT_FALSE(Visible("team0"));
    EXPECT_FALSE(Visible("team0_img"));
    EXPECT_FALSE(Visible("team5"));
    EXPECT_TRUE(Visible("team1"));
    EXPECT_TRUE(Visible("team4_img"));
    EXPECT_FALSE(Visible("allstar"));
    EXPECT_EQ(Menu::Instance()->GetSelectedItemName(), "team1");

    GameParameters::Instance()->SetParameter("teamone", "Lizard01");
    GameParameters::Instance()->SetParameter("firstPlayer", "team2");
    Show("select_team_two");
    EXPECT_FALSE(Visible("team2"));
    EXPECT_FALSE(Visible("team2_img"));
    EXPECT_TRUE(Visible("team3"));

    Show("select_level");
    const bool shown[] = {true, false, true, false};
    for (int i = 0; i < 4; ++i) {
        const std::string level = "level" + std::to_string(i);
        EXPECT_EQ(Visible(level.c_str()), shown[i]) << level;
        EXPECT_EQ(Visible((level + "_img").c_str()), shown[i]) << level;
    }
    std::copy(teams.begin(), teams.end(), gained->teams);
    std::copy(levels.begin(), levels.end(), gained->environments);
    gained->allStarTeam = allStar;
}

TEST_F(SingleMatchMenuTest, ALoadRunAtOnceHandsBackWhatFollowsAndAggressionGoesToComputerSides)
{
    const struct {
        const char* players;
        float aggression[2];
    } cases[] = {{"0", {7.5f, 7.5f}}, {"1", {0.0f, 7.5f}}, {"2", {0.0f, 0.0f}}};
    for (const auto& c : cases) {
        GameParameters::Instance()->SetParameter("players", c.players);
        MatchSetup setup;
        setup.levelFolder = "<PP>level01\\";
        setup.teamOne = {"Pandas", TeamDescription::Find("Panda01")->GetMembers(), 1};
        setup.computerAggression = 7.5f;
        // The loading ends itself: nothing follows it.
        EXPECT_EQ(MatchLoading::RunAtOnce(setup), nullptr) << c.players;
        PitchSimulation* pitch = PitchSimulation::Instance();
        for (int side = 0; side < 2; ++side)
            EXPECT_EQ(pitch->GetTeam(side)->GetAggression(), c.aggression[side]) << c.players << " side " << side;
        EXPECT_EQ(pitch->GetTeam(1)->GetPlayerCount(), 0);
    }
}

}  // namespace
