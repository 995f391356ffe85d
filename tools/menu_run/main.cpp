// Runs the real program from a scratch copy of the game folder under the offscreen driver and
// drives the front end with pushed key events:
//     menu_run <game folder> <work folder> first|second
// first: no error logged up to "main"; "main" to "options", three presses lower the effects
// volume from 10 to 7, "Accept" writes the user file; on "controls" the key of "(0):up"
// becomes Q and "Controls assign" writes the key file and returns to "main"; "credits" returns to "main" by itself
// (started near its end, so the run stays short); "QuitGame" ends the program with 123.
// second: the stored volume and key are back; three presses raise the volume to 10 again,
// "Accept", "QuitGame".
// Pictures of the options, controls and credits screens land in <work folder>/pictures.
// The exit code is 0 when the program ended with 123 and every check held.

#include "framework/FileSystem.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/menu/TBMenuToggles.h"
#include "input/ConfigurableInputMapper.h"
#include "input/PlatformInputDevices.h"
#include "input/VirtualKeys.h"
#include "match/game/GameTB.h"
#include "menus/Menu.h"
#include "shell/MainApp.h"
#include "tools/editor_script/EditorScript.h"
#include "tools/menu_script/MenuScript.h"

#include <SDL.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace editor_script;
using namespace menu_script;

constexpr float kCreditsMiddle = 600.0f;
constexpr float kCreditsNearEnd = 1450.0f;

TBMenu* CurrentMenu()
{
    GameTB* game = GameTB::Current();
    return game ? dynamic_cast<TBMenu*>(game->GetCurrentState()) : nullptr;
}

int EffectsVolume()
{
    return TBMenuToggles::Instance()->GetToggle(TBMenuToggles::kFxVolume)->value;
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
        Check(TBMenuToggles::Instance()->GetToggle(TBMenuToggles::kFxVolume)->applied == to, "the volume is applied");
    }));
}

// The lines of the program's log that report an error.
std::string LoggedErrors()
{
    std::ifstream log("data/log.txt");
    std::string line, errors;
    while (std::getline(log, line))
        if (line.find("***ERROR") != std::string::npos)
            errors += line + "\n";
    return errors;
}

void FirstRun()
{
    Steps().push_back(WaitFor("main"));
    Steps().push_back(Do([] {
        const std::string errors = LoggedErrors();
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
    s.push_back(Do([] { CurrentMenu()->SetCreditsScroll(kCreditsNearEnd); }));
    s.push_back(WaitFor("main"));
    s.push_back(Do([] { std::printf("the credits went back to main by themselves\n"); }));
    s.push_back(Choose("quit"));
}

void SecondRun()
{
    auto& s = Steps();
    s.push_back(WaitFor("main"));
    s.push_back(Do([] {
        std::printf("stored: effects volume %d, (0):up key %d\n", EffectsVolume(), UpKey());
        Check(EffectsVolume() == 7, "the stored effects volume is back");
        Check(UpKey() == vk::Letter('Q'), "the stored key is back");
    }));
    Volume(SDL_SCANCODE_RIGHT, 10);
    s.push_back(Choose("quit"));
}

}  // namespace

int main(int argc, char** argv)
{
    return RunFromCommandLine("menu_run", argc, argv, {{"first", FirstRun, true}, {"second", SecondRun, false}});
}
