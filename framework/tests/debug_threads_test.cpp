#include "framework/Debug.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A messages window: a line logged on another thread waits, under the window's own lock,
// until the game thread has shown it. It gives up waiting after a while, so that a log
// that calls it under its own lock fails the test instead of hanging it.
class WindowSink : public DebugSink {
public:
    void OnLog(const char* text) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_lines.emplace_back(text);
        if (std::this_thread::get_id() == m_game || m_gaveUp)
            return;
        const size_t line = m_lines.size();
        m_gaveUp = !m_shownChanged.wait_for(lock, 5s, [&] { return m_shown >= line; });
    }
    // The game thread's pass.
    void Show()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_shown = m_lines.size();
        }
        m_shownChanged.notify_all();
    }
    std::pair<size_t, bool> LinesAndGaveUp()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return {m_lines.size(), m_gaveUp};
    }

private:
    const std::thread::id m_game = std::this_thread::get_id();
    std::mutex m_mutex;
    std::condition_variable m_shownChanged;
    std::vector<std::string> m_lines;
    size_t m_shown = 0;
    bool m_gaveUp = false;
};

// A watch whose text is its own: reading it after it is deleted is a use after free.
class NameWatch : public WatchData {
public:
    explicit NameWatch(int i) : m_text("watch " + std::to_string(i)) {}
    void GetText(std::string& out) override { out = m_text; }
    bool HasChanged() override { return false; }

private:
    std::string m_text;
};

}  // namespace

// Meant for ThreadSanitizer as well: a damaged Ogg page logs from the refill timer while
// the game thread logs, reads the counters, changes the sink and the watches.
TEST(DebugThreadsTest, ARefillThreadAndTheGameThreadLogAtOnce)
{
    constexpr int kLines = 300;
    Debug* debug = Debug::Instance();
    debug->Initialise();
    LogCapture first;
    LogCapture second;
    std::thread refill([debug] {
        for (int i = 0; i < kLines; ++i) {
            LogWarning("OggLoader::Refill: damaged page %d\n", i);
            LogStatus("refill %d ", debug->GetErrorCount());  // each reads the other's counter
            debug->GetWatches();
        }
    });
    int frame = 0;
    for (int i = 0; i < kLines; ++i) {
        LogError("Game::Update: frame %d\n", i);
        LogMessage("plain %d\n", debug->GetWarningCount());
        debug->SetSink(i % 2 ? &first : &second);
        debug->AddWatch("frame", &frame, "Timing");
        ++frame;
        debug->UpdateWatches();
        if (i % 10 == 0)
            debug->RemoveAllWatches();
        debug->ClearStatus();
        debug->GetStatus();
    }
    refill.join();
    EXPECT_EQ(std::pair(debug->GetErrorCount(), debug->GetWarningCount()), std::pair(kLines, kLines));
    EXPECT_EQ(first.Count("***WARNING: OggLoader::Refill: damaged page") +
                  second.Count("***WARNING: OggLoader::Refill: damaged page"),
              kLines);
    EXPECT_EQ(first.lines.size() + second.lines.size(), 3u * kLines);
    // Every line reached the file whole.
    std::ifstream in("data/log.txt");
    int lines = 0;
    for (std::string line; std::getline(in, line); ++lines)
        EXPECT_TRUE(line.starts_with("***WARNING: OggLoader::Refill: damaged page ") ||
                    line.starts_with("***ERROR: Game::Update: frame ") || line.starts_with("plain "))
            << line;
    EXPECT_EQ(lines, 3 * kLines);
    debug->RemoveAllWatches();
}

TEST(DebugThreadsTest, ASinkThatWaitsForTheGameThreadHoldsUpNoOtherThread)
{
    constexpr int kLines = 200;
    Debug* debug = Debug::Instance();
    debug->Initialise();
    WindowSink window;
    debug->SetSink(&window);
    std::atomic<bool> done{false};
    std::thread refill([&] {
        for (int i = 0; i < kLines; ++i)
            LogWarning("OggLoader::Refill: damaged page %d\n", i);
        done = true;
    });
    int frames = 0;
    for (; !done; ++frames) {
        LogMessage("Game::Update: frame %d\n", frames);
        window.Show();
    }
    refill.join();
    debug->SetSink(nullptr);
    EXPECT_EQ(window.LinesAndGaveUp(), std::pair(static_cast<size_t>(kLines + frames), false));
    EXPECT_EQ(debug->GetWarningCount(), kLines);
}

TEST(DebugThreadsTest, SetSinkWaitsForCallsUnderWayButNotForItsOwn)
{
    struct Blocking : DebugSink {
        void OnLog(const char* text) override
        {
            std::unique_lock<std::mutex> lock(mutex);
            if (std::string(text) == "replace\n") {
                Debug::Instance()->SetSink(nullptr);  // from inside itself: must return
                return;
            }
            entered = true;
            changed.notify_all();
            changed.wait(lock, [&] { return released; });
        }
        std::mutex mutex;
        std::condition_variable changed;
        bool entered = false;
        bool released = false;
    } sink;
    Debug* debug = Debug::Instance();
    debug->SetSink(&sink);
    std::thread logger([] { LogMessage("held\n"); });
    {
        std::unique_lock<std::mutex> lock(sink.mutex);
        sink.changed.wait(lock, [&] { return sink.entered; });
    }
    std::atomic<bool> replaced{false};
    std::thread replacer([&] {
        Debug::Instance()->SetSink(nullptr);
        replaced = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(replaced);  // the logger is still inside the sink
    {
        std::lock_guard<std::mutex> lock(sink.mutex);
        sink.released = true;
    }
    sink.changed.notify_all();
    logger.join();
    replacer.join();
    EXPECT_TRUE(replaced);
    debug->SetSink(&sink);
    LogMessage("replace\n");
    EXPECT_EQ(debug->GetSink(), nullptr);
}

// The editor's watches window reads the watches while the game thread replaces them.
TEST(DebugThreadsTest, WatchesReadOnOneThreadSurviveTheirRemovalOnAnother)
{
    constexpr int kRounds = 300;
    Debug* debug = Debug::Instance();
    std::atomic<bool> done{false};
    std::atomic<int> read{0};
    std::atomic<int> garbled{0};
    std::thread window([&] {
        std::string text;
        while (!done) {
            for (const auto& watch : debug->GetWatches()) {
                watch->GetText(text);
                ++read;
                garbled += !text.starts_with("watch ");
            }
        }
    });
    // Until the window has read a good many, so that reads and removals overlap.
    for (int i = 0; i < kRounds || read < kRounds; ++i) {
        debug->AddWatchData(new NameWatch(i), "Round");
        debug->AddWatchData(new NameWatch(-i), "Round");
        if (i % 3 == 2)
            std::this_thread::yield();
        debug->RemoveAllWatches();
    }
    done = true;
    window.join();
    EXPECT_TRUE(debug->GetWatches().empty());
    EXPECT_EQ(garbled, 0);
}
