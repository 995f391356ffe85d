// The order step: from the strategy's grid and a few weighted decisions, one order for every
// member of the side each frame.
#include "ai/Decision.h"
#include "ai/TeamManager.h"
#include "ai/TeamStrategy.h"
#include "ai/UtilityRegistry.h"
#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "framework/Random.h"
#include "settings/GameSettings.h"
#include "settings/MatchSettings.h"
#include "settings/MatchStatistics.h"
#include "simulation/CarriedBall.h"
#include "simulation/Collidable.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kComputer = "ai";
constexpr int32_t kLastDefender = 1;
// How long the side keeps its aggression roll at least once it has won the ball.
constexpr float kHoldingAggressionTimer = 1.0f;
// The shooting-zone decision's score above which the holder shoots.
constexpr float kShootingScore = 0.8f;

bool InsidePitch(const PitchPosition& p) { return std::abs(p.x) < 1.0f && std::abs(p.z) < 1.0f; }

bool InSpecialState(const Character& player) { return player.GetActor() && player.GetActor()->IsInSpecialState(); }

bool IsComputer(const Character& player) { return player.GetBrain() && player.GetBrain()->GetName() == kComputer; }

void Give(Character& player, int32_t code, const Vector3& point, Character* target)
{
    if (CharacterBrain* brain = player.GetBrain())
        brain->GetOrder() = TeamOrder{code, point, target};
}

Decision Parts(std::initializer_list<DecisionPart> parts)
{
    Decision decision;
    for (const DecisionPart& part : parts)
        decision.AddPart(part);
    return decision;
}

Decision ShootingZone() { return Parts({{"DistanceAlongPitch", false, 2.0f}, {"DistanceAcrossPitch", true, 1.0f}}); }

Decision PassReceiver()
{
    return Parts({{"DistanceAlongPitch", false, 10.0f}, {"DistanceAcrossPitch", true, 2.0f}, {"ClearPathToBall", false, 1.0f}});
}

Decision Defend()
{
    return Parts({{"DistanceFromBall", true, 1.0f},
                  {"SpeedTowardsBall", false, 1.0f},
                  {"DistanceFromTacticalPosition", true, GameSettings::Instance()->distanceFromTacticalPositionWeighting},
                  {"IsConstrainedToArea", true, 10000.0f}});
}

Decision LooseBall() { return Parts({{"DistanceFromBall", true, 1.0f}, {"SpeedTowardsBall", false, 1.0f}}); }

} // namespace

void TeamManager::DecideOrders(float dt)
{
    const CarriedBall* ball = ActorSurroundings::ball;
    if (!m_team || !m_registry || !ball)
        return;
    const bool firstSide = m_team->IsFirstSide();
    const int32_t count = std::min(m_team->GetPlayerCount(), m_strategy ? m_strategy->GetSlotCount() : 0);

    UpdateAggression(dt);
    FollowPass();
    const PitchPosition b = PitchPosition::FromWorld(ball->GetBallPosition(), firstSide);
    GiveTacticalOrders(count, b, false);
    if (Character* holder = m_team->GetBallHolder())
        OrderHolder(*holder, b, dt);
    else if (Character* opposing = m_opponents ? m_opponents->GetBallHolder() : nullptr)
        OrderDefender(*opposing);
    else if (Character* receiver = PassComingTo(*ball))
        MeetPass(*receiver, *ball);
    else if (Character* player = LooseBall().ChooseBestPlayer(*m_team, *m_registry))
        Give(*player, TeamOrder::kCollect,
             ball->GetBallPosition() + ball->GetCollidable().GetVelocity() * GameSettings::Instance()->aiBallObtainReadAhead,
             nullptr);
    OrderHeaders(count);
    if (GameSettings::Instance()->aiDeactivate)
        GiveTacticalOrders(count, b, true);
}

void TeamManager::FollowPass()
{
    if (Character* holder = m_team->GetBallHolder()) {
        m_lastHolder = holder;
        m_receiver = nullptr;
        return;
    }
    if (!m_lastHolder)
        return;
    // His brain still holds the order he acted on when the ball left him.
    const CharacterBrain* brain = m_team->Contains(m_lastHolder) ? m_lastHolder->GetBrain() : nullptr;
    const bool passed = brain && brain->GetOrder().code == TeamOrder::kPass && brain->GetOrder().target &&
                        brain->GetOrder().target != m_lastHolder;
    m_passer = m_lastHolder;
    m_receiver = passed ? brain->GetOrder().target : nullptr;
    m_lastHolder = nullptr;
}

Character* TeamManager::PassComingTo(const CarriedBall& ball) const
{
    if (!m_receiver || !m_team->Contains(m_receiver) || !m_receiver->GetActor() ||
        ball.GetLastToucher() != static_cast<const BallToucher*>(m_passer))
        return nullptr;
    const Vector3 v = PitchFrame::Flatten(ball.GetCollidable().GetVelocity());
    const Vector3 ahead = PitchFrame::Flatten(m_receiver->GetActor()->GetPosition() - ball.GetBallPosition());
    return v.Dot(ahead) > 0.0f ? m_receiver : nullptr;
}

void TeamManager::MeetPass(Character& receiver, const CarriedBall& ball)
{
    // Left to the loose-ball choice, a man nearer the ball was sent after it, and the man it
    // was meant for jogged on to his place while it ran past him: he goes to the nearest point
    // of its path instead, and waits there for it.
    const Vector3 v = PitchFrame::Flatten(ball.GetCollidable().GetVelocity());
    const Vector3 at = receiver.GetActor()->GetPosition();
    // A pass that has all but stopped can be too slow for its length to be a float: it has no
    // path left, and he collects it where it lies.
    Vector3 along = v;
    along.Normalize();
    Vector3 meet = ball.GetBallPosition() + along * along.Dot(at - ball.GetBallPosition());
    meet = at + PitchFrame::Flatten(meet - at);
    const bool onPath = PitchFrame::Flatten(meet - at).Length() <= receiver.GetActor()->GetRadius();
    Give(receiver, onPath ? TeamOrder::kGoTo : TeamOrder::kCollect, onPath ? at : meet, nullptr);
}

void TeamManager::UpdateAggression(float dt)
{
    m_aggressionTimer -= dt;
    if (m_aggressionTimer > 0.0f)
        return;
    m_aggressive = std::abs(Random::Unit()) * 100.0f <= m_team->GetAggression();
    m_aggressionTimer = GameSettings::Instance()->timeBetweenAggressionChanges;
}

Vector3 TeamManager::TacticalPoint(const Character& player, const PitchPosition& ball, bool touchline) const
{
    PitchPosition p = m_strategy ? m_strategy->GetTacticalPosition(player.GetRoleIndex(), ball) : PitchPosition();
    if (touchline)
        p.z = 1.0f;
    return p.ToWorld(m_team->IsFirstSide());
}

void TeamManager::GiveTacticalOrders(int32_t count, const PitchPosition& ball, bool touchline)
{
    for (int32_t i = 0; i < count; ++i) {
        Character& player = *m_team->GetPlayer(i);
        if (player.GetKind() == Character::kGoalkeeper)
            Give(player, TeamOrder::kKeeper, Vector3{}, nullptr);
        else
            Give(player, TeamOrder::kGoTo, TacticalPoint(player, ball, touchline), nullptr);
    }
}

bool TeamManager::MaySpecialMove(const Character& holder, const PitchPosition& ball, float dt) const
{
    const GameSettings& s = *GameSettings::Instance();
    if (!holder.GetVariation() || holder.GetVariation()->energy.current < s.specialEnergyThreshold || !IsComputer(holder))
        return false;
    if (Random::Unit() > dt / s.aiAverageTimeBetweenSpecialMoves)
        return false;
    if (!InsidePitch(ball) || InSpecialState(holder) || !holder.GetActor())
        return false;
    const PitchPosition p = PitchPosition::FromWorld(holder.GetActor()->GetPosition(), m_team->IsFirstSide());
    const float dx = std::min(std::abs(p.x - s.aiSpecialMoveCentreYOffset), 1.0f);
    const float dz = std::min(std::abs(p.z), 1.0f);
    return dx * dx + dz * dz < s.aiSpecialMovePitchRadius * s.aiSpecialMovePitchRadius;
}

void TeamManager::OrderHolder(Character& holder, const PitchPosition& ball, float dt)
{
    m_aggressive = false;
    m_aggressionTimer = std::max(m_aggressionTimer, kHoldingAggressionTimer);
    if (InSpecialState(holder)) {
        Give(holder, TeamOrder::kGoTo, holder.GetBrain() ? holder.GetBrain()->GetGoalCentre() : Vector3{}, nullptr);
        return;
    }
    if (MaySpecialMove(holder, ball, dt)) {
        Give(holder, TeamOrder::kSpecial, Vector3{}, nullptr);
        return;
    }
    if (InsidePitch(ball) && ShootingZone().Score(&holder, *m_registry) > kShootingScore) {
        Give(holder, TeamOrder::kShoot, Vector3{}, nullptr);
        return;
    }
    Character* receiver = PassReceiver().ChooseBestPlayer(*m_team, *m_registry);
    if (receiver && receiver != &holder) {
        Give(holder, TeamOrder::kPass, Vector3{}, receiver);
        return;
    }
    // No one better placed: run on towards the own tactical point, or at the attacked goal
    // when that point lies behind.
    Vector3 point = TacticalPoint(holder, ball, false);
    const bool firstSide = m_team->IsFirstSide();
    const Vector3 from = holder.GetActor() ? holder.GetActor()->GetPosition() : Vector3{};
    if (PitchPosition::FromWorld(point - from + PitchFrame::GetCentre(), firstSide).x <= 0.0f)
        point = PitchPosition(1.0f, 0.0f).ToWorld(firstSide);
    Give(holder, TeamOrder::kDribble, point, nullptr);
}

bool TeamManager::KeepsPressing(Character& opposingHolder, const Character* chosen) const
{
    if (!m_presser || m_pressed != &opposingHolder || !m_team->Contains(m_presser) || !m_presser->GetActor())
        return false;
    // Only while he stands on the ball doing nothing: one on the move, or turning to pass or
    // shoot, meets the side's shape as the decision keeps it.
    const Actor& target = *opposingHolder.GetActor();
    if (!target.StateNameIs("stand") || opposingHolder.GetCommand().code != ActorInput::None)
        return false;
    // Beaten, or never near: a team-mate the decision prefers stands nearer the holder.
    return !chosen || !chosen->GetActor() ||
           m_presser->GetActor()->DistanceTo(target) <= chosen->GetActor()->DistanceTo(target);
}

Character* TeamManager::ChooseDefender(Character& opposingHolder)
{
    // Chosen afresh every frame, the man sent would turn back as soon as his run took him
    // from his place, and an opponent who stands still with the ball would never be pressed.
    Character* chosen = Defend().ChooseBestPlayer(*m_team, *m_registry);
    if (KeepsPressing(opposingHolder, chosen))
        return m_presser;
    m_presser = chosen;
    m_pressed = &opposingHolder;
    return chosen;
}

void TeamManager::OrderDefender(Character& opposingHolder)
{
    Character* player = ChooseDefender(opposingHolder);
    if (!player)
        return;
    // The statistics count by the simulation's team, not by the end played to, which the
    // sides change every period.
    const int side = m_team == ActorSurroundings::sides[0] ? 0 : 1;
    const bool mayTackle = MatchStatistics::Instance()->redCards[side] <= 0 || !player->IsBooked();
    const bool guarded = player->IsBooked() && player->GetRoleIndex() == kLastDefender;
    const int32_t code = m_aggressive && mayTackle && !guarded ? TeamOrder::kTackle : TeamOrder::kCloseDown;
    Give(*player, code, Vector3{}, &opposingHolder);
}

void TeamManager::OrderHeaders(int32_t count)
{
    const CarriedBall& ball = *ActorSurroundings::ball;
    for (int32_t i = 0; i < count; ++i) {
        Character& player = *m_team->GetPlayer(i);
        CharacterBrain* brain = player.GetBrain();
        if (!brain || !player.GetActor() || !brain->CanReachHeader())
            continue;
        Vector3 gap = player.GetActor()->GetPosition() - ball.GetBallPosition();
        gap = gap - PitchFrame::GetDirection(PitchFrame::kUp) * gap.Dot(PitchFrame::GetDirection(PitchFrame::kUp));
        if (gap.Length() <= MatchSettings::Instance()->aiHeaderDistance && IsComputer(player) &&
            brain->IsBallApproaching() && brain->IsFacingAttack())
            Give(player, TeamOrder::kHeader, Vector3{}, nullptr);
    }
}
