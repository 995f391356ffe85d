#include "framework/Color.h"
#include "framework/MathUtil.h"
#include "framework/Matrix3.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace {

constexpr float kTol = 1e-5f;

void ExpectNear(const Vector3& a, const Vector3& b, float tol = kTol)
{
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

void ExpectNear(const Matrix3& a, const Matrix3& b, float tol = kTol)
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(a.m[i][j], b.m[i][j], tol) << "element " << i << "," << j;
}

// Same rotation: q and -q both count.
void ExpectSameRotation(const Quaternion& a, const Quaternion& b, float tol = kTol)
{
    EXPECT_NEAR(std::fabs(a.Dot(b)), 1.0f, tol) << a.w << " " << a.x << " " << a.y << " " << a.z << " vs "
                                                << b.w << " " << b.x << " " << b.y << " " << b.z;
}

}  // namespace

TEST(Vector3, ArithmeticAndProducts)
{
    Vector3 a{1, 2, 3};
    const Vector3 b{4, -5, 6};
    EXPECT_EQ(a + b, (Vector3{5, -3, 9}));
    EXPECT_EQ(a - b, (Vector3{-3, 7, -3}));
    EXPECT_EQ(a * 2.0f, (Vector3{2, 4, 6}));
    EXPECT_EQ(2.0f * a, (Vector3{2, 4, 6}));
    EXPECT_FLOAT_EQ(a.Dot(b), 4 - 10 + 18);
    EXPECT_EQ(Vector3::UnitX.Cross(Vector3::UnitY), Vector3::UnitZ);
    EXPECT_EQ(a.Cross(b), (Vector3{2 * 6 - 3 * -5, 3 * 4 - 1 * 6, 1 * -5 - 2 * 4}));
    a += b;
    EXPECT_EQ(a, (Vector3{5, -3, 9}));
    a -= b;
    EXPECT_EQ(a, (Vector3{1, 2, 3}));
    EXPECT_FLOAT_EQ(a.LengthSquared(), 14.0f);
    EXPECT_FLOAT_EQ(Vector3(3, 4, 0).Length(), 5.0f);
}

TEST(Vector3, NormalizeLeavesZeroVectorZero)
{
    Vector3 v{0, 3, 4};
    EXPECT_FLOAT_EQ(v.Normalize(), 5.0f);
    ExpectNear(v, {0, 0.6f, 0.8f});
    Vector3 zero;
    zero.Normalize();
    EXPECT_EQ(zero, Vector3::Zero);
}

TEST(Vector3, DividedByZeroGivesLargestFloat)
{
    EXPECT_EQ(Vector3(1, -2, 0) / 0.0f, (Vector3{FLT_MAX, FLT_MAX, FLT_MAX}));
    EXPECT_EQ(Vector3(2, 4, -6) / 2.0f, (Vector3{1, 2, -3}));
    Vector3 v{1, 1, 1};
    v /= 0.0f;
    EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
}

TEST(Vector3, IsEqualUsesGlobalEpsilonAndIsExactAtZero)
{
    const float saved = Math::GetEpsilon();
    Math::SetEpsilon(0.01f);
    EXPECT_TRUE(Vector3(1, 2, 3).IsEqual({1.005f, 1.995f, 3.0f}));
    EXPECT_FALSE(Vector3(1, 2, 3).IsEqual({1.02f, 2, 3}));
    EXPECT_FALSE(Vector3(1, 2, 3).IsEqual({1, 2, 2.98f}));
    Math::SetEpsilon(0.0f);
    EXPECT_TRUE(Vector3(1, 2, 3).IsEqual({1, 2, 3}));
    EXPECT_FALSE(Vector3(1, 2, 3).IsEqual({1, 2, std::nextafter(3.0f, 4.0f)}));
    Math::SetEpsilon(saved);
}

TEST(Vector24, BasicsAndRectangle)
{
    Vector2 a{3, 4};
    EXPECT_FLOAT_EQ(a.Length(), 5.0f);
    EXPECT_FLOAT_EQ(a.Dot({1, 1}), 7.0f);
    EXPECT_FLOAT_EQ(Vector2(1, 0).Cross({0, 1}), 1.0f);

    Vector4 r;
    EXPECT_EQ(r, (Vector4{0, 0, 0, 0}));
    r.Set(10, 20, 300, 400);
    EXPECT_FLOAT_EQ(r.Width(), 300.0f);
    EXPECT_FLOAT_EQ(r.Height(), 400.0f);
    EXPECT_EQ(r + Vector4(1, 1, 1, 1), (Vector4{11, 21, 301, 401}));
    r.SetZero();
    EXPECT_EQ(r, Vector4());
}

TEST(Color, SetFlagRules)
{
    Color c;
    EXPECT_FALSE(c.IsSet());
    EXPECT_EQ(c.a, 1.0f);
    c.SetRGB(0.1f, 0.2f, 0.3f);
    EXPECT_FALSE(c.IsSet());
    EXPECT_EQ(c.a, 1.0f);
    c.SetRGB255(255, 0, 51);
    EXPECT_FALSE(c.IsSet());
    EXPECT_FLOAT_EQ(c.r, 1.0f);
    EXPECT_FLOAT_EQ(c.b, 0.2f);
    c.SetAlpha(0.5f);
    EXPECT_TRUE(c.IsSet());
    EXPECT_FLOAT_EQ(c.a, 0.5f);

    Color d;
    d.Set255(0, 255, 0, 0);
    EXPECT_TRUE(d.IsSet());
    EXPECT_FLOAT_EQ(d.g, 1.0f);
    EXPECT_FLOAT_EQ(d.a, 0.0f);

    EXPECT_TRUE(Color(0, 0, 0, 0).IsSet());
    EXPECT_TRUE(Color::White.IsSet());
    EXPECT_EQ(Color::White.r + Color::White.g + Color::White.b + Color::White.a, 4.0f);
    EXPECT_EQ(Color::OpaqueBlack.a, 1.0f);
    EXPECT_EQ(Color::OpaqueBlack.r, 0.0f);
}

TEST(Quaternion, AxisAngleRoundTrip)
{
    Vector3 axis{1, 2, -2};
    axis.Normalize();
    Quaternion q(1.2f, axis);
    EXPECT_NEAR(q.w, std::cos(0.6f), kTol);
    float angle;
    Vector3 back;
    q.ToAxisAngle(angle, back);
    EXPECT_NEAR(angle, 1.2f, kTol);
    ExpectNear(back, axis);

    Quaternion identity;
    identity.ToAxisAngle(angle, back);
    EXPECT_EQ(angle, 0.0f);
    EXPECT_EQ(back, Vector3::UnitX);
}

TEST(Quaternion, RotateMatchesMatrixAndAxisConvention)
{
    const Quaternion q(Math::HalfPi, Vector3::UnitZ);
    ExpectNear(q.Rotate(Vector3::UnitX), Vector3::UnitY);
    Matrix3 m;
    m.FromAxisAngle(Vector3::UnitZ, Math::HalfPi);
    ExpectNear(q.ToMatrix(), m);
}

TEST(Quaternion, MatrixRoundTripCoversEveryBranch)
{
    // Angles near pi exercise the branches where the trace is negative.
    const Vector3 axes[] = {Vector3::UnitX, Vector3::UnitY, Vector3::UnitZ, {0.48f, -0.6f, 0.64f}};
    const float angles[] = {0.0f, 0.3f, 2.0f, 3.1f, Math::Pi, -2.5f};
    for (const Vector3& axis : axes) {
        for (float angle : angles) {
            const Quaternion q(angle, axis);
            Quaternion back;
            back.FromMatrix(q.ToMatrix());
            ExpectSameRotation(back, q);
        }
    }
}

TEST(Quaternion, FromMatrix3TakesRows)
{
    Matrix3 m;
    m.FromEulerXYZ(0.3f, -0.7f, 1.1f);
    Quaternion q;
    q.FromMatrix3(m.GetRow(0), m.GetRow(1), m.GetRow(2));
    ExpectNear(q.ToMatrix(), m);
}

TEST(Quaternion, HamiltonProductComposesRotations)
{
    const Quaternion a(0.7f, Vector3::UnitX);
    const Quaternion b(-1.3f, Vector3::UnitY);
    const Vector3 v{0.2f, -1.0f, 3.0f};
    // a * b applies b first.
    ExpectNear((a * b).Rotate(v), a.Rotate(b.Rotate(v)), 1e-4f);
    ExpectNear((a * b).ToMatrix(), a.ToMatrix() * b.ToMatrix());
    Quaternion c = a;
    c *= b;
    EXPECT_EQ(c, a * b);
    // i * j = k
    EXPECT_EQ(Quaternion(0, 1, 0, 0) * Quaternion(0, 0, 1, 0), Quaternion(0, 0, 0, 1));
}

TEST(Quaternion, InverseAndZeroNorm)
{
    const Quaternion q(2, 1, -1, 3);
    const Quaternion p = q * q.Inverse();
    EXPECT_NEAR(p.w, 1.0f, kTol);
    EXPECT_NEAR(p.x, 0.0f, kTol);
    EXPECT_NEAR(p.y, 0.0f, kTol);
    EXPECT_NEAR(p.z, 0.0f, kTol);
    EXPECT_EQ(Quaternion(0, 0, 0, 0).Inverse(), Quaternion(0, 0, 0, 0));
}

TEST(Quaternion, SlerpEndsMidpointAndShortestPath)
{
    const Quaternion from(0.2f, Vector3::UnitY);
    const Quaternion to(1.4f, Vector3::UnitY);
    EXPECT_EQ(from.Slerp(to, 1.0f), to);
    EXPECT_EQ(from.Slerp(to, 0.0f), from);
    ExpectSameRotation(from.Slerp(to, 0.5f), Quaternion(0.8f, Vector3::UnitY));

    // The negated target is the same rotation: the halfway point must not swing the long way.
    const Quaternion negated{-to.w, -to.x, -to.y, -to.z};
    ExpectSameRotation(from.Slerp(negated, 0.5f), Quaternion(0.8f, Vector3::UnitY));

    // Nearly equal rotations take the linear path without dividing by ~0.
    const Quaternion close(0.2001f, Vector3::UnitY);
    const Quaternion mid = from.Slerp(close, 0.5f);
    EXPECT_TRUE(std::isfinite(mid.w));
    EXPECT_NEAR(mid.NormSquared(), 1.0f, kTol);
}

TEST(Matrix3, EulerRoundTripAwayFromPoles)
{
    const float values[] = {-2.8f, -1.0f, 0.0f, 0.4f, 1.5f, 3.0f};
    const float pitches[] = {-1.4f, -0.5f, 0.0f, 0.9f, 1.5f};
    for (float x : values) {
        for (float y : pitches) {
            for (float z : values) {
                Matrix3 m;
                m.FromEulerXYZ(x, y, z);
                float a, b, c;
                m.ToEulerAngles(a, b, c);
                EXPECT_NEAR(a, x, 1e-4f);
                EXPECT_NEAR(b, y, 1e-4f);
                EXPECT_NEAR(c, z, 1e-4f);
            }
        }
    }
}

TEST(Matrix3, EulerRoundTripAtPoles)
{
    // At +-pi/2 the first and third angles are not separable; the rebuilt matrix must
    // still be the same rotation.
    for (float pole : {Math::HalfPi, -Math::HalfPi}) {
        for (float x : {-2.0f, 0.0f, 0.7f}) {
            for (float z : {-1.0f, 0.0f, 2.5f}) {
                Matrix3 m;
                m.FromEulerXYZ(x, pole, z);
                float a, b, c;
                m.ToEulerAngles(a, b, c);
                EXPECT_TRUE(std::isfinite(a) && std::isfinite(b) && std::isfinite(c));
                EXPECT_NEAR(b, pole, 1e-4f);
                Matrix3 rebuilt;
                rebuilt.FromEulerXYZ(a, b, c);
                ExpectNear(rebuilt, m, 1e-4f);
            }
        }
    }
}

TEST(Matrix3, EulerOrderIsProductOfAxisRotations)
{
    Matrix3 rx, ry, rz;
    rx.FromAxisAngle(Vector3::UnitX, 0.3f);
    ry.FromAxisAngle(Vector3::UnitY, -0.8f);
    rz.FromAxisAngle(Vector3::UnitZ, 1.9f);
    Matrix3 xyz, zyx;
    xyz.FromEulerXYZ(0.3f, -0.8f, 1.9f);
    zyx.FromEulerZYX(1.9f, -0.8f, 0.3f);
    ExpectNear(xyz, rx * ry * rz);
    ExpectNear(zyx, rz * ry * rx);
}

TEST(Matrix3, ColumnsTransposeAndTransform)
{
    Matrix3 m;
    m.SetColumn(0, {1, 2, 3});
    m.SetColumn(2, {7, 8, 9});
    EXPECT_EQ(m.GetColumn(0), (Vector3{1, 2, 3}));
    EXPECT_EQ(m.GetColumn(1), (Vector3{0, 1, 0}));
    EXPECT_EQ(m.Transpose().GetRow(2), (Vector3{7, 8, 9}));
    EXPECT_EQ(m.Transform({1, 0, 0}), (Vector3{1, 2, 3}));
    EXPECT_EQ(m.Transform({0, 1, 1}), (Vector3{7, 9, 9}));
}

TEST(Matrix3, InverseWithTolerance)
{
    Matrix3 r;
    r.FromEulerXYZ(0.4f, 1.1f, -2.0f);
    Matrix3 inv;
    ASSERT_TRUE(r.Inverse(inv));
    ExpectNear(inv, r.Transpose());
    ExpectNear(inv * r, Matrix3());

    Matrix3 singular(1, 2, 3, 2, 4, 6, 0, 0, 1);
    Matrix3 untouched(5, 5, 5, 5, 5, 5, 5, 5, 5);
    Matrix3 out = untouched;
    EXPECT_FALSE(singular.Inverse(out));
    EXPECT_EQ(out, untouched);

    const Matrix3 small(1e-3f, 0, 0, 0, 1e-3f, 0, 0, 0, 1e-3f);  // det 1e-9
    EXPECT_FALSE(small.Inverse(out, 1e-6f));
    EXPECT_TRUE(small.Inverse(out, 1e-12f));
    EXPECT_NEAR(out.m[1][1], 1000.0f, 0.01f);
}

TEST(MathUtil, AngleDifferenceWrapsToHalfOpenRange)
{
    EXPECT_FLOAT_EQ(Math::AngleDifference(Math::Pi, 0.0f), Math::Pi);
    EXPECT_FLOAT_EQ(Math::AngleDifference(-Math::Pi, 0.0f), Math::Pi);
    EXPECT_FLOAT_EQ(Math::AngleDifference(0.0f, Math::Pi), Math::Pi);
    EXPECT_FLOAT_EQ(Math::AngleDifference(3.0f * Math::Pi, 0.0f), Math::Pi);
    EXPECT_NEAR(Math::AngleDifference(0.1f, Math::TwoPi - 0.1f), 0.2f, 1e-5f);
    EXPECT_NEAR(Math::AngleDifference(Math::TwoPi - 0.1f, 0.1f), -0.2f, 1e-5f);
    EXPECT_NEAR(Math::AngleDifference(-7.0f, 0.0f), -7.0f + Math::TwoPi, 1e-5f);
    for (float a = -20.0f; a < 20.0f; a += 0.37f) {
        const float d = Math::AngleDifference(a, 1.0f);
        EXPECT_GT(d, -Math::Pi);
        EXPECT_LE(d, Math::Pi);
    }
}

TEST(MathUtil, Lerp)
{
    EXPECT_FLOAT_EQ(Math::Lerp(2.0f, 6.0f, 0.25f), 3.0f);
    EXPECT_FLOAT_EQ(Math::LerpDelta(2.0f, 4.0f, 0.5f), 4.0f);
    EXPECT_EQ(Math::Lerp(Vector3{0, 0, 0}, Vector3{2, 4, 8}, 0.5f), (Vector3{1, 2, 4}));
}

TEST(MathUtil, SolveQuadratic)
{
    int count = -1;
    float r1 = 0, r2 = 0;
    Math::SolveQuadratic(1, -3, 2, count, r1, r2);  // (x-1)(x-2)
    EXPECT_EQ(count, 2);
    EXPECT_FLOAT_EQ(r1, 2.0f);
    EXPECT_FLOAT_EQ(r2, 1.0f);

    Math::SolveQuadratic(1, -4, 4, count, r1, r2);
    EXPECT_EQ(count, 1);
    EXPECT_FLOAT_EQ(r1, 2.0f);

    Math::SolveQuadratic(1, 0, 1, count, r1, r2);
    EXPECT_EQ(count, 0);

    Math::SolveQuadratic(0, 2, -3, count, r1, r2);
    EXPECT_EQ(count, 1);
    EXPECT_FLOAT_EQ(r1, 1.5f);

    Math::SolveQuadratic(0, 0, 5, count, r1, r2);
    EXPECT_EQ(count, 0);
}

TEST(MathUtil, QuaternionToEulerGivesZYXAngles)
{
    // first about z, second about x, third about y, for Rz(first) Ry(third) Rx(second).
    const float z = 0.9f, y = -0.4f, x = 2.2f;
    const Quaternion q = Quaternion(z, Vector3::UnitZ) * Quaternion(y, Vector3::UnitY) * Quaternion(x, Vector3::UnitX);
    float first, second, third;
    Math::QuaternionToEuler(q, first, second, third);
    EXPECT_NEAR(first, z, 1e-5f);
    EXPECT_NEAR(second, x, 1e-5f);
    EXPECT_NEAR(third, y, 1e-5f);

    Matrix3 m;
    m.FromEulerZYX(first, third, second);
    ExpectNear(m, q.ToMatrix());

    // A slightly unnormalised quaternion at the pole puts the sine past 1; no NaN.
    Math::QuaternionToEuler(Quaternion(0.7072f, 0.0f, 0.7072f, 0.0f), first, second, third);
    EXPECT_FLOAT_EQ(third, Math::HalfPi);
}
