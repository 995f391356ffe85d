#pragma once

#include "engine/core/RwCore.h"

// The engine on the null device, started once for the whole fuzzing run; attach (may be
// null) attaches the plugins the target reads.
inline void FuzzOpenEngine(RwBool (*attach)() = nullptr)
{
    static const bool open = RwEngineStartUp(rwDeviceNull, nullptr, attach);
    (void)open;
}

inline RwStream* FuzzStream(const uint8_t* data, size_t size, RwMemory& mem)
{
    mem = {const_cast<RwUInt8*>(data), static_cast<RwUInt32>(size)};
    return RwStreamOpen(rwStreamMemory, rwStreamRead, &mem);
}
