#pragma once

#include "framework/Vector.h"

#include <memory>
#include <string>

class Actor;
class CameraControl;
class Character;
class DirectionSelector;
class TrackedObject;
struct ActorStateNode;

// What the restarts taken by one player share: a person aims with the arrow and kicks with
// "button a" or "button b"; the computer is ordered to pass; a camera is pushed for the
// restart and popped after it.
class KickAim {
public:
    KickAim();
    KickAim(const KickAim&) = delete;
    KickAim& operator=(const KickAim&) = delete;
    // Takes the arrow out of the world.
    ~KickAim();

    // Steered by the computer ("ai") or by nobody.
    static bool IsComputer(const Character& player);

    // For a human taker, the arrow at his feet pointing at the angle, turning within the
    // limits, drawn with the pitch; nothing for the computer.
    void Begin(const Character& taker, float angle, float minimum, float maximum);
    // Begin with the arrow along the direction, turning up to the limit either way.
    void BeginAround(const Character& taker, const Vector3& direction, float limit);
    // One frame of a human's aim until the kick starts: exactly one button pressed in this
    // frame starts it (both at once count as none), pointing the kick along his heading and
    // raising the kick flag; otherwise he turns with the arrow in the waiting node. Then the
    // arrow follows him once the kick has started.
    void Update(Character& taker, const ActorStateNode& waiting);
    // The computer takes the kick over: the human aims no more, the arrow follows the taker.
    void HandOver() { m_started = true; }
    // The taker, a person's too, is made to pass to the receiver: his aim is handed over, as
    // a taker put back in his waiting node every frame would never make the pass.
    void PassFor(Character& taker, Character* receiver);
    // Out of the world and deleted; safe to call twice.
    void End();

    bool IsStarted() const { return m_started; }
    // Null for a computer taker and after End.
    const DirectionSelector* GetSelector() const { return m_selector.get(); }

    // The brain's order to play the ball to the receiver.
    static void OrderPass(Character& taker, Character* receiver);
    // The named camera on top of the game's stack, following the target, from the open side.
    static void PushCamera(const std::string& name, TrackedObject* target);
    // The restart's camera off the stack and the half's side back; the ball followed again.
    static void PopCamera();
    // A restart's camera that would stand beyond the lines from the half's side, over the
    // boards and the crowd, looks from the other side while that one stands over the pitch
    // (from the pitch at a taker on the touch line), until LookFromHalfSide.
    static void LookFromPitchSide(CameraControl* control);
    static void LookFromHalfSide();
    // Every outfield player of both sides turned, where he stands, towards the point.
    static void FaceOutfieldPlayers(const Vector3& point);
    // The taker into his waiting node where he stands, the ball settled at his feet, then the
    // other side's keeper (player 0) standing free.
    static void SettleTaker(Character* taker, const ActorStateNode& waiting, bool attacking);
    // The keeper (player 0) of the side that does not take the restart, standing free.
    static void FreeDefendingKeeper(bool attacking);

private:
    // The waiting taker turned to the heading where he stands, still holding a ball he held.
    static void TurnWaiting(Actor& actor, float heading, const ActorStateNode& waiting);

    std::unique_ptr<DirectionSelector> m_selector;
    bool m_started = false;
};
