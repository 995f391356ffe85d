#include "framework/KinematicSolver.h"

#include <gtest/gtest.h>

namespace {

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

TEST(KinematicSolverTest, EveryTripleOfKnownValuesSolvesTheOtherTwo)
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
}

TEST(KinematicSolverTest, ComputedValuesAreNotKnownSoAChangedInputRecomputesThem)
{
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
