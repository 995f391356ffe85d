// The squad selection over the bench: a card per candidate that shows who is picked and
// by which side, the cursor the keys move along the bench, the prompt, what is left to pick,
// and the buttons to accept and to leave. The candidate card and the controls are macros,
// so that other selection screens can lay out their own number of candidates.
#include "tools/assets/menus/MenuAssets.h"

#include "scene/RwGraphicsSettings.h"

#include <cstdio>
#include <string>

namespace assets::menus {

namespace {

// Labels of these screens, numbered on from the single-match screens' labels.
enum Label { kAccept = 70800, kQuit, kKeepersLeft, kFieldLeft };

const std::pair<int32_t, std::string> kLabels[] = {
    {kAccept, "Start with this squad"},
    {kQuit, "Back to the main menu"},
    {kKeepersLeft, "Keepers to pick:"},
    {kFieldLeft, "Field players to pick:"},
};

constexpr int kAllStarCandidates = 10;
constexpr float kCardWidth = 72.0f, kCardHeight = 56.0f, kCardGap = 6.0f;
// The lowest row's top, above the heads of the candidates standing on the bench, so that
// no card or name covers a face or a shirt's number; rows above it stand a card and its
// name higher.
constexpr float kCardTop = 340.0f;
constexpr float kRowStep = kCardHeight + 24.0f;
constexpr float kScreenWidth = 800.0f;
// As many cards as the screen's width takes; more go into rows of equal length.
constexpr int kMostInARow = static_cast<int>((kScreenWidth + kCardGap) / (kCardWidth + kCardGap));
// Between the counters and the bench, so that a wide screen, which shows less of the
// menu's height, still shows them.
constexpr float kTitleY = 120.0f, kCommandY = 165.0f;
// The primary camera's view window while the bench is shown.
constexpr float kBenchViewWindow = 0.5f;

std::string Pair(float a, float b)
{
    char text[40];
    std::snprintf(text, sizeof text, "%g,%g", a, b);
    return text;
}

// The words in capitals are the macro's parameters, replaced by the screen's values.
std::string CandidateMacro()
{
    return "<Macro>\n"
           "  <Image name=\"PICK_ITEM\" texture=\"" + std::string(kPanel) +
           "\" position=\"CARD_POSITION\" size=\"" + Pair(kCardWidth, kCardHeight) +
           "\" OnUpdate=\"PICK_LOOK\"/>\n"
           "  <Image name=\"HOVER_ITEM\" texture=\"" + std::string(kPanel) +
           "\" position=\"CARD_POSITION\" size=\"" + Pair(kCardWidth, kCardHeight) +
           "\" color=\"1,1,1,0\" OnUpdate=\"HOVER_LOOK\" OnClick=\"PICK_ACTION\"/>\n"
           "  <StaticText position=\"NAME_POSITION\" text=\"NAME_TEXT\" halign=\"center\"/>\n"
           "</Macro>\n";
}

std::string ControlsMacro()
{
    return "<Macro>\n"
           "  <StaticText name=\"prompt\" position=\"0,36\" text=\"%action_on_allstar_menu%\" halign=\"center\"/>\n"
           "  <StaticText position=\"0,76\" text=\"[scale 0.7]" + Text(kKeepersLeft) + " %goalies_to_select%   " +
           Text(kFieldLeft) + " %fieldplayers_to_select%[/scale]\" halign=\"center\"/>\n"
           "  <GridButton name=\"selector\" value=\"selected_character\" minValue=\"0\" maxValue=\"LAST_CANDIDATE\" "
           "gridWidth=\"IN_A_ROW\" wrap=\"1\" target=\"prompt\" position=\"0,400\" text=\"\" "
           "OnChange=\"PlayerSelectionChanged\" OnSelect=\"PlayerSelectionToggle\"/>\n"
           "  <TextButton name=\"accept\" position=\"0,520\" text=\"ACCEPT_TEXT\" halign=\"center\" "
           "OnUpdate=\"PlayerSelectionFinished\" OnSelect=\"Nothing\"/>\n"
           "  <TextButton name=\"quit\" position=\"0,560\" text=\"" + Text(kQuit) +
           "\" halign=\"center\" OnSelect=\"BackToMain\" OnClick=\"BackToMain\"/>\n"
           "</Macro>\n";
}

int InARow(int count)
{
    const int rows = (count + kMostInARow - 1) / kMostInARow;
    return (count + rows - 1) / rows;
}

// Candidate n of count, in rows from the left, the last row at the bottom.
std::string Candidate(int n, int count)
{
    const int inARow = InARow(count);
    const int rows = (count + inARow - 1) / inARow;
    const int row = (n - 1) / inARow;
    const int column = (n - 1) % inARow;
    const int inThisRow = row + 1 < rows ? inARow : count - row * inARow;
    const float width = static_cast<float>(inThisRow) * kCardWidth + static_cast<float>(inThisRow - 1) * kCardGap;
    const float left = (kScreenWidth - width) * 0.5f + static_cast<float>(column) * (kCardWidth + kCardGap);
    const float top = kCardTop - static_cast<float>(rows - 1 - row) * kRowStep;
    const std::string number = std::to_string(n);
    return "  <Macro name=\"selection_candidate\" PICK_ITEM=\"pick_" + number + "\" HOVER_ITEM=\"hover_" + number +
           "\" CARD_POSITION=\"" + Pair(left, top) + "\" PICK_LOOK=\"PlayerSelectionVis 1 " + number +
           "\" HOVER_LOOK=\"PlayerSelectionVis 2 " + number + "\" PICK_ACTION=\"SelectPlayer " + number +
           "\" NAME_POSITION=\"" + Pair(left + kCardWidth * 0.5f - kScreenWidth * 0.5f, top + kCardHeight + 4.0f) +
           "\" NAME_TEXT=\"[scale 0.5]%character" + number + "_name%[/scale]\"/>\n";
}

std::string CentredText(const std::string& text, float y)
{
    return "  <StaticText position=\"0," + std::to_string(static_cast<int>(y)) + "\" text=\"" + text +
           "\" halign=\"center\"/>\n";
}

}  // namespace

float BenchPlaneDistance()
{
    // The bench narrows the view window, so the plane stands farther off to fill the same height.
    return PlaneDistance() * RwGraphicsSettings().viewY / kBenchViewWindow;
}

std::string SelectionScreen(int count, const SelectionTexts& texts)
{
    char position[60];
    std::snprintf(position, sizeof position, "SetPosition 0,0,%g", BenchPlaneDistance());
    const std::string accept = texts.accept.empty() ? Text(kAccept) : texts.accept;
    std::string items = "  <Macro name=\"selection_controls\" LAST_CANDIDATE=\"" + std::to_string(count - 1) +
                        "\" IN_A_ROW=\"" + std::to_string(InARow(count)) + "\" ACCEPT_TEXT=\"" + accept + "\"/>\n";
    for (int n = 1; n <= count; ++n)
        items += Candidate(n, count);
    if (!texts.title.empty())
        items += CentredText("[font menu_buttons]" + texts.title + "[/font]", kTitleY);
    if (!texts.command.empty())
        items += CentredText("[scale 0.7]" + texts.command + "[/scale]", kCommandY);
    // No shadows: with no panel behind the texts, each would show as a second copy over the
    // stands.
    return "<Screen OnLoad=\"" + std::string(position) +
           "\" OnBack=\"BackToMain\" selected=\"selector\" noShadow=\"true\">\n" + items + "</Screen>\n";
}

std::vector<std::pair<std::string, std::string>> SelectionScreens()
{
    return {
        {"macro_selection_candidate", CandidateMacro()},
        {"macro_selection_controls", ControlsMacro()},
        {"3dMenues/AllStarMulti10p", SelectionScreen(kAllStarCandidates, {})},
        // The story match's line-up, before the match and again at half time, and the players
        // gained after a round, accepted with the words the story sets for each. At half time a
        // side short of players after red cards, or of bench after a change, picks on fewer.
        {"3dMenues/InGameSelection3p", SelectionScreen(3, kLineUpTexts)},
        {"3dMenues/InGameSelection4p", SelectionScreen(4, kLineUpTexts)},
        {"3dMenues/InGameSelection5p", SelectionScreen(5, kLineUpTexts)},
        {"3dMenues/InGameSelection6p", SelectionScreen(6, kLineUpTexts)},
        {"3dMenues/InGameSelection7p", SelectionScreen(7, kLineUpTexts)},
        {"3dMenues/TrainingMainSelection4p", SelectionScreen(4, {"", "%s4p_command%", ""})},
        {"3dMenues/TrainingMainSelection12p", SelectionScreen(12, {"", "%s12p_command%", ""})},
    };
}

std::vector<std::pair<int32_t, std::string>> SelectionScreenLabels()
{
    return {std::begin(kLabels), std::end(kLabels)};
}

}  // namespace assets::menus
