#include "frontend/training/TrainingDribblings.h"

#include "audio/SoundEngine.h"
#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "characters/Character.h"
#include "characters/CharacterBrain.h"
#include "characters/CharacterVariation.h"
#include "characters/Team.h"
#include "frontend/training/DrillResults.h"
#include "match/MatchDelay.h"
#include "match/penalties/PenaltyDisplayControl.h"
#include "pitch/PitchSimulation.h"
#include "scene/Clump.h"
#include "scene/GameElementRegistry.h"
#include "scene/GameElements.h"
#include "settings/GameSettings.h"
#include "settings/PitchCoordinates.h"
#include "settings/TrainingSettings.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"
#include "simulation/PitchVolume.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr uint32_t kTryMask = 0x1FD;
constexpr uint32_t kHudMask = PitchSimulation::kHudEnergy | PitchSimulation::kHudPlayerNames | PitchSimulation::kHudDrillName;
// The dribbler has set off once he stands farther than this from his spot.
constexpr float kLeftSpotDistance = 0.01f;
// So that the dribbler takes the ball he is put on before anything moves.
constexpr float kSettleSeconds = 0.1f;
// The try's clock runs in seconds of play.
constexpr float kClockRate = 1.0f;
constexpr PitchPosition kDribblerSpot{-0.9f, 0.0f};
constexpr float kFirstDefenderLine = -0.7f;
constexpr float kDefenderSpacing = 0.4f;
constexpr float kAttackThresholds[Dribbling::kDefenders] = {-0.2f, 0.15f, 0.5f, 0.85f};
// The cones stand a little before each defender's line as the dribbler comes, to either side
// of the middle, so that he weaves round them; the ball and the players both meet them.
constexpr float kConeBeforeLine = 0.2f;
constexpr float kConeAside = 0.08f;
constexpr float kConeRadius = 0.3f;
constexpr float kConeHeight = 0.9f;
constexpr const char* kConeSets[] = {"ball+pitchvolumes", "characters+pitchvolumes"};

int MessageId(const char* name) { return MessageServer::Instance()->RegisterMessage(name); }

// The world heading in which an actor faces along the pitch's first axis, or against it.
float AlongHeading(bool forward)
{
    const Vector3 along = PitchFrame::GetDirection(forward ? PitchFrame::kAlong : PitchFrame::kAlongBack);
    return std::atan2(along.x, along.z);
}

Character* PlayerOf(const SoccerTeam* team, int index)
{
    return team && index < team->GetPlayerCount() ? team->GetPlayer(index) : nullptr;
}

void RefillEnergy(CharacterVariation* record)
{
    if (record)
        record->energy.current = record->energy.level;
}

}  // namespace

// ---------------------------------------------------------------- Dribbling

Dribbling::Dribbling(int32_t* result) : m_result(result) { *m_result = kRunning; }

Dribbling::~Dribbling()
{
    if (m_entered)
        Exit();
    StateSlot::Set(&m_delay, nullptr, false);
}

float Dribbling::AttackThreshold(int defender) { return kAttackThresholds[defender]; }

PitchPosition Dribbling::DefenderSpot(int defender)
{
    return {kFirstDefenderLine + kDefenderSpacing * static_cast<float>(defender), 0.0f};
}

TeamOrder Dribbling::DefenderOrder(int defender, const PitchPosition& dribbler)
{
    constexpr int32_t kGoTo = 0, kTackle = 6;
    TeamOrder order;
    if (dribbler.x <= AttackThreshold(defender)) {
        order.code = kTackle;
        return order;
    }
    order.code = kGoTo;
    order.point = PitchPosition(DefenderSpot(defender).x, dribbler.z).ToWorld(false);
    return order;
}

void Dribbling::Place(Actor& actor, const PitchPosition& spot, bool firstSide) const
{
    actor.PlaceInState(spot.ToWorld(firstSide), AlongHeading(firstSide), new ActorState(ActorNodes::stand));
}

void Dribbling::Enter()
{
    PitchSimulation* pitch = PitchSimulation::Instance();
    m_training = pitch->GetTeam(0);
    m_defending = pitch->GetTeam(1);
    Character* dribbler = PlayerOf(m_training, 0);
    if (!dribbler || !m_defending) {
        // Nobody to dribble: the try fails at once rather than wait for an event that never comes.
        Decide(kFailed);
        return;
    }
    m_training->SetFirstSide(true);
    m_defending->SetFirstSide(false);
    RefillEnergy(dribbler->GetVariation());
    TakeDefenderSpeeds();
    m_entered = true;

    m_dribbler = dribbler->GetActor();
    Place(*m_dribbler, kDribblerSpot, true);
    m_startSpot = m_dribbler->GetPosition();
    if (Ball* ball = pitch->GetBall()) {
        ball->SetPosition(m_dribbler->GetPosition() + Vector3(0.0f, ball->GetRadius(), 0.0f));
        ball->SetVelocity(Vector3{});
    }
    CollisionManager::Instance()->Update(kSettleSeconds);
    for (int i = 0; i < kDefenders; ++i) {
        Character* defender = PlayerOf(m_defending, i);
        if (!defender)
            continue;
        const PitchPosition spot = DefenderSpot(i);
        Place(*defender->GetActor(), spot, false);
        if (CharacterBrain* brain = defender->GetBrain())
            brain->GetOrder() = TeamOrder{0, spot.ToWorld(false), nullptr};
    }
    MessageServer::Instance()->RegisterListener(this);
    pitch->ResetMatchClock(&kClockRate);
    StartDelay();
}

void Dribbling::TakeDefenderSpeeds()
{
    const CharacterVariation* dribbler = PlayerOf(m_training, 0)->GetVariation();
    for (int i = 0; i < kDefenders; ++i) {
        Character* defender = PlayerOf(m_defending, i);
        CharacterVariation* record = defender ? defender->GetVariation() : nullptr;
        m_defenderRecords[static_cast<size_t>(i)] = record;
        if (!record)
            continue;
        RefillEnergy(record);
        m_savedSpeeds[static_cast<size_t>(i)] = record->speed;
        if (dribbler)
            record->speed.SetLevel(dribbler->speed.level);
    }
}

void Dribbling::Exit()
{
    if (!m_entered)
        return;
    m_entered = false;
    // Backwards: two defenders sharing one record end with what it held first.
    for (int i = kDefenders - 1; i >= 0; --i)
        if (CharacterVariation* record = m_defenderRecords[static_cast<size_t>(i)])
            record->speed = m_savedSpeeds[static_cast<size_t>(i)];
    MessageServer::Instance()->UnregisterListener(this);
}

State* Dribbling::Update(float dt)
{
    StateSlot::Update(&m_delay, dt);
    if (!m_entered)
        return m_delay ? this : nullptr;
    PitchSimulation* pitch = PitchSimulation::Instance();
    if (!m_started && !m_delay && (PlayerHasStarted() || *m_result != kRunning)) {
        m_started = true;
        // A try lost during its start delay never started: no whistle at its end.
        if (*m_result == kRunning)
            SoundEngine::Instance()->PlayOnce("whistle_long");
        // The start frame runs the pitch twice: play begins a frame ahead of the whistle.
        pitch->Update(dt, kTryMask);
    }
    pitch->Update(dt, kTryMask);
    if (*m_result == kRunning && !m_lostBallHandled && !m_dribbler->HasBall()) {
        m_lostBallHandled = true;
        Decide(kFailed);
    }
    // Until the player sets off, the defenders keep their spots.
    if (m_started)
        SteerDefenders();
    return *m_result != kRunning && !m_delay ? nullptr : this;
}

bool Dribbling::PlayerHasStarted() const
{
    return (m_dribbler->GetPosition() - m_startSpot).Length() > kLeftSpotDistance;
}

void Dribbling::SteerDefenders()
{
    const PitchPosition dribbler = PitchPosition::FromWorld(m_dribbler->GetPosition(), false);
    Character* target = PlayerOf(m_training, 0);
    for (int i = 0; i < kDefenders; ++i) {
        Character* defender = PlayerOf(m_defending, i);
        CharacterBrain* brain = defender ? defender->GetBrain() : nullptr;
        if (!brain)
            continue;
        TeamOrder order = DefenderOrder(i, dribbler);
        if (order.code != 0)
            order.target = target;
        brain->GetOrder() = order;
    }
}

void Dribbling::Render()
{
    if (PitchSimulation::Instance()->IsSetUp())
        PitchSimulation::Instance()->Render();
    if (m_delay)
        m_delay->Render();
}

int Dribbling::OnMessage(int message, intptr_t param)
{
    static const int goal = MessageId("goal scored"), farOut = MessageId("out of bounds far"),
                     acrossOut = MessageId("out of bounds across"), pass = MessageId("did pass"),
                     shot = MessageId("did shot"), collision = MessageId("actor collision");
    if (m_delay || *m_result != kRunning)
        return 0;
    if (message == goal) {
        const auto* record = reinterpret_cast<const Ball::Goal*>(param);
        SoccerTeam* scorer = record ? record->scoringTeam : nullptr;
        // Only the dribbler's side has exactly one player.
        const bool ours = scorer && scorer->GetPlayerCount() == 1;
        if (ours)
            scorer->SetGoals(scorer->GetGoals() + 1);
        Decide(ours ? kPassed : kFailed);
    } else if (message == farOut || message == acrossOut || message == pass || message == shot) {
        Decide(kFailed);
    } else if (message == collision) {
        const auto* report = reinterpret_cast<const Character::CollisionReport*>(param);
        if (!report || report->own != m_dribbler || !report->other)
            return 0;
        m_dribbler->FallOver(*report->other, true);
        Decide(kFailed);
    }
    return 0;
}

void Dribbling::Decide(Result result)
{
    *m_result = result;
    TrainingDrill::PlayFeedback(result == kPassed);
    StartDelay();
}

void Dribbling::StartDelay()
{
    // The try advances the pitch itself; the delay only keeps the time.
    StateSlot::Set(&m_delay, new MatchDelay(kDelaySeconds, false, false), true);
}

// ---------------------------------------------------------------- TrainingDribblings

namespace {

const TrainingDrill::Look kLook{"%20902%", "RightToLeftMedium", 2, kHudMask, "%20403%", "training_results_2"};

}  // namespace

TrainingDribblings::TrainingDribblings()
    : TrainingDrill(kLook), m_tries(std::max(GameSettings::Instance()->dribblingTrainingTries, 0))
{
}

int TrainingDribblings::PointsFor(int passed, int tries, int perfectBonus)
{
    return passed + (tries > 0 && passed >= tries ? perfectBonus : 0);
}

PitchPosition TrainingDribblings::ConeSpot(int cone)
{
    const PitchPosition line = Dribbling::DefenderSpot(Dribbling::kDefenders - 1 - cone);
    return {line.x + kConeBeforeLine, cone % 2 == 0 ? kConeAside : -kConeAside};
}

void TrainingDribblings::Begin()
{
    PenaltyDisplayControl::Instance()->Show(true, m_tries);
    m_recorded = false;
    PlaceCones();
}

void TrainingDribblings::End()
{
    PenaltyDisplayControl::Instance()->Hide();
    RemoveCones();
}

void TrainingDribblings::PlaceCones()
{
    GameElementRegistry* elements = GameElementRegistry::Current();
    if (!elements)
        return;
    for (int cone = 0; cone < kCones; ++cone) {
        // The defenders' side never changes ends in this drill.
        const Vector3 at = ConeSpot(cone).ToWorld(false);
        if (auto* model = dynamic_cast<ClumpElement*>(elements->CreateGameElement("ClumpElement", nullptr, true))) {
            model->GetClump()->LoadClump(kConeModel, "", false);
            model->SetPosition(at);
            m_cones.push_back(model);
        }
        for (const char* set : kConeSets) {
            GameElement* made = elements->CreateGameElement("CylindricalPitchVolume", nullptr, true);
            auto* volume = dynamic_cast<CylindricalPitchVolume*>(made);
            if (!volume)
                continue;
            volume->SetCollisionName("collidecylinder");
            volume->GetCylinder().radius = kConeRadius;
            volume->GetCylinder().length = kConeHeight;
            volume->SetPosition(at);
            volume->MoveToCollisionSet(set);
            m_cones.push_back(volume);
        }
    }
}

void TrainingDribblings::RemoveCones()
{
    std::vector<GameElement*> cones;
    cones.swap(m_cones);
    if (GameElementRegistry* elements = GameElementRegistry::Current())
        for (GameElement* cone : cones)
            elements->DeleteGameElement(cone);
}

State* TrainingDribblings::NextRound()
{
    if (m_started >= m_tries)
        return nullptr;
    return new Dribbling(&m_tryResult);
}

void TrainingDribblings::RoundEntered()
{
    m_recorded = false;
    AdvanceRound(0.1f);
    ++m_started;
}

void TrainingDribblings::Judge()
{
    if (m_recorded || m_tryResult == Dribbling::kRunning || m_started < 1)
        return;
    const bool passed = m_tryResult == Dribbling::kPassed;
    if (passed)
        ++m_passed;
    PenaltyDisplayControl::Instance()->SetMark(0, m_started - 1, passed);
    m_recorded = true;
}

void TrainingDribblings::WinAtOnce()
{
    // The tries skipped count as passed; the next judgement records the last.
    const int firstUnmarked = m_recorded ? m_started : std::max(m_started - 1, 0);
    for (int attempt = firstUnmarked; attempt < m_tries - 1; ++attempt)
        PenaltyDisplayControl::Instance()->SetMark(0, attempt, true);
    m_passed = m_tries - 1;
    m_started = m_tries;
    m_tryResult = Dribbling::kPassed;
    m_recorded = false;
    EndRound();
}

bool TrainingDribblings::Perfect() const
{
    return m_passed == m_tries && m_started == m_tries && m_tryResult == Dribbling::kPassed;
}

int TrainingDribblings::Points() const
{
    return PointsFor(m_passed, m_tries, GameSettings::Instance()->dribblingTrainingPerfectBonus);
}

void TrainingDribblings::PublishResults(int points)
{
    PublishMemberValues("%training_player_subselect_", ChosenMember(TrainingSettings::Instance()->chosenIndex),
                        RaisedValues{0, points, 0});
}

REGISTER_TRAINING_DRILL(TrainingDrill::kDribbling, []() -> State* { return new TrainingDribblings(); });
