#pragma once

// What the menu generators write and where: the pictures' names and sizes, and the screens.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace assets::menus {

// Below the project folder; the menus read their pictures from this one folder whatever
// the texture set.
inline constexpr const char* kScreenTextures = "Menu/Screens/Textures24Bit";
inline constexpr const char* kScreenFolder = "Menu/Screens";
inline constexpr const char* kDefaultLogo = "turfbolt_logo";
inline constexpr const char* kPanel = "panel";
inline constexpr const char* kPalm = "palmtree";
// Behind the screens shown without the match.
inline constexpr const char* kBackground = "menu_background";

inline constexpr int kLoadingWidth = 1024, kLoadingHeight = 768;
// The loading bar's pictures are laid out for a bar of this size.
inline constexpr int kBarWidth = 512, kBarHeight = 32;
inline constexpr int kLogoWidth = 512, kLogoHeight = 192;
inline constexpr int kPanelWidth = 256, kPanelHeight = 128;
inline constexpr int kPalmWidth = 256, kPalmHeight = 512;
inline constexpr int kBackgroundWidth = 512, kBackgroundHeight = 384;
// Twice the size the single-match screens show them at.
inline constexpr int kCrestWidth = 80, kCrestHeight = 64;

// The pictures beside the single-match screens' buttons, by team in the game's team order
// (0 to 7) and by level (0 to 3).
std::string TeamCrest(int team);
std::string LevelEmblem(int level);

// How far in front of the camera the menu plane stands so that its 600 units fill the height
// of the primary camera's view at the game's 4:3 screen sizes.
float PlaneDistance();

// A reference to text number n, which the menu replaces by the text: "%n%".
std::string Text(int number);
// The panel picture at (x, y), w by h screen units.
std::string Panel(float x, float y, float w, float h);
// A screen placed on the menu plane that runs onLoad (when not empty) after placing itself.
std::string PlacedScreen(const std::string& onLoad, const std::string& attributes, const std::string& items);

// Each screen as (name, file text), in the order written.
std::vector<std::pair<std::string, std::string>> Screens();
// The text numbers the screens show, with their texts, for the text tables.
const std::vector<std::pair<int32_t, std::string>>& ScreenLabels();
// The options screen and the story mode's team-name screen, which Screens() also lists, and
// their labels.
std::vector<std::pair<std::string, std::string>> OptionScreens();
std::vector<std::pair<int32_t, std::string>> OptionScreenLabels();
// The options and controls screens with the actions that close them: the front end's lead
// back to a screen, the in-match copies close the menu or return to the pause menu.
std::string OptionsScreen(const std::string& accept, const std::string& decline);
std::string ControlsScreen(const std::string& assign, const std::string& decline);
// The screens reached from the pause menu, which Screens() also lists, and their labels.
std::vector<std::pair<std::string, std::string>> IngameScreens();
std::vector<std::pair<int32_t, std::string>> IngameScreenLabels();
// The story mode's screens, which Screens() also lists, and their labels.
std::vector<std::pair<std::string, std::string>> StoryScreens();
std::vector<std::pair<int32_t, std::string>> StoryScreenLabels();

// The single-match screens, which Screens() also lists, and their labels.
std::vector<std::pair<std::string, std::string>> SingleMatchScreens();
std::vector<std::pair<int32_t, std::string>> SingleMatchScreenLabels();

// The same for the squad selection's screens, seen through the bench's narrower view.
float BenchPlaneDistance();
// The squad selection's screens and the macros other selection screens share, which
// Screens() also lists, and their labels.
std::vector<std::pair<std::string, std::string>> SelectionScreens();
std::vector<std::pair<int32_t, std::string>> SelectionScreenLabels();
// What a selection screen shows besides the bench, as texts or variables; an empty one is
// left out, and an empty accept text is the shared one. The command is the text the game's
// command variable holds while picks are left: once the squad is complete the variable says
// what the prompt above the bench says, which is shown there alone.
struct SelectionTexts {
    std::string title;
    std::string command;
    std::string accept;
};
// The line-up's and the training members' texts, which the game sets before the screen
// ("%s7p_command%" while picks are left: "%20520%").
inline const SelectionTexts kLineUpTexts = {"%s7p_title%", "%20520%", "%s7p_selection_accept%"};
// The screen of a selection with count candidates, on the shared macros; gapCount as the
// bench leaves before its last seats (0 for none).
std::string SelectionScreen(int count, const SelectionTexts& texts, int gapCount = 0);
// The story leg's training screens, which Screens() also lists, and their labels.
std::vector<std::pair<std::string, std::string>> TrainingScreens();
std::vector<std::pair<int32_t, std::string>> TrainingScreenLabels();

}  // namespace assets::menus
