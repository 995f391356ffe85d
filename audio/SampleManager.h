#pragma once

#include "audio/Sample.h"
#include "audio/SampleLoader.h"
#include "framework/Object.h"
#include "framework/Singleton.h"
#include "platform/Sound.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class StreamingSample;

// Owns the sound device, turns sound files into samples and keeps thirteen instances of
// every sound effect so that one effect can sound several times at once.
class SampleManager : public Singleton<SampleManager>, public Object {
public:
    static constexpr int kInstancesPerEffect = 13;

    SampleManager();
    ~SampleManager() override;

    // Creates one loader per registered class and opens the audio output; false (logged)
    // when no device can be opened, and the game runs silent.
    bool Initialise();
    // The same over a given device (tests pump an offline device by hand).
    bool Initialise(std::unique_ptr<platform::SoundDevice> device);
    bool IsInitialised() const { return m_initialised; }
    platform::SoundDevice* GetDevice() const { return m_device.get(); }

    // A new sample owned by the caller; without a buffer when no loader accepts the file.
    // Null while sound is disabled.
    std::unique_ptr<Sample> Load(const std::string& name, const std::string& file, int flags);
    // A streamed sample of the file (flag 16 of Load): the first registered stream class
    // that accepts the file plays it through a one-second buffer. Null when none does.
    std::unique_ptr<StreamingSample> LoadStreamed(const std::string& name, const std::string& file, int flags);
    // Loads a sound effect with its instances, kept by the manager under the name.
    bool LoadEffectSamples(const std::string& name, const std::string& file, int flags);
    // The manager keeps the instances it hands out until it goes. Null for an unknown name.
    Sample* FindSample(const std::string& name) const;
    // The first instance that is not playing; when all play, the first one, stopped. Null
    // for an unknown or empty name.
    Sample* GetFreeInstance(const std::string& name);
    int CountInstances(const std::string& name) const;

    // In place: 16-bit stereo to mono, and above 22,100 Hz every second frame.
    static void Resample(WaveData& wave);
    // A buffer filled with the wave; null (logged) while sound is disabled or when the
    // device refuses it.
    std::unique_ptr<platform::SoundBuffer> CreateSoundBuffer(const WaveData& wave, int flags);

    // After reading, the sound engine draws its voices' variations again.
    void Serialize(Serializer& serializer, const char* descriptor) override;

private:
    void CreateLoaders();

    std::unique_ptr<platform::SoundDevice> m_device;
    bool m_initialised = false;
    std::vector<std::unique_ptr<SampleLoader>> m_loaders;
    std::map<std::string, Sample*> m_samples;                       // the first instance
    std::multimap<std::string, std::unique_ptr<Sample>> m_instances;  // owns every instance
};
