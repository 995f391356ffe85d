#include "audio/AudioEvent.h"

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
