// The data archive is untrusted: any bytes must be rejected or read within bounds.
#include "framework/Archive.h"
#include "framework/fuzz/FuzzRun.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginRun();
    std::string error;
    std::unique_ptr<Archive> archive = Archive::FromMemory(std::vector<uint8_t>(data, data + size), error);
    if (!archive)
        return 0;
    std::vector<uint8_t> bytes;
    for (const Archive::Entry& entry : archive->Entries()) {
        if (const Archive::Entry* found = archive->Find(entry.name))
            archive->ReadEntry(*found, bytes, error);
    }
    return 0;
}
