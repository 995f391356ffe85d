#pragma once

#include "framework/Object.h"
#include "framework/Vector.h"

#include <cstdint>

struct RpWorld;

// What a Collidable is tested as. Shapes are plain data placed by their owner: a sphere is
// centred on the owner's position, a cylinder stands on it and reaches up world y by its
// length, a cube spans from it (its minimum corner) to position + size, and a plane is in
// the owner's frame.
class Shape : public Object {
public:
    enum Type : int32_t { kSphere = 1, kPlane = 2, kWorldGeometry = 4, kCylinder = 5, kCube = 6 };

    int32_t GetType() const { return m_type; }

protected:
    explicit Shape(int32_t type) : m_type(type) {}

private:
    int32_t m_type;
};

class Sphere : public Shape {
public:
    // A negative radius is stored as 0.
    explicit Sphere(float radius = 0.0f);

    float radius;
};

// The points x with normal . x = distance; the side the normal points away from is solid.
class Plane : public Shape {
public:
    Plane(const Vector3& normal = Vector3::UnitY, float distance = 0.0f);

    // Section "Plane". A zero normal becomes (1, 0, 0), and the normal is made unit length.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    Vector3 PointOnPlane() const { return normal * distance; }
    Vector3 ProjectVector(const Vector3& v) const { return v - normal * normal.Dot(v); }
    Vector3 ClosestPoint(const Vector3& p) const { return PointOnPlane() + ProjectVector(p - PointOnPlane()); }

    Vector3 normal;
    float distance;
};

// The triangles of an engine world with collision data; the world is borrowed and must
// outlive the shape.
class WorldGeometry : public Shape {
public:
    explicit WorldGeometry(RpWorld* world = nullptr) : Shape(kWorldGeometry), world(world) {}

    RpWorld* world;
};

// The tests stand every cylinder along world y whatever its axis says.
class AxisAlignedCylinder : public Shape {
public:
    // Negative sizes are stored as 0.
    AxisAlignedCylinder(const Vector3& axis = Vector3::UnitY, float radius = 0.0f, float length = 0.0f);

    // Section "AxisAlignedCylinder": "World Axis" 0 x, 1 y, 2 z, then "Radius", "Length".
    void Serialize(Serializer& serializer, const char* descriptor) override;

    Vector3 axis;
    float radius;
    float length;
};

class AxisAlignedCube : public Shape {
public:
    explicit AxisAlignedCube(const Vector3& size = {1.0f, 1.0f, 1.0f}) : Shape(kCube), size(size) {}

    // Section "AxisAlignedCube".
    void Serialize(Serializer& serializer, const char* descriptor) override;

    Vector3 size;
};
