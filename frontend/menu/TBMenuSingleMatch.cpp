// The command words of the single-match screens: players, both teams and the stadium are
// chosen one screen after another, and the choices wait in the game parameters.

#include "characters/TeamDescription.h"
#include "framework/Debug.h"
#include "frontend/menu/MenuCommands.h"
#include "frontend/menu/TBMenu.h"
#include "match/GainedObjects.h"
#include "match/GameParameters.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/TextInput.h"

#include <string>

namespace {

constexpr const char* kUnset = "NULL";
constexpr const char* kAllStar = "%10204%";

bool IsSet(const char* choice)
{
    return GameParameters::Instance()->GetParameter(choice) != kUnset;
}

void HideItem(const std::string& name)
{
    Menu* menu = Menu::Instance();
    if (menu->HasItem(name, 0))
        menu->GetItem(name, 0)->Hide();
}

// An item and its picture.
void HideWithImage(const std::string& name)
{
    HideItem(name);
    HideItem(name + "_img");
}

std::string TeamVariable(int index)
{
    return "%single_team_player" + std::to_string(index) + "%";
}

// The selected item's text without its mark-up tags.
std::string SelectedText()
{
    const MenuItem* item = Menu::Instance()->GetSelectedItem();
    if (!item)
        return std::string();
    const std::string text = item->GetText();
    TextBuffer buffer(static_cast<int32_t>(text.size()));
    TextInput::SetText(buffer, text);
    return buffer.text;
}

// A button shows a team variable; the team chosen is the one whose shown name that holds.
// The all-star entry instead makes the side a picked one in the given selection mode.
void ChooseTeam(int side, const char* choice, int allStarMode)
{
    GameParameters* parameters = GameParameters::Instance();
    const std::string text = SelectedText();
    if (text == kAllStar) {
        parameters->customTeam[side] = allStarMode;
        return;
    }
    const std::string shown = Menu::Instance()->Variables()[text];
    const std::string key = TeamDescription::KeyOfTeamName(shown);
    if (key.empty())
        LogWarning("AdvanceMenu: \"%s\" names no team\n", text.c_str());
    parameters->SetParameter(choice, key.empty() ? kUnset : key);
}

void PublishTeamNames()
{
    Menu* menu = Menu::Instance();
    for (int i = 0; i < TeamDescription::kCount; ++i)
        if (const TeamDescription* team = TeamDescription::Find(TeamDescription::KeyAt(i)))
            menu->SetVariable(TeamVariable(i), team->GetTeamName());
}

void AdvanceMenu(MenuCommandCall& call)
{
    GameParameters* parameters = GameParameters::Instance();
    const std::string& screen = call.argument;
    const std::string players = parameters->GetParameter("players");
    if (screen == "select_team_one") {
        parameters->customTeam[0] = 0;
        parameters->SetParameter("teamone", kUnset);
        PublishTeamNames();
        if (IsSet("players"))
            call.SetSuccessor(new TBMenu(screen));
    } else if (screen == "select_team_two") {
        parameters->customTeam[1] = 0;
        parameters->SetParameter("teamtwo", kUnset);
        ChooseTeam(0, "teamone", players == "0" ? 2 : 1);
        call.SetSuccessor(new TBMenu(screen));
    } else if (screen == "select_level") {
        ChooseTeam(1, "teamtwo", players == "2" ? 1 : 2);
        call.SetSuccessor(new TBMenu(screen));
    }
}

void BackStepMenu(MenuCommandCall& call)
{
    GameParameters* parameters = GameParameters::Instance();
    if (call.argument == "select_team_one") {
        parameters->customTeam[0] = 0;
        parameters->SetParameter("teamone", kUnset);
    } else if (call.argument == "select_team_two") {
        parameters->customTeam[1] = 0;
        parameters->SetParameter("teamtwo", kUnset);
    }
    call.SetSuccessor(new TBMenu(call.argument));
}

void CheckSingleList(MenuCommandCall&)
{
    const GainedObjects* gained = GainedObjects::Instance();
    for (int i = 0; i < GainedObjects::kTeamCount; ++i)
        if (!gained->teams[i])
            HideWithImage("team" + std::to_string(i));
    if (!gained->allStarTeam)
        HideItem("allstar");
    const GameParameters* parameters = GameParameters::Instance();
    // Side two may not take side one's team.
    if (parameters->customTeam[0] == 0 && IsSet("teamone"))
        HideWithImage(parameters->GetParameter("firstPlayer"));
    Menu* menu = Menu::Instance();
    if (menu->HasItem("team0", 0) && !menu->GetItem("team0", 0)->IsVisible()) {
        menu->GetItem("team0", 0)->Deselect();
        if (menu->HasItem("team1", 0))
            menu->SelectItem("team1");
    }
}

void CheckLevelList(MenuCommandCall&)
{
    const GainedObjects* gained = GainedObjects::Instance();
    for (int i = 0; i < GainedObjects::kEnvironmentCount; ++i)
        if (!gained->environments[i])
            HideWithImage("level" + std::to_string(i));
}

}  // namespace

REGISTER_MENU_COMMAND("AdvanceMenu", AdvanceMenu);
REGISTER_MENU_COMMAND("BackStepMenu", BackStepMenu);
REGISTER_MENU_COMMAND("CheckSingleList", CheckSingleList);
REGISTER_MENU_COMMAND("CheckLevelList", CheckLevelList);
