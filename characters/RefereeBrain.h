#pragma once

#include "characters/CharacterBrain.h"

#include <cstdint>

// The referee's brain: follows play a set distance short of the ball, blows the whistle when
// the match flow asks, and runs the card sequence (whistle, approach, show the card) to its
// end. Its distances and angles are the RefereeSettings singleton's.
class RefereeBrain : public CharacterBrain {
public:
    enum State : int32_t {
        kFollowing = 0,
        kShortWhistle,
        kLongWhistle,
        kCardWhistle,
        kCardApproach,
        kCardShow,
    };
    enum Movement : int32_t { kStand = 0, kWalk, kRun, kTurn };

    using CharacterBrain::CharacterBrain;

    // Starts a whistle only while following play; ignored during any other sequence.
    void Whistle(bool shortWhistle);
    // Ends a whistle sequence; a card sequence carries on.
    void EndWhistle();
    // Ends a running whistle, then starts the card sequence for the player, borrowed until
    // the sequence ends. A null player is reported and nothing starts.
    void AwardRedCard(Character* player);

    void ProcessInput(ActorCommand& command) override;
    void Think(ActorCommand& command) override;

    // The movement state that follows the current one for a target the distance away, with
    // the facing the angle off the direction to the ball.
    int32_t NextMovementState(float distance, float angle) const;
    // Where the referee heads while following play: short of the ball on the line from the
    // pitch's origin.
    static Vector3 TargetPoint(const Vector3& ball);

    int32_t GetState() const { return m_state; }
    int32_t GetMovementState() const { return m_movementState; }
    void SetMovementState(int32_t state) { m_movementState = state; }
    Character* GetRedCardPlayer() const { return m_redCardPlayer; }

private:
    void FollowPlay(ActorCommand& command);
    void UpdateRedCard(ActorCommand& command);
    int32_t StopOrTurn(float angle) const;

    int32_t m_state = kFollowing;
    int32_t m_movementState = kStand;
    Character* m_redCardPlayer = nullptr;
};
