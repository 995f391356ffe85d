#include "tools/menu_demo/OptionScreensRun.h"

#include "framework/StringUtil.h"
#include "input/InputController.h"
#include "input/InputMappers.h"
#include "input/KeyboardInput.h"
#include "input/VirtualKeys.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/TextInput.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kMaxFrames = 600;
// Frames between scripted keys, so that the pop-outs can be seen.
constexpr int kSettleFrames = 6;

// The option texts of a toggle, the value's text shown through the variable of its name.
std::vector<std::string> Numbered(int first, int count)
{
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back("%" + std::to_string(first + i) + "%");
    return texts;
}

std::vector<std::string> Shirts()
{
    std::vector<std::string> texts;
    for (int i = 0; i < 8; ++i)
        texts.push_back(FormatString("<font shirts>%d</font>", i));
    return texts;
}

// Stands in for the front end on the option screens: publishes each option's value under
// "%name%" with its text in the variable of that name, the blocked shirts and devices, and
// answers the screens' commands.
class OptionsOwner : public DemoOwner {
public:
    OptionsOwner()
        : m_options{
              {"fx_volume", 5, Numbered(60201, 11)},
              {"music_volume", 10, Numbered(60201, 11)},
              {"screen_resolution", 0, Numbered(60111, 3)},
              {"half_time_duration", 2, Numbered(60301, 6)},
              {"shirts_team1", 0, Shirts()},
              {"shirts_team2", 1, Shirts()},
              {"control_device1", 0, {"%30501%"}},
              {"control_device2", 0, {"%30501%"}},
              {"var_cards", 1, Numbered(60101, 2)},
              {"replays", 1, Numbered(60101, 2)},
              {"quality", 1, Numbered(60121, 3)},
          }
    {
        Menu* menu = Menu::Instance();
        for (Option& option : m_options)
            menu->SetEditValue("%" + option.name + "%", &option.value);
        // One device, the keyboard, which both players share.
        menu->SetVariable("%numOfDevices%", "0");
        menu->SetVariable("%block_dev_1%", "-1");
        menu->SetVariable("%block_dev_2%", "-1");
        menu->SetVariable("%maxSingleDuration%", "5");
        menu->SetVariable("%maxDetailLevel%", "2");
        PublishVariables();
    }

    ~OptionsOwner() override
    {
        for (Option& option : m_options)
            Menu::Instance()->SetEditValue("%" + option.name + "%", nullptr);
    }

    // Each option's text for its value, and each team's shirt blocked for the other.
    void PublishVariables()
    {
        Menu* menu = Menu::Instance();
        for (const Option& option : m_options) {
            const size_t index = std::min(static_cast<size_t>(std::max(option.value, 0)), option.texts.size() - 1);
            menu->SetVariable("%" + option.name + "%", option.texts[index]);
        }
        menu->SetVariable("%blocked_shirt_1%", std::to_string(Value("shirts_team2")));
        menu->SetVariable("%blocked_shirt_2%", std::to_string(Value("shirts_team1")));
    }

    int Value(const std::string& name) const
    {
        for (const Option& option : m_options)
            if (option.name == name)
                return option.value;
        return -1;
    }

    int OnMessage(int message, intptr_t param) override
    {
        const int answer = DemoOwner::OnMessage(message, param);
        const std::string name = MessageServer::Instance()->GetMessageName(message);
        if (name == "ToggleFXVolume") {
            std::printf("  owner: effects volume %d, sound channel 1 at %.1f\n", Value("fx_volume"),
                        Value("fx_volume") * 0.1f);
        } else if (name == "EnterStoryMode") {
            // The typed name without its mark-up and outer blanks; an empty one starts nothing.
            TextBuffer typed(0);
            TextInput::SetText(typed, Menu::Instance()->Variables()["storyteamname"]);
            teamName = typed.GetText();
            Trim(teamName);
            std::printf("  owner: %s\n", teamName.empty() ? "no team name: nothing happens"
                                                          : ("a new career for \"" + teamName + "\"").c_str());
            return teamName.empty() ? 0 : 1;
        }
        PublishVariables();
        return answer;
    }

    std::string teamName;

private:
    struct Option {
        std::string name;
        int value;
        std::vector<std::string> texts;
    };
    std::vector<Option> m_options;
};

// Frames until the screen is shown; false when it never is.
bool FadeIn(OptionsOwner& owner, const DemoFrame& frame)
{
    for (int i = 0; i < kMaxFrames; ++i) {
        if (Menu::Instance()->GetFadeState() == Menu::kShown)
            return true;
        frame(owner, {}, "");
    }
    return false;
}

// A key, then frames for the widgets to settle; the last frame's picture when png is given.
void Press(OptionsOwner& owner, const DemoFrame& frame, const MenuKeys& keys, const std::string& png = "")
{
    frame(owner, keys, "");
    for (int i = 0; i < kSettleFrames; ++i)
        frame(owner, {}, i + 1 == kSettleFrames ? png : "");
}

std::string Selected()
{
    return Menu::Instance()->GetSelectedItemName();
}

MenuKeys Key(bool MenuKeys::*key)
{
    MenuKeys keys;
    keys.*key = true;
    return keys;
}

// Types one key as the keyboard reports it: down for a frame, then up.
// The key down for a frame, then up for one; the keyboard reads each as its frame has it.
void Type(OptionsOwner& owner, const DemoFrame& frame, int key)
{
    KeyboardInput* keyboard = KeyboardInput::Instance();
    keyboard->OnKeyDown(key);
    keyboard->Update(0.0f);
    frame(owner, {}, "");
    keyboard->OnKeyUp(key);
    keyboard->Update(0.0f);
    frame(owner, {}, "");
}

}  // namespace

bool RunOptionsScreen(const DemoFrame& frame)
{
    std::printf("loading \"options\":\n");
    OptionsOwner owner;
    const bool entered = owner.Enter("options");
    // Driven by keys from the start.
    Menu::Instance()->SetMouseMode(false);
    const bool shown = FadeIn(owner, frame);
    Press(owner, frame, {}, "menu_options.png");
    const int before = owner.Value("fx_volume");
    for (int press = 0; press < 2; ++press)
        Press(owner, frame, Key(&MenuKeys::right), press == 1 ? "menu_options_fx.png" : "");
    const int after = owner.Value("fx_volume");
    std::printf("\"%s\": two right presses step the effects volume from %d to %d\n", Selected().c_str(), before, after);

    for (int press = 0; press < 4; ++press)
        Press(owner, frame, Key(&MenuKeys::down));
    const bool onShirts = Selected() == "shirts_team1";
    const int shirt = owner.Value("shirts_team1");
    Press(owner, frame, Key(&MenuKeys::right), "menu_options_shirts.png");
    const int nextShirt = owner.Value("shirts_team1");
    std::printf("\"%s\": right steps shirt %d to %d, past %d, team 2's shirt\n", Selected().c_str(), shirt, nextShirt,
                owner.Value("shirts_team2"));

    while (Selected() != "accept" && Selected() != "fx_volume")
        Press(owner, frame, Key(&MenuKeys::down));
    const size_t commands = owner.commands.size();
    frame(owner, Key(&MenuKeys::select), "");
    const bool accepted = commands < owner.commands.size() && owner.commands[commands] == "Accept";
    bool left = false;
    for (int i = 0; i < kMaxFrames && !left; ++i)
        left = !frame(owner, {}, "");
    std::printf("the screen is gone; next screen \"%s\"\n", owner.next.c_str());
    owner.Exit();
    return entered && shown && before == 5 && after == 7 && onShirts && shirt == 0 && nextShirt == 2 && accepted &&
           left && owner.next == "main";
}

bool RunStoryTeamScreen(const DemoFrame& frame)
{
    std::printf("loading \"story_team_select\":\n");
    InputMapperDefault keys;
    BufferedInputController::Instance()->RegisterInputMapper(&keys);
    OptionsOwner owner;
    const bool entered = owner.Enter("story_team_select");
    Menu::Instance()->SetMouseMode(false);
    const bool shown = FadeIn(owner, frame);
    const bool onField = Selected() == "teamname";
    KeyboardInput* keyboard = KeyboardInput::Instance();
    keyboard->OnKeyDown(vk::Shift);
    Type(owner, frame, 'A');
    keyboard->OnKeyUp(vk::Shift);
    Type(owner, frame, 'B');
    Type(owner, frame, 'C');
    Press(owner, frame, {}, "menu_story_team.png");
    const std::string typed = Menu::Instance()->Variables()["storyteamname"];
    std::printf("typed with Shift on the first letter: \"storyteamname\" is \"%s\"\n", typed.c_str());
    // Up, past "back": down from the field leads into the on-screen keyboard.
    for (int i = 0; i < 4 && Selected() != "ok"; ++i)
        Press(owner, frame, Key(&MenuKeys::up));
    const bool onOk = Selected() == "ok";
    frame(owner, Key(&MenuKeys::select), "");
    owner.Exit();
    BufferedInputController::Instance()->UnregisterInputMapper(&keys);
    return entered && shown && onField && onOk && typed == "Abc" && owner.teamName == "Abc";
}
