#pragma once

// The menus that run over a match or a drill while the pitch stays loaded: the in-match menu
// the player works in (pause, options, keys, substitution, drill results) and the short event
// banners that close by themselves.

#include "frontend/menu/TBMenu.h"
#include "match/SubstitutionChoice.h"

#include <cstdint>
#include <string>

class Character;

// Between Enter and Exit the HUD is hidden, the replay engine paused and the pitch inactive
// (its clock stands); Exit restores all three, so each menu of a chain restores what it found.
class TBIngameMenu : public TBMenu {
public:
    // The field player and the bench player the substitution screen marks, 0-based; kept for
    // the whole run.
    static int s_selectedSubstitutionPlayer;
    static int s_selectedSubstitute;

    // renderPitch: the match is drawn beneath the menu.
    TBIngameMenu(const std::string& screen, bool renderPitch);

    void Enter() override;
    void Exit() override;
    // The substitution variables are refreshed before the menu runs.
    State* Update(float dt) override;
    void Render() override;

    // "%subst_player_1%" to "%subst_player_4%" from the first side's field players and
    // "%subst_subst_<n>%" (at least 1 and 2) from its bench, the marked ones ending in " XXX";
    // "N/A" where nobody stands. Without a match every one reads "N/A".
    static void PublishSubstitutionVariables();
    // Sends the marked pair as a SubstitutionChoice; false (logged, nothing sent) when either
    // mark stands on nobody.
    static bool SendSubstitutionChoice();

    bool GetRenderPitch() const { return m_renderPitch; }

protected:
    void RunCommand(const std::string& word, MenuCommandCall& call, int fadeState) override;
    TBMenu* CreateScreen(const std::string& screen) const override;

private:
    uint32_t m_savedHudMask = 0;
    bool m_renderPitch;
    // Exit restores only what Enter saved: a menu dropped unentered must not blank the HUD.
    bool m_entered = false;
};

// A banner for a match event: fully shown for its display time, then it fades out and ends.
// The screen's own buttons still work through the front-end commands.
class TBIngameMessageMenu : public TBMenu {
public:
    TBIngameMessageMenu(const std::string& screen, float seconds, bool drawMouseCursor = false,
                        bool renderPitch = false);

    State* Update(float dt) override;
    void Render() override;

    // Seconds of display time left; the fade-out starts once it reaches 0.
    float GetRemaining() const { return m_remaining; }

private:
    float m_remaining;
    bool m_renderPitch;
};
