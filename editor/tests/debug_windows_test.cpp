#include "editor/DebugWindows.h"
#include "editor/IconFileList.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::string>;

// A watch whose text the test sets.
struct TextWatch : WatchData {
    explicit TextWatch(std::string t) : text(std::move(t)) {}
    void GetText(std::string& out) override { out = text; }
    bool HasChanged() override { return true; }
    std::string text;
};

struct DebugWindowsTest : ::testing::Test {
    DebugWindowsTest()
    {
        Debug::Instance()->RemoveAllWatches();
        Debug::Instance()->watchesLocked = false;
        Debug::Instance()->ClearStatus();
    }
    ~DebugWindowsTest() override
    {
        Debug::Instance()->RemoveAllWatches();
        Debug::Instance()->watchesLocked = false;
    }
    TextWatch* Add(const std::string& text, const char* group = "game")
    {
        auto* watch = new TextWatch(text);
        Debug::Instance()->AddWatchData(watch, group);
        return watch;
    }
    LogCapture log;  // installed first, so the windows forward to it
    DebugWindows windows;
    CMessageWindow& messages = windows.Messages();
    CWatchesWindow& watches = windows.Watches();
};

TEST_F(DebugWindowsTest, LogLinesBecomeRowsOnTheNextPass)
{
    LogMessage("a\n\n");
    LogError("broken %d\n", 7);
    Debug::Instance()->Log(std::string(5000, 'x').c_str());
    EXPECT_TRUE(messages.GetRows().empty());  // not before the game thread's pass
    windows.OnIdle();
    EXPECT_EQ(messages.GetRows(), (Rows{"a\n", "***ERROR: broken 7", std::string(CMessageWindow::kMaxMessageLength, 'x')}));
    EXPECT_EQ(messages.GetSelected(), 2);
    EXPECT_TRUE(log.Contains("broken 7"));  // the sink before still hears every line

    messages.Clear();
    EXPECT_TRUE(messages.GetRows().empty());
    EXPECT_EQ(messages.GetSelected(), -1);
}

TEST_F(DebugWindowsTest, ShowingAndClosingSetTheFlags)
{
    messages.Show();
    watches.Show();
    EXPECT_TRUE(Debug::Instance()->messageWindowShown);
    EXPECT_TRUE(Debug::Instance()->watchesWindowShown);
    LogMessage("kept\n");
    windows.OnIdle();
    messages.Hide();
    watches.Hide();
    EXPECT_FALSE(messages.IsVisible());
    EXPECT_FALSE(watches.IsVisible());
    EXPECT_FALSE(Debug::Instance()->messageWindowShown);
    EXPECT_FALSE(Debug::Instance()->watchesWindowShown);
    EXPECT_EQ(messages.GetRows(), (Rows{"kept"}));
}

TEST_F(DebugWindowsTest, EachWatchTakesOneRowPerLineAndKeepsThemWhenItsCountChanges)
{
    TextWatch* first = Add("a\nb\n\nc\n");
    TextWatch* second = Add("d");
    windows.OnIdle();
    EXPECT_EQ(watches.GetRows(), (Rows{"a", "b", "c", "d"}));

    first->text = "a2\nb2\nc2";
    windows.OnIdle();
    EXPECT_EQ(watches.GetRows(), (Rows{"a2", "b2", "c2", "d"}));

    first->text = "one";  // three rows become one; the next watch's row stays its own
    windows.OnIdle();
    EXPECT_EQ(watches.GetRows(), (Rows{"one", "d"}));
    first->text = "x\ny\nz\nw";
    second->text = "e\nf";
    windows.OnIdle();
    EXPECT_EQ(watches.GetRows(), (Rows{"x", "y", "z", "w", "e", "f"}));
    first->text = "";  // a watch with no lines takes no row
    windows.OnIdle();
    EXPECT_EQ(watches.GetRows(), (Rows{"e", "f"}));

    // A new list whose first watch reads like the old one's still gets its rows.
    Debug::Instance()->RemoveAllWatches();
    Add("e\nf");
    windows.OnIdle();
    EXPECT_EQ(watches.GetRows(), (Rows{"e", "f"}));
}

TEST_F(DebugWindowsTest, GroupsListInOrderOfFirstUseAndTheShownOneStays)
{
    const std::string longName(150, 'g');  // longer than any fixed buffer once used
    Add("b1", "b");
    Add("a1", "a");
    Add("b2", "b");
    Add("l1", longName.c_str());
    Add("l2", longName.c_str());
    windows.OnIdle();
    EXPECT_EQ(watches.GetGroups(), (Rows{"b", "a", longName}));
    EXPECT_EQ(watches.GetCurrentGroup(), 0);
    EXPECT_EQ(watches.GetRows(), (Rows{"b1", "b2"}));
    watches.SelectGroup(0);  // picked again: the rows are written anew, the same
    EXPECT_EQ(watches.GetRows(), (Rows{"b1", "b2"}));
    watches.SelectGroup(2);
    EXPECT_EQ(watches.GetRows(), (Rows{"l1", "l2"}));
    watches.SelectGroup(7);  // no such group: no rows
    EXPECT_TRUE(watches.GetRows().empty());
}

TEST_F(DebugWindowsTest, LockHoldsTheValuesUntilUpdateOrUnlock)
{
    TextWatch* watch = Add("1");
    windows.OnIdle();
    watches.ToggleLock();
    EXPECT_STREQ(watches.GetLockLabel(), "Unlock");
    watch->text = "2";
    windows.OnIdle();
    EXPECT_EQ(watches.GetRows(), (Rows{"1"}));
    watches.Update(false);  // "Update" works while locked
    EXPECT_EQ(watches.GetRows(), (Rows{"2"}));
    watch->text = "3";
    windows.OnIdle();
    EXPECT_EQ(watches.GetRows(), (Rows{"2"}));
    watches.ToggleLock();
    EXPECT_STREQ(watches.GetLockLabel(), "Lock");
    windows.OnIdle();
    EXPECT_EQ(watches.GetRows(), (Rows{"3"}));
}

TEST_F(DebugWindowsTest, HudPutsTheShownGroupOnTheStatusText)
{
    int fps = 60;
    Debug::Instance()->AddWatch("fps", &fps, "game");
    Add("ms 16");
    Add("other", "elsewhere");
    windows.OnIdle();
    EXPECT_EQ(Debug::Instance()->GetStatus(), "");
    watches.SetHud(true);
    windows.OnIdle();
    EXPECT_EQ(Debug::Instance()->GetStatus(), "fps: 60\nms 16\n");
    EXPECT_EQ(watches.GetRows(), (Rows{"fps: 60", "ms 16"}));
}

TEST_F(DebugWindowsTest, RemovedWindowsGiveTheSinkBack)
{
    DebugSink* before = Debug::Instance()->GetSink();
    {
        DebugWindows inner;
        EXPECT_EQ(Debug::Instance()->GetSink(), &inner);
    }
    EXPECT_EQ(Debug::Instance()->GetSink(), before);
}

TEST(IconFileListTest, MatchesWithoutCaseSortsAndSkipsFolders)
{
    namespace fs = std::filesystem;
    fs::create_directories("icons/sub.bmp");
    for (const char* name : {"b.BMP", "a.bmp", "c.txt", "Z.Bmp"})
        std::ofstream(std::string("icons/") + name) << "x";
    IconFileList list;
    list.Fill("ICONS\\*.bmp");
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ((Rows{list.GetName(0), list.GetName(1), list.GetName(2)}), (Rows{"Z.Bmp", "a.bmp", "b.BMP"}));
    EXPECT_EQ(list.GetPath(1), "ICONS\\a.bmp");
    list.Fill("missing\\*.bmp");
    EXPECT_EQ(list.Count(), 0u);
    fs::remove_all("icons");
}

}  // namespace
