#include "characters/Character.h"

#include "audio/SoundEngine.h"
#include "audio/Voice.h"
#include "characters/CharacterBrain.h"
#include "characters/CharacterRace.h"
#include "characters/CharacterVariation.h"
#include "characters/ControlledPlayerList.h"
#include "characters/KeeperBrain.h"
#include "characters/RefereeBrain.h"
#include "characters/Team.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/KinematicSolver.h"
#include "framework/MathUtil.h"
#include "framework/Message.h"
#include "scene/AnimatedClump.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "settings/MatchSettings.h"
#include "settings/PitchCoordinates.h"
#include "simulation/CarriedBall.h"
#include "simulation/Collidable.h"
#include "simulation/PathChecker.h"
#include "simulation/PitchVolume.h"
#include "simulation/Shape.h"

#include <cmath>

namespace {

constexpr float kSoundRepeatSeconds = 0.5f;
constexpr float kHalfTurn = 3.14159265f;
constexpr float kQuarterTurn = 1.5707963f;
// The foul spot's line: thin, as tall as the fouled player.
constexpr float kFoulLineRadius = 0.01f;
constexpr float kFoulTimeStep = 0.01f;
// Keeps a kicked ball clear of the kicker's cylinder.
constexpr float kKickClearance = 1.0f;
constexpr float kPercent = 100.0f;
// The members of each kind that every game size has.
const char* const kStandIns[] = {"PandaPl00", "PandaGk00", "Referee"};

Vector3 Unit(Vector3 v)
{
    v.Normalize();
    return v;
}

void Send(const char* message, const void* param)
{
    MessageServer* server = MessageServer::Instance();
    server->SendMessage(0, server->RegisterMessage(message), reinterpret_cast<intptr_t>(param));
}

// Plays the event at the point as a voice the engine discards; false when it does not exist.
Voice* PlayAt(const char* name, const Vector3& at)
{
    Voice* voice = SoundEngine::Instance()->Play(name, true);
    if (voice)
        voice->SetPosition(SoundPoint{static_cast<int>(at.x), static_cast<int>(at.z)});
    return voice;
}

// The strike comes as the header's ball locator runs out, by when the actor has fallen back on
// the ball point of no locator, at his feet: the ball is met where the locator ended, at the head.
Vector3 HeaderStrikePoint(const Actor& actor)
{
    const CharacterAction* action = actor.GetAction();
    const Locator* locator = action ? action->GetBallLocator() : nullptr;
    Vector3 end;
    // Asked only once the locator has run out: reading its end moves it there.
    if (locator && actor.GetActionTime() >= locator->GetDuration() && action->GetBallLocatorEnd(end))
        return actor.BallLocatorToWorld(end);
    return actor.GetBallLocatorPosition();
}

}  // namespace

Character::Character(int32_t kind, const std::string& variationName, SoccerTeam* team)
    : m_team(team), m_kind(kind)
{
    if (!SetVariation(variationName)) {
        LogError("Could not find character variation %s\n", variationName.c_str());
        const char* standIn = kStandIns[kind >= kFieldPlayer && kind <= kReferee ? kind : kFieldPlayer];
        if (!SetVariation(standIn))
            LogFatalError("Character::Character: no character variation %s to stand in for %s\n", standIn,
                          variationName.c_str());
    }
    const std::string directory = m_race->GetDirectory();
    const std::string shirts = directory + FileSystem::Instance()->GetAlias("<TP>") + "Shirt00\\";
    FileSystem* files = FileSystem::Instance();
    const std::string texturePath = files->ExpandAliases(m_variation->GetTexturePath() + ";" + shirts);
    const ActorStateNode& start = kind == kReferee ? ActorNodes::refstand : ActorNodes::stand;
    m_actor = std::make_unique<Actor>(texturePath, files->ExpandAliases(m_race->GetModelFile()), m_race, this, start,
                                      kind == kFieldPlayer);

    switch (kind) {
    case kFieldPlayer: m_brain = std::make_unique<CharacterBrain>(m_actor.get(), this, m_race); break;
    case kGoalkeeper: m_brain = std::make_unique<KeeperBrain>(m_actor.get(), this, m_race); break;
    case kReferee: m_brain = std::make_unique<RefereeBrain>(m_actor.get(), this, m_race); break;
    default: LogError("Incorrect character type passed into character constructor!\n"); break;
    }
    if (m_brain)
        m_brain->SetName(m_controllerName);
    PathChecker::Shared().AddObstacle(m_actor.get());
    m_command.SetCode(ActorInput::None);
    m_variation->energy.current = m_variation->energy.level;
    if (kind != kReferee)
        m_tiredVoice = m_race->CreateSound(static_cast<int32_t>(RaceSound::Exhausted));
}

Character::~Character()
{
    // The ball keeps its last toucher and reads it every frame.
    if (ActorSurroundings::ball)
        ActorSurroundings::ball->ForgetToucher(this);
    PathChecker::Shared().RemoveObstacle(m_actor.get());
    m_actor.reset();
    m_brain.reset();
    if (m_tiredVoice)
        SoundEngine::Instance()->DestroyVoice(m_tiredVoice);
}

bool Character::SetVariation(const std::string& name)
{
    m_variation = CharacterVariation::Find(name);
    m_race = m_variation ? m_variation->GetRace() : nullptr;
    return m_race != nullptr;
}

void Character::Update(float dt)
{
    Think(dt);
    Act(dt);
}

void Character::Think(float dt)
{
    for (float* timer : {&m_deflectSoundTimer, &m_strikeSoundTimer, &m_tiredVoiceTimer}) {
        if (*timer > 0.0f)
            *timer -= dt;
    }
    m_keeperKickAnnounced = m_keeperKickAnnounced && m_actor && m_actor->HasBall();
    if (m_brain)
        m_brain->Run(m_selected ? CharacterBrain::kHumanInput : CharacterBrain::kThink, m_command);
}

void Character::Act(float dt)
{
    const GameSettings& settings = *GameSettings::Instance();
    const float runSpeed =
        Math::Lerp(settings.worstRunningSpeed, settings.bestRunningSpeed, m_variation->speed.level / kPercent);
    m_actor->Update(dt, m_command, &m_variation->energy.current, runSpeed, m_race->GetRotationSpeed(),
                    m_race->GetHeadBoneIndex());
    if (!m_tiredVoice)
        return;
    const bool tired = m_variation->energy.current < settings.speedEnergyThreshold && m_selected;
    if (tired && m_tiredVoice->IsSamplePlaying()) {
        m_tiredVoiceTimer = kSoundRepeatSeconds;
    } else if (tired) {
        if (m_tiredVoiceTimer <= 0.0f) {
            m_tiredVoice->Release();
            m_tiredVoice->Start();
            m_tiredVoiceTimer = kSoundRepeatSeconds;
        }
    } else {
        if (m_tiredVoice->IsSamplePlaying())
            m_tiredVoice->Release();
        m_tiredVoiceTimer = kSoundRepeatSeconds;
    }
}

void Character::Render()
{
    static const std::vector<int32_t> kNone;
    m_actor->Render(m_cardShown ? kNone : m_variation->GetInvisibleAtomics());
    if (GameSettings::Instance()->displayCollisionData) {
        if (const auto* keeper = dynamic_cast<const KeeperBrain*>(m_brain.get()))
            keeper->DrawDebug();
    }
}

std::string Character::GetParticleName() const { return m_variation->GetDisplayName(); }

bool Character::IsOnFirstSide() const { return m_team && m_team->IsFirstSide(); }

void Character::LetGoOfBall() { m_actor->ReleaseBall(); }

const std::string& Character::GetControllerName() const { return m_brain ? m_brain->GetName() : m_controllerName; }

void Character::SetControllerName(const std::string& name)
{
    m_controllerName = name;
    if (m_brain)
        m_brain->SetName(name);
}

bool Character::CanBeSelected() const
{
    return m_kind == kFieldPlayer || (m_kind == kGoalkeeper && m_actor->HasBall());
}

bool Character::CanBeSnagged(bool byKeeper) const
{
    return m_actor->HasBall() && m_kind == kFieldPlayer && (!m_actor->IsInSpecialState() || byKeeper);
}

void Character::PlaySound(int32_t n, float x, float z) const { m_race->PlaySound(n, x, z); }

void Character::PlaySoundAt(const char* name) const
{
    if (Voice* voice = PlayAt(name, m_actor->GetPosition()))
        voice->Start();
}

SoccerTeam* Character::Opponents() const
{
    for (SoccerTeam* side : ActorSurroundings::sides) {
        if (side && side != m_team)
            return side;
    }
    return nullptr;
}

Statistic& Character::Shooting() const { return m_variation->shooting; }

float Character::ShotSpeed() const
{
    const MatchSettings& settings = *MatchSettings::Instance();
    return Math::Lerp(settings.minShotSpeed, settings.maxShotSpeed, Shooting().level / kPercent);
}

Vector3 Character::ComputeKickVelocity(const Vector3& target) const
{
    Vector3 d = target - (m_actor->GetPosition() + m_actor->GetBallLocatorPosition());
    const float height = d.y;
    d.y = 0.0f;
    const float distance = d.Length();
    // No flight time over no distance: no velocity reaches the target.
    if (distance <= 0.0f)
        return {};
    const float speed = ShotSpeed();
    KinematicSolver flight;
    flight.SetValue(KinematicSolver::Distance, distance);
    flight.SetValue(KinematicSolver::Acceleration, 0.0f);
    flight.SetValue(KinematicSolver::InitialSpeed, speed);
    flight.Solve();
    KinematicSolver climb;
    climb.SetValue(KinematicSolver::Distance, height);
    climb.SetValue(KinematicSolver::Acceleration, -LevelSettings::Instance()->gravity);
    climb.SetValue(KinematicSolver::Time, flight.GetValue(KinematicSolver::Time));
    climb.Solve();
    Vector3 velocity = Unit(d) * speed;
    velocity.y = climb.GetValue(KinematicSolver::InitialSpeed);
    return velocity;
}

void Character::Pass(const Vector3& target, bool kick)
{
    Vector3 velocity = ComputeKickVelocity(target);
    if (velocity.y <= 0.0f)
        velocity.y = 0.0f;
    if (velocity == Vector3{})
        velocity = WorldHeadingDirection(m_actor->GetHeading());
    const float limit = ShotSpeed() * MatchSettings::Instance()->passSpeedMultiplier;
    const float speed = velocity.Length();
    if (speed > 0.0f)
        velocity = Unit(velocity) * std::min(speed, limit);
    Send("did pass", this);
    KickBall(velocity, kick);
}

void Character::Shoot(float direction, float speedFactor, bool flat, bool kick, bool specialLoft)
{
    const MatchSettings& settings = *MatchSettings::Instance();
    const float loft = specialLoft ? settings.specialMoveShotLoft
                                   : Math::Lerp(settings.minShotLoftAngle, settings.maxShotLoftAngle,
                                                m_actor->kickPower);
    m_actor->kickPower = 0.0f;
    const float speed = ShotSpeed() * speedFactor;
    const Vector3 along = WorldHeadingDirection(direction);
    Vector3 velocity = along * speed;
    // Turning the flat kick by -loft about (up x kick) raises it by the loft.
    if (!flat)
        velocity = along * (speed * std::cos(loft)) + Vector3::UnitY * (speed * std::sin(loft));
    Send("did shot", nullptr);
    KickBall(velocity, kick);
}

void Character::KickBall(const Vector3& velocity, bool kick)
{
    CarriedBall* ball = m_actor->GetBall();
    if (!ball)
        return;
    m_actor->ReleaseBall();
    ball->ReleasePossession(kick ? 1 : 0);
    ball->SetBallVelocity(velocity);
    Vector3 placed = m_actor->GetPosition() +
                     Unit(velocity) * (ball->GetRadius() + m_actor->GetRadius() + kKickClearance);
    placed.y = ball->GetBallPosition().y;
    ball->SetBallPosition(placed);
    if (m_team)
        m_team->GetControlledPlayers().SelectByBallDirection(*this);
}

void Character::Header(float direction)
{
    CarriedBall* ball = ActorSurroundings::ball;
    if (!ball)
        return;
    const MatchSettings& settings = *MatchSettings::Instance();
    Vector3 d = ball->GetBallPosition() - (m_actor->GetPosition() + HeaderStrikePoint(*m_actor));
    const Vector3 flat{d.x, 0.0f, d.z};
    const bool anyHolds = (m_team && m_team->HasBall()) || (Opponents() && Opponents()->HasBall());
    if (d.y > settings.maxHeaderHeightError || flat.Length() > settings.maxHeaderStrikeDist ||
        !m_actor->IsFacing(ball->GetBallPosition(), settings.headerStrikeFov) || anyHolds)
        return;
    const float speed = Math::Lerp(settings.worstHeaderSpeed, settings.bestHeaderSpeed, Shooting().level / kPercent);
    const Vector3 velocity = WorldHeadingDirection(direction) * speed;
    if (!m_actor->HasBall() && ball->TakePossession(this))
        m_actor->TakeBall(ball);
    if (!m_actor->HasBall())
        return;
    m_actor->ReleaseBall();
    ball->SetBallVelocity(velocity);
    PlaySoundAt("pass");
}

void Character::DeflectBall(float fallbackDirection)
{
    CarriedBall* ball = ActorSurroundings::ball;
    if (!ball)
        return;
    const MatchSettings& settings = *MatchSettings::Instance();
    PathChecker checker;
    checker.SetMover(m_actor.get());
    const SoccerTeam* opponents = Opponents();
    for (int32_t i = 0; opponents && i < opponents->GetPlayerCount(); ++i)
        checker.AddObstacle(opponents->GetPlayer(i)->GetActor());
    const Actor* chosen = nullptr;
    float nearest = 0.0f;
    for (int32_t i = 0; m_team && i < m_team->GetPlayerCount(); ++i) {
        const Actor* mate = m_team->GetPlayer(i)->GetActor();
        const Vector3 path = mate->GetPosition() - m_actor->GetPosition();
        if (mate == m_actor.get() || !m_actor->IsFacing(mate->GetPosition(), settings.maxDeflectAngle) ||
            !checker.IsPathClear(path))
            continue;
        if (!chosen || path.LengthSquared() < nearest) {
            chosen = mate;
            nearest = path.LengthSquared();
        }
    }
    const float direction = chosen ? WorldHeadingOf(chosen->GetPosition() - m_actor->GetPosition()) : fallbackDirection;
    const float speed = Math::Lerp(settings.minDeflectSpeed, settings.maxDeflectSpeed,
                                   m_variation->GetAverageStatistic().level / kPercent);
    const Vector3 velocity = WorldHeadingDirection(direction) * std::cos(settings.loftDeflectAngle) +
                             Vector3::UnitY * std::sin(settings.loftDeflectAngle);
    ball->SetBallVelocity(velocity * speed);
}

void Character::OnBallTouched(CarriedBall& ball, bool canHold, bool deflect)
{
    if (m_kind == kGoalkeeper && !m_actor->IsFacing(ball.GetBallPosition(), kQuarterTurn))
        deflect = true;
    if (m_actor->HasBall() || m_kind == kReferee || !canHold)
        return;
    const BallToucher* last = ball.GetLastToucher();
    const bool received = last != this;
    if (!ball.TakePossession(this))
        return;
    if (deflect) {
        m_actor->TakeBall(&ball);
        m_actor->ReleaseBall();
        DeflectBall(WorldHeadingOf(ball.GetBallPosition() - m_actor->GetPosition()));
        if (m_deflectSoundTimer <= 0.0f) {
            PlaySoundAt("ballbounceoffkeeper");
            m_deflectSoundTimer = kSoundRepeatSeconds;
        }
        return;
    }
    if (received)
        PlaySoundAt("receivepass");
    m_actor->TakeBall(&ball);
    if (m_kind == kGoalkeeper && !m_actor->StateNameStartsWith("save"))
        AnnounceKeeperKick();
}

void Character::AnnounceKeeperKick()
{
    if (m_keeperKickAnnounced)
        return;
    m_keeperKickAnnounced = m_actor->HasBall();
    Send("goal kick", this);
}

void Character::OnActorCollision(Actor& other)
{
    m_collision = {m_actor.get(), &other};
    Send("actor collision", &m_collision);
}

void Character::OnStrike(Actor& cause)
{
    const Vector3 at = m_actor->GetPosition();
    if (m_strikeSoundTimer <= 0.0f) {
        PlaySoundAt("strike");
        PlaySound(static_cast<int32_t>(RaceSound::Fouled), at.x, at.z);
        m_strikeSoundTimer = kSoundRepeatSeconds;
    }
    SoccerTeam* opponents = Opponents();
    Character* offender = nullptr;
    for (int32_t i = 0; opponents && i < opponents->GetPlayerCount() && !offender; ++i)
        offender = opponents->GetPlayer(i)->GetActor() == &cause ? opponents->GetPlayer(i) : nullptr;
    if (!offender)
        return;
    m_foul = {offender, this, at};
    Send(FoulInPenaltyArea() ? "penalty foul" : "free kick foul", &m_foul);
}

bool Character::FoulInPenaltyArea() const
{
    const SoccerTeam* opponents = Opponents();
    const char* areaName = opponents && opponents->IsFirstSide() ? "objects|LeftPenaltyArea" : "objects|RightPenaltyArea";
    const auto* area = dynamic_cast<const Collidable*>(CastManager::Instance()->FindObject(areaName));
    if (!area)
        return false;
    CylindricalPitchVolume line;
    line.SetPosition(m_actor->GetPosition());
    line.GetCylinder().radius = kFoulLineRadius;
    line.GetCylinder().length = std::max(m_actor->GetHeight(), 0.0f);
    float time = 0.0f;
    return line.FindImpact(*area, kFoulTimeStep, time);
}

void Character::OnActionEvent(const CharacterActionEvent& event)
{
    switch (static_cast<ActionEventType>(event.type)) {
    case ActionEventType::EndBallLocator: OnBallLocator(); break;
    case ActionEventType::ContactFoot: OnSnagged(); break;
    case ActionEventType::WhistleShort:
    case ActionEventType::WhistleLong:
        if (m_kind == kReferee) {
            PlaySoundAt(event.type == static_cast<int32_t>(ActionEventType::WhistleShort) ? "whistle_short"
                                                                                        : "whistle_long");
            if (auto* referee = dynamic_cast<RefereeBrain*>(m_brain.get()))
                referee->EndWhistle();
        }
        break;
    case ActionEventType::TakeOutCard: m_cardShown = true; break;
    case ActionEventType::PutAwayCard: m_cardShown = false; break;
    case ActionEventType::TriggerGoalKick:
        if (m_kind == kGoalkeeper)
            AnnounceKeeperKick();
        break;
    default: break;
    }
}

void Character::PlayShotSound() const
{
    Voice* voice = PlayAt("shot", m_actor->GetPosition());
    if (!voice)
        return;
    const float volume = (m_actor->kickPower + 1.0f) * 0.5f;
    voice->SetVolume(volume);
    voice->Start();
    voice->SetVolume(volume);
}

void Character::OnBallLocator()
{
    const Actor& actor = *m_actor;
    const Vector3 at = actor.GetPosition();
    const auto throwInSound = [&] { PlaySound(static_cast<int32_t>(RaceSound::ThrowIn), at.x, at.z); };
    if (actor.StateNameIs("throwinpass")) {
        Pass(m_command.targetPosition, false);
        throwInSound();
    } else if (actor.StateNameIs("pass") || actor.StateNameIs("keeperkickpass")) {
        Pass(m_command.targetPosition, true);
        PlaySoundAt("pass");
    } else if (actor.StateNameIs("throwinshot")) {
        Shoot(m_command.direction, 1.0f, false, false, false);
        throwInSound();
    } else if (actor.StateNameIs("shoot") || actor.StateNameIs("keeperkickshot")) {
        PlayShotSound();
        Shoot(m_command.direction, 1.0f, false, true, false);
    } else if (actor.StateNameIs("snag")) {
        OnSnagged();
    } else if (actor.StateNameIs("header")) {
        Header(m_command.direction);
    } else if (actor.StateNameIs("special_panda") || actor.StateNameIs("specialend")) {
        m_actor->kickPower = 0.0f;
        Shoot(m_command.direction, 2.0f, actor.StateNameIs("special_panda"), true, true);
    }
}

void Character::OnSnagged()
{
    // The referee and anyone else without a side never takes the ball.
    SoccerTeam* opponents = m_team ? Opponents() : nullptr;
    Character* holder = opponents ? opponents->GetBallHolder() : nullptr;
    const bool keeper = m_kind == kGoalkeeper;
    if (!holder || !holder->CanBeSnagged(keeper))
        return;
    Actor& held = *holder->GetActor();
    if (held.IsInSpecialState())
        held.PlaceInState(held.GetPosition(), held.GetHeading(), new ActorState(ActorNodes::stand));
    const GameSettings& settings = *GameSettings::Instance();
    const float contact = keeper ? settings.keeperSnagContactDist : settings.snagContactDist;
    const float attacker = keeper ? settings.keeperSnagAttackerAngle : settings.snagAttackerAngle;
    const float defender = keeper ? settings.keeperSnagDefenderAngle : settings.snagDefenderAngle;
    const float toHolder = WorldHeadingOf(held.GetPosition() - m_actor->GetPosition());
    if (m_actor->DistanceTo(held) > contact ||
        std::fabs(Math::AngleDifference(toHolder, m_actor->GetHeading())) > attacker ||
        std::fabs(Math::AngleDifference(toHolder - kHalfTurn, held.GetHeading())) > defender)
        return;
    CarriedBall* ball = held.GetBall();
    held.ReleaseBall();
    ball->ReleasePossession(1);
    if (ball->TakePossession(this)) {
        m_actor->TakeBall(ball);
        Send("Snagged", this);
    }
    const Vector3 at = held.GetPosition();
    PlaySound(static_cast<int32_t>(RaceSound::Snagged), at.x, at.z);
}
