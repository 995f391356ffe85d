#pragma once

// The story mode's menu commands, as the front-end menu runs them: each returns what it
// decides about the menu's successor.

#include <string>

class State;
class TBMenu;

// A command's decision: when decided, the menu fades out to the state (none when null),
// which the menu then owns; when failed, the player is told and stays.
struct StoryChoice {
    bool decided = false;
    State* next = nullptr;
    bool failed = false;

    static StoryChoice Stay() { return {}; }
    static StoryChoice To(State* state) { return {true, state}; }
    static StoryChoice Failed() { return {false, nullptr, true}; }
};

namespace story_commands {

// "StartGame StoryMode" and "StartGame LastStory" on the slot chosen in "storyslot". A
// missing career file leaves everything as it was (logged), the current slot included.
StoryChoice StartGame(const std::string& mode);
// "EnterStoryMode": a career under the typed name ("storyteamname", mark-up and blanks
// trimmed) in the current slot, then the intro and the first round. Nothing for an empty
// name; failed (logged) when the career could not be written.
StoryChoice EnterStoryMode();
// "NextRound": the round-start snapshot, then the gained selection.
StoryChoice NextRound();
// "RestartMatch": the leg again, its training kept; no successor.
StoryChoice RestartMatch();
// "Training": the training, or the match start once it is passed.
StoryChoice Training();

// "Save": the career into its slot (one routine for every menu), then the menu tells the
// player whether it worked. False when it did not.
bool Save(TBMenu& menu);
// "DeleteStory" on the chosen slot.
void DeleteStory();
// "LoadSavegameMeta": the slot table from its file. True when the player is to be told that
// it could not be read and lists the careers found instead.
bool LoadSavegameMeta();
// "SelectedStory": "story_create" for a free chosen slot, else "story_load".
void SelectedStory();
// "CheckLegEntry": the leg screen's buttons for a resumed, a first or another leg.
void CheckLegEntry();
// "CheckMatchstartEntry": the match-start screen's buttons for a resumed career or not.
void CheckMatchstartEntry();
// "CheckRoundResultType": the final has no home and away legs to show.
void CheckRoundResultType();

// The "storyslot" choice as a slot number; -1 when nothing is chosen ("NULL" or unset); a
// text that is no number reads as 0.
int ChosenSlot();
// The typed text without its leading and trailing mark-up tags and blanks.
std::string TrimmedName(const std::string& typed);

}  // namespace story_commands
