#include "audio/Sample.h"

#include "audio/SoundEngine.h"

#include <algorithm>
#include <cmath>

Sample::Sample(const std::string& name, const std::string& file, int flags,
               std::unique_ptr<platform::SoundBuffer> buffer)
    : m_flags(flags), m_name(name), m_fileName(file), m_buffer(std::move(buffer))
{
    if (m_buffer) {
        platform::PcmFormat format;
        m_buffer->GetFormat(&format);
        int hz = format.rate;
        m_buffer->GetFrequency(&hz);  // unchanged when the buffer has no frequency control
        m_baseFrequency = float(hz);
    }
}

Sample::~Sample()
{
    if (m_buffer && IsPlaying())
        m_buffer->Stop();
}

void Sample::StartBuffer(bool looping)
{
    if (!m_buffer || !SoundEngine::Instance()->IsEnabled())
        return;
    if (IsPlaying())
        m_buffer->Stop();
    m_buffer->SetPosition(0);
    m_buffer->Play(looping);
}

void Sample::Play()
{
    StartBuffer(false);
}

void Sample::PlayLooped()
{
    StartBuffer(true);
}

void Sample::Stop()
{
    if (!m_buffer)
        return;
    m_buffer->Stop();
    m_buffer->SetPosition(0);
}

bool Sample::IsPlaying()
{
    uint32_t status = 0;
    return m_buffer && m_buffer->GetStatus(&status) == platform::kSoundOk &&
           (status & platform::kSoundStatusPlaying);
}

void Sample::SetFrequency(int hz)
{
    m_frequency = float(hz);
    if (m_buffer)
        m_buffer->SetFrequency(hz <= 0 ? 0 : std::clamp(hz, platform::kSoundFrequencyMin, platform::kSoundFrequencyMax));
}

int Sample::VolumeToHundredthsDb(float volume)
{
    const double scaled = std::max(1.0, double(volume) * 100000.0);
    // Rounded, so that 0.1f, a hair above a tenth, still gives -2000.
    return std::max(platform::kSoundVolumeMin, int(std::lround(2000.0 * std::log10(scaled) - 10000.0)));
}

void Sample::SetVolume(float volume)
{
    m_volume = volume;
    if (m_buffer)
        m_buffer->SetVolume(std::min(platform::kSoundVolumeMax, VolumeToHundredthsDb(volume)));
}

float Sample::GetFrequency()
{
    return m_frequency;
}

float Sample::GetVolume()
{
    return m_volume;
}
