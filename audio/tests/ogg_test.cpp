#include "audio/OggLoader.h"
#include "audio/WavLoader.h"

#include "support/AudioTestUtil.h"
#include "support/SoundFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class OggTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        audiotest::FreshScratch();
        FileSystem::Instance()->AddAlias("<PP>", "data\\pc\\");
        m_samples = fixtures::Tone(22050, 2, 22050, 440.0, 12000);
        m_ogg = fixtures::EncodeOgg(m_samples, 2, 22050);
        ASSERT_GT(m_ogg.size(), 100u);
    }

    std::vector<int16_t> m_samples;
    std::vector<uint8_t> m_ogg;
};

}  // namespace

TEST_F(OggTest, LoaderDecodesTheWholeFileToItsLength)
{
    ASSERT_TRUE(fixtures::WriteFile("scratch/tone.ogg", m_ogg));
    OggLoader loader;
    EXPECT_TRUE(loader.CanLoad("scratch\\tone.OGG"));
    EXPECT_TRUE(loader.CanLoad("scratch\\tone"));
    EXPECT_FALSE(loader.CanLoad("scratch\\tone.wav"));

    WaveData wave;
    ASSERT_TRUE(loader.Load("scratch\\tone", wave));
    EXPECT_EQ(wave.frequency, 22050);
    EXPECT_EQ(wave.channels, 2);
    EXPECT_EQ(wave.bits, 16);
    EXPECT_EQ(wave.frames, 22050);
    EXPECT_EQ(wave.Size(), 22050 * 4);
    // Lossy, but the tone is there: same peak level and not silent.
    const std::vector<int16_t> decoded = fixtures::ToSamples(wave.data);
    const auto peak = *std::max_element(decoded.begin(), decoded.end());
    EXPECT_NEAR(peak, 12000, 1500);
}

TEST_F(OggTest, CorruptAndTruncatedFilesAreReportedAndSafe)
{
    ASSERT_TRUE(fixtures::WriteFile("scratch/junk.ogg", std::vector<uint8_t>(3000, 0x5a)));
    std::vector<uint8_t> half(m_ogg.begin(), m_ogg.begin() + long(m_ogg.size() / 2));
    ASSERT_TRUE(fixtures::WriteFile("scratch/half.ogg", half));
    OggLoader loader;
    WaveData wave;
    {
        audiotest::LogCapture log;
        EXPECT_FALSE(loader.Load("scratch\\junk.ogg", wave));
        EXPECT_TRUE(log.Contains("OggLoader: <scratch\\junk.ogg> does not appear to be an Ogg bitstream."));
    }
    // A cut-off file keeps what could be decoded.
    WaveData partial;
    if (loader.Load("scratch\\half.ogg", partial)) {
        EXPECT_GT(partial.frames, 0);
        EXPECT_LT(partial.frames, 22050);
        EXPECT_EQ(partial.Size(), partial.frames * 4);
    }
}

TEST_F(OggTest, StreamEndsWithZeroOnceAndStartsAgain)
{
    ASSERT_TRUE(fixtures::WriteFile("data/pc/music/tone.ogg", m_ogg));
    OggStream stream;
    EXPECT_TRUE(stream.CanOpen("music\\tone.ogg"));
    EXPECT_FALSE(stream.CanOpen("music\\none.ogg"));
    WaveData format;
    ASSERT_TRUE(stream.Open("music\\tone", format));
    EXPECT_EQ(format.frequency, 22050);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.bits, 16);
    EXPECT_EQ(format.frames, 0);
    EXPECT_TRUE(format.data.empty());

    std::vector<uint8_t> piece(4096);
    // The first bytes delivered, gathered over as many calls as it takes.
    auto readStart = [&]() {
        std::vector<uint8_t> start;
        while (start.size() < 256) {
            const int n = stream.Refill(piece.data(), int(piece.size()));
            if (n <= 0)
                break;
            start.insert(start.end(), piece.begin(), piece.begin() + n);
        }
        return start;
    };
    const std::vector<uint8_t> first = readStart();
    ASSERT_GE(first.size(), 256u);
    int total = int(first.size());
    int zeros = 0;
    for (int guard = 0; guard < 1000; ++guard) {
        const int n = stream.Refill(piece.data(), int(piece.size()));
        if (n == 0) {
            ++zeros;
            break;
        }
        ASSERT_GT(n, 0);
        total += n;
    }
    EXPECT_EQ(zeros, 1);
    EXPECT_EQ(total, 22050 * 4);

    // The call after the end starts from the beginning again.
    std::vector<uint8_t> again = readStart();
    ASSERT_GE(again.size(), 256u);
    EXPECT_TRUE(std::equal(first.begin(), first.begin() + 256, again.begin()));

    // Rewinding in the middle also goes back to the start.
    stream.Refill(piece.data(), int(piece.size()));
    stream.Rewind();
    again = readStart();
    ASSERT_GE(again.size(), 256u);
    EXPECT_TRUE(std::equal(first.begin(), first.begin() + 256, again.begin()));

    EXPECT_TRUE(stream.Close());
    EXPECT_EQ(stream.Refill(piece.data(), int(piece.size())), 0);
}

TEST_F(OggTest, StreamRefusesWhatIsNotOgg)
{
    ASSERT_TRUE(fixtures::WriteFile("data/pc/music/junk.ogg", std::vector<uint8_t>(500, 1)));
    audiotest::LogCapture log;
    OggStream stream;
    WaveData format;
    EXPECT_FALSE(stream.Open("music\\junk.ogg", format));
    EXPECT_TRUE(log.Contains("OggStream: Input does not appear to be an Ogg bitstream."));
    uint8_t piece[64];
    EXPECT_EQ(stream.Refill(piece, 64), 0);
}

TEST(SampleRegistries, HoldTheLoadersAndTheStreamByClassName)
{
    EXPECT_EQ(SampleLoaderRegistry::Get().GetNames(), (std::vector<std::string>{"OggLoader", "WavLoader"}));
    EXPECT_EQ(SampleStreamRegistry::Get().GetNames(), (std::vector<std::string>{"OggStream"}));
    std::unique_ptr<SampleLoader> loader(SampleLoaderRegistry::Get().Create("WavLoader"));
    EXPECT_NE(dynamic_cast<WavLoader*>(loader.get()), nullptr);
    std::unique_ptr<SampleStream> stream(SampleStreamRegistry::Get().Create("OggStream"));
    EXPECT_NE(dynamic_cast<OggStream*>(stream.get()), nullptr);
}
