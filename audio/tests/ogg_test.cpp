#include "audio/OggLoader.h"
#include "audio/WavLoader.h"

#include "support/AudioTestUtil.h"
#include "support/SoundFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

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
    WaveData none;
    EXPECT_FALSE(loader.Load("scratch\\missing.ogg", none));

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
    // Noise takes many pages; the cut lies inside a page in the middle.
    const std::vector<uint8_t> noise = fixtures::EncodeOgg(fixtures::Noise(4 * 22050, 1, 8000), 1, 22050);
    const std::vector<size_t> pages = fixtures::OggPageOffsets(noise);
    ASSERT_GT(pages.size(), 6u);
    const size_t cut = pages[pages.size() / 2] + 100;
    ASSERT_TRUE(fixtures::WriteFile("scratch/half.ogg", std::vector<uint8_t>(noise.begin(), noise.begin() + long(cut))));
    OggLoader loader;
    WaveData wave;
    {
        audiotest::LogCapture log;
        EXPECT_FALSE(loader.Load("scratch\\junk.ogg", wave));
        EXPECT_TRUE(log.Contains("OggLoader: <scratch\\junk.ogg> does not appear to be an Ogg bitstream."));
        EXPECT_FALSE(OggLoader::Decode({}, "empty.ogg", wave));
        OggStream stream;
        EXPECT_FALSE(stream.OpenBytes({}, "empty.ogg", wave));
    }
    // A cut-off file keeps what could be decoded.
    WaveData partial;
    ASSERT_TRUE(loader.Load("scratch\\half.ogg", partial));
    EXPECT_GT(partial.frames, 22050);
    EXPECT_LT(partial.frames, 3 * 22050);
    EXPECT_EQ(partial.Size(), partial.frames * 2);
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

namespace {

// Everything a stream delivers up to its first end; -1 when no end comes.
long StreamLength(OggStream& stream)
{
    std::vector<uint8_t> piece(4096);
    long total = 0;
    for (int guard = 0; guard < 100000; ++guard) {
        const int n = stream.Refill(piece.data(), int(piece.size()));
        if (n == 0)
            return total;
        total += n;
    }
    return -1;
}

}  // namespace

TEST_F(OggTest, ADamagedPageIsSkippedAndTheEndComesOnlyAtTheEnd)
{
    const int frames = 4 * 22050;
    std::vector<uint8_t> ogg = fixtures::EncodeOgg(fixtures::Noise(frames, 1, 8000), 1, 22050);
    const std::vector<size_t> pages = fixtures::OggPageOffsets(ogg);
    ASSERT_GT(pages.size(), 6u);
    // A byte of a middle page's body: its checksum no longer holds.
    const size_t page = pages[pages.size() / 2];
    ogg[page + 27 + ogg[page + 26] + 10] ^= 0xFF;

    audiotest::LogCapture log;
    WaveData wave;
    ASSERT_TRUE(OggLoader::Decode(ogg, "damaged.ogg", wave));
    EXPECT_GT(wave.frames, frames * 8 / 10);
    EXPECT_LT(wave.frames, frames);
    EXPECT_TRUE(log.Contains("OggLoader::Load: <damaged.ogg> damaged data skipped")) << log.Text();

    OggStream stream;
    WaveData format;
    ASSERT_TRUE(stream.OpenBytes(ogg, "damaged.ogg", format));
    EXPECT_EQ(StreamLength(stream), long(wave.Size()));
    EXPECT_TRUE(log.Contains("OggStream::Refill: <damaged.ogg> damaged data skipped"));
}

TEST_F(OggTest, AChainedFileEndsAtThePartWhoseFormatDiffers)
{
    const auto part = [](int rate, int channels, int serial) {
        return fixtures::EncodeOgg(fixtures::Tone(rate / 2, channels, rate, 440.0, 8000), channels, rate, serial);
    };
    const auto chain = [](std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int frames;
        const char* warning;  // null: none
    } cases[] = {
        {"same format", chain(part(22050, 1, 1), part(22050, 1, 2)), 22050, nullptr},
        {"a higher rate", chain(part(22050, 1, 1), part(44100, 1, 2)), 11025,
         "part 2 is 44100 Hz with 1 channels, unlike the first part's 22050 Hz with 1; played up to there"},
        {"stereo after mono", chain(part(22050, 1, 1), part(22050, 2, 2)), 11025,
         "part 2 is 22050 Hz with 2 channels, unlike the first part's 22050 Hz with 1"},
        {"a third part", chain(chain(part(11025, 1, 1), part(11025, 1, 2)), part(8000, 1, 3)), 2 * 5512,
         "part 3 is 8000 Hz"},
    };
    for (const Case& c : cases) {
        audiotest::LogCapture log;
        WaveData wave;
        ASSERT_TRUE(OggLoader::Decode(c.bytes, "chain.ogg", wave)) << c.what;
        EXPECT_EQ(wave.frames, c.frames) << c.what;
        EXPECT_EQ(log.Contains("OggLoader::Load: <chain.ogg> part "), c.warning != nullptr) << c.what;
        if (c.warning) {
            EXPECT_TRUE(log.Contains(c.warning)) << c.what << ": " << log.Text();
        }

        OggStream stream;
        WaveData format;
        ASSERT_TRUE(stream.OpenBytes(c.bytes, "chain.ogg", format)) << c.what;
        EXPECT_EQ(StreamLength(stream), long(wave.Size())) << c.what;
        EXPECT_EQ(StreamLength(stream), long(wave.Size())) << c.what << ", played again";
        if (c.warning) {
            EXPECT_TRUE(log.Contains(std::string("OggStream::Open: <chain.ogg> ") + c.warning)) << c.what;
        }
    }
}

TEST_F(OggTest, OtherCodecsAndFormatsTheDeviceCannotPlayAreRefusedWithTheReason)
{
    const auto packet = [](const char* magic, size_t length) {
        std::vector<uint8_t> bytes(magic, magic + length);
        bytes.resize(40, 1);
        return bytes;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"Opus", fixtures::OggPage(packet("OpusHead", 8), 5), "holds Opus, an unsupported codec; only Vorbis can be played"},
        {"FLAC", fixtures::OggPage(packet("\x7f" "FLAC", 5), 5), "holds FLAC, an unsupported codec"},
        {"Speex", fixtures::OggPage(packet("Speex   ", 8), 5), "holds Speex, an unsupported codec"},
        {"three channels", fixtures::EncodeOgg(fixtures::Tone(2205, 3, 22050, 440.0, 8000), 3, 22050),
         "has 3 channels; only mono and stereo sound can be played"},
    };
    for (const Case& c : cases) {
        audiotest::LogCapture log;
        WaveData wave;
        EXPECT_FALSE(OggLoader::Decode(c.bytes, "other.ogg", wave)) << c.what;
        EXPECT_TRUE(log.Contains(std::string("OggLoader::Load: <other.ogg> ") + c.reason)) << c.what << ": "
                                                                                          << log.Text();
        EXPECT_FALSE(log.Contains("does not appear to be an Ogg bitstream")) << c.what;
        OggStream stream;
        EXPECT_FALSE(stream.OpenBytes(c.bytes, "other.ogg", wave)) << c.what;
        EXPECT_TRUE(log.Contains(std::string("OggStream::Open: <other.ogg> ") + c.reason)) << c.what;
        uint8_t piece[64];
        EXPECT_EQ(stream.Refill(piece, 64), 0) << c.what;
    }
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
