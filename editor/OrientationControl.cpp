#include "editor/OrientationControl.h"

#include "framework/MathUtil.h"
#include "editor/ParameterInput.h"

#include <cmath>

namespace {

const Vector3 kAxes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

// The ring of each axis lies in the plane of the other two.
Vector3 RingPoint(int axis, float r, float t)
{
    const float s = r * std::sin(t), c = r * std::cos(t);
    switch (axis) {
    case 0: return {0, s, c};
    case 1: return {s, 0, c};
    default: return {s, c, 0};
    }
}

}  // namespace

OrientationControl::Point OrientationControl::AxisEnd(int axis, int width, int height) const
{
    const Vector3 v = m_orientation.Rotate(kAxes[axis]);
    return {(width / 2) + width * v.x * 0.4f, (height / 2) + height * v.y * 0.4f};
}

std::vector<OrientationControl::Segment> OrientationControl::Ring(int axis, int width, int height) const
{
    const float cx = static_cast<float>(width / 2), cy = static_cast<float>(height / 2);
    const float r = static_cast<float>(width / 4);
    std::vector<Segment> segments;
    segments.reserve(kRingSegments);
    for (int i = 0; i < kRingSegments; ++i) {
        const Vector3 a = m_orientation.Rotate(RingPoint(axis, r, i * 0.06283185f));
        const Vector3 b = m_orientation.Rotate(RingPoint(axis, r, (i + 1) * 0.06283185f));
        segments.push_back({{cx + a.x, cy + a.y}, {cx + b.x, cy + b.y}});
    }
    return segments;
}

int OrientationControl::BackgroundBlue(int y, int height)
{
    if (height <= 0)
        return 64;
    return static_cast<int>((static_cast<double>(y) / height + 1.0) * 64.0) % 256;
}

void OrientationControl::Turn(int dx, int dy)
{
    const Quaternion inv = m_orientation.Inverse();
    m_orientation *= Quaternion(dx * 0.02f, inv.Rotate({0, 1, 0}));
    m_orientation *= Quaternion(-dy * 0.02f, inv.Rotate({1, 0, 0}));
    m_orientation.Normalize();
}

bool OrientationControl::OnMouseMove(int x, int y, bool leftButton)
{
    const int dx = x - m_lastX, dy = y - m_lastY;
    m_lastX = x;
    m_lastY = y;
    if (!leftButton)
        return false;
    Turn(dx, dy);
    float angles[3];
    Math::QuaternionToEuler(m_orientation, angles[0], angles[1], angles[2]);
    for (int i = 0; i < 3; ++i)
        if (angleBoxes[i] && writeAngle)
            writeAngle(angleBoxes[i], FormatFloat(static_cast<float>(angles[i] * 180.0 * 0.3183099014828645)));
    if (onTurn)
        onTurn();
    return true;
}
