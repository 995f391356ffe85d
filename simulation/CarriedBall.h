#pragma once

#include "framework/Quaternion.h"
#include "framework/Vector.h"

class BallToucher;
class Collidable;

// What an actor needs of the ball it touches and carries; the pitch's Ball implements it.
class CarriedBall {
public:
    virtual ~CarriedBall() = default;

    virtual const Collidable& GetCollidable() const = 0;
    virtual Vector3 GetBallPosition() const = 0;
    virtual void SetBallPosition(const Vector3& position) = 0;
    virtual void SetBallVelocity(const Vector3& velocity) = 0;
    virtual void SetBallRotation(const Quaternion& rotation) = 0;
    virtual float GetRadius() const = 0;
    // The holder lets go; the flag is the ball's kick flag from here on (1 when the holder
    // lets go itself).
    virtual void ReleasePossession(int flag) = 0;
    // False, changing nothing, while the ball is held; otherwise true, and a holder (when
    // the ball can be held) holds it and becomes the last toucher.
    virtual bool TakePossession(BallToucher* holder) = 0;
    // Null before anyone took the ball or once the toucher was forgotten.
    virtual BallToucher* GetLastToucher() const = 0;
    // The trail a hard kick leaves, for dt seconds.
    virtual void UpdateParticles(float) {}
    // A player about to go away: the ball must not refer to it any more.
    virtual void ForgetToucher(const BallToucher*) {}
};
