#include "match/setpieces/KickAim.h"

#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/Team.h"
#include "input/InputController.h"
#include "match/setpieces/DirectionSelector.h"
#include "pitch/CameraControl.h"
#include "pitch/CameraStack.h"
#include "pitch/PitchSimulation.h"
#include "pitch/TBWorld.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"

#include <optional>

namespace {

const char* const kComputer = "ai";
// The collision step that lets a turned taker keep the ball at his feet.
constexpr float kTurnSettleStep = 0.01f;
// One collision step resolves the taker's touch of the ball, so that he holds it.
constexpr float kSettleStep = 0.1f;

// The half's side of the cameras while a restart's camera looks from the other one.
std::optional<bool> s_halfFlipped;

}  // namespace

KickAim::KickAim() = default;

KickAim::~KickAim()
{
    End();
}

bool KickAim::IsComputer(const Character& player)
{
    return !player.GetBrain() || player.GetBrain()->GetName() == kComputer;
}

void KickAim::Begin(const Character& taker, float angle, float minimum, float maximum)
{
    End();
    m_started = false;
    if (IsComputer(taker))
        return;
    m_selector = std::make_unique<DirectionSelector>(taker.GetBrain()->GetName(), taker.GetActor()->GetPosition(),
                                                     angle, minimum, maximum);
    if (TBWorld* world = PitchSimulation::Instance()->GetWorld())
        world->AddRenderObject(m_selector.get());
}

void KickAim::BeginAround(const Character& taker, const Vector3& direction, float limit)
{
    const float angle = PitchAngle::FromDirection(direction).angle;
    Begin(taker, angle, angle - limit, angle + limit);
}

void KickAim::Update(Character& taker, const ActorStateNode& waiting)
{
    if (!IsComputer(taker) && !m_started) {
        const std::string& prefix = taker.GetBrain()->GetName();
        BufferedInputController& input = *BufferedInputController::Instance();
        const bool a = input.GetAction(prefix + "button a", InputController::kPressEdge) != 0.0f;
        const bool b = input.GetAction(prefix + "button b", InputController::kPressEdge) != 0.0f;
        m_started = a != b;
        Actor& actor = *taker.GetActor();
        if (m_started) {
            ActorCommand& command = taker.GetCommand();
            command.SetDirection(actor.GetHeading());
            command.strike = 1;
        } else if (m_selector) {
            TurnWaiting(actor, PitchAngle(m_selector->GetAngle()).ToWorldHeading(), waiting);
        }
    }
    if (m_selector && m_started)
        m_selector->SetAngle(PitchAngle::FromWorldHeading(taker.GetActor()->GetHeading()).angle);
}

void KickAim::TurnWaiting(Actor& actor, float heading, const ActorStateNode& waiting)
{
    Ball* held = actor.HasBall() ? PitchSimulation::Instance()->GetBall() : nullptr;
    actor.PlaceInState(actor.GetPosition(), heading, new ActorState(waiting));
    // Placing lets go of the ball. A keeper carries it in his hands, beyond the reach of the
    // settling step, and would drop it: it goes back to him as when he was first placed.
    const float reach = actor.GetRadius() + (held ? held->GetRadius() : 0.0f);
    if (held && PitchFrame::Flatten(held->GetPosition() - actor.GetPosition()).Length() > reach)
        held->SetPosition(actor.GetPosition());
    CollisionManager::Instance()->Update(kTurnSettleStep);
}

void KickAim::End()
{
    if (!m_selector)
        return;
    if (TBWorld* world = PitchSimulation::Instance()->GetWorld())
        world->RemoveRenderObject(m_selector.get());
    m_selector.reset();
}

void KickAim::PassFor(Character& taker, Character* receiver)
{
    HandOver();
    OrderPass(taker, receiver);
}

void KickAim::OrderPass(Character& taker, Character* receiver)
{
    if (CharacterBrain* brain = taker.GetBrain())
        brain->GetOrder() = TeamOrder{1, Vector3::Zero, receiver};
    // A steered taker's brain reads the controller, not orders: the pass is made for him as
    // his button would.
    if (!taker.IsSelected())
        return;
    ActorCommand& command = taker.GetCommand();
    if (!command.hold) {
        command.code = ActorInput::Pass;
        if (receiver && receiver->GetActor())
            command.targetPosition = receiver->GetActor()->GetPosition();
    }
    command.hold = 1;
}

void KickAim::PushCamera(const std::string& name, TrackedObject* target)
{
    CameraStack* cameras = CameraStack::Current();
    if (cameras)
        cameras->PushCamera(name);
    SetCameraTarget(target);
    CameraControl* control = cameras ? cameras->GetActiveCamera() : nullptr;
    LookFromPitchSide(control);
    // Pushed before it had its target: at the taker from the first frame.
    if (control)
        control->Activate();
}

void KickAim::PopCamera()
{
    LookFromHalfSide();
    if (CameraStack* cameras = CameraStack::Current())
        cameras->PopCamera();
    SetCameraTarget(PitchSimulation::Instance()->GetBall());
}

void KickAim::LookFromPitchSide(CameraControl* control)
{
    auto* tracking = dynamic_cast<TrackingCameraControl*>(control);
    if (!tracking || tracking->StandsOverPitch())
        return;
    const bool flipped = IsCameraFlipped();
    SetCameraFlipped(!flipped);
    if (tracking->StandsOverPitch()) {
        if (!s_halfFlipped)
            s_halfFlipped = flipped;
    } else {
        SetCameraFlipped(flipped);
    }
}

void KickAim::LookFromHalfSide()
{
    if (s_halfFlipped)
        SetCameraFlipped(*s_halfFlipped);
    s_halfFlipped.reset();
}

void KickAim::FaceOutfieldPlayers(const Vector3& point)
{
    PitchSimulation& pitch = *PitchSimulation::Instance();
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        const SoccerTeam* team = pitch.GetTeam(side);
        for (int32_t i = 1; team && i < team->GetPlayerCount(); ++i) {
            Actor& actor = *team->GetPlayer(i)->GetActor();
            const float heading = PitchAngle::FromDirection(point - actor.GetPosition()).ToWorldHeading();
            actor.PlaceInState(actor.GetPosition(), heading, new ActorState(ActorNodes::inactive));
        }
    }
}

void KickAim::SettleTaker(Character* taker, const ActorStateNode& waiting, bool attacking)
{
    if (taker) {
        Actor& actor = *taker->GetActor();
        actor.PlaceInState(actor.GetPosition(), actor.GetHeading(), new ActorState(waiting));
    }
    CollisionManager::Instance()->Update(kSettleStep);
    FreeDefendingKeeper(attacking);
}

void KickAim::FreeDefendingKeeper(bool attacking)
{
    const SoccerTeam* defending = PitchSimulation::Instance()->GetTeam(attacking ? 1 : 0);
    if (defending && defending->GetPlayerCount() > 0) {
        Actor& keeper = *defending->GetPlayer(0)->GetActor();
        keeper.PlaceInState(keeper.GetPosition(), keeper.GetHeading(), new ActorState(ActorNodes::stand));
    }
}
