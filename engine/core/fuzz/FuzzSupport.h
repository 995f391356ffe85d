#pragma once

#include "engine/core/RwCore.h"

#include "framework/Debug.h"

// The engine on the null device, opened once for the whole fuzzing run; log lines are kept
// out of the log file so the run stays fast.
inline void FuzzOpenEngine()
{
    static bool open = [] {
        class Quiet : public DebugSink {
        public:
            void OnLog(const char*) override {}
        };
        static Quiet quiet;
        Debug::Instance()->SetSink(&quiet);
        RwEngineInit(nullptr, 0, 0);
        RwEngineOpenParams params{nullptr, rwDeviceNull};
        RwEngineOpen(&params);
        return RwEngineStart();
    }();
    (void)open;
}

inline RwStream* FuzzStream(const uint8_t* data, size_t size, RwMemory& mem)
{
    mem = {const_cast<RwUInt8*>(data), RwUInt32(size)};
    return RwStreamOpen(rwStreamMemory, rwStreamRead, &mem);
}
