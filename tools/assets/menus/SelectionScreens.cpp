// The squad selection over the bench: a name plate per candidate, in line with the seats,
// that shows who is picked and by which side, the cursor the keys move along the bench, the
// prompt, what is left to pick, and the buttons to accept and to leave. The candidate's plate
// and the controls are macros, so that other selection screens can lay out their own number
// of candidates.
#include "tools/assets/menus/MenuAssets.h"

#include "frontend/selection/SelectionBench.h"
#include "menus/Menu.h"
#include "scene/RwGraphicsSettings.h"

#include <algorithm>
#include <cmath>
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
// The line-up change offers a full team and the other side's five, after a gap.
constexpr int kLineUpChangeGap = 5;
// A name plate per candidate, no wider than the seats' pitch leaves room for.
constexpr float kCardWidth = 72.0f, kCardHeight = 28.0f;
// Narrow plates take their names smaller.
constexpr float kNarrowCard = 60.0f;
// From the plate's top to its name's.
constexpr float kNameInset = 5.0f;
// Between the plates and the buttons.
constexpr float kClearance = 8.0f;
constexpr float kButtonHeight = 32.0f, kButtonStep = 40.0f;
// Between the counters and the bench, so that a wide screen, which shows less of the
// menu's height, still shows them.
constexpr float kTitleY = 120.0f, kCommandY = 165.0f;

using Bench = SelectionBench;

std::string Pair(float a, float b)
{
    char text[40];
    std::snprintf(text, sizeof text, "%g,%g", a, b);
    return text;
}

// The plates in one row at the seats of a bench of average races (the game moves each over his
// own seat, and the row up or down towards the bench it shows), and the buttons.
struct CardRow {
    std::vector<float> centres;
    float width = 0.0f;
    float top = 0.0f;
    float acceptY = 0.0f;
    float quitY = 0.0f;
};

// Under the seats, with the buttons below, when the races the offer may hold leave room for
// them under the nearest bench's candidates; else over the standing heads of the farthest
// bench's, with the buttons above.
void PlaceRow(CardRow& row, int count)
{
    const Bench::SeatWidths widths = Bench::KnownSeatWidths();
    const float nearest = Bench::CameraDistance(widths.narrowest * static_cast<float>(count));
    const float below = Bench::PlateTop(true, kCardHeight, nearest);
    if (below + kCardHeight + kClearance + kButtonStep + kButtonHeight <= Menu::kHeight) {
        row.top = below;
        row.acceptY = row.top + kCardHeight + kClearance;
    } else {
        const float farthest = Bench::CameraDistance(widths.widest * static_cast<float>(count));
        row.top = Bench::PlateTop(false, kCardHeight, farthest);
        row.acceptY = row.top - kClearance - kButtonStep - kButtonHeight;
    }
    row.quitY = row.acceptY + kButtonStep;
}

CardRow LayOutCards(int count, int gapCount)
{
    const float average = Bench::KnownSeatWidths().average;
    const Bench::Seating seating = Bench::LayOutWidths(std::vector<float>(size_t(count), average), gapCount);
    const float distance = Bench::CameraDistance(seating.width);
    CardRow row;
    for (const Vector3& seat : seating.seats)
        row.centres.push_back(Bench::ScreenX(seat.x - Bench::kOrigin.x, distance));
    const float pitch = count > 1 ? row.centres[1] - row.centres[0] : Menu::kWidth;
    row.width = std::min(kCardWidth, pitch - Bench::kPlateGap);
    PlaceRow(row, count);
    return row;
}

// The words in capitals are the macro's parameters, replaced by the screen's values.
std::string CandidateMacro()
{
    return "<Macro>\n"
           "  <Image name=\"PICK_ITEM\" texture=\"" + std::string(kPanel) +
           "\" position=\"CARD_POSITION\" size=\"CARD_SIZE\" OnUpdate=\"PICK_LOOK\"/>\n"
           "  <Image name=\"HOVER_ITEM\" texture=\"" + std::string(kPanel) +
           "\" position=\"CARD_POSITION\" size=\"CARD_SIZE\" color=\"1,1,1,0\" OnUpdate=\"HOVER_LOOK\" "
           "OnClick=\"PICK_ACTION\"/>\n"
           "  <StaticText name=\"NAME_ITEM\" position=\"NAME_POSITION\" text=\"NAME_TEXT\" halign=\"center\"/>\n"
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
           "  <TextButton name=\"accept\" position=\"ACCEPT_POSITION\" text=\"ACCEPT_TEXT\" halign=\"center\" "
           "OnUpdate=\"PlayerSelectionFinished\" OnSelect=\"Nothing\"/>\n"
           "  <TextButton name=\"quit\" position=\"QUIT_POSITION\" text=\"" + Text(kQuit) +
           "\" halign=\"center\" OnSelect=\"BackToMain\" OnClick=\"BackToMain\"/>\n"
           "</Macro>\n";
}

// Candidate n (from 1) of the row.
std::string Candidate(int n, const CardRow& row)
{
    const float centre = row.centres[size_t(n - 1)];
    const float left = centre - row.width * 0.5f;
    const std::string number = std::to_string(n);
    const char* scale = row.width < kNarrowCard ? "0.4" : "0.5";
    // A text's position is its middle's distance from the screen's; the name sits in the plate.
    return "  <Macro name=\"selection_candidate\" PICK_ITEM=\"pick_" + number + "\" HOVER_ITEM=\"hover_" + number +
           "\" NAME_ITEM=\"name_" + number + "\" CARD_POSITION=\"" + Pair(left, row.top) + "\" CARD_SIZE=\"" + Pair(row.width, kCardHeight) +
           "\" PICK_LOOK=\"PlayerSelectionVis 1 " + number + "\" HOVER_LOOK=\"PlayerSelectionVis 2 " + number +
           "\" PICK_ACTION=\"SelectPlayer " + number + "\" NAME_POSITION=\"" +
           Pair(centre - Menu::kWidth * 0.5f, row.top + kNameInset) + "\" NAME_TEXT=\"[scale " + scale +
           "]%character" + number + "_name%[/scale]\"/>\n";
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
    return PlaneDistance() * RwGraphicsSettings().viewY / SelectionBench::kViewWindow;
}

std::string SelectionScreen(int count, const SelectionTexts& texts, int gapCount)
{
    char position[60];
    std::snprintf(position, sizeof position, "SetPosition 0,0,%g", BenchPlaneDistance());
    const std::string accept = texts.accept.empty() ? Text(kAccept) : texts.accept;
    const CardRow row = LayOutCards(count, gapCount);
    std::string items = "  <Macro name=\"selection_controls\" LAST_CANDIDATE=\"" + std::to_string(count - 1) +
                        "\" IN_A_ROW=\"" + std::to_string(count) + "\" ACCEPT_TEXT=\"" + accept +
                        "\" ACCEPT_POSITION=\"" + Pair(0.0f, std::round(row.acceptY)) + "\" QUIT_POSITION=\"" +
                        Pair(0.0f, std::round(row.quitY)) + "\"/>\n";
    for (int n = 1; n <= count; ++n)
        items += Candidate(n, row);
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
        // "%s4p_command%" and "%s12p_command%" while picks are left.
        {"3dMenues/TrainingMainSelection4p", SelectionScreen(4, {"", "%20522%", ""})},
        {"3dMenues/TrainingMainSelection12p", SelectionScreen(12, {"", "%20536%", ""}, kLineUpChangeGap)},
    };
}

std::vector<std::pair<int32_t, std::string>> SelectionScreenLabels()
{
    return {std::begin(kLabels), std::end(kLabels)};
}

}  // namespace assets::menus
