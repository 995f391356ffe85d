// Turning the stick by the primary camera's heading, with the renderer on the null device.
#include "InputTestSupport.h"

#include "engine/core/RwFrame.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "tests/support/OffscreenEngine.h"

#include <cmath>
#include <cstdlib>

namespace {

using inputtest::LogCapture;

constexpr const char* kWarning = "TransformByCameraHeading";

int Count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

::testing::AssertionResult Near(const Vector3& got, const Vector3& want, float tolerance = 1e-5f)
{
    if (std::isfinite(got.x) && std::isfinite(got.y) && std::isfinite(got.z) &&
        std::fabs(got.x - want.x) <= tolerance && std::fabs(got.y - want.y) <= tolerance &&
        std::fabs(got.z - want.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.x << ", " << got.y << ", " << got.z << ") is not ("
                                         << want.x << ", " << want.y << ", " << want.z << ")";
}

Vector3 ToVector(const RwV3d& v)
{
    return {v.x, v.y, v.z};
}

// The stick as a world direction on the ground, through the record.
Vector3 Stick(float x, float y)
{
    ControllerInput input;
    input.x = x;
    input.y = y;
    input.ToCameraSpace();
    return {input.x, 0.0f, input.y};
}

Vector3 OnGround(Vector3 v)
{
    v.y = 0.0f;
    v.Normalize();
    return v;
}

// The renderer on the null device, which needs a window but draws nothing.
class Renderer {
public:
    static void Start()
    {
        platform::Window* window = OffscreenWindow(64, 64);
        ASSERT_NE(window, nullptr);
        RwGraphics* graphics = RwGraphics::Instance();
        graphics->SetDeviceKind(rwDeviceNull);
        graphics->SetScreenSize(64, 64);
        ASSERT_TRUE(graphics->Initialise(window));
    }
    static void Stop()
    {
        if (RwGraphics::Exists()) {
            RwGraphics::Instance()->Destroy();
            RwGraphics::DestroyInstance();
        }
        CloseOffscreenWindow();
    }
};

class CameraSpaceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Renderer::Start(); }
    static void TearDownTestSuite() { Renderer::Stop(); }
    void SetUp() override
    {
        ASSERT_NE(RwGraphics::Instance()->GetPrimaryCamera(), nullptr);
        frame = RwGraphics::Instance()->GetPrimaryCamera()->GetFrame();
        ASSERT_NE(frame, nullptr);
        RwFrameSetIdentity(frame);
    }
    // Leaves the heading found, so the next test starts without a pending warning.
    void TearDown() override
    {
        RwFrameSetIdentity(frame);
        TransformByCameraHeading({0.0f, 0.0f, 1.0f});
    }

    void Turn(const RwV3d& axis, float degrees)
    {
        RwFrameRotate(frame, &axis, degrees, rwCombinePostMultiply);
    }
    Vector3 Right() { return ToVector(RwFrameGetLTM(frame)->right); }
    Vector3 Up() { return ToVector(RwFrameGetLTM(frame)->up); }
    Vector3 At() { return ToVector(RwFrameGetLTM(frame)->at); }

    RwFrame* frame = nullptr;
};

TEST_F(CameraSpaceTest, ACameraAlongZLeavesEveryDirectionAsItIs)
{
    LogCapture log;
    for (const Vector3& v : {Vector3{1.0f, 0.0f, 0.0f}, Vector3{0.0f, 0.0f, -1.0f}, Vector3{0.3f, -2.0f, 0.7f}})
        EXPECT_TRUE(Near(TransformByCameraHeading(v), v));
    EXPECT_TRUE(Near(Stick(0.25f, -0.5f), {0.25f, 0.0f, -0.5f}));
    EXPECT_EQ(Count(log.Text(), kWarning), 0);
}

TEST_F(CameraSpaceTest, TheStickFollowsTheCameraHeadingOnTheGround)
{
    LogCapture log;
    Turn({0.0f, 1.0f, 0.0f}, 90.0f);
    // A real quarter turn: the camera now looks along the x axis.
    ASSERT_TRUE(Near(OnGround(At()), {At().x > 0 ? 1.0f : -1.0f, 0.0f, 0.0f}));
    EXPECT_TRUE(Near(Stick(0.0f, 1.0f), At()));
    EXPECT_TRUE(Near(Stick(1.0f, 0.0f), Right()));
    EXPECT_TRUE(Near(TransformByCameraHeading({0.0f, 2.0f, 0.0f}), {0.0f, 2.0f, 0.0f}));

    // Pitched down over the pitch, the stick still moves along the ground at full length.
    RwFrameSetIdentity(frame);
    Turn({0.0f, 1.0f, 0.0f}, -125.0f);
    Turn({Right().x, Right().y, Right().z}, 50.0f);
    ASSERT_LT(At().y, -0.5f);
    EXPECT_TRUE(Near(Stick(0.0f, 1.0f), OnGround(At())));
    EXPECT_TRUE(Near(Stick(-1.0f, 0.0f), Right() * -1.0f));
    const Vector3 diagonal = Stick(0.6f, 0.8f);
    EXPECT_TRUE(Near(diagonal, Right() * 0.6f + OnGround(At()) * 0.8f));
    EXPECT_EQ(Count(log.Text(), kWarning), 0);
}

TEST_F(CameraSpaceTest, ALookDownCameraTurnsTheStickUpTheScreen)
{
    LogCapture log;
    Turn({0.0f, 1.0f, 0.0f}, 30.0f);
    Turn({Right().x, Right().y, Right().z}, 90.0f);
    ASSERT_TRUE(Near(At(), {0.0f, -1.0f, 0.0f}));
    // The right axis still lies on the ground, so the heading is the camera's screen up.
    EXPECT_TRUE(Near(Stick(0.0f, 1.0f), OnGround(Up())));
    EXPECT_TRUE(Near(Stick(1.0f, 0.0f), Right()));
    EXPECT_EQ(Count(log.Text(), kWarning), 0);
}

TEST_F(CameraSpaceTest, ARightAxisAlongUpLeavesTheDirectionWithOneWarning)
{
    LogCapture log;
    int expected = 0;
    for (const float roll : {90.0f, -90.0f}) {
        RwFrameSetIdentity(frame);
        Turn({0.0f, 0.0f, 1.0f}, roll);
        ASSERT_GT(std::fabs(Right().y), 0.9999f);
        const Vector3 v{0.4f, -1.0f, 0.9f};
        EXPECT_TRUE(Near(TransformByCameraHeading(v), v, 0.0f));
        EXPECT_TRUE(Near(Stick(0.5f, -0.5f), {0.5f, 0.0f, -0.5f}, 0.0f));
        // Still lost on the next read: no second warning.
        EXPECT_EQ(Count(log.Text(), kWarning), ++expected);

        // Found again and lost again: a new warning.
        RwFrameSetIdentity(frame);
        TransformByCameraHeading(v);
        Turn({0.0f, 0.0f, 1.0f}, roll);
        TransformByCameraHeading(v);
        EXPECT_EQ(Count(log.Text(), kWarning), ++expected);
        RwFrameSetIdentity(frame);
        TransformByCameraHeading(v);
    }

    // Rolled short of the vertical, the heading is real and forward is not stretched.
    Turn({0.0f, 0.0f, 1.0f}, 60.0f);
    EXPECT_TRUE(Near(Stick(0.0f, 1.0f), {0.0f, 0.0f, 1.0f}));
    EXPECT_TRUE(Near(Stick(1.0f, 0.0f), {Right().x, 0.0f, Right().z}));
    EXPECT_EQ(Count(log.Text(), kWarning), expected);
}

TEST(CameraSpaceWithoutCamera, LeavesTheDirectionWithOneWarning)
{
    // Start from a found heading, so the warning is this test's own.
    Renderer::Start();
    TransformByCameraHeading({0.0f, 0.0f, 1.0f});
    Renderer::Stop();
    ASSERT_FALSE(RwGraphics::Exists());
    LogCapture log;
    const Vector3 v{0.2f, 0.0f, -0.7f};
    EXPECT_TRUE(Near(TransformByCameraHeading(v), v, 0.0f));
    // A renderer that never started has no primary camera either.
    RwGraphics::Instance();
    EXPECT_TRUE(Near(Stick(-0.3f, 0.6f), {-0.3f, 0.0f, 0.6f}, 0.0f));
    RwGraphics::DestroyInstance();
    EXPECT_EQ(Count(log.Text(), kWarning), 1);
    EXPECT_TRUE(log.Contains("no primary camera"));
}

}  // namespace
