#include "frontend/story/StoryModeRound.h"

#include "framework/Debug.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/story/StoryModeGame.h"
#include "frontend/story/StorySaveGame.h"
#include "frontend/training/TrainingMode.h"
#include "match/GainedObjects.h"
#include "menus/Menu.h"

namespace {

StoryScreenMaker& ScreenMaker()
{
    static StoryScreenMaker maker;
    return maker;
}

// A won round r > 0 unlocks the team r + 1 and maybe an environment; the final also the
// all-star team.
struct Reward {
    int environment;  // -1: none
    const char* list;
};

const Reward kRewards[StoryModeGame::kRounds] = {
    {-1, ""},
    {-1, "%10013%"},
    {1, "%10014%, %20202%"},
    {-1, "%10015%"},
    {2, "%10016%, %20203%"},
    {-1, "%10017%"},
    {3, "%10018%, %20204%, %10204%"},
};

void SetGainTexts(const char* head, const char* list)
{
    Menu::Instance()->SetVariable("%gained_head%", head);
    Menu::Instance()->SetVariable("%gained_list%", list);
}

bool IsFinal()
{
    return StoryModeGame::Instance()->round == StoryModeGame::kFinalRound;
}

}  // namespace

void SetStoryScreenMaker(StoryScreenMaker maker)
{
    ScreenMaker() = std::move(maker);
}

State* MakeStoryScreen(const std::string& screen)
{
    if (ScreenMaker())
        return ScreenMaker()(screen);
    for (const char* training : {"training", "training_load", "training_advance", "matchstart"})
        if (screen == training)
            return new TrainingMode(screen);
    return new TBMenu(screen);
}

void StoryModeRound::Enter()
{
    DebugTrace("StoryModeRound::Enter\n");
    State* first = IsFinal() ? MakeStoryScreen("final_round_display")
                             : new StoryModeLeg(StoryModeGame::Instance()->firstLeg);
    Hold(first);
}

void StoryModeRound::Exit()
{
    DebugTrace("StoryModeRound::Exit\n");
    // A leg ended with the round books itself first, so that the reset has the last word.
    Hold(nullptr);
    StoryModeGame::Instance()->ResetRound();
}

State* StoryModeRound::Update(float dt)
{
    StateSlot::Update(&m_held, dt);
    if (m_held)
        return this;
    StoryModeGame* game = StoryModeGame::Instance();
    if (!game->IsRoundWon())
        return MakeStoryScreen("main");
    if (!IsFinal()) {
        ++game->round;
        return new StoryModeRound();
    }
    game->trainingPassed = true;
    // With its slot's date and progress, so that the slot tells what the file holds.
    StorySaveGame::Instance()->Save();
    return MakeStoryScreen("win_place_holder");
}

StoryModeLeg::StoryModeLeg() : StoryModeLeg(StoryModeGame::Instance()->firstLeg) {}

StoryModeLeg::StoryModeLeg(bool firstLeg) : m_firstLeg(firstLeg) {}

StoryModeLeg::~StoryModeLeg()
{
    // Exited, not only deleted: a menu left behind would keep its screen in the menu.
    StateSlot::Set(&m_child, nullptr, false);
}

void StoryModeLeg::Enter()
{
    DebugTrace("StoryModeLeg::Enter\n");
    StoryModeGame* game = StoryModeGame::Instance();
    game->active = true;
    // A cut scene before the first leg (a new career's intro) reloaded the casts.
    game->NameStoryTeam();
    game->ResetLeg();
    game->restartRequested = false;
    // A leg that is not the one due ends at once.
    if (m_firstLeg != game->firstLeg)
        return;
    State* content = !IsFinal() ? MakeStoryScreen("leg_display")
                                : MakeStoryScreen(game->trainingPassed ? "matchstart" : "training");
    StateSlot::Set(&m_child, content, true);
}

void StoryModeLeg::Exit()
{
    DebugTrace("StoryModeLeg::Exit\n");
    StoryModeGame* game = StoryModeGame::Instance();
    game->active = false;
    if (!game->restartRequested)
        game->trainingPassed = false;
    game->AdvanceLeg();
}

State* StoryModeLeg::Update(float dt)
{
    StateSlot::Update(&m_child, dt);
    if (m_child)
        return this;
    StoryModeGame* game = StoryModeGame::Instance();
    if (game->restartRequested)
        return new StoryModeLeg(m_firstLeg);
    if (m_firstLeg && !IsFinal())
        return new StoryModeLeg(false);
    if (game->IsRoundWon()) {
        State* next = IsFinal() ? nullptr : MakeStoryScreen("round_won");
        ShowGains();
        return next;
    }
    SetGainTexts("", "");
    return MakeStoryScreen("round_lost");
}

void StoryModeLeg::Render()
{
    if (m_child)
        m_child->Render();
}

void StoryModeLeg::ShowGains()
{
    const int round = StoryModeGame::Instance()->round;
    GainedObjects* gained = GainedObjects::Instance();
    if (round <= 0 || round >= StoryModeGame::kRounds) {
        SetGainTexts("", "");
    } else if (gained->teams[round + 1]) {
        SetGainTexts("%10409%", "");
    } else {
        const Reward& reward = kRewards[round];
        gained->teams[round + 1] = true;
        if (reward.environment >= 0)
            gained->environments[reward.environment] = true;
        if (round == StoryModeGame::kFinalRound)
            gained->allStarTeam = true;
        SetGainTexts("%10408%", reward.list);
    }
    StorySaveGame::WriteRewards();
}

State* StoryModeContinueYes::Update(float)
{
    StoryModeGame* game = StoryModeGame::Instance();
    game->RestoreTrainingStats();
    game->ResetRound();
    return new StoryModeLeg(true);
}

StoryModeContinueNo::StoryModeContinueNo()
{
    StoryModeGame* game = StoryModeGame::Instance();
    game->NewGame(game->GetTeamName());
    StorySaveGame::Instance()->Save();
}

State* StoryModeContinueNo::Update(float)
{
    return MakeStoryScreen("main");
}

REGISTER_MENU_CODE(StoryModeLeg);
REGISTER_MENU_CODE(StoryModeContinueYes);
REGISTER_MENU_CODE(StoryModeContinueNo);
