#include "framework/KinematicSolver.h"

#include <gtest/gtest.h>

namespace {

enum { A = KinematicSolver::Acceleration, V0 = KinematicSolver::InitialSpeed,
       V1 = KinematicSolver::FinalSpeed, T = KinematicSolver::Time, S = KinematicSolver::Distance };

// One consistent motion: a = 2, v0 = 3, v1 = 11, t = 4, s = 28.
constexpr float kMotion[5] = {2.0f, 3.0f, 11.0f, 4.0f, 28.0f};

}  // namespace

TEST(KinematicSolver, EveryTripleOfKnownValuesSolvesTheOtherTwo)
{
    for (int i = 0; i < 5; ++i) {
        for (int j = i + 1; j < 5; ++j) {
            for (int k = j + 1; k < 5; ++k) {
                KinematicSolver solver;
                solver.SetValue(i, kMotion[i]);
                solver.SetValue(j, kMotion[j]);
                solver.SetValue(k, kMotion[k]);
                EXPECT_TRUE(solver.Solve()) << "known " << i << j << k;
                for (int n = 0; n < 5; ++n)
                    EXPECT_NEAR(solver.GetValue(n), kMotion[n], 1e-4f) << "known " << i << j << k << ", value " << n;
            }
        }
    }
}

TEST(KinematicSolver, KickSpeedFromDecelerationTimeAndDistance)
{
    // A ball slowing at 2 m/s^2 that covers 20 m in 2 s left at 12 m/s and ends at 8 m/s.
    KinematicSolver solver;
    solver.SetValue(A, -2.0f);
    solver.SetValue(T, 2.0f);
    solver.SetValue(S, 20.0f);
    ASSERT_TRUE(solver.Solve());
    EXPECT_FLOAT_EQ(solver.GetValue(V0), 12.0f);
    EXPECT_FLOAT_EQ(solver.GetValue(V1), 8.0f);
}

TEST(KinematicSolver, TimeFromQuadraticTakesFirstNonNegativeRoot)
{
    // Thrown up at 10 m/s under -10 m/s^2: 5 m up is reached at t = 1 (the only root),
    // 3.2 m at t = 0.4 on the way up (and again at 1.6 on the way down).
    KinematicSolver solver;
    solver.SetValue(A, -10.0f);
    solver.SetValue(V0, 10.0f);
    solver.SetValue(S, 3.2f);
    ASSERT_TRUE(solver.Solve());
    EXPECT_NEAR(solver.GetValue(T), 0.4f, 1e-5f);
    EXPECT_NEAR(solver.GetValue(V1), 6.0f, 1e-4f);

    // Never that high: no time exists.
    solver.SetValue(S, 6.0f);
    EXPECT_FALSE(solver.Solve());
    EXPECT_FALSE(solver.IsKnown(T));
}

TEST(KinematicSolver, UndeterminedValuesStayAndReportFalse)
{
    KinematicSolver solver;
    solver.SetValue(A, 0.0f);
    solver.SetValue(V0, 5.0f);
    solver.SetValue(V1, 5.0f);  // constant speed: any time fits
    EXPECT_FALSE(solver.Solve());
    EXPECT_EQ(solver.GetValue(T), 0.0f);
    EXPECT_EQ(solver.GetValue(S), 0.0f);

    KinematicSolver two;
    two.SetValue(A, 1.0f);
    two.SetValue(T, 3.0f);
    EXPECT_FALSE(two.Solve());
    EXPECT_EQ(two.GetValue(V0), 0.0f);

    // Reaching a lower speed with positive acceleration would need negative time.
    KinematicSolver backwards;
    backwards.SetValue(A, 2.0f);
    backwards.SetValue(V0, 5.0f);
    backwards.SetValue(V1, 1.0f);
    EXPECT_FALSE(backwards.Solve());
}

TEST(KinematicSolver, ResolvingAfterAChangeRecomputesAndClearForgets)
{
    KinematicSolver solver;
    solver.SetValue(A, 2.0f);
    solver.SetValue(V0, 3.0f);
    solver.SetValue(T, 4.0f);
    ASSERT_TRUE(solver.Solve());
    EXPECT_FLOAT_EQ(solver.GetValue(V1), 11.0f);
    EXPECT_FALSE(solver.IsKnown(V1));

    solver.SetValue(T, 1.0f);
    ASSERT_TRUE(solver.Solve());
    EXPECT_FLOAT_EQ(solver.GetValue(V1), 5.0f);
    EXPECT_FLOAT_EQ(solver.GetValue(S), 4.0f);

    solver.Clear();
    for (int n = 0; n < 5; ++n) {
        EXPECT_FALSE(solver.IsKnown(n));
        EXPECT_EQ(solver.GetValue(n), 0.0f);
    }
    EXPECT_FALSE(solver.Solve());
}

TEST(KinematicSolver, IndexOutOfRangeIsIgnored)
{
    KinematicSolver solver;
    solver.SetValue(5, 1.0f);
    solver.SetValue(-1, 1.0f);
    EXPECT_EQ(solver.GetValue(5), 0.0f);
    EXPECT_FALSE(solver.IsKnown(-1));
}
