#include "audio/SoundEngine.h"

SoundEngine::SoundEngine()
{
    for (int group = 0; group < 4; ++group) {
        m_groupVolumes[group] = 1.0f;
        m_groupMutes[group] = 0.0f;
    }
}

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
