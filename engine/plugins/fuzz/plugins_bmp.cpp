#include "engine/plugins/RtBmp.h"

#include "framework/Debug.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool quiet = [] {
        class Quiet : public DebugSink {
        public:
            void OnLog(const char*) override {}
        };
        static Quiet sink;
        Debug::Instance()->SetSink(&sink);
        return true;
    }();
    (void)quiet;
    if (RwImage* image = RtBmpImageReadMemory(data, RwUInt32(size)))
        RwImageDestroy(image);
    return 0;
}
