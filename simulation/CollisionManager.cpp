#include "simulation/CollisionManager.h"

#include "simulation/Collidable.h"

#include <algorithm>
#include <cfloat>
#include <utility>

CollisionSet::CollisionSet(Kind kind) : m_kind(kind) {}

CollisionSet::~CollisionSet() = default;

int CollisionSet::IndexOf(const Collidable* collidable) const
{
    for (size_t i = 0; i < m_members.size(); ++i)
        if (m_members[i].collidable == collidable)
            return static_cast<int>(i);
    return -1;
}

Collidable* CollisionSet::GetMember(int index) const
{
    return index >= 0 && index < GetMemberCount() ? m_members[static_cast<size_t>(index)].collidable : nullptr;
}

bool CollisionSet::Contains(const Collidable* collidable) const
{
    return IndexOf(collidable) >= 0;
}

void CollisionSet::ForgetLastHits()
{
    m_nextImpactTime = kInvalidTime;
    const float never = m_kind == Kind::Managed ? 0.0f : -FLT_MAX;
    m_lastHit.assign(m_members.size() * m_members.size(), never);
}

void CollisionSet::Add(Collidable* collidable, bool active)
{
    if (!collidable)
        return;
    const int index = IndexOf(collidable);
    if (index >= 0)
        m_members.erase(m_members.begin() + index);
    m_members.push_back({collidable, active, {}});
    ForgetLastHits();
}

bool CollisionSet::Remove(Collidable* collidable)
{
    const int index = IndexOf(collidable);
    if (index < 0)
        return false;
    m_members.erase(m_members.begin() + index);
    ForgetLastHits();
    // An emptied set starts again where a new one would: the sets outlive a match, and a
    // time carried into the next would round its impacts otherwise.
    if (m_members.empty())
        m_setTime = kStartTime;
    return true;
}

void CollisionSet::Restart()
{
    ClearHits();
    ForgetLastHits();
    // A frame past a new set's start: the members it keeps may meet at once.
    m_setTime = kStartTime + kRehitTime;
}

float CollisionSet::GetLastHit(const Collidable* a, const Collidable* b) const
{
    const int i = IndexOf(a), j = IndexOf(b);
    if (i < 0 || j < 0)
        return kInvalidTime;
    return m_lastHit[static_cast<size_t>(i) * m_members.size() + j];
}

void CollisionSet::ClearHits()
{
    for (Member& member : m_members)
        member.hits.clear();
}

bool CollisionSet::FindEarliestImpact(float limit, float& time)
{
    if (m_nextImpactTime >= m_setTime) {
        time = m_nextImpactTime - m_setTime;
        return true;
    }
    float best = limit + 1.0f;
    ClearHits();
    const int count = GetMemberCount();
    for (int a = 0; a < count; ++a)
        for (int b = a + 1; b < count; ++b) {
            Member& first = m_members[a];
            Member& second = m_members[b];
            float u = 0.0f;
            // A pair that met within the rehit time is not tested: its impact would not count.
            if ((!first.active && !second.active) || !(LastHit(a, b) < m_setTime - kRehitTime) ||
                !first.collidable->FindImpact(*second.collidable, limit, u))
                continue;
            if (u < best) {
                ClearHits();
                best = u;
            }
            if (u <= best) {
                first.hits.push_back(second.collidable);
                second.hits.push_back(first.collidable);
            }
        }
    if (best > limit)
        return false;
    m_nextImpactTime = best + m_setTime;
    time = best;
    return true;
}

void CollisionSet::Advance(float dt)
{
    m_setTime += dt;
    for (const Member& member : m_members)
        member.collidable->Move(dt);
}

void CollisionSet::Resolve()
{
    if (m_nextImpactTime != m_setTime)
        return;
    // Recorded before any reaction runs: a reaction may add or remove members.
    for (size_t a = 0; a < m_members.size(); ++a)
        for (Collidable* hit : m_members[a].hits)
            LastHit(static_cast<int>(a), IndexOf(hit)) = m_setTime;
    std::vector<std::vector<Collidable*>> impacts;
    std::vector<Collidable*> hitters;
    for (Member& member : m_members)
        if (!member.hits.empty()) {
            hitters.push_back(member.collidable);
            impacts.push_back(std::exchange(member.hits, {}));
        }
    for (size_t i = 0; i < hitters.size(); ++i)
        hitters[i]->OnCollision(impacts[i]);
    for (CollisionSet* linked : m_linked)
        linked->Invalidate(this);
    m_nextImpactTime = kInvalidTime;
}

void CollisionSet::Invalidate(const CollisionSet* origin)
{
    // The flag stops an invalidation that comes round a loop of links.
    if (origin == this || m_invalidating)
        return;
    m_nextImpactTime = kInvalidTime;
    m_invalidating = true;
    for (CollisionSet* linked : m_linked)
        linked->Invalidate(origin);
    m_invalidating = false;
}

void CollisionSet::Link(CollisionSet* other)
{
    if (other && other != this)
        m_linked.push_back(other);
}

CollisionManager::~CollisionManager() = default;

CollisionSet* CollisionManager::GetCollisionSet(const std::string& name)
{
    std::unique_ptr<CollisionSet>& set = m_sets[name];
    if (!set)
        set = std::make_unique<CollisionSet>(CollisionSet::Kind::Managed);
    return set.get();
}

CollisionSet* CollisionManager::FindCollisionSet(const std::string& name) const
{
    const auto it = m_sets.find(name);
    return it == m_sets.end() ? nullptr : it->second.get();
}

std::unique_ptr<CollisionSet> CollisionManager::RemoveCollisionSet(const std::string& name, bool keep)
{
    const auto it = m_sets.find(name);
    if (it == m_sets.end())
        return nullptr;
    std::unique_ptr<CollisionSet> set = std::move(it->second);
    m_sets.erase(it);
    if (!keep)
        set.reset();
    return set;
}

void CollisionManager::RestartSets()
{
    for (auto& [name, set] : m_sets)
        set->Restart();
}

void CollisionManager::Update(float dt)
{
    for (float remaining = dt; remaining > 0.0f;) {
        float best = remaining;
        CollisionSet* bestSet = nullptr;
        for (auto& [name, set] : m_sets) {
            float t = 0.0f;
            if (set->FindEarliestImpact(remaining, t) && t <= best) {
                best = t;
                bestSet = set.get();
            }
        }
        for (auto& [name, set] : m_sets)
            set->Advance(best);
        if (bestSet)
            bestSet->Resolve();
        for (auto& [name, set] : m_sets)
            set->Invalidate(nullptr);
        remaining -= best;
    }
    for (auto& [name, set] : m_sets)
        set->AddSetTime(CollisionSet::kRehitTime);
}
