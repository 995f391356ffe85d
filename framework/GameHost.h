#pragma once

#include "framework/CurrentInstance.h"

#include <functional>
#include <memory>

class ObjectsBrowser;

// What the program around the game asks of it and lends it: the shell lends the editor
// frame's objects browser, the front end's screens ask for the main menu. The game implements
// it and is the current host (Current) from its construction until it goes.
class GameHost : public CurrentInstance<GameHost> {
public:
    // Makes the browser that the editor frame shows; the frame shows it until the last holder
    // lets go.
    using BrowserMaker = std::function<std::shared_ptr<ObjectsBrowser>()>;

    // The next Update replaces the current state by the menu "main".
    virtual void RequestMainMenu() = 0;
    // A browser of the caller's, told of what the game frees and refilled by it; null for
    // none. Borrowed: it must be replaced (null) before it goes.
    virtual void SetObjectsBrowser(ObjectsBrowser* browser) = 0;
    virtual ObjectsBrowser* GetObjectsBrowser() const = 0;

    // The shell's while its editor frame exists; entering, a game without a browser asks it
    // for one. Empty for none.
    static void SetBrowserMaker(BrowserMaker maker);
    static const BrowserMaker& GetBrowserMaker();

    // The program-wide flag SingleMatch keeps set while a match runs: screenshots only then.
    static bool s_inMatch;

protected:
    GameHost() { SetCurrent(this); }
    virtual ~GameHost() = default;

    GameHost(const GameHost&) = delete;
    GameHost& operator=(const GameHost&) = delete;
};
