#pragma once

#include "framework/Message.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"
#include "simulation/CarriedBall.h"
#include "simulation/Collidable.h"
#include "simulation/TrackedObject.h"

#include <cstdint>
#include <memory>
#include <vector>

class BallToucher;
class Clump;
class ParticleSystem;
class ProjectedShadow;
class SoccerTeam;
class Sphere;

// The match ball: a sphere that flies under the level's gravity, slows in the air and on the
// ground, bounces, rolls, spins with its motion, casts a shadow, trails particles after a hard
// kick, is held and released by players, and raises "goal scored", "out of bounds far" and
// "out of bounds across" when it meets the pitch volumes. It sits in "characters+ball" and,
// through a copy, in "ball+pitchvolumes".
class Ball : public CopiedCollidable, public TrackedObject, public MessageListener, public CarriedBall {
public:
    // Each event goes out with a pointer to its record inside the ball, valid only while the
    // message is delivered.
    struct OutOfBoundsFar {
        bool left = false;
        // The ball's across coordinate, seen from that end's side, is not positive.
        bool negativeSide = false;
        BallToucher* lastToucher = nullptr;
    };
    struct OutOfBoundsAcross {
        bool nearSide = false;
        Vector3 position;
        BallToucher* lastToucher = nullptr;
    };
    struct Goal {
        SoccerTeam* scoringTeam = nullptr;
        BallToucher* scorer = nullptr;
    };

    // Whether the game runs at a quality that shows trails, particles and shadows (the
    // "Quality" game parameter above 0); the quality option sets it as it is applied.
    static inline bool s_highQuality = true;

    // Loads the tournament ball, fits the sphere to it and joins the collision sets (made
    // when absent).
    Ball();
    // Leaves the collision sets.
    ~Ball() override;

    // Integrates, spins, places the model and its shadow, records or replays, trails.
    void Update(float dt);
    void Render();
    void OnCollision(const std::vector<Collidable*>& hits) override;
    int OnMessage(int message, intptr_t param) override;

    // One step of gravity and drag on the velocity; the rolling flag picks the ground's drag
    // and is cleared. Drag never reverses the velocity: it stops it.
    static void Integrate(Vector3& velocity, bool& rolling, float dt);
    // Reflects the velocity off a plane of the unit normal with the level's restitution.
    // With rolling allowed, a fall slower than the minimum bounce speed stops and sets the
    // rolling flag instead.
    static void BounceOffPlane(Vector3& velocity, bool& rolling, const Vector3& normal, bool allowRolling);

    // False, changing nothing, while the ball is held or out of play. Otherwise true; a holder (when the
    // ball can be held) then holds it, becomes the last toucher and the kick flag is set.
    bool TakePossession(BallToucher* holder) override;
    // The last toucher stays.
    void ReleasePossession(int flag) override;
    // The match's two sides, borrowed: a goal a side puts in its own net counts for the
    // other. The pitch lends them and clears them before they go.
    void SetTeams(SoccerTeam* first, SoccerTeam* second) { m_teams[0] = first; m_teams[1] = second; }
    // A toucher about to go away: the ball no longer refers to it (nor holds by it).
    void ForgetToucher(const BallToucher* toucher) override;
    // Reloads the model when the choice changes: tournament ball or rag ball.
    void SetTournamentBall(bool tournament);
    void UpdateParticles(float dt) override;
    // Both pitch coordinates of the first side within [-1, 1].
    bool IsOnPitch() const;

    // Sets both the collision velocity and the one gravity acts on.
    void SetVelocity(const Vector3& velocity) override;
    const Vector3& GetPosition() const override { return SimpleCollidable::GetPosition(); }
    const Quaternion& GetRotation() const override { return m_rotation; }
    void SetRotation(const Quaternion& rotation) { m_rotation = rotation; }
    const Vector3& GetPhysicsVelocity() const { return m_physicsVelocity; }
    bool IsRolling() const { return m_rolling; }
    // The collision sphere's radius: the model's bounding radius.
    float GetRadius() const override;

    bool IsHeld() const { return m_held; }
    bool CanBeHeld() const { return m_canBeHeld; }
    void SetCanBeHeld(bool can) { m_canBeHeld = can; }
    // Null before anyone took the ball or after the toucher was forgotten.
    BallToucher* GetLastToucher() const override { return m_lastToucher; }
    // Set on every take; the release decides it: whether the ball may score.
    uint32_t GetKickFlag() const { return m_kickFlag; }
    bool IsLegalForGoal() const { return m_kickFlag != 0; }
    // A goal given by the rules rather than seen crossing the line (a penalty decided by its
    // own shot): it becomes the ball's goal record, legal for goal. The record stays valid
    // until the ball's next goal, so listeners may read it after the giver is gone.
    const Goal* AwardGoal(SoccerTeam* team, BallToucher* scorer);
    // Cleared by the rules while players are sent on or off; true from construction. While
    // clear nobody can take the ball and it raises no goal or out-of-bounds message.
    bool IsInPlay() const { return m_inPlay; }
    void SetInPlay(bool inPlay) { m_inPlay = inPlay; }
    bool IsTournamentBall() const { return m_tournament; }
    bool IsTrailing() const { return m_trail; }
    float GetDeflectTimer() const { return m_deflectTimer; }

    // The model; null never, a stand-in when the file is missing.
    Clump* GetClump() const { return m_clump.get(); }
    const ProjectedShadow* GetShadow() const { return m_shadow.get(); }

    // CarriedBall.
    const Collidable& GetCollidable() const override { return *this; }
    Vector3 GetBallPosition() const override { return GetPosition(); }
    void SetBallPosition(const Vector3& position) override { SetPosition(position); }
    void SetBallVelocity(const Vector3& velocity) override { SetVelocity(velocity); }
    void SetBallRotation(const Quaternion& rotation) override { SetRotation(rotation); }

private:
    void LoadModel(bool tournament);
    void FitRadiusToModel();
    void UpdateSpin(float dt);
    void UpdateShadow();
    bool TrailSwitch();
    bool IsAtRest() const;
    void Bounce(const Vector3& normal, bool allowRolling);
    void HitGround(const Collidable& ground);
    void HitCylinder(const Collidable& cylinder);
    void HitCube(const Collidable& cube);
    void HitGoalArea(bool left);
    void HitEndPlane(bool left);
    void HitSidePlane(bool nearSide);
    void PlayDeflect();
    // Sounds are made while the play is live, not while it is replayed.
    static bool SoundsAllowed();
    // The other of the two sides; null for a team that is neither.
    SoccerTeam* OtherTeam(const SoccerTeam* team) const;
    // The trail switch, recorded, or as the replay shows it.
    bool RecordOrReplay(bool trail);

    int m_listenerId = 0;
    Quaternion m_rotation;
    Vector3 m_physicsVelocity;
    bool m_rolling = false;
    Sphere* m_sphere;
    CollisionDoppelGanger* m_copy = nullptr;
    Sphere* m_copySphere = nullptr;
    bool m_canBeHeld = true;
    bool m_held = false;
    BallToucher* m_lastToucher = nullptr;
    uint32_t m_kickFlag = 0;
    bool m_inPlay = true;
    std::unique_ptr<Clump> m_clump;
    std::unique_ptr<ProjectedShadow> m_shadow;
    OutOfBoundsFar m_farRecord;
    OutOfBoundsAcross m_acrossRecord;
    Goal m_goalRecord;
    ParticleSystem* m_particles = nullptr;
    bool m_particleRefresh = true;
    float m_emissionSum = 0.0f;
    bool m_tournament = true;
    bool m_trail = false;
    bool m_trailStopping = true;
    float m_deflectTimer = 0.0f;
    SoccerTeam* m_teams[2] = {nullptr, nullptr};
};
