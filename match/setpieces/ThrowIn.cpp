#include "match/setpieces/ThrowIn.h"

#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "match/setpieces/FreeKick.h"
#include "match/setpieces/PitchPlacement.h"
#include "pitch/PitchSimulation.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"

namespace {

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
    spot = placement::WithinEnds(spot + direction * Settings().throwInDistIn, Settings().throwInEdgeDistLimit);
}

Character* ThrowIn::GetTaker() const
{
    // Kept once thrown: a team-mate who catches the ball before the picture has faded out is
    // nearest it then, and standing "inactive" with it he would hold the restart for good.
    return m_thrower ? m_thrower : FreeKick::NearestOutfieldPlayer(IsAttacking());
}

void ThrowIn::Enter()
{
    SetPiece::Enter();
    KickAim::FaceOutfieldPlayers(m_outPosition);
    Character* taker = GetTaker();
    if (taker) {
        Vector3 spot, direction;
        GetTakerPlacement(spot, direction);
        m_aim.BeginAround(*taker, direction, Settings().throwInAngleLimit);
    }
    KickAim::SettleTaker(taker, ActorNodes::throwinwait, IsAttacking());
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
    State* next = SetPiece::Update(dt);
    if (!m_thrower && taker && !taker->GetActor()->HasBall())
        m_thrower = taker;
    return next;
}

void ThrowIn::Exit()
{
    m_aim.End();
    SetPiece::Exit();
    KickAim::PopCamera();
}
