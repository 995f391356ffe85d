#include "framework/Color.h"
#include "framework/KinematicSolver.h"
#include "framework/MathUtil.h"
#include "framework/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <tuple>
#include <vector>

namespace {

constexpr float kTol = 1e-5f;

void ExpectNear(const Vector3& a, const Vector3& b, float tol = kTol)
{
    EXPECT_LE(std::fabs(a.x - b.x) + std::fabs(a.y - b.y) + std::fabs(a.z - b.z), tol)
        << a.x << " " << a.y << " " << a.z << " vs " << b.x << " " << b.y << " " << b.z;
}

void ExpectNear(const Matrix3& a, const Matrix3& b, float tol = kTol)
{
    for (int i = 0; i < 3; ++i)
        ExpectNear(a.GetRow(i), b.GetRow(i), tol);
}

// Same rotation: q and -q both count.
void ExpectSameRotation(const Quaternion& a, const Quaternion& b, float tol = kTol)
{
    EXPECT_NEAR(std::fabs(a.Dot(b)), 1.0f, tol) << a.w << " " << a.x << " " << a.y << " " << a.z << " vs " << b.w
                                                << " " << b.x << " " << b.y << " " << b.z;
}


enum { A = KinematicSolver::Acceleration, V0 = KinematicSolver::InitialSpeed, V1 = KinematicSolver::FinalSpeed,
       T = KinematicSolver::Time, S = KinematicSolver::Distance };

// The five values after solving from the known ones, then 1 when solved, else 0.
std::vector<float> Solved(const std::vector<std::pair<int, float>>& known)
{
    KinematicSolver solver;
    for (const auto& [index, value] : known)
        solver.SetValue(index, value);
    const bool solved = solver.Solve();
    std::vector<float> values;
    for (int n = 0; n < 5; ++n)
        values.push_back(solver.GetValue(n));
    values.push_back(solved ? 1.0f : 0.0f);
    return values;
}

}  // namespace

TEST(VectorTest, ProductsGuardedEdgesAndTheColourFlag)
{
    EXPECT_EQ(Vector3(1, 2, 3).Cross({4, -5, 6}), (Vector3{27, 6, -13}));
    EXPECT_EQ(Vector2(1, 0).Cross({0, 1}), 1.0f);
    Vector3 v{0, 3, 4}, zero;
    EXPECT_EQ(v.Normalize(), 5.0f);
    ExpectNear(v, {0, 0.6f, 0.8f});
    zero.Normalize();  // stays zero
    EXPECT_EQ(zero, Vector3::Zero);
    EXPECT_EQ(Vector3(1, -2, 0) / 0.0f, (Vector3{FLT_MAX, FLT_MAX, FLT_MAX}));
    EXPECT_EQ(Vector3(2, 4, -6) / 2.0f, (Vector3{1, 2, -3}));
    const float saved = Math::GetEpsilon();
    Math::SetEpsilon(0.01f);
    EXPECT_TRUE(Vector3(1, 2, 3).IsEqual({1.005f, 1.995f, 3.0f}));
    EXPECT_FALSE(Vector3(1, 2, 3).IsEqual({1.02f, 2, 3}) || Vector3(1, 2, 3).IsEqual({1, 2, 2.98f}));
    Math::SetEpsilon(0.0f);
    EXPECT_TRUE(Vector3(1, 2, 3).IsEqual({1, 2, 3}));
    EXPECT_FALSE(Vector3(1, 2, 3).IsEqual({1, 2, std::nextafter(3.0f, 4.0f)}));
    Math::SetEpsilon(saved);
    // Only an alpha makes a colour set.
    Color c;
    c.SetRGB255(255, 0, 51);
    EXPECT_FALSE(c.IsSet());
    EXPECT_EQ(std::make_tuple(c.r, c.g, c.a), std::make_tuple(1.0f, 0.0f, 1.0f));
    EXPECT_FLOAT_EQ(c.b, 0.2f);
    c.SetAlpha(0.5f);
    EXPECT_TRUE(c.IsSet());
    Color d;
    d.Set255(0, 255, 0, 0);
    EXPECT_EQ(d, Color(0.0f, 1.0f, 0.0f, 0.0f));  // set, as a colour made with an alpha
}

TEST(QuaternionTest, RotationsConvertComposeAndInterpolate)
{
    Vector3 axis{1, 2, -2};
    axis.Normalize();
    float angle;
    Vector3 back;
    Quaternion(1.2f, axis).ToAxisAngle(angle, back);
    EXPECT_NEAR(angle, 1.2f, kTol);
    ExpectNear(back, axis);
    Quaternion().ToAxisAngle(angle, back);
    EXPECT_EQ(std::make_pair(angle, back), std::make_pair(0.0f, Vector3::UnitX));
    const Quaternion quarter(Math::HalfPi, Vector3::UnitZ);
    ExpectNear(quarter.Rotate(Vector3::UnitX), Vector3::UnitY);
    Matrix3 m;
    m.FromAxisAngle(Vector3::UnitZ, Math::HalfPi);
    ExpectNear(quarter.ToMatrix(), m);
    // Angles near pi exercise the branches where the trace is negative.
    for (const Vector3& axis : {Vector3::UnitX, Vector3::UnitY, Vector3::UnitZ, Vector3{0.48f, -0.6f, 0.64f}}) {
        for (float angle : {0.0f, 0.3f, 2.0f, 3.1f, Math::Pi, -2.5f}) {
            Quaternion back;
            back.FromMatrix(Quaternion(angle, axis).ToMatrix());
            ExpectSameRotation(back, Quaternion(angle, axis));
        }
    }
    m.FromEulerXYZ(0.3f, -0.7f, 1.1f);
    Quaternion rows;
    rows.FromMatrix3(m.GetRow(0), m.GetRow(1), m.GetRow(2));
    ExpectNear(rows.ToMatrix(), m);
    const Quaternion a(0.7f, Vector3::UnitX), b(-1.3f, Vector3::UnitY);
    const Vector3 v{0.2f, -1.0f, 3.0f};
    ExpectNear((a * b).Rotate(v), a.Rotate(b.Rotate(v)), 1e-4f);  // a * b applies b first
    ExpectNear((a * b).ToMatrix(), a.ToMatrix() * b.ToMatrix());
    Quaternion c = a;
    EXPECT_EQ(c *= b, a * b);
    EXPECT_EQ(Quaternion(0, 1, 0, 0) * Quaternion(0, 0, 1, 0), Quaternion(0, 0, 0, 1));  // i j = k
    const Quaternion p = Quaternion(2, 1, -1, 3) * Quaternion(2, 1, -1, 3).Inverse();
    EXPECT_LE(std::fabs(p.w - 1) + std::fabs(p.x) + std::fabs(p.y) + std::fabs(p.z), kTol);
    EXPECT_EQ(Quaternion(0, 0, 0, 0).Inverse(), Quaternion(0, 0, 0, 0));
    // Slerp takes the short path and stays finite for nearly equal ends.
    const Quaternion from(0.2f, Vector3::UnitY), to(1.4f, Vector3::UnitY);
    EXPECT_EQ(std::pair(from.Slerp(to, 1.0f), from.Slerp(to, 0.0f)), std::pair(to, from));
    ExpectSameRotation(from.Slerp(to, 0.5f), Quaternion(0.8f, Vector3::UnitY));
    ExpectSameRotation(from.Slerp({-to.w, -to.x, -to.y, -to.z}, 0.5f), Quaternion(0.8f, Vector3::UnitY));
    const Quaternion mid = from.Slerp(Quaternion(0.2001f, Vector3::UnitY), 0.5f);
    ExpectSameRotation(mid, Quaternion(0.20005f, Vector3::UnitY));
    EXPECT_NEAR(mid.NormSquared(), 1.0f, kTol);
}

TEST(Matrix3Test, EulerAnglesRoundTripComposeAxisRotationsAndInvert)
{
    for (float x : {-2.8f, -1.0f, 0.0f, 1.5f, 3.0f}) {
        for (float y : {-1.4f, 0.0f, 0.9f, 1.5f}) {
            for (float z : {-1.0f, 0.4f, 2.5f}) {
                Matrix3 m;
                m.FromEulerXYZ(x, y, z);
                float a, b, c;
                m.ToEulerAngles(a, b, c);
                ExpectNear({a, b, c}, {x, y, z}, 3e-4f);
            }
        }
    }
    // At +-pi/2 the first and third angles are not separable: the same rotation is enough.
    for (float pole : {Math::HalfPi, -Math::HalfPi}) {
        for (float x : {-2.0f, 0.0f, 0.7f}) {
            Matrix3 m, rebuilt;
            m.FromEulerXYZ(x, pole, 2.5f);
            float a, b, c;
            m.ToEulerAngles(a, b, c);
            EXPECT_NEAR(b, pole, 1e-4f);
            rebuilt.FromEulerXYZ(a, b, c);
            ExpectNear(rebuilt, m, 1e-4f);
        }
    }
    Matrix3 rx, ry, rz, xyz, zyx;
    rx.FromAxisAngle(Vector3::UnitX, 0.3f);
    ry.FromAxisAngle(Vector3::UnitY, -0.8f);
    rz.FromAxisAngle(Vector3::UnitZ, 1.9f);
    xyz.FromEulerXYZ(0.3f, -0.8f, 1.9f);
    zyx.FromEulerZYX(1.9f, -0.8f, 0.3f);
    ExpectNear(xyz, rx * ry * rz);
    ExpectNear(zyx, rz * ry * rx);
    Matrix3 r, inv;
    r.FromEulerXYZ(0.4f, 1.1f, -2.0f);
    ASSERT_TRUE(r.Inverse(inv));
    ExpectNear(inv, r.Transpose());
    const Matrix3 untouched(5, 5, 5, 5, 5, 5, 5, 5, 5);
    Matrix3 out = untouched;
    EXPECT_FALSE(Matrix3(1, 2, 3, 2, 4, 6, 0, 0, 1).Inverse(out));
    EXPECT_EQ(out, untouched);
    const Matrix3 small(1e-3f, 0, 0, 0, 1e-3f, 0, 0, 0, 1e-3f);  // det 1e-9
    EXPECT_TRUE(!small.Inverse(out, 1e-6f) && small.Inverse(out, 1e-12f));
    EXPECT_NEAR(out.m[1][1], 1000.0f, 0.01f);
}

TEST(MathUtilTest, AnglesWrapAndQuadraticRoots)
{
    const std::pair<float, float> differences[] = {
        {Math::Pi, Math::Pi}, {-Math::Pi, Math::Pi}, {3.0f * Math::Pi, Math::Pi}, {0.1f - (Math::TwoPi - 0.1f), 0.2f},
        {Math::TwoPi - 0.2f, -0.2f}, {-7.0f, -7.0f + Math::TwoPi}};
    for (const auto& [a, expected] : differences)
        EXPECT_NEAR(Math::AngleDifference(a, 0.0f), expected, 1e-5f) << a;
    EXPECT_EQ(Math::AngleDifference(0.0f, Math::Pi), Math::Pi);
    for (float a = -20.0f; a < 20.0f; a += 0.37f) {
        const float d = Math::AngleDifference(a, 1.0f);
        EXPECT_TRUE(d > -Math::Pi && d <= Math::Pi) << a;
    }
    struct Quadratic {
        float a, b, c;
        int count;
        float root1, root2;  // 9: left alone
    };
    for (const Quadratic& q : {Quadratic{1, -3, 2, 2, 2, 1}, {1, -4, 4, 1, 2, 2}, {1, 0, 1, 0, 9, 9}, {0, 2, -3, 1, 1.5f, 1.5f},
                               {0, 0, 5, 0, 9, 9}}) {
        int count = -1;
        float r1 = 9, r2 = 9;
        Math::SolveQuadratic(q.a, q.b, q.c, count, r1, r2);
        EXPECT_EQ(std::make_tuple(count, r1, r2), std::make_tuple(q.count, q.root1, q.root2)) << q.a << q.b << q.c;
    }
    // first about z, second about x, third about y, for Rz(first) Ry(third) Rx(second).
    const Quaternion q =
        Quaternion(0.9f, Vector3::UnitZ) * Quaternion(-0.4f, Vector3::UnitY) * Quaternion(2.2f, Vector3::UnitX);
    float first, second, third;
    Math::QuaternionToEuler(q, first, second, third);
    ExpectNear({first, second, third}, {0.9f, 2.2f, -0.4f});
    // A slightly unnormalised quaternion at the pole puts the sine past 1; no NaN.
    Math::QuaternionToEuler(Quaternion(0.7072f, 0.0f, 0.7072f, 0.0f), first, second, third);
    EXPECT_FLOAT_EQ(third, Math::HalfPi);
}

TEST(MathUtilTest, LookAlongTurnsZOntoTheDirectionWithYUp)
{
    for (const Vector3& direction : {Vector3{0, 0, 5}, Vector3{1, -1, 0}, Vector3{-3, 2, -4}, Vector3{0, -2, 0}}) {
        const Quaternion q = Math::LookAlong(direction);
        Vector3 want = direction;
        want.Normalize();
        const Vector3 z = q.Rotate(Vector3::UnitZ), x = q.Rotate(Vector3::UnitX);
        ExpectNear({z.x, z.y, z.z}, {want.x, want.y, want.z});
        // The right axis stays level.
        EXPECT_NEAR(x.y, 0.0f, 1e-5f);
    }
}

TEST(KinematicSolverTest, AnyThreeKnownValuesSolveTheOtherTwo)
{
    // One consistent motion: a = 2, v0 = 3, v1 = 11, t = 4, s = 28.
    const float motion[] = {2.0f, 3.0f, 11.0f, 4.0f, 28.0f, 1.0f};
    for (int i = 0; i < 5; ++i) {
        for (int j = i + 1; j < 5; ++j) {
            for (int k = j + 1; k < 5; ++k) {
                const std::vector<float> values = Solved({{i, motion[i]}, {j, motion[j]}, {k, motion[k]}});
                for (int n = 0; n < 6; ++n)
                    EXPECT_NEAR(values[n], motion[n], 1e-4f) << "known " << i << j << k << ", value " << n;
            }
        }
    }
    // A ball slowing at 2 m/s^2 that covers 20 m in 2 s left at 12 m/s and ends at 8 m/s.
    EXPECT_EQ(Solved({{A, -2}, {T, 2}, {S, 20}}), (std::vector<float>{-2, 12, 8, 2, 20, 1}));
    // Thrown up at 10 m/s under -10 m/s^2: 3.2 m up at t = 0.4 (and again at 1.6), 5 m only at 1.
    const std::vector<float> up = Solved({{A, -10}, {V0, 10}, {S, 3.2f}});
    EXPECT_NEAR(up[T], 0.4f, 1e-5f);
    EXPECT_NEAR(up[V1], 6.0f, 1e-4f);
    EXPECT_NEAR(Solved({{A, -10}, {V0, 10}, {S, 5}})[T], 1.0f, 1e-3f);
    // What cannot be determined stays and is reported.
    EXPECT_EQ(Solved({{A, -10}, {V0, 10}, {S, 6}}), (std::vector<float>{-10, 10, 0, 0, 6, 0}));  // never that high
    EXPECT_EQ(Solved({{A, 0}, {V0, 5}, {V1, 5}}), (std::vector<float>{0, 5, 5, 0, 0, 0}));  // any time fits
    EXPECT_EQ(Solved({{A, 1}, {T, 3}}), (std::vector<float>{1, 0, 0, 3, 0, 0}));
    EXPECT_EQ(Solved({{A, 2}, {V0, 5}, {V1, 1}}), (std::vector<float>{2, 5, 1, 0, -6, 0}));  // negative time
    EXPECT_EQ(Solved({{5, 1}, {-1, 1}}), (std::vector<float>{0, 0, 0, 0, 0, 0}));  // out of range: ignored
    // Computed values are not known, so a changed input recomputes them.
    KinematicSolver solver;
    solver.SetValue(A, 2.0f);
    solver.SetValue(V0, 3.0f);
    solver.SetValue(T, 4.0f);
    ASSERT_TRUE(solver.Solve());
    EXPECT_FALSE(solver.IsKnown(V1));
    solver.SetValue(T, 1.0f);
    ASSERT_TRUE(solver.Solve());
    EXPECT_EQ(std::make_pair(solver.GetValue(V1), solver.GetValue(S)), std::make_pair(5.0f, 4.0f));
    solver.Clear();
    EXPECT_FALSE(solver.Solve());
    EXPECT_FALSE(solver.IsKnown(A) || solver.IsKnown(-1) || solver.GetValue(V1) != 0.0f);
}

TEST(RandomTest, DrawsCoverTheirRangesAndASeedRepeats)
{
    constexpr int kDraws = 1000000;
    Random::Seed(12345);
    std::vector<int> seen(Random::Max + 1);
    std::vector<float> ends = {1, 0, 1, -1};  // lowest and highest Unit, then Signed
    double unitSum = 0;
    for (int i = 0; i < kDraws; ++i) {
        ++seen.at(static_cast<size_t>(Random::Next()));  // throws outside 0..Max
        const float unit = Random::Unit(), sign = Random::Signed();
        ends = {std::min(ends[0], unit), std::max(ends[1], unit), std::min(ends[2], sign), std::max(ends[3], sign)};
        unitSum += unit;
    }
    // A 15-bit draw hits each end about 30 times in a million.
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 0), 0);
    EXPECT_EQ(ends, (std::vector<float>{0, 1, -1, 1}));
    EXPECT_NEAR(unitSum / kDraws, 0.5, 0.01);

    int counts[7] = {}, range[7] = {};
    for (int i = 0; i < 70000; ++i) {
        const int below = Random::Below(7), r = Random::Range(-3, 4);
        ASSERT_TRUE(below >= 0 && below < 7 && r >= -3 && r < 4) << below << " " << r;
        ++counts[below];
        ++range[r + 3];
        const int wide = Random::Range(-2000000000, 2000000000);  // a span wider than an int
        ASSERT_TRUE(wide >= -2000000000 && wide < 2000000000) << wide;
    }
    EXPECT_GT(*std::min_element(counts, counts + 7), 8000);
    EXPECT_GT(*std::min_element(range, range + 7), 8000);
    for (const auto& [got, expected] : {std::pair{Random::Below(1), 0}, {Random::Below(0), 0}, {Random::Below(-5), 0},
                                        {Random::Range(5, 5), 5}, {Random::Range(9, 2), 9}})
        EXPECT_EQ(got, expected);
    // A seed repeats its sequence.
    std::vector<int> first, again, other;
    for (auto [seed, draws] : {std::pair{99u, &first}, {99u, &again}, {100u, &other}}) {
        Random::Seed(seed);
        for (int i = 0; i < 100; ++i)
            draws->push_back(Random::Next());
    }
    EXPECT_EQ(first, again);
    int same = 0;
    for (int i = 0; i < 100; ++i)
        same += other[i] == first[i];
    EXPECT_LT(same, 10);
}
