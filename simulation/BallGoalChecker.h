#pragma once

#include "framework/Vector.h"
#include "simulation/Collidable.h"

#include <vector>

class Ball;

// Flies a private copy of the ball forward for up to five seconds, bouncing it off the ground
// and the collision planes, to tell where it is when it reaches a goal area or the keeper's
// plane. The live ball and the collision manager's sets are left alone.
class BallGoalChecker : public SimpleCollidable {
public:
    static constexpr float kStep = 0.1f;
    static constexpr int kMaxSteps = 50;

    BallGoalChecker();

    // Starts from the ball's place with the given velocity and steps 0.1 s at a time until
    // the copy meets a goal area or the keeper plane (true) or five seconds have passed
    // (false). The other collidable (the keeper's plane; null allowed) must stay alive for
    // the call. The time is the instant the copy met the area or plane (or five seconds), and
    // the position is where the copy was then.
    bool PredictPath(const Ball& ball, Collidable* other, Vector3& position, float& time,
                     const Vector3& startVelocity);

    // The level's ground: the member "GroundPlane" of the cast "objects", or null.
    static Collidable* FindGroundPlane();

    // Only the first hit counts: the ground and "collideplane" bounce the copy, a goal area
    // or the keeper plane stops it.
    void OnCollision(const std::vector<Collidable*>& hits) override;

    bool IsStopped() const { return m_stopped; }
    const Vector3& GetPhysicsVelocity() const { return m_physicsVelocity; }

private:
    void Bounce(const Collidable& hit, bool allowRolling);

    Vector3 m_physicsVelocity;
    // The velocity at the step's start and what gravity and drag add over a whole step, so
    // that a bounce within the step sees the velocity at its instant; the share of the step
    // still to go.
    Vector3 m_stepStart;
    Vector3 m_stepGain;
    float m_stepLeft = 1.0f;
    bool m_rolling = false;
    bool m_stopped = false;
};
