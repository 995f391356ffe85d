#include "input/InputController.h"

#include "engine/core/RwFrame.h"
#include "framework/Debug.h"
#include "framework/Matrix3.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "settings/PitchCoordinates.h"

#include <algorithm>

InputListener::~InputListener()
{
    if (BufferedInputController::Exists())
        BufferedInputController::Instance()->Forget(this);
}

InputMapper::~InputMapper()
{
    if (BufferedInputController::Exists())
        BufferedInputController::Instance()->Forget(this);
}

void InputController::Forget(const InputListener* listener)
{
    std::erase(m_listeners, listener);
}

void InputController::Forget(const InputMapper* mapper)
{
    std::erase(m_mappers, mapper);
}

InputController::InputController()
{
    m_listeners.reserve(5);
    m_mappers.reserve(5);
}

void InputController::Update(float dt)
{
    // A listener may unregister itself (or others) from OnInput, so walk a copy.
    const std::vector<InputListener*> listeners = m_listeners;
    for (auto it = listeners.rbegin(); it != listeners.rend(); ++it) {
        if (std::find(m_listeners.begin(), m_listeners.end(), *it) == m_listeners.end())
            continue;
        if (!(*it)->OnInput(dt))
            break;
    }
}

void InputController::RegisterInputListener(InputListener* listener)
{
    if (!listener)
        return;
    m_listeners.insert(m_listeners.begin(), listener);
}

void InputController::UnregisterInputListener(InputListener* listener)
{
    auto it = std::find(m_listeners.begin(), m_listeners.end(), listener);
    if (it == m_listeners.end()) {
        LogError("InputController::UnregisterInputListener: could not find listener\n");
        return;
    }
    m_listeners.erase(it);
}

void InputController::RegisterInputMapper(InputMapper* mapper)
{
    if (!mapper)
        return;
    m_mappers.push_back(mapper);
}

void InputController::UnregisterInputMapper(InputMapper* mapper)
{
    auto it = std::find(m_mappers.begin(), m_mappers.end(), mapper);
    if (it == m_mappers.end()) {
        LogError("InputController::UnregisterInputMapper: could not find Mapper\n");
        return;
    }
    m_mappers.erase(it);
}

float InputController::GetActionValue(const std::string& name)
{
    float result = 0.0f;
    for (auto it = m_mappers.rbegin(); it != m_mappers.rend(); ++it) {
        const float value = (*it)->GetValue(name);
        if (value != 0.0f && value != InputMapper::kUnknown)
            result = value;
    }
    return result;
}

float InputController::GetAction(const std::string& name, const int& mode, float*)
{
    return mode == kValue ? GetActionValue(name) : 0.0f;
}

bool BufferedInputController::Exit()
{
    InputController::Exit();
    m_actions.clear();
    return false;
}

void BufferedInputController::Update(float dt)
{
    InputController::Update(dt);
    for (Action& action : m_actions) {
        action.previous = action.current;
        action.current = GetActionValue(action.name);
        if (action.current != 0.0f)
            action.holdTime = action.previous != 0.0f ? action.holdTime + dt : 0.0f;
    }
}

float BufferedInputController::GetAction(const std::string& name, const int& mode, float* holdTime)
{
    if (mode == kValue)
        return GetActionValue(name);
    auto it = std::find_if(m_actions.begin(), m_actions.end(),
                           [&](const Action& action) { return action.name == name; });
    if (it == m_actions.end()) {
        m_actions.push_back(Action{name});
        return 0.0f;
    }
    if (holdTime)
        *holdTime = it->holdTime;
    if (mode == kPressEdge)
        return it->current != 0.0f && it->previous == 0.0f ? 1.0f : 0.0f;
    return it->previous != 0.0f && it->current == 0.0f ? 1.0f : 0.0f;
}

ControllerInput GetControllerInput(const std::string& prefix)
{
    BufferedInputController* controller = BufferedInputController::Instance();
    auto value = [&](const char* word) {
        return controller->GetAction(prefix + word, InputController::kValue);
    };
    ControllerInput input;
    input.x = value("right") - value("left");
    input.y = value("down") - value("up");
    for (int b = 0; b < 2; ++b) {
        const std::string name = prefix + (b == 0 ? "button a" : "button b");
        float hold = 0.0f;
        const bool pressed = controller->GetAction(name, InputController::kPressEdge, &hold) != 0.0f;
        const bool released = controller->GetAction(name, InputController::kReleaseEdge) != 0.0f;
        const bool held = controller->GetAction(name, InputController::kValue) != 0.0f;
        if (b == 0) {
            input.buttonAPressed = pressed;
            input.buttonAReleased = released;
            input.buttonAHeld = held;
            input.buttonAHoldTime = hold;
        } else {
            input.buttonBPressed = pressed;
            input.buttonBReleased = released;
            input.buttonBHeld = held;
            input.buttonBHoldTime = hold;
        }
    }
    return input;
}

void ControllerInput::ToCameraSpace()
{
    const Vector3 world = TransformByCameraHeading(Vector3{x, 0.0f, y});
    x = world.x;
    y = world.z;
}

float ControllerInput::GetStickHeading() const
{
    const Matrix3& pitchToWorld = PitchFrame::PitchToWorld();
    return PitchAngle::FromDirection(pitchToWorld.GetColumn(0) * x + pitchToWorld.GetColumn(2) * y).angle;
}

float ControllerInput::GetWorldHeading() const { return WorldHeadingOf({x, 0.0f, y}); }

Vector3 TransformByCameraHeading(const Vector3& v)
{
    // The stick is read every frame: warn when the heading is lost, not on every read.
    static bool s_warned = false;
    auto unturned = [&](const char* why) {
        if (!s_warned)
            LogWarning("TransformByCameraHeading: %s; the direction is left unturned\n", why);
        s_warned = true;
        return v;
    };

    PrimaryCamera* camera = RwGraphics::Exists() ? RwGraphics::Instance()->GetPrimaryCamera() : nullptr;
    RwFrame* frame = camera ? camera->GetFrame() : nullptr;
    if (!frame)
        return unturned("there is no primary camera");

    // This engine draws a camera's right axis toward the screen's left; the stick turns
    // by the axis that runs to the screen's right.
    const RwV3d& right = RwFrameGetLTM(frame)->right;
    Vector3 axis{-right.x, -right.y, -right.z};
    axis.Normalize();
    const Vector3 up{0.0f, 1.0f, 0.0f};
    const Vector3 ground = axis.Cross(up);
    const Vector3 lift = ground.Cross(axis);
    Matrix3 basis;
    basis.SetRow(0, axis);
    basis.SetRow(1, lift);
    basis.SetRow(2, ground);
    // The determinant is |ground|^2, so this also rejects a right axis within a hair of
    // up, whose heading would be rounding noise.
    Matrix3 toWorld;
    if (!basis.Inverse(toWorld, 1e-6f))
        return unturned("the camera's right axis is parallel to up");

    // A rolled camera shortens the derived axes and the inverse would stretch by that;
    // keep the turn a pure rotation.
    for (int c = 1; c < 3; ++c) {
        Vector3 column = toWorld.GetColumn(c);
        column.Normalize();
        toWorld.SetColumn(c, column);
    }
    s_warned = false;
    return toWorld.Transform(v);
}
