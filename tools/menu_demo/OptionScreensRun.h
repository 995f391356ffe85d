#pragma once

// The options screen and the story mode's team-name screen run by scripted keys, with an
// owner that publishes the option values the way the front end does.

#include "tools/menu_demo/DemoOwner.h"

#include <functional>
#include <string>

// One frame of the game with the keys, keeping a picture of it when png is given; false once
// the screen has faded out.
using DemoFrame = std::function<bool(DemoOwner& owner, const MenuKeys& keys, const std::string& png)>;

// "options": the effects volume stepped by right presses (menu_options.png before,
// menu_options_fx.png after), a blocked shirt skipped, and "Accept". True when all happened.
bool RunOptionsScreen(const DemoFrame& frame);
// "story_team_select": "Abc" typed with Shift on the first letter (menu_story_team.png),
// then "EnterStoryMode" chosen. True when the owner got the trimmed name.
bool RunStoryTeamScreen(const DemoFrame& frame);
