#include "InputTestSupport.h"

#include "input/ConfigurableInputMapper.h"
#include "input/VirtualKeys.h"

#include <vector>

using inputtest::InputTest;
using inputtest::LogCapture;
using inputtest::TableMapper;

namespace {

class BufferedTest : public InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        controller()->RegisterInputMapper(&m_keys);
    }
    void TearDown() override
    {
        controller()->UnregisterInputMapper(&m_keys);
        InputTest::TearDown();
    }

    ConfigurableKeyboardInputMapper m_keys;
};

TEST_F(BufferedTest, ThreeFrameHoldGivesPressEdgeHoldTimesAndReleaseEdge)
{
    const std::string action = "(0):button a";  // K
    float hold = -1.0f;
    EXPECT_EQ(0.0f, controller()->GetAction(action, InputController::kPressEdge, &hold));
    EXPECT_EQ(-1.0f, hold) << "the first request has no record to report from";

    keyboard()->OnKeyDown(vk::Letter('K'));
    const float expectedHold[] = {0.0f, 0.02f, 0.04f};
    for (int frame = 0; frame < 3; ++frame) {
        Frame(0.02f);
        const float press = controller()->GetAction(action, InputController::kPressEdge, &hold);
        EXPECT_EQ(frame == 0 ? 1.0f : 0.0f, press) << "frame " << frame + 1;
        EXPECT_NEAR(expectedHold[frame], hold, 1e-6f) << "frame " << frame + 1;
        EXPECT_EQ(0.0f, Release(action));
        EXPECT_EQ(1.0f, Value(action));
    }
    keyboard()->OnKeyUp(vk::Letter('K'));
    Frame(0.02f);
    EXPECT_EQ(0.0f, controller()->GetAction(action, InputController::kPressEdge, &hold));
    EXPECT_EQ(1.0f, Release(action));
    EXPECT_NEAR(0.04f, hold, 1e-6f) << "the hold time stays after the release";
    Frame(0.02f);
    EXPECT_EQ(0.0f, Release(action)) << "the release edge lasts one frame";
}

TEST_F(BufferedTest, ReadingConsumesNothingWithinAFrame)
{
    Press("(menu):button a");
    keyboard()->OnKeyDown(vk::Space);
    Frame();
    // Several readers in one frame (menu, game code, idle loop) all see the edge.
    EXPECT_EQ(1.0f, Press("(menu):button a"));
    EXPECT_EQ(1.0f, Press("(menu):button a"));
    EXPECT_EQ(1.0f, Press("(menu):button a"));
    Frame();
    EXPECT_EQ(0.0f, Press("(menu):button a"));
}

TEST_F(BufferedTest, FirstRequestAnswersZeroAndAKeyAlreadyDownShowsItsPressNextFrame)
{
    keyboard()->OnKeyDown(vk::Escape);
    Frame();
    Frame();
    EXPECT_EQ(0.0f, Press("escape")) << "first request";
    EXPECT_EQ(0.0f, Release("escape"));
    EXPECT_EQ(1.0f, Value("escape")) << "mode 1 reads the device at once";
    Frame();
    EXPECT_EQ(1.0f, Press("escape"));
    Frame();
    EXPECT_EQ(0.0f, Press("escape"));
}

TEST_F(BufferedTest, ValueModeTracksNothing)
{
    Value("(0):up");
    EXPECT_EQ(0u, controller()->GetTrackedCount());
    Press("(0):up");
    Release("(0):up");
    EXPECT_EQ(1u, controller()->GetTrackedCount());
    controller()->Exit();
    EXPECT_EQ(0u, controller()->GetTrackedCount());
}

TEST_F(InputTest, EarliestRegisteredMapperWins)
{
    TableMapper first, second;
    first.values["menu up"] = 1.0f;
    second.values["menu up"] = 0.5f;
    controller()->RegisterInputMapper(&first);
    controller()->RegisterInputMapper(&second);
    EXPECT_EQ(1.0f, controller()->GetActionValue("menu up"));

    // Zero and unknown never mask a later mapper's answer.
    first.values["menu up"] = 0.0f;
    EXPECT_EQ(0.5f, controller()->GetActionValue("menu up"));
    first.values.erase("menu up");
    EXPECT_EQ(0.5f, controller()->GetActionValue("menu up"));

    // Negative values are real answers.
    first.values["menu up"] = -0.25f;
    EXPECT_EQ(-0.25f, controller()->GetActionValue("menu up"));
    controller()->UnregisterInputMapper(&first);
    controller()->UnregisterInputMapper(&second);
}

TEST_F(InputTest, MapperAnsweringOnlyUnknownIsIgnored)
{
    TableMapper silent;  // no names: -999999 for everything
    controller()->RegisterInputMapper(&silent);
    EXPECT_EQ(0.0f, controller()->GetActionValue("pause game"));
    EXPECT_EQ(0.0f, Value("pause game"));
    Press("pause game");
    Frame();
    EXPECT_EQ(0.0f, Press("pause game"));
    EXPECT_EQ(0.0f, Release("pause game"));
    controller()->UnregisterInputMapper(&silent);
    EXPECT_EQ(0.0f, controller()->GetActionValue("pause game")) << "no mappers at all";
}

class RecordingListener : public InputListener {
public:
    RecordingListener(std::vector<int>& log, int id, bool result) : m_log(log), m_id(id), m_result(result) {}
    bool OnInput(float) override
    {
        m_log.push_back(m_id);
        return m_result;
    }

private:
    std::vector<int>& m_log;
    int m_id;
    bool m_result;
};

TEST_F(InputTest, ListenersRunInRegistrationOrderUntilOneSaysStop)
{
    std::vector<int> log;
    RecordingListener a(log, 1, true), b(log, 2, false), c(log, 3, true);
    controller()->RegisterInputListener(&a);
    controller()->RegisterInputListener(&b);
    controller()->RegisterInputListener(&c);
    controller()->Update(0.02f);
    EXPECT_EQ((std::vector<int>{1, 2}), log);

    controller()->UnregisterInputListener(&b);
    log.clear();
    controller()->Update(0.02f);
    EXPECT_EQ((std::vector<int>{1, 3}), log);
    controller()->UnregisterInputListener(&a);
    controller()->UnregisterInputListener(&c);
}

TEST_F(InputTest, UnregisteringTheUnknownLogsAndChangesNothing)
{
    LogCapture log;
    TableMapper mapper, stranger;
    mapper.values["x"] = 1.0f;
    controller()->RegisterInputMapper(&mapper);
    controller()->UnregisterInputMapper(&stranger);
    std::vector<int> calls;
    RecordingListener listener(calls, 1, true);
    controller()->UnregisterInputListener(&listener);
    EXPECT_TRUE(log.Contains("***ERROR: InputController::UnregisterInputMapper: could not find Mapper"));
    EXPECT_TRUE(log.Contains("***ERROR: InputController::UnregisterInputListener: could not find listener"));
    EXPECT_EQ(1.0f, controller()->GetActionValue("x"));
    controller()->UnregisterInputMapper(&mapper);
}

TEST_F(InputTest, DestroyedMapperOrListenerLeavesTheController)
{
    std::vector<int> calls;
    {
        TableMapper mapper;
        mapper.values["x"] = 1.0f;
        controller()->RegisterInputMapper(&mapper);
        RecordingListener listener(calls, 1, true);
        controller()->RegisterInputListener(&listener);
    }
    EXPECT_TRUE(controller()->GetMappers().empty());
    controller()->Update(0.02f);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(0.0f, controller()->GetActionValue("x"));
}

TEST_F(InputTest, ControllerInputCombinesStickAndButtons)
{
    TableMapper pad;
    controller()->RegisterInputMapper(&pad);
    GetControllerInput("(1):");  // starts tracking the buttons
    pad.values = {{"(1):right", 1.0f}, {"(1):left", 0.25f}, {"(1):up", 0.5f}, {"(1):button b", 1.0f}};
    Frame(0.02f);
    Frame(0.03f);
    ControllerInput input = GetControllerInput("(1):");
    EXPECT_FLOAT_EQ(0.75f, input.x);
    EXPECT_FLOAT_EQ(-0.5f, input.y);
    EXPECT_FALSE(input.buttonBPressed) << "pressed a frame ago";
    EXPECT_TRUE(input.buttonBHeld);
    EXPECT_NEAR(0.03f, input.buttonBHoldTime, 1e-6f);
    EXPECT_FALSE(input.buttonAHeld);

    pad.values.erase("(1):button b");
    Frame(0.02f);
    input = GetControllerInput("(1):");
    EXPECT_TRUE(input.buttonBReleased);
    EXPECT_FALSE(input.buttonBHeld);

    // Another prefix is tracked separately and starts at zero.
    input = GetControllerInput("(menu):");
    EXPECT_EQ(0.0f, input.buttonAHoldTime);
    EXPECT_FALSE(input.buttonAPressed);
    controller()->UnregisterInputMapper(&pad);
}

}  // namespace
