#pragma once

// What a story match is made of, apart from the states that load and play it: its selection
// screen, line-up, venue, opponent's aggression and the cut scene after it.

#include "characters/TeamDescription.h"
#include "match/MatchSetup.h"
#include "match/period/MatchPeriod.h"

#include <string>
#include <vector>

namespace story_match {

// The in-match selection screen for a story team of that size; five members' for any size
// but seven.
const char* SelectionScreen(size_t teamSize);

// The story team's playing list: the selected members in selection order and, for a team of
// seven, the first two members in team order that were not selected, as its bench.
std::vector<TeamDescription::Member> LineUp(const std::vector<TeamDescription::Member>& team,
                                            const std::vector<std::string>& selected);

// The line-up when no pick can be made: the first five members' short names.
std::vector<std::string> FirstFive(const std::vector<TeamDescription::Member>& team);

// The own team plays at home in the second leg of a round before the final.
bool IsHomeLeg();
// A match that may go to extra time and a shoot-out: a second leg or the final.
bool IsDecisive();
// The rules of the leg due as the career holds them: the round, the leg, the goals booked
// so far, the cards option, and the career's shoot-out result to write.
MatchRules Rules();
// The opponent's aggression in a round: the first round's, raised by each round after it.
float OpponentAggression(int round);

// The match of the leg due, with the story team's selected members (short names, in
// selection order): the line-up and bench from LineUp, the round's opponent whole, the
// referee, the opponent's aggression and the spectators. An opponent without a description
// leaves its side empty (logged).
MatchSetup PlaySetup(const std::vector<std::string>& selected);

// The cut scene after a booked match: the outro after a won final, else the newspaper with
// its script and page.
struct CutScene {
    std::string folder;
    std::string script;  // empty for the outro's own
    int page = 0;
};
CutScene AfterMatch(int ownGoals, int opponentGoals);

}  // namespace story_match
