#include "match/FrontEndScreens.h"

#include "framework/State.h"
#include "frontend/menu/MenuCommands.h"
#include "frontend/menu/MenuLaunchedCodeFragment.h"
#include "frontend/training/TrainingDrill.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

// These tests link the front-end library and call none of its files by name: what they find
// registered reaches every program that links the library, as the game does.

// Every screen the game state and the match open has its maker.
TEST(FrontEndScreensTest, TheFrontEndFillsInEveryHook)
{
    const FrontEndScreens::Hooks& hooks = FrontEndScreens::Get();
    const std::pair<const char*, bool> filled[] = {
        {"menu", hooks.menu != nullptr},
        {"ingameMenu", hooks.ingameMenu != nullptr},
        {"ingameMessage", hooks.ingameMessage != nullptr},
        {"cutScene", hooks.cutScene != nullptr},
        {"bareLoading", hooks.bareLoading != nullptr},
        {"playerSelection", hooks.playerSelection != nullptr},
        {"setScreenSize", hooks.setScreenSize != nullptr},
        {"applyOptions", hooks.applyOptions != nullptr},
    };
    for (const auto& [name, isFilled] : filled)
        EXPECT_TRUE(isFilled) << name;
}

// The states the screens start by class name, the command words they run and the drills the
// training session makes by mode, each from a file of its own.
TEST(FrontEndScreensTest, EveryStateTheScreensStartByNameIsRegistered)
{
    const MenuLaunchedCodeFragment::Registry& fragments = MenuLaunchedCodeFragment::GetFactory();
    for (const char* name : {"SingleMatchStart", "StoryModeStart", "StoryModeMatch", "StoryModeLeg",
                             "StoryModeContinueYes", "StoryModeContinueNo", "TrainingSession"})
        EXPECT_TRUE(fragments.Contains(name)) << name;

    EXPECT_EQ(menu_commands::WordsWithoutBody(), std::vector<std::string>{});

    for (const int drill : {TrainingDrill::kPassing, TrainingDrill::kDribbling, TrainingDrill::kShooting,
                            TrainingDrill::kKeeping}) {
        const std::unique_ptr<State> made(TrainingDrill::Make(drill));
        EXPECT_NE(made, nullptr) << "drill " << drill;
    }
}
