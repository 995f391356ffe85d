#pragma once

#include "input/ConfigurableInputMapper.h"
#include "input/JoystickInput.h"
#include "input/KeyboardInput.h"
#include "input/MouseInput.h"
#include "input/PlatformInputDevices.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

// Answers from a table; names it does not hold are unknown.
struct TableMapper : InputMapper {
    bool Capture(const char*) override { return false; }
    bool Release(const char*) override { return false; }
    float GetValue(const std::string& name) override { return values.count(name) ? values[name] : kUnknown; }
    std::map<std::string, float> values;
};

// Every test starts and ends with fresh input singletons.
class InputTest : public ::testing::Test {
protected:
    void SetUp() override { InputTest::TearDown(); }
    void TearDown() override
    {
        PlatformInputDevices::DestroyInstance();
        BufferedInputController::DestroyInstance();
        KeyboardInput::DestroyInstance();
        MouseInput::DestroyInstance();
        DXInput::DestroyInstance();
    }

    static BufferedInputController* controller() { return BufferedInputController::Instance(); }
    static KeyboardInput* keyboard() { return KeyboardInput::Instance(); }
    // The tick's input updates.
    static void Frame(float dt = 0.02f)
    {
        keyboard()->Update(dt);
        MouseInput::Instance()->Update(dt);
        DXInput::Instance()->Update(dt);
        controller()->Update(dt);
    }
    static float Press(const std::string& a) { return controller()->GetAction(a, InputController::kPressEdge); }
    static float Release(const std::string& a) { return controller()->GetAction(a, InputController::kReleaseEdge); }
    static float Value(const std::string& a) { return controller()->GetAction(a, InputController::kValue); }
};
