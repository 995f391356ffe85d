#include "frontend/menu/MenuCommands.h"

#include "framework/Debug.h"
#include "frontend/menu/TBMenu.h"
#include "menus/Menu.h"

#include <cstring>
#include <vector>

namespace menu_commands {
namespace {

struct Row {
    const char* word;
    Group group;
    MenuCommand command;
};

// In the order the words are tested; bodies arrive through Register.
std::vector<Row>& Rows()
{
    static std::vector<Row> rows = [] {
        std::vector<Row> table;
        table.push_back({"CheckGameVersion", Group::kAlways, nullptr});
        for (const char* word : {"SetMenu", "AdvanceMenu", "BackStepMenu", "NextRound", "StartGame", "DeleteStory",
                                 "Save", "BackToMain", "RestartMatch", "EnterStoryMode", "SetParameter",
                                 "SelectedStory", "Accept", "Decline", "Nothing", "Training", "SwitchDevice",
                                 "ToggleFXVolume", "ToggleMusicVolume", "QuitGame", "AssignKey",
                                 "CheckKeyAssignment", "Controls", "TypeKey"})
            table.push_back({word, Group::kShown, nullptr});
        for (const char* word : {"SetPosition", "SetRotation", "RunCode", "LoadSavegameMeta", "InitCredits",
                                 "CheckLegEntry", "CheckRoundResultType", "CheckSingleList", "CheckLevelList"})
            table.push_back({word, Group::kAnyFade, nullptr});
        table.push_back({"PlaySelectSound", Group::kLast, nullptr});
        return table;
    }();
    return rows;
}

Row* Find(const std::string& word)
{
    for (Row& row : Rows())
        if (word == row.word)
            return &row;
    return nullptr;
}

}  // namespace

bool Register(const char* word, MenuCommand command)
{
    Row* row = word ? Find(word) : nullptr;
    if (!row) {
        LogError("menu_commands::Register: no command \"%s\"\n", word ? word : "");
        return false;
    }
    row->command = command;
    return true;
}

bool FindGroup(const std::string& word, Group& group)
{
    const Row* row = Find(word);
    if (row)
        group = row->group;
    return row != nullptr;
}

std::vector<std::string> WordsWithoutBody()
{
    std::vector<std::string> words;
    for (const Row& row : Rows())
        if (!row.command)
            words.push_back(row.word);
    return words;
}

bool Dispatch(const std::string& word, MenuCommandCall& call, int fadeState)
{
    const Row* row = Find(word);
    if (!row)
        return false;
    // Commands of the main group wait for the screen: one arriving during a fade is dropped.
    if (row->group == Group::kShown && fadeState != Menu::kShown)
        return false;
    if (!row->command) {
        LogWarning("TBMenu::OnMessage: the command \"%s\" does nothing yet\n", row->word);
        return false;
    }
    row->command(call);
    return true;
}

}  // namespace menu_commands

void MenuCommandCall::SetSuccessor(State* next)
{
    menu.SetNext(next);
    switched = true;
}

void MenuCommandCall::Stop(const std::string& notice)
{
    menu.ShowNotice(notice);
    stopped = true;
}
