#include "audio/AudioEvent.h"
#include "audio/Voice.h"
#include "framework/Random.h"

#include "support/ManagerFixture.h"

#include <cmath>

namespace {

class VoiceTest : public ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        ASSERT_TRUE(SampleManager::Instance()->LoadEffectSamples("sample_hit", WriteTone("hit", 2205), 3));
        event.sampleName = "sample_hit";
    }
    Sample* Instance() { return SampleManager::Instance()->GetFreeInstance("sample_hit"); }

    AudioEvent event;
};

}  // namespace

TEST_F(VoiceTest, VariationsAreDrawnWithinTheirRanges)
{
    event.volume = 0.8f;
    event.volumeVariation = 0.5f;
    event.pitch = 0.2f;
    event.pitchVariation = 0.5f;
    event.priority = 0.9f;
    Random::Seed(7);
    bool sawClampedVolume = false, sawZeroPitch = false;
    for (int i = 0; i < 200; ++i) {
        Voice voice;
        voice.SetEvent(&event);
        EXPECT_GE(voice.GetVolumeFactor(), 0.3f - 1e-6f);
        EXPECT_LE(voice.GetVolumeFactor(), 1.0f);
        EXPECT_GE(voice.GetPitchFactor(), 0.0f);
        EXPECT_LE(voice.GetPitchFactor(), 0.7f + 1e-6f);
        sawClampedVolume |= voice.GetVolumeFactor() == 1.0f;
        sawZeroPitch |= voice.GetPitchFactor() == 0.0f;
        EXPECT_EQ(voice.GetPriority(), 0);
        EXPECT_EQ(voice.GetVolume(), 1.0f);
        EXPECT_EQ(voice.GetPitch(), 1.0f);
    }
    EXPECT_TRUE(sawClampedVolume);
    EXPECT_TRUE(sawZeroPitch);
}

TEST_F(VoiceTest, OneShotPlaysOnceAndGoesInactive)
{
    Voice voice;
    voice.SetEvent(&event);
    voice.Start();
    EXPECT_TRUE(voice.IsActive());
    Sample* sample = Instance();
    voice.AttachSample(sample, false);
    EXPECT_TRUE(voice.IsSamplePlaying());
    EXPECT_FALSE(voice.IsActive());
    uint32_t status = 0;
    sample->GetBuffer()->GetStatus(&status);
    EXPECT_EQ(status, platform::kSoundStatusPlaying);

    // A one-shot keeps its sample when given back without force...
    voice.AttachSample(nullptr, false);
    EXPECT_EQ(voice.GetSample(), sample);
    EXPECT_TRUE(sample->IsPlaying());
    // ...and stopping forces it.
    voice.Stop();
    EXPECT_EQ(voice.GetSample(), nullptr);
    EXPECT_FALSE(sample->IsPlaying());

    // The mixer ends it by itself: 2,205 frames at 22,050 Hz are 4,410 output frames.
    voice.AttachSample(sample, false);
    std::vector<int16_t> out(2 * 4410);
    SampleManager::Instance()->GetDevice()->Mix(out.data(), 4409);
    EXPECT_TRUE(voice.IsSamplePlaying());
    SampleManager::Instance()->GetDevice()->Mix(out.data(), 2);
    EXPECT_FALSE(voice.IsSamplePlaying());
}

TEST_F(VoiceTest, LoopingEventLoopsUntilTakenAway)
{
    event.isLooping = true;
    Voice voice;
    voice.SetEvent(&event);
    voice.Start();
    Sample* sample = Instance();
    voice.AttachSample(sample, false);
    EXPECT_TRUE(voice.IsActive());
    uint32_t status = 0;
    sample->GetBuffer()->GetStatus(&status);
    EXPECT_EQ(status, platform::kSoundStatusPlaying | platform::kSoundStatusLooping);
    voice.AttachSample(nullptr, false);
    EXPECT_EQ(voice.GetSample(), nullptr);
    EXPECT_FALSE(sample->IsPlaying());

    voice.AttachSample(sample, false);
    voice.Release();
    EXPECT_FALSE(voice.IsActive());
    EXPECT_EQ(voice.GetSample(), nullptr);
    EXPECT_FALSE(sample->IsPlaying());
}

TEST_F(VoiceTest, VolumeFollowsGroupMuteAndPitch)
{
    event.soundGroup = 2;
    event.isLooping = true;
    Voice voice;
    voice.SetEvent(&event);
    Sample* sample = Instance();
    voice.AttachSample(sample, false);
    EXPECT_EQ(BufferVolume(sample), 0);

    SoundEngine::Instance()->SetGroupVolume(2, 0.5f);
    voice.SetVolume(1.0f);
    EXPECT_EQ(BufferVolume(sample), -602);
    SoundEngine::Instance()->SetGroupMuted(2, true);
    voice.SetVolume(1.0f);
    EXPECT_EQ(BufferVolume(sample), -10000);
    EXPECT_TRUE(sample->IsPlaying());  // muted, not stopped

    voice.SetPitch(2.0f);
    EXPECT_EQ(BufferFrequency(sample), 44100);
    voice.SetPitch(0.5f);
    EXPECT_EQ(BufferFrequency(sample), 11025);
}

TEST_F(VoiceTest, DistanceAttenuationBetweenMinimumAndMaximum)
{
    event.is3d = true;
    event.isLooping = true;
    event.minDistance = 2.0f;
    event.maxDistance = 10.0f;
    SoundEngine::Instance()->SetListenerPoints({{100, 100}, {0, 0}});
    Voice voice;
    voice.SetEvent(&event);
    voice.Start();
    Sample* sample = Instance();
    voice.AttachSample(sample, false);

    struct Case {
        SoundPoint at;
        bool active;
        float factor;
    };
    const Case cases[] = {
        {{1, 1}, true, 1.0f},    // distance 1, inside the minimum
        {{0, 2}, true, 1.0f},    // exactly at the minimum
        {{6, 0}, true, 0.5f},    // half way
        {{6, 7}, true, 0.125f},  // sqrt(85) = 9.2 counts as 9
        {{0, 10}, false, 0.0f},  // at the maximum
        {{0, 50}, false, 0.0f},
    };
    for (const Case& c : cases) {
        voice.SetPosition(c.at);
        voice.Update(0.016f);
        EXPECT_EQ(voice.IsActive(), c.active) << c.at.x << "," << c.at.y;
        EXPECT_NEAR(voice.GetDistanceFactor(), c.factor, 1e-6) << c.at.x << "," << c.at.y;
    }
    voice.SetPosition({6, 0});
    voice.Update(0.016f);
    EXPECT_EQ(BufferVolume(sample), Sample::VolumeToHundredthsDb(0.5f));

    SoundEngine::Instance()->SetListenerPoints({});
    voice.Update(0.016f);
    EXPECT_FALSE(voice.IsActive());
}

TEST_F(VoiceTest, AnEmptyDistanceRangeNeverGivesANaNVolume)
{
    event.is3d = true;
    event.isLooping = true;
    event.minDistance = 5.0f;
    event.maxDistance = 5.0f;
    SoundEngine::Instance()->SetListenerPoints({{0, 0}});
    Voice voice;
    voice.SetEvent(&event);
    Sample* sample = Instance();
    voice.AttachSample(sample, false);
    for (int x : {3, 5, 9}) {
        voice.SetPosition({x, 0});
        voice.Update(0.016f);
        EXPECT_FALSE(std::isnan(voice.GetDistanceFactor())) << x;
        EXPECT_FALSE(std::isnan(sample->GetVolume())) << x;
    }
    EXPECT_EQ(BufferVolume(sample), -10000);

    event.minDistance = 0.2f;
    event.priority = 3.0f;
    event.ClampValues();
    EXPECT_EQ(event.minDistance, 1.0f);
    EXPECT_EQ(event.priority, 1.0f);
    EXPECT_GT(event.maxDistance, event.minDistance);
    event.maxDistance = 30.0f;
    event.ClampValues();
    EXPECT_EQ(event.maxDistance, 30.0f);
}

TEST_F(VoiceTest, RefreshRestartsOnlyAVoiceThatWasSounding)
{
    event.isLooping = true;
    Voice voice;
    voice.SetEvent(&event);
    voice.AttachSample(Instance(), false);
    voice.Release();
    voice.Refresh();
    EXPECT_FALSE(voice.IsActive());

    Sample* sample = Instance();
    voice.AttachSample(sample, false);
    ASSERT_TRUE(voice.IsSamplePlaying());
    voice.Refresh();
    EXPECT_TRUE(voice.IsActive());
    // Stopped and given back: the engine binds a sample again.
    EXPECT_EQ(voice.GetSample(), nullptr);
    EXPECT_FALSE(sample->IsPlaying());

    Voice eventless;
    eventless.Refresh();
    eventless.Update(0.016f);
    eventless.AttachSample(Instance(), false);  // plays once, no crash without an event
    EXPECT_FALSE(eventless.IsActive());
}
