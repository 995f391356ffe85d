// Streams refilled by the real timer thread while a mixer thread moves the play cursor
// and the test thread starts, stops and releases them. Meant for ThreadSanitizer too.

#include "audio/StreamingSample.h"

#include "support/FakeStream.h"
#include "support/ManagerFixture.h"

#include <atomic>
#include <thread>

namespace {

using audiotest::FakeStream;

class StreamTimerTest : public ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        FakeStream::Register();
    }
    void TearDown() override
    {
        StopMixer();
        SoundEngine::Instance()->DestroyVoices();
        ManagerFixture::TearDown();
    }

    // Plays the offline device in real time on a thread of its own, as SDL's would.
    void StartMixer()
    {
        m_mixing = true;
        m_mixer = std::thread([this] {
            std::vector<int16_t> out(2 * 441);
            while (m_mixing) {
                SampleManager::Instance()->GetDevice()->Mix(out.data(), 441);
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    }
    void StopMixer()
    {
        m_mixing = false;
        if (m_mixer.joinable())
            m_mixer.join();
    }

    static StreamingSample* Load(long bytes)
    {
        return SoundEngine::Instance()->LoadStream(FakeStream::Name(22050, 1, bytes));
    }
    // Polls until the condition holds; false after the deadline.
    template <class Condition>
    static bool WaitFor(Condition condition, int seconds = 10)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    std::atomic<bool> m_mixing{false};
    std::thread m_mixer;
};

}  // namespace

TEST_F(StreamTimerTest, StartStopAndReleaseWhileTheTimerRefills)
{
    StartMixer();
    SoundEngine* engine = SoundEngine::Instance();
    StreamingSample* music = Load(10000000);
    StreamingSample* ambience = Load(10000000);
    ASSERT_NE(music, nullptr);
    ASSERT_NE(ambience, nullptr);
    music->PlayLooped();
    ambience->PlayLooped();
    ASSERT_TRUE(music->IsTimerInstalled());
    const uint32_t firstFill = music->GetWriteOffset();
    // Refills follow the cursor: the writer moves on.
    EXPECT_TRUE(WaitFor([&] { return music->GetWriteOffset() != firstFill; }));

    // A play-once stream stops itself from the timer thread once heard to its end.
    StreamingSample* once = Load(4410);
    ASSERT_NE(once, nullptr);
    once->Play();
    EXPECT_TRUE(WaitFor([&] { return !once->IsPlaying(); }));
    EXPECT_TRUE(WaitFor([&] { return !once->IsTimerInstalled(); }));

    for (int i = 0; i < 20; ++i) {
        music->SetVolume(0.05f * float(i));
        engine->UpdateVolumes();
        music->Stop();
        music->PlayLooped();
    }
    EXPECT_TRUE(music->IsPlaying());

    engine->ReleaseStream(once);
    engine->ReleaseStream(ambience);  // released while its timer runs
    music->Stop();
    engine->ReleaseStream(music);
    EXPECT_EQ(engine->GetStreamCount(), 0);

    // And a running stream at shutdown.
    StreamingSample* last = Load(10000000);
    ASSERT_NE(last, nullptr);
    last->PlayLooped();
    engine->Exit();
    EXPECT_EQ(engine->GetStreamCount(), 0);
}

TEST_F(StreamTimerTest, StartWaitsHalfASecondForACursorThatNeverMoves)
{
    // No mixer runs: the play cursor stays at 0.
    StreamingSample* music = Load(10000000);
    ASSERT_NE(music, nullptr);
    std::atomic<bool> started{false};
    std::chrono::steady_clock::duration waited{};
    std::thread starter([&] {
        const auto begin = std::chrono::steady_clock::now();
        music->PlayLooped();
        waited = std::chrono::steady_clock::now() - begin;
        started = true;
    });
    const bool inTime = WaitFor([&] { return started.load(); });
    if (!inTime)
        music->GetBuffer()->SetPosition(2);  // frees a start that would wait for ever
    starter.join();
    EXPECT_TRUE(inTime);
    EXPECT_GE(waited, std::chrono::milliseconds(500));
    EXPECT_TRUE(music->IsPlaying());
    EXPECT_TRUE(music->IsTimerInstalled());
    SoundEngine::Instance()->ReleaseStream(music);
}
