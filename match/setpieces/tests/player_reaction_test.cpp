// Cheers and dismay on the harness with the real animations: when each player starts, that a
// busy one waits until he stands, and how long the state lasts.
#include "characters/Character.h"
#include "framework/Random.h"
#include "match/PlayerHold.h"
#include "match/setpieces/PlayerReaction.h"
#include "support/MatchOnHarness.h"

#include <cstring>
#include <map>

namespace {

constexpr float kDt = GameHarness::kFrameTime;

std::string StateOf(const Character* player) { return player->GetActor()->GetStateName(); }

// How many players stand in each node.
std::map<std::string, int> Nodes(const std::vector<Character*>& players)
{
    std::map<std::string, int> nodes;
    for (const Character* player : players)
        ++nodes[StateOf(player)];
    return nodes;
}

class PlayerReactionTest : public setpiecetest::MatchOnHarness {
protected:
    void SetUp() override
    {
        MatchOnHarness::SetUp();
        ResetSides();
    }
};

}  // namespace

TEST_F(PlayerReactionTest, WithoutStaggersEveryoneReactsOnTheFirstStepThatTakesTime)
{
    const std::vector<Character*> cheering = Players(0), dismayed = Players(1);
    auto* reaction = new PlayerReaction(cheering, dismayed, 0.0f, 0.0f, 2.0f);
    harness->MakeCurrent(reaction);

    // A frame of no time changes nothing.
    EXPECT_EQ(reaction->Update(0.0f), reaction);
    EXPECT_EQ(reaction->GetElapsed(), 0.0f);
    EXPECT_EQ(Nodes(cheering), (std::map<std::string, int>{{"stand", static_cast<int>(cheering.size())}}));

    // The cheer is a coin toss per player; a fixed sequence makes "both are used" repeatable
    // whatever else drew from it before.
    Random::Seed(7);
    ASSERT_TRUE(harness->Step());
    const std::map<std::string, int> cheers = Nodes(cheering);
    EXPECT_EQ(cheers.count("stand"), 0u);
    EXPECT_EQ(cheers.size(), 2u) << "both cheers are used";
    EXPECT_EQ(cheers.count("cheer") + cheers.count("cheer2"), 2u);
    EXPECT_EQ(Nodes(dismayed), (std::map<std::string, int>{{"dismay", static_cast<int>(dismayed.size())}}));
}

TEST_F(PlayerReactionTest, StartTimesGrowByGapsBetweenTheStaggers)
{
    Random::Seed(7);
    const PlayerReaction reaction(Players(0), Players(1), 0.1f, 0.3f, 5.0f);
    float previous = 0.0f;
    size_t index = 0;
    for (const PlayerReaction::Reaction& r : reaction.GetReactions()) {
        EXPECT_EQ(r.cheer, index < Players(0).size()) << index;
        EXPECT_GE(r.start - previous, 0.1f - 1e-5f) << index;
        EXPECT_LE(r.start - previous, 0.3f + 1e-5f) << index;
        previous = r.start;
        ++index;
    }
    EXPECT_EQ(index, Players(0).size() + Players(1).size());
}

TEST_F(PlayerReactionTest, ABusyPlayerReactsOnceHeStands)
{
    Character* busy = &Player(0, 1);
    Character* idle = &Player(0, 2);
    // Running down: he stands again only when the action has played to its end.
    busy->GetActor()->PlaceInState(busy->GetActor()->GetPosition(), 0.0f, new ActorState(ActorNodes::endrun));
    auto* reaction = new PlayerReaction({busy, idle}, {}, 0.0f, 0.0f, 3.0f);
    harness->MakeCurrent(reaction);
    int reactedAt = -1, idleReactedAt = -1;
    float startWhenReacted = 0.0f;
    const auto cheering = [](const Character* player) {
        return StateOf(player) == "cheer" || StateOf(player) == "cheer2";
    };
    RunWith(240, [&](int frame) {
        if (reactedAt < 0 && cheering(busy)) {
            reactedAt = frame;
            startWhenReacted = reaction->GetReactions()[0].start;
        }
        if (idleReactedAt < 0 && cheering(idle))
            idleReactedAt = frame;
    });
    EXPECT_EQ(idleReactedAt, 1);
    EXPECT_GT(reactedAt, 1);
    // His turn moved on step by step until the step in which he stood.
    EXPECT_NEAR(startWhenReacted, (reactedAt - 1) * kDt, kDt * 0.01f);
}

TEST_F(PlayerReactionTest, ItEndsAtItsDurationWhetherOrNotEveryoneReactedAndLetsTheBrainsGo)
{
    const struct {
        float seconds, minStagger, maxStagger;
        bool allReacted;
    } cases[] = {{0.5f, 0.0f, 0.0f, true}, {0.5f, 1.0f, 1.0f, false}};
    for (const auto& c : cases) {
        ResetSides();
        harness->MakeCurrent(new PlayerReaction(Players(0), {}, c.minStagger, c.maxStagger, c.seconds));
        bool held = true;
        const int frames = RunWith(300, [&](int) {
            for (Character* player : PlayerHold::AllPlayers())
                held = held && PlayerHold::IsHeld(player);
        });
        EXPECT_TRUE(StateEnded());
        EXPECT_NEAR(frames * kDt, c.seconds, kDt * 1.01f);
        EXPECT_TRUE(held);
        for (Character* player : PlayerHold::AllPlayers())
            EXPECT_FALSE(PlayerHold::IsHeld(player));
        EXPECT_EQ(Nodes(Players(0)).count("stand") == 0, c.allReacted);
    }
}

TEST_F(PlayerReactionTest, AReactionPlaysToItsEndAndThePlayerStandsAgain)
{
    Character* player = &Player(1, 1);
    Run(new PlayerReaction({}, {player}, 0.0f, 0.0f, 5.0f), 2);
    ASSERT_EQ(StateOf(player), "dismay");
    const ActorState* reacting = player->GetActor()->GetState();
    // The node holds until its action ends: the same state object all along.
    int sameFrames = 0;
    RunWith(600, [&](int) {
        if (player->GetActor()->GetState() == reacting)
            ++sameFrames;
    });
    EXPECT_GT(sameFrames, 10);
    EXPECT_EQ(StateOf(player), "stand");
}
