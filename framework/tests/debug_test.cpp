#include "framework/Debug.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadLog()
{
    std::ifstream in("data/log.txt", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class RecordingSink : public DebugSink {
public:
    void OnLog(const char* text) override { lines.emplace_back(text); }
    void OnWatchesChanged() override { ++watchNotices; }
    std::vector<std::string> lines;
    int watchNotices = 0;
};

// CTest runs the cases of one executable side by side in one folder; each case keeps
// its log in a folder of its own.
class DebugTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home = std::filesystem::current_path();
        const std::filesystem::path dir = m_home / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        Debug::DestroyInstance();
        Debug::Instance()->Initialise();
    }
    void TearDown() override
    {
        Debug::DestroyInstance();
        SetMessageBoxHandler(nullptr);
        setenv("TB_NO_MESSAGE_BOX", "1", 1);
        std::filesystem::current_path(m_home);
    }

    std::filesystem::path m_home;
};

}  // namespace

TEST_F(DebugTest, InitialiseEmptiesTheLogAndZeroesCounters)
{
    LogError("old error\n");
    LogWarning("old warning\n");
    ASSERT_NE(ReadLog(), "");
    Debug::Instance()->Initialise();
    EXPECT_EQ(ReadLog(), "");
    EXPECT_EQ(Debug::Instance()->GetErrorCount(), 0);
    EXPECT_EQ(Debug::Instance()->GetWarningCount(), 0);
}

TEST_F(DebugTest, InitialiseCreatesTheDataFolder)
{
    std::remove("data/log.txt");
    std::remove("data");
    Debug::Instance()->Initialise();
    LogMessage("hello\n");
    EXPECT_EQ(ReadLog(), "hello\n");
}

TEST_F(DebugTest, PrefixesAndCountsReachFileAndSink)
{
    RecordingSink sink;
    Debug::Instance()->SetSink(&sink);
    LogError("Thing::Do: bad %d\n", 7);
    LogWarning("Thing::Do: odd %s\n", "x");
    LogWarning("second\n");
    LogMessage("plain %.1f\n", 1.5);
    Debug::Instance()->Log("as is");
    EXPECT_EQ(ReadLog(), "***ERROR: Thing::Do: bad 7\n***WARNING: Thing::Do: odd x\n***WARNING: second\nplain 1.5\nas is");
    EXPECT_EQ(Debug::Instance()->GetErrorCount(), 1);
    EXPECT_EQ(Debug::Instance()->GetWarningCount(), 2);
    ASSERT_EQ(sink.lines.size(), 5u);
    EXPECT_EQ(sink.lines[0], "***ERROR: Thing::Do: bad 7\n");
    EXPECT_EQ(sink.lines[4], "as is");
    Debug::Instance()->SetSink(nullptr);
}

TEST_F(DebugTest, OverlongMessageIsTruncatedToTheBuffer)
{
    const std::string huge(20000, 'a');
    LogError("%s", huge.c_str());
    const std::string log = ReadLog();
    EXPECT_EQ(log.size(), std::string("***ERROR: ").size() + 8 * 1024 - 1);
    EXPECT_EQ(Debug::Instance()->GetErrorCount(), 1);
}

TEST_F(DebugTest, StatusTextAppendsUntilCleared)
{
    LogStatus("fps %d ", 60);
    LogStatus("dt %.2f", 0.02);
    EXPECT_EQ(Debug::Instance()->GetStatus(), "fps 60 dt 0.02");
    Debug::Instance()->ClearStatus();
    EXPECT_EQ(Debug::Instance()->GetStatus(), "");
    EXPECT_EQ(ReadLog(), "");
}

TEST_F(DebugTest, DebugTraceWritesNothing)
{
    RecordingSink sink;
    Debug::Instance()->SetSink(&sink);
    DebugTrace("trace %d\n", 1);
    EXPECT_EQ(ReadLog(), "");
    EXPECT_TRUE(sink.lines.empty());
    Debug::Instance()->SetSink(nullptr);
}

TEST_F(DebugTest, WatchesGroupTextAndChangeNotification)
{
    Debug* debug = Debug::Instance();
    RecordingSink sink;
    uint32_t frames = 10;
    int score = -2;
    float fps = 59.5f;
    WatchData* wf = debug->AddWatch("frames", &frames, "Timing");
    WatchData* ws = debug->AddWatch("score", &score, "Match");
    WatchData* wp = debug->AddWatch("fps", &fps, "Timing");
    ASSERT_TRUE(wf && ws && wp);
    EXPECT_EQ(debug->AddWatch("none", static_cast<const int*>(nullptr), "Match"), nullptr);
    EXPECT_EQ(debug->GetErrorCount(), 1);

    ASSERT_EQ(debug->GetWatchGroups().size(), 2u);
    EXPECT_EQ(debug->GetWatchGroups()[wf->group], "Timing");
    EXPECT_EQ(wp->group, wf->group);
    EXPECT_EQ(debug->GetWatchGroups()[ws->group], "Match");
    ASSERT_EQ(debug->GetWatches().size(), 3u);
    EXPECT_EQ(debug->GetWatches()[1]->name, "score");

    std::string text;
    wf->GetText(text);
    EXPECT_EQ(text, "10");
    ws->GetText(text);
    EXPECT_EQ(text, "-2");
    wp->GetText(text);
    EXPECT_EQ(text, "59.500000");

    debug->SetSink(&sink);
    debug->UpdateWatches();
    EXPECT_EQ(sink.watchNotices, 0);

    // Only the last watch changes: every watch must still be asked.
    fps = 60.0f;
    debug->UpdateWatches();
    EXPECT_EQ(sink.watchNotices, 1);
    debug->UpdateWatches();
    EXPECT_EQ(sink.watchNotices, 1);

    // Locked: nothing is reported, and the change waits until unlocked.
    debug->watchesLocked = true;
    ++frames;
    debug->UpdateWatches();
    EXPECT_EQ(sink.watchNotices, 1);
    debug->watchesLocked = false;
    debug->UpdateWatches();
    EXPECT_EQ(sink.watchNotices, 2);

    debug->RemoveAllWatches();
    EXPECT_TRUE(debug->GetWatches().empty());
    EXPECT_TRUE(debug->GetWatchGroups().empty());
    debug->SetSink(nullptr);
}

TEST_F(DebugTest, CustomWatchIsOwnedAndAsked)
{
    struct Custom : WatchData {
        explicit Custom(int* d) : destroyed(d) {}
        ~Custom() override { ++*destroyed; }
        void GetText(std::string& out) override { out = "custom"; }
        bool HasChanged() override { return ++asked == 2; }
        int* destroyed;
        int asked = 0;
    };
    int destroyed = 0;
    RecordingSink sink;
    auto* custom = new Custom(&destroyed);
    custom->name = "mapper";
    Debug::Instance()->AddWatchData(custom, "Input");
    EXPECT_EQ(Debug::Instance()->GetWatchGroups()[custom->group], "Input");
    Debug::Instance()->SetSink(&sink);
    Debug::Instance()->UpdateWatches();
    EXPECT_EQ(sink.watchNotices, 0);
    Debug::Instance()->UpdateWatches();
    EXPECT_EQ(sink.watchNotices, 1);
    Debug::Instance()->SetSink(nullptr);
    Debug::DestroyInstance();
    EXPECT_EQ(destroyed, 1);
}

namespace {
int g_boxes = 0;
std::string g_boxText;

void NestingHandler(const char*, const char* text)
{
    ++g_boxes;
    g_boxText = text;
    LogMessageBox("nested %d", g_boxes);
}
}  // namespace

TEST_F(DebugTest, MessageBoxGoesToTheLogOnlyWhenSwitchedOff)
{
    g_boxes = 0;
    SetMessageBoxHandler(NestingHandler);
    setenv("TB_NO_MESSAGE_BOX", "1", 1);
    testing::internal::CaptureStderr();
    LogMessageBox("Menu::GetItem not found (%s)", "x");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(g_boxes, 0);
    EXPECT_NE(err.find("Menu::GetItem not found (x)"), std::string::npos);
    EXPECT_EQ(ReadLog(), "Menu::GetItem not found (x)\n");
    EXPECT_EQ(Debug::Instance()->GetErrorCount(), 0);
}

TEST_F(DebugTest, MessageBoxIsNotReentered)
{
    g_boxes = 0;
    SetMessageBoxHandler(NestingHandler);
    unsetenv("TB_NO_MESSAGE_BOX");
    LogMessageBox("Too many characters for replay!!!\n");
    EXPECT_EQ(g_boxes, 1);
    EXPECT_EQ(g_boxText, "Too many characters for replay!!!\n");
    EXPECT_EQ(ReadLog(), "Too many characters for replay!!!\n");

    // The guard is released afterwards.
    LogMessageBox("again");
    EXPECT_EQ(g_boxes, 2);
}

TEST_F(DebugTest, MessageBoxWithoutHandlerDoesNotWait)
{
    unsetenv("TB_NO_MESSAGE_BOX");
    SetMessageBoxHandler(nullptr);
    testing::internal::CaptureStderr();
    LogMessageBox("no display");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "no display\n");
    EXPECT_EQ(ReadLog(), "no display\n");
}

TEST_F(DebugTest, FatalErrorLogsAndExitsWithOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(LogFatalError("Archive missing: %s\n", "data/x.dat"), ::testing::ExitedWithCode(1),
                "Archive missing: data/x.dat");
    EXPECT_EQ(ReadLog(), "***ERROR: Archive missing: data/x.dat\n");
}
