// Settings files are untrusted: any bytes must parse without a crash or an overread.
#include "framework/Debug.h"
#include "framework/Settings.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Broken inputs log a warning each; keep the log from filling the disk.
    static unsigned runs = 0;
    if (++runs % 10000 == 0)
        Debug::Instance()->Initialise();
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
