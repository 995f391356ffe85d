#include "audio/Voice.h"

#include "audio/AudioEvent.h"
#include "audio/Sample.h"
#include "framework/Random.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Whole-number distance, truncated.
int64_t IntegerDistance(const SoundPoint& a, const SoundPoint& b)
{
    const int64_t dx = int64_t(a.x) - b.x;
    const int64_t dy = int64_t(a.y) - b.y;
    const int64_t squared = dx * dx + dy * dy;
    int64_t root = int64_t(std::sqrt(double(squared)));
    // The double root can be one off for large values.
    while (root > 0 && root * root > squared)
        --root;
    while ((root + 1) * (root + 1) <= squared)
        ++root;
    return root;
}

}  // namespace

bool Voice::EventLoops() const
{
    return m_event && m_event->isLooping;
}

void Voice::SetEvent(AudioEvent* event)
{
    m_event = event;
    if (!event)
        return;
    m_volumeFactor = std::clamp(event->volume + event->volumeVariation * Random::Signed(), 0.0f, 1.0f);
    SetVolume(1.0f);
    m_pitchFactor = std::max(0.0f, event->pitch + event->pitchVariation * Random::Signed());
    SetPitch(1.0f);
    m_priority = int(event->priority);
}

void Voice::SetVolume(float volume)
{
    m_volume = volume;
    if (!m_sample)
        return;
    const int group = m_event ? m_event->soundGroup : 1;
    float v = SoundEngine::Instance()->GetGroupFactor(group) * m_volumeFactor * volume;
    if (m_event && m_event->is3d)
        v *= m_distanceFactor;
    m_sample->SetVolume(v);
}

void Voice::SetPitch(float pitch)
{
    m_pitch = pitch;
    if (m_sample)
        m_sample->SetFrequency(int(m_sample->GetBaseFrequency() * m_pitchFactor * pitch));
}

void Voice::Update(float /*dt*/)
{
    if (!m_event || !m_event->is3d) {
        m_distanceFactor = 1.0f;
        return;
    }
    int64_t distance = 1000000000;
    for (const SoundPoint& listener : SoundEngine::Instance()->GetListenerPoints())
        distance = std::min(distance, IntegerDistance(m_position, listener));
    const float d = float(distance);
    const float minimum = m_event->minDistance;
    const float maximum = m_event->maxDistance;
    m_active = d < maximum;
    if (!m_sample)
        return;
    if (d < minimum)
        m_distanceFactor = 1.0f;
    else if (maximum > minimum)
        m_distanceFactor = std::max(0.0f, 1.0f - (d - minimum) / (maximum - minimum));
    else
        m_distanceFactor = 0.0f;  // an empty range: nothing beyond the minimum is heard
    SetVolume(m_volume);
}

void Voice::Start()
{
    m_active = true;
    SetVolume(m_volume);
    SetPitch(m_pitch);
}

void Voice::AttachSample(Sample* sample, bool force)
{
    if (sample) {
        m_sample = sample;
        SetVolume(m_volume);
        SetPitch(m_pitch);
        if (m_sample->IsPlaying())
            m_sample->Stop();
        if (EventLoops()) {
            m_sample->PlayLooped();
        } else {
            if (m_volume > 0.0f)
                m_sample->Play();
            m_active = false;  // a one-shot sounds once
        }
        SetVolume(m_volume);
        SetPitch(m_pitch);
        return;
    }
    if (!m_sample)
        return;
    if (force || (EventLoops() && m_sample->IsPlaying())) {
        m_sample->Stop();
        m_sample = nullptr;
    }
}

void Voice::Stop()
{
    AttachSample(nullptr, true);
}

void Voice::Release()
{
    m_active = false;
    if (m_sample) {
        m_sample->Stop();
        m_sample = nullptr;
    }
}

bool Voice::IsSamplePlaying()
{
    return m_sample && m_sample->IsPlaying();
}

void Voice::Refresh()
{
    if (!m_event)
        return;
    const bool wasPlaying = IsSamplePlaying();
    // Given back as well as stopped: the engine binds samples only to voices without one.
    if (m_sample) {
        m_sample->Stop();
        m_sample = nullptr;
    }
    SetEvent(m_event);
    if (wasPlaying || m_restart)
        Start();
}
