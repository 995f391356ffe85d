#pragma once

#include "framework/Vector.h"

struct Matrix3;

// Rotation quaternion, w first. The identity is (1, 0, 0, 0).
struct Quaternion {
    float w = 1.0f, x = 0.0f, y = 0.0f, z = 0.0f;

    constexpr Quaternion() = default;
    constexpr Quaternion(float w_, float x_, float y_, float z_) : w(w_), x(x_), y(y_), z(z_) {}
    // The rotation by angle (radians) about axis; the axis is used as given.
    Quaternion(float angle, const Vector3& axis) { FromAxisAngle(angle, axis); }

    void FromAxisAngle(float angle, const Vector3& axis);
    // A zero vector part gives angle 0 and axis (1, 0, 0).
    void ToAxisAngle(float& angle, Vector3& axis) const;

    Matrix3 ToMatrix() const;
    void FromMatrix(const Matrix3& m);
    // From three axes given as the rows of the rotation matrix.
    void FromMatrix3(const Vector3& row0, const Vector3& row1, const Vector3& row2);

    // The vector turned by this rotation.
    Vector3 Rotate(const Vector3& v) const;
    // Spherical interpolation from this toward target along the shorter arc;
    // weight 0 gives this, weight 1 the target.
    Quaternion Slerp(const Quaternion& target, float weight) const;

    // Conjugate over the squared norm; (0, 0, 0, 0) when the norm is not above 0.
    Quaternion Inverse() const;
    constexpr Quaternion Conjugate() const { return {w, -x, -y, -z}; }
    constexpr float Dot(const Quaternion& o) const { return w * o.w + x * o.x + y * o.y + z * o.z; }
    constexpr float NormSquared() const { return Dot(*this); }
    void Normalize();

    // Hamilton product: (a * b) applies b first, then a.
    constexpr Quaternion operator*(const Quaternion& o) const
    {
        return {w * o.w - x * o.x - y * o.y - z * o.z,
                w * o.x + x * o.w + y * o.z - z * o.y,
                w * o.y - x * o.z + y * o.w + z * o.x,
                w * o.z + x * o.y - y * o.x + z * o.w};
    }
    Quaternion& operator*=(const Quaternion& o) { return *this = *this * o; }
    constexpr bool operator==(const Quaternion&) const = default;

    static const Quaternion Identity;
};

inline constexpr Quaternion Quaternion::Identity{1.0f, 0.0f, 0.0f, 0.0f};
