// The default text tables: "text.csv" and "text_xsxl.csv", the same texts for both game
// sizes, as cp1252 bytes.
#include "frontend/loading/MatchLoading.h"
#include "frontend/menu/TBMenuToggles.h"
#include "match/period/MatchPeriod.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/menus/MenuAssets.h"
#include "tools/assets/text/TextAssets.h"

#include <cstdio>

namespace assets::text {

namespace {

using Texts = std::vector<std::pair<int32_t, std::string>>;

void StoryTexts(Texts& t)
{
    t.insert(t.end(), {
        {10013, "The Lizards"}, {10014, "The Rhinos"}, {10015, "The Primates"},
        {10016, "The Pandas of the North"}, {10017, "The Desert Lizards"}, {10018, "The Mountain Rhinos"},
        // Who plays a single match, by the "players" choice 0 to 2.
        {10201, "Computer against computer"}, {10202, "One player"}, {10203, "Two players"},
        {10204, "All-Star Team"},
        {10408, "You have won new players:"}, {10409, "You have won this round before: no new players."},
        {10420, "Round over:"}, {10421, "decided by goals."}, {10423, "decided on penalties."},
        {20101, "First leg"}, {20102, "Second leg"}, {20103, "Final"},
        {20201, "Bamboo Park"}, {20202, "Sunset Arena"}, {20203, "Stone Valley"}, {20204, "Jungle Dome"},
    });
}

void TrainingTexts(Texts& t)
{
    t.insert(t.end(), {
        // What to do in each drill, shown as it starts and under its name while it runs.
        {20402, "Pass round all three of you, again and again!"},
        {20403, "Carry the ball past the defenders into the goal!"},
        {20404, "Shoot past the keeper!"}, {20405, "Keep the ball out of the goal!"},
        // What each selection asks for: one of the three members for a drill, two of the
        // opponent's players for a team of five, seven of both teams for a team of seven.
        {20520, "Choose your players"}, {20521, "Choose the player for this drill"},
        {20522, "Choose two players to join your team"}, {20524, "Choose your line-up"},
        {20536, "Choose your seven from both teams"},
    });
    for (int p = 0; p < 10; ++p)
        t.emplace_back(20541 + p, "Choose player " + std::to_string(p + 1));
    t.insert(t.end(), {
        {20551, "Your squad is complete: press Return!"},
        {20570, "Player 1:"}, {20571, "Player 2:"},
        // 20580 prompts every story selection that picks freely (the training's, the gained
        // players'), most of which pick no keeper, and a line-up until its keeper is picked.
        {20580, "Choose with the arrows, pick with Return"},
        {20581, "Choose your defenders"}, {20582, "Choose your midfield"},
        {20583, "Choose your strikers"}, {20584, "Choose your substitutes"},
        {20901, "Passing training"}, {20902, "Dribbling training"}, {20903, "Shooting training"},
        {20904, "Goalkeeping training"},
    });
}

// The screen sizes and the halves' lengths as the game runs them.
void OptionTexts(Texts& t)
{
    int width = 0, height = 0;
    for (int value = 0; TBMenuToggles::GetResolutionSize(value, width, height); ++value)
        t.emplace_back(60111 + value, std::to_string(width) + " x " + std::to_string(height));
    for (int h = 0; h < MatchLoading::kClockRateCount; ++h) {
        char minutes[32];
        const float half = static_cast<float>(MatchPeriod::kEndMinute[0]) / MatchLoading::kClockRates[h];
        std::snprintf(minutes, sizeof minutes, "%g minutes", half);
        t.emplace_back(60301 + h, minutes);
    }
}

void MenuTexts(Texts& t)
{
    t.insert(t.end(), {
        {30302, "Yes"}, {30303, "No"}, {30316, "Start the match"}, {30318, "Start training"},
        {30319, "Free slot"}, {30320, "Progress:"}, {30322, "Continue the match"},
        // What the message screen says after a save, a failed write or an unreadable career list.
        {30330, "Career saved"}, {30331, "Not saved: try again"}, {30332, "Career list repaired"},
        {30453, "Press a key or a button"}, {30501, "Keyboard"}, {30502, "Joystick"},
        {50206, "Perfect!"},
        {60101, "Off"}, {60102, "On"},
        {60121, "Low"}, {60122, "Medium"}, {60123, "High"},
    });
    for (int v = 0; v <= 10; ++v)
        t.emplace_back(60201 + v, std::to_string(v * 10) + "%");
    OptionTexts(t);
    t.insert(t.end(), {
        {60501, "First half"}, {60502, "Second half"}, {60503, "Extra time, first half"},
        {60504, "Extra time, second half"},
        {60510, "End of the"}, {60511, "Match abandoned"}, {60512, "Full time"},
    });
}

void KeyNames(Texts& t)
{
    const char* keys[] = {"Up",        "Down",      "Left",   "Right",      "Ctrl",   "Shift",  "Alt",
                          "Space",     "Return",    "Backspace", "Insert", "Delete", "Home",   "End",
                          "Page Up",   "Page Down", "Tab",    "Caps Lock",  ";",      "Grave",  "Bracket",
                          "'",         "Num /",     "Num Sep", "Num *",     "Num +",  "Num -",  "Num ."};
    for (int k = 0; k < 28; ++k)
        t.emplace_back(80511 + k, keys[k]);
}

void OwnTexts(Texts& t)
{
    t.insert(t.end(), {
        {70001, "Every font of the game"}, {70002, "A text the table does not hold:"},
    });
    for (const auto& family : {menus::ScreenLabels(), menus::OptionScreenLabels(), menus::StoryScreenLabels(),
                               menus::SingleMatchScreenLabels(), menus::SelectionScreenLabels(),
                               menus::IngameScreenLabels(), menus::TrainingScreenLabels()})
        t.insert(t.end(), family.begin(), family.end());
}

void Credits(Texts& t)
{
    const char* lines[] = {
        "<font menu_buttons>TURFBOLT</font>", "", "<font selected>Game design</font>", "The Turfbolt team", "",
        "<font selected>Programming</font>", "The Turfbolt team", "", "<font selected>Fonts</font>",
        "DejaVu fonts, Bitstream Vera derived", "", "<font selected>Thanks to</font>",
        "Everyone who played: merci, danke, gr\341cias!", "", "<scale 0.8>Press a button to go back</scale>",
    };
    for (const char* line : lines)
        t.emplace_back(99999, line);
}

bool WriteTexts(const AssetContext& context)
{
    std::string table = "# number;text\n";
    for (const auto& [number, text] : DefaultTexts())
        table += std::to_string(number) + ";" + CsvField(text) + "\n";
    return WriteTextFile(context.Path("text.csv"), table) && WriteTextFile(context.Path("text_xsxl.csv"), table);
}

const GeneratorRegistrar kTexts("text.tables", &WriteTexts);

}  // namespace

const std::vector<std::pair<int32_t, std::string>>& DefaultTexts()
{
    static const Texts texts = [] {
        Texts t;
        StoryTexts(t);
        TrainingTexts(t);
        MenuTexts(t);
        OwnTexts(t);
        KeyNames(t);
        Credits(t);
        return t;
    }();
    return texts;
}

std::string CsvField(const std::string& text)
{
    const bool quote = text.find_first_of(";\"") != std::string::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote)
        return text;
    std::string field = "\"";
    for (char c : text)
        field += c == '"' ? std::string("\"\"") : std::string(1, c);
    return field + "\"";
}

}  // namespace assets::text
