#include "engine/plugins/RtBmp.h"
#include "framework/fuzz/FuzzRun.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginRun();
    if (RwImage* image = RtBmpImageReadMemory(data, RwUInt32(size)))
        RwImageDestroy(image);
    return 0;
}
