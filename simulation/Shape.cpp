#include "simulation/Shape.h"

#include "framework/Debug.h"
#include "framework/Serializer.h"

#include <algorithm>

namespace {

const Vector3 kWorldAxes[3] = {Vector3::UnitX, Vector3::UnitY, Vector3::UnitZ};

int32_t AxisIndex(const Vector3& axis)
{
    if (axis.x != 0.0f)
        return 0;
    return axis.y != 0.0f ? 1 : 2;
}

}  // namespace

Sphere::Sphere(float radius) : Shape(kSphere), radius(std::max(radius, 0.0f)) {}

Plane::Plane(const Vector3& normal, float distance) : Shape(kPlane), normal(normal), distance(distance) {}

void Plane::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Plane", descriptor);
    serializer.SerializeFloat("Normal(x)", &normal.x);
    serializer.SerializeFloat("Normal(y)", &normal.y);
    serializer.SerializeFloat("Normal(z)", &normal.z);
    serializer.SerializeFloat("Distance to origin", &distance);
    serializer.EndSection();
    if (normal.LengthSquared() == 0.0f)
        normal = Vector3::UnitX;
    normal.Normalize();
}

AxisAlignedCylinder::AxisAlignedCylinder(const Vector3& axis, float radius, float length)
    : Shape(kCylinder), axis(axis), radius(std::max(radius, 0.0f)), length(std::max(length, 0.0f))
{
}

void AxisAlignedCylinder::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("AxisAlignedCylinder", descriptor);
    serializer.SerializeButton("combobox [X][Y][Z]", "");
    int32_t index = AxisIndex(axis);
    serializer.SerializeInt("World Axis", &index);
    if (index >= 0 && index < 3)
        axis = kWorldAxes[index];
    else
        LogWarning("AxisAlignedCylinder::Serialize: no world axis %d; the axis stays\n", index);
    serializer.SerializeFloat("Radius", &radius);
    serializer.SerializeFloat("Length", &length);
    serializer.EndSection();
    radius = std::max(radius, 0.0f);
    length = std::max(length, 0.0f);
}

void AxisAlignedCube::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("AxisAlignedCube", descriptor);
    serializer.SerializeFloat("X axis size", &size.x);
    serializer.SerializeFloat("Y axis size", &size.y);
    serializer.SerializeFloat("Z axis size", &size.z);
    serializer.EndSection();
}
