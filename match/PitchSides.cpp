#include "match/PitchSides.h"

#include "characters/Character.h"
#include "characters/Team.h"

namespace sides {

bool OnFirstSide(const Character* character)
{
    return character && character->GetTeam() && character->GetTeam()->IsFirstSide();
}

const Vector3& PlayDirection(bool firstSide)
{
    return PitchFrame::GetDirection(firstSide ? PitchFrame::kAlong : PitchFrame::kAlongBack);
}

PitchAngle PlayAngle(bool firstSide)
{
    return PitchAngle::FromDirection(PlayDirection(firstSide));
}

Character* PlayerAt(const SoccerTeam* team, int32_t index)
{
    return team && index >= 0 && index < team->GetPlayerCount() ? team->GetPlayer(index) : nullptr;
}

Character* LastPlayer(const SoccerTeam* team)
{
    return team ? PlayerAt(team, team->GetPlayerCount() - 1) : nullptr;
}

}  // namespace sides
