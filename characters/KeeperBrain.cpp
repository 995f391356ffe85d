#include "characters/KeeperBrain.h"

#include "characters/Actor.h"
#include "characters/CameraStick.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "framework/Color.h"
#include "framework/Debug.h"
#include "framework/MathUtil.h"
#include "framework/Random.h"
#include "input/InputController.h"
#include "scene/Wireframe.h"
#include "settings/GameSettings.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "simulation/BallGoalChecker.h"
#include "simulation/PitchVolume.h"
#include "simulation/Shape.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// Races' sound numbers for a diving save: low to a corner, and high.
constexpr int32_t kLowCornerSaveSound = 10;
constexpr int32_t kHighSaveSound = 11;
// The ball counts as in the close trigger when it meets the volume within this time step.
constexpr float kCloseTriggerTolerance = 0.1f;
constexpr float kPercent = 100.0f;
// How far beyond a save's hands a ball still meets his body or fingertips (m).
constexpr float kSaveReachSlack = 0.3f;
// A ball rolls while its centre is within this many radii of the grass and it barely rises (m/s).
constexpr float kOnGround = 2.0f;
constexpr float kRollingRise = 1.0f;

constexpr struct {
    const char* action;
    int32_t code;
} kSaveGrid[9] = {
    {"savebottomright", ActorInput::SaveBottomRight}, {"savebottomcenter", ActorInput::SaveBottomCenter},
    {"savebottomleft", ActorInput::SaveBottomLeft},   {"savemiddleright", ActorInput::SaveMiddleRight},
    {"savemiddlecenter", ActorInput::SaveMiddleCenter}, {"savemiddleleft", ActorInput::SaveMiddleLeft},
    {"savetopright", ActorInput::SaveTopRight},       {"savetopcenter", ActorInput::SaveTopCenter},
    {"savetopleft", ActorInput::SaveTopLeft},
};

// Any node other than side-stepping leaves the guard circle: Actor::Update would otherwise
// keep bending the keeper onto it.
void LeaveGuardCircle(ActorCommand& command)
{
    if (!command.hold)
        command.target = nullptr;
}

Ball* MatchBall() { return dynamic_cast<Ball*>(ActorSurroundings::ball); }

Character* HolderOf(const SoccerTeam* team) { return team ? team->GetBallHolder() : nullptr; }

// The last listed side that is not the keeper's; null when there is none.
const SoccerTeam* OtherSide(const SoccerTeam* own)
{
    const SoccerTeam* other = nullptr;
    for (const SoccerTeam* side : ActorSurroundings::sides) {
        if (side && side != own)
            other = side;
    }
    return other;
}

// Column or row of a grid coordinate: truncated, within [0, 2]; the middle for a grid of no size.
int GridIndex(float offset, float cell)
{
    if (!(cell > 0.0f))
        return 1;
    const float index = std::trunc(offset / cell);
    return index <= 0.0f ? 0 : index >= 2.0f ? 2 : static_cast<int>(index);
}

}  // namespace

KeeperBrain::KeeperBrain(Actor* actor, Character* character, CharacterRace* race)
    : CharacterBrain(actor, character, race), m_keeperRace(race)
{
    const CharacterVariation* variation = character ? character->GetVariation() : nullptr;
    if (variation)
        m_skill = variation->GetAverageStatistic();
    for (size_t i = 0; i < m_saves.size(); ++i) {
        m_saves[i].action = kSaveGrid[i].action;
        m_saves[i].code = kSaveGrid[i].code;
    }
    DrawMisjudgement();
}

void KeeperBrain::DrawMisjudgement()
{
    const MatchSettings& s = *MatchSettings::Instance();
    m_misjudgement = std::fabs(Random::Unit()) *
                     Math::Lerp(s.worstKeeperSaveMisjudgement, s.bestKeeperSaveMisjudgement, m_skill.level / kPercent);
}

bool KeeperBrain::OnFirstSide() const { return GetCharacter() && GetCharacter()->IsOnFirstSide(); }

const char* KeeperBrain::End() const { return OnFirstSide() ? "Left" : "Right"; }

Vector3 KeeperBrain::ForwardAxis() const
{
    const Vector3& along = PitchFrame::GetDirection(PitchFrame::kAlong);
    return OnFirstSide() ? along : -along;
}

CylindricalPitchVolume* KeeperBrain::FindGuardCylinder() const
{
    return dynamic_cast<CylindricalPitchVolume*>(
        CastManager::Instance()->FindObject((std::string("objects|") + End() + "GuardCylinder").c_str()));
}

bool KeeperBrain::GoalPosts(Vector3& left, Vector3& right) const
{
    const std::string prefix = std::string("objects|") + End();
    const auto* leftPost =
        dynamic_cast<const Collidable*>(CastManager::Instance()->FindObject((prefix + "GoalLeftPost").c_str()));
    const auto* rightPost =
        dynamic_cast<const Collidable*>(CastManager::Instance()->FindObject((prefix + "GoalRightPost").c_str()));
    if (!leftPost || !rightPost)
        return false;
    left = leftPost->GetPosition();
    right = rightPost->GetPosition();
    return true;
}

int KeeperBrain::SaveCell(float x, float y) const
{
    const float width = m_keeperRace ? m_keeperRace->GetKeeperSaveGridWidth() : 0.0f;
    const float height = m_keeperRace ? m_keeperRace->GetKeeperSaveGridHeight() : 0.0f;
    return GridIndex(x + 1.5f * width, width) + 3 * GridIndex(y, height);
}

const KeeperBrain::SaveChoice& KeeperBrain::ChooseSave(const Vector3& crossing, float time)
{
    SaveChoice& choice = m_saves[static_cast<size_t>(SaveCell(crossing.x, crossing.y))];
    CharacterAction* action = m_keeperRace ? m_keeperRace->GetAction(choice.action) : nullptr;
    float prepare = 0.0f;
    choice.point = Vector3{};
    choice.time = 0.0f;
    if (action)
        action->GetSaveContact(choice.point, choice.time, prepare);
    DebugTrace("required dist=%f,save dist=%f,prepare=%f,dive=%f,calc=%f", crossing.Length(), choice.point.Length(),
               prepare, choice.time - prepare, time - choice.time);
    return choice;
}

bool KeeperBrain::PredictCrossing(float& time, Vector3& point) const
{
    Actor* actor = GetActor();
    Ball* ball = MatchBall();
    if (!actor || !ball)
        return false;
    const Vector3 forward = ForwardAxis();
    const Vector3 through = actor->GetPosition() + forward * actor->GetRadius();
    // A ball already between him and his goal will not cross his plane: the look-ahead would
    // meet the plane at once and send him diving at a ball behind him instead of going for it.
    if (forward.Dot(ball->GetPosition() - through) < 0.0f)
        return false;
    SimpleCollidable plane(std::make_unique<Plane>(forward, forward.Dot(through)));
    plane.SetCollisionName("keeperplane");
    BallGoalChecker checker;
    Vector3 at;
    float when = 0.0f;
    if (!checker.PredictPath(*ball, &plane, at, when, ball->GetPhysicsVelocity()))
        return false;
    const Vector3& up = PitchFrame::GetDirection(PitchFrame::kUp);
    const Vector3 offset = at - actor->GetPosition();
    // x to the keeper's left as he faces out of his goal, y up.
    const Vector3 crossing(offset.Dot(up.Cross(forward)), offset.Dot(up), 0.0f);
    if (std::fabs(crossing.x) > GameSettings::Instance()->keeperMaxSaveDist)
        return false;
    time = when;
    point = crossing;
    return true;
}

bool KeeperBrain::Guard(GuardPoint& guard) const
{
    const CylindricalPitchVolume* cylinder = FindGuardCylinder();
    Vector3 leftPost, rightPost;
    const Ball* ball = MatchBall();
    if (!cylinder || !GoalPosts(leftPost, rightPost) || !ball)
        return false;
    const Vector3 goal = (leftPost + rightPost) * 0.5f;
    Vector3 threat = ball->GetPhysicsVelocity();
    for (const SoccerTeam* side : ActorSurroundings::sides) {
        if (const Character* holder = HolderOf(side)) {
            threat = holder->GetActor()->GetVelocity();
            break;
        }
    }
    const MatchSettings& settings = *MatchSettings::Instance();
    Vector3 towards = PitchFrame::Flatten(ball->GetPosition() - goal + threat * settings.keeperGuardLookaheadTime);
    const Vector3 forward = ForwardAxis();
    // A ball straight above the goal centre gives no direction; the keeper then faces out.
    const Vector3 u = towards.Length() > 1e-6f ? towards / towards.Length() : forward;

    const Vector3 centre = cylinder->GetPosition();
    const float radius = cylinder->GetCylinder().radius;
    const float q = (centre - goal).Dot(u);
    const float e = (centre - (goal + u * q)).Length();
    // A ray that misses the rim takes the point of the ray nearest the centre.
    const float s = radius * radius > e * e ? std::sqrt(radius * radius - e * e) : 0.0f;
    const float k = q - s >= 0.0f ? q - s : q + s;
    const Vector3 rim = goal + u * k;
    float heading = WorldHeadingOf(rim - centre);

    const float out = WorldHeadingOf(forward);
    float delta = Math::AngleDifference(heading, out);
    guard.clamped = std::fabs(delta) >= settings.keeperGuardAngle;
    if (guard.clamped) {
        delta = std::clamp(delta, -settings.keeperGuardAngle, settings.keeperGuardAngle);
        heading = out + delta;
    }
    guard.heading = heading;
    guard.position = centre + WorldHeadingDirection(heading) * radius;
    return true;
}

bool KeeperBrain::IsBallInCloseTrigger() const
{
    const auto* trigger = dynamic_cast<const Collidable*>(
        CastManager::Instance()->FindObject((std::string("objects|") + End() + "CloseTriggerOn").c_str()));
    const CarriedBall* ball = ActorSurroundings::ball;
    float time = 0.0f;
    return trigger && ball && ball->GetCollidable().FindImpact(*trigger, kCloseTriggerTolerance, time);
}

void KeeperBrain::FollowOrder(ActorCommand& command)
{
    LeaveGuardCircle(command);
    CharacterBrain::Think(command);
}

bool KeeperBrain::SightCrossing(float& time, Vector3& crossing) const
{
    bool anyHolder = false;
    for (const SoccerTeam* side : ActorSurroundings::sides)
        anyHolder = anyHolder || HolderOf(side);
    return !anyHolder && PredictCrossing(time, crossing);
}

void KeeperBrain::Think(ActorCommand& command)
{
    Actor* actor = GetActor();
    if (GetOrder().code == TeamOrder::kGoTo || !actor) {
        FollowOrder(command);
        return;
    }
    // A dive runs its course: its code, sound and misjudgement were settled when it started.
    if (actor->StateNameStartsWith("save")) {
        command.SetCode(ActorInput::None);
        if (!command.hold) {
            command.faceAtOnce = 0;
            command.target = nullptr;
        }
        return;
    }
    float time = 0.0f;
    Vector3 crossing;
    const bool crosses = SightCrossing(time, crossing);
    if (actor->HasBall()) {
        FollowOrder(command);
        return;
    }
    if (crosses && time <= MatchSettings::Instance()->keeperSaveReserveTime) {
        SaveStep(crossing, time, command);
        return;
    }
    if (GetMode() == kFrozen) {
        command.SetCode(ActorInput::None);
        return;
    }
    const SoccerTeam* own = dynamic_cast<const SoccerTeam*>(GetTeam());
    Character* attacker = HolderOf(OtherSide(own));
    if (attacker && attacker->GetActor() &&
        actor->DistanceTo(*attacker->GetActor()) <= GameSettings::Instance()->snagTriggerDistAi &&
        (CanComeOut() || attacker->GetActor()->IsInSpecialState())) {
        LeaveGuardCircle(command);
        command.SetCode(ActorInput::SaveBottomCenter);
        return;
    }
    if (!HolderOf(own) && CanComeOut() && IsBallInCloseTrigger()) {
        TeamOrder& order = GetOrder();
        if (attacker) {
            order = TeamOrder{TeamOrder::kCloseDown, Vector3{}, attacker};
        } else {
            const CarriedBall* ball = ActorSurroundings::ball;
            order = TeamOrder{TeamOrder::kCollect, ball ? ball->GetBallPosition() : Vector3{}, nullptr};
        }
        FollowOrder(command);
        return;
    }
    GuardStep(command);
}

void KeeperBrain::SaveStep(const Vector3& crossing, float time, ActorCommand& command)
{
    const SaveChoice& save = ChooseSave(crossing, time);
    if (save.time + m_misjudgement < time) {
        StepTowardsCrossing(crossing, save, command);
        return;
    }
    Actor* actor = GetActor();
    command.SetCode(save.code);
    const Vector3& at = actor->GetPosition();
    if (m_keeperRace && save.code >= ActorInput::SaveTopLeft && save.code <= ActorInput::SaveTopRight)
        m_keeperRace->PlaySound(kHighSaveSound, at.x, at.z);
    else if (m_keeperRace && (save.code == ActorInput::SaveBottomLeft || save.code == ActorInput::SaveBottomRight))
        m_keeperRace->PlaySound(kLowCornerSaveSound, at.x, at.z);

    float heading = WorldHeadingOf(ForwardAxis());
    GuardPoint guard;
    Vector3 leftPost, rightPost;
    if (Guard(guard) && guard.clamped && GoalPosts(leftPost, rightPost)) {
        const float low = std::min(leftPost.z, rightPost.z), high = std::max(leftPost.z, rightPost.z);
        if (at.z < low || at.z > high)
            heading = actor->GetHeading();
    }
    if (!command.hold) {
        command.faceAtOnce = 1;
        command.target = nullptr;
    }
    command.SetDirection(heading);
    command.hold = 1;
    DrawMisjudgement();
}

void KeeperBrain::StepTowardsCrossing(const Vector3& crossing, const SaveChoice& save, ActorCommand& command)
{
    // Standing still, he would watch a ball rolling wider than his dive reaches go past him
    // into the goal: until the dive is due he side-steps towards where it will cross. A ball
    // in the air, or one rolling wide of the posts, he leaves to the dive, which pushes it
    // round the post.
    const float reach = std::fabs(save.point.x) + kSaveReachSlack;
    if (std::fabs(crossing.x) <= reach || !RollsIntoGoal()) {
        command.SetCode(ActorInput::None);
        return;
    }
    LeaveGuardCircle(command);
    if (!command.hold)
        command.faceAtOnce = 1;
    command.SetDirection(WorldHeadingOf(ForwardAxis()));
    // The crossing's x runs to his left as he faces out of his goal.
    command.SetCode(crossing.x > 0.0f ? ActorInput::StepLeft : ActorInput::StepRight);
}

bool KeeperBrain::RollsIntoGoal() const
{
    const Ball* ball = MatchBall();
    Vector3 leftPost, rightPost;
    if (!ball || !GoalPosts(leftPost, rightPost))
        return false;
    const Vector3& up = PitchFrame::GetDirection(PitchFrame::kUp);
    const Vector3 velocity = ball->GetPhysicsVelocity();
    if (ball->GetBallPosition().Dot(up) > kOnGround * ball->GetRadius() || std::fabs(velocity.Dot(up)) >= kRollingRise)
        return false;
    // Where its straight path meets the goal line, between the posts or not.
    const Vector3 forward = ForwardAxis();
    const float closing = -PitchFrame::Flatten(velocity).Dot(forward);
    if (closing <= 0.0f)
        return false;
    const Vector3 at = ball->GetBallPosition() + PitchFrame::Flatten(velocity) * ((ball->GetBallPosition() - leftPost).Dot(forward) / closing);
    const Vector3 across = rightPost - leftPost;
    const float along = (at - leftPost).Dot(across) / across.LengthSquared();
    return along >= 0.0f && along <= 1.0f;
}

void KeeperBrain::GuardStep(ActorCommand& command)
{
    Actor* actor = GetActor();
    GuardPoint guard;
    if (!Guard(guard)) {
        LeaveGuardCircle(command);
        command.SetCode(ActorInput::None);
        return;
    }
    const Vector3 facing = WorldHeadingDirection(actor->GetHeading());
    const Vector3 side(-facing.z, 0.0f, facing.x);
    const Vector3 offset = actor->GetPosition() - guard.position;
    const float ahead = facing.Dot(offset), across = side.Dot(offset);
    float heading = guard.heading;
    if (std::max(std::fabs(ahead), std::fabs(across)) < GameSettings::Instance()->minKeeperStepDist) {
        LeaveGuardCircle(command);
        command.SetCode(ActorInput::None);
        const CarriedBall* ball = ActorSurroundings::ball;
        heading = ball ? WorldHeadingOf(ball->GetBallPosition() - actor->GetPosition()) : actor->GetHeading();
    } else if (std::fabs(ahead) > std::fabs(across)) {
        LeaveGuardCircle(command);
        command.SetCode(ahead < 0.0f ? ActorInput::StepForth : ActorInput::StepBack);
    } else {
        if (!command.hold)
            command.target = FindGuardCylinder();
        command.SetCode(across < 0.0f ? ActorInput::StepRight : ActorInput::StepLeft);
        heading = WorldHeadingOf(offset) + Math::HalfPi;
        if (std::fabs(Math::AngleDifference(heading, guard.heading)) > Math::HalfPi)
            heading += Math::Pi;
        heading = Math::AngleDifference(heading, 0.0f);
    }
    if (!command.hold)
        command.faceAtOnce = 1;
    command.SetDirection(heading);
}

void KeeperBrain::ProcessInput(ActorCommand& command)
{
    if (!command.hold) {
        command.faceAtOnce = 0;
        command.target = nullptr;
    }
    Actor* actor = GetActor();
    if (GetMode() == kFrozen || !actor) {
        command.SetCode(ActorInput::None);
        return;
    }
    ControllerInput in = GetControllerInput(GetName());
    ToCameraSpace(in);
    if (in.x != 0.0f || in.y != 0.0f)
        command.SetDirection(in.GetWorldHeading());
    if (in.buttonAPressed) {
        command.SetCode(ActorInput::Pass);
        if (!command.hold) {
            const SoccerTeam* other = OtherSide(dynamic_cast<const SoccerTeam*>(GetTeam()));
            command.targetPosition =
                actor->GetPassTarget(command.direction, Team::ActorsOf(GetTeam()), Team::ActorsOf(other), true);
        }
    } else if (in.buttonBPressed) {
        SetCharging(true);
        command.SetCode(ActorInput::Run);
    } else if (IsCharging() && (in.buttonBReleased || actor->kickPower >= 1.0f)) {
        command.SetCode(ActorInput::Shoot);
        command.hold = 1;
    } else {
        command.SetCode(ActorInput::None);
    }
    const float power = in.buttonBHoldTime / MatchSettings::Instance()->holdTimeForMaxPower;
    actor->kickPower = IsCharging() ? std::clamp(power, 0.0f, 1.0f) : 0.0f;
}

void KeeperBrain::DrawDebug() const
{
    Actor* actor = GetActor();
    if (!actor || !m_keeperRace)
        return;
    const float width = m_keeperRace->GetKeeperSaveGridWidth(), height = m_keeperRace->GetKeeperSaveGridHeight();
    const Vector3& up = PitchFrame::GetDirection(PitchFrame::kUp);
    const Vector3 forward = ForwardAxis();
    const Vector3 left = up.Cross(forward);
    const Quaternion turn = Quaternion(WorldHeadingOf(forward), PitchFrame::GetDirection(PitchFrame::kUp));
    const Vector3 origin = actor->GetPosition() + forward * actor->GetRadius();
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            WireFrameCube box;
            box.size = Vector3(width, height, 0.0f);
            box.SetRotation(turn);
            box.SetPosition(origin + left * ((column - 1.5f) * width) + up * (row * height));
            box.SetColor(Color(1.0f, 1.0f, 0.0f));
            box.Render();
        }
    }
    WireframeSphere marker;
    marker.radius = 0.5f;
    marker.SetPosition(actor->GetPosition() + left * m_debugPoint.x + up * m_debugPoint.y + forward * m_debugPoint.z);
    marker.SetColor(Color(1.0f, 0.0f, 0.0f));
    marker.Render();
}
