#pragma once

// Constant-acceleration motion over five values. Give any three (SetValue), Solve
// fills in the other two from
//   v1 = v0 + a t,  s = (v0 + v1) t / 2,  s = v0 t + a t^2 / 2,
//   s = v1 t - a t^2 / 2,  v1^2 = v0^2 + 2 a s.
// Time never runs backwards: a negative time is no solution, and of two roots the
// smaller one not below 0 is taken.
class KinematicSolver {
public:
    enum Index { Acceleration = 0, InitialSpeed = 1, FinalSpeed = 2, Time = 3, Distance = 4, Count = 5 };

    KinematicSolver() { Clear(); }

    // Forgets every value: all become 0 and unknown.
    void Clear();
    // Marks the value known. An index outside 0..4 is logged and ignored.
    void SetValue(int index, float value);
    // 0 for an index outside 0..4.
    float GetValue(int index) const;
    bool IsKnown(int index) const;

    // Computes every value not set from the ones set. Values that cannot be
    // determined (too few known, or a zero divisor) keep what they held; the result
    // is then false. Computed values are not marked known, so changing one input
    // and solving again recomputes them.
    bool Solve();

private:
    float m_values[Count];
    bool m_known[Count];
};
