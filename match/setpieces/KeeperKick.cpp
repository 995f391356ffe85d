#include "match/setpieces/KeeperKick.h"

#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "match/PitchSides.h"
#include "match/setpieces/GoalKick.h"
#include "pitch/PitchSimulation.h"
#include "scene/RenderObject.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"

#include <cfloat>

KeeperKick::KeeperKick(bool attacking, bool leftSpot)
    : SetPiece("goalkick", attacking, MatchSettings::Instance()->fadeLength, MatchSettings::Instance()->fadeLength),
      m_leftSpot(leftSpot)
{
}

Character* KeeperKick::GetTaker() const
{
    return GoalKick::KickingKeeper(IsAttacking());
}

std::string KeeperKick::GetSpotName() const
{
    return std::string(sides::OnFirstSide(GetTaker()) ? "LeftGoal" : "RightGoal") +
           (m_leftSpot ? "LeftKickSpot" : "RightKickSpot");
}

void KeeperKick::GetTakerPlacement(Vector3& spot, Vector3& direction) const
{
    const bool first = sides::OnFirstSide(GetTaker());
    direction = sides::PlayDirection(first);
    const std::string name = GetSpotName();
    const Object* found = CastManager::Instance()->FindObject(("objects|" + name).c_str());
    if (const auto* object = dynamic_cast<const RenderObject*>(found)) {
        spot = object->GetPosition();
        return;
    }
    LogError("KeeperKick: no kick spot \"%s\" among the level's objects; the ball goes on the goal line\n",
             name.c_str());
    // The centre of the keeper's own goal line.
    spot = PitchPosition(-1.0f, 0.0f).ToWorld(first);
}

void KeeperKick::Enter()
{
    SetPiece::Enter();
    Character* keeper = GetTaker();
    if (keeper) {
        const PitchAngle heading = sides::PlayAngle(sides::OnFirstSide(keeper));
        // A keeper holds a ball to kick only in his own waiting node, with the ball at his feet.
        Vector3 spot, direction;
        GetTakerPlacement(spot, direction);
        GoalKick::KeeperTakesBall(*keeper, spot, heading.ToWorldHeading());
        m_aim.Begin(*keeper, heading.angle, -FLT_MAX, FLT_MAX);
    }
    m_aiDelay = MatchSettings::Instance()->aiSetPieceDelay;
    KickAim::PushCamera("Throw In", keeper ? keeper->GetActor() : nullptr);
}

State* KeeperKick::Update(float dt)
{
    if (Character* keeper = GetTaker()) {
        m_aim.Update(*keeper, ActorNodes::keeperkickwait);
        m_aiDelay -= dt;
        // Human or not, a keeper who waits too long is made to pass.
        if (m_aiDelay <= 0.0f)
            m_aim.PassFor(*keeper, SetPiece::ChooseReceiver(keeper, false));
    }
    return SetPiece::Update(dt);
}

void KeeperKick::Exit()
{
    SetPiece::Exit();
    m_aim.End();
    KickAim::PopCamera();
}
