// The menu variables every screen may show, refreshed from the state of the game.

#include "characters/CharacterVariation.h"
#include "framework/Debug.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/menu/TBMenuKeys.h"
#include "frontend/menu/TBMenuToggles.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StorySaveGame.h"
#include "input/ConfigurableInputMapper.h"
#include "input/PlatformInputDevices.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "settings/GameParameters.h"
#include "settings/MenuVariables.h"
#include "settings/TrainingSettings.h"
#include "text/TextManager.h"

#include <cstdlib>

namespace {

constexpr const char* kVersion = "1.0g";
constexpr const char* kUnset = "NULL";
constexpr const char* kChosen = "2";
constexpr const char* kNotFound = "Not found";
const char* const kKeyActions[menu_keys::kActions][2] = {
    {"up", "up"}, {"down", "down"}, {"right", "right"}, {"left", "left"}, {"primary", "button a"}, {"secondary", "button b"},
};
const char* const kRaceMarkers[][2] = {{"Panda", "first"}, {"Lizard", "second"}, {"Rhino", "third"}, {"Primate", "forth"}};
const char* const kSlotButtons[] = {"story_create", "story_load", "story_delete"};

std::string Text(int number)
{
    return TextManager::Instance()->GetText(number, 0);
}

// A choice read as a decimal number; a non-number reads as 0.
int ChoiceNumber(const std::string& choice)
{
    return static_cast<int>(std::strtol(choice.c_str(), nullptr, 10));
}

class MenuVariableMap : public MenuVariables {
public:
    void SetVariable(const std::string& key, const std::string& text) override { Menu::Instance()->SetVariable(key, text); }
};

void SetVariable(const std::string& key, const std::string& value)
{
    Menu::Instance()->SetVariable(key, value);
}

void PublishStory()
{
    const StoryModeGame* story = StoryModeGame::Instance();
    SetVariable("%build_info%", std::string("v ") + kVersion);
    SetVariable("%round_number%", std::to_string(story->round + 1));
    const int leg = story->round == StoryModeGame::kFinalRound ? 20103 : story->firstLeg ? 20101 : 20102;
    SetVariable("%leg_number%", Text(leg));
    SetVariable("%opponent_name%", story->GetOpponentTeamName());
    SetVariable("%storyteam_name%", story->GetTeamName());
    SetVariable("%level_name%", Text(20200 + story->GetLevelNumber()));
    Menu* menu = Menu::Instance();
    for (int i = 0; i < 5; ++i) {
        const std::string name = "%character_bool_" + std::to_string(i) + "%";
        const int* flag = menu->GetEditValue(name);
        SetVariable(name, Text(flag && *flag ? 30302 : 30303));
    }
}

void PublishToggles()
{
    const TBMenuToggles* toggles = TBMenuToggles::Instance();
    for (int id = 0; id < toggles->GetCount(); ++id) {
        const TBMenuToggle* toggle = toggles->GetToggle(id);
        SetVariable("%" + toggle->name + "%", toggle->GetText());
    }
}

void PublishGoals()
{
    const StoryModeGame* story = StoryModeGame::Instance();
    SetVariable("%add_points%", std::to_string(TrainingSettings::Instance()->points));
    SetVariable("%player_homegoals%", std::to_string(story->GetGoals(true, true)));
    SetVariable("%player_awaygoals%", std::to_string(story->GetGoals(true, false)));
    SetVariable("%opponent_homegoals%", std::to_string(story->GetGoals(false, true)));
    SetVariable("%opponent_awaygoals%", std::to_string(story->GetGoals(false, false)));
}

void PublishKeys()
{
    ConfigurableInputMapper* keyboard = PlatformInputDevices::Instance()->GetInputMapper(0);
    for (int player = 0; player < menu_keys::kPlayers; ++player)
        for (int action = 0; action < menu_keys::kActions; ++action) {
            const std::string name =
                keyboard ? keyboard->GetTargetName(menu_keys::ActionName(player, action)) : std::string();
            SetVariable(menu_keys::VariableName(player, action),
                        name.empty() ? ConfigurableInputMapper::kUnboundName : name);
        }
    const GameParameters* parameters = GameParameters::Instance();
    SetVariable("%block_dev_1%", std::to_string(parameters->blockedDevices[0]));
    SetVariable("%block_dev_2%", std::to_string(parameters->blockedDevices[1]));
    MenuVariableMap variables;
    TBMenuToggles::Instance()->PublishBlockedShirts(variables);
}

void PublishSlots()
{
    const StorySaveGame* slots = StorySaveGame::Instance();
    for (int i = 0; i < StorySaveGame::kSlots; ++i) {
        const StorySlot& slot = slots->slots[i];
        const std::string n = std::to_string(i + 1);
        SetVariable("%savegame" + n + "%", slot.free ? "%30319%" : slot.displayName);
        SetVariable("%savegame" + n + "_dat%", slot.free ? "" : slot.date);
        SetVariable("%savegame" + n + "_pro%", slot.free ? "" : slot.progress);
    }
}

void PublishSingleMatch()
{
    const GameParameters* parameters = GameParameters::Instance();
    std::string players = "Nothing";
    const std::string chosen = parameters->GetParameter("players");
    if (chosen != kUnset) {
        const int count = ChoiceNumber(chosen);
        if (count >= 0 && count <= 2)
            players = "%" + std::to_string(10201 + count) + "%";
    }
    SetVariable("%singlematch_players%", players);
    for (int team = 1; team <= 2; ++team) {
        const std::string n = std::to_string(team);
        const std::string choice = parameters->GetParameter(team == 1 ? "teamone" : "teamtwo");
        for (const auto& [race, marker] : kRaceMarkers) {
            const bool picked = choice != kUnset && choice == std::string(race) + "0" + n;
            SetVariable("select_team" + n + "_" + marker, picked ? kChosen : "");
        }
    }
    for (int level = 1; level <= GameParameters::kLevelCount; ++level)
        SetVariable("select_level0" + std::to_string(level), "");
    const std::string level = parameters->GetParameter("level");
    if (level != kUnset)
        SetVariable("select_" + level, kChosen);
}

// All three slot buttons, or none when the screen lacks any of them.
bool SlotButtons(MenuItem* items[3])
{
    Menu* menu = Menu::Instance();
    for (int i = 0; i < 3; ++i) {
        if (!menu->HasItem(kSlotButtons[i], 0))
            return false;
        items[i] = menu->GetItem(kSlotButtons[i], 0);
    }
    return true;
}

void ShowButton(MenuItem* item, bool show)
{
    if (show) {
        item->Show();
        item->Enable();
    } else {
        item->Hide();
        item->Disable();
    }
}

void PublishStorySlotChoice()
{
    for (int i = 0; i < StorySaveGame::kSlots; ++i) {
        SetVariable("%select_load" + std::to_string(i) + "%", "");
        SetVariable("%select_newgame" + std::to_string(i) + "%", "");
    }
    const std::string choice = GameParameters::Instance()->GetParameter("storyslot");
    MenuItem* buttons[3] = {};
    const bool haveButtons = SlotButtons(buttons);
    const auto hideButtons = [&] {
        if (haveButtons)
            for (MenuItem* button : buttons)
                ShowButton(button, false);
    };
    if (choice == kUnset) {
        hideButtons();
        return;
    }
    const StorySlot* slot = StorySaveGame::Instance()->GetSlot(ChoiceNumber(choice));
    if (!slot) {
        // Only the menu's own choices are 0-4; anything else chooses no slot.
        LogWarning("TBMenu::UpdateMenuVariables: story slot \"%s\" does not exist\n", choice.c_str());
        hideButtons();
        return;
    }
    SetVariable("%select_newgame" + choice + "%", kChosen);
    SetVariable("%select_load" + choice + "%", slot->free ? "1" : kChosen);
    if (!haveButtons)
        return;
    ShowButton(buttons[0], slot->free);
    ShowButton(buttons[1], !slot->free);
    ShowButton(buttons[2], !slot->free);
}

std::string MemberText(const CharacterVariation* member)
{
    return member ? member->GetDisplayName() : kNotFound;
}

void PublishTraining()
{
    const TrainingSettings* training = TrainingSettings::Instance();
    SetVariable("%training_player_goalie%", training->keeperText);
    const bool any = training->chosen[0] != nullptr;
    for (int i = 0; i < TrainingSettings::kChosen; ++i)
        SetVariable("%training_player" + std::to_string(i + 1) + "%", any ? MemberText(training->chosen[i]) : kNotFound);
    const int index = training->chosenIndex;
    const bool inRange = index >= 0 && index < TrainingSettings::kChosen;
    SetVariable("%training_player_subselect%", any && inRange ? MemberText(training->chosen[index]) : kNotFound);
}

}  // namespace

namespace menu_keys {

std::string VariableName(int player, int action)
{
    return "%key_player" + std::to_string(player + 1) + "_" + kKeyActions[action][0] + "%";
}

std::string ActionName(int player, int action)
{
    return "(" + std::to_string(player) + "):" + kKeyActions[action][1];
}

bool AllAssigned(const std::map<std::string, std::string>& variables)
{
    for (int player = 0; player < kPlayers; ++player)
        for (int action = 0; action < kActions; ++action) {
            const auto found = variables.find(VariableName(player, action));
            if (found == variables.end() || found->second == ConfigurableInputMapper::kUnboundName)
                return false;
        }
    return true;
}

}  // namespace menu_keys

void TBMenu::UpdateMenuVariables()
{
    PublishStory();
    PublishToggles();
    PublishGoals();
    PublishKeys();
    PublishSlots();
    PublishSingleMatch();
    PublishStorySlotChoice();
    PublishTraining();
}

void TBMenu::RegisterToggleEditValues()
{
    TBMenuToggles* toggles = TBMenuToggles::Instance();
    Menu* menu = Menu::Instance();
    for (int id = 0; id < toggles->GetCount(); ++id) {
        TBMenuToggle* toggle = toggles->GetToggle(id);
        menu->SetEditValue("%" + toggle->name + "%", &toggle->value);
    }
    menu->SetVariable("%numOfDevices%", std::to_string(GameParameters::Instance()->deviceCount - 1));
}
