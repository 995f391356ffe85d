#pragma once

// The story mode's and cut scenes' states as far as the game state needs them today.

#include "framework/State.h"
#include "frontend/cutscenes/CutScenes.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StoryModeLoading.h"
#include "frontend/story/StorySaveGame.h"
