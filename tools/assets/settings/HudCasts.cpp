// The match display: "hud.txt" (cast "hud") with the names, score, clock, energy and power
// meters, cards, drill texts and debug values the match fills in, and "penaltyhud.txt" (cast
// "penaltyhud") with the shoot-out's columns of marks; the pictures they show are painted here.
// Places are on the 800 x 600 screen every item is laid out on.
#include "framework/Cast.h"
#include "scene/GameElements.h"
#include "scene/HudItems.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/menus/MenuPaint.h"

#include <cstdio>
#include <memory>
#include <string>

namespace assets {

namespace {

constexpr Rgba kClear{0, 0, 0, 0};
const char* const kFont = "menu";
const Color kTextColour{1.0f, 1.0f, 1.0f, 1.0f};

std::string Picture(const char* name)
{
    return std::string("<PP>Hud\\<TP>") + name + ".png";
}

// A horizontal bar: a lighter top half over a darker bottom half, white so that the meter's
// colour can tint it.
Image Bar(int width, int height, Rgba top, Rgba bottom)
{
    Image image(width, height, bottom);
    for (int y = 0; y < height; ++y)
        image.FillRect(0, y, width, y + 1, Mix(top, bottom, static_cast<float>(y) / static_cast<float>(height)));
    return image;
}

Image Frame(int width, int height, Rgba fill, Rgba edge)
{
    Image image(width, height, edge);
    image.FillRect(2, 2, width - 2, height - 2, fill);
    return image;
}

Image Card()
{
    Image image(16, 32, kClear);
    image.FillRect(1, 1, 15, 31, {250, 215, 30, 255});
    return image;
}

Image Mark(Rgba colour, bool cross)
{
    Image image(32, 32, kClear);
    image.Ring(16, 16, 11, 14, {240, 240, 240, 255});
    if (cross) {
        image.Line(9, 9, 23, 23, 3.5f, colour);
        image.Line(23, 9, 9, 23, 3.5f, colour);
    } else if (colour.a) {
        image.FillCircle(16, 16, 9, colour);
    }
    return image;
}

bool WritePictures(const AssetContext& context)
{
    bool ok = true;
    const auto put = [&](const char* name, const Image& image) {
        ok = context.WriteTextureSets("Hud", name, image, 8) && ok;
    };
    put("energy_bar", Bar(128, 16, {255, 255, 255, 255}, {170, 170, 170, 255}));
    put("energy_default", Bar(128, 16, {90, 90, 100, 255}, {60, 60, 70, 255}));
    put("energy_frame", Frame(128, 16, {20, 20, 30, 200}, {230, 230, 230, 255}));
    put("power_bar", Bar(256, 16, {255, 230, 60, 255}, {230, 70, 30, 255}));
    put("power_frame", Frame(256, 16, {20, 20, 30, 200}, {230, 230, 230, 255}));
    put("power_frame_penalty", Frame(256, 16, {60, 10, 10, 200}, {250, 210, 40, 255}));
    put("yellow_card", Card());
    put("penalty_scored", Mark({60, 200, 70, 255}, false));
    put("penalty_miss", Mark({220, 50, 40, 255}, true));
    put("penalty_empty", Mark(kClear, false));
    // The banners' plate behind the texts over the stands and the pitch, painted near the
    // shape it is shown at.
    put("score_band", menus::GlassPlate(1024, 48, 16));
    put("player_band", menus::GlassPlate(256, 96, 20));
    put("drill_band", menus::GlassPlate(512, 64, 18));
    return ok;
}

// Items -----------------------------------------------------------------------------------

void Place(HudItem& item, float x, float y, int32_t horizontal, int32_t vertical, bool visible)
{
    item.SetPosition({x, y, 0});
    item.SetAlignment(horizontal, vertical);
    item.SetVisible(visible);
}

void Add(Cast& cast, const std::string& name, std::unique_ptr<HudItem> item)
{
    auto* element = new HudElement();
    element->SetItem(std::move(item));
    cast.AddDynamicMember(element, name.c_str());
}

void AddText(Cast& cast, const std::string& name, const char* text, float x, float y, int32_t align,
             bool visible = true, float scale = 1.0f)
{
    auto item = std::make_unique<HudText>();
    item->SetText(text, kFont, kTextColour);
    item->SetScale(scale, scale);
    Place(*item, x, y, align, HudItem::kTop, visible);
    Add(cast, name, std::move(item));
}

void AddImage(Cast& cast, const std::string& name, const char* picture, int width, int height, float x, float y,
              bool visible = true)
{
    auto item = std::make_unique<HudImage>();
    item->NameImage(Picture(picture), width, height);
    Place(*item, x, y, HudItem::kLeft, HudItem::kTop, visible);
    Add(cast, name, std::move(item));
}

void AddMeter(Cast& cast, const std::string& name, const char* picture, int width, int height, float x, float y,
              int32_t grow)
{
    auto item = std::make_unique<HudMeter>();
    item->NameImage(Picture(picture), width, height);
    item->SetMeter(1.0f, grow);
    // Growing from the right, the meter is placed by its right edge.
    Place(*item, grow == HudMeter::kRightToLeft ? x + static_cast<float>(width) : x, y,
          grow == HudMeter::kRightToLeft ? HudItem::kRight : HudItem::kLeft, HudItem::kTop, true);
    Add(cast, name, std::move(item));
}

// Drawn in the cast's order: each band before the texts it lies under.
void AddBands(Cast& cast)
{
    AddImage(cast, "ScoreBand", "score_band", 784, 40, 8, 5);
    AddImage(cast, "PlayerBand1", "player_band", 164, 56, 10, 530);
    AddImage(cast, "PlayerBand2", "player_band", 164, 56, 626, 530);
    AddImage(cast, "TrainingBand", "drill_band", 520, 64, 140, 52, false);
}

void AddScoreAndClock(Cast& cast)
{
    AddText(cast, "LeftTeamName", "", 340, 12, HudItem::kRight);
    AddText(cast, "LeftScore", "0", 375, 12, HudItem::kCenter);
    AddText(cast, "ScoreColon", "-", 400, 12, HudItem::kCenter);
    AddText(cast, "RightScore", "0", 425, 12, HudItem::kCenter);
    AddText(cast, "RightTeamName", "", 460, 12, HudItem::kLeft);
    AddText(cast, "TimeMinutes", "0", 730, 12, HudItem::kRight);
    AddText(cast, "TimeColon", ":", 736, 12, HudItem::kCenter);
    AddText(cast, "TimeSeconds", "00", 742, 12, HudItem::kLeft);
}

// Player 1 bottom left, player 2 bottom right, each meter drawn over its default level and
// inside its frame.
void AddPlayers(Cast& cast)
{
    for (int side = 1; side <= 2; ++side) {
        const bool left = side == 1;
        const std::string n = std::to_string(side);
        const float x = left ? 20.0f : 652.0f;
        AddText(cast, "Player" + n + "Name", "", left ? 20.0f : 780.0f, 538, left ? HudItem::kLeft : HudItem::kRight);
        AddImage(cast, "EnergyBackground" + n, "energy_frame", 128, 16, x, 562);
        const int32_t grow = left ? HudMeter::kLeftToRight : HudMeter::kRightToLeft;
        AddMeter(cast, "EnergyDefaultLevel" + n, "energy_default", 124, 12, x + 2, 564, grow);
        AddMeter(cast, "EnergyMeter" + n, "energy_bar", 124, 12, x + 2, 564, grow);
        AddImage(cast, "YellowCard" + n, "yellow_card", 12, 24, left ? 154.0f : 634.0f, 535, false);
    }
    AddImage(cast, "PowerBar_Normal_Background", "power_frame", 256, 16, 272, 575);
    AddImage(cast, "PowerBar_Penalty_Background", "power_frame_penalty", 256, 16, 272, 575, false);
    AddMeter(cast, "PowerBar", "power_bar", 252, 12, 274, 577, HudMeter::kLeftToRight);
}

void AddDrillAndDebugTexts(Cast& cast)
{
    // At the top, where the match shows its score: the drill's name and what to do in it.
    AddText(cast, "TrainingName", "", 400, 60, HudItem::kCenter, false);
    AddText(cast, "TrainingHint", "", 400, 88, HudItem::kCenter, false, 0.8f);
    // On the score line: the cycles before the count the match shows as its left score, the
    // seconds left after the clock's colon.
    AddText(cast, "FullCycles", "Cycles:", 362, 12, HudItem::kRight, false);
    AddText(cast, "CountdownSeconds", "0", 742, 12, HudItem::kLeft, false);
    const char* const labels[] = {"Energy", "Speed", "Shooting"};
    for (int side = 1; side <= 2; ++side) {
        const float x = side == 1 ? 20.0f : 620.0f;
        for (int i = 0; i < 3; ++i) {
            const std::string stat = std::string("Debug") + labels[i];
            const float y = 420.0f + 22.0f * static_cast<float>(i);
            AddText(cast, stat + "Text" + std::to_string(side), labels[i], x, y, HudItem::kLeft, false);
            AddText(cast, stat + "Value" + std::to_string(side), "0", x + 100, y, HudItem::kLeft, false);
        }
    }
}

// Five marks a side, each in its three looks, down the side's edge of the screen: the left
// team's on the left, the right team's on the right, clear of the statistics panel that shows
// over the pitch once a shoot-out is decided.
void AddPenaltyMarks(Cast& cast)
{
    constexpr float kEdgeInset = 24.0f, kMarkSize = 32.0f, kFirstMark = 180.0f, kMarkStep = 40.0f;
    const char* const looks[] = {"scored", "miss", "empty"};
    for (int side = 1; side <= 2; ++side)
        for (int mark = 1; mark <= 5; ++mark)
            for (const char* look : looks) {
                char name[48];
                std::snprintf(name, sizeof name, "PenaltyDisplay_%d_%s_p%d", mark, look, side);
                const float x = side == 1 ? kEdgeInset : 800.0f - kEdgeInset - kMarkSize;
                const float y = kFirstMark + kMarkStep * static_cast<float>(mark - 1);
                AddImage(cast, name, (std::string("penalty_") + look).c_str(), 32, 32, x, y, false);
            }
}

bool WriteHud(const AssetContext& context)
{
    bool ok = WritePictures(context);
    Cast hud("hud");
    AddBands(hud);
    AddScoreAndClock(hud);
    AddPlayers(hud);
    AddDrillAndDebugTexts(hud);
    ok = WriteCastFile(hud, context.Path("hud.txt")) && ok;
    Cast penalties("penaltyhud");
    AddPenaltyMarks(penalties);
    return WriteCastFile(penalties, context.Path("penaltyhud.txt")) && ok;
}

const GeneratorRegistrar kHud("settings.hud", &WriteHud);

}  // namespace

}  // namespace assets
