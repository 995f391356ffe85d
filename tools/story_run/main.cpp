// Runs the real program from a scratch copy of the game folder under the offscreen driver and
// drives the story mode with pushed key events:
//     story_run <game folder> <work folder> first|second
// first: "main" to the story slots; the third slot, a new career named "Bolts" (typed), its
// options left as they are; "Save" on the first leg's screen; the program quits.
// second: the third slot shows "Bolts", the date and step 1; "story_load" continues the
// career on its leg screen with "continue" chosen, on to the training,
// where "Save" writes it again; the program quits. The story match is not built yet, so the
// road ends there.
// Both runs print the career file and the slot table unscrambled; pictures of the screens land
// in <work folder>/pictures. The exit code is 0 when the
// program ended with 123 and every check held.

#include "characters/TeamDescription.h"
#include "framework/CryptedStdFile.h"
#include "framework/File.h"
#include "framework/FileSystem.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StorySaveGame.h"
#include "match/game/GameTB.h"
#include "menus/Menu.h"
#include "shell/MainApp.h"
#include "tools/editor_script/EditorScript.h"
#include "tools/menu_script/MenuScript.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace editor_script;
using namespace menu_script;

constexpr int kNormalExit = 123;
constexpr int kCareerSlot = 2;
bool g_second = false;

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

menu_script::Step Quit()
{
    return Do([] {
        PrintFiles();
        theApp.PostQuitMessage(kNormalExit);
    });
}

void ToTheSlots()
{
    auto& s = Steps();
    s.push_back(WaitFor("main"));
    s.push_back(Choose("storymode"));
    s.push_back(WaitFor("story_slots"));
    s.push_back(Picture(g_second ? "story_slots_again" : "story_slots"));
    // The slot's button chooses it and moves on to what can be done with it.
    s.push_back(Choose("slot2"));
}

void FirstRun()
{
    ToTheSlots();
    auto& s = Steps();
    s.push_back(Choose("story_create"));
    s.push_back(WaitFor("story_team_select"));
    s.push_back(PressKeys({SDL_SCANCODE_LSHIFT, SDL_SCANCODE_B}));
    for (SDL_Scancode code : {SDL_SCANCODE_O, SDL_SCANCODE_L, SDL_SCANCODE_T, SDL_SCANCODE_S})
        s.push_back(PressKeys({code}));
    s.push_back(Do([] {
        std::printf("typed team name \"%s\"\n", Variable("storyteamname").c_str());
        Check(Variable("storyteamname") == "Bolts", "the typed name is Bolts");
    }));
    s.push_back(Picture("story_team_select"));
    s.push_back(Choose("ok"));
    s.push_back(WaitFor("leg_display"));
    s.push_back(Picture("leg_display"));
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
    auto& s = Steps();
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
    // The first leg's training opens with the newspaper, which waits for the button.
    s.push_back([ticks = 0]() mutable {
        if (OnScreen("training"))
            return true;
        if (!OnScreen("leg_display") && ++ticks % 30 == 0)
            Press({SDL_SCANCODE_SPACE});
        return false;
    });
    s.push_back(Picture("training"));
    s.push_back(Choose("Save"));
    s.push_back(Do([] {
        Check(StorySaveGame::Instance()->slots[kCareerSlot].displayName == "Bolts", "the slot keeps its career");
        std::printf("on the training; training_run plays it through to the match start\n");
    }));
    s.push_back(Quit());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4 || (std::strcmp(argv[3], "first") != 0 && std::strcmp(argv[3], "second") != 0)) {
        std::fprintf(stderr, "usage: story_run <game folder> <work folder> first|second\n");
        return 2;
    }
    const bool second = std::strcmp(argv[3], "second") == 0;
    g_second = second;
    const fs::path work = fs::absolute(argv[2]) / "game";
    if (!PrepareWorkFolder(argv[1], work, !second)) {
        std::fprintf(stderr, "story_run: no game data in %s\n", argv[1]);
        return 1;
    }
    if (second)
        SecondRun();
    else
        FirstRun();
    return Run("story_run", argv[0], work, fs::absolute(argv[2]) / "pictures");
}
