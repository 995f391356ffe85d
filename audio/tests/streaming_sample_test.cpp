#include "audio/StreamingSample.h"

#include "support/FakeStream.h"
#include "support/ManagerFixture.h"

#include <cstring>

namespace {

using audiotest::FakeStream;

class StreamTest : public ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        FakeStream::Register();
        FakeStream::largestRequest = 0;
        StreamingSample::SetManualTimer(true);
        StreamingSample::SetStartWaitLimit(std::chrono::milliseconds(0));
    }
    void TearDown() override
    {
        SoundEngine::Instance()->DestroyVoices();
        StreamingSample::SetManualTimer(false);
        StreamingSample::SetStartWaitLimit(std::chrono::milliseconds(500));
        ManagerFixture::TearDown();
    }

    static StreamingSample* Load(long bytes, int rate = 22050, int channels = 1)
    {
        return SoundEngine::Instance()->LoadStream(FakeStream::Name(rate, channels, bytes));
    }
    static void SetCursor(StreamingSample* s, uint32_t bytes) { s->GetBuffer()->SetPosition(bytes); }
    static uint32_t Cursor(StreamingSample* s)
    {
        uint32_t play = 0;
        s->GetBuffer()->GetPosition(&play, nullptr);
        return play;
    }
    static std::vector<uint8_t> Contents(StreamingSample* s)
    {
        void* p1 = nullptr;
        void* p2 = nullptr;
        uint32_t n1 = 0, n2 = 0;
        EXPECT_EQ(s->GetBuffer()->Lock(0, 0, &p1, &n1, &p2, &n2, platform::kSoundLockEntireBuffer), platform::kSoundOk);
        std::vector<uint8_t> out(static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + n1);
        s->GetBuffer()->Unlock(p1, 0, p2, 0);
        return out;
    }
    // Zero bytes among n bytes from an offset, wrapping round the buffer.
    static int CountZeros(const std::vector<uint8_t>& bytes, uint32_t from, uint32_t n)
    {
        int zeros = 0;
        for (uint32_t i = 0; i < n && !bytes.empty(); ++i)
            zeros += bytes[(from + i) % bytes.size()] == 0;
        return zeros;
    }
    static uint32_t Gap(StreamingSample* s)  // from the writer forward to the play cursor
    {
        return (Cursor(s) + s->GetBufferSize() - s->GetWriteOffset()) % s->GetBufferSize();
    }
};

}  // namespace

TEST_F(StreamTest, FillKeepsAQuarterBufferBehindThePlayCursor)
{
    StreamingSample* s = Load(10000000);
    ASSERT_NE(s, nullptr);
    s->PlayLooped();
    ASSERT_TRUE(s->IsTimerInstalled());
    EXPECT_EQ(s->GetBufferSize(), 44100u);
    // The first fill runs from offset 8 up to a quarter buffer behind the cursor at 0.
    EXPECT_EQ(s->GetWriteOffset(), 8u + 33066u);
    EXPECT_GE(Gap(s), 11025u);
    EXPECT_LE(FakeStream::largestRequest, StreamingSample::kTransferBytes);
    std::vector<uint8_t> bytes = Contents(s);
    EXPECT_EQ(CountZeros(bytes, 0, 8), 8);
    EXPECT_EQ(CountZeros(bytes, 8, s->GetWriteOffset() - 8), 0);
    EXPECT_EQ(bytes[8], 1);  // the stream's first byte

    // The cursor moves by uneven steps, as playback would between ticks; the writer
    // follows without ever coming closer than a quarter buffer.
    const uint32_t steps[] = {2206, 4410, 1, 33072, 17, 30000, 9000, 22050, 2, 11025};
    uint32_t cursor = 0;
    for (uint32_t step : steps) {
        const uint32_t before = s->GetWriteOffset();
        cursor = (cursor + step) % 44100;
        SetCursor(s, cursor);
        const int64_t free = int64_t(Gap(s)) - 11025;
        s->TimerCallback();
        const uint32_t written = (s->GetWriteOffset() + 44100 - before) % 44100;
        EXPECT_EQ(written, free >= 2 ? uint32_t(free) & ~1u : 0u) << "step " << step;
        EXPECT_GE(Gap(s), 11025u) << "step " << step;
        EXPECT_LE(Gap(s), 11025u + 1u) << "step " << step;
    }
    EXPECT_EQ(CountZeros(Contents(s), 0, 44100), 0);  // the writer has been all round: data only
}

TEST_F(StreamTest, OneRefillWritesAtMostFortyThousandBytes)
{
    // 44,100 Hz stereo: a 176,400-byte buffer with far more free than one refill may take.
    StreamingSample* s = Load(10000000, 44100, 2);
    ASSERT_NE(s, nullptr);
    s->PlayLooped();
    EXPECT_EQ(s->GetBufferSize(), 176400u);
    EXPECT_EQ(s->GetWriteOffset(), 8u + 40000u);
    SetCursor(s, 150000);
    s->TimerCallback();
    EXPECT_EQ(s->GetWriteOffset(), 8u + 80000u);
}

TEST_F(StreamTest, PlayOnceEndsInSilenceAndStopsOnceTheCursorPassesTheEnd)
{
    StreamingSample* s = Load(20000);
    ASSERT_NE(s, nullptr);
    s->Play();
    EXPECT_TRUE(s->IsPlayOnce());
    EXPECT_TRUE(s->IsEndReached());
    EXPECT_EQ(s->GetEndPosition(), 20008u);

    SetCursor(s, 20006);  // two bytes short of the end
    s->TimerCallback();
    EXPECT_TRUE(s->IsPlaying());
    EXPECT_TRUE(s->IsTimerInstalled());
    // Only silence follows the end, up to a quarter buffer behind the cursor.
    std::vector<uint8_t> bytes = Contents(s);
    const uint32_t written = (s->GetWriteOffset() + 44100 - 20008) % 44100;
    EXPECT_EQ(written, 33072u);
    EXPECT_EQ(CountZeros(bytes, 20008, written), int(written));
    EXPECT_EQ(CountZeros(bytes, s->GetWriteOffset(), 20008 - s->GetWriteOffset()), 0);  // data to the end

    SetCursor(s, 20008);
    s->TimerCallback();
    EXPECT_FALSE(s->IsPlaying());
    EXPECT_FALSE(s->IsTimerInstalled());
}

TEST_F(StreamTest, AnEndNearTheBufferEndIsSeenAfterTheCursorWraps)
{
    // 33,066 bytes in the first fill and 6,926 after the cursor moves: the end lies at
    // 40,000, beyond three quarters of the buffer.
    StreamingSample* s = Load(33066 + 6926);
    ASSERT_NE(s, nullptr);
    s->Play();
    EXPECT_FALSE(s->IsEndReached());
    SetCursor(s, 20000);
    s->TimerCallback();
    ASSERT_TRUE(s->IsEndReached());
    EXPECT_EQ(s->GetEndPosition(), 40000u);

    SetCursor(s, 39990);
    s->TimerCallback();
    EXPECT_TRUE(s->IsPlaying());
    SetCursor(s, 100);  // wrapped round, past the end
    s->TimerCallback();
    EXPECT_FALSE(s->IsPlaying());
    EXPECT_FALSE(s->IsTimerInstalled());
}

TEST_F(StreamTest, ALoopedStreamNeverEndsByItself)
{
    StreamingSample* s = Load(3000);
    ASSERT_NE(s, nullptr);
    s->PlayLooped();
    for (uint32_t cursor = 2205; cursor < 5 * 44100; cursor += 2205) {
        SetCursor(s, cursor % 44100);
        s->TimerCallback();
    }
    EXPECT_FALSE(s->IsEndReached());
    EXPECT_TRUE(s->IsPlaying());
    // Looping means data again after each end: no silence past the start.
    EXPECT_EQ(CountZeros(Contents(s), 0, 44100), 0);
}

TEST_F(StreamTest, ASecondPlayWhileTheTimerRunsIsLogged)
{
    audiotest::LogCapture log;
    StreamingSample* s = Load(100000);
    ASSERT_NE(s, nullptr);
    s->PlayLooped();
    EXPECT_FALSE(log.Contains("StreamingSample::Loop timer already installed"));
    s->Play();
    EXPECT_EQ(log.Count("StreamingSample::Loop timer already installed"), 1);
    EXPECT_TRUE(s->IsTimerInstalled());
    s->Stop();
    EXPECT_FALSE(s->IsTimerInstalled());
    s->PlayLooped();
    EXPECT_EQ(log.Count("StreamingSample::Loop timer already installed"), 1);
}

TEST_F(StreamTest, TheTimerLeavesAStreamTheEngineDoesNotListAlone)
{
    std::unique_ptr<StreamingSample> loose = SampleManager::Instance()->LoadStreamed(
        "_music_", FakeStream::Name(22050, 1, 1000000), kSampleStreamed | kSampleVolumeControl);
    ASSERT_NE(loose, nullptr);
    loose->PlayLooped();
    const uint32_t offset = loose->GetWriteOffset();
    SetCursor(loose.get(), 30000);
    loose->TimerCallback();
    EXPECT_EQ(loose->GetWriteOffset(), offset);
    EXPECT_FALSE(loose->Fill());  // a direct fill works; a looped stream never finishes
    EXPECT_NE(loose->GetWriteOffset(), offset);
}

TEST_F(StreamTest, VolumeFollowsTheStreamsGroup)
{
    StreamingSample* s = Load(100000);
    ASSERT_NE(s, nullptr);
    s->SetSoundGroup(0);
    s->SetVolume(0.5f);
    EXPECT_EQ(BufferVolume(s), Sample::VolumeToHundredthsDb(0.5f));
    SoundEngine::Instance()->SetGroupVolume(0, 0.5f);
    SoundEngine::Instance()->UpdateVolumes();
    EXPECT_EQ(BufferVolume(s), Sample::VolumeToHundredthsDb(0.25f));
    SoundEngine::Instance()->SetGroupMuted(0, true);
    SoundEngine::Instance()->UpdateVolumes();
    EXPECT_EQ(BufferVolume(s), platform::kSoundVolumeMin);
    EXPECT_FLOAT_EQ(s->GetVolume(), 0.5f);
}

TEST_F(StreamTest, StreamsFailCleanly)
{
    audiotest::LogCapture log;
    EXPECT_EQ(SoundEngine::Instance()->LoadStream("Audio\\XXL\\Data\\music\\nothing.ogg"), nullptr);
    EXPECT_TRUE(log.Contains("SampleManager::Load could not load filename Audio\\XXL\\Data\\music\\nothing.ogg"));
    EXPECT_EQ(SoundEngine::Instance()->GetStreamCount(), 0);

    SoundEngine::Instance()->SetEnabled(false);
    EXPECT_EQ(SoundEngine::Instance()->LoadStream(FakeStream::Name(22050, 1, 1000)), nullptr);
    SoundEngine::Instance()->SetEnabled(true);

    StreamingSample* s = Load(1000);
    ASSERT_NE(s, nullptr);
    SoundEngine::Instance()->ReleaseStream(s);
    EXPECT_EQ(SoundEngine::Instance()->GetStreamCount(), 0);
    SoundEngine::Instance()->ReleaseStream(s);  // twice: warned, nothing touched
    EXPECT_TRUE(log.Contains("SoundEngine::ReleaseStream: unknown stream"));
}
