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
const char* const kStoryAccept = "%s7p_selection_accept%";
constexpr float kCardWidth = 72.0f, kCardHeight = 56.0f, kCardGap = 6.0f;
constexpr float kCardTop = 440.0f;
constexpr float kScreenWidth = 800.0f;
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
           "gridWidth=\"CANDIDATES\" wrap=\"1\" target=\"prompt\" position=\"0,400\" text=\"\" "
           "OnChange=\"PlayerSelectionChanged\" OnSelect=\"PlayerSelectionToggle\"/>\n"
           "  <TextButton name=\"accept\" position=\"0,520\" text=\"ACCEPT_TEXT\" halign=\"center\" "
           "OnUpdate=\"PlayerSelectionFinished\" OnSelect=\"Nothing\"/>\n"
           "  <TextButton name=\"quit\" position=\"0,560\" text=\"" + Text(kQuit) +
           "\" halign=\"center\" OnSelect=\"BackToMain\" OnClick=\"BackToMain\"/>\n"
           "</Macro>\n";
}

std::string Candidate(int n, int count)
{
    const float row = static_cast<float>(count) * kCardWidth + static_cast<float>(count - 1) * kCardGap;
    const float left = (kScreenWidth - row) * 0.5f + static_cast<float>(n - 1) * (kCardWidth + kCardGap);
    const std::string number = std::to_string(n);
    return "  <Macro name=\"selection_candidate\" PICK_ITEM=\"pick_" + number + "\" HOVER_ITEM=\"hover_" + number +
           "\" CARD_POSITION=\"" + Pair(left, kCardTop) + "\" PICK_LOOK=\"PlayerSelectionVis 1 " + number +
           "\" HOVER_LOOK=\"PlayerSelectionVis 2 " + number + "\" PICK_ACTION=\"SelectPlayer " + number +
           "\" NAME_POSITION=\"" + Pair(left + kCardWidth * 0.5f - kScreenWidth * 0.5f, kCardTop + kCardHeight + 4.0f) +
           "\" NAME_TEXT=\"[scale 0.5]%character" + number + "_name%[/scale]\"/>\n";
}

}  // namespace

float BenchPlaneDistance()
{
    // The bench narrows the view window, so the plane stands farther off to fill the same height.
    return PlaneDistance() * RwGraphicsSettings().viewY / kBenchViewWindow;
}

std::string SelectionScreen(int count)
{
    return SelectionScreen(count, Text(kAccept));
}

std::string SelectionScreen(int count, const std::string& accept)
{
    char position[60];
    std::snprintf(position, sizeof position, "SetPosition 0,0,%g", BenchPlaneDistance());
    std::string items = "  <Macro name=\"selection_controls\" LAST_CANDIDATE=\"" + std::to_string(count - 1) +
                        "\" CANDIDATES=\"" + std::to_string(count) + "\" ACCEPT_TEXT=\"" + accept + "\"/>\n";
    for (int n = 1; n <= count; ++n)
        items += Candidate(n, count);
    return "<Screen OnLoad=\"" + std::string(position) + "\" OnBack=\"BackToMain\" selected=\"selector\">\n" + items +
           "</Screen>\n";
}

std::vector<std::pair<std::string, std::string>> SelectionScreens()
{
    return {
        {"macro_selection_candidate", CandidateMacro()},
        {"macro_selection_controls", ControlsMacro()},
        {"3dMenues/AllStarMulti10p", SelectionScreen(kAllStarCandidates)},
        // The story match's line-up, before the match and again at half time, accepted with the
        // words the story sets for each. At half time a side short of players after red cards,
        // or of bench after a change, picks on fewer.
        {"3dMenues/InGameSelection3p", SelectionScreen(3, kStoryAccept)},
        {"3dMenues/InGameSelection4p", SelectionScreen(4, kStoryAccept)},
        {"3dMenues/InGameSelection5p", SelectionScreen(5, kStoryAccept)},
        {"3dMenues/InGameSelection6p", SelectionScreen(6, kStoryAccept)},
        {"3dMenues/InGameSelection7p", SelectionScreen(7, kStoryAccept)},
        {"3dMenues/TrainingMainSelection4p", SelectionScreen(4)},
        {"3dMenues/TrainingMainSelection12p", SelectionScreen(12)},
    };
}

std::vector<std::pair<int32_t, std::string>> SelectionScreenLabels()
{
    return {std::begin(kLabels), std::end(kLabels)};
}

}  // namespace assets::menus
