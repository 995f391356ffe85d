#pragma once

#include "match/setpieces/KickAim.h"
#include "match/setpieces/SetPiece.h"

// The restart after the keeper caught the ball: he kicks it from where he stands, brought
// back inside his goal line, once every outfield player has reached his place for a ball at
// the centre and the set piece delay has run out; the pass goes to his team's player 1. A
// person aims with an arrow that turns freely. No fades: it ends as the ball leaves him.
class GoalKick : public SetPiece {
public:
    explicit GoalKick(bool attacking);

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;

    // Once neither side holds the ball.
    bool IsKickTaken() const override;
    // Where the ball lies, facing back along the pitch; the keeper and the ball are placed again
    // by Enter.
    void GetTakerPlacement(Vector3& spot, Vector3& direction) const override;
    // Player 0, the keeper, of the kicking side.
    Character* GetTaker() const override;

    // True when every outfield player of both sides was within "Maximum AI move range" of
    // his place in the last update.
    bool AllInPlace() const { return m_allInPlace; }
    const KickAim& GetAim() const { return m_aim; }

    // The keeper of the kicking side, or null.
    static Character* KickingKeeper(bool attacking);
    // The keeper waiting to kick at the position, holding the ball there.
    static void KeeperTakesBall(Character& keeper, const Vector3& position, float heading);

private:
    void SendPlayersToPlaces();

    KickAim m_aim;
    float m_aiDelay = 0.0f;
    bool m_allInPlace = false;
};
