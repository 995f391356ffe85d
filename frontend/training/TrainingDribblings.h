#pragma once

// The dribbling drill: the chosen member carries the ball from his own half past four
// defenders into the goal, try after try; each try passed is a point for his Speed.

#include "characters/Statistic.h"
#include "framework/Message.h"
#include "framework/State.h"
#include "framework/Vector.h"
#include "frontend/training/TrainingDrill.h"

#include <array>
#include <cstdint>
#include <vector>

class Actor;
class CharacterVariation;
class GameElement;
class SoccerTeam;
struct PitchPosition;
struct TeamOrder;

// One try on the pitch as loaded: the dribbler is player 0 of side 0, the defenders are the
// first four players of side 1. After its start delay the try waits for the player: it starts,
// with the whistle, when the dribbler leaves his spot (or a pass or shot decides it), and
// only then do the defenders leave theirs. It writes its outcome into the frame's int and
// ends 1.5 s after it is known.
class Dribbling : public State, public MessageListener {
public:
    enum Result : int32_t { kRunning = 0, kPassed = 1, kFailed = 2 };
    static constexpr int kDefenders = 4;
    static constexpr float kDelaySeconds = 1.5f;

    // result must outlive the try; it is set to kRunning now.
    explicit Dribbling(int32_t* result);
    // Exits a try its holder dropped without Exit, so the defenders get their Speed back.
    ~Dribbling() override;

    void Serialize(Serializer&, const char*) override {}
    void Enter() override;
    // Gives every defender back the Speed he had, level and current value; also when the
    // try is cut short.
    void Exit() override;
    State* Update(float dt) override;
    void Render() override;
    int OnMessage(int message, intptr_t param) override;

    // Defender i's order for the dribbler at that place on the defending side's pitch:
    // go for him (code 6) once he is within reach of the defender's line, else shadow him
    // across on that line (code 0, a point in the same side's pitch coordinates).
    static TeamOrder DefenderOrder(int defender, const PitchPosition& dribbler);
    // The defender's line along the pitch and where he starts, seen from his side.
    static PitchPosition DefenderSpot(int defender);
    // The length at or below which defender i attacks.
    static float AttackThreshold(int defender);

    // The start delay is over and the player has set off.
    bool HasStarted() const { return m_started; }
    bool IsDelaying() const { return m_delay != nullptr; }

private:
    void Place(Actor& actor, const PitchPosition& spot, bool firstSide) const;
    void TakeDefenderSpeeds();
    bool PlayerHasStarted() const;
    void SteerDefenders();
    // Fixes the outcome, plays its sound and starts the closing delay.
    void Decide(Result result);
    void StartDelay();

    int32_t* m_result;
    Actor* m_dribbler = nullptr;
    Vector3 m_startSpot;
    SoccerTeam* m_training = nullptr;
    SoccerTeam* m_defending = nullptr;
    // Whole Speeds, so that neither the level nor the current value is lost; the defenders
    // are story members and their records are the career's.
    std::array<CharacterVariation*, kDefenders> m_defenderRecords{};
    std::array<Statistic, kDefenders> m_savedSpeeds;
    State* m_delay = nullptr;
    bool m_started = false;
    bool m_entered = false;
    bool m_lostBallHandled = false;
};

// The frame of the dribbling drill: "Dribbling Training tries" tries, one HUD mark each.
class TrainingDribblings : public TrainingDrill {
public:
    TrainingDribblings();

    void Serialize(Serializer&, const char*) override {}

    static constexpr int kCones = 4;
    static constexpr const char* kConeModel = "<PP>Props\\cone.dff";

    // Points for that many passed tries of that many, the bonus added when all passed.
    static int PointsFor(int passed, int tries, int perfectBonus);
    // Where cone i stands, seen from the defending side: before each defender's line, to
    // either side of the dribbler's way in turn.
    static PitchPosition ConeSpot(int cone);

    int GetPassed() const { return m_passed; }
    int GetStarted() const { return m_started; }
    // The cones' models and collision cylinders while the drill runs; the game owns them.
    const std::vector<GameElement*>& GetCones() const { return m_cones; }

protected:
    void Begin() override;
    void End() override;
    State* NextRound() override;
    void RoundEntered() override;
    void Judge() override;
    void WinAtOnce() override;
    int Points() const override;
    bool Perfect() const override;
    void PublishResults(int points) override;

private:
    // Each cone a model and a collision cylinder for the ball and one for the players, made
    // through the game; none without a game.
    void PlaceCones();
    void RemoveCones();

    int m_tries;
    std::vector<GameElement*> m_cones;
    int32_t m_tryResult = Dribbling::kRunning;
    int m_passed = 0;
    int m_started = 0;
    bool m_recorded = false;
};
