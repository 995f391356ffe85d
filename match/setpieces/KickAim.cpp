#include "match/setpieces/KickAim.h"

#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "input/InputController.h"
#include "match/game/GameTB.h"
#include "match/setpieces/DirectionSelector.h"
#include "scene/pitch/CameraControl.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"
#include "simulation/pitch/PitchSimulation.h"
#include "scene/pitch/TBWorld.h"

namespace {

const char* const kComputer = "ai";
// The collision step that lets a turned taker keep the ball at his feet.
constexpr float kTurnSettleStep = 0.01f;

}  // namespace

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
    m_selector =
        new DirectionSelector(taker.GetBrain()->GetName(), taker.GetActor()->GetPosition(), angle, minimum, maximum);
    if (TBWorld* world = PitchSimulation::Instance()->GetWorld())
        world->AddRenderObject(m_selector);
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
            actor.PlaceInState(actor.GetPosition(), m_selector->GetAngle(), new ActorState(waiting));
            CollisionManager::Instance()->Update(kTurnSettleStep);
        }
    }
    if (m_selector && m_started)
        m_selector->SetAngle(taker.GetActor()->GetHeading());
}

void KickAim::End()
{
    if (!m_selector)
        return;
    if (TBWorld* world = PitchSimulation::Instance()->GetWorld())
        world->RemoveRenderObject(m_selector);
    delete m_selector;
    m_selector = nullptr;
}

void KickAim::OrderPass(Character& taker, Character* receiver)
{
    if (CharacterBrain* brain = taker.GetBrain())
        brain->GetOrder() = TeamOrder{1, Vector3::Zero, receiver};
}

void KickAim::PushCamera(const std::string& name, TrackedObject* target)
{
    if (GameTB* game = GameTB::Current())
        game->PushCamera(name);
    SetCameraTarget(target);
}

void KickAim::PopCamera()
{
    if (GameTB* game = GameTB::Current())
        game->PopCamera();
    SetCameraTarget(PitchSimulation::Instance()->GetBall());
}
