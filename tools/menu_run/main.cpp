// Runs the real program from a scratch copy of the game folder under the offscreen driver and
// drives the front end with pushed key events:
//     menu_run <game folder> <work folder> first|second|unwritable|keys|pad|firstkeys
// first: no error logged up to "main"; "main" to "options", three presses lower the effects
// volume from 10 to 7, "Accept" writes the user file; on "controls" the key of "(0):up"
// becomes Q and "Controls assign" writes the key file and returns to "main"; "credits" returns to "main" by itself
// (started near its end, so the run stays short); "QuitGame" ends the program with 123.
// second: the stored volume and key are back; three presses raise the volume to 10 again,
// "Accept", "QuitGame".
// keys: on "main" two taps of Down, each let go before a frame could see it, move two items
// down; on "controls" Escape gives up a key capture, the action keeping its key, and then
// leaves for "main"; on "options" choosing "Cards" with Space and again with Return turns it
// off and on.
// firstkeys: a key pressed while a screen appears acts on it once it is there (Down on the
// story slots, Return on "main"); Return after the pointer has left the items of "main"
// chooses the item lit last.
// pad: with a pad (SDL's virtual joystick) and nothing else, unplugged on "main" and plugged
// in again, a new career's team is named "Bo" on the on-screen keyboard and started; its leg
// screen left with the pad's back button shows "main" alone, nothing of the career's screen
// left over; on "options" player 1 takes the pad, which "Accept" stores in the user file.
// Before that, choosing "Controls, player 1" with Return takes the plugged-in pad (declined).
// padless: after pad, started without the pad: player 1 plays on the keyboard, and the user
// file still gives him the pad.
// unwritable: the options' "Accept" and the keys' "Controls assign" while a folder stands
// where their files go: each is told on the message screen and the screen comes back to try
// again, which works once the folder is gone.
// Only first and pad watch the intro; the others skip it with a key, as a player may.
// Pictures of the options, controls and credits screens land in <work folder>/pictures.
// The exit code is 0 when the program ended with 123 and every check held.

#include "framework/FileSystem.h"
#include "frontend/menu/TBMenu.h"
#include "game/GameTB.h"
#include "input/ConfigurableInputMapper.h"
#include "input/PlatformInputDevices.h"
#include "input/VirtualKeys.h"
#include "frontend/menu/TBMenuToggles.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "settings/GameParameters.h"
#include "shell/MainApp.h"
#include "tools/editor_script/EditorScript.h"
#include "tools/menu_script/MenuScript.h"
#include "tools/menu_script/WorkFolder.h"

#include <SDL.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace editor_script;
using namespace menu_script;

constexpr float kCreditsMiddle = 600.0f;
constexpr float kCreditsNearEnd = 1450.0f;
// How far below a text its shadow falls, in pixels at 600 high.
constexpr float kShadowDrop = 12.0f;

TBMenu* CurrentMenu()
{
    GameTB* game = GameTB::Current();
    return game ? dynamic_cast<TBMenu*>(game->GetCurrentState()) : nullptr;
}

int UpKey()
{
    return PlatformInputDevices::Instance()->GetInputMapper(0)->GetBinding("(0):up");
}

void Volume(SDL_Scancode code, int to)
{
    auto& s = Steps();
    s.push_back(WaitFor("main"));
    s.push_back(Choose("options"));
    s.push_back(WaitFor("options"));
    for (int i = 0; i < 3; ++i)
        s.push_back(PressKeys({code}));
    s.push_back(Picture(to == 7 ? "options" : "options_again"));
    s.push_back(Do([to] {
        std::printf("effects volume %d\n", EffectsVolume());
        Check(EffectsVolume() == to, "three presses change the effects volume");
    }));
    s.push_back(Choose("accept"));
    s.push_back(WaitFor("main"));
    s.push_back(Do([to] {
        FileSystem::Instance()->InvalidateDiskCache();
        Check(fs::exists("Data/SaveGames/user.txt") || fs::exists("data/Savegames/user.txt"),
              "Accept writes the user file");
        Check(EffectsVolume(true) == to, "the volume is applied");
    }));
}

void FirstRun()
{
    Steps().push_back(WaitFor("main"));
    Steps().push_back(Do([] {
        const std::string errors = LoggedErrors("data/log.txt");
        std::printf("%s", errors.c_str());
        Check(errors.empty(), "a first start logs no error");
    }));
    Volume(SDL_SCANCODE_LEFT, 7);
    auto& s = Steps();
    s.push_back(Choose("controls"));
    s.push_back(WaitFor("controls"));
    s.push_back(Choose("key0_up"));
    s.push_back(PressKeys({SDL_SCANCODE_Q}));
    s.push_back(Picture("controls"));
    s.push_back(Do([] { Check(UpKey() == vk::Letter('Q'), "(0):up takes the key Q"); }));
    s.push_back(Choose("assign"));
    s.push_back(WaitFor("main"));
    s.push_back(Do([] { Check(fs::exists("data/Savegames/inputs.txt"), "Controls assign writes the key file"); }));
    s.push_back(Choose("credits"));
    s.push_back(WaitFor("credits"));
    s.push_back(Do([] { CurrentMenu()->SetCreditsScroll(kCreditsMiddle); }));
    s.push_back(Picture("credits"));
    // On the panel, which hides its shadow.
    s.push_back(Within("the credits' Back stands whole on their panel", [] {
        Vector4 back, panel;
        return ShownItemArea("back", back) && ShownItemArea("creditsPanel", panel) && back.y >= panel.y &&
               back.y + back.w + kShadowDrop <= panel.y + panel.w;
    }));
    s.push_back(Do([] { CurrentMenu()->SetCreditsScroll(kCreditsNearEnd); }));
    s.push_back(WaitFor("main"));
    s.push_back(Do([] { std::printf("the credits went back to main by themselves\n"); }));
    s.push_back(Choose("quit"));
}

// The screen shown after the one named, once it has gone.
menu_script::Step WaitForScreenAfter(const char* leaving, std::string& shown)
{
    return [leaving, &shown] {
        const TBMenu* menu = ScreenMenu();
        if (!menu || menu->GetScreen() == leaving || Menu::Instance()->GetFadeState() != Menu::kShown)
            return false;
        shown = menu->GetScreen();
        return true;
    };
}

void KeysRun()
{
    auto& s = Steps();
    s.push_back(SkippingShows(WaitFor("main")));
    s.push_back(TapKeys({SDL_SCANCODE_DOWN}));
    s.push_back(TapKeys({SDL_SCANCODE_DOWN}));
    // The second press gets its frame after the first one's release frame.
    s.push_back([updates = 3]() mutable { return --updates == 0; });
    s.push_back(Do([] {
        const std::string selected = Menu::Instance()->GetSelectedItemName();
        std::printf("two taps on main select \"%s\"\n", selected.c_str());
        Check(selected == "options", "two quick taps move two items down");
    }));
    s.push_back(Choose("controls"));
    s.push_back(WaitFor("controls"));
    static int upBefore = 0;
    s.push_back(Do([] { upBefore = UpKey(); }));
    s.push_back(Choose("key0_up"));
    s.push_back(PressKeys({SDL_SCANCODE_ESCAPE}));
    s.push_back(Picture("controls_capture_escaped"));
    s.push_back(Do([] {
        Menu* menu = Menu::Instance();
        std::printf("Escape during a capture: (0):up key %d (was %d), on \"%s\"\n", UpKey(), upBefore,
                    ScreenMenu() ? ScreenMenu()->GetScreen().c_str() : "nothing");
        Check(OnScreen("controls") && !CurrentMenu()->IsCapturingKey(), "Escape ends the capture on the screen");
        Check(UpKey() == upBefore, "the action keeps its key");
        Check(menu->HasItem("assign") && menu->GetItem("assign", 0)->IsVisible(), "Done stays shown");
    }));
    s.push_back(PressKeys({SDL_SCANCODE_ESCAPE}));
    static std::string after;
    s.push_back(WaitForScreenAfter("controls", after));
    s.push_back(Do([] {
        std::printf("Escape on controls shows \"%s\"\n", after.c_str());
        Check(after == "main", "Escape on controls goes back to main");
    }));
    // Choosing an option's row turns it on, with Space as with Return.
    static std::vector<int> cards;
    const auto noteCards = [] { cards.push_back(TBMenuToggles::Instance()->GetToggle(TBMenuToggles::kCards)->value); };
    s.push_back(Choose("options"));
    s.push_back(WaitFor("options"));
    s.push_back(Do(noteCards));
    s.push_back(Choose("var_cards"));
    s.push_back(Do(noteCards));
    s.push_back(PressKeys({SDL_SCANCODE_RETURN}));
    s.push_back(Do(noteCards));
    s.push_back(Do([] {
        std::printf("Cards chosen twice: %d, %d, %d; on \"%s\"\n", cards[0], cards[1], cards[2],
                    ScreenMenu() ? ScreenMenu()->GetScreen().c_str() : "nothing");
        Check(cards == std::vector<int>({1, 0, 1}) && OnScreen("options"), "choosing an option's row turns it");
    }));
    s.push_back(PressKeys({SDL_SCANCODE_ESCAPE}));
    s.push_back(WaitFor("main"));
    s.push_back(Choose("quit"));
}

// First keys on a new screen: one pressed while the screen still appears acts on it once it
// is there; Return after the pointer has left the items chooses the one it last lit.
void FirstKeysRun()
{
    auto& s = Steps();
    s.push_back(SkippingShows(WaitFor("main")));
    s.push_back(Choose("storymode"));
    s.push_back(PressWhileFadingIn("story_slots", {SDL_SCANCODE_DOWN}));
    s.push_back(WaitFor("story_slots"));
    s.push_back(Within("Down pressed as the slots appear moves to the second",
                       [] { return Menu::Instance()->GetSelectedItemName() == "slot1"; }));
    s.push_back(Picture("story_slots_early_down"));
    s.push_back(Choose("back"));
    s.push_back(PressWhileFadingIn("main", {SDL_SCANCODE_RETURN}));
    s.push_back(Within("Return pressed as main appears chooses its first item", [] { return OnScreen("select_players"); }));
    s.push_back(Choose("back"));
    s.push_back(WaitFor("main"));
    // Off every item: the pointer takes the light away.
    s.push_back(Do([] { Move({20.0f, 300.0f}); }));
    s.push_back(Within("the pointer off the items leaves none lit", [] { return !Menu::Instance()->GetSelectedItem(); }));
    s.push_back(Picture("main_pointer_off"));
    s.push_back(PressKeys({SDL_SCANCODE_RETURN}));
    s.push_back(Within("Return with the pointer off the items chooses the one lit last",
                       [] { return OnScreen("select_players"); }));
    s.push_back(Choose("back"));
    s.push_back(WaitFor("main"));
    s.push_back(Choose("quit"));
}

// SDL's virtual joystick, attached before the program starts so that it finds it, and
// moved through a handle of the script's own.
struct Pad {
    enum Input { kA, kBack, kDown, kRight };
    SDL_Joystick* stick = nullptr;

    void Plug()
    {
        const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 2, 0);
        stick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    }
    void Unplug()
    {
        const SDL_JoystickID id = SDL_JoystickInstanceID(stick);
        SDL_JoystickClose(stick);
        stick = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id)
                SDL_JoystickDetachVirtual(i);
    }

    void Set(Input input, bool on) const
    {
        constexpr Sint16 kFull = 32767;
        switch (input) {
        case kA: SDL_JoystickSetVirtualButton(stick, 0, on ? SDL_PRESSED : SDL_RELEASED); break;
        case kBack: SDL_JoystickSetVirtualButton(stick, 1, on ? SDL_PRESSED : SDL_RELEASED); break;
        case kDown: SDL_JoystickSetVirtualAxis(stick, 1, on ? kFull : 0); break;
        case kRight: SDL_JoystickSetVirtualAxis(stick, 0, on ? kFull : 0); break;
        }
    }
} g_pad;

// Each input on for an update, then off for one; an input goes on only while the screen is
// shown.
menu_script::Step PadPresses(std::vector<Pad::Input> inputs)
{
    return [inputs, next = size_t(0), on = false]() mutable {
        if (!on && Menu::Instance()->GetFadeState() != Menu::kShown)
            return false;
        on = !on;
        g_pad.Set(inputs[next], on);
        next += on ? 0 : 1;
        return next == inputs.size();
    };
}

// The stick down until the item is selected, then A when it is to be chosen.
menu_script::Step PadMoveTo(const char* item, bool choose)
{
    return [item, choose, held = std::optional<Pad::Input>()]() mutable {
        if (held) {
            g_pad.Set(*held, false);
            const bool chosen = *held == Pad::kA;
            held.reset();
            return chosen;
        }
        if (Menu::Instance()->GetFadeState() != Menu::kShown)
            return false;
        const bool there = Menu::Instance()->GetSelectedItemName() == item;
        if (there && !choose)
            return true;
        held = there ? Pad::kA : Pad::kDown;
        g_pad.Set(*held, true);
        return false;
    };
}

menu_script::Step PadChoose(const char* item)
{
    return PadMoveTo(item, true);
}


menu_script::Step Updates(int count)
{
    return [count]() mutable { return --count <= 0; };
}

// The user file's text, wherever the file layer put it.
std::string UserFileText()
{
    FileSystem::Instance()->InvalidateDiskCache();
    for (const char* path : {"data/Savegames/user.txt", "Data/SaveGames/user.txt"}) {
        std::ifstream file(path);
        if (file)
            return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return {};
}

bool UserFileGivesPlayer1ThePad()
{
    return UserFileText().find("\"Player1Device\" 1") != std::string::npos;
}

void PadRun()
{
    static int index = -1;
    // The offscreen window never has the focus, without which SDL drops the pad's input.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0)
        index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 2, 0);
    auto& s = Steps();
    s.push_back(WaitFor("main"));
    s.push_back(Do([] {
        g_pad.stick = SDL_JoystickOpen(index);
        Check(g_pad.stick != nullptr, "a virtual pad is plugged in");
    }));
    // With a pad plugged in, choosing "Controls, player 1" moves him onto it; declined.
    s.push_back(Choose("options"));
    s.push_back(WaitFor("options"));
    s.push_back(Choose("control_device1"));
    s.push_back(Picture("pad_options_device"));
    s.push_back(Do([] {
        const std::string shown = Menu::Instance()->ExpandVariables("%control_device1%");
        std::printf("Controls, player 1 chosen: \"%s\"\n", shown.c_str());
        Check(TBMenuToggles::Instance()->GetToggle(TBMenuToggles::kDevice1)->value == 1, "choosing it takes the pad");
    }));
    s.push_back(PressKeys({SDL_SCANCODE_ESCAPE}));
    s.push_back(WaitFor("main"));
    // Out and in again: it goes on as before.
    s.push_back(PadMoveTo("storymode", false));
    s.push_back(Do([] { g_pad.Unplug(); }));
    s.push_back(Updates(10));
    s.push_back(Do([] {
        g_pad.Plug();
        Check(g_pad.stick != nullptr, "the pad is plugged in again");
    }));
    s.push_back(Updates(2));
    s.push_back(PadChoose("storymode"));
    s.push_back(WaitFor("story_slots"));
    s.push_back(PadChoose("slot0"));
    s.push_back(PadChoose("story_create"));
    s.push_back(WaitFor("story_team_select"));
    // Down from the field onto the keyboard; B, then M, N, O; past Z, !, ., SPACE and DEL to OK.
    using P = Pad;
    s.push_back(PadPresses({P::kDown, P::kRight, P::kA, P::kDown, P::kRight, P::kRight, P::kA}));
    s.push_back(PadPresses({P::kDown, P::kDown, P::kRight, P::kRight, P::kRight}));
    s.push_back(Picture("pad_team_name"));
    s.push_back(PadPresses({P::kRight, P::kA}));
    s.push_back(Do([] {
        const std::string name = Menu::Instance()->Variables()["storyteamname"];
        std::printf("the pad typed \"%s\", then \"%s\" is selected\n", name.c_str(),
                    Menu::Instance()->GetSelectedItemName().c_str());
        Check(name == "Bo", "the pad types the team's name");
        Check(Menu::Instance()->GetSelectedItemName() == "story_half_time_duration", "OK goes on to the options");
    }));
    s.push_back(PadChoose("ok"));
    // The intro would end by itself; a key cuts the run short.
    s.push_back([ticks = 0]() mutable {
        if (OnScreen("leg_display"))
            return true;
        if (++ticks % 30 == 0)
            Press({SDL_SCANCODE_SPACE});
        return false;
    });
    s.push_back(Picture("pad_leg_display"));
    s.push_back(PadPresses({P::kBack}));
    s.push_back(WaitFor("main"));
    s.push_back(Picture("pad_back_to_main"));
    s.push_back(Do([] {
        Menu* menu = Menu::Instance();
        Check(!menu->HasItem("continue") && !menu->HasItem("Save"), "nothing of the leg's screen stays on main");
        Check(!menu->HasItem("quit", 1), "main is on screen once");
    }));
    s.push_back(PadChoose("options"));
    s.push_back(WaitFor("options"));
    s.push_back(PadMoveTo("control_device1", false));
    s.push_back(PadPresses({P::kRight}));
    s.push_back(Picture("pad_player1_on_the_pad"));
    s.push_back(PadChoose("accept"));
    s.push_back(WaitFor("main"));
    s.push_back(Do([] {
        std::printf("player 1 plays with device %d\n", GameParameters::Instance()->playerDevices[0]);
        Check(GameParameters::Instance()->playerDevices[0] == 1, "player 1 takes the pad");
        Check(UserFileGivesPlayer1ThePad(), "the user file gives player 1 the pad");
    }));
    s.push_back(Choose("quit"));
}

// After pad, without the pad.
void PadlessRun()
{
    auto& s = Steps();
    s.push_back(SkippingShows(WaitFor("main")));
    s.push_back(Do([] {
        std::printf("without the pad player 1 plays with device %d and chose %d\n",
                    GameParameters::Instance()->playerDevices[0], GameParameters::Instance()->deviceChoices[0]);
        Check(GameParameters::Instance()->playerDevices[0] == 0, "player 1 plays on the keyboard");
        Check(UserFileGivesPlayer1ThePad(), "the user file still gives player 1 the pad");
    }));
    s.push_back(Choose("options"));
    s.push_back(WaitFor("options"));
    s.push_back(Picture("padless_options"));
    s.push_back(Choose("accept"));
    s.push_back(WaitFor("main"));
    s.push_back(Do([] { Check(UserFileGivesPlayer1ThePad(), "Accept keeps the pad for player 1"); }));
    s.push_back(Choose("quit"));
}

void SecondRun()
{
    auto& s = Steps();
    s.push_back(SkippingShows(WaitFor("main")));
    s.push_back(Do([] {
        std::printf("stored: effects volume %d, (0):up key %d\n", EffectsVolume(), UpKey());
        Check(EffectsVolume() == 7, "the stored effects volume is back");
        Check(UpKey() == vk::Letter('Q'), "the stored key is back");
    }));
    Volume(SDL_SCANCODE_RIGHT, 10);
    s.push_back(Choose("quit"));
}

// The button on the screen cannot write its file: the message says so, the screen comes back
// with the button chosen, and once the file can be written the button leads on.
void TryToWrite(const char* screen, const char* button, const std::string& file, const char* told, const char* next)
{
    auto& s = Steps();
    s.push_back(Do([file] { BlockFile(file, true); }));
    s.push_back(Choose(button));
    s.push_back(WaitForNotice(std::string(screen) + "_not_saved"));
    s.push_back(Do([told] {
        std::printf("told: \"%s\"\n", ShownNotice().c_str());
        Check(ShownNotice() == told, told);
    }));
    s.push_back(WaitFor(screen));
    s.push_back(Do([file, button] {
        Check(Menu::Instance()->GetSelectedItemName() == button, "the button stays chosen");
        Check(!fs::is_regular_file(file), "nothing was written");
        BlockFile(file, false);
    }));
    s.push_back(Choose(button));
    s.push_back(WaitFor(next));
    s.push_back(Do([file] { Check(fs::is_regular_file(file), "written once the folder is gone"); }));
}

// The options and the keys, whose files cannot be written at first.
void UnwritableRun()
{
    auto& s = Steps();
    s.push_back(SkippingShows(WaitFor("main")));
    s.push_back(Choose("options"));
    s.push_back(WaitFor("options"));
    s.push_back(PressKeys({SDL_SCANCODE_LEFT}));
    TryToWrite("options", "accept", "data/Savegames/user.txt", "Not saved: try again", "main");
    s.push_back(Do([] { Check(EffectsVolume() == 9, "the changed volume stays"); }));
    s.push_back(Choose("controls"));
    s.push_back(WaitFor("controls"));
    TryToWrite("controls", "assign", "data/Savegames/inputs.txt", "Not saved: try again", "main");
    s.push_back(Choose("quit"));
}

}  // namespace

int main(int argc, char** argv)
{
    return RunFromCommandLine("menu_run", argc, argv,
                              {{"first", FirstRun, true},
                               {"second", SecondRun, false},
                               {"unwritable", UnwritableRun, true},
                               {"keys", KeysRun, true},
                               {"pad", PadRun, true},
                               {"padless", PadlessRun, false},
                               {"firstkeys", FirstKeysRun, true}});
}
