// The menu screens the game and the match open by name: the main menu, the match banners,
// the statistics, the forfeit notice and the pause menu. Written as the screen reader takes
// them: one root, no declaration, mark-up in square brackets, actions joined by ';' alone.
#include "scene/RwGraphicsSettings.h"
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/menus/MenuAssets.h"

#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace assets::menus {

namespace {

// The game's screen sizes are all 4:3.
constexpr float kScreenAspect = 4.0f / 3.0f;
constexpr float kCentreX = 400.0f;

// A text is laid out in the whole screen and then moved by its position, so a centred text
// is placed by how far its middle lies from the screen's.
float PlacedX(float x, const std::string& halign)
{
    return halign == "center" ? x - kCentreX : x;
}

using Attributes = std::vector<std::pair<std::string, std::string>>;

std::string Pair(float a, float b)
{
    char text[40];
    std::snprintf(text, sizeof text, "%g,%g", a, b);
    return text;
}

// The opening tag up to its closing bracket.
std::string Tag(const std::string& name, const Attributes& attributes)
{
    std::string text = "<" + name;
    for (const auto& [key, value] : attributes)
        text += " " + key + "=\"" + value + "\"";
    return text;
}

std::string Element(const std::string& name, const Attributes& attributes)
{
    return "  " + Tag(name, attributes) + "/>\n";
}

std::string Screen(const Attributes& attributes, const std::string& items)
{
    return Tag("Screen", attributes) + ">\n" + items + "</Screen>\n";
}

// Every screen's plane starts on the camera; extra actions follow.
std::string OnLoad(const std::string& more = "")
{
    char text[60];
    std::snprintf(text, sizeof text, "SetPosition 0,0,%g", PlaneDistance());
    return text + (more.empty() ? "" : ";" + more);
}

std::string Image(const std::string& texture, float x, float y, float w, float h, bool flat = false,
                  const std::string& name = "")
{
    Attributes attributes;
    if (!name.empty())
        attributes.emplace_back("name", name);
    attributes.insert(attributes.end(), {{"texture", texture}, {"position", Pair(x, y)}, {"size", Pair(w, h)}});
    if (flat)
        attributes.emplace_back("is3d", "0");
    return Element("Image", attributes);
}

std::string Static(const std::string& text, float x, float y, const char* halign = "center",
                   const std::string& name = "")
{
    Attributes attributes;
    if (!name.empty())
        attributes.emplace_back("name", name);
    attributes.insert(attributes.end(),
                      {{"position", Pair(PlacedX(x, halign), y)}, {"text", text}, {"halign", halign}});
    return Element("StaticText", attributes);
}

std::string Button(const std::string& name, int label, float y, const std::string& onSelect)
{
    return Element("TextButton", {{"name", name},
                                  {"position", Pair(PlacedX(kCentreX, "center"), y)},
                                  {"text", Text(label)},
                                  {"halign", "center"},
                                  {"OnSelect", onSelect}});
}

std::string Big(const std::string& text)
{
    return "[font menu_buttons]" + text + "[/font]";
}

// Labels of the screens below, numbered from 70100 so that they follow the tools' own texts.
enum Label {
    kSingle = 70100, kStory, kOptions, kControls, kCredits, kQuit,
    kThrowIn = 70200, kCorner, kGoalKick, kGoal, kFreeKick, kPenalty, kRedCard,
    kGoals = 70300, kCorners, kFreeKicks, kPenaltyKicks, kFouls, kYellowCards, kRedCards, kPossession,
    kMostValuable, kContinue, kForfeit,
    kPause = 70400, kResume, kBackToMain, kSubstitution,
};

struct ColumnButton {
    const char* name;
    Label label;
    const char* action;
};

// Centred buttons from y down, step apart.
std::string ButtonColumn(std::initializer_list<ColumnButton> buttons, float y, float step)
{
    std::string items;
    for (const ColumnButton& button : buttons) {
        items += Button(button.name, button.label, y, button.action);
        y += step;
    }
    return items;
}

std::string Main()
{
    std::string items = Element("PalmTree", {{"texture", kPalm}, {"position", "-40,140"}, {"size", "230,460"}});
    items += Element("PalmTree", {{"texture", kPalm}, {"position", "620,110"}, {"size", "210,420"}});
    items += Image(kDefaultLogo, 200, 24, 400, 150, false, "gamelogo");
    items += ButtonColumn({{"single", kSingle, "SetMenu select_players"}, {"storymode", kStory, "SetMenu story_slots"},
                           {"options", kOptions, "SetMenu options"},      {"controls", kControls, "SetMenu controls"},
                           {"credits", kCredits, "SetMenu credits"},      {"quit", kQuit, "QuitGame"}},
                          215, 52);
    items += Static("[scale 0.6]%build_info%[/scale]", 12, 574, "left", "build_info");
    return Screen({{"OnLoad", OnLoad("CheckGameVersion")}, {"OnBack", "QuitGame"}, {"selected", "single"}}, items);
}

// A plate near the top of the view, clear of play, with one line or two; a longer line
// widens it.
std::string Banner(const std::string& text)
{
    const std::string plate = Element("Image", {{"texture", kPanel},
                                                {"position", "170,40"},
                                                {"size", "460,110"},
                                                {"fitText", "message"},
                                                {"fitMargin", "36"}});
    return Screen({{"OnLoad", OnLoad()}}, plate + Static(text, kCentreX, 62, "center", "message"));
}

std::string Continue(float y)
{
    return Button("continue", kContinue, y, "Nothing");
}

// The statistics of the match, the home side left and the away side right.
std::string Statistics(bool background)
{
    std::string items;
    if (background) {
        items += Image(kBackground, 0, 0, 800, 600, true);
        items += Element("PalmTree", {{"texture", kPalm}, {"position", "640,120"}, {"size", "200,400"}});
    }
    items += Image(kPanel, 90, 30, 620, 540);
    items += Static(Big("%match_period%"), kCentreX, 48);
    items += Static("%home_team_name%", 230, 104) + Static("%away_team_name%", 570, 104);
    const struct {
        Label label;
        const char* variable;
        const char* unit;
    } rows[] = {
        {kGoals, "goals", ""},           {kCorners, "corners", ""},         {kFreeKicks, "freekicks", ""},
        {kPenaltyKicks, "penaltykicks", ""}, {kFouls, "fouls", ""},         {kYellowCards, "yellowcards", ""},
        {kRedCards, "redcards", ""},     {kPossession, "posession", "%"},
    };
    float y = 142;
    for (const auto& row : rows) {
        const std::string name = std::string("_team_") + row.variable + "%" + row.unit;
        items += Static("%home" + name, 230, y) + Static(Text(row.label), kCentreX, y) + Static("%away" + name, 570, y);
        y += 34;
    }
    items += Static(Text(kMostValuable), kCentreX, y + 8) + Static(Big("%most_valuable%"), kCentreX, y + 36);
    items += Continue(y + 86);
    return Screen({{"OnLoad", OnLoad()}, {"OnBack", "Nothing"}, {"selected", "continue"}}, items);
}

std::string Forfeit()
{
    std::string items = Image(kBackground, 0, 0, 800, 600, true);
    items += Image(kPanel, 120, 170, 560, 260);
    items += Static(Big("%match_period%"), kCentreX, 196);
    items += Static(Text(kForfeit), kCentreX, 270);
    items += Continue(350);
    return Screen({{"OnLoad", OnLoad()}, {"OnBack", "Nothing"}, {"selected", "continue"}}, items);
}

std::string Pause()
{
    std::string items = Image(kPanel, 230, 130, 340, 360);
    items += Static(Big(Text(kPause)), kCentreX, 156);
    items += ButtonColumn({{"resume", kResume, "Nothing"},
                           {"options", kOptions, "SetMenu ingame_options"},
                           {"controls", kControls, "SetMenu ingame_controls"},
                           {"substitution", kSubstitution, "SetMenu ingame_substitution"},
                           {"backtomain", kBackToMain, "BackToMain"}},
                          230, 48);
    return Screen({{"OnLoad", OnLoad()}, {"OnBack", "Nothing"}, {"selected", "resume"}}, items);
}

bool WriteScreens(const AssetContext& context)
{
    bool ok = true;
    for (const auto& [name, text] : Screens())
        ok = WriteTextFile(context.Path(std::string(kScreenFolder) + "/" + name + ".xml"), text) && ok;
    return ok;
}

const GeneratorRegistrar kScreens("menus.screens", &WriteScreens);

}  // namespace

std::string Text(int number)
{
    return "%" + std::to_string(number) + "%";
}

std::string Panel(float x, float y, float w, float h)
{
    char line[160];
    std::snprintf(line, sizeof line, "  <Image texture=\"%s\" position=\"%g,%g\" size=\"%g,%g\"/>\n", kPanel, x, y, w, h);
    return line;
}

std::string PlacedScreen(const std::string& onLoad, const std::string& attributes, const std::string& items)
{
    char position[60];
    std::snprintf(position, sizeof position, "SetPosition 0,0,%g", PlaneDistance());
    const std::string load = onLoad.empty() ? position : std::string(position) + ";" + onLoad;
    return "<Screen OnLoad=\"" + load + "\" " + attributes + ">\n" + items + "</Screen>\n";
}

float PlaneDistance()
{
    // The engine's vertical half extent at distance 1 is the view window's y over the aspect;
    // the plane is one unit high (its 600 units scaled to the screen's height, divided by it).
    const float halfHeight = RwGraphicsSettings().viewY / kScreenAspect;
    return 0.5f / halfHeight;
}

std::vector<std::pair<std::string, std::string>> Screens()
{
    std::vector<std::pair<std::string, std::string>> screens = {
        {"main", Main()},
        {"message_throwin", Banner(Big(Text(kThrowIn)))},
        {"message_corner", Banner(Big(Text(kCorner)))},
        {"message_goalkick", Banner(Big(Text(kGoalKick)))},
        {"message_goal", Banner(Big(Text(kGoal)) + "[br]%scorer%")},
        {"message_freekick", Banner(Big(Text(kFreeKick)))},
        {"message_penaltykick", Banner(Big(Text(kPenalty)))},
        {"message_redcard", Banner(Big(Text(kRedCard)) + "[br]%scorer%")},
        {"message_dynamic", Banner(Big("%dynamic_message%"))},
        {"game_stat", Statistics(false)},
        {"game_stat_wbg", Statistics(true)},
        {"fouloverkill_penalty", Forfeit()},
        {"ingame_menu", Pause()},
    };
    for (const auto& family :
         {OptionScreens(), StoryScreens(), SingleMatchScreens(), SelectionScreens(), IngameScreens(), TrainingScreens()})
        screens.insert(screens.end(), family.begin(), family.end());
    return screens;
}

const std::vector<std::pair<int32_t, std::string>>& ScreenLabels()
{
    static const std::vector<std::pair<int32_t, std::string>> labels = {
        {kSingle, "Single match"}, {kStory, "Story mode"}, {kOptions, "Options"}, {kControls, "Controls"},
        {kCredits, "Credits"}, {kQuit, "Quit"},
        {kThrowIn, "Throw-in"}, {kCorner, "Corner"}, {kGoalKick, "Goal kick"}, {kGoal, "Goal!"},
        {kFreeKick, "Free kick"}, {kPenalty, "Penalty!"}, {kRedCard, "Red card!"},
        {kGoals, "Goals"}, {kCorners, "Corners"}, {kFreeKicks, "Free kicks"}, {kPenaltyKicks, "Penalty kicks"},
        {kFouls, "Fouls"}, {kYellowCards, "Yellow cards"}, {kRedCards, "Red cards"}, {kPossession, "Possession"},
        {kMostValuable, "Player of the match"}, {kContinue, "Continue"},
        {kForfeit, "Three red cards: the match is lost"},
        {kPause, "Pause"}, {kResume, "Resume"}, {kBackToMain, "Back to the main menu"},
        {kSubstitution, "Substitution"},
    };
    return labels;
}

}  // namespace assets::menus
