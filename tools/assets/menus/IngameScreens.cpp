// The screens the pause menu leads to: options and keys as in the front end, but going back
// to the pause menu, and the substitution screen, whose names the in-match menu fills each
// frame.
#include "tools/assets/menus/MenuAssets.h"

#include <cstdio>
#include <string>

namespace assets::menus {

namespace {

// Labels of these screens, numbered on from the single-match screens' labels.
enum Label { kSubstitution = 70900, kOnPitch, kOnBench, kChange, kBack };

const std::pair<int32_t, std::string> kLabels[] = {
    {kSubstitution, "Substitution"}, {kOnPitch, "On the pitch"}, {kOnBench, "On the bench"},
    {kChange, "Substitute"},         {kBack, "Back"},
};

constexpr int kFieldPlayers = 4;
constexpr int kBenchPlayers = 2;
constexpr float kLeftColumn = -160.0f, kRightColumn = 160.0f;
constexpr const char* kBackAction = "SetMenu ingame_menu";

// A centred text or button; x is its middle's distance from the screen's.
std::string Item(const char* widget, const std::string& name, const std::string& text, float x, float y,
                 const std::string& onSelect = "")
{
    char line[400];
    std::snprintf(line, sizeof line, "  <%s%s%s%s position=\"%g,%g\" text=\"%s\" halign=\"center\"%s%s%s/>\n", widget,
                  name.empty() ? "" : " name=\"", name.c_str(), name.empty() ? "" : "\"", x, y, text.c_str(),
                  onSelect.empty() ? "" : " OnSelect=\"", onSelect.c_str(), onSelect.empty() ? "" : "\"");
    return line;
}

// Buttons 1 to 4 mark a field player, 5 and 6 a bench player.
std::string Substitution()
{
    std::string items = "  <Image texture=\"" + std::string(kPanel) + "\" position=\"120,60\" size=\"560,480\"/>\n";
    items += Item("StaticText", "", "[font menu_buttons]" + Text(kSubstitution) + "[/font]", 0, 84);
    items += Item("StaticText", "", Text(kOnPitch), kLeftColumn, 150);
    items += Item("StaticText", "", Text(kOnBench), kRightColumn, 150);
    for (int k = 1; k <= kFieldPlayers; ++k)
        items += Item("TextButton", "player" + std::to_string(k), "%subst_player_" + std::to_string(k) + "%",
                      kLeftColumn, 150 + 46.0f * static_cast<float>(k), "SelectSubstitute " + std::to_string(k));
    for (int j = 1; j <= kBenchPlayers; ++j)
        items += Item("TextButton", "bench" + std::to_string(j), "%subst_subst_" + std::to_string(j) + "%",
                      kRightColumn, 150 + 46.0f * static_cast<float>(j),
                      "SelectSubstitute " + std::to_string(kFieldPlayers + j));
    items += Item("TextButton", "change", Text(kChange), 0, 420, "CreateSubstitute");
    items += Item("TextButton", "back", Text(kBack), 0, 470, kBackAction);
    char screen[200];
    std::snprintf(screen, sizeof screen,
                  "<Screen OnLoad=\"SetPosition 0,0,%g\" OnBack=\"%s\" selected=\"player1\">\n", PlaneDistance(),
                  kBackAction);
    return screen + items + "</Screen>\n";
}

}  // namespace

std::vector<std::pair<std::string, std::string>> IngameScreens()
{
    const std::string back = kBackAction;
    return {{"ingame_options", OptionsScreen("Accept;" + back, "Decline;" + back)},
            {"ingame_controls", ControlsScreen("Controls assign ingame_menu", "Controls decline;SetMenu ingame_menu")},
            {"ingame_substitution", Substitution()}};
}

std::vector<std::pair<int32_t, std::string>> IngameScreenLabels()
{
    return {std::begin(kLabels), std::end(kLabels)};
}

}  // namespace assets::menus
