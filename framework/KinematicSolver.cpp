#include "framework/KinematicSolver.h"

#include "framework/Debug.h"
#include "framework/MathUtil.h"

#include <cmath>

namespace {

enum { A = KinematicSolver::Acceleration, V0 = KinematicSolver::InitialSpeed,
       V1 = KinematicSolver::FinalSpeed, T = KinematicSolver::Time, S = KinematicSolver::Distance };

bool Divide(float num, float den, float& out)
{
    if (den == 0.0f)
        return false;
    const float r = num / den;
    if (!std::isfinite(r))
        return false;
    out = r;
    return true;
}

// Smallest root not below 0 of qa t^2 + qb t + qc = 0.
bool SolveTime(float qa, float qb, float qc, float& t)
{
    int count = 0;
    float r1 = 0.0f, r2 = 0.0f;
    Math::SolveQuadratic(qa, qb, qc, count, r1, r2);
    bool found = false;
    for (int i = 0; i < count; ++i) {
        const float r = i == 0 ? r1 : r2;
        if (r >= 0.0f && std::isfinite(r) && (!found || r < t)) {
            t = r;
            found = true;
        }
    }
    return found;
}

// One linear step: solves a single unknown from an equation whose other values are known.
bool LinearStep(float* v, bool* k)
{
    // v1 = v0 + a t
    if (k[V0] && k[A] && k[T] && !k[V1]) { v[V1] = v[V0] + v[A] * v[T]; return k[V1] = true; }
    if (k[V1] && k[A] && k[T] && !k[V0]) { v[V0] = v[V1] - v[A] * v[T]; return k[V0] = true; }
    if (k[V0] && k[V1] && k[T] && !k[A] && Divide(v[V1] - v[V0], v[T], v[A])) return k[A] = true;
    if (k[V0] && k[V1] && k[A] && !k[T] && Divide(v[V1] - v[V0], v[A], v[T]) && v[T] >= 0.0f)
        return k[T] = true;
    // s = (v0 + v1) t / 2
    if (k[V0] && k[V1] && k[T] && !k[S]) { v[S] = 0.5f * (v[V0] + v[V1]) * v[T]; return k[S] = true; }
    if (k[V0] && k[V1] && k[S] && !k[T] && Divide(2.0f * v[S], v[V0] + v[V1], v[T]) && v[T] >= 0.0f)
        return k[T] = true;
    // s = v0 t + a t^2 / 2
    if (k[V0] && k[A] && k[T] && !k[S]) { v[S] = v[V0] * v[T] + 0.5f * v[A] * v[T] * v[T]; return k[S] = true; }
    if (k[S] && k[A] && k[T] && !k[V0] && Divide(v[S] - 0.5f * v[A] * v[T] * v[T], v[T], v[V0]))
        return k[V0] = true;
    if (k[S] && k[V0] && k[T] && !k[A] && Divide(2.0f * (v[S] - v[V0] * v[T]), v[T] * v[T], v[A]))
        return k[A] = true;
    // s = v1 t - a t^2 / 2
    if (k[V1] && k[A] && k[T] && !k[S]) { v[S] = v[V1] * v[T] - 0.5f * v[A] * v[T] * v[T]; return k[S] = true; }
    if (k[S] && k[A] && k[T] && !k[V1] && Divide(v[S] + 0.5f * v[A] * v[T] * v[T], v[T], v[V1]))
        return k[V1] = true;
    if (k[S] && k[V1] && k[T] && !k[A] && Divide(2.0f * (v[V1] * v[T] - v[S]), v[T] * v[T], v[A]))
        return k[A] = true;
    // v1^2 = v0^2 + 2 a s (only the linear unknowns; the speeds would need a sign)
    if (k[V0] && k[V1] && k[S] && !k[A] && Divide(v[V1] * v[V1] - v[V0] * v[V0], 2.0f * v[S], v[A]))
        return k[A] = true;
    if (k[V0] && k[V1] && k[A] && !k[S] && Divide(v[V1] * v[V1] - v[V0] * v[V0], 2.0f * v[A], v[S]))
        return k[S] = true;
    return false;
}

// Time from one of the two quadratic forms, used only when nothing linear is left.
// Each form leaves one speed out; it is only used while that speed is unknown, as
// its root could otherwise contradict the speed given.
bool QuadraticStep(float* v, bool* k)
{
    if (k[T])
        return false;
    if (k[S] && k[V0] && k[A] && !k[V1] && SolveTime(0.5f * v[A], v[V0], -v[S], v[T]))
        return k[T] = true;
    if (k[S] && k[V1] && k[A] && !k[V0] && SolveTime(-0.5f * v[A], v[V1], -v[S], v[T]))
        return k[T] = true;
    return false;
}

}  // namespace

void KinematicSolver::Clear()
{
    for (int i = 0; i < Count; ++i) {
        m_values[i] = 0.0f;
        m_known[i] = false;
    }
}

void KinematicSolver::SetValue(int index, float value)
{
    if (index < 0 || index >= Count) {
        LogError("KinematicSolver::SetValue: index %d out of range\n", index);
        return;
    }
    m_values[index] = value;
    m_known[index] = true;
}

float KinematicSolver::GetValue(int index) const
{
    return index >= 0 && index < Count ? m_values[index] : 0.0f;
}

bool KinematicSolver::IsKnown(int index) const
{
    return index >= 0 && index < Count && m_known[index];
}

bool KinematicSolver::Solve()
{
    float v[Count];
    bool k[Count];
    for (int i = 0; i < Count; ++i) {
        v[i] = m_values[i];
        k[i] = m_known[i];
    }
    while (LinearStep(v, k) || QuadraticStep(v, k)) {
    }
    bool all = true;
    for (int i = 0; i < Count; ++i) {
        if (k[i])
            m_values[i] = v[i];
        else
            all = false;
    }
    return all;
}
