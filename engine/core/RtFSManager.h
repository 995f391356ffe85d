#pragma once

// The file-system manager: file streams open through the registered file systems in
// registration order; the first that opens the name wins. With none registered (or the
// manager closed) files open through the default disk file system.

#include "engine/core/RwStream.h"

class RtFile {
public:
    virtual ~RtFile() = default;
    virtual RwUInt32 Read(void* buffer, RwUInt32 length) = 0;
    virtual RwUInt32 Write(const void* buffer, RwUInt32 length) = 0;
    virtual bool Seek(int64_t offset) = 0;  // from the start
    virtual int64_t Tell() const = 0;
    virtual int64_t Size() const = 0;       // -1 when unknown
    virtual bool Close() = 0;               // the file object is deleted by the caller after
};

class RtFileSystem {
public:
    virtual ~RtFileSystem() = default;
    virtual const char* GetName() const = 0;
    // Null when this file system does not have (or cannot create) the file.
    virtual RtFile* Open(const char* name, RwStreamAccessType access) = 0;
    // Completes pending asynchronous operations; ours read synchronously.
    virtual void PollFiles() {}
};

// maxFileSystems: -1 for no limit.
RwBool RtFSManagerOpen(RwInt32 maxFileSystems);
void RtFSManagerClose();
// The manager does not own file systems. False when it is not open, is full, or already has it.
RwBool RtFSManagerRegister(RtFileSystem* fs);
void RtFSManagerUnregister(RtFileSystem* fs);
RtFileSystem* RtFSManagerGetFileSystemFromName(const char* name);
void RtFSManagerPollFiles();
// Tries the registered file systems in order (the default one when none is registered).
RtFile* RtFSManagerOpenFile(const char* name, RwStreamAccessType access);

// The disk file system over the C library; names are used as given.
RtFileSystem* RtFSManagerGetDefaultFileSystem();
