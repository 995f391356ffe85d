// The story leg's training screens: the start, the chosen members before each drill, the way
// on after it, the four drills' results and the member selections. Written as the screen
// reader takes them: one root, no declaration, mark-up in square brackets, actions joined by
// ';' alone.
#include "tools/assets/menus/MenuAssets.h"

#include <cstdio>
#include <string>

namespace assets::menus {

namespace {

// Labels of these screens, in a block of their own.
enum Label {
    kTraining = 71100, kChoose, kSave, kBack, kNextDrill, kEarned, kPoints, kOk,
    kEnergy, kSpeed, kShooting, kKeeper, kDrillMember, kDrillOver,
};

const std::pair<int32_t, std::string> kLabels[] = {
    {kTraining, "Training"},
    {kChoose, "Choose the players who train"},
    {kSave, "Save"},
    {kBack, "Back to the main menu"},
    {kNextDrill, "Next drill"},
    {kEarned, "The drill earned"},
    {kPoints, "points"},
    {kOk, "OK"},
    {kEnergy, "Energy"},
    {kSpeed, "Speed"},
    {kShooting, "Shooting"},
    {kKeeper, "Keeper"},
    {kDrillMember, "In this drill"},
    {kDrillOver, "The drill is over."},
};

constexpr float kMiddle = 0.0f;
constexpr float kNameColumn = -200.0f;
constexpr float kValueColumns[] = {20.0f, 120.0f, 220.0f};
constexpr const char* kAttributes[] = {"energy", "speed", "shooting"};

std::string StaticText(const std::string& text, float x, float y)
{
    char line[400];
    std::snprintf(line, sizeof line, "  <StaticText position=\"%g,%g\" text=\"%s\" halign=\"center\"/>\n", x, y,
                  text.c_str());
    return line;
}

std::string Button(const char* name, int label, float y, const char* onSelect)
{
    char line[400];
    std::snprintf(line, sizeof line,
                  "  <TextButton name=\"%s\" position=\"%g,%g\" text=\"%s\" halign=\"center\" OnSelect=\"%s\"/>\n",
                  name, kMiddle, y, Text(label).c_str(), onSelect);
    return line;
}

std::string Title(const std::string& text, float y)
{
    return StaticText("[font menu_buttons]" + text + "[/font]", kMiddle, y);
}

std::string ValueHeads(float y)
{
    std::string items;
    const int heads[] = {kEnergy, kSpeed, kShooting};
    for (int k = 0; k < 3; ++k)
        items += StaticText(Text(heads[k]), kValueColumns[k], y);
    return items;
}

// One member's name and three values; the variables are "%<stem>%" and "%<stem>_<value>%".
std::string MemberRow(const std::string& stem, float y)
{
    std::string items = StaticText("%" + stem + "%", kNameColumn, y);
    for (int k = 0; k < 3; ++k)
        items += StaticText("%" + stem + "_" + kAttributes[k] + "%", kValueColumns[k], y);
    return items;
}

std::string Start()
{
    std::string items = Panel(120, 150, 560, 300) + Title(Text(kTraining), 180);
    items += Button("select", kChoose, 260, "SelectMainPlayers");
    items += Button("Save", kSave, 310, "Save");
    items += Button("quit", kBack, 360, "BackToMain");
    return PlacedScreen("", R"(OnBack="BackToMain" selected="select")", items);
}

// The three members who train with their values, the keeper, and who plays the next drill.
std::string Load()
{
    std::string items = Panel(60, 60, 680, 480) + Title(Text(kTraining), 80) + ValueHeads(130);
    for (int n = 1; n <= 3; ++n)
        items += MemberRow("training_player" + std::to_string(n), 130.0f + 40.0f * static_cast<float>(n));
    items += StaticText(Text(kKeeper) + ": %training_player_goalie%", kMiddle, 310);
    items += StaticText(Text(kDrillMember) + ": %training_player_subselect%", kMiddle, 350);
    items += Button("OK", kNextDrill, 430, "StartTraining");
    items += Button("quit", kBack, 480, "BackToMain");
    return PlacedScreen("", R"(OnBack="BackToMain" selected="OK")", items);
}

// After a drill's results: only the way on, so that the points are not shown twice.
std::string Advance()
{
    std::string items = Panel(120, 170, 560, 260) + Title(Text(kTraining), 200);
    items += StaticText(Text(kDrillOver), kMiddle, 270);
    items += Button("OK", kOk, 350, "AdvanceTraining");
    return PlacedScreen("", R"(OnBack="AdvanceTraining" selected="OK")", items);
}

// The values after the drill, shown over the pitch; "Nothing" closes it.
std::string Results(const std::string& rows, int rowCount)
{
    const float bottom = 170.0f + 40.0f * static_cast<float>(rowCount);
    std::string items = Panel(60, 90, 680, bottom + 30.0f) + Title(Text(kEarned) + " %add_points% " + Text(kPoints), 110);
    items += ValueHeads(160) + rows;
    items += Button("OK", kOk, bottom + 40.0f, "Nothing");
    return PlacedScreen("", R"(OnBack="Nothing" selected="OK")", items);
}

std::string PassingResults()
{
    std::string rows;
    for (int n = 1; n <= 3; ++n)
        rows += MemberRow("training_player" + std::to_string(n), 160.0f + 40.0f * static_cast<float>(n));
    return Results(rows, 3);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> TrainingScreens()
{
    return {
        {"training", Start()},
        {"training_load", Load()},
        {"training_advance", Advance()},
        {"training_results_1", PassingResults()},
        {"training_results_2", Results(MemberRow("training_player_subselect", 200), 1)},
        {"training_results_3", Results(MemberRow("training_player_subselect", 200), 1)},
        {"training_results_4", Results(MemberRow("training_player_goalie", 200), 1)},
        // "%s3p_command%" while the pick is left: "%20521%".
        {"3dMenues/TrainingMainSelection3p", SelectionScreen(3, {"%s3p_title%", "%20521%", ""})},
        {"3dMenues/TrainingMainSelection5p", SelectionScreen(5, kLineUpTexts)},
        {"3dMenues/TrainingMainSelection7p", SelectionScreen(7, kLineUpTexts)},
    };
}

std::vector<std::pair<int32_t, std::string>> TrainingScreenLabels()
{
    return {std::begin(kLabels), std::end(kLabels)};
}

}  // namespace assets::menus
