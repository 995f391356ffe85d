#include "frontend/training/TrainingMode.h"

#include "framework/Message.h"
#include "frontend/story/StoryCommands.h"
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
    } else if (word == "SetPosition" || word == "SetRotation") {
        TBMenu::OnMessage(message, param);
    } else if (word == "CheckMatchstartEntry") {
        story_commands::CheckMatchstartEntry();
    }
    return 0;
}

void TrainingMode::Leave(State* next)
{
    SetNext(next);
    Menu::Instance()->SetFadeState(Menu::kFadingOut);
}
