#include "characters/RefereeBrain.h"

#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/RefereeSettings.h"
#include "framework/Debug.h"
#include "framework/MathUtil.h"
#include "settings/PitchCoordinates.h"
#include "simulation/CarriedBall.h"

#include <cmath>

namespace {

void SetCodeFacing(ActorCommand& command, int32_t code, float heading)
{
    command.SetCode(code);
    command.SetDirection(heading);
}

}  // namespace

void RefereeBrain::Whistle(bool shortWhistle)
{
    if (m_state == kFollowing)
        m_state = shortWhistle ? kShortWhistle : kLongWhistle;
}

void RefereeBrain::EndWhistle()
{
    if (m_state == kShortWhistle || m_state == kLongWhistle)
        m_state = kFollowing;
}

void RefereeBrain::AwardRedCard(Character* player)
{
    EndWhistle();
    if (m_state != kFollowing)
        return;
    if (!player) {
        // Nobody to walk to: the match flow waiting on the sequence goes on at once.
        LogError("Null pointer passed to AwardRedCard()\n");
        return;
    }
    m_redCardPlayer = player;
    m_state = kCardWhistle;
}

void RefereeBrain::ProcessInput(ActorCommand& command)
{
    LogError("Referee is being controlled by an input!\n");
    command.SetCode(ActorInput::None);
}

void RefereeBrain::Think(ActorCommand& command)
{
    if (GetMode() == kFrozen) {
        command.SetCode(ActorInput::None);
        return;
    }
    switch (m_state) {
    case kFollowing: FollowPlay(command); break;
    case kShortWhistle: command.SetCode(ActorInput::WhistleShort); break;
    case kLongWhistle: command.SetCode(ActorInput::WhistleLong); break;
    case kCardWhistle:
    case kCardApproach:
    case kCardShow: UpdateRedCard(command); break;
    default: LogError("Invalid state for referee's brain.\n"); break;
    }
}

int32_t RefereeBrain::StopOrTurn(float angle) const
{
    return angle <= RefereeSettings::Instance()->maxAngleToPlayer ? kStand : kTurn;
}

int32_t RefereeBrain::NextMovementState(float d, float angle) const
{
    const RefereeSettings& s = *RefereeSettings::Instance();
    switch (m_movementState) {
    case kStand:
        return d > s.standToRunDist ? kRun : d > s.standToWalkDist ? kWalk : kStand;
    case kWalk:
        return d > s.walkToRunDist ? kRun : d >= s.walkToStandDist ? kWalk : StopOrTurn(angle);
    case kRun:
        if (d >= s.runToStandDist)
            return d < s.walkToStandDist ? kWalk : kRun;
        return StopOrTurn(angle);
    case kTurn:
        return d > s.standToRunDist ? kRun : d > s.standToWalkDist ? kWalk : StopOrTurn(angle);
    default:
        LogError("Invalid MovementState for Referee!\n");
        return m_movementState;
    }
}

Vector3 RefereeBrain::TargetPoint(const Vector3& ball)
{
    const float length = ball.Length();
    const Vector3 unit = length == 0.0f ? PitchFrame::GetDirection(PitchFrame::kAlong) : ball / length;
    return unit * (length - RefereeSettings::Instance()->distFromBall);
}

void RefereeBrain::FollowPlay(ActorCommand& command)
{
    Actor* actor = GetActor();
    CarriedBall* ball = ActorSurroundings::ball;
    if (!actor || !ball) {
        command.SetCode(ActorInput::None);
        return;
    }
    const Vector3 ballAt = ball->GetBallPosition();
    const Vector3 toTarget = TargetPoint(ballAt) - actor->GetPosition();
    const Vector3 toBall = ballAt - actor->GetPosition();
    const float angle = std::fabs(Math::AngleDifference(WorldHeadingOf(toBall), actor->GetHeading()));
    const int32_t next = NextMovementState(toTarget.Length(), angle);
    switch (next) {
    case kRun: SetCodeFacing(command, ActorInput::Run, WorldHeadingOf(toTarget)); break;
    case kWalk: SetCodeFacing(command, ActorInput::Walk, WorldHeadingOf(toTarget)); break;
    case kTurn: SetCodeFacing(command, ActorInput::Walk, WorldHeadingOf(toBall)); break;
    case kStand: command.SetCode(ActorInput::None); break;
    default: LogError("Invalid status for moveState in RefereeBrain\n"); break;
    }
    m_movementState = next;
}

void RefereeBrain::UpdateRedCard(ActorCommand& command)
{
    Actor* actor = GetActor();
    Actor* player = m_redCardPlayer ? m_redCardPlayer->GetActor() : nullptr;
    if (!actor || !player) {
        m_state = kFollowing;
        return;
    }
    Vector3 toPlayer = player->GetPosition() - actor->GetPosition();
    toPlayer.y = 0.0f;
    const float distance = toPlayer.Length();
    const float heading = WorldHeadingOf(toPlayer);
    switch (m_state) {
    case kCardWhistle:
        SetCodeFacing(command, ActorInput::WhistleShort, heading);
        // The whistle nodes are named by where the referee stands when he blows.
        if (actor->StateNameStartsWith("refwhistle"))
            m_state = kCardApproach;
        break;
    case kCardApproach:
        SetCodeFacing(command, NextMovementState(distance, 0.0f) == kRun ? ActorInput::Run : ActorInput::Walk, heading);
        if (distance < RefereeSettings::Instance()->redCardPresentDist)
            m_state = kCardShow;
        break;
    case kCardShow:
        SetCodeFacing(command, ActorInput::RedCard, heading);
        if (actor->StateNameIs("refredcardend"))
            m_state = kFollowing;
        break;
    default: LogError("UpdateRedCard() illegally called when referee is not in red card state.\n"); break;
    }
}
