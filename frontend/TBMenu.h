#pragma once

// The front-end menu states as the game state and the match use them: each shows one XML
// screen through the menu manager and hears its actions.

#include "framework/Message.h"
#include "framework/Quaternion.h"
#include "framework/State.h"
#include "framework/Vector.h"

#include <string>

// The front-end menu on one screen ("main" is the main screen). A menu on "main" runs until
// its holder replaces it; any other ends on the screen's closing action ("SetMenu",
// "QuitGame", "Nothing") or on a "(menu):button a" press.
class TBMenu : public State, public MessageListener {
public:
    explicit TBMenu(const std::string& screen);
    ~TBMenu() override;

    // Shows the screen when its file exists; without one the screen stays empty (logged).
    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;
    void Render() override;
    // The screen's actions; 0 (never stops an action text).
    int OnMessage(int message, intptr_t param) override;

    const std::string& GetScreen() const { return m_screen; }
    bool IsScreenLoaded() const { return m_loaded; }
    bool IsClosing() const { return m_closing; }

    // "<PP>\Menu\Screens\<screen>.xml"; false (logged) when the file is missing or broken.
    bool CreateMenu();

protected:
    // Whether the state ends once closing; a menu on "main" waits to be replaced.
    virtual bool EndsOnClose() const { return m_screen != "main"; }
    void Close();

private:
    void PollInput();

    std::string m_screen;
    bool m_loaded = false;
    bool m_closing = false;
    bool m_owner = false;
    Vector3 m_position;
    Quaternion m_rotation;
};

// The in-match menu: the pause screen "ingame_menu" or the statistics "game_stat".
class TBIngameMenu : public TBMenu {
public:
    TBIngameMenu(const std::string& screen, int flags);

protected:
    bool EndsOnClose() const override { return true; }
};

// A message screen shown for a time in seconds, then finished.
class TBIngameMessageMenu : public TBMenu {
public:
    TBIngameMessageMenu(const std::string& screen, float seconds, bool flag1 = false, bool flag2 = false);
    State* Update(float dt) override;

    float GetRemaining() const { return m_remaining; }

private:
    float m_remaining;
};
