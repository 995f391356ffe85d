#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginEngineRun();
    RwMemory mem;
    RwStream* stream = FuzzStream(data, size, mem);
    RwImage* image = RtPngImageReadStream(stream);
    RwStreamClose(stream, nullptr);
    if (image) {
        // Touch every row the reader claims to have filled.
        volatile RwUInt8 sum = 0;
        for (RwInt32 y = 0; y < image->height; ++y)
            sum = RwUInt8(sum + image->pixels[size_t(y) * size_t(image->stride) + size_t(image->width) * 4 - 1]);
        RwImageDestroy(image);
    }
    return 0;
}
