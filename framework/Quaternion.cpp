#include "framework/Quaternion.h"

#include "framework/Matrix3.h"

#include <cmath>

void Quaternion::FromAxisAngle(float angle, const Vector3& axis)
{
    const float s = std::sin(angle * 0.5f);
    w = std::cos(angle * 0.5f);
    x = s * axis.x;
    y = s * axis.y;
    z = s * axis.z;
}

void Quaternion::ToAxisAngle(float& angle, Vector3& axis) const
{
    const float s = std::sqrt(x * x + y * y + z * z);
    if (s == 0.0f) {
        angle = 0.0f;
        axis = Vector3::UnitX;
        return;
    }
    angle = 2.0f * std::atan2(s, w);
    axis = {x / s, y / s, z / s};
}

Matrix3 Quaternion::ToMatrix() const
{
    const float xx = x * x, yy = y * y, zz = z * z;
    const float xy = x * y, xz = x * z, yz = y * z;
    const float wx = w * x, wy = w * y, wz = w * z;
    return {1.0f - 2.0f * (yy + zz), 2.0f * (xy - wz), 2.0f * (xz + wy),
            2.0f * (xy + wz), 1.0f - 2.0f * (xx + zz), 2.0f * (yz - wx),
            2.0f * (xz - wy), 2.0f * (yz + wx), 1.0f - 2.0f * (xx + yy)};
}

void Quaternion::FromMatrix(const Matrix3& mat)
{
    const auto& m = mat.m;
    const float trace = m[0][0] + m[1][1] + m[2][2];
    // Divide by the largest of the four candidates to stay clear of cancellation.
    if (trace > 0.0f) {
        const float s = 2.0f * std::sqrt(trace + 1.0f);
        w = 0.25f * s;
        x = (m[2][1] - m[1][2]) / s;
        y = (m[0][2] - m[2][0]) / s;
        z = (m[1][0] - m[0][1]) / s;
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        const float s = 2.0f * std::sqrt(std::fmax(0.0f, 1.0f + m[0][0] - m[1][1] - m[2][2]));
        if (s == 0.0f) {
            *this = Identity;
            return;
        }
        w = (m[2][1] - m[1][2]) / s;
        x = 0.25f * s;
        y = (m[0][1] + m[1][0]) / s;
        z = (m[0][2] + m[2][0]) / s;
    } else if (m[1][1] > m[2][2]) {
        const float s = 2.0f * std::sqrt(std::fmax(0.0f, 1.0f + m[1][1] - m[0][0] - m[2][2]));
        if (s == 0.0f) {
            *this = Identity;
            return;
        }
        w = (m[0][2] - m[2][0]) / s;
        x = (m[0][1] + m[1][0]) / s;
        y = 0.25f * s;
        z = (m[1][2] + m[2][1]) / s;
    } else {
        const float s = 2.0f * std::sqrt(std::fmax(0.0f, 1.0f + m[2][2] - m[0][0] - m[1][1]));
        if (s == 0.0f) {
            *this = Identity;
            return;
        }
        w = (m[1][0] - m[0][1]) / s;
        x = (m[0][2] + m[2][0]) / s;
        y = (m[1][2] + m[2][1]) / s;
        z = 0.25f * s;
    }
}

void Quaternion::FromMatrix3(const Vector3& row0, const Vector3& row1, const Vector3& row2)
{
    Matrix3 m;
    m.SetRow(0, row0);
    m.SetRow(1, row1);
    m.SetRow(2, row2);
    FromMatrix(m);
}

Vector3 Quaternion::Rotate(const Vector3& v) const { return ToMatrix().Transform(v); }

Quaternion Quaternion::Slerp(const Quaternion& target, float weight) const
{
    if (weight >= 1.0f)
        return target;
    if (weight <= 0.0f)
        return *this;

    Quaternion to = target;
    float cosine = Dot(target);
    if (cosine < 0.0f) {
        // q and -q are the same rotation; take the one on the shorter arc.
        cosine = -cosine;
        to = {-to.w, -to.x, -to.y, -to.z};
    }

    float a, b;
    if (cosine > 0.9995f) {
        // Nearly parallel: sin(theta) is too small to divide by, and a straight line
        // is as good as the arc.
        a = 1.0f - weight;
        b = weight;
    } else {
        const float theta = std::acos(cosine);
        const float sinTheta = std::sin(theta);
        a = std::sin((1.0f - weight) * theta) / sinTheta;
        b = std::sin(weight * theta) / sinTheta;
    }
    Quaternion r{a * w + b * to.w, a * x + b * to.x, a * y + b * to.y, a * z + b * to.z};
    r.Normalize();
    return r;
}

Quaternion Quaternion::Inverse() const
{
    const float n = NormSquared();
    if (!(n > 0.0f))
        return {0.0f, 0.0f, 0.0f, 0.0f};
    const float inv = 1.0f / n;
    return {w * inv, -x * inv, -y * inv, -z * inv};
}

void Quaternion::Normalize()
{
    const float n = std::sqrt(NormSquared());
    if (n > 0.0f) {
        const float inv = 1.0f / n;
        w *= inv;
        x *= inv;
        y *= inv;
        z *= inv;
    }
}
