#include "support/InputTest.h"

#include "settings/PitchCoordinates.h"
#include "tests/support/LogCapture.h"

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

}  // namespace
