#include "engine/core/fuzz/FuzzSupport.h"
#include "engine/world/RpWorld.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzOpenEngine();
    RwMemory mem;
    RwStream* stream = FuzzStream(data, size, mem);
    if (RwStreamFindChunk(stream, rwChunkClump, nullptr, nullptr)) {
        if (RpClump* clump = RpClumpStreamRead(stream)) {
            // Whatever was read must clone, write back and go away cleanly.
            RpClump* copy = RpClumpClone(clump);
            RwStream* out = RwStreamOpen(rwStreamMemory, rwStreamWrite, nullptr);
            RpClumpStreamWrite(clump, out);
            RwMemory written{};
            RwStreamClose(out, &written);
            std::free(written.start);
            for (RpAtomic* a : clump->atomics)
                RpAtomicGetWorldBoundingSphere(a);
            RpClumpDestroy(clump);
            RpClumpDestroy(copy);
        }
    }
    RwStreamClose(stream, nullptr);
    return 0;
}
