#pragma once

#include "match/setpieces/KickAim.h"
#include "match/setpieces/SetPiece.h"

// The restart after the ball crossed a touch line: thrown in from where it left, a little
// inside the pitch and never too near a corner, by the throwing side's nearest outfield
// player. A person aims with the arrow; the computer throws to the nearest team-mate after
// the set piece delay. Fades in and out.
class ThrowIn : public SetPiece {
public:
    // positiveLine: the ball crossed the touch line on the positive side of the pitch's
    // third axis, so the throw goes along its negative.
    ThrowIn(bool attacking, bool positiveLine, const Vector3& outPosition);

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;

    void GetTakerPlacement(Vector3& spot, Vector3& direction) const override;
    // The throwing side's outfield player nearest the ball, chosen afresh on every call until
    // the throw; from then on the one who threw. The keeper never throws.
    Character* GetTaker() const override;

    const KickAim& GetAim() const { return m_aim; }
    float GetAIDelay() const { return m_aiDelay; }

private:
    bool m_positiveLine;
    Vector3 m_outPosition;
    KickAim m_aim;
    float m_aiDelay = 0.0f;
    // Null until the taker has let go of the ball.
    Character* m_thrower = nullptr;
};
