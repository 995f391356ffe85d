#pragma once

// The passing drill: three members in a triangle pass the ball round against the clock; every
// three different receivers in a row make one cycle.

#include "framework/Message.h"
#include "framework/State.h"
#include "framework/Vector.h"
#include "frontend/training/TrainingDrill.h"

#include <array>
#include <cstdint>

class SoccerTeam;

// Who received the ball lately, and whether the last reception closed a cycle.
class PassCycle {
public:
    static constexpr int kPlayers = 3;
    static constexpr int kEmpty = -1;

    // The player (0-2) who now has the ball after another had it last; true when a cycle
    // is complete. A player who already had it last is not a reception: false, no change.
    bool Receive(int player);

    int GetLastHolder() const { return m_lastHolder; }
    const std::array<int, kPlayers>& GetRing() const { return m_ring; }

private:
    // Starts the ring afresh at the player who has the ball.
    void Restart(int holder, int before);

    std::array<int, kPlayers> m_ring = {kEmpty, kEmpty, kEmpty};
    int m_write = 0;
    int m_lastHolder = 0;
    int m_cycleStart = 0;
};

// One run of the drill on side 0 of the pitch: the clock stays stopped until the ball is
// released, a ball out or in a goal puts everybody back and mutes events for a second.
// Finishes (null) when the time is up or the target is reached.
class Passes : public State, public MessageListener {
public:
    static constexpr float kResetSeconds = 1.0f;
    // Start spots along and across the side's half of the pitch, player 0 first.
    static constexpr float kSpots[PassCycle::kPlayers][2] = {{-0.2f, 0.0f}, {0.25f, 0.35f}, {0.25f, -0.35f}};

    // The count is borrowed, set to 0 now and raised by each cycle.
    explicit Passes(int32_t* count);
    ~Passes() override;
    Passes(const Passes&) = delete;
    Passes& operator=(const Passes&) = delete;

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;
    void Render() override;
    int OnMessage(int message, intptr_t param) override;

    // The three players and the ball back on their spots, the ball at the last holder's.
    void ResetPositions();
    // One reception by whoever has the ball now (nothing when nobody new has it).
    void CountPass();
    // The target reached at once, with one second of the time left.
    void Win();

    bool IsReleased() const { return m_released; }
    bool IsTargetReached() const { return m_targetReached; }
    bool IsResetting() const { return m_resetDelay != nullptr; }
    // What the countdown shows now.
    int RemainingSeconds() const;
    const PassCycle& GetCycle() const { return m_cycle; }

private:
    int PlayerCount() const;
    int HolderIndex() const;
    void SteerControlToBall();
    void ShowCountdown() const;

    int32_t* m_count;
    SoccerTeam* m_team = nullptr;  // borrowed from the pitch
    bool m_released = false;
    bool m_resetPending = false;
    bool m_targetReached = false;
    State* m_resetDelay = nullptr;
    PassCycle m_cycle;
    Vector3 m_spots[PassCycle::kPlayers];
    float m_rate = 1.0f;  // the clock's rate, borrowed by the clock
};

// The frame of the passing drill; its points raise every chosen member's Energy.
class TrainingPasses : public TrainingDrill {
public:
    static const Look kLook;

    TrainingPasses();

    int32_t GetCount() const { return m_count; }
    // Perfect bonus when the target was reached, plus count / cycles per point truncated;
    // no points from cycles when the designer's cycles per point is not positive.
    static int PointsFor(int count);

protected:
    State* NextRound() override;
    void WinAtOnce() override;
    void End() override;
    int Points() const override { return PointsFor(m_count); }
    bool Perfect() const override;
    void PublishResults(int points) override;

private:
    int32_t m_count = 0;
    bool m_started = false;
};
