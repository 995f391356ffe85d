#include "support/StoryTestSupport.h"

#include "frontend/story/PlayersGainedSelection.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

using Members = std::vector<TeamDescription::Member>;
using NameList = std::vector<std::string>;

// Picks the given names and ends.
class PickProbe : public State {
public:
    PickProbe(NameList picks, NameList& chosen) : m_picks(std::move(picks)), m_chosen(chosen) {}
    State* Update(float) override
    {
        m_chosen = m_picks;
        return nullptr;
    }

private:
    NameList m_picks;
    NameList& m_chosen;
};

class StoryGainedTest : public StoryTest {
protected:
    void TearDown() override
    {
        SetGainedSelectionMaker(nullptr);
        StoryTest::TearDown();
    }

    // Runs the selection for the story team against Panda02 with these picks.
    void Pick(NameList picks)
    {
        SetGainedSelectionMaker([&](const GainedOffer& offer, NameList& chosen) -> State* {
            offered = offer;
            return new PickProbe(picks, chosen);
        });
        State* holder = nullptr;
        StateSlot::Set(&holder, new PlayersGainedSelection(Team("Panda01"), Team("Panda02")), true);
        activeWhilePicking = Game()->active;
        for (int i = 0; i < 3 && holder; ++i)
            StateSlot::Update(&holder, 0.1f);
        EXPECT_EQ(holder, nullptr);
    }

    GainedOffer offered;
    bool activeWhilePicking = false;
};

TEST_F(StoryGainedTest, TeamIsComposedFromThePick)
{
    Members seven = Squad("Panda", 0);
    seven.push_back({"LizardGk00", true});
    seven.push_back({"LizardPl00", false});
    const Members other = {{"RhinoGk00", true}, {"RhinoPl00", false}, {"LizardPl00", true}};
    struct Case {
        const char* name;
        Members own;
        NameList chosen;
        NameList team;
    };
    const Case cases[] = {
        {"five gain two outfield players", Squad("Panda", 0), {"RhinoGk00", "RhinoPl00"},
         {"PandaGk00*", "PandaPl00", "PandaPl01", "PandaPl02", "PandaPl03", "RhinoGk00", "RhinoPl00"}},
        {"seven: a chosen keeper of either team heads the list", seven,
         {"PandaPl00", "RhinoGk00", "PandaPl01", "PandaGk00"},
         {"PandaGk00*", "RhinoGk00*", "PandaPl00", "PandaPl01"}},
        {"seven: a name in both teams comes from the own team", seven, {"LizardPl00", "RhinoPl00"},
         {"LizardPl00", "RhinoPl00"}},
        {"seven: unknown names are skipped", seven, {"Nobody", "PandaPl03"}, {"PandaPl03"}},
        {"six stay as they are", Members(seven.begin(), seven.end() - 1), {"RhinoPl00"},
         {"PandaGk00*", "PandaPl00", "PandaPl01", "PandaPl02", "PandaPl03", "LizardGk00*"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StoryTest::Names(ComposeGainedTeam(c.own, other, c.chosen)), c.team);
    }
}

TEST_F(StoryGainedTest, OfferDependsOnTheTeamSize)
{
    GainedOffer offer;
    ASSERT_TRUE(MakeGainedOffer(*Team("Panda01"), *Team("Panda02"), offer));
    EXPECT_EQ(StoryTest::Names(offer.candidates), (NameList{"PandaPl04", "PandaPl05", "PandaPl06", "PandaPl07"}));
    EXPECT_EQ(std::make_tuple(offer.screen, offer.mode, offer.keepersToPick, offer.outfieldToPick, offer.startPicked,
                              offer.lineUpSize),
              std::make_tuple(std::string("3dmenues//TrainingMainSelection4p"), 0, 0, 2, 0, 0));

    Team("Panda01")->GetMembers().push_back({"LizardGk00", true});
    Team("Panda01")->GetMembers().push_back({"LizardPl00", false});
    ASSERT_TRUE(MakeGainedOffer(*Team("Panda01"), *Team("Panda02"), offer));
    EXPECT_EQ(offer.candidates.size(), 12u);
    EXPECT_EQ(offer.candidates[5].variation, "LizardGk00");
    EXPECT_EQ(offer.candidates[7].variation, "PandaGk01");
    EXPECT_EQ(std::make_tuple(offer.screen, offer.mode, offer.keepersToPick, offer.outfieldToPick, offer.startPicked,
                              offer.lineUpSize, offer.benchGapCount),
              std::make_tuple(std::string("3dmenues//TrainingMainSelection12p"), 1, 1, 6, 7, 7, 5));

    Team("Panda01")->GetMembers().pop_back();
    EXPECT_FALSE(MakeGainedOffer(*Team("Panda01"), *Team("Panda02"), offer));
}

TEST_F(StoryGainedTest, SnapshotFollowsTheNewList)
{
    Game()->RefreshMembers();
    Member("PandaPl05")->speed.SetLevel(77);
    Member("PandaPl00")->energy.SetLevel(64);
    Pick({"PandaPl05", "PandaPl06"});
    EXPECT_TRUE(activeWhilePicking);
    EXPECT_FALSE(Game()->active);
    EXPECT_EQ(Game()->members[5], "PandaPl05");
    EXPECT_EQ(Game()->members[6], "PandaPl06");
    EXPECT_EQ(Game()->lastRoundStats[5][2].level, 77);
    EXPECT_EQ(Game()->lastRoundStats[1][0].level, 64);
    // A lost round after this restores the new members' own values.
    Member("PandaPl05")->speed.SetLevel(90);
    Game()->RestoreTrainingStats();
    EXPECT_EQ(Member("PandaPl05")->speed.level, 77);
}

TEST_F(StoryGainedTest, WithoutASelectionTheTeamStays)
{
    LogCapture log;
    SetGainedSelectionMaker([](const GainedOffer&, NameList&) -> State* { return nullptr; });
    State* holder = nullptr;
    StateSlot::Set(&holder, new PlayersGainedSelection(Team("Panda01"), Team("Panda02")), true);
    StateSlot::Update(&holder, 0.1f);
    EXPECT_EQ(holder, nullptr);
    EXPECT_EQ(Team("Panda01")->GetMembers().size(), 5u);
    EXPECT_TRUE(log.Contains("***WARNING: PlayersGainedSelection::Enter: no selection screen"));

    Team("Panda01")->GetMembers().pop_back();
    Pick({"PandaPl05"});
    EXPECT_EQ(Team("Panda01")->GetMembers().size(), 4u);
    EXPECT_TRUE(log.Contains("no selection for a story team of 4 members"));
}

}  // namespace
