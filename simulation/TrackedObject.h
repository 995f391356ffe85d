#pragma once

#include "framework/Quaternion.h"
#include "framework/Vector.h"

// What cameras and replays follow.
class TrackedObject {
public:
    virtual ~TrackedObject() = default;
    // By reference, as the render objects and collidables that implement it answer.
    virtual const Vector3& GetPosition() const = 0;
    virtual const Quaternion& GetRotation() const = 0;
};
