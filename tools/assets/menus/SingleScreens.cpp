// The single-match screens: how many play, team one, team two (or the all-star pool) and
// the stadium, each leading to the next and back.
#include "tools/assets/menus/MenuAssets.h"

#include <cstdio>
#include <string>

namespace assets::menus {

namespace {

// The stadiums' names in the text tables, by level number from 1.
constexpr int kLevelNames = 20200;

// The "players" choices' names in the text tables, from 0 humans; the line under the buttons
// shows the same words for the choice made.
constexpr int kPlayerChoices = 10201;

// Labels of these screens, numbered on from the story screens' labels.
enum Label { kPlayers = 70700, kTeamOne = 70704, kTeamTwo, kLevel, kBack };

const std::pair<int32_t, std::string> kLabels[] = {
    {kPlayers, "Who plays?"},
    {kTeamOne, "Choose the home team"},
    {kTeamTwo, "Choose the away team"},
    {kLevel, "Choose the stadium"},
    {kBack, "Back"},
};

constexpr int kTeams = 8;
constexpr int kLevels = 4;
// A centred item's x is its middle's distance from the screen's.
constexpr float kLeftColumn = -200.0f, kRightColumn = 200.0f;

std::string Button(const std::string& name, const std::string& text, float x, float y, const std::string& onSelect)
{
    return "  <TextButton name=\"" + name + "\" position=\"" + std::to_string(x) + "," + std::to_string(y) +
           "\" text=\"" + text + "\" halign=\"center\" OnSelect=\"" + onSelect + "\"/>\n";
}

std::string Title(const std::string& text)
{
    return "  <StaticText position=\"0,40\" text=\"[font menu_buttons]" + text + "[/font]\" halign=\"center\"/>\n";
}

// The button's text line: its y is the top of the line, and the capitals of the buttons' font
// run from 4 to 19 units below it.
constexpr float kTextMiddle = 11.5f;
constexpr float kImageWidth = kCrestWidth / 2, kImageHeight = kCrestHeight / 2;

// A small picture left of a button, hidden with it and centred on its text line.
std::string ButtonImage(const std::string& button, const std::string& texture, float x, float y)
{
    char line[200];
    std::snprintf(line, sizeof line, "  <Image name=\"%s_img\" texture=\"%s\" position=\"%g,%g\" size=\"%g,%g\"/>\n",
                  button.c_str(), texture.c_str(), x + 400.0f - 190.0f, y + kTextMiddle - kImageHeight / 2, kImageWidth,
                  kImageHeight);
    return line;
}

std::string Players()
{
    std::string items = Title(Text(kPlayers));
    for (int n = 0; n < 3; ++n)
        items += Button("players" + std::to_string(n), Text(kPlayerChoices + n), 0, 180.0f + 60.0f * n,
                        "SetParameter players=" + std::to_string(n) + ";AdvanceMenu select_team_one");
    items += Button("back", Text(kBack), 0, 480, "SetMenu main");
    return PlacedScreen("", R"(OnBack="SetMenu main" selected="players1")", items);
}

// Two columns of teams, the all-star pool below them.
std::string Teams(bool first)
{
    std::string items = Title(Text(first ? kTeamOne : kTeamTwo));
    for (int i = 0; i < kTeams; ++i) {
        const std::string name = "team" + std::to_string(i);
        const float x = i % 2 == 0 ? kLeftColumn : kRightColumn;
        const float y = 120.0f + 60.0f * static_cast<float>(i / 2);
        const std::string action =
            first ? "SetParameter firstPlayer=" + name + ";AdvanceMenu select_team_two" : "AdvanceMenu select_level";
        items += Button(name, "%single_team_player" + std::to_string(i) + "%", x, y, action);
        items += ButtonImage(name, TeamCrest(i), x, y);
    }
    items += Button("allstar", "%10204%", 0, 380, first ? "AdvanceMenu select_team_two" : "AdvanceMenu select_level");
    const std::string back = first ? "SetMenu select_players" : "BackStepMenu select_team_one";
    items += Button("back", Text(kBack), 0, 480, back);
    return PlacedScreen("CheckSingleList", "OnBack=\"" + back + "\" selected=\"team0\"", items);
}

std::string Levels()
{
    std::string items = Title(Text(kLevel));
    for (int i = 0; i < kLevels; ++i) {
        const std::string name = "level" + std::to_string(i);
        const std::string level = "level0" + std::to_string(i + 1);
        const float y = 140.0f + 60.0f * static_cast<float>(i);
        items += Button(name, Text(kLevelNames + i + 1), 0, y, "SetParameter level=" + level + ";StartGame SingleMatch");
        items += ButtonImage(name, LevelEmblem(i), 0, y);
    }
    const std::string back = "BackStepMenu select_team_two";
    items += Button("back", Text(kBack), 0, 480, back);
    return PlacedScreen("CheckLevelList", "OnBack=\"" + back + "\" selected=\"level0\"", items);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> SingleMatchScreens()
{
    return {
        {"select_players", Players()},
        {"select_team_one", Teams(true)},
        {"select_team_two", Teams(false)},
        {"select_level", Levels()},
    };
}

std::vector<std::pair<int32_t, std::string>> SingleMatchScreenLabels()
{
    return {std::begin(kLabels), std::end(kLabels)};
}

}  // namespace assets::menus
