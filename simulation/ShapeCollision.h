#pragma once

#include "framework/Vector.h"

class Shape;
class Sphere;
class Plane;
class WorldGeometry;
class AxisAlignedCylinder;
class AxisAlignedCube;

// Every test gets the shape with the smaller type id first, the position p of the second
// relative to the first at the start of the step, and the motion m of the first relative to
// the second over the whole step; the fraction is the part of the step (0 at its start) at
// which they first touch. Shapes already touching give 0. No test allocates.
namespace ShapeCollisionTable {

using TestFunction = bool (*)(const Shape& a, const Shape& b, const Vector3& p, const Vector3& m, float& fraction);

// Fills the table of pair tests; until then nothing collides.
void Init();
// Looks the pair up by type and orders it, negating p and m when the pair is swapped. False
// for a pair without a test.
bool Test(const Shape& a, const Shape& b, const Vector3& p, const Vector3& m, float& fraction);

}  // namespace ShapeCollisionTable

// The mean of the normals of the world triangles touched at the impact CollideSphereWorld
// last reported (not made unit length), for the collision handlers.
struct WorldContactNormal {
    static inline Vector3 normal;
    static inline int count = 0;
};

bool CollideSpherePlane(const Sphere& sphere, const Plane& plane, const Vector3& p, const Vector3& m, float& fraction);
bool CollideSphereWorld(const Sphere& sphere, const WorldGeometry& world, const Vector3& p, const Vector3& m,
                        float& fraction);
bool CollideSphereCylinder(const Sphere& sphere, const AxisAlignedCylinder& cylinder, const Vector3& p,
                           const Vector3& m, float& fraction);
bool CollideSphereCube(const Sphere& sphere, const AxisAlignedCube& cube, const Vector3& p, const Vector3& m,
                       float& fraction);
bool CollidePlaneCylinder(const Plane& plane, const AxisAlignedCylinder& cylinder, const Vector3& p, const Vector3& m,
                          float& fraction);
bool CollideCylinderCylinder(const AxisAlignedCylinder& a, const AxisAlignedCylinder& b, const Vector3& p,
                             const Vector3& m, float& fraction);
bool CollideCylinderCube(const AxisAlignedCylinder& cylinder, const AxisAlignedCube& cube, const Vector3& p,
                         const Vector3& m, float& fraction);
