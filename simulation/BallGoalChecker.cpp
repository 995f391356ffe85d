#include "simulation/BallGoalChecker.h"

#include "framework/Cast.h"
#include "framework/Debug.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"
#include "simulation/PitchVolume.h"
#include "simulation/Shape.h"

#include <algorithm>
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
    m_rolling = false;
    m_stopped = false;

    // A query set sees every pair from the start; a fresh managed one would be blind for
    // its first 0.1 s.
    CollisionSet set(CollisionSet::Kind::Query);
    set.Add(this, true);
    set.Add(other, true);
    set.Add(FindGroundPlane(), true);
    // Steps are counted, not summed, so that a full prediction ends at exactly five seconds.
    int steps = 0;
    while (steps < kMaxSteps && !m_stopped) {
        Ball::Integrate(m_physicsVelocity, m_rolling, kStep);
        SetVelocity(m_physicsVelocity);
        float remaining = kStep;
        for (float u = 0.0f; set.FindEarliestImpact(remaining, u);) {
            set.Advance(u);
            remaining -= u;
            set.Resolve();
        }
        // To the step's end even when stopped: the place and the time told are of one instant.
        set.Advance(remaining);
        set.AddSetTime(kStep);
        ++steps;
    }
    position = GetPosition();
    time = static_cast<float>(steps) * kStep;
    return m_stopped;
}

void BallGoalChecker::Bounce(const Collidable& hit, bool allowRolling)
{
    const Shape* shape = hit.GetShape();
    if (!shape || shape->GetType() != Shape::kPlane)
        return;
    Ball::BounceOffPlane(m_physicsVelocity, m_rolling, static_cast<const Plane&>(*shape).normal, allowRolling);
    // The copy flies on as bounced, as the ball does.
    SetVelocity(m_physicsVelocity);
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
