#pragma once

#include "framework/Singleton.h"
#include "input/PressFrames.h"
#include "platform/Handles.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// One poll of a game controller. Axes run -1000..1000; SDL's axes are taken in the
// device's own order X, Y, Z, Rx, Ry, Rz, then the sliders (throttle, rudder).
struct JoystickState {
    static constexpr int kButtons = 128;
    static constexpr int kSliders = 2;

    int32_t x = 0, y = 0, z = 0;
    int32_t rx = 0, ry = 0, rz = 0;
    int32_t slider[kSliders] = {};
    uint8_t buttons[kButtons] = {};
};

class JoystickInput {
public:
    JoystickInput() = default;
    ~JoystickInput();
    JoystickInput(const JoystickInput&) = delete;
    JoystickInput& operator=(const JoystickInput&) = delete;

    // Opens the SDL joystick of that device index; false (logged) when it cannot.
    bool Init(int deviceIndex);
    // Opened once and unplugged since: Poll reads zero until TakeBack.
    bool IsLost() const;
    // The unplugged device's place taken by the device of that index, plugged in again (or
    // another in its stead); false (logged) when it cannot be opened.
    bool TakeBack(int deviceIndex);
    // Whether the device of that index is of the same make as the one opened last.
    bool IsSameKind(int deviceIndex) const;
    // Previous state := current; current := the device now, or all zero (false) when the
    // device is gone or was never opened. Every press the events reported reaches a poll as
    // down (PressFrames), also one let go again before it.
    bool Poll();
    // A button-down the events reported; kept for the next poll. Other buttons are ignored.
    void NoteButtonDown(int button);
    // The SDL instance id while the device is open, else -1.
    int GetInstanceId() const;

    // Buttons 0..31; false for any other.
    bool IsButtonDown(int button) const;
    bool WasButtonPressed(int button) const;
    // Bit i for button i, buttons 0..31.
    uint32_t GetButtonMask() const;
    uint32_t GetPressedMask() const;

    // Axes scaled to -1..1.
    float GetX() const { return m_current.x * 0.001f; }
    float GetY() const { return m_current.y * 0.001f; }
    float GetRz() const { return m_current.rz * 0.001f; }
    float GetSlider() const { return m_current.slider[0] * 0.001f; }

    const JoystickState& GetState() const { return m_current; }
    // Never null: empty when the device is not open.
    const char* GetName() const;

private:
    platform::Joystick* m_joystick = nullptr;
    // The make of the device opened last, as SDL names it: kept to know it again when it
    // comes back.
    std::array<uint8_t, 16> m_kind = {};
    JoystickState m_current;
    JoystickState m_previous;
    PressFrames<JoystickState::kButtons> m_buttons;
};

// The game controllers present at start-up, polled once per frame. One unplugged keeps its
// number and reads zero; plugged in again (or another in its place) it answers again under
// that number. Controllers plugged in beyond those are not seen.
class DXInput : public Singleton<DXInput> {
public:
    ~DXInput() override;

    // Opens every joystick SDL knows of; false (logged) when joystick support cannot start.
    bool Init();
    void Update(float dt);
    // Hands a button-down event to the joystick with that instance id, for its next poll.
    void NoteButtonDown(int instanceId, int button);
    bool Exit();

    int GetJoystickCount() const { return static_cast<int>(m_joysticks.size()); }
    // Null outside 0..count-1; valid until the next Init or Exit.
    JoystickInput* GetJoystick(int index) const;

private:
    // Each device plugged in that no joystick holds goes to a lost joystick, one of its own
    // kind first.
    void TakeBackLost();

    std::vector<std::unique_ptr<JoystickInput>> m_joysticks;
    bool m_ownsSubsystem = false;  // Init started SDL's joystick support itself
};
