#include "support/ManagerFixture.h"

#include "tests/support/ScopedEnv.h"

#include <set>

namespace {

WaveData StereoRamp(int frames, int rate)
{
    WaveData wave;
    wave.frequency = rate;
    wave.bits = 16;
    wave.channels = 2;
    wave.frames = frames;
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i) {
        samples.push_back(int16_t(i * 10));        // left
        samples.push_back(int16_t(-i * 10 - 3));   // right
    }
    wave.data = fixtures::ToBytes(samples);
    return wave;
}

}  // namespace

TEST(SampleManagerResample, StereoAt44kBecomesMonoAt22kAQuarterTheSize)
{
    WaveData wave = StereoRamp(1001, 44100);
    const int before = wave.Size();
    SampleManager::Resample(wave);
    EXPECT_EQ(wave.channels, 1);
    EXPECT_EQ(wave.frequency, 22050);
    EXPECT_EQ(wave.frames, 500);
    EXPECT_EQ(wave.Size(), 1000);
    EXPECT_EQ(before / 4, 1001);
    const std::vector<int16_t> out = fixtures::ToSamples(wave.data);
    for (int i = 0; i < 500; ++i) {
        // Frame 2i, the mean of left and right rounded toward zero.
        const int left = 2 * i * 10, right = -2 * i * 10 - 3;
        ASSERT_EQ(out[size_t(i)], int16_t((left + right) / 2)) << i;
    }
}

TEST(SampleManagerResample, LeavesLowRatesAndOtherDepthsAlone)
{
    WaveData mono = StereoRamp(100, 22050);
    SampleManager::Resample(mono);
    EXPECT_EQ(mono.frequency, 22050);  // 22,050 Hz stays
    EXPECT_EQ(mono.frames, 100);
    EXPECT_EQ(mono.channels, 1);

    WaveData eight;
    eight.frequency = 44100;
    eight.bits = 8;
    eight.channels = 2;
    eight.frames = 4;
    eight.data = {1, 2, 3, 4, 5, 6, 7, 8};
    audiotest::LogCapture log;
    SampleManager::Resample(eight);
    EXPECT_TRUE(log.Contains("SampleManager::Resample not 16bit samples"));
    EXPECT_EQ(eight.frequency, 44100);
    EXPECT_EQ(eight.channels, 2);
    EXPECT_EQ(eight.Size(), 8);

    // A frame count that promises more than the bytes present.
    WaveData liar = StereoRamp(10, 44100);
    liar.frames = 1000;
    SampleManager::Resample(liar);
    EXPECT_EQ(liar.frames, 5);
    EXPECT_EQ(liar.Size(), 10);
}

TEST_F(ManagerFixture, LoadMakesAResampledBuffer)
{
    const std::string file = WriteTone("wide", 4410, 44100, 2);
    std::unique_ptr<Sample> sample = SampleManager::Instance()->Load("wide", file, 3);
    ASSERT_TRUE(sample && sample->GetBuffer());
    platform::SoundBufferCaps caps;
    ASSERT_EQ(sample->GetBuffer()->GetCaps(&caps), platform::kSoundOk);
    EXPECT_EQ(caps.bytes, 4410u * 4 / 4);
    EXPECT_EQ(caps.flags, platform::kSoundCtrlVolume | platform::kSoundCtrlFrequency);
    platform::PcmFormat format;
    sample->GetBuffer()->GetFormat(&format);
    EXPECT_EQ(format.rate, 22050);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(sample->GetBaseFrequency(), 22050.0f);
    EXPECT_EQ(sample->GetName(), "wide");
}

TEST_F(ManagerFixture, EffectsHaveThirteenInstancesAndTheFourteenthUseStealsTheFirst)
{
    const std::string file = WriteTone("kick", 2205);
    auto* manager = SampleManager::Instance();
    ASSERT_TRUE(manager->LoadEffectSamples("kick", file, 3));
    ASSERT_EQ(manager->CountInstances("kick"), 13);
    Sample* first = manager->FindSample("kick");
    ASSERT_NE(first, nullptr);

    std::set<Sample*> used;
    for (int i = 0; i < 13; ++i) {
        Sample* s = manager->GetFreeInstance("kick");
        ASSERT_NE(s, nullptr);
        EXPECT_FALSE(s->IsPlaying());
        s->Play();
        EXPECT_TRUE(s->IsPlaying());
        used.insert(s);
    }
    EXPECT_EQ(used.size(), 13u);
    EXPECT_TRUE(used.count(first));

    Sample* stolen = manager->GetFreeInstance("kick");
    EXPECT_EQ(stolen, first);
    EXPECT_FALSE(stolen->IsPlaying());
    EXPECT_EQ(manager->CountInstances("kick"), 13);

    // Once one has finished, it is the one given out.
    Sample* other = nullptr;
    for (Sample* s : used)
        if (s != first) {
            other = s;
            break;
        }
    other->Stop();
    first->Play();
    EXPECT_EQ(manager->GetFreeInstance("kick"), other);

    EXPECT_EQ(manager->GetFreeInstance(""), nullptr);
    EXPECT_EQ(manager->GetFreeInstance("snare"), nullptr);
}

TEST_F(ManagerFixture, ExhaustedHasOneInstance)
{
    ASSERT_TRUE(SampleManager::Instance()->LoadEffectSamples("exhausted", WriteTone("puff", 500), 3));
    EXPECT_EQ(SampleManager::Instance()->CountInstances("exhausted"), 1);
}

TEST_F(ManagerFixture, AFileNoLoaderTakesGivesOneSilentSampleAndAWarning)
{
    audiotest::LogCapture log;
    auto* manager = SampleManager::Instance();
    ASSERT_TRUE(manager->LoadEffectSamples("ghost", "scratch\\ghost.mp3", 3));
    EXPECT_TRUE(log.Contains("SampleManager::Load could not load filename scratch\\ghost.mp3"));
    EXPECT_EQ(log.Count("has no sound buffer and stays silent"), 1);
    EXPECT_EQ(log.Count("DuplicateSoundBuffer"), 0);
    EXPECT_EQ(manager->CountInstances("ghost"), 1);
    Sample* ghost = manager->GetFreeInstance("ghost");
    ASSERT_NE(ghost, nullptr);
    EXPECT_EQ(ghost->GetBuffer(), nullptr);
    EXPECT_EQ(ghost->GetBaseFrequency(), 0.0f);
    ghost->Play();
    ghost->SetVolume(0.5f);
    ghost->SetFrequency(11025);
    EXPECT_FALSE(ghost->IsPlaying());

    // A file that a loader takes but cannot read also ends silent, never in a crash.
    ASSERT_TRUE(fixtures::WriteFile("scratch/broken.wav", {'R', 'I', 'F', 'F', 0, 0}));
    ASSERT_TRUE(manager->LoadEffectSamples("broken", "scratch\\broken.wav", 3));
    EXPECT_EQ(manager->FindSample("broken")->GetBuffer(), nullptr);
}

TEST_F(ManagerFixture, VolumeLawInHundredthsOfADecibel)
{
    std::unique_ptr<Sample> sample = SampleManager::Instance()->Load("v", WriteTone("v", 100), 3);
    ASSERT_TRUE(sample && sample->GetBuffer());
    const std::pair<float, int> cases[] = {{1.0f, 0},        {0.5f, -602},      {0.1f, -2000},
                                           {0.00001f, -10000}, {0.0f, -10000}, {-1.0f, -10000},
                                           {2.0f, 0}};
    for (const auto& [volume, expected] : cases) {
        sample->SetVolume(volume);
        EXPECT_EQ(BufferVolume(sample.get()), expected) << volume;
        EXPECT_EQ(sample->GetVolume(), volume);
    }
}

TEST_F(ManagerFixture, PlayRestartsAndStopRewinds)
{
    std::unique_ptr<Sample> sample = SampleManager::Instance()->Load("p", WriteTone("p", 22050), 3);
    ASSERT_TRUE(sample && sample->GetBuffer());
    sample->PlayLooped();
    std::vector<int16_t> out(2 * 4410);
    SampleManager::Instance()->GetDevice()->Mix(out.data(), 4410);
    uint32_t play = 0;
    sample->GetBuffer()->GetPosition(&play, nullptr);
    EXPECT_EQ(play, 2205u * 2);  // 22,050 Hz read at 44,100
    uint32_t status = 0;
    sample->GetBuffer()->GetStatus(&status);
    EXPECT_EQ(status, platform::kSoundStatusPlaying | platform::kSoundStatusLooping);

    sample->Play();
    sample->GetBuffer()->GetPosition(&play, nullptr);
    EXPECT_EQ(play, 0u);
    SampleManager::Instance()->GetDevice()->Mix(out.data(), 4410);
    sample->Stop();
    EXPECT_FALSE(sample->IsPlaying());
    sample->GetBuffer()->GetPosition(&play, nullptr);
    EXPECT_EQ(play, 0u);
}

TEST_F(ManagerFixture, NothingLoadsOrPlaysWhileSoundIsDisabled)
{
    const std::string file = WriteTone("off", 100);
    std::unique_ptr<Sample> sample = SampleManager::Instance()->Load("off", file, 3);
    ASSERT_TRUE(sample);
    SoundEngine::Instance()->SetEnabled(false);
    sample->Play();
    EXPECT_FALSE(sample->IsPlaying());
    EXPECT_EQ(SampleManager::Instance()->Load("off", file, 3), nullptr);
    EXPECT_FALSE(SampleManager::Instance()->LoadEffectSamples("off", file, 3));
    EXPECT_EQ(SampleManager::Instance()->FindSample("off"), nullptr);
}

TEST(SampleManagerDevice, WithoutAnAudioDeviceTheGameRunsSilentWithOneLogLine)
{
    SampleManager::DestroyInstance();
    ScopedEnv driver("SDL_AUDIODRIVER", "no_such_driver");
    audiotest::LogCapture log;
    EXPECT_FALSE(SampleManager::Instance()->Initialise());
    EXPECT_FALSE(SampleManager::Instance()->IsInitialised());
    EXPECT_EQ(log.Count("\n"), 1) << log.Text();
    EXPECT_TRUE(log.Contains("SampleManager: DirectSoundCreate (8ad00005)"));
    SoundEngine::Instance()->SetEnabled(true);
    EXPECT_EQ(SampleManager::Instance()->CreateSoundBuffer(WaveData{}, 3), nullptr);
    SampleManager::DestroyInstance();
    SoundEngine::DestroyInstance();
}

TEST(SampleManagerDevice, OpensTheDummyDriver)
{
    SampleManager::DestroyInstance();
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    ASSERT_TRUE(SampleManager::Instance()->Initialise());
    EXPECT_TRUE(SampleManager::Instance()->GetDevice()->HasOutput());
    EXPECT_GT(SampleManager::Instance()->GetDevice()->Rate(), 0);
    SampleManager::DestroyInstance();
}
