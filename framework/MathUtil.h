#pragma once

#include "framework/Matrix3.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"

namespace Math {

// The float nearest to pi; angles are wrapped against it so that pi itself survives.
inline constexpr float Pi = 3.14159265358979f;
inline constexpr float TwoPi = 2.0f * Pi;
inline constexpr float HalfPi = 0.5f * Pi;

// The tolerance of Vector3::IsEqual (defined with the vector types).
inline void SetEpsilon(float epsilon) { g_epsilon = epsilon; }
inline float GetEpsilon() { return g_epsilon; }

// a - b wrapped to (-pi, pi].
float AngleDifference(float a, float b);

template <typename T>
constexpr T Lerp(const T& a, const T& b, float t)
{
    return a + (b - a) * t;
}

template <typename T>
constexpr T LerpDelta(const T& a, const T& d, float t)
{
    return Lerp(a, a + d, t);
}

// Real roots of a x^2 + b x + c = 0. count is 0, 1 or 2; with a = 0 the linear root
// is given in both outputs. Outputs are left alone when there is no root.
void SolveQuadratic(float a, float b, float c, int& count, float& root1, float& root2);

// Angles of the rotation Rz(first) Ry(third) Rx(second), in radians.
void QuaternionToEuler(const Quaternion& q, float& first, float& second, float& third);

// The rotation that turns z onto the direction, keeping y as near to up as it can; a
// direction along y keeps x as the right axis.
Quaternion LookAlong(Vector3 direction);

}  // namespace Math
