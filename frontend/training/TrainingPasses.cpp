#include "frontend/training/TrainingPasses.h"

#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "match/MatchDelay.h"
#include "menus/Menu.h"
#include "pitch/PitchSimulation.h"
#include "settings/TrainingSettings.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"

#include <algorithm>
#include <limits>

namespace {

constexpr uint32_t kPlayMask = 0x1FD;
constexpr uint32_t kHeldClockMask = kPlayMask & ~PitchSimulation::kUpdateClock;
constexpr float kSettleSeconds = 0.1f;
// Player 0 has left its spot once it stands farther than this from it.
constexpr float kLeftSpotDistance = 0.01f;

constexpr const char* kDuration = "Passes Training duration";
constexpr const char* kCyclesForPerfect = "Passes Training cycles for perfect";

bool IsMessage(int message, const char* name)
{
    const char* got = MessageServer::Instance()->GetMessageName(message);
    return got && std::string(got) == name;
}

}  // namespace

bool PassCycle::Receive(int player)
{
    if (player == m_lastHolder)
        return false;
    const int passer = m_lastHolder;
    m_ring[static_cast<size_t>(m_write)] = player;
    m_write = (m_write + 1) % kPlayers;
    m_lastHolder = player;
    const bool full = std::find(m_ring.begin(), m_ring.end(), kEmpty) == m_ring.end();
    if (full && m_ring[0] != m_ring[1] && m_ring[1] != m_ring[2] && m_ring[0] != m_ring[2]) {
        m_ring.fill(kEmpty);
        m_write = 0;
        m_cycleStart = player;
        return true;
    }
    if (full)
        Restart(player, passer);
    // Back at the player the cycle began with: only two have played, so it starts over.
    if (player == m_cycleStart)
        Restart(player, passer);
    return false;
}

void PassCycle::Restart(int holder, int before)
{
    m_cycleStart = before;
    m_ring.fill(kEmpty);
    m_ring[0] = holder;
    m_write = 1;
}

Passes::Passes(int32_t* count) : m_count(count) { *m_count = 0; }

Passes::~Passes() { StateSlot::Set(&m_resetDelay, nullptr, false); }

void Passes::Enter()
{
    ResetPositions();
    CollisionManager::Instance()->Update(kSettleSeconds);
    MessageServer* server = MessageServer::Instance();
    server->RegisterListener(this, server->RegisterMessage("passes"));
    PitchSimulation::Instance()->ResetMatchClock(&m_rate);
    ShowCountdown();
}

void Passes::Exit()
{
    MessageServer::Instance()->UnregisterListener(this);
    StateSlot::Set(&m_resetDelay, nullptr, false);
}

int Passes::PlayerCount() const
{
    return m_team ? std::min(m_team->GetPlayerCount(), PassCycle::kPlayers) : 0;
}

void Passes::ResetPositions()
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    m_team = pitch->GetTeam(0);
    if (!m_team)
        return;
    m_team->SetFirstSide(true);
    for (int i = 0; i < PlayerCount(); ++i) {
        m_spots[i] = PitchPosition(kSpots[i][0], kSpots[i][1]).ToWorld(true);
        Character* player = m_team->GetPlayer(i);
        const float heading = PitchAngle::FromDirection(PitchFrame::GetCentre() - m_spots[i]).ToWorldHeading();
        player->GetActor()->ReleaseBall();
        player->GetActor()->PlaceInState(m_spots[i], heading, new ActorState(ActorNodes::stand));
        if (CharacterBrain* brain = player->GetBrain())
            brain->GetOrder() = TeamOrder{0, m_spots[i], nullptr};
    }
    Ball* ball = pitch->GetBall();
    const int holder = m_cycle.GetLastHolder();
    if (ball && holder < PlayerCount()) {
        ball->SetVelocity(Vector3{});
        ball->SetPosition(m_spots[holder] + Vector3(0.0f, ball->GetRadius(), 0.0f));
    }
}

int Passes::HolderIndex() const
{
    for (int i = 0; i < PlayerCount(); ++i)
        if (m_team->GetPlayer(i)->GetActor()->HasBall())
            return i;
    return PassCycle::kEmpty;
}

void Passes::CountPass()
{
    // The first player with the ball who did not have it last.
    for (int i = 0; i < PlayerCount(); ++i) {
        if (i == m_cycle.GetLastHolder() || !m_team->GetPlayer(i)->GetActor()->HasBall())
            continue;
        if (m_cycle.Receive(i)) {
            *m_count += 1;
            m_team->SetGoals(m_team->GetGoals() + 1);
            TrainingDrill::PlayFeedback(true);
        }
        return;
    }
}

void Passes::SteerControlToBall()
{
    const Ball* ball = PitchSimulation::Instance()->GetBall();
    if (!ball)
        return;
    Character* nearest = nullptr;
    float best = std::numeric_limits<float>::max();
    for (int i = 0; i < PlayerCount(); ++i) {
        Character* player = m_team->GetPlayer(i);
        const float distance = (player->GetActor()->GetPosition() - ball->GetPosition()).Length();
        if (distance < best) {
            best = distance;
            nearest = player;
        }
    }
    ControlledPlayerList& control = m_team->GetControlledPlayers();
    if (nearest && control.GetSelected() != nearest)
        control.SelectNext();
}

int Passes::RemainingSeconds() const
{
    const MatchClock* clock = PitchSimulation::Instance()->GetClock();
    // Whole seconds since the start: a drill may last longer than a minute.
    const int elapsed = clock ? static_cast<int>(clock->GetTime()) : 0;
    return std::max(0, TrainingDrill::Setting(kDuration, 45) - elapsed);
}

void Passes::ShowCountdown() const { TrainingDrill::SetHudText("CountdownSeconds", TrainingDrill::CountdownText(RemainingSeconds())); }

void Passes::Win()
{
    *m_count = TrainingDrill::Setting(kCyclesForPerfect, 10);
    if (MatchClock* clock = PitchSimulation::Instance()->GetClock())
        clock->SetTime(static_cast<float>(TrainingDrill::Setting(kDuration, 45) - 1));
}

State* Passes::Update(float dt)
{
    StateSlot::Update(&m_resetDelay, dt);
    ShowCountdown();
    if (!m_team || RemainingSeconds() <= 0 || m_targetReached)
        return nullptr;
    if (HolderIndex() == PassCycle::kEmpty)
        SteerControlToBall();
    else
        CountPass();
    if (*m_count >= TrainingDrill::Setting(kCyclesForPerfect, 10)) {
        m_targetReached = true;
        return nullptr;
    }
    if (!m_released && PlayerCount() > 0 &&
        (m_team->GetPlayer(0)->GetActor()->GetPosition() - m_spots[0]).Length() > kLeftSpotDistance)
        m_released = true;
    PitchSimulation::Instance()->Update(dt, m_released ? kPlayMask : kHeldClockMask);
    // Outside the pitch's update: the ball and the actors are not moved under it.
    if (m_resetPending) {
        m_resetPending = false;
        ResetPositions();
        StateSlot::Set(&m_resetDelay, new IteratingState(new MatchDelay(kResetSeconds, false, false), nullptr), true);
    }
    return this;
}

void Passes::Render()
{
    if (m_resetDelay)
        m_resetDelay->Render();
    PitchSimulation::Instance()->Render();
}

int Passes::OnMessage(int message, intptr_t)
{
    if (m_resetDelay || m_resetPending)
        return 0;
    if (IsMessage(message, "out of bounds far") || IsMessage(message, "out of bounds across") ||
        IsMessage(message, "goal scored"))
        m_resetPending = true;
    else if (IsMessage(message, "did pass") || IsMessage(message, "did shot"))
        m_released = true;
    return 0;
}

const TrainingDrill::Look TrainingPasses::kLook = {
    "%20901%", "IsometricMedium", 1,
    PitchSimulation::kHudDrillCounters | PitchSimulation::kHudDrillName | PitchSimulation::kHudPlayer1Name |
        PitchSimulation::kHudPlayer1Energy,
    "%20402%", "training_results_1", false};

TrainingPasses::TrainingPasses() : TrainingDrill(kLook) {}

State* TrainingPasses::NextRound()
{
    if (m_started)
        return nullptr;
    m_started = true;
    return new Passes(&m_count);
}

void TrainingPasses::WinAtOnce()
{
    if (auto* passes = dynamic_cast<Passes*>(GetRound()))
        passes->Win();
}

void TrainingPasses::End() { PitchSimulation::Instance()->RecreateTeams(); }

int TrainingPasses::PointsFor(int count)
{
    const int bonus = count >= Setting(kCyclesForPerfect, 10) ? Setting("Passes Training perfectbonus", 2) : 0;
    const int perPoint = Setting("Passes Training cycles for one point", 4);
    // A designer value: zero or less would divide by nothing.
    if (perPoint <= 0)
        return bonus;
    return bonus + static_cast<int>(static_cast<float>(count) / static_cast<float>(perPoint));
}

bool TrainingPasses::Perfect() const
{
    return m_count >= Setting(kCyclesForPerfect, 10);
}

void TrainingPasses::PublishResults(int points)
{
    static const char* const kVariables[TrainingSettings::kChosen] = {
        "%training_player1_energy%", "%training_player2_energy%", "%training_player3_energy%"};
    for (int i = 0; i < TrainingSettings::kChosen; ++i) {
        const CharacterVariation* member = ChosenMember(i);
        Menu::Instance()->SetVariable(kVariables[i], member ? std::to_string(static_cast<int>(member->energy.level) + points)
                                                            : std::string("Not found"));
    }
}

REGISTER_TRAINING_DRILL(TrainingDrill::kPassing, []() -> State* { return new TrainingPasses(); });
