#include "ai/UtilityRegistry.h"

void UtilityRegistry::Remember(const std::string& measure, const Character* candidate, float value)
{
    m_caches[measure][candidate] = value;
}

bool UtilityRegistry::Recall(const std::string& measure, const Character* candidate, float& value) const
{
    const auto cache = m_caches.find(measure);
    if (cache == m_caches.end())
        return false;
    const auto found = cache->second.find(candidate);
    if (found == cache->second.end())
        return false;
    value = found->second;
    return true;
}
