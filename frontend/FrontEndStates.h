#pragma once

// The story mode's and cut scenes' states as far as the game state needs them today.

#include "framework/State.h"
#include "frontend/cutscenes/CutScenes.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StorySaveGame.h"

// The story mode's loading state; the story mode does not load yet, so it ends at once.
class StoryModeLoading : public State {
public:
    StoryModeLoading(int, int, int) {}
    State* Update(float) override { return nullptr; }
};
