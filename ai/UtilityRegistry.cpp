#include "ai/UtilityRegistry.h"

#include "ai/Utilities.h"

namespace {

template <typename Measure>
void Register(std::map<std::string, std::unique_ptr<Utility<float>>>& measures, const char* name)
{
    auto measure = std::make_unique<Measure>();
    measure->SetCaching(true);
    measures.emplace(name, std::move(measure));
}

} // namespace

UtilityRegistry::UtilityRegistry()
{
    Register<DistanceFromBall>(m_measures, "DistanceFromBall");
    Register<SpeedTowardsBall>(m_measures, "SpeedTowardsBall");
    Register<DistanceAlongPitch>(m_measures, "DistanceAlongPitch");
    Register<DistanceAcrossPitch>(m_measures, "DistanceAcrossPitch");
    Register<ClearPathToBall>(m_measures, "ClearPathToBall");
    Register<DistanceFromTacticalPosition>(m_measures, "DistanceFromTacticalPosition");
    Register<IsConstrainedToArea>(m_measures, "IsConstrainedToArea");
}

UtilityRegistry::~UtilityRegistry() = default;

Utility<float>* UtilityRegistry::Find(const std::string& name) const
{
    const auto found = m_measures.find(name);
    return found == m_measures.end() ? nullptr : found->second.get();
}

void UtilityRegistry::ClearCaches()
{
    for (auto& entry : m_measures)
        entry.second->ClearCache();
}

