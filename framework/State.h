#pragma once

#include "framework/Object.h"

#include <vector>

// A unit of game flow. Its holder calls Enter once, Update every frame, and, when Update
// hands back another state (or null, meaning finished), Exit and delete.
class State : public Object {
public:
    virtual void Enter() {}
    virtual void Exit() {}
    // Returns this to stay, another state to be replaced by it, or null when finished.
    virtual State* Update(float dt) = 0;
    virtual void Render() {}
    // True for a state that never finishes by itself (a player held off the pitch until
    // the show around him ends); a ParallelState does not wait for such sub-states.
    virtual bool WaitsForOwner() const { return false; }
};

// Operations on a held State* (a member of the holder).
class StateSlot {
public:
    // False for an empty slot. Otherwise updates the held state; when the result differs
    // from it (null included) the old one is exited and deleted and the result stored
    // and entered. True exactly when the held state was replaced.
    static bool Update(State** slot, float dt);
    // Exits and deletes the held state, stores the new one and enters it when asked.
    static void Set(State** slot, State* next, bool enter);
};

// Runs first (and whatever it hands over to) until that chain finishes, then hands over
// to next. Owns both until it has handed next out.
class IteratingState : public State {
public:
    IteratingState(State* first, State* next);
    ~IteratingState() override;

    void Enter() override;
    // Ending the chain early ends its current state too.
    void Exit() override;
    State* Update(float dt) override;
    void Render() override;
    // The chain cannot reach its end while its current state waits for an owner.
    bool WaitsForOwner() const override;

private:
    State* m_current;
    State* m_next;
    bool m_entered = false;
};

// A state that runs one sub-state at a time in its slot and draws it. Deleting it exits and
// deletes the sub-state it still holds.
class SubStateHolder : public State {
public:
    SubStateHolder() = default;
    ~SubStateHolder() override;
    SubStateHolder(const SubStateHolder&) = delete;
    SubStateHolder& operator=(const SubStateHolder&) = delete;

    void Render() override;

    // Null when none is held. Owned; valid until the next Update.
    State* GetHeld() const { return m_held; }

protected:
    // Exits and deletes the held state, then holds and enters the new one (null: none).
    void Hold(State* state) { StateSlot::Set(&m_held, state, state != nullptr); }

    State* m_held = nullptr;
};

// Runs its sub-states side by side, each in its own slot: a sub-state that finishes is
// exited (and deleted when owned), one that hands over is replaced by its successor.
// It finishes once no remaining sub-state can finish by itself, that is when every one
// left waits for its owner; those are exited and deleted along with it.
class ParallelState : public State {
public:
    ParallelState() = default;
    ~ParallelState() override;

    // Called before Enter. Successors that a sub-state hands over to are always owned.
    void AddState(State* state, bool owned = true);

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;
    void Render() override;

private:
    struct Sub {
        State* state;
        bool owned;
    };
    void Drop(Sub& sub, bool exit);

    std::vector<Sub> m_subs;
    bool m_entered = false;
};
