#include "framework/Debug.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>

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
            LogStatus("refill %d ", debug->GetWarningCount());
            debug->GetWatches();
        }
    });
    int frame = 0;
    for (int i = 0; i < kLines; ++i) {
        LogError("Game::Update: frame %d\n", i);
        LogMessage("plain %d\n", debug->GetErrorCount());
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
