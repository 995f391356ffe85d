#pragma once

#include "characters/Actor.h"
#include "characters/ActorState.h"
#include "simulation/BallToucher.h"

#include <cstdint>
#include <memory>
#include <string>

class CharacterBrain;
class CharacterRace;
class CharacterVariation;
class SoccerTeam;
class Statistic;
class Voice;

// One field player, goalkeeper or referee of a match: its variation and race (the data), its
// actor (the body) and its brain. It hears what its actor does and turns that into ball play,
// sounds and the match messages "did pass", "did shot", "actor collision", "penalty foul",
// "free kick foul", "goal kick" and "Snagged".
class Character : public ActorEventListener, public BallToucher {
public:
    enum Kind : int32_t { kFieldPlayer = 0, kGoalkeeper = 1, kReferee = 2 };

    // Sent with "actor collision": this character's actor, then the other.
    struct CollisionReport {
        Actor* own = nullptr;
        Actor* other = nullptr;
    };
    // Sent with "penalty foul" and "free kick foul".
    struct FoulRecord {
        Character* offender = nullptr;
        Character* fouled = nullptr;
        Vector3 spot;
    };

    // The team is borrowed and owns the character (null for the referee). A variation or race
    // that is not filed is logged and the member of the same kind that every game size has
    // stands in ("PandaPl00", "PandaGk00", "Referee"); without that either the program ends.
    Character(int32_t kind, const std::string& variationName, SoccerTeam* team);
    // The ball and the path checker forget the character.
    ~Character() override;

    Character(const Character&) = delete;
    Character& operator=(const Character&) = delete;

    // Think, then Act.
    virtual void Update(float dt);
    // The brain chooses this frame's command from what it sees; nothing moves.
    virtual void Think(float dt);
    // The body carries the command out: moves, plays its action, kicks.
    virtual void Act(float dt);
    virtual void Render();

    // Ball play. Directions are world headings (radians); targets and velocities are in the
    // world. Pass and Shoot send their message before the kick; KickBall does nothing unless
    // the actor holds the ball.
    void Pass(const Vector3& target, bool kick);
    void Shoot(float direction, float speedFactor, bool flat, bool kick, bool specialLoft);
    void KickBall(const Vector3& velocity, bool kick);
    // The velocity that lands the ball on the target; zero when the target lies straight
    // above or below the ball locator.
    Vector3 ComputeKickVelocity(const Vector3& target) const;
    void Header(float direction);
    // Towards the nearest free team-mate ahead, else along the fallback heading.
    void DeflectBall(float fallbackDirection);

    // A field player always, a keeper while it holds the ball, the referee never.
    bool CanBeSelected() const;
    // Whether a snag may take the ball from this character.
    bool CanBeSnagged(bool byKeeper) const;
    // Plays the race's sound n at (x, z); nothing for a race without sounds.
    void PlaySound(int32_t n, float x, float z) const;

    // ActorEventListener.
    void OnBallTouched(CarriedBall& ball, bool canHold, bool deflect) override;
    void OnActorCollision(Actor& other) override;
    void OnActionEvent(const CharacterActionEvent& event) override;
    void OnStrike(Actor& cause) override;
    std::string GetParticleName() const override;
    // The snag attempt at the moment of foot contact; nothing for a character without a team.
    void OnSnagged();

    // BallToucher.
    bool IsKeeper() const override { return m_kind == kGoalkeeper; }
    SoccerTeam* GetBallTeam() const override { return m_team; }
    bool IsOnFirstSide() const override;
    void LetGoOfBall() override;

    int32_t GetKind() const { return m_kind; }
    // The other side of the match, or null outside one.
    SoccerTeam* Opponents() const;
    SoccerTeam* GetTeam() const { return m_team; }
    // Never null after construction.
    Actor* GetActor() const { return m_actor.get(); }
    // Borrowed from their casts; never null after construction.
    CharacterVariation* GetVariation() const { return m_variation; }
    CharacterRace* GetRace() const { return m_race; }
    // Null for a kind other than the three.
    CharacterBrain* GetBrain() const { return m_brain.get(); }
    ActorCommand& GetCommand() { return m_command; }
    // The kick power its actor holds (0 to 1).
    float GetPower() const { return m_actor->kickPower; }

    // Set while the character is its team's selected member under human control.
    bool IsSelected() const { return m_selected; }
    void SetSelected(bool selected) { m_selected = selected; }
    // Set once the character has been shown a yellow card.
    bool IsBooked() const { return m_booked; }
    void SetBooked(bool booked) { m_booked = booked; }
    // Set between the referee's "Take Out Card" and "Put Away Card".
    bool IsCardShown() const { return m_cardShown; }
    float GetMatchRating() const { return m_matchRating; }
    void SetMatchRating(float rating) { m_matchRating = rating; }
    // The formation slot its team gave it.
    int32_t GetRoleIndex() const { return m_roleIndex; }
    void SetRoleIndex(int32_t role) { m_roleIndex = role; }
    // Who steers it: "ai" or a controller's prefix; kept by the brain.
    const std::string& GetControllerName() const;
    void SetControllerName(const std::string& name);
    // The last foul committed on this character.
    const FoulRecord& GetFoulRecord() const { return m_foul; }

private:
    // False when the variation or its race is not filed.
    bool SetVariation(const std::string& name);
    void PlaySoundAt(const char* name) const;
    void PlayShotSound() const;
    void OnBallLocator();
    Statistic& Shooting() const;
    float ShotSpeed() const;
    bool FoulInPenaltyArea() const;
    // "goal kick" for a keeper: once while he holds the ball, however many of his actions
    // announce the kick on the way to it.
    void AnnounceKeeperKick();

    CollisionReport m_collision;
    SoccerTeam* m_team;
    ActorCommand m_command;
    int32_t m_roleIndex = 0;
    int32_t m_kind;
    CharacterVariation* m_variation = nullptr;
    CharacterRace* m_race = nullptr;
    std::unique_ptr<Actor> m_actor;
    std::unique_ptr<CharacterBrain> m_brain;
    bool m_selected = false;
    FoulRecord m_foul;
    bool m_cardShown = false;
    bool m_booked = false;
    float m_matchRating = 0.0f;
    // Kept, not temporary: the character starts and stops its tired breathing.
    Voice* m_tiredVoice = nullptr;
    float m_deflectSoundTimer = 0.0f;
    float m_strikeSoundTimer = 0.0f;
    float m_tiredVoiceTimer = 0.0f;
    bool m_keeperKickAnnounced = false;
    std::string m_controllerName = "ai";
};
