#include "frontend/training/TrainingMode.h"

#include "framework/Debug.h"
#include "framework/Message.h"
#include "frontend/menu/MenuLaunchedCodeFragment.h"
#include "frontend/story/StoryCommands.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/TrainingSettings.h"
#include "menus/Menu.h"

int TrainingMode::OnMessage(int message, intptr_t param)
{
    const char* name = MessageServer::Instance()->GetMessageName(message);
    if (!name || !param)
        return 0;
    const auto& record = *reinterpret_cast<const MenuActionParameter*>(param);
    const std::string word = name;
    const bool shown = Menu::Instance()->GetFadeState() == Menu::kShown;
    if (word == "SetMenu") {
        if (shown)
            Leave(new TrainingMode(record.argument ? record.argument : ""));
    } else if (word == "Save") {
        if (shown)
            story_commands::Save();
    } else if (word == "BackToMain") {
        if (shown) {
            SetReturnToMainOnExit(true);
            TrainingSettings::Instance()->Reset();
            Leave(nullptr);
        }
    } else if (word == "StartMatch") {
        if (shown)
            StartMatch();
    } else if (word == "SetPosition" || word == "SetRotation") {
        TBMenu::OnMessage(message, param);
    } else if (word == "CheckMatchstartEntry") {
        story_commands::CheckMatchstartEntry();
    }
    return 0;
}

void TrainingMode::StartMatch()
{
    // The story match lies above this library and registers itself under its name.
    State* match = MenuLaunchedCodeFragment::GetFactory().Create("StoryModeMatch");
    if (!match) {
        LogError("TrainingMode::StartMatch: the program has no story match\n");
        return;
    }
    StoryModeGame::Instance()->resumePending = false;
    Leave(match);
}

void TrainingMode::Leave(State* next)
{
    SetNext(next);
    Menu::Instance()->SetFadeState(Menu::kFadingOut);
}
