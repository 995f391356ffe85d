#include "support/InputTest.h"

#include "input/VirtualKeys.h"
#include "tests/support/LogCapture.h"

#include <vector>

namespace {

TEST_F(InputTest, AKeyHeldThreeFramesGivesItsPressHoldTimesAndRelease)
{
    ConfigurableKeyboardInputMapper keys;
    controller()->RegisterInputMapper(&keys);
    const std::string action = "(0):button a";  // K
    float hold = -1.0f;
    EXPECT_EQ(controller()->GetAction(action, InputController::kPressEdge, &hold), 0.0f);
    EXPECT_EQ(hold, -1.0f) << "the first request has no record to report from";

    keyboard()->OnKeyDown('K');
    // Press, release, value and hold time at each frame; a release's hold time stays.
    const float expected[][4] = {{1, 0, 1, 0.0f}, {0, 0, 1, 0.02f}, {0, 0, 1, 0.04f}, {0, 1, 0, 0.04f}, {0, 0, 0, 0.04f}};
    for (int frame = 0; frame < 5; ++frame) {
        if (frame == 3)
            keyboard()->OnKeyUp('K');
        Frame();
        // Reading consumes nothing: a second reader in the frame sees the same edge.
        Press(action);
        const float seen[4] = {controller()->GetAction(action, InputController::kPressEdge, &hold), Release(action),
                               Value(action), hold};
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(seen[i], expected[frame][i], 1e-6f) << "frame " << frame << " column " << i;
    }
    // Mode 1 tracks nothing; an action asked for by edge is tracked until Exit.
    Value("(0):up");
    EXPECT_EQ(controller()->GetTrackedCount(), 1u);
    controller()->Exit();
    EXPECT_EQ(controller()->GetTrackedCount(), 0u);
}

TEST_F(InputTest, AKeyAlreadyDownAtTheFirstRequestShowsItsPressTheFrameAfter)
{
    ConfigurableKeyboardInputMapper keys;
    controller()->RegisterInputMapper(&keys);
    keyboard()->OnKeyDown(vk::Escape);
    Frame();
    EXPECT_EQ(Press("escape"), 0.0f);
    EXPECT_EQ(Value("escape"), 1.0f);
    Frame();
    EXPECT_EQ(Press("escape"), 1.0f);
}

TEST_F(InputTest, TheEarliestRegisteredMapperWithARealNonZeroAnswerWins)
{
    TableMapper first, second;
    controller()->RegisterInputMapper(&first);
    controller()->RegisterInputMapper(&second);
    second.values["menu up"] = 0.5f;
    // Unknown and zero never mask a later mapper; negative values are real answers.
    for (const auto& [firstValue, result] : {std::pair{1.0f, 1.0f}, {0.0f, 0.5f}, {InputMapper::kUnknown, 0.5f},
                                            {-0.25f, -0.25f}})
    {
        first.values["menu up"] = firstValue;
        EXPECT_EQ(controller()->GetActionValue("menu up"), result) << firstValue;
    }
    second.values.clear();
    first.values.clear();
    EXPECT_EQ(Value("menu up"), 0.0f) << "only unknown answers";
    controller()->UnregisterInputMapper(&first);
    controller()->UnregisterInputMapper(&second);
    EXPECT_EQ(controller()->GetActionValue("menu up"), 0.0f) << "no mappers";
}

class Listener : public InputListener {
public:
    Listener(std::vector<int>& log, int id, bool result) : m_log(log), m_id(id), m_result(result) {}
    bool OnInput(float) override { return m_log.push_back(m_id), m_result; }

private:
    std::vector<int>& m_log;
    int m_id;
    bool m_result;
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
    EXPECT_EQ(errors.lines, (std::vector<std::string>{
                                "***ERROR: InputController::UnregisterInputMapper: could not find Mapper\n",
                                "***ERROR: InputController::UnregisterInputListener: could not find listener\n"}));
    controller()->UnregisterInputListener(&a);
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
    // Another prefix is tracked apart and starts at zero.
    EXPECT_FALSE(GetControllerInput("(menu):").buttonAPressed);
    controller()->UnregisterInputMapper(&pad);
}

}  // namespace
