#pragma once

#include "framework/Debug.h"
#include "input/ConfigurableInputMapper.h"
#include "input/InputController.h"
#include "input/JoystickInput.h"
#include "input/KeyboardInput.h"
#include "input/MouseInput.h"
#include "input/PlatformInputDevices.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace inputtest {

class LogCapture : public DebugSink {
public:
    LogCapture() { Debug::Instance()->SetSink(this); }
    ~LogCapture() override { Debug::Instance()->SetSink(nullptr); }
    void OnLog(const char* text) override { m_text += text; }
    bool Contains(const std::string& part) const { return m_text.find(part) != std::string::npos; }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// Answers from a table; names it does not hold are unknown.
class TableMapper : public InputMapper {
public:
    bool Capture(const char*) override { return false; }
    bool Release(const char*) override { return false; }
    float GetValue(const std::string& name) override
    {
        auto it = values.find(name);
        return it == values.end() ? kUnknown : it->second;
    }
    std::map<std::string, float> values;
};

inline void ResetInput()
{
    PlatformInputDevices::DestroyInstance();
    BufferedInputController::DestroyInstance();
    KeyboardInput::DestroyInstance();
    MouseInput::DestroyInstance();
    DXInput::DestroyInstance();
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { ResetInput(); }
    void TearDown() override { ResetInput(); }

    BufferedInputController* controller() { return BufferedInputController::Instance(); }
    KeyboardInput* keyboard() { return KeyboardInput::Instance(); }

    // One pass of the tick's input updates.
    void Frame(float dt = 0.02f)
    {
        KeyboardInput::Instance()->Update(dt);
        MouseInput::Instance()->Update(dt);
        DXInput::Instance()->Update(dt);
        BufferedInputController::Instance()->Update(dt);
    }

    float Press(const std::string& name) { return controller()->GetAction(name, InputController::kPressEdge); }
    float Release(const std::string& name) { return controller()->GetAction(name, InputController::kReleaseEdge); }
    float Value(const std::string& name) { return controller()->GetAction(name, InputController::kValue); }
};

}  // namespace inputtest
