#include "menus/MenuVirtualKeyboard.h"
#include "support/MenuTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using menutest::MenuFixture;

namespace {

class VirtualKeyboardTest : public ::testing::Test, public MenuFixture {
protected:
    MenuVirtualKeyboard& Keyboard()
    {
        EXPECT_TRUE(Load(R"(<Screen><VirtualKeyboard name=keys position="400,300" OnSelect="TypeKey"/></Screen>)"));
        menu.SetScale(1.0f, 1.0f);
        auto* keyboard = dynamic_cast<MenuVirtualKeyboard*>(menu.GetItem("keys"));
        EXPECT_NE(keyboard, nullptr);
        keyboard->Select();
        return *keyboard;
    }
};

int Index(const std::string& label)
{
    for (int i = 0; i < MenuVirtualKeyboard::kKeyCount; ++i)
        if (MenuVirtualKeyboard::GetLabel(i) == label)
            return i;
    return -1;
}

TEST(VirtualKeyboardCursorTest, MovesFollowTheKeyTable)
{
    using K = MenuVirtualKeyboard;
    const struct {
        const char* from;
        K::Move move;
        const char* to;
    } cases[] = {
        {"A", K::kUp, "7"},       {"K", K::kUp, "OK"},     {"OK", K::kUp, "6"},     {"SPACE", K::kUp, "1"},
        {"DEL", K::kUp, "4"},     {"9", K::kUp, "Y"},      {"OK", K::kRight, "7"},  {"7", K::kLeft, "OK"},
        {"A", K::kLeft, "K"},     {"K", K::kRight, "A"},   {"DEL", K::kDown, "I"},  {"OK", K::kDown, "K"},
        {"SPACE", K::kDown, "F"}, {"7", K::kDown, "A"},    {"F", K::kUp, "SPACE"},  {"H", K::kUp, "SPACE"},
        {"I", K::kUp, "DEL"},     {"J", K::kUp, "DEL"},    {"4", K::kDown, "DEL"},  {"6", K::kDown, "OK"},
        {"2", K::kDown, "SPACE"}, {"L", K::kDown, "W"},    {"W", K::kUp, "L"},      {"DEL", K::kLeft, "SPACE"},
    };
    for (const auto& c : cases) {
        const int from = Index(c.from);
        ASSERT_GE(from, 0) << c.from;
        EXPECT_EQ(K::GetLabel(K::MoveCursor(from, c.move)), c.to) << c.from << " move " << c.move;
    }
    EXPECT_EQ(K::GetLabel(-1), "");
    EXPECT_EQ(K::GetLabel(K::kKeyCount), "");
}

TEST_F(VirtualKeyboardTest, NavigatesOnlyWhenSelectedAndIdle)
{
    MenuVirtualKeyboard& keyboard = Keyboard();
    EXPECT_EQ(keyboard.OnMessage(Id("menu right"), 0), 0);
    keyboard.OnMessage(Id("menu down"), 0);
    EXPECT_EQ(keyboard.GetCursorLabel(), "M");
    keyboard.OnMessage(Id("menu select"), 0);
    ASSERT_EQ(owner.log, std::vector<std::string>({"TypeKey:"}));
    EXPECT_EQ(owner.sources.back(), &keyboard);

    keyboard.Deselect();
    keyboard.OnMessage(Id("menu left"), 0);
    keyboard.OnMessage(Id("menu select"), 0);
    keyboard.Select();
    keyboard.SetFadeState(MenuItem::kAppearing);
    keyboard.OnMessage(Id("menu up"), 0);
    keyboard.OnMessage(Id("menu select"), 0);
    EXPECT_EQ(keyboard.GetCursorLabel(), "M");
    EXPECT_EQ(owner.log.size(), 1u);
    // Up and down stay in the keyboard.
    keyboard.SetFadeState(MenuItem::kIdle);
    keyboard.OnMessage(Id("menu up"), 0);
    EXPECT_EQ(keyboard.GetCursorLabel(), "B");
    EXPECT_TRUE(keyboard.IsSelected());
}

TEST_F(VirtualKeyboardTest, TheOwnerReadsTheChosenKeyFromTheSource)
{
    std::vector<std::string> typed;
    owner.react = [&](const std::string&, const MenuActionParameter& record) {
        if (const auto* keys = dynamic_cast<const MenuVirtualKeyboard*>(record.source))
            typed.push_back(keys->GetCursorLabel());
        return 0;
    };
    MenuVirtualKeyboard& keyboard = Keyboard();
    keyboard.OnMessage(Id("menu select"), 0);
    keyboard.OnMessage(Id("menu up"), 0);
    keyboard.OnMessage(Id("menu right"), 0);
    keyboard.OnMessage(Id("menu right"), 0);
    keyboard.OnMessage(Id("menu right"), 0);
    keyboard.OnMessage(Id("menu right"), 0);
    keyboard.OnMessage(Id("menu right"), 0);
    keyboard.OnMessage(Id("menu select"), 0);
    EXPECT_EQ(typed, std::vector<std::string>({"A", "SPACE"}));
}

TEST_F(VirtualKeyboardTest, DrawsFortyOneKeysWithTheCursorInLightBlue)
{
    MenuVirtualKeyboard& keyboard = Keyboard();
    keyboard.OnMessage(Id("menu left"), 0);
    std::vector<MenuVirtualKeyboard::Key> keys;
    keyboard.GetKeys(keys);
    ASSERT_EQ(keys.size(), 41u);
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string colour = i == 10 ? "<color 170 230 255>" : "<color 40 130 230>";
        EXPECT_EQ(keys[i].text, colour + MenuVirtualKeyboard::GetLabel(static_cast<int>(i)) + "</color>");
    }
    const auto at = [&](size_t i) { return std::pair(keys[i].x, keys[i].y); };
    EXPECT_EQ(at(0), std::pair(150.0f, 300.0f));
    EXPECT_EQ(at(10), std::pair(650.0f, 300.0f));
    EXPECT_EQ(at(37), std::pair(350.0f, 450.0f));
    EXPECT_EQ(at(38), std::pair(450.0f, 450.0f));
    EXPECT_EQ(at(39), std::pair(575.0f, 450.0f));
    EXPECT_EQ(at(40), std::pair(650.0f, 450.0f));
    EXPECT_EQ(keyboard.GetArea().z, 0.0f);
    EXPECT_FALSE(keyboard.HitTest(150.0f, 300.0f));
}

}  // namespace
