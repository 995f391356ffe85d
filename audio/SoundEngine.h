#pragma once

#include "framework/Singleton.h"

#include <map>
#include <vector>

struct SoundPoint {
    int x = 0;
    int y = 0;
};

// The sound engine's shared state that samples and voices read: whether sound is on, the
// volume and mute flag of each sound group, and the listener points for 3D attenuation.
class SoundEngine : public Singleton<SoundEngine> {
public:
    SoundEngine();

    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }

    // Groups 0 "Music", 1 "SFX", 2 "Speech", 3 "Ambient"; unknown groups read as 1.0, unmuted.
    float GetGroupVolume(int group) const;
    void SetGroupVolume(int group, float volume);
    bool IsGroupMuted(int group) const;
    void SetGroupMuted(int group, bool muted);
    // The group volume, or 0 when the group is muted.
    float GetGroupFactor(int group) const;

    const std::vector<SoundPoint>& GetListenerPoints() const { return m_listeners; }
    void SetListenerPoints(const std::vector<SoundPoint>& points) { m_listeners = points; }

private:
    bool m_enabled = false;
    std::map<int, float> m_groupVolumes;
    std::map<int, float> m_groupMutes;  // 0 = not muted
    std::vector<SoundPoint> m_listeners;
};
