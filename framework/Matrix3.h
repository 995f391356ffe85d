#pragma once

#include "framework/Vector.h"

// 3 x 3 matrix acting on column vectors (Transform gives m x v); m[row][column].
struct Matrix3 {
    float m[3][3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};

    constexpr Matrix3() = default;
    constexpr Matrix3(float m00, float m01, float m02,
                      float m10, float m11, float m12,
                      float m20, float m21, float m22)
        : m{{m00, m01, m02}, {m10, m11, m12}, {m20, m21, m22}}
    {
    }

    void SetIdentity() { *this = Matrix3(); }

    // Rotation by angle (radians) about the axis; a zero axis gives the identity.
    void FromAxisAngle(const Vector3& axis, float angle);
    // Rz(z) x Ry(y) x Rx(x): x is applied first.
    void FromEulerZYX(float z, float y, float x);
    // Rx(x) x Ry(y) x Rz(z): z is applied first.
    void FromEulerXYZ(float x, float y, float z);
    // The angles FromEulerXYZ takes to rebuild this rotation. At the poles (y = +-pi/2)
    // only x + z or x - z is defined: z is then returned as 0.
    void ToEulerAngles(float& x, float& y, float& z) const;

    void SetColumn(int column, const Vector3& v);
    Vector3 GetColumn(int column) const;
    void SetRow(int row, const Vector3& v);
    Vector3 GetRow(int row) const;

    Matrix3 Transpose() const;
    Vector3 Transform(const Vector3& v) const;
    float Determinant() const;
    // False, and out untouched, when the determinant is within tolerance of 0.
    bool Inverse(Matrix3& out, float tolerance = 1e-6f) const;

    Matrix3 operator*(const Matrix3& o) const;
    Vector3 operator*(const Vector3& v) const { return Transform(v); }
    Matrix3& operator*=(const Matrix3& o) { return *this = *this * o; }
    bool operator==(const Matrix3& o) const;
};
