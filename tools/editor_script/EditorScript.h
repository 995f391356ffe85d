#pragma once

// What the editor demos share: checks that print and count, input pushed as SDL events into
// the game's window, places in ImGui's menus, and pictures taken before the frame's swap.

#include "platform/Window.h"
#include "tools/scene_shot/Level.h"

#include <SDL.h>
#include <imgui.h>

#include <functional>
#include <string>
#include <vector>

class CInputDialog;
class GameState;

namespace editor_script {

// Runs the real program windowed from the game folder (argv[1]) on the offscreen driver, with
// makeGame standing in as "GameTB" (in place of any registered before), after
// making the picture folder (argv[2]) and putting its absolute path into pictures. The
// process's exit code: 0 when the program ended as it should and no check failed.
int RunDemo(const char* program, int argc, char** argv, std::string& pictures, GameState* (*makeGame)());

// Prints "ok" or "FAILED" with the text; failures are counted.
void Check(bool ok, const char* what);
int Failures();
void CountFailure();

SDL_Window* GameWindow();
// Stamped with the current time, as SDL would.
void Push(SDL_Event event);
// Moves the pointer there, for SDL and as an event.
void Move(ImVec2 at);
// A button goes down or up at the place, after a move there.
void Button(ImVec2 at, bool down, Uint8 button = SDL_BUTTON_LEFT);
void Type(const char* text);

// The middle of the editor frame's menu bar label with that text; (-1, -1) when none has it.
ImVec2 MenuAt(const std::string& popupText);
// The middle of a row of the menu or popup opened last; a separator takes about a third of a
// row, so rows below one are given as fractions.
ImVec2 PopupRowAt(float row);

// The middle of a rectangle given in a dialog's own coordinates, in the ImGui window of that
// name (its contents scrolled, below its title bar); (-1, -1) when no window has the name.
ImVec2 DialogPointAt(const std::string& window, float left, float top, float right, float bottom);
// The middle of control index of the dialog's widget whose first control reads label, shown
// in the ImGui window of that name; (-1, -1) when the window or the widget is missing.
ImVec2 DialogControlAt(const std::string& window, const CInputDialog& dialog, const std::string& label, size_t index);

// One step of a script: what it does, and how many game ticks the next one waits.
struct Step {
    int wait;
    std::function<void()> act;
};

// A script's steps, run one per game tick.
class Script {
public:
    std::vector<Step> steps;
    // Runs the next step once the ticks the last one asked for have passed.
    void Tick();
    // The button goes down now and up two ticks later, before any later step.
    void Click(ImVec2 at, Uint8 button = SDL_BUTTON_LEFT);
    // The next step is the last one.
    void SkipToLast() { m_next = steps.empty() ? 0 : steps.size() - 1; }

private:
    size_t m_next = 0;
    int m_waiting = 0;
};

// The first stadium under the primary camera, as the stand-in game states show it.
class StadiumView {
public:
    // False (printed and counted) when the stadium cannot be shown.
    bool Open();
    void Close();
    // The sky and the stadium; inWorld draws more while the camera is updating.
    void Render(const std::function<void()>& inWorld = {});

private:
    tools::level::LevelView m_level;
};

// The frame's present, with a picture of the whole window taken before the swap whenever
// a path is pending.
class Capture : public platform::PresentHook {
public:
    explicit Capture(std::string program) : m_program(std::move(program)) {}
    std::string pending;
    platform::Rect GetView(int width, int height) const override;
    void BeforeSwap() override;

private:
    std::string m_program;
};

}  // namespace editor_script
