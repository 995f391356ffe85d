#pragma once

#include "match/setpieces/KickAim.h"
#include "match/setpieces/SetPiece.h"

// The restart after a foul that is not a penalty: taken inside the pitch, away from its
// lines, by the fouled side's outfield player nearest the ball, everybody facing the ball.
// A person aims with an arrow that turns freely; the computer passes to the nearest outfield
// team-mate after the set piece delay. Fades in and out.
class FreeKick : public SetPiece {
public:
    // The foul spot is moved onto the pitch when it lies outside.
    FreeKick(bool attacking, const Vector3& foulSpot);

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;

    // The kick spot kept "freekick line dist limit" inside every line; the taker's side's
    // direction of play.
    void GetTakerPlacement(Vector3& spot, Vector3& direction) const override;
    // The kicking side's outfield player nearest the ball: chosen afresh until Enter has
    // lined everybody up, then the one Enter settled behind the ball.
    Character* GetTaker() const override;

    const Vector3& GetKickSpot() const { return m_kickSpot; }
    const KickAim& GetAim() const { return m_aim; }
    float GetAIDelay() const { return m_aiDelay; }

    // The kicking side's outfield player nearest the ball; the keeper never takes a kick.
    static Character* NearestOutfieldPlayer(bool attacking);
    // The team-mate nearest the ball gets the taker's order to pass.
    static void OrderPassToNearest(Character& taker, bool skipKeepers);

private:
    Vector3 m_kickSpot;
    KickAim m_aim;
    float m_aiDelay = 0.0f;
    Character* m_taker = nullptr;
};
