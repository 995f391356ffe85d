#include "ai/Utilities.h"

#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "settings/PitchCoordinates.h"
#include "simulation/CarriedBall.h"
#include "simulation/Collidable.h"
#include "simulation/PathChecker.h"
#include "simulation/PitchVolume.h"

#include <algorithm>
#include <cmath>

namespace {

// Distances at or beyond this rate 1.
constexpr float kFarDistance = 100.0f;
// Closing speeds beyond this either way rate 0 or 1.
constexpr float kClosingSpeedRange = 50.0f;
// The time step of the area test: how far ahead the holder may be and still count inside.
constexpr float kAreaTolerance = 0.01f;

const Actor* ActorOf(const Character* candidate) { return candidate ? candidate->GetActor() : nullptr; }

const CarriedBall* MatchBall() { return ActorSurroundings::ball; }



float FarRating(float distance) { return std::min(distance, kFarDistance) / kFarDistance; }

// The actor's pitch position seen from its side; the first side's view without a team.
PitchPosition PitchOf(const Character& candidate, const Actor& actor)
{
    const bool firstSide = !candidate.GetTeam() || candidate.GetTeam()->IsFirstSide();
    return PitchPosition::FromWorld(actor.GetPosition(), firstSide);
}

} // namespace

float DistanceFromBall::Evaluate(const Character* candidate) const
{
    const Actor* actor = ActorOf(candidate);
    if (!actor || !MatchBall())
        return 0.0f;
    return FarRating((MatchBall()->GetBallPosition() - actor->GetPosition()).Length());
}

float SpeedTowardsBall::Evaluate(const Character* candidate) const
{
    const Actor* actor = ActorOf(candidate);
    if (!actor || !MatchBall())
        return 0.0f;
    Vector3 toBall = MatchBall()->GetBallPosition() - actor->GetPosition();
    toBall.Normalize();
    const float closing = toBall.Dot(actor->GetVelocity() - MatchBall()->GetCollidable().GetVelocity());
    return (std::clamp(closing, -kClosingSpeedRange, kClosingSpeedRange) + kClosingSpeedRange) /
           (2.0f * kClosingSpeedRange);
}

float DistanceAlongPitch::Evaluate(const Character* candidate) const
{
    const Actor* actor = ActorOf(candidate);
    if (!actor)
        return 0.0f;
    return std::clamp((PitchOf(*candidate, *actor).x + 1.0f) * 0.5f, 0.0f, 1.0f);
}

float DistanceAcrossPitch::Evaluate(const Character* candidate) const
{
    const Actor* actor = ActorOf(candidate);
    if (!actor)
        return 0.0f;
    return std::min(std::abs(PitchOf(*candidate, *actor).z), 1.0f);
}

float ClearPathToBall::Evaluate(const Character* candidate) const
{
    // The checker's mover is borrowed: the candidate's actor is lent to it only here.
    Actor* actor = candidate ? candidate->GetActor() : nullptr;
    if (!actor || !MatchBall())
        return 0.0f;
    PathChecker& checker = PathChecker::Shared();
    Collidable* previous = checker.GetMover();
    checker.SetMover(actor);
    const bool clear = checker.IsPathClear(MatchBall()->GetBallPosition() - actor->GetPosition());
    checker.SetMover(previous);
    return clear ? 1.0f : 0.0f;
}

float DistanceFromTacticalPosition::Evaluate(const Character* candidate) const
{
    const Actor* actor = ActorOf(candidate);
    if (!actor || !candidate->GetBrain())
        return 0.0f;
    return FarRating(candidate->GetBrain()->GetDistanceToTargetPosition());
}

float IsConstrainedToArea::Evaluate(const Character* candidate) const
{
    constexpr int32_t kLastDefender = 1;
    if (!candidate || candidate->GetRoleIndex() != kLastDefender)
        return 0.0f;
    const SoccerTeam* opponents = candidate->GetTeam() ? candidate->Opponents() : nullptr;
    const Character* holder = opponents ? opponents->GetBallHolder() : nullptr;
    if (!holder || !holder->GetActor())
        return 1.0f;
    const bool firstSide = candidate->GetTeam()->IsFirstSide();
    const auto* area = dynamic_cast<const PitchVolume*>(
        CastManager::Instance()->FindObject(firstSide ? "objects|LeftPenaltyArea" : "objects|RightPenaltyArea"));
    if (!area)
        return 1.0f;
    float time = 0.0f;
    return holder->GetActor()->FindImpact(*area, kAreaTolerance, time) ? 0.0f : 1.0f;
}
