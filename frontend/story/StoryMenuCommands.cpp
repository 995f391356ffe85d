// The story mode's command words on the front-end screens.

#include "framework/Debug.h"
#include "framework/StringUtil.h"
#include "frontend/menu/MenuCommands.h"
#include "frontend/menu/MenuLaunchedCodeFragment.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/story/StoryCommands.h"
#include "settings/GameParameters.h"

namespace {

void Apply(MenuCommandCall& call, StoryChoice choice)
{
    if (choice.failed)
        call.Stop(TBMenu::kNotSavedNotice);
    else if (choice.decided)
        call.SetSuccessor(choice.next);
}

// Lives with the match states, above this library; the menus find it by name.
constexpr const char* kSingleMatchStart = "SingleMatchStart";

void StartSingleMatch(MenuCommandCall& call)
{
    const GameParameters* parameters = GameParameters::Instance();
    if (parameters->GetParameter("level") == "NULL")
        return;
    // It sets the successor and starts the fade-out itself.
    if (parameters->customTeam[0] != 0 || parameters->customTeam[1] != 0) {
        call.menu.StartSingleMatch();
        return;
    }
    MenuLaunchedCodeFragment* start = MenuLaunchedCodeFragment::GetFactory().Create(kSingleMatchStart);
    if (!start) {
        LogError("StartGame: no \"%s\" in this program\n", kSingleMatchStart);
        return;
    }
    call.SetSuccessor(start);
}

void StartGame(MenuCommandCall& call)
{
    StringTokenizer tokens(call.argument, " \t");
    if (!tokens.HasMoreTokens()) {
        LogWarning("TBMenu::OnMessage: StartGame without a mode\n");
        return;
    }
    const std::string mode = tokens.NextToken();
    if (mode == "SingleMatch")
        StartSingleMatch(call);
    else
        Apply(call, story_commands::StartGame(mode));
}

void EnterStoryMode(MenuCommandCall& call) { Apply(call, story_commands::EnterStoryMode()); }
void NextRound(MenuCommandCall& call) { Apply(call, story_commands::NextRound()); }
void RestartMatch(MenuCommandCall& call) { Apply(call, story_commands::RestartMatch()); }
void Training(MenuCommandCall& call) { Apply(call, story_commands::Training()); }
void Save(MenuCommandCall& call) { call.stopped = !story_commands::Save(call.menu); }
void DeleteStory(MenuCommandCall&) { story_commands::DeleteStory(); }
void SelectedStory(MenuCommandCall&) { story_commands::SelectedStory(); }
void CheckLegEntry(MenuCommandCall&) { story_commands::CheckLegEntry(); }
void CheckRoundResultType(MenuCommandCall&) { story_commands::CheckRoundResultType(); }

// What the message screen says when the slot table was damaged or missing.
constexpr const char* kCareersFoundNotice = "%30332%";

void LoadSavegameMeta(MenuCommandCall& call)
{
    const bool tell = story_commands::LoadSavegameMeta();
    call.menu.UpdateMenuVariables();
    if (tell)
        call.menu.ShowNotice(kCareersFoundNotice);
}

}  // namespace

REGISTER_MENU_COMMAND("StartGame", StartGame);
REGISTER_MENU_COMMAND("EnterStoryMode", EnterStoryMode);
REGISTER_MENU_COMMAND("NextRound", NextRound);
REGISTER_MENU_COMMAND("RestartMatch", RestartMatch);
REGISTER_MENU_COMMAND("Training", Training);
REGISTER_MENU_COMMAND("Save", Save);
REGISTER_MENU_COMMAND("DeleteStory", DeleteStory);
REGISTER_MENU_COMMAND("SelectedStory", SelectedStory);
REGISTER_MENU_COMMAND("LoadSavegameMeta", LoadSavegameMeta);
REGISTER_MENU_COMMAND("CheckLegEntry", CheckLegEntry);
REGISTER_MENU_COMMAND("CheckRoundResultType", CheckRoundResultType);
