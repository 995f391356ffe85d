#pragma once

// The story mode's and cut scenes' states as far as the game state needs them today.

#include "framework/State.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StorySaveGame.h"

#include <string>

// Plays the cut scene of a script folder; no cut scene is played yet, so it ends at once.
class CutScenes : public State {
public:
    explicit CutScenes(const std::string& folder) : m_folder(folder) {}
    State* Update(float) override { return nullptr; }
    const std::string& GetFolder() const { return m_folder; }

private:
    std::string m_folder;
};

// The story mode's loading state; the story mode does not load yet, so it ends at once.
class StoryModeLoading : public State {
public:
    StoryModeLoading(int, int, int) {}
    State* Update(float) override { return nullptr; }
};
