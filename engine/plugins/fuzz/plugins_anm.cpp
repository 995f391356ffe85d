#include "engine/core/fuzz/FuzzSupport.h"
#include "engine/plugins/RtAnim.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginEngineRun(&RtAnimPluginAttach);
    RwMemory mem{const_cast<RwUInt8*>(data), RwUInt32(size)};
    RwStream* stream = RwStreamOpen(rwStreamMemory, rwStreamRead, &mem);
    RwUInt32 length, version;
    if (stream && RwStreamFindChunk(stream, rwChunkAnimation, &length, &version)) {
        if (RtAnimAnimation* anim = RtAnimAnimationStreamRead(stream, length)) {
            // Whatever was read must sample, blend and write back safely.
            RtAnimInterpolator* in = RtAnimInterpolatorCreate(anim->numNodes, 36);
            RtAnimInterpolatorSetCurrentAnim(in, anim);
            for (RwReal t : {0.0f, anim->duration * 0.37f, anim->duration, anim->duration * 2.5f + 0.1f, -1.0f})
                RtAnimInterpolatorSetCurrentTime(in, t);
            RtAnimInterpolatorBlend(in, in, in, 0.5f);
            RwStream* out = RwStreamOpen(rwStreamMemory, rwStreamWrite, nullptr);
            RtAnimAnimationStreamWrite(anim, out);
            RwMemory written{};
            RwStreamClose(out, &written);
            std::free(written.start);
            RtAnimInterpolatorDestroy(in);
            RtAnimAnimationDestroy(anim);
        }
    }
    RwStreamClose(stream, nullptr);
    return 0;
}
