// Text tables are player-facing data files: any bytes must load without a crash or an
// overread, and every entry loaded must be found again.
#include "framework/fuzz/FuzzRun.h"
#include "text/TextManager.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginRun();
    TextManager* texts = TextManager::Instance();
    texts->Clear();
    texts->LoadText(reinterpret_cast<const char*>(data), size, "fuzz");
    size_t entries = 0;
    for (int32_t number : texts->GetTextNumbers())
        for (int line = 0; texts->HasText(number, line); ++line, ++entries)
            if (texts->GetText(number, line).size() > TextManager::kMaxLineLength)
                std::abort();
    if (entries != texts->GetEntryCount())
        std::abort();
    return 0;
}
