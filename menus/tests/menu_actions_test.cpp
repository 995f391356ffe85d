#include "support/MenuTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using menutest::MenuFixture;
using Log = std::vector<std::string>;

namespace {

class MenuActionsTest : public ::testing::Test, public MenuFixture {};

TEST_F(MenuActionsTest, ActionTextsSplitIntoCommandsAndArguments)
{
    const struct {
        const char* text;
        Log commands;
    } cases[] = {
        {"SetMenu options;PlaySelectSound", {"SetMenu:options", "PlaySelectSound:"}},
        {"A;;B ", {"A:", "B:"}},
        {"A; B x", {"A:", ":B x"}},
        {";;;", {}},
        {"", {}},
        {"Say two  blanks;", {"Say:two  blanks"}},
    };
    for (const auto& c : cases) {
        owner.log.clear();
        menu.ExecuteActions(nullptr, c.text);
        EXPECT_EQ(owner.log, c.commands) << c.text;
    }
}

TEST_F(MenuActionsTest, ANegativeAnswerStopsTheTextAndResultsChain)
{
    owner.answers = {{"A", -1}};
    EXPECT_EQ(menu.ExecuteActions(nullptr, "A;;B "), -1);
    EXPECT_EQ(owner.log, (Log{"A:"}));

    owner.log.clear();
    owner.answers = {{"A", 5}, {"B", 7}, {"C", -2}, {"D", 1}};
    MenuActionParameter last;
    EXPECT_EQ(menu.ExecuteActions(nullptr, "A;B;C;D", &last), -2);
    EXPECT_EQ(owner.log, (Log{"A:", "B:", "C:"}));
    EXPECT_EQ(owner.results, (std::vector<int>{0, 0, 5, 7}));
    EXPECT_EQ(last.result, -2);
    EXPECT_EQ(menu.ExecuteActions(nullptr, ""), 0);
}

TEST_F(MenuActionsTest, WithoutAnOwnerNothingRunsAndOneWarningIsLogged)
{
    menu.SetOwner(nullptr);
    LogCapture log;
    EXPECT_EQ(menu.ExecuteActions(nullptr, "A;B"), 0);
    EXPECT_EQ(menu.ExecuteActions(nullptr, "C"), 0);
    EXPECT_EQ(log.Text(), "***WARNING: Menu::ExecuteActions: no owner; \"A;B\" is not run\n");
    EXPECT_TRUE(owner.log.empty());
}

TEST_F(MenuActionsTest, UpdateActionsRunEveryFrameWithTheirItem)
{
    ASSERT_TRUE(Load("<S><Probe/><Probe name=clock OnUpdate=\"Tick 1;Tock\"/><CustomElement OnUpdate=Area/></S>"));
    menu.Update(0.1f);
    menu.Update(0.1f);
    EXPECT_EQ(owner.log, (Log{"Tick:1", "Tock:", "Area:", "Tick:1", "Tock:", "Area:"}));
    EXPECT_EQ(owner.sources[0], menu.GetItem("clock"));
}

TEST_F(MenuActionsTest, EditValuesAreFoundByNameAndOutliveScreens)
{
    int value = 3;
    EXPECT_EQ(menu.GetEditValue("volume"), nullptr);
    menu.SetEditValue("volume", &value);
    ASSERT_TRUE(Load("<Screen/>"));
    menu.ClearScreen();
    ASSERT_EQ(menu.GetEditValue("volume"), &value);
    menu.SetEditValue("volume", nullptr);
    EXPECT_EQ(menu.GetEditValue("volume"), nullptr);
}

}  // namespace
