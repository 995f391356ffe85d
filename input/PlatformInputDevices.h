#pragma once

#include "framework/Singleton.h"

#include <map>

class ConfigurableInputMapper;

// Numbers the input devices (0 = keyboard, 1 and up = the joysticks of DXInput) and keeps
// one configurable mapper per device, made on first request with its defaults.
class PlatformInputDevices : public Singleton<PlatformInputDevices> {
public:
    ~PlatformInputDevices() override;

    int GetNumDevices() const;
    // Null outside 0..GetNumDevices()-1; the same mapper every time for one index.
    ConfigurableInputMapper* GetInputMapper(int device);

private:
    ConfigurableInputMapper* CreateInputMapper(int device);

    std::map<int, ConfigurableInputMapper*> m_mappers;
};
