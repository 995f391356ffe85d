#include "support/InputTest.h"

#include "engine/core/RwCamera.h"
#include "platform/Window.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "settings/PitchCoordinates.h"
#include "tests/support/LogCapture.h"
#include "tests/support/OffscreenEngine.h"

#include <vector>

namespace {

TEST_F(InputTest, AKeyHeldThreeFramesGivesItsPressHoldTimesAndRelease)
{
    ConfigurableKeyboardInputMapper keys;
    controller()->RegisterInputMapper(&keys);
    const std::string action = "(0):button a";  // K
    keyboard()->OnKeyDown('K');
    Frame();
    float hold = -1.0f;
    EXPECT_EQ(controller()->GetAction(action, InputController::kPressEdge, &hold), 0.0f) << "first request, key down";
    EXPECT_EQ(hold, -1.0f) << "the first request has no record to report from";
    // Press, release, value and hold time at each frame; a release's hold time stays.
    const float expected[][4] = {{1, 0, 1, 0}, {0, 0, 1, 0.02f}, {0, 0, 1, 0.04f}, {0, 1, 0, 0.04f}, {0, 0, 0, 0.04f}};
    for (int frame = 0; frame < 5; ++frame) {
        if (frame == 3)
            keyboard()->OnKeyUp('K');
        Frame();
        Press(action);  // reading consumes nothing: a second reader in the frame sees the same
        const float seen[] = {controller()->GetAction(action, InputController::kPressEdge, &hold), Release(action),
                              Value(action), hold};
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(seen[i], expected[frame][i], 1e-6f) << "frame " << frame << " column " << i;
    }
    Value("(0):up");  // mode 1 tracks nothing; an action asked for by edge is tracked until Exit
    EXPECT_EQ(controller()->GetTrackedCount(), 1u);
    controller()->Exit();
    EXPECT_EQ(controller()->GetTrackedCount(), 0u);
}

TEST_F(InputTest, TheEarliestRegisteredMapperWithARealNonZeroAnswerWins)
{
    TableMapper first, second;
    controller()->RegisterInputMapper(&first);
    controller()->RegisterInputMapper(&second);
    second.values["menu up"] = 0.5f;
    // Unknown and zero never mask a later mapper; negative values are real answers.
    const std::pair<float, float> answers[] = {{1, 1}, {0, 0.5f}, {InputMapper::kUnknown, 0.5f}, {-0.2f, -0.2f}};
    for (const auto& [answer, result] : answers) {
        first.values["menu up"] = answer;
        EXPECT_EQ(controller()->GetActionValue("menu up"), result) << answer;
    }
    controller()->UnregisterInputMapper(&first);
    EXPECT_EQ(controller()->GetActionValue("menu up"), 0.5f);
    second.values.clear();
    EXPECT_EQ(Value("menu up"), 0.0f) << "only unknown answers";
}

struct Listener : InputListener {
    Listener(std::vector<int>& log, int id, bool result) : log(log), id(id), result(result) {}
    bool OnInput(float) override { return log.push_back(id), result; }
    std::vector<int>& log;
    int id;
    bool result;
};

TEST_F(InputTest, ListenersRunInRegistrationOrderUntilOneSaysStopAndLeaveWhenDestroyed)
{
    std::vector<int> log;
    Listener a(log, 1, true), b(log, 2, false);
    controller()->RegisterInputListener(&a);
    controller()->RegisterInputListener(&b);
    {
        Listener c(log, 3, true);
        TableMapper gone;
        gone.values["x"] = 1.0f;
        controller()->RegisterInputListener(&c);
        controller()->RegisterInputMapper(&gone);
        controller()->Update(0.02f);
        controller()->UnregisterInputListener(&b);
        controller()->Update(0.02f);
    }
    controller()->Update(0.02f);
    EXPECT_EQ(log, (std::vector<int>{1, 2, 1, 3, 1}));
    EXPECT_EQ(controller()->GetActionValue("x"), 0.0f);

    LogCapture errors;
    TableMapper stranger;
    controller()->UnregisterInputMapper(&stranger);
    controller()->UnregisterInputListener(&b);
    EXPECT_EQ(errors.Count("***ERROR: InputController::UnregisterInputMapper: could not find Mapper"), 1);
    EXPECT_EQ(errors.Count("***ERROR: InputController::UnregisterInputListener: could not find listener"), 1);
}

TEST_F(InputTest, ControllerInputCombinesTheStickAndTwoButtons)
{
    TableMapper pad;
    controller()->RegisterInputMapper(&pad);
    GetControllerInput("(1):");  // starts tracking the buttons
    pad.values = {{"(1):right", 1.0f}, {"(1):left", 0.25f}, {"(1):up", 0.5f}, {"(1):button b", 1.0f}};
    Frame(0.02f);
    Frame(0.03f);
    ControllerInput input = GetControllerInput("(1):");
    EXPECT_EQ(std::vector<float>({input.x, input.y, input.buttonBHoldTime}), std::vector<float>({0.75f, -0.5f, 0.03f}));
    EXPECT_EQ(std::vector<bool>({input.buttonBPressed, input.buttonBHeld, input.buttonAHeld, input.buttonBReleased}),
              std::vector<bool>({false, true, false, false}));
    pad.values.erase("(1):button b");
    pad.values["(1):button a"] = 1.0f;
    Frame(0.02f);
    input = GetControllerInput("(1):");
    EXPECT_EQ(std::vector<bool>({input.buttonAPressed, input.buttonAHeld, input.buttonBReleased, input.buttonBHeld}),
              std::vector<bool>({true, true, true, false}));
    EXPECT_FALSE(GetControllerInput("(menu):").buttonAPressed) << "another prefix is tracked apart";
}

// Whatever way the pitch lies, a stick pushed along its axes points the same way on the pitch.
TEST(StickHeadingTest, TheStickTurnsIntoAHeadingOnThePitch)
{
    struct Case {
        float x, y, heading;
    };
    const Case cases[] = {{0, 1, 0}, {1, 0, 1.5707964f}, {-1, 0, -1.5707964f}, {0, -1, 3.1415927f},
                          {0.5f, 0.5f, 0.7853982f}, {-0.2f, -0.2f, -2.3561945f}};
    const Vector3 alongZ[] = {{0, 0, 1}, {-1, 0, 0}};
    for (bool startFrame : {true, false}) {
        if (!startFrame)
            PitchFrame::SetAxes(alongZ[0], Vector3::Zero, alongZ[1]);
        const Vector3 a = PitchFrame::GetDirection(PitchFrame::kAlong);
        const Vector3 c = PitchFrame::GetDirection(PitchFrame::kAcross);
        for (const Case& k : cases) {
            ControllerInput input;
            input.x = k.x, input.y = k.y;
            const float heading = input.GetStickHeading();
            EXPECT_NEAR(heading, k.heading, 1e-6f) << k.x << " " << k.y;
            Vector3 stick = a * k.x + c * k.y;
            stick.Normalize();
            EXPECT_NEAR((PitchAngle(heading).ToDirection() - stick).Length(), 0.0f, 1e-5f) << k.x << " " << k.y;
        }
    }
    PitchFrame::Reset();
}

// The stick as a world direction on the ground, through the record. It is checked through
// the primary camera's own projection, with the renderer on the null device.
Vector3 Stick(float x, float y)
{
    ControllerInput input;
    input.x = x, input.y = y;
    input.ToCameraSpace();
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
