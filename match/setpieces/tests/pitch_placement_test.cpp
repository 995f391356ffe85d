#include "match/setpieces/PitchPlacement.h"

#include "settings/PitchCoordinates.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class PitchPlacementTest : public ::testing::Test {
protected:
    void TearDown() override { PitchFrame::Reset(); }
};

// The world point at a distance along the pitch, above it and across it from the centre.
Vector3 At(float along, float up, float across)
{
    return PitchFrame::GetCentre() + PitchFrame::GetDirection(PitchFrame::kAlong) * along +
           PitchFrame::GetDirection(PitchFrame::kUp) * up + PitchFrame::GetDirection(PitchFrame::kAcross) * across;
}

void ExpectNear(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-3f);
    EXPECT_NEAR(actual.y, expected.y, 1e-3f);
    EXPECT_NEAR(actual.z, expected.z, 1e-3f);
}

}  // namespace

// A pitch turned a quarter and an eighth in the world, its centre moved off the origin and
// its halves of unequal size (40 m and 60 m to the goal lines, 20 m and 30 m to the
// touchlines): placements follow its lines, not the world's axes.
TEST_F(PitchPlacementTest, RestartPlacesFollowTheLinesOfATurnedAndMovedPitch)
{
    PitchFrame::SetAxes({-1.0f, 0.0f, 1.0f}, Vector3::Zero, {-1.0f, 0.0f, -1.0f});
    PitchFrame::SetExtents({10.0f, 0.0f, 5.0f}, 20.0f, 30.0f, 40.0f, 60.0f);
    ASSERT_NEAR(PitchFrame::GetDirection(PitchFrame::kUp).y, 1.0f, 1e-5f);
    struct Case {
        const char* what;
        std::function<Vector3()> actual;
        Vector3 expected;
    };
    const Case cases[] = {
        {"beyond the far goal line", [] { return placement::WithinEnds(At(63, 1, -4), 2); }, At(58, 1, -4)},
        {"beyond the near goal line", [] { return placement::WithinEnds(At(-45, 0, 25), 2); }, At(-38, 0, 25)},
        {"on the margin", [] { return placement::WithinEnds(At(58, 0, 3), 2); }, At(58, 0, 3)},
        {"inside the margin", [] { return placement::WithinEnds(At(-12, 0, -35), 2); }, At(-12, 0, -35)},
        {"a margin wider than the half", [] { return placement::WithinEnds(At(-30, 0, 6), 45); }, At(0, 0, 6)},
        {"beyond a touchline", [] { return placement::WithinTouchlines(At(70, 0, 31), 1.5f); }, At(70, 0, 28.5f)},
        {"beyond the other touchline", [] { return placement::WithinTouchlines(At(3, 0, -26), 1.5f); },
         At(3, 0, -18.5f)},
        {"between the touchlines", [] { return placement::WithinTouchlines(At(3, 2, -10), 1.5f); }, At(3, 2, -10)},
        {"level along", [] { return placement::LevelAlong(At(-7, 0.5f, 12), At(4, 0, -3)); }, At(4, 0.5f, 12)},
        {"already level", [] { return placement::LevelAlong(At(9, 0, -6), At(9, 1, 8)); }, At(9, 0, -6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectNear(c.actual(), c.expected);
    }
}
