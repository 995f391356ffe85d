#pragma once

#include "audio/SampleManager.h"
#include "audio/SoundEngine.h"

#include "support/AudioTestUtil.h"
#include "support/SoundFixtures.h"

#include <gtest/gtest.h>

// A sample manager over an offline device: nothing plays on by itself, so playing
// states stay put until the test mixes.
class ManagerFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        audiotest::FreshScratch();
        SampleManager::DestroyInstance();
        SoundEngine::DestroyInstance();
        SoundEngine::Instance()->SetEnabled(true);
        ASSERT_TRUE(SampleManager::Instance()->Initialise(platform::SoundDevice::CreateOffline(44100)));
    }
    void TearDown() override
    {
        SampleManager::DestroyInstance();
        SoundEngine::DestroyInstance();
    }

    // A mono 16-bit WAV of the tone in scratch/<name>.wav; returns its name.
    static std::string WriteTone(const char* name, int frames, int rate = 22050, int channels = 1)
    {
        fixtures::WavSpec spec;
        spec.rate = rate;
        spec.channels = channels;
        spec.pcm = fixtures::ToBytes(fixtures::Tone(frames, channels, rate, 440.0, 10000));
        const std::string path = std::string("scratch/") + name + ".wav";
        EXPECT_TRUE(fixtures::WriteFile(path, fixtures::MakeWav(spec)));
        return std::string("scratch\\") + name + ".wav";
    }

    static int BufferVolume(Sample* sample)
    {
        int volume = 1;
        EXPECT_EQ(sample->GetBuffer()->GetVolume(&volume), platform::kSoundOk);
        return volume;
    }
    static int BufferFrequency(Sample* sample)
    {
        int hz = 0;
        EXPECT_EQ(sample->GetBuffer()->GetFrequency(&hz), platform::kSoundOk);
        return hz;
    }
};
