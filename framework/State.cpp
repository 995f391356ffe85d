#include "framework/State.h"

#include "framework/Debug.h"

bool StateSlot::Update(State** slot, float dt)
{
    if (!slot || !*slot)
        return false;
    State* held = *slot;
    State* next = held->Update(dt);
    if (next == held)
        return false;
    held->Exit();
    delete held;
    *slot = next;
    if (next)
        next->Enter();
    return true;
}

void StateSlot::Set(State** slot, State* next, bool enter)
{
    if (!slot) {
        LogError("StateSlot::Set: no slot\n");
        return;
    }
    State* held = *slot;
    // Setting the held state again must not delete it under its own feet.
    if (held && held != next) {
        held->Exit();
        delete held;
    }
    *slot = next;
    if (next && enter)
        next->Enter();
}

IteratingState::IteratingState(State* first, State* next)
    : m_current(first), m_next(next)
{
}

IteratingState::~IteratingState()
{
    delete m_current;
    delete m_next;
}

void IteratingState::Enter()
{
    m_entered = true;
    if (m_current)
        m_current->Enter();
}

void IteratingState::Exit()
{
    if (m_current) {
        if (m_entered)
            m_current->Exit();
        delete m_current;
        m_current = nullptr;
    }
    m_entered = false;
}

State* IteratingState::Update(float dt)
{
    StateSlot::Update(&m_current, dt);
    if (m_current)
        return this;
    State* next = m_next;
    m_next = nullptr;  // now the holder's
    return next;
}

void IteratingState::Render()
{
    if (m_current)
        m_current->Render();
}

bool IteratingState::WaitsForOwner() const
{
    return m_current && m_current->WaitsForOwner();
}

ParallelState::~ParallelState()
{
    for (Sub& sub : m_subs)
        Drop(sub, false);
}

void ParallelState::AddState(State* state, bool owned)
{
    if (!state) {
        LogError("ParallelState::AddState: no state\n");
        return;
    }
    m_subs.push_back({state, owned});
    // Not expected, but a late sub-state must not run without having been entered.
    if (m_entered)
        state->Enter();
}

void ParallelState::Drop(Sub& sub, bool exit)
{
    if (!sub.state)
        return;
    if (exit)
        sub.state->Exit();
    if (sub.owned)
        delete sub.state;
    sub.state = nullptr;
}

void ParallelState::Enter()
{
    m_entered = true;
    for (size_t i = 0; i < m_subs.size(); ++i)
        if (m_subs[i].state)
            m_subs[i].state->Enter();
}

void ParallelState::Exit()
{
    for (Sub& sub : m_subs)
        Drop(sub, m_entered);
    m_entered = false;
}

State* ParallelState::Update(float dt)
{
    // Index, not iterator: a sub-state may add to this state while it runs.
    for (size_t i = 0; i < m_subs.size(); ++i) {
        State* held = m_subs[i].state;
        if (!held)
            continue;
        State* next = held->Update(dt);
        if (next == held)
            continue;
        Drop(m_subs[i], true);
        m_subs[i] = {next, true};
        if (next)
            next->Enter();
    }

    for (const Sub& sub : m_subs)
        if (sub.state && !sub.state->WaitsForOwner())
            return this;
    return nullptr;
}

void ParallelState::Render()
{
    for (size_t i = 0; i < m_subs.size(); ++i)
        if (m_subs[i].state)
            m_subs[i].state->Render();
}

SubStateHolder::~SubStateHolder()
{
    Hold(nullptr);
}

void SubStateHolder::Render()
{
    if (m_held)
        m_held->Render();
}
