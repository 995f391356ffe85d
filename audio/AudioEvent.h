#pragma once

#include "framework/Object.h"

#include <string>

// What one named sound does when it is played: which sample, looping, 3D range, volume
// and pitch with their random variation, and the sound group.
class AudioEvent : public Object {
public:
    // Property table "AudioEvent". Read values are kept in range, and an event read apart
    // from the engine passes its values on to the engine's event of its name.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Keeps the values in range after they were set or read: priority in [0, 1], the
    // minimum distance at least 1, the maximum distance above the minimum.
    void ClampValues();
    // Every value but the event name.
    void CopyValuesFrom(const AudioEvent& other);

    std::string eventName;
    std::string sampleName;
    bool is3d = false;
    bool isLooping = false;
    float volume = 1.0f;
    float volumeVariation = 0.0f;
    float pitch = 1.0f;
    float pitchVariation = 0.0f;
    float priority = 0.5f;
    float minDistance = 0.0f;
    float maxDistance = 20.0f;
    int soundGroup = 1;  // 0 "Music", 1 "SFX", 2 "Speech", 3 "Ambient"
};
