#include "engine/plugins/RtBmp.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (RwImage* image = RtBmpImageReadMemory(data, RwUInt32(size)))
        RwImageDestroy(image);
    return 0;
}
