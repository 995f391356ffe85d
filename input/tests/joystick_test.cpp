// A virtual SDL joystick with eight axes (X, Y, Z, Rx, Ry, Rz, two sliders) and 16 buttons,
// opened by DXInput as device 1.
#include "support/InputTest.h"

#include <SDL.h>

namespace {

class VirtualJoystickTest : public InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        m_index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 8, 16, 0);
        ASSERT_GE(m_index, 0) << SDL_GetError();
        ASSERT_TRUE(DXInput::Instance()->Init());
        ASSERT_TRUE(DXInput::Instance()->Init()) << "a second start lists the joystick once";
        m_stick = SDL_JoystickOpen(m_index);  // the same device, opened again to move it
        m_pad = PlatformInputDevices::Instance()->GetInputMapper(1);
        ASSERT_NE(m_pad, nullptr);
        controller()->RegisterInputMapper(m_pad);
    }
    void TearDown() override
    {
        SDL_JoystickClose(m_stick);
        InputTest::TearDown();  // closes DXInput's handle
        if (m_index >= 0)
            SDL_JoystickDetachVirtual(m_index);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    void Set(int axis, float value) { SDL_JoystickSetVirtualAxis(m_stick, axis, static_cast<Sint16>(value * 32767)); }
    void Button(int button, bool down) { SDL_JoystickSetVirtualButton(m_stick, button, down); }

    int m_index = -1;
    SDL_Joystick* m_stick = nullptr;
    ConfigurableInputMapper* m_pad = nullptr;
};

TEST_F(VirtualJoystickTest, DevicesAreNumberedKeyboardFirstAndKeepTheirNumbers)
{
    PlatformInputDevices* devices = PlatformInputDevices::Instance();
    EXPECT_EQ(devices->GetNumDevices(), 2);
    EXPECT_NE(dynamic_cast<ConfigurableKeyboardInputMapper*>(devices->GetInputMapper(0)), nullptr);
    EXPECT_EQ(dynamic_cast<ConfigurableJoystickInputMapper*>(m_pad)->GetJoystickIndex(), 0);
    EXPECT_EQ(devices->GetInputMapper(1), m_pad) << "made once";
    EXPECT_EQ(devices->GetInputMapper(2), nullptr);
    EXPECT_EQ(devices->GetInputMapper(-1), nullptr);
    EXPECT_EQ(DXInput::Instance()->GetJoystick(1), nullptr);

    // Unplugged, it reads zero and the numbers do not shift.
    Button(0, true);
    Frame();
    EXPECT_EQ(Value("(menu):button a"), 1.0f);
    SDL_JoystickClose(m_stick);
    m_stick = nullptr;
    ASSERT_EQ(SDL_JoystickDetachVirtual(m_index), 0);
    m_index = -1;
    Frame();
    EXPECT_FALSE(DXInput::Instance()->GetJoystick(0)->Poll());
    EXPECT_EQ(Value("(menu):button a"), 0.0f);
    EXPECT_EQ(devices->GetNumDevices(), 2);
}

TEST_F(VirtualJoystickTest, AxesAndButtonsAnswerTheActionsPastTheDeadZoneOnceClaimed)
{
    m_pad->SetBinding("(menu):up", kStick2Up);  // the second stick is the first slider
    // Axis X, then the slider: the value each action reads.
    const struct {
        float x, slider, left, right, up;
    } cases[] = {{-0.1f, 0.0f, 0.0f, 0.0f, 0.0f}, {-0.19f, -0.75f, 0.0f, 0.0f, 0.75f},
                 {0.2f, 0.0f, 0.0f, 0.2f, 0.0f},  {-0.5f, 0.0f, 0.5f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f, 1.0f, 0.0f}};
    for (const auto& c : cases) {
        Set(0, c.x);
        Set(6, c.slider);
        Frame();
        EXPECT_NEAR(Value("(menu):left"), c.left, 0.001f) << c.x;
        EXPECT_NEAR(Value("(menu):right"), c.right, 0.001f) << c.x;
        EXPECT_NEAR(Value("(menu):up"), c.up, 0.001f) << c.slider;
    }
    const JoystickInput* joystick = DXInput::Instance()->GetJoystick(0);
    Set(1, -1.0f);
    Set(5, 0.5f);
    Frame();
    EXPECT_EQ(std::vector<int32_t>({joystick->GetState().x, joystick->GetState().y}), std::vector<int32_t>({1000, -1000}));
    EXPECT_NEAR(joystick->GetRz(), 0.5f, 0.001f);
    EXPECT_EQ(Value("(0):left"), 0.0f) << "an unclaimed joystick does not answer for a player";
    m_pad->SetClaimed(0, true);
    EXPECT_NEAR(GetControllerInput("(0):").y, -1.0f, 0.001f);

    Press("(menu):button a");
    Button(0, true);
    Frame();
    EXPECT_EQ(Press("(menu):button a"), 1.0f);
    Button(7, true);  // "BUTTON_H"
    Frame();
    EXPECT_EQ(Press("(menu):button a"), 0.0f);
    EXPECT_EQ(Value("(menu):button h"), 1.0f);
    EXPECT_EQ(joystick->GetButtonMask(), 0x81u);
    EXPECT_EQ(joystick->GetPressedMask(), 0x80u);
    EXPECT_TRUE(joystick->WasButtonPressed(7) && !joystick->WasButtonPressed(0));
    Button(0, false);
    Frame();
    EXPECT_EQ(Release("(menu):button a"), 1.0f);
}

}  // namespace
