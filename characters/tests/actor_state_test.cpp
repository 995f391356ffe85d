// The actor graph by behaviour: which node an update leads to for a code and an ended action.
#include "characters/ActorState.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace ActorNodes;

// The node an update of a fresh state leads to; "" when the state stays.
std::string Step(const ActorStateNode& node, int32_t code, bool ended)
{
    ActorState state(node);
    ActorCommand command;
    command.code = code;
    state.SetCommand(command);
    if (ended)
        state.MarkEvent(0);
    State* next = state.Update(1.0f / 60.0f);
    if (next == &state)
        return "";
    std::unique_ptr<State> owned(next);
    return static_cast<ActorState*>(next)->GetNode().name;
}

}  // namespace

TEST(ActorStateTest, NodesFollowTheirCodesOnceTheActionEndsUnlessTheyEnterAtOnce)
{
    const struct {
        const ActorStateNode& node;
        int32_t code;
        bool ended;
        const char* next;
    } cases[] = {
        {stand, ActorInput::None, false, ""},
        {stand, ActorInput::None, true, "stand"},  // starts again
        {stand, ActorInput::Run, false, ""},
        {stand, ActorInput::Run, true, "startrun"},
        {stand, ActorInput::Walk, true, "stand"},  // no entry: the default
        {stand, ActorInput::Pass, false, "pass"},  // enters at once
        {pass, ActorInput::Run, true, "run"},
        {pass, ActorInput::None, true, "endrun"},
        {pass, ActorInput::Run, false, ""},
        {run, ActorInput::StepForth, true, "run"},
        {run, ActorInput::Tackle, false, "slidetackle"},
        {startrun, ActorInput::None, true, "endrun"},
        {endrun, ActorInput::None, true, "stand"},
        {slidetackle, ActorInput::None, true, "slidegetup"},
        {slidetackle, ActorInput::FallOver, false, "fallover"},
        {keeperkickwait, ActorInput::Pass, true, "keeperkickpass"},
        {keeperkickwait, ActorInput::Shoot, true, "keeperkickshot"},
        {throwinwait, ActorInput::Pass, true, "throwinpass"},
        {throwinwait, ActorInput::Shoot, true, "throwinshot"},
        {kickoff, ActorInput::Pass, false, "pass"},
        {savemiddlecenter, ActorInput::None, true, "stand"},
        {refstand, ActorInput::Walk, true, "refstandtowalk"},
        {refrun, ActorInput::Walk, true, "refruntowalk"},
        {startrun, ActorInput::WhistleShort, true, "refwhistleshortmoving"},
        {satdown, ActorInput::StandUp, false, "standup"},
        {satdown, ActorInput::None, true, "satdown"},
        {standup, ActorInput::None, false, ""},
        {stoodup, ActorInput::SitDown, false, "sitdown"},
        {penaltywait, ActorInput::PenaltyShot, true, "penaltyshot"},
        {specialmove, ActorInput::None, true, "specialend"},
        {stand, ActorInput::SpecialStart, false, "specialstart"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Step(c.node, c.code, c.ended), c.next) << c.node.name << " code " << c.code << " ended " << c.ended;
}

TEST(ActorStateTest, SlideTackleIgnoresEveryCodeButFallOver)
{
    for (int32_t code = 0; code <= ActorInput::SpecialPanda; ++code) {
        const std::string expected = code == ActorInput::FallOver ? "fallover" : "";
        EXPECT_EQ(Step(slidetackle, code, false), expected) << code;
        EXPECT_EQ(Step(slidetackle, code, true), code == ActorInput::FallOver ? "fallover" : "slidegetup") << code;
    }
}

TEST(ActorStateTest, TheGraphIsBuiltOnceWithItsFlagsAndSaveCodes)
{
    ActorState first(stand);
    ActorState second(run);
    EXPECT_EQ(ActorState::GetBuildCount(), 1);
    EXPECT_EQ(stand.transitions.size(), 23u);
    EXPECT_EQ(run.transitions.size(), 22u);
    // A save code is 14 + 3 x row + column.
    EXPECT_STREQ(stand.Next(14 + 3 * 2 + 1)->name, "savebottomcenter");
    EXPECT_STREQ(stand.Next(14 + 3 * 0 + 2)->name, "savetopright");
    const struct {
        const ActorStateNode& node;
        uint8_t hold, steer, atOnce, keep;
    } flags[] = {{stand, 1, 0, 0, 0},       {run, 1, 1, 0, 0},       {slidetackle, 0, 0, 1, 0},
                 {savetopleft, 1, 0, 1, 1}, {refstand, 0, 1, 0, 0},  {specialstart, 1, 1, 1, 0},
                 {header, 0, 0, 1, 0},      {idle, 1, 0, 0, 0},      {keeperkickwait, 1, 1, 0, 0}};
    for (const auto& f : flags) {
        EXPECT_EQ(f.node.canHoldBall, f.hold) << f.node.name;
        EXPECT_EQ(f.node.steerable, f.steer) << f.node.name;
        EXPECT_EQ(f.node.entersAtOnce, f.atOnce) << f.node.name;
        EXPECT_EQ(f.node.keepsBall, f.keep) << f.node.name;
    }
}

TEST(ActorCommandTest, SetDirectionKeepsASetPiecesAim)
{
    ActorCommand command;
    command.SetDirection(1.0f);
    EXPECT_EQ(command.direction, 1.0f);
    command.hold = 1;
    command.SetDirection(2.0f);
    EXPECT_EQ(command.direction, 1.0f);
    command.hold = 0;
    command.strike = 1;
    command.SetDirection(2.0f);
    EXPECT_EQ(command.direction, 1.0f);
    EXPECT_EQ(ActorCommand{}.target, nullptr);
}

TEST(ActorCommandTest, SetCodeKeepsAHeldCodeButNotAStruckOne)
{
    const struct {
        uint8_t hold, strike;
        int32_t code;
    } cases[] = {{0, 0, ActorInput::Pass}, {1, 0, ActorInput::Shoot}, {0, 1, ActorInput::Pass}};
    for (const auto& c : cases) {
        ActorCommand command;
        command.code = ActorInput::Shoot;
        command.hold = c.hold;
        command.strike = c.strike;
        command.SetCode(ActorInput::Pass);
        EXPECT_EQ(command.code, c.code) << int{c.hold} << int{c.strike};
    }
}

TEST(ActorStateTest, AStateStaysItselfUntilItSwitchesAndForgetsWhatItSawMeanwhile)
{
    constexpr int32_t kEndAction = 0, kContactFoot = 2, kWhistleShort = 5;
    const struct {
        const ActorStateNode& node;
        int32_t code;
        std::vector<int32_t> events;
        const char* next;  // null: the same object stays
    } cases[] = {
        {stand, ActorInput::None, {}, nullptr},
        {stand, ActorInput::None, {kContactFoot, kWhistleShort}, nullptr},
        {inactive, ActorInput::Shoot, {kContactFoot}, nullptr},
        {stand, ActorInput::None, {kEndAction}, "stand"},
        {inactive, ActorInput::Shoot, {kEndAction, kContactFoot}, "inactive"},
        {kickoff, ActorInput::Pass, {}, "pass"},
        {kickoff, ActorInput::Shoot, {kWhistleShort}, "shoot"},
    };
    for (const auto& c : cases) {
        ActorState state(c.node);
        EXPECT_EQ(state.GetCommand().code, 0);
        ActorCommand command;
        command.code = c.code;
        state.SetCommand(command);
        for (const int32_t event : c.events)
            state.MarkEvent(event);
        std::unique_ptr<State> fresh;
        State* next = state.Update(1.0f / 60.0f);
        if (next != &state)
            fresh.reset(next);
        ASSERT_EQ(fresh == nullptr, c.next == nullptr) << c.node.name << " code " << c.code;
        const ActorState& result = fresh ? static_cast<const ActorState&>(*fresh) : state;
        EXPECT_STREQ(result.GetNode().name, c.next ? c.next : c.node.name);
        for (const int32_t event : c.events) {
            EXPECT_FALSE(state.HasFired(event)) << c.node.name << " event " << event;
            EXPECT_FALSE(result.HasFired(event)) << c.node.name << " event " << event;
        }
        // What was forgotten does not switch it later either.
        if (!fresh) {
            EXPECT_EQ(state.Update(1.0f / 60.0f), &state) << c.node.name;
        }
    }
}
