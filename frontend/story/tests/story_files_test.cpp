#include "support/StoryTestSupport.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

class StoryFilesTest : public StoryTest {
protected:
    // A directory where the file should go: nothing can be written in its place.
    static void BlockFile(const std::string& name) { std::filesystem::create_directories(OnDisk(name)); }

    // No save files and five free slots.
    static void ClearSaves()
    {
        for (const char* folder : {"Data", "data/Savegames", "data/SaveGames"})
            std::filesystem::remove_all(folder);
        FileSystem::Instance()->InvalidateDiskCache();
        std::fill(std::begin(Slots()->slots), std::end(Slots()->slots), StorySaveGame::Slot());
    }

    // The quoted value after the key in a property table's text; empty when it has none.
    static std::string Quoted(const std::string& text, const std::string& key)
    {
        const std::string start = "\"" + key + "\" \"";
        const size_t at = text.find(start);
        if (at == std::string::npos)
            return {};
        const size_t from = at + start.size();
        return text.substr(from, text.find("\"\n", from) - from);
    }

    static std::string TeamOf(const std::string& career) { return Quoted(career, "TeamName"); }

    struct OnDiskSlot {
        bool free;
        std::string shown, team;  // the table's name, and the team of the file it names
    };

    static OnDiskSlot ReadSlot(const std::string& table, int i)
    {
        const std::string n = "[" + std::to_string(i) + "]";
        const bool free = table.find("\"Free" + n + "\" 0") == std::string::npos;
        const std::string file = Quoted(table, "FileName" + n);
        return {free, Quoted(table, "DisplayName" + n), file.empty() ? "" : TeamOf(Unscrambled(file))};
    }
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
    BlockFile(CareerPath(2));
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

// A new career, whatever the slot held: after every change on disk, each used slot of the
// table names a file that holds the career it shows.
TEST_F(StoryFilesTest, TheTableNeverNamesAFileHoldingAnotherCareer)
{
    static std::vector<std::string> wrong;
    static int changes = 0;
    FileSystem::SetChangeListener([](const std::string&) {
        ++changes;
        const std::string table = Unscrambled(kTablePath);
        for (int i = 0; i < StorySaveGame::kSlots; ++i) {
            const OnDiskSlot slot = ReadSlot(table, i);
            if (!slot.free && slot.team != slot.shown)
                wrong.push_back("slot " + std::to_string(i) + " shows " + slot.shown + " over " + slot.team);
        }
    });
    struct Case {
        const char* name;
        std::function<void()> before;
        const char* kept;  // the team of the copy kept of the slot's old file, or null
    };
    const Case cases[] = {
        {"a free slot", [] {}, nullptr},
        {"a used slot", [] { ASSERT_TRUE(Slots()->StartCareer(1, "Bolts", "Bolts")); }, "Bolts"},
        {"a freed slot whose file stayed",
         [] {
             ASSERT_TRUE(Slots()->StartCareer(1, "Rovers", "Rovers"));
             ASSERT_TRUE(Slots()->DeleteSlot(1));
         },
         "Rovers"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearSaves();
        c.before();
        wrong.clear();
        changes = 0;
        ASSERT_TRUE(Slots()->StartCareer(1, "Other", "Other"));
        EXPECT_GE(changes, 2);
        EXPECT_EQ(wrong, std::vector<std::string>());
        EXPECT_EQ(ReadSlot(Unscrambled(kTablePath), 1).team, "Other");
        const std::string kept = CareerPath(1) + "." + StorySaveGame::kReplacedTag;
        EXPECT_EQ(TeamOf(Unscrambled(kept)), c.kept ? c.kept : "");
    }
    FileSystem::SetChangeListener(nullptr);
}

// A new career over a used slot: whichever write fails, the slot and the file it names still
// hold the old career.
TEST_F(StoryFilesTest, ANewCareerOverAUsedSlotReplacesTheOldOneOnlyWhenEveryWriteWorked)
{
    // Blocks the table once the new career's file is stored: the last write fails.
    static bool blockTable = false;
    FileSystem::SetChangeListener([](const std::string& path) {
        if (blockTable && path == OnDisk(CareerPath(1))) {
            blockTable = false;
            std::filesystem::remove(OnDisk(kTablePath));
            BlockFile(kTablePath);
        }
    });
    struct Case {
        const char* name;
        bool tableBlocked, tableBlockedLast;
        rlim_t fileBytes;  // the largest file the disk takes
        bool started;
    };
    const Case cases[] = {
        {"the table cannot be written", true, false, RLIM_INFINITY, false},
        {"the table cannot be written once the career is", false, true, RLIM_INFINITY, false},
        {"the old career cannot be kept", false, false, 4096, false},
        {"nothing in the way", false, false, RLIM_INFINITY, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearSaves();
        ASSERT_TRUE(Slots()->StartCareer(1, "Bolts", "Bolts"));
        ASSERT_TRUE(Slots()->Save());
        const StorySaveGame::Slot old = Slots()->slots[1];
        if (c.tableBlocked) {
            std::filesystem::remove(OnDisk(kTablePath));
            BlockFile(kTablePath);
        }
        blockTable = c.tableBlockedLast;
        if (c.fileBytes != RLIM_INFINITY) {
            ASSERT_GT(ReadRaw(OnDisk(CareerPath(1))).size(), c.fileBytes);
        }
        LogCapture log;
        const bool started = [&] {
            DiskFullAfter full(c.fileBytes);
            return Slots()->StartCareer(1, "Other", "Other");
        }();
        EXPECT_EQ(started, c.started);
        const StorySaveGame::Slot& slot = Slots()->slots[1];
        const std::string career = TeamOf(Unscrambled(CareerPath(1)));
        if (c.started) {
            EXPECT_EQ(std::make_tuple(slot.displayName, slot.date, slot.progress),
                      std::make_tuple(std::string("Other"), std::string(), std::string()));
            EXPECT_EQ(career, "Other");
            EXPECT_EQ(ReadSlot(Unscrambled(kTablePath), 1).shown, "Other");
        } else {
            EXPECT_TRUE(log.Contains("***ERROR")) << log.Text();
            EXPECT_EQ(std::make_tuple(slot.displayName, slot.date, slot.progress),
                      std::make_tuple(old.displayName, old.date, old.progress));
            EXPECT_EQ(career, "Bolts");
        }
    }
    FileSystem::SetChangeListener(nullptr);
}

// A table that cannot be read never makes the careers on disk look free: the slots list the
// career files found, and the player is told once.
TEST_F(StoryFilesTest, ATableThatCannotBeReadListsTheCareersFound)
{
    ASSERT_TRUE(Slots()->StartCareer(0, "Bolts", "Bolts"));
    Game()->round = 2;
    Game()->firstLeg = false;
    ASSERT_TRUE(Slots()->Save());
    ASSERT_TRUE(Slots()->StartCareer(3, "Rovers", "Rovers"));
    WriteRaw(OnDisk(CareerPath(4)), "not a career");
    const std::string table = ReadRaw(OnDisk(kTablePath));
    const std::string teamShown = Team("Panda01")->GetTeamName();
    struct Case {
        const char* name;
        std::string bytes;  // empty: no table
    };
    const Case cases[] = {{"cut to 600 bytes", table.substr(0, 600)}, {"cut to one byte", table.substr(0, 1)},
                          {"missing", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A table written anew, then damaged.
        std::fill(std::begin(Slots()->slots), std::end(Slots()->slots), StorySaveGame::Slot());
        ASSERT_TRUE(Slots()->WriteTable());
        std::filesystem::remove(OnDisk(kTablePath));
        if (!c.bytes.empty())
            WriteRaw(OnDisk(kTablePath), c.bytes);
        LogCapture log;
        EXPECT_FALSE(Slots()->LoadTable());
        EXPECT_TRUE(log.Contains("***ERROR: StorySaveGame::LoadTable: ")) << log.Text();
        std::vector<std::string> shown;
        for (const StorySaveGame::Slot& slot : Slots()->slots)
            shown.push_back(slot.free ? "free" : slot.displayName + " " + slot.progress + " " + slot.fileName);
        EXPECT_EQ(shown, (std::vector<std::string>{"Bolts <scale 0.4><br>%30320% 11</scale> " + CareerPath(0), "free",
                                                   "free", "Rovers <scale 0.4><br>%30320% 1</scale> " + CareerPath(3),
                                                   "free"}));
        EXPECT_TRUE(Slots()->TakeTableNotice());
        EXPECT_FALSE(Slots()->TakeTableNotice());
        // The same damage read again is not told again.
        EXPECT_FALSE(Slots()->LoadTable());
        EXPECT_FALSE(Slots()->TakeTableNotice());
        // The career in memory and the damaged table stay as they were.
        EXPECT_EQ(std::make_tuple(Game()->teamName, Game()->round, Team("Panda01")->GetTeamName()),
                  std::make_tuple(std::string("Rovers"), 0, teamShown));
        if (!c.bytes.empty()) {
            EXPECT_EQ(ReadRaw(OnDisk(kTablePath)), c.bytes);
            EXPECT_EQ(ReadRaw(OnDisk(kTablePath) + ".damaged"), c.bytes);
            std::filesystem::remove(OnDisk(kTablePath) + ".damaged");
        }
    }
    // A first start has neither table nor careers, and nothing to tell.
    ClearSaves();
    EXPECT_TRUE(Slots()->LoadTable());
    EXPECT_FALSE(Slots()->TakeTableNotice());
}

TEST_F(StoryFilesTest, FailedLoadLeavesTheCareerInMemory)
{
    ASSERT_TRUE(Slots()->StartCareer(0, "Bolts", "Bolts"));
    const std::string badRound = [&] {
        Game()->round = 9;
        Slots()->WriteCareer();
        return ReadRaw(OnDisk(CareerPath(0)));
    }();
    const std::string noRound = [&] {
        WriteScrambled(CareerPath(0), "# ------------------------------------------------ SaveGame\nOBJECT START\n"
                                      "[SaveGame] \"SaveGame\"\n{\n \"TeamName\" \"Other\"\n}\n");
        return ReadRaw(OnDisk(CareerPath(0)));
    }();
    struct Case {
        const char* name;
        std::string bytes;  // empty: no file
    };
    const Case cases[] = {
        {"missing file", ""},
        {"round 9", badRound},
        {"no round", noRound},
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
    EXPECT_EQ(Slots()->slots[4].displayName, "Bolts");
    EXPECT_TRUE(log.Contains("StorySaveGame::LoadTable: ")) << log.Text();
    EXPECT_TRUE(log.Contains("could not be read"));
}

}  // namespace
