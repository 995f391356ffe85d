#pragma once

#include "framework/Quaternion.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

// A rotation shown as three axes with their rings, turned by dragging with the left
// mouse button. Pure geometry: the view draws what these functions give.
class OrientationControl {
public:
    struct Point {
        float x = 0.0f, y = 0.0f;
    };
    struct Segment {
        Point from, to;
    };

    static constexpr int kRingSegments = 100;
    static constexpr int kNotifyId = 1092;

    // Screen end of axis 0 (X), 1 (Y) or 2 (Z) in a width x height item; y grows downward.
    Point AxisEnd(int axis, int width, int height) const;
    // The ring about the axis, radius width / 4, as segments around the centre.
    std::vector<Segment> Ring(int axis, int width, int height) const;
    // Blue of the background row y: 64 at the top to about 127 at the bottom.
    static int BackgroundBlue(int y, int height);

    // A mouse move inside the control: with the left button held the rotation turns and
    // the listener hears of it; the position is always recorded. True when it turned.
    bool OnMouseMove(int x, int y, bool leftButton);
    // The turn of a drag by (dx, dy) pixels: 0.02 radians per pixel about the screen's
    // vertical (dx) and horizontal (dy) axes, renormalised so long drags do not drift.
    void Turn(int dx, int dy);

    const Quaternion& GetOrientation() const { return m_orientation; }
    void SetOrientation(const Quaternion& q) { m_orientation = q; }
    int GetLastX() const { return m_lastX; }
    int GetLastY() const { return m_lastY; }

    // Sibling edits that receive the angles in degrees after a turn; 0 = none. The writer
    // gets (identifier, text).
    std::array<int, 3> angleBoxes{};
    std::function<void(int, const std::string&)> writeAngle;
    // Called after every turn, once the angles are written.
    std::function<void()> onTurn;

private:
    Quaternion m_orientation;
    int m_lastX = 0, m_lastY = 0;
};
