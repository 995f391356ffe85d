// The story mode's screens: the save slots, the overwrite question, the leg and final
// announcements, the round results, the end of a won career and the match start. Written as
// the screen reader takes them: one root, no declaration, mark-up in square brackets,
// actions joined by ';' alone.
#include "tools/assets/menus/MenuAssets.h"

#include <cstdio>
#include <string>

namespace assets::menus {

namespace {

// Labels of these screens, numbered on from the option screens' labels.
enum Label {
    kSlots = 70600, kCreate, kLoad, kDelete, kBack, kOverwrite, kYes, kNo,
    kLeg = 70620, kOk, kContinue, kQuit, kSave, kFinal, kRoundWon, kRoundLost, kNextRound, kPlayAgain,
    kChampions, kMatchStart,
};

const std::pair<int32_t, std::string> kLabels[] = {
    {kSlots, "Story mode"},
    {kCreate, "New career"},
    {kLoad, "Continue the career"},
    {kDelete, "Delete the career"},
    {kBack, "Back"},
    {kOverwrite, "This slot holds a career. Start a new one in its place?"},
    {kYes, "Yes"},
    {kNo, "No"},
    {kLeg, "Round"},
    {kOk, "Play"},
    {kContinue, "Continue"},
    {kQuit, "Back to the main menu"},
    {kSave, "Save"},
    {kFinal, "The final"},
    {kRoundWon, "Round won!"},
    {kRoundLost, "Round lost"},
    {kNextRound, "Next round"},
    {kPlayAgain, "Play the round again?"},
    {kChampions, "Champions! The career is won."},
    {kMatchStart, "Ready for the match"},
};

constexpr float kMiddle = 0.0f;
// A right-aligned text at x -d ends d units before the right edge of the 800 units.
constexpr float kLeftColumnRight = 330.0f - 800.0f;
constexpr float kRightColumn = 470.0f;
// A centred button's x is its middle's distance from the screen's.
constexpr float kSlotButton = -160.0f;
// The buttons for a used slot stand side by side, apart by more than the wider one.
constexpr float kCareerButton = 150.0f;

std::string StaticText(const std::string& text, float x, float y, const char* halign = "center", const char* name = "")
{
    char line[400];
    const std::string named = *name ? std::string("name=\"") + name + "\" " : "";
    std::snprintf(line, sizeof line, "  <StaticText %sposition=\"%g,%g\" text=\"%s\" halign=\"%s\"/>\n", named.c_str(), x,
                  y, text.c_str(), halign);
    return line;
}

std::string Button(const char* name, const std::string& text, float x, float y, const std::string& onSelect)
{
    char line[400];
    std::snprintf(line, sizeof line,
                  "  <TextButton name=\"%s\" position=\"%g,%g\" text=\"%s\" halign=\"center\" OnSelect=\"%s\"/>\n",
                  name, x, y, text.c_str(), onSelect.c_str());
    return line;
}

std::string Title(const std::string& text, float y)
{
    return StaticText("[font menu_buttons]" + text + "[/font]", kMiddle, y);
}

std::string Slots()
{
    std::string items = Panel(60, 20, 680, 560) + Title(Text(kSlots), 40);
    float y = 104;
    for (int n = 1; n <= 5; ++n) {
        const std::string slot = "%savegame" + std::to_string(n);
        char name[16], action[64];
        std::snprintf(name, sizeof name, "slot%d", n - 1);
        std::snprintf(action, sizeof action, "SetParameter storyslot=%d;SelectedStory", n - 1);
        items += Button(name, slot + "%", kSlotButton, y, action);
        items += StaticText(slot + "_dat%" + slot + "_pro%", kRightColumn, y - 8, "left");
        y += 62;
    }
    items += Button("story_create", Text(kCreate), kMiddle, y + 10, "StartGame StoryMode");
    items += Button("story_load", Text(kLoad), kMiddle - kCareerButton, y + 10, "StartGame LastStory");
    items += Button("story_delete", Text(kDelete), kMiddle + kCareerButton, y + 10, "DeleteStory;LoadSavegameMeta");
    items += Button("back", Text(kBack), kMiddle, y + 64, "SetMenu main");
    return PlacedScreen("LoadSavegameMeta", R"(OnBack="SetMenu main" selected="slot0")", items);
}

std::string Overwrite()
{
    std::string items = Panel(120, 170, 560, 260) + StaticText(Text(kOverwrite), kMiddle, 220);
    items += Button("yes", Text(kYes), kMiddle - 100, 340, "SetMenu story_team_select");
    items += Button("no", Text(kNo), kMiddle + 100, 340, "SetMenu story_slots");
    return PlacedScreen("", R"(OnBack="SetMenu story_slots" selected="no")", items);
}

// The match ahead and the way on: "OK" or, for a resumed career, "continue" (the screen's
// check keeps one), "Save" and "quit".
std::string MatchAhead(const std::string& title, const char* play, const char* check)
{
    std::string items = Panel(120, 120, 560, 380) + Title(title, 150);
    items += StaticText("%storyteam_name% - %opponent_name%", kMiddle, 220) + StaticText("%level_name%", kMiddle, 260);
    items += Button("OK", Text(kOk), kMiddle, 320, play);
    items += Button("continue", Text(kContinue), kMiddle, 320, play);
    items += Button("Save", Text(kSave), kMiddle, 370, "Save");
    items += Button("quit", Text(kQuit), kMiddle, 420, "BackToMain");
    return PlacedScreen(check, R"(OnBack="BackToMain" selected="OK")", items);
}

std::string FinalRound()
{
    std::string items = Panel(120, 170, 560, 260) + Title(Text(kFinal), 200) + StaticText("%storyteam_name% - %opponent_name%", kMiddle, 250) +
                        StaticText("%level_name%", kMiddle, 284);
    items += Button("OK", Text(kOk), kMiddle, 340, "RunCode StoryModeLeg");
    return PlacedScreen("", R"(OnBack="RunCode StoryModeLeg" selected="OK")", items);
}

// The aggregate, the way it was decided and what was gained.
std::string RoundResult(bool won)
{
    std::string items = Panel(90, 60, 620, 480) + Title(Text(won ? kRoundWon : kRoundLost), 90);
    items += StaticText("%storyteam_name%", kLeftColumnRight, 160, "right") +
             StaticText("%opponent_name%", kRightColumn, 160, "left");
    items += StaticText("%player_awaygoals%", kLeftColumnRight, 200, "right", "player_away") +
             StaticText("%opponent_homegoals%", kRightColumn, 200, "left", "opponent_home");
    items += StaticText("%player_homegoals%", kLeftColumnRight, 240, "right", "player_home") +
             StaticText("%opponent_awaygoals%", kRightColumn, 240, "left", "opponent_away");
    items += StaticText("%round_result%", kMiddle, 290);
    if (won) {
        items += StaticText("%gained_head%", kMiddle, 340) + StaticText("%gained_list%", kMiddle, 374);
        items += Button("next", Text(kNextRound), kMiddle, 450, "NextRound");
        return PlacedScreen("CheckRoundResultType", R"(OnBack="NextRound" selected="next")", items);
    }
    items += StaticText(Text(kPlayAgain), kMiddle, 350);
    items += Button("yes", Text(kYes), kMiddle - 100, 420, "RunCode StoryModeContinueYes");
    items += Button("no", Text(kNo), kMiddle + 100, 420, "RunCode StoryModeContinueNo");
    return PlacedScreen("CheckRoundResultType", R"(selected="yes")", items);
}

std::string WinPlaceHolder()
{
    std::string items = Panel(120, 170, 560, 260) + Title(Text(kChampions), 230);
    items += Button("OK", Text(kContinue), kMiddle, 340, "SetMenu main");
    return PlacedScreen("", R"(OnBack="SetMenu main" selected="OK")", items);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> StoryScreens()
{
    return {
        {"story_slots", Slots()},
        {"overwrite", Overwrite()},
        {"leg_display", MatchAhead(Text(kLeg) + " %round_number%: %leg_number%", "Training", "CheckLegEntry")},
        {"final_round_display", FinalRound()},
        {"round_won", RoundResult(true)},
        {"round_lost", RoundResult(false)},
        {"win_place_holder", WinPlaceHolder()},
        {"matchstart", MatchAhead(Text(kMatchStart), "StartMatch", "CheckMatchstartEntry")},
    };
}

std::vector<std::pair<int32_t, std::string>> StoryScreenLabels()
{
    return {std::begin(kLabels), std::end(kLabels)};
}

}  // namespace assets::menus
