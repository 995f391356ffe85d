// The brain's mode switch: who answers for the command, the frozen brain, and the charge
// that ends with the ball.
#include "support/ActorTestSupport.h"

#include "characters/CharacterBrain.h"
#include "characters/KeeperBrain.h"

using namespace ActorNodes;

namespace {

// Writes down which of its two answers the brain gave.
class ProbeBrain : public CharacterBrain {
public:
    using CharacterBrain::CharacterBrain;
    void ProcessInput(ActorCommand& command) override
    {
        CharacterBrain::ProcessInput(command);
        answered = "input";
    }
    void Think(ActorCommand& command) override
    {
        CharacterBrain::Think(command);
        answered = "think";
    }
    std::string answered;
};

}  // namespace

using BrainTest = KickAbout;

TEST_F(BrainTest, RunModeChoosesTheAnswerAndOtherModesClearTheCode)
{
    const struct {
        int32_t runMode;
        int32_t brainMode;
        uint8_t hold;
        const char* answered;
        int32_t code;
        // The penalty flag: a hold of its own that neither mode nor the frozen state lowers.
        bool penalty = false;
    } cases[] = {
        {CharacterBrain::kThink, 0, 0, "think", ActorInput::Pass},
        {CharacterBrain::kHumanInput, 0, 0, "input", ActorInput::Pass},
        {0, 0, 0, "", ActorInput::None},
        {3, 0, 1, "", ActorInput::Pass},  // a held code survives
        {CharacterBrain::kThink, CharacterBrain::kFrozen, 0, "think", ActorInput::None},
        {CharacterBrain::kHumanInput, CharacterBrain::kFrozen, 0, "input", ActorInput::None},
        {CharacterBrain::kHumanInput, CharacterBrain::kFrozen, 1, "input", ActorInput::Pass},
        {CharacterBrain::kThink, 0, 0, "", ActorInput::None, true},
        {CharacterBrain::kHumanInput, 0, 0, "", ActorInput::None, true},
        {CharacterBrain::kHumanInput, 0, 1, "", ActorInput::Pass, true},
    };
    for (const auto& c : cases) {
        ProbeBrain brain(nullptr, nullptr, nullptr);
        brain.SetMode(c.brainMode);
        brain.SetInPenalty(c.penalty);
        ActorCommand command;
        command.code = ActorInput::Pass;
        command.hold = c.hold;
        brain.Run(c.runMode, command);
        EXPECT_EQ(brain.answered, c.answered) << c.runMode << " " << c.brainMode;
        EXPECT_EQ(command.code, c.code) << c.runMode << " " << c.brainMode << " " << int(c.hold);
    }
}

TEST_F(BrainTest, ChargingEndsOnceTheBallIsGone)
{
    Recorder listener;
    auto actor = MakeActor(listener, stand);
    KeeperBrain brain(actor.get(), nullptr, nullptr);
    EXPECT_EQ(brain.GetName(), "");
    EXPECT_EQ(brain.GetOrder().code, 0);
    EXPECT_EQ(brain.GetOrder().target, nullptr);
    EXPECT_FALSE(brain.IsInPenalty());
    EXPECT_EQ(brain.GetTeam(), nullptr);

    GiveBall(listener);
    ASSERT_TRUE(actor->HasBall());
    brain.SetCharging(true);
    ActorCommand command;
    brain.Run(CharacterBrain::kHumanInput, command);
    EXPECT_TRUE(brain.IsCharging());

    actor->ReleaseBall();
    brain.Run(CharacterBrain::kHumanInput, command);
    EXPECT_FALSE(brain.IsCharging());
}
