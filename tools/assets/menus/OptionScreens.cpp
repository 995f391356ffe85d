// The options screen, where the option toggles are stepped, the controls screen, where keys
// are assigned, the credits, and the story mode's team-name screen. Written as the screen reader takes them: one root, no declaration, mark-up in
// square brackets, actions joined by ';' alone.
#include "tools/assets/menus/MenuAssets.h"

#include <cstdio>
#include <string>

namespace assets::menus {

namespace {

// Labels of these screens, numbered on from the other screens' labels.
enum Label {
    kOptions = 70500, kFxVolume, kMusicVolume, kResolution, kHalfTime, kShirts1, kShirts2, kDevice1, kDevice2,
    kCards, kReplays, kQuality, kAccept, kDecline,
    kTeamName = 70520, kOk, kBack, kStoryShirts,
    kControls = 70530, kPlayer1, kPlayer2, kUp, kDown, kRight, kLeft, kPrimary, kSecondary, kAssign, kReset,
    kCredits = 70545, kShotHint, kBothKeysHint,
};

const std::pair<int32_t, std::string> kLabels[] = {
    {kOptions, "Options"},         {kFxVolume, "Effects volume"},    {kMusicVolume, "Music volume"},
    {kResolution, "Screen size"},  {kHalfTime, "Half-time length"},  {kShirts1, "Shirts, team 1"},
    {kShirts2, "Shirts, team 2"},  {kDevice1, "Controls, player 1"}, {kDevice2, "Controls, player 2"},
    {kCards, "Cards"},             {kReplays, "Replays"},            {kQuality, "Texture quality"},
    {kAccept, "Accept"},           {kDecline, "Decline"},            {kTeamName, "Name your team"},
    {kOk, "OK"},                   {kBack, "Back"},                  {kStoryShirts, "Shirts"},
    {kControls, "Controls"},
    {kPlayer1, "Player 1"},        {kPlayer2, "Player 2"},           {kUp, "Up"},
    {kDown, "Down"},               {kRight, "Right"},                {kLeft, "Left"},
    // What the two action keys do in play, as the players' brains read them.
    {kPrimary, "Pass / steal / switch"}, {kSecondary, "Shoot / tackle"}, {kAssign, "Done"},
    {kReset, "Defaults"},          {kCredits, "Credits"},
    {kShotHint, "Hold Shoot for a harder shot; without the ball it tackles, or heads a high ball."},
    {kBothKeysHint, "Hold Shoot and press Pass: a special move with the ball, a tackle without (it takes energy)."},
};

// The keys' variables and actions, in the order the key-assignment check reads them.
const struct {
    Label label;
    const char* variable;
    const char* action;
} kKeyRows[] = {
    {kUp, "up", "up"},       {kDown, "down", "down"},         {kRight, "right", "right"},
    {kLeft, "left", "left"}, {kPrimary, "primary", "button a"}, {kSecondary, "secondary", "button b"},
};

// One option: its label and its toggle, which edits the published value of the same name
// and shows the variable of that name.
struct Option {
    Label label;
    const char* toggle;
    const char* range;  // further attributes: the range, the blocked value, wrap
    const char* onChange;
};

const Option kOptionRows[] = {
    {kFxVolume, "fx_volume", R"(maxValue="10")", "ToggleFXVolume"},
    {kMusicVolume, "music_volume", R"(maxValue="10")", "ToggleMusicVolume"},
    {kResolution, "screen_resolution", R"(maxValue="2")", ""},
    {kHalfTime, "half_time_duration", R"(maxValue="%maxSingleDuration%")", ""},
    {kShirts1, "shirts_team1", R"(maxValue="7" wrap="1" blockedValue="%blocked_shirt_1%")", ""},
    {kShirts2, "shirts_team2", R"(maxValue="7" wrap="1" blockedValue="%blocked_shirt_2%")", ""},
    // Round the devices, so that choosing the row again and again reaches each.
    {kDevice1, "control_device1", R"(maxValue="%numOfDevices%" wrap="1" blockedValue="%block_dev_1%")", "SwitchDevice"},
    {kDevice2, "control_device2", R"(maxValue="%numOfDevices%" wrap="1" blockedValue="%block_dev_2%")", "SwitchDevice"},
    {kCards, "var_cards", R"(maxValue="1" wrap="1")", ""},
    {kReplays, "replays", R"(maxValue="1" wrap="1")", ""},
    {kQuality, "quality", R"(maxValue="%maxDetailLevel%")", ""},
};

// The match options a career keeps from its start.
const Option kStoryOptionRows[] = {
    {kHalfTime, "story_half_time_duration", R"(maxValue="%maxSingleDuration%")", ""},
    {kStoryShirts, "story_shirts", R"(maxValue="7" wrap="1")", ""},
    {kCards, "story_cards", R"(maxValue="1" wrap="1")", ""},
};

// Rows of options, the labels ending left of the middle and the values starting right of it.
constexpr float kFirstRow = 112.0f;
constexpr float kRowHeight = 34.0f;
// A text's position moves the layout's area, the whole 800 units wide: a centred text at x 0
// stands in the middle, and a right-aligned one at x -d ends d units before the right edge.
constexpr float kMiddle = 0.0f;
constexpr float kLabelRight = 380.0f - 800.0f;
constexpr float kValueLeft = 420.0f;

std::string Row(const Option& option, float y)
{
    char text[600];
    const std::string name = option.toggle;
    const std::string onChange = *option.onChange ? std::string(" OnChange=\"") + option.onChange + "\"" : "";
    std::snprintf(text, sizeof text,
                  "  <StaticText position=\"%g,%g\" text=\"%s\" halign=\"right\"/>\n"
                  "  <ToggleButton name=\"%s\" position=\"%g,%g\" text=\"%%%s%%\" halign=\"left\" "
                  "value=\"%%%s%%\" minValue=\"0\" %s%s/>\n",
                  kLabelRight, y, Text(option.label).c_str(), name.c_str(), kValueLeft, y, name.c_str(), name.c_str(),
                  option.range,
                  onChange.c_str());
    return text;
}

std::string Button(const char* name, Label label, float x, float y, const char* onSelect)
{
    char text[300];
    std::snprintf(text, sizeof text,
                  "  <TextButton name=\"%s\" position=\"%g,%g\" text=\"%s\" halign=\"center\" OnSelect=\"%s\"/>\n", name,
                  x, y, Text(label).c_str(), onSelect);
    return text;
}

std::string Title(Label label, float y)
{
    char text[160];
    std::snprintf(text, sizeof text,
                  "  <StaticText position=\"%g,%g\" text=\"[font menu_buttons]%s[/font]\" halign=\"center\"/>\n", kMiddle, y,
                  Text(label).c_str());
    return text;
}

// OnLoad places the plane first; more actions follow it.
std::string Screen(const std::string& attributes, const std::string& items, const char* more = "")
{
    char onLoad[100];
    std::snprintf(onLoad, sizeof onLoad, "SetPosition 0,0,%g%s", PlaneDistance(), more);
    return std::string("<Screen OnLoad=\"") + onLoad + "\" " + attributes + ">\n" + items + "</Screen>\n";
}

}  // namespace

std::string OptionsScreen(const std::string& accept, const std::string& decline)
{
    std::string items = "  <Image texture=\"" + std::string(kPanel) + "\" position=\"90,24\" size=\"620,560\"/>\n";
    items += Title(kOptions, 44);
    float y = kFirstRow;
    for (const Option& option : kOptionRows) {
        items += Row(option, y);
        y += kRowHeight;
    }
    items += Button("accept", kAccept, kMiddle - 100, y + 24, accept.c_str());
    items += Button("decline", kDecline, kMiddle + 100, y + 24, decline.c_str());
    return Screen("OnBack=\"" + decline + R"(" selected="fx_volume")", items);
}

// Two columns of six keys; a button shows its key's variable and captures a new key. Below them,
// what the action keys do beyond their labels.
std::string ControlsScreen(const std::string& assign, const std::string& decline)
{
    // The key stands right of the longest action's label.
    constexpr float kKeyColumn = 240.0f;
    constexpr float kHintRow = 392.0f, kHintStep = 22.0f;
    std::string items = "  <Image texture=\"" + std::string(kPanel) + "\" position=\"40,24\" size=\"720,560\"/>\n";
    char title[200];
    std::snprintf(title, sizeof title,
                  "  <StaticText name=\"title\" position=\"%g,44\" text=\"[font menu_buttons]%s[/font]\" "
                  "halign=\"center\" OnUpdate=\"CheckKeyAssignment\"/>\n",
                  kMiddle, Text(kControls).c_str());
    items += title;
    for (int player = 0; player < 2; ++player) {
        const float column = player == 0 ? 60.0f : 420.0f;
        char text[400];
        std::snprintf(text, sizeof text, "  <StaticText position=\"%g,110\" text=\"%s\" halign=\"left\"/>\n", column,
                      Text(player == 0 ? kPlayer1 : kPlayer2).c_str());
        items += text;
        float y = 150;
        for (const auto& row : kKeyRows) {
            std::snprintf(text, sizeof text,
                          "  <StaticText position=\"%g,%g\" text=\"%s\" halign=\"left\"/>\n"
                          "  <TextButton name=\"key%d_%s\" position=\"%g,%g\" text=\"%%key_player%d_%s%%\" "
                          "halign=\"left\" OnSelect=\"AssignKey (%d):%s\"/>\n",
                          column, y, Text(row.label).c_str(), player, row.variable, column + kKeyColumn, y, player + 1,
                          row.variable, player, row.action);
            items += text;
            y += 40;
        }
    }
    for (const Label hint : {kShotHint, kBothKeysHint}) {
        char text[200];
        std::snprintf(text, sizeof text, "  <StaticText position=\"%g,%g\" text=\"[scale 0.6]%s[/scale]\" halign=\"center\"/>\n",
                      kMiddle, hint == kShotHint ? kHintRow : kHintRow + kHintStep, Text(hint).c_str());
        items += text;
    }
    items += Button("assign", kAssign, kMiddle - 200, 450, assign.c_str());
    items += Button("reset", kReset, kMiddle, 450, "Controls reset");
    items += Button("decline", kDecline, kMiddle + 200, 450, decline.c_str());
    return Screen("OnBack=\"" + decline + R"(" selected="key0_up")", items);
}

namespace {

// The credits scroll through the area of the unseen "creditsText", inside the panel's
// border, are cut at its edges, and lead back to "main" by themselves. "Back" stands on the
// panel, which hides its shadow.
std::string Credits()
{
    std::string items = "  <Image texture=\"" + std::string(kBackground) + "\" position=\"0,0\" size=\"800,600\" is3d=\"0\"/>\n";
    items += "  <Image name=\"creditsPanel\" texture=\"" + std::string(kPanel) +
             "\" position=\"100,30\" size=\"600,520\"/>\n";
    items += "  <Image name=\"creditsText\" texture=\"" + std::string(kPanel) +
             "\" position=\"130,55\" size=\"540,400\" color=\"0,0,0,0\"/>\n";
    items += Button("back", kBack, kMiddle, 480, "SetMenu main");
    return Screen(R"(OnBack="SetMenu main" selected="back")", items, ";InitCredits");
}

// The name is typed on the keyboard or, with a pad, on the on-screen keyboard below the field:
// down from the field reaches it, and its "OK" goes on to the options.
std::string StoryTeamSelect()
{
    std::string items = "  <Image texture=\"" + std::string(kPanel) + "\" position=\"90,16\" size=\"620,568\"/>\n";
    items += Title(kTeamName, 40);
    // A box of its own shows where the name goes before anything is typed.
    items += "  <Image name=\"teamname_box\" texture=\"" + std::string(kPanel) +
             "\" position=\"240,92\" size=\"320,46\" color=\"150,165,215,255\"/>\n";
    items += "  <TextField name=\"teamname\" position=\"0,114\" text=\"storyteamname\" bufferVar=\"storyteamname\" "
             "halign=\"center\"/>\n";
    items += "  <VirtualKeyboard name=\"keyboard\" position=\"0,150\" OnSelect=\"TypeKey teamname;PlaySelectSound\"/>\n";
    float y = 360;
    for (const Option& option : kStoryOptionRows) {
        items += Row(option, y);
        y += kRowHeight;
    }
    items += Button("ok", kOk, kMiddle, y + 24, "EnterStoryMode");
    items += Button("back", kBack, kMiddle, y + 70, "SetMenu story_slots");
    return Screen(R"(OnBack="SetMenu story_slots" selected="teamname")", items);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> OptionScreens()
{
    return {{"options", OptionsScreen("Accept;SetMenu main", "Decline;SetMenu main")},
            // Reached from "main" only: it goes back there.
            {"controls", ControlsScreen("Controls assign main", "Controls decline;SetMenu main")},
            {"credits", Credits()},
            {"story_team_select", StoryTeamSelect()}};
}

std::vector<std::pair<int32_t, std::string>> OptionScreenLabels()
{
    return {std::begin(kLabels), std::end(kLabels)};
}

}  // namespace assets::menus
