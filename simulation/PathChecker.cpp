#include "simulation/PathChecker.h"

#include "framework/Quaternion.h"
#include "simulation/Collidable.h"
#include "simulation/CollisionManager.h"

#include <algorithm>
#include <deque>
#include <numbers>

namespace {

// Turns of pi/16 tried either way, up to pi/2.
constexpr int kTurnSteps = 8;
constexpr float kTurn = std::numbers::pi_v<float> / 16.0f;

// Still copies of the mover and the obstacles, sharing their shapes, in a query set of
// their own: a query set sees every pair at once, where a fresh managed set would see none.
class PathProbe {
public:
    PathProbe(const Collidable& mover, const std::vector<Collidable*>& obstacles) : m_set(CollisionSet::Kind::Query)
    {
        m_mover = &Copy(mover);
        m_set.Add(m_mover, true);
        for (const Collidable* obstacle : obstacles)
            if (obstacle && obstacle != &mover)
                m_set.Add(&Copy(*obstacle), false);
    }

    bool IsClear(const Vector3& motion)
    {
        m_mover->SetVelocity(motion);
        // The impact found for the last motion no longer holds.
        m_set.Invalidate(nullptr);
        float time = 0.0f;
        return !m_set.FindEarliestImpact(1.0f, time);
    }

private:
    SimpleCollidable& Copy(const Collidable& original)
    {
        SimpleCollidable& copy = m_copies.emplace_back(original.GetShape());
        copy.SetPosition(original.GetPosition());
        return copy;
    }

    // A deque keeps the copies in place as more are made.
    std::deque<SimpleCollidable> m_copies;
    SimpleCollidable* m_mover = nullptr;
    CollisionSet m_set;
};

Vector3 Normalized(Vector3 v)
{
    v.Normalize();
    return v;
}

}  // namespace

PathChecker& PathChecker::Shared()
{
    static PathChecker shared;
    return shared;
}

void PathChecker::AddObstacle(Collidable* obstacle)
{
    m_obstacles.push_back(obstacle);
}

void PathChecker::RemoveObstacle(const Collidable* obstacle)
{
    const auto it = std::find(m_obstacles.begin(), m_obstacles.end(), obstacle);
    if (it != m_obstacles.end())
        m_obstacles.erase(it);
}

bool PathChecker::IsPathClear(const Vector3& motion) const
{
    s_queries.fetch_add(1, std::memory_order_relaxed);
    return m_mover && PathProbe(*m_mover, m_obstacles).IsClear(motion);
}

Vector3 PathChecker::FindClearDirection(const Vector3& target) const
{
    s_queries.fetch_add(1, std::memory_order_relaxed);
    if (!m_mover)
        return Normalized(target);
    const Vector3 straight = target - m_mover->GetPosition();
    // One probe serves every direction tried: only the mover's motion changes.
    PathProbe probe(*m_mover, m_obstacles);
    if (probe.IsClear(straight))
        return Normalized(straight);
    for (int k = 1; k <= kTurnSteps; ++k)
        for (const float angle : {k * kTurn, -k * kTurn}) {
            const Vector3 turned = Quaternion(angle, Vector3::UnitY).Rotate(straight);
            if (probe.IsClear(turned))
                return Normalized(turned);
        }
    return Normalized(straight);
}
