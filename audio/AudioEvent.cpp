#include "audio/AudioEvent.h"

#include "audio/SoundEngine.h"
#include "framework/Serializer.h"

#include <algorithm>

void AudioEvent::ClampValues()
{
    priority = std::clamp(priority, 0.0f, 1.0f);
    minDistance = std::max(minDistance, 1.0f);
    maxDistance = std::max(maxDistance, 0.0f);
    // An empty range would divide by zero in the distance attenuation.
    if (maxDistance <= minDistance)
        maxDistance = minDistance + 1.0f;
}

void AudioEvent::CopyValuesFrom(const AudioEvent& other)
{
    sampleName = other.sampleName;
    is3d = other.is3d;
    isLooping = other.isLooping;
    volume = other.volume;
    volumeVariation = other.volumeVariation;
    pitch = other.pitch;
    pitchVariation = other.pitchVariation;
    priority = other.priority;
    minDistance = other.minDistance;
    maxDistance = other.maxDistance;
    soundGroup = other.soundGroup;
}

void AudioEvent::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("AudioEvent", descriptor);
    serializer.SerializeString("Sample name", &sampleName);
    serializer.SerializeBool("is 3d", &is3d);
    serializer.SerializeBool("is looping", &isLooping);
    serializer.SerializeFloat("volume", &volume);
    serializer.SerializeFloat("volume variation", &volumeVariation);
    serializer.SerializeFloat("pitch", &pitch);
    serializer.SerializeFloat("pitch variation", &pitchVariation);
    serializer.SerializeFloat("priority", &priority);
    serializer.SerializeFloat("minDistance", &minDistance);
    serializer.SerializeFloat("maxDistance", &maxDistance);
    serializer.SerializeButton("combobox [Music][SFX][Speech][Ambient]", "");
    serializer.SerializeInt("soundGroup", &soundGroup);
    serializer.EndSection();
    ClampValues();
    if (!serializer.IsReading() || eventName.empty() || !SoundEngine::Exists())
        return;
    // The members of the cast "soundevents" are the engine's own events and are already
    // up to date; a copy read elsewhere updates the engine's event in place.
    AudioEvent* stored = SoundEngine::Instance()->GetAudioEvent(eventName);
    if (stored && stored != this)
        stored->CopyValuesFrom(*this);
}
