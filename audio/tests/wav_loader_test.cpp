#include "audio/WavLoader.h"

#include "support/AudioTestUtil.h"
#include "support/SoundFixtures.h"

#include <gtest/gtest.h>

using fixtures::MakeWav;
using fixtures::WavSpec;

namespace {

WavSpec Stereo16(size_t bytes)
{
    WavSpec spec;
    spec.rate = 44100;
    spec.channels = 2;
    spec.pcm.resize(bytes);
    for (size_t i = 0; i < bytes; ++i)
        spec.pcm[i] = uint8_t(i * 7);
    return spec;
}

bool Parse(const std::vector<uint8_t>& bytes, WaveData& wave)
{
    return WavLoader::Parse(bytes.data(), bytes.size(), wave);
}

}  // namespace

TEST(WavLoader, StereoSixteenBitWithListChunkBetweenFmtAndData)
{
    WavSpec spec = Stereo16(44100);
    spec.listBytes = 20;
    WaveData wave;
    ASSERT_TRUE(Parse(MakeWav(spec), wave));
    EXPECT_EQ(wave.frequency, 44100);
    EXPECT_EQ(wave.channels, 2);
    EXPECT_EQ(wave.bits, 16);
    EXPECT_EQ(wave.frames, 11025);
    EXPECT_EQ(wave.data, spec.pcm);
}

TEST(WavLoader, TagsAreOnlyFoundAtMultiplesOfFourFromTheSearchStart)
{
    // A LIST chunk of 18 bytes puts "data" two bytes off the grid.
    WavSpec spec = Stereo16(64);
    spec.listBytes = 18;
    audiotest::LogCapture log;
    WaveData wave;
    EXPECT_FALSE(Parse(MakeWav(spec), wave));
    EXPECT_TRUE(log.Contains("could not find data chunk"));
}

TEST(WavLoader, DataChunkLongerThanTheFileIsClampedToTheBytesPresent)
{
    WavSpec spec = Stereo16(4000);
    spec.dataSizeField = 1000000;
    WaveData wave;
    ASSERT_TRUE(Parse(MakeWav(spec), wave));
    EXPECT_EQ(wave.Size(), 4000);
    EXPECT_EQ(wave.frames, 1000);

    // Cut inside the data: only whole frames count, the bytes present are kept.
    std::vector<uint8_t> cut = MakeWav(Stereo16(4000));
    cut.resize(cut.size() - 1001);
    ASSERT_TRUE(Parse(cut, wave));
    EXPECT_EQ(wave.Size(), 2999);
    EXPECT_EQ(wave.frames, 749);
}

TEST(WavLoader, BrokenHeadersFailWithTheirMessage)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;
    };
    std::vector<Case> cases;
    {
        WavSpec spec = Stereo16(400);
        spec.pcm.clear();
        cases.push_back({"zero-length data", MakeWav(spec), "Zero length wav sample"});
    }
    {
        WavSpec spec = Stereo16(400);
        spec.fmtSize = 14;
        cases.push_back({"short fmt chunk", MakeWav(spec), "fmt chunk too short"});
    }
    {
        WavSpec spec = Stereo16(400);
        spec.channels = 0;
        cases.push_back({"no channels", MakeWav(spec), "unsupported format"});
    }
    {
        WavSpec spec = Stereo16(400);
        spec.bits = 4;
        cases.push_back({"four bits", MakeWav(spec), "unsupported format"});
    }
    {
        std::vector<uint8_t> bytes = MakeWav(Stereo16(400));
        bytes[8] = 'X';
        cases.push_back({"no WAVE tag", bytes, "could not find WAVE chunk"});
    }
    {
        std::vector<uint8_t> bytes = MakeWav(Stereo16(400));
        bytes.resize(14);  // "fmt " present, its size field cut off
        cases.push_back({"cut in the fmt header", bytes, "could not find fmt chunk"});
    }
    {
        std::vector<uint8_t> bytes = MakeWav(Stereo16(400));
        bytes.resize(30);  // cut inside the fmt body
        cases.push_back({"cut in the fmt body", bytes, "fmt chunk too short"});
    }
    {
        std::vector<uint8_t> bytes = MakeWav(Stereo16(400));
        bytes.resize(42);  // "data" present, its size field cut off
        cases.push_back({"cut in the data header", bytes, "could not find data chunk"});
    }
    for (const Case& c : cases) {
        audiotest::LogCapture log;
        WaveData wave;
        EXPECT_FALSE(Parse(c.bytes, wave)) << c.what;
        EXPECT_TRUE(log.Contains(c.message)) << c.what << ": " << log.Text();
    }
}

TEST(WavLoader, EveryPrefixOfAFileIsSafe)
{
    WavSpec spec = Stereo16(64);
    spec.listBytes = 20;
    const std::vector<uint8_t> whole = MakeWav(spec);
    for (size_t n = 0; n <= whole.size(); ++n) {
        // An exact-size copy, so that reading past it is caught by the sanitizers.
        std::vector<uint8_t> prefix(whole.begin(), whole.begin() + long(n));
        WaveData wave;
        if (Parse(prefix, wave)) {
            EXPECT_LE(size_t(wave.Size()), n);
            EXPECT_EQ(wave.frames, wave.Size() / 4);
        }
    }
}

TEST(WavLoader, FilesAreFoundWithOrWithoutTheirExtensionInAnyCase)
{
    audiotest::FreshScratch();
    ASSERT_TRUE(fixtures::WriteFile("scratch/beep.wav", MakeWav(Stereo16(400))));
    ASSERT_TRUE(fixtures::WriteFile("scratch/song.ogg", {1, 2, 3}));
    WavLoader loader;
    EXPECT_TRUE(loader.CanLoad("scratch\\beep.wav"));
    EXPECT_TRUE(loader.CanLoad("scratch\\BEEP.WAV"));
    EXPECT_TRUE(loader.CanLoad("scratch\\beep"));
    EXPECT_FALSE(loader.CanLoad("scratch\\song.ogg"));
    EXPECT_FALSE(loader.CanLoad("scratch\\missing.wav"));

    WaveData wave;
    ASSERT_TRUE(loader.Load("scratch\\beep", wave));
    EXPECT_EQ(wave.frames, 100);
    EXPECT_FALSE(loader.Load("scratch\\missing.wav", wave));
}
