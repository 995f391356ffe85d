#pragma once

#include <string>

// Two sides from their team descriptions on the pitch of a running game (keepers where the
// descriptions mark them, every player computer-controlled), each manager's tactics chosen,
// and the referee, as a match would have them before its first set piece. Any members the
// sides held before stay. False (on stderr) when a description is missing or no match is set up.
bool PutSidesOnPitch(const std::string& side0, const std::string& side1);
