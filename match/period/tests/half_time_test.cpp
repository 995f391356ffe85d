// The story's second-half line-up: offered at half time on the bench, applied as the second
// half starts.
#include "match/period/MatchPeriod.h"

#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "frontend/story/StoryModeGame.h"
#include "game/GameTB.h"
#include "match/PlayerSelectionResult.h"
#include "menus/Menu.h"
#include "pitch/PitchSimulation.h"
#include "simulation/MatchClock.h"
#include "support/TestMatch.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

MatchRules StoryLeg(bool story)
{
    MatchRules rules;
    rules.storyLeg = story;
    return rules;
}

std::string NameOf(const Character* character)
{
    return character ? character->GetVariation()->GetKeyName() : "?";
}

Names NamesOf(const std::vector<Character*>& characters)
{
    Names names;
    for (const Character* character : characters)
        names.push_back(NameOf(character));
    return names;
}

Names Players(int side)
{
    Names names;
    const SoccerTeam& team = TestMatch::Team(side);
    for (int32_t i = 0; i < team.GetPlayerCount(); ++i)
        names.push_back(NameOf(team.GetPlayer(i)));
    return names;
}

// Side 1's first players moved onto side 0's bench, as a story team of seven brings its own.
std::vector<Character*> BenchFromSideOne(int count)
{
    for (int i = 0; i < count; ++i)
        TestMatch::Team(0).SendToBench(TestMatch::Team(1).RemovePlayer(TestMatch::Team(1).GetPlayer(0)).release());
    return TestMatch::Team(0).GetBench();
}

Character* Player(int index)
{
    return TestMatch::Team(0).GetPlayer(index);
}

}  // namespace

TEST(HalfTimeTest, TheChoiceOffersTheSideAndUpToTwoOfItsBench)
{
    struct Case {
        const char* name;
        int bench;
        int sentOff;  // side 0's players gone, from the given index on
        int sentOffFrom;
        size_t candidates;
        const char* screen;
        int keepers;
        int fieldPlayers;
    };
    const Case cases[] = {
        {"five, no bench", 0, 0, 0, 5, "3dmenues\\IngameSelection5p", 1, 4},
        {"five and a bench of two", 2, 0, 0, 7, "3dmenues\\IngameSelection7p", 1, 4},
        {"a bench of three offers two", 3, 0, 0, 7, "3dmenues\\IngameSelection7p", 1, 4},
        {"a bench of one after a change", 1, 0, 0, 6, "3dmenues\\IngameSelection6p", 1, 4},
        {"four after a red card", 2, 1, 3, 6, "3dmenues\\IngameSelection6p", 1, 3},
        {"the keeper sent off", 2, 1, 0, 6, "3dmenues\\IngameSelection6p", 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        for (int i = 0; i < c.sentOff; ++i)
            TestMatch::Team(0).RemovePlayer(Player(c.sentOffFrom)).reset();
        std::vector<Character*> expected;
        for (int32_t i = 0; i < TestMatch::Team(0).GetPlayerCount(); ++i)
            expected.push_back(Player(i));
        const std::vector<Character*> bench = BenchFromSideOne(c.bench);
        for (size_t i = 0; i < bench.size() && i < 2; ++i)
            expected.push_back(bench[i]);

        std::vector<Character*> lineUp;
        const PlayerSelectionResult request = MatchPeriod::HalfTimeRequest(&lineUp);
        EXPECT_EQ(request.mode, 3);
        EXPECT_EQ(request.screen, c.screen);
        EXPECT_EQ(NamesOf(request.candidates), NamesOf(expected));
        ASSERT_EQ(request.candidates.size(), c.candidates);
        EXPECT_EQ(std::make_pair(request.goalkeepersToPick, request.outfieldPlayersToPick),
                  std::make_pair(c.keepers, c.fieldPlayers));
        std::vector<bool> first(c.candidates, false);
        first[0] = true;
        EXPECT_EQ(request.startPicked, first);
        first.flip();
        EXPECT_EQ(request.pickable, first);
        EXPECT_EQ(request.firstPrefix, "(0):");
        EXPECT_EQ(request.firstOutput, &lineUp);
    }
}

TEST(HalfTimeTest, TheChosenLineUpPlaysTheSecondHalf)
{
    // Indices 0-4 are side 0's players, 5 and 6 its bench, 7 a player of side 1.
    struct Case {
        const char* name;
        bool story;
        std::vector<int> chosen;
        std::vector<int> players;
        std::vector<int> bench;
        int benchLines;
        bool kept;
    };
    const Case cases[] = {
        {"the bench brought on", true, {0, 5, 1, 6, 2, 3, 4}, {0, 5, 1, 6, 2}, {3, 4}, 2, false},
        {"a new order of five; the bench stays", true, {0, 4, 3, 2, 1}, {0, 4, 3, 2, 1}, {5, 6}, 0, false},
        {"a stranger and a repeat are passed over", true, {0, 7, 2, 2, 1, 3, 4}, {0, 2, 1, 3, 4}, {5, 6}, 0, false},
        {"three chosen: the rest wait on the bench", true, {6, 1, 2}, {6, 1, 2}, {0, 3, 4, 5}, 0, false},
        {"nothing chosen keeps the first half's", true, {}, {0, 1, 2, 3, 4}, {5, 6}, 0, true},
        {"only a stranger chosen keeps it too", true, {7}, {0, 1, 2, 3, 4}, {5, 6}, 0, true},
        {"a single match has no choice", false, {0, 4, 3, 2, 1}, {0, 1, 2, 3, 4}, {5, 6}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestMatch match;
        ASSERT_TRUE(match.Start());
        std::vector<Character*> everyone;
        for (int i = 0; i < 5; ++i)
            everyone.push_back(Player(i));
        for (Character* benched : BenchFromSideOne(2))
            everyone.push_back(benched);
        everyone.push_back(TestMatch::Team(1).GetPlayer(0));
        const auto names = [&](const std::vector<int>& indices) {
            Names result;
            for (int i : indices)
                result.push_back(NameOf(everyone[static_cast<size_t>(i)]));
            return result;
        };

        auto* second = new MatchPeriod(1, false, true, true, StoryLeg(c.story));
        for (int i : c.chosen)
            second->GetHalfTimeLineUp().push_back(everyone[static_cast<size_t>(i)]);
        LogCapture log;
        match.Harness().MakeCurrent(second);
        EXPECT_EQ(Players(0), names(c.players));
        EXPECT_EQ(NamesOf(TestMatch::Team(0).GetBench()), names(c.bench));
        EXPECT_EQ(Players(1).size(), 3u) << "the other side keeps what it had";
        EXPECT_EQ(log.Count("side 0 keeps its line-up"), c.kept ? 1 : 0);
        const bool applied = c.story && !c.kept;
        const int played = applied ? static_cast<int>(c.players.size()) : 0;
        EXPECT_EQ(log.Count("MatchPeriod::Enter: second half plays "), played);
        EXPECT_EQ(log.Count("MatchPeriod::Enter: second half bench "), c.benchLines);
        for (int i : c.players) {
            const std::string name = everyone[static_cast<size_t>(i)]->GetVariation()->GetName();
            EXPECT_EQ(log.Contains("second half plays " + name + "\n"), applied) << name;
        }
        match.Harness().MakeCurrent(nullptr);
    }
}

// The whole turn at half time: the first half's end, the choice on the bench through the
// screen's words, then the second half with the picks in the order made. (A single match
// goes on to the second half at once; the period tests cover that.)
TEST(HalfTimeTest, AStoryHalfTimeGoesThroughTheChoice)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    const Names first = Players(0);
    auto* period = new MatchPeriod(0, false, true, true, StoryLeg(true));
    GameHarness& harness = match.Harness();
    harness.MakeCurrent(period);
    period->SetSequence(nullptr);
    PitchSimulation::Instance()->GetClock()->SetTime(45.0f * 60.0f);
    // A press every few frames: each closes the end-of-half screen shown at the time.
    for (int frame = 0; frame < 3000 && harness.GetGame()->GetCurrentState() == period; ++frame) {
        if (frame % 5 == 0)
            harness.Script().Press(harness.GetFrame(), "(menu):button a");
        harness.Step();
    }
    ASSERT_NE(harness.GetGame()->GetCurrentState(), period);
    const auto* second = dynamic_cast<MatchPeriod*>(harness.GetGame()->GetCurrentState());
    ASSERT_EQ(second, nullptr) << "the choice comes first";
    EXPECT_EQ(Menu::Instance()->Variables()["%s7p_title%"], "%20524%");
    EXPECT_EQ(Menu::Instance()->Variables()["%s7p_selection_accept%"], "%30322%");
    for (const char* word : {"SelectPlayer 5", "SelectPlayer 2", "SelectPlayer 4", "SelectPlayer 3", "Nothing"})
        Menu::Instance()->ExecuteActions(nullptr, word);
    for (int frame = 0; frame < 10 && !second; ++frame) {
        harness.Step();
        second = dynamic_cast<MatchPeriod*>(harness.GetGame()->GetCurrentState());
    }
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetPeriod(), 1);
    EXPECT_EQ(Players(0), (Names{first[0], first[4], first[1], first[3], first[2]}));
}
