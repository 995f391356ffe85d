#pragma once

// Helpers shared by the plugins' sources.

#include "engine/core/RwCore.h"

#include "framework/Debug.h"

namespace rpplugins {

// The plugin's bytes inside an object's extension block, or null when the plugin is not
// attached (offset < 0) or the object has no block.
template <typename T>
T* Data(RwUInt8* block, RwInt32 offset)
{
    return block && offset >= 0 ? reinterpret_cast<T*>(block + offset) : nullptr;
}

// Plugin chunks hold one Data chunk. Reads its header within length bytes and checks that
// it is version 1 with at least minSize and at most the rest of the plugin chunk.
inline bool ReadDataHeader(RwStream* stream, RwUInt32 length, RwUInt32 minSize, RwUInt32* sizeOut,
                           const char* who)
{
    RwUInt32 type, size, version;
    if (length < rwChunkHeaderSize || !RwStreamReadChunkHeader(stream, &type, &size, &version) ||
        type != rwChunkData || size > length - rwChunkHeaderSize || size < minSize) {
        LogError("%s: data chunk missing or cut short\n", who);
        return false;
    }
    if (version > 1) {
        LogError("%s: version %u is newer than 1\n", who, version);
        return false;
    }
    *sizeOut = size;
    return true;
}

}  // namespace rpplugins
