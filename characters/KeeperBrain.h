#pragma once

#include "characters/CharacterBrain.h"
#include "characters/Statistic.h"
#include "framework/Vector.h"

#include <array>
#include <cstdint>
#include <string>

class CylindricalPitchVolume;
class PitchVolume;

// The goalkeeper's brain: guards the goal mouth from the rim of a cylinder in front of his
// goal, comes out for a close attacker or a loose ball in his area, and picks one of nine
// saves from where a free ball will cross the plane in front of him. With the ball in his
// hands, or an order of code 0, he plays as a field player.
class KeeperBrain : public CharacterBrain {
public:
    // One cell of the save grid: the save and, once evaluated, where and when it meets the ball.
    struct SaveChoice {
        std::string action;
        int32_t code = 0;
        Vector3 point;
        float time = 0.0f;
    };

    // Where the keeper stands guard: the point on the cylinder's rim, the heading of that
    // point from the cylinder's centre, and whether the guard angle limited it.
    struct GuardPoint {
        Vector3 position;
        float heading = 0.0f;
        bool clamped = false;
    };

    // The skill is the variation's average statistic; the first misjudgement is drawn now.
    KeeperBrain(Actor* actor, Character* character, CharacterRace* race);

    void ProcessInput(ActorCommand& command) override;
    void Think(ActorCommand& command) override;

    // The grid cell of a crossing point on the keeper plane (x to the keeper's left, y up),
    // 0 to 8, bottom row first.
    int SaveCell(float x, float y) const;
    // The cell's save with its contact point and time filled from the race's action.
    const SaveChoice& ChooseSave(const Vector3& crossing, float time);
    // True when the free ball's path meets the plane in front of the keeper within
    // "Keeper max save dist" to either side; the time until then and the crossing point,
    // relative to the keeper in the plane's frame.
    bool PredictCrossing(float& time, Vector3& point) const;
    // False, leaving the guard point alone, when the level has no guard cylinder or goal posts.
    bool Guard(GuardPoint& guard) const;
    bool IsBallInCloseTrigger() const;
    void DrawDebug() const;

    float GetSkill() const { return m_skill.level; }
    // The level the misjudgement is drawn from from now on, as an editor or a test sets it.
    void SetSkill(float level) { m_skill.level = level; }
    // A fresh misjudgement for the next save, from the match's random sequence.
    void DrawMisjudgement();
    // How much earlier than its contact time the next save starts, in seconds.
    float GetMisjudgement() const { return m_misjudgement; }
    // The side's forward axis: out of its goal towards the pitch.
    Vector3 ForwardAxis() const;

private:
    // The team's order carried out as a field player would, off the guard circle.
    void FollowOrder(ActorCommand& command);
    // Whether a loose ball will cross the keeper plane, with PredictCrossing's time and point.
    bool SightCrossing(float& time, Vector3& crossing) const;
    void SaveStep(const Vector3& crossing, float time, ActorCommand& command);
    // A save not yet due: a side-step towards a crossing beyond the save's reach, else nothing.
    void StepTowardsCrossing(const Vector3& crossing, const SaveChoice& save, ActorCommand& command);
    // Whether the ball rolls along the grass on a line that enters his goal between the posts.
    bool RollsIntoGoal() const;
    void GuardStep(ActorCommand& command);
    bool OnFirstSide() const;
    // "Left" or "Right": the keeper's own end.
    const char* End() const;
    CylindricalPitchVolume* FindGuardCylinder() const;
    bool GoalPosts(Vector3& left, Vector3& right) const;

    CharacterRace* m_keeperRace;
    Statistic m_skill;
    float m_misjudgement = 0.0f;
    Vector3 m_debugPoint;
    std::array<SaveChoice, 9> m_saves;
};
