#pragma once

#include "audio/WaveData.h"
#include "framework/Factory.h"

#include <string>

// Decodes a whole sound file into memory (sound effects).
class SampleLoader {
public:
    virtual ~SampleLoader() = default;
    virtual bool CanLoad(const std::string& name) = 0;
    virtual bool Load(const std::string& name, WaveData& wave) = 0;
};

// Decodes a sound file piece by piece (streamed music).
class SampleStream {
public:
    virtual ~SampleStream() = default;
    virtual bool CanOpen(const std::string& name) = 0;
    // Fills the format of the wave record only.
    virtual bool Open(const std::string& name, WaveData& wave) = 0;
    virtual bool Close() = 0;
    // Bytes written; 0 at the end of the data or on an error.
    virtual int Refill(uint8_t* buffer, int bytes) = 0;
    virtual void Rewind() {}
};

// Loader and stream classes by class name, iterated in name order.
class SampleLoaderRegistry {
public:
    using Creator = Factory<SampleLoader>::Creator;
    static void Register(const char* name, Creator create) { Get().Register(name, create); }
    static Factory<SampleLoader>& Get();
};

class SampleStreamRegistry {
public:
    using Creator = Factory<SampleStream>::Creator;
    static void Register(const char* name, Creator create) { Get().Register(name, create); }
    static Factory<SampleStream>& Get();
};

namespace sample_detail {
// True when the name's last three characters are the extension (any case) and the file
// exists, or, for a name without ".", when name + "." + extension exists. The prefix goes
// before the name for the existence test only.
bool HasExtensionAndExists(const std::string& name, const char* extension,
                           const std::string& prefix = std::string());
// The name with "." + extension appended when it has no ".".
std::string WithDefaultExtension(const std::string& name, const char* extension);
// The whole file; false (logged by the file layer) when it is missing or empty.
bool ReadWholeFile(const std::string& name, std::vector<uint8_t>& out);
// True when the sound device can play the format; otherwise false, with a log line
// "<who>: <name> ..." that says why.
bool IsPlayableFormat(int rate, int channels, int bits, const char* who, const std::string& name);
}  // namespace sample_detail
