#pragma once

// Streams over files (through the file-system manager) and memory, and the chunk framing:
// a chunk is a 12-byte little-endian header {u32 type; u32 version; u32 size} followed by
// size payload bytes.

#include "engine/core/RwTypes.h"

enum RwStreamType : RwInt32 {
    rwStreamNA = 0,
    rwStreamFileName = 2,  // data: the file name
    rwStreamMemory = 3,    // data: RwMemory*
};

enum RwStreamAccessType : RwInt32 {
    rwStreamRead = 1,
    rwStreamWrite = 2,
    rwStreamAppend = 3,
};

// Memory for a memory stream. Reading uses the caller's bytes as they are. A write stream
// starts from the given bytes (may be null/0) in a buffer of its own; RwStreamClose with an
// RwMemory* hands the written buffer over (free it with std::free).
struct RwMemory {
    RwUInt8* start;
    RwUInt32 length;
};

// Chunk types fixed for whole files and the sub-chunks of our formats.
enum RwChunkType : RwUInt32 {
    rwChunkWorld = 11,
    rwChunkClump = 16,
    rwChunkTexDictionary = 22,
    rwChunkData = 0x100,
    rwChunkString = 0x101,
    rwChunkExtension = 0x102,
    rwChunkFrameList = 0x110,
    rwChunkFrame = 0x111,
    rwChunkGeometryList = 0x120,
    rwChunkGeometry = 0x121,
    rwChunkMorphTarget = 0x122,
    rwChunkMaterialList = 0x130,
    rwChunkMaterial = 0x131,
    rwChunkTextureRef = 0x132,
    rwChunkAtomic = 0x140,
    rwChunkLowDetail = 0x141,
    rwChunkShadowDetail = 0x142,
    rwChunkWorldSector = 0x150,
    rwChunkBspTree = 0x151,
    rwChunkNativeTexture = 0x160,
    rwChunkHAnim = 0x200,
    rwChunkSkin = 0x201,
    rwChunkMatFX = 0x202,
    rwChunkUserData = 0x203,
    rwChunkAnimation = 0x300,
};

enum : RwUInt32 { rwChunkHeaderSize = 12 };

// Chunk versions count from 1 per chunk type; a reader refuses versions above its own.

struct RwStream;
class RtFile;

// Null (with a log line) when the file cannot be opened.
RwStream* RwStreamOpen(RwStreamType type, RwStreamAccessType access, const void* data);
// data: an RwMemory* receiving the buffer of a memory write stream, else unused.
RwBool RwStreamClose(RwStream* stream, void* data);
// Returns the number of bytes read (fewer at the end or on error).
RwUInt32 RwStreamRead(RwStream* stream, void* buffer, RwUInt32 length);
RwStream* RwStreamWrite(RwStream* stream, const void* buffer, RwUInt32 length);
// Null when fewer than offset bytes remain (the stream is then at its end).
RwStream* RwStreamSkip(RwStream* stream, RwUInt32 offset);
// Bytes left to read, or -1 when the stream cannot tell.
int64_t RwStreamGetRemaining(const RwStream* stream);
int64_t RwStreamTell(const RwStream* stream);
// A read stream over an open file (the stream takes it over and closes it).
RwStream* RwStreamOpenFile(RtFile* file, RwStreamAccessType access);

// Reads chunk headers, skipping chunks of other types at this level, until one of the type
// is found; the stream is then at its payload. False at the end of the stream or when a
// header or a skipped payload is cut short.
RwBool RwStreamFindChunk(RwStream* stream, RwUInt32 type, RwUInt32* lengthOut, RwUInt32* versionOut);
RwBool RwStreamReadChunkHeader(RwStream* stream, RwUInt32* typeOut, RwUInt32* lengthOut, RwUInt32* versionOut);
RwStream* RwStreamWriteChunkHeader(RwStream* stream, RwUInt32 type, RwUInt32 version, RwUInt32 length);

// Little-endian fields. Reads fail (false) when the stream runs out.
RwBool RwStreamReadUInt32(RwStream* stream, RwUInt32* out, RwUInt32 count);
RwBool RwStreamReadInt32(RwStream* stream, RwInt32* out, RwUInt32 count);
RwBool RwStreamReadUInt16(RwStream* stream, RwUInt16* out, RwUInt32 count);
RwBool RwStreamReadReal(RwStream* stream, RwReal* out, RwUInt32 count);
RwStream* RwStreamWriteUInt32(RwStream* stream, const RwUInt32* in, RwUInt32 count);
RwStream* RwStreamWriteInt32(RwStream* stream, const RwInt32* in, RwUInt32 count);
RwStream* RwStreamWriteUInt16(RwStream* stream, const RwUInt16* in, RwUInt32 count);
RwStream* RwStreamWriteReal(RwStream* stream, const RwReal* in, RwUInt32 count);
// String chunk (0x101): u32 length + bytes, no terminator. The reader expects the header next,
// refuses texts longer than maxLength - 1 bytes and always terminates out.
RwBool RwStreamReadString(RwStream* stream, char* out, RwUInt32 maxLength);
RwStream* RwStreamWriteString(RwStream* stream, const char* text);
RwUInt32 RwStreamStringSize(const char* text);  // the whole chunk, header included
