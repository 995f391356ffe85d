#pragma once

#include "framework/Singleton.h"

#include <map>
#include <memory>

class ConfigurableInputMapper;

// Numbers the input devices (0 = keyboard, 1 and up = the joysticks of DXInput) and keeps
// one configurable mapper per device, made on first request with its defaults.
class PlatformInputDevices : public Singleton<PlatformInputDevices> {
public:
    PlatformInputDevices();
    ~PlatformInputDevices() override;

    int GetNumDevices() const;
    // Null outside 0..GetNumDevices()-1; the same mapper every time for one index, kept
    // until the devices go.
    ConfigurableInputMapper* GetInputMapper(int device);

private:
    static std::unique_ptr<ConfigurableInputMapper> CreateInputMapper(int device);

    std::map<int, std::unique_ptr<ConfigurableInputMapper>> m_mappers;
};
