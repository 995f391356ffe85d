#include "tools/menu_script/MenuScript.h"

#include "framework/Factory.h"
#include "framework/FileSystem.h"
#include "framework/GameState.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/menu/TBMenuToggles.h"
#include "game/GameTB.h"
#include "menus/Menu.h"
#include "scene/ProjectedShadow.h"
#include "shell/MainApp.h"
#include "tools/editor_script/EditorScript.h"
#include "tools/menu_script/WorkFolder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace menu_script {

namespace {

namespace fs = std::filesystem;

constexpr int kTickCap = 6000;
constexpr int kSecond = 60;  // updates
constexpr int kSkipEvery = 10;  // updates

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
    bool Exit() override
    {
        ProjectedShadow::SetPictureFollows(true);
        return m_game.Exit();
    }
    // The frame after every few updates is drawn, and the one after an update that asked for
    // a picture: the script reads the game's state, not its pictures, and drawing costs more
    // than the rest of an update. Counted in updates: about every other pass of the loop only
    // waits for time to pass and has none.
    void Update(float dt) override
    {
        TheScript().Tick();
        const bool picture = TheCapture() && !TheCapture()->pending.empty();
        m_drawNext = ++m_updates % kDrawEvery == 0 || picture;
        ProjectedShadow::SetPictureFollows(m_drawNext);
        m_game.Update(dt);
    }
    void Render() override
    {
        if (!m_drawNext)
            return;
        m_drawNext = false;
        // Shadows of characters that were not updated since their casters last waited.
        ProjectedShadow::DrawWaiting();
        m_game.Render();
    }
    int HandleEvent(const char* event, intptr_t a, intptr_t b) override { return m_game.HandleEvent(event, a, b); }

private:
    static constexpr int kDrawEvery = 8;
    GameTB m_game;
    int m_updates = 0;
    bool m_drawNext = false;
};

GameState* MakeScriptedGame()
{
    return new ScriptedGame();
}

// Every pass of the program's loop is one step of game time, however long its frame took to
// draw: the loop's pause between passes moves the clock on by the step instead of waiting. A
// script then takes as many frames on a loaded machine as on an idle one, and none are drawn
// while the program would only wait for time to pass.
class SteppedClock : public TickHost {
public:
    static constexpr uint64_t kFrequency = 1'000'000;
    static constexpr uint64_t kStep = kFrequency / 20;

    uint64_t Counter() override { return m_now; }
    uint64_t Frequency() override { return kFrequency; }
    void Sleep(uint32_t) override { m_now += kStep; }

private:
    uint64_t m_now = 0;
};

}  // namespace

std::vector<Step>& Steps()
{
    return TheScript().steps;
}

TBMenu* ScreenMenu()
{
    return dynamic_cast<TBMenu*>(Menu::Instance()->GetOwner());
}

int EffectsVolume(bool applied)
{
    const auto* toggle = TBMenuToggles::Instance()->GetToggle(TBMenuToggles::kFxVolume);
    return applied ? toggle->applied : toggle->value;
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

Step SkippingShows(Step until, SDL_Scancode key)
{
    return [until, key, ticks = 0]() mutable {
        if (until())
            return true;
        if (!ScreenMenu() && ++ticks % kSkipEvery == 0)
            Press({key});
        return false;
    };
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

Step PressWhileFadingIn(const char* screen, std::vector<SDL_Scancode> codes)
{
    return [screen, codes] {
        const TBMenu* menu = ScreenMenu();
        if (!menu || menu->GetScreen() != screen || menu->IsShowingNotice() ||
            Menu::Instance()->GetFadeState() != Menu::kFadingIn)
            return false;
        Press(codes);
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

Step Within(std::string what, std::function<bool()> holds)
{
    return [what = std::move(what), holds, ticks = 0]() mutable {
        const bool held = holds();
        if (!held && ++ticks < kSecond)
            return false;
        editor_script::Check(held, what.c_str());
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

int Run(const char* program, char* argv0, const fs::path& work, const fs::path& pictures)
{
    TheCapture() = std::make_unique<editor_script::Capture>(program);
    FactoryRegistry::GameStates().Register("GameTB", &MakeScriptedGame);
    const std::string folder = work.string();
    const std::string pictureFolder = pictures.string();
    char* args[] = {argv0, const_cast<char*>(folder.c_str()), const_cast<char*>(pictureFolder.c_str())};
    static SteppedClock clock;
    theApp.GetRenderWindow().SetTickHost(&clock);
    const int code = editor_script::RunDemo(program, 3, args, PicturesFolder(), &MakeScriptedGame);
    std::printf("%d updates\n", TheScript().ticks);
    return code;
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
