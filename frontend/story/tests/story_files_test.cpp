#include "support/StoryTestSupport.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

class StoryFilesTest : public StoryTest {
protected:
    // A directory where the file should go: nothing can be written in its place.
    static void BlockFile(const std::string& name) { std::filesystem::create_directories(OnDisk(name)); }
};

TEST_F(StoryFilesTest, CareersRoundTripScrambled)
{
    struct Case {
        const char* name;
        int slot;
        Members team;
    };
    Members seven = Squad("Panda", 0);
    seven.push_back({"LizardGk01", true});
    seven.push_back({"LizardPl06", false});
    const Case cases[] = {{"five members", 0, Squad("Panda", 0)}, {"seven members", 4, seven}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Slots()->StartCareer(c.slot, "Bolts", "<b>Bolts</b>"));
        Team("Panda01")->GetMembers() = c.team;
        Game()->round = 3;
        Game()->firstLeg = false;
        Game()->homeGoals1 = 2;
        Game()->penaltyResult = 1;
        Member(c.team.back().variation)->shooting.SetLevel(91);
        ASSERT_TRUE(Slots()->Save());
        const std::string plain = Unscrambled(CareerPath(c.slot));
        EXPECT_NE(plain.find("\"TeamName\" \"Bolts\""), std::string::npos);
        EXPECT_EQ(ReadRaw(CareerPath(c.slot)).find("TeamName"), std::string::npos);

        // Another career in memory, then the slot's back.
        Game()->NewGame("Other");
        Team("Panda01")->GetMembers() = Squad("Panda", 0);
        Team("Panda01")->SetTeamName("Bamboo Rovers");
        Member(c.team.back().variation)->shooting.SetLevel(50);
        ASSERT_TRUE(Slots()->LoadCareer(c.slot));
        EXPECT_EQ(Names(Team("Panda01")->GetMembers()), Names(c.team));
        EXPECT_EQ(Team("Panda01")->GetTeamName(), "Bolts");
        EXPECT_EQ(Member(c.team.back().variation)->shooting.level, 91);
        EXPECT_EQ(std::vector<int>({Game()->round, Game()->firstLeg, Game()->homeGoals1, Game()->penaltyResult}),
                  std::vector<int>({3, 0, 2, 1}));
    }
}

TEST_F(StoryFilesTest, FirstFileOfACareerIsNotYetActivated)
{
    ASSERT_TRUE(Slots()->StartCareer(1, "Bolts", "Bolts"));
    EXPECT_NE(Unscrambled(CareerPath(1)).find("\"Activated\" 0"), std::string::npos);
    Slots()->Save();
    EXPECT_NE(Unscrambled(CareerPath(1)).find("\"Activated\" 1"), std::string::npos);
}

TEST_F(StoryFilesTest, StartingACareerFillsTheSlotAndWritesTheFiles)
{
    ASSERT_TRUE(Slots()->StartCareer(2, "Bolts", " Bolts "));
    const StorySaveGame::Slot& slot = Slots()->slots[2];
    EXPECT_EQ(std::make_tuple(slot.displayName, slot.fileName, slot.free),
              std::make_tuple(std::string(" Bolts "), std::string("data\\Savegames\\savegame2.txt"), false));
    EXPECT_EQ(Slots()->currentSlot, 2);
    EXPECT_NE(Unscrambled(kTablePath).find("\"DisplayName[2]\" \" Bolts \""), std::string::npos);
    EXPECT_NE(Unscrambled(kGainedPath).find("\"Gained_Team_0\" 1"), std::string::npos);
}

TEST_F(StoryFilesTest, FreshTableIsWrittenWithFiveFreeSlots)
{
    ASSERT_TRUE(Slots()->WriteTable());
    std::string expected = "[SaveGamesMeta] \"Metainfo\"\n{\n";
    for (int i = 0; i < StorySaveGame::kSlots; ++i) {
        const std::string n = "[" + std::to_string(i) + "]";
        expected += " \"DisplayName" + n + "\" \"Empty\"\n \"FileName" + n + "\" \"\"\n \"Date" + n + "\" \"\"\n \"Progress" +
                    n + "\" \"\"\n \"Free" + n + "\" 1\n";
    }
    expected += "}\n";
    EXPECT_NE(Unscrambled(kTablePath).find(expected), std::string::npos) << Unscrambled(kTablePath);
}

TEST_F(StoryFilesTest, ProgressCountsFourStepsARound)
{
    struct Case {
        int round;
        bool firstLeg, trainingPassed;
        int step;
    };
    const Case cases[] = {{0, true, false, 1}, {0, true, true, 2}, {0, false, false, 3}, {2, false, true, 12},
                          {3, false, true, 16}};
    ASSERT_TRUE(Slots()->StartCareer(0, "Bolts", "Bolts"));
    for (const Case& c : cases) {
        Game()->round = c.round;
        Game()->firstLeg = c.firstLeg;
        Game()->trainingPassed = c.trainingPassed;
        ASSERT_TRUE(Slots()->Save());
        const std::string text = "<scale 0.4><br>%30320% " + std::to_string(c.step) + "</scale>";
        EXPECT_EQ(Slots()->slots[0].progress, text);
        EXPECT_NE(Unscrambled(kTablePath).find("\"Progress[0]\" \"" + text + "\""), std::string::npos);
    }
    // "<scale 0.4>dd.mm.yyyy - hh:mm</scale>"
    EXPECT_EQ(Slots()->slots[0].date.size(), std::string("<scale 0.4>07.12.2026 - 12:00</scale>").size());
    EXPECT_EQ(Slots()->slots[0].date.substr(13, 1) + Slots()->slots[0].date.substr(21, 3), ". - ");
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(Slots()->slots[0].date.substr(17, 4), std::to_string(local.tm_year + 1900));
}

TEST_F(StoryFilesTest, DeletingFreesAUsedSlotOnly)
{
    ASSERT_TRUE(Slots()->StartCareer(3, "Bolts", "Bolts"));
    ASSERT_TRUE(Slots()->DeleteSlot(3));
    const StorySaveGame::Slot& slot = Slots()->slots[3];
    EXPECT_EQ(std::make_tuple(slot.displayName, slot.fileName, slot.free),
              std::make_tuple(std::string("Empty"), std::string(), true));
    EXPECT_NE(Unscrambled(kTablePath).find("\"Free[3]\" 1"), std::string::npos);
    // The career file is kept.
    EXPECT_TRUE(std::filesystem::exists(OnDisk(CareerPath(3))));

    std::filesystem::remove(OnDisk(kTablePath));
    EXPECT_FALSE(Slots()->DeleteSlot(3));
    EXPECT_FALSE(Slots()->DeleteSlot(-1));
    EXPECT_FALSE(std::filesystem::exists(OnDisk(kTablePath)));
}

TEST_F(StoryFilesTest, UnwritableFilesLeaveTheTableAsItWas)
{
    // The career file cannot be written: the slot stays free.
    BlockFile(CareerPath(2) + StorySaveGame::kWaitingSuffix);
    LogCapture log;
    EXPECT_FALSE(Slots()->StartCareer(2, "Bolts", "Bolts"));
    EXPECT_TRUE(Slots()->slots[2].free);
    EXPECT_EQ(Slots()->slots[2].displayName, "Empty");
    EXPECT_FALSE(std::filesystem::exists(OnDisk(kTablePath)));
    EXPECT_TRUE(log.Contains("***ERROR: StorySaveGame::StartCareer: could not write \"savegame\""));

    // The table cannot go in place: neither start nor save change it.
    ASSERT_TRUE(Slots()->StartCareer(1, "Bolts", "Bolts"));
    std::filesystem::remove(OnDisk(kTablePath));
    BlockFile(kTablePath);
    EXPECT_FALSE(Slots()->StartCareer(0, "Other", "Other"));
    EXPECT_TRUE(Slots()->slots[0].free);
    Slots()->currentSlot = 1;
    EXPECT_FALSE(Slots()->Save());
    EXPECT_EQ(Slots()->slots[1].progress, "");
    EXPECT_EQ(Slots()->slots[1].date, "");
    EXPECT_FALSE(Slots()->DeleteSlot(1));
    EXPECT_FALSE(Slots()->slots[1].free);
}

// A new career over a used slot: whichever write fails, the slot and the file it names
// still hold the old career, and no waiting file stays behind.
TEST_F(StoryFilesTest, ANewCareerOverAUsedSlotReplacesTheOldOneOnlyWhenEveryWriteWorked)
{
    struct Case {
        const char* name;
        std::string blocked;  // a folder in the file's place; empty for none
        bool started;
    };
    const Case cases[] = {
        {"the table cannot be written", kTablePath, false},
        {"the new file cannot be written", CareerPath(1) + StorySaveGame::kWaitingSuffix, false},
        {"nothing in the way", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* folder : {"Data", "data/Savegames", "data/SaveGames"})
            std::filesystem::remove_all(folder);
        FileSystem::Instance()->InvalidateDiskCache();
        std::fill(std::begin(Slots()->slots), std::end(Slots()->slots), StorySaveGame::Slot());
        ASSERT_TRUE(Slots()->StartCareer(1, "Bolts", "Bolts"));
        ASSERT_TRUE(Slots()->Save());
        const StorySaveGame::Slot old = Slots()->slots[1];
        if (!c.blocked.empty()) {
            std::filesystem::remove(OnDisk(c.blocked));
            BlockFile(c.blocked);
        }
        LogCapture log;
        EXPECT_EQ(Slots()->StartCareer(1, "Other", "Other"), c.started);
        const StorySaveGame::Slot& slot = Slots()->slots[1];
        const std::string career = Unscrambled(CareerPath(1));
        if (c.started) {
            EXPECT_EQ(std::make_tuple(slot.displayName, slot.date, slot.progress),
                      std::make_tuple(std::string("Other"), std::string(), std::string()));
            EXPECT_NE(career.find("\"TeamName\" \"Other\""), std::string::npos);
            EXPECT_NE(Unscrambled(kTablePath).find("\"DisplayName[1]\" \"Other\""), std::string::npos);
        } else {
            EXPECT_TRUE(log.Contains("***ERROR")) << log.Text();
            EXPECT_EQ(std::make_tuple(slot.displayName, slot.date, slot.progress),
                      std::make_tuple(old.displayName, old.date, old.progress));
            EXPECT_NE(career.find("\"TeamName\" \"Bolts\""), std::string::npos) << career;
        }
        if (c.blocked.empty() || c.blocked == kTablePath) {
            EXPECT_FALSE(std::filesystem::exists(OnDisk(CareerPath(1) + StorySaveGame::kWaitingSuffix)));
        }
    }
}

// The new file cannot take the career's name after the table was written: the table is
// written back as it was.
TEST_F(StoryFilesTest, ATableWrittenForACareerThatCouldNotTakeItsNameIsWrittenBack)
{
    ASSERT_TRUE(Slots()->StartCareer(1, "Bolts", "Bolts"));
    std::filesystem::remove(OnDisk(CareerPath(1)));
    BlockFile(CareerPath(1));
    LogCapture log;
    EXPECT_FALSE(Slots()->StartCareer(1, "Other", "Other"));
    EXPECT_TRUE(log.Contains("FileSystem::Rename: could not rename")) << log.Text();
    EXPECT_EQ(Slots()->slots[1].displayName, "Bolts");
    EXPECT_NE(Unscrambled(kTablePath).find("\"DisplayName[1]\" \"Bolts\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(OnDisk(CareerPath(1) + StorySaveGame::kWaitingSuffix)));
}

TEST_F(StoryFilesTest, FailedLoadLeavesTheCareerInMemory)
{
    ASSERT_TRUE(Slots()->StartCareer(0, "Bolts", "Bolts"));
    const std::string badRound = [&] {
        Game()->round = 9;
        Slots()->WriteCareer();
        return ReadRaw(OnDisk(CareerPath(0)));
    }();
    struct Case {
        const char* name;
        std::string bytes;  // empty: no file
    };
    const Case cases[] = {
        {"missing file", ""},
        {"round 9", badRound},
        {"not scrambled", "[SaveGame] \"SaveGame\"\n{\n \"Round\" 1\n}\n"},
        {"truncated", badRound.substr(0, 200)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(OnDisk(CareerPath(0)));
        if (!c.bytes.empty())
            WriteRaw(OnDisk(CareerPath(0)), c.bytes);
        Game()->NewGame("Running");
        Game()->round = 2;
        Game()->members[0] = "PandaGk00";
        Team("Panda01")->SetTeamName("Running");
        Member("PandaGk00")->energy.SetLevel(66);
        Game()->resumePending = false;
        LogCapture log;
        EXPECT_FALSE(Slots()->LoadCareer(0));
        EXPECT_TRUE(log.Contains("***ERROR: StorySaveGame::LoadCareer: could not load the career of slot 0"));
        EXPECT_EQ(std::make_tuple(Game()->teamName, Game()->round, Game()->members[0]),
                  std::make_tuple(std::string("Running"), 2, std::string("PandaGk00")));
        EXPECT_EQ(Team("Panda01")->GetTeamName(), "Running");
        EXPECT_EQ(Member("PandaGk00")->energy.level, 66);
    }
}

TEST_F(StoryFilesTest, NoSlotMeansNothingWritten)
{
    for (int slot : {-1, 5}) {
        Slots()->currentSlot = slot;
        LogCapture log;
        EXPECT_FALSE(Slots()->Save());
        EXPECT_FALSE(Slots()->WriteCareer());
        EXPECT_TRUE(log.Contains("***ERROR: StorySaveGame::WriteCareer: no save slot " + std::to_string(slot)));
    }
    // A free slot holds no career to save into.
    Slots()->currentSlot = 2;
    EXPECT_FALSE(Slots()->Save());
    EXPECT_FALSE(std::filesystem::exists(OnDisk("data\\Savegames")));
}

TEST_F(StoryFilesTest, TableIsReadWhenPresent)
{
    EXPECT_TRUE(Slots()->LoadTable());
    EXPECT_EQ(Slots()->slots[4].displayName, "Empty");
    ASSERT_TRUE(Slots()->StartCareer(4, "Bolts", "Bolts"));
    Slots()->slots[4] = StorySaveGame::Slot();
    EXPECT_TRUE(Slots()->LoadTable());
    EXPECT_EQ(Slots()->slots[4].displayName, "Bolts");

    const std::string good = ReadRaw(OnDisk(kTablePath));
    WriteRaw(OnDisk(kTablePath), good.substr(0, good.size() / 2) + "zz");
    Slots()->slots[4].displayName = "Kept";
    LogCapture log;
    EXPECT_FALSE(Slots()->LoadTable());
    EXPECT_EQ(Slots()->slots[4].displayName, "Kept");
    EXPECT_TRUE(log.Contains("StorySaveGame::LoadTable: could not read"));
}

}  // namespace
