#include "engine/plugins/RtAnim.h"

#include "framework/Debug.h"

#include <cstdint>
#include <cstdlib>

namespace {

void OpenEngine()
{
    static bool open = [] {
        class Quiet : public DebugSink {
        public:
            void OnLog(const char*) override {}
        };
        static Quiet quiet;
        Debug::Instance()->SetSink(&quiet);
        RwEngineInit(nullptr, 0, 0);
        RtAnimPluginAttach();
        RwEngineOpenParams params{nullptr, rwDeviceNull};
        RwEngineOpen(&params);
        return RwEngineStart();
    }();
    (void)open;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    OpenEngine();
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
