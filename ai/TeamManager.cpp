#include "ai/TeamManager.h"

#include "ai/TeamStrategy.h"
#include "framework/Random.h"

#include <algorithm>
#include <iterator>

namespace {

// The strategy indices for level, ahead and behind of each preset row.
constexpr int32_t kTacticRows[][3] = {{0, 1, 2}, {1, 1, 0}, {2, 0, 2}};

} // namespace

void TeamManager::Update(float dt, const MatchClock&, int32_t goalDifference)
{
    const ScoreState state = goalDifference == m_threshold ? kLevel : goalDifference > m_threshold ? kAhead : kBehind;
    const int32_t index = m_scoreStates[state];
    if (index != m_current) {
        m_current = index;
        SetStrategy(m_strategyNames[static_cast<size_t>(index)]);
    }
    DecideOrders(dt);
}

void TeamManager::SetStrategy(const std::string& name)
{
    m_strategyName = name;
    m_strategy = TeamStrategy::Find(name.c_str());
}

void TeamManager::ChooseTactics()
{
    const auto& row = kTacticRows[Random::Below(static_cast<int>(std::size(kTacticRows)))];
    std::copy(std::begin(row), std::end(row), m_scoreStates.begin());
}
