#pragma once

// One penalty kick in three phases over one shared context: the taker on the spot and the
// keeper on his line until the kick starts, the run-up that charges the power and collects
// the aim, then the ball's flight, the keeper's dive and the decision.

#include "characters/ActorState.h"
#include "framework/Message.h"
#include "framework/State.h"
#include "match/PitchDrawingState.h"
#include "match/penalties/PenaltyKick.h"

#include <cstdint>
#include <memory>
#include <string>

class Character;
class GameElement;

// Pushes the game's camera on the goal of that side; false (nothing to pop) without a game or
// when the cameras lack it.
bool PushPenaltyCamera(bool leftSide);

// What the three phases of one kick share.
struct PenaltyContext {
    // Outcomes written to the creator's int.
    enum Result : int32_t { kOpen = 0, kScored = 1, kMissed = 2 };

    // Borrowed; both outlive the kick.
    Character* taker = nullptr;
    Character* keeper = nullptr;
    // "ai" or a controller prefix such as "(0):".
    std::string takerController;
    std::string keeperController;
    // The left team kicks: the "Left..." pitch objects count.
    bool leftSide = true;
    // The creator's; it outlives the kick.
    int32_t* result = nullptr;
    // The correct save as the keeper's input record: only its code is set.
    ActorCommand saveInput;
    float readTime = 0.0f;
    bool buttonAChosen = false;
    float shotQuality = 0.0f;
    // Computer power errors may overshoot the optimum.
    bool bothWayError = false;
    // For the record: the save cell the kick is aimed at, and the one the keeper dived to
    // (0 until he has).
    int32_t aimCode = 0;
    int32_t diveCode = 0;

    bool IsTakerAi() const { return takerController == "ai"; }
    bool IsKeeperAi() const { return keeperController == "ai"; }
};

// One kick. While it runs the taker's and keeper's brains are held by their penalty flag,
// both are steered by the controllers given, the camera looks at the goal and a goal
// reported by the ball counts; Exit gives everything back.
class PenaltyShot : public IteratingState, public MessageListener {
public:
    // result must outlive the kick; the characters too.
    PenaltyShot(Character* taker, Character* keeper, const std::string& takerController,
                const std::string& keeperController, bool leftSide, int32_t* result, bool bothWayError);
    ~PenaltyShot() override;

    void Enter() override;
    void Exit() override;
    int OnMessage(int message, intptr_t param) override;

    const PenaltyContext& GetContext() const { return *m_context; }

private:
    explicit PenaltyShot(std::unique_ptr<PenaltyContext> context);

    struct Saved {
        std::string controller;
        bool selected = false;
        // The kick holds him to his heading; open play turns a field player gradually.
        uint8_t faceAtOnce = 0;
    };
    static void Take(Character* character, const std::string& controller, Saved& saved);
    static void GiveBack(Character* character, const Saved& saved);

    // By pointer: the phases keep its address.
    std::unique_ptr<PenaltyContext> m_context;
    Saved m_savedTaker;
    Saved m_savedKeeper;
    int m_goalMessage = 0;
    bool m_entered = false;
    bool m_cameraPushed = false;
};

// Each phase draws the match as it stands.

// Taker and keeper placed; ends when the computer's wait is over or a person presses a or b.
class PenaltyPreShot : public PitchDrawingState {
public:
    explicit PenaltyPreShot(PenaltyContext* context) : m_context(context) {}

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;

    // The level's keeper line or penalty spot of that side; null (logged once per name) when
    // the level has none.
    static GameElement* FindKeeperLine(bool leftSide);
    static GameElement* FindPenaltySpot(bool leftSide);
    // Where they stand: from the level's objects, else the goal-line point (+-50, 0, 0) or
    // the spot (+-39, 0, 0) of that side.
    static Vector3 KeeperPoint(bool leftSide);
    static Vector3 SpotPoint(bool leftSide);
    // The world heading in which the keeper of that side faces the pitch; the taker faces
    // the other way.
    static float KeeperHeading(bool leftSide);

private:
    PenaltyContext* m_context;
    float m_timer = 0.0f;
};

// The run-up: its time is the taker's "penaltyshot" action; leaving it kicks the ball.
class PenaltyRunUp : public PitchDrawingState {
public:
    explicit PenaltyRunUp(PenaltyContext* context) : m_context(context) {}

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;

    // The kick's velocity from the aim and the taker's skill; also stores the correct save
    // in the context. Draws from the game's random sequence for a computer taker.
    Vector3 ComputeShot();

    float GetAimX() const { return m_aimX; }
    float GetAimY() const { return m_aimY; }
    bool IsPowerRunning() const { return m_powerRunning; }

private:
    penalty::Aim ChooseAim();
    void ChargePower();

    PenaltyContext* m_context;
    float m_timer = 0.0f;
    bool m_powerRunning = true;
    float m_aimX = 0.0f;
    float m_aimY = 0.0f;
};

// The flight: the keeper dives, a goal comes by message, a kick without one is a miss.
class PenaltyMovement : public PitchDrawingState {
public:
    explicit PenaltyMovement(PenaltyContext* context) : m_context(context) {}

    void Enter() override;
    State* Update(float dt) override;

    bool HasDived() const { return m_dived; }
    float GetTimer() const { return m_timer; }

private:
    void DecideSave();
    void UpdateAiKeeper(float dt);
    void UpdateHumanKeeper();
    void Dive(int32_t code);

    PenaltyContext* m_context;
    float m_timer = 0.0f;
    bool m_dived = false;
    bool m_inputStarted = false;
    float m_inputWindow = 0.0f;
    float m_stickX = 0.0f;
    float m_stickY = 0.0f;
};
