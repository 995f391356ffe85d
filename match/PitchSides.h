#pragma once

#include "settings/PitchCoordinates.h"

#include <cstdint>

class Character;
class SoccerTeam;

// What the match states ask of a side: which end it plays towards and who stands where in
// its member list (0 is the keeper). The characters stay the team's.
namespace sides {

// False for null or a character without a team.
bool OnFirstSide(const Character* character);
// The way a side plays: along the pitch frame for the first side, back along it for the
// other. Unit length, world frame.
const Vector3& PlayDirection(bool firstSide);
// PlayDirection as a heading in the pitch plane.
PitchAngle PlayAngle(bool firstSide);
// Null for a null team or an index outside its members.
Character* PlayerAt(const SoccerTeam* team, int32_t index);
// Null for a null or empty team.
Character* LastPlayer(const SoccerTeam* team);

}  // namespace sides
