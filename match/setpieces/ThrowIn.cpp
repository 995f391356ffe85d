#include "match/setpieces/ThrowIn.h"

#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "match/MatchSettings.h"
#include "match/setpieces/FreeKick.h"
#include "simulation/CollisionManager.h"
#include "simulation/frame/PitchCoordinates.h"
#include "simulation/pitch/PitchSimulation.h"

#include <cmath>

namespace {

constexpr float kSettleStep = 0.1f;

const MatchSettings& Settings() { return *MatchSettings::Instance(); }

}  // namespace

ThrowIn::ThrowIn(bool attacking, bool positiveLine, const Vector3& outPosition)
    : SetPiece("throwin", attacking, MatchSettings::Instance()->fadeLength, MatchSettings::Instance()->fadeLength),
      m_positiveLine(positiveLine), m_outPosition(outPosition)
{
}

void ThrowIn::GetTakerPlacement(Vector3& spot, Vector3& direction) const
{
    spot = m_outPosition;
    spot.y = 0.0f;
    direction = PitchFrame::GetDirection(m_positiveLine ? PitchFrame::kAcrossBack : PitchFrame::kAcross);
    spot = spot + direction * Settings().throwInDistIn;
    const float limit = std::fabs(PitchPosition(1.0f, 1.0f).ToWorld(true).x) - Settings().throwInEdgeDistLimit;
    if (std::fabs(spot.x) >= limit)
        spot.x = std::copysign(limit, spot.x);
}

Character* ThrowIn::GetTaker() const
{
    return FreeKick::NearestOutfieldPlayer(IsAttacking());
}

void ThrowIn::Enter()
{
    SetPiece::Enter();
    PitchSimulation& pitch = *PitchSimulation::Instance();
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        const SoccerTeam* team = pitch.GetTeam(side);
        for (int32_t i = 1; team && i < team->GetPlayerCount(); ++i) {
            Actor& actor = *team->GetPlayer(i)->GetActor();
            const float heading = PitchAngle::FromDirection(m_outPosition - actor.GetPosition()).angle;
            actor.PlaceInState(actor.GetPosition(), heading, new ActorState(ActorNodes::inactive));
        }
    }
    Character* taker = GetTaker();
    if (taker) {
        Vector3 spot, direction;
        GetTakerPlacement(spot, direction);
        const float angle = PitchAngle::FromDirection(direction).angle;
        const float limit = Settings().throwInAngleLimit;
        m_aim.Begin(*taker, angle, angle - limit, angle + limit);
        Actor& actor = *taker->GetActor();
        actor.PlaceInState(actor.GetPosition(), actor.GetHeading(), new ActorState(ActorNodes::throwinwait));
    }
    CollisionManager::Instance()->Update(kSettleStep);
    const SoccerTeam* defending = pitch.GetTeam(IsAttacking() ? 1 : 0);
    if (defending && defending->GetPlayerCount() > 0) {
        Actor& keeper = *defending->GetPlayer(0)->GetActor();
        keeper.PlaceInState(keeper.GetPosition(), keeper.GetHeading(), new ActorState(ActorNodes::stand));
    }
    m_aiDelay = Settings().aiSetPieceDelay;
    KickAim::PushCamera("Throw In", taker ? taker->GetActor() : nullptr);
}

State* ThrowIn::Update(float dt)
{
    Character* taker = GetTaker();
    if (taker) {
        m_aim.Update(*taker, ActorNodes::throwinwait);
        m_aiDelay -= dt;
        // A person is never thrown for.
        if (m_aiDelay <= 0.0f && KickAim::IsComputer(*taker))
            KickAim::OrderPass(*taker, ChooseReceiver(taker, false));
    }
    return SetPiece::Update(dt);
}

void ThrowIn::Exit()
{
    m_aim.End();
    SetPiece::Exit();
    KickAim::PopCamera();
}
