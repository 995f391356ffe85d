#pragma once

class SoccerTeam;

// What the ball asks of a player who takes it: the characters implement it, so that the ball
// needs nothing of them beyond this. A toucher that goes away must tell the ball first
// (Ball::ForgetToucher).
class BallToucher {
public:
    virtual ~BallToucher() = default;

    // Keepers stop the trail a hard kick leaves.
    virtual bool IsKeeper() const = 0;
    // The team the player is on; null for none (the referee).
    virtual SoccerTeam* GetBallTeam() const = 0;
    // Whether that team plays as the first side; false without a team.
    virtual bool IsOnFirstSide() const = 0;
    // The player's body lets go of the ball it holds (a goal was scored).
    virtual void LetGoOfBall() = 0;
};
