#include "frontend/training/TrainingMode.h"

#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "characters/TeamDescription.h"
#include "framework/Debug.h"
#include "framework/Message.h"
#include "frontend/FrontEndStates.h"
#include "frontend/cutscenes/Scene.h"
#include "frontend/loading/MatchLoading.h"
#include "frontend/menu/MenuLaunchedCodeFragment.h"
#include "frontend/story/StoryCommands.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/training/TrainingDrill.h"
#include "frontend/training/TrainingSession.h"
#include "match/PlayerSelectionResult.h"
#include "menus/Menu.h"
#include "pitch/PitchSimulation.h"
#include "settings/TrainingSettings.h"

#include <utility>

namespace {

// The newspaper's pages before the first and the second leg's match.
constexpr int kFirstLegPage = 5;
constexpr int kSecondLegPage = 6;
constexpr int kDrills = 4;
// A story team of this size picks on its own screen; any other size on the larger one.
constexpr size_t kSmallTeam = 5;

// Without the squad selection linked in there is none to run, and the screen stays.
State* NoSelection(const PlayerSelectionResult&) { return nullptr; }

TrainingMode::SelectionMaker s_selectionMaker = NoSelection;

// Hands the selection's picks, which are the loaded characters, to the training as members
// before the characters go.
class TakePicks : public State {
public:
    State* Update(float) override
    {
        TrainingSettings* settings = TrainingSettings::Instance();
        settings->selection = Members(picks[0]);
        settings->secondSelection = Members(picks[1]);
        return nullptr;
    }

    std::vector<Character*> picks[2];

private:
    static std::vector<TrainingSelectionEntry> Members(const std::vector<Character*>& characters)
    {
        std::vector<TrainingSelectionEntry> members;
        for (const Character* character : characters)
            if (character)
                members.push_back({character->GetVariation()});
        return members;
    }
};

// The story team's members that the kind offers, in team order.
std::vector<MatchSetup::Member> SelectionMembers(const TeamDescription& team, int kind)
{
    std::vector<MatchSetup::Member> members;
    const TrainingSettings* settings = TrainingSettings::Instance();
    for (const auto& entry : team.GetMembers()) {
        if (kind == TrainingMode::kTrainingMembers) {
            members.push_back(entry);
            continue;
        }
        for (const CharacterVariation* chosen : settings->chosen)
            if (chosen && chosen->GetKeyName() == entry.variation)
                members.push_back(entry);
    }
    return members;
}

std::vector<Character*> PitchPlayers()
{
    std::vector<Character*> players;
    for (int side = 0; side < PitchSimulation::kSides; ++side)
        if (const SoccerTeam* team = PitchSimulation::Instance()->GetTeam(side))
            for (int i = 0; i < team->GetPlayerCount(); ++i)
                players.push_back(team->GetPlayer(i));
    return players;
}

}  // namespace

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
            story_commands::Save(*this);
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
    } else if (word == "AdvanceTraining") {
        AdvanceTraining();
    } else if (word == "SelectMainPlayers") {
        CreateMainSelection(kTrainingMembers);
    } else if (word == "SelectDribblingPlayer") {
        CreateMainSelection(kDribbler);
    } else if (word == "SelectShootingPlayer") {
        CreateMainSelection(kShooter);
    } else if (word == "StartTraining") {
        StartTraining();
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

void TrainingMode::LeaveNow(State* next)
{
    SetNext(next);
    SetLeaveAtOnce(true);
}

void TrainingMode::AdvanceTraining()
{
    Menu* menu = Menu::Instance();
    TrainingSettings* settings = TrainingSettings::Instance();
    switch (settings->drillCounter) {
    case 1:
    case 2:
        menu->SetVariable("%s3p_title%", settings->drillCounter == 1 ? "%20902%" : "%20903%");
        menu->SetVariable("%s3p_command%", "%20521%");
        CreateMainSelection(settings->drillCounter == 1 ? kDribbler : kShooter);
        break;
    case 3:
        LeaveNow(new TrainingMode("training_load"));
        break;
    case kDrills: {
        settings->Reset();
        StoryModeGame* game = StoryModeGame::Instance();
        game->trainingPassed = true;
        State* newspaper =
            new CutScenes(Scene::kNewspaperFolder, "script_happy.txt", game->firstLeg ? kFirstLegPage : kSecondLegPage);
        LeaveNow(new IteratingState(new StoryModeLoading(0, 0, 0),
                                    new IteratingState(newspaper, new TrainingMode("matchstart"))));
        break;
    }
    default:
        // Leaving without a successor would end the game.
        LogWarning("TrainingMode::AdvanceTraining: drill counter %d; the screen stays\n", settings->drillCounter);
        break;
    }
}

void TrainingMode::StartTraining()
{
    TrainingSettings* settings = TrainingSettings::Instance();
    if (settings->drillCounter < 0 || settings->drillCounter >= kDrills) {
        LogWarning("TrainingMode::StartTraining: drill counter %d; back to the first drill\n", settings->drillCounter);
        settings->drillCounter = 0;
        return;
    }
    LeaveNow(new TrainingSession(TrainingDrill::kPassing + settings->drillCounter));
}

TrainingMode::SelectionMaker TrainingMode::SetSelectionMaker(SelectionMaker maker)
{
    return std::exchange(s_selectionMaker, maker ? maker : NoSelection);
}

std::string TrainingMode::SelectionScreen(int kind, size_t teamSize)
{
    if (kind != kTrainingMembers)
        return "3dMenues\\TrainingMainSelection3p";
    return teamSize == kSmallTeam ? "3dMenues\\TrainingMainSelection5p" : "3dMenues\\TrainingMainSelection7p";
}

void TrainingMode::CreateMainSelection(int kind)
{
    const TeamDescription* team = TeamDescription::Find(StoryModeGame::kStoryTeam);
    if (!team) {
        LogError("TrainingMode::CreateMainSelection: no story team \"%s\"; the screen stays\n", StoryModeGame::kStoryTeam);
        return;
    }
    const bool all = kind == kTrainingMembers;
    MatchSetup setup;
    setup.levelFolder = TrainingSession::LevelFolder();
    setup.teamOne.members = SelectionMembers(*team, kind);
    if (!all) {
        setup.teamOne.teamName = TrainingSession::kTeamOneName;
        setup.teamTwo.teamName = TrainingSession::kTeamTwoName;
    }
    State* after = MatchLoading::RunAtOnce(std::move(setup));
    StateSlot::Set(&after, nullptr, false);

    auto* take = new TakePicks();
    PlayerSelectionResult request;
    request.screen = SelectionScreen(kind, team->GetMembers().size());
    request.sceneObject = PitchSimulation::Instance()->GetSceneObject();
    request.candidates = PitchPlayers();
    request.goalkeepersToPick = all ? 1 : 0;
    request.outfieldPlayersToPick = all ? 3 : 1;
    request.firstPrefix = "(0):";
    request.startPicked.assign(request.candidates.size(), false);
    request.pickable.assign(request.candidates.size(), true);
    if (all && !request.candidates.empty()) {
        // The keeper comes first and always trains in goal.
        request.startPicked[0] = true;
        request.pickable[0] = false;
    }
    request.firstOutput = &take->picks[0];
    request.secondOutput = &take->picks[1];
    if (all) {
        Menu* menu = Menu::Instance();
        menu->SetVariable("%s7p_title%", "%20901%");
        menu->SetVariable("%s7p_command%", "%20520%");
        menu->SetVariable("%s7p_selection_accept%", "%30318%");
    }
    State* selection = s_selectionMaker(request);
    if (!selection) {
        LogError("TrainingMode::CreateMainSelection: no selection to run; the screen stays\n");
        delete take;
        return;
    }
    State* session = new TrainingSession(all ? TrainingSession::kPrepare : TrainingSession::kChooseMember);
    LeaveNow(new IteratingState(selection, new IteratingState(take, session)));
}
