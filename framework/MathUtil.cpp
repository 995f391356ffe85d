#include "framework/MathUtil.h"

#include <algorithm>
#include <cmath>

namespace Math {

float AngleDifference(float a, float b)
{
    float d = std::fmod(a - b, TwoPi);
    if (d > Pi)
        d -= TwoPi;
    else if (d <= -Pi)
        d += TwoPi;
    return d;
}

void SolveQuadratic(float a, float b, float c, int& count, float& root1, float& root2)
{
    if (a != 0.0f) {
        const float d = b * b - 4.0f * a * c;
        if (d < 0.0f) {
            count = 0;
            return;
        }
        const float s = std::sqrt(d);
        root1 = (-b + s) / (2.0f * a);
        root2 = (-b - s) / (2.0f * a);
        count = root1 == root2 ? 1 : 2;
        return;
    }
    if (b != 0.0f) {
        count = 1;
        root1 = root2 = -(c / b);
        return;
    }
    count = 0;
}

void QuaternionToEuler(const Quaternion& q, float& first, float& second, float& third)
{
    const float w = q.w, x = q.x, y = q.y, z = q.z;
    first = std::atan2(2.0f * (x * y + z * w), x * x - y * y - z * z + w * w);
    second = std::atan2(2.0f * (y * z + x * w), z * z - y * y - x * x + w * w);
    // Rounding can push the sine just past 1 at the poles, where asin gives NaN.
    third = std::asin(std::clamp(-2.0f * (x * z - y * w), -1.0f, 1.0f));
}

Quaternion LookAlong(Vector3 direction)
{
    direction.Normalize();
    Vector3 right = Vector3::UnitY.Cross(direction);
    if (right.LengthSquared() < 1e-6f)
        right = Vector3::UnitX;
    right.Normalize();
    Matrix3 m;
    m.SetColumn(0, right);
    m.SetColumn(1, direction.Cross(right));
    m.SetColumn(2, direction);
    Quaternion q;
    q.FromMatrix(m);
    return q;
}

}  // namespace Math
