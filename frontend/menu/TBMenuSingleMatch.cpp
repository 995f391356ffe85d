// The command words of the single-match screens: players, both teams and the stadium are
// chosen one screen after another, and the choices wait in the game parameters.

#include "frontend/menu/SingleMatchPool.h"

#include "characters/TeamDescription.h"
#include "framework/Debug.h"
#include "framework/Random.h"
#include "framework/StringUtil.h"
#include "frontend/menu/MenuCommands.h"
#include "frontend/menu/MenuLaunchedCodeFragment.h"
#include "frontend/menu/TBMenu.h"
#include "match/GainedObjects.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/TextInput.h"
#include "settings/GameParameters.h"

#include <algorithm>
#include <chrono>
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

namespace single_match {

namespace {

constexpr int kDrawnTeams = 7;
constexpr int kMaxRepeats = 1000;
constexpr int kMaxKeeperRedraws = 1000;
constexpr int kMaxPlayerRedraws = 100;
constexpr int kFirstVariantTeams = 4;
constexpr int kOutfieldDraws = 8;
constexpr int kSharedEntries = 11;
constexpr const char* kSingleMatchStart = "SingleMatchStart";

SelectionStarter g_selectionStarter = nullptr;

const char* VariantDigits(int team)
{
    return team < kFirstVariantTeams ? "01" : "02";
}

int DrawTeam(int ownTeam, int maxRedraws)
{
    int team = Random::Range(0, kDrawnTeams);
    for (int redraw = 0; team == ownTeam && redraw < maxRedraws; ++redraw)
        team = Random::Range(0, kDrawnTeams);
    return team;
}

std::vector<int> DrawKeeperTeams(int ownTeam)
{
    std::vector<int> teams;
    for (int k = 0; k < 2; ++k) {
        int team = DrawTeam(ownTeam, kMaxKeeperRedraws);
        for (int repeat = 1; repeat < kMaxRepeats && std::find(teams.begin(), teams.end(), team) != teams.end(); ++repeat)
            team = DrawTeam(ownTeam, kMaxKeeperRedraws);
        teams.push_back(team);
    }
    return teams;
}

std::pair<int, int> DrawPlayer(int ownTeam)
{
    const int team = DrawTeam(ownTeam, kMaxPlayerRedraws);
    const int number = team < kFirstVariantTeams ? Random::Range(0, 3) : Random::Range(4, 7);
    return {team, number};
}

}  // namespace

int TeamIndex(const std::string& code)
{
    for (int i = 0; i < kTeamCodeCount; ++i)
        if (code == kTeamCodes[i])
            return i;
    return -1;
}

std::string KeeperName(int team)
{
    std::string name = kTeamCodes[team];
    ReplaceNoCase(name, VariantDigits(team), team < kFirstVariantTeams ? "Gk00" : "Gk01");
    return name;
}

std::string PlayerName(int team, int number)
{
    std::string name = kTeamCodes[team];
    ReplaceNoCase(name, VariantDigits(team), "Pl");
    return name + FormatString("0%d", number);
}

std::vector<Member> DrawPool(int ownTeam)
{
    std::vector<Member> pool;
    for (int team : DrawKeeperTeams(ownTeam))
        pool.push_back({KeeperName(team), true});
    std::vector<std::pair<int, int>> drawn;
    for (int k = 0; k < kOutfieldDraws; ++k) {
        std::pair<int, int> player = DrawPlayer(ownTeam);
        for (int repeat = 1; repeat < kMaxRepeats && std::find(drawn.begin(), drawn.end(), player) != drawn.end();
             ++repeat)
            player = DrawPlayer(ownTeam);
        drawn.push_back(player);
        pool.push_back({PlayerName(player.first, player.second), false});
    }
    return pool;
}

void SharePool(const std::vector<Member>& pool, std::vector<TeamMember> (&lists)[2])
{
    for (size_t i = 0; i < pool.size() && i < kSharedEntries; ++i) {
        if (i == 2)
            continue;
        const int team = i < 2 ? static_cast<int>(i) : static_cast<int>(i + 1) % 2;
        lists[team].push_back({pool[i].variation, true});
    }
}

Choice ReadChoice(const GameParameters& parameters)
{
    const std::string players = parameters.GetParameter("players");
    const int32_t* custom = parameters.customTeam;
    Choice choice;
    if (players == "0" || (players == "1" && custom[0] == 0)) {
        choice.layout = Layout::kAllRandom;
    } else if (custom[0] && custom[1]) {
        choice.layout = Layout::kTwoHumans;
        return choice;
    } else {
        choice.layout = Layout::kOnePicker;
        choice.sideOneFirst = custom[0] == 1;
    }
    choice.ownTeam = TeamIndex(parameters.GetParameter(custom[0] ? "teamtwo" : "teamone"));
    return choice;
}

void SetSelectionStarter(SelectionStarter starter)
{
    g_selectionStarter = starter;
}

SelectionStarter GetSelectionStarter()
{
    return g_selectionStarter;
}

}  // namespace single_match

void TBMenu::StartSingleMatch()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    StartSingleMatch(static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
}

void TBMenu::StartSingleMatch(uint32_t seed)
{
    using namespace single_match;
    GameParameters* parameters = GameParameters::Instance();
    const Choice choice = ReadChoice(*parameters);
    Random::Seed(seed);
    const std::vector<Member> pool = DrawPool(choice.ownTeam);
    State* next = nullptr;
    if (choice.layout == Layout::kAllRandom) {
        parameters->memberListsStale = 0;
        for (std::vector<TeamMember>& list : parameters->memberLists)
            list.clear();
        SharePool(pool, parameters->memberLists);
        next = MenuLaunchedCodeFragment::GetFactory().Create(kSingleMatchStart);
    } else if (SelectionStarter start = GetSelectionStarter()) {
        parameters->memberListsStale = 1;
        next = start({pool, choice.layout, choice.sideOneFirst});
    }
    if (!next) {
        LogError("TBMenu::StartSingleMatch: this program cannot start the match\n");
        return;
    }
    SetNext(next);
    Menu::Instance()->SetFadeState(Menu::kFadingOut);
}
