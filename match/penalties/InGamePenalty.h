#pragma once

#include "match/setpieces/SetPiece.h"

#include <cstdint>

// A penalty given for a foul in play: both sides lined up for it, then one penalty shot, the
// same the shoot-out takes, run inside it with the referee standing still at the centre. On
// leaving it reports a scored penalty as a goal by the taker, or plays the crowd's near miss.
class InGamePenalty : public SetPiece {
public:
    explicit InGamePenalty(bool attacking);
    ~InGamePenalty() override;

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;
    void Render() override;

    // Once the shot has an outcome.
    bool IsKickTaken() const override { return m_outcome != 0; }
    // The centre spot and no direction: the shot places ball, taker and keeper itself.
    void GetTakerPlacement(Vector3& spot, Vector3& direction) const override;
    // The last player of the kicking side.
    Character* GetTaker() const override;

    // 0 while undecided, 1 for a goal, anything else for a miss or a save.
    int32_t GetOutcome() const { return m_outcome; }
    // Null before Enter and after Exit.
    const State* GetShot() const { return m_shot; }

private:
    void HoldReferee(bool hold);

    // Owned through StateSlot.
    State* m_shot = nullptr;
    int32_t m_outcome = 0;
};
