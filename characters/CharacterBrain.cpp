#include "characters/CharacterBrain.h"

#include "characters/Actor.h"
#include "characters/CameraStick.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "framework/KinematicSolver.h"
#include "framework/MathUtil.h"
#include "input/InputController.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"
#include "simulation/CarriedBall.h"
#include "simulation/Collidable.h"
#include "simulation/PathChecker.h"

#include <algorithm>
#include <cmath>
#include <vector>

CharacterBrain::CharacterBrain(Actor* actor, Character* character, CharacterRace* race)
    : m_character(character),
      m_actor(actor),
      m_team(character ? character->GetTeam() : nullptr),
      m_race(race)
{
}

void CharacterBrain::Run(int32_t runMode, ActorCommand& command)
{
    // A second hold of its own: the match flow's hold never lowers it.
    if (m_penalty)
        ClearInput(command);
    else if (runMode == kThink)
        Think(command);
    else if (runMode == kHumanInput)
        ProcessInput(command);
    else
        ClearInput(command);
    if (!m_actor || !m_actor->HasBall())
        m_charging = 0;
}

void CharacterBrain::ClearInput(ActorCommand& command) { command.SetCode(ActorInput::None); }

namespace {

// The gap to an opposing holder when there is none.
constexpr float kNoHolderGap = 3.4e38f;
constexpr auto kTackleSound = static_cast<int32_t>(RaceSound::SlideTackle);
constexpr auto kHumanSpecialSound = static_cast<int32_t>(RaceSound::SpecialHuman);
constexpr auto kAiSpecialSound = static_cast<int32_t>(RaceSound::SpecialComputer);
// A header is ready while the player faces within this of the attacked goal (radians).
constexpr float kFacingAttackAngle = 1.0f;

const CarriedBall* MatchBall() { return ActorSurroundings::ball; }

void SetAndHold(ActorCommand& command, int32_t code)
{
    command.SetCode(code);
    command.hold = 1;
}

} // namespace

SoccerTeam* CharacterBrain::Opponents() const { return m_character ? m_character->Opponents() : nullptr; }

Vector3 CharacterBrain::GetGoalCentre() const
{
    const bool firstSide = !m_character || !m_character->GetTeam() || m_character->GetTeam()->IsFirstSide();
    const std::string side = firstSide ? "Right" : "Left";
    const auto position = [&](const char* post) {
        const auto* object = dynamic_cast<const Collidable*>(
            CastManager::Instance()->FindObject(("objects|" + side + "Goal" + post).c_str()));
        return object ? object->GetPosition() : Vector3{};
    };
    Vector3 centre = (position("LeftPost") + position("RightPost")) * 0.5f;
    return PitchFrame::Flatten(centre - PitchFrame::GetCentre()) + PitchFrame::GetCentre();
}

Vector3 CharacterBrain::GetGoalDirection() const
{
    const Vector3 ball = MatchBall() ? MatchBall()->GetBallPosition() : Vector3{};
    return PitchFrame::Flatten(GetGoalCentre() - ball);
}

bool CharacterBrain::IsFacingAttack() const
{
    if (!m_character)
        return false;
    const ActorCommand& command = m_character->GetCommand();
    const bool firstSide = !m_character || !m_character->GetTeam() || m_character->GetTeam()->IsFirstSide();
    const Vector3 goal = PitchPosition(1.0f, 0.0f).ToWorld(firstSide);
    const Vector3 facing = WorldHeadingDirection(command.direction);
    return facing.Dot(goal) > goal.Length() * std::cos(kFacingAttackAngle);
}

float CharacterBrain::GetDistanceToTargetPosition() const
{
    return m_actor ? (m_order.point - m_actor->GetPosition()).Length() : 0.0f;
}

bool CharacterBrain::IsAtTargetPosition() const
{
    return GetDistanceToTargetPosition() <= GameSettings::Instance()->minimumAiMoveRange;
}

bool CharacterBrain::CanReachHeader() const
{
    const CarriedBall* ball = MatchBall();
    const SoccerTeam* own = m_character ? m_character->GetTeam() : nullptr;
    const SoccerTeam* other = Opponents();
    if (!ball || !m_actor || !m_race || (own && own->HasBall()) || (other && other->HasBall()))
        return false;
    const Vector3 velocity = ball->GetCollidable().GetVelocity();
    const Vector3 v = PitchFrame::Flatten(velocity);
    if (v.IsEqual(Vector3::Zero))
        return false;
    Vector3 u = v;
    u.Normalize();
    const float reach = MatchSettings::Instance()->maxHeaderRadius + ball->GetRadius() + m_actor->GetRadius();
    const Vector3 r = PitchFrame::Flatten(m_actor->GetPosition() - ball->GetBallPosition());
    float t = 0.0f;
    if (r.Length() >= reach) {
        const float p = r.Dot(u);
        if (p < 0.0f)
            return false;
        if ((m_actor->GetPosition() - (ball->GetBallPosition() + u * p)).Length() >= reach)
            return false;
        t = p / v.Length();
    }
    const Vector3& up = PitchFrame::GetDirection(PitchFrame::kUp);
    KinematicSolver solver;
    solver.SetValue(KinematicSolver::Acceleration, -LevelSettings::Instance()->gravity);
    solver.SetValue(KinematicSolver::InitialSpeed, velocity.Dot(up));
    solver.SetValue(KinematicSolver::Time, t);
    solver.Solve();
    const float height = ball->GetBallPosition().Dot(up) + solver.GetValue(KinematicSolver::Distance);
    return m_race->GetMinHeaderHeight() <= height && height <= m_race->GetMaxHeaderHeight();
}

bool CharacterBrain::IsBallApproaching() const
{
    const CarriedBall* ball = MatchBall();
    if (!ball || !m_actor)
        return false;
    const Vector3 away = PitchFrame::Flatten(ball->GetBallPosition() - m_actor->GetPosition());
    return away.Dot(PitchFrame::Flatten(ball->GetCollidable().GetVelocity())) < 0.0f;
}

bool CharacterBrain::CanComeOut() const
{
    const SoccerTeam* other = Opponents();
    const Character* holder = other ? other->GetBallHolder() : nullptr;
    if (!holder || !holder->GetActor() || !m_actor || !MatchBall())
        return true;
    const float toHolder = (holder->GetActor()->GetPosition() - m_actor->GetPosition()).LengthSquared();
    const float toBall = (MatchBall()->GetBallPosition() - m_actor->GetPosition()).LengthSquared();
    return toHolder > toBall;
}

bool CharacterBrain::Steers(ActorCommand& command) const
{
    if (m_mode == kFrozen)
        ClearInput(command);
    return m_mode != kFrozen && m_actor;
}

void CharacterBrain::Think(ActorCommand& command)
{
    if (!Steers(command))
        return;
    switch (m_order.code) {
    case TeamOrder::kGoTo: GoTo(command, true, ActorInput::Jog); break;
    case TeamOrder::kCollect: GoTo(command, false, ActorInput::Run); break;
    case TeamOrder::kCloseDown: CloseDown(command); break;
    case TeamOrder::kTackle: Tackle(command); break;
    case TeamOrder::kPass: Pass(command); break;
    case TeamOrder::kDribble:
        command.SetDirection(ClearHeadingTo(m_order.point));
        command.SetCode(ActorInput::Run);
        break;
    case TeamOrder::kShoot: Shoot(command); break;
    case TeamOrder::kHeader: SetAndHold(command, ActorInput::Header); break;
    case TeamOrder::kSpecial:
        SetAndHold(command, SpecialCode());
        PlayRaceSound(kAiSpecialSound);
        break;
    default: command.SetCode(ActorInput::None); break;
    }
}

float CharacterBrain::ClearHeadingTo(const Vector3& point) const
{
    PathChecker& checker = PathChecker::Shared();
    checker.SetMover(m_actor);
    return WorldHeadingOf(checker.FindClearDirection(point));
}

void CharacterBrain::GoTo(ActorCommand& command, bool mayStay, int32_t code)
{
    const GameSettings& s = *GameSettings::Instance();
    const float d = GetDistanceToTargetPosition();
    if (mayStay && ((m_actor->StateNameIs("stand") && d <= s.maximumAiMoveRange) || d <= s.minimumAiMoveRange)) {
        command.SetCode(ActorInput::None);
        return;
    }
    const float heading = ClearHeadingTo(m_order.point);
    if (command.hold)
        return;
    command.SetDirection(heading);
    command.SetCode(code);
}

void CharacterBrain::CloseDown(ActorCommand& command)
{
    const Vector3 ball = MatchBall() ? MatchBall()->GetBallPosition() : m_actor->GetPosition();
    command.SetDirection(ClearHeadingTo(ball));
    const Actor* target = m_order.target ? m_order.target->GetActor() : nullptr;
    if (target && m_actor->DistanceTo(*target) <= GameSettings::Instance()->snagTriggerDistAi)
        SetAndHold(command, ActorInput::Snag);
    else
        command.SetCode(ActorInput::Run);
}

void CharacterBrain::Tackle(ActorCommand& command)
{
    const Actor* target = m_order.target ? m_order.target->GetActor() : nullptr;
    if (!target) {
        command.SetCode(ActorInput::Run);
        return;
    }
    command.SetDirection(WorldHeadingOf(target->GetPosition() - m_actor->GetPosition()));
    if (m_actor->DistanceTo(*target) > GameSettings::Instance()->slideAttackDist) {
        command.SetCode(ActorInput::Run);
        return;
    }
    // The shout belongs to the start of the slide: once the code is held, or the actor is
    // already sliding, the order only lasts.
    const bool starts = !command.hold && (m_actor->StateNameIs("startrun") || m_actor->StateNameIs("run"));
    SetAndHold(command, ActorInput::Tackle);
    if (starts)
        PlayRaceSound(kTackleSound);
}

void CharacterBrain::Pass(ActorCommand& command)
{
    const Actor* receiver = m_order.target ? m_order.target->GetActor() : nullptr;
    if (!receiver) {
        command.SetCode(ActorInput::Run);
        return;
    }
    const float direction = WorldHeadingOf(receiver->GetPosition() - m_actor->GetPosition());
    command.SetDirection(direction);
    const float error = Math::AngleDifference(m_actor->GetHeading(), direction);
    const bool waiting = m_actor->StateNameIs("throwinwait") || m_actor->StateNameIs("keeperkickwait");
    if (waiting || m_actor->StateNameIs("throwinpass") || m_actor->StateNameIs("keeperkickpass")) {
        if (waiting)
            PassNow(command, *receiver, false);
        return;
    }
    if (std::abs(error) < GameSettings::Instance()->aiPassFov || m_actor->StateNameIs("kickoff"))
        PassNow(command, *receiver, true);
    else
        command.SetCode(ActorInput::Run);
}

void CharacterBrain::PassNow(ActorCommand& command, const Actor& receiver, bool lofted)
{
    command.hold = 0;
    command.strike = 0;
    command.code = ActorInput::Pass;
    command.targetPosition = m_actor->GetPassTargetPosition(receiver, Team::ActorsOf(Opponents()), lofted);
    command.hold = 1;
}

void CharacterBrain::Shoot(ActorCommand& command)
{
    const float direction = WorldHeadingOf(GetGoalDirection());
    command.SetDirection(direction);
    if (std::abs(Math::AngleDifference(m_actor->GetHeading(), direction)) < GameSettings::Instance()->aiPassFov)
        SetAndHold(command, ActorInput::Shoot);
    else
        command.SetCode(ActorInput::Run);
}

int32_t CharacterBrain::SpecialCode() const
{
    return m_race && m_race->GetRaceName() == "Panda" ? ActorInput::SpecialPanda : ActorInput::SpecialStart;
}

void CharacterBrain::PlayRaceSound(int32_t n) const
{
    if (m_race && m_actor)
        m_race->PlaySound(n, m_actor->GetPosition().x, m_actor->GetPosition().z);
}

void CharacterBrain::ProcessInput(ActorCommand& command)
{
    if (!Steers(command))
        return;
    ControllerInput in = GetControllerInput(m_name);
    ToCameraSpace(in);
    const bool moving = in.x != 0.0f || in.y != 0.0f;
    command.SetDirection(moving ? in.GetWorldHeading() : m_actor->GetHeading());
    const bool full = m_charging && m_actor->kickPower >= 1.0f;
    // Only the first branch that matches runs; a while charging falls through to b.
    if (in.buttonAPressed && in.buttonBHeld)
        SpecialOrTackle(command);
    else if (in.buttonAPressed && !m_charging)
        PassSnagOrSwitch(command);
    else if (in.buttonBPressed)
        StartShotOrHeader(command);
    else if (m_charging && (in.buttonBReleased || full))
        SetAndHold(command, ActorInput::Shoot);
    else
        command.SetCode(moving ? ActorInput::Run : ActorInput::None);
    const float power = in.buttonBHoldTime / MatchSettings::Instance()->holdTimeForMaxPower;
    m_actor->kickPower = m_charging ? std::clamp(power, 0.0f, 1.0f) : 0.0f;
}

void CharacterBrain::SpecialOrTackle(ActorCommand& command)
{
    const CharacterVariation* variation = m_character ? m_character->GetVariation() : nullptr;
    if (!variation || variation->energy.current < GameSettings::Instance()->specialEnergyThreshold)
        return;
    if (m_actor->HasBall()) {
        command.SetCode(SpecialCode());
        PlayRaceSound(kHumanSpecialSound);
    } else {
        command.SetCode(ActorInput::Tackle);
        PlayRaceSound(kTackleSound);
    }
}

void CharacterBrain::PassSnagOrSwitch(ActorCommand& command)
{
    if (m_actor->HasBall()) {
        command.SetCode(ActorInput::Pass);
        if (!command.hold)
            command.targetPosition = m_actor->GetPassTarget(command.direction, Team::ActorsOf(m_team),
                                                            Team::ActorsOf(Opponents()), true);
        command.hold = 1;
        return;
    }
    const SoccerTeam* other = Opponents();
    const Character* holder = other ? other->GetBallHolder() : nullptr;
    const float gap = holder && holder->GetActor() ? m_actor->DistanceTo(*holder->GetActor()) : kNoHolderGap;
    if (gap <= GameSettings::Instance()->snagTriggerDistHuman)
        SetAndHold(command, ActorInput::Snag);
    else if (auto* team = dynamic_cast<SoccerTeam*>(m_team))
        team->GetControlledPlayers().SelectNext();
}

void CharacterBrain::StartShotOrHeader(ActorCommand& command)
{
    if (m_actor->HasBall()) {
        m_charging = 1;
        command.SetCode(ActorInput::Run);
    } else if (CanReachHeader()) {
        SetAndHold(command, ActorInput::Header);
    } else {
        SetAndHold(command, ActorInput::Tackle);
        PlayRaceSound(kTackleSound);
    }
}
