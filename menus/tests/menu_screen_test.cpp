#include "framework/Random.h"
#include "support/MenuTestSupport.h"
#include "tests/support/LogCapture.h"
#include "text/TextManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using menutest::MenuFixture;
using menutest::MenuProbe;
using Log = std::vector<std::string>;

namespace {

class MenuScreenTest : public ::testing::Test, public MenuFixture {
protected:
    void TearDown() override { TextManager::DestroyInstance(); }
};

TEST_F(MenuScreenTest, VariablesAndTextNumbersExpand)
{
    const std::string table = "12;twelve\n100;see %100%\n7;[%name%]\n";
    TextManager::Instance()->LoadText(table.data(), table.size(), "test");
    menu.SetVariable("%name%", "Ann %12%");
    const struct {
        const char* text;
        const char* expanded;
    } cases[] = {
        {"%12%x", "twelvex"},
        {"100%", "100%"},
        {"%unknown% stays", "%unknown% stays"},
        {"a %7% b", "a [Ann twelve] b"},
        {"%NAME%", "%NAME%"},
        {"%name%%12%", "Ann twelvetwelve"},
        {"50% of %12", "50% of %12"},
        {"%%12%", "%twelve"},
        {"%99999999999%x", "%99999999999%x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(menu.ExpandVariables(c.text), c.expanded) << c.text;

    LogCapture log;
    const std::string looped = menu.ExpandVariables("%100%");
    std::string expected;
    for (int i = 0; i < Menu::kMaxSubstitutions; ++i)
        expected += "see ";
    EXPECT_EQ(looped, expected + "%100%");
    EXPECT_EQ(log.Count("Menu::ExpandVariables: more than 256 substitutions"), 1);
}

TEST_F(MenuScreenTest, FadeDelaysFollowThePlaceOnScreen)
{
    ASSERT_TRUE(Load("<S><Probe x=400 y=300/><Probe x=0 y=600/><Probe x=800 y=0/></S>"));
    menu.SetFadeState(Menu::kFadingIn);
    EXPECT_FLOAT_EQ(menu.GetItem(0)->GetFadeDelay(), 0.25f);
    EXPECT_FLOAT_EQ(menu.GetItem(1)->GetFadeDelay(), 0.3f);
    EXPECT_FLOAT_EQ(menu.GetItem(2)->GetFadeDelay(), 0.0f);
    EXPECT_EQ(menu.GetItem(0)->GetFadeState(), MenuItem::kWaitingToAppear);
    menu.SetFadeState(Menu::kFadingOut);
    EXPECT_FLOAT_EQ(menu.GetItem(0)->GetFadeDelay(), 0.25f);
    EXPECT_FLOAT_EQ(menu.GetItem(1)->GetFadeDelay(), 0.3f);
    EXPECT_FLOAT_EQ(menu.GetItem(2)->GetFadeDelay(), 0.2f);
    EXPECT_EQ(menu.GetItem(0)->GetFadeState(), MenuItem::kWaitingToDisappear);
    EXPECT_EQ(menu.GetItem(0)->GetFadeProgress(), 1.0f);
}

TEST_F(MenuScreenTest, AScreenIsShownOnceEveryItemHasArrived)
{
    EXPECT_EQ(menu.GetFadeState(), -1);
    ASSERT_TRUE(Load("<S><Probe x=400 y=300/></S>"));
    menu.SetFadeState(Menu::kFadingIn);
    int frame = 0;
    while (menu.GetFadeState() == Menu::kFadingIn && frame < 100) {
        menu.Update(0.125f);
        ++frame;
    }
    // 0.25 s of delay (two frames), then a third of a second to arrive (three more).
    EXPECT_EQ(frame, 5);
    EXPECT_EQ(menu.GetFadeState(), Menu::kShown);
    EXPECT_EQ(menu.GetItem(0)->GetFadeState(), MenuItem::kIdle);
    menu.SetFadeState(Menu::kFadingOut);
    for (frame = 0; menu.GetFadeState() == Menu::kFadingOut && frame < 100; ++frame)
        menu.Update(0.05f);
    EXPECT_EQ(menu.GetFadeState(), Menu::kGone);
    EXPECT_EQ(menu.GetItem(0)->GetFadeState(), MenuItem::kGone);
}

TEST_F(MenuScreenTest, AnEmptyScreenIsShownAtOnce)
{
    ASSERT_TRUE(Load("<S/>"));
    menu.SetFadeState(Menu::kFadingIn);
    menu.Update(0.0f);
    EXPECT_EQ(menu.GetFadeState(), Menu::kShown);
}

TEST_F(MenuScreenTest, AnOriginShiftsOnlyTheItemsAfterIt)
{
    ASSERT_TRUE(Load("<S><Probe name=a/><Origin position=\"10,20\"/><Probe name=b/><Origin/><Probe name=c/></S>"));
    menu.Render();
    EXPECT_EQ(MenuProbe::drawn, (Log{"a:0@0,0", "b:0@10,20", "c:0@0,0", "a:1@0,0", "b:1@10,20", "c:1@0,0"}));
    menu.ClearScreen();
    MenuProbe::drawn.clear();
    ASSERT_TRUE(Load("<S noShadow=true><Origin position=\"5,x\"/><Probe name=a/></S>"));
    menu.Render();
    EXPECT_EQ(MenuProbe::drawn, (Log{"a:1@5,0"}));
}

TEST_F(MenuScreenTest, ACustomElementCoversTheMenuUnlessSized)
{
    ASSERT_TRUE(Load("<S><CustomElement name=all/><CustomElement name=box position=\"10,20\" size=\"30,40\"/>"
                     "<CustomElement name=half size=\"100\"/></S>"));
    EXPECT_EQ(menu.GetItem("all")->GetArea(), Vector4(0, 0, 800, 600));
    EXPECT_EQ(menu.GetItem("box")->GetArea(), Vector4(10, 20, 30, 40));
    EXPECT_EQ(menu.GetItem("half")->GetArea(), Vector4(0, 0, 100, 600));
    // Fading in from the left, then in place.
    menu.SetFadeState(Menu::kFadingIn);
    menu.Update(0.25f);
    EXPECT_EQ(menu.GetItem("box")->GetArea().x, 10.0f - 1000.0f);
    for (int i = 0; i < 20; ++i)
        menu.Update(0.05f);
    EXPECT_EQ(menu.GetItem("box")->GetArea(), Vector4(10, 20, 30, 40));
}

TEST_F(MenuScreenTest, ScreenPointsMapIntoTheMenuPlane)
{
    const Vector2 points[] = {{0, 0}, {400, 300}, {12.5f, 590}};
    for (const Vector2& p : points)
        EXPECT_EQ(menu.ScreenToMenu(p.x, p.y), p);
    // Turned half way round its view axis, the plane mirrors points through the centre.
    menu.SetRotation(Quaternion(std::acos(-1.0f), Vector3::UnitZ));
    const Vector2 turned = menu.ScreenToMenu(100, 50);
    EXPECT_NEAR(turned.x, 700, 1e-3);
    EXPECT_NEAR(turned.y, 550, 1e-3);
    menu.SetRotation(Quaternion::Identity);
    menu.SetPosition(Vector3(3, 4, 10));
    EXPECT_EQ(menu.ScreenToMenu(100, 50), Vector2(97, 46));

    menu.SetScale(2.0f, 0.5f);
    Vector4 rect(10, 20, 30, 40);
    menu.ScaleRect(rect);
    EXPECT_EQ(rect, Vector4(20, 10, 60, 20));
}

}  // namespace
