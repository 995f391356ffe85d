#pragma once

#include "engine/core/RwCore.h"
#include "framework/fuzz/FuzzRun.h"

// The first call of every fuzz run of a target that reads through the engine: starts the
// engine on the null device once for the whole fuzzing run, attach (may be null) attaching
// the plugins the target reads, and keeps the log short (FuzzBeginRun). False when the
// engine did not start.
inline bool FuzzBeginEngineRun(RwBool (*attach)() = nullptr)
{
    static const bool open = RwEngineStartUp(rwDeviceNull, nullptr, attach);
    FuzzBeginRun();
    return open;
}

inline RwStream* FuzzStream(const uint8_t* data, size_t size, RwMemory& mem)
{
    mem = {const_cast<RwUInt8*>(data), static_cast<RwUInt32>(size)};
    return RwStreamOpen(rwStreamMemory, rwStreamRead, &mem);
}
