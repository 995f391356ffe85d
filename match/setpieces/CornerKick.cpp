#include "match/setpieces/CornerKick.h"

#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "match/PitchSides.h"
#include "pitch/PitchSimulation.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"

#include <cmath>
#include <numbers>

namespace {

const MatchSettings& Settings() { return *MatchSettings::Instance(); }

}  // namespace

CornerKick::CornerKick(bool attacking, bool negativeCorner)
    : SetPiece("corner", attacking, MatchSettings::Instance()->fadeLength, MatchSettings::Instance()->fadeLength),
      m_negativeCorner(negativeCorner)
{
}

Character* CornerKick::GetTaker() const
{
    return sides::PlayerAt(PitchSimulation::Instance()->GetTeam(IsAttacking() ? 0 : 1), 1);
}

void CornerKick::GetTakerPlacement(Vector3& spot, Vector3& direction) const
{
    // In the defenders' frame x = -1 is their goal line.
    const PitchPosition corner(-1.0f, m_negativeCorner ? -1.0f : 1.0f);
    spot = corner.ToWorld(!sides::OnFirstSide(GetTaker()));
    float angle = PitchAngle::FromDirection(Vector3::Zero - spot).angle;
    while (angle < 0.0f)
        angle += 2.0f * std::numbers::pi_v<float>;
    // The diagonal of the quadrant the centre lies in.
    const float quarter = std::numbers::pi_v<float> / 2.0f;
    angle = std::trunc(angle / quarter) * quarter + quarter / 2.0f;
    direction = PitchAngle(angle).ToDirection();
    spot = spot + direction * Settings().cornerDistIn;
}

std::string CornerKick::GetCameraName() const
{
    const bool first = sides::OnFirstSide(GetTaker());
    const bool near = m_negativeCorner != !first;
    return std::string("Corner ") + (first ? "Right " : "Left ") + (near ? "Near" : "Far");
}

void CornerKick::Enter()
{
    SetPiece::Enter();
    Character* taker = GetTaker();
    if (taker) {
        Vector3 spot, direction;
        GetTakerPlacement(spot, direction);
        m_aim.BeginAround(*taker, direction, Settings().cornerAngleLimit);
    }
    KickAim::PushCamera(GetCameraName(), taker ? taker->GetActor() : nullptr);
    m_aiDelay = Settings().aiSetPieceDelay;
    KickAim::FreeDefendingKeeper(IsAttacking());
}

State* CornerKick::Update(float dt)
{
    if (Character* taker = GetTaker()) {
        m_aim.Update(*taker, ActorNodes::kickoff);
        m_aiDelay -= dt;
        // A person who waits too long has the corner played for him.
        if (m_aiDelay <= 0.0f) {
            // Put back in his waiting node every frame, he would never make the pass.
            m_aim.HandOver();
            KickAim::OrderPass(*taker, ChooseReceiver(taker, false));
        }
    }
    return SetPiece::Update(dt);
}

void CornerKick::Exit()
{
    SetPiece::Exit();
    m_aim.End();
    KickAim::PopCamera();
}
