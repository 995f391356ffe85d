// Walks a chunk tree: every container chunk is entered, data chunks are read as fields,
// strings as strings, Extension chunks through the plugin reader.
#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>

namespace {

void Walk(RwStream* stream, uint64_t length, int depth)
{
    while (length >= rwChunkHeaderSize) {
        RwUInt32 type, size, version;
        if (!RwStreamReadChunkHeader(stream, &type, &size, &version))
            return;
        length -= rwChunkHeaderSize;
        if (size > length)
            return;
        length -= size;
        if (type == rwChunkString) {
            RwUInt32 n;
            char text[256];
            if (size < 4 || !RwStreamReadUInt32(stream, &n, 1) || n > size - 4)
                return;
            RwUInt32 left = n;
            while (left > 0) {
                const RwUInt32 part = left < sizeof text ? left : RwUInt32(sizeof text);
                if (RwStreamRead(stream, text, part) != part)
                    return;
                left -= part;
            }
            if (size - 4 - n > 0 && !RwStreamSkip(stream, size - 4 - n))
                return;
        } else if (type == rwChunkExtension) {
            RwFrame* frame = RwFrameCreate();
            const bool ok = frame && RwPluginStreamReadExtension(rwPluginClassFrame, stream, size, frame, frame->pluginData);
            RwFrameDestroy(frame);
            if (!ok)
                return;
        } else if (type == rwChunkData || depth > 8) {
            if (size > 0 && !RwStreamSkip(stream, size))
                return;
        } else {
            Walk(stream, size, depth + 1);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginEngineRun();
    RwMemory mem;
    RwStream* stream = FuzzStream(data, size, mem);
    RwUInt32 length, version;
    // The first byte picks the chunk type looked for, so skipping is exercised too.
    const RwUInt32 wanted = size > 0 ? data[0] % 24 : 16;
    if (RwStreamSkip(stream, size > 0 ? 1 : 0) && RwStreamFindChunk(stream, wanted, &length, &version))
        Walk(stream, length, 0);
    RwStreamClose(stream, nullptr);
    return 0;
}
