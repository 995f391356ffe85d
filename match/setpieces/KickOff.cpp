#include "match/setpieces/KickOff.h"

#include "ai/Decision.h"
#include "ai/UtilityRegistry.h"
#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/RefereeSettings.h"
#include "characters/Team.h"
#include "input/InputController.h"
#include "match/PitchSides.h"
#include "match/setpieces/PitchPlacement.h"
#include "match/setpieces/RefereeStates.h"
#include "pitch/CameraControl.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameParameters.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "simulation/ReplayEngine.h"

namespace {

// The input that leads from the "kickoff" node to "pass".
constexpr int32_t kPassInput = 7;
const char* const kComputer = "ai";

PitchSimulation& Pitch()
{
    return *PitchSimulation::Instance();
}

Decision NearestToBall()
{
    Decision decision;
    decision.AddPart(DecisionPart("DistanceFromBall", true, 1.0f));
    return decision;
}

bool IsHuman(const Character& player)
{
    return player.GetBrain() && player.GetBrain()->GetName() != kComputer;
}

void Place(Character& player, const Vector3& position, float heading, const ActorStateNode& node)
{
    if (Actor* actor = player.GetActor())
        actor->PlaceInState(position, heading, new ActorState(node));
}

}  // namespace

KickOff::KickOff(bool attackingSide, bool storyLeg)
    : SetPiece("kickoff", attackingSide, 0.0f, 0.0f), m_storyLeg(storyLeg)
{
}

KickOff::~KickOff()
{
    StateSlot::Set(&m_whistle, nullptr, false);
}

void KickOff::GetTakerPlacement(Vector3& spot, Vector3& direction) const
{
    spot = PitchFrame::GetCentre();
    const SoccerTeam* team = Pitch().GetTeam(IsAttacking() ? 0 : 1);
    direction = sides::PlayDirection(team && team->IsFirstSide());
}

Character* KickOff::GetTaker() const
{
    const SoccerTeam* team = Pitch().GetTeam(IsAttacking() ? 0 : 1);
    UtilityRegistry* registry = Pitch().GetUtilityRegistry();
    if (!team || !registry)
        return nullptr;
    registry->ClearCaches();
    return NearestToBall().ChooseBestPlayer(*team, *registry);
}

void KickOff::Enter()
{
    SetPiece::Enter();
    if (m_storyLeg || GameParameters::Instance()->replays)
        ReplayEngine::Instance()->SetEnabled(true);
    Character* taker = GetTaker();
    if (taker) {
        PlaceReceiver(taker);
        PlaceReferee(taker);
        if (IsHuman(*taker))
            FaceReceiver(taker);
    }
    StateSlot::Set(&m_whistle, new RefereeWhistle(true), true);
    m_aiDelay = MatchSettings::Instance()->aiSetPieceDelay;
    SetCameraTarget(taker ? taker->GetActor() : nullptr);
}

void KickOff::PlaceReceiver(Character* taker)
{
    Character* receiver = ChooseReceiver(taker, true);
    if (!receiver || !receiver->GetActor() || !taker->GetActor())
        return;
    const Vector3 position =
        placement::LevelAlong(receiver->GetActor()->GetPosition(), taker->GetActor()->GetPosition());
    Place(*receiver, position, receiver->GetActor()->GetHeading(), ActorNodes::inactive);
}

void KickOff::PlaceReferee(Character* taker)
{
    Character* referee = Pitch().GetReferee();
    if (!referee)
        return;
    const Vector3 facing =
        PitchFrame::GetDirection(sides::OnFirstSide(taker) ? PitchFrame::kAcrossBack : PitchFrame::kAcross);
    const Vector3 position = PitchFrame::GetCentre() - facing * RefereeSettings::Instance()->distFromBall;
    Place(*referee, position, PitchAngle::FromDirection(facing).ToWorldHeading(), ActorNodes::refstand);
}

void KickOff::FaceReceiver(Character* taker)
{
    Character* receiver = ChooseReceiver(taker, true);
    Actor* actor = taker->GetActor();
    if (!receiver || !receiver->GetActor() || !actor)
        return;
    const Vector3 toReceiver = receiver->GetActor()->GetPosition() - actor->GetPosition();
    Place(*taker, actor->GetPosition(), PitchAngle::FromDirection(toReceiver).ToWorldHeading(), ActorNodes::kickoff);
}

State* KickOff::Update(float dt)
{
    Character* taker = GetTaker();
    CharacterBrain* brain = taker ? taker->GetBrain() : nullptr;
    if (m_whistle) {
        if (brain)
            brain->SetMode(CharacterBrain::kFrozen);
        StateSlot::Update(&m_whistle, dt);
        return this;
    }
    if (brain)
        brain->SetMode(0);
    if (taker && IsHuman(*taker) && !m_kicked)
        ReadHumanKick(taker);
    m_aiDelay -= dt;
    if (m_aiDelay <= 0.0f && taker)
        IssueComputerKick(taker);
    return SetPiece::Update(dt);
}

void KickOff::ReadHumanKick(Character* taker)
{
    const std::string& prefix = taker->GetBrain()->GetName();
    BufferedInputController& input = *BufferedInputController::Instance();
    const bool pressed = input.GetAction(prefix + "button a", InputController::kValue) != 0.0f ||
                         input.GetAction(prefix + "button b", InputController::kValue) != 0.0f;
    if (pressed)
        PassAsPressed(taker);
    m_kicked = pressed;
}

void KickOff::PassAsPressed(Character* taker)
{
    taker->GetBrain()->SetMode(0);
    ActorCommand& command = taker->GetCommand();
    if (!command.hold) {
        command.code = kPassInput;
        if (Character* receiver = ChooseReceiver(taker, true); receiver && receiver->GetActor())
            command.targetPosition = receiver->GetActor()->GetPosition();
    }
    command.hold = 1;
}

void KickOff::IssueComputerKick(Character* taker)
{
    const SoccerTeam* team = taker->GetTeam();
    UtilityRegistry* registry = Pitch().GetUtilityRegistry();
    if (!team || !registry || !taker->GetBrain())
        return;
    std::vector<Character*> candidates;
    for (int32_t i = 0; i < team->GetPlayerCount(); ++i)
        if (team->GetPlayer(i) != taker)
            candidates.push_back(team->GetPlayer(i));
    Character* receiver =
        NearestToBall().ChooseBest(candidates.data(), static_cast<int32_t>(candidates.size()), *registry);
    TeamOrder& order = taker->GetBrain()->GetOrder();
    order.code = 1;
    order.point = Vector3::Zero;
    order.target = receiver;
    // A steered taker's brain reads the controller, not orders: the pass is made for him as
    // his button would.
    if (taker->IsSelected())
        PassAsPressed(taker);
}

void KickOff::Exit()
{
    SetPiece::Exit();
    SetCameraTarget(Pitch().GetBall());
}
