#pragma once

#include "framework/Quaternion.h"
#include "framework/Vector.h"
#include "simulation/TrackedObject.h"

// What the cameras follow while play stands after the ball went out, until the restart points
// them at its taker: where the ball went over the line, brought back onto the pitch, so that
// the picture shows the pitch there and not the stands the ball ran on to.
class StoppedPlay : public TrackedObject {
public:
    // How far inside the lines the cameras look.
    static constexpr float kInside = 8.0f;

    // The ball's place kInside metres within every line of the pitch frame, on the grass.
    static Vector3 FramedPoint(const Vector3& ball);

    void Set(const Vector3& ball) { m_position = FramedPoint(ball); }
    const Vector3& GetPosition() const override { return m_position; }
    const Quaternion& GetRotation() const override { return m_rotation; }

private:
    Vector3 m_position{0.0f, 0.0f, 0.0f};
    Quaternion m_rotation = Quaternion::Identity;
};
