#pragma once

#include "framework/Vector.h"

// Where restarts put players and the ball, reckoned in the pitch's own frame so that a
// stadium whose pitch is turned or moved in the world is served alike.
namespace placement {

// The point moved along the pitch until it is level with the other; its place across the
// pitch and its height are kept.
Vector3 LevelAlong(const Vector3& point, const Vector3& level);
// The point brought back to the margin inside the goal line of its own half when it lies
// nearer that line; a margin wider than the half leaves it on the halfway line.
Vector3 WithinEnds(const Vector3& point, float margin);
// The same between the touchlines.
Vector3 WithinTouchlines(const Vector3& point, float margin);

}  // namespace placement
