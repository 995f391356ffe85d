#pragma once

#include "audio/AudioEvent.h"
#include "framework/Object.h"
#include "framework/Singleton.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class Sample;
class StreamingSample;
class Voice;

struct SoundPoint {
    int x = 0;
    int y = 0;
};

// Plays sounds by audio-event name, owns the voices and the music streams, and keeps the
// volume and mute flag of each sound group and the listener points for 3D attenuation.
//
// Sound groups: 0 "Music", 1 "SFX", 2 "Speech", 3 "Ambient".
class SoundEngine : public Singleton<SoundEngine>, public Object {
public:
    SoundEngine();
    ~SoundEngine() override;

    bool Init();
    // Destroys every voice and stream.
    bool Exit();
    // Once per frame: binds free sample instances to active voices, gives back those of
    // inactive ones, and destroys temporary voices that have finished.
    void Update(float dt);

    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }

    // A voice for the event (an alias picks one of its variants at random), or null when
    // no event has the name. The caller starts it; a temporary voice is destroyed by the
    // engine once it has finished and must not be kept.
    Voice* Play(const std::string& name, bool temporary);
    // A temporary voice for the event, started at once: for a sound nobody needs to move or
    // stop. False when no event has the name or sound is disabled.
    bool PlayOnce(const std::string& name);
    // With sound disabled: null for a temporary voice, an eventless dummy otherwise.
    Voice* CreateVoice(AudioEvent* event, bool temporary);
    // Removes the voice from the engine, stops and deletes it.
    void DestroyVoice(Voice* voice);
    void DestroyVoices();
    // Applies changed group volumes and mutes to every voice and stream.
    void UpdateVolumes();
    // Temporary voices are destroyed, the others draw their variations again.
    void RefreshVoices();
    // Every voice gives back its sample (the sample manager is going).
    void ReleaseVoiceSamples();

    AudioEvent* FindAudioEvent(const std::string& name);
    // The event stored under exactly this name (no alias), or null.
    AudioEvent* GetAudioEvent(const std::string& name);
    // Stores a copy under the name and returns it; null (warned) when the name is taken.
    AudioEvent* AddAudioEvent(const std::string& name, const AudioEvent& event);
    // Stores the events as name0, name1, ... and makes the name their alias. False
    // (warned) when the name is taken.
    bool AddAudioEvent(const std::string& name, const AudioEvent* events, int count);
    void RemoveAudioEvent(const std::string& name);
    // Forgets every event and alias, with the voices playing them: the game state loads its
    // events afresh at each start.
    void ClearAudioEvents();
    // The variant names of an alias, or null.
    const std::vector<std::string>* GetAlias(const std::string& name) const;
    int GetEventCount() const { return int(m_events.size()); }

    // A streamed sample of the file, listed as valid, or null.
    StreamingSample* LoadStream(const std::string& file);
    // Unlists, closes and deletes the stream (waiting for a running refill).
    void ReleaseStream(StreamingSample* stream);
    bool IsStreamValid(const StreamingSample* stream) const;
    // The listed stream with the id (StreamingSample::GetStreamId), or null.
    StreamingSample* FindStream(uint64_t id) const;
    // Guards the stream list and every refill.
    static std::recursive_mutex& StreamLock();
    // Whether the live engine lists the stream; the caller holds StreamLock().
    static bool IsStreamListed(const StreamingSample* stream);

    // Groups 0 "Music", 1 "SFX", 2 "Speech", 3 "Ambient"; unknown groups read as 1.0, unmuted.
    float GetGroupVolume(int group) const;
    void SetGroupVolume(int group, float volume);
    bool IsGroupMuted(int group) const;
    void SetGroupMuted(int group, bool muted);
    // The group volume, or 0 when the group is muted.
    float GetGroupFactor(int group) const;

    const std::vector<SoundPoint>& GetListenerPoints() const { return m_listeners; }
    void SetListenerPoints(const std::vector<SoundPoint>& points) { m_listeners = points; }
    void ResizeListenerPoints(int count);
    // Out of range: warned and ignored.
    void SetListenerPoint(int index, const SoundPoint& point);

    int GetVoiceCount() const { return int(m_voices.size()); }
    int GetTemporaryVoiceCount() const { return int(m_temporaryVoices.size()); }
    // Valid until the voice finishes or the engine's next Update; index below the count.
    const Voice* GetTemporaryVoice(int index) const { return m_temporaryVoices[static_cast<size_t>(index)].get(); }
    int GetCleanupVoiceCount() const { return int(m_cleanupVoices.size()); }
    int GetStreamCount() const;

    void Serialize(Serializer& serializer, const char* descriptor) override;

private:
    void UpdateVoice(Voice* voice, float dt);
    // Every voice bound to the sample unbinds it, leaving it playing.
    void ForgetSample(const Sample* sample);
    AudioEvent* FindAudioEvent(const std::string& name, int depth);

    bool m_enabled = false;
    std::vector<std::unique_ptr<Voice>> m_voices;
    std::vector<std::unique_ptr<Voice>> m_temporaryVoices;
    std::vector<std::unique_ptr<Voice>> m_cleanupVoices;
    std::vector<std::unique_ptr<StreamingSample>> m_streams;  // guarded by StreamLock()
    std::map<int, float> m_groupVolumes;
    std::map<int, float> m_groupMutes;  // 0 = not muted
    std::map<std::string, AudioEvent> m_events;
    std::map<std::string, std::vector<std::string>> m_aliases;
    std::vector<SoundPoint> m_listeners;
};
