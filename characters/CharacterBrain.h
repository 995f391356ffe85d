#pragma once

#include "framework/Vector.h"

#include <cstdint>
#include <string>

class Actor;
class Character;
class CharacterRace;
class SoccerTeam;
class Team;
struct ActorCommand;

// What team AI asks of one player. The point is in the world; the target is the receiver of
// a pass or the player to close down or tackle.
struct TeamOrder {
    enum Code : int32_t {
        kGoTo = 0,
        kPass = 1,
        kCollect = 2,  // the loose ball
        kCloseDown = 3,
        kDribble = 4,  // towards the point
        kShoot = 5,
        kTackle = 6,
        kKeeper = 7,  // the keeper's brain decides for itself
        kHeader = 8,
        kSpecial = 9,
    };

    int32_t code = kGoTo;
    Vector3 point;
    // Borrowed; null for none.
    Character* target = nullptr;
};

// Turns a human's controller or a team order into one field player's command each frame.
// Until the players think, ProcessInput and Think only honour the frozen mode: whoever
// drives the character writes its command.
class CharacterBrain {
public:
    enum RunMode : int32_t { kThink = 1, kHumanInput = 2 };
    // The brain's own match-flow mode: kFrozen only clears the command's input code.
    static constexpr int32_t kFrozen = 1;

    // All three are borrowed and outlive the brain; the team is the character's, read now.
    CharacterBrain(Actor* actor, Character* character, CharacterRace* race);
    virtual ~CharacterBrain() = default;

    CharacterBrain(const CharacterBrain&) = delete;
    CharacterBrain& operator=(const CharacterBrain&) = delete;

    // kThink: Think; kHumanInput: ProcessInput; any other mode, or the penalty flag raised,
    // clears the input code unless the command holds it. A shot being charged ends once the
    // actor has lost the ball.
    void Run(int32_t runMode, ActorCommand& command);

    // A person's controller, read under the brain's name, turned into the command.
    virtual void ProcessInput(ActorCommand& command);
    // The team's order carried out.
    virtual void Think(ActorCommand& command);

    // The middle of the goal the team attacks, on the ground; the pitch centre when the
    // posts are not filed.
    Vector3 GetGoalCentre() const;
    // From the ball to that goal centre, flat.
    Vector3 GetGoalDirection() const;
    // Whether the character's command points within a radian of the attacked end, seen from
    // the pitch centre; false without a character.
    bool IsFacingAttack() const;
    // From the actor to the order's point, in three dimensions; 0 without an actor.
    float GetDistanceToTargetPosition() const;
    // Within "Minimum AI move range" of the order's point, the limit included.
    bool IsAtTargetPosition() const;
    // Whether a loose ball in flight will pass within header reach at a height the race can
    // head; false while anybody holds the ball or it does not move across the pitch.
    bool CanReachHeader() const;
    // Whether the ball moves towards the actor across the pitch.
    bool IsBallApproaching() const;
    // The keeper's test: the other side does not hold the ball, or its holder is farther from
    // the actor than the ball is.
    bool CanComeOut() const;

    // "ai" for computer control, else the controller prefix ("(0):"); set by the team.
    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    TeamOrder& GetOrder() { return m_order; }
    const TeamOrder& GetOrder() const { return m_order; }
    int32_t GetMode() const { return m_mode; }
    void SetMode(int32_t mode) { m_mode = mode; }
    bool IsCharging() const { return m_charging != 0; }
    void SetCharging(bool charging) { m_charging = charging ? 1 : 0; }
    // Raised on the taker, the keeper and the referee while a penalty is taken: the brain
    // then gives no commands whatever its mode and hold.
    bool IsInPenalty() const { return m_penalty != 0; }
    void SetInPenalty(bool penalty) { m_penalty = penalty ? 1 : 0; }

    Character* GetCharacter() const { return m_character; }
    Actor* GetActor() const { return m_actor; }
    Team* GetTeam() const { return m_team; }
    CharacterRace* GetRace() const { return m_race; }

protected:
    // Clears the code unless the command holds it; the frozen brain's only answer.
    static void ClearInput(ActorCommand& command);

private:
    // False when the brain gives no command this frame: frozen (the code is then cleared) or
    // without a body, whose command is left to whoever drives the character.
    bool Steers(ActorCommand& command) const;
    // The other side of the match; null without a character or outside a match.
    SoccerTeam* Opponents() const;
    float ClearHeadingTo(const Vector3& point) const;
    void GoTo(ActorCommand& command, bool mayStay, int32_t code);
    void CloseDown(ActorCommand& command);
    void Tackle(ActorCommand& command);
    void Pass(ActorCommand& command);
    void PassNow(ActorCommand& command, const Actor& receiver, bool lofted);
    void Shoot(ActorCommand& command);
    void SpecialOrTackle(ActorCommand& command);
    void PassSnagOrSwitch(ActorCommand& command);
    void StartShotOrHeader(ActorCommand& command);
    int32_t SpecialCode() const;
    void PlayRaceSound(int32_t n) const;

private:
    std::string m_name;
    Character* m_character;
    Actor* m_actor;
    TeamOrder m_order;
    Team* m_team;
    int32_t m_mode = 0;
    CharacterRace* m_race;
    uint8_t m_charging = 0;
    uint8_t m_penalty = 0;
};
