#include "match/setpieces/FreeKick.h"

#include "ai/Decision.h"
#include "ai/UtilityRegistry.h"
#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "framework/Message.h"
#include "match/PitchSides.h"
#include "match/setpieces/PitchPlacement.h"
#include "pitch/PitchSimulation.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"

#include <cfloat>
#include <vector>

namespace {

const char* const kFreeKickMessage = "message freekick";

const MatchSettings& Settings() { return *MatchSettings::Instance(); }

Vector3 OntoPitch(const Vector3& spot)
{
    PitchPosition position = PitchPosition::FromWorld(spot, false);
    position.Clamp();
    return position.ToWorld(false);
}

}  // namespace

FreeKick::FreeKick(bool attacking, const Vector3& foulSpot)
    : SetPiece("freekick", attacking, MatchSettings::Instance()->fadeLength, MatchSettings::Instance()->fadeLength),
      m_kickSpot(OntoPitch(foulSpot))
{
}

Character* FreeKick::NearestOutfieldPlayer(bool attacking)
{
    PitchSimulation& pitch = *PitchSimulation::Instance();
    const SoccerTeam* team = pitch.GetTeam(attacking ? 0 : 1);
    UtilityRegistry* registry = pitch.GetUtilityRegistry();
    if (!team || !registry)
        return nullptr;
    registry->ClearCaches();
    std::vector<Character*> candidates;
    for (int32_t i = 1; i < team->GetPlayerCount(); ++i)
        candidates.push_back(team->GetPlayer(i));
    Decision nearest;
    nearest.AddPart(DecisionPart("DistanceFromBall", true, 1.0f));
    return nearest.ChooseBest(candidates.data(), static_cast<int32_t>(candidates.size()), *registry);
}

void FreeKick::OrderPassToNearest(Character& taker, bool skipKeepers)
{
    KickAim::OrderPass(taker, ChooseReceiver(&taker, skipKeepers));
}

Character* FreeKick::GetTaker() const
{
    return m_taker ? m_taker : NearestOutfieldPlayer(IsAttacking());
}

void FreeKick::GetTakerPlacement(Vector3& spot, Vector3& direction) const
{
    spot = m_kickSpot;
    spot.y = 0.0f;
    const Character* taker = GetTaker();
    direction = sides::PlayDirection(sides::OnFirstSide(taker));
    const float margin = Settings().freekickLineDistLimit;
    spot = placement::WithinTouchlines(placement::WithinEnds(spot, margin), margin);
}

void FreeKick::Enter()
{
    SetPiece::Enter();
    KickAim::FaceOutfieldPlayers(m_kickSpot);
    // Kept from now on: a team-mate lined up nearer the ball would otherwise become the
    // taker while standing "inactive", and the kick would never be taken.
    m_taker = NearestOutfieldPlayer(IsAttacking());
    Character* taker = GetTaker();
    // The arrow turns all the way round.
    if (taker)
        m_aim.Begin(*taker, PitchAngle::FromWorldHeading(taker->GetActor()->GetHeading()).angle, -FLT_MAX, FLT_MAX);
    KickAim::SettleTaker(taker, ActorNodes::kickoff, IsAttacking());
    KickAim::PushCamera("Throw In", taker ? taker->GetActor() : nullptr);
    m_aiDelay = Settings().aiSetPieceDelay;
    MessageServer* server = MessageServer::Instance();
    server->SendMessage(0, server->RegisterMessage(kFreeKickMessage), 0);
}

State* FreeKick::Update(float dt)
{
    if (Character* taker = GetTaker()) {
        if (KickAim::IsComputer(*taker)) {
            m_aiDelay -= dt;
            if (m_aiDelay <= 0.0f)
                OrderPassToNearest(*taker, true);
        } else {
            m_aim.Update(*taker, ActorNodes::kickoff);
        }
    }
    return SetPiece::Update(dt);
}

void FreeKick::Exit()
{
    SetPiece::Exit();
    m_aim.End();
    KickAim::PopCamera();
}
