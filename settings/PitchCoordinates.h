#pragma once

#include "framework/Matrix3.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"

// The pitch's own frame, one for the process: the AI, the rules and the ball reason in it
// whatever way the stadium lies in the world. The game state sets it at start; until then it
// is the frame of a 100 x 65.34 pitch centred on the origin, attacked along -x.
class PitchFrame {
public:
    // The pitch every level is built on and every match plays on: half its length (goal line
    // to centre line) and half its width, in metres. The level generator draws the same.
    static constexpr float kHalfLength = 50.0f;
    static constexpr float kHalfWidth = 32.67f;

    // The six named directions: each pitch axis and its negation.
    enum Direction { kAlong, kAlongBack, kUp, kDown, kAcross, kAcrossBack, kDirectionCount };

    // along = unit(first), up = unit(third x along), across = along x up. The second vector is
    // taken for symmetry with the callers and not used.
    static void SetAxes(const Vector3& first, const Vector3& unused, const Vector3& third);
    // Negative half-extents are stored as 0.
    static void SetExtents(const Vector3& centre, float acrossNegative, float acrossPositive, float alongNegative,
                           float alongPositive);
    // Back to the start-up frame.
    static void Reset();

    static const Vector3& GetDirection(Direction direction);
    // Columns along, up, across: a pitch-space (x, y, z) maps to x along + y up + z across.
    static const Matrix3& PitchToWorld();
    static const Matrix3& WorldToPitch();
    static const Vector3& GetCentre();
    // The half-extent on the side of the centre that the sign of the pitch coordinate picks
    // (the positive side for 0).
    static float AlongHalfExtent(float x);
    static float AcrossHalfExtent(float z);
    // The vector less its part along the pitch's up axis.
    static Vector3 Flatten(const Vector3& v);
    // The point moved in to at least margin inside every line (beyond them for a negative
    // margin), at its height over the pitch; a margin past halfway puts it on the centre line.
    static Vector3 KeepInside(const Vector3& world, float margin);
};

// Characters turn about the world's up axis: a heading is in radians, 0 facing +z and pi/2
// facing +x, whatever way the pitch frame lies.
// The heading of the direction's horizontal part, in [-pi, pi]; 0 for a vertical direction.
float WorldHeadingOf(const Vector3& direction);
// The unit horizontal world vector the heading faces.
Vector3 WorldHeadingDirection(float heading);

// Where something is on the pitch, seen from one side: x runs from the side's own goal line
// (-1) to the one it attacks (1), z from touchline to touchline. The first side sees the
// pitch frame as it is; the second sees both coordinates negated.
struct PitchPosition {
    float x = 0.0f;
    float z = 0.0f;

    constexpr PitchPosition() = default;
    constexpr PitchPosition(float x_, float z_) : x(x_), z(z_) {}

    // The height is dropped. A zero half-extent gives 0 on its side.
    static PitchPosition FromWorld(const Vector3& world, bool firstSide);
    // On the pitch plane through the centre.
    Vector3 ToWorld(bool firstSide) const;
    // Both coordinates into [-1, 1].
    void Clamp();

    constexpr bool operator==(const PitchPosition&) const = default;
};

// A heading in the pitch's horizontal plane: 0 points across the pitch, pi/2 along it.
struct PitchAngle {
    float angle = 0.0f;

    constexpr PitchAngle() = default;
    constexpr explicit PitchAngle(float radians) : angle(radians) {}

    // The direction's height in the pitch frame is ignored; the result lies in (-pi, pi].
    static PitchAngle FromDirection(const Vector3& direction);
    // A unit world vector in the pitch plane.
    Vector3 ToDirection() const;
    // The pitch frame's rotation, then this heading about its up axis.
    Quaternion ToRotation() const;

    // Characters turn in the world, not the pitch: their heading is about the world's up
    // axis, 0 facing +z. The pitch frame may lie any way round, so the two never mix unconverted.
    float ToWorldHeading() const;
    static PitchAngle FromWorldHeading(float heading);
};
