#pragma once

#include "framework/Factory.h"
#include "framework/Message.h"

#include <cstdint>

// An element of MainProgram's state stack. Game states are created by name through
// FactoryRegistry::GameStates() (REGISTER_FACTORY(GameStates, Class)).
class GameState : public MessageListener {
public:
    ~GameState() override = default;

    int OnMessage(int /*message*/, intptr_t /*param*/) override { return 0; }
    virtual bool Enter() { return true; }
    virtual bool Exit() { return true; }
    virtual void Update(float /*dt*/) {}
    virtual void Render() {}
    // A named event (window focus, editor commands); 0 when not handled.
    virtual int HandleEvent(const char* /*event*/, intptr_t /*a*/, intptr_t /*b*/) { return 0; }
    virtual bool GetFlag() const { return m_flag; }

protected:
    bool m_flag = false;
};
