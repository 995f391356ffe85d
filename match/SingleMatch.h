#pragma once

#include "frontend/FrontEndStates.h"
#include "framework/State.h"

#include <memory>

class MatchLoading;

// A state that runs one sub-state at a time in its slot and draws it. Deleting it exits and
// deletes the sub-state it still holds.
class SubStateHolder : public State {
public:
    SubStateHolder() = default;
    ~SubStateHolder() override;
    SubStateHolder(const SubStateHolder&) = delete;
    SubStateHolder& operator=(const SubStateHolder&) = delete;

    void Render() override;

    // Null when none is held. Owned; valid until the next Update.
    State* GetHeld() const { return m_held; }

protected:
    // Exits and deletes the held state, then holds and enters the new one (null: none).
    void Hold(State* state) { StateSlot::Set(&m_held, state, state != nullptr); }

    State* m_held = nullptr;
};

// An exhibition match as the menus chose it in GameParameters ("teamone", "teamtwo",
// "level", "players", the custom teams): the loading, then the periods, then the menu "main".
// While it runs, GameTB::s_inMatch is set.
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

// A round of the story career: it holds the round's current state and draws it. The round's
// own flow belongs to the story mode; until that exists it runs what it holds and ends
// with it.
class StoryModeRound : public SubStateHolder {
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
