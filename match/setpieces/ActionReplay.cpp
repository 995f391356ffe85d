#include "match/setpieces/ActionReplay.h"

#include "framework/Color.h"
#include "framework/TimeInfo.h"
#include "input/InputController.h"
#include "match/PlayerHold.h"
#include "pitch/CameraStack.h"
#include "pitch/PitchSimulation.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "scene/ScreenDraw.h"
#include "simulation/Ball.h"
#include "simulation/ReplayEngine.h"
#include "text/TextDisplay.h"

#include <cmath>

namespace {

constexpr uint32_t kReplayMask = PitchSimulation::kUpdateAll & ~PitchSimulation::kUpdateClock;
constexpr float kBarShare = 0.125f;
constexpr float kMarkBlinksPerSecond = 3.0f;
constexpr float kMarkOffsetX = 0.0375f;
constexpr float kMarkOffsetY = 0.15f;

ReplayEngine& Recorder() { return *ReplayEngine::Instance(); }

// Edges, not values: a button still held from play must not skip the replay as it starts.
bool Pressed(const char* action)
{
    return BufferedInputController::Instance()->GetAction(action, InputController::kPressEdge) != 0.0f;
}

}  // namespace

ActionReplay::ActionReplay(bool leftGoal) : m_leftGoal(leftGoal) {}

const char* ActionReplay::GoalCameraName(bool leftGoal) { return leftGoal ? "Goal Left Middle" : "Goal Right Middle"; }

bool ActionReplay::IsMarkShown(float runningSeconds)
{
    return static_cast<int64_t>(runningSeconds * kMarkBlinksPerSecond) % 2 != 0;
}

void ActionReplay::Enter()
{
    if (!Recorder().IsEnabled())
        return;
    PlayerHold::HoldAll();
    if (Ball* ball = PitchSimulation::Instance()->GetBall())
        ball->SetVelocity(Vector3::Zero);
    StartShowing();
}

void ActionReplay::Exit()
{
    if (!Recorder().IsEnabled())
        return;
    Recorder().SetReplaying(false);
    PlayerHold::ReleaseAll();
    PopGoalCamera();
}

State* ActionReplay::Update(float dt)
{
    if (!Recorder().IsEnabled())
        return nullptr;
    PitchSimulation::Instance()->Update(dt, kReplayMask);
    if (!HandleInput())
        return nullptr;
    if (!Recorder().IsFinished())
        return this;
    if (--m_showingsLeft <= 0)
        return nullptr;
    StartShowing();
    PopGoalCamera();
    if (CameraStack* cameras = CameraStack::Current()) {
        const size_t depth = cameras->GetCameraStack().size();
        cameras->PushCamera(GoalCameraName(m_leftGoal));
        // An unknown name pushes nothing: popping then would take the player's own camera.
        m_goalCameraPushed = cameras->GetCameraStack().size() > depth;
    }
    return this;
}

State* ActionReplay::HandleInput()
{
    // Both are asked every frame so that each keeps its edge.
    const bool a = Pressed("(menu):button a");
    const bool b = Pressed("(menu):button b");
    if (a || b)
        return nullptr;
    if (Pressed("next camera"))
        PopGoalCamera();
    return this;
}

void ActionReplay::StartShowing() const
{
    Recorder().StartReplay(kLength);
    Recorder().SetSpeed(kSpeed);
}

void ActionReplay::PopGoalCamera()
{
    if (!m_goalCameraPushed)
        return;
    if (CameraStack* cameras = CameraStack::Current())
        cameras->PopCamera();
    m_goalCameraPushed = false;
}

void ActionReplay::Render()
{
    PitchDrawingState::Render();
    DrawOverlay();
}

void ActionReplay::DrawOverlay() const
{
    // The camera drawn into now: with a split screen that is one half, not the whole window.
    const Camera* camera = RwGraphics::Instance()->GetCamera();
    if (!camera)
        return;
    const float w = camera->GetWidth(), h = camera->GetHeight();
    const float bar = h * kBarShare;
    DrawFilledRect({0.0f, h - bar, w, bar}, Color::OpaqueBlack);
    DrawFilledRect({0.0f, 0.0f, w, bar}, Color::OpaqueBlack);

    TextDisplay& text = *TextDisplay::Instance();
    // The attribute stack keeps neither the area nor the alignment: they are put back by hand.
    const TextRect area = text.GetArea();
    const int32_t horizontal = text.GetHorizontalAlign(), vertical = text.GetVerticalAlign();
    text.PushAttributes();
    text.SetFont("menu");
    text.SetArea({0.0f, 0.0f, w, h});
    text.SetHorizontalAlign(kAlignLeft);
    text.SetVerticalAlign(kAlignTop);
    text.SetColor(Color::White);
    if (IsMarkShown(TimeInfo::Instance()->GetElapsedTime()))
        text.Print("<scale 2>R</scale>", w * kMarkOffsetX, h * kMarkOffsetY);
    text.PopAttributes();
    text.SetArea(area);
    text.SetHorizontalAlign(horizontal);
    text.SetVerticalAlign(vertical);
}
