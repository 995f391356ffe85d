#pragma once

// The match that ends a story leg: the squad is picked on the bench, the match is loaded and
// played, its score booked in the career, and a cut scene follows.

#include "frontend/menu/MenuLaunchedCodeFragment.h"

#include <string>
#include <vector>

class StoryModeMatch : public MenuLaunchedCodeFragment {
public:
    // home: the own team plays at home (the second leg of a round before the final).
    explicit StoryModeMatch(bool home);
    ~StoryModeMatch() override;
    StoryModeMatch(const StoryModeMatch&) = delete;
    StoryModeMatch& operator=(const StoryModeMatch&) = delete;

    // Loads the story team onto its level and starts the squad pick.
    void Enter() override;
    void Exit() override;
    // Itself while the pick or the match runs; once the match has ended, the story team's
    // level loaded again and then the cut scene that tells how it went.
    State* Update(float dt) override;
    void Render() override;

    bool IsHome() const { return m_home; }
    bool HasMatchStarted() const { return m_matchStarted; }
    // Null when none runs. Owned; valid until the next Update.
    State* GetMatch() const { return m_match; }
    State* GetSelection() const { return m_selection; }

private:
    void StartSelection();
    void StartMatch();
    State* BookMatch();

    bool m_home;
    bool m_matchStarted = false;
    State* m_match = nullptr;
    State* m_selection = nullptr;
    std::vector<std::string> m_selected;
};
