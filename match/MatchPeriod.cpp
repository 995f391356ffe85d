#include "match/MatchPeriod.h"

#include "audio/TBMusic.h"
#include "characters/Character.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Debug.h"
#include "frontend/FrontEndStates.h"
#include "frontend/TBMenu.h"
#include "input/InputController.h"
#include "match/GameParameters.h"
#include "match/MatchStatistics.h"
#include "match/MenuVariables.h"
#include "match/MatchFade.h"
#include "match/PlayerHold.h"
#include "match/game/GameTB.h"
#include "match/penalties/PenaltyShootout.h"
#include "match/setpieces/EnterPitch.h"
#include "match/setpieces/KickOff.h"
#include "match/setpieces/PlayerReaction.h"
#include "match/setpieces/RefereeStates.h"
#include "match/setpieces/SendOffPlayer.h"
#include "menus/Menu.h"
#include "scene/pitch/CameraControl.h"
#include "simulation/Ball.h"
#include "simulation/BallToucher.h"
#include "simulation/ReplayEngine.h"
#include "simulation/pitch/PitchSimulation.h"

#include <cmath>

namespace {

constexpr uint32_t kPeriodHud = 0x3F;
constexpr float kKickOffBannerSeconds = 1.5f;
constexpr float kEndBannerSeconds = 3.0f;
constexpr float kEndReactionSeconds = 3.0f;
constexpr float kEndReactionMaxStagger = 0.1f;
constexpr int kLastPeriod = 3;
constexpr int kStoryFinalRound = 6;
const char* const kListenerMessage = "something";
const char* const kDynamicBanner = "message_dynamic";

PitchSimulation& Pitch()
{
    return *PitchSimulation::Instance();
}

SoccerTeam& TeamOf(int side)
{
    return *Pitch().GetTeam(side);
}

std::vector<Character*> PlayersOf(int side)
{
    std::vector<Character*> players;
    for (int32_t i = 0; i < TeamOf(side).GetPlayerCount(); ++i)
        players.push_back(TeamOf(side).GetPlayer(i));
    return players;
}

class MenuVariableSink : public MenuVariables {
public:
    void SetVariable(const std::string& key, const std::string& text) override
    {
        Menu::Instance()->SetVariable(key, text);
    }
};

void SetVariable(const std::string& key, const std::string& text)
{
    Menu::Instance()->SetVariable(key, text);
}

bool StoryActive()
{
    return StoryModeGame::Instance()->active;
}

// The statistics screen shows side 0 as home except in a story-mode first leg.
bool StatisticsHome()
{
    return !(StoryActive() && StoryModeGame::Instance()->firstLeg);
}

}  // namespace

MatchPeriod::MatchPeriod(int period, bool extraTimeAllowed, bool crowdFavoursTeam0, bool crowdFavoursTeam1)
    : m_period(period), m_extraTimeAllowed(extraTimeAllowed), m_crowdFavours0(crowdFavoursTeam0),
      m_crowdFavours1(crowdFavoursTeam1)
{
}

MatchPeriod::~MatchPeriod()
{
    m_pendingChanges.clear();
    StateSlot::Set(&m_banner, nullptr, false);
    StateSlot::Set(&m_pauseMenu, nullptr, false);
    StateSlot::Set(&m_sequence, nullptr, false);
    m_queue.clear();
}

std::string MatchPeriod::PeriodName(int period)
{
    static const char* const kNames[kPeriods] = {"%60501%", "%60502%", "%60503%", "%60504%"};
    return period >= 0 && period < kPeriods ? kNames[period] : "";
}

void MatchPeriod::Enter()
{
    Pitch().SetHudElements(kPeriodHud);
    for (Character* player : PlayerHold::AllPlayers())
        if (CharacterVariation* variation = player->GetVariation())
            variation->energy.current = variation->energy.level;
    if (m_period == 1 && StoryActive())
        EnterStoryLineUp();
    SetVariable("%match_period%", PeriodName(m_period));
    SetVariable("%dynamic_message%", PeriodName(m_period));
    ApplyEnds();
    StartSequenceAtEnter();
    m_listenerId = MessageServer::Instance()->RegisterListener(
        this, MessageServer::Instance()->RegisterMessage(kListenerMessage));
    m_pendingChanges.clear();
    m_periodOver = false;
    m_finalShowRunning = false;
}

void MatchPeriod::EnterStoryLineUp()
{
    // The half-time selection does not exist yet: the line-up of the first half plays on.
    LogMessage("MatchPeriod::Enter: no half-time selection; side 0 keeps its line-up\n");
}

void MatchPeriod::ApplyEnds()
{
    const bool team0First = m_period == 0 || m_period == 2;
    TeamOf(0).SetFirstSide(team0First);
    TeamOf(1).SetFirstSide(!team0First);
    SetCameraFlipped(m_period == 1 || m_period == 3);
    if (GameTB* game = GameTB::Current())
        game->RestoreCameraChoice(0);
}

void MatchPeriod::StartSequenceAtEnter()
{
    State* kickOff = new KickOff(TeamOf(0).IsFirstSide());
    if (m_period != 0) {
        StartMainMusicAndBanner();
        SetSequence(kickOff);
        return;
    }
    for (Character* player : PlayerHold::AllPlayers())
        player->SetMatchRating(0.0f);
    SetSequence(new IteratingState(new EnterPitch(PlayerHold::AllPlayers()), kickOff));
}

void MatchPeriod::StartMainMusicAndBanner()
{
    TBMusic::Instance()->PlayMainMusic(GameParameters::Instance()->GetLevelNumber(), true);
    m_kickOffBannerDone = true;
    ShowBanner(kDynamicBanner, kKickOffBannerSeconds);
}

void MatchPeriod::ShowBanner(const std::string& screen, float seconds)
{
    StateSlot::Set(&m_banner, new TBIngameMessageMenu(screen, seconds), true);
}

void MatchPeriod::SetSequence(State* sequence)
{
    StateSlot::Set(&m_sequence, sequence, true);
}

void MatchPeriod::Exit()
{
    MessageServer::Instance()->UnregisterListener(this, MessageServer::Instance()->RegisterMessage(kListenerMessage));
    ReplayEngine* replay = ReplayEngine::Instance();
    if (replay->IsEnabled())
        replay->SetReplaying(false);
    replay->SetEnabled(false);
    if (GameTB* game = GameTB::Current())
        game->StoreCameraChoice(0);
    SetCameraFlipped(false);
    TBMusic::Instance()->PlayMenuMusic();
}

void MatchPeriod::Render()
{
    if (m_sequence)
        m_sequence->Render();
    else
        Pitch().Render();
    if (m_pauseMenu)
        m_pauseMenu->Render();
    if (m_banner)
        m_banner->Render();
}

bool MatchPeriod::IsLevel()
{
    const int goals0 = TeamOf(0).GetGoals();
    const int goals1 = TeamOf(1).GetGoals();
    const StoryModeGame& story = *StoryModeGame::Instance();
    if (!story.active || story.round == kStoryFinalRound)
        return goals0 == goals1;
    if (story.firstLeg)
        return false;
    // The second leg is the own team's home match: it plays as side 0.
    return story.GetTotalGoals(true) + goals0 == story.GetTotalGoals(false) + goals1;
}

ParallelState* MatchPeriod::CreateFadeStep(bool direction, float duration)
{
    return MatchFade::CreateFadeStep(direction, duration);
}

void MatchPeriod::OnQueuedMessage(int, intptr_t)
{
    // Match events do not stop play yet: the period keeps running through them.
}

State* MatchPeriod::Update(float dt)
{
    ReplayEngine::Instance()->Tick(dt);
    if (!m_periodOver && IsEndReached())
        StartEndShow();
    Drain();
    if (m_banner)
        StateSlot::Update(&m_banner, dt);
    if (m_pauseMenu) {
        StateSlot::Update(&m_pauseMenu, dt);
        return this;
    }
    if (m_forfeitSide != -1 && !m_sequence)
        return Forfeit();
    if (ReadAction("ingame_menu") && !m_banner && !m_finalShowRunning) {
        StateSlot::Set(&m_pauseMenu, new TBIngameMenu("ingame_menu", 0), true);
        return this;
    }
    if (m_sequence) {
        if (StateSlot::Update(&m_sequence, dt) && !m_kickOffBannerDone)
            StartMainMusicAndBanner();
        return this;
    }
    if (!m_periodOver) {
        Pitch().Update(dt, PitchSimulation::kUpdateAll);
        CountPossession();
        return ReadCheats();
    }
    return NextState();
}

bool MatchPeriod::ReadAction(const char* name) const
{
    return BufferedInputController::Instance()->GetAction(name, InputController::kValue) != 0.0f;
}

bool MatchPeriod::IsEndReached() const
{
    if (Pitch().GetClock()->Minutes() >= kEndMinute[m_period])
        return true;
    return m_period >= 2 && !IsLevel();
}

bool MatchPeriod::IsFinalPeriod() const
{
    switch (m_period) {
    case 1:
        return !m_extraTimeAllowed || !IsLevel();
    case 2:
        return !IsLevel();
    case 3:
        return true;
    default:
        return false;
    }
}

Character* MatchPeriod::FindMostValuable() const
{
    Character* best = TeamOf(0).GetPlayerCount() > 0 ? TeamOf(0).GetPlayer(0) : nullptr;
    for (Character* player : PlayerHold::AllPlayers())
        if (best && player->GetMatchRating() > best->GetMatchRating())
            best = player;
    return best;
}

void MatchPeriod::FillStatistics(Character* mostValuable)
{
    MatchStatistics& statistics = *MatchStatistics::Instance();
    statistics.SetPossession(TeamOf(0).GetPossession(), TeamOf(1).GetPossession());
    if (mostValuable && mostValuable->GetVariation())
        statistics.mostValuable = mostValuable->GetVariation()->GetName();
    MenuVariableSink sink;
    statistics.FillText(StatisticsHome(), sink);
}

void MatchPeriod::StartEndShow()
{
    m_periodOver = true;
    ReplayEngine::Instance()->SetEnabled(false);
    FillStatistics(FindMostValuable());
    const bool final = IsFinalPeriod();
    SetVariable("%dynamic_message%", "%60510% " + PeriodName(m_period));
    m_finalShowRunning = true;
    auto* walkOff = new ParallelState;
    walkOff->AddState(new SendOffPlayer(PlayerHold::AllPlayers(), false, false, true, 0.0f));
    walkOff->AddState(new IteratingState(new TBIngameMessageMenu(kDynamicBanner, kEndBannerSeconds),
                                         new TBIngameMenu("game_stat", 0)));
    State* show = walkOff;
    if (final)
        if (State* reaction = CreateEndReaction())
            show = new IteratingState(reaction, show);
    SetSequence(new IteratingState(new RefereeWhistle(false), show));
}

State* MatchPeriod::CreateEndReaction() const
{
    const int goals0 = TeamOf(0).GetGoals();
    const int goals1 = TeamOf(1).GetGoals();
    std::vector<Character*> cheer;
    std::vector<Character*> dismay;
    if (goals0 > goals1) {
        cheer = PlayersOf(0);
        dismay = PlayersOf(1);
    } else if (goals1 > goals0) {
        cheer = PlayersOf(1);
        dismay = PlayersOf(0);
    } else if (StoryActive() && StoryModeGame::Instance()->round == kStoryFinalRound &&
               StoryModeGame::Instance()->firstLeg) {
        cheer = PlayerHold::AllPlayers();
    } else {
        return nullptr;
    }
    return new PlayerReaction(cheer, dismay, 0.0f, kEndReactionMaxStagger, kEndReactionSeconds);
}

void MatchPeriod::CountPossession()
{
    const MatchClock& clock = *Pitch().GetClock();
    const int minute = clock.Minutes();
    const int second = clock.Seconds();
    if (minute > m_possessionMinute) {
        m_possessionMinute = minute;
        m_possessionSecond = 0;
    }
    if (second <= m_possessionSecond)
        return;
    // Before anybody has touched the ball nobody holds possession; the second is not owed.
    const BallToucher* toucher = Pitch().GetBall()->GetLastToucher();
    if (SoccerTeam* team = toucher ? toucher->GetBallTeam() : nullptr)
        team->SetPossession(team->GetPossession() + (second - m_possessionSecond));
    m_possessionSecond = second;
}

State* MatchPeriod::ReadCheats()
{
    MatchClock& clock = *Pitch().GetClock();
    if (ReadAction("cheat skip"))
        clock.SetTime(clock.GetTime() + 60.0f * static_cast<float>(kEndMinute[m_period] - clock.Minutes()));
    if (ReadAction("cheat goal"))
        TeamOf(0).SetGoals(TeamOf(0).GetGoals() + 1);
    // Each side's score as the forfeit score: 3 goals when set, else none.
    struct Result {
        const char* action;
        bool threeGoals0;
        bool threeGoals1;
    };
    static constexpr Result kResults[] = {
        {"cheat win", true, false}, {"cheat loose", false, true}, {"cheat draw", true, true}};
    for (const Result& result : kResults) {
        if (!ReadAction(result.action))
            continue;
        TeamOf(0).SetForfeitScore(result.threeGoals0);
        TeamOf(1).SetForfeitScore(result.threeGoals1);
        FillStatistics(TeamOf(0).GetPlayerCount() > 0 ? TeamOf(0).GetPlayer(0) : nullptr);
        SetVariable("%dynamic_message%", "%60510% " + PeriodName(m_period));
        return nullptr;
    }
    return this;
}

State* MatchPeriod::Forfeit()
{
    MatchStatistics& statistics = *MatchStatistics::Instance();
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        TeamOf(side).SetForfeitScore(side != m_forfeitSide);
        statistics.goals[side] = TeamOf(side).GetGoals();
    }
    FillStatistics(FindMostValuable());
    SetVariable("%match_period%", "%60511%");
    return new IteratingState(new TBMenu("fouloverkill_penalty"), new TBMenu("game_stat_wbg"));
}

State* MatchPeriod::NextState()
{
    const bool continues = m_period == 0 || (m_period == 1 && m_extraTimeAllowed && IsLevel()) ||
                           (m_period == 2 && IsLevel());
    if (continues)
        return new MatchPeriod(m_period + 1, m_extraTimeAllowed, m_crowdFavours0, m_crowdFavours1);
    if (m_period >= 2 && IsLevel())
        return new PenaltyShootout(&StoryModeGame::Instance()->penaltyResult);
    SetVariable("%match_period%", "%60512%");
    return nullptr;
}
