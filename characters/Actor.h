#pragma once

#include "characters/ActorState.h"
#include "characters/CharacterAction.h"
#include "framework/Message.h"
#include "simulation/Collidable.h"
#include "simulation/TrackedObject.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

class Actor;
class AnimatedClump;
class AxisAlignedCylinder;
class CarriedBall;
class ParticleSystem;
class ProjectedShadow;
class SoccerTeam;
struct RwTexDictionary;

// Whoever owns an actor and hears what happens to it: its character.
class ActorEventListener {
public:
    virtual ~ActorEventListener() = default;
    virtual void OnBallTouched(CarriedBall& ball, bool canHold, bool deflects) = 0;
    virtual void OnActorCollision(Actor& other) = 0;
    virtual void OnActionEvent(const CharacterActionEvent& event) = 0;
    // The actor was knocked over by the cause in a way the rules call a foul.
    virtual void OnStrike(Actor& cause) = 0;
    // The name the actor's particle system is kept under: its variation's display name.
    virtual std::string GetParticleName() const { return ""; }
};

// What the pitch lends its actors; the match set-up fills it. The ball is borrowed and must
// be cleared before it goes.
struct ActorSurroundings {
    static inline CarriedBall* ball = nullptr;
    // The match's two sides, borrowed like the ball; null outside a match.
    static inline SoccerTeam* sides[2] = {nullptr, nullptr};
    // Energy is spent only while the match clock runs: the pitch's update sets it.
    static inline bool clockRunning = false;
};

// The body of one character on the pitch: plays its state's action, moves and turns by its
// command, collides, carries the ball and tells its listener what happens.
class Actor : public CopiedCollidable, public CharacterActionPlayer, public TrackedObject, public MessageListener {
public:
    // The provider and listener are borrowed and must outlive the actor; the listener may be
    // null. The model is shared through the clump cache.
    Actor(const std::string& path, const std::string& name, CharacterActionProvider* provider,
          ActorEventListener* listener, const ActorStateNode& startNode, bool fieldPlayer);
    ~Actor() override;

    // The actions every actor preloads, in order: one per node of the graph.
    static std::span<const char* const> ActionNames();

    // energy: the current value of the energy statistic, lowered as the actor works; may be null.
    void Update(float dt, ActorCommand& command, float* energy, float runSpeed, float rotationSpeed,
                int headBone);
    void ApplyCommand(float dt, ActorCommand& command, float* energy);
    // Drops the ball, stands the actor on the ground (y = 0) at rest with the world heading
    // and enters the state, which the actor owns from here on.
    void PlaceInState(Vector3 position, float heading, ActorState* state);
    // An action the provider does not know leaves the actor with no action and a collision
    // cylinder of no size.
    void PlayAction(const std::string& name);

    // The node's name (never null) and tests on it; a state family shares a prefix ("save").
    const char* GetStateName() const;
    bool StateNameIs(const char* name) const;
    bool StateNameStartsWith(const char* prefix) const;
    bool IsInSpecialState() const;
    ActorState* GetState() const { return static_cast<ActorState*>(m_state); }

    // The carried ball is borrowed from the match; null when the actor has none.
    bool HasBall() const { return m_ball != nullptr; }
    CarriedBall* GetBall() const { return m_ball; }
    // Taking a second ball replaces the first (logged); the caller settles the possession.
    void TakeBall(CarriedBall* ball);
    // Also releases the ball's possession; nothing happens without a ball.
    void ReleaseBall();

    // Between the two cylinders' surfaces, never below 0.
    float DistanceTo(const Actor& other) const;
    // Whether the world heading to the point lies within the limit (radians) of the actor's;
    // true for a point at the actor's own position.
    bool IsFacing(const Vector3& point, float limit) const;
    // Whether a sphere at the position plus the offset is not outside the primary camera's
    // view; true without a camera, as nothing then hides the actor.
    bool IsOnScreen(const Vector3& offset, float radius = 1.0f) const;
    // Removes the part of the velocity that runs into the unit normal.
    void PushBack(const Vector3& normal);
    // The base speed less what low energy costs, scaled for jogging and for running with the ball.
    float GetMoveSpeed(float energy, float baseSpeed) const;
    // The ball locator's offset from the body's origin, turned into world axes.
    Vector3 GetBallLocatorPosition() const;
    // A point of the ball locator's space, turned as the body is drawn.
    Vector3 BallLocatorToWorld(const Vector3& point) const;
    // Draws the carried ball towards the carry point; a state that cannot hold the ball
    // releases it. Needs a ball (HasBall).
    void CarryBall(float dt);
    // Where a carried ball is drawn to: the ball locator on the body as it stands.
    Vector3 GetCarryPoint() const;
    // Pushes this actor clear; a slide tackle or special move by the other knocks it over.
    void OnCharacterContact(Actor& other);
    // Goalkeepers and referees never fall. With checkFoul, the listener hears of a strike
    // unless the actor held the ball facing the cause.
    void FallOver(Actor& cause, bool checkFoul);

    // Directions are world headings (radians). Null when no member lies within the pass cone.
    Actor* FindPassReceiver(float direction, const std::vector<Actor*>& team) const;
    // The receiver's target, or a point "Pass default dist" ahead along the direction.
    Vector3 GetPassTarget(float direction, const std::vector<Actor*>& team, const std::vector<Actor*>& opponents,
                          bool allowLofted) const;
    // The receiver's position, raised to three quarters of his height when a lofted pass is
    // allowed and needed.
    Vector3 GetPassTargetPosition(const Actor& receiver, const std::vector<Actor*>& opponents,
                                  bool allowLofted) const;
    // True when the ball is in a pass-high area, the target is beyond a short pass, or an
    // opponent stands across the ground path.
    bool NeedsHighPass(const Vector3& target, const std::vector<Actor*>& opponents) const;
    bool IsBallInPassHighArea() const;

    // False (logged) for an index out of range; nothing changes then.
    bool SetMaterialColor(int atomic, int material, const struct Color& color);
    // False when either image is missing; the clump's textures stay as they were.
    bool SetShirtTexture(const std::string& shirtPath, const std::string& numberPath, const struct Color& color,
                         bool mirror);
    // Shirt materials swapped by the last SetShirtTexture.
    int GetShirtMaterialCount() const { return m_shirtMaterials; }
    // The shadow (with effects on), the clump without the atomics of those indices, and with
    // "Display Collision Data?" on the collision cylinder and the ball locator as outlines.
    void Render(const std::vector<int>& hiddenAtomics = {});
    const ProjectedShadow* GetShadow() const { return m_shadow.get(); }

    void OnCollision(const std::vector<Collidable*>& hits) override;
    void OnActionEvent(const CharacterActionEvent& event) override;
    int OnMessage(int message, intptr_t param) override;
    const Vector3& GetPosition() const override { return SimpleCollidable::GetPosition(); }
    const Quaternion& GetRotation() const override { return m_rotation; }

    // Shared through the clump cache; never null.
    AnimatedClump* GetClump() const { return m_clump; }
    // World headings in radians: 0 faces +z. The displayed one lags while the body turns.
    float GetHeading() const { return m_heading; }
    void SetHeading(float heading) { m_heading = m_displayedHeading = heading; }
    float GetDisplayedHeading() const { return m_displayedHeading; }
    // The current action's collision cylinder, in world units.
    float GetRadius() const;
    float GetHeight() const;
    float GetIdleTimer() const { return m_idleTimer; }
    uint32_t GetParticleWord() const { return m_particleWord; }
    bool IsFieldPlayer() const { return m_fieldPlayer; }

    float kickPower = 0.0f;  // 0 to 1, the power bar
    bool pitchVolumeContact = true;
    bool ballContact = true;
    bool replaceRequested = false;
    // Cleared while the player walks on or off: he neither touches the ball nor bumps into anybody.
    bool inPlay = true;
    bool goalReaction = true;

private:
    void ChangeState(ActorState* next);
    void SetCylinder(float radius, float height);
    void FindParticleSystems();
    void Turn(float dt, const ActorCommand& command, float speed, float rotationSpeed);
    void FollowTarget(const ActorCommand& command, float dt);
    void PlaceClump(int headBone);
    // Records the clump and the particle word while the replay records; places them from the
    // recording while it plays back.
    void RecordOrReplay();
    void UpdateIdle(float dt);
    void UpdateParticles(float dt);
    void Emit(ParticleSystem* system, float amount, bool atVertex);
    void SpendEnergy(float* energy, float amount) const;
    void RenderCollisionData() const;

    AnimatedClump* m_clump = nullptr;
    std::unique_ptr<ProjectedShadow> m_shadow;
    RwTexDictionary* m_textureDictionary = nullptr;
    // Always an ActorState; held as a State for the state slot.
    State* m_state = nullptr;
    float m_heading = 0.0f;
    float m_displayedHeading = 0.0f;
    Quaternion m_rotation = Quaternion::Identity;
    CarriedBall* m_ball = nullptr;
    bool m_fieldPlayer;
    CharacterActionProvider* m_provider;
    ActorEventListener* m_listener = nullptr;
    AxisAlignedCylinder* m_cylinder;
    CollisionDoppelGanger* m_doppelGanger = nullptr;
    AxisAlignedCylinder* m_doppelCylinder = nullptr;
    bool m_particleLookUp = true;
    ParticleSystem* m_actorParticles = nullptr;
    ParticleSystem* m_groundParticles = nullptr;
    float m_emission = 0.0f;
    float m_idleTimer = 0.0f;
    uint32_t m_particleWord = 0;
    int32_t m_providerValueA = 0;
    int32_t m_providerValueB = 0;
    int m_listenerId = 0;
    int m_shirtMaterials = 0;
};

// The member of the team within "Pass snap FOV" of the direction from the point, nearest
// first (the first of equals); null when none. The excluded actor is never chosen.
Actor* FindActorInDirection(const std::vector<Actor*>& team, const Vector3& from, float direction,
                            const Actor* excluded);
