// Animated models placed in a level: their table, the animation control each mode gives, and
// a new game starting them again.
#include "support/SceneTest.h"

#include "framework/Message.h"
#include "scene/AnimatedClump.h"
#include "scene/AnimatedClumpElement.h"
#include "scene/Animation.h"
#include "scene/MaterialActions.h"
#include "tests/support/LogCapture.h"

namespace {

using AnimatedElementTest = SceneTest;

// The kind of control the model plays under and its speed; "none" without one.
std::pair<std::string, float> ControlOf(const AnimatedClumpElement& element)
{
    const AnimationControl* control = element.GetClump()->GetAnimationControl();
    if (!control)
        return {"none", 0.0f};
    const char* kind = dynamic_cast<const AnimationControlStopped*>(control)    ? "stopped"
                       : dynamic_cast<const AnimationControlForward*>(control)  ? "forward"
                       : dynamic_cast<const AnimationControlBackward*>(control) ? "backward"
                       : dynamic_cast<const AnimationControlLooping*>(control)  ? "looping"
                       : dynamic_cast<const AnimationControlPingPong*>(control) ? "pingpong"
                                                                                : "other";
    return {kind, control->GetSpeed()};
}

TEST_F(AnimatedElementTest, EachModeStartsItsOwnControlAndAnUnknownModeKeepsTheLast)
{
    AnimatedClumpElement element;
    const std::pair<int32_t, std::pair<std::string, float>> cases[] = {
        {0, {"stopped", 2.0f}}, {1, {"forward", 2.0f}},  {2, {"backward", 2.0f}},
        {3, {"looping", 2.0f}}, {4, {"pingpong", 2.0f}}, {7, {"pingpong", 2.0f}},
        {-1, {"pingpong", 2.0f}},
    };
    for (const auto& [mode, control] : cases) {
        element.SetAnimations({}, 0, mode, 2.0f);
        element.ResetStatus();
        EXPECT_EQ(ControlOf(element), control) << mode;
    }
}

TEST_F(AnimatedElementTest, ANewGameRestartsTheStartAnimationUnderItsModesControl)
{
    AnimatedClumpElement element;
    element.SetAnimations({}, 0, AnimatedClumpElement::kLooping, 1.5f);
    element.ResetStatus();
    element.GetClump()->SetAnimationControl(new AnimationControlStopped(1.0f));
    element.SetStatusFlags(0);
    MessageServer::Instance()->SendMessage(0, MessageServer::Instance()->RegisterMessage("resetgame"), 0);
    EXPECT_EQ(ControlOf(element), std::pair(std::string("looping"), 1.5f));
    // Restarting leaves the running flags alone.
    EXPECT_EQ(element.GetStatusFlags(), 0u);
}

TEST_F(AnimatedElementTest, OnlyDrawingReadsThePoseOfItsModelNewOrReadFromItsTable)
{
    AnimatedClumpElement element;
    EXPECT_TRUE(element.GetClump()->IsPoseOnlyDrawn());
    AnimatedClumpElement read;
    ReadTable(read, WrittenTable(element));
    EXPECT_TRUE(read.GetClump()->IsPoseOnlyDrawn());
}

TEST_F(AnimatedElementTest, ItsTableReadsCountsAtZeroOrMoreAndAlwaysRestarts)
{
    AnimatedClumpElement element;
    element.SetAnimations({"a.anm"}, 0, AnimatedClumpElement::kForward, 1.0f);
    element.GetActions().push_back(std::make_unique<AnimateUVAction>());
    const std::string text = WrittenTable(element);
    EXPECT_NE(text.find("\"animation 00\" \"a.anm\""), std::string::npos) << text;

    struct Case {
        const char* count;
        size_t names;
    };
    for (const Case c : {Case{"0", 0}, Case{"-2", 0}, Case{"3", 3}}) {
        LogCapture log;
        AnimatedClumpElement read;
        ReadTable(read, ReplaceValue(text, "anim count", c.count));
        EXPECT_EQ(read.GetAnimationNames().size(), c.names) << c.count;
        EXPECT_EQ(ControlOf(read).first, "forward") << c.count;
        EXPECT_EQ(read.GetCurrentAnimation(), 0);
        // Read again: the action follows the new model.
        ReadTable(read, ReplaceValue(text, "anim count", c.count));
        auto& uv = dynamic_cast<AnimateUVAction&>(*read.GetActions()[0]);
        EXPECT_EQ(uv.GetClump(), read.GetClump());
        read.Update(0.1f);
    }
}

}  // namespace
