#pragma once

// The kick-about scene with whole characters of the default data: both sides of the match,
// the character cast, and the helpers that place players and hand them the ball.

#include "characters/Character.h"
#include "characters/Team.h"
#include "characters/data/CharacterCast.h"
#include "pitch/PitchSimulation.h"
#include "support/ActorTestSupport.h"

#include <memory>

class CharacterKickAbout : public KickAbout {
protected:
    void SetUp() override
    {
        KickAbout::SetUp();
        pitch = PitchSimulation::Instance();
        home = pitch->GetTeam(0);
        away = pitch->GetTeam(1);
    }

    // A new member of the team in the node at the place.
    Character* Add(SoccerTeam* team, int32_t kind, const char* variation, const Vector3& at, float heading = 0.0f,
                   const ActorStateNode& node = ActorNodes::stand)
    {
        auto owned = std::make_unique<Character>(kind, variation, team);
        Character* character = owned.get();
        team->AddPlayer(std::move(owned));
        Put(*character, at, heading, node);
        return character;
    }

    static void Put(Character& character, const Vector3& at, float heading, const ActorStateNode& node)
    {
        character.GetActor()->PlaceInState(at, heading, new ActorState(node));
    }

    void GiveBallTo(Character& holder)
    {
        ball.SetVelocity({});
        ASSERT_TRUE(ball.TakePossession(&holder));
        holder.GetActor()->TakeBall(&ball);
    }

    CharacterCast cast{StagePath("Characters.txt")};
    PitchSimulation* pitch = nullptr;
    SoccerTeam* home = nullptr;
    SoccerTeam* away = nullptr;
};
