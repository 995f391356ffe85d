#pragma once

// A match set up on a started harness the way the match loading will leave it, for tests,
// tools and benchmarks of the match-flow states: the first level's casts, two computer sides
// of default teams lined up apart in their halves, a referee and the ball on the centre spot.

#include "framework/Vector.h"

#include <string>

class GameHarness;

namespace harnessmatch {

// Registers "<LP>" and "<SP>" for the level folder and reads its casts ("objects" with them).
void LoadLevel(GameHarness& harness, const std::string& level = "level01");
// Both sides emptied and filled again from the team descriptions, keepers first, standing
// 8 units apart across x = 20 (side 0) and x = -20 (side 1); a new referee; the ball at rest
// on the centre spot. False (on stderr) when a description is missing.
bool MakeSides(const char* side0 = "Panda01", const char* side1 = "Lizard01");
// "objects|LeftSpawnPoint" and "objects|RightSpawnPoint" moved there, made as plain markers
// owned by "objects" when the level has none.
void SetSpawnPoints(const Vector3& left, const Vector3& right);

}  // namespace harnessmatch
