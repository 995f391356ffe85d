#pragma once

#include "framework/Message.h"
#include "scene/RenderObject.h"

#include <cstdint>

class Cast;

// What a level designer places in a level's casts. flags are the designed state, statusFlags
// the state during play; "activate group" switches a whole numbered group on. Elements
// listen from construction to destruction.
class GameElement : public RenderObject, public MessageListener {
public:
    enum Flag : uint32_t { kEnabled = 1, kVisible = 2 };

    GameElement();
    ~GameElement() override;

    // Section "GameElement"; reading resets the running state.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // The designed state becomes the running one (a new game).
    virtual void ResetStatus();
    // Whether the element is ready to draw or update.
    virtual bool Prepare(float) { return true; }
    // The running state only: section "GameElement" with "statusFlags".
    virtual void SerializeStatus(Serializer& serializer, const char* descriptor);

    int OnMessage(int message, intptr_t param) override;

    uint32_t GetFlags() const { return m_flags; }
    void SetFlags(uint32_t flags) { m_flags = flags; }
    uint32_t GetStatusFlags() const { return m_statusFlags; }
    void SetStatusFlags(uint32_t flags) { m_statusFlags = flags; }
    int32_t GetGroup() const { return m_group; }
    void SetGroup(int32_t group) { m_group = group; }
    int32_t GetDisplayDistance() const { return m_displayDistance; }

protected:
    uint32_t m_flags = kEnabled | kVisible;
    uint32_t m_statusFlags = kEnabled | kVisible;
    int32_t m_group = 0;
    // Stored and saved only.
    int32_t m_displayDistance = 0;
};

// Draws the render object of every member, in member order; other members are skipped.
void RenderCast(const Cast& cast);
