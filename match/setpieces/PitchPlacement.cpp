#include "match/setpieces/PitchPlacement.h"

#include "settings/PitchCoordinates.h"

#include <algorithm>

namespace placement {

namespace {

// The point's distance from the centre along the axis kept within the limits, which the
// halves' extents less the margin give on either side.
Vector3 WithinAxis(const Vector3& point, PitchFrame::Direction axis, float negativeExtent, float positiveExtent,
                   float margin)
{
    const Vector3& unit = PitchFrame::GetDirection(axis);
    const float at = unit.Dot(point - PitchFrame::GetCentre());
    const float low = -std::max(negativeExtent - margin, 0.0f);
    const float high = std::max(positiveExtent - margin, 0.0f);
    return point + unit * (std::clamp(at, low, high) - at);
}

}  // namespace

Vector3 LevelAlong(const Vector3& point, const Vector3& level)
{
    const Vector3& along = PitchFrame::GetDirection(PitchFrame::kAlong);
    return point + along * along.Dot(level - point);
}

Vector3 WithinEnds(const Vector3& point, float margin)
{
    return WithinAxis(point, PitchFrame::kAlong, PitchFrame::AlongHalfExtent(-1.0f), PitchFrame::AlongHalfExtent(1.0f),
                      margin);
}

Vector3 WithinTouchlines(const Vector3& point, float margin)
{
    return WithinAxis(point, PitchFrame::kAcross, PitchFrame::AcrossHalfExtent(-1.0f),
                      PitchFrame::AcrossHalfExtent(1.0f), margin);
}

}  // namespace placement
