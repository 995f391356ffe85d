#include "match/FrontEndScreens.h"

#include <gtest/gtest.h>

#include <utility>

// Linked as the match periods are, with the front end below them: every screen the game
// state and the match open has its maker.
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
