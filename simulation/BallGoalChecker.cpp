#include "simulation/BallGoalChecker.h"

#include "framework/Cast.h"
#include "framework/Debug.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"
#include "simulation/PitchVolume.h"
#include "simulation/Shape.h"

#include <algorithm>
#include <limits>
#include <memory>

BallGoalChecker::BallGoalChecker() : SimpleCollidable(std::make_unique<Sphere>()) {}

Collidable* BallGoalChecker::FindGroundPlane()
{
    const Cast* objects = CastManager::Instance()->GetCast("objects");
    const CastMember* member = objects ? objects->FindByName("GroundPlane") : nullptr;
    return member ? dynamic_cast<PitchVolume*>(member->object) : nullptr;
}

bool BallGoalChecker::PredictPath(const Ball& ball, Collidable* other, Vector3& position, float& time,
                                  const Vector3& startVelocity)
{
    auto& sphere = static_cast<Sphere&>(*GetShape());
    sphere.radius = std::max(ball.GetRadius(), 0.0f);
    SetPosition(ball.GetPosition());
    SetVelocity(ball.GetVelocity());
    m_physicsVelocity = startVelocity;
    m_rolling = ball.IsRolling();
    m_stopped = false;

    // A query set sees every pair from the start; a fresh managed one would be blind for
    // its first 0.1 s.
    CollisionSet set(CollisionSet::Kind::Query);
    set.Add(this, true);
    set.Add(other, true);
    set.Add(FindGroundPlane(), true);
    // Steps are counted, not summed, so that a full prediction ends at exactly five seconds.
    int steps = 0;
    float elapsed = 0.0f;
    while (steps < kMaxSteps && !m_stopped) {
        m_stepStart = m_physicsVelocity;
        Ball::Integrate(m_physicsVelocity, m_rolling, kStep);
        m_stepGain = m_physicsVelocity - m_stepStart;
        // The mean of the step's two velocities is the ball's own flight under constant gravity
        // and drag; the end velocity alone dropped the copy g x 0.05 s x t below the ball, and
        // the keeper dived under shots that came at his chest.
        SetVelocity(m_stepStart + m_stepGain * 0.5f);
        float remaining = kStep;
        m_stepLeft = 1.0f;
        for (float u = 0.0f; !m_stopped && set.FindEarliestImpact(remaining, u);) {
            set.Advance(u);
            remaining -= u;
            m_stepLeft = remaining / kStep;
            set.Resolve();
        }
        // Stopped, the copy stays where it met the plane or area: the keeper is told that place
        // and that instant, not where the ball is up to a step later.
        if (m_stopped) {
            elapsed += kStep - remaining;
        } else {
            set.Advance(remaining);
            elapsed = static_cast<float>(steps + 1) * kStep;
        }
        set.AddSetTime(kStep);
        ++steps;
    }
    position = GetPosition();
    time = elapsed;
    return m_stopped;
}

void BallGoalChecker::Bounce(const Collidable& hit, bool allowRolling)
{
    const Shape* shape = hit.GetShape();
    if (!shape || shape->GetType() != Shape::kPlane)
        return;
    // The bounce takes the velocity the ball has at the impact, not at the step's end: over a
    // whole step gravity alone would make a rolling ball hop.
    Vector3 velocity = m_stepStart + m_stepGain * (1.0f - m_stepLeft);
    // A copy that starts its step on the grass meets it with no downward speed yet; the live
    // ball, a frame of gravity later, rolls.
    if (allowRolling && velocity.y <= 0.0f)
        velocity.y = std::min(velocity.y, -std::numeric_limits<float>::min());
    Ball::BounceOffPlane(velocity, m_rolling, static_cast<const Plane&>(*shape).normal, allowRolling);
    // The grass holds a rolling ball up for the rest of the step.
    if (m_rolling)
        m_stepGain.y = 0.0f;
    m_stepStart = velocity - m_stepGain * (1.0f - m_stepLeft);
    m_physicsVelocity = m_stepStart + m_stepGain;
    // The copy flies on as bounced, as the ball does, at the mean velocity of the step's rest.
    SetVelocity(velocity + m_stepGain * (0.5f * m_stepLeft));
}

void BallGoalChecker::OnCollision(const std::vector<Collidable*>& hits)
{
    if (hits.empty() || !hits.front())
        return;
    const Collidable& hit = *hits.front();
    const std::string& name = hit.GetCollisionName();
    if (name == "ground") {
        Bounce(hit, true);
        Vector3 resting = GetPosition();
        resting.y = static_cast<const Sphere&>(*GetShape()).radius;
        SetPosition(resting);
    } else if (name == "collideplane") {
        Bounce(hit, false);
    } else if (name == "keeperplane" || name == "leftgoalscorearea" || name == "rightgoalscorearea") {
        m_stopped = true;
    } else {
        DebugTrace(" ball collided with: %s\n", name.c_str());
    }
}
