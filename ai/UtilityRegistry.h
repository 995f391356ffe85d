#pragma once

#include "ai/Utility.h"

#include <map>
#include <memory>
#include <string>

// The match's one instance of each of the seven measures, by class name, all caching: a
// measure is worked out at most once per candidate between two ClearCaches.
class UtilityRegistry {
public:
    UtilityRegistry();
    ~UtilityRegistry();

    UtilityRegistry(const UtilityRegistry&) = delete;
    UtilityRegistry& operator=(const UtilityRegistry&) = delete;

    // Null for a name that is not registered. The registry keeps the measure.
    Utility<float>* Find(const std::string& name) const;
    // Forgets every measure's values: each frame starts afresh.
    void ClearCaches();
    int GetCount() const { return static_cast<int>(m_measures.size()); }

private:
    std::map<std::string, std::unique_ptr<Utility<float>>> m_measures;
};
