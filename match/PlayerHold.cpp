#include "match/PlayerHold.h"

#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/Team.h"
#include "pitch/PitchSimulation.h"

std::vector<Character*> PlayerHold::AllPlayers()
{
    std::vector<Character*> players;
    PitchSimulation* pitch = PitchSimulation::Instance();
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        const Team* team = pitch->GetTeam(side);
        for (int32_t i = 0; team && i < team->GetPlayerCount(); ++i)
            players.push_back(team->GetPlayer(i));
    }
    return players;
}

void PlayerHold::Set(Character* character, bool hold)
{
    if (CharacterBrain* brain = character ? character->GetBrain() : nullptr)
        brain->SetMode(hold ? CharacterBrain::kFrozen : 0);
}

bool PlayerHold::IsHeld(const Character* character)
{
    const CharacterBrain* brain = character ? character->GetBrain() : nullptr;
    return brain && brain->GetMode() == CharacterBrain::kFrozen;
}

void PlayerHold::HoldAll()
{
    for (Character* player : AllPlayers())
        Set(player, true);
}

void PlayerHold::ReleaseAll()
{
    for (Character* player : AllPlayers())
        Set(player, false);
}
