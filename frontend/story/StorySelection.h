#pragma once

// The squad picks of the story (the match's line-up, the players gained after a round) run
// over characters standing on the pitch; what the story keeps of a pick is their short names.

#include "framework/State.h"
#include "match/PlayerSelectionResult.h"

#include <functional>
#include <string>
#include <vector>

class Character;

namespace story_selection {

// The state that runs a selection request; the game's squad selection unless a test puts
// its own in place. It fills the request's outputs before it ends.
using Maker = std::function<State*(const PlayerSelectionResult& request)>;
void SetMaker(Maker maker);
// The library that holds the squad selection installs it here; tests do not override this.
void SetDefaultMaker(Maker maker);

// Runs the request (its outputs are replaced by the state's own) and, once it has ended,
// leaves the first output's short names in chosen, which must outlive the state. Null
// (logged) when no selection state can be made.
State* Make(PlayerSelectionResult request, std::vector<std::string>& chosen);

// Every player of both match teams, team one first, each in its player order; empty without
// a pitch.
std::vector<Character*> PitchPlayers();

// The characters' short names, in order; a character without a variation gives "".
std::vector<std::string> ShortNames(const std::vector<Character*>& players);

}  // namespace story_selection
