#include "editor/RegistryFile.h"
#include "editor/WindowPosition.h"
#include "framework/FileSystem.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kViewW = 800, kViewH = 600, kTitle = 19;

struct Fixture : ::testing::Test {
    std::string file = "Data\\SaveGames\\positions_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".txt";
    std::string DiskPath() const { return FileSystem::Instance()->ResolveDiskPath(file); }

    // Writes a value of the given 32-bit words under the name, as another program would.
    void WriteWords(const std::string& name, const std::vector<uint32_t>& words)
    {
        std::vector<uint8_t> bytes;
        for (uint32_t w : words)
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(static_cast<uint8_t>(w >> shift));
        RegistryFile key(file);
        ASSERT_TRUE(key.SetValue(name, bytes));
    }
    // Where a fresh record (a second run) opens a 200 x 100 window.
    bool Restored(const std::string& name, WindowPlace& place)
    {
        WindowPosition record(name, file);
        return record.Restore(200, 100, kViewW, kViewH, kTitle, place);
    }
    void TearDown() override { fs::remove(DiskPath()); }
};

using WindowPositionTest = Fixture;

TEST_F(WindowPositionTest, PlaceSurvivesARestartButItsSizeIsNeverApplied)
{
    {
        WindowPosition record("Control Panel", file);
        record.Set(120, 45, 640, 480);
        EXPECT_TRUE(record.Save());
    }
    WindowPosition again("Control Panel", file);
    int x = 0, y = 0, w = 0, h = 0;
    ASSERT_TRUE(again.Load(x, y, w, h));
    EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{120, 45, 640, 480}));
    WindowPlace place;
    EXPECT_TRUE(again.Restore(200, 100, kViewW, kViewH, kTitle, place));
    EXPECT_EQ(place.x, 120);
    EXPECT_EQ(place.y, 45);
}

TEST_F(WindowPositionTest, DamagedValuesCentreTheWindow)
{
    const std::vector<uint32_t> good{10, 20, 30, 40, 100};
    const struct {
        const char* what;
        std::vector<uint32_t> words;
    } cases[] = {
        {"16 bytes", {10, 20, 30, 40}},
        {"24 bytes", {10, 20, 30, 40, 100, 0}},
        {"check one above", {10, 20, 30, 40, 101}},
        {"check one below", {10, 20, 30, 40, 99}},
    };
    for (const auto& c : cases) {
        WriteWords("Objects Browser", c.words);
        WindowPlace place;
        EXPECT_FALSE(Restored("Objects Browser", place)) << c.what;
        EXPECT_EQ(place.x, (kViewW - 200) / 2) << c.what;
        EXPECT_EQ(place.y, (kViewH - 100) / 2) << c.what;
    }
    WriteWords("Objects Browser", good);
    WindowPlace place;
    EXPECT_TRUE(Restored("Objects Browser", place));
    EXPECT_EQ(place.x, 10);
}

TEST_F(WindowPositionTest, NegativeAndWrappingValuesComeBackExactly)
{
    const int big = 0x7fffff00;
    {
        WindowPosition record("Control Panel", file);
        record.Set(-1700, -20, big, big);  // the sum wraps past 2^32
        ASSERT_TRUE(record.Save());
    }
    WindowPosition again("Control Panel", file);
    int x = 0, y = 0, w = 0, h = 0;
    ASSERT_TRUE(again.Load(x, y, w, h));
    EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{-1700, -20, big, big}));
    EXPECT_TRUE(WindowPosition::IsValid(-1, -1, 1, 1, 0));
    EXPECT_TRUE(WindowPosition::IsValid(big, big, big, big, 0xfffffc00u));
}

TEST_F(WindowPositionTest, RestoreKeepsTheTitleBarWithinReachAndTheBytesAsTheyAre)
{
    const int reach = WindowPosition::kReachablePixels;
    const struct {
        int x, y, wantX, wantY;
    } cases[] = {
        {-100, 30, -100, 30},                      // partly off the left edge: kept
        {-1700, -20, reach - 200, 0},              // off to the left and above
        {5000, 5000, kViewW - reach, kViewH - kTitle},  // off to the bottom right
        {kViewW - reach, 10, kViewW - reach, 10},  // just reachable
    };
    for (const auto& c : cases) {
        {
            WindowPosition record("Control Panel", file);
            record.Set(c.x, c.y, 200, 100);
            ASSERT_TRUE(record.Save());
        }
        WindowPlace place;
        EXPECT_TRUE(Restored("Control Panel", place));
        EXPECT_EQ(place.x, c.wantX) << c.x;
        EXPECT_EQ(place.y, c.wantY) << c.y;
        int x = 0, y = 0, w = 0, h = 0;
        ASSERT_TRUE(WindowPosition("Control Panel", file).Load(x, y, w, h));
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }
}

TEST_F(WindowPositionTest, TwoRecordsShareTheFile)
{
    WindowPosition panel("Control Panel", file), browser("Objects Browser", file);
    panel.Set(1, 2, 3, 4);
    browser.Set(5, 6, 7, 8);
    ASSERT_TRUE(panel.Save());
    ASSERT_TRUE(browser.Save());
    panel.Set(9, 10, 11, 12);
    ASSERT_TRUE(panel.Save());  // rewrites its own line and keeps the other's
    int x = 0, y = 0, w = 0, h = 0;
    ASSERT_TRUE(WindowPosition("Objects Browser", file).Load(x, y, w, h));
    EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{5, 6, 7, 8}));
    ASSERT_TRUE(WindowPosition("Control Panel", file).Load(x, y, w, h));
    EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{9, 10, 11, 12}));
}

TEST_F(WindowPositionTest, AFileThatCannotBeOpenedIsNoKey)
{
    // A folder where the file should be: nothing can be read or written there.
    fs::create_directories(DiskPath());
    WindowPosition record("Control Panel", file);
    record.Set(1, 2, 3, 4);
    EXPECT_FALSE(record.Save());
    int x = 0, y = 0, w = 0, h = 0;
    EXPECT_FALSE(record.Load(x, y, w, h));
    WindowPlace place;
    EXPECT_FALSE(record.Restore(200, 100, kViewW, kViewH, kTitle, place));
    fs::remove(DiskPath());
}

TEST_F(WindowPositionTest, UnwritableFolderFailsTheSave)
{
    // A plain file stands where the folder should be made.
    std::ofstream("blocker") << "x";
    WindowPosition record("Control Panel", "blocker\\positions.txt");
    record.Set(1, 2, 3, 4);
    EXPECT_FALSE(record.Save());
    fs::remove("blocker");
}

TEST(RegistryFileTest, TruncatedAndCorruptLinesAreSkippedAndReported)
{
    LogCapture log;
    const std::string text =
        "# a comment\n"
        "Good=0102\r\n"
        "\n"
        "no equals sign\n"
        "Odd=123\n"
        "Bad=zz\n"
        "=0102\n"
        "a=b=0a\n"
        "Cut=01020";  // truncated in the middle of a byte
    const RegistryFile::Values values = RegistryFile::Parse(text.data(), text.size(), "test.txt");
    const RegistryFile::Values want{{"Good", {1, 2}}, {"a=b", {10}}};
    EXPECT_EQ(values, want);
    // Reports are capped; comments and blank lines are no faults.
    EXPECT_EQ(log.Count("test.txt"), 3);
    for (const char* line : {"line 4 of", "line 5 of", "line 6 of"})
        EXPECT_TRUE(log.Contains(line)) << line;
}

// A write drops the lines it cannot read: the file is kept as it was before it goes.
TEST_F(WindowPositionTest, AFileWithDamagedLinesIsKeptBeforeItIsWrittenAnew)
{
    const std::string damaged = "Control Panel=0102\nObjects Browser=01020\n";
    std::filesystem::create_directories(fs::path(DiskPath()).parent_path());
    std::ofstream(DiskPath(), std::ios::binary) << damaged;
    LogCapture log;
    RegistryFile key(file);
    ASSERT_TRUE(key.SetValue("Control Panel", {3}));
    EXPECT_TRUE(log.Contains("was read as damaged; it is kept as ")) << log.Text();
    std::ifstream copy(DiskPath() + ".damaged", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), {}), damaged);
    std::ifstream now(DiskPath(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(now), {}), "Control Panel=03\n");
    fs::remove(DiskPath() + ".damaged");
}

TEST(RegistryFileTest, FormatReadsBack)
{
    const RegistryFile::Values values{{"Control Panel", {0, 0xff, 0x10}}, {"Empty", {}}};
    const std::string text = RegistryFile::Format(values);
    EXPECT_EQ(text, "Control Panel=00FF10\nEmpty=\n");
    EXPECT_EQ(RegistryFile::Parse(text.data(), text.size(), "x"), values);
}

TEST(RegistryFileTest, NamesWithLineBreaksAreRefused)
{
    RegistryFile key("Data\\SaveGames\\names.txt");
    EXPECT_FALSE(key.SetValue("two\nlines", {1}));
    EXPECT_FALSE(key.SetValue("", {1}));
    EXPECT_TRUE(key.SetValue("one line", {1}));
    fs::remove(FileSystem::Instance()->ResolveDiskPath("Data\\SaveGames\\names.txt"));
}

}  // namespace
