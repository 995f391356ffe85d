#pragma once

// The states that carry a career through its rounds: a round runs its legs, decides the
// round on aggregate and unlocks its reward.

#include "framework/State.h"
#include "frontend/menu/MenuLaunchedCodeFragment.h"

#include <functional>
#include <string>

// The state shown for a screen of the story chain ("leg_display", "round_won", "matchstart",
// "main", ...); the menus by default. Tests put their own in place; an empty function
// brings back the menus.
using StoryScreenMaker = std::function<State*(const std::string& screen)>;
void SetStoryScreenMaker(StoryScreenMaker maker);
State* MakeStoryScreen(const std::string& screen);

// One round: its legs, then the next round, the end screen or the main menu. Exit always
// resets the round's counters.
class StoryModeRound : public SubStateHolder {
public:
    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;
};

// One leg: its menu, training and match as the child; then the second leg, the same leg
// again ("RestartMatch") or the round's result screen.
class StoryModeLeg : public MenuLaunchedCodeFragment {
public:
    // The leg the career has due.
    StoryModeLeg();
    explicit StoryModeLeg(bool firstLeg);
    ~StoryModeLeg() override;
    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;
    void Render() override;

    // Unlocks the won round's reward once, sets "%gained_head%" and "%gained_list%", and
    // writes the rewards file.
    static void ShowGains();

private:
    bool m_firstLeg;
    State* m_child = nullptr;
};

// "Yes" on "round_lost": the round again from its first leg, with the statistics the
// members had when it began.
class StoryModeContinueYes : public MenuLaunchedCodeFragment {
public:
    State* Update(float dt) override;
};

// "No" on "round_lost": the career starts afresh under its name and is written to its
// slot; then the main menu.
class StoryModeContinueNo : public MenuLaunchedCodeFragment {
public:
    StoryModeContinueNo();
    State* Update(float dt) override;
};
