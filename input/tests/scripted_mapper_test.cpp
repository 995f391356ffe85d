// The scripted controller that tests steer players with.
#include "support/InputTest.h"

#include "input/ScriptedInputMapper.h"

#include <vector>

namespace {

TEST_F(InputTest, AScriptPlaysOneFramePerUpdateAndThenLetsGo)
{
    ScriptedInputMapper script("(0):");
    script.Add(1, {});
    script.Add(3, {{"button b", 1.0f}, {"right", 1.0f}});
    script.Add(1, {{"button a", 1.0f}, {"up", 0.5f}});
    script.Register(*controller());
    GetControllerInput("(0):");  // edges are tracked from the first request

    struct Seen {
        bool aPressed, bPressed, bReleased, bHeld;
        float x, y;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen;
    for (int frame = 0; frame < 6; ++frame) {
        Frame();
        const ControllerInput in = GetControllerInput("(0):");
        seen.push_back({in.buttonAPressed, in.buttonBPressed, in.buttonBReleased, in.buttonBHeld, in.x, in.y});
    }
    const std::vector<Seen> expected = {
        {false, false, false, false, 0.0f, 0.0f}, {false, true, false, true, 1.0f, 0.0f},
        {false, false, false, true, 1.0f, 0.0f},  {false, false, false, true, 1.0f, 0.0f},
        {true, false, true, false, 0.0f, -0.5f},  {false, false, false, false, 0.0f, 0.0f},
    };
    EXPECT_TRUE(seen == expected);
    EXPECT_TRUE(script.IsFinished());
    // Another controller's actions are left to the other mappers.
    EXPECT_EQ(script.GetValue("(1):button a"), InputMapper::kUnknown);
    EXPECT_EQ(script.GetValue("(0):button a"), 0.0f);
}

} // namespace
