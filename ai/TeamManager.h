#pragma once

#include "framework/Vector.h"
#include "settings/PitchCoordinates.h"

#include <array>
#include <cstdint>
#include <string>

class CarriedBall;
class Character;
class MatchClock;
class SoccerTeam;
class TeamStrategy;
class UtilityRegistry;

// Steers one side during a match: picks its strategy by the score, keeps the side's
// aggression roll and each frame writes an order into every field player's brain.
class TeamManager {
public:
    TeamManager() = default;
    virtual ~TeamManager() = default;

    TeamManager(const TeamManager&) = delete;
    TeamManager& operator=(const TeamManager&) = delete;

    // Borrowed; the team must outlive the manager.
    void SetTeam(SoccerTeam* team) { m_team = team; }
    SoccerTeam* GetTeam() const { return m_team; }
    // The other side and the match's measures, both borrowed and outliving the manager; the
    // order step needs both and does nothing without them.
    void SetMatch(SoccerTeam* opponents, UtilityRegistry* registry)
    {
        m_opponents = opponents;
        m_registry = registry;
    }
    // goalDifference: own goals minus the other side's. The clock is not read. Re-chooses the
    // strategy only when the score state maps to another one, then runs the order step.
    virtual void Update(float dt, const MatchClock& clock, int32_t goalDifference);
    // One of three preset strategy rows for level, ahead and behind, at random.
    void ChooseTactics();
    // The strategy of that name from the cast "Teams"; none when it is not there.
    void SetStrategy(const std::string& name);

    // The per-frame order step: one order into the brain of each of the first "NumActors"
    // members. Nothing without a team, the measures or a ball on the pitch.
    void DecideOrders(float dt);

    // Empty until the first update chose one.
    const std::string& GetStrategyName() const { return m_strategyName; }
    // Null until the first update, or when the chosen name is not in the cast.
    const TeamStrategy* GetStrategy() const { return m_strategy; }
    bool IsAggressive() const { return m_aggressive; }
    float GetAggressionTimer() const { return m_aggressionTimer; }

private:
    enum ScoreState { kLevel, kAhead, kBehind, kScoreStates };

    void UpdateAggression(float dt);
    // The world point of the member's slot for the ball; on the touchline when asked.
    Vector3 TacticalPoint(const Character& player, const PitchPosition& ball, bool touchline) const;
    void GiveTacticalOrders(int32_t count, const PitchPosition& ball, bool touchline);
    bool MaySpecialMove(const Character& holder, const PitchPosition& ball, float dt) const;
    void OrderHolder(Character& holder, const PitchPosition& ball, float dt);
    void OrderDefender(Character& opposingHolder);
    // The member sent at the holder: the one sent before while the same holder stands on the
    // ball and no team-mate of the decision's choice is nearer him, else that choice.
    Character* ChooseDefender(Character& opposingHolder);
    bool KeepsPressing(Character& opposingHolder, const Character* chosen) const;
    void OrderHeaders(int32_t count);
    // Notes, on the first frame after the side's holder let the ball go, the man he was
    // ordered to pass to; a holder who did anything else leaves no receiver.
    void FollowPass();
    // The man the side's pass is on its way to: only the passer has touched it since, and it
    // still comes towards him.
    Character* PassComingTo(const CarriedBall& ball) const;
    void MeetPass(Character& receiver, const CarriedBall& ball);
    // No strategy chosen yet: no score state maps to it.
    static constexpr int32_t kNoStrategy = 4;

    SoccerTeam* m_team = nullptr;
    TeamStrategy* m_strategy = nullptr;
    bool m_aggressive = false;
    float m_aggressionTimer = 0.0f;
    SoccerTeam* m_opponents = nullptr;
    UtilityRegistry* m_registry = nullptr;
    // Who was last sent at which opposing holder. Borrowed: the holder is only compared, and
    // the presser is used only while he is still a member, so one who has left is never ordered.
    Character* m_presser = nullptr;
    const Character* m_pressed = nullptr;
    // The side's last holder, and the pass he made: borrowed and compared like the above.
    Character* m_lastHolder = nullptr;
    const Character* m_passer = nullptr;
    Character* m_receiver = nullptr;
    std::array<std::string, kScoreStates> m_strategyNames{"Classic-Normal", "Classic-Defend", "Classic-Attack"};
    std::array<int32_t, kScoreStates> m_scoreStates{0, 1, 2};
    int32_t m_current = kNoStrategy;
    int32_t m_threshold = 0;
    std::string m_strategyName;
};
