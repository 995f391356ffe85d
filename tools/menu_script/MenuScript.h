#pragma once

// Drives the real program's front end with pushed key events, one scripted step per game
// update, for the demos that play it headless:
//
//     menu_script::Steps().push_back(menu_script::WaitFor("main"));
//     menu_script::Steps().push_back(menu_script::Choose("storymode"));
//     return menu_script::Run("story_run", argv[0], work, pictures);

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
// The screen is shown by its menu.
bool OnScreen(const char* screen);

// The keys go down together on this update and come up on the next.
void Press(std::vector<SDL_Scancode> codes);

Step WaitFor(const char* screen);
// Down until the item is selected, then the select key.
Step Choose(const char* item);
Step PressKeys(std::vector<SDL_Scancode> codes);
Step Do(std::function<void()> act);
// A picture of the next frame, "<name>.png" in the pictures folder.
Step Picture(const char* name);

// The game folder's archive and icons linked into the work folder, with save files of the
// run's own (emptied when fresh). False when the game folder has no archive.
bool PrepareWorkFolder(const std::filesystem::path& game, const std::filesystem::path& work, bool fresh);

// The program on the work folder under the offscreen driver, the script run before each game
// update and pictures taken into the pictures folder; a script that has not ended within its
// updates quits with 1. The program's exit code, or 1 when a check failed.
int Run(const char* program, char* argv0, const std::filesystem::path& work, const std::filesystem::path& pictures);

}  // namespace menu_script
