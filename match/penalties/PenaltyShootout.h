#pragma once

#include "framework/State.h"

#include <cstdint>

// The shoot-out after a drawn match: the sides kick in turn, left first, five each and then
// sudden death, until one can no longer be caught; each kick is a PenaltyShot marked on the
// penalty display. The winner (1 left, 2 right) goes to the creator's int, and the state
// ends once the result screen "game_stat" is closed.
class PenaltyShootout : public State {
public:
    // The winner must outlive the state; it is set to 0 here. Null keeps it in the state.
    explicit PenaltyShootout(int32_t* winner);
    ~PenaltyShootout() override;

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;
    void Render() override;

    // 0 while open, 1 when the left side has won, 2 when the right side has, from the goals,
    // the pair and whose kick of it was the last.
    static int32_t IsDecided(int32_t pair, bool leftKicks, int32_t leftGoals, int32_t rightGoals);
    int32_t IsDecided() const { return IsDecided(m_pair, m_leftKicks, m_leftGoals, m_rightGoals); }

    // The taker's index in a side of the count (player 0 keeps goal) for the pair: the last
    // player first, then backwards, never the keeper.
    static int32_t TakerIndex(int32_t playerCount, int32_t pair);

    int32_t GetPair() const { return m_pair; }
    bool IsLeftKicking() const { return m_leftKicks; }
    int32_t GetLeftGoals() const { return m_leftGoals; }
    int32_t GetRightGoals() const { return m_rightGoals; }
    // Every player of both sides waits out of sight in "inactive", the referee in "refstand".
    static void ParkEveryone();

    // Null between kicks.
    const State* GetCurrentKick() const { return m_kick; }
    bool IsResultShown() const { return m_decidedShown; }

private:
    void StartKick();
    void FinishKick();
    void ShowResult();
    void PopCamera();

    int32_t m_ownWinner = 0;
    int32_t* m_winner;
    int32_t m_pair = 0;
    bool m_leftKicks = true;
    int32_t m_leftGoals = 0;
    int32_t m_rightGoals = 0;
    // Owned, each held in a slot (StateSlot) that exits and deletes it.
    State* m_kick = nullptr;
    int32_t m_kickResult = 0;
    State* m_fade = nullptr;
    State* m_resultScreen = nullptr;
    bool m_decidedShown = false;
    bool m_cameraPushed = false;
    // A kick was started and its end not yet counted.
    bool m_kickPending = false;
};
