#include "input/InputController.h"

#include "framework/Debug.h"
#include "framework/Matrix3.h"
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

float ControllerInput::GetStickHeading() const
{
    const Matrix3& pitchToWorld = PitchFrame::PitchToWorld();
    return PitchAngle::FromDirection(pitchToWorld.GetColumn(0) * x + pitchToWorld.GetColumn(2) * y).angle;
}

float ControllerInput::GetWorldHeading() const { return WorldHeadingOf({x, 0.0f, y}); }

