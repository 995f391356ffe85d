#pragma once

#include "match/setpieces/SetPiece.h"

// The kick-off at the start of each period and after a goal: the ball on the centre spot,
// the attacking side's nearest player on it, the referee beside it blowing a short whistle,
// then a short pass to the nearest team-mate, made by a human's button or, after the set
// piece delay, by the computer. No fades.
class KickOff : public SetPiece {
public:
    // storyLeg: replays are recorded whatever the options say.
    explicit KickOff(bool attackingSide, bool storyLeg = false);
    ~KickOff() override;

    void Enter() override;
    void Exit() override;
    State* Update(float dt) override;

    // The centre spot, and the attacking side's direction of play.
    void GetTakerPlacement(Vector3& spot, Vector3& direction) const override;
    // The attacking player nearest the ball, chosen afresh on every call; null without one.
    Character* GetTaker() const override;

    // Null once the whistle has ended (and before Enter).
    const State* GetWhistle() const { return m_whistle; }
    float GetAIDelay() const { return m_aiDelay; }

private:
    void PlaceReceiver(Character* taker);
    void PlaceReferee(Character* taker);
    void FaceReceiver(Character* taker);
    void ReadHumanKick(Character* taker);
    // What a kick button does: the pass input towards the receiver, held.
    void PassAsPressed(Character* taker);
    void IssueComputerKick(Character* taker);

    // Owned through StateSlot.
    State* m_whistle = nullptr;
    bool m_kicked = false;
    float m_aiDelay = 0.0f;
    bool m_storyLeg;
};
