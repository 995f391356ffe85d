#pragma once

// The all-star single match: the drawn pool is loaded onto the bench, the players pick, and
// the picks become the custom sides of the match that follows.

#include "frontend/menu/SingleMatchPool.h"
#include "match/PlayerSelectionResult.h"

#include <vector>

class State;

namespace single_match {

// The screen every all-star pick of a single match uses.
inline constexpr const char* kSelectionScreen = "3dMenues//AllStarMulti10p";

// The selection's request for the pool's characters (team one's players first); the outputs
// are PlayerSelectionResult::SingleMatchOutput by side.
PlayerSelectionResult MakeRequest(const SelectionStart& start, std::vector<Character*> candidates);
// Loads the pool at once and returns the selection followed by the match; null (logged)
// when the load leaves nobody to pick. Installed as the menus' selection starter.
State* StartSelection(const SelectionStart& start);

}  // namespace single_match
