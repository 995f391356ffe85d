#include "frontend/selection/PlayerSelectionSingleMatch.h"

#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "framework/Random.h"
#include "frontend/TBMenu.h"
#include "frontend/menu/SingleMatchPool.h"
#include "frontend/selection/PlayerSelection.h"
#include "frontend/single/SingleMatch.h"
#include "game/harness/GameHarness.h"
#include "menus/Menu.h"
#include "settings/GameParameters.h"
#include "tests/support/HarnessSuite.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using single_match::Layout;
using single_match::Member;

std::vector<std::string> Names(const std::vector<TeamMember>& list)
{
    std::vector<std::string> names;
    for (const TeamMember& member : list)
        names.push_back(member.variation);
    return names;
}

std::vector<std::string> Names(const std::vector<Character*>& list)
{
    std::vector<std::string> names;
    for (const Character* character : list)
        names.push_back(character->GetVariation()->GetKeyName());
    return names;
}

TEST(SingleMatchPool, NamesComeFromTheTeamCodes)
{
    EXPECT_EQ(single_match::KeeperName(0), "PandaGk00");
    EXPECT_EQ(single_match::KeeperName(5), "LizardGk01");
    EXPECT_EQ(single_match::PlayerName(2, 2), "RhinoPl02");
    EXPECT_EQ(single_match::PlayerName(6, 5), "RhinoPl05");
    EXPECT_EQ(single_match::TeamIndex("Primate01"), 3);
    EXPECT_EQ(single_match::TeamIndex("Primate02"), 7);
    EXPECT_EQ(single_match::TeamIndex("NULL"), -1);
}

// Over many seeds: two keepers then eight outfield players, no name twice, the last code
// never drawn, the own team kept out unless two humans pick, numbers within the variant.
TEST(SingleMatchPool, DrawsAreDistinctAndKeepTheOwnTeamOut)
{
    const std::set<std::string> rhino01 = {"RhinoGk00", "RhinoPl00", "RhinoPl01", "RhinoPl02"};
    int rhinoWhenAllowed = 0;
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        for (int own : {2, -1}) {
            Random::Seed(seed);
            const std::vector<Member> pool = single_match::DrawPool(own);
            ASSERT_EQ(pool.size(), 10u);
            std::set<std::string> names;
            for (size_t i = 0; i < pool.size(); ++i) {
                const std::string& name = pool[i].variation;
                EXPECT_EQ(pool[i].isSub, i < 2) << seed << " " << name;
                EXPECT_NE(name.find(i < 2 ? "Gk" : "Pl"), std::string::npos) << name;
                for (const char* primate02 : {"PrimateGk01", "PrimatePl04", "PrimatePl05", "PrimatePl06"})
                    EXPECT_NE(name, primate02) << seed;
                names.insert(name);
                if (own == 2)
                    EXPECT_EQ(rhino01.count(name), 0u) << seed << " " << name;
                else
                    rhinoWhenAllowed += static_cast<int>(rhino01.count(name));
                const char digit = name.back();
                EXPECT_TRUE(i < 2 || (digit >= '0' && digit <= '2') || (digit >= '4' && digit <= '6')) << name;
            }
            EXPECT_EQ(names.size(), 10u) << seed;
        }
    }
    EXPECT_GT(rhinoWhenAllowed, 0);
}

TEST(SingleMatchPool, SharingGivesTeamOneFiveAndTeamTwoFour)
{
    std::vector<Member> pool;
    for (int i = 0; i < 10; ++i)
        pool.push_back({"m" + std::to_string(i), i < 2});
    std::vector<TeamMember> lists[2];
    single_match::SharePool(pool, lists);
    EXPECT_EQ(Names(lists[0]), (std::vector<std::string>{"m0", "m3", "m5", "m7", "m9"}));
    EXPECT_EQ(Names(lists[1]), (std::vector<std::string>{"m1", "m4", "m6", "m8"}));
}

TEST(SingleMatchPool, ChoicesPickTheLayoutAndTheOwnTeam)
{
    struct Case {
        const char* players;
        int custom0, custom1;
        Layout layout;
        int ownTeam;
        bool sideOneFirst;
    };
    const Case cases[] = {
        {"0", 2, 2, Layout::kAllRandom, 5, true},
        {"1", 0, 2, Layout::kAllRandom, 2, true},
        {"1", 1, 0, Layout::kOnePicker, 5, true},
        {"1", 1, 2, Layout::kTwoHumans, -1, true},
        {"2", 1, 1, Layout::kTwoHumans, -1, true},
        {"2", 0, 1, Layout::kOnePicker, 2, false},
        {"2", 1, 0, Layout::kOnePicker, 5, true},
        // Neither 0, 1 nor 2: the one-picker layout.
        {"NULL", 1, 0, Layout::kOnePicker, 5, true},
    };
    for (const Case& c : cases) {
        GameParameters parameters;
        parameters.SetParameter("players", c.players);
        parameters.SetParameter("teamone", "Rhino01");
        parameters.SetParameter("teamtwo", "Lizard02");
        parameters.customTeam[0] = c.custom0;
        parameters.customTeam[1] = c.custom1;
        const single_match::Choice choice = single_match::ReadChoice(parameters);
        const std::string label = std::string(c.players) + " " + std::to_string(c.custom0) + std::to_string(c.custom1);
        EXPECT_EQ(choice.layout, c.layout) << label;
        EXPECT_EQ(choice.ownTeam, c.ownTeam) << label;
        if (c.layout == Layout::kOnePicker) {
            EXPECT_EQ(choice.sideOneFirst, c.sideOneFirst) << label;
        }
    }
}

class SingleMatchStartTest : public HarnessSuite {
protected:
    static void SetUpTestSuite()
    {
        StartHarness("XXL");
    }

    void SetUp() override
    {
        GameParameters* parameters = GameParameters::Instance();
        parameters->SetParameter("teamone", "Panda01");
        parameters->SetParameter("teamtwo", "Lizard01");
        parameters->SetParameter("level", "level01");
        for (int side = 0; side < 2; ++side) {
            parameters->memberLists[side].clear();
            g_chosenCharacters[side].clear();
        }
    }

};

TEST_F(SingleMatchStartTest, NoHumanPlayersStartTheMatchAtOnceWithTheSharedPool)
{
    GameParameters* parameters = GameParameters::Instance();
    parameters->SetParameter("players", "0");
    parameters->customTeam[0] = parameters->customTeam[1] = 2;
    parameters->memberListsStale = 1;
    parameters->memberLists[0] = {{"stale", true}};
    TBMenu menu("select_level");
    menu.StartSingleMatch(7);
    // Side one plays no listed team, so side two's is kept out of the draws.
    Random::Seed(7);
    const std::vector<Member> pool = single_match::DrawPool(single_match::TeamIndex("Lizard01"));
    std::vector<TeamMember> expected[2];
    single_match::SharePool(pool, expected);
    EXPECT_EQ(Names(parameters->memberLists[0]), Names(expected[0]));
    EXPECT_EQ(Names(parameters->memberLists[1]), Names(expected[1]));
    EXPECT_EQ(parameters->memberListsStale, 0);
    ASSERT_NE(menu.GetNext(), nullptr);
    std::unique_ptr<State> match(menu.GetNext()->Update(GameHarness::kFrameTime));
    EXPECT_NE(dynamic_cast<SingleMatch*>(match.get()), nullptr);
}

// Two humans: the pool sits on the bench in draw order and both pick in turns; the picks
// become the custom sides by name.
TEST_F(SingleMatchStartTest, TwoHumansPickFromThePoolAndTheMatchGetsTheirPicks)
{
    GameParameters* parameters = GameParameters::Instance();
    parameters->SetParameter("players", "2");
    parameters->customTeam[0] = parameters->customTeam[1] = 1;
    TBMenu menu("select_level");
    menu.StartSingleMatch(11);
    EXPECT_EQ(parameters->memberListsStale, 1);
    State* chain = menu.GetNext();
    ASSERT_NE(dynamic_cast<IteratingState*>(chain), nullptr);
    Random::Seed(11);
    std::vector<std::string> pool;
    for (const Member& member : single_match::DrawPool(-1))
        pool.push_back(member.variation);

    chain->Enter();
    int* cursor = Menu::Instance()->GetEditValue(PlayerSelection::kCursorVariable);
    ASSERT_NE(cursor, nullptr);
    const int order[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (int candidate : order) {
        MenuActionParameter parameter;
        parameter.argument = "";
        *cursor = candidate;
        Menu::Instance()->GetOwner()->OnMessage(MessageServer::Instance()->RegisterMessage("PlayerSelectionToggle"),
                                                reinterpret_cast<intptr_t>(&parameter));
    }
    EXPECT_EQ(Names(PlayerSelectionResult::SingleMatchOutput(0)),
              (std::vector<std::string>{pool[0], pool[2], pool[4], pool[6], pool[8]}));
    EXPECT_EQ(Names(PlayerSelectionResult::SingleMatchOutput(1)),
              (std::vector<std::string>{pool[1], pool[3], pool[5], pool[7], pool[9]}));
    MenuActionParameter done;
    Menu::Instance()->GetOwner()->OnMessage(MessageServer::Instance()->RegisterMessage("Nothing"),
                                            reinterpret_cast<intptr_t>(&done));
    State* handOver = chain->Update(GameHarness::kFrameTime);
    ASSERT_NE(handOver, nullptr);
    ASSERT_NE(handOver, chain);
    chain->Exit();
    handOver->Enter();
    std::unique_ptr<State> match(handOver->Update(GameHarness::kFrameTime));
    delete handOver;
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(g_chosenCharacters[0].size(), 5u);
    ASSERT_EQ(g_chosenCharacters[1].size(), 5u);
    EXPECT_EQ(g_chosenCharacters[0][0].name, pool[0]);
    EXPECT_EQ(g_chosenCharacters[1][4].name, pool[9]);
    EXPECT_TRUE(PlayerSelectionResult::SingleMatchOutput(0).empty());
    EXPECT_EQ(parameters->memberListsStale, 1);
}

TEST_F(SingleMatchStartTest, RequestsFollowTheLayout)
{
    std::vector<Character*> none;
    const PlayerSelectionResult two = single_match::MakeRequest({{}, Layout::kTwoHumans, false}, none);
    EXPECT_EQ(two.mode, 2);
    EXPECT_EQ(two.screen, "3dMenues//AllStarMulti10p");
    EXPECT_EQ(two.goalkeepersToPick, 2);
    EXPECT_EQ(two.outfieldPlayersToPick, 8);
    EXPECT_EQ(two.firstPrefix, "(0):");
    EXPECT_EQ(two.secondPrefix, "(1):");
    EXPECT_EQ(two.firstOutput, &PlayerSelectionResult::SingleMatchOutput(0));
    EXPECT_EQ(two.secondOutput, &PlayerSelectionResult::SingleMatchOutput(1));
    const PlayerSelectionResult one = single_match::MakeRequest({{}, Layout::kOnePicker, false}, none);
    EXPECT_EQ(one.mode, 3);
    EXPECT_EQ(one.goalkeepersToPick, 1);
    EXPECT_EQ(one.outfieldPlayersToPick, 4);
    EXPECT_EQ(one.firstOutput, &PlayerSelectionResult::SingleMatchOutput(1));
    EXPECT_EQ(one.secondOutput, &PlayerSelectionResult::SingleMatchOutput(0));
}

}  // namespace
