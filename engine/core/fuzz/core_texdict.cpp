#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginEngineRun();
    RwMemory mem;
    RwStream* stream = FuzzStream(data, size, mem);
    RwUInt32 length, version;
    if (RwStreamFindChunk(stream, rwChunkTexDictionary, &length, &version)) {
        RwTexDictionary* dict = RwTexDictionaryStreamRead(stream);
        if (dict) {
            // What was read must also write back.
            RwStream* out = RwStreamOpen(rwStreamMemory, rwStreamWrite, nullptr);
            RwTexDictionaryStreamWrite(dict, out);
            RwMemory written{};
            RwStreamClose(out, &written);
            std::free(written.start);
            RwTexDictionaryDestroy(dict);
        }
    }
    RwStreamClose(stream, nullptr);
    return 0;
}
