#include "match/setpieces/GoalKick.h"

#include "ai/TeamStrategy.h"
#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/Team.h"
#include "match/PitchSides.h"
#include "match/PlayerHold.h"
#include "match/setpieces/PitchPlacement.h"
#include "pitch/PitchSimulation.h"
#include "settings/GameSettings.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"

#include <cfloat>
#include <cstring>

namespace {

constexpr float kSettleStep = 0.01f;

void SetBallContact(bool contact)
{
    for (Character* player : PlayerHold::AllPlayers())
        if (!player->IsKeeper())
            player->GetActor()->ballContact = contact;
}

}  // namespace

GoalKick::GoalKick(bool attacking) : SetPiece("goalkick", attacking, 0.0f, 0.0f) {}

Character* GoalKick::KickingKeeper(bool attacking)
{
    return sides::PlayerAt(PitchSimulation::Instance()->GetTeam(attacking ? 0 : 1), 0);
}

void GoalKick::KeeperTakesBall(Character& keeper, const Vector3& position, float heading)
{
    keeper.GetActor()->PlaceInState(position, heading, new ActorState(ActorNodes::keeperkickwait));
    if (Ball* ball = PitchSimulation::Instance()->GetBall())
        ball->SetPosition(position);
    CollisionManager::Instance()->Update(kSettleStep);
}

Character* GoalKick::GetTaker() const
{
    return KickingKeeper(IsAttacking());
}

bool GoalKick::IsKickTaken() const
{
    PitchSimulation& pitch = *PitchSimulation::Instance();
    for (int side = 0; side < PitchSimulation::kSides; ++side)
        if (pitch.GetTeam(side) && pitch.GetTeam(side)->HasBall())
            return false;
    return true;
}

void GoalKick::GetTakerPlacement(Vector3& spot, Vector3& direction) const
{
    const Ball* ball = PitchSimulation::Instance()->GetBall();
    spot = ball ? ball->GetPosition() : Vector3{};
    // Only the base's first placement, a body radius from the ball, reads it: Enter then puts
    // the keeper back where he stood.
    direction = PitchFrame::GetDirection(PitchFrame::kAlongBack);
}

void GoalKick::Enter()
{
    SetPiece::Enter();
    PitchSimulation& pitch = *PitchSimulation::Instance();
    if (SoccerTeam* defending = pitch.GetTeam(IsAttacking() ? 1 : 0)) {
        // The brains drive the whole defending side while the keeper kicks.
        defending->SetControlFlag(false);
        for (int32_t i = 0; i < defending->GetPlayerCount(); ++i)
            defending->GetPlayer(i)->SetSelected(false);
    }
    Character* keeper = GetTaker();
    if (keeper) {
        const PitchAngle heading = sides::PlayAngle(sides::OnFirstSide(keeper));
        const Vector3 position =
            placement::WithinEnds(keeper->GetActor()->GetPosition(), MatchSettings::Instance()->goalkickEndDistLimit);
        KeeperTakesBall(*keeper, position, heading.ToWorldHeading());
        m_aim.Begin(*keeper, heading.angle, -FLT_MAX, FLT_MAX);
    }
    SetBallContact(false);
    m_aiDelay = MatchSettings::Instance()->aiSetPieceDelay;
    KickAim::PushCamera("Throw In", keeper ? keeper->GetActor() : nullptr);
}

void GoalKick::SendPlayersToPlaces()
{
    PitchSimulation& pitch = *PitchSimulation::Instance();
    const float range = GameSettings::Instance()->maximumAiMoveRange;
    m_allInPlace = true;
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        const SoccerTeam* team = pitch.GetTeam(side);
        const TeamStrategy* strategy = GetStrategy(side);
        for (int32_t i = 0; team && i < team->GetPlayerCount(); ++i) {
            Character& player = *team->GetPlayer(i);
            Actor& actor = *player.GetActor();
            CharacterBrain* brain = player.GetBrain();
            if (i == 0) {
                if (brain)
                    brain->GetOrder() = TeamOrder{0, actor.GetPosition(), nullptr};
                continue;
            }
            // Without a formation a player's place is where he stands.
            const Vector3 target = strategy ? strategy->GetTacticalPosition(player.GetRoleIndex(), PitchPosition(0.0f, 0.0f))
                                                  .ToWorld(team->IsFirstSide())
                                            : actor.GetPosition();
            if (brain)
                brain->GetOrder() = TeamOrder{0, target, nullptr};
            if (!actor.IsOnScreen(Vector3{}) && !actor.IsOnScreen(target - actor.GetPosition()))
                actor.PlaceInState(target, actor.GetHeading(), new ActorState(ActorNodes::stand));
            if (PitchFrame::Flatten(actor.GetPosition() - target).Length() > range) {
                m_allInPlace = false;
                // "inactive" takes no orders: a player placed there would never set off.
                if (std::strcmp(actor.GetStateName(), "inactive") == 0)
                    actor.PlaceInState(actor.GetPosition(), actor.GetHeading(), new ActorState(ActorNodes::stand));
            }
        }
    }
}

State* GoalKick::Update(float dt)
{
    SendPlayersToPlaces();
    m_aiDelay -= dt;
    const SoccerTeam* kicking = PitchSimulation::Instance()->GetTeam(IsAttacking() ? 0 : 1);
    Character* holder = kicking ? kicking->GetBallHolder() : nullptr;
    if (m_allInPlace && holder && m_aiDelay <= 0.0f && kicking->GetPlayerCount() > 1)
        m_aim.PassFor(*holder, kicking->GetPlayer(1));
    if (Character* keeper = GetTaker())
        m_aim.Update(*keeper, ActorNodes::keeperkickwait);
    PitchSimulation::Instance()->Update(dt, kUpdateMask);
    return IsKickTaken() ? nullptr : this;
}

void GoalKick::Exit()
{
    SetBallContact(true);
    if (SoccerTeam* defending = PitchSimulation::Instance()->GetTeam(IsAttacking() ? 1 : 0))
        defending->SetControlFlag(true);
    SetPiece::Exit();
    m_aim.End();
    KickAim::PopCamera();
}
