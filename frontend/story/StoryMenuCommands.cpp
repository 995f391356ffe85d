// The story mode's command words on the front-end screens.

#include "framework/Debug.h"
#include "framework/StringUtil.h"
#include "frontend/menu/MenuCommands.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/story/StoryCommands.h"

namespace {

void Apply(MenuCommandCall& call, StoryChoice choice)
{
    if (choice.decided)
        call.SetSuccessor(choice.next);
}

void StartGame(MenuCommandCall& call)
{
    StringTokenizer tokens(call.argument, " \t");
    if (!tokens.HasMoreTokens()) {
        LogWarning("TBMenu::OnMessage: StartGame without a mode\n");
        return;
    }
    Apply(call, story_commands::StartGame(tokens.NextToken()));
}

void EnterStoryMode(MenuCommandCall& call) { Apply(call, story_commands::EnterStoryMode()); }
void NextRound(MenuCommandCall& call) { Apply(call, story_commands::NextRound()); }
void RestartMatch(MenuCommandCall& call) { Apply(call, story_commands::RestartMatch()); }
void Training(MenuCommandCall& call) { Apply(call, story_commands::Training()); }
void Save(MenuCommandCall&) { story_commands::Save(); }
void DeleteStory(MenuCommandCall&) { story_commands::DeleteStory(); }
void SelectedStory(MenuCommandCall&) { story_commands::SelectedStory(); }
void CheckLegEntry(MenuCommandCall&) { story_commands::CheckLegEntry(); }
void CheckRoundResultType(MenuCommandCall&) { story_commands::CheckRoundResultType(); }

void LoadSavegameMeta(MenuCommandCall& call)
{
    story_commands::LoadSavegameMeta();
    call.menu.UpdateMenuVariables();
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
