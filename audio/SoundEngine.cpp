#include "audio/SoundEngine.h"

#include "audio/SampleManager.h"
#include "audio/StreamingSample.h"
#include "audio/Voice.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/Random.h"
#include "framework/Serializer.h"

#include <algorithm>

namespace {

// The engine the timer threads may look at; changed under the stream lock.
SoundEngine* g_liveEngine = nullptr;

// Aliases may chain; this bounds a chain that loops.
constexpr int kMaxAliasDepth = 16;

}  // namespace

std::recursive_mutex& SoundEngine::StreamLock()
{
    static std::recursive_mutex lock;
    return lock;
}

bool SoundEngine::IsStreamListed(const StreamingSample* stream)
{
    return g_liveEngine && g_liveEngine->IsStreamValid(stream);
}

SoundEngine::SoundEngine()
{
    for (int group = 0; group < 4; ++group) {
        m_groupVolumes[group] = 1.0f;
        m_groupMutes[group] = 0.0f;
    }
    std::lock_guard<std::recursive_mutex> lock(StreamLock());
    g_liveEngine = this;
}

SoundEngine::~SoundEngine()
{
    DestroyVoices();
    std::lock_guard<std::recursive_mutex> lock(StreamLock());
    if (g_liveEngine == this)
        g_liveEngine = nullptr;
}

bool SoundEngine::Init()
{
    return true;
}

bool SoundEngine::Exit()
{
    DestroyVoices();
    return true;
}

// ---- voices ----

Voice* SoundEngine::Play(const std::string& name, bool temporary)
{
    AudioEvent* event = FindAudioEvent(name);
    if (!event)
        return nullptr;
    return CreateVoice(event, temporary);
}

bool SoundEngine::PlayOnce(const std::string& name)
{
    Voice* voice = Play(name, true);
    if (voice)
        voice->Start();
    return voice != nullptr;
}

Voice* SoundEngine::CreateVoice(AudioEvent* event, bool temporary)
{
    if (!m_enabled) {
        if (temporary)
            return nullptr;
        // Callers that keep a voice always get one.
        m_cleanupVoices.push_back(std::make_unique<Voice>());
        return m_cleanupVoices.back().get();
    }
    auto voice = std::make_unique<Voice>();
    voice->SetEvent(event);
    auto& list = temporary ? m_temporaryVoices : m_voices;
    list.push_back(std::move(voice));
    return list.back().get();
}

void SoundEngine::UpdateVoice(Voice* voice, float dt)
{
    voice->Update(dt);
    if (!voice->IsActive()) {
        voice->AttachSample(nullptr, false);
    } else if (!voice->GetSample() && voice->GetEvent()) {
        if (Sample* sample = SampleManager::Instance()->GetFreeInstance(voice->GetEvent()->sampleName)) {
            // A finished or stolen instance may still be bound to its earlier voice, whose
            // stop would then silence this one.
            ForgetSample(sample);
            voice->AttachSample(sample, false);
        }
    }
}

void SoundEngine::ForgetSample(const Sample* sample)
{
    for (auto* list : {&m_voices, &m_temporaryVoices, &m_cleanupVoices})
        for (auto& voice : *list)
            if (voice->GetSample() == sample)
                voice->ForgetSample();
}

void SoundEngine::Update(float dt)
{
    for (auto& voice : m_voices)
        UpdateVoice(voice.get(), dt);
    for (size_t i = 0; i < m_temporaryVoices.size();) {
        Voice* voice = m_temporaryVoices[i].get();
        UpdateVoice(voice, dt);
        Sample* sample = voice->GetSample();
        const bool looping = voice->GetEvent() && voice->GetEvent()->isLooping;
        if ((sample && !sample->IsPlaying()) || (!sample && !looping)) {
            voice->Stop();
            m_temporaryVoices.erase(m_temporaryVoices.begin() + std::ptrdiff_t(i));
        } else {
            ++i;
        }
    }
}

void SoundEngine::DestroyVoice(Voice* voice)
{
    if (!voice)
        return;
    for (auto* list : {&m_voices, &m_temporaryVoices, &m_cleanupVoices}) {
        auto it = std::find_if(list->begin(), list->end(), [voice](const auto& v) { return v.get() == voice; });
        if (it != list->end()) {
            std::unique_ptr<Voice> owned = std::move(*it);
            list->erase(it);
            owned->Stop();
            return;
        }
    }
    LogWarning("SoundEngine::DestroyVoice: unknown voice\n");
}

void SoundEngine::DestroyVoices()
{
    DebugTrace("  destroy voices\n");
    for (auto& voice : m_voices) {
        DebugTrace("destroy voice: %d\n", voice->GetPriority());
        voice->Stop();
    }
    m_voices.clear();
    DebugTrace("  destroy temporary voices\n");
    for (auto& voice : m_temporaryVoices)
        voice->Stop();
    m_temporaryVoices.clear();
    DebugTrace("  destroy cleanup voices\n");
    for (auto& voice : m_cleanupVoices)
        voice->Stop();
    m_cleanupVoices.clear();

    std::vector<std::unique_ptr<StreamingSample>> streams;
    {
        std::lock_guard<std::recursive_mutex> lock(StreamLock());
        streams.swap(m_streams);
    }
    // Closed outside the lock: closing waits for a refill that may be waiting for it.
    for (auto& stream : streams) {
        DebugTrace("  destroy stream\n");
        stream->Close();
    }
}

void SoundEngine::UpdateVolumes()
{
    for (auto& voice : m_voices)
        voice->SetVolume(voice->GetVolume());
    for (auto& voice : m_temporaryVoices)
        voice->SetVolume(voice->GetVolume());
    std::lock_guard<std::recursive_mutex> lock(StreamLock());
    for (auto& stream : m_streams)
        stream->SetVolume(stream->GetVolume());
}

void SoundEngine::RefreshVoices()
{
    // Stopped as they go, so that no looping sample is left sounding without its voice.
    for (auto& voice : m_temporaryVoices)
        voice->Stop();
    m_temporaryVoices.clear();
    for (auto& voice : m_voices)
        voice->Refresh();
}

void SoundEngine::ReleaseVoiceSamples()
{
    for (auto* list : {&m_voices, &m_temporaryVoices, &m_cleanupVoices})
        for (auto& voice : *list)
            voice->Release();
}

// ---- events ----

AudioEvent* SoundEngine::FindAudioEvent(const std::string& name)
{
    return FindAudioEvent(name, 0);
}

AudioEvent* SoundEngine::FindAudioEvent(const std::string& name, int depth)
{
    auto alias = m_aliases.find(name);
    if (alias != m_aliases.end() && !alias->second.empty()) {
        if (depth >= kMaxAliasDepth) {
            LogWarning("SoundEngine::FindAudioEvent: alias <%s> nests too deep\n", name.c_str());
            return nullptr;
        }
        const std::vector<std::string>& names = alias->second;
        return FindAudioEvent(names[size_t(Random::Below(int(names.size())))], depth + 1);
    }
    return GetAudioEvent(name);
}

AudioEvent* SoundEngine::GetAudioEvent(const std::string& name)
{
    auto it = m_events.find(name);
    return it == m_events.end() ? nullptr : &it->second;
}

AudioEvent* SoundEngine::AddAudioEvent(const std::string& name, const AudioEvent& event)
{
    if (m_events.count(name) || m_aliases.count(name)) {
        LogWarning("SoundEngine::AddAudioEvent failed because there is already a audio-event <%s>!\n",
                   name.c_str());
        return nullptr;
    }
    AudioEvent& stored = m_events.emplace(name, event).first->second;
    stored.eventName = name;
    return &stored;
}

bool SoundEngine::AddAudioEvent(const std::string& name, const AudioEvent* events, int count)
{
    if (m_events.count(name) || m_aliases.count(name)) {
        LogWarning("SoundEngine::AddAudioEvent failed because there is already a audio-event <%s>!\n",
                   name.c_str());
        return false;
    }
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        const std::string variant = name + std::to_string(i);
        if (AddAudioEvent(variant, events[i]))
            names.push_back(variant);
    }
    m_aliases[name] = std::move(names);
    return true;
}

void SoundEngine::RemoveAudioEvent(const std::string& name)
{
    auto it = m_events.find(name);
    if (it == m_events.end())
        return;
    AudioEvent* event = &it->second;
    // Nothing may keep pointing at the erased event: its voices go, and so does its
    // entry in the cast of editable events.
    for (auto* list : {&m_voices, &m_temporaryVoices}) {
        for (size_t i = 0; i < list->size();) {
            if ((*list)[i]->GetEvent() == event) {
                (*list)[i]->Stop();
                list->erase(list->begin() + std::ptrdiff_t(i));
            } else {
                ++i;
            }
        }
    }
    if (CastManager::Exists()) {
        if (Cast* cast = CastManager::Instance()->GetCast("soundevents"))
            cast->RemoveMember(event);
    }
    m_events.erase(it);
}

void SoundEngine::ClearAudioEvents()
{
    while (!m_events.empty())
        RemoveAudioEvent(m_events.begin()->first);
    m_aliases.clear();
}

const std::vector<std::string>* SoundEngine::GetAlias(const std::string& name) const
{
    auto it = m_aliases.find(name);
    return it == m_aliases.end() ? nullptr : &it->second;
}

// ---- streams ----

StreamingSample* SoundEngine::LoadStream(const std::string& file)
{
    if (!m_enabled)
        return nullptr;
    std::unique_ptr<Sample> sample =
        SampleManager::Instance()->Load("_music_", file, kSampleStreamed | kSampleVolumeControl);
    auto* stream = dynamic_cast<StreamingSample*>(sample.get());
    if (!stream)
        return nullptr;
    sample.release();
    std::lock_guard<std::recursive_mutex> lock(StreamLock());
    m_streams.emplace_back(stream);
    return stream;
}

void SoundEngine::ReleaseStream(StreamingSample* stream)
{
    if (!stream)
        return;
    std::unique_ptr<StreamingSample> owned;
    {
        std::lock_guard<std::recursive_mutex> lock(StreamLock());
        auto it = std::find_if(m_streams.begin(), m_streams.end(),
                               [stream](const auto& s) { return s.get() == stream; });
        if (it != m_streams.end()) {
            owned = std::move(*it);
            m_streams.erase(it);
        }
    }
    if (!owned) {
        LogWarning("SoundEngine::ReleaseStream: unknown stream\n");
        return;
    }
    // Outside the lock: closing waits for a running refill.
    owned->Close();
}

bool SoundEngine::IsStreamValid(const StreamingSample* stream) const
{
    std::lock_guard<std::recursive_mutex> lock(StreamLock());
    for (const auto& s : m_streams) {
        if (s.get() == stream)
            return true;
    }
    DebugTrace("SoundEngine::IsStreamValid stream %p not valid\n", static_cast<const void*>(stream));
    return false;
}

StreamingSample* SoundEngine::FindStream(uint64_t id) const
{
    std::lock_guard<std::recursive_mutex> lock(StreamLock());
    for (const auto& s : m_streams) {
        if (s->GetStreamId() == id)
            return s.get();
    }
    return nullptr;
}

int SoundEngine::GetStreamCount() const
{
    std::lock_guard<std::recursive_mutex> lock(StreamLock());
    return int(m_streams.size());
}

// ---- groups and listeners ----

float SoundEngine::GetGroupVolume(int group) const
{
    auto it = m_groupVolumes.find(group);
    return it == m_groupVolumes.end() ? 1.0f : it->second;
}

void SoundEngine::SetGroupVolume(int group, float volume)
{
    m_groupVolumes[group] = volume;
}

bool SoundEngine::IsGroupMuted(int group) const
{
    auto it = m_groupMutes.find(group);
    return it != m_groupMutes.end() && it->second != 0.0f;
}

void SoundEngine::SetGroupMuted(int group, bool muted)
{
    m_groupMutes[group] = muted ? 1.0f : 0.0f;
}

float SoundEngine::GetGroupFactor(int group) const
{
    return IsGroupMuted(group) ? 0.0f : GetGroupVolume(group);
}

void SoundEngine::ResizeListenerPoints(int count)
{
    m_listeners.resize(size_t(std::max(0, count)));
}

void SoundEngine::SetListenerPoint(int index, const SoundPoint& point)
{
    if (index < 0 || size_t(index) >= m_listeners.size()) {
        LogWarning("SoundEngine::SetListenerPoint: no listener %d\n", index);
        return;
    }
    m_listeners[size_t(index)] = point;
}

void SoundEngine::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("SoundEngine", descriptor);
    serializer.BeginSection("AudioEvents", "");
    for (auto& entry : m_events) {
        serializer.SerializeButton("popup", "");
        serializer.SerializeObject(entry.first.c_str(), &entry.second);
    }
    serializer.EndSection();
    serializer.EndSection();
    if (serializer.IsReading())
        UpdateVolumes();
}
