#include "match/penalties/PenaltyShootout.h"

#include "audio/SoundEngine.h"
#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/Team.h"
#include "framework/Debug.h"
#include "match/Fade.h"
#include "match/FrontEndScreens.h"
#include "match/PitchSides.h"
#include "match/PlayerHold.h"
#include "match/penalties/PenaltyDisplayControl.h"
#include "match/penalties/PenaltyShot.h"
#include "menus/Menu.h"
#include "pitch/CameraStack.h"
#include "pitch/PitchSimulation.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"

#include <cmath>

namespace {

constexpr int32_t kRegularPairs = 5;
// The HUD during the kicks (names, score, the penalty power bar and its frame), and after.
constexpr uint32_t kShootoutHud = 120;
constexpr uint32_t kMatchHud = 63;
// Out of sight: where the players wait for their turn.
const Vector3 kParked(100000.0f, 100000.0f, 100000.0f);

float FixedHeading()
{
    return PitchAngle::FromDirection(PitchFrame::GetDirection(PitchFrame::kAlong)).ToWorldHeading();
}

void PlaceReferee(const Vector3& at)
{
    if (Character* referee = PitchSimulation::Instance()->GetReferee())
        referee->GetActor()->PlaceInState(at, FixedHeading(), new ActorState(ActorNodes::refstand));
}

void HoldReferee(bool hold)
{
    Character* referee = PitchSimulation::Instance()->GetReferee();
    if (CharacterBrain* brain = referee ? referee->GetBrain() : nullptr)
        brain->SetInPenalty(hold);
}

void PlaySound(const char* name)
{
    SoundEngine::Instance()->PlayOnce(name);
}

}  // namespace

PenaltyShootout::PenaltyShootout(int32_t* winner) : m_winner(winner ? winner : &m_ownWinner) { *m_winner = 0; }

PenaltyShootout::~PenaltyShootout()
{
    StateSlot::Set(&m_resultScreen, nullptr, false);
    StateSlot::Set(&m_fade, nullptr, false);
    StateSlot::Set(&m_kick, nullptr, false);
}

int32_t PenaltyShootout::IsDecided(int32_t pair, bool leftKicks, int32_t leftGoals, int32_t rightGoals)
{
    const int32_t n = pair + 1;
    const int32_t r = n > kRegularPairs ? n : kRegularPairs;
    // The right side still has its kick of this pair.
    const int32_t pending = leftKicks ? 1 : 0;
    if (leftGoals > rightGoals + (r - n) + pending)
        return 1;
    if (rightGoals > leftGoals + (r - n))
        return 2;
    return 0;
}

int32_t PenaltyShootout::TakerIndex(int32_t playerCount, int32_t pair)
{
    // A side of its keeper alone sends him.
    if (playerCount < 2)
        return 0;
    return playerCount - (pair % (playerCount - 1)) - 1;
}

void PenaltyShootout::Enter()
{
    Menu::Instance()->SetVariable("%match_period%", "Penalty Shootout");
    m_pair = 0;
    m_leftKicks = true;
    m_leftGoals = m_rightGoals = 0;
    StartKick();
    PitchSimulation::Instance()->SetHudElements(kShootoutHud);
    PenaltyDisplayControl::Instance()->Show(false, kRegularPairs);
    PlaceReferee(PitchFrame::GetCentre());
    HoldReferee(true);
}

void PenaltyShootout::ParkEveryone()
{
    for (Character* player : PlayerHold::AllPlayers()) {
        Actor* actor = player->GetActor();
        actor->PlaceInState(kParked, actor->GetHeading(), new ActorState(ActorNodes::inactive));
    }
    PlaceReferee(kParked);
}

void PenaltyShootout::StartKick()
{
    ParkEveryone();
    PitchSimulation* pitch = PitchSimulation::Instance();
    const SoccerTeam* kicking = pitch->GetTeam(m_leftKicks ? 0 : 1);
    const SoccerTeam* defending = pitch->GetTeam(m_leftKicks ? 1 : 0);
    const int32_t count = kicking ? kicking->GetPlayerCount() : 0;
    Character* taker = count > 0 ? kicking->GetPlayer(TakerIndex(count, m_pair)) : nullptr;
    Character* keeper = sides::PlayerAt(defending, 0);
    m_kickPending = true;
    if (!taker || !keeper) {
        // Nobody to kick or to save: the kick counts as missed, and the shoot-out goes on.
        LogWarning("PenaltyShootout::StartKick: the %s side has no %s; the kick is missed\n",
                   m_leftKicks ? "left" : "right", taker ? "keeper opposite" : "taker");
        StateSlot::Set(&m_kick, nullptr, false);
        m_kickResult = PenaltyContext::kMissed;
        return;
    }
    StateSlot::Set(&m_kick,
                   new PenaltyShot(taker, keeper, taker->GetControllerName(), keeper->GetControllerName(), m_leftKicks,
                                   &m_kickResult, true),
                   true);
    StateSlot::Set(&m_fade, new Fade(true, MatchSettings::Instance()->fadeLength), true);
}

void PenaltyShootout::FinishKick()
{
    m_kickPending = false;
    const int side = m_leftKicks ? 0 : 1;
    if (m_kickResult == PenaltyContext::kScored)
        ++(m_leftKicks ? m_leftGoals : m_rightGoals);
    else if (m_kickResult == PenaltyContext::kMissed)
        PlaySound("crowd_nearmiss_low");
    // A result known only on the kick's last frame is marked here.
    if (m_kickResult != PenaltyContext::kOpen)
        PenaltyDisplayControl::Instance()->SetMark(side, m_pair, m_kickResult == PenaltyContext::kScored);
    *m_winner = IsDecided();
    if (*m_winner != 0)
        return;
    if (m_leftKicks) {
        m_leftKicks = false;
    } else {
        m_leftKicks = true;
        ++m_pair;
    }
    StartKick();
}

void PenaltyShootout::ShowResult()
{
    m_decidedShown = true;
    m_cameraPushed = PushPenaltyCamera(m_leftKicks);
    StateSlot::Set(&m_resultScreen, FrontEndScreens::IngameMenu("game_stat", false), true);
}

State* PenaltyShootout::Update(float dt)
{
    StateSlot::Update(&m_kick, dt);
    StateSlot::Update(&m_fade, dt);
    StateSlot::Update(&m_resultScreen, dt);
    if (m_kickPending && !m_kick)
        FinishKick();
    if (m_kick && m_kickResult != PenaltyContext::kOpen)
        PenaltyDisplayControl::Instance()->SetMark(m_leftKicks ? 0 : 1, m_pair,
                                                   m_kickResult == PenaltyContext::kScored);
    if (*m_winner == 0)
        return this;
    if (!m_decidedShown) {
        ShowResult();
        return this;
    }
    if (m_resultScreen)
        return this;
    PopCamera();
    return nullptr;
}

void PenaltyShootout::Render()
{
    if (m_kick)
        m_kick->Render();
    if (m_fade)
        m_fade->Render();
    if (m_decidedShown && !m_kick && PitchSimulation::Instance()->IsSetUp())
        PitchSimulation::Instance()->Render();
    if (m_resultScreen)
        m_resultScreen->Render();
}

void PenaltyShootout::Exit()
{
    PitchSimulation::Instance()->SetHudElements(kMatchHud);
    // The marks belong to the shoot-out: the match display after it shows none.
    PenaltyDisplayControl::Instance()->Hide();
    ParkEveryone();
    PlaceReferee(PitchFrame::GetCentre());
    HoldReferee(false);
    // Left before the result screen was closed.
    PopCamera();
}

void PenaltyShootout::PopCamera()
{
    CameraStack* cameras = CameraStack::Current();
    if (m_cameraPushed && cameras)
        cameras->PopCamera();
    m_cameraPushed = false;
}
