// Weighted decisions over the registry's measures: scores, the choice among candidates and
// the per-frame cache.
#include "ai/Decision.h"
#include "ai/UtilityRegistry.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "support/ActorTestSupport.h"
#include "support/CharacterCast.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Without an opposing holder, "IsConstrainedToArea" rates the last defender (role 1) 1 and
// everybody else 0; with the ball parked far away "DistanceFromBall" rates everybody 1.
constexpr const char* kRoleMeasure = "IsConstrainedToArea";
constexpr int32_t kLastDefender = 1;

std::unique_ptr<Character> Player(int32_t role)
{
    auto player = std::make_unique<Character>(Character::kFieldPlayer, "PandaPl00", nullptr);
    player->SetRoleIndex(role);
    return player;
}

// Characters need their data and a pitch.
class DecisionTest : public KickAbout {
protected:
    CharacterCast cast{StagePath("Characters.txt")};
};
using UtilityRegistryTest = DecisionTest;

TEST_F(DecisionTest, ScoresAreWeightedMeansOrPlainSumsWhenTheWeightsCancel)
{
    const UtilityRegistry registry;
    const auto defender = Player(kLastDefender);
    const auto wide = Player(2);
    struct Case {
        std::vector<DecisionPart> parts;
        float defender;
        float wide;
    };
    const std::vector<Case> cases = {
        {{}, 0.0f, 0.0f},
        {{{kRoleMeasure, false, 3.0f}, {"DistanceFromBall", false, 1.0f}}, 1.0f, 0.25f},
        {{{kRoleMeasure, true, 1.0f}, {"DistanceFromBall", true, 3.0f}}, 0.0f, 0.25f},
        {{{kRoleMeasure, false, 2.0f}, {kRoleMeasure, true, -2.0f}}, 2.0f, -2.0f},
        {{{kRoleMeasure, false, 0.0f}}, 0.0f, 0.0f},
        // A name nobody registered counts for nothing.
        {{{kRoleMeasure, false, 1.0f}, {"Telepathy", false, 5.0f}}, 1.0f, 0.0f},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        Decision decision;
        for (const DecisionPart& part : cases[i].parts)
            decision.AddPart(part);
        EXPECT_FLOAT_EQ(decision.Score(defender.get(), registry), cases[i].defender) << i;
        EXPECT_FLOAT_EQ(decision.Score(wide.get(), registry), cases[i].wide) << i;
    }
}

TEST_F(DecisionTest, TheFirstOfTheBestCandidatesIsChosen)
{
    const UtilityRegistry registry;
    std::vector<std::unique_ptr<Character>> owned;
    for (int32_t role : {0, 2, kLastDefender, kLastDefender, 3})
        owned.push_back(Player(role));
    std::vector<Character*> players;
    for (const auto& player : owned)
        players.push_back(player.get());
    Decision defenders;
    defenders.AddPart({kRoleMeasure, false, 1.0f});
    Decision others;
    others.AddPart({kRoleMeasure, true, 1.0f});
    Decision negative;
    negative.AddPart({kRoleMeasure, false, 3.0f});
    negative.AddPart({kRoleMeasure, true, -3.0f});

    EXPECT_EQ(defenders.ChooseBest(players.data(), 5, registry), players[2]);
    EXPECT_EQ(others.ChooseBest(players.data(), 5, registry), players[0]);
    EXPECT_EQ(others.ChooseBest(players.data() + 2, 3, registry), players[4]);
    // Every score below the start of -1: the first candidate stays the choice.
    EXPECT_EQ(negative.ChooseBest(players.data(), 2, registry), players[0]);
    EXPECT_EQ(negative.ChooseBest(players.data() + 1, 2, registry), players[2]);
    EXPECT_EQ(defenders.ChooseBest(players.data(), 0, registry), nullptr);
    EXPECT_EQ(defenders.ChooseBest(nullptr, 0, registry), nullptr);
}

TEST_F(DecisionTest, ChoosesAmongATeamsMembersInMemberOrder)
{
    const UtilityRegistry registry;
    SoccerTeam team(true);
    Decision defenders;
    defenders.AddPart({kRoleMeasure, false, 1.0f});
    EXPECT_EQ(defenders.ChooseBestPlayer(team, registry), nullptr);
    for (int i = 0; i < 3; ++i)
        team.AddPlayer(Player(0));
    team.GetPlayer(1)->SetRoleIndex(kLastDefender);
    team.GetPlayer(2)->SetRoleIndex(kLastDefender);
    EXPECT_EQ(defenders.ChooseBestPlayer(team, registry), team.GetPlayer(1));
}

TEST_F(UtilityRegistryTest, AValueHoldsForTheFrameHoweverTheWorldMoves)
{
    UtilityRegistry registry;
    EXPECT_EQ(registry.GetCount(), 7);
    for (const char* name : {"DistanceFromBall", "SpeedTowardsBall", "DistanceAlongPitch", "DistanceAcrossPitch",
                             "ClearPathToBall", "DistanceFromTacticalPosition", "IsConstrainedToArea"}) {
        ASSERT_NE(registry.Find(name), nullptr) << name;
        EXPECT_TRUE(registry.Find(name)->IsCaching()) << name;
    }
    EXPECT_EQ(registry.Find("Telepathy"), nullptr);

    const auto player = Player(kLastDefender);
    Utility<float>& measure = *registry.Find(kRoleMeasure);
    EXPECT_FALSE(measure.IsCached(player.get()));
    EXPECT_EQ(measure.GetValue(player.get()), 1.0f);
    player->SetRoleIndex(0);
    EXPECT_EQ(measure.GetValue(player.get()), 1.0f);
    EXPECT_EQ(measure.Evaluate(player.get()), 0.0f);
    registry.ClearCaches();
    EXPECT_FALSE(measure.IsCached(player.get()));
    EXPECT_EQ(measure.GetValue(player.get()), 0.0f);
    measure.SetCaching(false);
    player->SetRoleIndex(kLastDefender);
    EXPECT_EQ(measure.GetValue(player.get()), 1.0f);
}

} // namespace
