#include "tools/menu_script/MenuScript.h"

#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "framework/GameState.h"
#include "frontend/menu/TBMenu.h"
#include "match/game/GameTB.h"
#include "menus/Menu.h"
#include "shell/MainApp.h"
#include "tools/editor_script/EditorScript.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace menu_script {

namespace {

namespace fs = std::filesystem;

constexpr int kTickCap = 6000;
constexpr int kSecond = 60;  // updates

void Key(SDL_Scancode code, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = SDL_GetWindowID(editor_script::GameWindow());
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = code;
    event.key.keysym.sym = SDL_GetKeyFromScancode(code);
    editor_script::Push(event);
}

struct Script {
    std::vector<Step> steps;
    size_t next = 0;
    int ticks = 0;
    std::vector<SDL_Scancode> release;

    void Tick()
    {
        if (!release.empty()) {
            for (auto code = release.rbegin(); code != release.rend(); ++code)
                Key(*code, false);
            release.clear();
            return;
        }
        if (++ticks > kTickCap) {
            editor_script::Check(false, "the script ends within its ticks");
            steps.clear();
            theApp.PostQuitMessage(1);
            return;
        }
        if (next < steps.size() && steps[next]())
            ++next;
    }
};

Script& TheScript()
{
    static Script script;
    return script;
}

// Made by Run, which names the program.
std::unique_ptr<editor_script::Capture>& TheCapture()
{
    static std::unique_ptr<editor_script::Capture> capture;
    return capture;
}

// The folder the demo runner settles on.
std::string& PicturesFolder()
{
    static std::string folder;
    return folder;
}

// The game itself, with the script run before each of its updates.
class ScriptedGame : public GameState {
public:
    bool Enter() override
    {
        if (TheCapture())
            platform::SetPresentHook(TheCapture().get());
        return m_game.Enter();
    }
    bool Exit() override { return m_game.Exit(); }
    void Update(float dt) override
    {
        TheScript().Tick();
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

}  // namespace

std::vector<Step>& Steps()
{
    return TheScript().steps;
}

TBMenu* ScreenMenu()
{
    return dynamic_cast<TBMenu*>(Menu::Instance()->GetOwner());
}

bool OnScreen(const char* screen)
{
    const TBMenu* menu = ScreenMenu();
    return menu && menu->GetScreen() == screen && !menu->IsShowingNotice() &&
           Menu::Instance()->GetFadeState() == Menu::kShown;
}

void Press(std::vector<SDL_Scancode> codes)
{
    for (SDL_Scancode code : codes)
        Key(code, true);
    TheScript().release = std::move(codes);
}

Step WaitFor(const char* screen)
{
    return [screen] { return OnScreen(screen); };
}

std::string ShownNotice()
{
    const TBMenu* menu = ScreenMenu();
    Menu* shown = Menu::Instance();
    if (!menu || !menu->IsShowingNotice() || !shown->HasItem("message") || shown->GetFadeState() != Menu::kShown)
        return std::string();
    return shown->ExpandVariables("%dynamic_message%");
}

Step WaitForNotice(std::string picture)
{
    return [picture] {
        if (ShownNotice().empty())
            return false;
        Picture(picture.c_str())();
        return true;
    };
}

Step Choose(const char* item, SDL_Scancode move)
{
    return [item, move] {
        const TBMenu* menu = ScreenMenu();
        if (Menu::Instance()->GetFadeState() != Menu::kShown || (menu && menu->IsShowingNotice()))
            return false;
        if (Menu::Instance()->GetSelectedItemName() != item) {
            Press({move});
            return false;
        }
        Press({SDL_SCANCODE_SPACE});
        return true;
    };
}

Step PressKeys(std::vector<SDL_Scancode> codes)
{
    return [codes] {
        Press(codes);
        return true;
    };
}

Step TapKeys(std::vector<SDL_Scancode> codes)
{
    return [codes] {
        for (SDL_Scancode code : codes)
            Key(code, true);
        for (SDL_Scancode code : codes)
            Key(code, false);
        return true;
    };
}

Step Do(std::function<void()> act)
{
    return [act] {
        act();
        return true;
    };
}

Step Within(const char* what, std::function<bool()> holds)
{
    return [what, holds, ticks = 0]() mutable {
        const bool held = holds();
        if (!held && ++ticks < kSecond)
            return false;
        editor_script::Check(held, what);
        return true;
    };
}

Step Picture(const char* name)
{
    return [name] {
        if (TheCapture())
            TheCapture()->pending = PicturesFolder() + "/" + name + ".png";
        return true;
    };
}

void BlockFile(const std::string& file, bool blocked)
{
    std::error_code error;
    fs::remove(file, error);
    if (blocked)
        fs::create_directories(file, error);
    FileSystem::Instance()->InvalidateDiskCache();
}

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

int Run(const char* program, char* argv0, const fs::path& work, const fs::path& pictures)
{
    TheCapture() = std::make_unique<editor_script::Capture>(program);
    FactoryRegistry::GameStates().Register("GameTB", &MakeScriptedGame);
    const std::string folder = work.string();
    const std::string pictureFolder = pictures.string();
    char* args[] = {argv0, const_cast<char*>(folder.c_str()), const_cast<char*>(pictureFolder.c_str())};
    return editor_script::RunDemo(program, 3, args, PicturesFolder(), &MakeScriptedGame);
}

int RunFromCommandLine(const char* program, int argc, char** argv, const std::vector<RunKind>& runs)
{
    const auto run = std::find_if(runs.begin(), runs.end(), [&](const RunKind& kind) {
        return argc == 4 && std::strcmp(argv[3], kind.name) == 0;
    });
    if (run == runs.end()) {
        std::string names;
        for (const RunKind& kind : runs)
            names += (names.empty() ? "" : "|") + std::string(kind.name);
        std::fprintf(stderr, "usage: %s <game folder> <work folder> %s\n", program, names.c_str());
        return 2;
    }
    const fs::path work = fs::absolute(argv[2]) / "game";
    if (!PrepareWorkFolder(argv[1], work, run->fresh)) {
        std::fprintf(stderr, "%s: no game data in %s\n", program, argv[1]);
        return 1;
    }
    run->fill();
    return Run(program, argv[0], work, fs::absolute(argv[2]) / "pictures");
}

}  // namespace menu_script
