#pragma once

#include "match/PitchDrawingState.h"

// The last seconds before a goal shown again at half speed between black bars with a
// blinking "R": once through the camera that was active, then once from behind the goal the
// ball went into. Either menu button skips it; "next camera" during the second showing goes
// back to the previous camera for the rest of it. The recorder must be ticked by the owner
// (the match period does so every frame); while it is disabled the state ends at once and
// changes nothing. The players are held and the match clock stands still throughout.
class ActionReplay : public PitchDrawingState {
public:
    static constexpr float kLength = 7.0f;
    static constexpr float kSpeed = 0.5f;
    static constexpr int kShowings = 2;

    // leftGoal: the ball went into the left goal ("Goal Left Middle" shows the second
    // showing), else into the right one ("Goal Right Middle").
    explicit ActionReplay(bool leftGoal);

    void Enter() override;
    void Exit() override;
    // Null once both showings are over, on a menu button, or while replays are disabled.
    State* Update(float dt) override;
    void Render() override;

    // Whether the "R" is drawn at this running time: on for a third of a second, then off.
    static bool IsMarkShown(float runningSeconds);
    static const char* GoalCameraName(bool leftGoal);

    int GetShowingsLeft() const { return m_showingsLeft; }
    bool IsGoalCameraPushed() const { return m_goalCameraPushed; }

private:
    // Null when a menu button asks to skip; else this.
    State* HandleInput();
    void StartShowing() const;
    void PopGoalCamera();
    void DrawOverlay() const;

    bool m_leftGoal;
    int m_showingsLeft = kShowings;
    bool m_goalCameraPushed = false;
};
