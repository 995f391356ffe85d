// Runs the real program from a scratch copy of the game folder under the offscreen driver and
// drives the story mode with pushed key events:
//     story_run <game folder> <work folder> first|second
// first: "main" to the story slots; the third slot, a new career named "Bolts" (typed), its
// options left as they are; "Save" on the first leg's screen; the program quits.
// second: the third slot shows "Bolts", the date and step 1; "story_load" continues the
// career on its leg screen with "continue" chosen, on to the training and the match start,
// where "Save" writes it again; the program quits. The story match is not built yet, so the
// road ends there.
// Both runs print the career file and the slot table unscrambled. The exit code is 0 when the
// program ended with 123 and every check held.

#include "characters/TeamDescription.h"
#include "framework/CryptedStdFile.h"
#include "framework/Factory.h"
#include "framework/File.h"
#include "framework/FileSystem.h"
#include "framework/GameState.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StorySaveGame.h"
#include "match/game/GameTB.h"
#include "menus/Menu.h"
#include "shell/MainApp.h"
#include "tools/editor_script/EditorScript.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace editor_script;

constexpr int kTickCap = 6000;
constexpr int kNormalExit = 123;
constexpr int kCareerSlot = 2;

// The menu that owns the screen: inside a story round it is the round's, not the game's.
TBMenu* ScreenMenu()
{
    return dynamic_cast<TBMenu*>(Menu::Instance()->GetOwner());
}

bool OnScreen(const char* screen)
{
    const TBMenu* menu = ScreenMenu();
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

// A step runs every tick until it answers true; keys go down on one tick and up on the next.
class StoryScript {
public:
    using Step = std::function<bool()>;
    std::vector<Step> steps;

    void Tick()
    {
        if (!m_release.empty()) {
            for (auto code = m_release.rbegin(); code != m_release.rend(); ++code)
                Key(*code, false);
            m_release.clear();
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
    // The keys go down together, in order, and come up on the next tick.
    void Press(std::vector<SDL_Scancode> codes)
    {
        for (SDL_Scancode code : codes)
            Key(code, true);
        m_release = std::move(codes);
    }

private:
    size_t m_next = 0;
    int m_ticks = 0;
    std::vector<SDL_Scancode> m_release;
};

StoryScript g_script;

StoryScript::Step WaitFor(const char* screen)
{
    return [screen] { return OnScreen(screen); };
}

// Down until the item is selected, then the select key.
StoryScript::Step Choose(const char* item)
{
    return [item] {
        if (Menu::Instance()->GetFadeState() != Menu::kShown)
            return false;
        if (Menu::Instance()->GetSelectedItemName() != item) {
            g_script.Press({SDL_SCANCODE_DOWN});
            return false;
        }
        g_script.Press({SDL_SCANCODE_SPACE});
        return true;
    };
}

StoryScript::Step PressKeys(std::vector<SDL_Scancode> codes)
{
    return [codes] {
        g_script.Press(codes);
        return true;
    };
}

StoryScript::Step Do(std::function<void()> act)
{
    return [act] {
        act();
        return true;
    };
}

std::string Variable(const std::string& name)
{
    return Menu::Instance()->Variables()[name];
}

// A scrambled save file as its plain text.
void PrintUnscrambled(const char* name)
{
    FileSystem::Instance()->InvalidateDiskCache();
    File* file = CryptedStdFile::Open(name, false);
    if (!file) {
        Check(false, "the save file reads");
        return;
    }
    std::string text(static_cast<size_t>(file->Size()), '\0');
    text.resize(file->Read(text.data(), text.size()));
    file->Close();
    delete file;
    std::printf("----- %s -----\n%s", name, text.c_str());
}

void PrintFiles()
{
    PrintUnscrambled(StorySaveGame::CareerFileName(kCareerSlot).c_str());
    PrintUnscrambled(StorySaveGame::kTableFile);
}

StoryScript::Step Quit()
{
    return Do([] {
        PrintFiles();
        theApp.PostQuitMessage(kNormalExit);
    });
}

void ToTheSlots()
{
    auto& s = g_script.steps;
    s.push_back(WaitFor("main"));
    s.push_back(Choose("storymode"));
    s.push_back(WaitFor("story_slots"));
    // The slot's button chooses it and moves on to what can be done with it.
    s.push_back(Choose("slot2"));
}

void FirstRun()
{
    ToTheSlots();
    auto& s = g_script.steps;
    s.push_back(Choose("story_create"));
    s.push_back(WaitFor("story_team_select"));
    s.push_back(PressKeys({SDL_SCANCODE_LSHIFT, SDL_SCANCODE_B}));
    for (SDL_Scancode code : {SDL_SCANCODE_O, SDL_SCANCODE_L, SDL_SCANCODE_T, SDL_SCANCODE_S})
        s.push_back(PressKeys({code}));
    s.push_back(Do([] {
        std::printf("typed team name \"%s\"\n", Variable("storyteamname").c_str());
        Check(Variable("storyteamname") == "Bolts", "the typed name is Bolts");
    }));
    s.push_back(Choose("ok"));
    s.push_back(WaitFor("leg_display"));
    s.push_back(Do([] {
        Check(StoryModeGame::Instance()->teamName == "Bolts", "the career takes the typed name");
        Check(StorySaveGame::Instance()->currentSlot == kCareerSlot, "the career runs in the third slot");
    }));
    s.push_back(Choose("Save"));
    s.push_back(Do([] {
        const StorySlot& slot = StorySaveGame::Instance()->slots[kCareerSlot];
        std::printf("slot 3: %s, %s, %s\n", slot.displayName.c_str(), slot.date.c_str(), slot.progress.c_str());
        Check(slot.progress == "<scale 0.4><br>%30320% 1</scale>", "the first leg is step 1");
    }));
    s.push_back(Quit());
}

void SecondRun()
{
    ToTheSlots();
    auto& s = g_script.steps;
    s.push_back(Do([] {
        std::printf("slot 3 shows: %s | %s | %s\n", Variable("%savegame3%").c_str(), Variable("%savegame3_dat%").c_str(),
                    Variable("%savegame3_pro%").c_str());
        Check(Variable("%savegame3%") == "Bolts", "the third slot shows Bolts");
        Check(!Variable("%savegame3_dat%").empty(), "the third slot shows its date");
        Check(Variable("%savegame3_pro%").find("%30320% 1<") != std::string::npos, "the third slot shows step 1");
    }));
    s.push_back(Choose("story_load"));
    s.push_back(WaitFor("leg_display"));
    s.push_back(Do([] {
        Check(Menu::Instance()->GetSelectedItemName() == "continue", "a resumed career goes on with continue");
        Check(!Menu::Instance()->HasItem("OK"), "a resumed career has no OK");
        Check(TeamDescription::Find(StoryModeGame::kStoryTeam)->GetTeamName() == "Bolts", "the story team is Bolts");
    }));
    s.push_back(Choose("continue"));
    s.push_back(WaitFor("training"));
    s.push_back(Choose("OK"));
    s.push_back(WaitFor("matchstart"));
    s.push_back(Choose("Save"));
    s.push_back(Do([] {
        Check(StorySaveGame::Instance()->slots[kCareerSlot].displayName == "Bolts", "the slot keeps its career");
        std::printf("on the match start; the story match is not built yet\n");
    }));
    s.push_back(Quit());
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
        std::fprintf(stderr, "usage: story_run <game folder> <work folder> first|second\n");
        return 2;
    }
    const bool second = std::strcmp(argv[3], "second") == 0;
    const fs::path work = fs::absolute(argv[2]) / "game";
    if (!PrepareWorkFolder(argv[1], work, !second)) {
        std::fprintf(stderr, "story_run: no game data in %s\n", argv[1]);
        return 1;
    }
    if (second)
        SecondRun();
    else
        FirstRun();
    FactoryRegistry::GameStates().Register("GameTB", &MakeScriptedGame);
    std::string pictures;
    const std::string folder = work.string();
    const std::string pictureFolder = (fs::absolute(argv[2]) / "pictures").string();
    char* args[] = {argv[0], const_cast<char*>(folder.c_str()), const_cast<char*>(pictureFolder.c_str())};
    return RunDemo("story_run", 3, args, pictures, &MakeScriptedGame);
}
