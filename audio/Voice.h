#pragma once

#include "audio/SoundEngine.h"
#include "framework/Object.h"

class AudioEvent;
class Sample;

// One use of a sound: the parameters drawn from an audio event, bound to a free sample
// instance while it needs to sound.
class Voice : public Object {
public:
    Voice() = default;
    ~Voice() override = default;

    // Stores the event and draws its volume and pitch variations.
    virtual void SetEvent(AudioEvent* event);
    virtual void Stop();
    // Draws the variations again and restarts a voice that was sounding: its sample is
    // stopped and given back, and the engine binds a free one at its next update.
    virtual void Refresh();
    // Distance attenuation against the engine's listener points.
    virtual void Update(float dt);
    virtual void Start();
    virtual void Release();
    virtual bool IsSamplePlaying();
    virtual void SetVolume(float volume);
    virtual void SetPitch(float pitch);
    virtual float GetPitch() const { return m_pitch; }
    virtual float GetVolume() const { return m_volume; }
    // With a sample: binds and plays it (a one-shot plays once and the voice goes inactive).
    // With null: unbinds a sample playing a looping event, or any sample when forced.
    virtual void AttachSample(Sample* sample, bool force);
    virtual void SetPosition(const SoundPoint& point) { m_position = point; }
    // Unbinds the sample without stopping it: it now serves another voice.
    void ForgetSample() { m_sample = nullptr; }

    bool IsActive() const { return m_active; }
    int GetPriority() const { return m_priority; }
    // The engine's event, borrowed; null until SetEvent.
    AudioEvent* GetEvent() const { return m_event; }
    // The bound instance of the sample manager, borrowed until the voice lets it go; null
    // while the voice has none.
    Sample* GetSample() const { return m_sample; }
    float GetVolumeFactor() const { return m_volumeFactor; }
    float GetPitchFactor() const { return m_pitchFactor; }
    float GetDistanceFactor() const { return m_distanceFactor; }
    void SetRestart(bool restart) { m_restart = restart; }

private:
    bool EventLoops() const;

    int m_priority = 0;
    bool m_active = false;
    float m_volumeFactor = 1.0f;
    float m_pitchFactor = 1.0f;
    float m_volume = 1.0f;
    float m_pitch = 1.0f;
    float m_distanceFactor = 1.0f;
    AudioEvent* m_event = nullptr;  // not owned
    bool m_restart = false;
    Sample* m_sample = nullptr;  // an instance of the sample manager, not owned
    SoundPoint m_position;
};
