#pragma once

#include "characters/Statistic.h"
#include "simulation/BallToucher.h"

#include <cstdint>
#include <memory>
#include <string>

class Actor;
class SoccerTeam;

// What the match shows of a character: its name and the three statistics.
struct CharacterStatistics {
    std::string name;
    Statistic energy;
    Statistic speed;
    Statistic shooting;
};

// One field player, goalkeeper or referee of a match. Until characters get their bodies and
// brains a character has no actor and does nothing when updated or drawn: the pitch, the ball
// and the HUD see its kind, team, statistics and selection.
class Character : public BallToucher {
public:
    enum Kind : int32_t { kFieldPlayer = 0, kGoalkeeper = 1, kReferee = 2 };

    // The team is borrowed and owns the character (null for the referee). The name names the
    // character's variation; it is also the name shown on the HUD.
    Character(int32_t kind, const std::string& variationName, SoccerTeam* team);
    // The pitch's ball (ActorSurroundings) forgets the character.
    ~Character() override;

    Character(const Character&) = delete;
    Character& operator=(const Character&) = delete;

    virtual void Update(float dt);
    virtual void Render();

    int32_t GetKind() const { return m_kind; }
    SoccerTeam* GetTeam() const { return m_team; }
    // Null while the character has no body on the pitch.
    Actor* GetActor() const { return m_actor.get(); }
    // The kick power its actor holds (0 to 1); 0 without an actor.
    float GetPower() const;

    // BallToucher.
    bool IsKeeper() const override { return m_kind == kGoalkeeper; }
    SoccerTeam* GetBallTeam() const override { return m_team; }
    bool IsOnFirstSide() const override;
    void LetGoOfBall() override;

    CharacterStatistics& GetStatistics() { return m_statistics; }
    const CharacterStatistics& GetStatistics() const { return m_statistics; }

    // Set while the character is its team's selected member under human control.
    bool IsSelected() const { return m_selected; }
    void SetSelected(bool selected) { m_selected = selected; }
    // Set once the character has been shown a yellow card.
    bool IsBooked() const { return m_booked; }
    void SetBooked(bool booked) { m_booked = booked; }
    // The formation slot its team gave it.
    int32_t GetRoleIndex() const { return m_roleIndex; }
    void SetRoleIndex(int32_t role) { m_roleIndex = role; }
    // Who steers it: "ai" or a controller's prefix; copied in by its team's selection list.
    const std::string& GetControllerName() const { return m_controllerName; }
    void SetControllerName(const std::string& name) { m_controllerName = name; }

private:
    int32_t m_kind;
    SoccerTeam* m_team;
    std::unique_ptr<Actor> m_actor;
    CharacterStatistics m_statistics;
    bool m_selected = false;
    bool m_booked = false;
    int32_t m_roleIndex = 0;
    std::string m_controllerName = "ai";
};
