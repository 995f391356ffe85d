#pragma once

#include "framework/Debug.h"

// The first call of every fuzz run. Broken inputs log warnings, so the log is emptied every
// 1,000 runs, before it can fill the disk.
inline void FuzzBeginRun()
{
    constexpr unsigned kRunsPerLog = 1000;
    static unsigned runs = 0;
    if (++runs % kRunsPerLog == 0)
        Debug::Instance()->Initialise();
}
