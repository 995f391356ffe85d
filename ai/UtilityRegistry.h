#pragma once

#include <map>
#include <string>

class Character;

// The AI's measures of candidate players, by name, with the values each measure worked out
// this frame. The measures themselves are not built yet: the registry only keeps the
// per-frame values that callers hand it.
class UtilityRegistry {
public:
    // Keeps the value of the measure for the candidate until ClearCaches.
    void Remember(const std::string& measure, const Character* candidate, float value);
    // False when nothing was remembered for the pair since the last ClearCaches.
    bool Recall(const std::string& measure, const Character* candidate, float& value) const;
    // Forgets every value: each frame starts afresh.
    void ClearCaches() { m_caches.clear(); }

private:
    std::map<std::string, std::map<const Character*, float>> m_caches;
};
