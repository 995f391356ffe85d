#include "input/PlatformInputDevices.h"

#include "input/ConfigurableInputMapper.h"
#include "input/JoystickInput.h"

PlatformInputDevices::~PlatformInputDevices()
{
    for (auto& [device, mapper] : m_mappers)
        delete mapper;
}

int PlatformInputDevices::GetNumDevices() const
{
    return DXInput::Instance()->GetJoystickCount() + 1;
}

ConfigurableInputMapper* PlatformInputDevices::GetInputMapper(int device)
{
    if (device < 0 || device >= GetNumDevices())
        return nullptr;
    auto it = m_mappers.find(device);
    if (it != m_mappers.end())
        return it->second;
    ConfigurableInputMapper* mapper = CreateInputMapper(device);
    m_mappers[device] = mapper;
    return mapper;
}

ConfigurableInputMapper* PlatformInputDevices::CreateInputMapper(int device)
{
    if (device == 0)
        return new ConfigurableKeyboardInputMapper();
    return new ConfigurableJoystickInputMapper(device - 1);
}
