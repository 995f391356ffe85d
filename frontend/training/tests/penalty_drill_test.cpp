// The penalty drills on the first level: the points and marks of both variants, kicks decided
// as they end, the pause menu only during a kick, and the keeping drill's taker in the story
// team's shirt.
#include "characters/Actor.h"
#include "engine/core/NullDevice.h"
#include "frontend/training/TrainingPenalties.h"
#include "match/penalties/PenaltyDisplayControl.h"
#include "match/penalties/PenaltySettings.h"
#include "match/penalties/PenaltyShot.h"
#include "settings/TrainingSettings.h"
#include "support/DrillPitch.h"
#include "tests/support/ScreenCover.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kCap = 3000;

// The pause rule, open to the test.
class Drill : public TrainingPenalties {
public:
    using TrainingPenalties::MayPause;
    using TrainingPenalties::TrainingPenalties;
};

class PenaltyDrillTest : public DrillPitch {
protected:
    void SetUp() override
    {
        DrillPitch::SetUp();
        savedAfterKick = PenaltySettings::Instance()->timeAfterKick;
        savedDecision = PenaltySettings::Instance()->goalDecisionTime;
    }
    void TearDown() override
    {
        PenaltySettings::Instance()->timeAfterKick = savedAfterKick;
        PenaltySettings::Instance()->goalDecisionTime = savedDecision;
    }

    // The chosen member (field player 1) against the keeper, on the sides the variant reads.
    static bool LoadFor(bool shooting)
    {
        TrainingSettings* settings = TrainingSettings::Instance();
        const auto member = Members({1}, false), keeper = Members({0}, true);
        settings->chosen[0] = CharacterVariation::Find(member[0].variation);
        settings->chosenIndex = 0;
        settings->keeperName = keeper[0].variation;
        return shooting ? Load(member, keeper) : Load(keeper, member);
    }
    // Runs the drill as the game's state until its results are up.
    static bool RunToResults(const Drill* drill)
    {
        return StepUntil(kCap, [&] { return drill->IsFinished(); });
    }

    float savedAfterKick = 0.0f;
    float savedDecision = 0.0f;
};

TEST_F(PenaltyDrillTest, PointsAndMarksFollowWhatWentTheUsersWay)
{
    const struct {
        bool shooting;
        int goals, tries, points;
    } points[] = {{true, 5, 5, 6},  {true, 3, 5, 3},  {true, 0, 5, 0}, {false, 0, 5, 6},
                  {false, 2, 5, 3}, {false, 5, 5, 0}, {true, 0, 0, 0}, {false, 0, 0, 0}};
    for (const auto& c : points)
        EXPECT_EQ(TrainingPenalties::PointsFor(c.shooting, c.goals, c.tries, 1), c.points)
            << (c.shooting ? "shooting " : "keeping ") << c.goals << " of " << c.tries;
    const struct {
        bool shooting;
        int32_t result;
        bool filled;
    } marks[] = {{true, PenaltyContext::kScored, true},
                 {true, PenaltyContext::kMissed, false},
                 {false, PenaltyContext::kScored, false},
                 {false, PenaltyContext::kMissed, true}};
    for (const auto& c : marks)
        EXPECT_EQ(TrainingPenalties::UserSucceeded(c.shooting, c.result), c.filled)
            << (c.shooting ? "shooting " : "keeping ") << c.result;
}

TEST_F(PenaltyDrillTest, KicksDecidedAsTheyEndAreMarkedAndCounted)
{
    ASSERT_TRUE(LoadFor(false));
    // Every kick ends before the ball can reach the goal, and so is decided on its last frame.
    PenaltySettings::Instance()->timeAfterKick = 0.05f;
    PenaltySettings::Instance()->goalDecisionTime = 100.0f;
    auto* drill = new Drill(false);
    Harness().MakeCurrent(drill);
    const std::string rows = PenaltyDisplayControl::DescribeRow(0) + "|" + PenaltyDisplayControl::DescribeRow(1);
    ASSERT_TRUE(RunToResults(drill));

    EXPECT_EQ(rows, "eeeee|-----");
    EXPECT_EQ(drill->GetKicks(), 5);
    EXPECT_EQ(drill->GetGoals(), 0);
    EXPECT_EQ(PenaltyDisplayControl::DescribeRow(0), "sssss");
    EXPECT_TRUE(drill->IsPerfect());
    EXPECT_EQ(TrainingSettings::Instance()->points, 6);
    Harness().MakeCurrent(nullptr);
}

TEST_F(PenaltyDrillTest, TheShootingDrillPausesOnlyDuringAKickAndTheWinCheatEndsItPerfect)
{
    ASSERT_TRUE(LoadFor(true));
    const int shooting = static_cast<int>(TrainingSettings::Instance()->chosen[0]->shooting.level);
    auto* drill = new Drill(true);
    Harness().MakeCurrent(drill);
    const bool pausableBeforeKick = drill->MayPause();
    ASSERT_TRUE(StepUntil(kCap, [&] { return drill->GetRound() != nullptr; }));
    const bool pausableDuringKick = drill->MayPause();
    Harness().Script().Press(Harness().GetFrame(), "cheat win");
    ASSERT_TRUE(RunToResults(drill));

    EXPECT_FALSE(pausableBeforeKick);
    EXPECT_TRUE(pausableDuringKick);
    EXPECT_FALSE(drill->MayPause());
    EXPECT_EQ(drill->GetGoals(), 5);
    EXPECT_EQ(PenaltyDisplayControl::DescribeRow(0), "sssss");
    EXPECT_TRUE(drill->IsPerfect());
    EXPECT_EQ(TrainingSettings::Instance()->points, 6);
    EXPECT_EQ(Variable("%training_player_subselect_shooting%"), std::to_string(shooting + 6));
    Harness().MakeCurrent(nullptr);
    EXPECT_EQ(PenaltyDisplayControl::DescribeRow(0), "-----");
    EXPECT_EQ(PitchSimulation::Instance()->GetHudMask(), 0x3Fu);
}

// The opacity (0-255) of the black quad over the whole screen drawn last frame, or -1.
int BlackCoverAlpha()
{
    int alpha = -1;
    for (const RwNullDrawRecord& draw : RwNullDeviceGet()->draws)
        if (const int cover = BlackScreenCoverAlpha(draw); cover >= 0)
            alpha = cover;
    return alpha;
}

TEST_F(PenaltyDrillTest, EachKickOpensOutOfBlack)
{
    ASSERT_TRUE(LoadFor(true));
    auto* drill = new Drill(true);
    Harness().MakeCurrent(drill);
    ASSERT_TRUE(StepUntil(kCap, [&] { return drill->GetRound() != nullptr; }));
    std::vector<int> alphas;
    for (int frame = 0; frame < 3; ++frame) {
        Harness().Step();
        alphas.push_back(BlackCoverAlpha());
    }
    Harness().MakeCurrent(nullptr);

    EXPECT_GT(alphas[0], 127);
    EXPECT_TRUE(alphas[0] > alphas[1] && alphas[1] > alphas[2] && alphas[2] > 0) << alphas[0] << " " << alphas[1] << " " << alphas[2];
}

TEST_F(PenaltyDrillTest, EachVariantIsTheSessionsDrillOfItsModeAndItsTakerHoldsTheBallAsTheKickStarts)
{
    for (const bool shooting : {true, false}) {
        std::unique_ptr<State> made(TrainingDrill::Make(shooting ? TrainingDrill::kShooting : TrainingDrill::kKeeping));
        const auto* variant = dynamic_cast<TrainingPenalties*>(made.get());
        ASSERT_NE(variant, nullptr) << shooting;
        EXPECT_EQ(variant->IsShooting(), shooting);

        ASSERT_TRUE(LoadFor(shooting));
        auto* drill = new Drill(shooting);
        Harness().MakeCurrent(drill);
        ASSERT_TRUE(StepUntil(kCap, [&] { return drill->GetRound() != nullptr; }));
        // The taker stands on side 0 when the user shoots, on side 1 when he keeps goal.
        EXPECT_TRUE(Player(shooting ? 0 : 1, 0)->GetActor()->HasBall()) << shooting;
        EXPECT_FALSE(Player(shooting ? 1 : 0, 0)->GetActor()->HasBall()) << shooting;
        Harness().MakeCurrent(nullptr);
    }
}

TEST_F(PenaltyDrillTest, TheKeepingDrillsTakerWearsTheStoryShirtWithItsNumberColour)
{
    const struct {
        int32_t teamColor;
        Color colour;
    } cases[] = {{0, Color::White}, {3, Color::White}, {5, Color::White}, {2, Color(1, 1, 0, 1)},
                 {7, Color(1, 1, 0, 1)}, {1, Color(0, 0, 0, 1)}, {4, Color(0, 0, 0, 1)}, {6, Color(0, 0, 0, 1)},
                 {9, Color(0, 0, 0, 1)}};
    for (const auto& c : cases) {
        const TrainingPenalties::Shirt shirt = TrainingPenalties::StoryShirt("Lizard", c.teamColor);
        const Color& got = shirt.numberColour;
        EXPECT_TRUE(got.r == c.colour.r && got.g == c.colour.g && got.b == c.colour.b) << c.teamColor;
        EXPECT_NE(shirt.shirt.find("shirt0" + std::to_string(c.teamColor)), std::string::npos) << shirt.shirt;
        EXPECT_FALSE(shirt.mirror);
    }
    EXPECT_TRUE(TrainingPenalties::StoryShirt("Rhino", 0).mirror);
    EXPECT_NE(TrainingPenalties::StoryShirt("Panda", 0).number.find("ShirtNumber_2.png"), std::string::npos);

    ASSERT_TRUE(LoadFor(false));
    Character* taker = Player(1, 0);
    EXPECT_TRUE(TrainingPenalties::DressInStoryShirt(*taker, 3));
    EXPECT_GT(taker->GetActor()->GetShirtMaterialCount(), 0);
}

}  // namespace
