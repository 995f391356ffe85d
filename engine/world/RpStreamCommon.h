#pragma once

// Chunk reading with every size checked against the chunk it lies in, and chunk writing
// into a buffer (sizes patched when a chunk closes). Shared by the clump and world formats.

#include "engine/core/RwPlugin.h"
#include "engine/core/RwStream.h"
#include "engine/world/RpGeometry.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace rpworld {

// A window of `left` bytes of the stream: reads past it fail instead of reading the next chunk.
class ChunkIn {
public:
    ChunkIn(RwStream* stream, RwUInt32 length, const char* where) : m_stream(stream), m_left(length), m_where(where) {}

    RwUInt32 Left() const { return m_left; }
    RwStream* Stream() const { return m_stream; }
    const char* Where() const { return m_where; }

    bool Read(void* out, uint64_t bytes);
    template <typename T>
    bool Get(T& out)
    {
        return Read(&out, sizeof out);
    }
    // Reads count elements into a vector (count checked against what is left first).
    template <typename T>
    bool GetArray(T* out, uint64_t count)
    {
        if (count > m_left / sizeof(T))
            return false;
        return Read(out, count * sizeof(T));
    }
    bool Skip(uint64_t bytes);
    // The next child chunk: its header is consumed here and its payload charged to this
    // chunk; child covers the payload. False at the end or when the child overruns.
    bool Child(RwUInt32& type, RwUInt32& version, ChunkIn& child);
    // Skips what the child left unread.
    bool Finish(ChunkIn& child) { return child.Skip(child.m_left); }
    // The expected chunk next (version checked); logs and fails otherwise.
    bool Expect(RwUInt32 type, ChunkIn& child, const char* what);

private:
    RwStream* m_stream;
    RwUInt32 m_left;
    const char* m_where;
};

class ChunkOut {
public:
    size_t Begin(RwUInt32 type);
    void End(size_t at);
    void Bytes(const void* data, size_t size);
    template <typename T>
    void Put(const T& v)
    {
        Bytes(&v, sizeof v);
    }
    void String(const char* text);
    bool Extension(RwPluginObjectClass cls, const void* object, const RwUInt8* block);
    const std::vector<RwUInt8>& Data() const { return m_data; }

private:
    std::vector<RwUInt8> m_data;
};

enum : RwUInt32 { kFormatVersion = 1 };

// MaterialList(0x130) { Data{u32 count}, Material(0x131) x count } after its header was read.
bool ReadMaterialList(ChunkIn& in, RpMaterialList& list);
void WriteMaterialList(ChunkOut& out, const RpMaterialList& list);

}  // namespace rpworld
