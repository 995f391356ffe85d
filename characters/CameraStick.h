#pragma once

#include "framework/Vector.h"

struct ControllerInput;

// Rotates v from the primary camera's heading frame into world space: x runs to the
// screen's right, z toward the camera, y up. Without a camera or with the camera's right
// axis along up, v comes back unchanged.
Vector3 TransformByCameraHeading(const Vector3& v);

// Turns the stick from the primary camera's heading into world x and z: pushed right it
// runs to the screen's right, pushed down toward the camera.
void ToCameraSpace(ControllerInput& input);
