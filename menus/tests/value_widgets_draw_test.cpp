#include "menus/MenuToggleButton.h"
#include "menus/MenuVirtualKeyboard.h"
#include "support/MenuDrawTest.h"
#include "text/TextDisplay.h"

#include <gtest/gtest.h>

#include <vector>

using namespace menutest;

namespace {

class ValueWidgetsDrawTest : public MenuDrawTest {
protected:
    void SetUp() override
    {
        MenuDrawTest::SetUp();
        menu->SetEditValue("%v%", &value);
    }
    std::vector<Rgba> Colors(int pass, int index = 0)
    {
        std::vector<Rgba> colors;
        for (const auto& draw : Pass(pass, index))
            colors.push_back(ColorOf(draw));
        return colors;
    }

    int value = 1;
};

TEST_F(ValueWidgetsDrawTest, GridDrawsFlatTextOnlyInTheNormalPass)
{
    Load("<Screen><GridButton name=w value=%v% target=box text=Pick position=100,50 maxValue=3/>"
         "<StaticText name=box position=300,200 text=Box/></Screen>");
    Item(0)->Select();
    const TextRect area = TextDisplay::Instance()->GetArea();
    EXPECT_TRUE(Pass(0).empty());
    const auto drawn = Pass(1);
    ASSERT_EQ(drawn.size(), 4u);  // the arrows' angle brackets are not in the test font
    EXPECT_TRUE(drawn[0].is2D);
    EXPECT_EQ(TextDisplay::Instance()->GetArea(), area);
    EXPECT_EQ(Item(0)->GetArea(), Vector4(100, 50, 24, 11));  // in the selected font
}

TEST_F(ValueWidgetsDrawTest, ToggleShadowFollowsThePopOutHalfWay)
{
    Load("<Screen><ToggleButton name=w value=%v% text=a maxValue=3/></Screen>");
    const Vector3 flat = Corner(Pass(1)[0], 0);
    const Vector3 flatShadow = Corner(Pass(0)[0], 0);
    EXPECT_LT((flatShadow - flat - Vector3(0.02f, -0.02f, 0)).Length(), 1e-4f);
    Item(0)->Select();
    for (int frame = 0; frame < 10; ++frame)
        Item(0)->Update(1.0f / 60);
    Item(0)->Deselect();
    const Vector3 raised = Corner(Pass(1)[0], 0) - flat;
    EXPECT_LT((raised - Vector3(0, 0, -0.05f)).Length(), 1e-4f);
    EXPECT_LT((Corner(Pass(0)[0], 0) - flat - Vector3(0.02f, -0.02f, -0.025f)).Length(), 1e-4f);
    EXPECT_EQ(Colors(0), std::vector<Rgba>({{0, 0, 0, 96}}));
    Item(0)->Hide();
    EXPECT_TRUE(Pass(1).empty());
}

TEST_F(ValueWidgetsDrawTest, KeyboardDrawsEveryLabelWithTheCursorKeyLighter)
{
    Load("<Screen><VirtualKeyboard name=keys position=400,300/></Screen>");
    Item(0)->Hide();
    EXPECT_TRUE(Pass(0).empty());
    // A to Z, 0 to 9, SPACE, DEL and OK: "!" and "." are not in the test font.
    const std::vector<Rgba> colors = Colors(1);
    ASSERT_EQ(colors.size(), 26u + 10u + 5u + 3u + 2u);
    EXPECT_EQ(colors[0], (Rgba{170, 230, 255, 255}));
    EXPECT_EQ(std::count(colors.begin(), colors.end(), Rgba{40, 130, 230, 255}), 45);
    Item(0)->Select();
    Item(0)->OnMessage(MenuFixture::Id("menu left"), 0);
    EXPECT_EQ(Colors(1).back(), (Rgba{40, 130, 230, 255}));
    Item(0)->OnMessage(MenuFixture::Id("menu up"), 0);
    const std::vector<Rgba> onOk = Colors(1);
    EXPECT_EQ(std::vector<Rgba>(onOk.end() - 2, onOk.end()), std::vector<Rgba>(2, Rgba{170, 230, 255, 255}));
}

}  // namespace
