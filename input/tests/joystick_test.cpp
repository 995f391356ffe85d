#include "InputTestSupport.h"

#include <SDL.h>

using inputtest::InputTest;

namespace {

// A virtual SDL joystick with eight axes (X, Y, Z, Rx, Ry, Rz, two sliders) and 16
// buttons, opened by DXInput as device 1.
class VirtualJoystickTest : public InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_JOYSTICK)) << SDL_GetError();
        m_deviceIndex = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 8, 16, 0);
        ASSERT_GE(m_deviceIndex, 0) << SDL_GetError();
        ASSERT_TRUE(DXInput::Instance()->Init());
        ASSERT_EQ(1, DXInput::Instance()->GetJoystickCount());
        m_joystick = SDL_JoystickOpen(m_deviceIndex);  // the same device, counted twice
        ASSERT_NE(nullptr, m_joystick) << SDL_GetError();
        m_pad = PlatformInputDevices::Instance()->GetInputMapper(1);
        ASSERT_NE(nullptr, m_pad);
        controller()->RegisterInputMapper(m_pad);
    }
    void TearDown() override
    {
        if (m_joystick)
            SDL_JoystickClose(m_joystick);
        InputTest::TearDown();  // closes DXInput's handle
        if (m_deviceIndex >= 0)
            SDL_JoystickDetachVirtual(m_deviceIndex);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }

    void SetAxis(int axis, float value)
    {
        const auto raw = static_cast<Sint16>(value >= 0 ? value * 32767 : value * 32768);
        ASSERT_EQ(0, SDL_JoystickSetVirtualAxis(m_joystick, axis, raw)) << SDL_GetError();
    }
    void SetButton(int button, bool down)
    {
        ASSERT_EQ(0, SDL_JoystickSetVirtualButton(m_joystick, button, down ? SDL_PRESSED : SDL_RELEASED))
            << SDL_GetError();
    }

    int m_deviceIndex = -1;
    SDL_Joystick* m_joystick = nullptr;
    ConfigurableInputMapper* m_pad = nullptr;
};

TEST_F(VirtualJoystickTest, DevicesAreNumberedKeyboardFirst)
{
    PlatformInputDevices* devices = PlatformInputDevices::Instance();
    EXPECT_EQ(2, devices->GetNumDevices());
    EXPECT_NE(nullptr, dynamic_cast<ConfigurableKeyboardInputMapper*>(devices->GetInputMapper(0)));
    auto* pad = dynamic_cast<ConfigurableJoystickInputMapper*>(m_pad);
    ASSERT_NE(nullptr, pad);
    EXPECT_EQ(0, pad->GetJoystickIndex());
    EXPECT_EQ(m_pad, devices->GetInputMapper(1)) << "cached";
    EXPECT_EQ(nullptr, devices->GetInputMapper(2));
    EXPECT_EQ(nullptr, devices->GetInputMapper(-1));
}

TEST_F(VirtualJoystickTest, StickDrivesPlayerActionOnceClaimed)
{
    SetAxis(0, -0.5f);
    Frame();
    EXPECT_EQ(0.0f, Value("(0):left")) << "an unclaimed joystick does not answer for a player";
    EXPECT_EQ(InputMapper::kUnknown, m_pad->GetValue("(0):left"));
    EXPECT_NEAR(0.5f, Value("(menu):left"), 0.001f);

    m_pad->SetClaimed(0, true);
    EXPECT_NEAR(0.5f, Value("(0):left"), 0.001f);
    EXPECT_EQ(0.0f, Value("(0):right"));
    EXPECT_EQ(0.0f, Value("(1):left"));

    SetAxis(1, 1.0f);
    Frame();
    EXPECT_NEAR(1.0f, Value("(0):down"), 0.001f);
    const ControllerInput input = GetControllerInput("(0):");
    EXPECT_NEAR(-0.5f, input.x, 0.001f);
    EXPECT_NEAR(1.0f, input.y, 0.001f);
}

TEST_F(VirtualJoystickTest, ButtonDrivesMenuActionWithEdges)
{
    Press("(menu):button a");
    SetButton(0, true);
    Frame();
    EXPECT_EQ(1.0f, Press("(menu):button a"));
    JoystickInput* joystick = DXInput::Instance()->GetJoystick(0);
    EXPECT_TRUE(joystick->WasButtonPressed(0));
    EXPECT_EQ(1u, joystick->GetButtonMask());

    SetButton(7, true);  // "BUTTON_H"
    Frame();
    EXPECT_EQ(0.0f, Press("(menu):button a"));
    EXPECT_EQ(1.0f, Value("(menu):button h"));
    EXPECT_EQ(0x81u, joystick->GetButtonMask());
    EXPECT_EQ(0x80u, joystick->GetPressedMask());

    SetButton(0, false);
    Frame();
    EXPECT_EQ(1.0f, Release("(menu):button a"));
}

TEST_F(VirtualJoystickTest, StickDeadZoneIsPointTwoWithoutRescaling)
{
    SetAxis(0, -0.1f);
    Frame();
    EXPECT_EQ(0.0f, m_pad->GetValue("(menu):left"));
    EXPECT_EQ(0.0f, m_pad->GetValue("(menu):right"));

    SetAxis(0, -0.19f);
    Frame();
    EXPECT_EQ(0.0f, m_pad->GetValue("(menu):left"));

    SetAxis(0, 0.2f);
    Frame();
    EXPECT_NEAR(0.2f, m_pad->GetValue("(menu):right"), 0.001f);
    EXPECT_EQ(0.0f, m_pad->GetValue("(menu):left"));

    SetAxis(0, -0.5f);
    Frame();
    EXPECT_NEAR(0.5f, m_pad->GetValue("(menu):left"), 0.001f);
    EXPECT_EQ(0.0f, m_pad->GetValue("(menu):right"));

    // The second stick is the first slider (the seventh axis).
    m_pad->SetBinding("(menu):up", kStick2Up);
    SetAxis(6, -0.75f);
    Frame();
    EXPECT_NEAR(0.75f, m_pad->GetValue("(menu):up"), 0.001f);
}

TEST_F(VirtualJoystickTest, AxesScaleToThousandths)
{
    SetAxis(0, 1.0f);
    SetAxis(1, -1.0f);
    SetAxis(5, 0.5f);
    Frame();
    const JoystickInput* joystick = DXInput::Instance()->GetJoystick(0);
    EXPECT_EQ(1000, joystick->GetState().x);
    EXPECT_EQ(-1000, joystick->GetState().y);
    EXPECT_FLOAT_EQ(1.0f, joystick->GetX());
    EXPECT_NEAR(0.5f, joystick->GetRz(), 0.001f);
}

TEST_F(VirtualJoystickTest, UnpluggedJoystickReadsZero)
{
    SetButton(0, true);
    SetAxis(0, -1.0f);
    Frame();
    EXPECT_EQ(1.0f, Value("(menu):button a"));

    SDL_JoystickClose(m_joystick);
    m_joystick = nullptr;
    ASSERT_EQ(0, SDL_JoystickDetachVirtual(m_deviceIndex));
    m_deviceIndex = -1;
    Frame();
    EXPECT_FALSE(DXInput::Instance()->GetJoystick(0)->Poll());
    EXPECT_EQ(0.0f, Value("(menu):button a"));
    EXPECT_EQ(0.0f, Value("(menu):left"));
    EXPECT_EQ(2, PlatformInputDevices::Instance()->GetNumDevices()) << "device numbers do not shift";
}

}  // namespace
