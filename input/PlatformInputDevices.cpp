#include "input/PlatformInputDevices.h"

#include "input/ConfigurableInputMapper.h"
#include "input/JoystickInput.h"

PlatformInputDevices::PlatformInputDevices() = default;
PlatformInputDevices::~PlatformInputDevices() = default;

int PlatformInputDevices::GetNumDevices() const
{
    return DXInput::Instance()->GetJoystickCount() + 1;
}

ConfigurableInputMapper* PlatformInputDevices::GetInputMapper(int device)
{
    if (device < 0 || device >= GetNumDevices())
        return nullptr;
    std::unique_ptr<ConfigurableInputMapper>& mapper = m_mappers[device];
    if (!mapper)
        mapper = CreateInputMapper(device);
    return mapper.get();
}

std::unique_ptr<ConfigurableInputMapper> PlatformInputDevices::CreateInputMapper(int device)
{
    if (device == 0)
        return std::make_unique<ConfigurableKeyboardInputMapper>();
    return std::make_unique<ConfigurableJoystickInputMapper>(device - 1);
}
