#pragma once

#include "framework/Vector.h"

#include <atomic>
#include <cstdint>
#include <vector>

class Collidable;

// Tells whether a character can move in a straight line without touching any of a list of
// obstacles, and turns the direction until a free one is found. It asks its own private
// collision set, never the live ones, so nothing on the pitch moves or reacts.
class PathChecker {
public:
    // The process-wide checker that characters join as obstacles; characters also keep
    // their own.
    static PathChecker& Shared();

    // Borrowed, like the obstacles: each must stay alive while it is listed (null allowed).
    void SetMover(Collidable* mover) { m_mover = mover; }
    Collidable* GetMover() const { return m_mover; }
    void AddObstacle(Collidable* obstacle);
    // Removes the first entry of the object; nothing when it is not listed.
    void RemoveObstacle(const Collidable* obstacle);
    int GetObstacleCount() const { return static_cast<int>(m_obstacles.size()); }

    // Whether the mover, standing where it is, can travel the motion without touching any
    // obstacle where it stands now. False without a mover.
    bool IsPathClear(const Vector3& motion) const;
    // The unit direction towards the target, turned about world up by the least multiple of
    // pi/16 up to pi/2 (the positive turn first) that is clear; straight when none is, or
    // when there is no mover (then measured from the origin).
    Vector3 FindClearDirection(const Vector3& target) const;

    // IsPathClear and FindClearDirection calls on every checker since start-up, for the
    // AI's benchmark.
    static uint64_t GetQueryCount() { return s_queries.load(std::memory_order_relaxed); }

private:
    static inline std::atomic<uint64_t> s_queries{0};

    Collidable* m_mover = nullptr;
    std::vector<Collidable*> m_obstacles;
};
