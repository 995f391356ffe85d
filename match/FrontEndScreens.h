#pragma once

#include <string>

class State;
struct PlayerSelectionResult;

// The front end's states and screen settings as the game state and the match reach them: the
// front end lies above both, and each of its files fills in the hooks for what it defines,
// at start-up. The makers hand over a new state that the caller owns; a hook not filled in
// (the front end not linked) logs and yields null or does nothing.
class FrontEndScreens {
public:
    struct Hooks {
        State* (*menu)(const std::string& screen) = nullptr;
        State* (*ingameMenu)(const std::string& screen, bool renderPitch) = nullptr;
        State* (*ingameMessage)(const std::string& screen, float seconds) = nullptr;
        State* (*cutScene)(const std::string& folder) = nullptr;
        // The stadium loaded with no team, bench or referee, for a scene played in it.
        State* (*bareLoading)() = nullptr;
        State* (*playerSelection)(const PlayerSelectionResult& request) = nullptr;
        void (*setScreenSize)(int width, int height) = nullptr;
        void (*applyOptions)(bool allowResolutionChange) = nullptr;
    };

    // The hooks in force, for the front end to fill in.
    static Hooks& Get();

    static State* Menu(const std::string& screen);
    static State* IngameMenu(const std::string& screen, bool renderPitch);
    static State* IngameMessage(const std::string& screen, float seconds);
    static State* CutScene(const std::string& folder);
    static State* BareLoading();
    static State* PlayerSelection(const PlayerSelectionResult& request);
    // The menus' and their text's scale for a screen of that size.
    static void SetScreenSize(int width, int height);
    // The player's options as read put in force, as the options screen does; nothing is written.
    static void ApplyOptions(bool allowResolutionChange);
};
