#pragma once

#include "ai/Utility.h"

// The seven measures of a candidate, each registered under its class name. Positions and
// velocities are those of the candidate's actor and of the match ball; pitch positions are
// seen from the candidate's side.

// Distance to the ball, 0 (on it) to 1 (100 m or more).
class DistanceFromBall : public Utility<float> {
public:
    float Evaluate(const Character* candidate) const override;
};

// Closing speed on the ball: 0.5 when not closing, 0 at 50 m/s away, 1 at 50 m/s towards.
class SpeedTowardsBall : public Utility<float> {
public:
    float Evaluate(const Character* candidate) const override;
};

// 0 on the own goal line, 1 on the attacked one.
class DistanceAlongPitch : public Utility<float> {
public:
    float Evaluate(const Character* candidate) const override;
};

// 0 on the pitch's centre line along its length, 1 on either touchline.
class DistanceAcrossPitch : public Utility<float> {
public:
    float Evaluate(const Character* candidate) const override;
};

// 1 when the candidate can run straight to the ball past every other player, else 0.
class ClearPathToBall : public Utility<float> {
public:
    float Evaluate(const Character* candidate) const override;
};

// Distance to the point of the order its brain holds, 0 to 1 (100 m or more).
class DistanceFromTacticalPosition : public Utility<float> {
public:
    float Evaluate(const Character* candidate) const override;
};

// For the last defender (role 1) only: 0 while the other side's ball holder is inside the
// defender's own penalty area, else 1. Every other role rates 0.
class IsConstrainedToArea : public Utility<float> {
public:
    float Evaluate(const Character* candidate) const override;
};
