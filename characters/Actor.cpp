#include "characters/Actor.h"

#include "audio/SoundEngine.h"
#include "audio/Voice.h"
#include "characters/ActorClumpCache.h"
#include "engine/core/RwFrame.h"
#include "engine/core/RwMatrix.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/MathUtil.h"
#include "framework/Random.h"
#include "scene/AnimatedClump.h"
#include "scene/Camera.h"
#include "scene/GameElements.h"
#include "scene/ParticleSystem.h"
#include "scene/ProjectedShadow.h"
#include "scene/RwGraphics.h"
#include "settings/GameSettings.h"
#include "settings/PitchCoordinates.h"
#include "simulation/Ball.h"
#include "simulation/CollisionManager.h"
#include "simulation/PitchVolume.h"
#include "simulation/ReplayEngine.h"
#include "simulation/Shape.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const char* const kPreloadedActions[] = {
    "stand", "run", "startrun", "endrun", "slidetackle", "slidegetup", "fallover", "fallgetup", "header", "pass",
    "shoot", "jog", "snag", "stepleft", "stepright", "stepforth", "stepback", "savetopleft", "savetopcenter",
    "savetopright", "savemiddleleft", "savemiddlecenter", "savemiddleright", "savebottomleft", "savebottomcenter",
    "savebottomright", "standwithball", "inactive", "kickoff", "penaltywait", "penaltyshot", "throwinwait",
    "throwinpass", "throwinshot", "refstand", "refstandtowalk", "refstandtorun", "refwalk", "refwalktostand",
    "refwalktorun", "refrun", "refruntostand", "refruntowalk", "refwhistleshortstatic", "refwhistleshortmoving",
    "refwhistlelong", "refredcardpresent", "refredcardend", "standup", "stoodup", "sitdown", "satdown", "cheer",
    "dismay", "specialstart", "specialmove", "specialend", "special_panda", "cheer2", "idle", "keeperkickwait",
    "keeperkickpass", "keeperkickshot"};

const char* const kCharacterSet = "characters+ball";
const char* const kVolumeSet = "characters+pitchvolumes";
const char* const kPassHighAreas[] = {"objects|PassHighAreaLeftFar", "objects|PassHighAreaLeftNear",
                                      "objects|PassHighAreaRightFar", "objects|PassHighAreaRightNear"};
// How far ahead a pass-high area looks for the ball.
constexpr float kHighAreaLookAhead = 0.1f;
// A lofted pass aims this share of the receiver's height up.
constexpr float kLoftShare = 0.75f;
constexpr float kGroundWordScale = 64.0f;
constexpr float kGroundPerSpeed = 0.05f;
constexpr float kSlideGroundBoost = 20.0f;
constexpr int32_t kShadowSize = 128;
// The shadow's sphere about the clump, in cylinder radii; it reaches the top of the body too,
// or a low light's view of a standing player would cut off his head.
constexpr float kShadowRadii = 2.0f;

// The body-space vector turned to the heading: +z is forward at heading 0.
Vector3 ToWorld(const Vector3& v, float heading)
{
    const float c = std::cos(heading), s = std::sin(heading);
    return {v.x * c + v.z * s, v.y, -v.x * s + v.z * c};
}

float HeadingTo(const Vector3& from, const Vector3& to) { return WorldHeadingOf(to - from); }

float WrapHeading(float heading)
{
    while (heading < 0.0f)
        heading += 6.283185f;
    while (heading >= 6.283185f)
        heading -= 6.283185f;
    return heading;
}

Vector3 Flat(Vector3 v)
{
    v.y = 0.0f;
    return v;
}

float RandomIdleWait() { return Random::Unit() * 20.0f + 5.0f; }

int CastClearMessage()
{
    static const int message = MessageServer::Instance()->RegisterMessage("cast clear");
    return message;
}

}  // namespace

std::span<const char* const> Actor::ActionNames() { return kPreloadedActions; }

Actor::Actor(const std::string& path, const std::string& name, CharacterActionProvider* provider,
             ActorEventListener* listener, const ActorStateNode& startNode, bool fieldPlayer)
    : CopiedCollidable(std::make_unique<AxisAlignedCylinder>()), m_fieldPlayer(fieldPlayer), m_provider(provider)
{
    m_cylinder = static_cast<AxisAlignedCylinder*>(GetShape());
    SetCollisionName("character");
    ActorClumpCache* cache = ActorClumpCache::Instance();
    m_clump = cache->GetClump(path, name);
    m_textureDictionary = cache->GetTextureDictionary(m_clump);
    m_shadow = std::make_unique<ProjectedShadow>();
    m_shadow->CreateInLevelLight(kShadowSize);
    m_clump->SetAnimationControl(new AnimationControlForward(1.0f));
    // Play reads only the clump's root frame, which Update places.
    m_clump->SetPoseOnlyDrawn(true);
    for (const char* action : ActionNames()) {
        if (CharacterAction* found = m_provider ? m_provider->GetAction(action) : nullptr)
            found->GetAnimation().GetRtAnimation();
    }
    if (m_provider) {
        m_providerValueA = m_provider->GetActorValueA();
        m_providerValueB = m_provider->GetActorValueB();
    }
    auto copyShape = std::make_unique<AxisAlignedCylinder>();
    m_doppelCylinder = copyShape.get();
    auto copy = std::make_unique<CollisionDoppelGanger>(*this, std::move(copyShape));
    copy->SetCollisionName("character");
    m_doppelGanger = copy.get();
    AddCopy(std::move(copy));
    CollisionManager* collisions = CollisionManager::Instance();
    collisions->GetCollisionSet(kCharacterSet)->Add(this, true);
    collisions->GetCollisionSet(kVolumeSet)->Add(m_doppelGanger, true);
    PlaceInState(Vector3{}, 0.0f, new ActorState(startNode));
    m_listener = listener;
    m_idleTimer = RandomIdleWait();
    m_listenerId = MessageServer::Instance()->RegisterListener(this);
}

Actor::~Actor()
{
    MessageServer::Instance()->UnregisterListener(this);
    ReleaseBall();
    CollisionManager* collisions = CollisionManager::Instance();
    if (CollisionSet* set = collisions->FindCollisionSet(kCharacterSet))
        set->Remove(this);
    if (CollisionSet* set = collisions->FindCollisionSet(kVolumeSet))
        set->Remove(m_doppelGanger);
    RemoveCopy(m_doppelGanger).reset();
    ActorClumpCache::Instance()->DestroyClump(m_clump);
    if (m_state) {
        m_state->Exit();
        delete m_state;
    }
}

void Actor::ChangeState(ActorState* next)
{
    StateSlot::Set(&m_state, next, true);
}

void Actor::PlaceInState(Vector3 position, float heading, ActorState* state)
{
    ReleaseBall();
    position.y = 0.0f;
    SetPosition(position);
    SetHeading(heading);
    ChangeState(state);
    PlayAction(state->GetNode().name);
    SetVelocity(Vector3{});
}

void Actor::PlayAction(const std::string& name)
{
    CharacterAction* action = m_provider ? m_provider->GetAction(name) : nullptr;
    SetAction(action);
    if (!action) {
        SetCylinder(0.0f, 0.0f);
        return;
    }
    int index = 0;
    if (RtAnimAnimation* animation = action->GetAnimation().GetRtAnimation()) {
        if (m_clump->AddAnimation(animation, false, index)) {
            m_clump->SetAnimation(index, action->startBlendTime);
            m_clump->SetTime(0.0f);
        }
    }
    SetCylinder(action->boundRadius, action->boundHeight);
}

void Actor::SetCylinder(float radius, float height)
{
    for (AxisAlignedCylinder* cylinder : {m_cylinder, m_doppelCylinder}) {
        cylinder->radius = std::max(radius, 0.0f);
        cylinder->length = std::max(height, 0.0f);
    }
}

float Actor::GetRadius() const { return m_cylinder->radius; }
float Actor::GetHeight() const { return m_cylinder->length; }

const char* Actor::GetStateName() const { return GetState()->GetNode().name; }

bool Actor::StateNameIs(const char* name) const { return std::strcmp(GetStateName(), name) == 0; }

bool Actor::StateNameStartsWith(const char* prefix) const
{
    return std::strncmp(GetStateName(), prefix, std::strlen(prefix)) == 0;
}

bool Actor::IsInSpecialState() const { return StateNameStartsWith("special"); }

void Actor::SpendEnergy(float* energy, float amount) const
{
    if (energy && ActorSurroundings::clockRunning)
        *energy = std::max(*energy - amount, 0.0f);
}

void Actor::ApplyCommand(float dt, ActorCommand& command, float* energy)
{
    GetState()->SetCommand(command);
    const bool keepBall = GetState()->GetNode().keepsBall && HasBall();
    if (!StateSlot::Update(&m_state, dt))
        return;
    Vector3 position = GetPosition();
    position.y = 0.0f;
    SetPosition(position);
    if (keepBall) {
        ChangeState(new ActorState(ActorNodes::standwithball));
        if (m_listener)
            m_listener->OnActionEvent(CharacterActionEvent(static_cast<int32_t>(ActionEventType::TriggerGoalKick), -1.0f));
    }
    const ActorStateNode& node = GetState()->GetNode();
    PlayAction(node.name);
    if (CharacterAction* action = GetAction())
        SpendEnergy(energy, action->energyPerAction);
    command.hold = 0;
    command.strike = 0;
    using namespace ActorNodes;
    for (const ActorStateNode* striking : {&header, &pass, &throwinpass, &shoot, &throwinshot, &kickoff}) {
        if (&node == striking)
            command.strike = 1;
    }
    if (&node == &fallover)
        m_heading = command.direction;
}

void Actor::Update(float dt, ActorCommand& command, float* energy, float runSpeed, float rotationSpeed, int headBone)
{
    if (m_particleLookUp)
        FindParticleSystems();
    ApplyCommand(dt, command, energy);
    UpdateAction(dt);
    if (CharacterAction* action = GetAction())
        SpendEnergy(energy, dt * action->energyPerSecond);
    const float speed = GetMoveSpeed(energy ? *energy : 100.0f, runSpeed);
    SetSpeed(speed, 0.0f);
    UpdateIdle(dt);
    if (replaceRequested) {
        SetPosition(GetPosition());
        replaceRequested = false;
    }
    // The frame's movement already covers speed x dt: the velocity is per second.
    if (speed != 0.0f)
        SetVelocity(dt > 0.0f ? ToWorld(GetFrameMovement(), m_heading) / dt : Vector3{});
    if (GetPosition().y < 0.0f)
        SetPosition(Flat(GetPosition()));
    FollowTarget(command, dt);
    Turn(dt, command, speed, rotationSpeed);
    m_displayedHeading += Math::AngleDifference(m_heading, m_displayedHeading) * GameSettings::Instance()->charRotateControlVar;
    m_displayedHeading = WrapHeading(m_displayedHeading);
    PlaceClump(headBone);
    const float length = GetVelocity().Length();
    float ground = length * kGroundPerSpeed * (&GetState()->GetNode() == &ActorNodes::slidetackle ? kSlideGroundBoost : 1.0f);
    const auto groundWord = static_cast<uint32_t>(std::min(ground * kGroundWordScale, 65535.0f));
    m_particleWord = Ball::s_highQuality ? (groundWord << 16) | (IsInSpecialState() ? 1u : 0u) : 0u;
    RecordOrReplay();
    m_clump->Update(GetPlaybackRate() * dt);
    UpdateParticles(dt);
    if (HasBall())
        CarryBall(dt);
    if (Ball::s_highQuality)
        m_shadow->SetCaster(m_clump->GetRwClump(), m_clump->GetPosition(),
                            std::max(kShadowRadii * GetRadius(), GetHeight()));
}

void Actor::RecordOrReplay()
{
    ReplayEngine* replay = ReplayEngine::Instance();
    if (!replay->IsEnabled())
        return;
    if (replay->IsReplaying())
        replay->Apply(*m_clump, ReplayEngine::kCharacter, m_particleWord);
    else
        replay->Record(*m_clump, ReplayEngine::kCharacter, m_particleWord);
}

void Actor::UpdateIdle(float dt)
{
    if (&GetState()->GetNode() != &ActorNodes::inactive) {
        m_idleTimer = RandomIdleWait();
        return;
    }
    m_idleTimer -= dt;
    if (m_idleTimer < 0.0f) {
        m_idleTimer = (Random::Unit() + 1.0f) * 15.0f;
        PlayAction("idle");
    }
}

void Actor::FollowTarget(const ActorCommand& command, float dt)
{
    const auto* volume = dynamic_cast<const CylindricalPitchVolume*>(command.target);
    if (!volume || !(dt > 0.0f))
        return;
    // The velocity is per second: this frame's step lands on the circle.
    const Vector3 centre = volume->GetPosition();
    Vector3 away = Flat(GetPosition() + GetVelocity() * dt - centre);
    away.Normalize();
    SetVelocity(Flat(centre + away * volume->GetCylinder().radius - GetPosition()) / dt);
}

void Actor::Turn(float dt, const ActorCommand& command, float speed, float rotationSpeed)
{
    if (command.faceAtOnce) {
        m_heading = command.direction;
        return;
    }
    if (!GetState()->GetNode().steerable || !(speed > 0.0f) || m_heading == command.direction)
        return;
    const float limit = rotationSpeed * dt;
    m_heading = WrapHeading(m_heading + std::clamp(Math::AngleDifference(command.direction, m_heading), -limit, limit));
}

void Actor::PlaceClump(int headBone)
{
    m_rotation = Quaternion(m_displayedHeading, Vector3::UnitY);
    m_clump->SetRotation(m_rotation);
    Vector3 at = GetPosition() - GetCollisionLocatorPoint();
    at.y = std::max(at.y, 0.0f);
    m_clump->SetPosition(at);
    if (headBone < 0 || !ActorSurroundings::ball)
        return;
    const float toBall = HeadingTo(GetPosition(), ActorSurroundings::ball->GetBallPosition());
    m_clump->SetBoneRotation(headBone, Quaternion(Math::AngleDifference(toBall, m_heading), Vector3::UnitY));
}

void Actor::FindParticleSystems()
{
    const Cast* objects = CastManager::Instance()->GetCast("objects");
    const std::string name = "actor_particles_" + (m_listener ? m_listener->GetParticleName() : std::string());
    m_actorParticles = GeParticleSystem::FindIn(objects, name.c_str());
    m_groundParticles = GeParticleSystem::FindIn(objects, "ground_particles");
    m_particleLookUp = false;
}

void Actor::UpdateParticles(float dt)
{
    if (m_actorParticles && (m_particleWord & 1u))
        Emit(m_actorParticles, m_actorParticles->GetEmitterSpeed() * dt, true);
    if (m_groundParticles && m_clump->GetPosition().y == 0.0f)
        Emit(m_groundParticles, (m_particleWord >> 16) / kGroundWordScale * m_groundParticles->GetEmitterSpeed() * dt,
             false);
}

void Actor::Emit(ParticleSystem* system, float amount, bool atVertex)
{
    m_emission += amount;
    std::vector<RpAtomic*> atomics;
    if (atVertex)
        m_clump->GetAtomics(atomics);
    while (m_emission > 0.0f) {
        m_emission -= 1.0f;
        Particle* particle = system->Emit();
        if (!particle)
            continue;
        Vector3 at = m_clump->GetPosition();
        if (!atomics.empty()) {
            Vector3 normal;
            SampleAtomicVertices(atomics[static_cast<size_t>(Random::Below(static_cast<int>(atomics.size())))], &at,
                                 &normal, 1);
        }
        particle->SetPosition(at);
    }
}

float Actor::GetMoveSpeed(float energy, float baseSpeed) const
{
    const GameSettings* settings = GameSettings::Instance();
    float factor = 0.0f;
    if (energy < settings->speedEnergyThreshold)
        factor = Math::Lerp(settings->energyAffectSpeedPercent * 0.01f, 0.0f, energy / settings->speedEnergyThreshold);
    float speed = baseSpeed - factor * baseSpeed;
    const ActorStateNode& node = GetState()->GetNode();
    if (&node == &ActorNodes::jog)
        speed *= settings->runToJogMultiplier;
    else if (&node == &ActorNodes::run && HasBall())
        speed *= settings->runWithBallSpeedMultiplier;
    return speed;
}

void Actor::TakeBall(CarriedBall* ball)
{
    if (m_ball)
        LogError("Player already has possession of ball!\n");
    m_ball = ball;
}

void Actor::ReleaseBall()
{
    if (!m_ball)
        return;
    CarriedBall* ball = m_ball;
    m_ball = nullptr;
    ball->ReleasePossession(1);
}

Vector3 Actor::GetBallLocatorPosition() const { return BallLocatorToWorld(GetBallLocatorPoint()); }

Vector3 Actor::BallLocatorToWorld(const Vector3& point) const
{
    RwFrame* frame = m_clump->GetFrame();
    if (!frame)
        return ToWorld(point, m_displayedHeading);
    const RwV3d in{point.x, point.y, point.z};
    RwV3d out{};
    RwV3dTransformVectors(&out, &in, 1, RwFrameGetLTM(frame));
    return {out.x, out.y, out.z};
}

Vector3 Actor::GetCarryPoint() const
{
    return GetBallLocatorPosition() + GetPosition() - GetCollisionLocatorPoint();
}

void Actor::CarryBall(float dt)
{
    CarriedBall* ball = m_ball;
    const Vector3 target = GetCarryPoint();
    const Vector3 d = target - ball->GetBallPosition();
    const float length = d.Length();
    const Vector3 step = length == 0.0f ? Vector3{} : d / length * (length * GameSettings::Instance()->ballMoveControlVar);
    ball->SetBallVelocity(GetVelocity());
    ball->SetBallPosition(ball->GetBallPosition() + step);
    if (!GetState()->GetNode().canHoldBall) {
        ReleaseBall();
        return;
    }
    if (GetAction() && GetAction()->ballLocatorRotates)
        ball->SetBallRotation(m_rotation);
    if (IsInSpecialState() && Ball::s_highQuality)
        ball->UpdateParticles(dt);
}

float Actor::DistanceTo(const Actor& other) const
{
    return std::max((GetPosition() - other.GetPosition()).Length() - GetRadius() - other.GetRadius(), 0.0f);
}

bool Actor::IsFacing(const Vector3& point, float limit) const
{
    if ((point - GetPosition()).LengthSquared() == 0.0f)
        return true;
    return std::fabs(Math::AngleDifference(HeadingTo(GetPosition(), point), m_heading)) <= limit;
}

bool Actor::IsOnScreen(const Vector3& offset, float radius) const
{
    const Camera* camera = RwGraphics::Exists() ? RwGraphics::Instance()->GetPrimaryCamera() : nullptr;
    if (!camera || !camera->GetRwCamera())
        return true;
    const Vector3 at = GetPosition() + offset;
    const RwSphere sphere{{at.x, at.y, at.z}, radius};
    return RwCameraFrustumTestSphere(camera->GetRwCamera(), &sphere) != rwSphereOutside;
}

void Actor::PushBack(const Vector3& normal)
{
    const Vector3 velocity = GetVelocity();
    const float into = velocity.Dot(normal);
    if (into < 0.0f)
        SetVelocity(velocity - normal * into);
}

void Actor::OnCharacterContact(Actor& other)
{
    Vector3 away = Flat(GetPosition() - other.GetPosition());
    if (away.LengthSquared() == 0.0f)
        away = Vector3{1.0f, 0.0f, 0.0f};
    else
        away.Normalize();
    PushBack(away);
    const bool otherSpecial = other.IsInSpecialState();
    if (&other.GetState()->GetNode() != &ActorNodes::slidetackle && !otherSpecial)
        return;
    SetPosition(other.GetPosition() + away * (GetRadius() + other.GetRadius()));
    if (&GetState()->GetNode() != &ActorNodes::fallover)
        FallOver(other, !otherSpecial);
}

void Actor::FallOver(Actor& cause, bool checkFoul)
{
    if (!m_fieldPlayer)
        return;
    if (checkFoul) {
        // The holder faces the tackler: a fair challenge for the ball.
        const bool fromFront = HasBall() && IsFacing(cause.GetPosition(), GameSettings::Instance()->minFoulAngle);
        if (!fromFront && m_listener)
            m_listener->OnStrike(cause);
    }
    const float away = WrapHeading(HeadingTo(cause.GetPosition(), GetPosition()));
    PlaceInState(GetPosition(), away, new ActorState(ActorNodes::fallover));
}

void Actor::OnCollision(const std::vector<Collidable*>& hits)
{
    for (Collidable* hit : hits) {
        const std::string& name = hit->GetCollisionName();
        if (name == "ball") {
            auto* ball = dynamic_cast<CarriedBall*>(hit);
            if (ball && ballContact && inPlay && m_listener) {
                const bool deflects = GetAction() && GetAction()->HasEvent(static_cast<int32_t>(ActionEventType::Deflect));
                m_listener->OnBallTouched(*ball, GetState()->GetNode().canHoldBall, deflects);
            }
        } else if (name == "character") {
            auto* other = dynamic_cast<Actor*>(hit);
            // A player walking on or off the pitch passes through the others.
            if (other && inPlay && other->inPlay && !IsInSpecialState()) {
                OnCharacterContact(*other);
                if (m_listener)
                    m_listener->OnActorCollision(*other);
            }
        } else if (name == "collidecylinder" && pitchVolumeContact) {
            Vector3 away = Flat(GetPosition() - hit->GetPosition());
            if (away.Normalize() != 0.0f)
                PushBack(away);
        } else if (name == "collideplane" && pitchVolumeContact) {
            if (auto* plane = dynamic_cast<PlanarPitchVolume*>(hit))
                PushBack(plane->GetPlane().normal);
        }
    }
}

void Actor::OnActionEvent(const CharacterActionEvent& event)
{
    GetState()->MarkEvent(event.type);
    if (m_listener)
        m_listener->OnActionEvent(event);
    if (event.type == static_cast<int32_t>(ActionEventType::ContactFoot)) {
        if (Voice* voice = SoundEngine::Instance()->Play("run", true)) {
            voice->SetPosition(SoundPoint{static_cast<int>(GetPosition().x), static_cast<int>(GetPosition().z)});
            // Play leaves the voice unstarted, and the engine drops an unstarted one-shot.
            voice->Start();
        }
    } else if (event.type == static_cast<int32_t>(ActionEventType::EndAction) &&
               &GetState()->GetNode() == &ActorNodes::penaltyshot) {
        PlaceInState(GetPosition(), m_heading, new ActorState(ActorNodes::penaltywait));
    }
}

int Actor::OnMessage(int message, intptr_t)
{
    if (message == CastClearMessage()) {
        m_actorParticles = m_groundParticles = nullptr;
        m_particleLookUp = true;
    }
    return 0;
}

Actor* FindActorInDirection(const std::vector<Actor*>& team, const Vector3& from, float direction,
                            const Actor* excluded)
{
    const float fov = GameSettings::Instance()->passSnapFov;
    Actor* best = nullptr;
    float bestDistance = 0.0f;
    for (Actor* member : team) {
        if (!member || member == excluded)
            continue;
        if (std::fabs(Math::AngleDifference(HeadingTo(from, member->GetPosition()), direction)) > fov)
            continue;
        const float distance = (member->GetPosition() - from).Length();
        if (!best || distance < bestDistance) {
            best = member;
            bestDistance = distance;
        }
    }
    return best;
}

Actor* Actor::FindPassReceiver(float direction, const std::vector<Actor*>& team) const
{
    return FindActorInDirection(team, GetPosition(), direction, this);
}

Vector3 Actor::GetPassTarget(float direction, const std::vector<Actor*>& team, const std::vector<Actor*>& opponents,
                             bool allowLofted) const
{
    if (const Actor* receiver = FindPassReceiver(direction, team))
        return GetPassTargetPosition(*receiver, opponents, allowLofted);
    return GetPosition() + ToWorld(Vector3{0.0f, 0.0f, GameSettings::Instance()->passDefaultDist}, direction);
}

Vector3 Actor::GetPassTargetPosition(const Actor& receiver, const std::vector<Actor*>& opponents,
                                     bool allowLofted) const
{
    Vector3 target = receiver.GetPosition();
    if (allowLofted && NeedsHighPass(target, opponents))
        target.y += kLoftShare * receiver.GetHeight();
    return target;
}

bool Actor::NeedsHighPass(const Vector3& target, const std::vector<Actor*>& opponents) const
{
    if (IsBallInPassHighArea())
        return true;
    const Vector3 from = Flat(GetPosition());
    const Vector3 path = Flat(target) - from;
    const float length = path.Length();
    if (length > GameSettings::Instance()->maxShortPassDist)
        return true;
    if (length == 0.0f)
        return false;
    const float ballRadius = ActorSurroundings::ball ? ActorSurroundings::ball->GetRadius() : 0.0f;
    // A ground pass is blocked by any opponent whose cylinder meets the ball's straight path.
    for (const Actor* opponent : opponents) {
        const Vector3 offset = Flat(opponent->GetPosition()) - from;
        const float along = std::clamp(offset.Dot(path) / (length * length), 0.0f, 1.0f);
        if ((offset - path * along).Length() < opponent->GetRadius() + ballRadius)
            return true;
    }
    return false;
}

bool Actor::IsBallInPassHighArea() const
{
    if (!ActorSurroundings::ball)
        return false;
    const Collidable& ball = ActorSurroundings::ball->GetCollidable();
    for (const char* path : kPassHighAreas) {
        const auto* volume = dynamic_cast<const PitchVolume*>(CastManager::Instance()->FindObject(path));
        float time = 0.0f;
        if (volume && volume->FindImpact(ball, kHighAreaLookAhead, time))
            return true;
    }
    return false;
}
