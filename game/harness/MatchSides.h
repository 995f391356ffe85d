#pragma once

#include "framework/Vector.h"

#include <string>

class GameHarness;

// Two sides from their team descriptions on the pitch of a running game (keepers where the
// descriptions mark them, every player computer-controlled), each manager's tactics chosen,
// and the referee, as a match would have them before its first set piece. Any members the
// sides held before stay. False (on stderr) when a description is missing or no match is set up.
bool PutSidesOnPitch(const std::string& side0, const std::string& side1);

// Every member of both sides standing, 8 units apart across x = 20 (side 0) and x = -20
// (side 1) in member order, and the ball at rest on the centre spot: nobody near it.
void LineUpSides();

// Registers "<LP>" and "<SP>" for the level folder and reads the level's casts ("objects"
// with them), as the match loading does.
void LoadLevelCasts(GameHarness& harness, const std::string& level = "level01");

// "objects|LeftSpawnPoint" and "objects|RightSpawnPoint" moved there, made as plain markers
// owned by "objects" when the level has none.
void SetSpawnPoints(const Vector3& left, const Vector3& right);
