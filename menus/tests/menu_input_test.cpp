#include "support/MenuTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using menutest::MenuFixture;
using Log = std::vector<std::string>;

namespace {

class MenuInputTest : public ::testing::Test, public MenuFixture {
protected:
    void Send(const char* message, const char* point)
    {
        menu.OnMessage(Id(message), reinterpret_cast<intptr_t>(point));
    }
};

const char* const kOverlapping = "<S OnBack=\"SetMenu main\">"
                                 "<Probe name=a x=0 y=0 w=100 h=100 OnClick=\"First 1\" selectable=true/>"
                                 "<Probe name=b x=50 y=50 w=100 h=100 OnClick=Second/>"
                                 "<Probe name=c x=60 y=60 w=10 h=10 OnClick=Third selectable=true/>"
                                 "</S>";

TEST_F(MenuInputTest, AClickRunsEveryItemHitInScreenOrder)
{
    ASSERT_TRUE(Load(kOverlapping));
    Send("menu click", "60 61");
    EXPECT_EQ(owner.log, (Log{"First:1", "Second:", "Third:"}));
    EXPECT_EQ(owner.sources, (std::vector<MenuItem*>{menu.GetItem(0), menu.GetItem(1), menu.GetItem(2)}));
    owner.log.clear();
    Send("menu click", "10.5 10.5");
    Send("menu click", "not a point");
    menu.OnMessage(Id("menu click"), 0);
    Send("menu back", nullptr);
    EXPECT_EQ(owner.log, (Log{"First:1", "SetMenu:main"}));
}

TEST_F(MenuInputTest, MouseMovementSelectsTheLastSelectableItemHit)
{
    ASSERT_TRUE(Load(kOverlapping));
    Send("menu mouse move", "65 65");
    EXPECT_EQ(menu.GetSelectedItemName(), "c");
    Send("menu mouse move", "75 75");  // a and b: b is not selectable
    EXPECT_EQ(menu.GetSelectedItemName(), "a");
    Send("menu mouse move", "140 140");
    EXPECT_EQ(menu.GetSelectedItem(), nullptr);
}

TEST_F(MenuInputTest, TheItemThePointerLastTookTheSelectionFromComesBackWhileTheScreenStays)
{
    ASSERT_TRUE(Load(kOverlapping));
    EXPECT_EQ(menu.RestoreSelection(), nullptr) << "nothing selected yet, nothing to bring back";
    menu.SelectItem("a");
    Send("menu mouse move", "65 65");
    Send("menu mouse move", "500 500");
    ASSERT_EQ(menu.GetSelectedItem(), nullptr);
    EXPECT_EQ(menu.RestoreSelection(), menu.GetItem("c"));
    EXPECT_EQ(menu.GetSelectedItemName(), "c");
    EXPECT_EQ(menu.RestoreSelection(), menu.GetItem("c")) << "a selection stands as it is";

    const std::function<void()> changes[] = {[&] { menu.GetItem("c")->Disable(); },
                                             [&] { menu.RemoveItem("b"); }};
    for (const auto& change : changes) {
        menu.ClearScreen();
        ASSERT_TRUE(Load(kOverlapping));
        menu.SelectItem("c");
        Send("menu mouse move", "500 500");
        change();
        EXPECT_EQ(menu.RestoreSelection(), nullptr);
    }
}

TEST_F(MenuInputTest, AClickThatReplacesTheScreenEndsThere)
{
    ASSERT_TRUE(Load(kOverlapping));
    owner.react = [&](const std::string& name, const MenuActionParameter&) {
        if (name == "First") {
            menu.ClearScreen();
            Load("<S><Probe name=x w=800 h=600 OnClick=Stale/><Probe name=y w=800 h=600 OnClick=Stale/></S>");
        }
        return 0;
    };
    Send("menu click", "60 60");
    EXPECT_EQ(owner.log, (Log{"First:1"}));
}

TEST_F(MenuInputTest, ACommandAfterTheScreenWentGetsNoSource)
{
    ASSERT_TRUE(Load(kOverlapping));
    owner.react = [&](const std::string& name, const MenuActionParameter&) {
        if (name == "Clear")
            menu.ClearScreen();
        return 0;
    };
    menu.ExecuteActions(menu.GetItem(0), "Clear;After");
    EXPECT_EQ(owner.sources.size(), 2u);
    EXPECT_EQ(owner.sources.back(), nullptr);
}

TEST_F(MenuInputTest, NavigationWrapsAndSkipsWhatCannotBeSelected)
{
    ASSERT_TRUE(Load("<S><Probe name=a selectable=true/><Probe name=b/><Probe name=c selectable=true/>"
                     "<Probe name=d/></S>"));
    Log visited;
    for (int i = 0; i < 3; ++i) {
        menu.SelectNext();
        visited.push_back(menu.GetSelectedItemName());
    }
    for (int i = 0; i < 3; ++i) {
        menu.SelectPrevious();
        visited.push_back(menu.GetSelectedItemName());
    }
    EXPECT_EQ(visited, (Log{"c", "a", "c", "a", "c", "a"}));
    menu.GetItem("a")->Disable();
    menu.SelectNext();
    EXPECT_EQ(menu.GetSelectedItemName(), "c");
    menu.SelectNext();  // nothing else to go to
    EXPECT_EQ(menu.GetSelectedItemName(), "c");
}

TEST_F(MenuInputTest, WithOnlyTheFirstItemSelectableNothingIsSelected)
{
    ASSERT_TRUE(Load("<S><Probe name=a selectable=true/><Probe name=b/><Probe name=c/></S>"));
    menu.SelectNext();
    EXPECT_EQ(menu.GetSelectedItem(), nullptr);
    menu.SelectPrevious();
    EXPECT_EQ(menu.GetSelectedItem(), nullptr);
    menu.SelectItem(menu.GetItem(1));
    menu.SelectNext();
    EXPECT_EQ(menu.GetSelectedItemName(), "a");
    menu.SelectItem(static_cast<const char*>(nullptr));
    EXPECT_EQ(menu.GetSelectedItem(), nullptr);
}

}  // namespace
