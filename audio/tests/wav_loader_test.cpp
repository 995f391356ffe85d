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

TEST(WavLoader, ChunksAreWalkedByTheirSizesPaddedToEven)
{
    using Chunks = std::vector<std::pair<std::string, std::vector<uint8_t>>>;
    // "data" inside another chunk's payload, where a search by tag would stop.
    std::vector<uint8_t> decoy = {'d', 'a', 't', 'a', 4, 0, 0, 0, 9, 9, 9, 9};
    struct Case {
        const char* what;
        int listBytes;
        Chunks chunks;
    } cases[] = {
        {"26-byte LIST chunk, as common encoders write", 26, {}},
        {"18-byte LIST chunk", 18, {}},
        {"odd chunk and its pad byte", 0, {{"junk", std::vector<uint8_t>(25, 7)}}},
        {"an empty chunk", 0, {{"fact", {}}}},
        {"a tag inside a payload", 0, {{"LIST", decoy}}},
    };
    for (const Case& c : cases) {
        WavSpec spec = Stereo16(64);
        spec.listBytes = c.listBytes;
        spec.chunks = c.chunks;
        WaveData wave;
        ASSERT_TRUE(Parse(MakeWav(spec), wave)) << c.what;
        EXPECT_EQ(wave.data, spec.pcm) << c.what;
    }
}

TEST(WavLoader, ChunkSizesPastTheEndFindNoData)
{
    for (const uint32_t size : {1000u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
        WavSpec spec = Stereo16(64);
        spec.chunks = {{"junk", std::vector<uint8_t>(8, 1)}};
        std::vector<uint8_t> bytes = MakeWav(spec);
        const size_t junk = 12 + 8 + 16;
        bytes[junk + 4] = uint8_t(size);
        bytes[junk + 5] = uint8_t(size >> 8);
        bytes[junk + 6] = uint8_t(size >> 16);
        bytes[junk + 7] = uint8_t(size >> 24);
        audiotest::LogCapture log;
        WaveData wave;
        EXPECT_FALSE(Parse(bytes, wave)) << size;
        EXPECT_TRUE(log.Contains("could not find data chunk")) << size;
    }
}

TEST(WavLoader, OnlyWhatTheDeviceCanPlayIsTakenAndTheRefusalSaysWhy)
{
    // The GUID of an extensible fmt chunk: the format tag, then a fixed tail.
    const auto extensible = [](uint16_t subFormat) {
        WavSpec spec = Stereo16(400);
        spec.formatTag = 0xFFFE;
        spec.fmtSize = 40;
        spec.fmtTail = {22, 0, 16, 0, 3, 0, 0, 0, uint8_t(subFormat), uint8_t(subFormat >> 8),
                        0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        return spec;
    };
    const auto with = [](auto change) {
        WavSpec spec = Stereo16(2400);
        change(spec);
        return spec;
    };
    struct Case {
        const char* what;
        WavSpec spec;
        const char* message;  // null: loads
    } cases[] = {
        {"mu-law", with([](WavSpec& s) { s.formatTag = 7; }), "holds mu-law data, not integer PCM; refused"},
        {"A-law", with([](WavSpec& s) { s.formatTag = 6; }), "holds A-law data, not integer PCM"},
        {"float", with([](WavSpec& s) { s.formatTag = 3; }), "holds floating-point data"},
        {"MPEG", with([](WavSpec& s) { s.formatTag = 0x55; }), "holds MPEG layer 3 data"},
        {"unknown tag", with([](WavSpec& s) { s.formatTag = 0x1234; }), "holds format 0x1234 data"},
        {"extensible float", extensible(3), "holds floating-point data"},
        {"extensible PCM", extensible(1), nullptr},
        {"extensible, cut short", with([](WavSpec& s) { s.formatTag = 0xFFFE; }), "holds extensible, of an unknown kind,"},
        {"24 bits", with([](WavSpec& s) { s.bits = 24; }), "has 24-bit samples; only 8- and 16-bit"},
        {"32 bits", with([](WavSpec& s) { s.bits = 32; }), "has 32-bit samples"},
        {"4 bits", with([](WavSpec& s) { s.bits = 4; }), "has 4-bit samples"},
        {"six channels", with([](WavSpec& s) { s.channels = 6; }), "has 6 channels; only mono and stereo"},
        {"no channels", with([](WavSpec& s) { s.channels = 0; }), "has 0 channels"},
        {"no rate", with([](WavSpec& s) { s.rate = 0; }), "has a rate of 0 Hz"},
        {"eight-bit mono", with([](WavSpec& s) { s.bits = 8, s.channels = 1; }), nullptr},
    };
    for (const Case& c : cases) {
        audiotest::LogCapture log;
        WaveData wave;
        const std::vector<uint8_t> bytes = MakeWav(c.spec);
        EXPECT_EQ(WavLoader::Parse(bytes.data(), bytes.size(), wave, "beep.wav"), !c.message) << c.what;
        if (c.message)
            EXPECT_TRUE(log.Contains(std::string("WavLoader::Load: <beep.wav> ") + c.message)) << c.what << ": "
                                                                                              << log.Text();
        else
            EXPECT_EQ(wave.data, c.spec.pcm) << c.what;
    }
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
        std::vector<uint8_t> bytes = MakeWav(Stereo16(400));
        bytes[8] = 'X';
        cases.push_back({"no WAVE tag", bytes, "could not find WAVE chunk"});
    }
    {
        std::vector<uint8_t> bytes = MakeWav(Stereo16(400));
        bytes[0] = 'r';
        cases.push_back({"no RIFF tag", bytes, "could not find WAVE chunk"});
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
