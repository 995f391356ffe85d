#include "engine/core/RwCore.h"
#include "menus/MenuImage.h"
#include "menus/MenuStaticText.h"
#include "menus/MenuText.h"
#include "menus/MenuView.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "scene/Texture.h"
#include "support/MenuDrawTest.h"
#include "tests/support/LogCapture.h"
#include "text/TextDisplay.h"

#include <gtest/gtest.h>

#include <numbers>
#include <string>

using namespace menutest;

namespace {

constexpr float kTolerance = 1e-4f;

class MenuWidgetsTest : public MenuDrawTest {};

MenuImage* Image(MenuItem* item)
{
    return dynamic_cast<MenuImage*>(item);
}

TEST_F(MenuWidgetsTest, ColorsReadThreeOrFourNumbersAndKeepTheDefaultForMissingOnes)
{
    const struct {
        const char* color;
        Color expected;
        bool warned;
    } cases[] = {
        {"255,0,0", Color(1, 0, 0, 1), false},
        {"255,0,0,128", Color(1, 0, 0, 128.0f / 255), false},
        {"0,255", Color(0, 1, 1, 1), true},
        {"", Color(1, 1, 1, 1), true},
    };
    for (const auto& c : cases) {
        LogCapture log;
        Load(std::string("<Screen><Image name=pic is3d=0 color=\"") + c.color + "\"/></Screen>");
        const Color& got = Image(Item(0))->GetColor();
        EXPECT_NEAR(got.r, c.expected.r, kTolerance) << c.color;
        EXPECT_NEAR(got.g, c.expected.g, kTolerance) << c.color;
        EXPECT_NEAR(got.b, c.expected.b, kTolerance) << c.color;
        EXPECT_NEAR(got.a, c.expected.a, kTolerance) << c.color;
        EXPECT_EQ(log.Contains("fewer than three numbers"), c.warned) << c.color;
        menu->ClearScreen();
    }
}

TEST_F(MenuWidgetsTest, ADisabledImageHasHalfItsColourAndItsShadowMoreThanHalfOfThatGone)
{
    Load("<Screen><Image name=pic position=100,50 size=200,100 color=200,100,50,240/></Screen>");
    Item(0)->Disable();
    const auto shadow = Pass(0);
    const auto normal = Pass(1);
    ASSERT_EQ(shadow.size(), 1u);
    ASSERT_EQ(normal.size(), 1u);
    EXPECT_FALSE(normal[0].is2D);
    EXPECT_EQ(ColorOf(normal[0]), Expected(Color(100 / 255.0f, 50 / 255.0f, 25 / 255.0f, 120 / 255.0f)));
    EXPECT_EQ(ColorOf(shadow[0]), Expected(Color(0, 0, 0, 120 / 255.0f * 0.375f)));
    EXPECT_EQ(normal[0].cull, rwCullNone);
}

TEST_F(MenuWidgetsTest, AFlatImageLiesUnderTheNormalPassAndIsGoneWithoutShadows)
{
    Load("<Screen><Image name=pic is3d=0 position=100,50 size=200,100/></Screen>");
    const auto shadow = Pass(0);
    ASSERT_EQ(shadow.size(), 1u);
    EXPECT_TRUE(shadow[0].is2D);
    EXPECT_EQ(shadow[0].corners2D[0].x, 100.0f);
    EXPECT_EQ(shadow[0].corners2D[0].y, 50.0f);
    EXPECT_TRUE(Pass(1).empty());
    menu->ClearScreen();
    Load("<Screen noShadow=true><Image name=pic is3d=0 size=200,100/></Screen>");
    EXPECT_TRUE(Pass([&] { menu->Render(); }).empty());
}

TEST_F(MenuWidgetsTest, A3dImageLiesOnTheTurnedPlaneOneScreenHeightToAUnit)
{
    Load("<Screen><Image name=pic position=100,50 size=200,100/></Screen>");
    const Vector3 position(1, 2, 3);
    const Quaternion rotation(std::numbers::pi_v<float> / 2, Vector3::UnitY);
    menu->SetPosition(position);
    menu->SetRotation(rotation);
    const auto normal = Pass(1);
    const auto shadow = Pass(0);
    ASSERT_EQ(normal.size(), 1u);
    ASSERT_EQ(shadow.size(), 1u);
    // x = 100 - 400, y = 50 - 300; corners (-x, -y), (-(x + w), -y), (-x, -(y + h)), ...
    const Vector3 plane[4] = {{300, 250, 0}, {100, 250, 0}, {300, 150, 0}, {100, 150, 0}};
    for (int i = 0; i < 4; ++i) {
        const Vector3 expected = position + rotation.Rotate(plane[i] * (1.0f / 600));
        EXPECT_TRUE(Near(Corner(normal[0], i), expected)) << i;
        EXPECT_TRUE(Near(Corner(shadow[0], i), expected + rotation.Rotate(Vector3(0.02f, -0.02f, 0)))) << i;
    }
    EXPECT_EQ(ColorOf(normal[0]), (Rgba{255, 255, 255, 255}));
}

TEST_F(MenuWidgetsTest, AnImageIsHitInsideItsLeftAndTopEdgesOnlyOnceDrawn)
{
    Load("<Screen><Image name=pic position=100,50 size=200,100/></Screen>");
    MenuItem* image = menu->GetItem("pic");
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(image->HitTest(150, 100));
    Pass(1);
    const struct {
        float x, y;
        bool hit;
    } cases[] = {{100, 50, true}, {299.5f, 149.5f, true}, {300, 100, false}, {150, 150, false}, {99.5f, 100, false}};
    for (const auto& c : cases)
        EXPECT_EQ(image->HitTest(c.x, c.y), c.hit) << c.x << "," << c.y;
}

TEST_F(MenuWidgetsTest, TexturesLoadOnceByNameAndAMissingOneDrawsUntextured)
{
    menutest::UseTestProjectFolder();
    WriteImage("data/pc/Menu/Screens/Textures24Bit/logo.bmp", 4, 4, {255, 0, 0, 255});
    WriteImage("data/pc/Menu/Screens/Textures24Bit/other.bmp", 4, 4, {0, 255, 0, 255});
    Load("<Screen><Image name=logo texture=logo.bmp size=10,10/><Image name=none texture=gone.bmp "
         "size=10,10/></Screen>");
    auto* logo = Image(Item(0));
    ASSERT_NE(logo->GetTexture(), nullptr);
    EXPECT_EQ(Pass(1, 0)[0].texture, logo->GetTexture()->GetRaster());
    EXPECT_EQ(Image(Item(1))->GetTexture(), nullptr);
    const auto untextured = Pass(1, 1);
    ASSERT_EQ(untextured.size(), 1u);
    EXPECT_EQ(untextured[0].texture, nullptr);

    TextureManager* textures = TextureManager::Instance();
    const size_t loaded = textures->GetTextures().size();
    const Texture* before = logo->GetTexture();
    textures->Shutdown();  // a load would now make a new texture
    logo->SetTexture("logo.bmp");
    EXPECT_EQ(logo->GetTexture(), before);
    EXPECT_TRUE(textures->GetTextures().empty());
    logo->SetTexture("other.bmp");
    ASSERT_NE(logo->GetTexture(), nullptr);
    EXPECT_EQ(logo->GetTexturePath(), "<PP>\\Menu\\Screens\\Textures24Bit\\other.bmp");
    EXPECT_EQ(textures->GetTextures().size(), 1u);
    EXPECT_GE(loaded, 1u);
    TextureManager::DestroyInstance();
}

TEST_F(MenuWidgetsTest, APalmTreeIsAFaintShadeBehindThePlaneInTheNormalPassOnly)
{
    Load("<Screen><PalmTree name=palm position=0,0 size=400,600 color=255,0,0/></Screen>");
    EXPECT_TRUE(Pass(0).empty());
    const auto drawn = Pass(1);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(ColorOf(drawn[0]), Expected(Color(0, 0, 0, 0.2f)));
    // No time has passed: no sway, so the quad hangs 0.3 behind the plane.
    EXPECT_NEAR(Corner(drawn[0], 0).z, 0.3f, kTolerance);
    EXPECT_FALSE(Item(0)->HitTest(100, 100));
    Item(0)->Hide();
    EXPECT_TRUE(Pass(1).empty());
}

TEST_F(MenuWidgetsTest, AStaticTextReportsAtLeastItsMinimumAreaAtItsPosition)
{
    Load("<Screen><StaticText name=a position=50,60 text=ab minArea=100,30/>"
         "<StaticText name=b position=50,60 text=ab/></Screen>");
    Pass(1);
    Pass(1, 1);
    const Vector4 floored = menu->GetItem("a")->GetArea(), measured = Item(1)->GetArea();
    EXPECT_EQ(measured.x, 50.0f);
    EXPECT_EQ(measured.y, 60.0f);
    EXPECT_EQ(measured.z, 20.0f);
    EXPECT_EQ(floored.x, 50.0f);
    EXPECT_EQ(floored.z, 100.0f);
    EXPECT_EQ(floored.w, 30.0f);
    Item(1)->Hide();
    EXPECT_TRUE(Pass(0, 1).empty());
    EXPECT_TRUE(Pass(1, 1).empty());
}

TEST_F(MenuWidgetsTest, AStaticTextShadowIsUniformlyDarkWhateverItsColourTags)
{
    EXPECT_EQ(menutext::ShadowText("<COLOR 255 0 0>red</Color> plain"),
              "<color 0 0 0 96><ignore 255 0 0>red</ignore> plain</color>");
    Load("<Screen><StaticText name=t text=\"[color 255 0 0]ab[/color] c\"/></Screen>");
    EXPECT_EQ(QuadColours(Pass(0)), std::vector<Rgba>(3, Rgba{0, 0, 0, 96}));
    EXPECT_EQ(QuadColours(Pass(1)),
              (std::vector<Rgba>{{255, 0, 0, 255}, {255, 0, 0, 255}, {255, 255, 255, 255}}));
}

TEST_F(MenuWidgetsTest, StaticTextAlignmentAppliesToItsDrawOnly)
{
    LogCapture log;
    Load("<Screen><StaticText name=r position=0,0 text=ab halign=RIGHT/><StaticText name=x halign=middle/></Screen>");
    TextDisplay::Instance()->SetHorizontalAlign(kAlignCenter);
    Pass(1);
    EXPECT_EQ(Item(0)->GetArea().x, 780.0f);
    EXPECT_EQ(TextDisplay::Instance()->GetHorizontalAlign(), kAlignCenter);
    EXPECT_FALSE(dynamic_cast<MenuStaticText*>(Item(1))->HasAlign());
    EXPECT_TRUE(log.Contains("middle"));
}

TEST_F(MenuWidgetsTest, ATextAreaLaysOutTheTextsDrawnAfterIt)
{
    Load("<Screen><StaticText name=before text=ab/><TextArea position=100,200 size=300,100/>"
         "<StaticText name=after text=ab/></Screen>");
    menu->SetScale(2.0f, 0.5f);
    // One pass: in the next the area would still be in force for the first text too.
    Pass([&] {
        for (int i = 0; i < 3; ++i)
            Item(i)->Draw(0);
    });
    EXPECT_EQ(Item(0)->GetArea().x, 0.0f);
    EXPECT_EQ(Item(2)->GetArea().x, 200.0f);
    EXPECT_EQ(Item(2)->GetArea().y, 100.0f);
    const TextRect area = TextDisplay::Instance()->GetArea();
    EXPECT_EQ(area, (TextRect{200, 100, 600, 50}));
    EXPECT_EQ(Item(1)->GetArea(), Vector4(100, 200, 300, 100));
}

TEST_F(MenuWidgetsTest, TheMenuPlaneIsDrawnUnfoggedAndLeavesTheFogAsItWas)
{
    Load("<Screen><Image position=100,50 size=200,100/><StaticText position=0,300 text=abc/></Screen>");
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetCamera(graphics->GetPrimaryCamera());
    for (const intptr_t fog : {0, 1}) {
        RwRenderStateSet(rwRenderStateFogEnable, fog);
        const auto draws = Pass([] { RenderMenuInView(Vector3(0.0f, 0.0f, 1.0f), Quaternion()); });
        // The image and three letters, each with its shadow.
        EXPECT_EQ(QuadColours(draws).size(), 8u) << fog;
        for (const RwNullDrawRecord& draw : draws)
            EXPECT_EQ(draw.fog, 0) << fog;
        intptr_t after = -1;
        RwRenderStateGet(rwRenderStateFogEnable, &after);
        EXPECT_EQ(after, fog);
    }
    graphics->SetCamera(nullptr);
}

}  // namespace
