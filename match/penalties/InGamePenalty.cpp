#include "match/penalties/InGamePenalty.h"

#include "audio/SoundEngine.h"
#include "audio/Voice.h"
#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/Team.h"
#include "framework/Debug.h"
#include "framework/Message.h"
#include "match/PitchSides.h"
#include "match/penalties/PenaltyShot.h"
#include "pitch/PitchSimulation.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"

namespace {

constexpr uint32_t kPenaltyHud = 120;
constexpr uint32_t kPlayHud = 63;

void Broadcast(const char* name, intptr_t param)
{
    MessageServer* server = MessageServer::Instance();
    server->SendMessage(0, server->RegisterMessage(name), param);
}

}  // namespace

InGamePenalty::InGamePenalty(bool attacking) : SetPiece("penalty", attacking, 0.0f, 0.0f) {}

InGamePenalty::~InGamePenalty()
{
    StateSlot::Set(&m_shot, nullptr, false);
}

Character* InGamePenalty::GetTaker() const
{
    return sides::LastPlayer(PitchSimulation::Instance()->GetTeam(IsAttacking() ? 0 : 1));
}

void InGamePenalty::GetTakerPlacement(Vector3& spot, Vector3& direction) const
{
    spot = PitchFrame::GetCentre();
    direction = Vector3{};
}

void InGamePenalty::HoldReferee(bool hold)
{
    Character* referee = PitchSimulation::Instance()->GetReferee();
    if (CharacterBrain* brain = referee ? referee->GetBrain() : nullptr)
        brain->SetMode(hold ? CharacterBrain::kFrozen : 0);
}

void InGamePenalty::Enter()
{
    SetPiece::Enter();
    PitchSimulation& pitch = *PitchSimulation::Instance();
    Character* taker = GetTaker();
    const SoccerTeam* defending = pitch.GetTeam(IsAttacking() ? 1 : 0);
    Character* keeper = sides::PlayerAt(defending, 0);
    if (taker && keeper)
        StateSlot::Set(&m_shot,
                       new PenaltyShot(taker, keeper, taker->GetControllerName(), keeper->GetControllerName(),
                                       defending->IsFirstSide(), &m_outcome, true),
                       true);
    else
        LogError("InGamePenalty: no taker or keeper; the penalty is not taken\n");
    pitch.SetHudElements(kPenaltyHud);
    Broadcast("message penaltykick", 0);
    if (Character* referee = pitch.GetReferee()) {
        const float heading = PitchAngle::FromDirection(PitchFrame::GetDirection(PitchFrame::kAlong)).ToWorldHeading();
        referee->GetActor()->PlaceInState(PitchFrame::GetCentre(), heading, new ActorState(ActorNodes::refstand));
    }
    HoldReferee(true);
    // Without a shot there is nothing to wait for: it counts as missed.
    if (!m_shot)
        m_outcome = 2;
}

State* InGamePenalty::Update(float dt)
{
    StateSlot::Update(&m_shot, dt);
    return IsKickTaken() ? nullptr : this;
}

void InGamePenalty::Render()
{
    if (m_shot)
        m_shot->Render();
}

void InGamePenalty::Exit()
{
    SetPiece::Exit();
    PitchSimulation::Instance()->SetHudElements(kPlayHud);
    StateSlot::Set(&m_shot, nullptr, false);
    PitchSimulation& pitch = *PitchSimulation::Instance();
    if (m_outcome == 1) {
        // The ball's own raise fell while the sequence ran, when events are ignored; this one
        // comes after it, and the shot's release may have left the ball illegal for goal.
        if (Ball* ball = pitch.GetBall())
            Broadcast("goal scored",
                      reinterpret_cast<intptr_t>(ball->AwardGoal(pitch.GetTeam(IsAttacking() ? 0 : 1), GetTaker())));
    } else if (Voice* voice = SoundEngine::Instance()->Play("crowd_nearmiss_low", true)) {
        voice->Start();
    }
    HoldReferee(false);
}
