#pragma once

#include "platform/Sound.h"

#include <memory>
#include <string>

// Sample flags.
inline constexpr int kSampleVolumeControl = 1;
inline constexpr int kSampleFrequencyControl = 2;
inline constexpr int kSampleStreamed = 16;

// One sound buffer of the sample manager, under an effect name. Without a buffer (the
// file could not be loaded) it exists and stays silent.
class Sample {
public:
    Sample(const std::string& name, const std::string& file, int flags,
           std::unique_ptr<platform::SoundBuffer> buffer);
    virtual ~Sample();
    Sample(const Sample&) = delete;
    Sample& operator=(const Sample&) = delete;

    // Both start from the beginning, stopping the buffer first if it plays.
    virtual void Play();
    virtual void Stop();  // and back to the beginning
    virtual void PlayLooped();
    virtual bool IsPlaying();
    // Clamped to the device's range on the buffer; the getter returns what was asked.
    virtual void SetFrequency(int hz);
    // Linear, 1 at full volume.
    virtual void SetVolume(float volume);
    virtual float GetFrequency();
    virtual float GetVolume();

    // The buffer volume of a linear volume: 2000 x log10(max(1, v x 100,000)) - 10,000.
    static int VolumeToHundredthsDb(float volume);

    const std::string& GetName() const { return m_name; }
    const std::string& GetFileName() const { return m_fileName; }
    int GetFlags() const { return m_flags; }
    float GetBaseFrequency() const { return m_baseFrequency; }
    // Null when the file could not be loaded; the sample keeps it.
    platform::SoundBuffer* GetBuffer() const { return m_buffer.get(); }

protected:
    void StartBuffer(bool looping);

    int m_flags;
    std::string m_name;
    std::string m_fileName;
    std::unique_ptr<platform::SoundBuffer> m_buffer;
    float m_baseFrequency = 0.0f;
    float m_volume = 1.0f;
    float m_frequency = 1.0f;
};
