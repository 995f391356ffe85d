#include "characters/CameraStick.h"

#include "engine/core/RwCamera.h"
#include "input/InputController.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// The stick as a world direction on the ground, through the record. It is checked through
// the primary camera's own projection, with the renderer on the null device.
Vector3 Stick(float x, float y)
{
    ControllerInput input;
    input.x = x, input.y = y;
    ToCameraSpace(input);
    return {input.x, 0.0f, input.y};
}

class CameraSpaceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RwGraphics::Instance()->SetDeviceKind(rwDeviceNull);
        RwGraphics::Instance()->SetScreenSize(64, 64);
        ASSERT_TRUE(RwGraphics::Instance()->Initialise(OffscreenWindow(64, 64)));
    }
    static void TearDownTestSuite() { CloseOffscreenWindow(); }
    // Turned about world up by yaw, then pitched down, then rolled about its view.
    void Aim(float yaw, float pitch, float roll)
    {
        const RwV3d up = {0.0f, 1.0f, 0.0f}, at = {0.0f, 0.0f, 1.0f}, side = {1.0f, 0.0f, 0.0f}, position = {3, 10, -4};
        RwFrameRotate(frame, &at, roll, rwCombineReplace);
        RwFrameRotate(frame, &side, pitch, rwCombinePostMultiply);
        RwFrameRotate(frame, &up, yaw, rwCombinePostMultiply);
        RwFrameTranslate(frame, &position, rwCombinePostMultiply);
        TransformByCameraHeading({});
    }
    // Where a world point lands on the screen: x to the right, y down.
    std::pair<float, float> OnScreen(const Vector3& p)
    {
        RwV3d view = {p.x, p.y, p.z};
        RwV3dTransformPoints(&view, &view, 1, RwCameraGetViewMatrix(camera));
        return {view.x / view.z, view.y / view.z};
    }

    RwCamera* camera = RwGraphics::Instance()->GetPrimaryCamera()->GetRwCamera();
    RwFrame* frame = RwCameraGetFrame(camera);
};

TEST_F(CameraSpaceTest, TheStickMovesAPlayerTheSameWayOnTheScreenBehindAnyCamera)
{
    LogCapture log;
    for (const float yaw : {0.0f, 90.0f, -125.0f, 180.0f})
        for (const float pitch : {0.0f, 50.0f, 90.0f}) {
            Aim(yaw, pitch, 0.0f);
            const RwMatrix* ltm = RwFrameGetLTM(frame);
            // A player on the ground below the view's centre line.
            const Vector3 eye{ltm->pos.x, ltm->pos.y - 1.0f, ltm->pos.z}, view{ltm->at.x, ltm->at.y, ltm->at.z};
            const Vector3 player = eye + view * 5.0f;
            const auto [x, y] = OnScreen(player);
            for (const auto& [sx, sy] : {std::pair{1.0f, 0.0f}, {-1.0f, 0.0f}, {0.0f, 1.0f}, {0.0f, -1.0f}}) {
                const Vector3 step = Stick(sx, sy);
                EXPECT_NEAR(step.Length(), 1.0f, 1e-5f);
                const auto [movedX, movedY] = OnScreen(player + step * 0.5f);
                // Screen right and down for stick right and down, and nothing across.
                EXPECT_GT((movedX - x) * sx + (movedY - y) * sy, 1e-3f) << yaw << " " << pitch << " " << sx << sy;
                EXPECT_NEAR((movedX - x) * sy - (movedY - y) * sx, 0.0f, 1e-4f) << yaw << " " << pitch;
            }
        }
    // Rolled short of the vertical the heading still holds, and is not stretched.
    Aim(30.0f, 0.0f, 60.0f);
    EXPECT_NEAR(Stick(0.0f, 1.0f).Length(), 1.0f, 1e-5f);
    EXPECT_EQ(log.Count("TransformByCameraHeading"), 0);
}

TEST_F(CameraSpaceTest, WithoutAHeadingTheDirectionStaysAsItIsWithOneWarningEachTimeItIsLost)
{
    LogCapture log;
    const Vector3 v{0.4f, -1.0f, 0.9f};
    for (const float roll : {90.0f, -90.0f}) {
        Aim(0.0f, 0.0f, roll);  // right axis along up
        for (int read = 0; read < 2; ++read) {
            const Vector3 turned = TransformByCameraHeading(v);
            EXPECT_EQ(std::vector<float>({turned.x, turned.y, turned.z}), std::vector<float>({v.x, v.y, v.z}));
        }
        Aim(0.0f, 0.0f, 0.0f);
    }
    EXPECT_EQ(log.Count("TransformByCameraHeading: the camera's right axis is parallel to up"), 2);

    RwGraphics::Instance()->Destroy();
    RwGraphics::DestroyInstance();
    EXPECT_EQ(Stick(-0.3f, 0.6f).x, -0.3f);
    RwGraphics::Instance();  // a renderer that never started has no camera either
    EXPECT_EQ(Stick(-0.3f, 0.6f).z, 0.6f);
    EXPECT_EQ(log.Count("TransformByCameraHeading: there is no primary camera"), 1);
}

}  // namespace
