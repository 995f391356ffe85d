#include "support/StoryTestSupport.h"

#include "framework/tests/support/StringFile.h"
#include "framework/AsciiSerializer.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

std::string Write(Object& object)
{
    StringFile file;
    AsciiSerializer writer(&file, true);
    object.Serialize(writer, "SaveGame");
    return file.text;
}

void Read(Object& object, const std::string& text)
{
    MemoryFile file = TextFile(text);
    AsciiSerializer reader(&file, false);
    object.Serialize(reader, "SaveGame");
}

using StoryRecordTest = StoryTest;

// The legs as the record books them: goals of (own, opponent) per leg, the shoot-out.
TEST_F(StoryRecordTest, RoundIsDecidedOnAggregateThenByTheShootout)
{
    struct Case {
        const char* name;
        int firstOwn, firstOpponent, secondOwn, secondOpponent, penalties;
        bool won;
        const char* result;
    };
    const Case cases[] = {
        {"won on aggregate", 2, 1, 1, 1, 0, true, "%10420% %10421%"},
        {"lost on aggregate, shoot-out ignored", 0, 1, 1, 1, 1, false, "%10420% %10421%"},
        {"level, shoot-out won", 1, 1, 2, 2, 1, true, "%10420% %10423%"},
        {"level, shoot-out lost", 1, 1, 2, 2, 2, false, "%10420% %10423%"},
        {"level, no shoot-out", 0, 0, 0, 0, 0, false, "%10420% %10423%"},
        {"3-3 with away goals apart is level", 3, 2, 0, 1, 0, false, "%10420% %10423%"},
        {"negative counters compare signed", -2, 0, 0, 0, 0, false, "%10420% %10421%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Game()->round = 2;
        Game()->ResetRound();
        Game()->AddLegGoals(c.firstOwn, c.firstOpponent);
        Game()->AdvanceLeg();
        Game()->AddLegGoals(c.secondOwn, c.secondOpponent);
        Game()->penaltyResult = c.penalties;
        EXPECT_EQ(Game()->IsRoundWon(), c.won);
        EXPECT_EQ(Variable("%round_result%"), c.result);
        EXPECT_EQ(Game()->GetTotalGoals(true), c.firstOwn + c.secondOwn);
        EXPECT_EQ(Game()->GetTotalGoals(false), c.firstOpponent + c.secondOpponent);
        // The first leg is played away, the second at home.
        EXPECT_EQ(Game()->GetGoals(true, false), c.firstOwn);
        EXPECT_EQ(Game()->GetGoals(false, true), c.firstOpponent);
        EXPECT_EQ(Game()->GetGoals(true, true), c.secondOwn);
        EXPECT_EQ(Game()->GetGoals(false, false), c.secondOpponent);
    }
}

TEST_F(StoryRecordTest, AdvanceLegMovesThroughTheRound)
{
    struct Case {
        const char* name;
        int round;
        bool firstLeg, restart;
        bool firstLegAfter, finishedAfter;
    };
    const Case cases[] = {
        {"first leg played", 0, true, false, false, false},
        {"second leg played", 3, false, false, false, true},
        {"the final keeps its one leg", 6, true, false, true, false},
        {"a restart only clears the finish", 2, false, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Game()->round = c.round;
        Game()->firstLeg = c.firstLeg;
        Game()->roundFinished = c.restart;
        Game()->restartRequested = c.restart;
        Game()->AdvanceLeg();
        EXPECT_EQ(Game()->firstLeg, c.firstLegAfter);
        EXPECT_EQ(Game()->roundFinished, c.finishedAfter);
    }
}

TEST_F(StoryRecordTest, ResetsClearWhatIsDue)
{
    const auto counters = [] {
        return std::vector<int>{Game()->awayGoals1, Game()->homeGoals2, Game()->homeGoals1, Game()->awayGoals2,
                                Game()->penaltyResult};
    };
    Game()->homeGoals1 = Game()->homeGoals2 = Game()->awayGoals1 = Game()->awayGoals2 = 4;
    Game()->firstLeg = true;
    Game()->ResetLeg();
    EXPECT_EQ(counters(), (std::vector<int>{0, 0, 4, 4, 0}));
    Game()->homeGoals2 = Game()->awayGoals1 = 4;
    Game()->firstLeg = false;
    Game()->ResetLeg();
    EXPECT_EQ(counters(), (std::vector<int>{4, 4, 0, 0, 0}));

    Game()->penaltyResult = 2;
    Game()->roundFinished = true;
    Game()->ResetRound();
    EXPECT_EQ(counters(), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_TRUE(Game()->firstLeg);
    EXPECT_FALSE(Game()->roundFinished);
}

TEST_F(StoryRecordTest, FinalIsBookedAsAFirstLeg)
{
    Game()->round = StoryModeGame::kFinalRound;
    Game()->ResetRound();
    Game()->AddLegGoals(3, 1);
    Game()->AdvanceLeg();
    EXPECT_TRUE(Game()->firstLeg);
    EXPECT_EQ(Game()->awayGoals1, 3);
    EXPECT_EQ(Game()->homeGoals2, 1);
    EXPECT_TRUE(Game()->IsRoundWon());
}

TEST_F(StoryRecordTest, RoundTablesNameOpponentAndStadium)
{
    const std::vector<std::pair<std::string, int>> expected = {
        {"Panda02", 1}, {"Lizard01", 1}, {"Lizard02", 2}, {"Rhino01", 2},
        {"Rhino02", 3}, {"Primate01", 3}, {"Primate02", 4}, {"", 1}, {"", 1}};
    const int rounds[] = {0, 1, 2, 3, 4, 5, 6, 7, -1};
    for (size_t i = 0; i < expected.size(); ++i) {
        Game()->round = rounds[i];
        EXPECT_EQ(std::make_pair(Game()->GetOpponentName(), Game()->GetLevelNumber()), expected[i]) << rounds[i];
    }
    Game()->round = 0;
    EXPECT_EQ(Game()->GetOpponentTeamName(), "Bamboo Wanderers");
}

TEST_F(StoryRecordTest, KeeperIsKnownByItsName)
{
    const std::vector<std::pair<std::string, bool>> cases = {
        {"PandaGk01", true}, {"LizardGk00", true}, {"PandaPl03", false}, {"k01", true}, {"k1", false}, {"", false}};
    for (const auto& [name, keeper] : cases)
        EXPECT_EQ(StoryModeGame::IsKeeperName(name), keeper) << name;
}

TEST_F(StoryRecordTest, SnapshotCopiesAndRestoresByMember)
{
    Game()->members[0] = "PandaGk00";
    Game()->members[3] = "PandaPl02";
    Member("PandaGk00")->energy.SetLevel(61);
    Member("PandaPl02")->shooting.SetLevel(72);
    Member("PandaPl02")->speed.SetLevel(83);
    Game()->SaveTrainingStats();
    Member("PandaGk00")->energy.SetLevel(99);
    Member("PandaPl02")->shooting.SetLevel(99);
    Member("PandaPl02")->speed.SetLevel(99);
    Member("PandaPl00")->speed.SetLevel(99);
    Game()->RestoreTrainingStats();
    EXPECT_EQ(Member("PandaGk00")->energy.level, 61);
    EXPECT_EQ(Member("PandaPl02")->shooting.level, 72);
    EXPECT_EQ(Member("PandaPl02")->speed.level, 83);
    // Not in the career, so not in the snapshot.
    EXPECT_EQ(Member("PandaPl00")->speed.level, 99);
}

TEST_F(StoryRecordTest, FiveMemberCareerIsWrittenInFileOrder)
{
    Game()->NewGame("Bolts");
    Member("PandaPl01")->speed.SetLevel(75);
    const std::string text = Write(*Game());
    const std::string head = R"([SaveGame] "SaveGame"
{
 "Activated" 0
 "TeamName" "Bolts"
 "HalftimeDuration" 0
 "TeamColor" 0
 "Cards" 1
 "Member1" "PandaGk00"
 "Member2" "PandaPl00"
 "Member3" "PandaPl01"
 "Member4" "PandaPl02"
 "Member5" "PandaPl03"
 "Member6" ""
 "Member7" ""
 "Round" 0
 "FirstLeg" 1
 "RoundFinished" 0
 "TrainingPassed" 0
 "HomeGoals1" 0
 "HomeGoals2" 0
 "AwayGoals1" 0
 "AwayGoals2" 0
 "penaltyResult" 0
 class type: "Statistic"
 [Statistic] "Member0Energy"
)";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_NE(text.find(" [Statistic] \"Member2Speed\"\n {\n  \"Training level (50 - 100)\" 75.000000"), std::string::npos);
    // The snapshot of the first write holds the values of that moment.
    EXPECT_NE(text.find(" [Statistic] \"LastRoundMember2Speed\"\n {\n  \"Training level (50 - 100)\" 75.000000"),
              std::string::npos);
    EXPECT_NE(text.find("\"LastRoundMember4Speed\""), std::string::npos);
    EXPECT_EQ(text.find("\"Member5Energy\""), std::string::npos);
    EXPECT_TRUE(Game()->activated);
    EXPECT_NE(Write(*Game()).find("\"Activated\" 1"), std::string::npos);
}

TEST_F(StoryRecordTest, ANewCareerNamesTheStoryTeamAtOnce)
{
    Team("Panda01")->SetTeamName("Bamboo Rovers");
    Game()->NewGame("Bolts");
    EXPECT_EQ(Team("Panda01")->GetTeamName(), "Bolts");
}

TEST_F(StoryRecordTest, ReadingRebuildsAndRenamesTheStoryTeam)
{
    Team("Panda01")->GetMembers() = Squad("Panda", 0);
    Team("Panda01")->GetMembers().push_back({"PandaGk01", true});
    Team("Panda01")->GetMembers().push_back({"PandaPl05", false});
    Game()->teamName = "Bolts";
    Member("PandaPl05")->energy.SetLevel(88);
    const std::string text = Write(*Game());
    Member("PandaPl05")->energy.SetLevel(50);
    Team("Panda01")->GetMembers() = Squad("Panda", 0);
    Team("Panda01")->SetTeamName("Bamboo Rovers");

    Read(*Game(), text);
    EXPECT_EQ(Names(Team("Panda01")->GetMembers()),
              (std::vector<std::string>{"PandaGk00*", "PandaPl00", "PandaPl01", "PandaPl02", "PandaPl03",
                                        "PandaGk01*", "PandaPl05"}));
    EXPECT_EQ(Team("Panda01")->GetTeamName(), "Bolts");
    EXPECT_EQ(Member("PandaPl05")->energy.level, 88);
    EXPECT_EQ(Game()->lastRoundStats[6][0].level, 88);
}

TEST_F(StoryRecordTest, StoredNameOfNoMemberIsSkippedWithAWarning)
{
    Game()->NewGame("Bolts");
    std::string text = Write(*Game());
    const std::string from = "\"Member3\" \"PandaPl01\"";
    text.replace(text.find(from), from.size(), "\"Member3\" \"Nobody07\"");
    LogCapture log;
    Read(*Game(), text);
    EXPECT_TRUE(log.Contains("***WARNING: StoryModeGame::Serialize: no team member \"Nobody07\""));
    EXPECT_EQ(Names(Team("Panda01")->GetMembers()),
              (std::vector<std::string>{"PandaGk00*", "PandaPl00", "PandaPl02", "PandaPl03"}));
}

}  // namespace
