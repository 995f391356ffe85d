#pragma once

#include "framework/State.h"
#include "frontend/menu/MenuLaunchedCodeFragment.h"

#include <memory>

class MatchLoading;

// An exhibition match as the menus chose it in GameParameters ("teamone", "teamtwo",
// "level", "players", the custom teams): the loading, then the periods, then the menu "main".
// While it runs, GameHost::s_inMatch is set.
class SingleMatch : public SubStateHolder {
public:
    // Reads every cast again and starts the loading, which hands over to the first period. A
    // side naming no team description leaves nothing to run (logged).
    void Enter() override;
    // Clears the in-match flag and both custom member lists.
    void Exit() override;
    // Itself while the match runs; a new menu on "main" once it has ended.
    State* Update(float dt) override;

    // The loading the menus' choices ask for; null (logged) when "teamone" or "teamtwo" names
    // no team description. The caller owns it.
    static std::unique_ptr<MatchLoading> CreateLoading();
};

// Started by the menus by name ("StartGame SingleMatch"): gives way to a SingleMatch.
class SingleMatchStart : public MenuLaunchedCodeFragment {
public:
    State* Update(float dt) override;
};

// Started by the menus by name: a fresh career (team name "StoryModeStart"), then its first
// round.
class StoryModeStart : public MenuLaunchedCodeFragment {
public:
    static constexpr const char* kCareerName = "StoryModeStart";

    State* Update(float dt) override;
};
