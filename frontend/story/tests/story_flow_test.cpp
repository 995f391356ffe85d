#include "support/StoryTestSupport.h"

#include "frontend/story/StoryModeRound.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <deque>
#include <utility>

namespace {

using Log = std::vector<std::string>;

// Books the next given score when it ends; with no score left it stays, so the chain stops.
class LegProbe : public State {
public:
    LegProbe(Log& log, std::deque<std::pair<int, int>>& scores, std::function<void()> also)
        : m_log(log), m_scores(scores), m_also(std::move(also))
    {
    }
    State* Update(float) override
    {
        if (m_scores.empty())
            return this;
        const auto [own, opponent] = m_scores.front();
        m_scores.pop_front();
        StoryModeGame::Instance()->AddLegGoals(own, opponent);
        m_log.push_back("booked " + std::to_string(own) + ":" + std::to_string(opponent));
        if (m_also)
            m_also();
        return nullptr;
    }

private:
    Log& m_log;
    std::deque<std::pair<int, int>>& m_scores;
    std::function<void()> m_also;
};

// Ends at once, or stays when it is the last screen a test wants to see.
class ScreenProbe : public State {
public:
    explicit ScreenProbe(bool stays) : m_stays(stays) {}
    State* Update(float) override { return m_stays ? this : nullptr; }

private:
    bool m_stays;
};

class StoryFlowTest : public StoryTest {
protected:
    void SetUp() override
    {
        StoryTest::SetUp();
        SetStoryScreenMaker([this](const std::string& screen) -> State* {
            log.push_back(screen);
            if (screen == "leg_display" || screen == "training" || screen == "matchstart")
                return new LegProbe(log, scores, std::exchange(afterNextLeg, nullptr));
            if (screen == "final_round_display")
                return new StoryModeLeg();
            // "round_won" ends as its gained selection would.
            return new ScreenProbe(screen != "round_won");
        });
    }
    void TearDown() override
    {
        delete m_holder;
        SetStoryScreenMaker(nullptr);
        StoryTest::TearDown();
    }

    // Runs the state (with what it hands over to) for a few frames.
    void Run(State* state, int frames = 12)
    {
        StateSlot::Set(&m_holder, state, true);
        for (int i = 0; i < frames && m_holder; ++i)
            StateSlot::Update(&m_holder, 0.1f);
    }

    State* Current() const { return m_holder; }

    Log log;
    std::deque<std::pair<int, int>> scores;
    std::function<void()> afterNextLeg;

private:
    State* m_holder = nullptr;
};

TEST_F(StoryFlowTest, WonRoundHandsOverToTheNextWithCountersReset)
{
    scores = {{1, 2}, {3, 0}};
    Game()->round = 1;
    Run(new StoryModeRound(), 40);
    EXPECT_EQ(log, (Log{"leg_display", "booked 1:2", "leg_display", "booked 3:0", "round_won", "leg_display"}));
    EXPECT_EQ(Game()->round, 2);
    EXPECT_EQ(std::vector<int>({Game()->homeGoals1, Game()->homeGoals2, Game()->awayGoals1, Game()->awayGoals2}),
              std::vector<int>({0, 0, 0, 0}));
    EXPECT_TRUE(Game()->firstLeg);
    EXPECT_NE(dynamic_cast<StoryModeRound*>(Current()), nullptr);
}

TEST_F(StoryFlowTest, LostRoundShowsEmptyGainsThenTheMainMenu)
{
    Menu::Instance()->SetVariable("%gained_head%", "old");
    scores = {{0, 1}, {1, 1}};
    Run(new StoryModeRound(), 40);
    EXPECT_EQ(log, (Log{"leg_display", "booked 0:1", "leg_display", "booked 1:1", "round_lost"}));
    EXPECT_EQ(Variable("%gained_head%"), "");
    EXPECT_EQ(Variable("%gained_list%"), "");
    EXPECT_FALSE(Game()->active);
}

TEST_F(StoryFlowTest, RestartedLegKeepsItsTrainingAndIsPlayedAgain)
{
    scores = {{0, 3}, {2, 1}};
    afterNextLeg = [] {
        Game()->restartRequested = true;
        Game()->trainingPassed = true;
    };
    Run(new StoryModeLeg(true), 3);
    EXPECT_EQ(log, (Log{"leg_display", "booked 0:3", "leg_display", "booked 2:1", "leg_display"}));
    // The replayed leg's counters were cleared on its Enter.
    EXPECT_EQ(std::make_pair(Game()->awayGoals1, Game()->homeGoals2), std::make_pair(2, 1));
    EXPECT_FALSE(Game()->firstLeg);
}

TEST_F(StoryFlowTest, RestartKeepsTrainingPassed)
{
    scores = {{0, 3}};
    afterNextLeg = [] {
        Game()->restartRequested = true;
        Game()->trainingPassed = true;
    };
    Run(new StoryModeLeg(true), 1);
    EXPECT_TRUE(Game()->trainingPassed);
    EXPECT_TRUE(Game()->firstLeg);
    EXPECT_FALSE(Game()->restartRequested);
    Run(new StoryModeLeg(true), 0);
    Game()->restartRequested = false;
}

TEST_F(StoryFlowTest, FinalHasOneLegAndWritesTheWonCareer)
{
    ASSERT_TRUE(Slots()->StartCareer(1, "Bolts", "Bolts"));
    Game()->round = StoryModeGame::kFinalRound;
    scores = {{2, 0}};
    Run(new StoryModeRound(), 10);
    EXPECT_EQ(log, (Log{"final_round_display", "training", "booked 2:0", "win_place_holder"}));
    EXPECT_TRUE(Game()->trainingPassed);
    EXPECT_NE(Unscrambled(CareerPath(1)).find("\"Round\" 6"), std::string::npos);
    EXPECT_NE(Unscrambled(CareerPath(1)).find("\"TrainingPassed\" 1"), std::string::npos);
    // The slot tells what the file holds.
    const std::string progress = "<scale 0.4><br>%30320% 26</scale>";
    EXPECT_EQ(Slots()->slots[1].progress, progress);
    EXPECT_FALSE(Slots()->slots[1].date.empty());
    EXPECT_NE(Unscrambled(kTablePath).find("\"Progress[1]\" \"" + progress + "\""), std::string::npos);
    const GainedObjects* gained = GainedObjects::Instance();
    EXPECT_EQ(std::make_tuple(gained->teams[7], gained->environments[3], gained->allStarTeam),
              std::make_tuple(true, true, true));
    EXPECT_EQ(Variable("%gained_list%"), "%10018%, %20204%, %10204%");
}

TEST_F(StoryFlowTest, FinalWithTrainingPassedGoesStraightToTheMatchStart)
{
    Game()->round = StoryModeGame::kFinalRound;
    Game()->trainingPassed = true;
    scores = {{0, 1}};
    LogCapture capture;
    Run(new StoryModeRound(), 10);
    EXPECT_EQ(log, (Log{"final_round_display", "matchstart", "booked 0:1", "round_lost"}));
}

TEST_F(StoryFlowTest, GainsAreUnlockedOnceAndAlwaysWritten)
{
    struct Case {
        const char* name;
        int round;
        bool alreadyGained;
        const char* head;
        const char* list;
    };
    const Case cases[] = {
        {"round 0 gains nothing", 0, false, "", ""},
        {"round 2 gains a team and a stadium", 2, false, "%10408%", "%10014%, %20202%"},
        {"round 2 won again", 2, true, "%10409%", ""},
        {"round 5", 5, false, "%10408%", "%10017%"},
        {"no such round", 7, false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GainedObjects::DestroyInstance();
        CastManager::Instance()->GetCast("gained")->Clear();
        CastManager::Instance()->GetCast("gained")->AddMember(GainedObjects::Instance(), "Gained Objects", false);
        GainedObjects* gained = GainedObjects::Instance();
        const std::vector<bool> before(gained->teams, gained->teams + GainedObjects::kTeamCount);
        const bool known = c.round + 1 < GainedObjects::kTeamCount;
        if (known)
            gained->teams[c.round + 1] = c.alreadyGained || c.round == 0;
        std::filesystem::remove(OnDisk(kGainedPath));
        Game()->round = c.round;
        StoryModeLeg::ShowGains();
        EXPECT_EQ(Variable("%gained_head%"), c.head);
        EXPECT_EQ(Variable("%gained_list%"), c.list);
        EXPECT_TRUE(!known || gained->teams[c.round + 1]);
        EXPECT_EQ(gained->environments[1], c.round == 2 && !c.alreadyGained);
        std::vector<bool> after(gained->teams, gained->teams + GainedObjects::kTeamCount);
        if (known)
            after[c.round + 1] = before[c.round + 1];
        EXPECT_EQ(after, before);
        EXPECT_NE(Unscrambled(kGainedPath), "<missing>");
    }
}

TEST_F(StoryFlowTest, ContinueYesReplaysTheRoundWithTheSnapshot)
{
    Game()->members[0] = "PandaGk00";
    Member("PandaGk00")->speed.SetLevel(70);
    Game()->SaveTrainingStats();
    Member("PandaGk00")->speed.SetLevel(95);
    Game()->firstLeg = false;
    Game()->homeGoals1 = 3;
    Run(new StoryModeContinueYes(), 1);
    EXPECT_EQ(Member("PandaGk00")->speed.level, 70);
    EXPECT_EQ(Game()->homeGoals1, 0);
    EXPECT_EQ(log, (Log{"leg_display"}));
    EXPECT_NE(dynamic_cast<StoryModeLeg*>(Current()), nullptr);
}

TEST_F(StoryFlowTest, ContinueNoRestartsAndWritesTheCareer)
{
    ASSERT_TRUE(Slots()->StartCareer(3, "Bolts", "Bolts"));
    Game()->round = 4;
    Game()->trainingPassed = true;
    ASSERT_TRUE(Slots()->Save());
    Run(new StoryModeContinueNo(), 1);
    EXPECT_EQ(log, (Log{"main"}));
    EXPECT_EQ(std::make_tuple(Game()->round, Game()->trainingPassed, Game()->teamName),
              std::make_tuple(0, false, std::string("Bolts")));
    EXPECT_NE(Unscrambled(CareerPath(3)).find("\"Round\" 0"), std::string::npos);
    const std::string progress = "<scale 0.4><br>%30320% 1</scale>";
    EXPECT_EQ(Slots()->slots[3].progress, progress);
    EXPECT_NE(Unscrambled(kTablePath).find("\"Progress[3]\" \"" + progress + "\""), std::string::npos);

    // Without a slot nothing is written.
    Slots()->currentSlot = -1;
    LogCapture capture;
    delete new StoryModeContinueNo();
    EXPECT_TRUE(capture.Contains("***ERROR: StorySaveGame::WriteCareer: no save slot -1"));
}

TEST_F(StoryFlowTest, ExitingARoundAlwaysResetsItsCounters)
{
    for (bool won : {true, false}) {
        scores = {{won ? 2 : 0, 1}};
        Game()->awayGoals2 = 5;
        Game()->penaltyResult = 2;
        Run(new StoryModeRound(), 2);
        Run(new ScreenProbe(true), 0);
        EXPECT_EQ(std::make_tuple(Game()->awayGoals1, Game()->homeGoals2, Game()->awayGoals2, Game()->penaltyResult),
                  std::make_tuple(0, 0, 0, 0));
        EXPECT_TRUE(Game()->firstLeg);
    }
}

}  // namespace
