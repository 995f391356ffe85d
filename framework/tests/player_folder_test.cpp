#include "framework/PlayerFolder.h"
#include "support/FileTest.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ScopedEnv.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

// Runs a test in its scratch folder with the player folder of its choice; both come back.
class PlayerFolderTest : public FileTest {
protected:
    void SetUp() override
    {
        FileTest::SetUp();
        m_start = fs::current_path();
        fs::current_path(m_dir);
    }
    void TearDown() override
    {
        fs::current_path(m_start);
        player_folder::Use("data");
        FileTest::TearDown();
    }
    static std::set<std::string> Names(const fs::path& folder)
    {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path m_start;
};

TEST_F(PlayerFolderTest, TheFolderOfThisUserFollowsTheVariablesInOrder)
{
    struct Case {
        const char* name;
        const char* chosen;  // null: unset
        const char* xdg;
        const char* home;
        std::string folder;
    };
    const Case cases[] = {
        {"chosen for the run", "saves", "/xdg", "/home/u", "saves"},
        {"the XDG folder", nullptr, "/xdg", "/home/u", "/xdg/turfbolt"},
        {"a relative XDG folder is ignored", nullptr, "xdg", "/home/u", "/home/u/.local/share/turfbolt"},
        {"the home folder", nullptr, nullptr, "/home/u", "/home/u/.local/share/turfbolt"},
        {"nothing set", nullptr, nullptr, nullptr, "data"},
        {"an empty choice", "", "", "", "data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedEnv chosen(player_folder::kVariable, c.chosen), xdg("XDG_DATA_HOME", c.xdg), home("HOME", c.home);
        EXPECT_EQ(player_folder::ForThisUser(), c.folder);
    }
}

TEST_F(PlayerFolderTest, OldSavesAreTakenOverOnceAndStayWhereTheyWere)
{
    WriteRaw("Data/SaveGames/user.txt", "options");
    WriteRaw("data/Savegames/savegame0.txt", "career");
    WriteRaw("data/Savegames/.user.txt.tmp12_0", "a crashed write");
    WriteRaw("data/log.txt", "an old log");
    WriteRaw("data/pc/config.txt", "no save");
    player_folder::Use("home/turfbolt");
    LogCapture log;
    EXPECT_EQ(player_folder::TakeOverOldFiles(), 2);
    EXPECT_TRUE(log.Contains("2 file(s) of ")) << log.Text();
    EXPECT_EQ(ReadRaw("home/turfbolt/SaveGames/user.txt"), "options");
    EXPECT_EQ(ReadRaw("home/turfbolt/SaveGames/savegame0.txt"), "career");
    EXPECT_EQ(Names("home/turfbolt"), (std::set<std::string>{"SaveGames", "log.txt"}));
    EXPECT_EQ(Names("home/turfbolt/SaveGames"), (std::set<std::string>{"user.txt", "savegame0.txt"}));
    EXPECT_EQ(ReadRaw("Data/SaveGames/user.txt"), "options");

    // Once: what a later start finds in the old place stays there.
    WriteRaw("Data/SaveGames/gained.txt", "rewards");
    EXPECT_EQ(player_folder::TakeOverOldFiles(), 0);
    EXPECT_FALSE(fs::exists("home/turfbolt/SaveGames/gained.txt"));

    // The old place as the player folder, in either spelling, takes nothing over.
    for (const char* same : {"data", "DATA", "./Data"}) {
        player_folder::Use(same);
        EXPECT_EQ(player_folder::TakeOverOldFiles(), 0) << same;
    }
    EXPECT_FALSE(fs::exists("DATA"));
}

TEST_F(PlayerFolderTest, OnlyOneProcessClaimsAFolder)
{
    player_folder::Use("claimed");
    ASSERT_TRUE(player_folder::MakeFolders("claimed"));
    // Another open of the lock stands for another process: its lock is not this one's.
    const int other = open("claimed/turfbolt.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(player_folder::Claim());
    close(other);
    EXPECT_TRUE(player_folder::Claim());
    EXPECT_TRUE(player_folder::Claim());
    const int late = open("claimed/turfbolt.lock", O_RDWR | O_CLOEXEC);
    EXPECT_NE(flock(late, LOCK_EX | LOCK_NB), 0);
    close(late);
    // Holding one folder is no claim on another.
    player_folder::Use("elsewhere");
    ASSERT_TRUE(player_folder::MakeFolders("elsewhere"));
    const int third = open("elsewhere/turfbolt.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    ASSERT_EQ(flock(third, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(player_folder::Claim());
    close(third);
}

}  // namespace
