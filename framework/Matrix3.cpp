#include "framework/Matrix3.h"

#include <algorithm>
#include <cmath>

namespace {
Matrix3 RotX(float a)
{
    const float c = std::cos(a), s = std::sin(a);
    return {1, 0, 0, 0, c, -s, 0, s, c};
}

Matrix3 RotY(float a)
{
    const float c = std::cos(a), s = std::sin(a);
    return {c, 0, s, 0, 1, 0, -s, 0, c};
}

Matrix3 RotZ(float a)
{
    const float c = std::cos(a), s = std::sin(a);
    return {c, -s, 0, s, c, 0, 0, 0, 1};
}

// Below this |cos y| the first and third angles are no longer separable in float.
constexpr float kPoleCos = 2e-6f;
constexpr float kHalfPi = 1.57079632679489662f;
}  // namespace

void Matrix3::FromAxisAngle(const Vector3& axis, float angle)
{
    Vector3 n = axis;
    if (n.Normalize() == 0.0f) {
        SetIdentity();
        return;
    }
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    m[0][0] = t * n.x * n.x + c;
    m[0][1] = t * n.x * n.y - s * n.z;
    m[0][2] = t * n.x * n.z + s * n.y;
    m[1][0] = t * n.x * n.y + s * n.z;
    m[1][1] = t * n.y * n.y + c;
    m[1][2] = t * n.y * n.z - s * n.x;
    m[2][0] = t * n.x * n.z - s * n.y;
    m[2][1] = t * n.y * n.z + s * n.x;
    m[2][2] = t * n.z * n.z + c;
}

void Matrix3::FromEulerZYX(float z, float y, float x) { *this = RotZ(z) * RotY(y) * RotX(x); }

void Matrix3::FromEulerXYZ(float x, float y, float z) { *this = RotX(x) * RotY(y) * RotZ(z); }

void Matrix3::ToEulerAngles(float& x, float& y, float& z) const
{
    // Rx(x) Ry(y) Rz(z) has row 0 = (cy cz, -cy sz, sy) and column 2 = (sy, -sx cy, cx cy).
    const float cy = std::sqrt(m[0][0] * m[0][0] + m[0][1] * m[0][1]);
    if (cy > kPoleCos) {
        y = std::atan2(m[0][2], cy);
        x = std::atan2(-m[1][2], m[2][2]);
        z = std::atan2(-m[0][1], m[0][0]);
        return;
    }
    // Pole: row 1 becomes (sin(x +- z), cos(x +- z), 0); put it all into x.
    z = 0.0f;
    if (m[0][2] > 0.0f) {
        y = kHalfPi;
        x = std::atan2(m[1][0], m[1][1]);
    } else {
        y = -kHalfPi;
        x = std::atan2(-m[1][0], m[1][1]);
    }
}

void Matrix3::SetColumn(int column, const Vector3& v)
{
    column = std::clamp(column, 0, 2);
    m[0][column] = v.x;
    m[1][column] = v.y;
    m[2][column] = v.z;
}

Vector3 Matrix3::GetColumn(int column) const
{
    column = std::clamp(column, 0, 2);
    return {m[0][column], m[1][column], m[2][column]};
}

void Matrix3::SetRow(int row, const Vector3& v)
{
    row = std::clamp(row, 0, 2);
    m[row][0] = v.x;
    m[row][1] = v.y;
    m[row][2] = v.z;
}

Vector3 Matrix3::GetRow(int row) const
{
    row = std::clamp(row, 0, 2);
    return {m[row][0], m[row][1], m[row][2]};
}

Matrix3 Matrix3::Transpose() const
{
    return {m[0][0], m[1][0], m[2][0], m[0][1], m[1][1], m[2][1], m[0][2], m[1][2], m[2][2]};
}

Vector3 Matrix3::Transform(const Vector3& v) const
{
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

float Matrix3::Determinant() const
{
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

bool Matrix3::Inverse(Matrix3& out, float tolerance) const
{
    const float det = Determinant();
    if (!(std::fabs(det) > tolerance))
        return false;
    const float inv = 1.0f / det;
    Matrix3 r;
    r.m[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) * inv;
    r.m[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) * inv;
    r.m[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) * inv;
    r.m[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) * inv;
    r.m[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) * inv;
    r.m[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) * inv;
    r.m[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) * inv;
    r.m[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) * inv;
    r.m[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) * inv;
    out = r;
    return true;
}

Matrix3 Matrix3::operator*(const Matrix3& o) const
{
    Matrix3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
    return r;
}

bool Matrix3::operator==(const Matrix3& o) const
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (m[i][j] != o.m[i][j])
                return false;
    return true;
}
