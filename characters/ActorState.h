#pragma once

#include "framework/State.h"
#include "framework/Vector.h"

#include <cstdint>
#include <map>

class PitchVolume;

// The input codes that steer the actor graph; 0 leaves each node to its default successor.
struct ActorInput {
    enum : int32_t {
    None = 0,
    Tackle,
    Run,
    Jog,
    Walk,
    FallOver,
    Shoot,
    Pass,
    Snag,
    Header,
    StepLeft,
    StepRight,
    StepForth,
    StepBack,
    SaveTopLeft,
    SaveTopCenter,
    SaveTopRight,
    SaveMiddleLeft,
    SaveMiddleCenter,
    SaveMiddleRight,
    SaveBottomLeft,
    SaveBottomCenter,
    SaveBottomRight,
    PenaltyShot,
    WhistleShort,
    WhistleLong,
    RedCard,
    StandUp,
    SitDown,
    SpecialStart,
    SpecialPanda,
    };
};

// What a brain or a match state asks of an actor this frame. A zeroed command asks nothing.
struct ActorCommand {
    int32_t code = ActorInput::None;
    float direction = 0.0f;  // heading, radians
    uint8_t faceAtOnce = 0;
    // Borrowed: a cylindrical volume whose circle the actor keeps to; null for none.
    PitchVolume* target = nullptr;
    Vector3 targetPosition;
    uint8_t hold = 0;
    // Set when the state just entered strikes the ball.
    uint8_t strike = 0;

    // Ignored while the hold byte is set: a started save or set piece keeps its code.
    void SetCode(int32_t newCode)
    {
        if (!hold)
            code = newCode;
    }

    // Ignored while the hold or strike byte is set: a set piece keeps its aim.
    void SetDirection(float angle)
    {
        if (!hold && !strike)
            direction = angle;
    }
};

// One node of the actor graph; built once by ActorState::BuildStateTable and never changed.
struct ActorStateNode {
    ActorStateNode() : defaultNext(this) {}
    ActorStateNode(const ActorStateNode&) = delete;
    ActorStateNode& operator=(const ActorStateNode&) = delete;

    const ActorStateNode* Next(int32_t code) const
    {
        const auto found = transitions.find(code);
        return found != transitions.end() ? found->second : defaultNext;
    }

    const char* name = "";
    const ActorStateNode* defaultNext;
    std::map<int32_t, const ActorStateNode*> transitions;
    uint8_t canHoldBall = 0;
    uint8_t steerable = 0;
    uint8_t entersAtOnce = 0;
    uint8_t keepsBall = 0;
};

// The nodes, named as other code names them.
namespace ActorNodes {
extern ActorStateNode stand, standwithball, startrun, run, endrun, jog, slidetackle, slidegetup, fallover,
    fallgetup, shoot, pass, snag, header, stepleft, stepright, stepforth, stepback, savetopleft, savetopcenter,
    savetopright, savemiddleleft, savemiddlecenter, savemiddleright, savebottomleft, savebottomcenter,
    savebottomright, kickoff, inactive, penaltywait, penaltyshot, throwinwait, throwinpass, throwinshot, refstand,
    refstandtowalk, refstandtorun, refwalk, refwalktostand, refwalktorun, refrun, refruntostand, refruntowalk,
    refwhistleshortstatic, refwhistleshortmoving, refwhistlelong, refredcardpresent, refredcardend, standup,
    stoodup, sitdown, satdown, cheer, dismay, specialstart, specialmove, specialend, special_panda, idle, cheer2,
    keeperkickwait, keeperkickshot, keeperkickpass;
}  // namespace ActorNodes

// One actor's place in the graph. Leaving the node always makes a fresh state.
class ActorState : public State {
public:
    explicit ActorState(const ActorStateNode& node);

    // Fills the nodes the first time; later calls do nothing.
    static void BuildStateTable();
    // Times the table was filled: 1 once any state exists.
    static int GetBuildCount();

    void Serialize(Serializer&, const char*) override {}
    // This state to stay, else a new state for the successor (owned by the caller).
    State* Update(float dt) override;

    const ActorStateNode& GetNode() const { return *m_node; }
    void SetCommand(const ActorCommand& command) { m_command = command; }
    const ActorCommand& GetCommand() const { return m_command; }
    void MarkEvent(int32_t type) { m_firedEvents[type] = true; }
    bool HasFired(int32_t type) const;

private:
    const ActorStateNode* m_node;
    std::map<int32_t, bool> m_firedEvents;
    ActorCommand m_command;
};
