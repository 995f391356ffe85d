#pragma once

// Steps the benches take through the front end on the game harness.

#include <functional>
#include <string>

class GameHarness;
class TBMenu;

namespace game_run {

// Sends a menu command ("StartGame" with "SingleMatch") as the screen's action text would.
void Command(TBMenu& menu, const char* word, const char* argument);

// The level screen made current and shown, with the choices of the screens before it made
// from the game parameters; null when it does not show.
TBMenu* LevelScreen(GameHarness& harness);

// The level screen shown, with a single match of the computer's sides "Panda01" and
// "Lizard01" on level01 chosen before it; null when it does not show.
TBMenu* ComputerMatchScreen(GameHarness& harness);

// That match started from the level screen and run to its first frame; false (reported)
// when it does not start.
bool StartComputerMatch(GameHarness& harness);

// One more frame, counting what it asked of the device: draws, triangles and how many times
// each pixel of the width x height picture was drawn (the samples that passed the depth test).
void PrintLoad(const std::function<bool()>& frame, int width, int height);

}  // namespace game_run
