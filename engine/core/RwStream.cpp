#include "engine/core/RwStream.h"

#include "engine/core/RtFSManager.h"

#include "framework/Debug.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

struct RwStream {
    RwStreamType type = rwStreamNA;
    RwStreamAccessType access = rwStreamRead;
    RtFile* file = nullptr;
    // Memory reading: the caller's bytes. Memory writing: our buffer.
    const RwUInt8* data = nullptr;
    RwUInt32 size = 0;
    RwUInt32 pos = 0;
    std::vector<RwUInt8> buffer;
    bool failed = false;
};

RwStream* RwStreamOpenFile(RtFile* file, RwStreamAccessType access)
{
    if (!file)
        return nullptr;
    auto* s = new RwStream;
    s->type = rwStreamFileName;
    s->access = access;
    s->file = file;
    return s;
}

RwStream* RwStreamOpen(RwStreamType type, RwStreamAccessType access, const void* data)
{
    if (access != rwStreamRead && access != rwStreamWrite && access != rwStreamAppend)
        return nullptr;
    if (type == rwStreamFileName) {
        const char* name = static_cast<const char*>(data);
        RtFile* f = RtFSManagerOpenFile(name, access);
        if (!f) {
            LogMessage("RwStreamOpen: cannot open %s\n", name ? name : "(null)");
            return nullptr;
        }
        return RwStreamOpenFile(f, access);
    }
    if (type == rwStreamMemory) {
        const auto* mem = static_cast<const RwMemory*>(data);
        auto* s = new RwStream;
        s->type = rwStreamMemory;
        s->access = access;
        if (access == rwStreamRead) {
            if (!mem || (!mem->start && mem->length)) {
                delete s;
                return nullptr;
            }
            s->data = mem->start;
            s->size = mem->length;
        } else if (mem && mem->start && mem->length && access == rwStreamAppend) {
            s->buffer.assign(mem->start, mem->start + mem->length);
            s->pos = mem->length;
        }
        return s;
    }
    LogError("RwStreamOpen: unsupported stream type %d\n", int(type));
    return nullptr;
}

RwBool RwStreamClose(RwStream* stream, void* data)
{
    if (!stream)
        return false;
    bool ok = !stream->failed;
    if (stream->file) {
        ok = stream->file->Close() && ok;
        delete stream->file;
    }
    if (stream->type == rwStreamMemory && stream->access != rwStreamRead && data) {
        auto* mem = static_cast<RwMemory*>(data);
        mem->length = RwUInt32(stream->buffer.size());
        mem->start = static_cast<RwUInt8*>(std::malloc(stream->buffer.empty() ? 1 : stream->buffer.size()));
        if (mem->start && !stream->buffer.empty())
            std::memcpy(mem->start, stream->buffer.data(), stream->buffer.size());
    }
    delete stream;
    return ok;
}

RwUInt32 RwStreamRead(RwStream* stream, void* buffer, RwUInt32 length)
{
    if (!stream || stream->access != rwStreamRead || length == 0)
        return 0;
    if (stream->file)
        return stream->file->Read(buffer, length);
    const RwUInt32 n = std::min(length, stream->size - stream->pos);
    if (n)
        std::memcpy(buffer, stream->data + stream->pos, n);
    stream->pos += n;
    return n;
}

RwStream* RwStreamWrite(RwStream* stream, const void* buffer, RwUInt32 length)
{
    if (!stream || stream->access == rwStreamRead)
        return nullptr;
    if (length == 0)
        return stream;
    if (stream->file) {
        if (stream->file->Write(buffer, length) != length) {
            stream->failed = true;
            return nullptr;
        }
        return stream;
    }
    const auto* p = static_cast<const RwUInt8*>(buffer);
    stream->buffer.insert(stream->buffer.end(), p, p + length);
    stream->pos += length;
    return stream;
}

int64_t RwStreamTell(const RwStream* stream)
{
    if (!stream)
        return -1;
    return stream->file ? stream->file->Tell() : int64_t(stream->pos);
}

int64_t RwStreamGetRemaining(const RwStream* stream)
{
    if (!stream || stream->access != rwStreamRead)
        return -1;
    if (stream->file) {
        const int64_t size = stream->file->Size();
        const int64_t here = stream->file->Tell();
        return size < 0 || here < 0 ? -1 : std::max<int64_t>(size - here, 0);
    }
    return stream->size - stream->pos;
}

RwStream* RwStreamSkip(RwStream* stream, RwUInt32 offset)
{
    if (!stream || stream->access != rwStreamRead)
        return nullptr;
    if (stream->file) {
        const int64_t remaining = RwStreamGetRemaining(stream);
        if (remaining >= 0) {
            const int64_t here = stream->file->Tell();
            if (int64_t(offset) > remaining) {
                stream->file->Seek(here + remaining);
                return nullptr;
            }
            return stream->file->Seek(here + offset) ? stream : nullptr;
        }
        // Unknown size: read through.
        RwUInt8 scratch[4096];
        while (offset > 0) {
            const RwUInt32 n = std::min<RwUInt32>(offset, sizeof scratch);
            if (stream->file->Read(scratch, n) != n)
                return nullptr;
            offset -= n;
        }
        return stream;
    }
    if (offset > stream->size - stream->pos) {
        stream->pos = stream->size;
        return nullptr;
    }
    stream->pos += offset;
    return stream;
}

RwBool RwStreamReadChunkHeader(RwStream* stream, RwUInt32* typeOut, RwUInt32* lengthOut, RwUInt32* versionOut)
{
    RwUInt32 h[3];
    if (!RwStreamReadUInt32(stream, h, 3))
        return false;
    if (typeOut)
        *typeOut = h[0];
    if (versionOut)
        *versionOut = h[1];
    if (lengthOut)
        *lengthOut = h[2];
    return true;
}

RwBool RwStreamFindChunk(RwStream* stream, RwUInt32 type, RwUInt32* lengthOut, RwUInt32* versionOut)
{
    if (!stream)
        return false;
    for (;;) {
        RwUInt32 t, length, version;
        if (!RwStreamReadChunkHeader(stream, &t, &length, &version))
            return false;
        if (t == type) {
            const int64_t remaining = RwStreamGetRemaining(stream);
            if (remaining >= 0 && int64_t(length) > remaining) {
                LogError("RwStreamFindChunk: chunk %u claims %u bytes, %lld remain\n", type, length,
                         static_cast<long long>(remaining));
                return false;
            }
            if (lengthOut)
                *lengthOut = length;
            if (versionOut)
                *versionOut = version;
            return true;
        }
        if (!RwStreamSkip(stream, length)) {
            LogError("RwStreamFindChunk: chunk %u cut short while looking for %u\n", t, type);
            return false;
        }
    }
}

RwStream* RwStreamWriteChunkHeader(RwStream* stream, RwUInt32 type, RwUInt32 version, RwUInt32 length)
{
    const RwUInt32 h[3] = {type, version, length};
    return RwStreamWriteUInt32(stream, h, 3);
}

// The host is little-endian like the files, so fields go through as they are.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);

namespace {

template <typename T>
RwBool ReadFields(RwStream* stream, T* out, RwUInt32 count)
{
    const uint64_t bytes = uint64_t(count) * sizeof(T);
    if (bytes > 0xffffffffu)
        return false;
    return RwStreamRead(stream, out, RwUInt32(bytes)) == bytes;
}

template <typename T>
RwStream* WriteFields(RwStream* stream, const T* in, RwUInt32 count)
{
    const uint64_t bytes = uint64_t(count) * sizeof(T);
    if (bytes > 0xffffffffu)
        return nullptr;
    return RwStreamWrite(stream, in, RwUInt32(bytes));
}

}  // namespace

RwBool RwStreamReadUInt32(RwStream* s, RwUInt32* out, RwUInt32 count) { return ReadFields(s, out, count); }
RwBool RwStreamReadInt32(RwStream* s, RwInt32* out, RwUInt32 count) { return ReadFields(s, out, count); }
RwBool RwStreamReadUInt16(RwStream* s, RwUInt16* out, RwUInt32 count) { return ReadFields(s, out, count); }
RwBool RwStreamReadReal(RwStream* s, RwReal* out, RwUInt32 count) { return ReadFields(s, out, count); }
RwStream* RwStreamWriteUInt32(RwStream* s, const RwUInt32* in, RwUInt32 count) { return WriteFields(s, in, count); }
RwStream* RwStreamWriteInt32(RwStream* s, const RwInt32* in, RwUInt32 count) { return WriteFields(s, in, count); }
RwStream* RwStreamWriteUInt16(RwStream* s, const RwUInt16* in, RwUInt32 count) { return WriteFields(s, in, count); }
RwStream* RwStreamWriteReal(RwStream* s, const RwReal* in, RwUInt32 count) { return WriteFields(s, in, count); }

RwBool RwStreamReadString(RwStream* stream, char* out, RwUInt32 maxLength)
{
    if (!out || maxLength == 0)
        return false;
    out[0] = '\0';
    RwUInt32 type, size, version, length;
    if (!RwStreamReadChunkHeader(stream, &type, &size, &version) || type != rwChunkString) {
        LogError("RwStreamReadString: no string chunk\n");
        return false;
    }
    if (size < 4 || !RwStreamReadUInt32(stream, &length, 1) || length != size - 4) {
        LogError("RwStreamReadString: malformed string chunk\n");
        return false;
    }
    if (length >= maxLength) {
        LogError("RwStreamReadString: text of %u bytes is too long\n", length);
        return false;
    }
    if (RwStreamRead(stream, out, length) != length) {
        out[0] = '\0';
        return false;
    }
    out[length] = '\0';
    return true;
}

RwStream* RwStreamWriteString(RwStream* stream, const char* text)
{
    const RwUInt32 length = text ? RwUInt32(std::strlen(text)) : 0;
    if (!RwStreamWriteChunkHeader(stream, rwChunkString, 1, 4 + length) || !RwStreamWriteUInt32(stream, &length, 1))
        return nullptr;
    return RwStreamWrite(stream, text ? text : "", length);
}

RwUInt32 RwStreamStringSize(const char* text)
{
    return rwChunkHeaderSize + 4 + (text ? RwUInt32(std::strlen(text)) : 0);
}
