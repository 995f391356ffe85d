#include "engine/core/NullDevice.h"
#include "support/TextTestSupport.h"
#include "tests/support/OffscreenEngine.h"
#include "text/HudTextDisplay.h"
#include "text/TextDisplay.h"
#include "text/TextManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace texttest;

// Glyphs of the test font are 10 wide and 11 high.
constexpr int kAdvance = 10;

class HudTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TextDisplay::DestroyInstance();
        display = TextDisplay::Instance();
        ASSERT_TRUE(MakeBlockFont(font, "abcdefghijklmnopqrstuvwxyzPS0123456789%", kAdvance));
        display->RegisterFont("default", &font);
        display->Init();
        const std::string table = "60501;Pandas\n60502;Sloths\n";
        TextManager::Instance()->LoadText(table.data(), table.size(), "hud texts");
    }
    void TearDown() override
    {
        TextDisplay::DestroyInstance();
        TextManager::Instance()->Clear();
        HudItem::SetScreenSize(800, 600);
    }

    // Where the first character of each draw of the item lands.
    std::vector<std::vector<float>> Drawn(HudItem& item)
    {
        NullCameraUpdate update;
        RwNullDeviceGet()->ClearLog();
        item.Render();
        std::vector<std::vector<float>> corners;
        for (const RwNullDrawRecord& draw : RwNullDeviceGet()->draws)
            corners.push_back({draw.corners2D[0].x, draw.corners2D[0].y, draw.corners2D[2].x - draw.corners2D[0].x});
        return corners;
    }

    ScopedEngine engine;
    TextDisplay* display = nullptr;
    Font font;
};

TEST_F(HudTextTest, TheTextLayerIsTheHudsServiceAndExpandsOnlyTextIdsItHolds)
{
    ASSERT_NE(dynamic_cast<HudTextDisplay*>(GetHudTextService()), nullptr);
    HudTextService& service = *GetHudTextService();
    const std::pair<std::string, std::string> cases[] = {
        {"%60501%", "Pandas"},          {"%60501% v %60502%", "Pandas v Sloths"},
        {"%60501%%60502%", "PandasSloths"}, {"%1%", "%1%"},
        {"100%", "100%"},               {"%x%60501%", "%xPandas"},
        {"%%", "%%"},                   {"", ""},
    };
    for (const auto& [text, expanded] : cases)
        EXPECT_EQ(service.Expand(text), expanded) << text;
}

TEST_F(HudTextTest, AHudTextIsMeasuredAndPrintedAtItsPlaceInItsFontAndScale)
{
    HudText text;
    text.SetText("%60501%", "default", Color(1, 1, 1, 1));
    text.SetPosition({400, 300, 0});
    text.SetAlignment(HudItem::kCenter, HudItem::kTop);
    int width = 0, height = 0;
    text.GetSize(width, height);
    EXPECT_EQ(std::pair(width, height), std::pair(6 * kAdvance, 11));

    display->SetArea({5, 5, 20, 20});
    display->SetGlobalScale(0.5f, 0.5f);
    const auto drawn = Drawn(text);
    ASSERT_EQ(drawn.size(), 6u);
    EXPECT_EQ(drawn[0], (std::vector<float>{370, 300, kAdvance}));
    // The display is left as the HUD found it.
    EXPECT_EQ(display->GetArea(), (TextRect{5, 5, 20, 20}));
    EXPECT_EQ(std::pair(display->GetGlobalScaleX(), display->GetGlobalScaleY()), std::pair(0.5f, 0.5f));

    HudItem::SetScreenSize(1600, 1200);
    text.SetParameter("text", "%60501%");
    const auto scaled = Drawn(text);
    ASSERT_EQ(scaled.size(), 7u);
    EXPECT_EQ(scaled[0], (std::vector<float>{800 - 7 * kAdvance, 600, 2 * kAdvance}));
}

}  // namespace
