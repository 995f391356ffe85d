#include "frontend/story/StoryCommands.h"

#include "framework/Debug.h"
#include "framework/State.h"
#include "framework/StringUtil.h"
#include "frontend/FrontEndStates.h"
#include "frontend/cutscenes/CutSceneProps.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/menu/TBMenuToggles.h"
#include "frontend/story/PlayersGainedSelection.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StoryModeRound.h"
#include "frontend/story/StorySaveGame.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/TextInput.h"
#include "settings/GameParameters.h"

#include <algorithm>
#include <cstdlib>

namespace story_commands {

namespace {

constexpr const char* kNothingChosen = "NULL";
constexpr const char* kIntroFolder = "<PP>cutScenes\\panda_intro\\";
constexpr const char* kNewspaperFolder = "<PP>cutScenes\\newspaper\\";

// Removes the items and selects the third, only when the screen has both items.
void TakeOutForContinue(const char* a, const char* b)
{
    Menu* menu = Menu::Instance();
    if (!menu->HasItem(a) || !menu->HasItem(b))
        return;
    menu->RemoveItem("OK");
    menu->RemoveItem("quit");
    if (MenuItem* next = menu->GetItem("continue"))
        next->Select();
}

StoryChoice StartNewCareer(int slot)
{
    StorySaveGame::Instance()->currentSlot = slot;
    const bool free = StorySaveGame::Instance()->slots[slot].free;
    return StoryChoice::To(MakeStoryScreen(free ? "story_team_select" : "overwrite"));
}

StoryChoice ContinueCareer(int slot)
{
    StorySaveGame* slots = StorySaveGame::Instance();
    if (slots->slots[slot].free) {
        slots->currentSlot = slot;
        return StoryChoice::Stay();
    }
    if (!slots->LoadCareer(slot))
        return StoryChoice::Stay();
    slots->currentSlot = slot;
    GameParameters::Instance()->SetParameter("players", "1");
    StoryModeGame::Instance()->resumePending = true;
    return StoryChoice::To(new StoryModeRound());
}

}  // namespace

int ChosenSlot()
{
    const std::string choice = GameParameters::Instance()->GetParameter("storyslot");
    if (choice.empty() || choice == kNothingChosen)
        return -1;
    return static_cast<int>(std::strtol(choice.c_str(), nullptr, 10));
}

std::string TrimmedName(const std::string& typed)
{
    TextBuffer buffer(static_cast<int32_t>(typed.size()));
    TextInput::SetText(buffer, typed);
    std::string name = buffer.text;
    Trim(name);
    return name;
}

StoryChoice StartGame(const std::string& mode)
{
    if (mode != "StoryMode" && mode != "LastStory")
        return StoryChoice::Stay();
    const int slot = ChosenSlot();
    if (slot < 0)
        return StoryChoice::Stay();
    if (!StorySaveGame::IsSlot(slot)) {
        LogError("StartGame: no save slot %d\n", slot);
        return StoryChoice::Stay();
    }
    return mode == "StoryMode" ? StartNewCareer(slot) : ContinueCareer(slot);
}

StoryChoice EnterStoryMode()
{
    const std::string typed = Menu::Instance()->Variables()["storyteamname"];
    const std::string name = TrimmedName(typed);
    if (name.empty())
        return StoryChoice::Stay();
    // Before the first write, so that the career file carries the options from the start.
    TBMenuToggles::Instance()->StoreStoryChoices(*StoryModeGame::Instance());
    StorySaveGame* slots = StorySaveGame::Instance();
    if (!slots->StartCareer(slots->currentSlot, name, typed))
        return StoryChoice::Failed();
    GameParameters::Instance()->SetParameter("players", "1");
    return StoryChoice::To(new IteratingState(new CutScenes(kIntroFolder), new StoryModeRound()));
}

StoryChoice NextRound()
{
    StoryModeGame* game = StoryModeGame::Instance();
    game->SaveTrainingStats();
    return StoryChoice::To(new PlayersGainedSelection(TeamDescription::Find(StoryModeGame::kStoryTeam),
                                                      TeamDescription::Find(game->GetOpponentName())));
}

StoryChoice RestartMatch()
{
    StoryModeGame* game = StoryModeGame::Instance();
    game->restartRequested = true;
    game->trainingPassed = true;
    return StoryChoice::To(nullptr);
}

StoryChoice Training()
{
    StoryModeGame* game = StoryModeGame::Instance();
    if (game->trainingPassed)
        return StoryChoice::To(MakeStoryScreen("matchstart"));
    game->resumePending = false;
    if (game->round == 0 && game->firstLeg) {
        State* newspaper = new CutScenes(kNewspaperFolder, "script_happy.txt", NewspaperPage::kBeforeFirstTraining);
        State* intro = new IteratingState(new StoryModeLoading(0, 0, 0), newspaper);
        return StoryChoice::To(new IteratingState(intro, MakeStoryScreen("training")));
    }
    return StoryChoice::To(MakeStoryScreen("training"));
}

bool Save(TBMenu& menu)
{
    const bool saved = StorySaveGame::Instance()->Save();
    menu.ShowNotice(saved ? TBMenu::kSavedNotice : TBMenu::kNotSavedNotice);
    return saved;
}

void DeleteStory()
{
    const int slot = ChosenSlot();
    if (slot >= 0)
        StorySaveGame::Instance()->DeleteSlot(slot);
}

bool LoadSavegameMeta()
{
    StorySaveGame* slots = StorySaveGame::Instance();
    slots->LoadTable();
    return slots->TakeTableNotice();
}

void SelectedStory()
{
    const int slot = std::max(ChosenSlot(), 0);
    if (!StorySaveGame::IsSlot(slot))
        return;
    Menu* menu = Menu::Instance();
    if (MenuItem* selected = menu->GetSelectedItem())
        selected->Deselect();
    const char* item = StorySaveGame::Instance()->slots[slot].free ? "story_create" : "story_load";
    if (MenuItem* found = menu->GetItem(item))
        menu->SelectItem(found);
}

void CheckLegEntry()
{
    const StoryModeGame* game = StoryModeGame::Instance();
    if (game->resumePending)
        TakeOutForContinue("OK", "quit");
    else if (game->round == 0 && game->firstLeg)
        TakeOutForContinue("quit", "continue");
    else if (Menu::Instance()->HasItem("continue"))
        Menu::Instance()->RemoveItem("continue");
}

void CheckMatchstartEntry()
{
    if (StoryModeGame::Instance()->resumePending)
        TakeOutForContinue("OK", "quit");
    else if (Menu::Instance()->HasItem("continue"))
        Menu::Instance()->RemoveItem("continue");
}

void CheckRoundResultType()
{
    Menu* menu = Menu::Instance();
    if (StoryModeGame::Instance()->round != StoryModeGame::kFinalRound || !menu->HasItem("player_home") ||
        !menu->HasItem("opponent_away"))
        return;
    menu->RemoveItem("player_home");
    menu->RemoveItem("opponent_away");
}

}  // namespace story_commands
