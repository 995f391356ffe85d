#include "ai/Decision.h"

#include "ai/UtilityRegistry.h"
#include "characters/Team.h"

float Decision::Score(const Character* candidate, const UtilityRegistry& registry) const
{
    float sum = 0.0f;
    float weights = 0.0f;
    for (const DecisionPart& part : m_parts) {
        Utility<float>* measure = registry.Find(part.GetMeasure());
        if (!measure)
            continue;
        float value = measure->GetValue(candidate);
        if (part.IsInverted())
            value = 1.0f - value;
        sum += part.GetWeight() * value;
        weights += part.GetWeight();
    }
    return weights == 0.0f ? sum : sum / weights;
}

Character* Decision::ChooseBest(Character* const* candidates, int32_t count, const UtilityRegistry& registry) const
{
    if (count <= 0)
        return nullptr;
    Character* best = candidates[0];
    float bestScore = -1.0f;
    for (int32_t i = 0; i < count; ++i) {
        const float score = Score(candidates[i], registry);
        if (score > bestScore) {
            bestScore = score;
            best = candidates[i];
        }
    }
    return best;
}

Character* Decision::ChooseBestPlayer(const Team& team, const UtilityRegistry& registry) const
{
    std::vector<Character*> members;
    members.reserve(static_cast<size_t>(team.GetPlayerCount()));
    for (int32_t i = 0; i < team.GetPlayerCount(); ++i)
        members.push_back(team.GetPlayer(i));
    return ChooseBest(members.data(), team.GetPlayerCount(), registry);
}
