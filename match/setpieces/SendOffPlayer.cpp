#include "match/setpieces/SendOffPlayer.h"

#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "match/PlayerHold.h"
#include "pitch/CameraControl.h"
#include "pitch/CameraStack.h"
#include "pitch/PitchSimulation.h"
#include "scene/RenderObject.h"
#include "settings/MatchSettings.h"
#include "simulation/Ball.h"

#include <algorithm>

namespace {

// Everything but the sides' tactics, the re-choosing of the steered members and the clock.
constexpr uint32_t kWalkMask = PitchSimulation::kUpdateAll &
                               ~(PitchSimulation::kUpdateManagers | PitchSimulation::kRefreshSelection |
                                 PitchSimulation::kUpdateClock);

// Everybody held but the listed players, who leave the ball and play alone.
void HoldAllBut(const std::vector<Character*>& players)
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    PlayerHold::Set(pitch->GetReferee(), true);
    PlayerHold::HoldAll();
    for (Character* player : players) {
        PlayerHold::Set(player, false);
        player->GetActor()->ReleaseBall();
        player->GetActor()->inPlay = false;
    }
    if (Ball* ball = pitch->GetBall())
        ball->SetInPlay(false);
}

void ReleaseEverybody()
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    PlayerHold::Set(pitch->GetReferee(), false);
    for (Character* player : PlayerHold::AllPlayers()) {
        PlayerHold::Set(player, false);
        player->GetActor()->inPlay = true;
    }
    if (Ball* ball = pitch->GetBall())
        ball->SetInPlay(true);
}

// Field players only: keepers keep their hands for the ball.
void SetFieldBallContact(bool contact)
{
    for (Character* player : PlayerHold::AllPlayers()) {
        if (player->GetKind() != Character::kGoalkeeper)
            player->GetActor()->ballContact = contact;
    }
}

// Walks the player towards the target under his brain's own steam; true once he is there.
bool WalkTowards(Character* player, const Vector3& target)
{
    player->GetBrain()->GetOrder() = TeamOrder{0, target, nullptr};
    player->SetSelected(false);
    player->GetActor()->ReleaseBall();
    return (player->GetActor()->GetPosition() - target).Length() <= SendOffPlayer::kArrivalDistance;
}

// The managers write every order anew only when play goes on: until then a team-mate's pass
// or an opponent's challenge may still be aimed at a player who has left the pitch.
void ForgetOrdersAimedAt(const Character* player)
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    for (int side = 0; side < PitchSimulation::kSides; ++side) {
        SoccerTeam* team = pitch->GetTeam(side);
        for (int32_t i = 0; team && i < team->GetPlayerCount(); ++i) {
            CharacterBrain* brain = team->GetPlayer(i)->GetBrain();
            if (brain && brain->GetOrder().target == player)
                brain->GetOrder().target = nullptr;
        }
    }
}

}  // namespace

Vector3 GetSpawnPoint(const SoccerTeam* team)
{
    if (!team)
        return {};
    const char* name = team->IsFirstSide() ? "objects|LeftSpawnPoint" : "objects|RightSpawnPoint";
    const auto* point = dynamic_cast<const RenderObject*>(CastManager::Instance()->FindObject(name));
    return point ? point->GetPosition() : Vector3{};
}

SendOffPlayer::SendOffPlayer(const std::vector<Character*>& players, bool remove, bool follow, bool hold,
                             float minimumSeconds)
    : m_players(players), m_remove(remove), m_follow(follow), m_hold(hold), m_minimumTime(minimumSeconds)
{
}

void SendOffPlayer::Enter()
{
    HoldAllBut(m_players);
    m_elapsed = 0.0f;
    SetFieldBallContact(false);
    if (m_follow) {
        if (!m_players.empty())
            SetCameraTarget(m_players.front()->GetActor());
    } else if (CameraStack* cameras = CameraStack::Current()) {
        cameras->PushCamera("Whole Field");
    }
}

State* SendOffPlayer::Update(float dt)
{
    m_elapsed += dt;
    m_minimumTime = std::max(m_minimumTime - dt, 0.0f);
    bool allArrived = true;
    bool anyOnScreen = false;
    for (Character* player : m_players) {
        const Vector3 target = GetSpawnPoint(player->GetTeam());
        allArrived = WalkTowards(player, target) && allArrived;
        const Actor* actor = player->GetActor();
        anyOnScreen = anyOnScreen || actor->IsOnScreen(Vector3{});
    }
    PitchSimulation::Instance()->Update(dt, kWalkMask);
    return IsFinished(allArrived, anyOnScreen) ? nullptr : this;
}

bool SendOffPlayer::IsFinished(bool allArrived, bool anyOnScreen) const
{
    if (m_follow && !allArrived)
        return false;
    if (!m_follow && anyOnScreen && m_elapsed < MatchSettings::Instance()->maxCameraTrackTime)
        return false;
    return !m_hold && m_minimumTime <= 0.0f;
}

void SendOffPlayer::Exit()
{
    std::vector<Character*> players;
    players.swap(m_players);
    PitchSimulation* pitch = PitchSimulation::Instance();
    for (Character* player : players) {
        for (int side = 0; m_remove && side < PitchSimulation::kSides; ++side) {
            SoccerTeam* team = pitch->GetTeam(side);
            // Handed back by the team and deleted here: a removed player must not linger as
            // an invisible obstacle in the collision world.
            if (team && team->Contains(player)) {
                team->RemovePlayer(player).reset();
                ForgetOrdersAimedAt(player);
                break;
            }
        }
    }
    ReleaseEverybody();
    SetFieldBallContact(true);
    if (m_follow)
        SetCameraTarget(pitch->GetBall());
    else if (CameraStack* cameras = CameraStack::Current())
        cameras->PopCamera();
}

Substitution::Substitution(Character* outgoing, Character* incoming) : m_outgoing(outgoing), m_incoming(incoming) {}

State* Substitution::Update(float)
{
    SoccerTeam* team = m_outgoing ? m_outgoing->GetTeam() : nullptr;
    if (!team || !m_incoming)
        return nullptr;
    // A substitute comes from the bench; left there too, he would be deleted twice.
    std::unique_ptr<Character> incoming = team->TakeFromBench(m_incoming);
    if (!incoming)
        incoming.reset(m_incoming);
    team->ReplacePlayer(m_outgoing, std::move(incoming));
    ForgetOrdersAimedAt(m_outgoing);
    m_incoming->GetActor()->PlaceInState(GetSpawnPoint(team), 0.0f, new ActorState(ActorNodes::startrun));
    return nullptr;
}

SendInPlayer::SendInPlayer(const std::vector<Character*>& players, const std::vector<Vector3>& targets)
    : m_players(players), m_targets(targets)
{
}

void SendInPlayer::Enter()
{
    HoldAllBut(m_players);
    if (!m_players.empty())
        SetCameraTarget(m_players.front()->GetActor());
}

State* SendInPlayer::Update(float dt)
{
    bool allArrived = true;
    const size_t count = std::min(m_players.size(), m_targets.size());
    for (size_t i = 0; i < count; ++i)
        allArrived = WalkTowards(m_players[i], m_targets[i]) && allArrived;
    PitchSimulation::Instance()->Update(dt, kWalkMask);
    return allArrived ? nullptr : this;
}

void SendInPlayer::Exit()
{
    m_players.clear();
    ReleaseEverybody();
}
