#pragma once

#include "framework/Singleton.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class Collidable;

// Objects that are tested against each other and moved together in time-of-impact steps.
// The set does not own its members. Impacts and last-hit entries are visited in member
// order, so runs with the same start repeat exactly.
class CollisionSet {
public:
    // A query set is made outside the manager to ask about impacts: a pair never resolved
    // in it is eligible at once, where a managed set ignores its pairs until a frame has
    // passed.
    enum class Kind { Managed, Query };

    static constexpr float kInvalidTime = -3.4e38f;
    // How much set time must pass before a resolved pair counts again.
    static constexpr float kRehitTime = 0.1f;

    explicit CollisionSet(Kind kind = Kind::Query);
    ~CollisionSet();

    CollisionSet(const CollisionSet&) = delete;
    CollisionSet& operator=(const CollisionSet&) = delete;

    // Takes out an earlier entry of the object, then appends it. Pairs of two inactive
    // members are never tested. Forgets every pair's last hit.
    void Add(Collidable* collidable, bool active);
    // False (nothing changes) when the object is not a member; else forgets every last hit.
    // The last member's removal restarts the set's time.
    bool Remove(Collidable* collidable);
    bool Contains(const Collidable* collidable) const;
    // Back to the time of a new set that has run one frame, every last hit and found impact
    // forgotten: the members stay, and every pair counts at once. Impacts are found relative
    // to the set time, whose rounding grows with it.
    void Restart();
    int GetMemberCount() const { return static_cast<int>(m_members.size()); }
    Collidable* GetMember(int index) const;

    // The earliest eligible impact within limit seconds from now: true with its time.
    bool FindEarliestImpact(float limit, float& time);
    // Moves every member by dt, in member order.
    void Advance(float dt);
    // Tells each member what it hits, when the set stands exactly at its found impact.
    void Resolve();
    // Forgets the found impact here and in the linked sets, unless this is the origin. Each
    // set is reached once, even when the links form a loop.
    void Invalidate(const CollisionSet* origin);
    // The other set's found impact is forgotten with this one's; it must outlive this set.
    void Link(CollisionSet* other);

    float GetSetTime() const { return m_setTime; }
    void AddSetTime(float dt) { m_setTime += dt; }
    float GetNextImpactTime() const { return m_nextImpactTime; }
    // When the pair was last resolved, in set time (before any resolution: 0 in a managed
    // set, far in the past in a query set); kInvalidTime for a non-member.
    float GetLastHit(const Collidable* a, const Collidable* b) const;

private:
    struct Member {
        Collidable* collidable;
        bool active;
        std::vector<Collidable*> hits;  // at the next impact time
    };

    int IndexOf(const Collidable* collidable) const;
    void ForgetLastHits();
    float& LastHit(int a, int b) { return m_lastHit[static_cast<size_t>(a) * m_members.size() + b]; }
    void ClearHits();

    Kind m_kind;
    std::vector<Member> m_members;
    // A managed pair counts once this much time has passed since its last hit.
    static constexpr float kStartTime = 0.1f;
    float m_setTime = kStartTime;
    float m_nextImpactTime = kInvalidTime;
    // Member count squared, by member index: stable because membership changes forget it.
    std::vector<float> m_lastHit;
    std::vector<CollisionSet*> m_linked;
    bool m_invalidating = false;
};

// The named collision sets, advanced together through each frame to every impact in time
// order. "characters+ball", "ball+pitchvolumes" and "characters+pitchvolumes" are the sets
// the game uses.
class CollisionManager : public Singleton<CollisionManager> {
public:
    CollisionManager() = default;
    ~CollisionManager() override;

    // The set of that name, made empty on first use; stable until RemoveCollisionSet.
    CollisionSet* GetCollisionSet(const std::string& name);
    // Null when there is none; never makes one.
    CollisionSet* FindCollisionSet(const std::string& name) const;
    // Takes the set out: with keep the caller owns it from here, else it is destroyed and
    // null returned. Null when there is no set of the name.
    std::unique_ptr<CollisionSet> RemoveCollisionSet(const std::string& name, bool keep = false);

    // Steps every set to each impact in turn, resolving the set whose impact is earliest (on
    // a tie the last by name), until dt has passed. Then every set's time grows by 0.1.
    void Update(float dt);

    int GetSetCount() const { return static_cast<int>(m_sets.size()); }
    // Restarts every set, so that what happens next does not depend on how long they ran.
    void RestartSets();

private:
    std::map<std::string, std::unique_ptr<CollisionSet>> m_sets;
};
