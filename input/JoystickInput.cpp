#include "input/JoystickInput.h"

#include "framework/Debug.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

int32_t ScaleAxis(Sint16 value)
{
    // SDL's range is -32768..32767; the game's is -1000..1000. Rounded, so a stick set
    // to a fifth of its travel does not fall just short of the dead zone.
    const auto scaled = static_cast<int32_t>(std::lround(value * 1000.0 / 32767.0));
    return std::clamp(scaled, -1000, 1000);
}

// Only the first buttons are read: the masks hold one bit for each.
constexpr int kReadButtons = 32;

template <typename Test>
uint32_t MaskOf(Test test)
{
    uint32_t mask = 0;
    for (int i = 0; i < kReadButtons; ++i)
        if (test(i))
            mask |= 1u << i;
    return mask;
}

}  // namespace

JoystickInput::~JoystickInput()
{
    if (m_joystick)
        SDL_JoystickClose(m_joystick);
}

bool JoystickInput::Init(int deviceIndex)
{
    m_joystick = SDL_JoystickOpen(deviceIndex);
    if (!m_joystick) {
        LogError("JoystickInput::Init: could not open joystick %d: %s\n", deviceIndex, SDL_GetError());
        return false;
    }
    const SDL_JoystickGUID kind = SDL_JoystickGetGUID(m_joystick);
    std::copy(std::begin(kind.data), std::end(kind.data), m_kind.begin());
    return true;
}

bool JoystickInput::IsLost() const
{
    return m_joystick && !SDL_JoystickGetAttached(m_joystick);
}

bool JoystickInput::TakeBack(int deviceIndex)
{
    SDL_JoystickClose(m_joystick);
    m_joystick = nullptr;
    m_buttons.Clear();
    if (!Init(deviceIndex))
        return false;
    LogMessage("JoystickInput::TakeBack: \"%s\" answers again\n", GetName());
    return true;
}

bool JoystickInput::IsSameKind(int deviceIndex) const
{
    const SDL_JoystickGUID kind = SDL_JoystickGetDeviceGUID(deviceIndex);
    return std::equal(std::begin(kind.data), std::end(kind.data), m_kind.begin());
}

bool JoystickInput::Poll()
{
    m_previous = m_current;
    if (!m_joystick || !SDL_JoystickGetAttached(m_joystick)) {
        m_current = JoystickState();
        m_buttons.Clear();
        return false;
    }
    JoystickState state;
    int32_t* axes[] = {&state.x, &state.y, &state.z, &state.rx, &state.ry, &state.rz,
                       &state.slider[0], &state.slider[1]};
    const int axisCount = std::min<int>(SDL_JoystickNumAxes(m_joystick), static_cast<int>(std::size(axes)));
    for (int i = 0; i < axisCount; ++i)
        *axes[i] = ScaleAxis(SDL_JoystickGetAxis(m_joystick, i));
    const int buttonCount = std::min(SDL_JoystickNumButtons(m_joystick), JoystickState::kButtons);
    for (int i = 0; i < buttonCount; ++i)
        m_buttons.SetNow(static_cast<size_t>(i), SDL_JoystickGetButton(m_joystick, i) != 0);
    m_buttons.Update();
    for (int i = 0; i < buttonCount; ++i)
        state.buttons[i] = m_buttons.IsDown(static_cast<size_t>(i)) ? 0x80 : 0;
    m_current = state;
    return true;
}

void JoystickInput::NoteButtonDown(int button)
{
    if (button >= 0)
        m_buttons.Down(static_cast<size_t>(button));
}

int JoystickInput::GetInstanceId() const
{
    return m_joystick ? SDL_JoystickInstanceID(m_joystick) : -1;
}

bool JoystickInput::IsButtonDown(int button) const
{
    return button >= 0 && button < kReadButtons && m_current.buttons[button] != 0;
}

bool JoystickInput::WasButtonPressed(int button) const
{
    return IsButtonDown(button) && m_previous.buttons[button] == 0;
}

uint32_t JoystickInput::GetButtonMask() const
{
    return MaskOf([this](int button) { return IsButtonDown(button); });
}

uint32_t JoystickInput::GetPressedMask() const
{
    return MaskOf([this](int button) { return WasButtonPressed(button); });
}

const char* JoystickInput::GetName() const
{
    const char* name = m_joystick ? SDL_JoystickName(m_joystick) : nullptr;
    return name ? name : "";
}

DXInput::~DXInput()
{
    Exit();
}

bool DXInput::Init()
{
    Exit();  // a second start-up must not list the same controllers twice
    if (!SDL_WasInit(SDL_INIT_JOYSTICK)) {
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
            LogError("DXInput::Init: joystick support failed to start: %s\n", SDL_GetError());
            return false;
        }
        m_ownsSubsystem = true;
    }
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i) {
        // Kept even when it failed to open: device numbers must not shift, and it reads as
        // all zero.
        auto joystick = std::make_unique<JoystickInput>();
        joystick->Init(i);
        m_joysticks.push_back(std::move(joystick));
    }
    return true;
}

void DXInput::Update(float)
{
    if (m_joysticks.empty())
        return;
    // Event pumping updates SDL's joysticks only while joystick events are enabled.
    SDL_JoystickUpdate();
    TakeBackLost();
    for (const auto& joystick : m_joysticks)
        joystick->Poll();
}

void DXInput::TakeBackLost()
{
    std::vector<JoystickInput*> lost;
    for (const auto& joystick : m_joysticks)
        if (joystick->IsLost())
            lost.push_back(joystick.get());
    const int count = lost.empty() ? 0 : SDL_NumJoysticks();
    for (int device = 0; device < count && !lost.empty(); ++device) {
        const int id = SDL_JoystickGetDeviceInstanceID(device);
        const bool held = std::any_of(m_joysticks.begin(), m_joysticks.end(),
                                      [id](const auto& joystick) { return joystick->GetInstanceId() == id; });
        if (held)
            continue;
        auto taker = std::find_if(lost.begin(), lost.end(), [device](JoystickInput* j) { return j->IsSameKind(device); });
        if (taker == lost.end())
            taker = lost.begin();
        if ((*taker)->TakeBack(device))
            lost.erase(taker);
    }
}

void DXInput::NoteButtonDown(int instanceId, int button)
{
    for (const auto& joystick : m_joysticks)
        if (joystick->GetInstanceId() == instanceId)
            joystick->NoteButtonDown(button);
}

bool DXInput::Exit()
{
    m_joysticks.clear();
    if (m_ownsSubsystem) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        m_ownsSubsystem = false;
    }
    return true;
}

JoystickInput* DXInput::GetJoystick(int index) const
{
    if (index < 0 || index >= GetJoystickCount())
        return nullptr;
    return m_joysticks[static_cast<size_t>(index)].get();
}
