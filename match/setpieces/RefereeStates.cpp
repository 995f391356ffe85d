#include "match/setpieces/RefereeStates.h"

#include "characters/Character.h"
#include "characters/RefereeBrain.h"
#include "framework/Color.h"
#include "match/PlayerHold.h"
#include "match/setpieces/KickAim.h"
#include "pitch/CameraControl.h"
#include "pitch/PitchSimulation.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"

namespace {

// Everything but the clock.
constexpr uint32_t kRefereeMask = PitchSimulation::kUpdateAll & ~PitchSimulation::kUpdateClock;
// The card is the first material of this atomic of the referee's model.
constexpr int kCardAtomic = 2;
constexpr int kCardMaterial = 0;
const Color kYellowCard(1.0f, 1.0f, 0.0f, 1.0f);
const Color kRedCard(1.0f, 0.0f, 0.0f, 1.0f);

RefereeBrain* RefereeBrainOf(Character* referee)
{
    return referee ? dynamic_cast<RefereeBrain*>(referee->GetBrain()) : nullptr;
}

void FollowBall()
{
    SetCameraTarget(PitchSimulation::Instance()->GetBall());
}

void FollowReferee(Character* referee)
{
    if (referee)
        SetCameraTarget(referee->GetActor());
}

// The player stands where he is, facing the referee.
void FaceReferee(Character* player, const Character* referee)
{
    if (!player || !referee)
        return;
    Actor* actor = player->GetActor();
    const Vector3 toReferee = referee->GetActor()->GetPosition() - actor->GetPosition();
    actor->PlaceInState(actor->GetPosition(), PitchAngle::FromDirection(toReferee).ToWorldHeading(),
                        new ActorState(ActorNodes::stand));
}

}  // namespace

State* RefereeSequence::Update(float dt)
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    pitch->Update(dt, kRefereeMask);
    const RefereeBrain* brain = RefereeBrainOf(pitch->GetReferee());
    return brain && brain->GetState() != RefereeBrain::kFollowing ? this : nullptr;
}

RedCardAward::RedCardAward(Character* offender, bool yellow, Character* fouled)
    : m_offender(offender), m_fouled(fouled), m_yellow(yellow)
{
}

void RedCardAward::Enter()
{
    Character* referee = PitchSimulation::Instance()->GetReferee();
    if (referee)
        referee->GetActor()->SetMaterialColor(kCardAtomic, kCardMaterial, m_yellow ? kYellowCard : kRedCard);
    if (RefereeBrain* brain = RefereeBrainOf(referee))
        brain->AwardRedCard(m_offender);
    PlayerHold::HoldAll();
    FaceReferee(m_offender, referee);
    FaceReferee(m_fouled, referee);
    KickAim::PushCamera("Referee", referee ? referee->GetActor() : nullptr);
}

void RedCardAward::Exit()
{
    if (m_yellow && m_offender)
        m_offender->SetBooked(true);
    PlayerHold::ReleaseAll();
    KickAim::PopCamera();
}

RefereeWhistle::RefereeWhistle(bool shortWhistle) : m_short(shortWhistle) {}

void RefereeWhistle::Enter()
{
    Character* referee = PitchSimulation::Instance()->GetReferee();
    if (RefereeBrain* brain = RefereeBrainOf(referee))
        brain->Whistle(m_short);
    PlayerHold::HoldAll();
    FollowReferee(referee);
}

void RefereeWhistle::Exit()
{
    PlayerHold::ReleaseAll();
    FollowBall();
}
