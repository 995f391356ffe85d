#pragma once

// The menus on the way from a story leg's training to its match.

#include "frontend/menu/TBMenu.h"

struct PlayerSelectionResult;

// A front-end menu whose screens ("training", "training_load", "training_advance",
// "matchstart") speak the training's command words instead of the front end's.
class TrainingMode : public TBMenu {
public:
    explicit TrainingMode(const std::string& screen) : TBMenu(screen) {}

    // The kinds of CreateMainSelection.
    enum Selection { kTrainingMembers = 0, kDribbler = 1, kShooter = 2 };

    // "SetMenu", "Save", "BackToMain" and "StartMatch" act only while the screen is shown;
    // "SetPosition", "SetRotation", "CheckMatchstartEntry", "AdvanceTraining", "StartTraining"
    // and the selections at any time. 0 (never stops an action text).
    int OnMessage(int message, intptr_t param) override;

    // Loads the members to pick from (all of the story team, or the three chosen for the
    // one-player drills) and leaves for the selection, then for the training session that
    // takes its picks. Stays (logged) without the story team.
    void CreateMainSelection(int kind);
    // The selection screen for the kind and the size of the story team.
    static std::string SelectionScreen(int kind, size_t teamSize);
    // Makes the selection state from the request. The squad selection, which sits above the
    // menus, puts its own in; tests put in theirs. Returns the maker it replaces.
    using SelectionMaker = State* (*)(const PlayerSelectionResult& request);
    static SelectionMaker SetSelectionMaker(SelectionMaker maker);

private:
    // By the drill counter: the next member selection, "training_load", or, after the last
    // drill, the match start. Stays on the screen for a counter out of range.
    void AdvanceTraining();
    // The drill of the drill counter; a counter out of range is set back to 0 and the
    // screen stays.
    void StartTraining();
    // The successor at once, without the fade-out.
    void LeaveNow(State* next);
    // The story match of the leg due; nothing (logged) in a program without it.
    void StartMatch();
    // The successor, then the fade-out.
    void Leave(State* next);
};
