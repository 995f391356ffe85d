#pragma once

// The menus on the way from a story leg's training to its match.

#include "frontend/menu/TBMenu.h"

// A front-end menu whose screens ("training", "training_load", "training_advance",
// "matchstart") speak the training's command words instead of the front end's.
class TrainingMode : public TBMenu {
public:
    explicit TrainingMode(const std::string& screen) : TBMenu(screen) {}

    // "SetMenu", "Save", "BackToMain" and "StartMatch" act only while the screen is shown;
    // "SetPosition", "SetRotation" and "CheckMatchstartEntry" at any time. 0 (never stops an action text).
    int OnMessage(int message, intptr_t param) override;

private:
    // The story match of the leg due; nothing (logged) in a program without it.
    void StartMatch();
    // The successor, then the fade-out.
    void Leave(State* next);
};
