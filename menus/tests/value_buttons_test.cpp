#include "menus/MenuGridButton.h"
#include "menus/MenuToggleButton.h"
#include "support/MenuTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using menutest::MenuFixture;

namespace {

class ValueButtonTest : public ::testing::Test, public MenuFixture {
protected:
    ValueButtonTest() { menu.SetEditValue("%v%", &value); }

    template <typename Widget>
    Widget& Make(const std::string& element)
    {
        EXPECT_TRUE(Load("<Screen>" + element + "<Probe name=box x=300 y=200 w=100 h=40/></Screen>"));
        auto* widget = dynamic_cast<Widget*>(menu.GetItem("w"));
        EXPECT_NE(widget, nullptr) << element;
        return *widget;
    }
    MenuGridButton& Grid(const std::string& attributes)
    {
        return Make<MenuGridButton>("<GridButton name=w value=%v% target=box " + attributes + "/>");
    }
    MenuToggleButton& Toggle(const std::string& attributes)
    {
        return Make<MenuToggleButton>("<ToggleButton name=w value=%v% " + attributes + "/>");
    }
    void Send(MenuItem& item, const char* message) { item.OnMessage(Id(message), 0); }
    int Count(const std::string& entry) const
    {
        return static_cast<int>(std::count(owner.log.begin(), owner.log.end(), entry));
    }

    int value = 0;
};

TEST_F(ValueButtonTest, GridStepsWithinRowsAndBetweenThem)
{
    const struct {
        int wrap;
        int start;
        const char* message;
        int expected;
        bool changed;  // whether "OnChange" ran
    } cases[] = {
        {0, 3, "menu right", 3, true},  {0, 9, "menu down", 9, false}, {0, 6, "menu down", 9, true},
        {0, 0, "menu left", 0, false},  {0, 2, "menu up", 2, true},    {0, 5, "menu up", 1, true},
        {0, 5, "menu right", 6, true},  {0, 9, "menu right", 9, false}, {1, 3, "menu right", 0, true},
        {1, 1, "menu up", 9, true},     {1, 9, "menu down", 1, true},  {1, 0, "menu left", 3, true},
        {1, 7, "menu down", 1, true},   {1, 8, "menu right", 9, true}, {1, 9, "menu right", 0, true},
    };
    const struct {
        int wrap;
        int start;
        const char* message;
        int expected;
    } shifted[] = {
        {0, 14, "menu up", 10}, {0, 15, "menu right", 16}, {0, 13, "menu right", 13}, {0, 17, "menu down", 19},
        {1, 13, "menu right", 10}, {1, 11, "menu up", 19}, {1, 19, "menu down", 11},
    };
    for (const auto& c : shifted) {
        MenuGridButton& grid = Grid("minValue=10 maxValue=19 gridWidth=4 wrap=" + std::to_string(c.wrap));
        value = c.start;
        Send(grid, c.message);
        EXPECT_EQ(value, c.expected) << "wrap " << c.wrap << " from " << c.start << " " << c.message;
        menu.ClearScreen();
    }
    for (const auto& c : cases) {
        owner.log.clear();
        MenuGridButton& grid =
            Grid("minValue=0 maxValue=9 gridWidth=4 wrap=" + std::to_string(c.wrap) + " OnChange=Changed");
        value = c.start;
        Send(grid, c.message);
        EXPECT_EQ(value, c.expected) << "wrap " << c.wrap << " from " << c.start << " " << c.message;
        EXPECT_EQ(Count("Changed:"), c.changed ? 1 : 0) << "wrap " << c.wrap << " from " << c.start;
        menu.ClearScreen();
    }
}

TEST_F(ValueButtonTest, OwnerSkipsOrRefusesValues)
{
    const struct {
        std::vector<int> answers;  // for each "OnChange" in turn; 0 after the list
        int expected;
        int asked;
    } cases[] = {
        {{}, 3, 1},
        {{-1}, 2, 1},
        {{-2}, 4, 2},
        {{-2, -2, -1}, 2, 3},
        {{-2, -2, 5}, 5, 3},
        {std::vector<int>(20, -2), 23, 21},
        {std::vector<int>(21, -2), 2, 21},
        {std::vector<int>(30, -2), 2, 21},
    };
    for (const auto& c : cases) {
        size_t next = 0;
        owner.log.clear();
        owner.react = [&](const std::string& name, const MenuActionParameter&) {
            return name == "Changed" && next < c.answers.size() ? c.answers[next++] : 0;
        };
        MenuGridButton& grid = Grid("minValue=0 maxValue=99 gridWidth=100 OnChange=Changed");
        value = 2;
        Send(grid, "menu right");
        EXPECT_EQ(value, c.expected) << c.answers.size() << " answers";
        EXPECT_EQ(Count("Changed:"), c.asked) << c.answers.size() << " answers";
        menu.ClearScreen();
    }
}

TEST_F(ValueButtonTest, GridArrowsHideAtTheEndsAndMarkTheStep)
{
    MenuGridButton& grid = Grid("minValue=0 maxValue=9 gridWidth=4");
    value = 0;
    EXPECT_FALSE(grid.GetArrows().shown);
    grid.Select();
    MenuGridButton::Arrows arrows = grid.GetArrows();
    ASSERT_TRUE(arrows.shown);
    EXPECT_EQ(arrows.left, "<color 0 0 0 0>&lt;</color>");
    EXPECT_EQ(arrows.right, "&gt;");
    EXPECT_EQ(arrows.leftArea, (TextRect{270, 200, 25, 40}));
    EXPECT_EQ(arrows.rightArea, (TextRect{405, 200, 25, 40}));

    Send(grid, "menu down");
    arrows = grid.GetArrows();
    EXPECT_EQ(arrows.left, "&lt;");
    EXPECT_EQ(arrows.right, "<font selected>&gt;</font>");
    grid.Update(0.1f);
    Send(grid, "menu left");
    EXPECT_EQ(grid.GetArrows().left, "<font selected>&lt;</font>");
    EXPECT_EQ(value, 4);
    grid.Update(0.25f);
    value = 9;
    EXPECT_EQ(grid.GetArrows().right, "<color 0 0 0 0>&gt;</color>");

    grid.SetFadeState(MenuItem::kDisappearing);
    EXPECT_FALSE(grid.GetArrows().shown);
}

TEST_F(ValueButtonTest, MissingGridTargetDrawsNoArrowsAndWarnsOnce)
{
    LogCapture log;
    EXPECT_TRUE(Load("<Screen><GridButton name=w value=%v% target=gone text=Pick maxValue=3/></Screen>"));
    auto& grid = dynamic_cast<MenuGridButton&>(*menu.GetItem("w"));
    grid.Select();
    for (int frame = 0; frame < 3; ++frame) {
        grid.Update(0.02f);
        grid.Draw(0);
        grid.Draw(1);
        EXPECT_FALSE(grid.GetArrows().shown);
    }
    EXPECT_EQ(log.Count("no item \"gone\""), 1);
    EXPECT_FALSE(log.Contains("not found"));
    EXPECT_EQ(grid.GetText(), "Pick");
}

TEST_F(ValueButtonTest, GridSettingsWithoutAStepAreCorrected)
{
    LogCapture log;
    MenuGridButton& narrow = Grid("minValue=0 maxValue=5 gridWidth=0 wrap=1");
    EXPECT_EQ(narrow.GetGridWidth(), 1);
    value = 5;
    Send(narrow, "menu down");
    EXPECT_EQ(value, 0);
    Send(narrow, "menu right");
    EXPECT_EQ(value, 0);
    menu.ClearScreen();

    MenuGridButton& inverted = Grid("minValue=7 maxValue=2 gridWidth=-3 wrap=1");
    EXPECT_EQ(inverted.GetEditValue().maxValue, 7);
    EXPECT_EQ(value, 7);
    value = -2147483647 - 1;
    inverted.Update(0.02f);
    EXPECT_EQ(value, 7);
    for (const char* key : {"menu up", "menu down", "menu left", "menu right"})
        Send(inverted, key);
    EXPECT_EQ(value, 7);
    menu.ClearScreen();
    Grid("minValue=4 maxValue=4");
    EXPECT_EQ(log.Count("below 1"), 2);
    EXPECT_EQ(log.Count("exceeds maxValue"), 1);
}

TEST_F(ValueButtonTest, ToggleSkipsTheBlockedValue)
{
    const struct {
        const char* attributes;
        int start;
        const char* message;
        int expected;
        int changes;
    } cases[] = {
        {"maxValue=3 wrap=1 blockedValue=2", 1, "menu right", 3, 1},
        {"maxValue=3 wrap=1 blockedValue=2", 3, "menu right", 0, 1},
        {"maxValue=3 wrap=1 blockedValue=2", 3, "menu left", 1, 1},
        {"maxValue=3 wrap=1 blockedValue=0", 3, "menu right", 1, 1},
        {"maxValue=3 blockedValue=3", 2, "menu right", 2, 0},
        {"maxValue=3 blockedValue=0", 1, "menu left", 1, 0},
        {"maxValue=3", 3, "menu right", 3, 0},
        {"maxValue=3", 0, "menu left", 0, 0},
        {"maxValue=8 valueStep=3", 4, "menu right", 7, 1},
        {"maxValue=8 valueStep=3", 7, "menu right", 8, 1},
    };
    for (const auto& c : cases) {
        owner.log.clear();
        MenuToggleButton& toggle = Toggle(std::string(c.attributes) + " OnToggle=Toggled");
        value = c.start;
        Send(toggle, c.message);
        if (c.changes) {
            EXPECT_EQ(toggle.GetEditValue().arrowSide, std::string(c.message) == "menu right" ? 1 : 0);
        }
        EXPECT_EQ(value, c.expected) << c.attributes << " from " << c.start << " " << c.message;
        EXPECT_EQ(Count("PlaySelectSound:"), c.changes) << c.attributes << " from " << c.start;
        EXPECT_EQ(Count("Toggled:"), 1) << c.attributes << " from " << c.start;
        menu.ClearScreen();
    }
}

TEST_F(ValueButtonTest, ToggleReadsItsNumbersFromVariables)
{
    menu.SetVariable("%top%", "6");
    menu.SetVariable("%step%", "2");
    menu.SetVariable("%blocked%", "4");
    value = 9;
    MenuToggleButton& toggle = Toggle("maxValue=%top% valueStep=%step% blockedValue=%blocked% minValue=[bad]");
    EXPECT_EQ(toggle.GetEditValue().maxValue, 6);
    EXPECT_EQ(toggle.GetEditValue().minValue, 0);
    EXPECT_EQ(toggle.GetValueStep(), 2);
    EXPECT_EQ(value, 6);
    Send(toggle, "menu left");
    EXPECT_EQ(value, 2);
    // The blocked value is read again for every step.
    menu.SetVariable("%blocked%", "2");
    value = 6;
    Send(toggle, "menu left");
    EXPECT_EQ(value, 4);
    Send(toggle, "menu left");
    EXPECT_EQ(value, 0);
    EXPECT_EQ(toggle.GetBlockedValue(), 2);
}

TEST_F(ValueButtonTest, ToggleOnChangeEndsWithTheSelectSound)
{
    const struct {
        const char* attribute;
        const char* rewritten;
    } cases[] = {
        {"", "PlaySelectSound"},
        {"OnChange=\"\"", "PlaySelectSound"},
        {"OnChange=ToggleFXVolume", "ToggleFXVolume;PlaySelectSound"},
        {"OnChange=\"PlaySelectSound;Check\"", "PlaySelectSound;Check"},
    };
    for (const auto& c : cases) {
        MenuToggleButton& toggle = Toggle(std::string("maxValue=3 ") + c.attribute);
        EXPECT_EQ(toggle.GetXmlNode()->GetAttribute("OnChange"), c.rewritten) << c.attribute;
        menu.ClearScreen();
    }
}

TEST_F(ValueButtonTest, ToggleWithoutItsValueWarnsAndKeysDoNothing)
{
    LogCapture log;
    MenuToggleButton& toggle = Toggle("maxValue=3 OnChange=Changed OnToggle=Toggled");
    menu.SetEditValue("%v%", nullptr);
    value = 1;
    toggle.Update(0.02f);
    Send(toggle, "menu right");
    Send(toggle, "menu left");
    EXPECT_EQ(value, 1);
    EXPECT_EQ(Count("Changed:"), 0);
    EXPECT_EQ(Count("Toggled:"), 2);
    EXPECT_TRUE(log.Contains("Edit Value %v% does not exist!"));
}

TEST_F(ValueButtonTest, ToggleUpAndDownMoveTheSelection)
{
    EXPECT_TRUE(Load("<Screen><ToggleButton name=a value=%v% maxValue=3/>"
                     "<ToggleButton name=b value=%v% maxValue=3/></Screen>"));
    MenuItem* a = menu.GetItem("a");
    menu.SelectItem(a);
    Send(*a, "menu down");
    EXPECT_EQ(menu.GetSelectedItemName(), "b");
    Send(*menu.GetItem("b"), "menu up");
    EXPECT_EQ(menu.GetSelectedItemName(), "a");
}

TEST_F(ValueButtonTest, ToggleSpringKeepsNinetySevenPercent)
{
    MenuToggleButton& toggle = Toggle("maxValue=3");
    toggle.Select();
    for (int frame = 0; frame < 12; ++frame)
        toggle.Update(0.01f);
    ASSERT_EQ(toggle.GetPopOut(), 1.0f);
    toggle.Deselect();
    toggle.Update(0.01f);
    EXPECT_FLOAT_EQ(toggle.GetPopOut(), 0.99f);
    EXPECT_FLOAT_EQ(toggle.GetPopOutVelocity(), (-1.0f - 0.99f * 0.01f * 50.0f) * 0.97f);
}

TEST_F(ValueButtonTest, UpdateRunsOnUpdateAndKeepsTheValueInRange)
{
    MenuToggleButton& toggle = Toggle("maxValue=3 OnUpdate=Tick");
    value = 8;
    toggle.Update(0.02f);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(Count("Tick:"), 1);
}

TEST_F(ValueButtonTest, AValueWithdrawnWhileTheOwnerAnswersEndsTheKey)
{
    owner.react = [&](const std::string& name, const MenuActionParameter&) {
        if (name == "Withdraw")
            menu.SetEditValue("%v%", nullptr);
        return -2;
    };
    MenuToggleButton& toggle = Toggle("maxValue=9 OnChange=Withdraw OnToggle=Toggled");
    value = 1;
    Send(toggle, "menu right");
    EXPECT_EQ(value, 2);
    EXPECT_EQ(Count("Withdraw:"), 1);
    EXPECT_EQ(Count("Toggled:"), 1);
}

TEST_F(ValueButtonTest, AnActionThatReplacesTheScreenEndsTheKey)
{
    owner.react = [&](const std::string& name, const MenuActionParameter&) {
        if (name == "Leave")
            menu.ClearScreen();
        return -2;
    };
    MenuToggleButton& toggle = Toggle("maxValue=9 OnChange=Leave OnToggle=Toggled");
    value = 1;
    Send(toggle, "menu right");
    EXPECT_EQ(value, 2);
    EXPECT_EQ(Count("Leave:"), 1);
    EXPECT_EQ(Count("Toggled:"), 0);
}

}  // namespace
