#include "framework/AsciiSerializer.h"
#include "framework/Debug.h"
#include "framework/DebugDisplay.h"
#include "support/FileTest.h"
#include "support/StringFile.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct WatchSink : LogCapture {
    void OnWatchesChanged() override { ++notices; }
    int notices = 0;
};

class DebugTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove_all("data");
        Debug::DestroyInstance();
        Debug::Instance()->Initialise();  // makes the data folder
    }
    void TearDown() override
    {
        Debug::DestroyInstance();
        SetMessageBoxHandler(nullptr);
        setenv("TB_NO_MESSAGE_BOX", "1", 1);
    }
};

}  // namespace

TEST_F(DebugTest, LinesGetTheirPrefixesAndCountsInTheFileAndTheSink)
{
    LogCapture sink;
    LogError("Thing::Do: bad %d\n", 7);
    LogWarning("Thing::Do: odd %s\n", "x");
    LogWarning("second\n");
    LogMessage("plain %.1f\n", 1.5);
    Debug::Instance()->Log("as is");
    const std::string text = "***ERROR: Thing::Do: bad 7\n***WARNING: Thing::Do: odd x\n***WARNING: second\nplain 1.5\nas is";
    EXPECT_EQ(ReadRaw("data/log.txt"), text);
    EXPECT_EQ(std::pair(sink.Text(), sink.lines.size()), std::pair(text, size_t{5}));
    EXPECT_EQ(std::make_pair(Debug::Instance()->GetErrorCount(), Debug::Instance()->GetWarningCount()), std::pair(1, 2));
    // Status text appends until cleared and never reaches the log.
    LogStatus("fps %d ", 60);
    LogStatus("dt %.2f", 0.02);
    EXPECT_EQ(Debug::Instance()->GetStatus(), "fps 60 dt 0.02");
    Debug::Instance()->ClearStatus();
    EXPECT_EQ(Debug::Instance()->GetStatus(), "");
    Debug::Instance()->Initialise();
    EXPECT_EQ(ReadRaw("data/log.txt"), "");
    EXPECT_EQ(Debug::Instance()->GetErrorCount() + Debug::Instance()->GetWarningCount(), 0);
    LogError("%s", std::string(20000, 'a').c_str());  // cut to the format buffer
    EXPECT_EQ(ReadRaw("data/log.txt"), "***ERROR: " + std::string(8 * 1024 - 1, 'a'));
}

TEST_F(DebugTest, WatchesAreGroupedOwnedAndAllAskedForChanges)
{
    Debug* debug = Debug::Instance();
    WatchSink sink;
    uint32_t frames = 10;
    int score = -2;
    float fps = 59.5f;
    const auto wf = debug->AddWatch("frames", &frames, "Timing");
    const auto ws = debug->AddWatch("score", &score, "Match");
    const auto wp = debug->AddWatch("fps", &fps, "Timing");
    EXPECT_TRUE(!debug->AddWatch("none", static_cast<const int*>(nullptr), "Match") && debug->GetErrorCount() == 1);
    struct Custom : WatchData {
        explicit Custom(int* d) : destroyed(d) {}
        ~Custom() override { ++*destroyed; }
        void GetText(std::string& out) override { out = "custom"; }
        bool HasChanged() override { return false; }
        int* destroyed;
    };
    int destroyed = 0;
    WatchData* custom = new Custom(&destroyed);
    debug->AddWatchData(custom, "Input");
    EXPECT_EQ(sink.notices, 4);
    EXPECT_EQ(debug->GetWatchGroups(), (std::vector<std::string>{"Timing", "Match", "Input"}));
    EXPECT_EQ(std::vector<int>({wf->group, ws->group, wp->group}), std::vector<int>({0, 1, 0}));
    std::vector<std::shared_ptr<WatchData>> watches = debug->GetWatches();
    ASSERT_EQ(watches.size(), 4u);
    EXPECT_EQ(std::vector<WatchData*>({watches[0].get(), watches[1].get(), watches[2].get(), watches[3].get()}),
              std::vector<WatchData*>({wf.get(), ws.get(), wp.get(), custom}));
    std::string texts, text;
    for (const auto& watch : watches) {
        watch->GetText(text);
        texts += watch->name + "=" + text + " ";
    }
    EXPECT_EQ(texts, "frames=10 score=-2 fps=59.500000 =custom ");

    std::vector<int> notices;
    const auto update = [&] {
        debug->UpdateWatches();
        notices.push_back(sink.notices);
    };
    update();
    ++frames;  // two watches change: each must be asked, or the later one is reported again
    fps = 60.0f;
    update();
    update();
    debug->watchesLocked = true;  // locked: nothing is reported, and the change waits
    score = 3;
    update();
    debug->watchesLocked = false;
    update();
    EXPECT_EQ(notices, (std::vector<int>{4, 5, 5, 5, 6}));
    // A watch that a reader still holds outlives its removal.
    debug->RemoveAllWatches();
    EXPECT_EQ(std::pair(destroyed, sink.notices), std::pair(0, 7));
    watches.clear();
    EXPECT_EQ(destroyed, 1);
    EXPECT_TRUE(debug->GetWatches().empty() && debug->GetWatchGroups().empty());
    debug->AddWatchData(new Custom(&destroyed), "Input");
    debug->SetSink(nullptr);
    Debug::DestroyInstance();
    EXPECT_EQ(destroyed, 2);
    Debug::Instance()->SetSink(&sink);  // given back to the one it replaced
}

namespace {
std::vector<std::string> g_boxes;

void NestingHandler(const char*, const char* text)
{
    g_boxes.push_back(text);
    LogMessageBox("nested");
}
}  // namespace

TEST_F(DebugTest, MessageBoxesAreLoggedShownOnceAndSkippedWhenSwitchedOff)
{
    SetMessageBoxHandler(NestingHandler);
    testing::internal::CaptureStderr();
    LogMessageBox("Menu::GetItem not found (%s)", "x");  // switched off by TB_NO_MESSAGE_BOX
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Menu::GetItem not found (x)\n");
    unsetenv("TB_NO_MESSAGE_BOX");
    LogMessageBox("Too many characters for replay!!!\n");  // not re-entered from the handler
    LogMessageBox("again");                                  // the guard is released afterwards
    EXPECT_EQ(g_boxes, (std::vector<std::string>{"Too many characters for replay!!!\n", "again"}));
    SetMessageBoxHandler(nullptr);  // no display: stderr, without waiting
    testing::internal::CaptureStderr();
    LogMessageBox("no display");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "no display\n");
    EXPECT_EQ(ReadRaw("data/log.txt"), "Menu::GetItem not found (x)\nToo many characters for replay!!!\nagain\nno display\n");
    EXPECT_EQ(Debug::Instance()->GetErrorCount(), 0);
}

TEST_F(DebugTest, AFatalErrorLogsAndExitsWithOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(LogFatalError("Archive missing: %s\n", "data/x.dat"), ::testing::ExitedWithCode(1),
                "Archive missing: data/x.dat");
    EXPECT_EQ(ReadRaw("data/log.txt"), "***ERROR: Archive missing: data/x.dat\n");
}

TEST(DebugDisplayTest, OptionsAreAddedOffWhenFirstAskedAndPersistAsOneBoolEach)
{
    DebugDisplay::DestroyInstance();
    DebugDisplay* d = DebugDisplay::Instance();
    EXPECT_FALSE(d->CheckOption("B option"));
    EXPECT_FALSE(d->CheckOption("B option"));
    d->SetOption("A option", true);
    EXPECT_TRUE(d->CheckOption("A option") && !d->CheckOption(nullptr));
    EXPECT_EQ(d->GetOptions().size(), 2u);
    StringFile out;
    AsciiSerializer(&out, true).SerializeObject("Debug Display", d);
    EXPECT_EQ(out.text, "class type: \"DebugDisplay\"\n[DebugDisplay] \"Debug Display\"\n{\n \"B option\" 0\n"
                        " \"A option\" 1\n}\n");
    MemoryFile in = TextFile("[DebugDisplay] \"Debug Display\"\n{\n \"B option\" 1\n}\n");
    AsciiSerializer(&in, false).SerializeObject("Debug Display", d);
    EXPECT_TRUE(d->CheckOption("B option"));
    EXPECT_TRUE(d->CheckOption("A option"));  // an absent key keeps its value
    d->Clear();
    EXPECT_TRUE(d->GetOptions().empty() && !d->CheckOption("A option"));
    DebugDisplay::DestroyInstance();
}
