// Settings files are untrusted: any bytes must parse without a crash or an overread.
#include "framework/Settings.h"
#include "framework/fuzz/FuzzRun.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginRun();
    Settings settings;
    settings.Parse(reinterpret_cast<const char*>(data), size, "fuzz");
    std::string value;
    for (const Settings::Entry& entry : settings.GetEntries()) {
        settings.GetString(entry.key.c_str(), 1, entry.section.c_str());
        settings.GetFloat(entry.key.c_str());
        settings.FindValue(value, entry.key.c_str(), 0);
    }
    return 0;
}
