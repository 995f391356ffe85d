#pragma once

// Drives the real program's front end with pushed key events, one scripted step per game
// update, for the demos that play it headless:
//
//     void FirstRun()
//     {
//         menu_script::Steps().push_back(menu_script::WaitFor("main"));
//         menu_script::Steps().push_back(menu_script::Choose("storymode"));
//     }
//     return menu_script::RunFromCommandLine("story_run", argc, argv, {{"first", FirstRun, true}});

#include "framework/Vector.h"

#include <SDL.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class TBMenu;

namespace menu_script {

// Runs every update until it answers true.
using Step = std::function<bool()>;

// The script's steps, in order; filled before Run.
std::vector<Step>& Steps();

// The menu that owns the screen (inside a game mode too), or null.
TBMenu* ScreenMenu();
// The screen is shown by its menu (not a message the menu shows in its place).
bool OnScreen(const char* screen);
// The options' effects volume as the screen shows it, or as applied to the game.
int EffectsVolume(bool applied = false);

// The area, in pixels, of the first item of the name once it is shown and has been drawn;
// false before.
bool ShownItemArea(const std::string& name, Vector4& area);
// The areas, in pixels, of the shown and drawn items whose text holds the part.
std::vector<Vector4> ShownTextAreas(const std::string& part);
// How many shown and drawn items say the text, their variables expanded.
int ShownTextCount(const std::string& said);

// The keys go down together on this update and come up on the next.
void Press(std::vector<SDL_Scancode> codes);

Step WaitFor(const char* screen);
// The step given, with a tap of a key that nothing binds every few updates while no menu owns
// the screen: a player's way past the intro and the match's opening shows, which any key
// skips. The select key also answers the newspaper's prompt.
Step SkippingShows(Step until, SDL_Scancode key = SDL_SCANCODE_LCTRL);
// The message a menu shows in place of its screen, expanded; empty while none is shown.
std::string ShownNotice();
// Waits until a menu shows a message in place of its screen, and takes its picture.
Step WaitForNotice(std::string picture);
// Waits until the screen's menu has it fading in, then the keys go down: a player's keys on a
// screen that is still appearing.
Step PressWhileFadingIn(const char* screen, std::vector<SDL_Scancode> codes);
// Down (or the key given) until the item is selected, then the select key.
Step Choose(const char* item, SDL_Scancode move = SDL_SCANCODE_DOWN);
Step PressKeys(std::vector<SDL_Scancode> codes);
// The keys go down and up again before the next frame, as a quick tap does.
Step TapKeys(std::vector<SDL_Scancode> codes);
Step Do(std::function<void()> act);
// Waits up to a second for the condition, then checks it.
Step Within(std::string what, std::function<bool()> holds);
// A picture of the next frame, "<name>.png" in the pictures folder.
Step Picture(const char* name);

// A folder stands where the file goes (relative to the program's folder), so that nothing
// can be written there; or, unblocked, it goes.
void BlockFile(const std::string& file, bool blocked);

// The program on the work folder under the offscreen driver, the script run before each game
// update and pictures taken into the pictures folder; a script that has not ended within its
// updates quits with 1. Each update is a twentieth of a second of game time whatever the
// machine's speed, and every eighth one is drawn (and each one a picture waits for). The
// program's exit code, or 1 when a check failed.
int Run(const char* program, char* argv0, const std::filesystem::path& work, const std::filesystem::path& pictures);

// One way a demo runs: its word on the command line, what fills the steps, and whether the
// work folder starts empty (a run that is not fresh continues what an earlier one stored).
struct RunKind {
    const char* name;
    void (*fill)();
    bool fresh;
};

// "<program> <game folder> <work folder> <run>": the program on "<work folder>/game" with the
// run's steps, its pictures in "<work folder>/pictures". 2 (with the usage) for an unknown
// run, 1 when the game folder has no data, else what Run returns.
int RunFromCommandLine(const char* program, int argc, char** argv, const std::vector<RunKind>& runs);

}  // namespace menu_script
