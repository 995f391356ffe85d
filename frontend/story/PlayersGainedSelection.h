#pragma once

// Between rounds the story team takes players over from the opponent it has just beaten.

#include "characters/TeamDescription.h"
#include "framework/State.h"

#include <functional>
#include <string>
#include <vector>

// What the selection offers: a team of five picks two outfield players of the other team;
// a team of seven is picked again, a keeper and six others, from both teams.
struct GainedOffer {
    std::vector<TeamDescription::Member> candidates;  // own team first
    std::string screen;
    int mode = 0;
    int keepersToPick = 0;
    int outfieldToPick = 0;
    int startPicked = 0;  // the first candidates, the own team's, picked at the start
    // A line-up change: the own team's candidates form the line-up, the other's sit apart.
    int lineUpSize = 0;
    int benchGapCount = 0;
};

// The offer for the two teams; false for an own team of neither five nor seven members.
bool MakeGainedOffer(const TeamDescription& own, const TeamDescription& other, GainedOffer& offer);

// The story team after the pick, by chosen short names in selection order. Five: its
// members, then the chosen as outfield players. Seven: each chosen name from the own team,
// else from the other, keepers at the front; names in neither are skipped. Any other size:
// the own team unchanged.
std::vector<TeamDescription::Member> ComposeGainedTeam(const std::vector<TeamDescription::Member>& own,
                                                       const std::vector<TeamDescription::Member>& other,
                                                       const std::vector<std::string>& chosen);

// The selection state for an offer; it fills the chosen names before it ends. Null when no
// selection screen can be shown. By default both teams' offered players are loaded onto the
// story level and picked on the squad selection; an empty function brings that back.
using GainedSelectionMaker = std::function<State*(const GainedOffer& offer, std::vector<std::string>& chosen)>;
void SetGainedSelectionMaker(GainedSelectionMaker maker);
State* SelectOnThePitch(const GainedOffer& offer, std::vector<std::string>& chosen);

// Runs the pick and, on Exit, rebuilds the story team from it, refreshes the career's member
// names and takes the round-start snapshot of the new list. Without a pick (no screen, or a
// team of neither five nor seven) the team stays as it is.
class PlayersGainedSelection : public SubStateHolder {
public:
    PlayersGainedSelection(TeamDescription* own, TeamDescription* other);
    ~PlayersGainedSelection() override;
    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;

private:
    TeamDescription* m_own;
    TeamDescription* m_other;
    bool m_picking = false;
    std::vector<std::string> m_chosen;
};
