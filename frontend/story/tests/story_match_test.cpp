#include "support/StoryTestSupport.h"

#include "frontend/story/StoryMatchRules.h"
#include "settings/GameSettings.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using StoryMatchTest = StoryTest;

TEST_F(StoryMatchTest, CutSceneFollowsTheOutcome)
{
    struct Case {
        const char* name;
        int round;
        bool firstLeg;
        int earlierOwn, earlierOpponent;  // booked before, in the first leg
        int own, opponent;  // this match
        std::string folder, script;
        int page;
    };
    const std::string paper = "<PP>cutScenes\\newspaper\\";
    const Case cases[] = {
        {"first leg won", 1, true, 0, 0, 2, 1, paper, "script_happy.txt", 2},
        {"first leg drawn", 1, true, 0, 0, 1, 1, paper, "script_happy.txt", 0},
        {"first leg lost", 1, true, 0, 0, 0, 1, paper, "script_sad.txt", 1},
        {"second leg lost, round won", 2, false, 3, 0, 0, 1, paper, "script_happy.txt", 4},
        {"second leg won, round lost", 2, false, 0, 3, 1, 0, paper, "script_sad.txt", 3},
        {"final won", 6, true, 0, 0, 1, 0, "<PP>cutScenes\\Outro\\", "", 0},
        {"final lost", 6, true, 0, 0, 0, 2, paper, "script_sad.txt", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Game()->round = c.round;
        Game()->ResetRound();
        Game()->AddLegGoals(c.earlierOwn, c.earlierOpponent);
        Game()->firstLeg = c.firstLeg;
        Game()->AddLegGoals(c.own, c.opponent);
        const story_match::CutScene scene = story_match::AfterMatch(c.own, c.opponent);
        EXPECT_EQ(std::make_tuple(scene.folder, scene.script, scene.page), std::make_tuple(c.folder, c.script, c.page));
    }
}

TEST_F(StoryMatchTest, VenueAndStakesFollowTheLeg)
{
    const struct {
        int round;
        bool firstLeg, home, decisive;
    } cases[] = {{0, true, false, false}, {0, false, true, true}, {5, false, true, true}, {6, true, false, true},
                 {6, false, false, true}};
    for (const auto& c : cases) {
        Game()->round = c.round;
        Game()->firstLeg = c.firstLeg;
        EXPECT_EQ(std::make_pair(story_match::IsHomeLeg(), story_match::IsDecisive()), std::make_pair(c.home, c.decisive))
            << c.round << " " << c.firstLeg;
    }
}

TEST_F(StoryMatchTest, TheMatchRulesCarryTheLegDue)
{
    struct Case {
        const char* name;
        bool active;
        int round;
        int firstLegOwn, firstLegOpponent;  // booked; -1: the first leg is due
        bool cards;
        bool finalRound;
        std::vector<int> booked;  // side 0 (the career's team), side 1
    };
    const Case cases[] = {
        {"first leg", true, 2, -1, -1, false, false, {0, 0}},
        {"second leg after a 1:3 away", true, 2, 1, 3, true, false, {1, 3}},
        {"the final", true, 6, -1, -1, true, true, {0, 0}},
        {"outside a leg", false, 3, 2, 0, true, false, {2, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Game()->round = c.round;
        Game()->ResetRound();
        if (c.firstLegOwn >= 0) {
            Game()->AddLegGoals(c.firstLegOwn, c.firstLegOpponent);
            Game()->firstLeg = false;
        }
        Game()->active = c.active;
        Game()->cards = c.cards;
        const MatchRules rules = story_match::Rules();
        EXPECT_EQ(std::make_tuple(rules.storyLeg, rules.finalRound, rules.firstLeg, rules.cards),
                  std::make_tuple(c.active, c.finalRound, c.firstLegOwn < 0, c.cards));
        EXPECT_EQ(std::vector<int>(rules.bookedGoals, rules.bookedGoals + 2), c.booked);
        EXPECT_EQ(rules.shootoutWinner, &Game()->penaltyResult);
    }
}

TEST_F(StoryMatchTest, AggressionGrowsEachRound)
{
    GameSettings::Instance()->firstRoundAggression = 12.0f;
    GameSettings::Instance()->perRoundAggression = 3.5f;
    EXPECT_EQ(story_match::OpponentAggression(0), 12.0f);
    EXPECT_EQ(story_match::OpponentAggression(1), 15.5f);
    EXPECT_EQ(story_match::OpponentAggression(6), 33.0f);
    GameSettings::DestroyInstance();
}

TEST_F(StoryMatchTest, LineUpTakesTheSelectedThenTheBench)
{
    Members seven = Squad("Panda", 0);
    seven.push_back({"PandaGk01", true});
    seven.push_back({"PandaPl04", false});
    struct Case {
        const char* name;
        Members team;
        std::vector<std::string> selected, list;
        const char* screen;
    };
    const Case cases[] = {
        {"five: no bench", Squad("Panda", 0), {"PandaGk00", "PandaPl03", "PandaPl00", "PandaPl01", "PandaPl02"},
         {"PandaGk00*", "PandaPl03", "PandaPl00", "PandaPl01", "PandaPl02"}, "3dmenues\\InGameSelection5p"},
        {"seven: the first two left out sit on the bench", seven,
         {"PandaGk01", "PandaPl04", "PandaPl00", "PandaPl02", "PandaPl03"},
         {"PandaGk01*", "PandaPl04", "PandaPl00", "PandaPl02", "PandaPl03", "PandaGk00*", "PandaPl01"},
         "3dmenues\\InGameSelection7p"},
        {"six: the five-member screen", Members(seven.begin(), seven.end() - 1), {"PandaGk00"}, {"PandaGk00*"},
         "3dmenues\\InGameSelection5p"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Names(story_match::LineUp(c.team, c.selected)), c.list);
        EXPECT_STREQ(story_match::SelectionScreen(c.team.size()), c.screen);
    }
}

}  // namespace

namespace {

TEST_F(StoryMatchTest, MatchSetupFollowsTheRound)
{
    GameSettings::Instance()->firstRoundAggression = 10.0f;
    GameSettings::Instance()->perRoundAggression = 2.0f;
    Team("Panda02")->SetTeamName("Bamboo Wanderers");
    const std::vector<std::string> five = {"PandaGk00", "PandaPl01", "PandaPl00", "PandaPl02", "PandaPl03"};
    MatchSetup setup = story_match::PlaySetup(five);
    EXPECT_EQ(setup.levelFolder.substr(setup.levelFolder.size() - 8), "level01\\");
    EXPECT_EQ(std::make_tuple(setup.teamOne.teamName, Names(setup.teamOne.members), setup.teamOne.benchCount),
              std::make_tuple(std::string("Bamboo Rovers"),
                              std::vector<std::string>{"PandaGk00*", "PandaPl01", "PandaPl00", "PandaPl02", "PandaPl03"},
                              0));
    EXPECT_EQ(std::make_tuple(setup.teamTwo.teamName, Names(setup.teamTwo.members), setup.teamTwo.benchCount),
              std::make_tuple(std::string("Bamboo Wanderers"), Names(Squad("Panda", 1)), 0));
    EXPECT_EQ(std::make_tuple(setup.createReferee, setup.computerAggression, setup.showBenches, setup.showSpectators),
              std::make_tuple(true, 10.0f, false, true));

    // Round 3, a team of seven: the two left out sit on the bench; the opponent is harder.
    Game()->round = 3;
    Team("Panda01")->GetMembers().push_back({"PandaGk01", true});
    Team("Panda01")->GetMembers().push_back({"PandaPl04", false});
    setup = story_match::PlaySetup(five);
    EXPECT_EQ(Names(setup.teamOne.members), (std::vector<std::string>{"PandaGk00*", "PandaPl01", "PandaPl00", "PandaPl02",
                                                                       "PandaPl03", "PandaGk01*", "PandaPl04"}));
    EXPECT_EQ(setup.teamOne.benchCount, 2);
    EXPECT_EQ(setup.teamTwo.teamName, Game()->GetOpponentTeamName());
    EXPECT_EQ(setup.computerAggression, 16.0f);
    EXPECT_EQ(setup.levelFolder.substr(setup.levelFolder.size() - 8), "level02\\");
    GameSettings::DestroyInstance();
}

TEST_F(StoryMatchTest, WithoutAPickTheFirstFivePlay)
{
    Team("Panda01")->GetMembers().push_back({"PandaGk01", true});
    EXPECT_EQ(story_match::FirstFive(Team("Panda01")->GetMembers()),
              (std::vector<std::string>{"PandaGk00", "PandaPl00", "PandaPl01", "PandaPl02", "PandaPl03"}));
    EXPECT_EQ(story_match::FirstFive(Members(2, {"PandaGk00", true})).size(), 2u);
}

}  // namespace
