// HUD items: placement on the virtual screen, meters, text through the text service, shared
// textures, and the HUD element that holds an item in a cast.
#include "support/SceneTest.h"

#include "engine/core/NullDevice.h"
#include "framework/Cast.h"
#include "framework/Factory.h"
#include "scene/GameElements.h"
#include "scene/HudItems.h"
#include "scene/Immediate3DCache.h"
#include "scene/Texture.h"
#include "tests/support/LogCapture.h"

#include <algorithm>
#include <cmath>

namespace {

// A rectangle as drawn: x, y, w, h and the texture's u, v, du, dv.
using Rect = std::vector<float>;

std::vector<Rect> Rects(HudItem& item)
{
    std::vector<Rect> rects;
    for (const RwNullDrawRecord& draw : Drawn([&] { item.Render(); })) {
        const RwIm2DVertex& a = draw.corners2D[0];
        const RwIm2DVertex& c = draw.corners2D[2];
        rects.push_back({a.x, a.y, c.x - a.x, c.y - a.y, a.u, a.v, c.u - a.u, c.v - a.v});
    }
    return rects;
}

class HudItemTest : public SceneTest {
protected:
    static void SetUpTestSuite()
    {
        SceneTest::SetUpTestSuite();
        WriteImage("hud\\bar.bmp", 8, 8, {255, 255, 255, 255});
    }
    void TearDown() override { HudItem::SetScreenSize(800, 600); }
};

TEST_F(HudItemTest, ItemsArePlacedByTheScreenScaleAndTheirAlignmentOnEveryDraw)
{
    HudImage image;
    image.SetImage("hud\\bar.bmp", 100, 50);
    image.SetPosition({400, 300, 0});
    struct Case {
        int width, height, horizontal, vertical;
        Rect rect;
    };
    const Case cases[] = {
        {1600, 1200, HudItem::kCenter, HudItem::kMiddle, {700, 550, 200, 100, 0, 0, 1, 1}},
        {800, 600, HudItem::kCenter, HudItem::kMiddle, {350, 275, 100, 50, 0, 0, 1, 1}},
        {800, 600, HudItem::kLeft, HudItem::kTop, {400, 300, 100, 50, 0, 0, 1, 1}},
        {800, 600, HudItem::kRight, HudItem::kBottom, {300, 250, 100, 50, 0, 0, 1, 1}},
        {400, 300, HudItem::kRight, HudItem::kTop, {150, 150, 50, 25, 0, 0, 1, 1}},
    };
    for (const Case& c : cases) {
        HudItem::SetScreenSize(c.width, c.height);
        image.SetAlignment(c.horizontal, c.vertical);
        EXPECT_EQ(Rects(image), std::vector<Rect>{c.rect}) << c.width << " " << c.horizontal << c.vertical;
    }

    // Scale changes the size, not the place; flips turn the texture rectangle round.
    HudItem::SetScreenSize(800, 600);
    image.SetAlignment(HudItem::kLeft, HudItem::kTop);
    image.SetScale(2.0f, 0.5f);
    image.SetFlip(true, false);
    EXPECT_EQ(Rects(image), (std::vector<Rect>{{400, 300, 200, 25, 1, 0, -1, 1}}));
    image.SetVisible(false);
    EXPECT_TRUE(Rects(image).empty());
}

TEST_F(HudItemTest, AMeterShowsItsLevelFromTheGrowingEdge)
{
    struct Case {
        const char* level;
        int32_t grow;
        std::vector<int> size;
        std::vector<Rect> rects;
    };
    const Case cases[] = {
        {"0.25", HudMeter::kLeftToRight, {25, 20}, {{0, 0, 25, 20, 0, 0, 0.25f, 1}}},
        {"0.25", HudMeter::kRightToLeft, {25, 20}, {{0, 0, 25, 20, 0.75f, 0, 0.25f, 1}}},
        {"0.25", HudMeter::kTopToBottom, {100, 5}, {{0, 0, 100, 5, 0, 0, 1, 0.25f}}},
        {"0.25", HudMeter::kBottomToTop, {100, 5}, {{0, 0, 100, 5, 0, 0.75f, 1, 0.25f}}},
        {"1.5", HudMeter::kLeftToRight, {100, 20}, {{0, 0, 100, 20, 0, 0, 1, 1}}},
        {"-1", HudMeter::kLeftToRight, {0, 20}, {}},
        {"-1", HudMeter::kBottomToTop, {100, 0}, {}},
        // Not a number: the meter size (0.5) stands.
        {"full", HudMeter::kLeftToRight, {50, 20}, {{0, 0, 50, 20, 0, 0, 0.5f, 1}}},
        {"", HudMeter::kLeftToRight, {50, 20}, {{0, 0, 50, 20, 0, 0, 0.5f, 1}}},
    };
    for (const Case& c : cases) {
        HudMeter meter;
        meter.SetImage("hud\\bar.bmp", 100, 20);
        meter.SetMeter(0.5f, c.grow);
        meter.SetParameter("level", c.level);
        int width = 0, height = 0;
        meter.GetSize(width, height);
        EXPECT_EQ((std::vector<int>{width, height}), c.size) << c.level << " " << c.grow;
        EXPECT_EQ(Rects(meter), c.rects) << c.level << " " << c.grow;
    }
}

TEST_F(HudItemTest, AMeterTakesItsColourParameterOnlyWhenToldAndOnlyWithFourNumbers)
{
    HudMeter meter;
    meter.SetImage("hud\\bar.bmp", 100, 20);
    const auto colour = [&](const char* text, bool used) {
        meter.SetParameter("color", text);
        meter.SetColorParameterUsed(used);
        const auto draws = Drawn([&] { meter.Render(); });
        return draws.empty() ? 0u : draws.back().corners2D[0].emissiveColor;
    };
    const RwUInt32 white = colour("", true);
    EXPECT_EQ(colour("0,255,0,255", false), white);
    EXPECT_EQ(colour("0,255,0,255", true), PackColor(Color(0, 1, 0, 1)));
    EXPECT_EQ(colour(" 0 , 255 , 0 , 255 ", true), PackColor(Color(0, 1, 0, 1)));
    // Channels beyond a byte are held to it.
    EXPECT_EQ(colour("-5,300,0,255", true), PackColor(Color(0, 1, 0, 1)));
    for (const char* bad : {"0,255,0", "green", "0,255,0,255,7", "0;255;0;255"})
        EXPECT_EQ(colour(bad, true), white) << bad;
}

// Records what the text items ask of the text layer.
class FakeText : public HudTextService {
public:
    std::string Expand(const std::string& text) override { return "<" + text + ">"; }
    void Measure(const std::string& font, const std::string& text, int& width, int& height) override
    {
        width = 10 * static_cast<int>(text.size());
        height = font == "big" ? 30 : 15;
    }
    void Print(const std::string& font, const std::string& text, float x, float y, float sx, float sy,
               const Color& colour) override
    {
        printed.push_back(font + "|" + text + "|" + std::to_string(static_cast<int>(x)) + "," +
                          std::to_string(static_cast<int>(y)) + "|" + std::to_string(sx) + "|" +
                          std::to_string(static_cast<int>(std::lround(colour.g * 255))));
        (void)sy;
    }
    std::vector<std::string> printed;
};

TEST_F(HudItemTest, TextPrintsItsParameterAsItStandsElseItsFieldExpanded)
{
    FakeText fake;
    SetHudTextService(&fake);
    HudText text;
    text.SetText("%60501%", "big", Color(0, 0.2f, 0, 1));
    text.SetPosition({400, 300, 0});
    text.SetAlignment(HudItem::kCenter, HudItem::kTop);
    text.Render();
    text.SetParameter("text", "%60501%");
    text.SetParameter("color", "0,255,0,255");
    text.Render();
    text.SetParameter("text", "");
    text.SetParameter("color", "bad");
    HudItem::SetScreenSize(1600, 1200);
    text.Render();
    EXPECT_EQ(fake.printed, (std::vector<std::string>{"big|<%60501%>|355,300|1.000000|51",
                                                      "big|%60501%|365,300|1.000000|255",
                                                      "big|<%60501%>|710,600|2.000000|51"}));
    int width = 0, height = 0;
    text.GetSize(width, height);
    EXPECT_EQ(std::pair(width, height), std::pair(90, 30));

    // Without the text layer nothing is measured or drawn.
    SetHudTextService(nullptr);
    text.GetSize(width, height);
    EXPECT_EQ(std::pair(width, height), std::pair(0, 0));
    EXPECT_TRUE(Rects(text).empty());
    EXPECT_EQ(text.GetParameter("never set"), "");
}

TEST_F(HudItemTest, ImagesOfOneFileShareTheManagersTextureAndLeaveItToTheManager)
{
    {
        HudImage first, second;
        first.SetImage("hud\\bar.bmp", 10, 10);
        second.SetImage("hud\\bar.bmp", 10, 10);
        ASSERT_NE(first.GetTexture(), nullptr);
        EXPECT_EQ(first.GetTexture(), second.GetTexture());
        // Reading the table again loads through the manager again.
        ReadTable(second, WrittenTable(second));
        EXPECT_EQ(first.GetTexture(), second.GetTexture());
    }
    LogCapture log;
    EXPECT_TRUE(TextureManager::Instance()->Shutdown());
    EXPECT_EQ(log.Count("WARNING"), 0) << log.Text();
}

TEST(HudItemRegistry, HoldsTheThreeItemClassesUnderTheirOwnNames)
{
    for (const char* name : {"HudImage", "HudMeter", "HudText"}) {
        std::unique_ptr<Object> made(FactoryRegistry::HudItems().Create(name));
        auto* item = dynamic_cast<HudItem*>(made.get());
        ASSERT_NE(item, nullptr) << name;
        EXPECT_EQ(item->GetClassName(), name);
    }
}

TEST_F(HudItemTest, AHudElementCarriesItsItemsClassAndDataThroughItsTable)
{
    HudElement written;
    auto meter = std::make_unique<HudMeter>();
    meter->SetImage("hud\\bar.bmp", 64, 16);
    meter->SetMeter(0.75f, HudMeter::kBottomToTop);
    meter->SetPosition({12, 34, 0});
    meter->SetVisible(false);
    written.SetItem(std::move(meter));
    const std::string text = WrittenTable(written);
    EXPECT_NE(text.find("\"initialised:HudMeter\""), std::string::npos) << text;

    HudElement read;
    ReadTable(read, text);
    auto* item = dynamic_cast<HudMeter*>(read.GetItem());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(WrittenTable(*item), WrittenTable(*written.GetItem()));
    EXPECT_TRUE(Near(read.GetPosition(), {12, 34, 0}));

    struct Case {
        const char* name;
        const char* item;
    };
    const Case cases[] = {{"\"HudText\"", "HudText"}, {"\"initialised:NoSuchItem\"", ""}, {"\"NoSuchItem\"", ""},
                          {"\"\"", ""}};
    for (const Case& c : cases) {
        HudElement other;
        other.SetItem(std::make_unique<HudImage>());
        LogCapture log;
        ReadTable(other, ReplaceValue(text, "item name", c.name));
        EXPECT_EQ(other.GetItem() ? other.GetItem()->GetClassName() : "", c.item) << c.name;
        if (other.GetItem()) {
            EXPECT_EQ(WrittenTable(*other.GetItem()), WrittenTable(*std::make_unique<HudText>())) << c.name;
        }
    }
}

TEST_F(HudItemTest, ATruncatedOrCorruptTableLeavesAnElementThatDrawsSafely)
{
    HudElement written;
    auto meter = std::make_unique<HudMeter>();
    meter->SetImage("hud\\bar.bmp", 64, 16);
    written.SetItem(std::move(meter));
    const std::string text = WrittenTable(written);
    std::string corrupt = text;
    corrupt.replace(corrupt.find("\"Native width\""), 40, "\x01\xff{{ \"Native width\" 1e99999 ]]]");
    struct Case {
        std::string text;
        bool warned, item;
    };
    const Case cases[] = {
        {text.substr(0, text.size() / 2), true, true},
        {text.substr(0, text.find("item data")), true, true},
        {corrupt, false, true},
        {"\xff\xfe garbage", false, false},
    };
    for (const Case& c : cases) {
        LogCapture log;
        HudElement read;
        ReadTable(read, c.text);
        EXPECT_EQ(log.Contains("AsciiSerializer::Parse: "), c.warned) << log.Text();
        ASSERT_EQ(read.GetItem() != nullptr, c.item) << c.text;
        read.SetPosition({10, 10, 0});
        Drawn([&] { read.Render(); });
        if (c.item) {
            int width = -1, height = -1;
            read.GetItem()->GetSize(width, height);
            EXPECT_GE(std::min(width, height), 0);
        }
    }
}

TEST_F(HudItemTest, AnyStoredPositionOrScaleIsDrawnAtAPixelThatFitsAnInt)
{
    const float nan = std::nanf("");
    const float huge = 5.6e9f;
    struct Case {
        float position, scale;
        float x, meterWidth;  // the corner, centred by half the scaled width; a meter's width is whole pixels
    };
    const Case cases[] = {
        {100, 1, 50, 100},
        {huge, 1, 16777216 - 50, 100},
        {-huge, 1, -16777216 - 50, 100},
        {100, huge, 100 - 8388608, 16777216},
        {nan, 1, -50, 100},
        {100, nan, 100, 0},
    };
    for (const Case& c : cases) {
        for (bool meter : {false, true}) {
            std::unique_ptr<HudImage> item = meter ? std::make_unique<HudMeter>() : std::make_unique<HudImage>();
            item->SetImage("hud\\bar.bmp", 100, 20);
            if (meter)
                static_cast<HudMeter&>(*item).SetMeter(1.0f, HudMeter::kLeftToRight);
            item->SetAlignment(HudItem::kCenter, HudItem::kTop);
            item->SetPosition({c.position, 0, 0});
            item->SetScale(c.scale, 1);
            const std::vector<Rect> rects = Rects(*item);
            if (meter && c.meterWidth == 0) {
                EXPECT_TRUE(rects.empty()) << c.position << " " << c.scale;
                continue;
            }
            ASSERT_EQ(rects.size(), 1u) << c.position << " " << c.scale << " " << meter;
            EXPECT_EQ(rects[0][0], c.x) << c.position << " " << c.scale << " " << meter;
            if (meter) {
                EXPECT_EQ(rects[0][2], c.meterWidth) << c.position << " " << c.scale;
            }
        }
    }
}

TEST_F(HudItemTest, SettingAnItemParameterByNameReachesOnlyAHudElementWithAnItem)
{
    Cast cast("hud");
    auto* withItem = new HudElement;
    withItem->SetItem(std::make_unique<HudText>());
    cast.AddMember(withItem, "Score", true);
    cast.AddMember(new HudElement, "Empty", true);
    cast.AddMember(new SfxElement, "Sound", true);
    for (const char* name : {"Score", "Empty", "Sound", "Missing"})
        HudElement::SetItemParameter(cast, name, "text", "3");
    EXPECT_EQ(withItem->GetItem()->GetParameter("text"), "3");
}

}  // namespace
