#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginEngineRun();
    RwImage* image = RwDdsImageReadMemory(data, RwUInt32(size));
    if (image) {
        volatile RwUInt8 last = image->pixels[size_t(image->height - 1) * size_t(image->stride) +
                                              size_t(image->width) * 4 - 1];
        (void)last;
        RwImageDestroy(image);
    }
    return 0;
}
