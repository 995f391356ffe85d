#include "framework/Vector.h"

namespace Math {
float g_epsilon = 1e-5f;
}

namespace {
template <typename V>
float NormalizeInPlace(V& v)
{
    const float length = v.Length();
    if (length > 0.0f)
        v *= 1.0f / length;
    return length;
}
}  // namespace

float Vector2::Normalize() { return NormalizeInPlace(*this); }
float Vector3::Normalize() { return NormalizeInPlace(*this); }
float Vector4::Normalize() { return NormalizeInPlace(*this); }

Vector3 Vector3::operator/(float s) const
{
    if (s == 0.0f)
        return {FLT_MAX, FLT_MAX, FLT_MAX};
    return {x / s, y / s, z / s};
}

bool Vector3::IsEqual(const Vector3& o) const
{
    const float e = Math::g_epsilon;
    if (e == 0.0f)
        return x == o.x && y == o.y && z == o.z;
    return std::fabs(x - o.x) <= e && std::fabs(y - o.y) <= e && std::fabs(z - o.z) <= e;
}
