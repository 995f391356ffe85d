#pragma once

#include <array>
#include <cstdint>
#include <string>

class MatchClock;
class SoccerTeam;

// Steers one side during a match: picks its strategy by the score. The order step that
// turns the strategy into orders for the players is still idle.
class TeamManager {
public:
    TeamManager() = default;
    virtual ~TeamManager() = default;

    TeamManager(const TeamManager&) = delete;
    TeamManager& operator=(const TeamManager&) = delete;

    // Borrowed; the team must outlive the manager.
    void SetTeam(SoccerTeam* team) { m_team = team; }
    SoccerTeam* GetTeam() const { return m_team; }
    // goalDifference: own goals minus the other side's. The clock is not read.
    virtual void Update(float dt, const MatchClock& clock, int32_t goalDifference);
    // One of three preset strategy rows for level, ahead and behind, at random.
    void ChooseTactics();

    // Empty until the first update chose one.
    const std::string& GetStrategyName() const { return m_strategyName; }

private:
    enum ScoreState { kLevel, kAhead, kBehind, kScoreStates };
    // No strategy chosen yet: no score state maps to it.
    static constexpr int32_t kNoStrategy = 4;

    SoccerTeam* m_team = nullptr;
    std::array<std::string, kScoreStates> m_strategyNames{"Classic-Normal", "Classic-Defend", "Classic-Attack"};
    std::array<int32_t, kScoreStates> m_scoreStates{0, 1, 2};
    int32_t m_current = kNoStrategy;
    int32_t m_threshold = 0;
    std::string m_strategyName;
};
