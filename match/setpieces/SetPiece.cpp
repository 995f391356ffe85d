#include "match/setpieces/SetPiece.h"

#include "ai/Decision.h"
#include "ai/TeamStrategy.h"
#include "characters/Actor.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "match/Fade.h"
#include "match/PitchSides.h"
#include "match/PlayerHold.h"
#include "pitch/PitchSimulation.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"

#include <utility>
#include <vector>

namespace {

constexpr const char* kTeamsCast = "Teams";
// One collision step resolves the taker's touch of the ball, so that he holds it.
constexpr float kSettleStep = 0.1f;
// Below this a placement direction has no way to point.
constexpr float kMinDirectionLength = 1e-6f;

void PlaceIn(Actor& actor, const Vector3& position, float heading, const ActorStateNode& node)
{
    actor.PlaceInState(position, heading, new ActorState(node));
}

// Null for no fade.
State* MakeFade(bool fromBlack, float seconds) { return seconds > 0.0f ? new Fade(fromBlack, seconds) : nullptr; }

}  // namespace

SetPiece::SetPiece(std::string kind, bool attacking, float fadeInSeconds, float fadeOutSeconds)
    : m_kind(std::move(kind)), m_attacking(attacking)
{
    StateSlot::Set(&m_fadeIn, MakeFade(true, fadeInSeconds), true);
    StateSlot::Set(&m_fadeOut, MakeFade(false, fadeOutSeconds), true);
}

SetPiece::~SetPiece()
{
    StateSlot::Set(&m_fadeOut, nullptr, false);
    StateSlot::Set(&m_fadeIn, nullptr, false);
}

void SetPiece::FindCasts()
{
    Cast* cast = CastManager::Instance()->GetCast(kTeamsCast);
    if (!cast) {
        LogError("Cannot find cast %s when creating SetPiece %s\n", kTeamsCast, m_kind.c_str());
        return;
    }
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        const char* suffix = (side == 0) == m_attacking ? "_attack" : "_defend";
        const std::string member = "Strategies|" + m_kind + suffix;
        const CastMember* found = cast->FindByName(member.c_str());
        auto* strategy = found ? dynamic_cast<TeamStrategy*>(found->object) : nullptr;
        if (strategy)
            m_strategies[static_cast<size_t>(side)] = strategy;
        else
            LogError("Cannot find cast member %s in cast %s when creating SetPiece %s\n", member.c_str(), kTeamsCast,
                     m_kind.c_str());
    }
}

void SetPiece::PlacePlayers()
{
    Vector3 spot, direction;
    GetTakerPlacement(spot, direction);
    PitchSimulation* pitch = PitchSimulation::Instance();
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        const TeamStrategy* strategy = m_strategies[static_cast<size_t>(side)];
        const SoccerTeam* team = pitch->GetTeam(side);
        // The missing formation was logged; its side stays where it stands.
        if (!strategy || !team)
            continue;
        const bool first = team->IsFirstSide();
        const PitchPosition ball = PitchPosition::FromWorld(spot, first);
        const float heading = sides::PlayAngle(first).ToWorldHeading();
        for (int32_t i = 0; i < team->GetPlayerCount(); ++i) {
            Character& player = *team->GetPlayer(i);
            const Vector3 place = strategy->GetTacticalPosition(player.GetRoleIndex(), ball).ToWorld(first);
            // Placing an actor also lets go of the ball he holds.
            PlaceIn(*player.GetActor(), place, heading, ActorNodes::inactive);
        }
    }
}

void SetPiece::Enter()
{
    FindCasts();
    PlacePlayers();
    PitchSimulation* pitch = PitchSimulation::Instance();
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        const SoccerTeam* team = pitch->GetTeam(side);
        if (Character* holder = team ? team->GetBallHolder() : nullptr)
            holder->GetActor()->ReleaseBall();
    }
    Vector3 spot, direction;
    GetTakerPlacement(spot, direction);
    const float heading = PitchAngle::FromDirection(direction).ToWorldHeading();
    if (Ball* ball = pitch->GetBall()) {
        ball->SetVelocity(Vector3{});
        ball->SetPosition(spot);
    }

    Character* taker = GetTaker();
    if (!taker) {
        LogError("SetPiece::Enter: set piece %s has no taker\n", m_kind.c_str());
        return;
    }
    ActorCommand& command = taker->GetCommand();
    command.hold = 0;
    command.strike = 0;
    Actor& actor = *taker->GetActor();
    // A zero direction (a penalty's) has no behind: the taker stands at the spot.
    const float length = direction.Length();
    const Vector3 behind = length > kMinDirectionLength ? direction * (actor.GetRadius() / length) : Vector3{};
    const Vector3 place = spot - behind;
    // The order left from open play would make him pass or shoot as soon as he holds the
    // ball; standing where he is placed, only the set piece's own order makes him kick.
    if (CharacterBrain* brain = taker->GetBrain())
        brain->GetOrder() = TeamOrder{0, place, nullptr};
    PlaceIn(actor, place, heading, ActorNodes::kickoff);
    CollisionManager::Instance()->Update(kSettleStep);
}

void SetPiece::Exit()
{
    for (Character* player : PlayerHold::AllPlayers()) {
        Actor& actor = *player->GetActor();
        PlaceIn(actor, actor.GetPosition(), actor.GetHeading(), ActorNodes::stand);
    }
}

State* SetPiece::Update(float dt)
{
    PitchSimulation::Instance()->Update(dt, kUpdateMask);
    // The kick is not looked at while the picture comes back.
    if (m_fadeIn) {
        StateSlot::Update(&m_fadeIn, dt);
        return this;
    }
    if (!IsKickTaken())
        return this;
    if (m_fadeOut) {
        StateSlot::Update(&m_fadeOut, dt);
        return this;
    }
    return nullptr;
}

void SetPiece::Render()
{
    if (!IsKickTaken() || m_fadeOut)
        PitchSimulation::Instance()->Render();
    if (m_fadeIn)
        m_fadeIn->Render();
    if (m_fadeOut)
        m_fadeOut->Render();
}

bool SetPiece::IsKickTaken() const
{
    const Character* taker = GetTaker();
    return !taker || !taker->GetActor()->HasBall();
}

Character* SetPiece::ChooseReceiver(const Character* taker, bool skipKeepers)
{
    const SoccerTeam* team = taker ? taker->GetTeam() : nullptr;
    const UtilityRegistry* registry = PitchSimulation::Instance()->GetUtilityRegistry();
    if (!team || !registry)
        return nullptr;
    std::vector<Character*> candidates;
    for (int32_t i = 0; i < team->GetPlayerCount(); ++i) {
        Character* player = team->GetPlayer(i);
        if (player != taker && !(skipKeepers && player->GetKind() == Character::kGoalkeeper))
            candidates.push_back(player);
    }
    Decision nearest;
    nearest.AddPart(DecisionPart("DistanceFromBall", true, 1.0f));
    return nearest.ChooseBest(candidates.data(), static_cast<int32_t>(candidates.size()), *registry);
}
