#pragma once

#include <map>

class Character;

// A measure that rates one candidate player between 0 and 1. With caching on, the first
// value asked for a candidate is kept until ClearCache, however the world moves meanwhile.
template <typename T>
class Utility {
public:
    virtual ~Utility() = default;

    // The candidate's value, from the cache when caching is on.
    T GetValue(const Character* candidate)
    {
        if (!m_caching)
            return Evaluate(candidate);
        const auto [entry, added] = m_cache.try_emplace(candidate, T{});
        if (added)
            entry->second = Evaluate(candidate);
        return entry->second;
    }
    // Computed afresh; a null candidate, or one without a body, rates 0.
    virtual T Evaluate(const Character* candidate) const = 0;

    void SetCaching(bool caching) { m_caching = caching; }
    bool IsCaching() const { return m_caching; }
    bool IsCached(const Character* candidate) const { return m_cache.count(candidate) != 0; }
    void ClearCache() { m_cache.clear(); }

private:
    bool m_caching = false;
    std::map<const Character*, T> m_cache;
};
