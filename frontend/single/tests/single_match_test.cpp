#include "frontend/single/SingleMatch.h"

#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "framework/FileSystem.h"
#include "frontend/TBMenu.h"
#include "frontend/loading/MatchLoading.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StoryModeRound.h"
#include "game/GameTB.h"
#include "game/harness/GameHarness.h"
#include "match/period/MatchPeriod.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameParameters.h"
#include "settings/GameSettings.h"
#include "tests/support/HarnessSuite.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;
using Members = std::vector<MatchLoading::Member>;

// Runs for a number of updates, logging its life.
class Probe : public State {
public:
    Probe(Log& log, int updates) : m_log(log), m_updates(updates) {}
    ~Probe() override { m_log.push_back("delete"); }
    void Enter() override { m_log.push_back("enter"); }
    void Exit() override { m_log.push_back("exit"); }
    void Render() override { m_log.push_back("render"); }
    State* Update(float) override { return --m_updates > 0 ? this : nullptr; }

private:
    Log& m_log;
    int m_updates;
};

// A match whose chain a test chooses.
class ProbeMatch : public SingleMatch {
public:
    void HoldForTest(State* state) { Hold(state); }
};

class ProbeRound : public StoryModeRound {
public:
    void HoldForTest(State* state) { Hold(state); }
};

std::string Describe(const Members& members)
{
    std::string text;
    for (const MatchLoading::Member& member : members)
        text += member.variation + (member.isSub ? "*" : "") + " ";
    return text;
}

class SingleMatchTest : public HarnessSuite {
protected:
    static void SetUpTestSuite()
    {
        StartHarness("XL");
    }

    void SetUp() override
    {
        GameParameters* parameters = GameParameters::Instance();
        parameters->SetParameter("teamone", "Panda01");
        parameters->SetParameter("teamtwo", "Lizard01");
        parameters->SetParameter("level", "level01");
        parameters->SetParameter("players", "1");
        for (int side = 0; side < 2; ++side) {
            parameters->customTeam[side] = 0;
            parameters->memberLists[side].clear();
            g_chosenCharacters[side].clear();
        }
        parameters->memberListsStale = 0;
    }

};

TEST_F(SingleMatchTest, TheLoadingGetsTheChosenTeamsInDescriptionOrder)
{
    const std::string pandas = Describe(TeamDescription::Find("Panda01")->GetMembers());
    const std::string lizards = Describe(TeamDescription::Find("Lizard01")->GetMembers());
    ASSERT_EQ(pandas, "PandaGk00* PandaPl00 PandaPl01 PandaPl02 PandaPl03 ");
    struct Case {
        int customSide;  // -1 for none
        std::string names[2];
        std::string members[2];
    };
    const Case cases[] = {
        {-1, {"Bamboo Rovers", "Lagoon Lizards"}, {pandas, lizards}},
        {1, {"Bamboo Rovers", "%10204%"}, {pandas, "LizardGk01* PandaPl05 RhinoPl00 "}},
        {0, {"%10204%", "Lagoon Lizards"}, {"LizardGk01* PandaPl05 RhinoPl00 ", lizards}},
    };
    GameSettings::Instance()->singleMatchAggression = 12.5f;
    for (const Case& c : cases) {
        SetUp();
        if (c.customSide >= 0) {
            GameParameters::Instance()->customTeam[c.customSide] = 1;
            GameParameters::Instance()->memberListsStale = 1;
            g_chosenCharacters[c.customSide] = {{"LizardGk01"}, {"PandaPl05"}, {"RhinoPl00"}};
        }
        const std::unique_ptr<MatchLoading> loading = SingleMatch::CreateLoading();
        ASSERT_NE(loading, nullptr);
        for (int side = 0; side < 2; ++side) {
            EXPECT_EQ(loading->GetSideName(side), c.names[side]) << c.customSide;
            EXPECT_EQ(Describe(loading->GetMembers(side)), c.members[side]) << c.customSide;
            EXPECT_EQ(loading->GetBenchCount(side), 0);
        }
        EXPECT_EQ(loading->GetLevelFolder(), FileSystem::Instance()->ExpandAliases("<PP>") + "level01\\");
        EXPECT_TRUE(loading->GetCreateReferee());
        EXPECT_EQ(loading->GetAiAggression(), 12.5f);
        EXPECT_FALSE(loading->GetFullBenches());
        EXPECT_TRUE(loading->GetSpectators());
    }
}

TEST_F(SingleMatchTest, ATeamNamingNoDescriptionIsLoggedAndTheMatchReturnsToMain)
{
    for (const char* parameter : {"teamone", "teamtwo"}) {
        SetUp();
        GameParameters::Instance()->SetParameter(parameter, "Walrus09");
        LogCapture log;
        SingleMatch match;
        match.Enter();
        EXPECT_TRUE(log.Contains("Walrus09")) << parameter;
        EXPECT_EQ(match.GetHeld(), nullptr);
        std::unique_ptr<State> next(match.Update(GameHarness::kFrameTime));
        const auto* menu = dynamic_cast<TBMenu*>(next.get());
        ASSERT_NE(menu, nullptr) << parameter;
        EXPECT_EQ(menu->GetScreen(), "main");
        match.Exit();
    }
}

TEST_F(SingleMatchTest, EnterLoadsOnTheFirstUpdateAndHandsOverToTheFirstPeriod)
{
    SingleMatch match;
    match.Enter();
    ASSERT_NE(dynamic_cast<IteratingState*>(match.GetHeld()), nullptr);
    EXPECT_EQ(match.Update(GameHarness::kFrameTime), &match);
    EXPECT_EQ(FileSystem::Instance()->GetAlias("<LP>"), FileSystem::Instance()->ExpandAliases("<PP>level01\\"));
    EXPECT_EQ(match.Update(GameHarness::kFrameTime), &match);
    const auto* period = dynamic_cast<MatchPeriod*>(match.GetHeld());
    ASSERT_NE(period, nullptr);
    EXPECT_EQ(period->GetPeriod(), 0);
    match.Exit();
}

TEST_F(SingleMatchTest, MainFollowsOnTheFrameTheChainEndsAndExitClearsFlagAndMembers)
{
    Log log;
    GameParameters::Instance()->memberLists[0] = {{"PandaPl00", true}};
    GameParameters::Instance()->memberLists[1] = {{"LizardPl00", true}};
    GameTB::s_inMatch = false;
    {
        ProbeMatch match;
        match.HoldForTest(new Probe(log, 2));
        EXPECT_EQ(match.Update(GameHarness::kFrameTime), &match);
        EXPECT_TRUE(GameTB::s_inMatch);
        match.Render();
        std::unique_ptr<State> next(match.Update(GameHarness::kFrameTime));
        const auto* menu = dynamic_cast<TBMenu*>(next.get());
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->GetScreen(), "main");
        EXPECT_TRUE(GameTB::s_inMatch);
        match.Exit();
        EXPECT_FALSE(GameTB::s_inMatch);
        EXPECT_TRUE(GameParameters::Instance()->memberLists[0].empty());
        EXPECT_TRUE(GameParameters::Instance()->memberLists[1].empty());
    }
    EXPECT_EQ(log, (Log{"enter", "render", "exit", "delete"}));
}

TEST_F(SingleMatchTest, DeletingAHolderEndsWhatItHolds)
{
    Log log;
    {
        ProbeMatch match;
        match.HoldForTest(new Probe(log, 5));
        match.Render();
    }
    {
        ProbeRound round;
        round.HoldForTest(new Probe(log, 1));
        round.Render();
    }
    EXPECT_EQ(log, (Log{"enter", "render", "exit", "delete", "enter", "render", "exit", "delete"}));
}

// The whole chain on the game state: the intro skipped, a drawn match called at once, then
// the game runs the menu the match handed over.
TEST_F(SingleMatchTest, ACalledMatchGoesBackToMain)
{
    GameParameters::Instance()->SetParameter("players", "1");
    HarnessInputScript& script = s_harness->Script();
    const int start = s_harness->GetFrame();
    script.Press(start + 3, "(0):button a");
    for (int frame = start + 4; frame < start + 900; ++frame)
        script.Press(frame, "cheat draw");
    s_harness->MakeCurrent(new SingleMatch());
    const auto* menu = [&]() -> const TBMenu* {
        for (int frame = 0; frame < 900 && s_harness->Step(); ++frame)
            if (const auto* shown = dynamic_cast<const TBMenu*>(s_harness->GetGame()->GetCurrentState()))
                return shown;
        return nullptr;
    }();
    ASSERT_NE(menu, nullptr) << s_harness->GetProblem();
    EXPECT_EQ(menu->GetScreen(), "main");
    EXPECT_FALSE(GameTB::s_inMatch);
    EXPECT_EQ(PitchSimulation::Instance()->GetTeam(0)->GetGoals(), 3);
    EXPECT_EQ(PitchSimulation::Instance()->GetTeam(1)->GetGoals(), 3);
}

TEST_F(SingleMatchTest, StoryModeStartBeginsAFreshCareerAndItsFirstRound)
{
    StoryModeGame* career = StoryModeGame::Instance();
    career->round = 4;
    career->teamName = "old";
    career->members[0] = "PandaPl00";
    std::unique_ptr<MenuLaunchedCodeFragment> start(MenuLaunchedCodeFragment::GetFactory().Create("StoryModeStart"));
    ASSERT_NE(dynamic_cast<StoryModeStart*>(start.get()), nullptr);
    EXPECT_EQ(MenuLaunchedCodeFragment::GetFactory().Create("NoSuchFragment"), nullptr);
    start->Enter();
    std::unique_ptr<State> round(start->Update(GameHarness::kFrameTime));
    EXPECT_NE(dynamic_cast<StoryModeRound*>(round.get()), nullptr);
    EXPECT_EQ(career->teamName, "StoryModeStart");
    EXPECT_EQ(career->round, 0);
    EXPECT_EQ(career->members[0], "");
}

}  // namespace
