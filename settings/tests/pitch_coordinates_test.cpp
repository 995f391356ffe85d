#include <gtest/gtest.h>

#include "settings/PitchCoordinates.h"

#include <cmath>
#include <functional>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

class PitchCoordinatesTest : public ::testing::Test {
protected:
    void TearDown() override { PitchFrame::Reset(); }
};

Vector3 Flat(const PitchPosition& p) { return {p.x, 0.0f, p.z}; }

PitchPosition Clamped(PitchPosition p)
{
    p.Clamp();
    return p;
}

float RoundTrip(float angle) { return PitchAngle::FromDirection(PitchAngle(angle).ToDirection()).angle; }

// How far the heading came back from where it went, whole turns aside.
float TurnError(float angle) { return std::remainder(RoundTrip(angle) - angle, 2 * kPi); }

float InRange(float angle) { return angle > -kPi && angle <= kPi ? 1.0f : 0.0f; }

// On the start-up frame: a = -x, b = y, c = -z, 50 m to each goal line, 32.67 m to each
// touchline.
TEST_F(PitchCoordinatesTest, PositionsAndHeadingsConvertBothWaysForEitherSide)
{
    struct Case {
        const char* what;
        std::function<Vector3()> actual;
        Vector3 expected;
    };
    const Case cases[] = {
        {"the far goal line for the first side", [] { return Flat(PitchPosition::FromWorld({-50, 0, 0}, true)); },
         {1, 0, 0}},
        {"the same for the second side", [] { return Flat(PitchPosition::FromWorld({-50, 0, 0}, false)); },
         {-1, 0, 0}},
        {"a touchline", [] { return Flat(PitchPosition::FromWorld({0, 0, 32.67f}, true)); }, {0, 0, -1}},
        {"height is dropped", [] { return Flat(PitchPosition::FromWorld({25, 7, -16.335f}, true)); },
         {-0.5f, 0, 0.5f}},
        {"back to the world, first side", [] { return PitchPosition::FromWorld({12, 3, -20}, true).ToWorld(true); },
         {12, 0, -20}},
        {"back to the world, second side",
         [] { return PitchPosition::FromWorld({-40, 1, 30}, false).ToWorld(false); }, {-40, 0, 30}},
        {"a corner seen by the second side", [] { return PitchPosition(1, 1).ToWorld(false); }, {50, 0, 32.67f}},
        {"clamped", [] { return Flat(Clamped({1.5f, -2})); }, {1, 0, -1}},
        {"inside is not clamped", [] { return Flat(Clamped({0.25f, -1})); }, {0.25f, 0, -1}},
        {"heading 0 points across", [] { return PitchAngle(0).ToDirection(); }, {0, 0, -1}},
        {"heading pi/2 points along", [] { return PitchAngle(kPi / 2).ToDirection(); }, {-1, 0, 0}},
        {"headings come back", [] { return Vector3(TurnError(0.3f), TurnError(-2.5f), TurnError(kPi)); }, {0, 0, 0}},
        {"whole turns aside", [] { return Vector3(TurnError(3 * kPi), TurnError(-kPi), RoundTrip(2 * kPi - 0.5f)); },
         {0, 0, -0.5f}},
        {"into (-pi, pi]",
         [] { return Vector3(InRange(RoundTrip(3 * kPi)), InRange(RoundTrip(-kPi)), InRange(RoundTrip(7))); },
         {1, 1, 1}},
        {"a heading's rotation turns z onto its direction",
         [] { return PitchAngle(1.2f).ToRotation().Rotate(Vector3::UnitZ); }, PitchAngle(1.2f).ToDirection()},
    };
    for (const Case& c : cases) {
        const Vector3 actual = c.actual();
        EXPECT_NEAR((actual - c.expected).Length(), 0.0f, 1e-4f)
            << c.what << ": " << actual.x << " " << actual.y << " " << actual.z;
    }
}

TEST_F(PitchCoordinatesTest, AFrameOfItsOwnAxesCentreAndUnequalHalves)
{
    // A pitch along +z, centred at (10, 0, 5), 40 m behind the centre and 60 m ahead.
    PitchFrame::SetAxes({0, 0, 2}, Vector3::Zero, {-1, 0, 0});
    PitchFrame::SetExtents({10, 0, 5}, 20, -3, 40, 60);
    EXPECT_EQ(PitchFrame::GetDirection(PitchFrame::kUp), Vector3(0, 1, 0));
    EXPECT_EQ(PitchFrame::GetDirection(PitchFrame::kAcrossBack), Vector3(1, 0, 0));
    EXPECT_EQ(PitchFrame::GetDirection(PitchFrame::kAlongBack), Vector3(0, 0, -1));
    const PitchPosition ahead = PitchPosition::FromWorld({10, 0, 35}, true);
    const PitchPosition behind = PitchPosition::FromWorld({20, 0, -15}, true);
    EXPECT_NEAR(ahead.x, 0.5f, 1e-6f);
    EXPECT_NEAR(behind.x, -0.5f, 1e-6f);
    EXPECT_NEAR(behind.z, -0.5f, 1e-6f);
    // No room on the positive across side: 0 there, not infinity.
    EXPECT_EQ(PitchPosition::FromWorld({0, 0, 5}, true).z, 0.0f);
    EXPECT_NEAR(PitchAngle::FromDirection({0, 0, 1}).angle, kPi / 2, 1e-6f);
}

// On the same frame: a point kept a margin inside the lines (beyond them for a negative one)
// keeps its height; a side with no room keeps it on the centre line.
TEST_F(PitchCoordinatesTest, APointIsKeptAMarginInsideOrBeyondTheLines)
{
    PitchFrame::SetAxes({0, 0, 2}, Vector3::Zero, {-1, 0, 0});
    PitchFrame::SetExtents({10, 0, 5}, 20, -3, 40, 60);
    const struct {
        Vector3 point;
        float margin;
        Vector3 kept;
    } cases[] = {
        {{10, 2, 80}, 5, {10, 2, 60}},    {{40, 0, 5}, 5, {25, 0, 5}},     {{5, 0, 5}, 5, {10, 0, 5}},
        {{10, 0, -40}, -1, {10, 0, -36}}, {{12, 0, 20}, 5, {12, 0, 20}},    {{30, 1, -50}, 0, {30, 1, -35}},
    };
    for (const auto& c : cases) {
        const Vector3 kept = PitchFrame::KeepInside(c.point, c.margin);
        EXPECT_NEAR((kept - c.kept).Length(), 0.0f, 1e-4f)
            << c.point.x << " " << c.point.y << " " << c.point.z << " by " << c.margin << ": " << kept.x << " "
            << kept.y << " " << kept.z;
    }
}

// A character's heading faces where the pitch angle points, whichever way the frame lies.
TEST_F(PitchCoordinatesTest, PitchAnglesBecomeWorldHeadingsAndBack)
{
    struct Frame {
        const char* what;
        Vector3 first, third;
    };
    const Frame frames[] = {
        {"the start-up frame", {-1, 0, 0}, {0, 0, -1}},
        {"turned half a turn from it", {1, 0, 0}, {0, 0, 1}},
        {"along +z", {0, 0, 2}, {-1, 0, 0}},
    };
    for (const Frame& f : frames) {
        PitchFrame::SetAxes(f.first, Vector3::Zero, f.third);
        for (const float angle : {0.0f, 0.7f, kPi / 2, -2.0f, kPi}) {
            const float heading = PitchAngle(angle).ToWorldHeading();
            const Vector3 facing(std::sin(heading), 0.0f, std::cos(heading));
            EXPECT_NEAR((facing - PitchAngle(angle).ToDirection()).Length(), 0.0f, 1e-5f) << f.what << " " << angle;
            EXPECT_NEAR(std::remainder(PitchAngle::FromWorldHeading(heading).angle - angle, 2 * kPi), 0.0f, 1e-5f)
                << f.what << " " << angle;
        }
    }
}

TEST_F(PitchCoordinatesTest, WorldHeadingsIgnoreHeightAndFlatteningFollowsThePitchUp)
{
    struct Heading {
        Vector3 direction;
        float heading;
    };
    const Heading headings[] = {
        {{0, 0, 1}, 0.0f}, {{1, 0, 0}, kPi / 2}, {{0, 0, -1}, kPi}, {{-1, 0, 0}, -kPi / 2}, {{2, 7, 2}, kPi / 4},
    };
    for (const Heading& h : headings) {
        EXPECT_NEAR(WorldHeadingOf(h.direction), h.heading, 1e-6f) << h.heading;
        const Vector3 facing = WorldHeadingDirection(h.heading);
        Vector3 flat = h.direction;
        flat.y = 0.0f;
        flat.Normalize();
        EXPECT_NEAR((facing - flat).Length(), 0.0f, 1e-6f) << h.heading;
    }

    struct Flattening {
        const char* what;
        Vector3 first, third, v, flat;
    };
    const Flattening cases[] = {
        {"the start-up frame", {-1, 0, 0}, {0, 0, -1}, {1, 2, 3}, {1, 0, 3}},
        // up = (0, 1, -1) / sqrt 2
        {"a tilted frame", {1, 0, 0}, {0, 1, 1}, {0, 1, 0}, {0, 0.5f, 0.5f}},
    };
    for (const Flattening& c : cases) {
        PitchFrame::SetAxes(c.first, Vector3::Zero, c.third);
        EXPECT_NEAR((PitchFrame::Flatten(c.v) - c.flat).Length(), 0.0f, 1e-6f) << c.what;
    }
}

}  // namespace
