#include "framework/DebugDisplay.h"
#include "framework/TimeInfo.h"
#include "menus/MenuText.h"
#include "menus/MenuTextButton.h"
#include "support/MenuDrawTest.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace menutest;
using Log = std::vector<std::string>;

namespace {

constexpr float kFrame = 1.0f / 60;

class MenuTextButtonTest : public MenuDrawTest {
protected:
    void TearDown() override
    {
        TimeInfo::DestroyInstance();
        MenuDrawTest::TearDown();
    }
    MenuTextButton* Button(int index) { return dynamic_cast<MenuTextButton*>(Item(index)); }
    void Send(int index, const char* message) { DeliverMessage(Item(index), MenuFixture::Id(message), 0); }
    // The glyphs drawn in the pass, with their colours.
    std::vector<Rgba> Colors(int pass, int index = 0)
    {
        return QuadColours(Pass(pass, index));
    }
    void SetMenuTime(float seconds)
    {
        TimeInfo::DestroyInstance();
        TimeInfo::Instance()->AddFrame(seconds);
    }
};

TEST_F(MenuTextButtonTest, OnSelectEndsWithTheSelectSoundOnce)
{
    Load("<Screen><TextButton name=a OnSelect=StartGame/><TextButton name=b OnSelect=\"PlaySelectSound;StartGame\"/>"
         "<TextButton name=c OnSelect=\"\"/><TextButton name=d/></Screen>");
    const struct {
        int item;
        bool present;
        const char* value;
    } cases[] = {{0, true, "StartGame;PlaySelectSound"},
                 {1, true, "PlaySelectSound;StartGame"},
                 {2, true, "PlaySelectSound"},
                 {3, false, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(Item(c.item)->GetXmlNode()->HasAttribute("OnSelect"), c.present) << c.item;
        EXPECT_EQ(Item(c.item)->GetXmlNode()->GetAttribute("OnSelect"), c.value) << c.item;
    }
    for (int i = 0; i < 4; ++i) {
        menu->SelectItem(Item(i));
        Send(i, "menu select");
    }
    EXPECT_EQ(owner.log, (Log{"StartGame:", "PlaySelectSound:", "PlaySelectSound:", "StartGame:", "PlaySelectSound:"}));
    EXPECT_EQ(owner.sources.front(), Item(0));
}

TEST_F(MenuTextButtonTest, KeysActOnlyOnTheIdleSelectedButton)
{
    Load("<Screen><TextButton name=a OnSelect=Go/><TextButton name=b/><TextButton name=c/></Screen>");
    Send(0, "menu select");
    Send(0, "menu down");
    EXPECT_TRUE(owner.log.empty());
    EXPECT_EQ(menu->GetSelectedItem(), nullptr);
    menu->SelectItem(Item(0));
    Item(0)->SetFadeState(MenuItem::kAppearing);
    Send(0, "menu select");
    Send(0, "menu down");
    EXPECT_TRUE(owner.log.empty());
    EXPECT_EQ(menu->GetSelectedItem(), Item(0));
    Item(0)->SetFadeState(MenuItem::kIdle);
    Send(0, "menu down");
    EXPECT_EQ(menu->GetSelectedItem(), Item(1));
    Send(1, "menu up");
    Send(0, "menu up");
    EXPECT_EQ(menu->GetSelectedItem(), Item(2));
    Item(2)->Disable();
    EXPECT_FALSE(Item(2)->IsSelectable());
}

// Buttons side by side answer the arrows that point to them: the nearest on the same row,
// shown and enabled; at the row's end the selection stays.
TEST_F(MenuTextButtonTest, LeftAndRightReachTheNearestButtonBesideOnTheSameRow)
{
    Load("<Screen><TextButton name=a area=100,300,60,20/><TextButton name=b area=300,300,60,20/>"
         "<TextButton name=c area=500,310,60,20/><TextButton name=d area=300,400,60,20/>"
         "<TextButton name=e area=200,270,60,20/><TextButton name=f area=700,300,60,20/></Screen>");
    for (int i = 0; i < 6; ++i)
        Pass(1, i);
    Item(5)->Hide();
    const struct {
        int from;
        const char* message;
        int to;
    } cases[] = {{0, "menu right", 1}, {1, "menu right", 2}, {2, "menu right", 2}, {2, "menu left", 1},
                 {1, "menu left", 0},  {0, "menu left", 0},  {3, "menu left", 3},  {3, "menu right", 3},
                 {4, "menu right", 4}};
    for (const auto& c : cases) {
        menu->SelectItem(Item(c.from));
        Send(c.from, c.message);
        EXPECT_EQ(menu->GetSelectedItem(), Item(c.to)) << c.from << " " << c.message;
    }
    Item(1)->Disable();
    menu->SelectItem(Item(0));
    Send(0, "menu right");
    EXPECT_EQ(menu->GetSelectedItem(), Item(2));
}

TEST_F(MenuTextButtonTest, AReleasedButtonSwingsBehindThePlaneAndComesToRest)
{
    Load("<Screen><TextButton name=a OnUpdate=Tick/><TextButton name=b useOffset=False/>"
         "<TextButton name=c useOffset=false/></Screen>");
    for (int i = 0; i < 3; ++i)
        Item(i)->Select();
    for (int frame = 0; frame < 10; ++frame)
        menu->Update(kFrame);
    EXPECT_EQ(Button(0)->GetPopOut(), 1.0f);
    EXPECT_EQ(Button(1)->GetPopOut(), 1.0f);
    EXPECT_EQ(Button(2)->GetPopOut(), 0.0f);
    EXPECT_EQ(Button(0)->GetPopOutVelocity(), -1.0f);
    EXPECT_EQ(owner.log, Log(10, "Tick:"));

    Item(0)->Deselect();
    float lowest = 1.0f, highestAfter = -1.0f;
    int frames = 0;
    while ((Button(0)->GetPopOut() != 0.0f || Button(0)->GetPopOutVelocity() != 0.0f) && frames < 1000) {
        Item(0)->Update(kFrame);
        lowest = std::min(lowest, Button(0)->GetPopOut());
        if (lowest < 0.0f)
            highestAfter = std::max(highestAfter, Button(0)->GetPopOut());
        ++frames;
    }
    EXPECT_LT(lowest, -0.1f);       // behind the plane
    EXPECT_GT(highestAfter, 0.1f);  // and in front once more: it rests only when both are small
    EXPECT_LT(frames, 1000);
    EXPECT_EQ(Button(0)->GetPopOut(), 0.0f);
}

TEST_F(MenuTextButtonTest, AButtonIsHitInsideItsLeftAndTopEdgesOnlyOnceDrawn)
{
    Load("<Screen><TextButton name=a position=100,200 text=abc/><TextButton name=b text=x area=10,20,30,40/></Screen>");
    EXPECT_FALSE(Item(0)->HitTest(110, 205));
    Pass(1);
    EXPECT_EQ(Item(0)->GetArea(), Vector4(100, 200, 30, 11));
    const struct {
        float x, y;
        bool hit;
    } cases[] = {{100, 200, true}, {129.5f, 210.5f, true}, {130, 205, false}, {110, 211, false}, {99.5f, 205, false}};
    for (const auto& c : cases)
        EXPECT_EQ(Item(0)->HitTest(c.x, c.y), c.hit) << c.x << "," << c.y;
    menu->SetScale(2.0f, 0.5f);
    Pass(1, 1);
    EXPECT_EQ(Item(1)->GetArea(), Vector4(20, 10, 60, 20));
    // The debug option shows the hit rectangle.
    DebugDisplay::Instance()->SetOption("Display Menu Boxes", true);
    const auto boxed = Pass(1, 1);
    DebugDisplay::DestroyInstance();
    ASSERT_EQ(boxed.size(), 2u);
    EXPECT_TRUE(boxed[1].is2D);
    EXPECT_EQ(boxed[1].corners2D[0].x, 20.0f);
    EXPECT_EQ(ColorOf(boxed[1]), Expected(Color(1, 0, 0, 0.3f)));
}

TEST_F(MenuTextButtonTest, ABlinkingButtonShowsEveryOtherQuarterSecondUnlessDimmed)
{
    Load("<Screen><TextButton name=a text=ab blinking=true/></Screen>");
    const Rgba shown{255, 255, 255, 255}, hidden{0, 0, 0, 0}, dimmed{255, 255, 255, 100};
    const struct {
        float time;
        bool enabled;
        Rgba color;
    } cases[] = {{0.1f, true, hidden}, {0.3f, true, shown}, {0.6f, true, hidden}, {0.8f, true, shown},
                 {0.3f, false, dimmed}, {0.6f, false, dimmed}};
    for (const auto& c : cases) {
        SetMenuTime(c.time);
        c.enabled ? Item(0)->Enable() : Item(0)->Disable();
        EXPECT_EQ(Colors(1), (std::vector<Rgba>{c.color, c.color})) << c.time << " " << c.enabled;
        EXPECT_EQ(Colors(0), (std::vector<Rgba>{{0, 0, 0, 96}, {0, 0, 0, 96}})) << c.time;
    }
}

TEST_F(MenuTextButtonTest, ABlinkingButtonShowsTheValueOfItsVariableInBothPasses)
{
    Load("<Screen><TextButton name=a text=abcdef blinking=true/></Screen>");
    menu->SetVariable("%key%", "Q");
    Item(0)->SetExtraText("%key%");
    SetMenuTime(0.3f);
    EXPECT_EQ(Colors(0).size(), 1u);
    EXPECT_EQ(Colors(1).size(), 1u);
    EXPECT_EQ(Item(0)->GetArea().z, 10.0f);
    // A plain extra text shows as it is.
    Item(0)->SetExtraText("Qa");
    EXPECT_EQ(Colors(1).size(), 2u);
    // An unknown name shows empty and is entered.
    Item(0)->SetExtraText("%none%");
    EXPECT_TRUE(Pass(0).empty());
    EXPECT_TRUE(Pass(1).empty());
    EXPECT_EQ(menu->Variables().count("%none%"), 1u);
}

TEST_F(MenuTextButtonTest, ColourTagsAreSwitchedOffWhateverTheirCaseAndNesting)
{
    const struct {
        const char* text;
        const char* off;
    } cases[] = {
        {"<COLOR 255 0 0>a<Color 0 255 0>b</color>c</COLOR>", "<ignore 255 0 0>a<ignore 0 255 0>b</ignore>c</ignore>"},
        {"<color>x</color><font menu>y</font>", "<ignore>x</ignore><font menu>y</font>"},
        {"no tags", "no tags"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(menutext::SwitchOffColorTags(c.text), c.off);
    Load("<Screen><TextButton name=a text=\"[color 255 0 0]ab[/color]c\"/></Screen>");
    EXPECT_EQ(Colors(1), (std::vector<Rgba>{{255, 0, 0, 255}, {255, 0, 0, 255}, {255, 255, 255, 255}}));
    Item(0)->Disable();
    EXPECT_EQ(Colors(1), (std::vector<Rgba>(3, Rgba{255, 255, 255, 100})));
}

TEST_F(MenuTextButtonTest, ASelectedButtonShowsItsTextInTheSelectedFont)
{
    LogCapture log;
    Load("<Screen><TextButton name=a text=ab halign=Center/><TextButton name=b text=ab selectedText=xyz "
         "halign=up/></Screen>");
    EXPECT_EQ(Button(0)->GetSelectedText(), "<font selected>ab</font>");
    EXPECT_TRUE(log.Contains("MenuTextButton::Create: Unknown halign parameter: up"));
    EXPECT_EQ(Pass(1)[0].texture, font.GetRaster());
    menu->SelectItem(Item(0));
    const auto selected = Pass(1);
    ASSERT_EQ(QuadColours(selected).size(), 2u);
    EXPECT_EQ(selected[0].texture, selectedFont.GetRaster());
    EXPECT_EQ(Item(0)->GetArea(), Vector4(394, 0, 12, 11));  // centred
    menu->SelectItem(Item(1));
    EXPECT_EQ(Colors(1, 1).size(), 3u);
}

TEST_F(MenuTextButtonTest, APoppedOutButtonStandsInFrontOfThePlaneAndItsShadowBehindIt)
{
    Load("<Screen><TextButton name=a text=a/></Screen>");
    const Vector3 flat = Corner(Pass(1)[0], 0);
    const Vector3 flatShadow = Corner(Pass(0)[0], 0);
    EXPECT_TRUE(Near(flatShadow - flat, Vector3(0.02f, -0.02f, 0)));
    Item(0)->Select();
    for (int frame = 0; frame < 10; ++frame)
        Item(0)->Update(kFrame);
    EXPECT_TRUE(Near(Corner(Pass(1)[0], 0) - flat, Vector3(0, 0, -0.05f)));
    EXPECT_TRUE(Near(Corner(Pass(0)[0], 0) - flat, Vector3(0.02f, -0.02f, -0.05f)));
}

// Off the middle of the view, a popped-out text is seen where it stood on the plane: its
// anchored left edge stays put, as does its line, instead of drifting away from the middle.
TEST_F(MenuTextButtonTest, APoppedOutButtonOffTheMiddleIsSeenWhereItStood)
{
    constexpr float kDistance = 0.8333f;
    Load(R"(<Screen><TextButton name=a text=value position="600,60" halign=left/></Screen>)");
    menu->SetPosition(Vector3(0.0f, 0.0f, kDistance));
    menu->SetRotation(Quaternion());
    menu->SetEye(Vector3());
    const auto seen = [](const Vector3& corner) { return Vector2(corner.x / corner.z, corner.y / corner.z); };
    const Vector3 flatCorner = Corner(Pass(1)[0], 0);
    const Vector2 flat = seen(flatCorner);
    const float glyphHeight = std::fabs(Corner(Pass(1)[0], 2).y - flatCorner.y) / kDistance;
    Item(0)->Select();
    for (int frame = 0; frame < 10; ++frame)
        Item(0)->Update(kFrame);
    const Vector3 poppedCorner = Corner(Pass(1)[0], 0);
    const Vector2 popped = seen(poppedCorner);

    EXPECT_NEAR(poppedCorner.z, flatCorner.z - MenuTextButton::kPopOutDepth, 1e-4f);
    EXPECT_NEAR(popped.x, flat.x, 1e-4f);
    // The text grows about its middle line: its top rises by a fraction of its height.
    EXPECT_LT(std::fabs(popped.y - flat.y), glyphHeight * 0.1f);
}

// A popped-out text comes towards the viewer along the line from him through its anchor, so
// that the anchor is seen where it was on the plane, off the middle of the view as in it; with
// the viewer behind the plane it comes straight out.
TEST(MenuPopOut, TheAnchorStaysOnItsLineOfSight)
{
    constexpr float kDepth = 0.05f;
    const struct {
        Vector3 anchor;
        Vector3 eye;
    } cases[] = {
        {{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -0.8f}},  {{-0.3f, 0.28f, 0.0f}, {0.0f, 0.0f, -0.8f}},
        {{0.3f, -0.25f, 0.0f}, {0.0f, 0.0f, -0.8f}}, {{0.1f, 0.2f, 0.0f}, {0.5f, -0.4f, -2.0f}},
    };
    for (const auto& c : cases) {
        const Vector3 offset = menutext::PopOutOffset(c.anchor, c.eye, kDepth);
        const Vector3 seen = c.anchor - c.eye, popped = c.anchor + offset - c.eye;
        EXPECT_NEAR(offset.z, -kDepth, 1e-6f);
        EXPECT_NEAR(seen.Cross(popped).Length(), 0.0f, 1e-6f) << c.anchor.x << " " << c.anchor.y;
    }
    EXPECT_TRUE(Near(menutext::PopOutOffset({0.2f, 0.1f, 0.0f}, {0.0f, 0.0f, 0.5f}, kDepth), Vector3(0, 0, -kDepth)));
}

}  // namespace
