#include "editor/OrientationControl.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(OrientationControl, IdentityAxesAndRings)
{
    OrientationControl control;
    const struct {
        int axis;
        float x, y;
    } ends[] = {{0, 72, 40}, {1, 40, 72}, {2, 40, 40}};
    for (const auto& e : ends) {
        OrientationControl::Point p = control.AxisEnd(e.axis, 80, 80);
        EXPECT_FLOAT_EQ(p.x, e.x) << e.axis;
        EXPECT_FLOAT_EQ(p.y, e.y) << e.axis;
    }
    auto ring = control.Ring(2, 80, 80);
    ASSERT_EQ(ring.size(), 100u);
    for (const auto& s : ring)
        EXPECT_NEAR(std::hypot(s.from.x - 40, s.from.y - 40), 20.0f, 1e-4f);
    EXPECT_NEAR(ring.back().to.x, ring.front().from.x, 1e-3f);  // closed
    // The X ring is seen edge on at the identity: a vertical line.
    for (const auto& s : control.Ring(0, 80, 80))
        EXPECT_NEAR(s.from.x, 40.0f, 1e-4f);
}

TEST(OrientationControl, BackgroundGradient)
{
    EXPECT_EQ(OrientationControl::BackgroundBlue(0, 80), 64);
    EXPECT_EQ(OrientationControl::BackgroundBlue(40, 80), 96);
    EXPECT_EQ(OrientationControl::BackgroundBlue(79, 80), 127);
}

TEST(OrientationControl, DragsTurnAndNotify)
{
    OrientationControl control;
    int notified = 0;
    std::vector<std::pair<int, std::string>> written;
    control.onTurn = [&] { ++notified; };
    control.writeAngle = [&](int id, const std::string& text) { written.emplace_back(id, text); };
    control.angleBoxes = {7, 0, 9};

    EXPECT_FALSE(control.OnMouseMove(30, 30, false));
    EXPECT_EQ(control.GetOrientation(), Quaternion::Identity);
    EXPECT_EQ(control.GetLastX(), 30);
    EXPECT_EQ(notified, 0);

    EXPECT_TRUE(control.OnMouseMove(40, 30, true));  // no jump from the recorded position
    Quaternion expected(0.2f, Vector3{0, 1, 0});
    EXPECT_NEAR(std::fabs(control.GetOrientation().Dot(expected)), 1.0f, 1e-6f);
    EXPECT_EQ(notified, 1);
    ASSERT_EQ(written.size(), 2u);  // box 0 skipped
    EXPECT_EQ(written[0].first, 7);
    EXPECT_EQ(written[1].first, 9);

    // Dragging down turns about the screen's horizontal axis.
    OrientationControl down;
    down.Turn(0, 10);
    Quaternion aboutX(-0.2f, Vector3{1, 0, 0});
    EXPECT_NEAR(std::fabs(down.GetOrientation().Dot(aboutX)), 1.0f, 1e-6f);

    // Long drags stay a unit rotation.
    for (int i = 0; i < 10000; ++i)
        control.Turn(3, -2);
    EXPECT_NEAR(control.GetOrientation().NormSquared(), 1.0f, 1e-5f);
}

}  // namespace
