// The loudest moment of a match on the default data, mixed as the game mixes it.
#include "audio/OggLoader.h"
#include "audio/SampleManager.h"
#include "audio/WavLoader.h"
#include "platform/Sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;

struct Source {
    const char* file;  // below the sound data's folder
    bool stream;       // streamed as it is; an effect is resampled as the game loads it
    WaveData wave;
    int peakFrame = 0;  // of the highest crest
};

bool Load(Source& source)
{
    const std::string path = std::string(TB_STAGE_DIR) + "/data/pc/Audio/XL/Data/" + source.file;
    WavLoader wav;
    OggLoader ogg;
    SampleLoader& loader = source.stream ? static_cast<SampleLoader&>(ogg) : wav;
    if (!loader.Load(path, source.wave) || source.wave.bits != 16)
        return false;
    if (!source.stream)
        SampleManager::Resample(source.wave);
    std::vector<int16_t> samples(source.wave.data.size() / 2);
    std::memcpy(samples.data(), source.wave.data.data(), samples.size() * 2);
    // The highest crest: all of them at once add up, where crests and troughs could cancel.
    const auto loudest = std::max_element(samples.begin(), samples.end());
    source.peakFrame = static_cast<int>(loudest - samples.begin()) / source.wave.channels;
    return true;
}

double PeakSeconds(const Source& source) { return double(source.peakFrame) / source.wave.frequency; }

// Every source at full volume with its crest at the same instant: an effect starts when it must
// for that, a looping stream is already playing from where it must. Mixed on one device.
std::vector<int16_t> MixTogether(const std::vector<const Source*>& sources, double peakAt, int frames)
{
    auto device = platform::SoundDevice::CreateOffline(kRate);
    struct Start {
        int frame;
        std::unique_ptr<platform::SoundBuffer> buffer;
    };
    std::vector<Start> starts;
    std::vector<std::unique_ptr<platform::SoundBuffer>> streams;
    for (const Source* source : sources) {
        const WaveData& wave = source->wave;
        std::unique_ptr<platform::SoundBuffer> buffer;
        EXPECT_EQ(device->CreateBuffer({platform::kSoundCtrlVolume | platform::kSoundCtrlFrequency,
                                        static_cast<uint32_t>(wave.data.size()),
                                        {wave.frequency, wave.channels, 16}},
                                       &buffer),
                  platform::kSoundOk);
        void *p1, *p2;
        uint32_t n1, n2;
        buffer->Lock(0, 0, &p1, &n1, &p2, &n2, platform::kSoundLockEntireBuffer);
        std::memcpy(p1, wave.data.data(), n1);
        buffer->Unlock(p1, n1, p2, n2);
        const int lead = static_cast<int>(std::lround((peakAt - PeakSeconds(*source)) * kRate));
        if (source->stream) {
            const int frame = ((source->peakFrame - static_cast<int>(std::lround(peakAt * wave.frequency))) %
                                   wave.frames + wave.frames) % wave.frames;
            buffer->SetPosition(static_cast<uint32_t>(frame * wave.channels * 2));
            buffer->Play(true);
            streams.push_back(std::move(buffer));
        } else {
            starts.push_back({lead, std::move(buffer)});
        }
    }
    std::sort(starts.begin(), starts.end(), [](const Start& a, const Start& b) { return a.frame < b.frame; });
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    int mixed = 0;
    for (Start& start : starts) {
        device->Mix(out.data() + mixed * 2, start.frame - mixed);
        mixed = std::max(mixed, start.frame);
        start.buffer->Play(false);
    }
    device->Mix(out.data() + mixed * 2, frames - mixed);
    return out;
}

int Peak(const std::vector<int16_t>& samples)
{
    int peak = 0;
    for (int16_t v : samples)
        peak = std::max(peak, std::abs(int(v)));
    return peak;
}

}  // namespace

// A goal: the crowd's cheer, the scorer's cheer and the beaten keeper's anger over the crowd
// and the music, all at their highest crest at once. Mixed, nothing reaches full scale, and each
// sound keeps its level: the mix is the sum of the sounds mixed alone.
TEST(GoalMixTest, AGoalsCheerOverTheCrowdStaysBelowFullScaleAtTheDataLevels)
{
    std::vector<Source> sources = {{"crowd/ambiences/chinaambience.ogg", true, {}},
                                   {"music/china_main.ogg", true, {}},
                                   {"sfx/crowd_cheer_high_a.wav", false, {}},
                                   {"sfx/pandacheer.wav", false, {}},
                                   {"sfx/rhinoangry.wav", false, {}}};
    double peakAt = 0.0;
    std::vector<const Source*> all;
    for (Source& source : sources) {
        ASSERT_TRUE(Load(source)) << source.file << ": build the data target first";
        if (!source.stream)
            peakAt = std::max(peakAt, PeakSeconds(source));
        all.push_back(&source);
    }
    const int frames = static_cast<int>((peakAt + 0.5) * kRate);

    const std::vector<int16_t> together = MixTogether(all, peakAt, frames);
    std::vector<int> parts(together.size(), 0);
    for (const Source* source : all) {
        const std::vector<int16_t> alone = MixTogether({source}, peakAt, frames);
        for (size_t i = 0; i < alone.size(); ++i)
            parts[i] += alone[i];
    }
    int sum = 0;
    for (size_t i = 0; i < together.size(); ++i) {
        sum = std::max(sum, std::abs(parts[i]));
        // Each part is rounded on its own.
        ASSERT_NEAR(together[i], parts[i], static_cast<int>(all.size())) << "frame " << i / 2;
    }
    EXPECT_LT(Peak(together), 32767);
    // Without the headroom this sum would pass full scale.
    EXPECT_GT(sum / platform::kSoundMixHeadroom, 32767.0f);
}
