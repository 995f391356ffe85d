#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "match/period/MatchPeriod.h"
#include "scene/GameElements.h"
#include "support/TestMatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const Cast* Objects() { return CastManager::Instance()->GetCast("objects"); }

int LiveParticles(const char* name)
{
    const ParticleSystem* system = GeParticleSystem::FindIn(Objects(), name);
    return system ? system->GetLiveCount() : -1;
}

}  // namespace

// Every team member of the default data has his special move's particles in the level, and
// in a match they fly from a player in a special move, as the dust flies from runners' feet.
TEST(MatchParticlesTest, ASpecialMoveAndRunningPlayersEmitTheLevelsParticles)
{
    TestMatch match;
    ASSERT_TRUE(match.Start());
    std::vector<std::string> missing;
    for (const char* race : {"Lizard", "Panda", "Primate", "Rhino"}) {
        for (const char* kind : {"Gk0", "Pl0"}) {
            for (int n = 0; n < (kind[0] == 'G' ? 2 : 8); ++n) {
                const CharacterVariation* variation =
                    CharacterVariation::Find(std::string(race) + kind + std::to_string(n));
                ASSERT_NE(variation, nullptr);
                const std::string name = "actor_particles_" + variation->GetDisplayName();
                if (!GeParticleSystem::FindIn(Objects(), name.c_str()))
                    missing.push_back(name);
            }
        }
    }
    EXPECT_EQ(missing, std::vector<std::string>{});

    auto* period = new MatchPeriod(0, true, true, true);
    match.Harness().MakeCurrent(period);
    period->SetSequence(nullptr);
    Character* player = TestMatch::Team(0).GetPlayer(2);
    const std::string own = "actor_particles_" + player->GetVariation()->GetDisplayName();
    EXPECT_EQ(LiveParticles(own.c_str()), 0);
    Actor& actor = *player->GetActor();
    actor.PlaceInState(actor.GetPosition(), actor.GetHeading(), new ActorState(ActorNodes::specialmove));
    match.RunUntil([&] { return LiveParticles(own.c_str()) > 0 || !actor.IsInSpecialState(); }, 60);
    EXPECT_GT(LiveParticles(own.c_str()), 0);
    match.RunUntil([] { return LiveParticles("ground_particles") > 0; }, 600);
    EXPECT_GT(LiveParticles("ground_particles"), 0);
}
