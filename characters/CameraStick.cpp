#include "characters/CameraStick.h"

#include "engine/core/RwFrame.h"
#include "framework/Debug.h"
#include "framework/Matrix3.h"
#include "input/InputController.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"

Vector3 TransformByCameraHeading(const Vector3& v)
{
    // The stick is read every frame: warn when the heading is lost, not on every read.
    static bool s_warned = false;
    auto unturned = [&](const char* why) {
        if (!s_warned)
            LogWarning("TransformByCameraHeading: %s; the direction is left unturned\n", why);
        s_warned = true;
        return v;
    };

    PrimaryCamera* camera = RwGraphics::Exists() ? RwGraphics::Instance()->GetPrimaryCamera() : nullptr;
    RwFrame* frame = camera ? camera->GetFrame() : nullptr;
    if (!frame)
        return unturned("there is no primary camera");

    // This engine draws a camera's right axis toward the screen's left; the stick turns
    // by the axis that runs to the screen's right.
    const RwV3d& right = RwFrameGetLTM(frame)->right;
    Vector3 axis{-right.x, -right.y, -right.z};
    axis.Normalize();
    const Vector3 up{0.0f, 1.0f, 0.0f};
    const Vector3 ground = axis.Cross(up);
    const Vector3 lift = ground.Cross(axis);
    Matrix3 basis;
    basis.SetRow(0, axis);
    basis.SetRow(1, lift);
    basis.SetRow(2, ground);
    // The determinant is |ground|^2, so this also rejects a right axis within a hair of
    // up, whose heading would be rounding noise.
    Matrix3 toWorld;
    if (!basis.Inverse(toWorld, 1e-6f))
        return unturned("the camera's right axis is parallel to up");

    // A rolled camera shortens the derived axes and the inverse would stretch by that;
    // keep the turn a pure rotation.
    for (int c = 1; c < 3; ++c) {
        Vector3 column = toWorld.GetColumn(c);
        column.Normalize();
        toWorld.SetColumn(c, column);
    }
    s_warned = false;
    return toWorld.Transform(v);
}

void ToCameraSpace(ControllerInput& input)
{
    const Vector3 world = TransformByCameraHeading(Vector3{input.x, 0.0f, input.y});
    input.x = world.x;
    input.y = world.z;
}
