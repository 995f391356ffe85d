#pragma once

#include "match/setpieces/KickAim.h"
#include "match/setpieces/SetPiece.h"

#include <string>

// The restart after an attacker put the ball over the goal line: the defending keeper kicks
// from one of the two kick spots the level has beside his goal. A person aims with an arrow
// that turns freely; whoever has not kicked when the set piece delay has run out is ordered
// to pass to the nearest team-mate. Fades in and out.
class KeeperKick : public SetPiece {
public:
    // leftSpot: the goal's "LeftKickSpot", else its "RightKickSpot".
    KeeperKick(bool attacking, bool leftSpot);

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;

    // The kick spot object's position, or the centre of the keeper's goal line when the level
    // lacks it (logged); his side's direction of play.
    void GetTakerPlacement(Vector3& spot, Vector3& direction) const override;
    // Player 0, the keeper, of the kicking side.
    Character* GetTaker() const override;

    // "LeftGoalLeftKickSpot" ... "RightGoalRightKickSpot", by the keeper's side and the spot.
    std::string GetSpotName() const;
    const KickAim& GetAim() const { return m_aim; }

private:
    bool m_leftSpot;
    KickAim m_aim;
    float m_aiDelay = 0.0f;
};
