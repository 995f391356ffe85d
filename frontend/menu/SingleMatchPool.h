#pragma once

// The all-star side of a single match: ten characters drawn at random from the eight teams,
// either shared out at once or offered on the bench for the players to pick from.

#include "characters/TeamDescription.h"

#include <cstdint>
#include <string>
#include <vector>

class GameParameters;
class State;
struct TeamMember;

namespace single_match {

inline constexpr int kTeamCodeCount = 8;
// The order the draws index; the last code is never drawn.
inline constexpr const char* kTeamCodes[kTeamCodeCount] = {"Panda01", "Lizard01", "Rhino01", "Primate01",
                                                           "Panda02", "Lizard02", "Rhino02", "Primate02"};

// Its flag marks a keeper.
using Member = TeamDescription::Member;

// Index into kTeamCodes; -1 for a code that is none of them.
int TeamIndex(const std::string& code);
// "Lizard02" gives "LizardGk01"; number 2 of "Rhino01" gives "RhinoPl02".
std::string KeeperName(int team);
std::string PlayerName(int team, int number);

// Two keepers, then eight outfield players, from the game's random sequence: no two alike,
// and none from ownTeam (-1: any) unless the redraws run out.
std::vector<Member> DrawPool(int ownTeam);
// Appends the pool to the teams' lists: entry 0 and then every odd one to team one,
// entry 1 and the even ones from 4 to team two; entry 2 sits out.
void SharePool(const std::vector<Member>& pool, std::vector<TeamMember> (&lists)[2]);

// How the players' choices start the match.
enum class Layout { kAllRandom, kTwoHumans, kOnePicker };
struct Choice {
    Layout layout = Layout::kAllRandom;
    // The team the draws keep out; -1 for none.
    int ownTeam = -1;
    // One picker only: whether side one's list receives the picks (else side two's).
    bool sideOneFirst = true;
};
// A "players" value other than 0 to 2 takes the one-picker layout.
Choice ReadChoice(const GameParameters& parameters);

// What the selection library needs to load the pool and let the players pick.
struct SelectionStart {
    std::vector<Member> pool;
    Layout layout = Layout::kOnePicker;
    bool sideOneFirst = true;
};
// Builds the state that loads the pool onto the bench and then plays the match; null when it
// cannot. The selection library installs it at start-up; until then none is set.
using SelectionStarter = State* (*)(const SelectionStart& start);
void SetSelectionStarter(SelectionStarter starter);
SelectionStarter GetSelectionStarter();

}  // namespace single_match
