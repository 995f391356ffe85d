// Runs the real program from a scratch copy of the game folder under the offscreen driver and
// drives the front end with pushed key events:
//     menu_run <game folder> <work folder> first|second
// first: "main" to "options", three presses lower the effects volume from 10 to 7, "Accept"
// writes the user file; on "controls" the key of "(0):up" becomes Q and "Controls assign"
// writes the key file; "credits" returns to "main" by itself (started near its end, so the
// run stays short); "QuitGame" ends the program with 123.
// second: the stored volume and key are back; three presses raise the volume to 10 again,
// "Accept", "QuitGame".
// The exit code is 0 when the program ended with 123 and every check held.

#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "framework/GameState.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/menu/TBMenuToggles.h"
#include "input/ConfigurableInputMapper.h"
#include "input/PlatformInputDevices.h"
#include "input/VirtualKeys.h"
#include "match/game/GameTB.h"
#include "menus/Menu.h"
#include "shell/MainApp.h"
#include "tools/editor_script/EditorScript.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace editor_script;

constexpr int kTickCap = 6000;
constexpr float kCreditsNearEnd = 1450.0f;
bool g_second = false;

TBMenu* CurrentMenu()
{
    GameTB* game = GameTB::Current();
    return game ? dynamic_cast<TBMenu*>(game->GetCurrentState()) : nullptr;
}

bool OnScreen(const char* screen)
{
    const TBMenu* menu = CurrentMenu();
    return menu && menu->GetScreen() == screen && Menu::Instance()->GetFadeState() == Menu::kShown;
}

void Key(SDL_Scancode code, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = SDL_GetWindowID(GameWindow());
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = code;
    event.key.keysym.sym = SDL_GetKeyFromScancode(code);
    Push(event);
}

// A step runs every tick until it answers true; a key goes down on one tick and up on the next.
class MenuScript {
public:
    using Step = std::function<bool()>;
    std::vector<Step> steps;

    void Tick()
    {
        if (m_release) {
            Key(m_release, false);
            m_release = SDL_SCANCODE_UNKNOWN;
            return;
        }
        if (++m_ticks > kTickCap) {
            Check(false, "the script ends within its ticks");
            steps.clear();
            theApp.PostQuitMessage(1);
            return;
        }
        if (m_next < steps.size() && steps[m_next]())
            ++m_next;
    }
    void Press(SDL_Scancode code)
    {
        Key(code, true);
        m_release = code;
    }

private:
    size_t m_next = 0;
    int m_ticks = 0;
    SDL_Scancode m_release = SDL_SCANCODE_UNKNOWN;
};

MenuScript g_script;

MenuScript::Step WaitFor(const char* screen)
{
    return [screen] { return OnScreen(screen); };
}

// Down until the item is selected, then the select key.
MenuScript::Step Choose(const char* item)
{
    return [item] {
        if (Menu::Instance()->GetFadeState() != Menu::kShown)
            return false;
        if (Menu::Instance()->GetSelectedItemName() != item) {
            g_script.Press(SDL_SCANCODE_DOWN);
            return false;
        }
        g_script.Press(SDL_SCANCODE_SPACE);
        return true;
    };
}

MenuScript::Step PressKey(SDL_Scancode code)
{
    return [code] {
        g_script.Press(code);
        return true;
    };
}

MenuScript::Step Do(std::function<void()> act)
{
    return [act] {
        act();
        return true;
    };
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
    auto& s = g_script.steps;
    s.push_back(WaitFor("main"));
    s.push_back(Choose("options"));
    s.push_back(WaitFor("options"));
    for (int i = 0; i < 3; ++i)
        s.push_back(PressKey(code));
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

void FirstRun()
{
    Volume(SDL_SCANCODE_LEFT, 7);
    auto& s = g_script.steps;
    s.push_back(Choose("controls"));
    s.push_back(WaitFor("controls"));
    s.push_back(Choose("key0_up"));
    s.push_back(PressKey(SDL_SCANCODE_Q));
    s.push_back(Do([] { Check(UpKey() == vk::Letter('Q'), "(0):up takes the key Q"); }));
    s.push_back(Choose("assign"));
    s.push_back(WaitFor("options"));
    s.push_back(Do([] { Check(fs::exists("data/Savegames/inputs.txt"), "Controls assign writes the key file"); }));
    s.push_back(Choose("decline"));
    s.push_back(WaitFor("main"));
    s.push_back(Choose("credits"));
    s.push_back(WaitFor("credits"));
    s.push_back(Do([] { CurrentMenu()->SetCreditsScroll(kCreditsNearEnd); }));
    s.push_back(WaitFor("main"));
    s.push_back(Do([] { std::printf("the credits went back to main by themselves\n"); }));
    s.push_back(Choose("quit"));
}

void SecondRun()
{
    auto& s = g_script.steps;
    s.push_back(WaitFor("main"));
    s.push_back(Do([] {
        std::printf("stored: effects volume %d, (0):up key %d\n", EffectsVolume(), UpKey());
        Check(EffectsVolume() == 7, "the stored effects volume is back");
        Check(UpKey() == vk::Letter('Q'), "the stored key is back");
    }));
    Volume(SDL_SCANCODE_RIGHT, 10);
    s.push_back(Choose("quit"));
}

// The game itself, with the script run before each of its updates.
class ScriptedGame : public GameState {
public:
    bool Enter() override { return m_game.Enter(); }
    bool Exit() override { return m_game.Exit(); }
    void Update(float dt) override
    {
        g_script.Tick();
        m_game.Update(dt);
    }
    void Render() override { m_game.Render(); }
    int HandleEvent(const char* event, intptr_t a, intptr_t b) override { return m_game.HandleEvent(event, a, b); }

private:
    GameTB m_game;
};

GameState* MakeScriptedGame()
{
    return new ScriptedGame();
}

// The game folder's archive and icons, with save files of the run's own.
bool PrepareWorkFolder(const fs::path& game, const fs::path& work, bool fresh)
{
    std::error_code error;
    if (fresh)
        fs::remove_all(work, error);
    fs::create_directories(work / "data" / "Savegames", error);
    for (const char* entry : {"Turfbolt.dat", "icons"}) {
        const fs::path link = work / "data" / entry;
        if (!fs::exists(link))
            fs::create_symlink(fs::absolute(game / "data" / entry), link, error);
    }
    return fs::exists(work / "data" / "Turfbolt.dat");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4 || (std::strcmp(argv[3], "first") != 0 && std::strcmp(argv[3], "second") != 0)) {
        std::fprintf(stderr, "usage: menu_run <game folder> <work folder> first|second\n");
        return 2;
    }
    g_second = std::strcmp(argv[3], "second") == 0;
    const fs::path work = fs::absolute(argv[2]) / "game";
    if (!PrepareWorkFolder(argv[1], work, !g_second)) {
        std::fprintf(stderr, "menu_run: no game data in %s\n", argv[1]);
        return 1;
    }
    if (g_second)
        SecondRun();
    else
        FirstRun();
    FactoryRegistry::GameStates().Register("GameTB", &MakeScriptedGame);
    std::string pictures;
    const std::string folder = work.string();
    const std::string pictureFolder = (fs::absolute(argv[2]) / "pictures").string();
    char* args[] = {argv[0], const_cast<char*>(folder.c_str()), const_cast<char*>(pictureFolder.c_str())};
    return RunDemo("menu_run", 3, args, pictures, &MakeScriptedGame);
}
