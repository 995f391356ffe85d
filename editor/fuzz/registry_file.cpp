// The window-position file is the user's to edit: any bytes must read without a crash,
// and what is read must write back to the same values.
#include "editor/RegistryFile.h"
#include "editor/WindowPosition.h"
#include "framework/fuzz/FuzzRun.h"
#include "framework/fuzz/FuzzScratch.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginRun();
    const RegistryFile::Values values = RegistryFile::Parse(reinterpret_cast<const char*>(data), size, "fuzz");
    const std::string text = RegistryFile::Format(values);
    if (RegistryFile::Parse(text.data(), text.size(), "formatted") != values)
        std::abort();

    if (!FuzzWriteScratch("fuzz_positions.txt", data, size))
        return 0;
    for (const auto& entry : values) {
        WindowPosition record(entry.first, "fuzz_positions.txt");
        WindowPlace place;
        record.Restore(200, 100, 800, 600, 19, place);
    }
    return 0;
}
