#include "support/MenuTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using menutest::MenuFixture;
using menutest::WriteFile;
using Log = std::vector<std::string>;

namespace {

class MenuLoadingTest : public ::testing::Test, public MenuFixture {
protected:
    void SetUp() override { menutest::UseTestProjectFolder(); }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < menu.GetItemCount(); ++i)
            names.push_back(menu.GetItem(i)->GetName());
        return names;
    }
};

TEST_F(MenuLoadingTest, GroupsAndMacrosLoadInPlaceAndOnLoadRunsAfterEach)
{
    WriteFile("data/pc/Menu/Screens/macro_pair.xml",
              "<M><Probe name=label x=x/><Probe name=\"label-2\" x=\"a label\"/></M>");
    owner.answers = {{"Skip", -1}};
    ASSERT_TRUE(Load("<Screen OnLoad=Loaded>"
                     "<Probe name=a/>"
                     "<Group OnCreate=Keep><Probe name=b/></Group>"
                     "<Macro name=pair label=Start x=12/>"
                     "<Group OnCreate=Skip><Probe name=never/></Group>"
                     "<Group><Probe name=c/></Group>"
                     "<Unknown name=u/><Macro name=missing/>"
                     "</Screen>"));
    EXPECT_EQ(Names(), (Log{"a", "b", "Start", "label-2", "c"}));
    EXPECT_EQ(owner.log, (Log{"Keep:", "Loaded:", "Loaded:", "Skip:", "Loaded:", "Loaded:"}));
    // Whole values only: "label" as part of a value stays.
    EXPECT_EQ(menu.GetItem(2)->GetArea().x, 12.0f);
    EXPECT_EQ(menu.GetItem(3)->GetXmlNode()->GetAttribute("x"), "a label");
}

TEST_F(MenuLoadingTest, TwoGroupsAndOnLoadRunItThreeTimes)
{
    ASSERT_TRUE(Load("<S OnLoad=L><Group/><Group/></S>"));
    EXPECT_EQ(owner.log, (Log{"L:", "L:", "L:"}));
}

TEST_F(MenuLoadingTest, SelectedAndNoShadowAreRead)
{
    ASSERT_TRUE(Load("<S selected=b noShadow=true><Probe name=a/><Probe name=b/></S>"));
    EXPECT_EQ(menu.GetSelectedItemName(), "b");
    EXPECT_TRUE(menu.IsNoShadow());
    for (const char* value : {"True", "1", ""}) {
        menu.ClearScreen();
        ASSERT_TRUE(Load(std::string("<S noShadow=\"") + value + "\"/>"));
        EXPECT_FALSE(menu.IsNoShadow()) << value;
    }
}

TEST_F(MenuLoadingTest, AMacroIncludingItselfStopsWithAWarning)
{
    WriteFile("data/pc/Menu/Screens/macro_loop.xml", "<M><Probe name=level/><Macro name=loop/></M>");
    LogCapture log;
    ASSERT_TRUE(Load("<S><Macro name=loop/></S>"));
    EXPECT_EQ(menu.GetItemCount(), Menu::kMaxMacroDepth);
    EXPECT_EQ(log.Count("Menu::LoadScreen: macro \"loop\" nested deeper than 8 levels; not loaded"), 1);
}

TEST_F(MenuLoadingTest, AScreenWithoutAnElementLoadsNothing)
{
    EXPECT_FALSE(menu.LoadScreen(nullptr));
    EXPECT_EQ(menu.GetItemCount(), 0);
    // Back with no screen runs nothing and reads nothing.
    menu.OnMessage(Id("menu back"), 0);
    EXPECT_TRUE(owner.log.empty());
}

TEST_F(MenuLoadingTest, ATruncatedOrCorruptMacroLoadsWhatItHolds)
{
    WriteFile("data/pc/Menu/Screens/macro_cut.xml", "<M><Probe name=one/><Probe name=tw");
    WriteFile("data/pc/Menu/Screens/macro_junk.xml", std::string("\x01\xff<<>>=/>\"", 10));
    ASSERT_TRUE(Load("<S><Macro name=cut/><Macro name=junk/><Probe name=end/></S>"));
    EXPECT_EQ(Names(), (Log{"one", "tw", "end"}));
}

TEST_F(MenuLoadingTest, ItemsAreFoundByNameAndIndex)
{
    ASSERT_TRUE(Load("<S><Probe name=a/><Probe name=b/><Probe name=a x=5/></S>"));
    EXPECT_TRUE(menu.HasItem("b"));
    EXPECT_TRUE(menu.HasItem("a", 1));
    EXPECT_FALSE(menu.HasItem("a", -1));
    EXPECT_FALSE(menu.HasItem("a", 2));
    EXPECT_EQ(menu.GetItem("a", 1)->GetArea().x, 5.0f);
    LogCapture log;
    EXPECT_EQ(menu.GetItem("zz"), nullptr);
    EXPECT_EQ(menu.GetItem(3), nullptr);
    EXPECT_EQ(menu.SendToItem("zz", 1, 0), 0);
    EXPECT_EQ(log.Count("Menu::GetItem not found (zz)"), 2);
    EXPECT_TRUE(log.Contains("Menu::GetItem not found item nr(3)"));
    menu.RemoveItem("a");
    EXPECT_EQ(Names(), (Log{"b", "a"}));
}

}  // namespace
