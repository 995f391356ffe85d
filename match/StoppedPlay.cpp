#include "match/StoppedPlay.h"

#include "settings/PitchCoordinates.h"

Vector3 StoppedPlay::FramedPoint(const Vector3& ball)
{
    const Vector3& centre = PitchFrame::GetCentre();
    // On the grass below a ball still in the air.
    return PitchFrame::KeepInside(centre + PitchFrame::Flatten(ball - centre), kInside);
}
