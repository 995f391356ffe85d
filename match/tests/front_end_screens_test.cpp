#include "match/FrontEndScreens.h"
#include "match/PlayerSelectionResult.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

// The match library alone links no front-end screen: each maker says which one is missing
// and hands back nothing, so that a caller can see it.
TEST(FrontEndScreensTest, MakersTheFrontEndDidNotRegisterLogAndYieldNull)
{
    LogCapture log;
    const PlayerSelectionResult request;
    const State* const made[] = {
        FrontEndScreens::Menu("main"),
        FrontEndScreens::IngameMenu("game_stat", false),
        FrontEndScreens::IngameMessage("message_goal", 2.0f),
        FrontEndScreens::CutScene("<PP>cutScenes\\Outro\\"),
        FrontEndScreens::BareLoading(),
        FrontEndScreens::PlayerSelection(request),
    };
    FrontEndScreens::SetScreenSize(800, 600);

    for (const State* state : made)
        EXPECT_EQ(state, nullptr);
    const char* const missing[] = {"Menu", "IngameMenu", "IngameMessage", "CutScene",
                                   "BareLoading", "PlayerSelection", "SetScreenSize"};
    ASSERT_EQ(log.lines.size(), std::size(missing));
    for (size_t i = 0; i < std::size(missing); ++i)
        EXPECT_EQ(log.lines[i], "***ERROR: FrontEndScreens::" + std::string(missing[i]) +
                                    ": the front end has not registered it\n");
}
