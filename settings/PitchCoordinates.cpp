#include "settings/PitchCoordinates.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

struct Frame {
    Vector3 directions[PitchFrame::kDirectionCount];
    Matrix3 pitchToWorld;
    Matrix3 worldToPitch;
    Vector3 centre;
    float acrossNegative = 0.0f;
    float acrossPositive = 0.0f;
    float alongNegative = 0.0f;
    float alongPositive = 0.0f;
};

constexpr float kStartAlong = PitchFrame::kHalfLength;
constexpr float kStartAcross = PitchFrame::kHalfWidth;
constexpr float kPi = std::numbers::pi_v<float>;

// A zero extent gives 0 rather than infinity: the pitch has no room on that side.
float Divide(float value, float extent) { return extent > 0.0f ? value / extent : 0.0f; }

Vector3 Unit(Vector3 v)
{
    v.Normalize();
    return v;
}

void ApplyAxes(Frame& f, const Vector3& first, const Vector3& third)
{
    const Vector3 a = Unit(first);
    const Vector3 b = Unit(third.Cross(a));
    const Vector3 c = a.Cross(b);
    const Vector3 axes[] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        f.directions[2 * i] = axes[i];
        f.directions[2 * i + 1] = -axes[i];
        f.pitchToWorld.SetColumn(i, axes[i]);
    }
    if (!f.pitchToWorld.Inverse(f.worldToPitch))
        f.worldToPitch = f.pitchToWorld.Transpose();
}

void ApplyExtents(Frame& f, const Vector3& centre, float acrossNegative, float acrossPositive, float alongNegative,
                  float alongPositive)
{
    f.centre = centre;
    f.acrossNegative = std::max(acrossNegative, 0.0f);
    f.acrossPositive = std::max(acrossPositive, 0.0f);
    f.alongNegative = std::max(alongNegative, 0.0f);
    f.alongPositive = std::max(alongPositive, 0.0f);
}

Frame StartFrame()
{
    Frame f;
    ApplyAxes(f, {-1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -1.0f});
    ApplyExtents(f, Vector3::Zero, kStartAcross, kStartAcross, kStartAlong, kStartAlong);
    return f;
}

Frame& TheFrame()
{
    static Frame frame = StartFrame();
    return frame;
}

}  // namespace

void PitchFrame::SetAxes(const Vector3& first, const Vector3&, const Vector3& third)
{
    ApplyAxes(TheFrame(), first, third);
}

void PitchFrame::SetExtents(const Vector3& centre, float acrossNegative, float acrossPositive, float alongNegative,
                            float alongPositive)
{
    ApplyExtents(TheFrame(), centre, acrossNegative, acrossPositive, alongNegative, alongPositive);
}

void PitchFrame::Reset() { TheFrame() = StartFrame(); }

const Vector3& PitchFrame::GetDirection(Direction direction) { return TheFrame().directions[direction]; }
const Matrix3& PitchFrame::PitchToWorld() { return TheFrame().pitchToWorld; }
const Matrix3& PitchFrame::WorldToPitch() { return TheFrame().worldToPitch; }
const Vector3& PitchFrame::GetCentre() { return TheFrame().centre; }

float PitchFrame::AlongHalfExtent(float x)
{
    const Frame& f = TheFrame();
    return x >= 0.0f ? f.alongPositive : f.alongNegative;
}

float PitchFrame::AcrossHalfExtent(float z)
{
    const Frame& f = TheFrame();
    return z >= 0.0f ? f.acrossPositive : f.acrossNegative;
}

Vector3 PitchFrame::Flatten(const Vector3& v)
{
    const Vector3& up = GetDirection(kUp);
    return v - up * v.Dot(up);
}

Vector3 PitchFrame::KeepInside(const Vector3& world, float margin)
{
    const Frame& f = TheFrame();
    Vector3 local = f.worldToPitch * (world - f.centre);
    const auto within = [margin](float value, float halfExtent) {
        const float limit = std::max(halfExtent - margin, 0.0f);
        return std::clamp(value, -limit, limit);
    };
    local.x = within(local.x, AlongHalfExtent(local.x));
    local.z = within(local.z, AcrossHalfExtent(local.z));
    return f.pitchToWorld * local + f.centre;
}

PitchPosition PitchPosition::FromWorld(const Vector3& world, bool firstSide)
{
    const Frame& f = TheFrame();
    const Vector3 p = f.worldToPitch * (world - f.centre);
    const float sign = firstSide ? 1.0f : -1.0f;
    const float along = sign * p.x, across = sign * p.z;
    return {Divide(along, PitchFrame::AlongHalfExtent(along)), Divide(across, PitchFrame::AcrossHalfExtent(across))};
}

Vector3 PitchPosition::ToWorld(bool firstSide) const
{
    const Frame& f = TheFrame();
    const float sign = firstSide ? 1.0f : -1.0f;
    const float along = sign * x, across = sign * z;
    const Vector3 p(along * PitchFrame::AlongHalfExtent(along), 0.0f, across * PitchFrame::AcrossHalfExtent(across));
    return f.pitchToWorld * p + f.centre;
}

void PitchPosition::Clamp()
{
    x = std::clamp(x, -1.0f, 1.0f);
    z = std::clamp(z, -1.0f, 1.0f);
}

PitchAngle PitchAngle::FromDirection(const Vector3& direction)
{
    const Vector3 p = TheFrame().worldToPitch * direction;
    const float angle = std::atan2(p.x, p.z);
    // atan2 gives -pi for a negative zero: the same heading as pi, which the range keeps.
    return PitchAngle(angle == -kPi ? kPi : angle);
}

Vector3 PitchAngle::ToDirection() const
{
    return TheFrame().pitchToWorld * Vector3(std::sin(angle), 0.0f, std::cos(angle));
}

Quaternion PitchAngle::ToRotation() const
{
    Quaternion frame;
    frame.FromMatrix(TheFrame().pitchToWorld);
    return frame * Quaternion(angle, PitchFrame::GetDirection(PitchFrame::kUp));
}

float PitchAngle::ToWorldHeading() const { return WorldHeadingOf(ToDirection()); }

PitchAngle PitchAngle::FromWorldHeading(float heading) { return FromDirection(WorldHeadingDirection(heading)); }

float WorldHeadingOf(const Vector3& direction) { return std::atan2(direction.x, direction.z); }

Vector3 WorldHeadingDirection(float heading) { return {std::sin(heading), 0.0f, std::cos(heading)}; }
