#include "simulation/Ball.h"

#include "audio/SoundEngine.h"
#include "audio/Voice.h"
#include "engine/world/RpClump.h"
#include "framework/Cast.h"
#include "framework/FileSystem.h"
#include "input/InputController.h"
#include "scene/Clump.h"
#include "scene/GameElements.h"
#include "scene/ParticleSystem.h"
#include "scene/ProjectedShadow.h"
#include "settings/GameSettings.h"
#include "settings/LevelSettings.h"
#include "settings/PitchCoordinates.h"
#include "simulation/BallToucher.h"
#include "simulation/CollisionManager.h"
#include "simulation/ReplayEngine.h"
#include "simulation/ShapeCollision.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

const char* const kCharacterSet = "characters+ball";
const char* const kVolumeSet = "ball+pitchvolumes";
const char* const kTournamentModel = "<PP>Balls\\tournamentball.dff";
const char* const kRagModel = "<PP>Balls\\ragball.dff";
const char* const kTextures = "<PP>Balls\\";
constexpr int32_t kShadowSize = 128;
// The shadow fades from kShadowGroundAlpha on the ground to kShadowHighAlpha kShadowFadeHeight up.
constexpr float kShadowFadeHeight = 6.0f;
constexpr float kShadowHighAlpha = 0.2f;
constexpr float kShadowGroundAlpha = 0.5f;
// A bounce is heard from this vertical speed and is loudest kBounceLoudRange above it.
constexpr float kBounceQuietSpeed = 1.0f;
constexpr float kBounceLoudRange = 7.0f;
// Slower than this on the ground, a ball has stopped rolling.
constexpr float kStillSpeed = 0.05f;
// One deflection is heard, however many contacts it makes in this time.
constexpr float kDeflectQuiet = 0.5f;

int Message(const char* name) { return MessageServer::Instance()->RegisterMessage(name); }

int CastClearMessage()
{
    static const int message = Message("cast clear");
    return message;
}

const Plane* PlaneOf(const Collidable& collidable)
{
    const Shape* shape = collidable.GetShape();
    return shape && shape->GetType() == Shape::kPlane ? static_cast<const Plane*>(shape) : nullptr;
}

SoundPoint SoundPointAt(const Vector3& position)
{
    return SoundPoint{static_cast<int>(position.x), static_cast<int>(position.z)};
}

}  // namespace

Ball::Ball() : CopiedCollidable(std::make_unique<Sphere>(0.0f)), m_clump(std::make_unique<Clump>())
{
    m_sphere = static_cast<Sphere*>(GetShape());
    LoadModel(true);
    m_shadow = std::make_unique<ProjectedShadow>();
    m_shadow->CreateInLevelLight(kShadowSize);
    SetCollisionName("ball");
    CollisionManager::Instance()->GetCollisionSet(kCharacterSet)->Add(this, true);
    FitRadiusToModel();
    auto copySphere = std::make_unique<Sphere>(m_sphere->radius);
    m_copySphere = copySphere.get();
    auto copy = std::make_unique<CollisionDoppelGanger>(*this, std::move(copySphere));
    copy->SetCollisionName("ball");
    m_copy = copy.get();
    CollisionManager::Instance()->GetCollisionSet(kVolumeSet)->Add(m_copy, true);
    AddCopy(std::move(copy));
    m_listenerId = MessageServer::Instance()->RegisterListener(this);
}

Ball::~Ball()
{
    MessageServer::Instance()->UnregisterListener(this);
    // The manager may have gone first at shutdown.
    if (CollisionManager::Exists()) {
        CollisionManager* collisions = CollisionManager::Instance();
        if (CollisionSet* set = collisions->FindCollisionSet(kCharacterSet))
            set->Remove(this);
        if (CollisionSet* set = collisions->FindCollisionSet(kVolumeSet))
            set->Remove(m_copy);
    }
    RemoveCopy(m_copy).reset();
}

void Ball::LoadModel(bool tournament)
{
    FileSystem* files = FileSystem::Instance();
    if (m_shadow)
        m_shadow->DropWaitingCasters();
    m_clump->LoadClump(files->ExpandAliases(tournament ? kTournamentModel : kRagModel), files->ExpandAliases(kTextures),
                       true);
    m_tournament = tournament;
}

void Ball::FitRadiusToModel()
{
    std::vector<RpAtomic*> atomics;
    m_clump->GetAtomics(atomics);
    float radius = 0.0f;
    for (RpAtomic* atomic : atomics) {
        const RwSphere* bounds = RpAtomicGetBoundingSphere(atomic);
        const Vector3 centre(bounds->center.x, bounds->center.y, bounds->center.z);
        radius = std::max(radius, centre.Length() + bounds->radius);
    }
    m_sphere->radius = radius;
    if (m_copySphere)
        m_copySphere->radius = radius;
}

void Ball::SetTournamentBall(bool tournament)
{
    if (tournament == m_tournament)
        return;
    LoadModel(tournament);
    FitRadiusToModel();
}

float Ball::GetRadius() const { return m_sphere->radius; }

void Ball::SetVelocity(const Vector3& velocity)
{
    CopiedCollidable::SetVelocity(velocity);
    m_physicsVelocity = velocity;
}

void Ball::Integrate(Vector3& velocity, bool& rolling, float dt)
{
    const LevelSettings* level = LevelSettings::Instance();
    velocity.y -= dt * level->gravity;
    Vector3 unit = velocity;
    unit.Normalize();
    const float drag = dt * (rolling ? level->ballDecelOnGround : level->ballDecelInAir);
    if (velocity.LengthSquared() >= drag * drag)
        velocity -= unit * drag;
    else
        velocity = Vector3::Zero;
    rolling = false;
}

void Ball::BounceOffPlane(Vector3& velocity, bool& rolling, const Vector3& normal, bool allowRolling)
{
    const LevelSettings* level = LevelSettings::Instance();
    if (allowRolling && velocity.y < 0.0f && -velocity.y <= level->minBounceSpeed) {
        rolling = true;
        velocity.y = 0.0f;
    }
    const float s = velocity.Dot(normal);
    if (s < 0.0f)
        velocity -= normal * ((1.0f + level->ballRestitution) * s);
}

bool Ball::TakePossession(BallToucher* holder)
{
    if (m_held || !m_inPlay)
        return false;
    if (m_canBeHeld && holder) {
        m_held = true;
        m_lastToucher = holder;
        m_kickFlag = 1;
    }
    return true;
}

void Ball::ReleasePossession(int flag)
{
    m_held = false;
    m_kickFlag = static_cast<uint32_t>(flag);
}

const Ball::Goal* Ball::AwardGoal(SoccerTeam* team, BallToucher* scorer)
{
    m_goalRecord = Goal{team, scorer};
    m_kickFlag = 1;
    return &m_goalRecord;
}

void Ball::ForgetToucher(const BallToucher* toucher)
{
    if (!toucher)
        return;
    for (BallToucher** kept :
         {&m_lastToucher, &m_farRecord.lastToucher, &m_acrossRecord.lastToucher, &m_goalRecord.scorer})
        if (*kept == toucher)
            *kept = nullptr;
}

bool Ball::IsOnPitch() const
{
    const PitchPosition at = PitchPosition::FromWorld(GetPosition(), true);
    return std::abs(at.x) <= 1.0f && std::abs(at.z) <= 1.0f;
}

void Ball::UpdateSpin(float dt)
{
    Vector3 moved = GetVelocity() * dt;
    moved.y = 0.0f;
    const float distance = moved.Length();
    if (distance == 0.0f)
        return;
    Vector3 axis = Vector3::UnitY.Cross(moved);
    axis.Normalize();
    const float limit = LevelSettings::Instance()->maxBallSpin * dt;
    const float angle = m_sphere->radius > 0.0f ? std::min(distance / m_sphere->radius, limit) : limit;
    m_rotation = Quaternion(angle, axis) * m_rotation;
}

void Ball::Update(float dt)
{
    if (m_deflectTimer > 0.0f)
        m_deflectTimer -= dt;
    if (!m_held) {
        Integrate(m_physicsVelocity, m_rolling, dt);
        const GameSettings* game = GameSettings::Instance();
        if (game->ballDebugMode &&
            BufferedInputController::Instance()->GetAction("(0):button a", InputController::kValue) != 0.0f)
            m_physicsVelocity = Vector3(game->ballDebugVelocityX, game->ballDebugVelocityY, game->ballDebugVelocityZ);
        CopiedCollidable::SetVelocity(m_physicsVelocity);
    }
    UpdateSpin(dt);
    m_clump->SetPosition(GetPosition());
    m_clump->SetRotation(m_rotation);
    const bool trail = RecordOrReplay(TrailSwitch());
    m_clump->Update(dt);
    UpdateShadow();
    if (trail) {
        UpdateParticles(dt);
        m_trailStopping = true;
    }
    if (m_trailStopping && (m_held || IsAtRest()))
        m_trail = m_trailStopping = false;
}

bool Ball::IsAtRest() const
{
    if (m_physicsVelocity == Vector3::Zero)
        return true;
    // On the ground each step's gravity leaves a fall that the next bounce cancels, so the
    // velocity is never zero there: a ball that has stopped rolling counts as still.
    const Vector3& v = m_physicsVelocity;
    return GetPosition().y <= m_sphere->radius && v.x * v.x + v.z * v.z < kStillSpeed * kStillSpeed;
}

bool Ball::TrailSwitch()
{
    bool trail = m_trail && !m_held;
    if (m_lastToucher && m_lastToucher->IsKeeper()) {
        trail = false;
        m_trailStopping = true;
    }
    return trail && s_highQuality;
}

bool Ball::RecordOrReplay(bool trail)
{
    ReplayEngine* replay = ReplayEngine::Instance();
    if (!replay->IsEnabled())
        return trail;
    uint32_t word = trail ? 1u : 0u;
    if (!replay->IsReplaying()) {
        replay->Record(*m_clump, ReplayEngine::kBall, word);
        return trail;
    }
    replay->Apply(*m_clump, ReplayEngine::kBall, word);
    SetPosition(m_clump->GetPosition());
    m_rotation = m_clump->GetRotation();
    return word != 0;
}

void Ball::UpdateShadow()
{
    const float f = std::clamp(1.0f - GetPosition().y / kShadowFadeHeight, 0.0f, 1.0f);
    m_shadow->SetAlpha(f * (kShadowGroundAlpha - kShadowHighAlpha) + kShadowHighAlpha);
    if (RpClump* clump = m_clump->GetRwClump())
        m_shadow->SetCaster(clump, m_clump->GetPosition(), m_sphere->radius);
}

void Ball::UpdateParticles(float dt)
{
    if (m_particleRefresh) {
        m_particles = GeParticleSystem::FindIn(CastManager::Instance()->GetCast("objects"), "ball_particles");
        m_particleRefresh = false;
    }
    if (m_particles) {
        m_emissionSum += dt * m_particles->GetEmitterSpeed();
        while (m_emissionSum > 0.0f) {
            // Particles start relative to the ball.
            if (Particle* particle = m_particles->Emit())
                particle->SetPosition(particle->GetPosition() + GetPosition());
            m_emissionSum -= 1.0f;
        }
    }
    m_trail = true;
}

void Ball::Render()
{
    m_shadow->FollowLevelLight();
    m_shadow->Render();
    m_clump->Render();
}

int Ball::OnMessage(int message, intptr_t)
{
    if (message == CastClearMessage()) {
        m_particles = nullptr;
        m_particleRefresh = true;
    }
    return 0;
}

void Ball::OnCollision(const std::vector<Collidable*>& hits)
{
    for (Collidable* hit : hits) {
        const std::string& name = hit->GetCollisionName();
        if (name == "ground")
            HitGround(*hit);
        else if (name == "collideplane") {
            if (const Plane* plane = PlaneOf(*hit); plane && !m_held)
                Bounce(plane->normal, false);
        } else if (name == "collidecylinder")
            HitCylinder(*hit);
        else if (name == "collidecube")
            HitCube(*hit);
        else if (name == "leftgoalscorearea" || name == "rightgoalscorearea")
            HitGoalArea(name == "leftgoalscorearea");
        else if (name == "leftplane" || name == "rightplane")
            HitEndPlane(name == "leftplane");
        else if (name == "nearplane" || name == "farplane")
            HitSidePlane(name == "nearplane");
        else if (name == "world" && !m_held && !IsOnPitch()) {
            Vector3 normal = WorldContactNormal::normal;
            // A mean of unit normals: made unit again, or the bounce would be too soft.
            if (normal.Normalize() != 0.0f)
                Bounce(normal, false);
        }
    }
}

void Ball::Bounce(const Vector3& normal, bool allowRolling)
{
    BounceOffPlane(m_physicsVelocity, m_rolling, normal, allowRolling);
    CopiedCollidable::SetVelocity(m_physicsVelocity);
}

void Ball::HitGround(const Collidable& ground)
{
    const Plane* plane = PlaneOf(ground);
    if (!plane || m_held || !IsOnPitch())
        return;
    const float speed = std::abs(m_physicsVelocity.y);
    if (SoundsAllowed() && speed > kBounceQuietSpeed)
        // An undefined event gives no voice.
        if (Voice* voice = SoundEngine::Instance()->Play("ballbounce", true)) {
            voice->SetPosition(SoundPointAt(GetPosition()));
            voice->SetVolume(std::clamp((speed - kBounceQuietSpeed) / kBounceLoudRange, 0.0f, 1.0f));
            voice->Start();
        }
    Bounce(plane->normal, true);
    Vector3 resting = GetPosition();
    resting.y = m_sphere->radius;
    SetPosition(resting);
}

void Ball::HitCylinder(const Collidable& cylinder)
{
    if (m_held)
        return;
    Vector3 away = GetPosition() - cylinder.GetPosition();
    away.y = 0.0f;
    if (away.Normalize() != 0.0f)
        Bounce(away, false);
    PlayDeflect();
}

void Ball::HitCube(const Collidable& cube)
{
    const Shape* shape = cube.GetShape();
    if (m_held || !shape || shape->GetType() != Shape::kCube)
        return;
    const Vector3 r = GetPosition() - cube.GetPosition();
    const Vector3& s = static_cast<const AxisAlignedCube*>(shape)->size;
    const float distances[] = {-r.x, r.x - s.x, -r.y, r.y - s.y, -r.z, r.z - s.z};
    static const Vector3 kNormals[] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};
    int chosen = 0;
    for (int i = 0; i < 6; ++i)
        if (distances[i] >= 0.0f && (distances[chosen] < 0.0f || distances[i] < distances[chosen]))
            chosen = i;
    Bounce(kNormals[chosen], false);
    PlayDeflect();
}

void Ball::PlayDeflect()
{
    // The timer only keeps one deflection from sounding many times.
    if (!SoundsAllowed() || m_deflectTimer > 0.0f)
        return;
    if (Voice* voice = SoundEngine::Instance()->Play("deflect", true)) {
        voice->SetPosition(SoundPointAt(GetPosition()));
        voice->Start();
    }
    m_deflectTimer = kDeflectQuiet;
}

void Ball::HitGoalArea(bool left)
{
    if (!m_inPlay)
        return;
    BallToucher* toucher = m_lastToucher;
    if (!toucher)
        return;
    const bool ownGoal = toucher->IsOnFirstSide() == left;
    SoccerTeam* team = toucher->GetBallTeam();
    m_goalRecord = Goal{ownGoal ? OtherTeam(team) : team, toucher};
    static const int goalScored = Message("goal scored");
    MessageServer::Instance()->SendMessage(0, goalScored, reinterpret_cast<intptr_t>(&m_goalRecord));
    // A listener may have forgotten the toucher meanwhile.
    if (m_held && m_lastToucher)
        m_lastToucher->LetGoOfBall();
}

void Ball::HitEndPlane(bool left)
{
    if (!m_inPlay)
        return;
    m_farRecord = OutOfBoundsFar{left, PitchPosition::FromWorld(GetPosition(), left).z <= 0.0f, m_lastToucher};
    static const int outFar = Message("out of bounds far");
    MessageServer::Instance()->SendMessage(0, outFar, reinterpret_cast<intptr_t>(&m_farRecord));
}

void Ball::HitSidePlane(bool nearSide)
{
    if (!m_inPlay)
        return;
    m_acrossRecord = OutOfBoundsAcross{nearSide, GetPosition(), m_lastToucher};
    static const int outAcross = Message("out of bounds across");
    MessageServer::Instance()->SendMessage(0, outAcross, reinterpret_cast<intptr_t>(&m_acrossRecord));
}

bool Ball::SoundsAllowed()
{
    const ReplayEngine* replay = ReplayEngine::Instance();
    return replay->IsEnabled() && !replay->IsReplaying();
}

SoccerTeam* Ball::OtherTeam(const SoccerTeam* team) const
{
    if (team == m_teams[0])
        return m_teams[1];
    return team == m_teams[1] ? m_teams[0] : nullptr;
}
