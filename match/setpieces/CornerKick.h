#pragma once

#include "match/setpieces/KickAim.h"
#include "match/setpieces/SetPiece.h"

#include <string>

// The restart after the defending side put the ball over its own goal line: taken from just
// inside the corner on that side by the attacking side's player 1, facing along the diagonal
// into the pitch. A person aims with the arrow; whoever has not kicked when the set piece
// delay has run out has the ball played to the nearest team-mate. Fades in and out.
class CornerKick : public SetPiece {
public:
    // negativeCorner: the corner at pitch position y = -1 of the defending goal, else +1.
    CornerKick(bool attacking, bool negativeCorner);

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;

    void GetTakerPlacement(Vector3& spot, Vector3& direction) const override;
    // Player 1 of the attacking side; null when it has fewer players.
    Character* GetTaker() const override;

    // "Corner Left Near" ... "Corner Right Far", by the taker's side and the corner.
    std::string GetCameraName() const;
    const KickAim& GetAim() const { return m_aim; }

private:
    bool m_negativeCorner;
    KickAim m_aim;
    float m_aiDelay = 0.0f;
};
